#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"

namespace wl {
namespace {

TEST(CodePage, LettersDigitsAndLeadBytes) {
    const CodePage& cp = CodePage1252();
    EXPECT_TRUE(cp.IsAlpha('a'));
    EXPECT_TRUE(cp.IsAlpha(0xE9));   // e acute
    EXPECT_TRUE(cp.IsAlpha(0x8A));   // S caron
    EXPECT_FALSE(cp.IsAlpha(0xD7));  // multiplication sign
    EXPECT_FALSE(cp.IsAlpha('5'));
    EXPECT_TRUE(cp.IsAlphaNumeric('5'));
    EXPECT_FALSE(cp.IsAlphaNumeric('-'));
    EXPECT_FALSE(cp.IsLeadByte(0x81));
    EXPECT_TRUE(CodePage932().IsLeadByte(0x82));
}

TEST(CodePage, LowerCaseAndCompareStepOverDoubleByteCharacters) {
    // "\202A" (0x82 0x41) is one Shift-JIS character whose trail byte looks
    // like 'A'; a lead byte at the very end does not run past the terminator.
    const struct {
        const CodePage& cp;
        const char *text, *lowered;
    } lowers[] = {{CodePage1252(), "ApPLE \xC9T\xC9 \x8A\x9F", "apple \xE9t\xE9 \x9A\xFF"},
                  {CodePage932(), "\202AAB", "\202Aab"},
                  {CodePage932(), "A\x82", "a\x82"}};
    for (const auto& c : lowers) {
        std::string s = c.text;
        c.cp.ToLower(s.data());
        EXPECT_EQ(s, c.lowered) << c.text;
    }
    const CodePage& cp = CodePage1252();
    EXPECT_EQ(cp.CompareNoCase("Apple", "apple"), 0);
    EXPECT_LT(cp.CompareNoCase("apple", "APPLY"), 0);
    EXPECT_LT(cp.CompareNoCase("app", "apple"), 0);
    EXPECT_GT(cp.CompareNoCase("b", "A"), 0);
    EXPECT_EQ(CodePage932().CompareNoCase("\202Ax", "\202AX"), 0);
    EXPECT_NE(CodePage932().CompareNoCase("\202A", "\202a"), 0);
}

TEST(CodePageFromUtf8, ExactCharactersOrNothing) {
    std::string out;
    const CodePage& cp = CodePage1252();
    EXPECT_TRUE(cp.FromUtf8("a \xE2\x82\xAC \xC3\xA9 \xC5\xB8 \xC2\x81", out));
    EXPECT_EQ(out, "a \x80 \xE9 \x9F \x81");
    for (const char* bad : {"\xE2\x98\x83",         // a snowman: not in 1252
                            "\xC2\x80",             // a C1 control that 0x80 does not stand for
                            "\xC3",                 // cut short
                            "\xC0\xAF",             // overlong
                            "\xED\xA0\x80",         // a surrogate
                            "\xF4\x90\x80\x80"}) {  // above U+10FFFF
        EXPECT_FALSE(cp.FromUtf8(bad, out)) << bad;
    }
    EXPECT_TRUE(CodePage932().FromUtf8("a\xEF\xBD\xB1", out));  // half-width katakana A
    EXPECT_EQ(out, "a\xB1");
    EXPECT_FALSE(CodePage932().FromUtf8("\xE6\x97\xA5", out));  // a kanji: no native table
}

TEST(CodePageToUtf8, EveryDefinedByteAndNothingElse) {
    std::string out, back;
    // Every byte of 1252 converts, and back to itself; the system's page
    // agrees where it is 1252 (the Windows build asks the system).
    const bool system1252 = SystemCodePage().FromUtf8("\xE2\x82\xAC", back) && back == "\x80";
    for (int b = 1; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        ASSERT_TRUE(CodePage1252().ToUtf8(byte, out)) << b;
        ASSERT_TRUE(CodePage1252().FromUtf8(out, back)) << b;
        EXPECT_EQ(back, byte) << b;
        std::string system;
        if (system1252) {
            EXPECT_TRUE(SystemCodePage().ToUtf8(byte, system)) << b;
            EXPECT_EQ(system, out) << b;
        }
    }
    ASSERT_TRUE(CodePage1252().ToUtf8(std::string("caf\xE9 \x80\0\x9F", 8), out));
    EXPECT_EQ(out, std::string("caf\xC3\xA9 \xE2\x82\xAC\0\xC5\xB8", 12));

    EXPECT_TRUE(CodePage932().ToUtf8("a\xB1", out));  // half-width katakana A
    EXPECT_EQ(out, "a\xEF\xBD\xB1");
    // A kanji (no native table), and bytes 932 leaves undefined.
    for (const char* bad : {"\x93\xFA", "\x80", "\xFD"})
        EXPECT_FALSE(CodePage932().ToUtf8(bad, out)) << bad;
    // The default knows ASCII alone.
    class AsciiPage : public CodePage {
      public:
        bool IsAlpha(unsigned char) const override { return false; }
        bool IsAlphaNumeric(unsigned char) const override { return false; }
        bool IsLeadByte(unsigned char) const override { return false; }
        void ToLower(char*) const override {}
        int CompareNoCase(const char*, const char*) const override { return 0; }
    } ascii;
    EXPECT_TRUE(ascii.ToUtf8("plain", out));
    EXPECT_EQ(out, "plain");
    EXPECT_FALSE(ascii.ToUtf8("caf\xE9", out));
}

// UTF-8's fold: full case folding, then composition; the neutral fold for
// the Turkish dotted capital I.
TEST(Utf8Page, FoldsFullyAndComposes) {
    const struct {
        const char *text, *folded;
    } folds[] = {
        {"Stra\u00DFe", "strasse"},
        {"STRASSE", "strasse"},
        {"\u03A3\u038A\u03A3\u03A5\u03A6\u039F\u03A3",
         "\u03C3\u03AF\u03C3\u03C5\u03C6\u03BF\u03C3"},
        {"\u03C3\u03AF\u03C3\u03C5\u03C6\u03BF\u03C2",
         "\u03C3\u03AF\u03C3\u03C5\u03C6\u03BF\u03C3"},
        {"\u0141\u00D3D\u0179", "\u0142\u00F3d\u017A"},  // Polish
        {"\u041F\u0420\u0418\u0412\u0415\u0422",
         "\u043F\u0440\u0438\u0432\u0435\u0442"},  // Cyrillic
        {"\u0130stanbul", "i\u0307stanbul"},       // dotted capital I: i and a combining dot
        {"ISTANBUL", "istanbul"},                  // and I is i, not the dotless one
        {"CAFE\u0301", "caf\u00E9"},               // decomposed: composed
        {"\uFB01", "fi"},                          // a ligature grows shorter
        {"\u6F22\u5B57 \U0001F600", "\u6F22\u5B57 \U0001F600"},  // no case: unchanged
        {"A\xFF\xC3"
         "B",
         "a\xFF\xC3"
         "b"},  // bytes that are no UTF-8 stay
    };
    const CodePage& page = Utf8Page();
    for (const auto& f : folds) EXPECT_EQ(page.Fold(f.text), f.folded) << f.text;
    EXPECT_EQ(CodePage1252().Fold("\xC9T\xC9"), "\xE9t\xE9");  // a code page: ToLower
}

// Latin, Greek and Cyrillic fold by a table, one character at a time; with
// an ideograph after them utf8proc folds the whole text, which must agree.
TEST(Utf8Page, TheTableFoldsAsUtf8procDoes) {
    const char32_t after[] = {0, 'a', 'I', 0xDF, 0x130, 0x3A3, 0x3C2, 0x345, 0x301, 0x41F, 0x1E9E};
    const CodePage& page = Utf8Page();
    for (char32_t c = 0x80; c < 0x530; ++c) {
        for (char32_t d : after) {
            std::string text;
            AppendUtf8(c, text);
            if (d) AppendUtf8(d, text);
            ASSERT_EQ(page.Fold(text + "\u4E00"), page.Fold(text) + "\u4E00")
                << std::hex << std::uint32_t{c} << " " << std::uint32_t{d};
        }
    }
}

// CompareNoCase is 0 exactly when the folds are equal and otherwise orders
// as the folds' bytes, whatever its shortcut over an ASCII start takes.
TEST(Utf8Page, ComparesAsTheFoldsDo) {
    const char* words[] = {
        "",         "e",       "E",     "e\u0301",      "\u00E9",        "\u00C9",   "ea",
        "eA\u0301", "ez",      "f",     "Stra\u00DFe",  "strasse",       "STRASSEN", "stras",
        "\u0130",   "i\u0307", "i",     "\u03A3\u0391", "\u03C2\u03B1",  "a\xFF",    "A\xFF",
        "a\xFE",    "STRASSE", "apple", "Apricot",      "\u0130stanbul", "istanbul"};
    const CodePage& page = Utf8Page();
    auto sign = [](int c) { return (c > 0) - (c < 0); };
    for (const char* a : words)
        for (const char* b : words)
            EXPECT_EQ(sign(page.CompareNoCase(a, b)), sign(page.Fold(a).compare(page.Fold(b))))
                << a << " | " << b;
}

TEST(Utf8Page, BytesLowerCaseAndConversion) {
    const CodePage& page = Utf8Page();
    EXPECT_TRUE(page.IsAlpha('a'));
    EXPECT_TRUE(page.IsAlpha(0xC3));  // bytes of multibyte characters
    EXPECT_TRUE(page.IsAlpha(0xA9));
    EXPECT_FALSE(page.IsAlpha(0xC0));  // never in UTF-8
    EXPECT_FALSE(page.IsAlpha(0xFF));
    EXPECT_FALSE(page.IsAlpha('5'));
    EXPECT_TRUE(page.IsAlphaNumeric('5'));
    EXPECT_FALSE(page.IsAlphaNumeric('-'));
    EXPECT_FALSE(page.IsLeadByte(0xC3));
    std::string s = "ABC\u00C9";
    page.ToLower(s.data());
    EXPECT_EQ(s, "abc\u00C9");  // in place: ASCII only
    std::string out;
    EXPECT_TRUE(page.FromUtf8("\u03C3\U0001F600", out));
    EXPECT_EQ(out, "\u03C3\U0001F600");
    EXPECT_FALSE(page.FromUtf8("\xC3", out));
}

}  // namespace
}  // namespace wl
