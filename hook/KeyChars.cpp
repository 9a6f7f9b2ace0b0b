#include "hook/KeyChars.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/CodePage.h"

namespace wl {

namespace {

constexpr int kUnits = 4;

bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The key's characters as UTF-8 (a surrogate pair is one character; a lone
// surrogate is none) and what they are.
void Describe(const char16_t* units, int n, TextChars& chars, KeyChars& out) {
    std::string utf8;  // (at most four characters: no allocation)
    bool any = false, letters = true, lettersOrDigits = true;
    for (int i = 0; i < n; ++i) {
        char32_t c = units[i];
        if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(units[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t{units[i + 1]} - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c) || c == 0) {
            continue;
        }
        AppendUtf8(c, utf8);
        const TextChars::Kind kind = chars.KindOf(c);
        letters = letters && kind == TextChars::Kind::Letter;
        lettersOrDigits = lettersOrDigits && kind != TextChars::Kind::Other;
        any = true;
    }
    const std::size_t n8 = std::min(utf8.size(), sizeof out.utf8 - 1);
    std::memcpy(out.utf8, utf8.data(), n8);
    out.utf8[n8] = '\0';
    out.letters = any && letters;
    out.lettersOrDigits = any && lettersOrDigits;
}

}  // namespace

KeyChars TranslatePress(KeyboardInput& keys, TextChars& chars, std::uint32_t vk,
                        std::uint32_t scanCode, bool mayBeRouted) {
    KeyChars out;
    std::uint8_t state[256];
    if (!keys.KeyboardState(state, mayBeRouted)) {
        out.count = -1;
        return out;
    }
    char16_t units[kUnits] = {};
    const bool keep = keys.KeepsKeyboardState();
    const int n = keys.ToUnicode(vk, scanCode, state, units, kUnits, keep, mayBeRouted);
    if (!keep) {
        PendingDeadKey& dead = keys.DeadKeyOfThread();
        char16_t ignored[kUnits];
        if (n < 0) {
            // The translation set the dead key, which the application's own
            // would then find set already: typed once more, it is cleared.
            keys.ToUnicode(vk, scanCode, state, ignored, kUnits, false, mayBeRouted);
            dead.pending = true;
            dead.vk = vk;
            dead.scanCode = scanCode;
            std::memcpy(dead.state, state, sizeof state);
        } else if (n > 0 && dead.pending) {
            // The translation used up the dead key the application holds:
            // put back, it composes this key as the hook saw it composed.
            keys.ToUnicode(dead.vk, dead.scanCode, dead.state, ignored, kUnits, false, mayBeRouted);
            dead.pending = false;
        }
    }
    out.count = n;
    if (n <= 0) return out;
    const int units16 = std::min(n, kUnits);
    const int bytes = chars.ToCodePage(units, units16, out.codePage, 2);
    out.codePage[std::clamp(bytes, 0, 2)] = '\0';
    Describe(units, units16, chars, out);
    return out;
}

}  // namespace wl
