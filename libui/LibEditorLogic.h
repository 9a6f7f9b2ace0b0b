// The library editor's state and decisions: the open library, the listed
// entries (kept in memory; the list control shows them on demand), which
// buttons are enabled, what Add, Save, Delete, Import and Export do and say,
// and what OK writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "libui/UiMessage.h"
#include "snippets/SnippetImport.h"
#include "store/ImportProgress.h"
#include "store/Library.h"

namespace wl {

struct EditorRow {
    std::string key;
    std::string text;
};

// What a listing reports to while it runs (the progress window).
class ListingProgress {
  public:
    virtual ~ListingProgress() = default;
    // The listing is about to deliver up to count rows.
    virtual void Begin(std::int32_t count) = 0;
    // After each row; false stops the listing.
    virtual bool Step() = 0;
};

class LibEditorLogic {
  public:
    struct Buttons {
        bool add = false;
        bool save = false;
        bool del = false;
        bool importFile = false;
        bool exportFile = false;
    };
    // What an operation asks of the dialog: a message to show (none when
    // empty) and whether to list again, from which text.
    struct Outcome {
        UiMessage message;
        bool relist = false;
        std::string relistFrom;
    };

    // mayChange: the library's editable flag, given by the opener; with 1
    // OK writes name, type and description.  codePage: the text of a
    // code-page library.
    //
    // Keys, texts, caption and description pass through the editor in the
    // library's encoding (Encoding()): UTF-8 for a Unicode library, the code
    // page otherwise.  What the user types comes in as UTF-8 and is taken in
    // by FromTyped.
    LibEditorLogic(std::string path, int mayChange, const CodePage& codePage);

    // Opens the library; false leaves the editor without columns and
    // entries, with Import and Export disabled.  A library of an encoding
    // this program does not know is not opened for editing.
    bool Open();
    // Why Open failed, for the user: a library file that exists but may not
    // be written (a folder the user may not change, a read-only file), one
    // of an unknown encoding, or one that is damaged or no library.
    UiMessage OpenFailure() const;
    bool IsOpen() const { return open_; }
    void Close();
    const std::string& Path() const { return path_; }
    const CodePage& codePage() const { return codePage_; }
    int MayChange() const { return mayChange_; }

    // The LibraryEncoding of keys, texts, caption and description.
    std::int32_t Encoding() const { return library_.GetEncoding(); }
    bool IsUnicode() const { return Encoding() == EncodingUtf8; }

    // The library's info as the boxes show it at opening.
    int Type() const { return library_.GetType(); }
    std::string Caption() { return library_.GetCaption(); }
    // The encoding of Caption(): the code page when the library has no
    // caption of its own and shows its file name.
    std::int32_t CaptionEncoding();
    std::string Description() const { return library_.GetDescription(); }

    // What the user typed (UTF-8) in the library's encoding.  A character
    // the code page of a code-page library cannot hold is refused, never
    // turned into a stand-in; so is text that is not UTF-8, or longer than
    // maxBytes once stored (0: no limit).  An empty message means stored
    // holds the text.
    UiMessage FromTyped(const std::string& typed, std::string& stored,
                        std::size_t maxBytes = 0) const;
    // The longest key and text the program handles, in bytes.
    static constexpr std::size_t kMaxKeyBytes = 1023;
    static constexpr std::size_t kMaxTextBytes = 65535;
    // Column titles by type: "Shorthand"/"Full Text" for a Shorthand library,
    // "Spelling"/"Remark" otherwise.
    const char* KeyColumnTitle() const;
    const char* TextColumnTitle() const;
    // The rows' image: 0 Dictionary, 1 Shorthand, -1 for any other type.
    int RowImage() const;

    // Lists from text: the first entry the exact search lands on (when it
    // delivered one) and every following one, until the end or until the
    // progress stops it.
    void ListFrom(const std::string& text, ListingProgress* progress);
    const std::vector<EditorRow>& Rows() const { return rows_; }
    // Number of keys in the library, as of the last listing.
    std::int32_t LibraryCount() const { return libraryCount_; }
    // "Items in library: %d\r\nItems Loaded:%d".
    std::string CountText() const;

    const Buttons& buttons() const { return buttons_; }

    // The list's selection changed: with exactly one row selected, answers
    // true and sets query and full text to show (the row's key and text,
    // remembered as the selected ones).  "&Delete" is enabled either way.
    bool OnSelectionChanged(int selectedCount, int firstSelected, std::string& query,
                            std::string& fullText);
    void OnQueryChanged(const std::string& query);
    void OnFullTextChanged(const std::string& fullText);
    // The same for what the user typed (UTF-8): a text the library cannot
    // hold counts as one that differs (Add, or Save, then says why).
    void OnQueryTyped(const std::string& typed);
    void OnFullTextTyped(const std::string& typed);
    const std::string& SelectedKey() const { return selectedKey_; }
    const std::string& SelectedText() const { return selectedText_; }

    Outcome Add(const std::string& query, const std::string& fullText);
    Outcome Save(const std::string& query, const std::string& fullText);
    // Add and Save of what the user typed (UTF-8): a key or text the library
    // cannot hold is refused (FromTyped) and nothing is written.
    Outcome AddTyped(const std::string& query, const std::string& fullText);
    Outcome SaveTyped(const std::string& query, const std::string& fullText);
    static UiMessage DeleteQuestion();
    // Deletes the entries of the given rows (top to bottom; rows with an
    // empty key are skipped).
    Outcome DeleteRows(const std::vector<int>& rows);
    // Imports the snippets of another text expander (a file named *.ahk,
    // *.yml, *.yaml or *.csv, snippets/SnippetImport.h) with its summary;
    // otherwise a library text file, or, when it holds no pairs, the file as
    // a word list.  Running out of memory is told, not thrown.
    Outcome Import(const std::string& file, ImportProgress* progress);
    // Exports through a second handle on the library, so that the editor's
    // own search stays as it is.
    Outcome Export(const std::string& file, ImportProgress* progress);

    // OK: with the permission, stores type (1 or 2; any other value keeps
    // the library's), caption and description in a library that opened.
    // Answers whether it wrote.
    bool WriteInfo(int type, const std::string& name, const std::string& description);
    // OK as the dialog runs it: WriteInfo, and the message that tells the
    // user when the permission was there and the open library refused the
    // write (none otherwise: a library that did not open was told of by
    // OpenFailure).
    UiMessage SaveInfo(int type, const std::string& name, const std::string& description);

    // The text a command of the macro menu inserts; nullptr for others.
    static const char* MacroText(int command);

  private:
    // Key and text typed, in the library's encoding; a refusal otherwise.
    UiMessage TakeTyped(const std::string& query, const std::string& fullText, std::string& key,
                        std::string& text) const;
    Outcome ImportFile(const std::string& file, ImportProgress* progress);
    void ApplyQueryRule(const std::string& query);
    void Remember(const std::string& key, const std::string& text);

    std::string path_;
    int mayChange_;
    const CodePage& codePage_;
    Library library_;
    bool open_ = false;
    bool unknownEncoding_ = false;
    std::vector<EditorRow> rows_;
    std::int32_t libraryCount_ = 0;
    Buttons buttons_;
    std::string selectedKey_;
    std::string selectedText_;
};

}  // namespace wl
