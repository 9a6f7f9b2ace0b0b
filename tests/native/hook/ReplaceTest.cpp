// Replacement typing: erasing the typed word, the five modes, macros, the
// caret marker, Shift and Caps Lock, and the clipboard for text no key types.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/native/hook/FakeHookPlatform.h"

namespace wl::test {
namespace {

using vemo::REPLACE_COMPLETE;
using vemo::REPLACE_KEEP;
using vemo::REPLACE_KEEP_SPACE;
using vemo::REPLACE_PATH_FILE;
using vemo::REPLACE_PATH_FOLDER;
using vemo::REPLACE_WORD;

class Replace : public ::testing::Test, public HookFixture {};

std::string Lefts(int n) {
    std::string out;
    while (n-- > 0) out += "<LEFT>";
    return out;
}

// (What each mode types, and the keys' scan code, are in the tables below.)
TEST_F(Replace, WordModeEndsTheLookupAndLeavesTheInputToTheApplication) {
    ReplaceWith("teh", "the");
    EXPECT_STREQ(s().lastLookupWord, "");
    EXPECT_FALSE(ListShown());
    EXPECT_EQ(s().lookupPending, 0u);
    EXPECT_EQ(p.foreground, std::vector<Handle32>{kEdit});  // input goes to the application
}

TEST(ReplaceModes, EachModeErasesAndTypesOnlyWhatItMust) {
    struct Case {
        const char *word, *line, *text;
        int mode;
        const char* typed;
        const char* fields;  // "word|line" afterwards; nullptr: not checked
        bool doubleByte = false;
    };
    const Case cases[] = {
        {"app", "app", "application", REPLACE_COMPLETE, "lication", "|"},
        {"app", "app", "app", REPLACE_COMPLETE, "", "|"},  // no longer than the word
        // What the word has already stays.
        {"wor", "hello wor", "world", REPLACE_KEEP, "ld", "world|world"},
        // Another case is another character.
        {"Wor", "Wor", "world", REPLACE_KEEP, "<BS><BS><BS>world", "world|world"},
        // A word longer than the candidate loses its end.
        {"worlds", "worlds", "world", REPLACE_KEEP, "<BS>", "world|world"},
        // A macro is typed whole, never from its middle.
        {"a%T", "a%T", "a%TAB%b", REPLACE_KEEP, "<BS><BS>\tb", nullptr},
        // Double-byte characters alike in their lead byte only differ.
        {"x\x82\xA0", "x\x82\xA0", "x\x82\xA2", REPLACE_KEEP, "<BS><BS><PASTE>",
         "x\x82\xA2|x\x82\xA2", true},
        {"C:\\Windows\\not", "C:\\Windows\\not", "notepad.exe", REPLACE_PATH_FILE,
         "<BS><BS><BS>notepad.exe", "|"},
        // Without a backslash a path mode erases nothing.
        {"Prog", "Prog", "Program Files", REPLACE_PATH_FOLDER, "Program Files\\",
         "|ProgProgram Files\\"},
        // "\x95\x5C" is one double-byte character whose trail byte is 0x5C.
        {"C:\\a\\\x95\x5C", "C:\\a\\\x95\x5C", "x", REPLACE_PATH_FILE, "<BS><BS>x", "|", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.word) + " -> " + c.text);
        HookFixture f;
        if (c.doubleByte) f.p.page = &CodePage932();
        f.Prepare(c.word, c.line, c.text, c.mode);
        EXPECT_EQ(f.logic.ReplaceStr(), 1);
        EXPECT_EQ(f.p.TypedText(), c.typed);
        if (c.fields) {
            EXPECT_EQ(f.Fields(), c.fields);
        }
    }
}

TEST(ReplaceKeys, EachKeyIsPressedAndReleasedWithShiftAroundIt) {
    // Caps Lock inverts Shift for letters only: TypedText applies it.
    for (bool capsLock : {false, true}) {
        SCOPED_TRACE(capsLock);
        HookFixture f;
        f.p.caps = capsLock;
        f.ReplaceWith("x", "aB!");
        EXPECT_EQ(f.p.TypedText(), "<BS>aB!");
        // Each key, Shift too, carries the hook's own scan code and is down
        // at most once and released by the end.
        std::map<std::uint8_t, int> down;
        for (const auto& k : f.p.keys) {
            EXPECT_EQ(k.scan, 0xEE);
            EXPECT_EQ(down[k.vk] += k.up ? -1 : 1, k.up ? 0 : 1) << int{k.vk};
        }
        for (const auto& [vk, n] : down) EXPECT_EQ(n, 0) << int{vk};
    }
}

TEST_F(Replace, KeyMacrosAndTheCaretMarker) {
    const std::pair<const char*, std::string> cases[] = {
        {"Dear %CARET%,%RETURN%Regards", "<BS>Dear ,\rRegards" + Lefts(9)},
        // b, Tab, c, Backspace (-1), d, e: 4 Left presses; the second marker
        // changes nothing.
        {"%UP%%DOWN%%PGUP%%PGDN%%HOME%%END%%DELETE%a%CARET%b%TAB%c%BACKSPACE%d%CARET%e",
         "<BS><UP><DOWN><PGUP><PGDN><HOME><END><DEL>ab\tc<BS>de" + Lefts(4)},
        {"%CARET%a\r\nb", "<BS>a\rb" + Lefts(3)},  // one line break
        // A marker with nothing after it presses no Left.
        {"abc%CARET%", "<BS>abc"},
        {"a%CARET%%BACKSPACE%%BACKSPACE%", "<BS>a<BS><BS>"},
    };
    for (const auto& [text, typed] : cases) {
        ReplaceWith("x", text);
        EXPECT_EQ(p.TypedText(), typed) << text;
        p.keys.clear();
    }
}

TEST_F(Replace, AReplacementLongerThanAWordFieldClearsTheFields) {
    std::string longText(3000, 'k');
    ReplaceWith("k", longText.c_str(), REPLACE_KEEP);
    EXPECT_EQ(p.TypedText(), longText.substr(1));
    EXPECT_EQ(Fields(), "|");
    // Exactly 1023 bytes still fit.
    std::string fits(1023, 'f');
    ReplaceWith("f", fits.c_str(), REPLACE_KEEP);
    EXPECT_EQ(std::string(s().inputWord), fits);
}

TEST_F(Replace, FolderModeTypesTheFolderAndLooksUpTheNewPath) {
    Prepare("C:\\Prog", "see C:\\Prog", "Program Files", REPLACE_PATH_FOLDER);
    Known({"C:\\Program Files\\"});
    logic.ReplaceStr();
    EXPECT_EQ(p.TypedText(), "<BS><BS><BS><BS>Program Files\\");
    // The main window was asked at once for the new path, the line kept
    // what came before it.
    EXPECT_EQ(p.LookupKeys(),
              (std::vector<std::string>{"see C:\\Program Files\\", "C:\\Program Files\\"}));
    EXPECT_EQ(Fields(), "C:\\Program Files\\|see C:\\Program Files\\");
    EXPECT_EQ(s().lookupPending, 1u);
    EXPECT_EQ(p.PostCount(vemo::WM_CARET_PENDING), 1);
    EXPECT_FALSE(ListShown());
    // A file ends the path and looks nothing up.
    p.sent.clear();
    ReplaceWith("C:\\Windows\\not", "notepad.exe", REPLACE_PATH_FILE);
    EXPECT_EQ(s().lookupPending, 1u);
    EXPECT_TRUE(p.LookupKeys().empty());
}

TEST_F(Replace, TheListOfTheNewFolderShowsEvenIfTheMainProgramLookedItUpMeanwhile) {
    Prepare("C:\\Prog", "C:\\Prog", "Program Files", REPLACE_PATH_FOLDER);
    p.answer = [&](const FakeHookPlatform::Sent& m) {
        // The main program's caret check ran while the keys were typed and
        // recorded the new path as looked up.
        if (m.message == vemo::WM_WORD_LOOKUP) std::strcpy(s().lastLookupWord, s().inputWord);
        return std::optional<std::intptr_t>(0);
    };
    logic.ReplaceStr();
    ASSERT_FALSE(ListShown());
    const size_t lookups = p.LookupKeys().size();
    logic.OnCaretLocation(true, HookRect{40, 10, 42, 26}, kEdit);
    EXPECT_GT(p.LookupKeys().size(), lookups);
    EXPECT_TRUE(ListShown());
}

TEST_F(Replace, DoubleByteTextGoesThroughTheClipboardInItsPlace) {
    p.page = &CodePage932();
    ReplaceWith("x", "ab%TAB%\x82\xA0\x82\xA2%CARET%c\x82\xA4");
    // Nothing is pasted yet: a posted paste would overtake the keys.
    EXPECT_TRUE(p.clipboard.empty());
    EXPECT_EQ(p.PostCount(0x0302), 0);
    // Two characters after the marker: two Left presses.
    EXPECT_EQ(p.TypedText(), "<BS>ab\t<PASTE><PASTE>" + Lefts(2));
    // Each text is pasted when its marker comes through, after the keys
    // before it and before the keys after it, into the focus window.
    EXPECT_EQ(Deliver(), "<BS>ab\t[\x82\xA0\x82\xA2][c\x82\xA4]" + Lefts(2));
    EXPECT_EQ(p.clipboard, (std::vector<std::string>{"\x82\xA0\x82\xA2", "c\x82\xA4"}));
    EXPECT_EQ(p.PostCount(0x0302), 2);  // WM_PASTE
    EXPECT_EQ(p.posted.back().window, kEdit);
    EXPECT_EQ(s().pasteRead, s().pasteWrite);
    // The markers are neither captured nor seen by the application.
    EXPECT_STREQ(s().inputWord, "");
}

// Text no key types is pasted in its place, handed to the main window as
// code-page text; a paste waits for its marker even across the next
// replacement; a busy clipboard, or no main window, costs only its part.
TEST(ReplacePaste, EachTextIsPastedWhereItsMarkerComesThrough) {
    struct Case {
        const char* name;
        bool doubleByte, busy, noMain;
        const char *first, *second;  // replacing "x", then "y" if any
        const char* delivered;
    };
    for (const Case& c : {
             Case{"a character without a key", false, false, false, "na\xEFve%TAB%ok", nullptr,
                  "<BS>[na\xEFve]\tok"},
             Case{"the marker comes through after the next replacement", false, false, false,
                  "\xEFx", "\xEFy", "<BS>[\xEFx]<BS>[\xEFy]"},
             Case{"a busy clipboard", true, true, false, "\x82\xA0%RETURN%ok", nullptr, "<BS>\rok"},
             Case{"the clipboard free", true, false, false, "\x82\xA2!", nullptr,
                  "<BS>[\x82\xA2!]"},
             Case{"no main window", false, false, true, "\xEFy%TAB%", nullptr, "<BS>\t"},
         }) {
        SCOPED_TRACE(c.name);
        HookFixture f;
        if (c.doubleByte) f.p.page = &CodePage932();
        f.p.clipboardBusy = c.busy;
        if (c.noMain) f.s().mainWindow = 0;
        f.ReplaceWith("x", c.first);
        if (c.second) f.ReplaceWith("y", c.second);
        EXPECT_EQ(f.Deliver(), c.delivered);
        const std::size_t pastes = c.busy || c.noMain ? 0 : c.second ? 2 : 1;
        EXPECT_EQ(f.p.PostCount(0x0302), static_cast<int>(pastes));
        EXPECT_EQ(f.p.clipboardEncodings,
                  std::vector<std::uint32_t>(pastes, vemo::kReplaceCodePage));
    }
}

TEST_F(Replace, AFullQueuePastesAtOnceAndAStrayMarkerPastesNothing) {
    // Markers that never came through (an application without the hook)
    // left the queue full: the text is pasted at once, as it was before.
    s().pasteRead = 0;
    s().pasteWrite = static_cast<std::uint32_t>(vemo::kReplaceSize - 2);
    ReplaceWith("x", "na\xEFve");
    EXPECT_EQ(p.clipboard, std::vector<std::string>{"na\xEFve"});
    EXPECT_EQ(p.PostCount(0x0302), 1);
    EXPECT_EQ(p.posted.back().window, kEdit);  // the caret's window
    // EndVemo's clearing empties the queue; a marker then pastes nothing.
    ClearSharedTexts(s());
    EXPECT_EQ(s().pasteWrite, 0u);
    EXPECT_EQ(logic.KeyboardProc(0, vemo::VK_PASTE_MARKER, 0x00EE0001u),
              HookLogic::KeyResult::Swallow);
    EXPECT_EQ(logic.KeyboardProc(0, vemo::VK_PASTE_MARKER, 0xC0EE0001u),
              HookLogic::KeyResult::Swallow);
    EXPECT_EQ(p.clipboard.size(), 1u);
    // A damaged record's indices stay within the queue.
    s().pasteRead = 5;
    s().pasteWrite = 0xFFFFFFFFu;
    EXPECT_EQ(logic.KeyboardProc(0, vemo::VK_PASTE_MARKER, 0x00EE0001u),
              HookLogic::KeyResult::Swallow);
    EXPECT_EQ(p.clipboard.size(), 1u);
}

TEST_F(Replace, AMarkerThatNeverCameThroughCostsOnlyItsOwnPaste) {
    // A console window does not load the hook library: its marker is lost.
    p.focus = s().caretWindow = kOther;
    ReplaceWith("x", "\xEFx");
    p.keys.clear();
    // Back in the editor, the next expansion pastes its own text there.
    p.focus = s().caretWindow = kEdit;
    ReplaceWith("y", "\xEFy");
    EXPECT_EQ(Deliver(), "<BS>[\xEFy]");
    EXPECT_EQ(p.posted.back().window, kEdit);
    // In the same window, a text whose marker is more than a second late is
    // dropped too; so is a lost one that fills the queue.
    const std::string big(vemo::kReplaceSize / 2, '\xEF');
    const std::pair<std::string, std::string> lost[] = {{"\xEFz", "\xEFw"}, {big + "v", big + "u"}};
    for (const auto& [stale, fresh] : lost) {
        ReplaceWith("z", stale.c_str());
        p.keys.clear();
        p.tick += 1001;
        ReplaceWith("w", fresh.c_str());
        EXPECT_EQ(Deliver(), "<BS>[" + fresh + "]");
    }
    EXPECT_EQ(p.clipboard.size(), 3u);
}

// The space a completion adds moves after punctuation typed right after it,
// and only then: not for another key, another window, after a Backspace or a
// click, nor once its moment has passed.
TEST(ReplaceSpace, TheSpaceAfterACompletedWordMovesAfterPunctuationAtOnce) {
    struct Case {
        const char* name;
        void (*before)(HookFixture&);
        const char* next;   // typed after the completion
        const char* typed;  // what the keys then type
        const char* line;   // nullptr: not checked
    };
    const auto none = [](HookFixture&) {};
    for (const Case& c : {
             Case{"full stop", none, ".", "<BS>. ", "the. "},
             Case{"question mark", none, "?", "<BS>? ", "the? "},
             Case{"a letter", none, "x", "", "the x"},
             Case{"a hyphen", none, "-", "", "the -"},
             Case{"Shift for ! is no key of its own", [](HookFixture& f) { f.Down(kVkShift); }, "!",
                  "<BS>! ", nullptr},
             Case{"another window", [](HookFixture& f) { f.p.focus = kOther; }, ".", "", nullptr},
             Case{"after a Backspace", [](HookFixture& f) { f.Key(0x08); }, ",", "", nullptr},
             Case{"after a click", [](HookFixture& f) { ++f.s().lineBreaks; }, ".", "", nullptr},
             Case{"just in time", [](HookFixture& f) { f.p.tick += kSpaceAddedMs - 1; }, ".",
                  "<BS>. ", "the. "},
             Case{"too late", [](HookFixture& f) { f.p.tick += kSpaceAddedMs; }, ".", "", "the ."},
         }) {
        SCOPED_TRACE(c.name);
        HookFixture f;
        f.Prepare("th", "so th", "the", REPLACE_KEEP_SPACE);
        f.logic.ReplaceStr();
        EXPECT_EQ(f.p.TypedText(), "e ");
        EXPECT_EQ(f.Fields(), "|the ");  // the word is finished
        f.p.keys.clear();
        c.before(f);
        f.Type(c.next);
        EXPECT_EQ(f.p.TypedText(), c.typed);
        if (c.line) {
            EXPECT_STREQ(f.s().typedLine, c.line);
        }
        // Only the first key after the completion moves the space.
        f.p.keys.clear();
        f.Type(".");
        EXPECT_EQ(f.p.TypedText(), "");
    }
}

// "!" typed with Shift still held, then a capital: moving the space must
// not release the Shift the user holds.
TEST_F(Replace, MovingTheSpaceLeavesAShiftTheUserHolds) {
    ReplaceWith("th", "the", REPLACE_KEEP_SPACE);
    p.keys.clear();
    p.shiftHeld = true;
    Down(kVkShift);
    Type("!");
    const auto shiftEvents =
        std::count_if(p.keys.begin(), p.keys.end(), [](const auto& k) { return k.vk == kVkShift; });
    EXPECT_EQ(shiftEvents, 0);
    EXPECT_EQ(p.TypedText(), "<BS>1 ");  // the application's own Shift makes the "!"
}

}  // namespace
}  // namespace wl::test
