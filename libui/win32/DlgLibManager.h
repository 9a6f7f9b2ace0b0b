// The Libraries Manager ("Libraries Manager", dialog 132): every library of
// the Libs folder with a check box for its load switch, "&Edit" (or a
// double-click) to open the library editor on the first selected library,
// and "&New..." to create a library and edit it.  OK writes every check box;
// Cancel writes none.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "libui/LibManagerLogic.h"
#include "libui/Profile.h"
#include "libui/win32/LibDialog.h"

namespace wl {

class CDlgLibManager : public LibDialog {
  public:
    // libsFolder: the Libs folder beside the program ("" when unknown);
    // registry: the load switches, and the profile of the editor's progress
    // window; codePage: the libraries' text.
    CDlgLibManager(Registry& registry, const CodePage& codePage, std::string libsFolder,
                   LibUiHost& host = DefaultLibUiHost());
    ~CDlgLibManager() override;

    const LibManagerLogic& logic() const { return m_logic; }

    // Opens the library editor modally on one library; true on its OK.
    // Tests may replace it (the editor then runs as they choose).
    virtual bool EditLibrary(const std::string& path, int mayChange);

  private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnDestroy() override;

    void Fill(bool keepChecks);
    void TakeChecks();
    void OnEdit();
    void OnNew();
    void OnOK();
    void EditRow(int row);
    int FirstSelected() const;

    RegistryProfile m_profile;
    const CodePage& m_codePage;
    LibUiHost& m_host;
    LibManagerLogic m_logic;
    std::string m_libsFolder;
    HWND m_list = nullptr;
};

// The dialog of "&New...": a file name and a type.  OK creates the library
// through the manager's logic; a rejected name keeps the dialog open with
// the reason shown.
class CDlgNewLibrary : public LibDialog {
  public:
    CDlgNewLibrary(LibManagerLogic& logic, LibUiHost& host);
    ~CDlgNewLibrary() override { Destroy(); }
    // The file made, after OK.
    const std::string& createdPath() const { return m_createdPath; }

  private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

    LibManagerLogic& m_logic;
    LibUiHost& m_host;
    std::string m_createdPath;
};

}  // namespace wl
