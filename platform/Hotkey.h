// The on/off hotkey as the settings store it (dwEnableVemo): the virtual key
// in the low 16 bits, the hotkey control's modifier flags in the high 16.
// The hotkey control itself takes and gives a 16-bit word: the key in the
// low byte, the flags in the high byte.
#pragma once

#include <cstdint>

namespace wl {

class Hotkey {
  public:
    // The hotkey control's modifier flags (HOTKEYF_SHIFT, _CONTROL, _ALT).
    static constexpr std::uint8_t kShift = 0x01;
    static constexpr std::uint8_t kControl = 0x02;
    static constexpr std::uint8_t kAlt = 0x04;

    constexpr Hotkey() = default;
    constexpr explicit Hotkey(std::uint32_t stored) : stored_(stored) {}
    constexpr Hotkey(std::uint8_t key, std::uint8_t modifiers)
        : stored_(std::uint32_t{key} | (std::uint32_t{modifiers} << 16)) {}
    static constexpr Hotkey FromControl(std::uint16_t word) {
        return Hotkey(static_cast<std::uint8_t>(word & 0xFF), static_cast<std::uint8_t>(word >> 8));
    }

    constexpr std::uint32_t stored() const { return stored_; }
    constexpr std::uint16_t ToControl() const {
        return static_cast<std::uint16_t>((stored_ & 0xFF) | (modifiers() << 8));
    }
    constexpr std::uint32_t key() const { return stored_ & 0xFFFF; }
    constexpr std::uint8_t modifiers() const { return static_cast<std::uint8_t>(stored_ >> 16); }
    constexpr bool shift() const { return (modifiers() & kShift) != 0; }
    constexpr bool control() const { return (modifiers() & kControl) != 0; }
    constexpr bool alt() const { return (modifiers() & kAlt) != 0; }

  private:
    std::uint32_t stored_ = 0;
};

}  // namespace wl
