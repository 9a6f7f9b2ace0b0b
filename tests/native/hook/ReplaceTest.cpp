// Replacement typing: erasing the typed word, the five modes, macros, the
// caret marker, Shift and Caps Lock, and the clipboard for text no key types.
#include <gtest/gtest.h>

#include <string>

#include "tests/native/hook/FakeHookPlatform.h"

namespace wl::test {
namespace {

using vemo::REPLACE_COMPLETE;
using vemo::REPLACE_KEEP;
using vemo::REPLACE_KEEP_SPACE;
using vemo::REPLACE_PATH_FILE;
using vemo::REPLACE_PATH_FOLDER;
using vemo::REPLACE_WORD;

class Replace : public ::testing::Test, public HookFixture {
  protected:
    void Prepare(const char* word, const char* line, const char* text, int mode) {
        SetWord(word);
        SetLine(line);
        std::strcpy(s().lastLookupWord, word);
        SetReplace(text, mode);
        p.visible.insert(kMain);
        s().lookupPending = 1;
    }
    // The application takes the synthesized keys in, in order: each goes
    // through the keyboard hook first.  Answers what reaches the
    // application, with each paste as [TEXT] in its place.
    std::string Deliver() {
        std::vector<FakeHookPlatform::Key> synthesized, passed;
        synthesized.swap(p.keys);
        std::string out;
        auto flush = [&] {
            std::swap(p.keys, passed);
            out += p.TypedText();
            std::swap(p.keys, passed);
            passed.clear();
        };
        for (const auto& k : synthesized) {
            const int pastes = p.PostCount(0x0302);
            const std::uint32_t data = (std::uint32_t{k.scan} << 16) | (k.up ? 0xC0000001u : 1u);
            if (logic.KeyboardProc(0, k.vk, data) == HookLogic::KeyResult::PassOn)
                passed.push_back(k);
            if (p.PostCount(0x0302) > pastes) {
                flush();
                out += "[" + p.clipboard.back() + "]";
            }
        }
        flush();
        return out;
    }
    std::string Lefts(int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += "<LEFT>";
        return out;
    }
};

TEST_F(Replace, WordModeErasesTheWordAndTypesTheText) {
    Prepare("teh", "so teh", "the", REPLACE_WORD);
    EXPECT_EQ(logic.ReplaceStr(), 1);
    EXPECT_EQ(p.TypedText(), "<BS><BS><BS>the");
    for (const auto& k : p.keys) EXPECT_EQ(k.scan, vemo::INJECTED_SCAN_CODE);
    EXPECT_STREQ(s().inputWord, "");
    EXPECT_STREQ(s().typedLine, "");
    EXPECT_STREQ(s().lastLookupWord, "");
    EXPECT_FALSE(p.visible.count(kMain));
    EXPECT_EQ(s().lookupPending, 0u);
    EXPECT_EQ(p.foreground, std::vector<Handle32>{kEdit});  // input goes to the application
}

TEST_F(Replace, EachKeyIsPressedAndReleasedWithShiftAroundIt) {
    Prepare("x", "x", "aB!", REPLACE_WORD);
    logic.ReplaceStr();
    using K = FakeHookPlatform::Key;
    std::vector<K> expected = {{0x08, 0xEE, false}, {0x08, 0xEE, true},  {'A', 0xEE, false},
                               {'A', 0xEE, true},   {0x10, 0xEE, false}, {'B', 0xEE, false},
                               {'B', 0xEE, true},   {0x10, 0xEE, true},  {0x10, 0xEE, false},
                               {'1', 0xEE, false},  {'1', 0xEE, true},   {0x10, 0xEE, true}};
    EXPECT_EQ(p.keys, expected);
}

TEST_F(Replace, CapsLockInvertsShiftForLettersOnly) {
    p.caps = true;
    Prepare("x", "x", "aB!", REPLACE_WORD);
    logic.ReplaceStr();
    using K = FakeHookPlatform::Key;
    std::vector<K> expected = {{0x08, 0xEE, false}, {0x08, 0xEE, true}, {0x10, 0xEE, false},
                               {'A', 0xEE, false},  {'A', 0xEE, true},  {0x10, 0xEE, true},
                               {'B', 0xEE, false},  {'B', 0xEE, true},  {0x10, 0xEE, false},
                               {'1', 0xEE, false},  {'1', 0xEE, true},  {0x10, 0xEE, true}};
    EXPECT_EQ(p.keys, expected);
    EXPECT_EQ(p.TypedText(), "<BS>aB!");
}

TEST_F(Replace, CompleteModeTypesOnlyTheRest) {
    Prepare("app", "app", "application", REPLACE_COMPLETE);
    EXPECT_EQ(logic.ReplaceStr(), 1);
    EXPECT_EQ(p.TypedText(), "lication");
    EXPECT_STREQ(s().inputWord, "");
    EXPECT_STREQ(s().typedLine, "");
    // A text no longer than the word types nothing.
    p.keys.clear();
    Prepare("app", "app", "app", REPLACE_COMPLETE);
    EXPECT_EQ(logic.ReplaceStr(), 1);
    EXPECT_TRUE(p.keys.empty());
}

TEST_F(Replace, KeepModeMakesTheTextTheNewWord) {
    Prepare("wor", "hello wor", "world", REPLACE_KEEP);
    logic.ReplaceStr();
    EXPECT_EQ(p.TypedText(), "ld");  // what the word has already stays
    EXPECT_STREQ(s().inputWord, "world");
    EXPECT_STREQ(s().typedLine, "world");
    EXPECT_EQ(s().lookupPending, 0u);
}

TEST_F(Replace, KeepModeRetypesFromTheFirstCharacterThatDiffers) {
    // Another case is another character.
    Prepare("Wor", "Wor", "world", REPLACE_KEEP);
    logic.ReplaceStr();
    EXPECT_EQ(p.TypedText(), "<BS><BS><BS>world");
    // A word longer than the candidate loses its end.
    p.keys.clear();
    Prepare("worlds", "worlds", "world", REPLACE_KEEP);
    logic.ReplaceStr();
    EXPECT_EQ(p.TypedText(), "<BS>");
    EXPECT_STREQ(s().inputWord, "world");
    // A macro is typed whole, never from its middle.
    p.keys.clear();
    Prepare("a%T", "a%T", "a%TAB%b", REPLACE_KEEP);
    logic.ReplaceStr();
    EXPECT_EQ(p.TypedText(), "<BS><BS>\tb");
    // Double-byte characters alike in their lead byte only differ.
    p.page = &CodePage932();
    p.keys.clear();
    Prepare("x\x82\xA0", "x\x82\xA0", "x\x82\xA2", REPLACE_KEEP);
    logic.ReplaceStr();
    EXPECT_EQ(p.TypedText(), "<BS><BS><PASTE>");
}

TEST_F(Replace, AReplacementLongerThanAWordFieldClearsTheFields) {
    std::string longText(3000, 'k');
    Prepare("k", "k", longText.c_str(), REPLACE_KEEP);
    logic.ReplaceStr();
    EXPECT_EQ(p.TypedText(), longText.substr(1));
    EXPECT_STREQ(s().inputWord, "");
    EXPECT_STREQ(s().typedLine, "");
    // Exactly 1023 bytes still fit.
    p.keys.clear();
    std::string fits(1023, 'f');
    Prepare("f", "f", fits.c_str(), REPLACE_KEEP);
    logic.ReplaceStr();
    EXPECT_EQ(std::string(s().inputWord), fits);
}

TEST_F(Replace, FolderModeTypesTheFolderAndLooksUpTheNewPath) {
    Prepare("C:\\Prog", "C:\\Prog", "Program Files", REPLACE_PATH_FOLDER);
    p.posted.clear();
    logic.ReplaceStr();
    EXPECT_EQ(p.TypedText(), "<BS><BS><BS><BS>Program Files\\");
    // The main window was asked at once for the new path.
    ASSERT_FALSE(p.LookupKeys().empty());
    EXPECT_EQ(p.LookupKeys().front(), "C:\\Program Files\\");
    EXPECT_STREQ(s().typedLine, "C:\\Program Files\\");
    EXPECT_EQ(s().lookupPending, 1u);
    EXPECT_EQ(p.PostCount(vemo::WM_CARET_PENDING), 1);
    EXPECT_FALSE(p.visible.count(kMain));
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
    ASSERT_FALSE(p.visible.count(kMain));
    const size_t lookups = p.LookupKeys().size();
    logic.OnCaretLocation(true, HookRect{40, 10, 42, 26}, kEdit);
    EXPECT_GT(p.LookupKeys().size(), lookups);
    EXPECT_TRUE(p.visible.count(kMain));
}

TEST_F(Replace, FolderModeOnALongerLineKeepsWhatCameBefore) {
    Prepare("C:\\Prog", "see C:\\Prog", "Program Files", REPLACE_PATH_FOLDER);
    p.answer = [](const FakeHookPlatform::Sent& m) {
        return std::optional<std::intptr_t>(m.inputWord == "C:\\Program Files\\" ? 0 : 1);
    };
    logic.ReplaceStr();
    EXPECT_EQ(p.LookupKeys(),
              (std::vector<std::string>{"see C:\\Program Files\\", "C:\\Program Files\\"}));
    EXPECT_STREQ(s().inputWord, "C:\\Program Files\\");
}

TEST_F(Replace, FileModeEndsTheWord) {
    Prepare("C:\\Windows\\not", "C:\\Windows\\not", "notepad.exe", REPLACE_PATH_FILE);
    logic.ReplaceStr();
    EXPECT_EQ(p.TypedText(), "<BS><BS><BS>notepad.exe");
    EXPECT_STREQ(s().inputWord, "");
    EXPECT_STREQ(s().typedLine, "");
    EXPECT_EQ(s().lookupPending, 1u);
    EXPECT_TRUE(p.LookupKeys().empty());
}

TEST_F(Replace, PathModesWithoutABackslashEraseNothing) {
    Prepare("Prog", "Prog", "Program Files", REPLACE_PATH_FOLDER);
    logic.ReplaceStr();
    EXPECT_EQ(p.TypedText(), "Program Files\\");
    EXPECT_STREQ(s().typedLine, "ProgProgram Files\\");
}

TEST_F(Replace, PathModesFindTheLastRealBackslash) {
    p.page = &CodePage932();
    // "\x95\x5C" is one double-byte character whose trail byte is 0x5C.
    Prepare("C:\\a\\\x95\x5C", "C:\\a\\\x95\x5C", "x", REPLACE_PATH_FILE);
    logic.ReplaceStr();
    EXPECT_EQ(p.keys.size(), 2u * 2 + 2);  // two Backspaces for two bytes, then x
}

TEST_F(Replace, TheCaretMarkerLeavesTheCaretWhereItStood) {
    Prepare("dr", "dr", "Dear %CARET%,%RETURN%Regards", REPLACE_WORD);
    logic.ReplaceStr();
    EXPECT_EQ(p.TypedText(), "<BS><BS>Dear ,\rRegards" + Lefts(9));
}

TEST_F(Replace, KeyMacrosArePressedAndCountedAfterTheMarker) {
    Prepare("x", "x",
            "%UP%%DOWN%%PGUP%%PGDN%%HOME%%END%%DELETE%a%CARET%b%TAB%c%BACKSPACE%d%CARET%e",
            REPLACE_WORD);
    logic.ReplaceStr();
    std::vector<std::uint8_t> downs;
    for (const auto& k : p.keys)
        if (!k.up) downs.push_back(k.vk);
    std::vector<std::uint8_t> expected = {0x08, 0x26, 0x28, 0x21, 0x22, 0x24, 0x23, 0x2E,
                                          'A',  'B',  0x09, 'C',  0x08, 'D',  'E'};
    // b, Tab, c, Backspace (-1), d, e: 4 Left presses; the second marker changes nothing.
    for (int i = 0; i < 4; ++i) expected.push_back(0x25);
    EXPECT_EQ(downs, expected);
}

TEST_F(Replace, ACarriageReturnAndLineFeedAreOneLineBreak) {
    Prepare("x", "x", "%CARET%a\r\nb", REPLACE_WORD);
    logic.ReplaceStr();
    EXPECT_EQ(p.TypedText(), "<BS>a\rb" + Lefts(3));
}

TEST_F(Replace, AMarkerWithNothingAfterItPressesNoLeft) {
    Prepare("x", "x", "abc%CARET%", REPLACE_WORD);
    logic.ReplaceStr();
    EXPECT_EQ(p.TypedText(), "<BS>abc");
    p.keys.clear();
    Prepare("x", "x", "a%CARET%%BACKSPACE%%BACKSPACE%", REPLACE_WORD);
    logic.ReplaceStr();
    EXPECT_EQ(p.TypedText(), "<BS>a<BS><BS>");
}

TEST_F(Replace, DoubleByteTextGoesThroughTheClipboardInItsPlace) {
    p.page = &CodePage932();
    Prepare("x", "x", "ab%TAB%\x82\xA0\x82\xA2%CARET%c\x82\xA4", REPLACE_WORD);
    logic.ReplaceStr();
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

TEST_F(Replace, ABusyClipboardSkipsOnlyItsPart) {
    p.page = &CodePage932();
    p.clipboardBusy = true;
    Prepare("x", "x", "\x82\xA0%RETURN%ok", REPLACE_WORD);
    logic.ReplaceStr();
    EXPECT_EQ(Deliver(), "<BS>\rok");
    EXPECT_EQ(p.PostCount(0x0302), 0);
    // The next one, with the clipboard free, pastes.
    p.clipboardBusy = false;
    Prepare("y", "y", "\x82\xA2!", REPLACE_WORD);
    logic.ReplaceStr();
    EXPECT_EQ(Deliver(), "<BS>[\x82\xA2!]");
}

TEST_F(Replace, TextNoKeyTypesIsPastedInsteadOfMistyped) {
    Prepare("x", "x", "na\xEFve%TAB%ok", REPLACE_WORD);  // ï has no key on a US layout
    logic.ReplaceStr();
    for (const auto& k : p.keys) EXPECT_NE(k.vk, 0xFF);
    EXPECT_EQ(Deliver(), "<BS>[na\xEFve]\tok");
}

TEST_F(Replace, PastesQueuedByOneReplacementWaitForTheirMarkersAcrossTheNext) {
    // The first one's marker has not come through when the second is typed.
    Prepare("x", "x", "\xEFx", REPLACE_WORD);
    logic.ReplaceStr();
    Prepare("y", "y", "\xEFy", REPLACE_WORD);
    logic.ReplaceStr();
    EXPECT_EQ(Deliver(), "<BS>[\xEFx]<BS>[\xEFy]");
}

TEST_F(Replace, AFullQueuePastesAtOnceAndAStrayMarkerPastesNothing) {
    // Markers that never came through (an application without the hook)
    // left the queue full: the text is pasted at once, as it was before.
    s().pasteRead = 0;
    s().pasteWrite = static_cast<std::uint32_t>(vemo::kReplaceSize - 2);
    Prepare("x", "x", "na\xEFve", REPLACE_WORD);
    logic.ReplaceStr();
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
    p.focus = kOther;
    s().caretWindow = kOther;
    Prepare("x", "x", "\xEFx", REPLACE_WORD);
    logic.ReplaceStr();
    p.keys.clear();
    // Back in the editor, the next expansion pastes its own text there.
    p.focus = kEdit;
    s().caretWindow = kEdit;
    Prepare("y", "y", "\xEFy", REPLACE_WORD);
    logic.ReplaceStr();
    EXPECT_EQ(Deliver(), "<BS>[\xEFy]");
    EXPECT_EQ(p.posted.back().window, kEdit);
    // In the same window, a text whose marker is more than a second late is
    // dropped too; so is a lost one that fills the queue.
    Prepare("z", "z", "\xEFz", REPLACE_WORD);
    logic.ReplaceStr();
    p.keys.clear();
    p.tick += 1001;
    Prepare("w", "w", "\xEFw", REPLACE_WORD);
    logic.ReplaceStr();
    EXPECT_EQ(Deliver(), "<BS>[\xEFw]");
    const std::string big(vemo::kReplaceSize / 2, '\xEF');
    Prepare("v", "v", big.c_str(), REPLACE_WORD);
    logic.ReplaceStr();
    p.keys.clear();
    p.tick += 1001;
    Prepare("u", "u", big.c_str(), REPLACE_WORD);
    logic.ReplaceStr();
    EXPECT_EQ(Deliver(), "<BS>[" + big + "]");
    EXPECT_EQ(p.clipboard.size(), 3u);
}

TEST_F(Replace, TheSpaceAfterACompletedWordMovesAfterPunctuation) {
    struct Case {
        const char* next;   // typed after the completion
        const char* typed;  // what the keys then type
        const char* line;
    };
    for (const Case& c : {Case{".", "<BS>. ", "the. "}, Case{"?", "<BS>? ", "the? "},
                          Case{"x", "", "the x"}, Case{"-", "", "the -"}}) {
        SCOPED_TRACE(c.next);
        HookFixture f;
        f.SetWord("th");
        f.SetLine("so th");
        f.SetReplace("the", REPLACE_KEEP_SPACE);
        f.p.visible.insert(kMain);
        f.logic.ReplaceStr();
        EXPECT_EQ(f.p.TypedText(), "e ");
        EXPECT_STREQ(f.s().typedLine, "the ");
        EXPECT_STREQ(f.s().inputWord, "");  // the word is finished
        f.p.keys.clear();
        f.Type(c.next);
        EXPECT_EQ(f.p.TypedText(), c.typed);
        EXPECT_STREQ(f.s().typedLine, c.line);
        // Only the first key after the completion moves the space.
        f.p.keys.clear();
        f.Type(".");
        EXPECT_EQ(f.p.TypedText(), "");
    }
}

TEST_F(Replace, TheAddedSpaceStaysForModifiersAndGoesWithOtherKeys) {
    SetWord("th");
    SetLine("th");
    SetReplace("the", REPLACE_KEEP_SPACE);
    logic.ReplaceStr();
    p.keys.clear();
    Down(kVkShift);  // Shift for "!" does not count as the next key
    p.shift = true;
    Down('1');
    Up('1');
    p.shift = false;
    Up(kVkShift);
    EXPECT_EQ(p.TypedText(), "<BS>! ");
    // A key in another window leaves the space where it is.
    SetReplace("the", REPLACE_KEEP_SPACE);
    SetWord("th");
    logic.ReplaceStr();
    p.keys.clear();
    p.focus = kOther;
    Type(".");
    EXPECT_EQ(p.TypedText(), "");
    p.focus = kEdit;
    // After a Backspace the space is the user's business.
    SetReplace("the", REPLACE_KEEP_SPACE);
    SetWord("th");
    logic.ReplaceStr();
    p.keys.clear();
    Down(0x08);
    Up(0x08);
    Type(",");
    EXPECT_EQ(p.TypedText(), "");
}

}  // namespace
}  // namespace wl::test
