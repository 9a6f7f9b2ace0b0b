// Unicode letter case natively: the C library's tables of its built-in
// "C.UTF-8" locale, whatever locale the process runs in.
#include <clocale>
#include <cwctype>

#include <locale.h>

#include "platform/Utf8Case.h"

namespace wl {
namespace {

locale_t Unicode() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return locale;
}

bool Known(char32_t c) {
    return Unicode() != static_cast<locale_t>(0) && c <= 0x10FFFF;
}

}  // namespace

char32_t UnicodeUpper(char32_t c) {
    if (!Known(c)) return c >= 'a' && c <= 'z' ? c - 0x20 : c;
    return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), Unicode()));
}

char32_t UnicodeLower(char32_t c) {
    if (!Known(c)) return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
    return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), Unicode()));
}

bool IsUnicodeLetter(char32_t c) {
    if (!Known(c)) return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return iswalpha_l(static_cast<wint_t>(c), Unicode()) != 0;
}

}  // namespace wl
