// Word weights of a library ("DBWEIGHT"): kept beside the entries, dropped
// with them, carried through export and import, and ignored when damaged.
#include <db.h>
#include <gtest/gtest.h>

#include <map>

#include "store/Scramble.h"
#include "tests/native/store/StoreTestSupport.h"

namespace wl::test {
namespace {

using Weights = std::map<std::string, std::uint32_t>;

// Opens a named database of a closed file as it is stored; nullptr when the
// file does not hold it.
DB* RawOpen(const std::string& path, const char* database, bool create) {
    DB* db = nullptr;
    if (db_create(&db, nullptr, 0) != 0) return nullptr;
    db->set_errcall(db, [](const DB_ENV*, const char*, const char*) {});
    if (db->open(db, nullptr, path.c_str(), database, DB_BTREE, create ? DB_CREATE : 0, 0664) !=
        0) {
        db->close(db, 0);
        return nullptr;
    }
    return db;
}

void RawPut(const std::string& path, const std::string& key, const std::string& value) {
    DB* db = RawOpen(path, "DBWEIGHT", true);
    ASSERT_NE(db, nullptr);
    DBT k{}, v{};
    k.data = const_cast<char*>(key.data());
    k.size = static_cast<u_int32_t>(key.size());
    v.data = const_cast<char*>(value.data());
    v.size = static_cast<u_int32_t>(value.size());
    EXPECT_EQ(db->put(db, nullptr, &k, &v, 0), 0);
    db->close(db, 0);
}

// The stored weight records: stored key -> value bytes.
std::map<std::string, std::string> RawWeights(const std::string& path) {
    std::map<std::string, std::string> out;
    DB* db = RawOpen(path, "DBWEIGHT", false);
    if (!db) return out;
    DBC* c = nullptr;
    db->cursor(db, nullptr, &c, 0);
    DBT k{}, v{};
    while (c->get(c, &k, &v, DB_NEXT) == 0)
        out[std::string(static_cast<char*>(k.data), k.size)] =
            std::string(static_cast<char*>(v.data), v.size);
    c->close(c);
    db->close(db, 0);
    return out;
}

Weights WeightsOf(Library& lib) {
    Weights out;
    lib.ForEachKey([&](const Library::KeyInfo& info) {
        if (info.weighted) out[std::string(info.key, info.length)] = info.weight;
        return true;
    });
    return out;
}

class WeightTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string path = dir / "words.lib";
    Library lib{SystemCodePage()};

    void Make(const Pairs& entries, int scrambled = 0) {
        MakeLibrary(path, entries, {Dictionary, "", 1, "", scrambled});
        ASSERT_EQ(lib.Open(path.c_str()), 1);
    }
};

TEST_F(WeightTest, ALibraryWithoutWeightsStaysWithoutTheDatabase) {
    Make({{"apple", ""}, {"pear", ""}});
    std::uint32_t w = 7;
    EXPECT_EQ(lib.GetWeight(Entry("apple"), w), 0);
    EXPECT_EQ(lib.RemoveWeight(Entry("apple")), 0);
    EXPECT_EQ(lib.CountWeights(), 0);
    EXPECT_EQ(lib.ClearWeights(), 1);
    EXPECT_EQ(lib.Delete(Entry("pear")), 1);
    EXPECT_EQ(lib.Replace(Entry("apple"), Entry("apples")), 1);
    std::string exported = dir / "out.txt";
    EXPECT_EQ(lib.ExportText(exported.c_str(), nullptr), 1);
    EXPECT_EQ(ReadBytes(exported), "<key>apples\r\n<data>\r\n");
    lib.Close();
    // Reading, deleting and replacing made no third database.
    EXPECT_EQ(RawOpen(path, "DBWEIGHT", false), nullptr);
}

TEST_F(WeightTest, WeightsBelongToStoredKeysAndGoWithThem) {
    Make({{"apple", "fruit"}, {"pear", ""}, {"plum", ""}});
    EXPECT_EQ(lib.SetWeight(Entry("apple"), 500), 1);
    EXPECT_EQ(lib.SetWeight(Entry("pear"), 0), 1);  // zero is a weight too
    EXPECT_EQ(lib.SetWeight(Entry("plum"), UINT32_MAX), 1);
    EXPECT_EQ(lib.SetWeight(Entry("cherry"), 3), 0);  // not stored
    EXPECT_EQ(lib.SetWeight(Entry("Apple"), 3), 0);   // keys keep their case
    EXPECT_EQ(WeightsOf(lib), (Weights{{"apple", 500}, {"pear", 0}, {"plum", UINT32_MAX}}));
    EXPECT_EQ(lib.CountWeights(), 3);

    // Overwriting a text keeps the weight; the editor's save (Replace with the
    // same key) and a rename keep it; a delete drops it.
    ASSERT_EQ(lib.Put(Entry("apple", "a fruit")), 1);
    ASSERT_EQ(lib.Replace(Entry("apple"), Entry("apple", "red fruit")), 1);
    ASSERT_EQ(lib.Replace(Entry("plum"), Entry("plums", "")), 1);
    ASSERT_EQ(lib.Delete(Entry("pear")), 1);
    EXPECT_EQ(WeightsOf(lib), (Weights{{"apple", 500}, {"plums", UINT32_MAX}}));
    // A key put again after its delete has no weight.
    ASSERT_EQ(lib.Put(Entry("pear")), 1);
    std::uint32_t w = 0;
    EXPECT_EQ(lib.GetWeight(Entry("pear"), w), 0);

    EXPECT_EQ(lib.RemoveWeight(Entry("apple")), 1);
    EXPECT_EQ(lib.RemoveWeight(Entry("apple")), 0);
    EXPECT_EQ(lib.ClearWeights(), 1);
    EXPECT_EQ(lib.CountWeights(), 0);
    EXPECT_EQ(lib.Count(), 3);  // the entries stay
}

TEST_F(WeightTest, WeightsSurviveClosingAndAreStoredLittleEndianUnderTheStoredKey) {
    Make({{"mellow", ""}, {"zebra", ""}}, 1);  // scrambled
    ASSERT_EQ(lib.SetWeight(Entry("mellow"), 0x01020304), 1);
    lib.Close();
    std::string stored = "mellow";
    Scramble(stored.data(), stored.size());
    EXPECT_EQ(RawWeights(path), (std::map<std::string, std::string>{{stored, "\x04\x03\x02\x01"}}));
    ASSERT_EQ(lib.Open(path.c_str()), 1);
    EXPECT_EQ(WeightsOf(lib), (Weights{{"mellow", 0x01020304}}));
    // The entries read as before, through the walk and by key.
    EXPECT_EQ(Walk(lib, "", MATCH_PREFIX), (std::vector<std::string>{"mellow", "zebra"}));
    LibraryEntry e;
    ASSERT_EQ(lib.Get("zebra", 5, e), 1);
    EXPECT_STREQ(e.keyString(), "zebra");
    EXPECT_EQ(lib.Get("Zebra", 5, e), 0);
}

TEST_F(WeightTest, DamagedWeightRecordsCountAsNoWeight) {
    MakeLibrary(path, {{"ant", ""}, {"bee", ""}, {"cat", ""}, {"dog", ""}, {"eel", ""}});
    RawPut(path, "ant", std::string("\x05\x00\x00\x00", 4));
    RawPut(path, "bee", "\x05\x00");                            // too short
    RawPut(path, "cat", std::string("\x05\0\0\0\0\0\0\0", 8));  // too long
    RawPut(path, "dog", "");
    RawPut(path, "cow", std::string("\x09\x00\x00\x00", 4));  // no such entry
    RawPut(path, "zzz", std::string("\x09\x00\x00\x00", 4));  // after every key
    OutputCapture capture(dir);
    ASSERT_EQ(lib.Open(path.c_str()), 1);
    EXPECT_EQ(WeightsOf(lib), (Weights{{"ant", 5}}));
    EXPECT_EQ(lib.CountWeights(), 1);
    EXPECT_EQ(Walk(lib, "", MATCH_PREFIX).size(), 5u);
    EXPECT_EQ(capture.Finish(), "");
}

TEST_F(WeightTest, ExportWritesAWeightLineThatImportTakesBack) {
    Make({{"apple", "fruit"}, {"pear", ""}});
    ASSERT_EQ(lib.SetWeight(Entry("apple"), 42), 1);
    std::string text = dir / "words.txt";
    ASSERT_EQ(lib.ExportText(text.c_str(), nullptr), 2);
    EXPECT_EQ(ReadBytes(text),
              "<key>apple\r\n<data>fruit\r\n<weight>42\r\n<key>pear\r\n<data>\r\n");

    Library copy{SystemCodePage()};
    ASSERT_EQ(copy.Open((dir / "copy.lib").c_str()), 1);
    ASSERT_EQ(copy.ImportText(text.c_str(), nullptr), 2);
    EXPECT_EQ(WeightsOf(copy), (Weights{{"apple", 42}}));
    LibraryEntry e;
    ASSERT_EQ(copy.Get("apple", 5, e), 1);
    EXPECT_STREQ(e.textString(), "fruit");
}

TEST_F(WeightTest, ImportTakesOnlyWellFormedWeightLines) {
    Make({{"old", ""}});
    ASSERT_EQ(lib.SetWeight(Entry("old"), 9), 1);
    std::string text = dir / "in.txt";
    WriteBytes(text,
               "<key>a\r\n<data>\r\n<weight>-5\r\n"            // negative: ignored
               "<key>b\r\n<weight>12 \r\n"                     // a trailing space: ignored
               "<key>c\r\n<weight>\r\n"                        // no number
               "<key>d\r\nxx<weight>99999999999999999999\r\n"  // huge: the largest
               "<key>e\r\n<data>has <weight>5 in it\r\n"       // a text line stays text
               "<weight>7\r\n"                                 // the pending pair's: e's
               "<key>f\r\n"
               "<key>old\r\n<data>again\r\n");  // no weight line: the weight stays
    ASSERT_EQ(lib.ImportText(text.c_str(), nullptr), 7);
    EXPECT_EQ(WeightsOf(lib), (Weights{{"d", UINT32_MAX}, {"e", 7}, {"old", 9}}));
    LibraryEntry e;
    ASSERT_EQ(lib.Get("e", 1, e), 1);
    EXPECT_STREQ(e.textString(), "has <weight>5 in it");
}

TEST_F(WeightTest, WithoutItsWeightLinesAnExportIsTheExportOfTheUnweightedLibrary) {
    Pairs entries = {{"brb", "be right back"}, {"sig", "Regards,%RETURN%Ann"}, {"ty", ""}};
    MakeLibrary(path, entries, {Shorthand});
    ASSERT_EQ(lib.Open(path.c_str()), 1);
    std::string plain = dir / "plain.txt";
    ASSERT_EQ(lib.ExportText(plain.c_str(), nullptr), 3);
    ASSERT_EQ(lib.SetWeight(Entry("brb"), 1), 1);
    ASSERT_EQ(lib.SetWeight(Entry("ty"), 300), 1);
    std::string weighted = dir / "weighted.txt";
    ASSERT_EQ(lib.ExportText(weighted.c_str(), nullptr), 3);
    std::string bytes = ReadBytes(weighted);
    for (const char* line : {"<weight>1\r\n", "<weight>300\r\n"}) {
        std::size_t at = bytes.find(line);
        ASSERT_NE(at, std::string::npos) << line;
        bytes.erase(at, std::strlen(line));
    }
    EXPECT_EQ(bytes, ReadBytes(plain));
}

TEST(ParseWeightTest, DigitsOnlyAndTheLargestForHugeNumbers) {
    struct Case {
        const char* text;
        bool ok;
        std::uint32_t weight;
    } cases[] = {
        {"0", true, 0},
        {"007", true, 7},
        {"4294967295", true, UINT32_MAX},
        {"4294967296", true, UINT32_MAX},
        {"123456789012345678901234567890", true, UINT32_MAX},
        {"", false, 0},
        {"-1", false, 0},
        {"+1", false, 0},
        {" 1", false, 0},
        {"1.5", false, 0},
        {"1e3", false, 0},
        {"12x", false, 0},
    };
    for (const Case& c : cases) {
        std::uint32_t w = 12345;
        EXPECT_EQ(Library::ParseWeight(c.text, std::strlen(c.text), w), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(w, c.weight) << c.text;
        }
    }
}

}  // namespace
}  // namespace wl::test
