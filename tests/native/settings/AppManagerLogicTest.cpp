#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "platform/MemoryRegistry.h"
#include "settings/AppManagerLogic.h"
#include "settings/Settings.h"

namespace wl {
namespace {

using Strings = std::vector<std::string>;
const std::string kApp = "SOFTWARE\\Quorbit\\AppOption\\";

// path: nullptr for none; predict: EnablePredict's byte, clipboard:
// TypeByClipboard's value, -1 for none.
void StoreApp(MemoryRegistry& reg, const std::string& name, std::uint8_t enable, const char* path,
              int predict = -1, int clipboard = -1) {
    RegKey key(reg, RegRoot::LocalMachine, kApp + name, true);
    key.WriteBinary("EnableVemo", enable);
    if (path) reg.WriteString(key.get(), "Path", path, static_cast<std::uint32_t>(strlen(path)));
    if (predict >= 0) key.WriteBinary("EnablePredict", static_cast<std::uint8_t>(predict));
    if (clipboard >= 0) key.WriteBinary("TypeByClipboard", static_cast<std::uint32_t>(clipboard));
}

// A field of each stored application, by file name.
template <typename T>
std::map<std::string, int> StoredBy(MemoryRegistry& reg, T AppSetting::*field) {
    std::int32_t others = 0;
    std::map<std::string, int> stored;
    for (const AppSetting& app : ReadAppSettings(reg, others)) stored[app.fileName] = app.*field;
    return stored;
}

Strings Names(const AppManagerModel& model) {
    Strings names;
    for (const AppRow& row : model.Rows()) names.push_back(row.fileName);
    return names;
}

TEST(AppManager, OkReplacesTheStoredListEntirely) {
    MemoryRegistry reg;
    StoreApp(reg, "a.exe", 1, "C:\\A\\a.exe");
    StoreApp(reg, "b.exe", 0, "C:\\B\\b.exe");
    StoreApp(reg, "c.exe", 7, "C:\\C\\c.exe");
    AppManagerModel model(SystemCodePage());
    model.Load(reg);
    EXPECT_EQ(model.Rows()[0].enable, 1);  // c.exe: any non-zero byte is enabled
    model.DeleteRows({0, 1});              // c.exe and b.exe
    EXPECT_EQ(model.Merge(AppOptionModel({"D:\\Tools\\new.exe"}, 0)), std::vector<int>{1});
    ASSERT_TRUE(model.Save(reg));
    EXPECT_FALSE(reg.KeyExists(RegRoot::LocalMachine, kApp + "b.exe"));
    model.Load(reg);
    ASSERT_EQ(Names(model), (Strings{"new.exe", "a.exe"}));
    EXPECT_EQ(model.Rows()[0].enable, 0);
    EXPECT_EQ(model.Rows()[0].path, "D:\\Tools\\new.exe");
    // Rows named twice, past the end or negative take nothing else with them.
    model.DeleteRows({1, 0, 1, 5, -1});
    EXPECT_TRUE(model.Rows().empty());
}

TEST(AppManager, MergingMatchesWholeFileNamesWithoutRegardToCase) {
    MemoryRegistry reg;
    StoreApp(reg, "NOTEPAD.EXE", 0, "C:\\Windows\\NOTEPAD.EXE");
    AppManagerModel model(SystemCodePage());
    model.Load(reg);

    // The same application from another folder updates the row, which keeps
    // its path.
    EXPECT_TRUE(model.Merge(AppOptionModel({"D:\\Other\\notepad.exe"}, 1)).empty());
    ASSERT_EQ(model.Rows().size(), 1u);
    EXPECT_EQ(model.Rows()[0].enable, 1);
    EXPECT_EQ(model.Rows()[0].path, "C:\\Windows\\NOTEPAD.EXE");

    // A name that only begins like a listed one is another application.
    EXPECT_EQ(model.Merge(AppOptionModel({"C:\\bin\\note"}, 0)), std::vector<int>{1});
    EXPECT_EQ(model.Rows()[0].enable, 1);
    EXPECT_EQ(Names(model), (Strings{"NOTEPAD.EXE", "note"}));

    // Several instances of one program give one row; no choice enables.
    EXPECT_EQ(model.Merge(AppOptionModel({"C:\\a\\calc.exe", "C:\\b\\CALC.exe", "C:\\folder\\"},
                                         AppOptionModel::kNoChoice)),
              std::vector<int>{2});
    ASSERT_EQ(model.Rows().size(), 3u);
    EXPECT_EQ(model.Rows()[2].path, "C:\\a\\calc.exe");
    EXPECT_EQ(model.Rows()[2].enable, 1);
}

TEST(AppManager, EditingARowChangesOnlyThatRow) {
    MemoryRegistry reg;
    StoreApp(reg, "a.exe", 1, "C:\\A\\a.exe");
    StoreApp(reg, "nopath.exe", 1, nullptr);
    AppManagerModel model(SystemCodePage());
    model.Load(reg);
    ASSERT_EQ(Names(model), (Strings{"nopath.exe", "a.exe"}));
    EXPECT_FALSE(model.CanEdit(0));   // no path
    EXPECT_FALSE(model.CanEdit(-1));  // empty area of the list
    EXPECT_FALSE(model.CanEdit(2));
    ASSERT_TRUE(model.CanEdit(1));
    AppOptionModel choice = model.EditChoice(1);
    EXPECT_EQ(choice.paths, Strings{"C:\\A\\a.exe"});
    EXPECT_EQ(choice.state, 1);
    EXPECT_FALSE(choice.NeedsRunningApps());
    EXPECT_TRUE(choice.EnableTicked());
    choice.state = 0;
    model.ApplyEdit(1, choice);
    EXPECT_EQ(model.Rows()[1].enable, 0);
    EXPECT_EQ(model.Rows()[0].enable, 1);
}

TEST(AppOption, StateDerivedFromTheStore) {
    MemoryRegistry reg;
    StoreApp(reg, "on.exe", 1, "C:\\on.exe");  // predicts: no EnablePredict
    StoreApp(reg, "on2.exe", 2, "C:\\on2.exe", 0);
    StoreApp(reg, "off.exe", 0, "C:\\off.exe", 0);
    struct Case {
        Strings paths;
        int state, predict;
    } cases[] = {
        {{"C:\\x\\unknown.exe"}, 0, 1},                        // no key: disable, predict
        {{"C:\\x\\off.exe"}, 0, 0},                            // disabled only
        {{"C:\\x\\ON.EXE", "D:\\on2.exe"}, 1, -1},             // enabled only; predicts mixed
        {{"C:\\on.exe", "C:\\unknown.exe"}, 1, 1},             // keyless paths do not count
        {{"C:\\on.exe", "C:\\off.exe"}, -1, -1},               // a mix: no choice
        {{"C:\\on2.exe", "C:\\off.exe"}, -1, 0},               // both without prediction
        {{"C:\\dir\\", "C:\\off.exe", "C:\\on.exe"}, -1, -1},  // no file name: not counted
    };
    for (const Case& c : cases) {
        AppOptionModel choice(c.paths, AppOptionModel::kNoChoice);
        choice.DeriveState(reg);
        EXPECT_EQ(choice.state, c.state) << c.paths[0];
        EXPECT_EQ(choice.EnableTicked(), c.state == 1);
        EXPECT_EQ(choice.DisableTicked(), c.state == 0);
        EXPECT_EQ(choice.predict, c.predict) << c.paths[0];
        EXPECT_EQ(choice.PredictMixed(), c.predict == -1);
        // The box has effect, and is enabled, only for enabled applications.
        EXPECT_EQ(choice.PredictBoxEnabled(), c.state == 1);
    }
    // A choice given by the caller is kept; what was not given is derived.
    AppOptionModel given({"C:\\off.exe"}, 1);
    given.DeriveState(reg);
    EXPECT_EQ(given.state, 1);
    EXPECT_EQ(given.predict, 0);
    EXPECT_EQ(given.PathText(), "C:\\off.exe\r\n");
    AppOptionModel both({"C:\\off.exe"}, 1, 1);
    both.DeriveState(reg);
    EXPECT_EQ(both.predict, 1);
    // A click on a mixed box ticks it; the next one clears it.
    AppOptionModel mixed({"C:\\on.exe"}, 1);
    mixed.TogglePredict();
    EXPECT_TRUE(mixed.PredictTicked());
    mixed.TogglePredict();
    EXPECT_EQ(mixed.predict, 0);
}

// Each row keeps its own prediction switch through loading, merging,
// editing and saving, unless a choice sets it.
TEST(AppManager, PredictionIsKeptPerApplicationUnlessChosen) {
    MemoryRegistry reg;
    StoreApp(reg, "a.exe", 1, "C:\\A\\a.exe", 0);
    StoreApp(reg, "b.exe", 0, "C:\\B\\b.exe");
    AppManagerModel model(SystemCodePage());
    model.Load(reg);
    ASSERT_EQ(Names(model), (Strings{"b.exe", "a.exe"}));
    EXPECT_EQ(model.Rows()[0].predict, 1);
    EXPECT_STREQ(PredictionText(model.Rows()[0]), "");  // disabled: no effect
    EXPECT_STREQ(PredictionText(model.Rows()[1]), "Off");

    // No choice of prediction: a listed application keeps its own, a new one
    // predicts.
    model.Merge(AppOptionModel({"D:\\a.exe", "C:\\N\\new.exe"}, 1));
    EXPECT_EQ(model.Rows()[1].predict, 0);
    EXPECT_EQ(model.Rows()[2].predict, 1);
    EXPECT_STREQ(PredictionText(model.Rows()[2]), "On");
    // A choice sets it for each path's application.
    model.Merge(AppOptionModel({"C:\\N\\new.exe", "C:\\M\\more.exe"}, 1, 0));
    EXPECT_EQ(model.Rows()[2].predict, 0);
    EXPECT_EQ(model.Rows()[3].predict, 0);

    // Editing: the row's switch is the choice's, and comes back changed.
    AppOptionModel edit = model.EditChoice(1);
    EXPECT_EQ(edit.predict, 0);
    edit.TogglePredict();
    model.ApplyEdit(1, edit);
    EXPECT_EQ(model.Rows()[1].predict, 1);
    // Switching an application off keeps its switch.
    edit = model.EditChoice(3);
    edit.state = 0;
    model.ApplyEdit(3, edit);
    EXPECT_EQ(model.Rows()[3].predict, 0);

    ASSERT_TRUE(model.Save(reg));
    EXPECT_EQ(
        StoredBy(reg, &AppSetting::predict),
        (std::map<std::string, int>{{"a.exe", 1}, {"b.exe", 1}, {"new.exe", 0}, {"more.exe", 0}}));
}

// "Type through the clipboard": the console hosts have it while they have no
// value of their own; it is kept per row unless chosen, and always saved.
TEST(AppManager, TypingThroughTheClipboardDefaultsToTheConsoleHosts) {
    MemoryRegistry reg;
    StoreApp(reg, "cmd.exe", 1, "C:\\W\\cmd.exe");  // no value: a console host pastes
    StoreApp(reg, "powershell.exe", 1, "C:\\W\\powershell.exe", -1, 0);
    StoreApp(reg, "word.exe", 1, "C:\\O\\word.exe", -1, 1);
    struct Case {
        Strings paths;
        int clipboard;
    } cases[] = {
        {{"C:\\W\\cmd.exe"}, 1},
        {{"C:\\W\\Conhost.EXE"}, 1},  // no key: the default of its name
        {{"C:\\W\\notepad.exe"}, 0},
        {{"C:\\W\\powershell.exe"}, 0},  // its own value wins
        {{"C:\\O\\word.exe", "C:\\W\\cmd.exe"}, 1},
        {{"C:\\O\\word.exe", "C:\\W\\notepad.exe"}, -1},  // a mix: each keeps its own
    };
    for (const Case& c : cases) {
        AppOptionModel choice(c.paths, AppOptionModel::kNoChoice);
        choice.DeriveState(reg);
        EXPECT_EQ(choice.clipboard, c.clipboard) << c.paths[0] << " " << c.paths.back();
        EXPECT_EQ(choice.ClipboardMixed(), c.clipboard == -1);
    }

    AppManagerModel model(SystemCodePage());
    model.Load(reg);
    ASSERT_EQ(Names(model), (Strings{"word.exe", "powershell.exe", "cmd.exe"}));
    EXPECT_EQ(model.Rows()[2].clipboard, 1);
    // A new console host pastes, a new editor types; a choice sets it.
    model.Merge(AppOptionModel({"C:\\T\\WindowsTerminal.exe", "C:\\E\\edit.exe"}, 1));
    EXPECT_EQ(model.Rows()[3].clipboard, 1);
    EXPECT_EQ(model.Rows()[4].clipboard, 0);
    AppOptionModel edit = model.EditChoice(0);
    edit.ToggleClipboard();
    model.ApplyEdit(0, edit);
    ASSERT_TRUE(model.Save(reg));
    EXPECT_EQ(StoredBy(reg, &AppSetting::clipboard),
              (std::map<std::string, int>{{"word.exe", 0},
                                          {"powershell.exe", 0},
                                          {"cmd.exe", 1},
                                          {"WindowsTerminal.exe", 1},
                                          {"edit.exe", 0}}));
    std::uint32_t value = 9;
    RegKey(reg, RegRoot::LocalMachine, kApp + "cmd.exe", false).ReadInto("TypeByClipboard", value);
    EXPECT_EQ(value, 1u);  // written: no longer left to the default
}

TEST(RunningApps, PickedRowsBecomeTheParentsPathsTopToBottom) {
    RunningAppsModel running;
    running.Fill({{"first.exe", "C:\\first.exe"},
                  {"noPath.exe", ""},
                  {"third.exe", "C:\\third.exe"},
                  {"third.exe", "C:\\third.exe"}});
    ASSERT_EQ(running.Rows().size(), 4u);
    EXPECT_EQ(running.Rows()[0].fileName, "third.exe");  // the last taken is on top
    EXPECT_EQ(running.Rows()[3].fileName, "first.exe");

    AppOptionModel parent({"C:\\stale.exe"}, AppOptionModel::kNoChoice);
    ASSERT_TRUE(running.Ok({3, 2, 0, 3, 9}, &parent));
    EXPECT_EQ(parent.paths, (Strings{"C:\\third.exe", "C:\\first.exe"}));
    EXPECT_EQ(parent.PathText(), "C:\\third.exe\r\nC:\\first.exe\r\n");

    // No row selected: an empty list, so the addition ends without adding.
    ASSERT_TRUE(running.Ok({}, &parent));
    EXPECT_TRUE(parent.NeedsRunningApps());
    // No parent: OK acts as Cancel.
    EXPECT_FALSE(running.Ok({0}, nullptr));
}

}  // namespace
}  // namespace wl
