// The learned file: whole, damaged, cut short, newer, unreadable; lines the
// learning rules refuse now dropped one by one; every copy found and
// removed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "learn/LearnedFile.h"
#include "learn/LearnedFileTesting.h"
#include "learn/Learner.h"
#include "platform/CodePage.h"
#include "tests/support/FailingFiles.h"
#include "tests/support/Files.h"

namespace wl::test {
namespace {

constexpr std::int64_t kT0 = 1800000000;
using Result = LearnedFile::Result;

struct LearnedFileTest : ::testing::Test {
    TempDir dir;
    const std::string path = dir / "learned.dat";
    FailingFiles files;
    LearnedFile file{files, path};
};

TEST_F(LearnedFileTest, KeepsEverythingAndReplacesTheOldOneWhole) {
    Learner learn(CodePage1252());
    EXPECT_EQ(file.Load(learn).result, Result::Missing);
    learn.Use("of", "", kT0);
    learn.Use("Frobnitz", "of", kT0 + 5);
    ASSERT_TRUE(file.Save(learn));
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));

    Learner again(CodePage1252());
    const LearnedFile::Loaded loaded = file.Load(again);
    ASSERT_EQ(loaded.result, Result::Loaded);
    EXPECT_EQ(loaded.dropped, 0u);
    EXPECT_DOUBLE_EQ(again.PairCount("of", "frobnitz", kT0 + 5), 1.0);
    EXPECT_EQ(again.WordsWithPrefix("fro", 1, 3, 5, kT0), std::vector<std::string>{"Frobnitz"});
    EXPECT_DOUBLE_EQ(again.Score("frobnitz", "of", 0.1, kT0),
                     learn.Score("frobnitz", "of", 0.1, kT0));

    // A save that cannot be written leaves the old file as it was.
    const std::string before = ReadBytes(path);
    EXPECT_FALSE(LearnedFile(files, dir / "missing-folder/learned.dat").Save(learn));
    EXPECT_EQ(ReadBytes(path), before);
}

TEST_F(LearnedFileTest, ADamagedCutNewerOrUnreadableFileIsSetAsideAndLearningStartsAfresh) {
    Learner learn(CodePage1252());
    learn.Use("alpha", "", kT0);
    learn.Use("beta", "alpha", kT0);
    const std::string whole = LearnedText(learn);
    std::string flipped = whole;
    flipped[whole.find("beta")] = 'z';
    std::string newer = whole;
    newer[newer.find('2')] = '3';
    // Whole files, sealed, that are wrong inside: a word line short of a
    // field, a count that is no number or is infinite, no header.
    const std::string header = "Wordlark learned 1\n";
    const std::string wrongInside[] = {
        SealLearnedLines(header + "W\talpha\talpha\t1\t1\t1\n", 2),
        SealLearnedLines(header + "W\talpha\talpha\tx\t1\t1\t0\n", 2),
        SealLearnedLines(header + "P\ta\tb\tinf\t1\n", 2),
        SealLearnedLines(header + "W\talpha\talpha\t1\t1\t-1\t0\n", 2),
        SealLearnedLines("", 0),
        SealLearnedLines(header, 2),
    };
    std::vector<std::string> bad = {
        flipped,       whole.substr(0, whole.size() / 2), whole.substr(0, whole.size() - 1), newer,
        std::string(), std::string("\0\0\0\n", 4),        std::string(3000, '\xFF')};
    bad.insert(bad.end(), std::begin(wrongInside), std::end(wrongInside));
    for (const std::string& b : bad) {
        SCOPED_TRACE(b);
        std::filesystem::remove_all(dir.path());
        std::filesystem::create_directories(dir.path());
        WriteBytes(path, b);
        Learner fresh(CodePage1252());
        fresh.Use("stale", "", kT0);
        EXPECT_EQ(file.Load(fresh).result, Result::SetAside);
        EXPECT_EQ(fresh.WordCount(), 0u);
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_EQ(ReadBytes(path + ".damaged"), b);  // kept, not deleted
    }
    // A second damaged file does not overwrite the first one kept.
    WriteBytes(path, "junk");
    Learner fresh(CodePage1252());
    EXPECT_EQ(file.Load(fresh).result, Result::SetAside);
    EXPECT_EQ(ReadBytes(path + ".damaged-2"), "junk");

    // A whole file that cannot be read is set aside too; one that cannot be
    // moved either stays where it is.
    WriteBytes(path, whole);
    files.failRead = {path};
    EXPECT_EQ(file.Load(fresh).result, Result::SetAside);
    EXPECT_EQ(ReadBytes(path + ".damaged-3"), whole);
    WriteBytes(path, whole);
    files.failRename = {path};
    EXPECT_EQ(file.Load(fresh).result, Result::Unreadable);
    EXPECT_EQ(ReadBytes(path), whole);
    EXPECT_EQ(fresh.WordCount(), 0u);
}

// A file written before the learning rules refused a word keeps the rest:
// each line the rules refuse now goes alone.  "1234" is refused; whether
// "abc123" is, the rules say (Learner::Learnable).
TEST_F(LearnedFileTest, LinesTheRulesRefuseNowAreDroppedOneByOne) {
    const std::string lines =
        "Wordlark learned 1\n"
        "W\t1234\t1234\t2\t1800000000\t2\t0\n"
        "W\tabc123\tabc123\t2\t1800000000\t2\t0\n"
        "W\tfrob\tFrob\t3\t1800000000\t3\t1\n"
        "W\tgnome\tgnome\t1\t1800000000\t1\t0\n"
        "W\tword\t12\t1\t1800000000\t1\t0\n"  // the form refused
        "P\t1234\tfrob\t1\t1800000000\n"
        "P\tabc123\tfrob\t1\t1800000000\n"
        "P\tfrob\tgnome\t1\t1800000000\n"
        "P\tgnome\t1234\t1\t1800000000\n";
    WriteBytes(path, SealLearnedLines(lines, 10));
    Learner learn(CodePage1252());
    const bool digitsLearnable = learn.Learnable("abc123");
    const LearnedFile::Loaded loaded = file.Load(learn);
    ASSERT_EQ(loaded.result, Result::Loaded);
    EXPECT_EQ(loaded.dropped, digitsLearnable ? 4u : 6u);
    EXPECT_EQ(learn.Uses("1234"), 0u);
    EXPECT_EQ(learn.Uses("word"), 0u);
    EXPECT_EQ(learn.Uses("abc123"), digitsLearnable ? 2u : 0u);
    EXPECT_EQ(learn.Uses("frob"), 3u);
    EXPECT_EQ(learn.Uses("gnome"), 1u);
    EXPECT_DOUBLE_EQ(learn.PairCount("frob", "gnome", kT0), 1.0);
    EXPECT_EQ(learn.PairCount(), digitsLearnable ? 2u : 1u);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".damaged"));
}

// Words are kept in UTF-8, so that a file means the same under another code
// page; a file of the first version, in the code page, is read as such.
TEST_F(LearnedFileTest, WordsAreUtf8AndAFileInTheCodePageIsReadAsSuch) {
    Learner learn(CodePage1252());
    learn.Use("Caf\xE9", "", kT0);
    learn.Use("na\xEFve", "caf\xE9", kT0);
    ASSERT_TRUE(file.Save(learn));
    const std::string saved = ReadBytes(path);
    EXPECT_EQ(saved.rfind("Wordlark learned 2\n", 0), 0u);
    EXPECT_NE(saved.find("W\tcaf\xC3\xA9\tCaf\xC3\xA9\t"), std::string::npos);
    EXPECT_NE(saved.find("P\tcaf\xC3\xA9\tna\xC3\xAFve\t"), std::string::npos);
    EXPECT_EQ(saved.find('\xE9'), std::string::npos);

    const std::string older =
        "Wordlark learned 1\n"
        "W\tcaf\xE9\tCaf\xE9\t2\t1800000000\t2\t0\n"
        "P\tcaf\xE9\tcaf\xE9\t1\t1800000000\n";
    const std::string utf8 =
        "Wordlark learned 2\n"
        "W\tcaf\xC3\xA9\tCaf\xC3\xA9\t2\t1800000000\t2\t0\n"
        "W\t\xCF\x83\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1\t\xCF\x83\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1\t1\t"
        "1800000000\t1\t0\n"                            // Greek: not in the code page
        "W\tcaf\xE9s\tcaf\xE9s\t1\t1800000000\t1\t0\n"  // no UTF-8
        "P\tcaf\xC3\xA9\tcaf\xC3\xA9\t1\t1800000000\n";
    const struct {
        std::string text;
        bool older;
        std::size_t dropped;
    } cases[] = {{SealLearnedLines(older, 3), true, 0}, {SealLearnedLines(utf8, 5), false, 2}};
    for (const auto& f : cases) {
        WriteBytes(path, f.text);
        Learner again(CodePage1252());
        const LearnedFile::Loaded loaded = file.Load(again);
        ASSERT_EQ(loaded.result, Result::Loaded);
        EXPECT_EQ(loaded.older, f.older);
        EXPECT_EQ(loaded.dropped, f.dropped);
        EXPECT_EQ(again.Uses("caf\xE9"), 2u);
        EXPECT_EQ(again.WordsWithPrefix("caf", 1, 3, 5, kT0), std::vector<std::string>{"Caf\xE9"});
        EXPECT_DOUBLE_EQ(again.PairCount("caf\xE9", "caf\xE9", kT0), 1.0);
    }
}

TEST_F(LearnedFileTest, EveryCopyIsFoundAndRemovedAndWhatStaysIsNamed) {
    for (const char* name :
         {"learned.dat", "learned.dat.new", "learned.dat.damaged", "learned.dat.damaged-2",
          "learned.dat.damaged-17", "learned.dat.damaged-x", "learned.dat.bak", "other.dat"})
        WriteBytes(dir / name, "x");
    std::filesystem::create_directories(dir / "learned.dat.damaged-3");
    const std::vector<std::string> copies = {path, path + ".damaged", path + ".damaged-17",
                                             path + ".damaged-2", path + ".new"};
    EXPECT_EQ(file.Copies(), copies);

    files.failRemove = {path + ".damaged-2"};
    EXPECT_EQ(file.RemoveAll(), std::vector<std::string>{path + ".damaged-2"});
    EXPECT_EQ(file.Copies(), std::vector<std::string>{path + ".damaged-2"});
    for (const char* kept : {"learned.dat.damaged-x", "learned.dat.bak", "other.dat"})
        EXPECT_TRUE(std::filesystem::exists(dir / kept)) << kept;
    files.failRemove.clear();
    EXPECT_TRUE(file.RemoveAll().empty());
    EXPECT_TRUE(LearnedFile(files, dir / "missing-folder/learned.dat").RemoveAll().empty());
    EXPECT_TRUE(LearnedFile(files, "").Copies().empty());  // no file: not the current folder's
}

}  // namespace
}  // namespace wl::test
