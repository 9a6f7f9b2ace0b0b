// The pieces a reader builds a replacement text from.
#include "macros/MacroNames.h"
#include "snippets/SnippetFormats.h"

namespace wl::snippets {

void PieceBuilder::Text(std::string_view text) {
    for (char c : text) Char(c);
}

void PieceBuilder::Char(char c) {
    if (c == '\n' && afterCr_) {  // the LF of a CR LF pair
        afterCr_ = false;
        return;
    }
    afterCr_ = c == '\r';
    if (c == '\r' || c == '\n') {
        pieces_.push_back({true, macro::kReturn});
        return;
    }
    if (pieces_.empty() || pieces_.back().macro) pieces_.push_back({false, {}});
    pieces_.back().text.push_back(c);
}

void PieceBuilder::Macro(const char* name) {
    afterCr_ = false;
    pieces_.push_back({true, name});
}

std::vector<Piece> PieceBuilder::Take() {
    afterCr_ = false;
    return std::move(pieces_);
}

}  // namespace wl::snippets
