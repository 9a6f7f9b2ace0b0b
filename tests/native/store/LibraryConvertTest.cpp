// Converting a code-page library to UTF-8: what it keeps, and failures
// that leave the library as it was.
#include <gtest/gtest.h>

#include <set>

#include "store/ContextWriter.h"
#include "store/LibraryContextModel.h"
#include "store/LibraryConvert.h"
#include "tests/native/store/StoreTestSupport.h"

namespace wl::test {
namespace {

// Windows-1252: zèbre, œuvre, été, and their UTF-8 (è in octal: a "b"
// after it would be read as a hex digit).
const std::string kZebra = "z\350bre", kOeuvre = "\x9Cuvre", kSummer = "\xE9t\xE9";
const std::string kZebra8 = "z\303\250bre", kOeuvre8 = "\xC5\x93uvre";

// Every context of the model and its entries, the words as UTF-8.
std::set<std::string> ModelLines(const std::string& path, const CodePage* page) {
    std::set<std::string> lines;
    LibraryContextModel model;
    if (!model.Open(path)) return lines;
    auto word = [&](ContextModel::WordId id) {
        std::string out(model.Word(id));
        if (page && !page->ToUtf8(model.Word(id), out)) ADD_FAILURE() << "no 1252 word";
        return out;
    };
    const auto n = model.WordCount();
    for (ContextModel::WordId a = 0; a < n; ++a) {
        for (ContextModel::WordId b = 0; b <= n; ++b) {
            const ContextModel::WordId context[2] = {a, b};
            const std::size_t count = b == n ? 1 : 2;
            std::vector<ContextModel::Entry> entries;
            float backoff = 0;
            if (!model.Lookup(context, count, entries, backoff)) continue;
            std::set<std::string> each;  // in the order of the words as UTF-8
            for (const auto& e : entries)
                each.insert(word(e.word) + "=" + std::to_string(e.logProb));
            std::string line =
                word(a) + (count == 2 ? " " + word(b) : "") + ":" + std::to_string(backoff);
            for (const auto& e : each) line += " " + e;
            lines.insert(line);
        }
    }
    return lines;
}

class LibraryConvertTest : public ::testing::Test {
  protected:
    TempDir dir;
    const std::string path = dir / "lib.lib";
    std::string error;

    int Convert(const CodePage& page = CodePage1252(), ImportProgress* progress = nullptr) {
        error.clear();
        return ConvertToUnicode(path, page, progress, &error);
    }
    // The library unchanged and no copy beside it.
    void ExpectUntouched(const std::string& before) {
        EXPECT_EQ(ReadBytes(path), before);
        EXPECT_FALSE(std::filesystem::exists(path + ".new"));
    }
};

TEST_F(LibraryConvertTest, KeepsEveryEntryWeightContextAndInfo) {
    MakeLibrary(path,
                {{"Apple", "\x80 5"}, {kZebra, "stripes"}, {kOeuvre, "\214uvre"}, {kSummer, ""}},
                {.type = Dictionary,
                 .caption = "Caf\xE9s",
                 .editable = 0,
                 .description = "Fran\347ais",
                 .scrambled = 1});
    {
        Opened lib(path, CodePage1252());
        ASSERT_EQ(lib.SetWeight(Entry(kZebra), 42), 1);
        // A model whose words come in another order in UTF-8 (œ is 0x9C in
        // 1252, before é; in UTF-8 after it).
        std::string arpa =
            "\\data\\\nngram 1=5\n\n\\1-grams:\n-99\t<s>\t-0.5\n-1\tapple\t-0.2\n-1\tZ\t-0.3\n"
            "-1\tO\t-0.1\n-1\tS\t-0.4\n\n\\2-grams:\n-0.3\t<s>\tS\t-0.1\n-0.4\tapple\tO\t-0.2\n"
            "-0.5\tapple\tZ\n-0.6\tapple\tS\n-0.7\tO\tapple\t-0.3\n-0.8\tS\tZ\n\n\\3-grams:\n"
            "-0.2\t<s>\tS\tZ\n-0.1\tapple\tO\tapple\n\n\\end\\\n";
        for (auto [letter, word] : {std::pair{'Z', kZebra}, {'O', kOeuvre}, {'S', kSummer}})
            for (std::size_t at; (at = arpa.find(std::string("\t") + letter)) != std::string::npos;)
                arpa.replace(at + 1, 1, word);
        WriteBytes(dir / "m.arpa", arpa);
        ASSERT_TRUE(WriteContextData(lib, dir / "m.arpa", 0).ok);
    }
    const std::set<std::string> model = ModelLines(path, &CodePage1252());
    ASSERT_EQ(model.size(), 6u);
    RecordingProgress progress;
    ASSERT_EQ(Convert(CodePage1252(), &progress), 1) << error;
    EXPECT_EQ(progress.texts.back(), "4 items have been converted!");
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
    EXPECT_TRUE(Verifies(path));

    Opened lib(path, CodePage1252());
    EXPECT_EQ(lib.GetEncoding(), EncodingUtf8);
    EXPECT_STREQ(lib.GetCaption(), "Caf\xC3\xA9s");
    EXPECT_STREQ(lib.GetDescription(), "Fran\303\247ais");
    EXPECT_EQ(lib.GetType(), Dictionary);
    EXPECT_EQ(lib.GetEditable(), 0);
    EXPECT_EQ(lib.GetScrambled(), 1);
    lib.Close();
    Pairs entries = ReadLibrary(path);  // in the order of the scrambled keys
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (Pairs{{"Apple", "\xE2\x82\xAC 5"},
                              {kZebra8, "stripes"},
                              {"\xC3\xA9t\xC3\xA9", ""},
                              {"\xC5\x93uvre", "\xC5\x92uvre"}}));
    // Scrambled on disk as before: no plain key in the file.
    EXPECT_EQ(ReadBytes(path).find("stripes"), std::string::npos);
    ASSERT_EQ(lib.Open(path.c_str()), 1);
    std::uint32_t weight = 0;
    EXPECT_EQ(lib.GetWeight(Entry(kZebra8), weight), 1);
    EXPECT_EQ(weight, 42u);
    EXPECT_EQ(lib.CountWeights(), 1);
    lib.Close();
    EXPECT_EQ(ModelLines(path, nullptr), model);
    LibraryContextModel converted;
    ASSERT_TRUE(converted.Open(path));
    EXPECT_NE(converted.Id(kOeuvre8), ContextModel::kNoWord);
    EXPECT_EQ(converted.Id(kOeuvre), ContextModel::kNoWord);

    // Again: UTF-8 already, nothing changes.
    const std::string after = ReadBytes(path);
    EXPECT_EQ(Convert(), 1) << error;
    ExpectUntouched(after);
}

// The model's words are folded as a Unicode library's lookups fold; two
// that fold alike become one word, and the records stay readable.
TEST_F(LibraryConvertTest, ContextWordsThatFoldAlikeBecomeOne) {
    const std::string street =
        "stra\xDF"
        "e";  // straße in 1252
    MakeLibrary(path, {{street, ""}, {"strasse", ""}, {"go", ""}});
    {
        Opened lib(path, CodePage1252());
        WriteBytes(dir / "m.arpa",
                   "\\data\\\nngram 1=3\nngram 2=2\n\n\\1-grams:\n-1\tgo\t-0.2\n-1\t" + street +
                       "\n-1\tstrasse\n\n\\2-grams:\n-0.5\tgo\t" + street +
                       "\n-0.7\tgo\tstrasse\n\n\\end\\\n");
        ASSERT_TRUE(WriteContextData(lib, dir / "m.arpa", 0).ok);
    }
    ASSERT_EQ(Convert(), 1) << error;
    LibraryContextModel model;
    ASSERT_TRUE(model.Open(path, true));
    EXPECT_EQ(model.WordCount(), 2u);
    const ContextModel::WordId go = model.Id("go");
    EXPECT_EQ(model.Id("stra\u00DFe"), ContextModel::kNoWord);
    std::vector<ContextModel::Entry> after;
    float backoff = 0;
    ASSERT_TRUE(model.Lookup(&go, 1, after, backoff));
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].word, model.Id("strasse"));
}

TEST_F(LibraryConvertTest, FailuresLeaveTheLibraryAsItWas) {
    MakeLibrary(path, {{"ok", "fine"}, {"\x80key", "x"}, {"\xB1", "\xE9"}}, {.caption = "Mine"});
    const std::string before = ReadBytes(path);
    // 932 natively knows no 0x80: the key stops the conversion (before the
    // text after it, which 932 lacks too).
    EXPECT_EQ(Convert(CodePage932()), 0);
    EXPECT_NE(error.find("the key \"\\x80key\" holds a character the code page does not define"),
              std::string::npos)
        << error;
    ExpectUntouched(before);

    // Cancelled after the first entry.
    RecordingProgress cancel(0);
    EXPECT_EQ(Convert(CodePage1252(), &cancel), 0);
    EXPECT_NE(error.find("cancelled"), std::string::npos);
    ExpectUntouched(before);

    // A copy an interrupted conversion left is replaced, and goes.
    WriteBytes(path + ".new", "junk");
    EXPECT_EQ(Convert(), 1) << error;
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
    EXPECT_EQ(ReadLibrary(path).size(), 3u);

    // No library, or one of an unknown encoding.
    const std::string none = dir / "none.lib";
    EXPECT_EQ(ConvertToUnicode(none, CodePage1252(), nullptr, &error), 0);
    EXPECT_NE(error.find("no such library"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(none));
    ASSERT_TRUE(
        RawPut(path, "DBINFO", std::string("DBENCODING", 11), std::string("\x01\0\0\0", 4)));
    const std::string unknown = ReadBytes(path);
    EXPECT_EQ(Convert(), 0);
    EXPECT_NE(error.find("encoding is unknown"), std::string::npos);
    ExpectUntouched(unknown);
}

}  // namespace
}  // namespace wl::test
