// CSV files of abbreviations and expansions (RFC 4180).
//
// Records end at CR LF, LF or CR outside quotes; fields are separated by
// commas.  A field that begins with a quote runs to the closing quote, with
// "" for a quote inside and commas and line breaks as they are; anything
// between the closing quote and the next comma or record end is kept as
// well.  Spaces belong to the field.  The first column is the abbreviation,
// the second the expansion (its line breaks become "%RETURN%"), further
// columns (labels, descriptions) are not used.  The first record is a header
// and not imported when both its first two fields are header words
// ("abbreviation", "shortcut", ... and "expansion", "text", ...).  Blank
// lines are passed over.
//
// Skipped, with the reason: a record of one column, and a record whose quote
// is never closed (which runs to the end of the file).
#include <string>

#include "snippets/SnippetFormats.h"

namespace wl::snippets {
namespace {

// A record: its first two fields, each kept up to one byte more than
// kMaxSnippetPart (a longer one is too long), and how many it has.
struct Record {
    std::string fields[2];
    std::size_t count = 1;
    bool quotes = false;    // some field was quoted ("" is an empty field, not a blank line)
    bool unclosed = false;  // the last quote was never closed
    bool blank() const { return count == 1 && fields[0].empty() && !quotes; }
};

// Reads the record at text[at] and moves at past its end.
Record ReadRecord(std::string_view text, std::size_t& at) {
    Record r;
    bool quoted = false;     // inside quotes
    bool wasQuoted = false;  // the field began with a quote (a blank line has none)
    std::size_t length = 0;  // of the field so far, whether kept or not
    auto add = [&](char c) {
        ++length;
        if (r.count > 2) return;
        std::string& field = r.fields[r.count - 1];
        if (field.size() <= kMaxSnippetPart) field += c;
    };
    while (at < text.size()) {
        const char c = text[at++];
        if (quoted) {
            if (c != '"') {
                add(c);
            } else if (at < text.size() && text[at] == '"') {
                add('"');
                ++at;
            } else {
                quoted = false;
            }
        } else if (c == '"' && length == 0 && !wasQuoted) {
            quoted = wasQuoted = r.quotes = true;
        } else if (c == ',') {
            ++r.count;
            length = 0;
            wasQuoted = false;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && at < text.size() && text[at] == '\n') ++at;
            break;
        } else {
            add(c);
        }
    }
    r.unclosed = quoted;
    return r;
}

std::string Folded(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '_' || c == '-') c = ' ';
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    }
    const std::size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

bool IsHeader(const Record& r) {
    static constexpr const char* kFirst[] = {
        "abbreviation", "abbreviations", "abbrev",    "abbr",    "shortcut",     "shortcuts",
        "shorthand",    "short text",    "short",     "trigger", "triggers",     "keyword",
        "keywords",     "key",           "hotstring", "snippet", "snippet name", "name"};
    static constexpr const char* kSecond[] = {
        "expansion", "expansions", "expanded text", "text",
        "content",   "contents",   "replacement",   "replacement text",
        "replace",   "phrase",     "long text",     "full text",
        "value",     "output",     "snippet",       "snippet text",
        "body"};
    if (r.count < 2) return false;
    auto in = [](const std::string& field, const auto& words) {
        const std::string f = Folded(field);
        for (const char* w : words)
            if (f == w) return true;
        return false;
    };
    return in(r.fields[0], kFirst) && in(r.fields[1], kSecond);
}

std::string Read(std::string_view text, Budget& budget, const SnippetSink& sink) {
    std::size_t at = 0;
    bool first = true;
    for (std::size_t row = 1; at < text.size(); ++row) {
        Record r = ReadRecord(text, at);
        if (r.blank()) continue;
        const bool header = first && IsHeader(r);
        first = false;
        if (header) continue;
        Snippet snippet;
        SetAbbreviation(snippet, r.fields[0]);
        if (snippet.abbreviation.empty())
            snippet.abbreviation = "(row " + std::to_string(row) + ")";
        if (r.unclosed) {
            snippet.skip = "has a quote (\") that is never closed";
        } else if (r.count < 2) {
            snippet.skip = "has no second column (the expansion)";
        } else if (r.fields[0].empty()) {
            snippet.skip = "has no abbreviation";
        } else if (r.fields[1].size() > kMaxSnippetPart) {
            snippet.skip = kLongReplacement;
        } else {
            PieceBuilder pieces(budget);
            pieces.Text(r.fields[1]);
            if (pieces.Full()) snippet.skip = kLongReplacement;
            snippet.pieces = pieces.Take();
        }
        if (!Emit(std::move(snippet), budget, sink)) break;
    }
    return {};
}

}  // namespace

SnippetReader CsvReader(std::string_view text) {
    return [text](Budget& budget, const SnippetSink& sink) { return Read(text, budget, sink); };
}

}  // namespace wl::snippets
