// UTF-8 libraries: keys of any script kept byte for byte, matched with full
// case folding; malformed UTF-8 refused and passed over; code-page and UTF-8
// libraries side by side in one list.
#include <gtest/gtest.h>

#include "store/ContextWriter.h"
#include "store/LibraryContextModel.h"
#include "tests/native/store/StoreTestSupport.h"

namespace wl::test {
namespace {

const LibraryInfo kUtf8{.encoding = EncodingUtf8};

class UnicodeLibraryTest : public SetTest {
  protected:
    static std::string Shown(const LibraryEntry& e) {
        return std::string(e.keyBytes()) + (e.encoding == EncodingUtf8 ? "@u" : "@c");
    }
    // The candidates of either lookup as "key@u" (UTF-8) or "key@c".
    Keys Merged(const TypedWord& word) {
        Keys out;
        LibraryEntry e;
        for (int ok = set.FindFirst(word, e, MATCH_PREFIX, 1, 1); ok; ok = set.FindNext(e))
            out.push_back(Shown(e));
        return out;
    }
    Keys Ranked(const TypedWord& word) {
        Keys out;
        LibraryEntry e;
        for (int ok = set.FindFirstRanked(word, e, 1, 1); ok; ok = set.FindNextRanked(e))
            out.push_back(Shown(e));
        return out;
    }
};

TEST_F(UnicodeLibraryTest, KeysOfEveryScriptRoundTripAndMatchFolded) {
    const Pairs entries = {
        {"\u03C3\u03AF\u03C3\u03C5\u03C6\u03BF\u03C2", "Sisyphus"},                  // Greek
        {"\u0141\u00F3d\u017A", "\u0141\u00F3d\u017A, Polska"},                      // Polish
        {"\u041C\u043E\u0441\u043A\u0432\u0430", "\u0433\u043E\u0440\u043E\u0434"},  // Cyrillic
        {"\u6771\u4EAC", "\u65E5\u672C\u306E\u9996\u90FD"},                          // CJK
        {"\U0001F600", "grinning \U0001F600"},                                       // emoji
        {"Stra\u00DFe", "street"},
        {"x\uFB01", "a ligature"},
    };
    Make("u.lib", entries, kUtf8);
    Opened lib(dir / "u.lib", CodePage1252());
    EXPECT_EQ(&lib.codePage(), &Utf8Page());
    for (const auto& [key, text] : entries) {
        Entry got("");
        ASSERT_EQ(lib.Get(key.data(), static_cast<std::uint32_t>(key.size()), got), 1) << key;
        EXPECT_EQ(got.textBytes(), text);
        EXPECT_EQ(got.encoding, EncodingUtf8);
    }
    // The walk: byte positioning, folded containment and filter.
    const struct {
        const char* word;
        int mode;
        Keys keys;
    } walks[] = {
        {"\u0141\u00D3", MATCH_PREFIX, {"\u0141\u00F3d\u017A"}},
        {"STRA", MATCH_PREFIX, {"Stra\u00DFe"}},
        {"strass", MATCH_PREFIX, {}},  // "Stra\u00DFe" lies below the word's bytes
        // The filter takes the folded key's length ("xfi": 3, stored: 4).
        {"XFI", MATCH_SUFFIX, {"x\uFB01"}},
    };
    for (const auto& w : walks) EXPECT_EQ(Walk(lib, w.word, w.mode), w.keys) << w.word;
    LibraryEntry e;
    EXPECT_EQ(lib.SearchExact("STRASSE", e, MATCH_PREFIX), 1);
    EXPECT_EQ(e.keyBytes(), "Stra\u00DFe");
}

TEST_F(UnicodeLibraryTest, RankedMatchingFoldsFullyWithTheNeutralFold) {
    Make("u.lib",
         NoTexts({"\u03C3\u03AF\u03C3\u03C5\u03C6\u03BF\u03C2",
                  "\u03C3\u03B9\u03C4\u03AC\u03C1\u03B9", "Stra\u00DFe", "strasse", "Strand",
                  "i\u0307stanbul", "istanbul", "caf\u00E9", "cafe\u0301s"}),
         kUtf8, {{"strasse", 5}});
    ASSERT_EQ(Load(), 1);
    const struct {
        const char* word;
        Keys keys;
    } rows[] = {
        {"\u03A3\u038A\u03A3", {"\u03C3\u03AF\u03C3\u03C5\u03C6\u03BF\u03C2@u"}},
        {"stras", {"strasse@u", "Stra\u00DFe@u"}},  // the weighted one first
        {"STRASSE", {"strasse@u", "Stra\u00DFe@u"}},
        {"\u0130s", {"i\u0307stanbul@u"}},  // the dotted I is i and a dot
        {"IS", {"istanbul@u"}},
        {"CAF\u00C9", {"caf\u00E9@u", "cafe\u0301s@u"}},  // composed and decomposed alike
    };
    for (const auto& row : rows) EXPECT_EQ(Ranked({"", row.word}), row.keys) << row.word;
}

TEST_F(UnicodeLibraryTest, MalformedUtf8IsRefusedOnWriteAndPassedOverOnRead) {
    Make("u.lib", {{"good", "\u00E9"}, {"gp", "x"}}, kUtf8);
    const std::string path = dir / "u.lib";
    {
        Opened lib(path, CodePage1252());
        EXPECT_EQ(lib.Put(Entry("g\xC3", "text")), 0);  // cut short
        EXPECT_EQ(lib.Put(Entry("gz", "\xFF")), 0);
        EXPECT_EQ(lib.Put(Entry("g\xC0\xAF", "")), 0);  // overlong
        // A surrogate: refused before the old entry goes.
        EXPECT_EQ(lib.Replace(Entry("gp"), Entry("gq", "\xED\xA0\x80")), 0);
    }
    // Written by something else: a bad key and a bad text.
    ASSERT_TRUE(RawPut(path, "DBDATA", "go\xFF", "text"));
    ASSERT_TRUE(RawPut(path, "DBDATA", "gone", "\xC3"));
    ASSERT_EQ(Load(), 1);
    Opened lib(path, CodePage1252());
    EXPECT_EQ(Walk(lib, "g", MATCH_PREFIX), (Keys{"good", "gp"}));
    EXPECT_EQ(lib.SkippedInvalid(), 2);
    Keys walked;
    lib.ForEachKey([&](const Library::KeyInfo& info) {
        walked.emplace_back(info.key, info.length);
        return true;
    });
    EXPECT_EQ(walked, (Keys{"good", "gp"}));
    Entry got("");
    EXPECT_EQ(lib.Get("gone", 4, got), 0);
    EXPECT_EQ(Ranked({"", "g"}), (Keys{"good@u", "gp@u"}));
    EXPECT_EQ(Merged({"", "g"}), (Keys{"good@u", "gp@u"}));
    // The same bytes in a code-page library are its characters.
    Make("c.lib", {{"go\xFF", ""}});
    Opened cp(dir / "c.lib", CodePage1252());
    EXPECT_EQ(Walk(cp, "go", MATCH_PREFIX), (Keys{"go\xFF"}));
    EXPECT_EQ(cp.SkippedInvalid(), 0);
}

TEST_F(UnicodeLibraryTest, BothEncodingsMergeInOneListByTheirFolds) {
    Make("c.lib", {{"strand", "c"}, {"cafe", "from c"}, {"stream", ""}});
    Make("u.lib",
         {{"Stra\u00DFe", ""},
          {"stra\u00DFen", ""},
          {"strasse", ""},
          {"cafe", "from u"},
          {"caf\u00E9", ""}},
         kUtf8, {{"stra\u00DFen", 9}});
    ASSERT_EQ(Load(), 1);
    EXPECT_TRUE(set.HasUnicode());
    // Each library with the word of its encoding; folded order.
    EXPECT_EQ(Merged({"stra", "stra"}), (Keys{"strand@c", "strasse@u", "stra\u00DFen@u"}));
    EXPECT_EQ(Ranked({"stra", "stra"}),
              (Keys{"stra\u00DFen@u", "strand@c", "Stra\u00DFe@u", "strasse@u"}));
    // A word one encoding lacks: that side offers nothing.
    EXPECT_EQ(Merged({nullptr, "stra"}), (Keys{"strasse@u", "stra\u00DFen@u"}));
    EXPECT_EQ(Ranked({"stra", nullptr}), (Keys{"strand@c"}));
    EXPECT_EQ(Ranked({"stra", ""}), (Keys{"strand@c"}));
    // One key in both: the plain lookup gives both, the ranked one once,
    // with the later library's text.
    EXPECT_EQ(Merged({"caf", "caf"}), (Keys{"cafe@u", "cafe@c", "caf\u00E9@u"}));
    LibraryEntry e;
    ASSERT_EQ(set.FindFirstRanked(TypedWord{"caf", "caf"}, e, 1, 1), 1);
    EXPECT_EQ(Shown(e) + "=" + e.textString(), "cafe@u=from u");
    ASSERT_EQ(set.FindNextRanked(e), 1);
    EXPECT_EQ(Shown(e), "caf\u00E9@u");
    EXPECT_EQ(set.FindNextRanked(e), 0);
    // The code-page forms reach the UTF-8 library as well.
    EXPECT_EQ(Lookup(set, "stra"), (Keys{"strand", "strasse", "stra\u00DFen"}));
    ASSERT_EQ(set.FindFirstRanked(TypedWord{"x", "x"}, e, 1, 1), 0);
    ASSERT_EQ(set.FindRankedKey("CAFE", e), 1);
    EXPECT_EQ(Shown(e) + "=" + e.textString(), "cafe@u=from u");
}

// The context data's words are folded as the library's keys are, so that a
// model written in capitals finds the library's words.
TEST_F(UnicodeLibraryTest, ContextDataOfAUtf8LibraryHoldsFoldedWords) {
    Make("u.lib", NoTexts({"\u03A3\u03AF\u03C3\u03C5\u03C6\u03BF\u03C2", "Stra\u00DFe", "rock"}),
         kUtf8);
    const std::string path = dir / "u.lib";
    WriteBytes(dir / "m.arpa",
               "\\data\\\nngram 1=3\nngram 2=2\n\n\\1-grams:\n"
               "-1\t\u03A3\u038A\u03A3\u03A5\u03A6\u039F\u03A3\t-0.2\n-1\tSTRASSE\n-1\trock\n\n"
               "\\2-grams:\n-0.5\t\u03A3\u038A\u03A3\u03A5\u03A6\u039F\u03A3\trock\n"
               "-0.7\t\u03A3\u038A\u03A3\u03A5\u03A6\u039F\u03A3\tSTRASSE\n\n\\end\\\n");
    {
        Opened lib(path, CodePage1252());
        const ContextWriteResult written = WriteContextData(lib, dir / "m.arpa", 0);
        ASSERT_TRUE(written.ok) << written.error;
    }
    LibraryContextModel model;
    ASSERT_TRUE(model.Open(path));
    const ContextModel::WordId sisyphus =
        model.Id(Utf8Page().Fold("\u03A3\u03AF\u03C3\u03C5\u03C6\u03BF\u03C2"));
    const ContextModel::WordId rock = model.Id("rock"), street = model.Id("strasse");
    ASSERT_NE(sisyphus, ContextModel::kNoWord);
    ASSERT_NE(street, ContextModel::kNoWord);
    std::vector<ContextModel::Entry> after;
    float backoff = 0;
    ASSERT_TRUE(model.Lookup(&sisyphus, 1, after, backoff));
    ASSERT_EQ(after.size(), 2u);
    EXPECT_TRUE((after[0].word == rock && after[1].word == street) ||
                (after[0].word == street && after[1].word == rock));
}

TEST_F(UnicodeLibraryTest, ALibraryOfAnUnknownEncodingOffersNothing) {
    Make("c.lib", {{"apple", ""}});
    Make("x.lib", {{"apricot", ""}}, kUtf8);
    ASSERT_TRUE(RawPut(dir / "x.lib", "DBINFO", std::string("DBENCODING", 11),
                       std::string("\x01\0\0\0", 4)));
    ASSERT_EQ(Load(), 1);
    EXPECT_FALSE(set.HasUnicode());
    EXPECT_EQ(Merged({"ap", "ap"}), (Keys{"apple@c"}));
    EXPECT_EQ(Ranked({"ap", "ap"}), (Keys{"apple@c"}));
}

}  // namespace
}  // namespace wl::test
