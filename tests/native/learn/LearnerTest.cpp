// Learning: counts that fade, pairs, the bound, the mix with the library's
// weight, learned words, and removing some of them.
#include <gtest/gtest.h>

#include <string>

#include "learn/Learner.h"
#include "platform/CodePage.h"

namespace wl::test {
namespace {

constexpr std::int64_t kDay = 24 * 3600;
constexpr std::int64_t kT0 = 1800000000;

TEST(Learner, WordsAndPairsAreCountedWithoutLetterCaseAndFadeByHalfEachHalfLife) {
    Learner learn(CodePage1252());
    for (int i = 0; i < 3; ++i) learn.Use("Apple", "", kT0);
    learn.Use("apple", "", kT0 + 14 * kDay);  // 1.5 left of the three, and one more
    EXPECT_DOUBLE_EQ(learn.WordCount("APPLE", kT0 + 14 * kDay), 2.5);
    EXPECT_DOUBLE_EQ(learn.WordCount("apple", kT0 + 28 * kDay), 1.25);
    EXPECT_EQ(learn.Uses("apple"), 4u);
    EXPECT_EQ(learn.WordCount(), 1u);

    // Pairs count the word after the previous one.
    const std::int64_t later = kT0 + 28 * kDay;
    learn.Use("the", "Apple", later);
    learn.Use("The", "APPLE", later);
    learn.Use("two", "", later);
    EXPECT_DOUBLE_EQ(learn.PairCount("apple", "the", later), 2.0);
    EXPECT_DOUBLE_EQ(learn.PairCount("apple", "two", later), 0.0);
}

TEST(Learner, OnlyWordsOfLettersAreCounted) {
    Learner learn(CodePage1252());
    for (const char* word :
         {"", "1234", "4th", "abc123", "Summer2024", "4111-1111-1111-1111", "123-45-6789", "a b",
          "tab\there", "line\n", "snake_case", "-dash", "dash-", "don''t", "e.g", "x--y"})
        learn.Use(word, "", kT0);
    learn.Use(std::string(65, 'x'), "", kT0);
    EXPECT_EQ(learn.WordCount(), 0u);
    for (const char* word : {"don't", "well-known", "mother-in-law", "Caf\xE9", "x"})
        learn.Use(word, "", kT0);
    learn.Use(std::string(64, 'x'), "", kT0);
    learn.Use("fourth", "4th", kT0);  // a number before it makes no pair
    EXPECT_EQ(learn.WordCount(), 7u);
    EXPECT_EQ(learn.PairCount(), 0u);
}

// The spelling offered is how the word is typed in the middle of a
// sentence: not a sentence's capital, not one shout in capitals.
TEST(Learner, TheSpellingFollowsTheWordInTheMiddleOfASentence) {
    Learner learn(CodePage1252());
    auto offered = [&](const char* prefix) {
        auto words = learn.WordsWithPrefix(prefix, 1, 1, 1, kT0);
        return words.empty() ? std::string() : words.front();
    };
    learn.Use("Frobnitz", "", kT0, /*sentenceStart=*/true);
    EXPECT_EQ(offered("frob"), "Frobnitz");  // all there is
    for (int i = 0; i < 3; ++i) learn.Use("frobnitz", "", kT0);
    learn.Use("FROBNITZ", "", kT0);
    learn.Use("Frobnitz", "", kT0, true);
    EXPECT_EQ(offered("frob"), "frobnitz");
    // A name is spelt with its capital wherever it stands.
    learn.Use("Wordlark", "", kT0);
    learn.Use("wordlark", "", kT0, true);
    EXPECT_EQ(offered("word"), "Wordlark");
    // Capitals alone are kept until something better comes.
    learn.Use("NASA", "", kT0);
    EXPECT_EQ(offered("nas"), "NASA");
}

TEST(Learner, UseOvertakesTheLibrarysWeightAndFades) {
    Learner learn(CodePage1252());
    const double common = 0.02, rare = 0.00001;
    EXPECT_GT(learn.Score("the", "", common, kT0), learn.Score("thesis", "", rare, kT0));
    for (int i = 0; i < 3; ++i) learn.Use("thesis", "", kT0);
    EXPECT_GT(learn.Score("thesis", "", rare, kT0), learn.Score("the", "", common, kT0));
    // Long unused, the library's order comes back.
    EXPECT_LT(learn.Score("thesis", "", rare, kT0 + 400 * kDay),
              learn.Score("the", "", common, kT0 + 400 * kDay));
    // (The word before outweighing the use overall: the candidate list's
    // smart order test.)
}

// The words from the most used down, as their faded counts stand at any
// time, through uses, removals and the bound.
TEST(Learner, TheOrderOfUseFollowsTheFadedCounts) {
    Learner learn(CodePage1252(), LearnLimits{12, 100, 14 * kDay});
    auto order = [&](std::int64_t now) {
        std::vector<std::string> out;
        auto cursor = learn.ByUse(now);
        Learner::LearnedUse use;
        while (cursor.Next(use)) out.push_back(*use.key);
        return out;
    };
    auto byCount = [&](std::int64_t now) {
        std::vector<std::string> keys = order(now);
        std::stable_sort(keys.begin(), keys.end(), [&](const std::string& a, const std::string& b) {
            return learn.WordCount(a, now) > learn.WordCount(b, now);
        });
        return keys;
    };
    for (int i = 0; i < 4; ++i) learn.Use("old", "", kT0);
    for (int i = 0; i < 2; ++i) learn.Use("new", "", kT0 + 30 * kDay);  // 2 against 1 left
    learn.Use("mid", "new", kT0 + 14 * kDay);
    learn.Use("Old", "", kT0 + 31 * kDay);
    EXPECT_EQ(order(kT0 + 31 * kDay), byCount(kT0 + 31 * kDay));
    EXPECT_EQ(order(kT0 + 31 * kDay).front(), "new");
    learn.Remove({"new"});
    EXPECT_EQ(order(kT0 + 31 * kDay), (std::vector<std::string>{"old", "mid"}));
    for (char c = 'a'; c < 'p'; ++c) learn.Use(std::string("w") + c, "", kT0 + 40 * kDay + c);
    EXPECT_LE(learn.WordCount(), 12u);  // bound: the order follows what is kept
    EXPECT_EQ(order(kT0 + 41 * kDay).size(), learn.WordCount());
    EXPECT_EQ(order(kT0 + 41 * kDay), byCount(kT0 + 41 * kDay));
}

TEST(Learner, TheBoundDropsTheLeastRecentlyUsedFirst) {
    Learner learn(CodePage1252(), LearnLimits{10, 10, 14 * kDay});
    learn.Use("keepme", "", kT0 + 100);
    auto word = [](int i) { return std::string("word") + static_cast<char>('a' + i); };
    for (int i = 0; i < 20; ++i) learn.Use(word(i), i ? word(i - 1) : "", kT0 + i);
    learn.Use("keepme", "", kT0 + 100);
    EXPECT_LE(learn.WordCount(), 10u);
    EXPECT_LE(learn.PairCount(), 10u);
    EXPECT_EQ(learn.Uses("keepme"), 2u);
    EXPECT_EQ(learn.Uses(word(19)), 1u);
    EXPECT_EQ(learn.Uses(word(0)), 0u);
}

TEST(Learner, LearnedWordsAreOfferedAfterTheyWereTypedTwice) {
    Learner learn(CodePage1252());
    learn.Use("frobnitz", "", kT0);
    learn.Use("fr", "", kT0);
    learn.Use("fr", "", kT0);
    EXPECT_TRUE(learn.WordsWithPrefix("frob", 2, 3, 10, kT0).empty());
    learn.Use("Frobnitz", "", kT0, /*sentenceStart=*/true);
    for (int i = 0; i < 3; ++i) learn.Use("frobozz", "", kT0);
    EXPECT_EQ(learn.WordsWithPrefix("FR", 2, 3, 10, kT0),
              (std::vector<std::string>{"frobozz", "frobnitz"}));
    EXPECT_EQ(learn.WordsWithPrefix("fr", 2, 3, 1, kT0), std::vector<std::string>{"frobozz"});
    learn.Forget();
    EXPECT_TRUE(learn.WordsWithPrefix("fr", 1, 1, 10, kT0).empty());
    EXPECT_EQ(learn.WordCount(), 0u);
}

TEST(Learner, RemovingAWordTakesItsPairsAndLeavesTheRestAsIfItHadNeverBeenTyped) {
    // The same typing, once with "Frob" (after "of", and before "gnome"),
    // once without it.
    Learner removed(CodePage1252()), never(CodePage1252());
    for (Learner* l : {&removed, &never}) {
        l->Use("of", "", kT0);
        l->Use("gnome", "of", kT0 + kDay);
    }
    removed.Use("Frob", "of", kT0 + 2 * kDay);
    removed.Use("gnome", "frob", kT0 + 2 * kDay);
    never.Use("gnome", "", kT0 + 2 * kDay);
    for (Learner* l : {&removed, &never}) l->Use("of", "gnome", kT0 + 3 * kDay);
    removed.Remove({removed.Key("Frob"), "missing"});
    EXPECT_EQ(removed.WordCount(), never.WordCount());
    EXPECT_EQ(removed.PairCount(), never.PairCount());
    EXPECT_EQ(removed.Uses("frob"), 0u);
    const std::int64_t now = kT0 + 10 * kDay;
    for (const char* prev : {"of", "gnome"})
        for (const char* word : {"gnome", "of", "frob"})
            EXPECT_NEAR(removed.Score(word, prev, 0.001, now), never.Score(word, prev, 0.001, now),
                        1e-12)
                << prev << " " << word;
}

}  // namespace
}  // namespace wl::test
