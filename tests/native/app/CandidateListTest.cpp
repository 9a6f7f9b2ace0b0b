#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/CandidateList.h"
#include "learn/Learner.h"
#include "tests/support/RecordingHook.h"

namespace wl {
namespace {

using namespace vemo;  // the select requests and replacement modes

struct Candidate {
    std::string key, text;
    int type = Dictionary;
    double probability = 0;
};

// Serves the plain lookup from stream and the ranked one from ranked, and
// records the word the ranked one was asked for.
class FakeSource : public CandidateSource {
  public:
    std::vector<Candidate> stream, ranked;
    std::string rankedWord;
    int findNextCalls = 0;

    int FindFirst(const char*, LibraryEntry& entry, int, int, int) override {
        return Deliver(entry, stream, next = 0);
    }
    int FindNext(LibraryEntry& entry) override {
        ++findNextCalls;
        return Deliver(entry, stream, next);
    }
    int FindFirstRanked(const char* word, LibraryEntry& entry, int, int) override {
        rankedWord = word;
        taken.clear();
        return Deliver(entry, ranked, nextRanked = 0);
    }
    int FindNextRanked(LibraryEntry& entry) override {
        while (nextRanked < ranked.size() && taken.count(ranked[nextRanked].key)) ++nextRanked;
        return Deliver(entry, ranked, nextRanked);
    }
    // As the ranked lookup does: a Dictionary key asked for by name is then
    // left out.
    int FindRankedKey(const char* key, LibraryEntry& entry) override {
        for (std::size_t i = nextRanked; i < ranked.size(); ++i) {
            if (ranked[i].type != Dictionary || ranked[i].key != key || taken.count(key)) continue;
            taken.insert(key);
            return Deliver(entry, ranked, i);
        }
        return 0;
    }
    std::set<std::string> taken;

  private:
    std::size_t next = 0, nextRanked = 0;
    static int Deliver(LibraryEntry& entry, const std::vector<Candidate>& from, std::size_t& at) {
        if (at >= from.size()) return 0;
        const Candidate& c = from[at++];
        entry.probability = c.probability;
        entry.SetKey(c.key.data(), static_cast<std::uint32_t>(c.key.size()));
        entry.SetText(c.text.data(), static_cast<std::uint32_t>(c.text.size()));
        entry.type = c.type;
        return 1;
    }
};

class FakeView : public CandidateView {
  public:
    int placeTip = 0, beeps = 0;
    std::string tip;
    int tipStyle = 0;
    void RowsChanged() override {}
    void HighlightChanged(int) override {}
    void PlaceTip() override { ++placeTip; }
    void SetTipText(const std::string& text, int style) override {
        tip = text;
        tipStyle = style;
    }
    void Beep() override { ++beeps; }
};

// Serves folders from a map: "T:\\" + relative folder -> entries.
class FakeDirectory : public Directory {
  public:
    std::map<std::string, std::vector<DirEntry>> folders;
    std::vector<std::string> patterns;
    bool List(const std::string& pattern, std::vector<DirEntry>& entries) override {
        patterns.push_back(pattern);
        auto it = folders.find(FolderOf(pattern));
        if (it == folders.end()) return false;
        entries = it->second;
        entries.insert(entries.begin(), {{".", true}, {"..", true}});
        return true;
    }
};

using Hand = std::pair<std::string, int>;
using Strings = std::vector<std::string>;

struct ListFixture : ::testing::Test {
    FakeSource source;
    test::RecordingHook<> hook;
    FakeView view;
    FakeDirectory dir;
    CandidateList list{source, hook, view, SystemCodePage(), dir};

    void Words(int n) {
        for (int i = 0; i < n; ++i) source.stream.push_back({"w" + std::to_string(100 + i), ""});
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const auto& r : list.rows()) out.push_back(r.text);
        return out;
    }
    int Lookup(const std::string& word) {
        hook.input = word;
        return list.OnWordLookup();
    }
    // What the list handed the hook library to type: the text and the mode.
    Hand Handed() const { return {hook.replaceText, hook.replaceMode}; }
};

TEST_F(ListFixture, ExactlyOnePageOfTen) {
    Words(10);
    ASSERT_EQ(Lookup("w"), 0);
    EXPECT_EQ(list.rows().size(), 10u);
    // Page Down finds nothing further and lands on the last row.
    EXPECT_EQ(list.OnSelectKey(SELECT_PAGEDOWN), 0);
    EXPECT_EQ(list.rows().front().text, "w100");
    EXPECT_EQ(list.highlighted(), 9);
    EXPECT_EQ(hook.replaceText, "w109");
    // Down on the last row stays there.
    EXPECT_EQ(list.OnSelectKey(SELECT_NEXT), 0);
    EXPECT_EQ(list.highlighted(), 9);
    EXPECT_EQ(list.pageStart(), 0);
}

TEST_F(ListFixture, TwentyThreeCandidatesPageForwardAndBackFromTheCache) {
    Words(23);
    ASSERT_EQ(Lookup("w"), 0);
    EXPECT_EQ(source.findNextCalls, 9);  // one page ahead, no more

    list.OnSelectKey(SELECT_PAGEDOWN);
    EXPECT_EQ(Texts().front(), "w110");
    EXPECT_EQ(Texts().back(), "w119");
    EXPECT_EQ(list.highlighted(), 0);
    EXPECT_EQ(hook.replaceText, "w110");

    list.OnSelectKey(SELECT_PAGEDOWN);
    EXPECT_EQ(Texts(), (Strings{"w120", "w121", "w122"}));
    EXPECT_EQ(list.rows()[2].itemData, 22);
    const int calls = source.findNextCalls;

    list.OnSelectKey(SELECT_PAGEUP);
    EXPECT_EQ(Texts().front(), "w110");
    EXPECT_EQ(list.highlighted(), 0);
    EXPECT_EQ(source.findNextCalls, calls);  // paging back asks the libraries nothing

    // Down to the end of page two and on: page three, first row.
    for (int i = 0; i < 9; ++i) list.OnSelectKey(SELECT_NEXT);
    EXPECT_EQ(list.highlighted(), 9);
    list.OnSelectKey(SELECT_NEXT);
    EXPECT_EQ(Texts().front(), "w120");
    EXPECT_EQ(list.highlighted(), 0);
    // Up on the first row of a page: the page before, at its first row.
    EXPECT_EQ(list.OnSelectKey(SELECT_PREV), 0);
    EXPECT_EQ(Texts().front(), "w110");
    EXPECT_EQ(list.highlighted(), 0);
    // Up on the first row of the first page stays.
    list.OnSelectKey(SELECT_PAGEUP);
    list.OnSelectKey(SELECT_PREV);
    EXPECT_EQ(list.highlighted(), 0);
    EXPECT_EQ(list.pageStart(), 0);
}

TEST_F(ListFixture, IndexKeys) {
    Words(3);
    Lookup("w");
    EXPECT_EQ(list.OnSelectKey(1), 0);
    EXPECT_EQ(view.beeps, 0);
    // An index beyond a short page beeps, highlights the last row, answers 1.
    EXPECT_EQ(list.OnSelectKey(4), 1);
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(list.highlighted(), 2);
    EXPECT_EQ(hook.replaceText, "w102");
    EXPECT_GT(view.placeTip, 0);
}

TEST_F(ListFixture, NoCandidatesAnswersOneAndClearsTheOldList) {
    Words(4);
    Lookup("w");
    source.stream.clear();
    EXPECT_EQ(Lookup("zzz"), 1);
    EXPECT_TRUE(list.candidates().empty());
    EXPECT_EQ(list.OnSelectKey(SELECT_NEXT), 1);  // nothing highlighted
    EXPECT_EQ(list.OnSelectKey(0), 1);
}

TEST_F(ListFixture, WhatIsHandedToTheHookAndTheTipByKind) {
    source.stream = {{"apple", "apple"},
                     {"apply", "to put to use"},
                     {"brb", "be right back", Shorthand},
                     {"ty", "", Shorthand},
                     {"odd", "x", 9}};
    Lookup("a");
    list.OnSelectKey(SELECT_NEXT);
    EXPECT_EQ(view.tip, "to put to use");
    EXPECT_EQ(view.tipStyle, TIP_STYLE_NOTE);
    list.OnSelectKey(SELECT_NEXT);
    EXPECT_EQ(view.tip, "be right back");

    // A shorthand without an expansion types its own key, with no tip.
    list.OnSelectKey(SELECT_NEXT);
    EXPECT_EQ(Handed(), Hand("ty", REPLACE_WORD));
    EXPECT_EQ(view.tip, "");

    // An entry of an unknown kind leaves nothing to type.
    list.OnSelectKey(SELECT_NEXT);
    EXPECT_EQ(Handed(), Hand("", REPLACE_COMPLETE));

    // A click selects its row; a double click has the hook library type it.
    list.OnRowSelected(1);
    EXPECT_EQ(hook.replaceText, "apply");
    EXPECT_EQ(list.OnDoubleClick(), 1);
    EXPECT_EQ(hook.replaceCalls, 1);
    list.SelectCandidate(99);
    EXPECT_EQ(hook.replaceText, "");
}

TEST_F(ListFixture, AnOverlongWordFromTheHookIsBounded) {
    Words(1);
    hook.input = std::string(5000, 'q');
    list.OnWordLookup();
    EXPECT_EQ(list.word().size(), 1023u);
}

TEST_F(ListFixture, PathsListFoldersFirstInNameOrder) {
    dir.folders["T:\\"] = {
        {"windows", false}, {"Zeta", true}, {"alpha.txt", false}, {"Darwin", true}, {"beta", true}};
    Words(5);
    ASSERT_EQ(Lookup("T:\\"), 0);
    EXPECT_EQ(dir.patterns.back(), "T:\\*.*");
    EXPECT_TRUE(list.pathMode());
    EXPECT_EQ(Texts(), (Strings{"beta", "Darwin", "Zeta", "alpha.txt", "windows"}));
    EXPECT_EQ(list.rows()[0].image, PathFolder - 1);
    EXPECT_EQ(list.rows()[3].image, PathFile - 1);
    EXPECT_EQ(Handed(), Hand("beta", REPLACE_PATH_FOLDER));
    EXPECT_EQ(view.tip, "");
    EXPECT_EQ(source.findNextCalls, 0);

    // The prefix matches anywhere in the name, letter case ignored.
    ASSERT_EQ(Lookup("T:\\WIN"), 0);
    EXPECT_EQ(Texts(), (Strings{"Darwin", "windows"}));
    list.OnSelectKey(SELECT_NEXT);
    EXPECT_EQ(hook.replaceMode, REPLACE_PATH_FILE);
}

TEST_F(ListFixture, PathsThatMatchNothingFallThroughToTheLibraries) {
    dir.folders["T:\\"] = {{"alpha", true}};
    source.stream = {{"T:\\note", "a library entry"}};
    EXPECT_EQ(Lookup("T:\\zzz"), 0);  // no entry contains zzz
    EXPECT_FALSE(list.pathMode());
    EXPECT_EQ(Texts(), Strings{"T:\\note"});
    EXPECT_EQ(Lookup("T:\\NoSuchFolder\\x"), 0);  // the folder cannot be listed
    EXPECT_EQ(dir.patterns.back(), "T:\\NoSuchFolder\\*.*");
    EXPECT_FALSE(list.pathMode());
    EXPECT_EQ(Lookup("T:/x"), 0);  // not a path
    EXPECT_EQ(dir.patterns.size(), 2u);
}

TEST_F(ListFixture, PageKeysInAPathListStayInsideIt) {
    for (int i = 0; i < 14; ++i)
        dir.folders["T:\\d\\"].push_back({"f" + std::to_string(10 + i), false});
    Words(30);
    ASSERT_EQ(Lookup("T:\\d\\"), 0);
    EXPECT_EQ(list.rows().size(), 14u);  // the whole list, scrolling
    EXPECT_EQ(list.OnSelectKey(SELECT_PAGEDOWN), 0);
    EXPECT_EQ(list.highlighted(), 13);
    EXPECT_EQ(list.OnSelectKey(SELECT_NEXT), 0);
    EXPECT_EQ(list.highlighted(), 13);
    EXPECT_EQ(list.OnSelectKey(SELECT_PAGEUP), 0);
    EXPECT_EQ(list.highlighted(), 0);
    EXPECT_EQ(list.OnSelectKey(7), 0);  // row 7 from the top of the list
    EXPECT_EQ(hook.replaceText, "f17");
    EXPECT_EQ(source.findNextCalls, 0);  // no library candidate entered the list
}

// The smart order: the ranked lookup, the typist's letter case, the space
// after, and the order of what was learned.
struct SmartFixture : ListFixture {
    SmartFixture() {
        source.stream = {{"Thackeray", ""}, {"the", ""}};  // the plain lookup's
        source.ranked = {{"the", "", Dictionary, 0.05},   {"that", "", Dictionary, 0.01},
                         {"this", "", Dictionary, 0.008}, {"thesis", "", Dictionary, 0.0001},
                         {"thx", "thanks", Shorthand},    {"iPhone", "", Dictionary}};
    }
    std::vector<std::string> Keys() const {
        std::vector<std::string> out;
        for (const auto& c : list.candidates()) out.push_back(c->keyString());
        return out;
    }
    Learner learner{CodePage1252()};
};

TEST_F(SmartFixture, CandidatesFollowTheTypistsLetterCaseAndMayAddASpace) {
    // Off, it is the plain lookup.
    ASSERT_EQ(Lookup("Th"), 0);
    EXPECT_EQ(Texts(), (Strings{"Thackeray", "the"}));
    EXPECT_EQ(source.rankedWord, "");
    EXPECT_EQ(hook.replaceMode, REPLACE_KEEP);

    list.SetSuggestions({true, false, false, false});
    ASSERT_EQ(Lookup("Th"), 0);
    EXPECT_EQ(source.rankedWord, "Th");
    EXPECT_EQ(Texts(), (Strings{"The", "That", "This", "Thesis", "thx", "iPhone"}));
    EXPECT_EQ(Handed(), Hand("The", REPLACE_KEEP));
    ASSERT_EQ(Lookup("TH"), 0);
    EXPECT_EQ(hook.replaceText, "THE");

    list.SetSuggestions({true, true, false, false});
    ASSERT_EQ(Lookup("th"), 0);
    EXPECT_EQ(Handed(), Hand("the", REPLACE_KEEP_SPACE));
    // A Shorthand expansion is typed as stored, with no space of its own.
    list.OnSelectKey(4);
    EXPECT_EQ(Handed(), Hand("thanks", REPLACE_WORD));
    list.OnSelectKey(5);
    EXPECT_EQ(hook.replaceText, "iPhone");
}

TEST_F(SmartFixture, WhatWasLearnedReordersThePageAndTheWordBeforeCounts) {
    std::int64_t now = 1000;
    list.SetLearner(&learner, [&] { return now; });
    list.SetSuggestions({true, false, true, false});
    ASSERT_EQ(Lookup("th"), 0);  // nothing learned: the ranked order
    EXPECT_EQ(Keys(), (Strings{"the", "that", "this", "thesis", "thx", "iPhone"}));
    for (int i = 0; i < 40; ++i) learner.Use("thesis", "", now);
    for (int i = 0; i < 30; ++i) {
        learner.Use("of", "", now);
        learner.Use("this", "of", now);
    }
    ASSERT_EQ(Lookup("th"), 0);
    EXPECT_EQ(Keys().front(), "thesis");
    hook.context = {"of"};
    ASSERT_EQ(Lookup("th"), 0);
    EXPECT_EQ(Keys().front(), "this");
    // A Shorthand key equal to the typed word stays in front.
    source.ranked.insert(source.ranked.begin(), {"th", "thanks", Shorthand});
    ASSERT_EQ(Lookup("th"), 0);
    EXPECT_EQ(Keys()[0], "th");
    EXPECT_EQ(Keys()[1], "this");
}

TEST_F(SmartFixture, AWordTypedTwiceThatNoLibraryHoldsIsOfferedAsLearned) {
    list.SetLearner(&learner, [] { return std::int64_t{1000}; });
    list.SetSuggestions({true, false, true, true});
    learner.Use("thingamajig", "", 1000);
    ASSERT_EQ(Lookup("thi"), 0);
    EXPECT_EQ(Keys(), (Strings{"the", "that", "this", "thesis", "thx", "iPhone"}));
    learner.Use("thingamajig", "", 1000);
    learner.Use("the", "", 1000);  // a library word: offered once, as the library's
    learner.Use("the", "", 1000);
    ASSERT_EQ(Lookup("thi"), 0);
    const auto keys = Keys();
    ASSERT_EQ(std::count(keys.begin(), keys.end(), "thingamajig"), 1);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "the"), 1);
    // One page: the row of each candidate is its place.
    const auto at = std::find(keys.begin(), keys.end(), "thingamajig") - keys.begin();
    list.OnSelectKey(static_cast<int>(at));
    EXPECT_EQ(list.rows()[static_cast<std::size_t>(at)].image, Learned - 1);
    EXPECT_EQ(view.tip, "Learned");
    EXPECT_EQ(hook.replaceText, "thingamajig");
    // Without learning new words, it is not offered.
    list.SetSuggestions({true, false, true, false});
    ASSERT_EQ(Lookup("thi"), 0);
    const auto without = Keys();
    EXPECT_EQ(std::count(without.begin(), without.end(), "thingamajig"), 0);
}

// A learned word a library holds far down its ranked order comes up where
// its use puts it, learning new words or not, and only there.
TEST_F(SmartFixture, ALearnedWordBeyondTheWindowIsOfferedOnceWhereItsUsePutsIt) {
    source.ranked.clear();
    for (int i = 0; i < 60; ++i)
        source.ranked.push_back({"th" + std::string(1, static_cast<char>('a' + i / 26)) +
                                     static_cast<char>('a' + i % 26),
                                 "", Dictionary, 0.001});
    source.ranked.push_back({"thumbtack", "", Dictionary, 0.0001});
    list.SetLearner(&learner, [] { return std::int64_t{1000}; });
    for (int i = 0; i < 5; ++i) learner.Use("thumbtack", "", 1000);
    for (const bool newWords : {false, true}) {
        list.SetSuggestions({true, false, true, newWords});
        ASSERT_EQ(Lookup("th"), 0);
        EXPECT_EQ(Texts().front(), "thumbtack");
        EXPECT_EQ(list.rows().front().image, Dictionary - 1);
        int seen = 0;
        do {
            for (const auto& row : list.rows()) seen += row.text == "thumbtack";
        } while (list.NextPage(list.m_nPageSize));
        EXPECT_EQ(seen, 1);
    }
}

}  // namespace
}  // namespace wl
