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
    int icon = -1;               // index in the view's image list, -1 for none
    std::int32_t predict = 1;    // 1: the next word is predicted here, 0: not
    std::int32_t clipboard = 0;  // 1: texts in any character are pasted here
};

// The text of the status column.
const char* StatusText(std::int32_t enable);
// The text of the prediction column: "On" or "Off" for an enabled
// application, nothing for a disabled one (its switch is kept, but has no
// effect).
const char* PredictionText(const AppRow& row);

// The choice of state for one or more applications (the "Application
// Option" dialog): on or off, and whether the next word is predicted there.
class AppOptionModel {
  public:
    static constexpr int kNoChoice = -1;

    AppOptionModel() = default;  // an addition: no path yet, no choice
    // initialPredict: kNoChoice keeps each application's own switch.
    AppOptionModel(std::vector<std::string> appPaths, int initialState,
                   int initialPredict = kNoChoice, int initialClipboard = kNoChoice)
        : paths(std::move(appPaths)),
          state(initialState),
          predict(initialPredict),
          clipboard(initialClipboard) {}

    // An addition starts by picking running applications.
    bool NeedsRunningApps() const { return paths.empty(); }
    // The path box: one path per line, each followed by "\r\n".
    std::string PathText() const;
    // With no choice yet, derives the state from the stored keys of the
    // paths' applications: none enabled gives 0, enabled ones only give 1, a
    // mix leaves no choice.  Paths without a key are not counted.  The
    // prediction likewise, when not chosen: all on (a key without
    // EnablePredict, or no key counted at all, is on) gives 1, all off 0, a
    // mix no choice.  "Type through the clipboard" likewise, every path
    // counted: its application's own value, or without one, set for a
    // console host.
    void DeriveState(Registry& reg);
    bool EnableTicked() const { return state == 1; }
    bool DisableTicked() const { return state == 0; }

    // The prediction box: ticked, clear, or mixed (no choice: each
    // application keeps its own); it has effect only for enabled
    // applications, so it is enabled only while "Enable" is ticked, and
    // keeps its tick while not.
    bool PredictTicked() const { return predict == 1; }
    bool PredictMixed() const { return predict == kNoChoice; }
    bool PredictBoxEnabled() const { return state == 1; }
    // A click on the box: a mixed or clear box becomes ticked, a ticked one
    // clear.
    void TogglePredict() { predict = predict == 1 ? 0 : 1; }

    // "Type through the clipboard": ticked, clear or mixed (no choice: each
    // keeps its own), whatever the state; a click as for the prediction.
    bool ClipboardTicked() const { return clipboard == 1; }
    bool ClipboardMixed() const { return clipboard == kNoChoice; }
    void ToggleClipboard() { clipboard = clipboard == 1 ? 0 : 1; }

    std::vector<std::string> paths;
    int state = kNoChoice;
    int predict = kNoChoice;
    int clipboard = kNoChoice;
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
    // (no choice counts as enable) and the prediction (no choice keeps a
    // listed application's own, and predicts for a new one), and the
    // clipboard likewise (a new console host types through it); an application
    // not in the list yet is appended with the path.  Answers the rows
    // appended.
    std::vector<int> Merge(const AppOptionModel& choice);
    // The row of an application, its file name compared without regard to
    // case as the registry compares key names; -1 when not in the list.
    int FindRow(const std::string& fileName) const;

    // A row can be edited when it exists and has a path.
    bool CanEdit(int row) const;
    // The choice for editing a row: its path, its state and its prediction.
    AppOptionModel EditChoice(int row) const;
    // Applies an edit's choice to that row.
    void ApplyEdit(int row, const AppOptionModel& choice);

  private:
    const CodePage& cp_;
    std::vector<AppRow> rows_;
    std::int32_t othersEnable_ = 1;
};

}  // namespace wl
