// The learned words as the main program keeps them: written in batches and
// at exit, forgotten on request, and never lost to a damaged file or a write
// cut short.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/LearnedWords.h"
#include "platform/CodePage.h"
#include "tests/support/Files.h"

namespace wl {
namespace {

using test::ReadBytes;
using test::WriteBytes;

constexpr std::int64_t kT0 = 1800000000;

struct LearnedWordsTest : ::testing::Test {
    test::TempDir dir;
    const std::string path = dir / "learned.dat";
    LearnedWords words{CodePage1252(), path};
};

TEST_F(LearnedWordsTest, AreWrittenInBatchesAndAtTheEnd) {
    EXPECT_TRUE(words.SaveNow(kT0));  // nothing changed: nothing written
    EXPECT_FALSE(std::filesystem::exists(path));
    words.Finished("alpha", "", kT0);
    EXPECT_TRUE(words.SaveIfDue(kT0));  // the first change after a long while
    const std::string first = ReadBytes(path);
    words.Finished("beta", "alpha", kT0 + 1);
    EXPECT_FALSE(words.SaveIfDue(kT0 + 29));
    EXPECT_EQ(ReadBytes(path), first);
    EXPECT_TRUE(words.SaveIfDue(kT0 + 30));
    words.Finished("gamma", "", kT0 + 31);
    ASSERT_TRUE(words.SaveNow(kT0 + 32));

    LearnedWords again(CodePage1252(), path);
    EXPECT_EQ(again.WordCount(), 3u);
    EXPECT_DOUBLE_EQ(again.learner().PairCount("alpha", "beta", kT0 + 1), 1.0);
}

TEST_F(LearnedWordsTest, ForgettingRemovesTheFileToo) {
    words.Finished("alpha", "", kT0);
    ASSERT_TRUE(words.SaveNow(kT0));
    ASSERT_TRUE(words.Forget());
    EXPECT_EQ(words.WordCount(), 0u);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(words.SaveIfDue(kT0 + 100));  // nothing left to write back
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(LearnedWordsTest, AWriteCutShortLeavesThePreviousFileWhole) {
    words.Finished("alpha", "", kT0);
    ASSERT_TRUE(words.SaveNow(kT0));
    // A program ended while it wrote the new file leaves it half written
    // beside the old one.
    WriteBytes(path + ".new", "Wordlark learned 1\nW\tbeta\tbe");
    LearnedWords restarted(CodePage1252(), path);
    EXPECT_EQ(restarted.WordCount(), 1u);
    EXPECT_FALSE(std::filesystem::exists(path + ".damaged"));
    // The next write replaces both.
    restarted.Finished("beta", "", kT0 + 60);
    ASSERT_TRUE(restarted.SaveNow(kT0 + 60));
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
    EXPECT_EQ(LearnedWords(CodePage1252(), path).WordCount(), 2u);
}

}  // namespace
}  // namespace wl
