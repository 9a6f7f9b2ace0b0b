// The Options dialog: a tree of two pages, "Hotkeys" and "Others", each a
// child dialog.  The fields and decisions are OptionsModel's; these classes
// show them and forward the user's clicks.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "platform/Registry.h"
#include "settings/OptionsLogic.h"
#include "platform/win32/DialogBase.h"
#include "platform/win32/ProgramFolder.h"

namespace wl {

// The keyboard layout of the running system (VkKeyScanA).
const KeyLayout& SystemKeyLayout();

class CDlgOptionHotkey : public DialogBase {
  public:
    CDlgOptionHotkey(OptionHotkeyPage& page, const KeyLayout& layout);
    // Ticks, selects and shows what the page's fields hold.
    void UpdateControls();

  private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnCommand(int id, int code);
    void OnCompleteSelChange();
    void OnOtherSelChange();
    void OnHotkeyChange();

    OptionHotkeyPage& m_page;
    const KeyLayout& m_layout;
};

class CDlgOptionOthers : public DialogBase {
  public:
    explicit CDlgOptionOthers(OptionOthersPage& page);
    // Ticks the boxes from the page's flags, enables the prediction and
    // learning boxes as the smart order allows, and shows the learned count and the "Show" and
    // "Forget" buttons (hidden without learned data).
    void UpdateControls();

  private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void UpdateDependentBoxes();
    // Asks once; on Yes the learned data is forgotten now and the count
    // shown again, and the files it left behind, if any, told.
    void OnForget();
    // The list of learned words, modal; the count shown again after it.
    void OnShowLearned();

    OptionOthersPage& m_page;
};

class CDlgOptions : public DialogBase {
  public:
    // exePath: the value written for start with Windows; learned: what the
    // Others page counts and forgets (none: it shows neither).
    CDlgOptions(Registry& reg, std::string exePath = ProgramPath(), LearnedData* learned = nullptr,
                const KeyLayout& layout = SystemKeyLayout());
    ~CDlgOptions() override;

    // Valid after OK: the values the main window takes over, and whether the
    // registry took every value.
    const OptionsResult& result() const { return m_result; }
    const OptionsModel& model() const { return m_model; }
    HWND hotkeyPage() const { return m_hotkeyPage.hwnd(); }
    HWND othersPage() const { return m_othersPage.hwnd(); }

  private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnTreeSelChanged(HTREEITEM item);
    void PlacePages();

    Registry& m_registry;
    std::string m_strExePath;
    LearnedData* m_pLearned;
    OptionsModel m_model;
    OptionsResult m_result;
    CDlgOptionHotkey m_hotkeyPage;
    CDlgOptionOthers m_othersPage;
    HICON m_hIcon = nullptr;
    HICON m_hIconSmall = nullptr;
};

}  // namespace wl
