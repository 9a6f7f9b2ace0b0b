// The next word before a letter is typed: when the hook asks for it, the
// keys that steer the list it shows and every other key going on as typed,
// and the words before the caret it is asked in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hook/FinishedWords.h"
#include "hook/LineTracker.h"
#include "platform/VirtualKeys.h"
#include "tests/native/hook/FakeHookPlatform.h"

namespace wl::test {
namespace {

using Words = std::vector<std::string>;

class PredictionFixture : public HookFixture {
  public:
    PredictionFixture() {
        s().predictOn = 1;
        Key(vkey::kReturn);  // typing starts at the start of a line
        // The main window has the next words, and candidates for "wo".
        p.answer = [](const FakeHookPlatform::Sent& m) {
            const bool next =
                m.message == vemo::WM_WORD_LOOKUP && m.wParam == vemo::LOOKUP_NEXT_WORD;
            const bool word = m.message == vemo::WM_WORD_LOOKUP && m.inputWord == "wo";
            return std::optional<std::intptr_t>(
                next || word || m.message == vemo::WM_SELECT_KEY ? 0 : 1);
        };
    }
    int NextWordLookups() const {
        int n = 0;
        for (const auto& m : p.sent)
            n += m.message == vemo::WM_WORD_LOOKUP && m.wParam == vemo::LOOKUP_NEXT_WORD;
        return n;
    }
    // Types a word and its space, and the caret moves: the list shows the
    // next words.
    void ShowNextWords() {
        Type("say ");
        CaretAt();
        ASSERT_TRUE(ListShown());
        ASSERT_TRUE(s().predicting);
        p.keys.clear();
    }
};

class Predicting : public ::testing::Test, public PredictionFixture {};

TEST_F(Predicting, AWordAndASpaceAskForTheNextWordWhereItMayBeOffered) {
    ShowNextWords();
    EXPECT_EQ(NextWordLookups(), 1);
    EXPECT_STREQ(s().inputWord, "");

    struct Case {
        const char* name;
        void (*set)(PredictionFixture&);
        const char* typed;
    };
    for (const Case& c : {
             Case{"prediction off", [](PredictionFixture& f) { f.s().predictOn = 0; }, "say "},
             Case{"a field of one line (Tab moves on)",
                  [](PredictionFixture& f) { f.p.singleLineFields.insert(kEdit); }, "say "},
             Case{"a password field",
                  [](PredictionFixture& f) { f.p.passwordFields.insert(kEdit); }, "say "},
             Case{"an application with prediction switched off",
                  [](PredictionFixture& f) {
                      f.AppOption("notepad.exe", reg::kAppEnablePredict, std::uint8_t{0});
                  },
                  "say "},
             Case{"no word before the space", [](PredictionFixture&) {}, "end. "},
             Case{"a second space", [](PredictionFixture&) {}, "say  "},
             Case{"a word with a digit", [](PredictionFixture&) {}, "abc1 "},
         }) {
        SCOPED_TRACE(c.name);
        PredictionFixture f;
        c.set(f);
        f.Type(c.typed);
        f.CaretAt();
        EXPECT_EQ(f.NextWordLookups(), 0);
        EXPECT_FALSE(f.ListShown());
    }
}

// While the next words are shown, only Tab, Down, Up and Escape steer them;
// nothing else typed after the space is eaten.
TEST_F(Predicting, OnlyTabDownUpAndEscapeSteerAndNothingElseIsEaten) {
    struct Case {
        const char* name;
        std::uint32_t vk;
        bool swallowed;  // the press
        bool listStays;
        bool upSwallowed;  // the release
    };
    for (const Case& c : {
             Case{"Down", vkey::kDown, true, true, true},
             Case{"Up", vkey::kUp, true, true, true},
             Case{"Escape (its release is the application's)", vkey::kEscape, true, false, false},
             Case{"Enter", vkey::kReturn, false, false, false},
             Case{"Backspace (its release is swallowed as ever)", vkey::kBack, false, false, true},
             Case{"Delete", vkey::kDelete, false, false, false},
             Case{"a digit (an index key)", '1', false, false, false},
             Case{"Page Down", vkey::kNext, false, false, false},
             Case{"a full stop", 0xBE, false, false, false},
             Case{"Right", 0x27, false, false, false},
         }) {
        SCOPED_TRACE(c.name);
        PredictionFixture f;
        f.ShowNextWords();
        EXPECT_EQ(f.Down(c.vk) == HookLogic::KeyResult::Swallow, c.swallowed);
        EXPECT_EQ(f.ListShown(), c.listStays);
        EXPECT_EQ(f.s().predicting != 0, c.listStays);
        EXPECT_EQ(f.Up(c.vk) == HookLogic::KeyResult::Swallow, c.upSwallowed);
    }
    // Down and Up move the highlight in the main window, whatever the
    // select keys are.
    PredictionFixture f;
    f.s().vkSelectNext = 0xDD;
    f.ShowNextWords();
    f.Key(vkey::kDown);
    f.Key(vkey::kUp);
    EXPECT_EQ(f.p.SelectRequests(),
              (std::vector<std::intptr_t>{vemo::SELECT_NEXT, vemo::SELECT_PREV}));
    // Escape leaves the line as it was: the word typed next is learned.
    f.s().learnOn = 1;
    FinishedWordReader reader(f.s());
    f.Key(vkey::kEscape);
    f.Type("more ");
    FinishedWord word;
    ASSERT_TRUE(reader.Next(f.s(), word));
    EXPECT_EQ(word.word, "more");
}

TEST_F(Predicting, ALetterNarrowsItAndTabTypesTheWordWithItsSpace) {
    ShowNextWords();
    Type("w");
    EXPECT_FALSE(s().predicting);
    EXPECT_STREQ(s().inputWord, "w");
    EXPECT_TRUE(s().lookupPending);  // looked up as a word of its own, in the same context

    PredictionFixture f;
    f.ShowNextWords();
    f.SetReplace("world", vemo::REPLACE_KEEP_SPACE);
    EXPECT_EQ(f.Down(vkey::kTab), HookLogic::KeyResult::Swallow);
    EXPECT_EQ(f.Up(vkey::kTab), HookLogic::KeyResult::Swallow);
    EXPECT_EQ(f.p.TypedText(), "world ");
    // The word taken, with its space, asks for the one after it.
    EXPECT_TRUE(f.s().predicting);
    EXPECT_EQ(ContextWords(f.s()), (Words{"say", "world"}));
    // Enter always goes on: the completion keys' Enter is not for this list.
    f.CaretAt();
    EXPECT_EQ(f.Down(vkey::kReturn), HookLogic::KeyResult::PassOn);
}

// The words before the caret: those of the same line since it started, the
// start of a sentence after its end, none after what ends the line.
TEST_F(Predicting, TheContextIsTheWordsBeforeTheCaretInItsLine) {
    struct Case {
        const char* name;
        const char* before;               // typed first
        void (*act)(PredictionFixture&);  // then done, if anything
        const char* context;              // the words, separated by spaces
    };
    for (const Case& c : {
             Case{"two words", "I would like to ", nullptr, "like to"},
             Case{"the start of a line", "", nullptr, "<s>"},
             Case{"a sentence's start", "It is. We ", nullptr, "<s> We"},
             Case{"a comma goes on", "yes, we ", nullptr, "yes we"},
             Case{"a word with a digit ends it", "in 2024 we ", nullptr, "we"},
             Case{"a line break", "dear John\r", nullptr, "<s>"},
             Case{"another window", "dear John ", [](PredictionFixture& f) { f.p.focus = kOther; },
                  ""},
             Case{"a click", "dear John ", [](PredictionFixture& f) { ++f.s().lineBreaks; }, ""},
             Case{"a caret moved", "",
                  [](PredictionFixture& f) {
                      f.p.caret = HookRect{10, 20, 11, 36};
                      f.Type("dear John ");
                      f.p.caret = HookRect{10, 60, 11, 76};
                  },
                  ""},
         }) {
        SCOPED_TRACE(c.name);
        PredictionFixture f;
        f.Type(c.before);
        if (c.act) {
            c.act(f);
            f.Type("x");
        }
        std::string context;
        for (const std::string& w : ContextWords(f.s()))
            context += (context.empty() ? "" : " ") + w;
        EXPECT_EQ(context, c.context);
    }
}

}  // namespace
}  // namespace wl::test
