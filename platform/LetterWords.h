// What a word learned from the user's typing may be: letters of the code
// page (a double-byte character counts as one), with an apostrophe or a
// hyphen only between two letters ("don't", "well-known"), at most maxBytes
// long.  Nothing else: no digits, so that numbers (card, account and phone
// numbers, "Summer2024") are never kept.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/CodePage.h"

namespace wl {

// The longest word that is learned, in bytes.
inline constexpr std::size_t kMaxLearnedWordBytes = 64;

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

}  // namespace wl
