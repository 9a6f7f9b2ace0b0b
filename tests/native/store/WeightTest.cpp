// Word weights of a library ("DBWEIGHT"): kept beside the entries, dropped
// with them, carried through export and import, and ignored when damaged.
#include <gtest/gtest.h>

#include <map>

#include "store/Scramble.h"
#include "tests/native/store/StoreTestSupport.h"

namespace wl::test {
namespace {

using Weights = std::map<std::string, std::uint32_t>;

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
    EXPECT_EQ(RawOpen(path, "DBWEIGHT", DB_RDONLY), nullptr);
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
    EXPECT_EQ(RawRecords(path, "DBWEIGHT"),
              (std::map<std::string, std::string>{{stored, "\x04\x03\x02\x01"}}));
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
    auto put = [&](const std::string& key, const std::string& value) {
        ASSERT_TRUE(RawPut(path, "DBWEIGHT", key, value));
    };
    put("ant", std::string("\x05\x00\x00\x00", 4));
    put("bee", "\x05\x00");                            // too short
    put("cat", std::string("\x05\0\0\0\0\0\0\0", 8));  // too long
    put("dog", "");
    put("cow", std::string("\x09\x00\x00\x00", 4));  // no such entry
    put("zzz", std::string("\x09\x00\x00\x00", 4));  // after every key
    OutputCapture capture(dir);
    ASSERT_EQ(lib.Open(path.c_str()), 1);
    EXPECT_EQ(WeightsOf(lib), (Weights{{"ant", 5}}));
    EXPECT_EQ(lib.CountWeights(), 1);
    EXPECT_EQ(Walk(lib, "", MATCH_PREFIX).size(), 5u);
    EXPECT_EQ(capture.Finish(), "");
}

TEST_F(WeightTest, ImportTakesOnlyWellFormedWeightLines) {
    Make({{"old", ""}});
    ASSERT_EQ(lib.SetWeight(Entry("old"), 9), 1);
    std::string text = dir / "in.txt";
    WriteBytes(text,
               "<key>b\r\n<weight>12 \r\n"                     // a trailing space: ignored
               "<key>d\r\nxx<weight>99999999999999999999\r\n"  // huge: the largest
               "<key>e\r\n<data>has <weight>5 in it\r\n"       // a text line stays text
               "<weight>7\r\n"                                 // the pending pair's: e's
               "<key>f\r\n"
               "<key>old\r\n<data>again\r\n");  // no weight line: the weight stays
    ASSERT_EQ(lib.ImportText(text.c_str(), nullptr), 5);
    EXPECT_EQ(WeightsOf(lib), (Weights{{"d", UINT32_MAX}, {"e", 7}, {"old", 9}}));
    LibraryEntry e;
    ASSERT_EQ(lib.Get("e", 1, e), 1);
    EXPECT_STREQ(e.textString(), "has <weight>5 in it");
}

// An export holds a weight line for each weighted pair, which import takes
// back; without them it is the export of the unweighted library.
TEST_F(WeightTest, ExportWritesWeightLinesThatImportTakesBackAndNothingElse) {
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

    Opened copy(dir / "copy.lib");
    ASSERT_EQ(copy.ImportText(weighted.c_str(), nullptr), 3);
    EXPECT_EQ(WeightsOf(copy), (Weights{{"brb", 1}, {"ty", 300}}));
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
