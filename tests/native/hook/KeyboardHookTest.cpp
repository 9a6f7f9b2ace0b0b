// The keyboard hook's decision for each keystroke: capture, selection keys,
// Escape, Backspace, and when keys are passed on or swallowed.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/native/hook/FakeHookPlatform.h"

namespace wl::test {
namespace {

using KR = HookLogic::KeyResult;
using vemo::WM_CARET_PENDING;

class KeyboardHook : public ::testing::Test, public HookFixture {};

TEST_F(KeyboardHook, CapturesPrintableKeysAndPunctuationButNoLoneSpace) {
    Type(" ");
    EXPECT_EQ(Fields(), "|");
    EXPECT_EQ(p.hidden, std::vector<Handle32>{kMain});  // the list hides
    EXPECT_EQ(s().lookupPending, 0u);
    Type("as soon, a-b_c");
    EXPECT_EQ(Fields(), "as soon, a-b_c|as soon, a-b_c");
    EXPECT_EQ(s().lookupPending, 1u);
    // Every captured key tells the main window to start its caret check.
    EXPECT_EQ(p.PostCount(WM_CARET_PENDING), 14);
    EXPECT_EQ(p.posted.front().window, kMain);
    EXPECT_TRUE(p.sent.empty());  // the hook itself never looks up
}

TEST_F(KeyboardHook, IgnoresOtherHookCodesAndItsOwnSynthesizedKeys) {
    EXPECT_EQ(logic.KeyboardProc(3, 'A', 0x00010001u), KR::PassOn);  // HC_NOREMOVE
    EXPECT_EQ(logic.KeyboardProc(0, 'A', 0x00EE0001u), KR::PassOn);  // scan code 0xEE
    p.visible.insert(kMain);
    EXPECT_EQ(logic.KeyboardProc(0, 0x09, 0xC0EE0001u), KR::PassOn);  // synthesized Tab
    EXPECT_STREQ(s().inputWord, "");
    EXPECT_TRUE(p.posted.empty());
    EXPECT_TRUE(p.keys.empty());
}

TEST_F(KeyboardHook, KeysWithoutCharactersChangeNothing) {
    Type("hello");
    p.extraKeys.emplace('C', std::string(1, '\x03'));  // Ctrl+C: a control character
    // Enter, Tab (list hidden), Left, F1, Ctrl+C.
    for (std::uint32_t vk : {0x0Du, 0x09u, 0x25u, 0x70u, std::uint32_t{'C'}}) Down(vk);
    Type("wor");
    // Enter does not start a new word.
    EXPECT_EQ(Fields(), "hellowor|hellowor");
    // Dead keys and an unreadable keyboard state capture nothing either.
    p.posted.clear();
    p.deadKeys.insert(0xDE);  // a dead acute accent
    Down(0xDE);
    p.keyboardStateFails = true;
    Down('A');
    EXPECT_EQ(Fields(), "hellowor|hellowor");
    EXPECT_TRUE(p.posted.empty());
}

TEST_F(KeyboardHook, CapturesLettersOfTheCodePageAndTwoCharacterResults) {
    p.extraKeys[0xBA] = "\xE9";  // é on a French layout
    // An accent that did not combine: two characters.
    p.extraKeys[0xDD] = std::string("\xB4") + "e";
    p.extraKeys[0xC0] = std::string(1, '\xA7');  // §: neither letter, digit nor punctuation
    for (std::uint32_t vk : {0xBA, 0xDD, 0xC0}) Down(vk);
    EXPECT_STREQ(s().inputWord, "\xE9");  // "\xB4e" has a non-printable byte, § is refused
}

TEST_F(KeyboardHook, WordFieldsAreClearedBeforeTheyWouldOverflow) {
    for (int i = 0; i < 1023; ++i) Down('A');
    EXPECT_EQ(std::strlen(s().inputWord), 1023u);
    EXPECT_EQ(std::strlen(s().typedLine), 1023u);
    Down('B');
    EXPECT_EQ(Fields(), "b|b");
    // A two-character result that would pass the limit clears first, too.
    SetWord(std::string(1022, 'x').c_str());
    p.extraKeys[0xDD] = "ae";
    Down(0xDD);
    EXPECT_EQ(Fields(), "ae|bae");
}

// (Hidden, a digit is typed and captured: AKeyThatFinds... and the gone main
// program's test.)
TEST_F(KeyboardHook, DigitsSelectWhileTheListIsShown) {
    // Shown, an index key asks the main window for its entry ("0" is the
    // tenth) and completes only when the main window accepts.
    struct Case {
        std::uint32_t vk;
        std::optional<std::intptr_t> answer;  // nullopt: none came
        std::intptr_t entry;
        const char* typed;
    };
    for (const Case& c : {Case{'3', 1, 2, ""}, Case{'1', std::nullopt, 0, ""},
                          Case{'0', 0, 9, "<BS><BS><BS>the"}}) {
        SCOPED_TRACE(c.vk);
        HookFixture f;
        f.Prepare("teh", "teh", "the", vemo::REPLACE_WORD);
        f.p.answer = [&](const FakeHookPlatform::Sent&) { return c.answer; };
        EXPECT_EQ(f.Down(c.vk), KR::Swallow);
        // Once the list is gone the release reaches the application.
        EXPECT_EQ(f.Up(c.vk), c.answer == 0 ? KR::PassOn : KR::Swallow);
        EXPECT_EQ(f.p.SelectRequests(), std::vector<std::intptr_t>{c.entry});
        EXPECT_EQ(f.p.TypedText(), c.typed);
        EXPECT_EQ(f.ListShown(), c.answer != 0);
        EXPECT_STREQ(f.s().inputWord, c.answer == 0 ? "" : "teh");
    }
}

TEST_F(KeyboardHook, NavigationKeysAreSentOnPressAndSwallowedBothWays) {
    p.visible.insert(kMain);
    for (std::uint32_t vk : {0x26u, 0x28u, 0x22u, 0x21u}) {
        EXPECT_EQ(Down(vk), KR::Swallow);
        EXPECT_EQ(Up(vk), KR::Swallow);
    }
    EXPECT_EQ(p.SelectRequests(),
              (std::vector<std::intptr_t>{vemo::SELECT_PREV, vemo::SELECT_NEXT,
                                          vemo::SELECT_PAGEDOWN, vemo::SELECT_PAGEUP}));
    EXPECT_EQ(p.sent.front().window, kMain);
    // Hidden, the same keys reach the application.
    p.visible.clear();
    EXPECT_EQ(Down(0x28), KR::PassOn);
    EXPECT_EQ(p.SelectRequests().size(), 4u);
}

TEST_F(KeyboardHook, TakingACandidateFromAListBehindTheWordLooksUpFirst) {
    // The list still shows the candidates of "ap" when "app" is complete.
    Type("app");
    std::strcpy(s().lastLookupWord, "ap");
    SetReplace("apex", vemo::REPLACE_KEEP);
    p.visible.insert(kMain);
    int refreshes = 0;
    p.answer = [&](const FakeHookPlatform::Sent& m) {
        if (m.message == WM_CARET_PENDING) {
            // The main window's caret check looks "app" up.
            ++refreshes;
            std::strcpy(s().lastLookupWord, s().inputWord);
            SetReplace("apple", vemo::REPLACE_KEEP);
        }
        return std::optional<std::intptr_t>(0);
    };
    EXPECT_EQ(Down(0x09), KR::Swallow);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(Up(0x09), KR::Swallow);
    EXPECT_EQ(p.TypedText(), "le");  // "app" stays

    // With the list up to date nothing is asked first.
    Prepare("pe", "apple pe", "pear", vemo::REPLACE_KEEP);  // the suffix the last lookup found
    p.keys.clear();
    Down(0x09);
    Up(0x09);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(p.TypedText(), "ar");
}

TEST_F(KeyboardHook, AKeyThatFindsTheWordWithoutCandidatesGoesOnAsTyped) {
    Type("apz");
    std::strcpy(s().lastLookupWord, "ap");
    SetReplace("apex", vemo::REPLACE_KEEP);
    p.visible.insert(kMain);
    p.answer = [&](const FakeHookPlatform::Sent& m) {
        if (m.message == WM_CARET_PENDING) p.visible.erase(kMain);  // nothing for "apz"
        return std::optional<std::intptr_t>(1);
    };
    EXPECT_EQ(Down(0x09), KR::PassOn);
    EXPECT_EQ(Up(0x09), KR::PassOn);
    // An index key is then typed and captured like any digit.
    p.visible.insert(kMain);
    EXPECT_EQ(Down('3'), KR::PassOn);
    EXPECT_STREQ(s().inputWord, "apz3");
    EXPECT_TRUE(p.keys.empty());
}

TEST_F(KeyboardHook, EscapeClearsAndHidesTheList) {
    Type("abc");
    p.visible.insert(kMain);
    EXPECT_EQ(Down(0x1B), KR::Swallow);
    EXPECT_EQ(Fields(), "|");
    EXPECT_FALSE(ListShown());
    EXPECT_EQ(s().lookupPending, 0u);
    // The release reaches the application once the list is gone.
    EXPECT_EQ(Up(0x1B), KR::PassOn);
}

TEST_F(KeyboardHook, SelectionKeysComeFromTheRecord) {
    s().vkSelectPrev = 'K';
    s().vkSelectNext = 'J';
    std::memset(s().vkSelect, 0xFF, sizeof s().vkSelect);
    s().vkSelect[3] = 0x20;  // Space completes
    p.visible.insert(kMain);
    // Down is no longer a selection key, nor Tab; Space is.
    for (auto [vk, r] : {std::pair{0x4Au, KR::Swallow}, std::pair{0x4Bu, KR::Swallow},
                         std::pair{0x28u, KR::PassOn}, std::pair{0x09u, KR::PassOn},
                         std::pair{0x20u, KR::Swallow}})
        EXPECT_EQ(Down(vk), r) << vk;
    EXPECT_EQ(p.SelectRequests(),
              (std::vector<std::intptr_t>{vemo::SELECT_NEXT, vemo::SELECT_PREV}));
    // An empty slot (0xFF) never matches, not even a key reporting 0xFF.
    EXPECT_EQ(Down(0xFF), KR::PassOn);
    EXPECT_EQ(Up(0xFF), KR::PassOn);
}

TEST_F(KeyboardHook, BackspaceShortensWordAndLine) {
    Type("abc");
    p.posted.clear();
    p.visible.insert(kMain);
    EXPECT_EQ(Down(0x08), KR::PassOn);
    EXPECT_EQ(Fields(), "ab|ab");
    EXPECT_EQ(s().lookupPending, 1u);
    EXPECT_EQ(p.PostCount(WM_CARET_PENDING), 1);
    EXPECT_TRUE(ListShown());  // for the caret check to look up again
    // The release never reaches the application.
    EXPECT_EQ(Up(0x08), KR::Swallow);
    SetWord("a");
    SetLine("");
    Down(0x08);
    EXPECT_EQ(Fields(), "|");
}

TEST_F(KeyboardHook, BackspaceRemovesBothBytesOfADoubleByteCharacter) {
    p.page = &CodePage932();
    SetWord("ab\x82\xA0");  // "ab" and a hiragana
    SetLine("x\x82\xA0\x83\x41");
    Down(0x08);
    EXPECT_EQ(Fields(), "ab|x\x82\xA0");
    // A trail byte that looks like a lead byte does not fool it.
    SetWord("\x82\x81z");
    Down(0x08);
    EXPECT_STREQ(s().inputWord, "\x82\x81");
    Down(0x08);
    EXPECT_STREQ(s().inputWord, "");
}

TEST_F(KeyboardHook, AGoneMainProgramNeverLeavesKeysSwallowed) {
    Type("ab");
    p.posted.clear();
    p.visible.insert(kMain);
    p.windows.erase(kMain);  // the main program was killed
    for (std::uint32_t vk : {0x09u, 0x28u, 0x1Bu, std::uint32_t{'1'}, 0x08u}) {
        if (vk != 0x08) {
            EXPECT_EQ(Down(vk), KR::PassOn) << vk;
        }
        EXPECT_EQ(Up(vk), KR::PassOn) << vk;
    }
    EXPECT_TRUE(p.sent.empty());
    EXPECT_TRUE(p.keys.empty());
    // It still tracks the word, as with no main window at all (the caret
    // notices posted to the dead window fail harmlessly).
    EXPECT_STREQ(s().inputWord, "ab1");
}

TEST_F(KeyboardHook, APasswordFieldIsNeverCapturedAndGetsItsKeys) {
    Type("pas");
    p.visible.insert(kMain);
    SetReplace("password123", vemo::REPLACE_KEEP);
    p.passwordFields.insert(kEdit);
    p.posted.clear();
    EXPECT_EQ(Down(0x09), KR::PassOn);  // Tab moves on in the form instead of completing
    EXPECT_EQ(Up(0x09), KR::PassOn);
    EXPECT_TRUE(p.keys.empty());
    EXPECT_FALSE(ListShown());
    Type("secret");
    Down(0x08);
    EXPECT_EQ(Fields(), "|");
    EXPECT_STREQ(s().lastLookupWord, "");
    EXPECT_EQ(s().lookupPending, 0u);
    EXPECT_TRUE(p.posted.empty());
}

}  // namespace
}  // namespace wl::test
