// What a word learned from the user's typing may be: letters of the code
// page (a double-byte character counts as one), with an apostrophe or a
// hyphen only between two letters ("don't", "well-known"), at most maxBytes
// long.  Nothing else: no digits, so that numbers (card, account and phone
// numbers, "Summer2024") are never kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/CodePage.h"

namespace wl {

// The longest word that is learned, in bytes of the code page, and in
// characters.
inline constexpr std::size_t kMaxLearnedWordBytes = 64;
inline constexpr std::size_t kMaxLearnedChars = 64;

inline bool IsWordJoiner(char c) {
    return c == '\'' || c == '-';
}

inline bool IsLetterWord(std::string_view word, const CodePage& cp, std::size_t maxBytes) {
    if (word.empty() || word.size() > maxBytes) return false;
    bool afterLetter = false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const auto c = static_cast<unsigned char>(word[i]);
        if (cp.IsLeadByte(c) && i + 1 < word.size()) {
            ++i;
            afterLetter = true;
        } else if (IsWordJoiner(word[i])) {
            // Between letters only: one before it, one after it.
            if (!afterLetter || i + 1 == word.size()) return false;
            afterLetter = false;
        } else if (cp.IsAlpha(c) && !cp.IsLeadByte(c)) {
            afterLetter = true;
        } else {
            return false;
        }
    }
    return afterLetter;
}

// The same test for a word in UTF-8 of at most maxChars characters: a
// character beyond ASCII is a letter when the code page holds it as one, so
// that a word passes exactly when its code-page form would.
inline bool IsLetterWordUtf8(std::string_view word, const CodePage& cp, std::size_t maxChars) {
    if (word.empty()) return false;
    bool afterLetter = false;
    std::size_t chars = 0;
    std::string held;  // one character in the code page: short, never allocated
    for (std::size_t at = 0; at < word.size();) {
        const std::size_t start = at;
        char32_t c = 0;
        if (!NextUtf8(word, at, c) || ++chars > maxChars) return false;
        if (c < 0x80 && IsWordJoiner(static_cast<char>(c))) {
            if (!afterLetter || at == word.size()) return false;
            afterLetter = false;
            continue;
        }
        if (c < 0x80) {
            const auto b = static_cast<unsigned char>(c);
            if (!cp.IsAlpha(b) || cp.IsLeadByte(b)) return false;
        } else {
            if (!cp.FromUtf8(word.substr(start, at - start), held)) return false;
            const auto b = held.empty() ? 0 : static_cast<unsigned char>(held[0]);
            const bool letter = held.size() == 2   ? cp.IsLeadByte(b)
                                : held.size() == 1 ? cp.IsAlpha(b) && !cp.IsLeadByte(b)
                                                   : false;
            if (!letter) return false;
        }
        afterLetter = true;
    }
    return afterLetter;
}

}  // namespace wl
