// The Libraries Manager ("Libraries Manager", dialog 132): every library of
// the Libs folder with a check box for its load switch and its encoding,
// "&Edit" (or a double-click) to open the library editor on the first
// selected library, "&New..." to create a library and edit it, and "Convert
// to &Unicode" for a selected code-page library.  OK writes every check box;
// Cancel writes none.  Library text shows through the wide-character list.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>

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
    // How "Convert to &Unicode" rewrites a library (tests hand in their own).
    void SetConverter(LibManagerLogic::Converter converter) {
        m_logic.SetConverter(std::move(converter));
    }

    // Opens the library editor modally on one library; true on its OK.
    // Tests may replace it (the editor then runs as they choose).
    virtual bool EditLibrary(const std::string& path, int mayChange);

  private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnDestroy() override;

    void Fill(bool keepChecks);
    // The logic's rows into the list.
    void Render();
    // "Convert to Unicode" enabled for a selected code-page library.
    void RenderConvert();
    void TakeChecks();
    void OnEdit();
    void OnNew();
    void OnConvert();
    void OnOK();
    void EditRow(int row);
    void SelectPath(const std::string& path);
    int FirstSelected() const;
    // The logic's row of a list row; -1 for none.
    int LogicRowOf(int listRow) const;

    RegistryProfile m_profile;
    const CodePage& m_codePage;
    LibUiHost& m_host;
    LibManagerLogic m_logic;
    std::string m_libsFolder;
    HWND m_list = nullptr;
};

// The dialog of "&New...": a file name, a type and "Unicode (any
// character)", ticked at first.  OK creates the library through the
// manager's logic; a rejected name keeps the dialog open with the reason
// shown.
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
