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

    const struct {
        const char* text;
        bool ok;
        const char* utf8;
    } shiftJis[] = {
        {"a\xB1", true, "a\xEF\xBD\xB1"},  // half-width katakana A
        {"\x93\xFA", false, ""},           // a kanji: no native table
        {"\x80", false, ""},               // undefined
        {"\xFD", false, ""},
    };
    for (const auto& c : shiftJis) {
        EXPECT_EQ(CodePage932().ToUtf8(c.text, out), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(out, c.utf8);
        }
    }
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

}  // namespace
}  // namespace wl
