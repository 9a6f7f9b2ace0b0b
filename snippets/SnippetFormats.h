// The snippet files of other text expanders, read into abbreviations and
// replacement texts: AutoHotkey hotstrings, espanso match files and CSV
// files of two columns.  Platform-free and without files: the readers take
// the file's text and hand what it holds, snippet by snippet, to a sink;
// snippets/SnippetRead.h reads the file and goes through its snippets,
// snippets/SnippetImport.h converts them to the code page and stores them.
//
// A replacement text is a list of pieces, each literal text or one of this
// program's macros ("%RETURN%", "%TAB%", "%CARET%", the date and time
// macros).  Line breaks in literal text are already "%RETURN%" pieces.  A
// snippet that this program cannot reproduce is kept with the reason, so
// that the user is told what was skipped and why.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "snippets/SnippetLimits.h"

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
    // The abbreviation is only the start of one longer than kMaxSnippetPart.
    bool cut = false;
};

struct ParseResult {
    std::vector<Snippet> snippets;
    // Why the text as a whole is not of the format; the snippets are then
    // empty.
    std::string error;
};

// Why a snippet is too long for an entry.
inline constexpr char kLongAbbreviation[] = "has an abbreviation longer than 1,023 bytes";
inline constexpr char kLongReplacement[] = "has a replacement longer than 65,535 bytes";

// What the snippets of one file have left to expand to (SnippetLimits.h).
class Budget {
  public:
    enum class Limit { None, Macros, Text };
    explicit Budget(std::size_t macros = kMaxSnippetMacros, std::size_t bytes = kMaxSnippetText)
        : macros_(macros), bytes_(bytes) {}
    // Takes macros and bytes from what is left; false, now and from then
    // on, once either would go below nothing.
    bool Take(std::size_t macros, std::size_t bytes);
    // The limit that ran out; None while neither has.
    Limit exceeded() const { return exceeded_; }
    // Why a file that ran out of the budget is refused ("expands to more
    // than ..."); empty while it has not.
    std::string Why() const;

  private:
    std::size_t macros_;
    std::size_t bytes_;
    Limit exceeded_ = Limit::None;
};

// Collects pieces: consecutive text is merged, and CR LF, CR and LF each
// become one "%RETURN%".  What it takes is taken from the budget.  Once the
// pieces would hold more than kMaxSnippetPart bytes (text and macro names),
// or more than the budget has left, it is full: it drops whatever comes
// after, and the snippet is too long.
class PieceBuilder {
  public:
    explicit PieceBuilder(Budget& budget) : budget_(budget) {}
    void Text(std::string_view text);
    void Char(char c);
    void Macro(const char* name);
    bool Full() const { return full_; }
    // The pieces; the builder starts again empty.
    std::vector<Piece> Take();
    const std::vector<Piece>& pieces() const { return pieces_; }
    // Puts back pieces taken from it, rearranged (the bytes they hold
    // already taken from the budget).
    void Restore(std::vector<Piece> pieces);

  private:
    bool Room(std::size_t macros, std::size_t bytes);
    Budget& budget_;
    std::vector<Piece> pieces_;
    std::size_t size_ = 0;
    bool afterCr_ = false;
    bool full_ = false;
};

// Receives the snippets of a text, in the text's order; false stops the
// reading.
using SnippetSink = std::function<bool(Snippet&&)>;

// Sets the abbreviation from the text read: one longer than kMaxSnippetPart
// keeps only its start (for the summary) and is marked cut.
void SetAbbreviation(Snippet& snippet, std::string_view text);

// Hands a snippet to the sink, after taking its abbreviation and one byte
// from the budget (a cut abbreviation is now the reason to skip it, unless
// it has one already).  False when the reading stops: the budget has run
// out or the sink says so.
bool Emit(Snippet&& snippet, Budget& budget, const SnippetSink& sink);

// Takes the pieces from the budget once more, for a copy of them.
bool TakeCopy(const std::vector<Piece>& pieces, Budget& budget);

// A reader of one text: hands its snippets to the sink, in the text's
// order, taking what they expand to from the budget, and stops when Emit
// does; answers why the text as a whole is not of the format (empty
// otherwise).  Read again, it hands on the same snippets.  It views the
// text, which must outlive it.
using SnippetReader = std::function<std::string(Budget& budget, const SnippetSink& sink)>;

// AutoHotkey hotstrings, ":options:abbreviation::replacement" with escapes,
// Send keys, continuation sections and #Hotstring defaults.  ansi is the
// code page of a text that is not UTF-8 (its double-byte characters are
// stepped over, {U+XXXX} is converted into it); nullptr for UTF-8 text.
SnippetReader AutoHotkeyReader(std::string_view text, const CodePage* ansi);

// An espanso match file (YAML, UTF-8): its "matches" with trigger or
// triggers and replace, "$|$" and date and echo variables.  The YAML is
// loaded when the reader is made (a file of more than kMaxEspansoValues
// values is not), and stays loaded for every reading.
SnippetReader EspansoReader(std::string_view utf8);

// CSV (RFC 4180): abbreviation and expansion in the first two columns, with
// or without a header row.  Byte-oriented: works on UTF-8 and ANSI text.
SnippetReader CsvReader(std::string_view text);

// Every snippet of a text at once, within a budget of the limits: what the
// readers make of a text, for tests and fuzzers.  The budget running out is
// an error.
ParseResult ParseAutoHotkey(std::string_view text, const CodePage* ansi);
ParseResult ParseEspanso(std::string_view utf8);
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

// The entry a snippet becomes: key and text in the code page (with unicode,
// for a UTF-8 library, in UTF-8: every character kept), its macros exactly
// where the pieces put them.  False with the reason when it cannot be (a
// character the code page lacks, a key this program cannot type, a text its
// replacement cannot hold, literal text that would read as a macro).
bool MakeEntry(const Snippet& snippet, bool utf8, const CodePage& page, std::string& key,
               std::string& text, std::string& why, bool unicode = false);

// The abbreviation as the user can read it in the code page: every
// character it cannot hold as "?".
std::string Readable(std::string_view abbreviation, bool utf8, const CodePage& page);

// An espanso date format (chrono's strftime conversions) as pieces with the
// date and time macros; false with the reason when a conversion has no
// macro, or the pieces are full.
bool DateFormatPieces(std::string_view format, PieceBuilder& out, std::string& why);

}  // namespace snippets
}  // namespace wl
