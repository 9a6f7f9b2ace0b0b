// Learning: counts that fade, pairs, the bound, the mix with the library's
// weight, learned words, and the file (whole, damaged, cut short, newer).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "learn/Learner.h"
#include "platform/CodePage.h"
#include "tests/support/Files.h"

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

TEST(Learner, TheLearnedOrderKeepsPinnedShorthandsAndOrdersTheRestByUse) {
    Learner learn(CodePage1252());
    const std::vector<RankedCandidate> ranked = {{"th", 0, false},     {"the", 0.05, true},
                                                 {"this", 0.01, true}, {"thesis", 0.0001, true},
                                                 {"thx", 0, false},    {"thorn", 0, true}};
    using Order = std::vector<std::size_t>;
    EXPECT_EQ(OrderByUse(learn, ranked, 1, "", kT0), (Order{0, 1, 2, 3, 4, 5}));
    for (int i = 0; i < 8; ++i) learn.Use("thesis", "", kT0);
    for (int i = 0; i < 4; ++i) learn.Use("thorn", "", kT0);
    EXPECT_EQ(OrderByUse(learn, ranked, 1, "", kT0), (Order{0, 3, 5, 1, 2, 4}));
    EXPECT_EQ(OrderByUse(learn, {}, 3, "", kT0), Order{});
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
    learn.Use("frobozz", "", kT0);
    learn.Use("frobozz", "", kT0);
    learn.Use("frobozz", "", kT0);
    EXPECT_EQ(learn.WordsWithPrefix("FR", 2, 3, 10, kT0),
              (std::vector<std::string>{"frobozz", "frobnitz"}));
    EXPECT_EQ(learn.WordsWithPrefix("fr", 2, 3, 1, kT0), std::vector<std::string>{"frobozz"});
    learn.Forget();
    EXPECT_TRUE(learn.WordsWithPrefix("fr", 1, 1, 10, kT0).empty());
    EXPECT_EQ(learn.WordCount(), 0u);
}

TEST(Learner, TheFileKeepsEverythingAndReplacesTheOldOneWhole) {
    TempDir dir;
    const std::string path = dir / "learned.dat";
    Learner learn(CodePage1252());
    EXPECT_EQ(learn.Load(path), Learner::LoadResult::Missing);
    learn.Use("of", "", kT0);
    learn.Use("Frobnitz", "of", kT0 + 5);
    ASSERT_TRUE(learn.Save(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));

    Learner again(CodePage1252());
    ASSERT_EQ(again.Load(path), Learner::LoadResult::Loaded);
    EXPECT_DOUBLE_EQ(again.PairCount("of", "frobnitz", kT0 + 5), 1.0);
    EXPECT_EQ(again.WordsWithPrefix("fro", 1, 3, 5, kT0), std::vector<std::string>{"Frobnitz"});
    EXPECT_DOUBLE_EQ(again.Score("frobnitz", "of", 0.1, kT0),
                     learn.Score("frobnitz", "of", 0.1, kT0));

    // A save that cannot be written leaves the old file as it was.
    const std::string before = ReadBytes(path);
    EXPECT_FALSE(learn.Save(dir / "missing-folder/learned.dat"));
    EXPECT_EQ(ReadBytes(path), before);
}

TEST(Learner, ADamagedCutOrNewerFileIsSetAsideAndLearningStartsAfresh) {
    TempDir dir;
    const std::string path = dir / "learned.dat";
    Learner learn(CodePage1252());
    learn.Use("alpha", "", kT0);
    learn.Use("beta", "alpha", kT0);
    ASSERT_TRUE(learn.Save(path));
    const std::string whole = ReadBytes(path);
    std::string flipped = whole;
    flipped[whole.find("beta")] = 'z';
    std::string newer = whole;
    newer.replace(newer.find('1'), 1, "2");
    for (const std::string& bad :
         {flipped, whole.substr(0, whole.size() / 2), whole.substr(0, whole.size() - 1), newer,
          std::string(), std::string("\0\0\0\n", 4), std::string(3000, '\xFF')}) {
        SCOPED_TRACE(bad.size());
        std::filesystem::remove_all(dir.path());
        std::filesystem::create_directories(dir.path());
        WriteBytes(path, bad);
        Learner fresh(CodePage1252());
        fresh.Use("stale", "", kT0);
        EXPECT_EQ(fresh.Load(path), Learner::LoadResult::SetAside);
        EXPECT_EQ(fresh.WordCount(), 0u);
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_EQ(ReadBytes(path + ".damaged"), bad);  // kept, not deleted
    }
    // A second damaged file does not overwrite the first one kept.
    WriteBytes(path, "junk");
    Learner fresh(CodePage1252());
    EXPECT_EQ(fresh.Load(path), Learner::LoadResult::SetAside);
    EXPECT_EQ(ReadBytes(path + ".damaged-2"), "junk");
}

}  // namespace
}  // namespace wl::test
