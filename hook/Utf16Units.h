// UTF-8 text as the UTF-16 units the system types: decoding that refuses
// what is not well-formed UTF-8 (overlong forms, surrogates, values past
// U+10FFFF, cut sequences).  Internal to the hook library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/CodePage.h"

namespace wl::utf16 {

// The character that starts at text[at] and its length in bytes; 0 bytes when
// no well-formed character starts there.
struct Decoded {
    char32_t ch = 0;
    std::size_t bytes = 0;
};

inline Decoded DecodeAt(std::string_view text, std::size_t at) {
    std::size_t next = at;
    char32_t ch = 0;
    if (!NextUtf8(text, next, ch)) return {};
    return {ch, next - at};
}

inline bool IsUtf8(std::string_view text) {
    return wl::IsUtf8(text);
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
