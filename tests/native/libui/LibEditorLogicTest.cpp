// The library editor's logic on real library files: listings, the button
// rules, Add, Save, Delete, Import, Export and what OK writes.
#include <gmock/gmock.h>

#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "libui/LibEditorLogic.h"
#include "tests/support/InfoRecords.h"
#include "tests/support/Libraries.h"

namespace wl {
namespace {

using test::MakeLibrary;
using test::Pairs;
using test::ReadLibrary;
using test::TempDir;
using ::testing::HasSubstr;

using Keys = std::vector<std::string>;

Keys KeysOf(const LibEditorLogic& ed) {
    Keys keys;
    for (const EditorRow& r : ed.Rows()) keys.push_back(r.key);
    return keys;
}

// The enabled buttons among Add, Save and Delete, as "add save del".
std::string Enabled(const LibEditorLogic& ed) {
    const auto& b = ed.buttons();
    std::string on =
        std::string(b.add ? "add " : "") + (b.save ? "save " : "") + (b.del ? "del " : "");
    return on.empty() ? on : on.substr(0, on.size() - 1);
}

// Keeps the count a listing begins with.
struct CountingProgress : ListingProgress {
    int begun = -1;
    void Begin(std::int32_t count) override { begun = count; }
    bool Step() override { return true; }
};

const Pairs kFruit = {
    {"app", "a"}, {"apple", "b"}, {"application", "c"}, {"banana", "yellow"}, {"cherry", "red"}};
const char kNoLibrary[] = "this is no library at all, just text\r\n";

class EditorTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string path = dir / "fruit.lib";
    std::unique_ptr<LibEditorLogic> Opened(int mayChange = 1) {
        auto ed = std::make_unique<LibEditorLogic>(path, mayChange, SystemCodePage());
        EXPECT_TRUE(ed->Open());
        return ed;
    }
};

// An editor with the permission on the fruit library, listing it whole.
class FruitTest : public EditorTest {
  protected:
    FruitTest() { MakeLibrary(path, kFruit); }
    void SetUp() override {
        ASSERT_TRUE(ed.Open());
        ed.ListFrom("", nullptr);
    }
    LibEditorLogic ed{path, 1, SystemCodePage()};
};

TEST_F(FruitTest, ListsWholeLibraryFromAStoredKeyAndFromAnotherWord) {
    CountingProgress progress;
    ed.ListFrom("", &progress);
    EXPECT_EQ(KeysOf(ed), (Keys{"app", "apple", "application", "banana", "cherry"}));
    EXPECT_EQ(progress.begun, 5);

    // A stored key: it and the keys beginning with it (letter case ignored).
    for (const char* from : {"app", "APP"}) {
        ed.ListFrom(from, nullptr);
        EXPECT_EQ(KeysOf(ed), (Keys{"app", "apple", "application"})) << from;
    }
    EXPECT_EQ(ed.CountText(), "Items in library: 5\r\nItems Loaded:3");

    // Any other word: from where the search stopped to the end.
    ed.ListFrom("b", nullptr);
    EXPECT_EQ(KeysOf(ed), (Keys{"banana", "cherry"}));
    // The search ends on banana without delivering it (banana does not hold
    // appz): the listing goes on after it.
    ed.ListFrom("appz", nullptr);
    EXPECT_EQ(KeysOf(ed), (Keys{"cherry"}));
    ed.ListFrom("zzz", nullptr);
    EXPECT_TRUE(ed.Rows().empty());
}

TEST_F(FruitTest, AddAndSaveEnablingRules) {
    std::string q, t;
    ASSERT_TRUE(ed.OnSelectionChanged(1, 3, q, t));
    EXPECT_EQ(q, "banana");
    EXPECT_EQ(t, "yellow");
    EXPECT_EQ(Enabled(ed), "del");
    const struct {
        bool query;  // the key box, else the text box
        const char* typed;
        const char* enabled;
    } steps[] = {
        {true, "banana", "del"},  // typed the same key again
        {true, "bananas", "add del"},
        {true, "Banana", "add del"},  // the comparison is exact
        {true, "banana", "del"},
        {false, "green", "save del"},
        {true, "banana", "save del"},  // leaves Save as it is
        {false, "yellow", "del"},
        {false, "green", "save del"},
        {true, "", "del"},
    };
    for (const auto& s : steps) {
        if (s.query)
            ed.OnQueryChanged(s.typed);
        else
            ed.OnFullTextChanged(s.typed);
        EXPECT_EQ(Enabled(ed), s.enabled) << (s.query ? "key " : "text ") << s.typed;
    }

    // Several rows: the boxes stay, Delete is enabled.
    q = t = "unchanged";
    EXPECT_FALSE(ed.OnSelectionChanged(3, 0, q, t));
    EXPECT_EQ(q, "unchanged");
    EXPECT_EQ(ed.SelectedKey(), "banana");
    EXPECT_TRUE(ed.buttons().del);
    // A listing disables Delete again.
    ed.ListFrom("", nullptr);
    EXPECT_FALSE(ed.buttons().del);
}

TEST_F(FruitTest, AddRefusesAStoredKeyWhereverLetterCaseLandsTheSearch) {
    // Letter case is ignored where the search lands: KIWI lands on kiwi.
    path = dir / "one.lib";
    MakeLibrary(path, {{"kiwi", "green"}});
    EXPECT_EQ(Opened()->Add("KIWI", "x").message.text, "This data had in database! ");
    // Banana lands on app (capitals sort first) and is a key of its own.
    EXPECT_EQ(ed.Add("Banana", "blue").message.text, "Add data Succeed ");
}

TEST_F(FruitTest, SaveReplacesOnlyAStoredKey) {
    auto failed = ed.Save("durian", "smelly");
    EXPECT_EQ(failed.message.title, "Wordlark");
    EXPECT_EQ(failed.message.icon, UiMessage::Icon::None);

    auto saved = ed.Save("cherry", "dark red\r\nand sweet");
    EXPECT_EQ(saved.message.text, "Save Succeed!");
    EXPECT_TRUE(saved.relist);
    EXPECT_EQ(saved.relistFrom, "cherry");
    Pairs expected = kFruit;
    expected[4].second = "dark red\r\nand sweet";
    EXPECT_EQ(ReadLibrary(path), expected);
    EXPECT_FALSE(ed.buttons().save);
}

TEST_F(FruitTest, DeleteThreeRowsAndFailures) {
    auto done = ed.DeleteRows({0, 2, 4});
    EXPECT_EQ(done.message.title, "Wordlark - Info");
    EXPECT_EQ(done.message.icon, UiMessage::Icon::Information);
    EXPECT_TRUE(done.relist);
    EXPECT_EQ(done.relistFrom, "");
    EXPECT_EQ(ReadLibrary(path), (Pairs{{"apple", "b"}, {"banana", "yellow"}}));

    // The rows still show the deleted entries: deleting one of them fails at
    // once, and the ones before it stay deleted.
    auto failed = ed.DeleteRows({1, 0, 3});
    EXPECT_EQ(failed.message.text, "Delete Failed!");
    EXPECT_EQ(failed.message.title, "Wordlark - Error");
    EXPECT_TRUE(failed.relist);
    EXPECT_EQ(ReadLibrary(path), (Pairs{{"banana", "yellow"}}));
}

TEST_F(EditorTest, ImportTakesPairsOrElseAWordListUnlessCancelledAndExportCounts) {
    MakeLibrary(path, {});
    const std::string pairs = dir / "pairs.txt", words = dir / "words.txt";
    test::WriteBytes(pairs, "<key>brb\r\n<data>be right back\r\n");
    test::WriteBytes(words, "hello, world-wide foo_bar 42");
    LibEditorLogic ed(path, 1, SystemCodePage());
    ASSERT_TRUE(ed.Open());
    test::RecordingProgress cancelled(0);
    EXPECT_EQ(ed.Import(words, &cancelled).message.text,
              "0 items have been successfully imported ");
    EXPECT_TRUE(ReadLibrary(path).empty());

    auto imported = ed.Import(pairs, nullptr);
    EXPECT_EQ(imported.message.text, "1 items have been successfully imported ");
    EXPECT_EQ(imported.message.title, "Wordlark");
    EXPECT_EQ(imported.message.icon, UiMessage::Icon::Information);
    EXPECT_EQ(ed.Import(words, nullptr).message.text, "4 items have been successfully imported ");
    EXPECT_EQ(ReadLibrary(path), (Pairs{{"42", ""},
                                        {"brb", "be right back"},
                                        {"foo_bar", ""},
                                        {"hello", ""},
                                        {"world-wide", ""}}));

    auto exported = ed.Export(dir / "out.txt", nullptr);
    EXPECT_EQ(exported.message.text, "5 items have been successfully exported ");
    EXPECT_FALSE(exported.relist);
    EXPECT_EQ(ed.Import(dir / "missing.txt", nullptr).message.text,
              "0 items have been successfully imported ");
    EXPECT_EQ(ed.Export(dir / "no-such-folder/x.txt", nullptr).message.text,
              "0 items have been successfully exported ");
    // Snippets of another text expander (by the file's extension) go into a
    // Shorthand library only.
    test::WriteBytes(dir / "hot.ahk", "::brb::be right back\n");
    auto refused = ed.Import(dir / "hot.ahk", nullptr);
    EXPECT_EQ(refused.message.text,
              "Snippets from other text expanders go into a Shorthand library, and this library "
              "is a Dictionary.\r\nNothing was imported.");
    EXPECT_EQ(refused.message.title, "Wordlark - Error");
}

TEST_F(EditorTest, ImportOfAnEspansoFileNamesWhatItSkipped) {
    MakeLibrary(path, {}, {Shorthand});
    const std::string in = dir / "base.yml";
    test::WriteBytes(in,
                     "matches:\n"
                     "  - trigger: \":sig\"\n"
                     "    replace: \"Regards,\\n$|$\"\n"
                     "  - trigger: \":ip\"\n"
                     "    replace: \"{{ip}}\"\n"
                     "    vars: [{name: ip, type: shell, params: {cmd: curl}}]\n");
    auto outcome = Opened()->Import(in, nullptr);
    EXPECT_EQ(outcome.message.text,
              "1 items imported, 1 skipped\r\n\r\nSkipped:\r\n\":ip\": runs a shell command");
    EXPECT_EQ(outcome.message.icon, UiMessage::Icon::Exclamation);
    EXPECT_TRUE(outcome.relist);
    EXPECT_EQ(ReadLibrary(path), (Pairs{{":sig", "Regards,%RETURN%%CARET%"}}));
}

TEST_F(EditorTest, AnImportThatRunsOutOfMemoryIsToldAndKeepsWhatWasStored) {
    // Memory runs out where the import reports its progress, after the
    // first entry of each file was stored.
    struct OutOfMemory : ImportProgress {
        void SetText(const char*) override { throw std::bad_alloc(); }
        bool Cancelled() override { return false; }
    } progress;
    MakeLibrary(path, {}, {Shorthand});
    test::WriteBytes(dir / "hot.ahk", "::brb::be right back\n::ty::thank you\n");
    test::WriteBytes(dir / "pairs.txt", "<shortkey>a\r\n<replacement text>1\r\n<shortkey>b\r\n");
    LibEditorLogic ed(path, 1, SystemCodePage());
    ASSERT_TRUE(ed.Open());
    for (const char* name : {"hot.ahk", "pairs.txt"}) {
        const auto outcome = ed.Import(dir / name, &progress);
        EXPECT_EQ(outcome.message.title, "Wordlark - Error");
        EXPECT_EQ(outcome.message.text, std::string("\"") + name +
                                            "\" could not be imported: there is not enough "
                                            "memory. What was imported before stays in the "
                                            "library.");
        EXPECT_TRUE(outcome.relist);
    }
    EXPECT_EQ(ReadLibrary(path), (Pairs{{"a", "1"}, {"brb", "be right back"}}));
}

TEST_F(EditorTest, OkWritesTheInfoOnlyWithThePermission) {
    MakeLibrary(path, {}, {.caption = "Fruit", .editable = 0, .description = "old"});
    // The caption, description, type and editable flag on the disk.
    auto stored = [&] {
        Library lib{SystemCodePage()};
        EXPECT_TRUE(lib.Open(path.c_str()));
        return std::string(lib.GetCaption()) + "|" + lib.GetDescription() + "|" +
               std::to_string(lib.GetType()) + "|" + std::to_string(lib.GetEditable());
    };
    EXPECT_FALSE(Opened(0)->WriteInfo(Shorthand, "Renamed", "new"));
    EXPECT_EQ(stored(), "Fruit|old|1|0");  // 1: Dictionary
    EXPECT_TRUE(Opened()->SaveInfo(Shorthand, "Renamed", "new\r\nlines").empty());
    // 2: Shorthand; the editable flag itself is not the editor's to change.
    EXPECT_EQ(stored(), "Renamed|new\r\nlines|2|0");

    // No type chosen keeps the library's.
    LibEditorLogic ed(path, 1, SystemCodePage());
    ASSERT_TRUE(ed.Open());
    EXPECT_TRUE(ed.WriteInfo(-1, "Again", ""));
    EXPECT_EQ(ed.Type(), Shorthand);
}

TEST_F(EditorTest, WritesTheLibraryRefusesAreToldNotLost) {
    // A damaged file: the editor says so instead of opening empty in silence.
    test::WriteBytes(path, kNoLibrary);
    for (int mayChange : {1, 0}) {
        LibEditorLogic ed(path, mayChange, SystemCodePage());
        ASSERT_FALSE(ed.Open());
        const UiMessage why = ed.OpenFailure();
        EXPECT_EQ(why.title, "Wordlark - Error");
        EXPECT_EQ(why.icon, UiMessage::Icon::Stop);
        EXPECT_THAT(why.text, HasSubstr("could not be opened"));
        EXPECT_THAT(why.text, HasSubstr(path));
        EXPECT_FALSE(ed.buttons().importFile);
        EXPECT_FALSE(ed.buttons().exportFile);
        ed.ListFrom("", nullptr);
        EXPECT_TRUE(ed.Rows().empty());
        EXPECT_EQ(ed.CountText(), "Items in library: 0\r\nItems Loaded:0");

        // Add on a library that takes no entry: not reported as added.
        const auto added = ed.Add("kiwi", "green");
        EXPECT_EQ(added.message.title, "Wordlark - Error");
        EXPECT_NE(added.message.text.find("could not be added"), std::string::npos);
        EXPECT_NE(added.message.text.find("may not write"), std::string::npos);

        // OK writes nothing to a library that did not open, and has nothing
        // more to tell than the opening did.
        EXPECT_FALSE(ed.WriteInfo(Shorthand, "Name", "Description"));
        EXPECT_EQ(ed.SaveInfo(Shorthand, "Name", "Description").text, "") << mayChange;
    }
    EXPECT_EQ(test::ReadBytes(path), kNoLibrary);

#ifndef _WIN32
    // (Windows keeps the folder of an open file.)
    // A library that opened and then refuses OK's write: told with the
    // permission, silent without it (nothing was to be written).
    for (int mayChange : {1, 0}) {
        const std::string folder = dir / "gone";
        std::filesystem::create_directory(folder);
        MakeLibrary(folder + "/gone.lib", kFruit);
        LibEditorLogic ed(folder + "/gone.lib", mayChange, SystemCodePage());
        ASSERT_TRUE(ed.Open());
        std::filesystem::remove_all(folder);
        const UiMessage lost = ed.SaveInfo(Shorthand, "Name", "Description");
        if (mayChange) {
            EXPECT_THAT(lost.text, HasSubstr("could not be saved"));
            EXPECT_EQ(lost.title, "Wordlark - Error");
        } else {
            EXPECT_TRUE(lost.empty());
        }
    }
#endif
}

// Greek, Polish, emoji and a check mark, as typed (UTF-8).
const char kAlpha[] = "\xCE\xB1";                                                     // α
const char kSisyphus[] = "\xCF\x83\xCE\xAF\xCF\x83\xCF\x85\xCF\x86\xCE\xBF\xCF\x82";  // σίσυφος
const char kZolw[] = "\xC5\xBC\xC3\xB3\xC5\x82w";                                     // żółw
const char kGrin[] = "\xF0\x9F\x98\x80";                                              // 😀
const char kCheck[] = "\xE2\x9C\x93";                                                 // ✓

TEST_F(EditorTest, ACodePageLibraryRefusesWhatItsCodePageCannotHoldAndStoresTheRest) {
    MakeLibrary(path, {{"caf\xE9", "old"}}, {Shorthand});
    LibEditorLogic ed(path, 1, CodePage1252());
    ASSERT_TRUE(ed.Open());
    EXPECT_FALSE(ed.IsUnicode());
    const std::string cafe = "caf\xC3\xA9";  // café as typed
    const struct {
        std::string key, text;
        const char* refused;  // the character named, "" when stored
    } typed[] = {
        {kAlpha, "alpha", kAlpha},
        {"beta", std::string("b ") + kZolw, "\xC5\xBC"},  // ż: 1252 has no z with a dot
        {"smile", kGrin, kGrin},
        {"cr\xC3\xA8me", "cr\xC3\xA8me br\xC3\xBBl\303\251e", ""},  // all in 1252
    };
    for (const auto& t : typed) {
        const auto added = ed.AddTyped(t.key, t.text);
        if (*t.refused) {
            EXPECT_THAT(added.message.text, HasSubstr(std::string("\"") + t.refused + "\""));
            EXPECT_THAT(added.message.text, HasSubstr("Convert the library to Unicode"));
            EXPECT_TRUE(added.message.utf8);
            EXPECT_EQ(added.message.title, "Wordlark - Error");
            EXPECT_FALSE(added.relist);
        } else {
            EXPECT_EQ(added.message.text, "Add data Succeed ");
        }
    }
    EXPECT_THAT(ed.AddTyped(kAlpha, "").message.text, HasSubstr("U+03B1"));
    // Save refuses alike and leaves the stored text; what 1252 holds is
    // stored in it.
    EXPECT_THAT(ed.SaveTyped(cafe, kSisyphus).message.text, HasSubstr("cannot be stored"));
    EXPECT_EQ(ed.SaveTyped(cafe, "\xE2\x82\xAC 5").message.text, "Save Succeed!");  // € is 0x80
    EXPECT_EQ(ReadLibrary(path),
              (Pairs{{"caf\xE9", "\x80 5"}, {"cr\xE8me", "cr\xE8me br\xFBl\xE9\x65"}}));

    // The buttons: a key the library cannot hold is one to add (and be told).
    std::string q, t;
    ed.ListFrom("", nullptr);
    ASSERT_TRUE(ed.OnSelectionChanged(1, 0, q, t));
    ed.OnQueryTyped(cafe);
    EXPECT_EQ(Enabled(ed), "del");
    ed.OnQueryTyped(kAlpha);
    EXPECT_EQ(Enabled(ed), "add del");
    ed.OnFullTextTyped(kCheck);
    EXPECT_EQ(Enabled(ed), "add save del");
    ed.OnFullTextTyped("\xE2\x82\xAC 5");
    EXPECT_EQ(Enabled(ed), "add del");

    // Not UTF-8, or too long once stored: refused too.
    std::string stored;
    EXPECT_FALSE(ed.FromTyped("bad\xFF", stored).empty());
    EXPECT_FALSE(
        ed.FromTyped(std::string(1024, 'k'), stored, LibEditorLogic::kMaxKeyBytes).empty());
    EXPECT_TRUE(ed.FromTyped(std::string(1023, 'k'), stored, LibEditorLogic::kMaxKeyBytes).empty());
}

TEST_F(EditorTest, AUnicodeLibraryTakesAnyCharacterAsUtf8) {
    MakeLibrary(path, {}, {.type = Shorthand, .caption = kSisyphus, .encoding = EncodingUtf8});
    LibEditorLogic ed(path, 1, CodePage1252());
    ASSERT_TRUE(ed.Open());
    EXPECT_TRUE(ed.IsUnicode());
    EXPECT_EQ(ed.Caption(), kSisyphus);
    EXPECT_EQ(ed.CaptionEncoding(), EncodingUtf8);
    const std::string text = std::string(kZolw) + " " + kCheck + " " + kGrin;
    EXPECT_EQ(ed.AddTyped(kSisyphus, text).message.text, "Add data Succeed ");
    EXPECT_EQ(ed.AddTyped(kAlpha, kGrin).message.text, "Add data Succeed ");
    ed.ListFrom("", nullptr);
    ASSERT_EQ(ed.Rows().size(), 2u);
    EXPECT_EQ(ed.Rows()[1].key, kSisyphus);  // UTF-8 byte order: α before σ
    EXPECT_EQ(ed.Rows()[1].text, text);
    // A key of four bytes per character fills the key's bytes, not more.
    // 😀 x 256 = 1024 bytes
    std::string grins;
    for (int i = 0; i < 256; ++i) grins += kGrin;
    const UiMessage refused = ed.AddTyped(grins, "").message;
    EXPECT_FALSE(refused.text.empty());
    EXPECT_EQ(refused.title, "Wordlark - Error");
    EXPECT_TRUE(ed.SaveInfo(Shorthand, kZolw, kCheck).empty());
    ed.Close();
    Library lib{CodePage1252()};
    ASSERT_TRUE(lib.Open(path.c_str()));
    EXPECT_STREQ(lib.GetCaption(), kZolw);
    EXPECT_STREQ(lib.GetDescription(), kCheck);
    EXPECT_EQ(lib.GetEncoding(), EncodingUtf8);
}

TEST_F(EditorTest, ALibraryOfAnUnknownEncodingIsNeverOpenedForEditing) {
    MakeLibrary(path, kFruit, {.caption = "Newer"});
    ASSERT_TRUE(test::WriteInfoRecord(path, "DBENCODING", std::string("\x01\0\0\0", 4)));
    const std::string before = test::ReadBytes(path);
    LibEditorLogic ed(path, 1, SystemCodePage());
    EXPECT_FALSE(ed.Open());
    EXPECT_FALSE(ed.IsOpen());
    EXPECT_THAT(ed.OpenFailure().text, HasSubstr("newer version of Wordlark"));
    EXPECT_FALSE(ed.buttons().importFile);
    EXPECT_FALSE(ed.WriteInfo(Shorthand, "Renamed", ""));
    EXPECT_TRUE(ed.SaveInfo(Shorthand, "Renamed", "").empty());
    EXPECT_EQ(ed.AddTyped("kiwi", "green").message.title, "Wordlark - Error");
    ed.Close();
    EXPECT_EQ(test::ReadBytes(path), before);
}

}  // namespace
}  // namespace wl
