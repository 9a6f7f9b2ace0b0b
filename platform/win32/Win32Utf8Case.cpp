// Unicode letter case on Windows: the system's invariant-locale mapping
// (LCMapStringEx), so that a Turkish or Lithuanian system cases as any other.
#include <windows.h>

#include "platform/Utf8Case.h"

namespace wl {
namespace {

int ToUnits(char32_t c, wchar_t units[2]) {
    if (c < 0x10000) {
        units[0] = static_cast<wchar_t>(c);
        return 1;
    }
    c -= 0x10000;
    units[0] = static_cast<wchar_t>(0xD800 + (c >> 10));
    units[1] = static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    return 2;
}

char32_t Mapped(char32_t c, DWORD flag) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return c;
    wchar_t in[2], out[4];
    const int n = ToUnits(c, in);
    const int m = LCMapStringEx(LOCALE_NAME_INVARIANT, flag, in, n, out, 4, nullptr, nullptr, 0);
    if (m == 1) return out[0];
    if (m == 2 && out[0] >= 0xD800 && out[0] < 0xDC00 && out[1] >= 0xDC00 && out[1] < 0xE000)
        return 0x10000 + ((static_cast<char32_t>(out[0]) - 0xD800) << 10) +
               (static_cast<char32_t>(out[1]) - 0xDC00);
    return c;  // no single character for it
}

}  // namespace

char32_t UnicodeUpper(char32_t c) {
    // The invariant locale's table (as Wine has it, at least) leaves the
    // final sigma, whose capital Unicode gives as Σ: "ΣΊΣΥΦΟΣ", not "ΣΊΣΥΦΟς".
    if (c == 0x3C2) return 0x3A3;
    return Mapped(c, LCMAP_UPPERCASE);
}

char32_t UnicodeLower(char32_t c) {
    return Mapped(c, LCMAP_LOWERCASE);
}

bool IsUnicodeLetter(char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    // The system classifies one UTF-16 unit at a time: beyond the Basic
    // Multilingual Plane a letter is one with a letter case.
    if (c >= 0x10000) return UnicodeUpper(c) != c || UnicodeLower(c) != c;
    WORD type = 0;
    const wchar_t unit = static_cast<wchar_t>(c);
    return GetStringTypeW(CT_CTYPE1, &unit, 1, &type) && (type & C1_ALPHA) != 0;
}

}  // namespace wl
