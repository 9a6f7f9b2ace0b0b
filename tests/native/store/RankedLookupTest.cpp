// LibrarySet's ranked lookup: matching with letter case ignored, the order
// by weight, Shorthand keys equal to the word first, one candidate per key,
// and the plain lookup left as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <tuple>

#include "tests/native/store/StoreTestSupport.h"

namespace wl::test {
namespace {

class RankedLookupTest : public SetTest {
  protected:
    // The ranked candidates as "key" or, with texts, "key=text".
    Keys Ranked(const std::string& word, bool texts = false, int dict = 1, int shorthand = 1) {
        Keys out;
        LibraryEntry e;
        for (int ok = set.FindFirstRanked(word.c_str(), e, dict, shorthand); ok;
             ok = set.FindNextRanked(e))
            out.push_back(texts ? std::string(e.keyString()) + "=" + e.textString()
                                : std::string(e.keyString()));
        return out;
    }
};

TEST_F(RankedLookupTest, TheMostCommonWordsComeFirstWhateverTheirCase) {
    Make(
        "english.lib",
        NoTexts({"Thackeray", "Thai", "thalamus", "than", "that", "the", "this", "typecasting",
                 "typing", "type"}),
        {},
        {{"than", 300}, {"that", 900}, {"the", 5000}, {"this", 800}, {"typing", 40}, {"type", 70}});
    ASSERT_EQ(Load(), 1);
    const Keys th = {"the", "that", "this", "than", "Thackeray", "Thai", "thalamus"};
    EXPECT_EQ(Ranked("th"), th);
    EXPECT_EQ(Ranked("Th"), th);  // not only the keys at or after "Th" in byte order
    EXPECT_EQ(Ranked("thx"), Keys{});
    // Each carries its share of the library's weights; unweighted ones none.
    LibraryEntry e;
    ASSERT_EQ(set.FindFirstRanked("the", e, 1, 1), 1);
    EXPECT_DOUBLE_EQ(e.probability, 5000.0 / 7110.0);
    ASSERT_EQ(set.FindFirstRanked("thai", e, 1, 1), 1);
    EXPECT_EQ(e.probability, 0.0);
    // The plain lookup is as it was: byte order, from the typed bytes on.
    EXPECT_EQ(Lookup(set, "Th"),
              (Keys{"Thackeray", "Thai", "thalamus", "than", "that", "the", "this"}));
    EXPECT_EQ(Lookup(set, "th"), (Keys{"thalamus", "than", "that", "the", "this"}));
}

TEST_F(RankedLookupTest, PhrasesAreNormalisedAndAnEmptyWordRanksEverything) {
    Make("a.lib", {{"he be going", ""}, {"he is here", ""}, {"apple", ""}, {"zoo", ""}}, {},
         {{"zoo", 3}, {"apple", 2}});
    ASSERT_EQ(Load(), 1);
    EXPECT_EQ(Ranked("He is go"), Keys{"he be going"});
    EXPECT_EQ(Ranked(""), (Keys{"zoo", "apple", "he be going", "he is here"}));
}

TEST_F(RankedLookupTest, NoLibraryOrNoLookupAnswersZero) {
    LibraryEntry e;
    EXPECT_EQ(set.FindNextRanked(e), 0);
    EXPECT_EQ(set.FindFirstRanked("a", e, 1, 1), 0);
    Make("a.lib", {{"alpha", ""}, {"beta", ""}});
    ASSERT_EQ(Load(), 1);
    EXPECT_EQ(set.FindNextRanked(e), 0);  // no ranked lookup since the Load
    ASSERT_EQ(set.FindFirstRanked("al", e, 1, 1), 1);
    EXPECT_EQ(set.FindNextRanked(e), 0);
    EXPECT_EQ(set.FindNextRanked(e), 0);
    // The two lookups run side by side without disturbing each other.
    ASSERT_EQ(set.FindFirst("b", e, MATCH_PREFIX, 1, 1), 1);
    ASSERT_EQ(set.FindFirstRanked("", e, 1, 1), 1);
    EXPECT_EQ(set.FindNext(e), 0);  // beta was the plain lookup's only one
    ASSERT_EQ(set.FindNextRanked(e), 1);
    EXPECT_STREQ(e.keyString(), "beta");
    set.UnloadAll();
    EXPECT_EQ(set.FindNextRanked(e), 0);
}

// A key asked for by name within the lookup comes as the lookup would give
// it (the best of its case forms, with its weight), and the lookup then
// leaves it out: it is offered once.
TEST_F(RankedLookupTest, AKeyTakenByNameIsNotOfferedAgain) {
    Make("words.lib", {{"thaw", "old"}, {"than", ""}, {"thawing", ""}, {"Thawing", ""}}, {},
         {{"than", 50}, {"thawing", 2}, {"Thawing", 3}});
    Make("more.lib", {{"thawing", "note"}, {"thy", ""}});
    Make("short.lib", {{"thx", "thanks"}}, {.type = Shorthand});
    ASSERT_EQ(Load(), 1);
    LibraryEntry e;
    EXPECT_EQ(set.FindRankedKey("thawing", e), 0);  // no ranked lookup yet
    ASSERT_EQ(set.FindFirstRanked("th", e, 1, 1), 1);
    ASSERT_EQ(set.FindRankedKey("THAWING", e), 1);
    EXPECT_STREQ(e.keyString(), "Thawing");
    EXPECT_GT(e.probability, 0.0);
    EXPECT_EQ(e.type, Dictionary);
    EXPECT_EQ(set.FindRankedKey("thawing", e), 0);  // once
    EXPECT_EQ(set.FindRankedKey("thx", e), 0);      // not a word
    EXPECT_EQ(set.FindRankedKey("thorn", e), 0);    // no library holds it
    Keys rest;
    while (set.FindNextRanked(e)) rest.push_back(e.keyString());
    EXPECT_EQ(rest, (Keys{"thawing", "thaw", "thx", "thy"}));
}

TEST_F(RankedLookupTest, AReplacedLibraryStopsOfferingAndTheOthersGoOn) {
    Make("big.lib", ManyEntries("word", 2000, "remark"), {}, {{"word7", 9}});
    Make("small.lib", {{"wordy", "small"}}, {}, {{"wordy", 3}});
    set.SetFileCheckInterval(std::chrono::milliseconds(0));
    ASSERT_EQ(Load(), 1);
    set.PrepareRanked();
    EXPECT_GT(set.RankedBytes(), 2000u * 9);
    LibraryEntry e;
    ASSERT_EQ(set.FindFirstRanked("word", e, 1, 1), 1);
    EXPECT_STREQ(e.keyString(), "word7");
    OutputCapture capture(dir);
    WriteBytes(dir / "big.lib", Junk(std::filesystem::file_size(dir / "big.lib") + 4096));
    ASSERT_EQ(set.FindNextRanked(e), 1);
    EXPECT_STREQ(e.keyString(), "wordy");
    EXPECT_EQ(set.FindNextRanked(e), 0);
    EXPECT_EQ(Ranked("word"), Keys{"wordy"});
    EXPECT_EQ(capture.Finish(), "");
}

// Many random libraries against a plain statement of the order, with keys
// from a few letters in both cases so that prefixes, case variants, equal
// and zero weights, keys in several libraries of either type and Shorthand
// keys equal to the word abound; with each type switched off too.
TEST_F(RankedLookupTest, RandomLibrariesGiveTheOrderOfTheRules) {
    struct Instance {
        int library;
        int type;
        std::string key;
        bool weighted;
        std::uint32_t weight;
    };
    std::mt19937 rng(20240611);
    const std::string letters = "abAB\xE9\xC9";  // é and É in Windows-1252
    std::vector<Instance> all;
    const int libraries = 4;
    for (int l = 0; l < libraries; ++l) {
        int type = l % 2 ? Shorthand : Dictionary;
        std::set<std::string> keys;
        while (keys.size() < 120) {
            std::string key(1 + rng() % 4, ' ');
            for (char& c : key) c = letters[rng() % letters.size()];
            keys.insert(key);
        }
        Pairs entries;
        Weights weights;
        for (const auto& key : keys) {
            entries.push_back({key, std::string(1, 'L').append(std::to_string(l))});
            bool weighted = rng() % 3 != 0;
            std::uint32_t weight = rng() % 6;
            if (weighted) weights[key] = weight;
            all.push_back({l, type, key, weighted, weight});
        }
        Make("lib" + std::to_string(l) + ".lib", entries, {.type = type}, weights);
    }
    ASSERT_EQ(Load(), 1);

    const CodePage& page = CodePage1252();
    auto lower = [&](std::string s) {
        page.ToLower(s.data());
        return s;
    };
    auto expected = [&](const std::string& word, int dict, int shorthand) {
        std::vector<const Instance*> matches;
        for (const Instance& x : all)
            if ((x.type == Shorthand ? shorthand : dict) &&
                lower(x.key).compare(0, word.size(), lower(word)) == 0)
                matches.push_back(&x);
        // The order of instances: Shorthand keys equal to the word (later
        // library, bytes), then rank, case-insensitive key, later library,
        // bytes.
        auto order = [&](const Instance* x) {
            const bool equal =
                x->type == Shorthand && page.CompareNoCase(x->key.c_str(), word.c_str()) == 0;
            const std::int64_t rank = x->weighted ? std::int64_t{x->weight} + 1 : 0;
            return std::make_tuple(!equal, equal ? 0 : -rank, equal ? "" : lower(x->key),
                                   -x->library, x->key);
        };
        std::stable_sort(matches.begin(), matches.end(),
                         [&](const Instance* a, const Instance* b) { return order(a) < order(b); });
        Keys out;
        std::set<std::pair<int, std::string>> given;
        for (const Instance* x : matches) {
            if (!given.insert({x->type, x->key}).second) continue;
            int owner = x->library;
            for (const Instance& y : all)
                if (y.type == x->type && y.key == x->key) owner = std::max(owner, y.library);
            out.push_back(x->key + "=L" + std::to_string(owner));
        }
        return out;
    };
    std::vector<std::string> words = {""};
    for (char a : letters) {
        words.push_back(std::string(1, a));
        for (char b : letters) words.push_back(std::string{a, b});
    }
    for (const auto& word : words) {
        for (auto [dict, shorthand] : {std::pair{1, 1}, std::pair{1, 0}, std::pair{0, 1}})
            EXPECT_EQ(Ranked(word, true, dict, shorthand), expected(word, dict, shorthand))
                << word << " " << dict << shorthand;
    }
}

// The index on its own, over enough keys for many blocks of its range
// structure: the best of any range and a walk over any range agree with a
// plain look through the weights.
TEST(RankedIndexTest, RangeBestsAndWalksAgreeWithAPlainLook) {
    TempDir dir;
    std::mt19937 rng(7);
    std::map<std::string, std::string> keys;  // key -> text; the index's order for digits
    Weights weights;
    while (keys.size() < 5000) keys[std::to_string(rng() % 1000000)] = rng() % 4 ? "" : "text";
    for (const auto& [key, text] : keys)
        if (rng() % 5) weights[key] = rng() % 50;  // many equal weights
    MakeLibrary(dir / "a.lib", Pairs(keys.begin(), keys.end()));
    Opened lib(dir / "a.lib");
    for (const auto& [key, weight] : weights) ASSERT_EQ(lib.SetWeight(Entry(key), weight), 1);
    RankedIndex index;
    ASSERT_TRUE(index.Build(lib, CodePage1252()));
    ASSERT_EQ(index.Size(), 5000u);
    for (std::uint32_t i = 0; i < index.Size(); ++i) {
        std::string key(index.Key(i), index.KeyLength(i));
        EXPECT_EQ(index.HasWeight(i), weights.count(key) == 1);
        EXPECT_EQ(index.HasText(i), keys.at(key) != "");
        EXPECT_TRUE(index.MayHold(RankedIndex::Hash(key.data(), index.KeyLength(i))));
    }
    auto plainBest = [&](std::uint32_t first, std::uint32_t last) {
        std::uint32_t best = first;
        for (std::uint32_t i = first; i <= last; ++i)
            if (index.Rank(i) > index.Rank(best)) best = i;
        return best;
    };
    for (int t = 0; t < 3000; ++t) {
        std::uint32_t a = static_cast<std::uint32_t>(rng() % 5000),
                      b = static_cast<std::uint32_t>(rng() % 5000);
        if (t % 3 == 0)
            b = std::min<std::uint32_t>(
                4999, a + static_cast<std::uint32_t>(rng() % 40));  // short ranges too
        std::uint32_t first = std::min(a, b), last = std::max(a, b);
        ASSERT_EQ(index.Best(first, last), plainBest(first, last)) << first << " " << last;
    }
    // Prefix ranges of every length, over keys of digits.
    for (const char* word : {"", "1", "12", "123", "9", "99999", "1234567", "x", "0"}) {
        std::uint32_t first = 0, last = 0;
        index.PrefixRange(word, first, last);
        // The keys that begin with the word, or none at the first key not below it.
        auto from = keys.lower_bound(word), to = from;
        while (to != keys.end() && to->first.rfind(word, 0) == 0) ++to;
        EXPECT_EQ(first, static_cast<std::uint32_t>(std::distance(keys.begin(), from))) << word;
        EXPECT_EQ(last, static_cast<std::uint32_t>(std::distance(keys.begin(), to))) << word;
    }
    for (int t = 0; t < 50; ++t) {
        std::uint32_t a = static_cast<std::uint32_t>(rng() % 5001),
                      b = static_cast<std::uint32_t>(rng() % 5001);
        std::uint32_t first = std::min(a, b), last = std::max(a, b);
        std::vector<std::uint32_t> expected(last - first);
        std::iota(expected.begin(), expected.end(), first);
        std::stable_sort(expected.begin(), expected.end(), [&](std::uint32_t x, std::uint32_t y) {
            return index.Rank(x) > index.Rank(y);
        });
        std::vector<std::uint32_t> walked;
        RankedWalk walk;
        for (walk.Start(&index, first, last); !walk.Done(); walk.Advance())
            walked.push_back(walk.Current());
        ASSERT_EQ(walked, expected) << first << " " << last;
    }
}

}  // namespace
}  // namespace wl::test
