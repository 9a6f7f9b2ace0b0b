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

class Lookup : public ::testing::Test, public HookFixture {};

// The line and its suffixes after each delimiter, then the word as typed:
// the first key with candidates wins.
TEST(LookupSuffix, OffersTheLineAndItsSuffixesThenTheWord) {
    struct Case {
        const char *line, *word;
        Keys known;
        bool found;
        Keys asked;
        std::string fields;  // "word|line" afterwards
        bool hung = false, doubleByte = false;
    };
    const char* dbcs = "\x83\x5Cxy";
    const Case cases[] = {
        // The line keeps only its last delimiter-free run.
        {"as soon a", "on a", {}, false, {"as soon a", "soon a", "a", "on a", "a"}, "|a"},
        {"as soon a", "a", {"soon a", "a"}, true, {"as soon a", "soon a"}, "soon a|as soon a"},
        {"x.teh", "teh", {"teh"}, true, {"x.teh", "teh"}, "teh|x.teh"},
        // A delimiter typed last ends it without a second pass.
        {"word,", "word,", {"word"}, false, {"word,"}, "|word,"},
        // A cut of no more than 3 bytes keeps the line.
        {"ab.cd", "zz", {}, false, {"ab.cd", "cd", "zz"}, "|ab.cd"},
        // An unanswered lookup counts as no candidates.
        {"abc", "abc", {}, false, {"abc", "abc"}, "|abc", true},
        // The trail byte 0x5C is no backslash.
        {dbcs, dbcs, {}, false, {dbcs, dbcs}, std::string("|") + dbcs, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line) + " / " + c.word);
        HookFixture f;
        if (c.doubleByte) f.p.page = &CodePage932();
        f.SetLine(c.line);
        f.SetWord(c.word);
        f.Known(c.known);
        if (c.hung) f.p.answer = [](const FakeHookPlatform::Sent&) { return std::nullopt; };
        EXPECT_EQ(f.logic.LookupLongestSuffix(), c.found);
        EXPECT_EQ(f.p.LookupKeys(), c.asked);
        EXPECT_EQ(f.Fields(), c.fields);
    }
}

TEST_F(Lookup, BackspaceAfterAFailedLookupTakesTheWordUpAgain) {
    // "pulq" found nothing, so the lookup emptied the word; the Backspace
    // that mends the typo brings the list of "pul" back, as it does when it
    // comes before that lookup.
    Known({"pul", "app"});
    Type("pulq");
    CaretAt(10, 20, 11, 36);
    ASSERT_EQ(Fields(), "|pulq");
    ASSERT_FALSE(ListShown());
    EXPECT_EQ(Down(0x08), HookLogic::KeyResult::PassOn);
    EXPECT_EQ(Fields(), "pul|pul");
    CaretAt(10, 20, 11, 36);
    EXPECT_TRUE(ListShown());
    EXPECT_STREQ(s().inputWord, "pul");
    // Mended before the lookup ran: the list as well.
    Down(0x1B);
    Type("appq");
    Down(0x08);
    CaretAt(10, 20, 11, 36);
    EXPECT_TRUE(ListShown());
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
    EXPECT_TRUE(ListShown());
    EXPECT_STREQ(s().inputWord, "harn");
    EXPECT_STREQ(s().lastLookupWord, "harn");
}

TEST_F(Lookup, AWordThatNoLongerEndsTheLineIsLookedUpAgain) {
    // The record says "ballo" was looked up, but the line ends in "ballot"
    // (a Backspace during that lookup): the next caret check looks up again.
    Known({"ballo", "ballot"});
    Prepare("ballo", "ballot", "", vemo::REPLACE_KEEP);
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
    Prepare("ballo", "ballot", "ballots", vemo::REPLACE_KEEP);
    s().lookupPending = 0;
    EXPECT_EQ(Down(0x09), HookLogic::KeyResult::Swallow);
    EXPECT_EQ(refreshes, 1);
    EXPECT_STREQ(s().inputWord, "ballot");
    EXPECT_EQ(Up(0x09), HookLogic::KeyResult::Swallow);
    EXPECT_EQ(p.TypedText(), "s");  // from "ballo" it would have been "ts"
}

TEST_F(Lookup, NothingIsSentWithoutALiveMainWindow) {
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
    // A caret at the screen's edge does not overflow.
    CaretAt(INT_MIN, INT_MAX - 2, INT_MAX, INT_MAX);
    EXPECT_EQ(p.shown.back(), (FakeHookPlatform::Shown{kMain, INT_MIN, INT_MAX}));
    // Hidden meanwhile, the same word neither looks up nor shows it again.
    p.visible.clear();
    CaretAt(108, 40, 110, 56);
    EXPECT_EQ(p.shown.size(), 3u);
    EXPECT_EQ(p.LookupKeys().size(), 1u);
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
    CaretAt(12, 10, 14, 26);
    EXPECT_EQ(p.LookupKeys(), (Keys{"ap", "app"}));
    EXPECT_STREQ(s().lastLookupWord, "app");
}

TEST_F(Lookup, TheLookupsOwnCutOfTheLineIsNoNewKey) {
    Known({"word"});
    Type("some long line word");
    CaretAt(10, 10, 12, 26);
    EXPECT_STREQ(s().lastLookupWord, "word");
    CaretAt(12, 10, 14, 26);
    EXPECT_EQ(p.LookupKeys().size(), 4u);  // the line, its three suffixes; no second lookup
}

TEST_F(Lookup, AWordWithoutCandidatesHidesAndStaysPendingOnce) {
    Known({});
    p.visible.insert(kMain);
    Type("qz");
    CaretAt(10, 10, 12, 26);
    EXPECT_FALSE(ListShown());
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
    // The candidate window's own caret is ignored; a pending show keeps the
    // last good position, and so does a failed location.
    p.sent.clear();
    s().lookupPending = 1;
    CaretAt(50, 60, 70, 80, kMain);
    EXPECT_EQ(s().caretRect.left, 5);
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
                f.Key(c.vk);
            }
            return std::optional<std::intptr_t>(m.inputWord.rfind("but", 0) == 0 ? 0 : 1);
        };
        f.Type("but");
        f.CaretAt();  // the list shows the candidates of "but"
        f.Type("c");
        f.CaretAt();  // looks "butc" up; the key comes in meanwhile
        ASSERT_TRUE(pressed);
        EXPECT_EQ(f.p.TypedText(), c.typed);
        EXPECT_FALSE(f.ListShown());
        EXPECT_EQ(f.s().lookupPending, 0u);
        // The main window keeps checking the caret for a while.
        f.CaretAt();
        f.CaretAt();
        EXPECT_FALSE(f.ListShown());
    }
}

}  // namespace
}  // namespace wl::test
