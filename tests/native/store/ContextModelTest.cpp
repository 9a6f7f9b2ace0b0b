// The context data of a library: ARPA text written by WriteContextData and
// read back by LibraryContextModel, against a scan of the text itself; its
// damaged records; LibrarySet's choice of the model.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "store/ContextData.h"
#include "store/ContextWriter.h"
#include "store/LibraryContextModel.h"
#include "tests/native/store/StoreTestSupport.h"

namespace wl::test {
namespace {

using Entries = std::vector<std::pair<ContextModel::WordId, float>>;

std::string Lower(std::string s) {
    SystemCodePage().ToLower(s.data());
    return s;
}

std::string Log(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", v);
    return text;
}

// The model's n-grams as ARPA text, in shuffled order, with a 4-gram
// section that is passed over.
std::string Arpa(const std::vector<std::string>& grams1, const std::vector<std::string>& grams2,
                 const std::vector<std::string>& grams3, std::mt19937& rng) {
    std::string text = "\\data\\\nngram 1=";
    text.append(std::to_string(grams1.size())).append("\n\n");
    auto section = [&](int n, std::vector<std::string> lines) {
        std::shuffle(lines.begin(), lines.end(), rng);
        text.append("\\").append(std::to_string(n)).append("-grams:\n");
        for (const auto& l : lines) text += l + "\n";
        text += "\n";
    };
    section(1, grams1);
    section(2, grams2);
    section(3, grams3);
    text += "\\4-grams:\n-0.5\ta\tb\tc\td\n\n\\end\\\n";
    return text;
}

// A lookup's answer; its entries and back-off start as junk, as a caller's
// may.
struct Found {
    bool found = false;
    std::vector<ContextModel::Entry> entries{{99, 9.0f}};
    float backoff = 1;
};
Found Look(const ContextModel& model, const ContextModel::WordId* ids, std::size_t n) {
    Found f;
    f.found = model.Lookup(ids, n, f.entries, f.backoff);
    return f;
}

class ContextModelTest : public SetTest {
  protected:
    std::string lib = dir / "English.lib";

    // Writes the ARPA text into the library (made with keys), threshold t.
    ContextWriteResult Write(const std::string& arpa, const Keys& keys, double t = 0) {
        MakeLibrary(lib, NoTexts(keys));
        WriteBytes(dir / "model.arpa", arpa);
        Opened library(lib);
        return WriteContextData(library, dir / "model.arpa", t);
    }
};

// A model of a few words, some the dictionary does not hold, one in two
// letter cases; every 1-word and 2-word context read back equals a scan of
// the text.
TEST_F(ContextModelTest, EveryContextReadsBackAsTheTextHasIt) {
    const Keys dictionary{"Apple", "apply", "ban",  "BAND",  "banana", "bandit",
                          "cat",   "dog",   "door", "zebra", "other"};
    const std::vector<std::string> words{"apple",  "apply", "ban", "band", "banana",
                                         "bandit", "cat",   "Cat", "dog",  "door",
                                         "zebra",  "xyz",   "qq'", "</s>"};
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> prob(-5, -0.1), weight(-1.5, 0);
    std::vector<std::string> g1{"-99.0000\t<s>\t" + Log(weight(rng))}, g2, g3;
    for (const auto& w : words) g1.push_back(Log(prob(rng)) + "\t" + w + "\t" + Log(weight(rng)));
    std::vector<std::string> firsts = words;
    firsts.push_back("<s>");
    for (const auto& a : firsts)
        for (const auto& b : words) {
            if (rng() % 10 >= 4) continue;
            g2.push_back(Log(prob(rng)) + "\t" + a + "\t" + b + "\t" + Log(weight(rng)));
            for (const auto& c : words)
                if (rng() % 10 < 3) g3.push_back(Log(prob(rng)) + " " + a + " " + b + " " + c);
        }
    g2.push_back("junk");
    const std::string text = Arpa(g1, g2, g3, rng);
    const ContextWriteResult written = Write(text, dictionary);
    ASSERT_TRUE(written.ok) << written.error;
    EXPECT_EQ(written.badLines, 1u);

    // The scan: the text's lines by order, their words in lower case; of
    // n-grams equal that way the most probable.
    std::set<std::string> held;
    for (const auto& k : dictionary) held.insert(Lower(k));
    std::map<std::vector<std::string>, std::pair<float, float>> grams;  // -> probability, back-off
    std::set<std::string> vocabulary{"<s>"};
    std::istringstream in(text);
    int order = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("\\", 0) == 0) {
            order = line.size() == 9 && line[1] >= '1' && line[1] <= '3' ? line[1] - '0' : 0;
            continue;
        }
        std::istringstream fields(line);
        float p = 0, b = 0;
        std::vector<std::string> gram(static_cast<std::size_t>(order));
        if (!order || !(fields >> p)) continue;
        for (auto& w : gram) fields >> w, w = Lower(w);
        if (!fields) continue;
        fields >> b;
        if (order == 1 && held.count(gram[0])) vocabulary.insert(gram[0]);
        auto [it, added] = grams.try_emplace(gram, p, b);
        if (!added && p > it->second.first) it->second = {p, b};
    }

    LibraryContextModel model;
    ASSERT_TRUE(model.Open(lib));
    const std::vector<std::string> numbered(vocabulary.begin(), vocabulary.end());
    ASSERT_EQ(model.WordCount(), numbered.size());
    EXPECT_EQ(written.words, numbered.size());
    for (std::uint32_t i = 0; i < numbered.size(); ++i) {
        EXPECT_EQ(model.Word(i), numbered[i]);
        EXPECT_EQ(model.Id(numbered[i]), i);
    }
    for (const char* absent : {"xyz", "qq'", "</s>", "other", "", "Apple", "appl", "zebras"})
        EXPECT_EQ(model.Id(absent), ContextModel::kNoWord) << absent;
    EXPECT_EQ(model.Word(model.WordCount()), "");
    for (const char* prefix : {"", "<", "a", "app", "apply", "applz", "b", "ban", "band", "bandi",
                               "c", "zebra", "zz", "\xff", "{"}) {
        ContextModel::WordId first = 0, last = 0;
        model.PrefixRange(prefix, first, last);
        const auto from = std::lower_bound(numbered.begin(), numbered.end(), prefix);
        const auto to =
            std::find_if(from, numbered.end(), [&](auto& w) { return w.rfind(prefix, 0) != 0; });
        EXPECT_EQ(first, static_cast<std::uint32_t>(from - numbered.begin())) << prefix;
        EXPECT_EQ(last, static_cast<std::uint32_t>(to - numbered.begin())) << prefix;
    }

    // Every context of one word and of two.
    std::uint64_t stored[2] = {0, 0};
    std::vector<std::vector<std::string>> contexts;
    for (const auto& a : numbered) {
        contexts.push_back({a});
        for (const auto& b : numbered) contexts.push_back({a, b});
    }
    for (const auto& context : contexts) {
        Entries expected;
        for (const auto& [gram, values] : grams)
            if (gram.size() == context.size() + 1 &&
                std::equal(context.begin(), context.end(), gram.begin()) && held.count(gram.back()))
                expected.emplace_back(model.Id(gram.back()), values.first);
        std::sort(expected.begin(), expected.end());
        const auto bo = grams.find(context);
        std::vector<ContextModel::WordId> ids;
        for (const auto& w : context) ids.push_back(model.Id(w));
        const Found got = Look(model, ids.data(), ids.size());
        Entries gotPairs;
        for (const auto& e : got.entries) gotPairs.emplace_back(e.word, e.logProb);
        const std::string what = context.size() == 1 ? context[0] : context[0] + " " + context[1];
        EXPECT_EQ(got.found, !expected.empty()) << what;
        EXPECT_EQ(gotPairs, expected) << what;
        EXPECT_EQ(got.backoff, expected.empty() || bo == grams.end() ? 0.0f : bo->second.second)
            << what;
        stored[context.size() - 1] += got.found;
    }
    EXPECT_EQ(written.contexts[0], stored[0]);
    EXPECT_EQ(written.contexts[1], stored[1]);
    LibraryContextModel::Totals totals;
    ASSERT_TRUE(model.Count(totals));
    EXPECT_EQ(totals.contexts[0], stored[0]);
    EXPECT_EQ(totals.entries[0] + totals.entries[1], written.entries[0] + written.entries[1]);

    // Numbers beyond the words, and contexts of no word or three.
    const ContextModel::WordId beyond[4] = {model.WordCount(), 0, 0, 0};
    for (const auto& [ids, n] :
         {std::pair{beyond, 1}, std::pair{beyond + 1, 0}, std::pair{beyond + 1, 3}}) {
        const Found got = Look(model, ids, static_cast<std::size_t>(n));
        EXPECT_FALSE(got.found) << n;
        EXPECT_TRUE(got.entries.empty()) << n;
        EXPECT_EQ(got.backoff, 0.0f) << n;
    }
}

// Pruning leaves out the entries that say little, and the back-off weight
// of a context that lost some gives their probability to the words it
// backs off for: each context's probabilities still add up to one.
TEST_F(ContextModelTest, PruningKeepsEachContextWhole) {
    std::mt19937 rng(11);
    const int n = 30;
    std::vector<std::string> words;
    std::vector<double> unigram;
    double total = 0;
    for (int i = 0; i < n; ++i) {
        words.push_back(std::to_string(100 + i).insert(0, 1, 'w'));
        unigram.push_back(std::uniform_real_distribution<double>(0.2, 1)(rng));
        total += unigram.back();
    }
    std::vector<std::string> g1, g2;
    std::vector<double> p1(n);
    // A probability as the text holds it.
    auto rounded = [](double p) { return std::pow(10.0, std::stod(Log(std::log10(p)))); };
    for (int i = 0; i < n; ++i) {
        p1[static_cast<std::size_t>(i)] = rounded(unigram[i] / total);
        g1.push_back("");
    }
    // Each word's 2-grams, and the back-off weight that makes them whole.
    for (int a = 0; a < n; ++a) {
        double explicitSum = 0, lowerSum = 0;
        std::vector<std::string> lines;
        for (int b = 0; b < n; ++b) {
            if (rng() % 3) continue;
            const double p =
                rounded(0.4 / n * std::uniform_real_distribution<double>(0.05, 2)(rng));
            explicitSum += p;
            lowerSum += p1[static_cast<std::size_t>(b)];
            lines.push_back(Log(std::log10(p)) + "\t" + words[a] + "\t" + words[b]);
        }
        g2.insert(g2.end(), lines.begin(), lines.end());
        g1[static_cast<std::size_t>(a)] = Log(std::log10(p1[static_cast<std::size_t>(a)])) + "\t" +
                                          words[a] + "\t" +
                                          Log(std::log10((1 - explicitSum) / (1 - lowerSum)));
    }
    const std::string text = Arpa(g1, g2, {}, rng);
    std::uint64_t before = ~0ull;
    for (double threshold : {0.0, 1e-5, 1e-4, 1e-3}) {
        const ContextWriteResult written = Write(text, words, threshold);
        ASSERT_TRUE(written.ok) << written.error;
        EXPECT_EQ(written.entries[0] + written.pruned, g2.size()) << threshold;
        EXPECT_LE(written.entries[0], before) << threshold;
        before = written.entries[0];
        LibraryContextModel model;
        ASSERT_TRUE(model.Open(lib));
        for (std::uint32_t a = 0; a < model.WordCount(); ++a) {
            const Found got = Look(model, &a, 1);
            if (!got.found) continue;
            double sum = 0;
            std::vector<bool> explicitWord(n);
            for (const auto& e : got.entries) {
                sum += std::pow(10.0, e.logProb);
                explicitWord[e.word] = true;
            }
            for (std::uint32_t w = 0; w < static_cast<std::uint32_t>(n); ++w)
                if (!explicitWord[w]) sum += std::pow(10.0, got.backoff) * p1[w];
            EXPECT_NEAR(sum, 1.0, 2e-3) << threshold << " " << model.Word(a);
        }
    }
    EXPECT_LT(before, g2.size() / 2);
}

// More distinct values than a record can index: each is rounded to the
// smallest step that lets them fit.
TEST_F(ContextModelTest, ValuesBeyondTheTableAreRoundedToFit) {
    const int n = 300;
    Keys words;
    std::string text = "\\1-grams:\n";
    for (int i = 0; i < n; ++i) {
        words.push_back(std::to_string(1000 + i).insert(0, 1, 'w'));
        text += "-2\t" + words.back() + "\n";
    }
    text += "\\2-grams:\n";
    for (int i = 0; i < n * n; ++i)
        text += Log(-1 - i / 1e4) + "\t" + words[i / n] + "\t" + words[i % n] + "\n";
    const ContextWriteResult written = Write(text, words);
    ASSERT_TRUE(written.ok) << written.error;
    EXPECT_EQ(written.values, n * n + 1u);  // and the back-off weight 0
    LibraryContextModel model;
    ASSERT_TRUE(model.Open(lib));
    for (ContextModel::WordId a = 0; a < n; ++a) {
        const Found got = Look(model, &a, 1);
        ASSERT_TRUE(got.found);
        ASSERT_EQ(got.entries.size(), static_cast<std::size_t>(n));
        EXPECT_EQ(got.backoff, 0.0f);
        for (const auto& e : got.entries)
            ASSERT_NEAR(e.logProb, -1 - (a * n + e.word) / 1e4, 1.01e-4) << a << " " << e.word;
    }
}

// A damaged record is no record; damaged words or values are no model.
TEST_F(ContextModelTest, DamagedDataIsNoRecordOrNoModel) {
    ASSERT_TRUE(Write("\\1-grams:\n-1\tan\n-1\tant\n\\2-grams:\n-0.5\tan\tant\n-0.7\tant\tan\n",
                      {"an", "ant"})
                    .ok);
    const std::string key = context_data::ContextKey(std::vector<std::uint32_t>{0}.data(), 1);
    const ContextModel::WordId an = 0;
    const struct {
        const char* what;
        std::string value;
    } records[] = {
        {"empty", ""},
        {"back-off cut", std::string("\x00", 1)},
        {"back-off beyond the table", "\xff\xff"},
        {"number cut", std::string("\x00\x00\x81", 3)},
        {"number of six bytes", std::string("\x00\x00\x80\x80\x80\x80\x80\x01", 8)},
        {"number beyond the words", std::string("\x00\x00\x03\x00\x00", 5)},
        {"no step", std::string("\x00\x00\x01\x00\x00\x00\x00\x00", 8)},
        {"value cut", std::string("\x00\x00\x01\x00", 4)},
        {"value beyond the table", std::string("\x00\x00\x01\xff\xff", 5)},
    };
    for (const auto& r : records) {
        ASSERT_TRUE(RawPut(lib, context_data::kDatabase, key, r.value));
        LibraryContextModel model;
        ASSERT_TRUE(model.Open(lib));
        const Found got = Look(model, &an, 1);
        EXPECT_FALSE(got.found) << r.what;
        EXPECT_TRUE(got.entries.empty()) << r.what;
        EXPECT_EQ(got.backoff, 0.0f) << r.what;
    }
    // Whole again: one entry, "ant".
    ASSERT_TRUE(RawPut(lib, context_data::kDatabase, key, std::string("\x00\x00\x02\x00\x00", 5)));
    LibraryContextModel model;
    ASSERT_TRUE(model.Open(lib));
    const Found whole = Look(model, &an, 1);
    ASSERT_EQ(whole.entries.size(), 1u);
    EXPECT_EQ(whole.entries[0].word, 1u);

    const std::string nan("\x00\x00\xc0\x7f", 4);
    const struct {
        const char* what;
        const char* key;
        std::string value;
    } headers[] = {
        {"words out of order", context_data::kWordsKey, std::string("ant\0an\0", 7)},
        {"a word twice", context_data::kWordsKey, std::string("an\0an\0", 6)},
        {"an empty word", context_data::kWordsKey, std::string("\0an\0", 4)},
        {"the last word unended", context_data::kWordsKey, std::string("an\0ant", 6)},
        {"a value cut", context_data::kValuesKey, std::string("\x00\x00\x80", 3)},
        {"a value no number", context_data::kValuesKey, nan},
    };
    const auto saved = RawRecords(lib, context_data::kDatabase);
    for (const auto& h : headers) {
        ASSERT_TRUE(RawPut(lib, context_data::kDatabase, h.key, h.value));
        EXPECT_FALSE(model.Open(lib)) << h.what;
        EXPECT_FALSE(Look(model, &an, 1).found) << h.what;
        ASSERT_TRUE(RawPut(lib, context_data::kDatabase, h.key, saved.at(h.key)));
    }
    EXPECT_TRUE(model.Open(lib));
}

TEST_F(ContextModelTest, WhatCannotBeWrittenOrReadIsNoModel) {
    MakeLibrary(lib, {{"an", ""}});
    LibraryContextModel model;
    EXPECT_FALSE(model.Open(lib));  // a library without context data
    EXPECT_FALSE(model.Open(dir / "none.lib"));
    EXPECT_FALSE(std::filesystem::exists(dir / "none.lib"));
    WriteBytes(dir / "text.lib", "\\1-grams:\n");
    EXPECT_FALSE(model.Open(dir / "text.lib"));
    EXPECT_EQ(model.Id("an"), ContextModel::kNoWord);

    Opened library(lib);
    EXPECT_FALSE(WriteContextData(library, dir / "missing.arpa", 0).ok);
    WriteBytes(dir / "only1.arpa", "\\1-grams:\n-1\tan\n");
    const ContextWriteResult r = WriteContextData(library, dir / "only1.arpa", 0);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("no 2-grams"), std::string::npos);
    library.Close();
    EXPECT_FALSE(model.Open(lib));
}

// The set's model: the first Dictionary library that has one, until its
// file is replaced.
TEST_F(ContextModelTest, TheSetOffersTheFirstDictionaryLibrarysModel) {
    ASSERT_TRUE(
        Write("\\1-grams:\n-1\tan\n-1\tant\n\\2-grams:\n-0.5\tan\tant\n", {"an", "ant"}).ok);
    MakeLibrary(dir / "a-plain.lib", {{"an", ""}});
    std::filesystem::copy_file(lib, dir / "b-short.lib");
    {
        Opened shorthand(dir / "b-short.lib");
        shorthand.SetType(Shorthand);
        ASSERT_EQ(shorthand.WriteInfo(), 1);
    }
    set.SetFileCheckInterval(std::chrono::milliseconds(0));
    listing.names = {"a-plain.lib", "b-short.lib"};
    ASSERT_EQ(Load(1), 1);
    EXPECT_EQ(set.Context(), nullptr);
    listing.names.push_back("English.lib");
    ASSERT_EQ(Load(1), 1);
    const ContextModel* model = set.Context();
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->Id("ant"), 1u);
    EXPECT_EQ(set.Context(), model);
    // Replaced by another library: no model until the next Load.
    WriteBytes(lib, ReadBytes(dir / "a-plain.lib"));
    EXPECT_EQ(set.Context(), nullptr);
    EXPECT_EQ(set.Context(), nullptr);
    ASSERT_EQ(Load(1), 1);
    EXPECT_EQ(set.Context(), nullptr);
}

}  // namespace
}  // namespace wl::test
