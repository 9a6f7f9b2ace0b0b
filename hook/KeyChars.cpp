#include "hook/KeyChars.h"

#include <algorithm>
#include <cstring>

namespace wl {

namespace {

constexpr int kUnits = 4;

bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Writes the UTF-8 form of c (a code point, no surrogate) at out; answers
// its length.
std::size_t EncodeUtf8(char32_t c, char* out) {
    auto byte = [](char32_t v) { return static_cast<char>(static_cast<unsigned char>(v)); };
    if (c < 0x80) {
        out[0] = byte(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = byte(0xC0 | (c >> 6));
        out[1] = byte(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = byte(0xE0 | (c >> 12));
        out[1] = byte(0x80 | ((c >> 6) & 0x3F));
        out[2] = byte(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = byte(0xF0 | (c >> 18));
    out[1] = byte(0x80 | ((c >> 12) & 0x3F));
    out[2] = byte(0x80 | ((c >> 6) & 0x3F));
    out[3] = byte(0x80 | (c & 0x3F));
    return 4;
}

// The key's characters as UTF-8 (a surrogate pair is one character; a lone
// surrogate is none) and what they are.
void Describe(const char16_t* units, int n, TextChars& chars, KeyChars& out) {
    std::size_t at = 0;
    bool any = false, letters = true, lettersOrDigits = true;
    for (int i = 0; i < n; ++i) {
        char32_t c = units[i];
        if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(units[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t{units[i + 1]} - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c) || c == 0) {
            continue;
        }
        at += EncodeUtf8(c, out.utf8 + at);
        const TextChars::Kind kind = chars.KindOf(c);
        letters = letters && kind == TextChars::Kind::Letter;
        lettersOrDigits = lettersOrDigits && kind != TextChars::Kind::Other;
        any = true;
    }
    out.utf8[at] = '\0';
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
