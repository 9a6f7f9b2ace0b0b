// The Libraries Manager's state and decisions: one row per library file of
// the Libs folder with its load switch and encoding, what OK writes, which
// library the editor opens, the creation of a new library and the
// conversion of a code-page library to Unicode.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "libui/UiMessage.h"
#include "platform/Directory.h"
#include "platform/Registry.h"
#include "store/ImportProgress.h"
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
    bool opened = false;      // the file opened as a library
    // LibraryEncoding of the library's keys, texts, caption and
    // description; "Encoding" shows it as encodingText.
    std::int32_t encoding = EncodingCodePage;
    std::string encodingText;
    // The encoding of caption: the code page when the library has no
    // caption of its own and shows its file name.
    std::int32_t captionEncoding = EncodingCodePage;
};

class LibManagerLogic {
  public:
    // libsFolder: the Libs folder beside the program, without a trailing
    // separator; empty when the program's path is unknown (the list stays
    // empty).  codePage: the libraries' text and the names typed for new
    // ones.
    LibManagerLogic(Registry& registry, Directory& directory, const CodePage& codePage,
                    std::string libsFolder);

    // How a library is rewritten as UTF-8 (ConvertToUnicode's shape); tests
    // hand in their own.
    using Converter = std::function<int(const std::string& path, const CodePage& codePage,
                                        ImportProgress* progress, std::string* error)>;
    void SetConverter(Converter converter) { converter_ = std::move(converter); }

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
    // A library of an encoding this program does not know is never opened
    // for editing: refusal then says why and valid is false.
    struct EditRequest {
        bool valid = false;
        std::string path;
        int mayChange = 1;
        UiMessage refusal;
    };
    EditRequest EditRow(int row) const;

    // "Convert to Unicode" is offered for a library that opened and holds
    // its text in the code page.
    bool CanConvert(int row) const;
    // The question asked before converting (OK and Cancel).
    UiMessage ConvertQuestion(int row) const;
    // Rewrites the library of row as UTF-8: the manager's set lets go of
    // the files first, and lists the folder again afterwards (pending check
    // boxes kept).  The library counts as converted only when its file then
    // reads as UTF-8; otherwise the message says why, and that the library
    // was left as it was.
    struct ConvertResult {
        bool converted = false;
        UiMessage message;
    };
    ConvertResult Convert(int row, ImportProgress* progress);

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
    // The new-library dialog's OK: name as typed (UTF-8), which must be a
    // file name in the code page; with unicode the library is UTF-8 (its
    // caption the typed name), else a code-page library as CreateLibrary
    // makes it.
    NewResult CreateLibraryAsTyped(const std::string& typedName, int type, bool unicode);
    // The name check alone: empty message and the file name (with ".lib")
    // when the name may be used in the folder.
    UiMessage CheckNewName(const std::string& name, std::string& fileName) const;

    // The pattern the folder is listed with.
    std::string Pattern() const;
    std::string PathOf(const std::string& fileName) const;

  private:
    NewResult Create(const std::string& name, int type, bool unicode, const std::string& typedName);

    Directory& directory_;
    const CodePage& codePage_;
    LibrarySet set_;
    std::string folder_;
    std::vector<LibraryRow> rows_;
    Converter converter_;
};

// The "Library Type" cell of a type.
const char* LibraryTypeText(int type);
// The "Encoding" cell of a LibraryEncoding.
const char* LibraryEncodingText(std::int32_t encoding);
// Said when a library of an encoding this program does not know is to be
// edited.
UiMessage UnknownEncodingMessage(const std::string& path);

}  // namespace wl
