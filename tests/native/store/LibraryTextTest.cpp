// Library text files and word lists: export, import and their odd inputs.
#include <gtest/gtest.h>

#include <algorithm>

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

TEST_F(LibraryTextTest, ExportFailsCleanly) {
    ASSERT_EQ(lib.Put(Entry("a", "b")), 1);
    EXPECT_EQ(lib.ExportText("", nullptr), 0);
    EXPECT_EQ(lib.ExportText(nullptr, nullptr), 0);
    EXPECT_EQ(lib.ExportText(dir.path().string().c_str(), nullptr), 0);  // a folder
    lib.SetType(3);
    EXPECT_EQ(lib.ExportText(out.c_str(), nullptr), 0);
    EXPECT_EQ(ReadBytes(out), "");  // created, left empty
    Library closed{SystemCodePage()};
    EXPECT_EQ(closed.ExportText(out.c_str(), nullptr), 0);
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

    Library copy{SystemCodePage()};
    ASSERT_EQ(copy.Open((dir / "copy.lib").c_str()), 1);
    ASSERT_EQ(copy.ImportText(out.c_str(), nullptr), 5);
    for (const auto& [k, t] : entries) EXPECT_EQ(TextOf(copy, k), t) << k;
    std::string again = dir / "again.txt";
    copy.SetType(Shorthand);
    ASSERT_EQ(copy.ExportText(again.c_str(), nullptr), 5);
    // Plain and scrambled key orders differ; the sets of lines agree.
    auto lines = [](std::string s) {
        Keys v;
        for (std::size_t at; (at = s.find("\r\n")) != std::string::npos; s.erase(0, at + 2))
            v.push_back(s.substr(0, at));
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(lines(ReadBytes(again)), lines(text));
}

TEST_F(LibraryTextTest, MarkersAreFoundAnywhereInALine) {
    EXPECT_EQ(ImportText("xx<key>hello\r\n<data>greeting\r\n  <key>world\r\n"), 2);
    EXPECT_EQ(Entries(), (Keys{"hello=greeting", "world="}));
    // "<key>" is tested before "<data>".
    EXPECT_EQ(ImportText("<data>t<key>k\r\n"), 1);
    EXPECT_EQ(TextOf(lib, "k"), "");
}

TEST_F(LibraryTextTest, PairsAreStoredWhenTheNextKeyOrTheEndComes) {
    // Without a final line end, and a single pair (so the editor does not
    // fall back to the word list).
    EXPECT_EQ(ImportText("<key>only\r\n<data>one"), 1);
    EXPECT_EQ(ImportText("<shortkey>s\r\n<replacement text>t\r\n"), 1);
    // A text before its key belongs to that key; a missing text is empty.
    EXPECT_EQ(ImportText("<data>early\r\n<key>late\r\n<key>bare\r\n"), 2);
    EXPECT_EQ(Entries(), (Keys{"bare=", "late=early", "only=one", "s=t"}));
    // A key already there gets the new text; both kinds of markers go into
    // any library.
    EXPECT_EQ(ImportText("<shortkey>only\r\n<replacement text>two\r\n"), 1);
    EXPECT_EQ(TextOf(lib, "only"), "two");
    // Lines without a marker and empty keys are ignored.
    EXPECT_EQ(ImportText("hello\r\n<key>\r\n<data>x\r\n\r\n"), 0);
    EXPECT_EQ(ImportText(""), 0);
}

TEST_F(LibraryTextTest, AMultiLineTextComesBackWithItsFirstLine) {
    lib.SetType(Shorthand);
    ASSERT_EQ(lib.Put(Entry("sig", "Regards,\r\nAnn")), 1);
    ASSERT_EQ(lib.ExportText(out.c_str(), nullptr), 1);
    EXPECT_EQ(lib.ImportText(out.c_str(), nullptr), 1);
    EXPECT_EQ(TextOf(lib, "sig"), "Regards,");
}

TEST_F(LibraryTextTest, LineEndsOfEveryKindSplitLines) {
    const std::string crlf = "<key>a\r\n<data>1\r\n<key>b\r\n<data>2\r\n";
    std::string lf = crlf, cr = crlf;
    lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
    cr.erase(std::remove(cr.begin(), cr.end(), '\n'), cr.end());
    int n = 0;
    for (const std::string& content :
         {crlf, lf, cr, std::string("<key>a\n\r<data>1\r\r<key>b\n<data>2")}) {
        Library fresh{SystemCodePage()};
        ASSERT_EQ(fresh.Open((dir / (std::to_string(++n) + ".lib")).c_str()), 1);
        EXPECT_EQ(fresh.ImportText(File(content).c_str(), nullptr), 2) << n;
        EXPECT_EQ(TextOf(fresh, "a"), "1") << n;
        EXPECT_EQ(TextOf(fresh, "b"), "2") << n;
    }
}

TEST_F(LibraryTextTest, ALineEndsAtItsFirstNulByte) {
    const std::string nul(1, '\0');
    std::string content = "<key>ab" + nul + "cd\r\n<data>x" + nul + "<key>hidden\r\n" + nul +
                          "<key>nothing\r\n<key>\x1Az\r\n";
    EXPECT_EQ(ImportText(content), 2);
    EXPECT_EQ(Entries(), (Keys{"\x1Az=", "ab=x"}));  // Ctrl-Z is an ordinary byte
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

TEST_F(LibraryTextTest, ImportFailsCleanly) {
    EXPECT_EQ(lib.ImportText("", nullptr), 0);
    EXPECT_EQ(lib.ImportText(nullptr, nullptr), 0);
    EXPECT_EQ(lib.ImportText((dir / "missing.txt").c_str(), nullptr), 0);
    EXPECT_EQ(lib.ImportWordList((dir / "missing.txt").c_str(), nullptr), 0);
    EXPECT_EQ(lib.ImportWordList("", nullptr), 0);
    Library closed{SystemCodePage()};
    std::string in = File("<key>a\r\n");
    EXPECT_EQ(closed.ImportText(in.c_str(), nullptr), 0);
    EXPECT_EQ(closed.ImportWordList(in.c_str(), nullptr), 0);
}

TEST_F(LibraryTextTest, ACancelledImportKeepsWhatItStoredAndDropsThePendingPair) {
    RecordingProgress progress(3);  // cancelled after the fourth line
    EXPECT_EQ(ImportText("<key>a\r\n<data>1\r\n<key>b\r\n<data>2\r\n<key>c\r\n", &progress), 1);
    EXPECT_EQ(Entries(), (Keys{"a=1"}));
}

TEST_F(LibraryTextTest, WordsLongerThanTheBufferAreDroppedWhole) {
    std::string longest(1023, 'a'), tooLong(1024, 'b'), huge(5000, 'c');
    EXPECT_EQ(ImportWords("one " + longest + " " + tooLong + "\n" + huge + " two " + huge), 3);
    LibraryEntry e;
    ASSERT_EQ(lib.Search("aaa", e, MATCH_PREFIX), 1);
    EXPECT_EQ(e.keyLength(), 1023u);
    EXPECT_EQ(lib.Search("b", e, MATCH_PREFIX), 0);
    EXPECT_EQ(lib.Search("c", e, MATCH_PREFIX), 0);
    EXPECT_EQ(lib.Count(), 3);
}

TEST_F(LibraryTextTest, AWordAcrossTheReadChunksStaysWhole) {
    std::string content(10238, ' ');
    content += "straddle tail";
    EXPECT_EQ(ImportWords(content), 2);
    EXPECT_EQ(Entries(), (Keys{"straddle=", "tail="}));
}

TEST_F(LibraryTextTest, ACancelledWordListStopsAtOnceWithoutProgressText) {
    RecordingProgress progress(9);  // ten bytes
    EXPECT_EQ(ImportWords("alpha beta gamma", &progress), 1);
    EXPECT_EQ(Entries(), (Keys{"alpha="}));
    EXPECT_TRUE(progress.texts.empty());
}

}  // namespace
}  // namespace wl::test
