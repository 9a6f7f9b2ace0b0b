// Import of other text expanders' snippet files into a Shorthand library:
// AutoHotkey hotstrings (.ahk), espanso match files (.yml, .yaml) and CSV
// files of abbreviation and expansion (.csv).
//
// The file is read whole, up to kMaxSnippetFile bytes (64 MB), or
// kMaxEspansoFile (4 MB) for an espanso file (snippets/SnippetLimits.h).  A
// file that would expand to more than 1,000,000 macros or 64 MB of text in
// all, or an espanso file of more than 250,000 YAML values, is refused
// whole, before anything is stored.  Its text is UTF-8, with or without a
// byte-order mark, UTF-16 with a byte-order mark, or, for AutoHotkey and
// CSV, the system's ANSI code page.  UTF-8 text is converted to the ANSI
// code page entry by entry; an entry with a character the code page
// cannot hold is skipped, never stored with a stand-in.  A UTF-8 library
// keeps every character: its entries are UTF-8 (code-page text converted).  What this program
// cannot reproduce (scripts, forms, clipboard and shell variables, regex
// triggers, case propagation, ...) is skipped too, and counted.  The user
// is told one summary: "N items imported, M skipped" with the first skipped
// abbreviations and why.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "snippets/SnippetLimits.h"
#include "store/ImportProgress.h"
#include "store/Library.h"

namespace wl {

enum class SnippetFormat { None, AutoHotkey, Espanso, Csv };

// How many skipped entries the summary names.
inline constexpr int kShownSkipped = 5;

// "ahk", "espanso", "csv" (as wlib's --from takes them); None otherwise.
SnippetFormat SnippetFormatNamed(std::string_view name);
// By the file name's extension, in any letter case: .ahk, .yml and .yaml,
// .csv; None for any other (the library text format and word lists).
SnippetFormat SnippetFormatOfFile(std::string_view path);

struct SkippedSnippet {
    std::string abbreviation;  // in the code page, "?" for what it cannot hold
    std::string reason;
};

struct SnippetImportResult {
    int imported = 0;                          // entries stored
    int skipped = 0;                           // entries not stored
    int notStored = 0;                         // of them, those the library refused to store
    std::vector<SkippedSnippet> firstSkipped;  // the first kShownSkipped of them
    // Why nothing could be imported at all (the file cannot be read, is no
    // text, is empty, too large, not of the format, holds no snippets,
    // expands too far, or the library is no Shorthand library); empty
    // otherwise.
    std::string error;
    bool cancelled = false;
};

// Reads the snippets of the file at path in the given format and stores the
// ones that can be reproduced in lib, which must be an open Shorthand
// library.  A key already in the library gets the new text.  The progress
// shows "%d items have been imported!" and can stop the import; what was
// stored stays.
SnippetImportResult ImportSnippets(Library& lib, const std::string& path, SnippetFormat format,
                                   ImportProgress* progress);

// The summary for the user, lines ended by lineEnd: "N items imported, M
// skipped", then, when some were skipped, one line per named entry
// ("\"abbreviation\": reason") and "... and K more".  With an error, the
// error and "Nothing was imported.".
std::string SnippetSummary(const SnippetImportResult& result, const char* lineEnd);

}  // namespace wl
