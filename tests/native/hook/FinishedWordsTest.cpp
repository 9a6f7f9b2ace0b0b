// The words the hook reports for learning: what counts as a finished word,
// what is never reported, and the ring between the hook and the main
// program.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "hook/FinishedWords.h"
#include "platform/Registry.h"
#include "platform/RegistryLayout.h"
#include "tests/native/hook/FakeHookPlatform.h"

namespace wl::test {
namespace {

using Words = std::vector<std::pair<std::string, std::string>>;  // word, prev

class LearningHook : public HookFixture {
  public:
    LearningHook() { s().learnOn = 1; }
    Words Reported() {
        Words out;
        std::string word, prev;
        while (NextFinishedWord(s(), ticket_, word, prev)) out.emplace_back(word, prev);
        return out;
    }

  private:
    std::uint32_t ticket_ = 0;
};

class FinishedWords : public ::testing::Test, public LearningHook {};

TEST_F(FinishedWords, ADelimiterFinishesTheWordWithTheOneBeforeIt) {
    Type("Of the cat. It, well");
    EXPECT_EQ(Reported(), (Words{{"Of", ""}, {"the", "Of"}, {"cat", "the"}, {"It", ""}}));
    Type(" ");
    EXPECT_EQ(Reported(), (Words{{"well", ""}}));  // a comma stood between
}

TEST_F(FinishedWords, NothingIsReportedWhereNothingMayBeLearned) {
    struct Case {
        const char* name;
        void (*set)(LearningHook&);
    };
    for (const Case& c : {
             Case{"learning off", [](LearningHook& f) { f.s().learnOn = 0; }},
             Case{"a password field", [](LearningHook& f) { f.p.passwordFields.insert(kEdit); }},
             Case{"an application switched off",
                  [](LearningHook& f) {
                      RegKey key(f.p.registry, RegRoot::LocalMachine,
                                 std::string(reg::kAppOptionPrefix) + "notepad.exe", true);
                      key.WriteBinary(reg::kAppEnableVemo, std::uint32_t{0});
                  }},
             Case{"Wordlark switched off (EndVemo)",
                  [](LearningHook& f) { ClearSharedTexts(f.s()); }},
         }) {
        SCOPED_TRACE(c.name);
        LearningHook f;
        c.set(f);
        f.Type("secret words here ");
        EXPECT_TRUE(f.Reported().empty());
    }
}

TEST_F(FinishedWords, AWordTakenFromTheListCountsOnceAndItsKeysNotAtAll) {
    Type("of th");
    SetReplace("the", vemo::REPLACE_KEEP);
    p.visible.insert(kMain);
    logic.ReplaceStr();
    Deliver();  // the keys typed for it go through the hook as synthesized keys
    Type(" ");
    EXPECT_EQ(Reported(), (Words{{"of", ""}, {"the", "of"}}));
    // With the space added by the completion, the next word pairs with it.
    Type("big ca");
    SetReplace("cat", vemo::REPLACE_KEEP_SPACE);
    logic.ReplaceStr();
    Type("sat ");
    EXPECT_EQ(Reported(), (Words{{"big", "the"}, {"cat", "big"}, {"sat", "cat"}}));
}

TEST_F(FinishedWords, TheWordBeforeTheOneLookedUpIsKnownWhenASpaceAloneStandsBetween) {
    struct Case {
        const char* line;
        const char* word;
        const char* prev;
    };
    for (const Case& c : {Case{"of th", "th", "of"}, Case{"of  th", "th", ""},
                          Case{"end. Th", "Th", ""}, Case{"a, b", "b", ""}, Case{"th", "th", ""},
                          Case{"so of th", "of th", "so"}, Case{"x th", "y", ""}}) {
        SetLine(c.line);
        SetWord(c.word);
        EXPECT_EQ(WordBeforeInput(s(), CodePage1252()), c.prev) << c.line;
    }
}

TEST(FinishedWordRing, TheReaderSkipsWhatWasOverwrittenOrNeverFinished) {
    auto state = std::make_unique<SharedHookState>();
    InitSharedHookState(*state);
    state->learnOn = 1;
    std::uint32_t ticket = 0;
    std::string word, prev;
    for (int i = 0; i < 100; ++i) ReportFinishedWord(*state, "w" + std::to_string(i), "");
    ReportFinishedWord(*state, std::string(65, 'x'), "");    // too long: not reported
    ReportFinishedWord(*state, "ok", std::string(65, 'p'));  // its prev left out
    std::vector<std::string> read;
    while (NextFinishedWord(*state, ticket, word, prev)) read.push_back(word + "/" + prev);
    ASSERT_EQ(read.size(), kFinishedWordSlots);  // the oldest 37 were overwritten
    EXPECT_EQ(read.front(), "w37/");
    EXPECT_EQ(read.back(), "ok/");
    // A writer ended halfway leaves its slot odd: later words still come.
    const std::uint32_t stuck = state->finishedNext++;
    state->finished[stuck % kFinishedWordSlots].seq = 2 * stuck + 1;
    EXPECT_FALSE(NextFinishedWord(*state, ticket, word, prev));  // it may still finish
    ReportFinishedWord(*state, "after", "");
    ASSERT_TRUE(NextFinishedWord(*state, ticket, word, prev));
    EXPECT_EQ(word, "after");
    // A damaged length never reads past the slot.
    ReportFinishedWord(*state, "abc", "");
    state->finished[(state->finishedNext - 1) % kFinishedWordSlots].wordLen = 255;
    ASSERT_TRUE(NextFinishedWord(*state, ticket, word, prev));
    EXPECT_EQ(word.size(), kFinishedWordBytes);
}

}  // namespace
}  // namespace wl::test
