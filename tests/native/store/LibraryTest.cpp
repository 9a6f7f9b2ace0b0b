// Library: the file, its info, its entries and the cursor walk.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/CodePage.h"
#include "store/Scramble.h"
#include "tests/native/store/StoreTestSupport.h"

namespace wl::test {
namespace {

using Records = std::map<std::string, std::string>;

// An info record's stored key: the name with its terminator.
std::string Info(const char* name) {
    return std::string(name, std::strlen(name) + 1);
}

std::string Scrambled(std::string s) {
    Scramble(s.data(), s.size());
    return s;
}

TEST(ScrambleTest, EveryByteComesBackAndTheMappingIsFixed) {
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(UnscrambleByte(ScrambleByte(static_cast<std::uint8_t>(b))), b);
    // x = b ^ 0x6D rotated left by 5: 'a' (0x61) -> 0x0C -> 0x81.
    EXPECT_EQ(ScrambleByte('a'), 0x81);
    EXPECT_EQ(ScrambleByte('m'), 0x00);  // the byte that becomes a NUL
}

class LibraryTest : public ::testing::Test {
  protected:
    TempDir dir;
    Library lib{SystemCodePage()};
    std::string Path(const std::string& name = "test.lib") { return dir / name; }
    // Makes the library with the info and the entries and opens it.
    void Make(const Pairs& entries, const LibraryInfo& info = {},
              const std::string& name = "test.lib") {
        MakeLibrary(Path(name), entries, info);
        ASSERT_EQ(lib.Open(Path(name).c_str()), 1);
    }
};

TEST_F(LibraryTest, AMissingPathBecomesAnEmptyLibraryAndAClosedOneRefusesAll) {
    std::string path = Path("English.lib");
    ASSERT_EQ(lib.Open(path.c_str()), 1);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_STREQ(lib.GetCaption(), "English.lib");
    EXPECT_EQ(lib.Put(Entry("")), 0);  // no empty key
    EXPECT_EQ(lib.Put(LibraryEntry()), 0);
    EXPECT_EQ(lib.Count(), 0);
    LibraryEntry e;
    EXPECT_EQ(lib.Search("", e, MATCH_PREFIX), 0);

    lib.Close();
    EXPECT_EQ(lib.IsOpen(), 0);
    EXPECT_STREQ(lib.GetCaption(), "UNKNOWN LIBRARY");
    EXPECT_STREQ(lib.GetPath(), "");
    EXPECT_EQ(lib.Put(Entry("a")), 0);
    EXPECT_EQ(lib.Count(), 0);
    EXPECT_EQ(lib.ReadInfo(), 0);
    EXPECT_EQ(lib.WriteInfo(), 0);
}

TEST_F(LibraryTest, InfoIsWrittenAsFiveRecords) {
    MakeLibrary(Path(), {},
                {.type = Shorthand,
                 .caption = "Mail phrases",
                 .editable = 0,
                 .description = "Line one\r\nline two",
                 .scrambled = 1});
    // Numbers as four bytes, texts without a terminator.
    EXPECT_EQ(RawRecords(Path(), "DBINFO"),
              (Records{{Info("DBTYPE"), std::string("\x02\0\0\0", 4)},
                       {Info("DBEDIT"), std::string(4, '\0')},
                       {Info("DBEncrypt"), std::string("\x01\0\0\0", 4)},
                       {Info("DBCAPTION"), "Mail phrases"},
                       {Info("DBDESCRIPTION"), "Line one\r\nline two"}}));
}

TEST_F(LibraryTest, StoredInfoOfOddShapesIsReadWithinItsBounds) {
    Make({});
    lib.Close();
    ASSERT_TRUE(RawPut(Path(), "DBINFO", Info("DBTYPE"), std::string("\x02", 1)));
    ASSERT_TRUE(RawPut(Path(), "DBINFO", Info("DBEDIT"), std::string(64, '\0')));
    ASSERT_TRUE(RawPut(Path(), "DBINFO", Info("DBCAPTION"), std::string("Cap\0tail", 8)));
    ASSERT_EQ(lib.Open(Path().c_str()), 1);
    EXPECT_EQ(lib.GetType(), Shorthand);
    EXPECT_EQ(lib.GetEditable(), 0);
    EXPECT_STREQ(lib.GetCaption(), "Cap");  // up to the first NUL
}

TEST_F(LibraryTest, TheEncodingRecordIsWrittenForUtf8AloneAndAnUnknownOneIsReadOnly) {
    Make({{"cafe", ""}});
    EXPECT_EQ(lib.GetEncoding(), EncodingCodePage);
    lib.SetEncoding(1234);  // not an encoding: ignored
    ASSERT_EQ(lib.WriteInfo(), 1);
    EXPECT_EQ(RawRecords(Path(), "DBINFO").count(Info("DBENCODING")), 0u);

    lib.SetEncoding(EncodingUtf8);
    ASSERT_EQ(lib.WriteInfo(), 1);
    EXPECT_EQ(RawRecords(Path(), "DBINFO").at(Info("DBENCODING")),
              std::string("\xE9\xFD\0\0", 4));  // 65001
    lib.Close();
    ASSERT_EQ(lib.Open(Path().c_str()), 1);
    EXPECT_EQ(lib.GetEncoding(), EncodingUtf8);
    LibraryEntry e;
    ASSERT_EQ(lib.Search("caf", e, MATCH_PREFIX), 1);
    EXPECT_EQ(e.encoding, EncodingUtf8);
    lib.SetEncoding(EncodingCodePage);  // back: the record goes
    ASSERT_EQ(lib.WriteInfo(), 1);
    EXPECT_EQ(RawRecords(Path(), "DBINFO").count(Info("DBENCODING")), 0u);
    lib.Close();

    // Another value, or the right one in another length: opened, never
    // written, never read as text.
    const std::string odd[] = {std::string("\x01\0\0\0", 4), std::string("\xE9\xFD", 2)};
    for (const std::string& stored : odd) {
        ASSERT_TRUE(RawPut(Path(), "DBINFO", Info("DBENCODING"), stored));
        ASSERT_EQ(lib.Open(Path().c_str()), 1);
        EXPECT_TRUE(lib.IsReadOnly());
        EXPECT_EQ(lib.Search("caf", e, MATCH_PREFIX), 0);
        EXPECT_EQ(lib.ForEachKey([](const Library::KeyInfo&) { return true; }), 0);
        EXPECT_EQ(lib.Put(Entry("new")), 0);
        EXPECT_EQ(lib.Delete(Entry("cafe")), 0);
        EXPECT_EQ(lib.WriteInfo(), 0);
        lib.SetEncoding(EncodingUtf8);  // cannot be mended by the reader
        EXPECT_TRUE(lib.IsReadOnly());
        EXPECT_EQ(lib.Count(), 1);
        lib.Close();
    }
}

// (Replacing texts, renames and what needs a stored key: the editor, weight
// and import tests.)
TEST_F(LibraryTest, ReplacingAnEntryWithItselfRewritesItsText) {
    for (int scrambled : {0, 1}) {
        SCOPED_TRACE(scrambled);
        Make({{"brb", "be right back"}}, {.type = Shorthand, .scrambled = scrambled},
             std::to_string(scrambled) + ".lib");
        Entry e("brb", "be back soon");
        ASSERT_EQ(lib.Replace(e, e), 1);
        EXPECT_EQ(e.keyBytes(), "brb");  // the caller's entry stays plain
        EXPECT_EQ(TextOf(lib, "brb"), "be back soon");
        EXPECT_EQ(lib.Count(), 1);
    }
}

// A walk starts at the typed bytes, goes in byte order and ends at the first
// key without the word (containment ignores case); the first occurrence of
// the word judges the match mode, whose first known bit decides.
TEST_F(LibraryTest, AWalkVisitsTheKeysItsModeAcceptsUntilOneLacksTheWord) {
    Make(NoTexts({"abab", "abc", "xab", "xabx"}));
    EXPECT_EQ(Walk(lib, "ab", MATCH_ANY), (Keys{"abab", "abc", "xab", "xabx"}));
    EXPECT_EQ(Walk(lib, "ab", MATCH_PREFIX), (Keys{"abab", "abc"}));
    EXPECT_EQ(Walk(lib, "ab", MATCH_INSIDE), (Keys{"xabx"}));
    EXPECT_EQ(Walk(lib, "ab", MATCH_SUFFIX), (Keys{"xab"}));  // never abab
    EXPECT_EQ(Walk(lib, "ab", 8), Keys{});                    // no known bit
    EXPECT_EQ(Walk(lib, "ab", MATCH_INSIDE | MATCH_SUFFIX), (Keys{"xabx"}));
    EXPECT_EQ(Walk(lib, "ab", MATCH_PREFIX | MATCH_SUFFIX), (Keys{"abab", "abc"}));

    Make(NoTexts({"apple", "apply", "apt", "aqua", "bapp"}), {}, "b.lib");
    EXPECT_EQ(Walk(lib, "app", MATCH_ANY), (Keys{"apple", "apply"}));  // bapp is never reached
    Make(NoTexts({"abd", "abzabc"}), {}, "c.lib");
    EXPECT_EQ(Walk(lib, "abc", MATCH_ANY), Keys{});
    EXPECT_EQ(Walk(lib, "abc", MATCH_SUFFIX), Keys{});

    // "APPLY" and "Apple" sort before "app" and are never visited.
    Make(NoTexts({"Apple", "app", "apple", "APPLY", "application", "appz", "banana"}), {}, "d.lib");
    EXPECT_EQ(Walk(lib, "app", MATCH_PREFIX), (Keys{"app", "apple", "application", "appz"}));
    EXPECT_EQ(Walk(lib, "APP", MATCH_PREFIX),
              (Keys{"APPLY", "Apple", "app", "apple", "application", "appz"}));
}

TEST_F(LibraryTest, SearchExactNeedsTheFirstMatchToBeTheWord) {
    Make({{"hello", "greeting"}, {"help", "aid"}, {"hz", ""}, {"world", ""}});
    LibraryEntry e;
    ASSERT_EQ(lib.SearchExact("Hello", e, MATCH_PREFIX), 1);  // nothing between Hello and hello
    EXPECT_EQ(e.keyBytes(), "hello");
    EXPECT_EQ(e.textBytes(), "greeting");
    // A key that is the word: it and the keys beginning with it.
    ASSERT_EQ(lib.Next(e), 0);

    // Not the word: the entry keeps the match and Next goes on with every
    // following key.
    auto rest = [&] {
        Keys keys;
        while (lib.Next(e)) keys.emplace_back(e.keyBytes());
        return keys;
    };
    EXPECT_EQ(lib.SearchExact("hel", e, MATCH_PREFIX), 0);
    EXPECT_EQ(e.keyBytes(), "hello");
    EXPECT_EQ(rest(), (Keys{"help", "hz", "world"}));

    // The walk found nothing (it stopped at hz): the entry is empty and the
    // listing goes on after the key where the walk stopped.
    EXPECT_EQ(lib.SearchExact("hex", e, MATCH_PREFIX), 0);
    EXPECT_EQ(e.key(), nullptr);
    EXPECT_EQ(rest(), Keys{"world"});
}

TEST_F(LibraryTest, AWalkThatRanOffTheEndStaysThere) {
    Make({{"alpha", ""}, {"beta", ""}});
    LibraryEntry e;
    // Past the last key: nothing now and nothing later, although the cursor
    // was never placed (Berkeley DB would start it again at the first key).
    EXPECT_EQ(lib.Search("zzz", e, MATCH_PREFIX), 0);
    EXPECT_EQ(lib.Next(e), 0);
    EXPECT_EQ(lib.SearchExact("zzz", e, MATCH_PREFIX), 0);
    EXPECT_EQ(lib.Next(e), 0);
    ASSERT_EQ(lib.Search("", e, MATCH_PREFIX), 1);
    ASSERT_EQ(lib.Next(e), 1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(lib.Next(e), 0);
    EXPECT_EQ(e.key(), nullptr);
    EXPECT_EQ(lib.Search("beta", e, MATCH_PREFIX), 1);  // a new search starts afresh
}

TEST_F(LibraryTest, ScrambledLibrariesStoreScrambledBytesAndSearchPlainWords) {
    MakeLibrary(Path(), {{"brb", "be right back"}, {"btw", "by the way"}, {"ty", "thank you"}},
                {.type = Shorthand, .scrambled = 1});
    EXPECT_EQ(RawRecords(Path(), "DBDATA"), (Records{{Scrambled("brb"), Scrambled("be right back")},
                                                     {Scrambled("btw"), Scrambled("by the way")},
                                                     {Scrambled("ty"), Scrambled("thank you")}}));

    ASSERT_EQ(lib.Open(Path().c_str()), 1);
    Keys found = Walk(lib, "b", MATCH_PREFIX);  // in the order of the scrambled bytes
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (Keys{"brb", "btw"}));
    EXPECT_EQ(TextOf(lib, "ty"), "thank you");
    EXPECT_EQ(lib.Delete(Entry("ty")), 1);
    EXPECT_EQ(TextOf(lib, "ty"), "<none>");
    EXPECT_EQ(lib.Count(), 2);

    // "m" scrambles to a zero byte: judged as C strings, "ma" would be the
    // empty word and every key would match.  "g" scrambles to "A" and "f" to
    // "a": folding the scrambled bytes would offer "fir" for "g".
    ASSERT_EQ(ScrambleByte('g'), 'A');
    ASSERT_EQ(ScrambleByte('f'), 'a');
    Make(NoTexts({"mama", "map", "milk", "zebra", "am", "grape", "fir"}), {.scrambled = 1},
         "m.lib");
    found = Walk(lib, "ma", MATCH_PREFIX);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (Keys{"mama", "map"}));
    EXPECT_EQ(Walk(lib, "g", MATCH_PREFIX), (Keys{"grape"}));
    LibraryEntry e;
    ASSERT_EQ(lib.SearchExact("milk", e, MATCH_PREFIX), 1);
    EXPECT_EQ(e.keyBytes(), "milk");
    EXPECT_EQ(lib.Replace(Entry("am"), Entry("am", "x")), 1);
    EXPECT_EQ(TextOf(lib, "am"), "x");
}

TEST_F(LibraryTest, AReusedObjectStartsEachFileFromTheDefaults) {
    Make({{"x", "y"}}, {.type = Shorthand, .caption = "S", .scrambled = 1});
    ASSERT_EQ(lib.GetScrambled(), 1);
    ASSERT_EQ(lib.Open(Path("fresh.lib").c_str()), 1);
    EXPECT_EQ(lib.GetScrambled(), 0);
    EXPECT_EQ(lib.GetType(), Dictionary);
    ASSERT_EQ(lib.Put(Entry("plain", "text")), 1);
    lib.Close();
    EXPECT_EQ(RawRecords(Path("fresh.lib"), "DBDATA"), (Records{{"plain", "text"}}));
}

TEST_F(LibraryTest, KeysWithZeroBytesAreJudgedUpToTheirFirstNul) {
    Make({{std::string("ab\0cd", 5), "t"}});
    LibraryEntry e;
    ASSERT_EQ(lib.Search("ab", e, MATCH_PREFIX), 1);
    EXPECT_EQ(e.keyBytes(), std::string("ab\0cd", 5));  // delivered whole
    EXPECT_EQ(e.keyLength(), 5u);
    EXPECT_EQ(lib.Search("cd", e, MATCH_ANY), 0);
    EXPECT_EQ(lib.Search("ab", e, MATCH_SUFFIX), 0);  // the stored length counts
}

}  // namespace
}  // namespace wl::test
