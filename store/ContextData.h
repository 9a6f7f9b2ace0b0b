// How a Dictionary library stores its context model (ContextModel.h): the
// named database "DBCONTEXT" of the library file, beside "DBINFO", "DBDATA"
// and "DBWEIGHT".  Readers that do not know it never open it.
//
// Its records:
//   "WORDS"   the model's words in lower case, in byte order, each ended by a
//             NUL byte: a word's number is its place (from 0).
//   "VALUES"  the table of the model's log10 values (probabilities and
//             back-off weights): at most 65,536 floats, 4 bytes each, IEEE
//             single precision, little-endian.
//   a context: the numbers of its one or two words (older first), 4 bytes
//             each, big-endian, so that the records of the contexts of a
//             word follow its own ->
//             the 2-byte little-endian index in "VALUES" of the context's
//             back-off weight, then its entries by rising word number, each
//             the distance of its number from the entry before (the first:
//             its number + 1) as a variable-length number (7 bits a byte, the
//             lowest first, the high bit set on every byte but the last), and
//             the 2-byte little-endian index of its log10 probability.
// A record that breaks these rules (a number beyond the words, entries out
// of order, an index beyond the table, a cut entry) counts as no record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace wl::context_data {

inline constexpr char kDatabase[] = "DBCONTEXT";
inline constexpr char kWordsKey[] = "WORDS";
inline constexpr char kValuesKey[] = "VALUES";
inline constexpr std::size_t kMaxValues = 65536;
// The longest variable-length number: 5 bytes hold 32 bits.
inline constexpr int kMaxNumberBytes = 5;

// The key of a context of one or two words.
inline std::string ContextKey(const std::uint32_t* words, std::size_t count) {
    std::string key;
    for (std::size_t i = 0; i < count; ++i)
        for (int shift = 24; shift >= 0; shift -= 8)
            key += static_cast<char>((words[i] >> shift) & 0xFFu);
    return key;
}

inline void AppendNumber(std::string& out, std::uint32_t n) {
    while (n >= 0x80u) {
        out += static_cast<char>((n & 0x7Fu) | 0x80u);
        n >>= 7;
    }
    out += static_cast<char>(n);
}

inline void AppendIndex(std::string& out, std::uint32_t index) {
    out += static_cast<char>(index & 0xFFu);
    out += static_cast<char>((index >> 8) & 0xFFu);
}

// Reads a variable-length number at at (< end); false when it is cut off or
// longer than 32 bits.
inline bool ReadNumber(const unsigned char*& at, const unsigned char* end, std::uint32_t& n) {
    std::uint64_t value = 0;
    for (int i = 0; i < kMaxNumberBytes && at < end; ++i) {
        const unsigned char byte = *at++;
        value |= std::uint64_t{byte & 0x7Fu} << (7 * i);
        if (!(byte & 0x80u)) {
            if (value > 0xFFFFFFFFu) return false;
            n = static_cast<std::uint32_t>(value);
            return true;
        }
    }
    return false;
}

inline bool ReadIndex(const unsigned char*& at, const unsigned char* end, std::uint32_t& index) {
    if (end - at < 2) return false;
    index = std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8;
    at += 2;
    return true;
}

}  // namespace wl::context_data
