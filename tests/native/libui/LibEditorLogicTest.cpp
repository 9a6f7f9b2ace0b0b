// The library editor's logic on real library files: listings, the button
// rules, Add, Save, Delete, Import, Export and what OK writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "libui/LibEditorLogic.h"
#include "tests/support/Libraries.h"

namespace wl {
namespace {

using test::MakeLibrary;
using test::Pairs;
using test::ReadLibrary;
using test::TempDir;

std::vector<std::string> Keys(const LibEditorLogic& ed) {
    std::vector<std::string> keys;
    for (const EditorRow& r : ed.Rows()) keys.push_back(r.key);
    return keys;
}

// Counts the steps and stops after a given number.
struct CountingProgress : ListingProgress {
    int begun = -1;
    int steps = 0;
    int stopAfter = -1;
    void Begin(std::int32_t count) override { begun = count; }
    bool Step() override {
        ++steps;
        return stopAfter < 0 || steps < stopAfter;
    }
};

const Pairs kFruit = {
    {"app", "a"}, {"apple", "b"}, {"application", "c"}, {"banana", "yellow"}, {"cherry", "red"}};

class EditorTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string path = dir / "fruit.lib";
};

TEST_F(EditorTest, ListsWholeLibraryFromAStoredKeyAndFromAnotherWord) {
    MakeLibrary(path, kFruit);
    LibEditorLogic ed(path, 1, SystemCodePage());
    ASSERT_TRUE(ed.Open());

    CountingProgress progress;
    ed.ListFrom("", &progress);
    EXPECT_EQ(Keys(ed),
              (std::vector<std::string>{"app", "apple", "application", "banana", "cherry"}));
    EXPECT_EQ(ed.Rows()[3].text, "yellow");
    EXPECT_EQ(progress.begun, 5);
    EXPECT_EQ(ed.CountText(), "Items in library: 5\r\nItems Loaded:5");

    // A stored key: it and the keys beginning with it (letter case ignored).
    ed.ListFrom("app", nullptr);
    EXPECT_EQ(Keys(ed), (std::vector<std::string>{"app", "apple", "application"}));
    ed.ListFrom("APP", nullptr);
    EXPECT_EQ(Keys(ed), (std::vector<std::string>{"app", "apple", "application"}));
    EXPECT_EQ(ed.CountText(), "Items in library: 5\r\nItems Loaded:3");

    // Any other word: from where the search stopped to the end.
    ed.ListFrom("b", nullptr);
    EXPECT_EQ(Keys(ed), (std::vector<std::string>{"banana", "cherry"}));
    // The search ends on banana without delivering it (banana does not hold
    // appz): the listing goes on after it.
    ed.ListFrom("appz", nullptr);
    EXPECT_EQ(Keys(ed), (std::vector<std::string>{"cherry"}));
    ed.ListFrom("zzz", nullptr);
    EXPECT_TRUE(ed.Rows().empty());
}

TEST_F(EditorTest, EmptyLibraryAndCancelledListing) {
    LibEditorLogic empty(dir / "empty.lib", 1, SystemCodePage());
    ASSERT_TRUE(empty.Open());  // created on the way
    empty.ListFrom("", nullptr);
    EXPECT_TRUE(empty.Rows().empty());
    EXPECT_EQ(empty.CountText(), "Items in library: 0\r\nItems Loaded:0");

    MakeLibrary(path, kFruit);
    LibEditorLogic ed(path, 1, SystemCodePage());
    ASSERT_TRUE(ed.Open());
    CountingProgress stop;
    stop.stopAfter = 2;  // the first row is listed before any step
    ed.ListFrom("", &stop);
    EXPECT_EQ(ed.Rows().size(), 3u);
    EXPECT_EQ(ed.CountText(), "Items in library: 5\r\nItems Loaded:3");
}

TEST_F(EditorTest, LibraryThatCannotBeOpened) {
    test::WriteBytes(path, "this is no library at all, just text\r\n");
    LibEditorLogic ed(path, 1, SystemCodePage());
    EXPECT_FALSE(ed.Open());
    EXPECT_FALSE(ed.buttons().importFile);
    EXPECT_FALSE(ed.buttons().exportFile);
    ed.ListFrom("", nullptr);
    EXPECT_TRUE(ed.Rows().empty());
    EXPECT_EQ(ed.CountText(), "Items in library: 0\r\nItems Loaded:0");
    // The file is left as it was.
    EXPECT_EQ(test::ReadBytes(path), "this is no library at all, just text\r\n");
}

TEST_F(EditorTest, AddAndSaveEnablingRules) {
    MakeLibrary(path, kFruit);
    LibEditorLogic ed(path, 1, SystemCodePage());
    ASSERT_TRUE(ed.Open());
    ed.ListFrom("", nullptr);

    std::string q, t;
    ASSERT_TRUE(ed.OnSelectionChanged(1, 3, q, t));
    EXPECT_EQ(q, "banana");
    EXPECT_EQ(t, "yellow");
    EXPECT_FALSE(ed.buttons().add);
    EXPECT_FALSE(ed.buttons().save);
    EXPECT_TRUE(ed.buttons().del);

    ed.OnQueryChanged("banana");  // typed the same key again
    EXPECT_FALSE(ed.buttons().add);
    ed.OnQueryChanged("bananas");
    EXPECT_TRUE(ed.buttons().add);
    EXPECT_FALSE(ed.buttons().save);
    ed.OnQueryChanged("Banana");  // the comparison is exact
    EXPECT_TRUE(ed.buttons().add);
    ed.OnQueryChanged("banana");
    EXPECT_FALSE(ed.buttons().add);

    ed.OnFullTextChanged("green");
    EXPECT_TRUE(ed.buttons().save);
    ed.OnQueryChanged("banana");  // leaves Save as it is
    EXPECT_TRUE(ed.buttons().save);
    ed.OnFullTextChanged("yellow");
    EXPECT_FALSE(ed.buttons().save);
    ed.OnFullTextChanged("green");
    ed.OnQueryChanged("");
    EXPECT_FALSE(ed.buttons().add);
    EXPECT_FALSE(ed.buttons().save);

    // Several rows: the boxes stay, Delete is enabled.
    std::string q2 = "unchanged", t2 = "unchanged";
    EXPECT_FALSE(ed.OnSelectionChanged(3, 0, q2, t2));
    EXPECT_EQ(q2, "unchanged");
    EXPECT_EQ(ed.SelectedKey(), "banana");
    EXPECT_TRUE(ed.buttons().del);
    // A listing disables Delete again.
    ed.ListFrom("", nullptr);
    EXPECT_FALSE(ed.buttons().del);
}

TEST_F(EditorTest, AddRefusesAStoredKeyAndStoresANewOne) {
    MakeLibrary(path, kFruit);
    LibEditorLogic ed(path, 1, SystemCodePage());
    ASSERT_TRUE(ed.Open());
    ed.ListFrom("", nullptr);

    auto refused = ed.Add("banana", "blue");
    EXPECT_EQ(refused.message.text, "This data had in database! ");
    EXPECT_EQ(refused.message.title, "Wordlark");
    EXPECT_EQ(refused.message.icon, UiMessage::Icon::Stop);
    EXPECT_FALSE(refused.relist);
    EXPECT_EQ(ReadLibrary(path), kFruit);

    auto added = ed.Add("date", "brown");
    EXPECT_EQ(added.message.text, "Add data Succeed ");
    EXPECT_EQ(added.message.icon, UiMessage::Icon::Exclamation);
    EXPECT_TRUE(added.relist);
    EXPECT_EQ(added.relistFrom, "date");
    ed.ListFrom(added.relistFrom, nullptr);
    EXPECT_EQ(Keys(ed), (std::vector<std::string>{"date"}));
    // The added entry is now the one the boxes show: adding it again is off.
    EXPECT_FALSE(ed.buttons().add);
    EXPECT_FALSE(ed.buttons().save);
    EXPECT_EQ(ReadLibrary(path).size(), 6u);

    // Letter case is ignored where the search lands: KIWI lands on kiwi.
    const std::string one = dir / "one.lib";
    MakeLibrary(one, {{"kiwi", "green"}});
    LibEditorLogic single(one, 1, SystemCodePage());
    ASSERT_TRUE(single.Open());
    EXPECT_EQ(single.Add("KIWI", "x").message.text, "This data had in database! ");
    // Banana lands on app (capitals sort first) and is a key of its own.
    EXPECT_EQ(ed.Add("Banana", "blue").message.text, "Add data Succeed ");
}

TEST_F(EditorTest, SaveReplacesOnlyAStoredKey) {
    MakeLibrary(path, kFruit);
    LibEditorLogic ed(path, 1, SystemCodePage());
    ASSERT_TRUE(ed.Open());

    auto failed = ed.Save("durian", "smelly");
    EXPECT_EQ(failed.message.text, "Save Failed!");
    EXPECT_EQ(failed.message.title, "Wordlark");
    EXPECT_EQ(failed.message.icon, UiMessage::Icon::None);
    EXPECT_EQ(ReadLibrary(path), kFruit);

    auto saved = ed.Save("cherry", "dark red\r\nand sweet");
    EXPECT_EQ(saved.message.text, "Save Succeed!");
    EXPECT_TRUE(saved.relist);
    EXPECT_EQ(saved.relistFrom, "cherry");
    Pairs expected = kFruit;
    expected[4].second = "dark red\r\nand sweet";
    EXPECT_EQ(ReadLibrary(path), expected);
    EXPECT_FALSE(ed.buttons().save);
}

TEST_F(EditorTest, DeleteThreeRowsAndFailures) {
    MakeLibrary(path, kFruit);
    LibEditorLogic ed(path, 1, SystemCodePage());
    ASSERT_TRUE(ed.Open());
    ed.ListFrom("", nullptr);

    EXPECT_EQ(LibEditorLogic::DeleteQuestion().text, "Are you sure you want to delete the items?");
    EXPECT_EQ(LibEditorLogic::DeleteQuestion().title, "Wordlark - Info");
    EXPECT_TRUE(LibEditorLogic::DeleteQuestion().ask);

    auto none = ed.DeleteRows({});
    EXPECT_EQ(none.message.text, "Please select the items to delete! ");
    EXPECT_EQ(none.message.title, "Wordlark - Error");

    auto done = ed.DeleteRows({0, 2, 4});
    EXPECT_EQ(done.message.text, "Delete Succeed!");
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

TEST_F(EditorTest, ImportThenExportRoundTrip) {
    MakeLibrary(path, {}, {.type = Shorthand});
    const std::string text =
        "<shortkey>brb\r\n<replacement text>be right back\r\n"
        "<shortkey>ty\r\n<replacement text>thank you\r\n";
    const std::string in = dir / "in.txt";
    test::WriteBytes(in, text);

    LibEditorLogic ed(path, 1, SystemCodePage());
    ASSERT_TRUE(ed.Open());
    test::RecordingProgress progress;
    auto imported = ed.Import(in, &progress);
    EXPECT_EQ(imported.message.text, "2 items have been successfully imported ");
    EXPECT_EQ(imported.message.title, "Wordlark");
    EXPECT_EQ(imported.message.icon, UiMessage::Icon::Information);
    EXPECT_TRUE(imported.relist);
    EXPECT_EQ(imported.relistFrom, "");

    // The editor's own listing is not disturbed by the export.
    ed.ListFrom("", nullptr);
    const std::string out = dir / "out.txt";
    auto exported = ed.Export(out, &progress);
    EXPECT_EQ(exported.message.text, "2 items have been successfully exported ");
    EXPECT_FALSE(exported.relist);
    EXPECT_EQ(test::ReadBytes(out), text);
    EXPECT_EQ(Keys(ed), (std::vector<std::string>{"brb", "ty"}));
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
    LibEditorLogic ed(path, 1, SystemCodePage());
    ASSERT_TRUE(ed.Open());
    auto outcome = ed.Import(in, nullptr);
    EXPECT_EQ(outcome.message.text,
              "1 items imported, 1 skipped\r\n\r\nSkipped:\r\n\":ip\": runs a shell command");
    EXPECT_EQ(outcome.message.title, "Wordlark");
    EXPECT_EQ(outcome.message.icon, UiMessage::Icon::Exclamation);
    EXPECT_TRUE(outcome.relist);
    EXPECT_EQ(ReadLibrary(path), (Pairs{{":sig", "Regards,%RETURN%%CARET%"}}));

    test::WriteBytes(dir / "bad.csv", std::string("\0\1\2", 3));
    auto refused = ed.Import(dir / "bad.csv", nullptr);
    EXPECT_EQ(refused.message.text, "\"bad.csv\" is not a text file.\r\nNothing was imported.");
    EXPECT_EQ(refused.message.title, "Wordlark - Error");
}

TEST_F(EditorTest, ImportFallsBackToAWordListUnlessCancelled) {
    MakeLibrary(path, {});
    const std::string in = dir / "words.txt";
    test::WriteBytes(in, "hello, world-wide foo_bar 42");
    {
        LibEditorLogic ed(path, 1, SystemCodePage());
        ASSERT_TRUE(ed.Open());
        test::RecordingProgress cancelled(0);
        auto none = ed.Import(in, &cancelled);
        EXPECT_EQ(none.message.text, "0 items have been successfully imported ");
        EXPECT_TRUE(ReadLibrary(path).empty());

        auto words = ed.Import(in, nullptr);
        EXPECT_EQ(words.message.text, "4 items have been successfully imported ");
    }
    EXPECT_EQ(ReadLibrary(path),
              (Pairs{{"42", ""}, {"foo_bar", ""}, {"hello", ""}, {"world-wide", ""}}));

    LibEditorLogic ed(path, 1, SystemCodePage());
    ASSERT_TRUE(ed.Open());
    EXPECT_EQ(ed.Import(dir / "missing.txt", nullptr).message.text,
              "0 items have been successfully imported ");
    EXPECT_EQ(ed.Export((dir.path() / "no-such-folder" / "x.txt").string(), nullptr).message.text,
              "0 items have been successfully exported ");
}

TEST_F(EditorTest, OkWritesTheInfoOnlyWithThePermission) {
    MakeLibrary(path, {}, {.caption = "Fruit", .editable = 0, .description = "old"});
    {
        LibEditorLogic ed(path, 0, SystemCodePage());
        ASSERT_TRUE(ed.Open());
        EXPECT_EQ(ed.Caption(), "Fruit");
        EXPECT_EQ(ed.Description(), "old");
        EXPECT_EQ(ed.Add("kiwi", "green").message.text, "Add data Succeed ");
        EXPECT_FALSE(ed.WriteInfo(Shorthand, "Renamed", "new"));
        ed.Close();
    }
    Library check{SystemCodePage()};
    ASSERT_TRUE(check.Open(path.c_str()));
    EXPECT_STREQ(check.GetCaption(), "Fruit");
    EXPECT_STREQ(check.GetDescription(), "old");
    EXPECT_EQ(check.GetType(), Dictionary);
    check.Close();
    EXPECT_EQ(ReadLibrary(path), (Pairs{{"kiwi", "green"}}));

    {
        LibEditorLogic ed(path, 1, SystemCodePage());
        ASSERT_TRUE(ed.Open());
        EXPECT_TRUE(ed.WriteInfo(Shorthand, "Renamed", "new\r\nlines"));
        ed.Close();
    }
    ASSERT_TRUE(check.Open(path.c_str()));
    EXPECT_STREQ(check.GetCaption(), "Renamed");
    EXPECT_STREQ(check.GetDescription(), "new\r\nlines");
    EXPECT_EQ(check.GetType(), Shorthand);
    EXPECT_EQ(check.GetEditable(), 0);  // the flag itself is not the editor's to change
    check.Close();

    // No type chosen keeps the library's.
    LibEditorLogic ed(path, 1, SystemCodePage());
    ASSERT_TRUE(ed.Open());
    EXPECT_TRUE(ed.WriteInfo(-1, "Again", ""));
    EXPECT_EQ(ed.Type(), Shorthand);
}

TEST_F(EditorTest, WritesTheLibraryRefusesAreToldNotLost) {
    // A damaged file: the editor says so instead of opening empty in silence.
    test::WriteBytes(path, "this is no library at all, just text\r\n");
    for (int mayChange : {1, 0}) {
        LibEditorLogic ed(path, mayChange, SystemCodePage());
        ASSERT_FALSE(ed.Open());
        const UiMessage why = ed.OpenFailure();
        EXPECT_EQ(why.title, "Wordlark - Error");
        EXPECT_EQ(why.icon, UiMessage::Icon::Stop);
        EXPECT_NE(why.text.find("could not be opened"), std::string::npos) << why.text;
        EXPECT_NE(why.text.find(path), std::string::npos) << why.text;

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
    EXPECT_EQ(test::ReadBytes(path), "this is no library at all, just text\r\n");

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
            EXPECT_NE(lost.text.find("could not be saved"), std::string::npos) << lost.text;
            EXPECT_EQ(lost.title, "Wordlark - Error");
        } else {
            EXPECT_TRUE(lost.empty());
        }
    }
#endif

    const std::string good = dir / "good.lib";
    MakeLibrary(good, kFruit);
    LibEditorLogic ed(good, 1, SystemCodePage());
    ASSERT_TRUE(ed.Open());
    EXPECT_TRUE(ed.SaveInfo(Dictionary, "Fruit", "").empty());
    EXPECT_EQ(ed.Add("kiwi", "green").message.text, "Add data Succeed ");
}

// Word weights: a saved entry keeps its weight, a deleted one loses it (an
// entry added again under its key has none), and they travel through the
// editor's export and import.
TEST_F(EditorTest, SavedEntriesKeepTheirWeightAndDeletedOnesLoseIt) {
    MakeLibrary(path, kFruit);
    {
        Library lib{SystemCodePage()};
        ASSERT_EQ(lib.Open(path.c_str()), 1);
        ASSERT_EQ(lib.SetWeight(test::Entry("apple"), 50), 1);
        ASSERT_EQ(lib.SetWeight(test::Entry("banana"), 7), 1);
    }
    auto weightOf = [&](const std::string& key) -> long {
        Library lib{SystemCodePage()};
        std::uint32_t w = 0;
        if (!lib.Open(path.c_str()) || !lib.GetWeight(test::Entry(key), w)) return -1;
        return static_cast<long>(w);
    };
    LibEditorLogic ed(path, 1, SystemCodePage());
    ASSERT_TRUE(ed.Open());
    ed.ListFrom("", nullptr);
    EXPECT_EQ(ed.Save("apple", "a red fruit").message.text, "Save Succeed!");
    EXPECT_EQ(weightOf("apple"), 50);
    EXPECT_EQ(ed.DeleteRows({3}).message.text, "Delete Succeed!");  // banana
    EXPECT_EQ(weightOf("banana"), -1);
    EXPECT_EQ(ed.Add("banana", "").message.text, "Add data Succeed ");
    EXPECT_EQ(weightOf("banana"), -1);

    const std::string out = dir / "out.txt";
    ed.Export(out, nullptr);
    EXPECT_NE(test::ReadBytes(out).find("<key>apple\r\n<data>a red fruit\r\n<weight>50\r\n"),
              std::string::npos);
    const std::string other = dir / "other.lib";
    MakeLibrary(other, {});
    LibEditorLogic copy(other, 1, SystemCodePage());
    ASSERT_TRUE(copy.Open());
    EXPECT_EQ(copy.Import(out, nullptr).message.text, "5 items have been successfully imported ");
    copy.Close();
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(other.c_str()), 1);
    std::uint32_t w = 0;
    ASSERT_EQ(lib.GetWeight(test::Entry("apple"), w), 1);
    EXPECT_EQ(w, 50u);
    EXPECT_EQ(lib.CountWeights(), 1);
}

}  // namespace
}  // namespace wl
