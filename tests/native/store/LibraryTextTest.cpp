// Library text files and word lists: export, import and their odd inputs.
#include <gtest/gtest.h>

#include "tests/native/store/StoreTestSupport.h"

namespace wl::test {
namespace {

class LibraryTextTest : public ::testing::Test {
  protected:
    TempDir dir;
    Library lib{SystemCodePage()};
    const std::string out = dir / "out.txt";

    void SetUp() override { ASSERT_EQ(lib.Open((dir / "lib.lib").c_str()), 1); }
    std::string File(const std::string& content) {
        WriteBytes(dir / "in.txt", content);
        return dir / "in.txt";
    }
    int ImportText(const std::string& content, ImportProgress* progress = nullptr) {
        return lib.ImportText(File(content).c_str(), progress);
    }
    int ImportWords(const std::string& content, ImportProgress* progress = nullptr) {
        return lib.ImportWordList(File(content).c_str(), progress);
    }
    // Every entry as "key=text", in walk order.
    Keys Entries() {
        Keys all;
        LibraryEntry e;
        for (int ok = lib.Search("", e, MATCH_PREFIX); ok; ok = lib.Next(e))
            all.push_back(std::string(e.keyBytes()) + "=" + std::string(e.textBytes()));
        return all;
    }
};

TEST_F(LibraryTextTest, AShorthandLibraryExportsItsMarkedPairs) {
    lib.SetType(Shorthand);
    ASSERT_EQ(lib.Put(Entry("ty", "thank you")), 1);
    ASSERT_EQ(lib.Put(Entry("brb", "be right back")), 1);
    RecordingProgress progress;
    EXPECT_EQ(lib.ExportText(out.c_str(), &progress), 2);
    EXPECT_EQ(ReadBytes(out),
              "<shortkey>brb\r\n<replacement text>be right back\r\n"
              "<shortkey>ty\r\n<replacement text>thank you\r\n");
    EXPECT_EQ(progress.texts, (Keys{"2 items have been exported!"}));
}

TEST_F(LibraryTextTest, ExportStopsWhenCancelled) {
    for (char c = 'a'; c <= 'j'; ++c) ASSERT_EQ(lib.Put(Entry(std::string(1, c))), 1);
    RecordingProgress progress(2);
    EXPECT_EQ(lib.ExportText(out.c_str(), &progress), 4);  // the first, then three checks
    EXPECT_EQ(ReadBytes(out),
              "<key>a\r\n<data>\r\n<key>b\r\n<data>\r\n<key>c\r\n<data>\r\n"
              "<key>d\r\n<data>\r\n");
}

TEST_F(LibraryTextTest, AScrambledLibraryExportsPlainTextAndRoundTrips) {
    lib.SetScrambled(1);
    lib.SetType(Shorthand);
    ASSERT_EQ(lib.WriteInfo(), 1);
    const Pairs entries = {{"addr", "1 Main Street%RETURN%Springfield"},
                           {"mfg", "Mit freundlichen Gr\xFC\xDF\x65n"},
                           {"sp ace", "\t tabs and spaces \t"},
                           {"x", ""},
                           {"\\", "back\\slash"}};
    for (const auto& [k, t] : entries) ASSERT_EQ(lib.Put(Entry(k, t)), 1);
    ASSERT_EQ(lib.ExportText(out.c_str(), nullptr), 5);
    std::string text = ReadBytes(out);
    EXPECT_NE(text.find("<shortkey>mfg\r\n<replacement text>Mit freundlichen"), std::string::npos);

    Opened copy(dir / "copy.lib");
    ASSERT_EQ(copy.ImportText(out.c_str(), nullptr), 5);
    for (const auto& [k, t] : entries) EXPECT_EQ(TextOf(copy, k), t) << k;
}

// What an import makes of a text, each into an empty library.
TEST_F(LibraryTextTest, ImportStoresEachPairWhenTheNextKeyOrTheEndComes) {
    const std::string nul(1, '\0');
    const struct {
        std::string content;
        int count;
        Keys entries;
    } cases[] = {
        // Markers anywhere in a line; "<key>" is tested before "<data>".
        {"xx<key>hello\r\n<data>greeting\r\n  <key>world\r\n", 2, {"hello=greeting", "world="}},
        {"<data>t<key>k\r\n", 1, {"k="}},
        // Without a final line end, and a single pair (so the editor does not
        // fall back to the word list); both kinds of markers in any library.
        {"<key>only\r\n<data>one", 1, {"only=one"}},
        {"<shortkey>s\r\n<replacement text>t\r\n", 1, {"s=t"}},
        // A text before its key belongs to that key; a missing text is empty.
        {"<data>early\r\n<key>late\r\n<key>bare\r\n", 2, {"bare=", "late=early"}},
        // Lines without a marker and empty keys are ignored.
        {"hello\r\n<key>\r\n<data>x\r\n\r\n", 0, {}},
        {"", 0, {}},
        // Line ends of every kind.
        {"<key>a\n<data>1\n<key>b\n<data>2\n", 2, {"a=1", "b=2"}},
        {"<key>a\r<data>1\r<key>b\r<data>2\r", 2, {"a=1", "b=2"}},
        {"<key>a\n\r<data>1\r\r<key>b\n<data>2", 2, {"a=1", "b=2"}},
        // A line ends at its first NUL byte; Ctrl-Z is an ordinary byte.
        {"<key>ab" + nul + "cd\r\n<data>x" + nul + "<key>hidden\r\n" + nul +
             "<key>nothing\r\n<key>\x1Az\r\n",
         2,
         {"\x1Az=", "ab=x"}},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        ASSERT_EQ(lib.Open((dir / (std::to_string(++n) + ".lib")).c_str()), 1);
        EXPECT_EQ(ImportText(c.content), c.count);
        EXPECT_EQ(Entries(), c.entries);
    }
    // A key already there gets the new text.
    EXPECT_EQ(ImportText("<shortkey>ab\r\n<replacement text>two\r\n"), 1);
    EXPECT_EQ(Entries(), (Keys{"\x1Az=", "ab=two"}));
}

TEST_F(LibraryTextTest, AMultiLineTextComesBackWithItsFirstLine) {
    lib.SetType(Shorthand);
    ASSERT_EQ(lib.Put(Entry("sig", "Regards,\r\nAnn")), 1);
    ASSERT_EQ(lib.ExportText(out.c_str(), nullptr), 1);
    EXPECT_EQ(lib.ImportText(out.c_str(), nullptr), 1);
    EXPECT_EQ(TextOf(lib, "sig"), "Regards,");
}

TEST_F(LibraryTextTest, AMegabyteLineIsOneKey) {
    std::string big(1 << 20, 'k');
    EXPECT_EQ(ImportText("<key>" + big + "\r\n<data>" + big + "x\r\n" + big + "\r\n<key>b\r\n"), 2);
    LibraryEntry e;
    ASSERT_EQ(lib.Search("kkk", e, MATCH_PREFIX), 1);
    EXPECT_EQ(e.keyLength(), big.size());
    EXPECT_EQ(e.textLength(), big.size() + 1);
    EXPECT_EQ(lib.Count(), 2);
}

TEST_F(LibraryTextTest, ExportAndImportFailCleanly) {
    ASSERT_EQ(lib.Put(Entry("a", "b")), 1);
    const std::string in = File("<key>a\r\n");
    for (const char* path : {"", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(lib.ExportText(path, nullptr), 0);
        EXPECT_EQ(lib.ImportText(path, nullptr), 0);
        EXPECT_EQ(lib.ImportWordList(path, nullptr), 0);
    }
    EXPECT_EQ(lib.ExportText(dir.path().string().c_str(), nullptr), 0);  // a folder
    lib.SetType(3);  // neither type: no export, the file made and left empty
    EXPECT_EQ(lib.ExportText(out.c_str(), nullptr), 0);
    EXPECT_EQ(ReadBytes(out), "");
    EXPECT_EQ(lib.ImportText((dir / "missing.txt").c_str(), nullptr), 0);
    EXPECT_EQ(lib.ImportWordList((dir / "missing.txt").c_str(), nullptr), 0);
    Library closed{SystemCodePage()};
    EXPECT_EQ(closed.ExportText(out.c_str(), nullptr), 0);
    EXPECT_EQ(closed.ImportText(in.c_str(), nullptr), 0);
    EXPECT_EQ(closed.ImportWordList(in.c_str(), nullptr), 0);
    EXPECT_EQ(Entries(), Keys{"a=b"});
}

TEST_F(LibraryTextTest, ACancelledImportKeepsWhatItStoredAndDropsThePendingPair) {
    RecordingProgress progress(3);  // cancelled after the fourth line
    EXPECT_EQ(ImportText("<key>a\r\n<data>1\r\n<key>b\r\n<data>2\r\n<key>c\r\n", &progress), 1);
    EXPECT_EQ(Entries(), (Keys{"a=1"}));
}

// Word lists: a word of up to 1,023 bytes is kept, a longer one dropped
// whole; one across the read chunks (10,240 bytes) stays whole; cancelled, the
// import stops at once without a progress text.
TEST_F(LibraryTextTest, WordListsKeepWholeWordsWithinTheBuffer) {
    const std::string longest(1023, 'a'), tooLong(1024, 'b'), huge(5000, 'c');
    const struct {
        std::string content;
        int cancelAfter, count;
        Keys entries;
    } cases[] = {
        {"one " + longest + " " + tooLong + "\n" + huge + " two " + huge,
         -1,
         3,
         {longest + "=", "one=", "two="}},
        {std::string(10238, ' ') + "straddle tail", -1, 2, {"straddle=", "tail="}},
        {"alpha beta gamma", 9, 1, {"alpha="}},  // ten bytes
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        ASSERT_EQ(lib.Open((dir / (std::to_string(++n) + ".lib")).c_str()), 1);
        RecordingProgress progress(c.cancelAfter);
        EXPECT_EQ(ImportWords(c.content, c.cancelAfter < 0 ? nullptr : &progress), c.count);
        EXPECT_EQ(Entries(), c.entries);
        EXPECT_TRUE(progress.texts.empty());
    }
}

}  // namespace
}  // namespace wl::test
