// The learned words as the main program keeps them: written in batches and
// at exit, forgotten with every copy or removed a few words at a time on
// request, and never lost to a damaged file or a write cut short.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "app/LearnedWords.h"
#include "learn/LearnedFileTesting.h"
#include "platform/CodePage.h"
#include "tests/support/FailingFiles.h"
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

TEST_F(LearnedWordsTest, ForgettingRemovesEveryCopyOrNamesWhatIsLeft) {
    int dropped = 0;
    words.OnForget([&] { ++dropped; });
    words.Finished("alpha", "", kT0);
    ASSERT_TRUE(words.SaveNow(kT0));
    for (const char* copy : {".new", ".damaged", ".damaged-2"}) WriteBytes(path + copy, "x");
    EXPECT_TRUE(words.Forget().empty());
    EXPECT_EQ(dropped, 1);
    EXPECT_EQ(words.WordCount(), 0u);
    for (const char* copy : {"", ".new", ".damaged", ".damaged-2"})
        EXPECT_FALSE(std::filesystem::exists(path + copy)) << copy;
    EXPECT_FALSE(words.SaveIfDue(kT0 + 100));  // nothing left to write back
    EXPECT_FALSE(std::filesystem::exists(path));

    // A file that cannot be removed (read-only, or open elsewhere) is named.
    test::FailingFiles files;
    LearnedWords locked(CodePage1252(), path, files);
    locked.Finished("beta", "", kT0);
    ASSERT_TRUE(locked.SaveNow(kT0));
    WriteBytes(path + ".damaged", "x");
    files.failRemove = {path};
    EXPECT_EQ(locked.Forget(), std::vector<std::string>{path});
    EXPECT_EQ(locked.WordCount(), 0u);
    EXPECT_FALSE(std::filesystem::exists(path + ".damaged"));
}

TEST_F(LearnedWordsTest, RemovedWordsLeaveTheDiskAtOnce) {
    for (const char* word : {"alpha", "beta", "gamma"}) words.Finished(word, "alpha", kT0);
    ASSERT_TRUE(words.SaveNow(kT0));
    ASSERT_TRUE(words.Remove({"beta", "alpha"}, kT0 + 1));  // long before a batch is due
    LearnedWords again(CodePage1252(), path);
    EXPECT_EQ(again.WordCount(), 1u);
    EXPECT_EQ(again.learner().Uses("gamma"), 1u);
    EXPECT_EQ(again.learner().PairCount(), 0u);
}

TEST_F(LearnedWordsTest, WordsTheRulesRefuseNowLeaveTheDiskAtOnce) {
    const std::string lines =
        "Wordlark learned 1\n"
        "W\t4111\t4111\t3\t1800000000\t3\t0\n"
        "W\tfrob\tfrob\t1\t1800000000\t1\t0\n";
    WriteBytes(path, SealLearnedLines(lines, 3));
    LearnedWords loaded(CodePage1252(), path);
    EXPECT_EQ(loaded.WordCount(), 1u);
    EXPECT_EQ(ReadBytes(path).find("4111"), std::string::npos);
    EXPECT_NE(ReadBytes(path).find("frob"), std::string::npos);
}

TEST_F(LearnedWordsTest, AFileInTheCodePageIsWrittenAgainInUtf8AtOnce) {
    WriteBytes(path, SealLearnedLines(
                         "Wordlark learned 1\nW\tcaf\xE9\tcaf\xE9\t1\t1800000000\t1\t0\n", 2));
    LearnedWords loaded(CodePage1252(), path);
    EXPECT_EQ(loaded.learner().Uses("caf\xE9"), 1u);
    EXPECT_NE(ReadBytes(path).find("Wordlark learned 2\nW\tcaf\xC3\xA9\t"), std::string::npos);
}

TEST_F(LearnedWordsTest, AFileThatCanNeitherBeReadNorSetAsideIsNotWrittenOver) {
    words.Finished("alpha", "", kT0);
    ASSERT_TRUE(words.SaveNow(kT0));
    const std::string before = ReadBytes(path);
    test::FailingFiles files;
    files.failRead = files.failRename = {path};
    LearnedWords unreadable(CodePage1252(), path, files);
    EXPECT_EQ(unreadable.WordCount(), 0u);
    unreadable.Finished("beta", "", kT0 + 60);
    unreadable.SaveNow(kT0 + 60);
    EXPECT_EQ(ReadBytes(path), before);
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

struct Ring : ReportedWords {
    std::deque<ReportedWord> words;
    std::uint32_t next = 0;
    void Report(const char* word, const char* prev = "") {
        words.push_back({next++, false, word, prev});
    }
    bool NextReported(ReportedWord& out) override {
        if (words.empty()) return false;
        out = words.front();
        words.pop_front();
        return true;
    }
};

struct Probe : FieldProbe {
    std::vector<std::uint32_t> asked;
    void Ask(std::uint32_t ticket) override { asked.push_back(ticket); }
};

// A word is learned only once it is known that its field hides nothing;
// without an answer in time, or from a field that hides its text or answers
// too slowly, it is not.
TEST(LearnedWordsGate, AWordIsLearnedOnlyWhenItsFieldIsNoPasswordField) {
    using A = FieldProbe::Answer;
    Probe probe;
    LearnedWords words(CodePage1252(), "", SystemUserFiles(), &probe);
    Ring ring;
    const char* names[] = {"text", "secret", "plain", "sluggish", "unasked", "late"};
    const A answers[] = {A::Text, A::Password, A::NoProvider, A::Slow};
    for (std::uint32_t i = 0; i < 6; ++i) {
        ring.Report(names[i]);
        words.WordReported(i);
        if (i < 4) words.FieldAnswered(i, answers[i]);
    }
    EXPECT_EQ(probe.asked, (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5}));
    words.Tick(ring, kT0);
    EXPECT_EQ(words.learner().Uses("text"), 1u);
    EXPECT_EQ(words.learner().Uses("plain"), 1u);
    EXPECT_EQ(words.WordCount(), 2u);
    // An answer that comes within the wait still counts; after it, none.
    words.FieldAnswered(5, A::Text);
    words.Tick(ring, kT0 + 1);
    EXPECT_EQ(words.learner().Uses("late"), 1u);
    words.Tick(ring, kT0 + LearnedWords::kAnswerWaitSeconds);
    words.FieldAnswered(4, A::Text);
    words.Tick(ring, kT0 + LearnedWords::kAnswerWaitSeconds + 1);
    EXPECT_EQ(words.learner().Uses("unasked"), 0u);

    // Switched off or forgotten: what waits is dropped, answered or not;
    // the last take-in drops what is still unanswered.
    ring.Report("dropped");
    words.Tick(ring, kT0 + 10);
    words.DropWaiting();
    words.FieldAnswered(6, A::Text);
    ring.Report("final");
    words.Flush(ring, kT0 + 11);
    EXPECT_EQ(words.learner().Uses("dropped"), 0u);
    EXPECT_EQ(words.learner().Uses("final"), 0u);

    // Without a probe every reported word counts at once.
    LearnedWords plain(CodePage1252(), "");
    ring.Report("Frobnitz");
    ring.words.back().sentenceStart = true;
    ring.Report("frobnitz");
    plain.Tick(ring, kT0);
    EXPECT_EQ(plain.learner().WordsWithPrefix("frob", 2, 1, 1, kT0),
              std::vector<std::string>{"frobnitz"});
}

}  // namespace
}  // namespace wl
