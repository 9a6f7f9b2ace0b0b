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
    std::int32_t encoding = EncodingCodePage;
};

// Serves the plain lookup from stream and the ranked one from ranked, and
// records the word the ranked one was asked for.  Looked up with the word
// in both encodings, it records both forms (nullptr as "<none>") and serves
// the candidates of an encoding only while its form is there.
class FakeSource : public CandidateSource {
  public:
    std::vector<Candidate> stream, ranked;
    std::string rankedWord;
    int findNextCalls = 0;
    std::string typedCodePage, typedUtf8;

    int FindFirst(const TypedWord& word, LibraryEntry& entry, int matchMode, int enableWord,
                  int enableShorthand) override {
        Take(word);
        return FindFirst(word.codePage ? word.codePage : "", entry, matchMode, enableWord,
                         enableShorthand);
    }
    int FindFirstRanked(const TypedWord& word, LibraryEntry& entry, int enableWord,
                        int enableShorthand) override {
        Take(word);
        return FindFirstRanked(word.codePage ? word.codePage : "", entry, enableWord,
                               enableShorthand);
    }

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
            if (ranked[i].type != Dictionary || CodePageForm(ranked[i]) != key ||
                taken.count(ranked[i].key) || !Served(ranked[i]))
                continue;
            taken.insert(ranked[i].key);
            return Deliver(entry, ranked, i);
        }
        return 0;
    }
    std::set<std::string> taken;

  private:
    std::size_t next = 0, nextRanked = 0;
    bool codePageOn = true, utf8On = true;
    void Take(const TypedWord& word) {
        typedCodePage = word.codePage ? word.codePage : "<none>";
        typedUtf8 = word.utf8 ? word.utf8 : "<none>";
        codePageOn = word.codePage != nullptr;
        utf8On = word.utf8 && *word.utf8;
    }
    // A Unicode library's key is found by its code-page form too.
    static std::string CodePageForm(const Candidate& c) {
        std::string form;
        if (c.encoding != EncodingUtf8) return c.key;
        return CodePage1252().FromUtf8(c.key, form) ? form : std::string();
    }
    bool Served(const Candidate& c) const {
        return c.encoding == EncodingUtf8 ? utf8On : codePageOn;
    }
    int Deliver(LibraryEntry& entry, const std::vector<Candidate>& from, std::size_t& at) {
        while (at < from.size() && !Served(from[at])) ++at;
        if (at >= from.size()) return 0;
        const Candidate& c = from[at++];
        entry.encoding = c.encoding;
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
    std::int32_t tipEncoding = -2;
    void RowsChanged() override {}
    void HighlightChanged(int) override {}
    void PlaceTip() override { ++placeTip; }
    void SetTipText(const std::string& text, int style, std::int32_t encoding) override {
        tip = text;
        tipStyle = style;
        tipEncoding = encoding;
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
    // "caf?" stands for a name the code page cannot hold: never offered.
    dir.folders["T:\\"] = {{"windows", false}, {"Zeta", true},   {"alpha.txt", false},
                           {"caf?", true},     {"Darwin", true}, {"beta", true}};
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
    // Ranked in context with the learner, its clock standing at 1000.
    void Learning(bool newWords) {
        list.SetLearner(&learner, [] { return std::int64_t{1000}; });
        list.SetSuggestions({true, false, true, newWords});
    }
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
    Learning(true);
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
    Learning(false);
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
    for (int i = 0; i < 5; ++i) learner.Use("thumbtack", "", 1000);
    for (const bool newWords : {false, true}) {
        Learning(newWords);
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

// Unicode libraries beside code-page ones: in UTF-8, é is "\xc3\xa9"; in
// the code page (1252 natively) it is "\xe9".
constexpr std::int32_t kCp = EncodingCodePage, kUtf8 = EncodingUtf8;

TEST_F(ListFixture, TheTypedWordGoesToEachEncodingInItsOwnForm) {
    struct Case {
        const char *codePage, *utf8;            // what the hook library offers
        const char *toCodePage, *toUtf8, *row;  // what the lookup gets, the first row
    };
    const Case cases[] = {
        {"caf", "caf", "caf", "caf", "caf\xe9"},
        // A hook library without the UTF-8 word: the Unicode libraries get none.
        {"caf", "", "caf", "", "caf\xe9"},
        // Greek on a Western system: the code page cannot hold it, so its
        // libraries offer nothing (an empty word would offer all of them).
        {"", "\xcf\x83\xce\xaf", "<none>", "\xcf\x83\xce\xaf", "\xcf\x83\xce\xaf\xcf\x83\xcf\x85"},
        {"a", "a\xcf\x83", "<none>", "a\xcf\x83", "\xcf\x83\xce\xaf\xcf\x83\xcf\x85"},
        // No code-page word, but the code page holds it: it stands in.
        {"", "caf\xc3\xa9", "caf\xe9", "caf\xc3\xa9", "caf\xe9"},
        // Not UTF-8 at all: taken for none.
        {"ab", "\xff\xfe", "ab", "", "caf\xe9"},
    };
    source.stream = {{"caf\xe9", "", Dictionary, 0, kCp},
                     {"\xcf\x83\xce\xaf\xcf\x83\xcf\x85", "", Dictionary, 0, kUtf8}};
    for (const Case& c : cases) {
        hook.inputUtf8 = c.utf8;
        ASSERT_EQ(Lookup(c.codePage), 0) << c.utf8;
        EXPECT_EQ(source.typedCodePage, c.toCodePage) << c.utf8;
        EXPECT_EQ(source.typedUtf8, c.toUtf8) << c.utf8;
        EXPECT_EQ(Texts().front(), c.row) << c.utf8;
    }
}

TEST_F(ListFixture, EachCandidateIsHandedAndShownInItsOwnEncoding) {
    const std::string arrow = "\xe2\x86\x92", coffee = "\xe2\x98\x95";
    source.stream = {
        {"caf\xe9", "caf\xe9", Dictionary, 0, kCp},
        {"caf\xc3\xa9", "a drink " + coffee, Dictionary, 0, kUtf8},
        {"cafa", arrow + " " + coffee, Shorthand, 0, kUtf8},
        {"cafb", "", Shorthand, 0, kUtf8},
        {"cafc", "plain", Shorthand, 0, kCp},
        {"cafd", "\xff", Shorthand, 0, kUtf8},  // damaged: never typed
        {"cafe", "x", Dictionary, 0, 1252},     // an encoding this program does not know
    };
    struct Row {
        std::string text;
        Hand handed;
        std::int32_t encoding;  // of the text handed and of the tip
        std::string tip;
    };
    const Row expected[] = {
        {"caf\xe9", {"caf\xe9", REPLACE_KEEP}, kCp, ""},
        {"caf\xc3\xa9", {"caf\xc3\xa9", REPLACE_KEEP}, kUtf8, "a drink " + coffee},
        {"cafa", {arrow + " " + coffee, REPLACE_WORD}, kUtf8, arrow + " " + coffee},
        {"cafb", {"cafb", REPLACE_WORD}, kUtf8, ""},
        {"cafc", {"plain", REPLACE_WORD}, kCp, "plain"},
        {"cafd", {"", REPLACE_COMPLETE}, kCp, "\xff"},
        {"cafe", {"", REPLACE_COMPLETE}, kCp, "\xff"},  // tip unchanged
    };
    hook.inputUtf8 = "caf";
    ASSERT_EQ(Lookup("caf"), 0);
    ASSERT_EQ(list.rows().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        list.OnSelectKey(static_cast<int>(i));
        const Row& row = expected[i];
        EXPECT_EQ(list.rows()[i].text, row.text) << i;
        EXPECT_EQ(list.rows()[i].encoding, source.stream[i].encoding) << i;
        EXPECT_EQ(Handed(), row.handed) << i;
        EXPECT_EQ(hook.replaceEncoding, row.encoding) << i;
        EXPECT_EQ(view.tip, row.tip) << i;
        if (i < 5) {
            EXPECT_EQ(view.tipEncoding, source.stream[i].encoding) << i;
        }
    }
    // No Unicode candidate ever went the code page's way.
    for (const std::string& text : hook.codePageTexts)
        EXPECT_TRUE(text.empty() || text == "caf\xe9" || text == "plain") << text;

    // A hook library that does not take UTF-8 is left with nothing to type,
    // not with the candidate highlighted before.
    hook.takesUtf8 = 0;
    list.OnSelectKey(4);
    list.OnSelectKey(2);
    EXPECT_EQ(Handed(), Hand("", REPLACE_COMPLETE));
}

TEST_F(SmartFixture, UnicodeCandidatesFollowTheTypistsCaseInTheirOwnScript) {
    // σίσυφος, ΣΊΣΥΦΟΣ; привет, ПРИВЕТ; and a Shorthand key equal to the word.
    const std::string sisyphus = "\xcf\x83\xce\xaf\xcf\x83\xcf\x85\xcf\x86\xce\xbf\xcf\x82";
    const std::string privet = "\xd0\xbf\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82";
    source.ranked = {{"\xcf\x83\xce\xaf", "\xe2\x9c\x93", Shorthand, 0, kUtf8},
                     {sisyphus, "", Dictionary, 0.01, kUtf8},
                     {privet, "", Dictionary, 0.01, kUtf8}};
    list.SetSuggestions({true, false, false, false});
    struct Case {
        std::string typed;
        int row;
        std::string shown;
    };
    const Case cases[] = {
        {"\xce\xa3\xce\xaf", 1, "\xce\xa3\xce\xaf\xcf\x83\xcf\x85\xcf\x86\xce\xbf\xcf\x82"},
        {"\xce\xa3\xce\x8a", 1, "\xce\xa3\xce\x8a\xce\xa3\xce\xa5\xce\xa6\xce\x9f\xce\xa3"},
        {"\xd0\x9f\xd1\x80", 2, "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82"},
        {"\xd0\x9f\xd0\xa0", 2, "\xd0\x9f\xd0\xa0\xd0\x98\xd0\x92\xd0\x95\xd0\xa2"},
        {"\xd0\xbf\xd1\x80", 2, privet},
    };
    for (const Case& c : cases) {
        hook.inputUtf8 = c.typed;
        ASSERT_EQ(Lookup(""), 0) << c.typed;
        EXPECT_EQ(source.typedUtf8, c.typed);
        EXPECT_EQ(Texts()[static_cast<std::size_t>(c.row)], c.shown) << c.typed;
        list.OnSelectKey(c.row);
        EXPECT_EQ(Handed(), Hand(c.shown, REPLACE_KEEP)) << c.typed;
        EXPECT_EQ(hook.replaceEncoding, kUtf8);
    }
    EXPECT_TRUE(hook.codePageTexts.empty());

    // In context, the Shorthand key equal to the word (case ignored, as
    // Unicode cases it) stays in front, and what was learned in the code
    // page is not offered for a Greek word.
    Learning(true);
    for (int i = 0; i < 3; ++i) learner.Use("thingamajig", "", 1000);
    hook.inputUtf8 = "\xce\xa3\xce\x8a";
    ASSERT_EQ(Lookup(""), 0);
    EXPECT_EQ(Keys(), (Strings{"\xcf\x83\xce\xaf", sisyphus, privet}));
    EXPECT_EQ(Handed(), Hand("\xe2\x9c\x93", REPLACE_WORD));
}

TEST_F(SmartFixture, AUnicodeWordIsRankedByWhatWasLearnedOfItsCodePageForm) {
    source.ranked = {{"caf\xe9teria", "", Dictionary, 0.02, kCp},
                     {"caf\xc3\xa9", "", Dictionary, 0.001, kUtf8}};
    Learning(true);
    hook.inputUtf8 = "caf";
    ASSERT_EQ(Lookup("caf"), 0);
    EXPECT_EQ(Keys(), (Strings{"caf\xe9teria", "caf\xc3\xa9"}));
    for (int i = 0; i < 40; ++i) learner.Use("caf\xe9", "", 1000);
    ASSERT_EQ(Lookup("caf"), 0);
    // Once, as the library's: not offered again as a learned word.
    EXPECT_EQ(Keys(), (Strings{"caf\xc3\xa9", "caf\xe9teria"}));
    EXPECT_EQ(list.candidates().front()->encoding, kUtf8);
}

}  // namespace
}  // namespace wl
