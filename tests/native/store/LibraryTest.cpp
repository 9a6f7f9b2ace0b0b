// Library: the file, its info, its entries and the cursor walk.
#include <db.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "platform/CodePage.h"
#include "store/Scramble.h"
#include "tests/native/store/StoreTestSupport.h"

namespace wl::test {
namespace {

// Reads one record of a named database of a closed file, as stored.
bool RawGet(const std::string& path, const char* database, const std::string& key,
            std::string& value) {
    DB* db = nullptr;
    if (db_create(&db, nullptr, 0) != 0) return false;
    db->set_errcall(db, [](const DB_ENV*, const char*, const char*) {});
    bool ok = false;
    if (db->open(db, nullptr, path.c_str(), database, DB_BTREE, DB_RDONLY, 0) == 0) {
        DBT k{}, v{};
        k.data = const_cast<char*>(key.data());
        k.size = static_cast<u_int32_t>(key.size());
        if (db->get(db, nullptr, &k, &v, 0) == 0) {
            value.assign(static_cast<const char*>(v.data), v.size);
            ok = true;
        }
    }
    db->close(db, 0);
    return ok;
}

bool RawPut(const std::string& path, const char* database, const std::string& key,
            const std::string& value) {
    DB* db = nullptr;
    if (db_create(&db, nullptr, 0) != 0) return false;
    bool ok = db->open(db, nullptr, path.c_str(), database, DB_BTREE, DB_CREATE, 0664) == 0;
    if (ok) {
        DBT k{}, v{};
        k.data = const_cast<char*>(key.data());
        k.size = static_cast<u_int32_t>(key.size());
        v.data = const_cast<char*>(value.data());
        v.size = static_cast<u_int32_t>(value.size());
        ok = db->put(db, nullptr, &k, &v, 0) == 0;
    }
    db->close(db, 0);
    return ok;
}

std::string Info(const char* name) {
    return std::string(name, std::strlen(name) + 1);
}

TEST(ScrambleTest, EveryByteComesBackAndTheMappingIsOneToOne) {
    std::set<int> images;
    for (int b = 0; b < 256; ++b) {
        auto s = ScrambleByte(static_cast<std::uint8_t>(b));
        EXPECT_EQ(UnscrambleByte(s), b);
        images.insert(s);
    }
    EXPECT_EQ(images.size(), 256u);
    // x = b ^ 0x6D rotated left by 5: 'a' (0x61) -> 0x0C -> 0x81.
    EXPECT_EQ(ScrambleByte('a'), 0x81);
    EXPECT_EQ(ScrambleByte('m'), 0x00);  // the byte that becomes a NUL
    std::string text("m\0x", 3);
    Scramble(text.data(), text.size());
    Unscramble(text.data(), text.size());
    EXPECT_EQ(text, std::string("m\0x", 3));
}

class LibraryTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string Path(const std::string& name = "test.lib") { return dir / name; }
};

TEST_F(LibraryTest, OpeningAMissingPathCreatesAnEmptyLibraryWithDefaults) {
    Library lib{SystemCodePage()};
    std::string path = Path("English.lib");
    ASSERT_EQ(lib.Open(path.c_str()), 1);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(lib.IsOpen(), 1);
    EXPECT_EQ(lib.GetType(), Dictionary);
    EXPECT_EQ(lib.GetEditable(), 1);
    EXPECT_EQ(lib.GetScrambled(), 0);
    EXPECT_STREQ(lib.GetCaption(), "English.lib");
    EXPECT_STREQ(lib.GetDescription(), "");
    EXPECT_EQ(lib.GetPath(), path);
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

TEST_F(LibraryTest, InfoIsWrittenAndReadAsFiveRecords) {
    {
        Library lib{SystemCodePage()};
        ASSERT_EQ(lib.Open(Path().c_str()), 1);
        lib.SetType(Shorthand);
        lib.SetEditable(0);
        lib.SetScrambled(1);
        lib.SetCaption("Mail phrases", -1);
        lib.SetDescription("Line one\r\nline two", -1);
        ASSERT_EQ(lib.WriteInfo(), 1);
    }
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(Path().c_str()), 1);
    EXPECT_EQ(lib.GetType(), Shorthand);
    EXPECT_EQ(lib.GetEditable(), 0);
    EXPECT_EQ(lib.GetScrambled(), 1);
    EXPECT_STREQ(lib.GetCaption(), "Mail phrases");
    EXPECT_STREQ(lib.GetDescription(), "Line one\r\nline two");
    lib.Close();

    std::string value;
    ASSERT_TRUE(RawGet(Path(), "DBINFO", Info("DBTYPE"), value));
    EXPECT_EQ(value, std::string("\x02\0\0\0", 4));
    ASSERT_TRUE(RawGet(Path(), "DBINFO", Info("DBEncrypt"), value));
    EXPECT_EQ(value, std::string("\x01\0\0\0", 4));
    ASSERT_TRUE(RawGet(Path(), "DBINFO", Info("DBCAPTION"), value));
    EXPECT_EQ(value, "Mail phrases");  // no terminator stored
}

TEST_F(LibraryTest, StoredInfoOfOddShapesIsReadWithinItsBounds) {
    {
        Library lib{SystemCodePage()};
        ASSERT_EQ(lib.Open(Path().c_str()), 1);
    }
    ASSERT_TRUE(RawPut(Path(), "DBINFO", Info("DBTYPE"), std::string("\x02", 1)));
    ASSERT_TRUE(RawPut(Path(), "DBINFO", Info("DBEDIT"), std::string(64, '\0')));
    ASSERT_TRUE(RawPut(Path(), "DBINFO", Info("DBCAPTION"), std::string("Cap\0tail", 8)));
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(Path().c_str()), 1);
    EXPECT_EQ(lib.GetType(), Shorthand);
    EXPECT_EQ(lib.GetEditable(), 0);
    EXPECT_STREQ(lib.GetCaption(), "Cap");  // up to the first NUL
}

TEST_F(LibraryTest, PutReplacesDeleteAndReplaceNeedAnExistingKey) {
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(Path().c_str()), 1);
    EXPECT_EQ(lib.Put(Entry("hello", "first")), 1);
    EXPECT_EQ(lib.Put(Entry("hello", "second")), 1);
    EXPECT_EQ(lib.Put(Entry("Hello", "upper")), 1);  // another record
    EXPECT_EQ(lib.Put(Entry("world")), 1);
    EXPECT_EQ(lib.Count(), 3);
    EXPECT_EQ(lib.Put(Entry("")), 0);  // no empty keys
    EXPECT_EQ(lib.Put(LibraryEntry()), 0);

    LibraryEntry e;
    ASSERT_EQ(lib.SearchExact("hello", e, MATCH_PREFIX), 1);
    EXPECT_EQ(e.textBytes(), "second");

    EXPECT_EQ(lib.Delete(Entry("nothing")), 0);
    EXPECT_EQ(lib.Replace(Entry("nothing"), Entry("new", "x")), 0);
    EXPECT_EQ(lib.Count(), 3);  // nothing written
    EXPECT_EQ(lib.Replace(Entry("world"), Entry("World", "capital")), 1);
    EXPECT_EQ(lib.Delete(Entry("Hello")), 1);
    EXPECT_EQ(Walk(lib, "", MATCH_PREFIX), (Keys{"World", "hello"}));
}

TEST_F(LibraryTest, ReplacingAnEntryWithItselfRewritesItsText) {
    for (int scrambled : {0, 1}) {
        std::string path = Path(scrambled ? "s.lib" : "p.lib");
        MakeLibrary(path, {{"brb", "be right back"}}, {.type = Shorthand, .scrambled = scrambled});
        Library lib{SystemCodePage()};
        ASSERT_EQ(lib.Open(path.c_str()), 1);
        Entry e("brb", "be back soon");
        ASSERT_EQ(lib.Replace(e, e), 1);
        EXPECT_EQ(e.keyBytes(), "brb");  // the caller's entry stays plain
        LibraryEntry found;
        ASSERT_EQ(lib.SearchExact("brb", found, MATCH_PREFIX), 1) << scrambled;
        EXPECT_EQ(found.textBytes(), "be back soon");
        EXPECT_EQ(lib.Count(), 1);
    }
}

TEST_F(LibraryTest, TheMatchFilterJudgesTheFirstOccurrence) {
    MakeLibrary(Path(), {{"abab", ""}, {"abc", ""}, {"xab", ""}, {"xabx", ""}});
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(Path().c_str()), 1);
    EXPECT_EQ(Walk(lib, "ab", MATCH_ANY), (Keys{"abab", "abc", "xab", "xabx"}));
    EXPECT_EQ(Walk(lib, "ab", MATCH_PREFIX), (Keys{"abab", "abc"}));
    EXPECT_EQ(Walk(lib, "ab", MATCH_INSIDE), (Keys{"xabx"}));
    EXPECT_EQ(Walk(lib, "ab", MATCH_SUFFIX), (Keys{"xab"}));  // never abab
    EXPECT_EQ(Walk(lib, "ab", 8), Keys{});                    // no known bit
    // The first set bit decides: prefix before inside before suffix.
    EXPECT_EQ(Walk(lib, "ab", MATCH_INSIDE | MATCH_SUFFIX), (Keys{"xabx"}));
    EXPECT_EQ(Walk(lib, "ab", MATCH_PREFIX | MATCH_SUFFIX), (Keys{"abab", "abc"}));
}

TEST_F(LibraryTest, TheWalkEndsAtTheFirstKeyWithoutTheWord) {
    MakeLibrary(Path(), {{"apple", ""}, {"apply", ""}, {"apt", ""}, {"aqua", ""}, {"bapp", ""}});
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(Path().c_str()), 1);
    EXPECT_EQ(Walk(lib, "app", MATCH_PREFIX), (Keys{"apple", "apply"}));
    EXPECT_EQ(Walk(lib, "app", MATCH_ANY), (Keys{"apple", "apply"}));  // bapp is never reached

    MakeLibrary(Path("b.lib"), {{"abd", ""}, {"abzabc", ""}});
    Library other{SystemCodePage()};
    ASSERT_EQ(other.Open(Path("b.lib").c_str()), 1);
    EXPECT_EQ(Walk(other, "abc", MATCH_ANY), Keys{});
    EXPECT_EQ(Walk(other, "abc", MATCH_SUFFIX), Keys{});
}

TEST_F(LibraryTest, PositioningIsByBytesAndContainmentIgnoresCase) {
    MakeLibrary(Path(), {{"Apple", ""},
                         {"app", ""},
                         {"apple", ""},
                         {"APPLY", ""},
                         {"application", ""},
                         {"appz", ""},
                         {"banana", ""}});
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(Path().c_str()), 1);
    // "APPLY" and "Apple" sort before "app" and are never visited.
    EXPECT_EQ(Walk(lib, "app", MATCH_PREFIX), (Keys{"app", "apple", "application", "appz"}));
    EXPECT_EQ(Walk(lib, "App", MATCH_PREFIX),
              (Keys{"Apple", "app", "apple", "application", "appz"}));
    EXPECT_EQ(Walk(lib, "APP", MATCH_PREFIX),
              (Keys{"APPLY", "Apple", "app", "apple", "application", "appz"}));
}

TEST_F(LibraryTest, SearchExactNeedsTheFirstMatchToBeTheWord) {
    MakeLibrary(Path(), {{"hello", "greeting"}, {"help", "aid"}, {"hz", ""}, {"world", ""}});
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(Path().c_str()), 1);
    LibraryEntry e;
    ASSERT_EQ(lib.SearchExact("Hello", e, MATCH_PREFIX), 1);  // nothing between Hello and hello
    EXPECT_EQ(e.keyBytes(), "hello");
    EXPECT_EQ(e.textBytes(), "greeting");
    // A key that is the word: it and the keys beginning with it.
    ASSERT_EQ(lib.Next(e), 0);

    // Not the word: the entry keeps the match and Next goes on with every
    // following key.
    EXPECT_EQ(lib.SearchExact("hel", e, MATCH_PREFIX), 0);
    EXPECT_EQ(e.keyBytes(), "hello");
    ASSERT_EQ(lib.Next(e), 1);
    EXPECT_EQ(e.keyBytes(), "help");
    ASSERT_EQ(lib.Next(e), 1);
    EXPECT_EQ(e.keyBytes(), "hz");
    ASSERT_EQ(lib.Next(e), 1);
    EXPECT_EQ(e.keyBytes(), "world");
    EXPECT_EQ(lib.Next(e), 0);

    // The walk found nothing (it stopped at hz): the entry is empty and the
    // listing goes on after the key where the walk stopped.
    EXPECT_EQ(lib.SearchExact("hex", e, MATCH_PREFIX), 0);
    EXPECT_EQ(e.key(), nullptr);
    ASSERT_EQ(lib.Next(e), 1);
    EXPECT_EQ(e.keyBytes(), "world");
}

TEST_F(LibraryTest, AWalkThatRanOffTheEndStaysThere) {
    MakeLibrary(Path(), {{"alpha", ""}, {"beta", ""}});
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(Path().c_str()), 1);
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
                {.type = Shorthand, .caption = "Secret", .scrambled = 1});
    std::string key = "brb", value;
    Scramble(key.data(), key.size());
    ASSERT_TRUE(RawGet(Path(), "DBDATA", key, value));
    std::string expected = "be right back";
    Scramble(expected.data(), expected.size());
    EXPECT_EQ(value, expected);
    EXPECT_FALSE(RawGet(Path(), "DBDATA", "brb", value));

    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(Path().c_str()), 1);
    EXPECT_EQ(lib.GetScrambled(), 1);
    EXPECT_STREQ(lib.GetCaption(), "Secret");  // the info stays plain
    LibraryEntry e;
    ASSERT_EQ(lib.Search("b", e, MATCH_PREFIX), 1);
    std::vector<std::string> found{std::string(e.keyBytes())};
    EXPECT_EQ(e.textBytes() == "be right back" || e.textBytes() == "by the way", true);
    while (lib.Next(e)) found.emplace_back(e.keyBytes());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (Keys{"brb", "btw"}));
    ASSERT_EQ(lib.SearchExact("ty", e, MATCH_PREFIX), 1);
    EXPECT_EQ(e.textBytes(), "thank you");
    EXPECT_EQ(lib.Delete(Entry("ty")), 1);
    EXPECT_EQ(lib.SearchExact("ty", e, MATCH_PREFIX), 0);
    EXPECT_EQ(lib.Count(), 2);
    // The whole library, plain.
    Keys all = Walk(lib, "", MATCH_PREFIX);
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, (Keys{"brb", "btw"}));
}

TEST_F(LibraryTest, ScrambledWordsWithAnMAreNotCutShort) {
    // "m" scrambles to a zero byte: judged as C strings, "ma" would be the
    // empty word and every key would match.
    MakeLibrary(Path(), {{"mama", ""}, {"map", ""}, {"milk", ""}, {"zebra", ""}, {"am", ""}},
                {.scrambled = 1});
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(Path().c_str()), 1);
    Keys found = Walk(lib, "ma", MATCH_PREFIX);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (Keys{"mama", "map"}));
    LibraryEntry e;
    ASSERT_EQ(lib.SearchExact("milk", e, MATCH_PREFIX), 1);
    EXPECT_EQ(e.keyBytes(), "milk");
    EXPECT_EQ(lib.Replace(Entry("am"), Entry("am", "x")), 1);
    ASSERT_EQ(lib.SearchExact("am", e, MATCH_PREFIX), 1);
    EXPECT_EQ(e.textBytes(), "x");
}

TEST_F(LibraryTest, ScrambledLettersOfDifferentCaseAreNotConfused) {
    // "g" scrambles to "A" and "f" to "a": folding the scrambled bytes would
    // offer "fir" for "g".
    ASSERT_EQ(ScrambleByte('g'), 'A');
    ASSERT_EQ(ScrambleByte('f'), 'a');
    MakeLibrary(Path(), {{"grape", ""}, {"fir", ""}}, {.scrambled = 1});
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(Path().c_str()), 1);
    EXPECT_EQ(Walk(lib, "g", MATCH_PREFIX), (Keys{"grape"}));
}

TEST_F(LibraryTest, AReusedObjectStartsEachFileFromTheDefaults) {
    MakeLibrary(Path("s.lib"), {{"x", "y"}}, {.type = Shorthand, .caption = "S", .scrambled = 1});
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(Path("s.lib").c_str()), 1);
    ASSERT_EQ(lib.GetScrambled(), 1);
    ASSERT_EQ(lib.Open(Path("fresh.lib").c_str()), 1);
    EXPECT_EQ(lib.GetScrambled(), 0);
    EXPECT_EQ(lib.GetType(), Dictionary);
    ASSERT_EQ(lib.Put(Entry("plain", "text")), 1);
    lib.Close();
    std::string value;
    EXPECT_TRUE(RawGet(Path("fresh.lib"), "DBDATA", "plain", value));
    EXPECT_EQ(value, "text");
}

TEST_F(LibraryTest, KeysWithZeroBytesAreJudgedUpToTheirFirstNul) {
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(Path().c_str()), 1);
    ASSERT_EQ(lib.Put(Entry(std::string("ab\0cd", 5), "t")), 1);
    LibraryEntry e;
    ASSERT_EQ(lib.Search("ab", e, MATCH_PREFIX), 1);
    EXPECT_EQ(e.keyBytes(), std::string("ab\0cd", 5));  // delivered whole
    EXPECT_EQ(e.keyLength(), 5u);
    EXPECT_EQ(lib.Search("cd", e, MATCH_ANY), 0);
    EXPECT_EQ(lib.Search("ab", e, MATCH_SUFFIX), 0);  // the stored length counts
}

}  // namespace
}  // namespace wl::test
