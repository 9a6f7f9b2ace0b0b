// What the readers make: pieces, snippets handed on one at a time within
// the file's budget, and, for tests and fuzzers, all of a text's snippets
// at once.
#include <algorithm>
#include <utility>

#include "macros/MacroNames.h"
#include "snippets/SnippetFormats.h"

namespace wl::snippets {

namespace {

// What of a long abbreviation is kept: more than the summary shows.
constexpr std::size_t kCutAbbreviation = 256;

std::size_t Length(const char* name) {
    return std::char_traits<char>::length(name);
}

}  // namespace

bool Budget::Take(std::size_t macros, std::size_t bytes) {
    if (exceeded_ != Limit::None) return false;
    if (macros > macros_) {
        exceeded_ = Limit::Macros;
        return false;
    }
    if (bytes > bytes_) {
        exceeded_ = Limit::Text;
        return false;
    }
    macros_ -= macros;
    bytes_ -= bytes;
    return true;
}

std::string Budget::Why() const {
    switch (exceeded_) {
        case Limit::Macros:
            return "expands to more than 1,000,000 macros (keys to press, dates and times), more "
                   "than one import takes";
        case Limit::Text:
            return "expands to more than 64 MB of text, more than one import takes";
        default:
            return {};
    }
}

bool PieceBuilder::Room(std::size_t macros, std::size_t bytes) {
    if (full_) return false;
    if (size_ + bytes > kMaxSnippetPart || !budget_.Take(macros, bytes)) {
        full_ = true;
        return false;
    }
    size_ += bytes;
    return true;
}

void PieceBuilder::Text(std::string_view text) {
    // Runs without a line break go in whole.
    while (!text.empty() && !full_) {
        const std::size_t end = static_cast<std::size_t>(
            std::find_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }) -
            text.begin());
        if (end == 0) {
            Char(text[0]);
            text.remove_prefix(1);
            continue;
        }
        const std::string_view run = text.substr(0, end);
        if (!Room(0, run.size())) return;
        afterCr_ = false;
        if (pieces_.empty() || pieces_.back().macro) pieces_.push_back({false, {}});
        pieces_.back().text += run;
        text.remove_prefix(run.size());
    }
}

void PieceBuilder::Char(char c) {
    if (c == '\n' && afterCr_) {  // the LF of a CR LF pair
        afterCr_ = false;
        return;
    }
    afterCr_ = c == '\r';
    if (c == '\r' || c == '\n') {
        if (Room(1, Length(macro::kReturn))) pieces_.push_back({true, macro::kReturn});
        return;
    }
    if (!Room(0, 1)) return;
    if (pieces_.empty() || pieces_.back().macro) pieces_.push_back({false, {}});
    pieces_.back().text.push_back(c);
}

void PieceBuilder::Macro(const char* name) {
    afterCr_ = false;
    if (Room(1, Length(name))) pieces_.push_back({true, name});
}

std::vector<Piece> PieceBuilder::Take() {
    afterCr_ = false;
    full_ = false;
    size_ = 0;
    return std::move(pieces_);
}

void PieceBuilder::Restore(std::vector<Piece> pieces) {
    afterCr_ = false;
    size_ = 0;
    for (const Piece& p : pieces) size_ += p.text.size();
    pieces_ = std::move(pieces);
}

void SetAbbreviation(Snippet& snippet, std::string_view text) {
    snippet.cut = text.size() > kMaxSnippetPart;
    snippet.abbreviation.assign(snippet.cut ? text.substr(0, kCutAbbreviation) : text);
}

bool Emit(Snippet&& snippet, Budget& budget, const SnippetSink& sink) {
    if (!budget.Take(0, snippet.abbreviation.size() + 1)) return false;
    if (snippet.cut && snippet.skip.empty()) snippet.skip = kLongAbbreviation;
    return sink(std::move(snippet)) && budget.exceeded() == Budget::Limit::None;
}

bool TakeCopy(const std::vector<Piece>& pieces, Budget& budget) {
    std::size_t macros = 0, bytes = 0;
    for (const Piece& p : pieces) {
        macros += p.macro ? 1 : 0;
        bytes += p.text.size();
    }
    return budget.Take(macros, bytes);
}

namespace {

ParseResult Collect(const SnippetReader& read) {
    ParseResult result;
    Budget budget;
    result.error = read(budget, [&](Snippet&& s) {
        result.snippets.push_back(std::move(s));
        return true;
    });
    if (result.error.empty()) result.error = budget.Why();
    if (!result.error.empty()) result.snippets.clear();
    return result;
}

}  // namespace

ParseResult ParseAutoHotkey(std::string_view text, const CodePage* ansi) {
    return Collect(AutoHotkeyReader(text, ansi));
}

ParseResult ParseEspanso(std::string_view utf8) {
    return Collect(EspansoReader(utf8));
}

ParseResult ParseCsv(std::string_view text) {
    return Collect(CsvReader(text));
}

}  // namespace wl::snippets
