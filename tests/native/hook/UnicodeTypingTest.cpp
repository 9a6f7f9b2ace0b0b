// Typing a UTF-8 text: its characters as themselves (surrogate pairs as two
// units), every event marked, macros as in a code-page text, erasing by
// characters, invalid UTF-8 refused, and the applications that paste.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/native/hook/FakeHookPlatform.h"

namespace wl::test {
namespace {

using vemo::REPLACE_COMPLETE;
using vemo::REPLACE_KEEP;
using vemo::REPLACE_KEEP_SPACE;
using vemo::REPLACE_PATH_FILE;
using vemo::REPLACE_WORD;

TEST(UnicodeTyping, CharactersAreTypedAsThemselvesWithTheMacrosAsKeys) {
    struct Case {
        const char *word, *text;
        int mode;
        const char* typed;               // as the events type it; keys in angle brackets
        const char* fields;              // "word|line" afterwards
        const char* utf8Word = nullptr;  // the word's UTF-8 twin when not the word
    };
    const Case cases[] = {
        {"caf", "caf\xC3\xA9", REPLACE_COMPLETE, "\xC3\xA9", "|"},
        {"teh", "\xE2\x86\x92", REPLACE_WORD, "<BS><BS><BS>\xE2\x86\x92", "|"},
        // Beyond the Basic Multilingual Plane: one character, two units.
        {"s", "\xF0\x9F\x98\x80!", REPLACE_WORD, "<BS>\xF0\x9F\x98\x80!", "|"},
        // Key macros are keys, a carriage return and line feed one Enter,
        // and %CARET% counts characters (the emoji once) back.
        {"d", "\xCE\xB1%TAB%b%CARET%\xF0\x9F\x98\x80\r\nx%RETURN%", REPLACE_WORD,
         "<BS>\xCE\xB1\tb\xF0\x9F\x98\x80\rx\r<LEFT><LEFT><LEFT><LEFT>", "|"},
        // A date macro is text (the fixture's clock reads year 1900).
        {"y", "\xE2\x86\x92%YEAR%\xE2\x86\x90", REPLACE_WORD,
         "<BS>\xE2\x86\x92"
         "1900\xE2\x86\x90",
         "|"},
        // What the word has alike in ASCII stays; a text beyond ASCII has no
        // code-page word: tracking starts afresh after it.
        {"na", "na\xC3\xAFve", REPLACE_KEEP, "\xC3\xAFve", "|"},
        {"Na", "na\xC3\xAFve", REPLACE_KEEP_SPACE, "<BS><BS>na\xC3\xAFve ", "|"},
        {"wor", "world", REPLACE_KEEP, "ld", "world|world"},
        // A completion skips as many characters as the word has.
        {"\xE9t", "\xC3\xA9t\xC3\xA9", REPLACE_COMPLETE, "\xC3\xA9", "|"},
        // Erasing counts the characters of the word as the application shows
        // it: an emoji is one there, though two stand-ins in the code page.
        {"a??", "a\xF0\x9F\x98\x80!", REPLACE_WORD, "<BS><BS>a\xF0\x9F\x98\x80!", "|",
         "a\xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        HookFixture f;
        f.Prepare(c.word, c.word, "", c.mode);
        if (c.utf8Word) std::strcpy(f.s().inputWordUtf8, c.utf8Word);
        ASSERT_EQ(f.SetReplaceUtf8(c.text, c.mode), 1);
        EXPECT_EQ(f.logic.ReplaceStr(), 1);
        EXPECT_EQ(f.p.TypedText(), c.typed);
        EXPECT_EQ(f.Fields(), c.fields);
        EXPECT_TRUE(f.p.clipboard.empty());
        // Every character event is marked, and the hook lets them pass
        // uncaptured; the keys keep their scan code.
        for (const auto& k : f.p.keys)
            EXPECT_EQ(k.vk == kVkPacket ? k.extra : std::uint32_t{k.scan},
                      k.vk == kVkPacket ? vemo::kVemoInputMark : vemo::INJECTED_SCAN_CODE);
        f.Deliver();
        EXPECT_EQ(f.Fields(), c.fields);
    }
}

// A code-page candidate leaves the UTF-8 twins as the code-page fields: the
// next word typed is looked up in both alike; a completion that empties the
// code-page texts empties their twins.
TEST(UnicodeTyping, TheUtf8TwinsFollowACodePageCandidate) {
    const struct {
        int mode;
        const char* fields;
    } cases[] = {{REPLACE_KEEP, "caf\xC3\xA9|caf\xC3\xA9"},
                 {REPLACE_KEEP_SPACE, "|caf\xC3\xA9 "},
                 {REPLACE_WORD, "|"}};
    for (const auto& c : cases) {
        HookFixture f;
        f.Prepare("caf", "caf", "caf\xE9", c.mode);
        f.Key(0x09);  // Tab takes it
        EXPECT_EQ(f.FieldsUtf8(), c.fields);
        if (c.mode == REPLACE_WORD) {
            EXPECT_EQ(f.p.TypedText(), "<BS><BS><BS><PASTE>");  // é has no key
            EXPECT_STREQ(f.s().lastLookupWordUtf8, "");
        }
    }
}

TEST(UnicodeTyping, ASurrogatePairIsTwoUnitsEachDownAndUp) {
    HookFixture f;
    f.Prepare("x", "x", "", REPLACE_WORD);
    f.SetReplaceUtf8("\xF0\x9F\x98\x80", REPLACE_WORD);  // U+1F600
    f.logic.ReplaceStr();
    using K = FakeHookPlatform::Key;
    const auto m = vemo::kVemoInputMark;
    const std::vector<K> expected = {{0x08, 0xEE, false},
                                     {0x08, 0xEE, true},
                                     {kVkPacket, 0, false, 0xD83D, m},
                                     {kVkPacket, 0, true, 0xD83D, m},
                                     {kVkPacket, 0, false, 0xDE00, m},
                                     {kVkPacket, 0, true, 0xDE00, m}};
    EXPECT_EQ(f.p.keys, expected);
}

// Where the hook cannot read the mark, the keys typed as characters are
// counted: that many are the library's own, for a second; then none.
TEST(UnicodeTyping, TheHookKnowsItsOwnCharactersByMarkOrCount) {
    HookFixture f;
    f.Prepare("x", "x", "", REPLACE_WORD);
    f.SetReplaceUtf8("\xCE\xB1\xF0\x9F\x98\x80", REPLACE_WORD);  // one unit, then two
    f.p.tick = 5000;
    f.logic.ReplaceStr();
    EXPECT_EQ(f.s().ownUnicodeKeys, 6u);
    struct Step {
        bool packet, marked;
        std::uint32_t tick;
        bool own;
        std::uint32_t left;
    };
    const Step steps[] = {
        {true, false, 5100, true, 5},    // unmarked, counted
        {false, false, 5100, false, 5},  // another key takes no count
        {false, true, 5100, false, 5},   // no character: the user's, whatever it seems
        {true, true, 5100, true, 4},     // marked and counted
        {true, false, 6001, false, 0},   // a second late: the rest went elsewhere
        {true, false, 6002, false, 0},   // the user's own
        {true, true, 6002, true, 0},
    };
    for (const Step& st : steps) {
        EXPECT_EQ(IsOwnInput(f.s(), st.packet, st.marked, st.tick), st.own) << st.tick;
        EXPECT_EQ(f.s().ownUnicodeKeys, st.left) << st.tick;
    }
}

TEST(UnicodeTyping, TextThatIsNotUtf8IsRefusedAndNothingTyped) {
    const char* refused[] = {
        "\xC3",              // cut short
        "a\xC0\xAF",         // an overlong "/"
        "\xED\xA0\x80",      // a surrogate
        "\xF4\x90\x80\x80",  // past U+10FFFF
        "caf\xE9",           // Windows-1252, not UTF-8
        "\xE2\x82",          // cut short at the end
    };
    for (const char* text : refused) {
        SCOPED_TRACE(text);
        HookFixture f;
        f.Prepare("x", "x", "old", REPLACE_WORD);
        EXPECT_EQ(f.SetReplaceUtf8(text, REPLACE_WORD), 0);
        EXPECT_EQ(f.logic.ReplaceStr(), 0);
        EXPECT_TRUE(f.p.keys.empty());
    }
    // Paths are in the code page: a UTF-8 one is refused too.
    HookFixture f;
    EXPECT_EQ(f.SetReplaceUtf8("dir", REPLACE_PATH_FILE), 0);
    // A code-page text after a UTF-8 one is the code page's again.
    f.Prepare("x", "x", "", REPLACE_WORD);
    f.SetReplaceUtf8("\xC3\xA9", REPLACE_WORD);
    f.SetReplace("ab", REPLACE_WORD);
    EXPECT_EQ(f.s().replaceEncoding, vemo::kReplaceCodePage);
}

TEST(UnicodeTyping, ALongTextIsCutBeforeTheCharacterThatDoesNotFit) {
    HookFixture f;
    std::string text(vemo::kReplaceSize - 2, 'a');
    text += "\xC3\xA9";  // one byte too many for the terminator
    EXPECT_EQ(f.SetReplaceUtf8(text.c_str(), REPLACE_WORD), 1);
    EXPECT_EQ(std::string(f.s().replaceText), std::string(vemo::kReplaceSize - 2, 'a'));
}

// Consoles drop characters typed as themselves: there, and wherever the
// user set it, a UTF-8 text is pasted, the keys of its macros still typed.
TEST(UnicodeTyping, ApplicationsThatTypeThroughTheClipboardPasteTheText) {
    struct Case {
        const char* exe;
        int own;  // TypeByClipboard; -1: none
        bool pasted;
    };
    const Case cases[] = {
        {"C:\\Windows\\System32\\conhost.exe", -1, true},
        {"C:\\Windows\\System32\\CMD.EXE", -1, true},
        {"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe", -1, true},
        {"C:\\Program Files\\WindowsApps\\WindowsTerminal.exe", -1, true},
        {"C:\\Windows\\System32\\cmd.exe", 0, false},
        {"C:\\Windows\\notepad.exe", -1, false},
        {"C:\\Windows\\notepad.exe", 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exe);
        HookFixture f;
        f.p.exePath = c.exe;
        const std::string exe = std::string(c.exe).substr(std::string(c.exe).rfind('\\') + 1);
        if (c.own >= 0) f.AppOption(exe, reg::kAppTypeByClipboard, std::uint32_t(c.own));
        f.Prepare("x", "x", "", REPLACE_WORD);
        f.SetReplaceUtf8("\xE2\x86\x92%TAB%\xC3\xA9", REPLACE_WORD);
        f.logic.ReplaceStr();
        if (c.pasted) {
            EXPECT_EQ(f.Deliver(), "<BS>[\xE2\x86\x92]\t[\xC3\xA9]");
            EXPECT_EQ(f.p.clipboardEncodings,
                      (std::vector<std::uint32_t>{vemo::kReplaceUtf8, vemo::kReplaceUtf8}));
        } else {
            EXPECT_EQ(f.Deliver(), "<BS>\xE2\x86\x92\t\xC3\xA9");
        }
    }
}

}  // namespace
}  // namespace wl::test
