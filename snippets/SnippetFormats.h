// The snippet files of other text expanders, read into abbreviations and
// replacement texts: AutoHotkey hotstrings, espanso match files and CSV
// files of two columns.  Platform-free and without files: the readers take
// the file's text and answer what it holds; snippets/SnippetImport.h reads the
// file, converts the text to the code page and stores the entries.
//
// A replacement text is a list of pieces, each literal text or one of this
// program's macros ("%RETURN%", "%TAB%", "%CARET%", the date and time
// macros).  Line breaks in literal text are already "%RETURN%" pieces.  A
// snippet that this program cannot reproduce is kept with the reason, so
// that the user is told what was skipped and why.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wl {

class CodePage;

namespace snippets {

struct Piece {
    bool macro = false;
    std::string text;  // literal bytes, or the macro's name with its percent signs
    bool operator==(const Piece&) const = default;
};

struct Snippet {
    std::string abbreviation;  // in the text's encoding (UTF-8, or the ANSI code page)
    std::vector<Piece> pieces;
    std::string skip;  // why it is not imported; empty when it is
};

struct ParseResult {
    std::vector<Snippet> snippets;
    // Why the text as a whole is not of the format; the snippets are then
    // empty.
    std::string error;
};

// Collects pieces: consecutive text is merged, and CR LF, CR and LF each
// become one "%RETURN%".
class PieceBuilder {
  public:
    void Text(std::string_view text);
    void Char(char c);
    void Macro(const char* name);
    std::vector<Piece> Take();
    const std::vector<Piece>& pieces() const { return pieces_; }

  private:
    std::vector<Piece> pieces_;
    bool afterCr_ = false;
};

// AutoHotkey hotstrings, ":options:abbreviation::replacement" with escapes,
// Send keys, continuation sections and #Hotstring defaults.  ansi is the
// code page of a text that is not UTF-8 (its double-byte characters are
// stepped over, {U+XXXX} is converted into it); nullptr for UTF-8 text.
ParseResult ParseAutoHotkey(std::string_view text, const CodePage* ansi);

// An espanso match file (YAML, UTF-8): its "matches" with trigger or
// triggers and replace, "$|$" and date and echo variables.
ParseResult ParseEspanso(std::string_view utf8);

// CSV (RFC 4180): abbreviation and expansion in the first two columns, with
// or without a header row.  Byte-oriented: works on UTF-8 and ANSI text.
ParseResult ParseCsv(std::string_view text);

// The file's text, ready for a reader: byte-order marks removed, UTF-16
// converted to UTF-8, and whether the text is UTF-8 (otherwise it is taken
// as the ANSI code page); error says why it is no text at all.
struct SourceText {
    std::string text;
    bool utf8 = true;
    std::string error;
};
SourceText DecodeSource(std::string bytes);

// The entry a snippet becomes: key and text in the code page, its macros
// exactly where the pieces put them.  False with the reason when it cannot
// be (a character the code page lacks, a key this program cannot type, a
// text its replacement cannot hold, literal text that would read as a
// macro).
bool MakeEntry(const Snippet& snippet, bool utf8, const CodePage& page, std::string& key,
               std::string& text, std::string& why);

// The abbreviation as the user can read it in the code page: every
// character it cannot hold as "?".
std::string Readable(std::string_view abbreviation, bool utf8, const CodePage& page);

// An espanso date format (chrono's strftime conversions) as pieces with the
// date and time macros; false with the reason when a conversion has no
// macro.
bool DateFormatPieces(std::string_view format, PieceBuilder& out, std::string& why);

}  // namespace snippets
}  // namespace wl
