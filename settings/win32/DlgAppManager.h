// The Applications Manager with its two helpers: the choice of state for one
// or more applications, and the list of running applications to pick from.
// The rows and decisions are AppManagerModel's, AppOptionModel's and
// RunningAppsModel's; these classes show them and forward the user's
// actions.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "platform/Registry.h"
#include "settings/AppManagerLogic.h"
#include "platform/win32/DialogBase.h"

namespace wl {

// Where the running applications come from: each process's executable.
using RunningAppsSource = std::function<std::vector<RunningApp>()>;
// The system's processes (process and module snapshots).
std::vector<RunningApp> SnapshotRunningApps();

// A 16 x 16 image list of application icons, owned by the dialog.
class AppIconList {
  public:
    AppIconList();
    ~AppIconList();
    AppIconList(const AppIconList&) = delete;
    AppIconList& operator=(const AppIconList&) = delete;

    HIMAGELIST get() const { return m_hList; }
    void Clear();
    // Adds the first icon of the file; answers its index, or -1 when the file
    // has none.
    int Add(const std::string& path);

  private:
    HIMAGELIST m_hList = nullptr;
};

class CDlgRunningApps : public DialogBase {
  public:
    // parent: the choice whose path list OK fills; without one OK acts as
    // Cancel.
    CDlgRunningApps(AppOptionModel* parent, RunningAppsSource source = SnapshotRunningApps);
    const RunningAppsModel& model() const { return m_model; }

  private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void Fill();
    void OnOK();

    AppOptionModel* m_parent;
    RunningAppsSource m_source;
    RunningAppsModel m_model;
    AppIconList m_icons;
};

class CDlgAppOption : public DialogBase {
  public:
    // An empty path list makes the dialog start with the running
    // applications.
    CDlgAppOption(Registry& reg, AppOptionModel choice,
                  RunningAppsSource source = SnapshotRunningApps);
    const AppOptionModel& choice() const { return m_choice; }

  private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    // Ticks the prediction box from the choice and enables it as the state
    // allows.
    void UpdatePredictBox();
    void UpdateClipboardBox();

    Registry& m_registry;
    AppOptionModel m_choice;
    RunningAppsSource m_source;
};

class CDlgAppManager : public DialogBase {
  public:
    // codePage: letter case of the applications' file names.
    CDlgAppManager(Registry& reg, const CodePage& codePage,
                   RunningAppsSource source = SnapshotRunningApps);
    const AppManagerModel& model() const { return m_model; }
    // Valid after OK: whether the registry took the whole list.
    bool allWritten() const { return m_bAllWritten; }

  private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void Render();
    void LoadIcons(const std::vector<int>& rows);
    void OnDelete();
    void OnAdd();
    void OnDoubleClick(int row);

    Registry& m_registry;
    RunningAppsSource m_source;
    AppManagerModel m_model;
    AppIconList m_icons;
    bool m_bAllWritten = false;
};

}  // namespace wl
