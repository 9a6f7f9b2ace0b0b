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

TEST_F(KeyboardHook, CapturesPrintableKeysIntoWordAndLine) {
    Type("app");
    EXPECT_STREQ(s().inputWord, "app");
    EXPECT_STREQ(s().typedLine, "app");
    EXPECT_EQ(s().lookupPending, 1u);
    // Every captured key tells the main window to start its caret check.
    EXPECT_EQ(p.PostCount(WM_CARET_PENDING), 3);
    EXPECT_EQ(p.posted.front(), (FakeHookPlatform::Posted{kMain, WM_CARET_PENDING}));
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
    Down(0x0D);                                        // Enter
    Down(0x09);                                        // Tab (list hidden)
    Down(0x25);                                        // Left
    Down(0x70);                                        // F1
    p.extraKeys.emplace('C', std::string(1, '\x03'));  // Ctrl+C: a control character
    Down('C');
    Type("wor");
    // Enter does not start a new word.
    EXPECT_STREQ(s().typedLine, "hellowor");
    EXPECT_STREQ(s().inputWord, "hellowor");
}

TEST_F(KeyboardHook, DeadKeysAndUnreadableKeyboardStateCaptureNothing) {
    p.deadKeys.insert(0xDE);  // a dead acute accent
    Down(0xDE);
    p.keyboardStateFails = true;
    Down('A');
    EXPECT_STREQ(s().inputWord, "");
    EXPECT_EQ(s().lookupPending, 0u);
    EXPECT_TRUE(p.posted.empty());
}

TEST_F(KeyboardHook, CapturesLettersOfTheCodePageAndTwoCharacterResults) {
    p.extraKeys[0xBA] = "\xE9";  // é on a French layout
    // An accent that did not combine: two characters.
    p.extraKeys[0xDD] = std::string("\xB4") + "e";
    p.extraKeys[0xC0] = std::string(1, '\xA7');  // §: neither letter, digit nor punctuation
    Down(0xBA);
    Down(0xDD);
    Down(0xC0);
    EXPECT_STREQ(s().inputWord, "\xE9");  // "\xB4e" has a non-printable byte, § is refused
    p.extraKeys[0xDD] = "ae";
    Down(0xDD);
    EXPECT_STREQ(s().inputWord,
                 "\xE9"
                 "ae");
}

TEST_F(KeyboardHook, PunctuationIsCapturedAndALoneSpaceIsDropped) {
    Type(" ");
    EXPECT_STREQ(s().inputWord, "");
    EXPECT_STREQ(s().typedLine, "");
    EXPECT_EQ(p.hidden, std::vector<Handle32>{kMain});  // the list hides
    EXPECT_EQ(s().lookupPending, 0u);
    Type("as soon, a-b_c");
    EXPECT_STREQ(s().inputWord, "as soon, a-b_c");
    EXPECT_STREQ(s().typedLine, "as soon, a-b_c");
}

TEST_F(KeyboardHook, WordFieldsAreClearedBeforeTheyWouldOverflow) {
    for (int i = 0; i < 1023; ++i) Down('A');
    EXPECT_EQ(std::strlen(s().inputWord), 1023u);
    EXPECT_EQ(std::strlen(s().typedLine), 1023u);
    Down('B');
    EXPECT_STREQ(s().inputWord, "b");
    EXPECT_STREQ(s().typedLine, "b");
    // A two-character result that would pass the limit clears first, too.
    SetWord(std::string(1022, 'x').c_str());
    p.extraKeys[0xDD] = "ae";
    Down(0xDD);
    EXPECT_STREQ(s().inputWord, "ae");
    EXPECT_STREQ(s().typedLine, "bae");
}

TEST_F(KeyboardHook, DigitsAreTypedWhileTheListIsHiddenAndSelectWhileItIsShown) {
    Type("a1");
    EXPECT_STREQ(s().inputWord, "a1");
    p.visible.insert(kMain);
    p.answer = [](const FakeHookPlatform::Sent&) { return std::optional<std::intptr_t>(1); };
    EXPECT_EQ(Down('3'), KR::Swallow);
    EXPECT_EQ(Up('3'), KR::Swallow);
    EXPECT_STREQ(s().inputWord, "a1");
    EXPECT_EQ(p.SelectRequests(), std::vector<std::intptr_t>{2});
    EXPECT_TRUE(p.keys.empty());  // answer 1: no candidate 2, nothing typed
}

TEST_F(KeyboardHook, IndexKeyAcceptedByTheMainWindowCompletes) {
    Type("teh");
    SetReplace("the", vemo::REPLACE_WORD);
    p.visible.insert(kMain);
    p.answer = [](const FakeHookPlatform::Sent& m) {
        return std::optional<std::intptr_t>(m.message == vemo::WM_SELECT_KEY ? 0 : 1);
    };
    EXPECT_EQ(Down('0'), KR::Swallow);  // "0" is the tenth entry
    EXPECT_EQ(p.SelectRequests(), std::vector<std::intptr_t>{9});
    EXPECT_EQ(p.TypedText(), "<BS><BS><BS>the");
    EXPECT_FALSE(p.visible.count(kMain));
}

TEST_F(KeyboardHook, UnansweredSelectKeyCountsAsRefused) {
    Type("teh");
    SetReplace("the", vemo::REPLACE_WORD);
    p.visible.insert(kMain);
    p.answer = [](const FakeHookPlatform::Sent&) { return std::optional<std::intptr_t>(); };
    EXPECT_EQ(Down('1'), KR::Swallow);
    EXPECT_TRUE(p.keys.empty());
    EXPECT_STREQ(s().inputWord, "teh");
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

TEST_F(KeyboardHook, CompleteKeysActOnRelease) {
    Type("app");
    SetReplace("application", vemo::REPLACE_COMPLETE);
    p.visible.insert(kMain);
    EXPECT_EQ(Down(0x09), KR::Swallow);
    EXPECT_TRUE(p.keys.empty());
    EXPECT_EQ(Up(0x09), KR::Swallow);
    EXPECT_EQ(p.TypedText(), "lication");
    EXPECT_STREQ(s().inputWord, "");
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
    Type(" pe");
    SetWord("pe");  // the suffix the last lookup found
    std::strcpy(s().lastLookupWord, "pe");
    SetReplace("pear", vemo::REPLACE_KEEP);
    p.visible.insert(kMain);
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
    EXPECT_STREQ(s().inputWord, "");
    EXPECT_STREQ(s().typedLine, "");
    EXPECT_FALSE(p.visible.count(kMain));
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
    EXPECT_EQ(Down('J'), KR::Swallow);
    EXPECT_EQ(Down('K'), KR::Swallow);
    EXPECT_EQ(Down(0x28), KR::PassOn);  // Down is no longer a selection key
    EXPECT_EQ(Down(0x09), KR::PassOn);  // nor Tab
    EXPECT_EQ(Down(0x20), KR::Swallow);
    EXPECT_EQ(p.SelectRequests(),
              (std::vector<std::intptr_t>{vemo::SELECT_NEXT, vemo::SELECT_PREV}));
    // An empty slot (0xFF) never matches, not even a key reporting 0xFF.
    EXPECT_EQ(Down(0xFF), KR::PassOn);
    EXPECT_EQ(Up(0xFF), KR::PassOn);
}

TEST_F(KeyboardHook, BackspaceShortensWordAndLine) {
    Type("abc");
    p.posted.clear();
    EXPECT_EQ(Down(0x08), KR::PassOn);
    EXPECT_STREQ(s().inputWord, "ab");
    EXPECT_STREQ(s().typedLine, "ab");
    EXPECT_EQ(s().lookupPending, 1u);
    EXPECT_EQ(p.PostCount(WM_CARET_PENDING), 1);
    // The release never reaches the application.
    EXPECT_EQ(Up(0x08), KR::Swallow);
    SetWord("a");
    SetLine("");
    Down(0x08);
    EXPECT_STREQ(s().inputWord, "");
    EXPECT_STREQ(s().typedLine, "");
}

TEST_F(KeyboardHook, BackspaceRemovesBothBytesOfADoubleByteCharacter) {
    p.page = &CodePage932();
    SetWord("ab\x82\xA0");  // "ab" and a hiragana
    SetLine("x\x82\xA0\x83\x41");
    Down(0x08);
    EXPECT_STREQ(s().inputWord, "ab");
    EXPECT_STREQ(s().typedLine, "x\x82\xA0");
    // A trail byte that looks like a lead byte does not fool it.
    SetWord("\x82\x81z");
    Down(0x08);
    EXPECT_STREQ(s().inputWord, "\x82\x81");
    Down(0x08);
    EXPECT_STREQ(s().inputWord, "");
}

TEST_F(KeyboardHook, BackspaceWhileTheListIsShownLooksUpAgain) {
    Type("abc");
    p.visible.insert(kMain);
    EXPECT_EQ(Down(0x08), KR::PassOn);
    EXPECT_STREQ(s().inputWord, "ab");
    EXPECT_TRUE(p.visible.count(kMain));
}

TEST_F(KeyboardHook, AGoneMainProgramNeverLeavesKeysSwallowed) {
    Type("ab");
    p.posted.clear();
    p.visible.insert(kMain);
    p.windows.erase(kMain);  // the main program was killed
    EXPECT_EQ(Down(0x09), KR::PassOn);
    EXPECT_EQ(Up(0x09), KR::PassOn);
    EXPECT_EQ(Down(0x28), KR::PassOn);
    EXPECT_EQ(Down(0x1B), KR::PassOn);
    EXPECT_EQ(Down('1'), KR::PassOn);
    EXPECT_EQ(Up(0x08), KR::PassOn);
    EXPECT_TRUE(p.sent.empty());
    EXPECT_TRUE(p.keys.empty());
    // It still tracks the word, as with no main window at all (the caret
    // notices posted to the dead window fail harmlessly).
    EXPECT_STREQ(s().inputWord, "ab1");
}

TEST_F(KeyboardHook, PasswordFieldsAreNeverCaptured) {
    Type("user");
    p.passwordFields.insert(kEdit);
    p.posted.clear();
    Type("secret");
    EXPECT_STREQ(s().inputWord, "");
    EXPECT_STREQ(s().typedLine, "");
    EXPECT_STREQ(s().lastLookupWord, "");
    EXPECT_EQ(s().lookupPending, 0u);
    EXPECT_TRUE(p.posted.empty());
    Down(0x08);
    EXPECT_EQ(s().lookupPending, 0u);
    EXPECT_TRUE(p.posted.empty());
}

TEST_F(KeyboardHook, APasswordFieldHidesTheListAndGetsItsKeys) {
    Type("pas");
    p.visible.insert(kMain);
    SetReplace("password123", vemo::REPLACE_KEEP);
    p.passwordFields.insert(kEdit);
    EXPECT_EQ(Down(0x09), KR::PassOn);  // Tab moves on in the form instead of completing
    EXPECT_EQ(Up(0x09), KR::PassOn);
    EXPECT_TRUE(p.keys.empty());
    EXPECT_FALSE(p.visible.count(kMain));
    EXPECT_STREQ(s().inputWord, "");
    Type("x");
    EXPECT_STREQ(s().inputWord, "");
}

}  // namespace
}  // namespace wl::test
