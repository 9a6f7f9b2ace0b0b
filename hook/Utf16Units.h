// UTF-8 text as the UTF-16 units the system types: decoding that refuses
// what is not well-formed UTF-8 (overlong forms, surrogates, values past
// U+10FFFF, cut sequences).  Internal to the hook library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace wl::utf16 {

// The character that starts at text[at] and its length in bytes; 0 bytes when
// no well-formed character starts there.
struct Decoded {
    char32_t ch = 0;
    std::size_t bytes = 0;
};

inline Decoded DecodeAt(std::string_view text, std::size_t at) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char b0 = byte(at);
    if (b0 < 0x80) return {b0, 1};
    std::size_t n;
    char32_t ch, min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        n = 2, ch = b0 & 0x1Fu, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3, ch = b0 & 0x0Fu, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4, ch = b0 & 0x07u, min = 0x10000;
    } else {
        return {};
    }
    if (text.size() - at < n) return {};
    for (std::size_t i = 1; i < n; ++i) {
        const unsigned char b = byte(at + i);
        if ((b & 0xC0) != 0x80) return {};
        ch = (ch << 6) | (b & 0x3Fu);
    }
    if (ch < min || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) return {};
    return {ch, n};
}

inline bool IsUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const Decoded d = DecodeAt(text, at);
        if (!d.bytes) return false;
        at += d.bytes;
    }
    return true;
}

// The UTF-16 units of a character: one, or a surrogate pair beyond the Basic
// Multilingual Plane.  Answers how many (1 or 2).
inline int Units(char32_t ch, char16_t out[2]) {
    if (ch < 0x10000) {
        out[0] = static_cast<char16_t>(ch);
        return 1;
    }
    ch -= 0x10000;
    out[0] = static_cast<char16_t>(0xD800 + (ch >> 10));
    out[1] = static_cast<char16_t>(0xDC00 + (ch & 0x3FF));
    return 2;
}

// Characters of a UTF-8 text; a byte that starts no character counts as one.
inline std::size_t CharCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); ++count) {
        const std::size_t n = DecodeAt(text, at).bytes;
        at += n ? n : 1;
    }
    return count;
}

// The bytes of the first `chars` characters of a UTF-8 text (all of it when
// it has fewer).
inline std::size_t PrefixBytes(std::string_view text, std::size_t chars) {
    std::size_t at = 0;
    for (; chars && at < text.size(); --chars) {
        const std::size_t n = DecodeAt(text, at).bytes;
        at += n ? n : 1;
    }
    return at;
}

}  // namespace wl::utf16
