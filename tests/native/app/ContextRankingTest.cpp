// The ranked page in context against a brute-force scan: for random
// libraries, models, learners and typed letters, the page holds exactly the
// best scores there are.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/ContextRanking.h"
#include "platform/CodePage.h"
#include "platform/MemoryRegistry.h"
#include "store/ContextWriter.h"
#include "tests/support/Libraries.h"

namespace wl {
namespace {

struct Key {
    std::string key;
    std::uint32_t weight;
    int type;
};

// The ranked lookup over keys in memory: matches by prefix (the keys are
// lower case), weighted ones by weight, then the rest in key order; a key
// is given once.
class MemorySource : public CandidateSource {
  public:
    std::vector<Key> keys;
    const ContextModel* model = nullptr;

    int FindFirst(const char*, LibraryEntry&, int, int, int) override { return 0; }
    int FindNext(LibraryEntry&) override { return 0; }
    int FindFirstRanked(const char* word, LibraryEntry& entry, int dictionary,
                        int shorthand) override {
        order_.clear();
        given_.clear();
        next_ = 0;
        const std::string prefix = word;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const Key& k = keys[i];
            if (k.key.compare(0, prefix.size(), prefix) != 0) continue;
            if ((k.type == Dictionary && !dictionary) || (k.type == Shorthand && !shorthand))
                continue;
            order_.push_back(i);
        }
        std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
            const Key &x = keys[a], &y = keys[b];
            const bool pinX = x.type == Shorthand && x.key == prefix;
            const bool pinY = y.type == Shorthand && y.key == prefix;
            if (pinX != pinY) return pinX;
            if (x.weight != y.weight) return x.weight > y.weight;
            return x.key < y.key;
        });
        return FindNextRanked(entry);
    }
    int FindNextRanked(LibraryEntry& entry) override {
        while (next_ < order_.size()) {
            const std::size_t i = order_[next_++];
            if (Give(i, entry)) return 1;
        }
        return 0;
    }
    int FindRankedKey(const char* key, LibraryEntry& entry) override {
        for (std::size_t i : order_)
            if (keys[i].type == Dictionary && keys[i].key == key) return Give(i, entry);
        return 0;
    }
    const ContextModel* Context() override { return model; }

  private:
    bool Give(std::size_t i, LibraryEntry& entry) {
        if (!given_.insert(i).second) return false;
        entry.Clear();
        entry.SetKey(keys[i].key.data(), static_cast<std::uint32_t>(keys[i].key.size()));
        entry.SetText("", 0);
        entry.type = keys[i].type;
        entry.weight = keys[i].weight;
        return true;
    }
    std::vector<std::size_t> order_;
    std::set<std::size_t> given_;
    std::size_t next_ = 0;
};

class MemoryModel : public ContextModel {
  public:
    std::vector<std::string> words;  // sorted
    std::map<std::vector<WordId>, std::pair<float, std::vector<Entry>>> contexts;

    WordId Id(std::string_view word) const override {
        auto it = std::lower_bound(words.begin(), words.end(), word);
        return it != words.end() && *it == word ? static_cast<WordId>(it - words.begin()) : kNoWord;
    }
    std::string_view Word(WordId id) const override {
        return id < words.size() ? std::string_view(words[id]) : std::string_view();
    }
    void PrefixRange(std::string_view prefix, WordId& first, WordId& last) const override {
        first = static_cast<WordId>(std::lower_bound(words.begin(), words.end(), prefix) -
                                    words.begin());
        last = first;
        while (last < words.size() && words[last].compare(0, prefix.size(), prefix) == 0) ++last;
    }
    bool Lookup(const WordId* context, std::size_t n, std::vector<Entry>& entries,
                float& backoff) const override {
        entries.clear();
        backoff = 0;
        auto it = contexts.find(std::vector<WordId>(context, context + n));
        if (it == contexts.end()) return false;
        backoff = it->second.first;
        entries = it->second.second;
        return true;
    }
};

std::string RandomWord(std::mt19937& rng) {
    std::uniform_int_distribution<int> length(1, 5), letter(0, 4);
    std::string w;
    for (int i = length(rng); i > 0; --i) w += static_cast<char>('a' + letter(rng));
    return w;
}

TEST(ContextRanking, ThePageHoldsTheBestScoresOfABruteForceScan) {
    std::mt19937 rng(20261207);
    std::uniform_real_distribution<float> logp(-4, -0.1f), bow(-1.5f, 0.5f);
    std::uniform_int_distribution<int> coin(0, 3);
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        MemorySource source;
        std::set<std::string> unique;
        while (unique.size() < 120) unique.insert(RandomWord(rng));
        for (const std::string& w : unique) {
            const std::uint32_t weight =
                coin(rng) ? static_cast<std::uint32_t>(std::pow(10.0, logp(rng) + 10)) : 0;
            source.keys.push_back(
                {w, weight, coin(rng) == 0 && w.size() <= 2 ? Shorthand : Dictionary});
        }
        MemoryModel model;
        model.words.push_back(ContextModel::kSentenceStart);
        for (const Key& k : source.keys)
            if (k.type == Dictionary && coin(rng)) model.words.push_back(k.key);
        std::sort(model.words.begin(), model.words.end());
        auto pick = [&] {
            return static_cast<ContextModel::WordId>(
                std::uniform_int_distribution<std::size_t>(0, model.words.size() - 1)(rng));
        };
        for (int c = 0; c < 60; ++c) {
            std::vector<ContextModel::WordId> ctx{pick()};
            if (coin(rng)) ctx.push_back(pick());
            std::set<ContextModel::WordId> after;
            for (int n = coin(rng) * 6; n > 0; --n) after.insert(pick());
            if (model.contexts.count(ctx)) continue;  // its entries come sorted, once
            auto& entry = model.contexts[ctx];
            entry.first = bow(rng);
            for (auto id : after) entry.second.push_back({id, logp(rng)});
        }
        // Sparse learners, and dense ones where a few words before are
        // followed by most words, often and at different times (so that a
        // word's own count and its count after the word before disagree).
        Learner learner(CodePage1252());
        const bool dense = round % 2 == 1;
        for (int u = 0; u < (dense ? 600 : 80); ++u) {
            const std::string word =
                coin(rng) ? source.keys[rng() % source.keys.size()].key : RandomWord(rng) + "x";
            std::string prev = coin(rng) ? model.words[pick()] : std::string();
            if (dense && coin(rng)) prev = model.words[static_cast<std::size_t>(coin(rng) % 2)];
            learner.Use(word, prev == ContextModel::kSentenceStart ? "" : prev,
                        dense ? 1000 - static_cast<std::int64_t>(rng() % 3000000) : 1000);
        }
        source.model = coin(rng) ? &model : nullptr;

        for (int q = 0; q < 40; ++q) {
            RankRequest request;
            const int letters = std::uniform_int_distribution<int>(0, 2)(rng);
            for (int i = 0; i < letters; ++i)
                request.word +=
                    static_cast<char>('a' + std::uniform_int_distribution<int>(0, 4)(rng));
            for (int i = coin(rng) % 3; i > 0; --i)
                request.context.push_back(coin(rng) ? model.words[pick()] : RandomWord(rng) + "q");
            if (dense && coin(rng)) request.context.push_back(model.words[1]);
            if (!request.context.empty() && request.context.back() != ContextModel::kSentenceStart)
                request.prev = request.context.back();
            request.learnNew = coin(rng) != 0;
            request.now = 1000;
            const Learner* withLearner = coin(rng) ? &learner : nullptr;
            const RankedPage page = RankInContext(source, withLearner, CodePage1252(), request);

            // The brute force: every key that matches, and the learned words
            // no library holds.
            const double share = withLearner ? learner.StaticShare() : 1.0;
            std::vector<double> expected;
            std::set<std::string> held;
            for (const Key& k : source.keys) {
                if (k.key.compare(0, request.word.size(), request.word) != 0) continue;
                if (k.type == Shorthand) {
                    if (!request.word.empty() && k.key != request.word) expected.push_back(0);
                    continue;
                }
                held.insert(k.key);
                const double user =
                    withLearner ? learner.UserScore(k.key, request.prev, request.now) : 0;
                expected.push_back(user + share * ContextProbability(source.model, request.context,
                                                                     k.key, k.weight));
            }
            if (withLearner && request.learnNew) {
                for (const std::string& w : learner.WordsWithPrefix(request.word, 2, 3, 1000, 1000))
                    if (!held.count(w))
                        expected.push_back(learner.UserScore(w, request.prev, 1000));
            }
            std::sort(expected.rbegin(), expected.rend());
            expected.resize(std::min<std::size_t>(expected.size(), request.rows));
            const std::vector<double> got(page.scores.begin() + static_cast<long>(page.pinned),
                                          page.scores.end());
            ASSERT_EQ(got.size(), expected.size()) << "\"" << request.word << "\"";
            for (std::size_t i = 0; i < got.size(); ++i)
                ASSERT_NEAR(got[i], expected[i], 1e-12 + expected[i] * 1e-9)
                    << "row " << i << " of \"" << request.word << "\"";
            // A word is offered once, however many ways lead to it.
            std::set<std::pair<int, std::string>> rows;
            for (const auto& entry : page.entries)
                ASSERT_TRUE(rows.emplace(entry->type, entry->keyString()).second)
                    << entry->keyString() << " twice for \"" << request.word << "\"";
        }
    }
}

// A Unicode Dictionary's own model (its words folded UTF-8) ranks words the
// code page cannot hold, after a context typed in capitals, and names the
// next word before a letter is typed.
TEST(ContextRanking, AUnicodeDictionaryRanksByItsOwnModel) {
    test::TempDir dir;
    // σίσυφος, σοφία, σπίτι, βράχος: in the library's order σίσυφος first.
    const std::string sisyphus = "\u03C3\u03AF\u03C3\u03C5\u03C6\u03BF\u03C2",
                      wisdom = "\u03C3\u03BF\u03C6\u03AF\u03B1",
                      house = "\u03C3\u03C0\u03AF\u03C4\u03B9",
                      rock = "\u03B2\u03C1\u03AC\u03C7\u03BF\u03C2";
    const std::string path = dir / "g.lib";
    test::MakeLibrary(path, {{sisyphus, ""}, {wisdom, ""}, {house, ""}, {rock, ""}},
                      {.encoding = EncodingUtf8});
    // After "βράχος" σπίτι, after a sentence's start σοφία.
    test::WriteBytes(dir / "m.arpa",
                     "\\data\\\nngram 1=5\nngram 2=2\n\n\\1-grams:\n-99\t<s>\t-0.5\n-1\t" +
                         sisyphus + "\n-1\t" + wisdom + "\n-1\t" + house + "\n-1\t" + rock +
                         "\t-0.3\n\n\\2-grams:\n-0.1\t" + rock + "\t" + house + "\n-0.2\t<s>\t" +
                         wisdom + "\n\n\\end\\\n");
    {
        Library lib(CodePage1252());
        ASSERT_EQ(lib.Open(path.c_str()), 1);
        const ContextWriteResult written = WriteContextData(lib, dir / "m.arpa", 0);
        ASSERT_TRUE(written.ok) << written.error;
    }
    MemoryRegistry registry;
    test::ListedDirectory listing;
    listing.names = {"g.lib"};
    LibrarySet set(registry, listing, CodePage1252());
    ASSERT_EQ(set.LoadFolder(dir.path().string(), 1), 1);
    LibrarySource source(set);
    // The first row for the letters typed after the context (in UTF-8 only:
    // the code page holds none of these words).
    auto first = [&](const std::string& typed, const std::vector<std::string>& context) {
        RankRequest request;
        request.wordUtf8 = typed;
        request.codePageWord = typed.empty();
        request.contextUtf8 = context;
        const RankedPage page = RankInContext(source, nullptr, CodePage1252(), request);
        return page.entries.empty() ? std::string("(none)") : page.entries[0]->keyString();
    };
    EXPECT_EQ(first("\u03C3", {}), sisyphus);
    EXPECT_EQ(first("\u03C3", {"\u0392\u03A1\u0386\u03A7\u039F\u03A3"}), house);  // ΒΡΆΧΟΣ
    EXPECT_EQ(first("\u03A3", {ContextModel::kSentenceStart}), wisdom);
    EXPECT_EQ(first("", {rock}), house);
}

}  // namespace
}  // namespace wl
