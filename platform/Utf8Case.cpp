// Unicode letter case on utf8proc's tables, the same in both builds.
#include "platform/Utf8Case.h"

#include <utf8proc.h>

#include "platform/CodePage.h"

namespace wl {
namespace {

bool Valid(char32_t c) {
    return utf8proc_codepoint_valid(static_cast<utf8proc_int32_t>(c));
}

template <typename Map>
std::string MapEach(std::string_view text, Map map) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t c;
        if (NextUtf8(text, at, c)) {
            AppendUtf8(map(c), out);
        } else {
            out.push_back(text[at]);
            ++at;
        }
    }
    return out;
}

}  // namespace

char32_t UnicodeUpper(char32_t c) {
    // The sharp s has no upper-case form of its own in Unicode's simple
    // mapping ("SS" is its full one); utf8proc gives the rare capital sharp
    // s, which a typist in capitals does not expect.
    if (c == 0xDF) return c;
    return Valid(c) ? static_cast<char32_t>(utf8proc_toupper(static_cast<utf8proc_int32_t>(c))) : c;
}

char32_t UnicodeLower(char32_t c) {
    return Valid(c) ? static_cast<char32_t>(utf8proc_tolower(static_cast<utf8proc_int32_t>(c))) : c;
}

bool IsUnicodeLetter(char32_t c) {
    if (!Valid(c)) return false;
    switch (utf8proc_category(static_cast<utf8proc_int32_t>(c))) {
        case UTF8PROC_CATEGORY_LU:
        case UTF8PROC_CATEGORY_LL:
        case UTF8PROC_CATEGORY_LT:
        case UTF8PROC_CATEGORY_LM:
        case UTF8PROC_CATEGORY_LO:
            return true;
        default:
            return false;
    }
}

std::string Utf8Upper(std::string_view text) {
    return MapEach(text, UnicodeUpper);
}

std::string Utf8Lower(std::string_view text) {
    return MapEach(text, UnicodeLower);
}

bool Utf8EqualNoCase(std::string_view a, std::string_view b) {
    return a == b || Utf8Page().Fold(a) == Utf8Page().Fold(b);
}

}  // namespace wl
