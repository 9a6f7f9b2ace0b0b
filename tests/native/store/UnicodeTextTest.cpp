// Text export and import of UTF-8 libraries: the byte-order mark, UTF-16,
// the code page as the fallback, and what their encodings do not define.
#include <gtest/gtest.h>

#include "tests/native/store/StoreTestSupport.h"

namespace wl::test {
namespace {

// Words of several scripts, the emoji beyond the Basic Multilingual Plane.
const Pairs kWorld = {
    {"\xCE\xBA\xCF\x8C\xCF\x83\xCE\xBC\xCE\xBF\xCF\x82", "Greek"},      // κόσμος
    {"\xC5\xBC\xC3\xB3\xC5\x82w", "Polish \xC5\xBC\xC3\xB3\xC5\x82w"},  // żółw
    {"\xD0\xBC\xD0\xB8\xD1\x80", "\xD0\x9C\xD0\x98\xD0\xA0"},           // мир, МИР
    {"\xE6\x9D\xB1\xE4\xBA\xAC", "\xE3\x81\xA8\xE3\x81\x86\xE3\x81\x8D\xE3\x82\x87\xE3\x81\x86"},
    {":smile", "\xF0\x9F\x98\x80 \xE2\x86\x92 \xE2\x9C\x93"},  // 😀 → ✓
};

// UTF-16 of UTF-8 text, with the mark, little- or big-endian.
std::string Utf16(const std::string& utf8, bool little) {
    std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
    auto unit = [&](char32_t u) {
        const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        out += little ? lo : hi;
        out += little ? hi : lo;
    };
    char32_t c;
    for (std::size_t at = 0; NextUtf8(utf8, at, c);) {
        if (c < 0x10000) {
            unit(c);
        } else {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

class UnicodeTextTest : public ::testing::Test {
  protected:
    TempDir dir;
    const std::string out = dir / "out.txt";

    // A new UTF-8 library of the code page.
    void Make(Library& lib, const std::string& name, int type = Dictionary) {
        ASSERT_EQ(lib.Open((dir / name).c_str()), 1);
        lib.SetType(type);
        lib.SetEncoding(EncodingUtf8);
        ASSERT_EQ(lib.WriteInfo(), 1);
    }
    std::string File(const std::string& content) {
        WriteBytes(dir / "in.txt", content);
        return dir / "in.txt";
    }
    static Pairs Entries(Library& lib) {
        Pairs all;
        LibraryEntry e;
        for (int ok = lib.Search("", e, MATCH_PREFIX); ok; ok = lib.Next(e))
            all.emplace_back(e.keyBytes(), e.textBytes());
        return all;
    }
    static Pairs Sorted(Pairs p) {
        std::sort(p.begin(), p.end());
        return p;
    }
};

TEST_F(UnicodeTextTest, ExportWritesTheMarkAndImportBringsEveryCharacterBack) {
    Library lib{SystemCodePage()};
    Make(lib, "a.lib", Shorthand);
    for (const auto& [k, t] : kWorld) ASSERT_EQ(lib.Put(Entry(k, t)), 1) << k;
    ASSERT_EQ(lib.SetWeight(Entry(kWorld[0].first), 7), 1);
    EXPECT_EQ(lib.ExportText(out.c_str(), nullptr), 5);
    const std::string text = ReadBytes(out);
    EXPECT_EQ(text.rfind("\xEF\xBB\xBF<shortkey>:smile\r\n<replacement text>\xF0\x9F\x98\x80", 0),
              0u);
    EXPECT_NE(text.find("<weight>7\r\n"), std::string::npos);

    // Back, from the file as written, without its mark, and as UTF-16.
    const std::string bare = text.substr(3);
    for (const std::string& file : {text, bare, Utf16(bare, true), Utf16(bare, false)}) {
        Library back{SystemCodePage()};
        std::filesystem::remove(dir / "b.lib");
        Make(back, "b.lib", Shorthand);
        int notStored = 0;
        EXPECT_EQ(back.ImportText(File(file).c_str(), nullptr, &notStored), 5);
        EXPECT_EQ(notStored, 0);
        EXPECT_EQ(Entries(back), Entries(lib));
        std::uint32_t weight = 0;
        EXPECT_EQ(back.GetWeight(Entry(kWorld[0].first), weight), 1);
        EXPECT_EQ(weight, 7u);
    }

    // An empty UTF-8 library exports the mark alone.
    Library empty{SystemCodePage()};
    Make(empty, "e.lib");
    EXPECT_EQ(empty.ExportText(out.c_str(), nullptr), 0);
    EXPECT_EQ(ReadBytes(out), "\xEF\xBB\xBF");
}

TEST_F(UnicodeTextTest, ImportReadsTheFileByItsMarkOrItsBytes) {
    const std::string pairs =
        "<key>\xCE\xB1\r\n<data>\xCF\x89\r\n<key>b\r\n<data>\xF0\x9F\x98\x80\r\n";
    const Pairs both = {{"b", "\xF0\x9F\x98\x80"}, {"\xCE\xB1", "\xCF\x89"}};
    const std::string utf16 = Utf16(pairs, true);
    // A surrogate pair that the read chunk (64 KB) cuts in two.
    const std::string cut = Utf16(std::string(32762, ' ') + "<key>\xF0\x9F\x98\x80\r\n", true);
    // A character the UTF-8 check's chunk cuts in two: still UTF-8.
    const std::string late = std::string(65535, ' ') + "\xC3\xA9\r\n<key>\xC3\xA9\r\n";
    const struct {
        const char* name;
        std::string file;
        int stored, notStored;
        Pairs entries;
        const CodePage* page = nullptr;  // the system's
    } cases[] = {
        {"UTF-8", pairs, 2, 0, both},
        {"UTF-8 after its mark", "\xEF\xBB\xBF" + pairs, 2, 0, both},
        {"UTF-16", utf16, 2, 0, both},
        {"the mark alone", "\xEF\xBB\xBF", 0, 0, {}},
        {"the UTF-16 mark alone", "\xFF\xFE", 0, 0, {}},
        {"an empty file", "", 0, 0, {}},
        // The odd last byte spoils the last line; the pair before stays.
        {"odd UTF-16", utf16.substr(0, utf16.size() - 4) + "x", 1, 1, {{"\xCE\xB1", "\xCF\x89"}}},
        {"an unpaired surrogate",
         Utf16("<key>a", true) + std::string("\x00\xD8", 2) +
             Utf16("\r\n<key>b\r\n", true).substr(2),
         1,
         1,
         {{"b", ""}}},
        {"a cut surrogate pair", cut, 1, 0, {{"\xF0\x9F\x98\x80", ""}}},
        {"UTF-8 cut by the check", late, 1, 0, {{"\xC3\xA9", ""}}},
        // Not UTF-8 and no mark: the code page, 1252 here.
        {"code page",
         "<key>caf\xE9\r\n<data>\x80 5\r\n",
         1,
         0,
         {{"caf\xC3\xA9", "\xE2\x82\xAC 5"}}},
        // A mark, then a line that is no UTF-8: that pair alone is lost.
        {"bad UTF-8 after the mark",
         "\xEF\xBB\xBF<key>caf\xE9\r\n<key>ok\r\n<data>caf\xE9\r\n",
         0,
         2,
         {}},
        // 932 natively: no double-byte characters, no 0x80.
        {"bytes the code page lacks",
         "<key>\xB1\r\n<key>\x80x\r\n<key>y\r\n<data>\x93\xFA\r\n",
         1,
         2,
         {{"\xEF\xBD\xB1", ""}},
         &CodePage932()},
    };
    for (const auto& c : cases) {
        Library lib{c.page ? *c.page : SystemCodePage()};
        std::filesystem::remove(dir / "u.lib");
        Make(lib, "u.lib");
        int notStored = 0;
        EXPECT_EQ(lib.ImportText(File(c.file).c_str(), nullptr, &notStored), c.stored) << c.name;
        EXPECT_EQ(notStored, c.notStored) << c.name;
        EXPECT_EQ(Entries(lib), c.entries) << c.name;
    }
}

TEST_F(UnicodeTextTest, ACodePageLibraryReadsTheBytesAsToday) {
    Opened lib(dir / "c.lib");
    EXPECT_EQ(lib.ImportText(File("\xEF\xBB\xBF<key>caf\xC3\xA9\r\n").c_str(), nullptr), 1);
    EXPECT_EQ(Entries(lib), (Pairs{{"caf\xC3\xA9", ""}}));
    EXPECT_EQ(lib.ExportText(out.c_str(), nullptr), 1);
    EXPECT_EQ(ReadBytes(out), "<key>caf\xC3\xA9\r\n<data>\r\n");
}

TEST_F(UnicodeTextTest, WordListsSplitAtPunctuationAndSymbolsOfAnyScript) {
    // Zażółć gęślą — „cytat” 東京、日本 😀 na_ive-x κόσμος. мир!
    const std::string words =
        "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85 \xE2\x80\x94 "
        "\xE2\x80\x9E"
        "cytat\xE2\x80\x9D \xE6\x9D\xB1\xE4\xBA\xAC\xE3\x80\x81\xE6\x97\xA5\xE6\x9C\xAC "
        "\xF0\x9F\x98\x80 na_ive-x \xCE\xBA\xCF\x8C\xCF\x83\xCE\xBC\xCE\xBF\xCF\x82. "
        "\xD0\xBC\xD0\xB8\xD1\x80!";
    const Pairs expected = Sorted(
        NoTexts({"Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87", "g\xC4\x99\xC5\x9Bl\xC4\x85", "cytat",
                 "\xE6\x9D\xB1\xE4\xBA\xAC", "\xE6\x97\xA5\xE6\x9C\xAC", "na_ive-x",
                 "\xCE\xBA\xCF\x8C\xCF\x83\xCE\xBC\xCE\xBF\xCF\x82", "\xD0\xBC\xD0\xB8\xD1\x80"}));
    const struct {
        const char* name;
        std::string file;
        int count, notStored;
        Pairs entries;
    } cases[] = {
        {"UTF-8", words, 8, 0, expected},
        {"UTF-8 after its mark", "\xEF\xBB\xBF" + words, 8, 0, expected},
        {"UTF-16", Utf16(words, false), 8, 0, expected},
        {"code page", "caf\xE9 na\xEFve", 2, 0, NoTexts({"caf\xC3\xA9", "na\xC3\xAFve"})},
        // After the mark a byte that is no UTF-8 spoils its word alone.
        {"bad byte",
         "\xEF\xBB\xBFgood ba\xFF"
         "d ok",
         2, 1, NoTexts({"good", "ok"})},
        // A character that the read chunk (10,240 bytes) cuts in two.
        {"cut character", std::string(10239, ' ') + "\xC3\xA9 x", 2, 0, NoTexts({"x", "\xC3\xA9"})},
        {"cut at the end",
         "\xEF\xBB\xBF"
         "a \xC3",
         1, 1, NoTexts({"a"})},
        // 600 e-acutes are 600 bytes in 1252 but 1,200 in UTF-8: dropped whole.
        {"longer as UTF-8", std::string(600, '\xE9') + " ok " + std::string(600, 'x'), 2, 0,
         NoTexts({"ok", std::string(600, 'x')})},
    };
    for (const auto& c : cases) {
        Library lib{SystemCodePage()};
        std::filesystem::remove(dir / "w.lib");
        Make(lib, "w.lib");
        int notStored = 0;
        EXPECT_EQ(lib.ImportWordList(File(c.file).c_str(), nullptr, &notStored), c.count) << c.name;
        EXPECT_EQ(notStored, c.notStored) << c.name;
        EXPECT_EQ(Sorted(Entries(lib)), Sorted(c.entries)) << c.name;
    }
}

TEST_F(UnicodeTextTest, EntriesThatAreNoUtf8AreNotExported) {
    Library lib{SystemCodePage()};
    Make(lib, "a.lib");
    ASSERT_EQ(lib.Put(Entry("ok", "\xC3\xA9")), 1);
    lib.Close();
    ASSERT_TRUE(RawPut(dir / "a.lib", "DBDATA", "bad\xE9", "x"));
    ASSERT_TRUE(RawPut(dir / "a.lib", "DBDATA", "bad", "\xE9"));
    ASSERT_EQ(lib.Open((dir / "a.lib").c_str()), 1);
    int skipped = 0;
    EXPECT_EQ(lib.ExportText(out.c_str(), nullptr, &skipped), 1);
    EXPECT_EQ(skipped, 2);
    EXPECT_EQ(ReadBytes(out), "\xEF\xBB\xBF<key>ok\r\n<data>\xC3\xA9\r\n");
}

}  // namespace
}  // namespace wl::test
