// The byte scrambling of scrambled libraries: every byte of every stored key
// and text, one by one, with one fixed mask.  Scrambling maps the 256 byte
// values one-to-one, so a scrambled value has the length of the plain one
// and plain keys sharing a prefix share a scrambled prefix.
#pragma once

#include <cstddef>
#include <cstdint>

namespace wl {

inline constexpr std::uint8_t kScrambleMask = 0x6D;

// x = b XOR mask, stored as x rotated left by 5 bits.
constexpr std::uint8_t ScrambleByte(std::uint8_t b) {
    std::uint8_t x = static_cast<std::uint8_t>(b ^ kScrambleMask);
    return static_cast<std::uint8_t>((x << 5) | (x >> 3));
}

// The stored byte rotated left by 3 bits, then XOR mask.
constexpr std::uint8_t UnscrambleByte(std::uint8_t s) {
    std::uint8_t y = static_cast<std::uint8_t>((s << 3) | (s >> 5));
    return static_cast<std::uint8_t>(y ^ kScrambleMask);
}

// In place over length bytes (zero bytes included).
inline void Scramble(void* bytes, std::size_t length) {
    auto* p = static_cast<std::uint8_t*>(bytes);
    for (std::size_t i = 0; i < length; ++i) p[i] = ScrambleByte(p[i]);
}
inline void Unscramble(void* bytes, std::size_t length) {
    auto* p = static_cast<std::uint8_t*>(bytes);
    for (std::size_t i = 0; i < length; ++i) p[i] = UnscrambleByte(p[i]);
}

}  // namespace wl
