#include "platform/Utf8Case.h"

#include "platform/CodePage.h"

namespace wl {
namespace {

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

std::string Utf8Upper(std::string_view text) {
    return MapEach(text, UnicodeUpper);
}

std::string Utf8Lower(std::string_view text) {
    return MapEach(text, UnicodeLower);
}

bool Utf8EqualNoCase(std::string_view a, std::string_view b) {
    return a == b || Utf8Upper(a) == Utf8Upper(b);
}

}  // namespace wl
