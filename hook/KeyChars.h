// What a key types, in both forms the record keeps: the code page's bytes
// and UTF-8.  Internal to the hook library.
#pragma once

#include <cstdint>

#include "hook/HookPlatform.h"

namespace wl {

struct KeyChars {
    // The key's UTF-16 units; negative for a dead key, or when the keyboard
    // state could not be read; 0 for none.
    int count = 0;
    char codePage[3] = {};  // NUL-terminated, as ToAscii gives them
    char utf8[13] = {};     // NUL-terminated; empty for none
    // Every character is a letter or a digit (letters: a letter each).
    bool lettersOrDigits = false;
    bool letters = false;
};

// Translates a key press with the keyboard state and the focus thread's
// layout, leaving the layout's dead-key state as the application needs it
// (after a dead key it composes the next key itself): with the system's
// flag where it has one; elsewhere the dead key is typed once more to clear
// it after the hook's translation set it, and put back after the next key's
// translation used it up.  Never allocates.
KeyChars TranslatePress(KeyboardInput& keys, TextChars& chars, std::uint32_t vk,
                        std::uint32_t scanCode, bool mayBeRouted);

}  // namespace wl
