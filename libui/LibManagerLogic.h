// The Libraries Manager's state and decisions: one row per library file of
// the Libs folder with its load switch, what OK writes, which library the
// editor opens, and the creation of a new library.
#pragma once

#include <string>
#include <vector>

#include "libui/UiMessage.h"
#include "platform/Directory.h"
#include "platform/Registry.h"
#include "store/LibrarySet.h"

namespace wl {

struct LibraryRow {
    std::string caption;      // "Library Name"
    std::string typeText;     // "Dictionary", "Shorthand" or ""
    std::string editText;     // "Enable" or "Disable"
    std::string description;  // "Description"
    std::string path;         // "File Path"
    bool checked = true;      // the load switch as the list shows it
    int index = -1;           // the library's index in the manager's set
    int editable = 1;         // the library's editable flag
};

class LibManagerLogic {
  public:
    // libsFolder: the Libs folder beside the program, without a trailing
    // separator; empty when the program's path is unknown (the list stays
    // empty).  codePage: the libraries' text and the names typed for new
    // ones.
    LibManagerLogic(Registry& registry, Directory& directory, const CodePage& codePage,
                    std::string libsFolder);

    // Lists every library of the folder, whatever its load switch.  With
    // keepChecks, rows still listed keep the check state they had (changes
    // not yet written survive a refill); new rows take their stored switch.
    void Fill(bool keepChecks = false);
    const std::vector<LibraryRow>& Rows() const { return rows_; }
    void SetChecked(int row, bool checked);
    // The row of a library path, -1 when it is not listed.
    int RowOfPath(const std::string& path) const;

    // OK: writes every row's check state as its library's load switch.
    void WriteSwitches();
    // Closes the libraries of the manager's set (the dialog's destruction).
    void Close() { set_.UnloadAll(); }

    // What "&Edit" opens: the library of row (the first selected, -1 for
    // none), with its editable flag as the permission to change its info.
    struct EditRequest {
        bool valid = false;
        std::string path;
        int mayChange = 1;
    };
    EditRequest EditRow(int row) const;

    // "&New...": checks the name the user typed, appends ".lib" when it is
    // missing, and creates the library (type Dictionary or Shorthand, the
    // name without ".lib" as its caption).  On success path is the new file
    // and message is empty; otherwise message says why nothing was made.
    struct NewResult {
        bool created = false;
        std::string path;
        UiMessage message;
    };
    NewResult CreateLibrary(const std::string& name, int type);
    // The name check alone: empty message and the file name (with ".lib")
    // when the name may be used in the folder.
    UiMessage CheckNewName(const std::string& name, std::string& fileName) const;

    // The pattern the folder is listed with.
    std::string Pattern() const;
    std::string PathOf(const std::string& fileName) const;

  private:
    Directory& directory_;
    const CodePage& codePage_;
    LibrarySet set_;
    std::string folder_;
    std::vector<LibraryRow> rows_;
};

// The "Library Type" cell of a type.
const char* LibraryTypeText(int type);

}  // namespace wl
