// The words the hook reports for learning: where a word ends, what is never
// reported, and the ring between the hook and the main program.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "hook/FinishedWords.h"
#include "platform/VirtualKeys.h"
#include "tests/native/hook/FakeHookPlatform.h"

namespace wl::test {
namespace {

using Words = std::vector<std::string>;

class LearningHook : public HookFixture {
  public:
    LearningHook() {
        s().learnOn = 1;
        Key(vkey::kReturn);  // typing starts at the start of a line
    }
    // "word/prev" of each, with "^" before it when the word began a
    // sentence, separated by spaces.
    std::string Reported() {
        std::string out;
        for (FinishedWord w; reader_.Next(s(), w);) {
            if (!out.empty()) out += ' ';
            out += ((w.flags & kFinishedSentenceStart) ? "^" : "") + w.word + "/" + w.prev;
        }
        return out;
    }

  private:
    FinishedWordReader reader_{s()};
};

class FinishedWords : public ::testing::Test, public LearningHook {};

TEST_F(FinishedWords, ADelimiterFinishesTheWordWithTheOneBeforeIt) {
    Type("Of the cat. It, well");
    EXPECT_EQ(Reported(), "^Of/ the/Of cat/the ^It/");
    Type(" ");
    EXPECT_EQ(Reported(), "well/");  // a comma stood between
    // Each word is told to the main program as it is finished.
    EXPECT_EQ(p.PostCount(vemo::WM_WORD_FINISHED), 5);
}

// A word is learned only when a delimiter is typed right after it, with
// nothing in between that the user did elsewhere, and only where it may be.
TEST_F(FinishedWords, AWordEndsWhereTheUserStoppedTypingItWhereItMayBeLearned) {
    struct Case {
        const char* name;
        std::string before;          // typed first
        void (*act)(LearningHook&);  // then done, if anything
        const char* after;           // then typed
        const char* reported;
    };
    for (const Case& c : {
             Case{"Enter and Tab end the line; nothing before them is learned",
                  "Dear John\rThanks for\tSummer\rhello ", nullptr, "", "^Dear/ ^Thanks/ ^hello/"},
             Case{"a click in the application", "zint", [](LearningHook& f) { ++f.s().lineBreaks; },
                  "ex now ", "now/"},
             Case{"another focus window", "zint", [](LearningHook& f) { f.p.focus = kOther; },
                  "ex ", ""},
             Case{"the keys that move or edit", "",
                  [](LearningHook& f) {
                      for (std::uint32_t vk : {vkey::kLeft, vkey::kHome, vkey::kEnd, vkey::kNext,
                                               vkey::kDelete, vkey::kEscape}) {
                          f.Type("zint");
                          f.Key(vk);
                          f.Type("ex ");
                      }
                  },
                  "", ""},
             Case{"a lookup without candidates ends nothing", "zint",
                  [](LearningHook& f) { f.logic.ShowAtCaret(true); }, "ex ", "^zintex/"},
             Case{"a dead key ends nothing", "cafe",
                  [](LearningHook& f) {
                      f.p.deadKeys.insert(0xDE);
                      f.Key(0xDE);
                  },
                  "s ", "^cafes/"},
             Case{"Backspace mends the word; into the word before, the start is lost",
                  "helo\blo word \bs ", nullptr, "", "^hello/ word/hello"},
             Case{"an apostrophe or a hyphen between letters is part of the word",
                  "don't well-known rock- 'quoted' it's ok--yes ", nullptr, "",
                  "^don't/ well-known/don't rock/well-known quoted/ it's/quoted ok/it's yes/"},
             Case{"no word with a digit, and none pairs with one",
                  "4111-1111-1111-1111 123-45-6789 Summer2024 abc123 next ", nullptr, "", "next/"},
             Case{"a word longer than 64 bytes, or with a character of no word",
                  std::string(65, 'a') + " snake_case ok ", nullptr, "", "ok/"},
             // Nothing where nothing may be learned.
             Case{"learning off", "", [](LearningHook& f) { f.s().learnOn = 0; }, "secret words ",
                  ""},
             Case{"a password field", "", [](LearningHook& f) { f.p.passwordFields.insert(kEdit); },
                  "secret words ", ""},
             Case{"an application switched off", "",
                  [](LearningHook& f) {
                      f.AppOption("notepad.exe", reg::kAppEnableVemo, std::uint32_t{0});
                  },
                  "secret words ", ""},
             Case{"Wordlark switched off (EndVemo)", "",
                  [](LearningHook& f) { ClearSharedTexts(f.s()); }, "secret words ", ""},
             Case{"typed into a password field, a word's end in the next is not its end", "pass",
                  [](LearningHook& f) {
                      f.p.passwordFields.insert(kEdit);
                      f.Type("word");
                      f.p.passwordFields.clear();
                  },
                  " after ", "after/"},
         }) {
        SCOPED_TRACE(c.name);
        LearningHook f;
        f.Type(c.before);
        if (c.act) c.act(f);
        f.Type(c.after);
        EXPECT_EQ(f.Reported(), c.reported);
    }
}

// The application emptied the box (a chat box or a login form on Enter, a
// script): the caret is no longer where the typing left it.
TEST_F(FinishedWords, ACaretMovedOtherThanByTypingEndsTheLine) {
    p.caret = HookRect{10, 20, 11, 36};
    Type("zintex");
    p.caret = HookRect{10, 20, 11, 36};  // back at the start
    Type(" again ");
    EXPECT_EQ(Reported(), "again/");
    // The caret on another line, or where it was: the same.
    Type("one");
    p.caret->top += 16;
    p.caret->bottom += 16;
    Type(" two");
    p.caret->left -= 8;
    p.caret->right -= 8;
    Type(" three ");
    EXPECT_EQ(Reported(), "three/");
}

TEST_F(FinishedWords, AWordTakenFromTheListCountsOnceAndItsKeysNotAtAll) {
    Type("of th");
    SetWord("th");  // as the lookup leaves it
    SetReplace("the", vemo::REPLACE_KEEP);
    p.visible.insert(kMain);
    logic.ReplaceStr();
    Deliver();  // the keys typed for it go through the hook as synthesized keys
    Type(" ");
    EXPECT_EQ(Reported(), "^of/ the/of");
    // With the space added by the completion, the next word pairs with it.
    Type("big ca");
    SetWord("ca");
    SetReplace("cat", vemo::REPLACE_KEEP_SPACE);
    logic.ReplaceStr();
    Type("sat ");
    EXPECT_EQ(Reported(), "big/the cat/big sat/cat");
    // An expansion in place of the word: what stands before the caret is
    // not a word the user typed.
    Type("btw");
    SetReplace("by the way", vemo::REPLACE_WORD);
    logic.ReplaceStr();
    Type("ok then ");
    EXPECT_EQ(Reported(), "then/");
}

struct Ring {
    Ring() : state(std::make_unique<SharedHookState>()) {
        InitSharedHookState(*state);
        state->learnOn = 1;
    }
    Words ReadAll(FinishedWordReader& reader) {
        Words out;
        FinishedWord w;
        while (reader.Next(*state, w)) out.push_back(w.word + "/" + w.prev);
        return out;
    }
    std::unique_ptr<SharedHookState> state;
};

TEST(FinishedWordRing, TheReaderTakesEveryWholeWordAndNothingMixed) {
    Ring r;
    FinishedWordReader reader(*r.state);
    for (int i = 0; i < 100; ++i) ReportFinishedWord(*r.state, "w" + std::to_string(i), "");
    // A slot holds 64 characters of four bytes.
    EXPECT_EQ(ReportFinishedWord(*r.state, std::string(257, 'x'), ""), -1);  // too long
    ReportFinishedWord(*r.state, "ok", std::string(257, 'p'));               // its prev left out
    const Words read = r.ReadAll(reader);
    ASSERT_EQ(read.size(), kFinishedWordSlots);  // the oldest 37 were overwritten
    EXPECT_EQ(read.front(), "w37/");
    EXPECT_EQ(read.back(), "ok/");
    EXPECT_EQ(reader.lost(), 37u);

    // A writer stopped halfway (its ticket taken, its slot odd): later words
    // come, and its word too once it finishes.
    const std::uint32_t stuck = r.state->finishedNext++;
    r.state->finishedUtf8[stuck % kFinishedWordSlots].seq = 2 * stuck + 1;
    ReportFinishedWord(*r.state, "after", "");
    EXPECT_EQ(r.ReadAll(reader), (Words{"after/"}));
    {
        // It finishes now, as ReportFinishedWord would have.
        SharedHookState copy = *r.state;
        copy.finishedNext = stuck;
        ReportFinishedWord(copy, "late", "before");
        r.state->finishedUtf8[stuck % kFinishedWordSlots] =
            copy.finishedUtf8[stuck % kFinishedWordSlots];
    }
    EXPECT_EQ(r.ReadAll(reader), (Words{"late/before"}));

    // Two writers in one slot (one a whole ring late): the check fails,
    // whatever the sequence number says.
    ReportFinishedWord(*r.state, "abc", "xyz");
    FinishedWordSlotUtf8& slot =
        r.state->finishedUtf8[(r.state->finishedNext - 1) % kFinishedWordSlots];
    std::memcpy(slot.word, "qrs", 3);
    // A damaged length never reads past the slot either.
    ReportFinishedWord(*r.state, "def", "");
    r.state->finishedUtf8[(r.state->finishedNext - 1) % kFinishedWordSlots].wordLen = 0xFFFF;
    const std::uint32_t lostBefore = reader.lost();
    EXPECT_TRUE(r.ReadAll(reader).empty());
    EXPECT_EQ(reader.lost(), lostBefore + 2);
}

// Switched off, forgotten: what was reported before is not taken in, and
// neither is what a writer that read the switch too early writes after it.
TEST(FinishedWordRing, NothingOfAnEarlierEpochIsTakenIn) {
    Ring r;
    FinishedWordReader reader(*r.state);
    ReportFinishedWord(*r.state, "before", "");
    DropFinishedWords(*r.state);
    EXPECT_TRUE(r.ReadAll(reader).empty());
    ReportFinishedWord(*r.state, "kept", "");
    // A writer that took the epoch before the switch writes afterwards.
    const std::uint32_t epoch = r.state->learnEpoch;
    --r.state->learnEpoch;
    ReportFinishedWord(*r.state, "late", "");
    r.state->learnEpoch = epoch;
    EXPECT_EQ(r.ReadAll(reader), (Words{"kept/"}));
    ClearSharedTexts(*r.state);  // EndVemo
    EXPECT_EQ(ReportFinishedWord(*r.state, "off", ""), -1);
    r.state->learnOn = 1;  // learning on again: a new epoch, nothing old
    EXPECT_TRUE(r.ReadAll(reader).empty());
}

// A fast typist's burst: the typing application's thread types words while
// the main program's thread looks the line up (and cuts it) as the caret
// check does, after every key in the first rounds, whenever it gets to it
// in the others; every word arrives whole.
TEST(FinishedWordRing, AFastTypistLosesNoWordWhileTheListLooksUp) {
    auto state = std::make_unique<SharedHookState>();
    InitSharedHookState(*state);
    state->mainWindow = kMain;
    state->caretWindow = kEdit;
    state->learnOn = 1;
    FakeHookPlatform typing(*state), main(*state);
    main.mainProgram = true;
    main.pid = kMainPid;
    // The main window knows no word, so each lookup tries every suffix and
    // cuts the line, as it does for a word no library holds.
    HookLogic app(*state, typing), program(*state, main);
    std::atomic<bool> done{false};
    std::atomic<int> lookups{0};
    std::thread caretCheck([&] {
        while (!done.load()) {
            state->lookupPending = 1;
            state->lastLookupWord[0] = '\0';
            program.ShowAtCaret(true);
            main.sent.clear();
            main.hidden.clear();
            ++lookups;
        }
    });
    FinishedWordReader reader(*state);
    Words got;
    const Words words = {"frobnitz", "thawing", "quixotic", "zephyr", "lantern"};
    const int rounds = 60;  // a ring's worth goes by between two reads
    app.KeyboardProc(0, vkey::kReturn, 0x00010001u);
    for (int round = 0; round < rounds; ++round) {
        for (const std::string& w : words) {
            for (char c : w + " ") {
                const auto k = static_cast<std::uint32_t>(UsKeyForChar(c) & 0xFF);
                app.KeyboardProc(0, k, 0x00010001u);
                app.KeyboardProc(0, k, 0xC0010001u);
                if (round % 2 == 0) {  // one whole lookup after this key
                    // (Waited for a second at most: a starved thread only
                    // changes the interleaving.)
                    const int seen = lookups.load();
                    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
                    while (lookups.load() < seen + 2 && std::chrono::steady_clock::now() < until)
                        std::this_thread::yield();
                }
            }
        }
        FinishedWord w;
        while (reader.Next(*state, w)) got.push_back(w.word);
        typing.posted.clear();
    }
    done = true;
    caretCheck.join();
    ASSERT_EQ(got.size(), words.size() * rounds);
    for (std::size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], words[i % words.size()]) << i;
    EXPECT_EQ(reader.lost(), 0u);
}

}  // namespace
}  // namespace wl::test
