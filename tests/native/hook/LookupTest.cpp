// The lookup of the longest suffix, showing the list at the caret, and the
// caret callback that drives both.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "tests/native/hook/FakeHookPlatform.h"

namespace wl::test {
namespace {

using Keys = std::vector<std::string>;

class Lookup : public ::testing::Test, public HookFixture {
  protected:
    // The main window has candidates exactly for these keys.
    void Known(Keys keys) {
        p.answer = [keys](const FakeHookPlatform::Sent& m) {
            for (const auto& k : keys)
                if (m.message == vemo::WM_WORD_LOOKUP && m.inputWord == k)
                    return std::optional<std::intptr_t>(0);
            return std::optional<std::intptr_t>(1);
        };
    }
    void CaretAt(int left, int top, int right, int bottom, Handle32 window = kEdit) {
        logic.OnCaretLocation(true, HookRect{left, top, right, bottom}, window);
    }
};

TEST_F(Lookup, OffersTheLineAndItsSuffixesThenTheWord) {
    SetLine("as soon a");
    SetWord("on a");
    Known({});
    EXPECT_FALSE(logic.LookupLongestSuffix());
    EXPECT_EQ(p.LookupKeys(), (Keys{"as soon a", "soon a", "a", "on a", "a"}));
    EXPECT_STREQ(s().inputWord, "");
    // The line keeps only its last delimiter-free run.
    EXPECT_STREQ(s().typedLine, "a");
}

TEST_F(Lookup, TheFirstKeyWithCandidatesWins) {
    SetLine("as soon a");
    SetWord("as soon a");
    Known({"soon a", "a"});
    EXPECT_TRUE(logic.LookupLongestSuffix());
    EXPECT_EQ(p.LookupKeys(), (Keys{"as soon a", "soon a"}));
    EXPECT_STREQ(s().inputWord, "soon a");
    EXPECT_STREQ(s().typedLine, "as soon a");
}

TEST_F(Lookup, TheSecondPassFindsTheWordAsTyped) {
    SetLine("x.teh");
    SetWord("teh");
    Known({"teh"});
    EXPECT_TRUE(logic.LookupLongestSuffix());
    EXPECT_EQ(p.LookupKeys(), (Keys{"x.teh", "teh"}));
}

TEST_F(Lookup, ADelimiterTypedLastEndsWithoutASecondPass) {
    SetLine("word,");
    SetWord("word,");
    Known({"word"});
    EXPECT_FALSE(logic.LookupLongestSuffix());
    EXPECT_EQ(p.LookupKeys(), Keys{"word,"});
    EXPECT_STREQ(s().inputWord, "");
}

TEST_F(Lookup, BackspaceAfterAFailedLookupTakesTheWordUpAgain) {
    // "pulq" found nothing, so the lookup emptied the word; the Backspace
    // that mends the typo brings the list of "pul" back, as it does when it
    // comes before that lookup.
    Known({"pul", "app"});
    Type("pulq");
    CaretAt(10, 20, 11, 36);
    ASSERT_STREQ(s().inputWord, "");
    ASSERT_FALSE(p.visible.count(kMain));
    EXPECT_EQ(Down(0x08), HookLogic::KeyResult::PassOn);
    EXPECT_STREQ(s().typedLine, "pul");
    EXPECT_STREQ(s().inputWord, "pul");
    CaretAt(10, 20, 11, 36);
    EXPECT_TRUE(p.visible.count(kMain));
    EXPECT_STREQ(s().inputWord, "pul");
    // Mended before the lookup ran: the list as well.
    Down(0x1B);
    Type("appq");
    Down(0x08);
    CaretAt(10, 20, 11, 36);
    EXPECT_TRUE(p.visible.count(kMain));
    EXPECT_STREQ(s().inputWord, "app");
}

TEST_F(Lookup, BackspaceDuringAFailedLookupTakesTheWordUpAgain) {
    // The Backspace that mends "harnq" comes in while the main window is
    // looking "harnq" up; that lookup then finds nothing and empties the
    // word, but the next caret check must still show the list of "harn".
    Known({"harn"});
    auto lookups = p.answer;
    bool mended = false;
    p.answer = [&](const FakeHookPlatform::Sent& m) {
        if (!mended && m.message == vemo::WM_WORD_LOOKUP && m.inputWord == "harnq") {
            mended = true;
            Down(0x08);
        }
        return lookups(m);
    };
    Type("harnq");
    CaretAt(10, 20, 11, 36);
    ASSERT_TRUE(mended);
    EXPECT_STREQ(s().typedLine, "harn");
    EXPECT_EQ(s().lookupPending, 1u);
    CaretAt(10, 20, 11, 36);
    EXPECT_TRUE(p.visible.count(kMain));
    EXPECT_STREQ(s().inputWord, "harn");
    EXPECT_STREQ(s().lastLookupWord, "harn");
}

TEST_F(Lookup, AWordThatNoLongerEndsTheLineIsLookedUpAgain) {
    // The record says "ballo" was looked up, but the line ends in "ballot"
    // (a Backspace during that lookup): the next caret check looks up again.
    Known({"ballo", "ballot"});
    SetLine("ballot");
    SetWord("ballo");
    std::strcpy(s().lastLookupWord, "ballo");
    p.visible.insert(kMain);
    s().lookupPending = 1;
    CaretAt(10, 20, 11, 36);
    EXPECT_EQ(p.LookupKeys(), Keys{"ballot"});
    EXPECT_STREQ(s().inputWord, "ballot");
    EXPECT_STREQ(s().lastLookupWord, "ballot");
}

TEST_F(Lookup, ACommitKeyWhoseWordIsNotTheEndOfTheLineLooksUpFirst) {
    // A Backspace that came in while the main window was looking the word up
    // left the word one letter short of the line, with the list's record
    // agreeing: the candidate would have erased one letter too few.
    Known({"ballo", "ballot"});
    auto lookups = p.answer;
    int refreshes = 0;
    p.answer = [&](const FakeHookPlatform::Sent& m) {
        if (m.message != vemo::WM_CARET_PENDING) return lookups(m);
        ++refreshes;  // the main window's caret check
        CaretAt(10, 20, 11, 36);
        return std::optional<std::intptr_t>(0);
    };
    Type("ballot");
    SetWord("ballo");
    std::strcpy(s().lastLookupWord, "ballo");
    s().lookupPending = 0;
    SetReplace("ballots", vemo::REPLACE_KEEP);
    p.visible.insert(kMain);
    p.keys.clear();
    EXPECT_EQ(Down(0x09), HookLogic::KeyResult::Swallow);
    EXPECT_EQ(refreshes, 1);
    EXPECT_STREQ(s().inputWord, "ballot");
    EXPECT_EQ(Up(0x09), HookLogic::KeyResult::Swallow);
    EXPECT_EQ(p.TypedText(), "s");  // from "ballo" it would have been "ts"
    // A word that ends the line and is the one looked up asks nothing first.
    Type(" ballo");
    SetWord("ballo");
    std::strcpy(s().lastLookupWord, "ballo");
    p.visible.insert(kMain);
    Down(0x09);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(Lookup, AShortCutKeepsTheLine) {
    SetLine("ab.cd");  // cut = 3: not more than 3, the line stays
    SetWord("zz");
    Known({});
    logic.LookupLongestSuffix();
    EXPECT_STREQ(s().typedLine, "ab.cd");
}

TEST_F(Lookup, AnUnansweredLookupCountsAsNoCandidates) {
    SetLine("abc");
    SetWord("abc");
    p.answer = [](const FakeHookPlatform::Sent&) { return std::optional<std::intptr_t>(); };
    EXPECT_FALSE(logic.LookupLongestSuffix());
    EXPECT_EQ(p.LookupKeys(), (Keys{"abc", "abc"}));
}

TEST_F(Lookup, DelimitersInsideDoubleByteCharactersAreNotBoundaries) {
    p.page = &CodePage932();
    SetLine(
        "\x83\x5C"
        "ab");  // the trail byte 0x5C is no backslash
    SetWord(
        "\x83\x5C"
        "ab");
    Known({});
    logic.LookupLongestSuffix();
    EXPECT_EQ(p.LookupKeys(), (Keys{"\x83\x5C"
                                    "ab",
                                    "\x83\x5C"
                                    "ab"}));
}

TEST_F(Lookup, NothingIsSentWithoutALiveMainWindow) {
    SetLine("abc");
    SetWord("abc");
    s().mainWindow = 0;
    EXPECT_FALSE(logic.LookupLongestSuffix());
    s().mainWindow = kMain;
    p.windows.erase(kMain);
    EXPECT_FALSE(logic.LookupLongestSuffix());
    logic.ShowAtCaret(true);
    EXPECT_TRUE(p.sent.empty());
    EXPECT_TRUE(p.shown.empty());
    EXPECT_TRUE(p.hidden.empty());
    EXPECT_STREQ(s().inputWord, "abc");
}

TEST_F(Lookup, ShowAtCaretPlacesTheListFivePixelsBelowTheCaret) {
    Known({"app"});
    Type("app");
    CaretAt(100, 40, 102, 56);
    EXPECT_EQ(p.LookupKeys(), Keys{"app"});
    EXPECT_EQ(p.shown, (std::vector<FakeHookPlatform::Shown>{{kMain, 100, 61}}));
    EXPECT_STREQ(s().lastLookupWord, "app");
    // The caret moves on without a new word: the list follows, no lookup.
    CaretAt(108, 40, 110, 56);
    EXPECT_EQ(p.LookupKeys().size(), 1u);
    EXPECT_EQ(p.shown.back(), (FakeHookPlatform::Shown{kMain, 108, 61}));
}

TEST_F(Lookup, AKeyTypedDuringTheLookupIsLookedUpAtTheNextCaretCheck) {
    // The main window answers for "ap" while the user's next key reaches the
    // keyboard hook in the application's thread.
    bool typed = false;
    p.answer = [&](const FakeHookPlatform::Sent& m) {
        if (m.message != vemo::WM_WORD_LOOKUP) return std::optional<std::intptr_t>(1);
        if (m.inputWord == "ap" && !typed) {
            typed = true;
            std::strcat(s().inputWord, "p");
            std::strcat(s().typedLine, "p");
        }
        return std::optional<std::intptr_t>(m.inputWord == "ap" || m.inputWord == "app" ? 0 : 1);
    };
    Type("ap");
    CaretAt(10, 10, 12, 26);
    EXPECT_STREQ(s().typedLine, "app");
    EXPECT_EQ(s().lookupPending, 1u);
    CaretAt(12, 10, 14, 26);
    EXPECT_EQ(p.LookupKeys(), (Keys{"ap", "app"}));
    EXPECT_STREQ(s().lastLookupWord, "app");
    // Settled: the next check only places the list.
    CaretAt(12, 10, 14, 26);
    EXPECT_EQ(p.LookupKeys().size(), 2u);
}

TEST_F(Lookup, TheLookupsOwnCutOfTheLineIsNoNewKey) {
    Known({"word"});
    Type("some long line word");
    CaretAt(10, 10, 12, 26);
    EXPECT_STREQ(s().lastLookupWord, "word");
    CaretAt(12, 10, 14, 26);
    EXPECT_EQ(p.LookupKeys().size(), 4u);  // the line, its three suffixes; no second lookup
}

TEST_F(Lookup, TheSameWordWithTheListHiddenDoesNothing) {
    SetWord("app");
    SetLine("an app");
    std::strcpy(s().lastLookupWord, "app");
    s().lookupPending = 1;
    CaretAt(1, 2, 3, 4);
    EXPECT_TRUE(p.sent.empty());
    EXPECT_TRUE(p.shown.empty());
    EXPECT_TRUE(p.hidden.empty());
}

TEST_F(Lookup, AWordWithoutCandidatesHidesAndStaysPendingOnce) {
    Known({});
    p.visible.insert(kMain);
    Type("qz");
    CaretAt(10, 10, 12, 26);
    EXPECT_FALSE(p.visible.count(kMain));
    EXPECT_STREQ(s().inputWord, "");
    EXPECT_EQ(s().lookupPending, 1u);
    // The next caret movement finds the word empty and ends the lookup.
    CaretAt(12, 10, 14, 26);
    EXPECT_EQ(s().lookupPending, 0u);
    EXPECT_EQ(p.LookupKeys().size(), 2u);  // "qz" on both passes, nothing since
}

TEST_F(Lookup, AnActiveInputMethodKeepsTheListAway) {
    Known({"ab"});
    Type("ab");
    p.imeDescription = "Japanese IME";
    CaretAt(10, 10, 12, 26);
    EXPECT_TRUE(p.sent.empty());
    EXPECT_TRUE(p.shown.empty());
    EXPECT_EQ(p.hidden, std::vector<Handle32>{kMain});
    EXPECT_EQ(s().lookupPending, 0u);
}

TEST_F(Lookup, CaretEventsRecordTheCaretAndLookUpOnlyWhilePending) {
    Known({"ab"});
    CaretAt(5, 6, 7, 8, kOther);
    EXPECT_EQ(s().caretWindow, kOther);
    EXPECT_EQ(s().caretRect.left, 5);
    EXPECT_EQ(s().caretRect.bottom, 8);
    EXPECT_TRUE(p.sent.empty());
    Type("ab");
    CaretAt(5, 6, 7, 8, kEdit);
    EXPECT_EQ(p.LookupKeys(), Keys{"ab"});
}

TEST_F(Lookup, TheCandidateWindowsOwnCaretIsIgnored) {
    CaretAt(5, 6, 7, 8);
    s().lookupPending = 1;
    CaretAt(50, 60, 70, 80, kMain);
    EXPECT_EQ(s().caretRect.left, 5);  // a pending show keeps the last good position
    EXPECT_EQ(s().caretWindow, kEdit);
    logic.OnCaretLocation(false, HookRect{}, kEdit);
    EXPECT_EQ(s().caretRect.top, 6);
    // With nothing pending, a failed or foreign location clears the rectangle.
    s().lookupPending = 0;
    CaretAt(50, 60, 70, 80, kMain);
    EXPECT_EQ(s().caretRect.left, 0);
    EXPECT_EQ(s().caretRect.bottom, 0);
    EXPECT_EQ(s().caretWindow, kEdit);
    EXPECT_TRUE(p.sent.empty());
}

TEST_F(Lookup, ACaretAtTheScreensEdgeDoesNotOverflow) {
    Known({"a"});
    Type("a");
    CaretAt(INT_MIN, INT_MAX - 2, INT_MAX, INT_MAX);
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].x, INT_MIN);
    EXPECT_EQ(p.shown[0].y, INT_MAX);
}

// The caret check looks a word up on the main program's thread while the
// user's next key reaches the keyboard hook in the application's thread.  A
// key that takes the list down there (a completion by Tab or a digit, or
// Escape) must leave it down: the lookup that overlapped it shows nothing and
// leaves nothing pending for the checks that follow.
TEST_F(Lookup, ALookupOverlappingAKeyThatTakesTheListDownLeavesItDown) {
    struct Case {
        const char* name;
        std::uint32_t vk;
        const char* typed;  // what the application receives
    };
    for (const Case& c :
         {Case{"Tab", 0x09, "h"}, Case{"digit 1", '1', "h"}, Case{"Escape", 0x1B, ""}}) {
        SCOPED_TRACE(c.name);
        HookFixture f;
        bool pressed = false;
        f.p.answer = [&](const FakeHookPlatform::Sent& m) {
            if (m.message == vemo::WM_SELECT_KEY) return std::optional<std::intptr_t>(0);
            if (m.message != vemo::WM_WORD_LOOKUP) return std::optional<std::intptr_t>(1);
            if (m.inputWord == "butc" && !pressed) {
                pressed = true;
                f.SetReplace("butch", vemo::REPLACE_KEEP);
                f.Down(c.vk);
                f.Up(c.vk);
            }
            return std::optional<std::intptr_t>(m.inputWord.rfind("but", 0) == 0 ? 0 : 1);
        };
        auto caret = [&] { f.logic.OnCaretLocation(true, HookRect{10, 10, 12, 26}, kEdit); };
        f.Type("but");
        caret();  // the list shows the candidates of "but"
        f.Type("c");
        caret();  // looks "butc" up; the key comes in meanwhile
        ASSERT_TRUE(pressed);
        EXPECT_EQ(f.p.TypedText(), c.typed);
        EXPECT_FALSE(f.p.visible.count(kMain));
        EXPECT_EQ(f.s().lookupPending, 0u);
        // The main window keeps checking the caret for a while.
        caret();
        caret();
        EXPECT_FALSE(f.p.visible.count(kMain));
    }
}

}  // namespace
}  // namespace wl::test
