#pragma once

#include <cstdint>

// The Windows virtual-key codes that the platform-free code names (the
// values of winuser.h's VK_ constants, which it cannot include).
namespace wl::vkey {

inline constexpr std::uint8_t kBack = 0x08;
inline constexpr std::uint8_t kTab = 0x09;
inline constexpr std::uint8_t kReturn = 0x0D;
inline constexpr std::uint8_t kShift = 0x10;
inline constexpr std::uint8_t kControl = 0x11;
inline constexpr std::uint8_t kMenu = 0x12;     // Alt
inline constexpr std::uint8_t kCapital = 0x14;  // Caps Lock
inline constexpr std::uint8_t kEscape = 0x1B;
inline constexpr std::uint8_t kSpace = 0x20;
inline constexpr std::uint8_t kPrior = 0x21;
inline constexpr std::uint8_t kNext = 0x22;
inline constexpr std::uint8_t kEnd = 0x23;
inline constexpr std::uint8_t kHome = 0x24;
inline constexpr std::uint8_t kLeft = 0x25;
inline constexpr std::uint8_t kUp = 0x26;
inline constexpr std::uint8_t kDown = 0x28;
inline constexpr std::uint8_t kDelete = 0x2E;
// The keys of the main row's digits are their characters, '0' to '9'.
constexpr std::uint8_t Digit(int n) {
    return static_cast<std::uint8_t>('0' + n);
}
inline constexpr std::uint8_t kLeftWin = 0x5B;
inline constexpr std::uint8_t kRightWin = 0x5C;
inline constexpr std::uint8_t kF1 = 0x70;
inline constexpr std::uint8_t kF5 = 0x74;
// The left and right Shift, Ctrl and Alt, 0xA0 to 0xA5.
inline constexpr std::uint8_t kLeftShift = 0xA0;
inline constexpr std::uint8_t kRightMenu = 0xA5;

}  // namespace wl::vkey
