// Text in the record's fixed-size fields: every write is bounded by the
// field, a text that does not fit clears it, and double-byte characters of
// the code page are stepped over whole.  Internal to the hook library.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "platform/CodePage.h"

namespace wl::record {

// Characters that may be captured besides letters and digits, and the
// boundaries of the suffixes offered for lookup.
inline constexpr char kPrintablePunctuation[] = " `-=\\[];',./~!@#$%^&*()_+|{}:\"<>?";
inline constexpr char kWordDelimiters[] = " ,<>?:.;'\"[{]}=+!@#$%^&*()\\";

template <std::size_t N>
std::size_t Len(const char (&field)[N]) {
    return strnlen(field, N);
}

template <std::size_t N>
void Clear(char (&field)[N]) {
    std::memset(field, 0, N);
}

template <std::size_t N>
std::string_view View(const char (&field)[N]) {
    return {field, Len(field)};
}

// Stores text in a field; a text that does not fit clears the field.
template <std::size_t N>
void Assign(char (&field)[N], std::string_view text) {
    if (text.size() > N - 1) {
        Clear(field);
        return;
    }
    std::memmove(field, text.data(), text.size());
    std::memset(field + text.size(), 0, N - text.size());
}

// Appends n bytes; a field that would grow past its last byte is cleared
// first.
template <std::size_t N>
void Append(char (&field)[N], const char* add, std::size_t n) {
    std::size_t len = Len(field);
    if (len + n > N - 1) {
        Clear(field);
        len = 0;
    }
    std::memcpy(field + len, add, n);
    field[len + n] = '\0';
}

// Appends to a code-page field and to its UTF-8 twin the same characters;
// when either would grow past its last byte, both are cleared first, so
// that they always hold the same text.
template <std::size_t N, std::size_t M>
void AppendBoth(char (&field)[N], std::string_view add, char (&utf8)[M], std::string_view addUtf8) {
    if (Len(field) + add.size() > N - 1 || Len(utf8) + addUtf8.size() > M - 1) {
        Clear(field);
        Clear(utf8);
    }
    Append(field, add.data(), add.size());
    Append(utf8, addUtf8.data(), addUtf8.size());
}

// The position just after each character, stepping over double-byte ones; a
// lead byte at the very end counts as one character.
inline const char* NextChar(const char* p, const CodePage& cp) {
    if (cp.IsLeadByte(static_cast<unsigned char>(*p)) && p[1]) return p + 2;
    return p + 1;
}

// Removes the last character (both bytes of a double-byte one); a field of
// fewer than two bytes is cleared.
template <std::size_t N>
void DropLastChar(char (&field)[N], const CodePage& cp) {
    if (Len(field) < 2) {
        Clear(field);
        return;
    }
    char* last = field;
    for (char* p = field; *p; p = const_cast<char*>(NextChar(p, cp))) last = p;
    std::memset(last, 0, static_cast<std::size_t>(field + N - last));
}

// Removes the last UTF-8 character, all of its bytes.
template <std::size_t N>
void DropLastUtf8Char(char (&field)[N]) {
    std::size_t last = Len(field);
    if (last == 0) return;
    do --last;
    while (last > 0 && (static_cast<unsigned char>(field[last]) & 0xC0) == 0x80);
    std::memset(field + last, 0, N - last);
}

// The last backslash of the text that is a character of its own (not the
// trail byte of a double-byte character); null when there is none.
inline const char* LastBackslash(const char* text, const CodePage& cp) {
    const char* found = nullptr;
    for (const char* p = text; *p; p = NextChar(p, cp))
        if (*p == '\\') found = p;
    return found;
}

inline const char* FirstDelimiter(const char* text, const CodePage& cp) {
    for (const char* p = text; *p; p = NextChar(p, cp))
        if (std::strchr(kWordDelimiters, *p)) return p;
    return nullptr;
}

// The same in UTF-8 text: the delimiters are ASCII, and no byte of a
// character beyond ASCII is one.
inline const char* FirstDelimiterUtf8(const char* text) {
    const char* found = std::strpbrk(text, kWordDelimiters);
    return found;
}

inline bool IsDelimiter(char c) {
    return c && std::strchr(kWordDelimiters, c) != nullptr;
}

// The word that ends the line and the one before it when a single space
// stands between them; either is empty when there is none.
struct LastWords {
    std::string_view word;
    std::string_view prev;
};
inline LastWords WordsEndingLine(std::string_view line, const CodePage& cp) {
    // Start of the current token, and of the token before with what ended it.
    std::size_t start = 0, prevStart = 0, prevEnd = 0;
    bool inWord = false, hadPrev = false;
    for (std::size_t i = 0; i < line.size();) {
        const bool lead = cp.IsLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size();
        const bool delimiter = !lead && IsDelimiter(line[i]);
        if (delimiter && inWord) {
            prevStart = start;
            prevEnd = i;
            hadPrev = true;
            inWord = false;
        } else if (!delimiter && !inWord) {
            start = i;
            inWord = true;
        }
        i += lead ? 2 : 1;
    }
    if (!inWord) return {};
    LastWords out{line.substr(start), {}};
    if (hadPrev && start == prevEnd + 1 && line[prevEnd] == ' ')
        out.prev = line.substr(prevStart, prevEnd - prevStart);
    return out;
}

}  // namespace wl::record
