// The library editor ("Library Option", dialog 131): the name, type and
// description of one library, and its entries, which it lists, adds, saves,
// deletes, imports and exports.  Entry changes are written at once; name,
// type and description on OK, when the opener allowed it.
//
// The entry list is a virtual list view: the rows live in the editor's logic
// and the control asks for the ones it draws, so that a library of a hundred
// thousand entries lists in a moment.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "libui/LibEditorLogic.h"
#include "libui/Profile.h"
#include "libui/win32/DlgWait.h"
#include "libui/win32/LibDialog.h"

namespace wl {

class ProgressWindow;

class CDlgLibOption : public LibDialog {
  public:
    // path: the library file; mayChange: its editable flag (1 lets OK write
    // name, type and description); profile: where the progress window
    // remembers its position; codePage: the text of a code-page library.
    // Library text is shown and typed through the wide-character controls,
    // converted by the library's encoding.
    CDlgLibOption(std::string path, int mayChange, Profile& profile, const CodePage& codePage,
                  LibUiHost& host = DefaultLibUiHost());
    ~CDlgLibOption() override;

    const LibEditorLogic& logic() const { return m_logic; }
    // The progress window of the listing under way, nullptr between
    // listings (tests).
    ProgressWindow* progress() const { return m_progress; }
    const CDlgWait& waitBox() const { return m_wait; }

    // Lists from text, with the progress window (Query, Reload and the
    // operations use it).
    void ListFrom(const std::string& text);

  private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnDestroy() override;

    void OnCommand(int id, int code);
    INT_PTR OnNotify(const NMHDR* header);
    void OnSelectionChanged();
    void OnQuery();
    void OnAdd();
    void OnSave();
    void OnDelete();
    void OnImport();
    void OnExport();
    void OnMacroMenu();
    void OnMacro(int command);
    void OnOK();

    void InsertColumns();
    void FillTypeBox();
    void RenderButtons();
    void SetBox(int id, const std::string& text);
    // A box's text as the user typed it, as UTF-8.
    std::string Typed(int id) const;
    std::vector<int> SelectedRows() const;
    void Show(const UiMessage& message);
    void Apply(const LibEditorLogic::Outcome& outcome);
    static LRESULT CALLBACK FullTextProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    LibEditorLogic m_logic;
    Profile& m_profile;
    LibUiHost& m_host;
    CDlgWait m_wait;
    HIMAGELIST m_imageList = nullptr;
    HWND m_list = nullptr;
    HWND m_lastFocused = nullptr;
    WNDPROC m_fullTextProc = nullptr;
    ProgressWindow* m_progress = nullptr;
    bool m_bBusy = false;          // a listing or an import runs
    bool m_bSettingBoxes = false;  // the boxes are being filled from a row
};

}  // namespace wl
