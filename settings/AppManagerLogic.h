// The Applications Manager without its windows: the list of applications with
// their on/off state, the policy for every other application, the choice of
// one or more applications' state, and the list of running applications.
// The Win32 dialogs render this state and forward the user's actions to it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Registry.h"

namespace wl {

// One running process: its executable's file name and full path.
struct RunningApp {
    std::string fileName;
    std::string path;
};

// One row of the manager's list.
struct AppRow {
    std::string fileName;
    std::int32_t enable = 1;  // the row's item data: 1 enabled, 0 disabled
    std::string path;
    int icon = -1;  // index in the view's image list, -1 for none
};

// The text of the status column.
const char* StatusText(std::int32_t enable);

// The choice of state for one or more applications (the "Application
// Option" dialog).
class AppOptionModel {
  public:
    static constexpr int kNoChoice = -1;

    AppOptionModel() = default;  // an addition: no path yet, no choice
    AppOptionModel(std::vector<std::string> appPaths, int initialState)
        : paths(std::move(appPaths)), state(initialState) {}

    // An addition starts by picking running applications.
    bool NeedsRunningApps() const { return paths.empty(); }
    // The path box: one path per line, each followed by "\r\n".
    std::string PathText() const;
    // With no choice yet, derives the state from the stored keys of the
    // paths' applications: none enabled gives 0, enabled ones only give 1, a
    // mix leaves no choice.  Paths without a key are not counted.
    void DeriveState(Registry& reg);
    bool EnableTicked() const { return state == 1; }
    bool DisableTicked() const { return state == 0; }

    std::vector<std::string> paths;
    int state = kNoChoice;
};

// The running applications, as listed for picking.
class RunningAppsModel {
  public:
    // Rows go in at the top, so the list shows the snapshot in reverse.
    void Fill(const std::vector<RunningApp>& snapshot);
    const std::vector<RunningApp>& Rows() const { return rows_; }
    // OK: the parent's path list becomes the full paths of the selected rows,
    // top to bottom, without empty ones.  False, and nothing changed, when
    // there is no parent (OK then acts as Cancel).
    bool Ok(std::vector<int> selectedRows, AppOptionModel* parent) const;

  private:
    std::vector<RunningApp> rows_;
};

// The manager's list and the policy for other applications.
class AppManagerModel {
  public:
    // codePage: letter case of the applications' file names.
    explicit AppManagerModel(const CodePage& codePage) : cp_(codePage) {}

    // Reads every application key (each goes in at the top of the list, so
    // the list shows them in the reverse of their order in the store) and
    // OthersEnableVemo (1 when missing).
    void Load(Registry& reg);
    // Replaces every stored application by the list and writes the policy
    // for other applications.  False when the registry refused any of it.
    bool Save(Registry& reg) const;

    const std::vector<AppRow>& Rows() const { return rows_; }
    void SetIcon(int row, int icon);
    std::int32_t OthersEnable() const { return othersEnable_; }
    void SetOthersEnable(std::int32_t enable) { othersEnable_ = enable ? 1 : 0; }

    // Removes the given rows (any order; repeats and indexes out of range
    // are ignored).
    void DeleteRows(const std::vector<int>& rows);
    // Merges a choice into the list: each path's application gets the state
    // (no choice counts as enable); an application not in the list yet is
    // appended with the path.  Answers the rows appended.
    std::vector<int> Merge(const AppOptionModel& choice);
    // The row of an application, its file name compared without regard to
    // case as the registry compares key names; -1 when not in the list.
    int FindRow(const std::string& fileName) const;

    // A row can be edited when it exists and has a path.
    bool CanEdit(int row) const;
    // The choice for editing a row: its path and its state.
    AppOptionModel EditChoice(int row) const;
    // Applies an edit's choice to that row.
    void ApplyEdit(int row, const AppOptionModel& choice);

  private:
    const CodePage& cp_;
    std::vector<AppRow> rows_;
    std::int32_t othersEnable_ = 1;
};

}  // namespace wl
