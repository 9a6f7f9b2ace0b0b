#pragma once

#include <cstdint>

// The Windows virtual-key codes that the platform-free code names (the
// values of winuser.h's VK_ constants, which it cannot include).
namespace wl::vkey {

inline constexpr std::uint8_t kBack = 0x08;
inline constexpr std::uint8_t kTab = 0x09;
inline constexpr std::uint8_t kReturn = 0x0D;
inline constexpr std::uint8_t kShift = 0x10;
inline constexpr std::uint8_t kEscape = 0x1B;
inline constexpr std::uint8_t kPrior = 0x21;
inline constexpr std::uint8_t kNext = 0x22;
inline constexpr std::uint8_t kEnd = 0x23;
inline constexpr std::uint8_t kHome = 0x24;
inline constexpr std::uint8_t kLeft = 0x25;
inline constexpr std::uint8_t kUp = 0x26;
inline constexpr std::uint8_t kDown = 0x28;
inline constexpr std::uint8_t kDelete = 0x2E;
inline constexpr std::uint8_t kF1 = 0x70;

}  // namespace wl::vkey
