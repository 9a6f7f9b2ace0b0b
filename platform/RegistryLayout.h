// The registry layout of the settings, all under HKEY_LOCAL_MACHINE: the keys
// under the product's settings key (platform/Product.h) and the Run value
// that starts the program with Windows.  Numbers are REG_BINARY of fixed width, little-endian;
// strings are REG_SZ.  The per-user profile of the dialogs is libui/Profile.h's.
//
// Part of wl_platform, the one layer that its three users may all depend on:
// the settings (settings/), the hook library's select keys and policy (hook/)
// and the libraries' load switches (store/).  The package's CMake file reads
// kOptionKey's name and the recommended switches' names (kSmartOrder,
// kSpaceAfter, kLearn, kPredict) from here for the installer: keep their
// lines' form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/Hotkey.h"
#include "platform/Product.h"
#include "platform/VirtualKeys.h"

namespace wl::reg {

namespace detail {
inline constexpr auto kRoot = product::Join(product::Text(product::kSettingsKey), "\\");
inline constexpr auto kOptionKey = product::Join(kRoot, "Option");
inline constexpr auto kAppOptionKey = product::Join(kRoot, "AppOption");
inline constexpr auto kAppOptionPrefix = product::Join(kAppOptionKey, "\\");
}  // namespace detail

inline constexpr const char* kStoreKey = product::kSettingsKey;
inline constexpr const char* kRoot = detail::kRoot.data();
inline constexpr const char* kOptionKey = detail::kOptionKey.data();
inline constexpr const char* kAppOptionKey = detail::kAppOptionKey.data();
inline constexpr const char* kAppOptionPrefix = detail::kAppOptionPrefix.data();  // + file name
inline constexpr char kLoadSetPrefix[] = "LoadSet\\";                             // after kRoot
inline constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = product::kName;

// Values of the Option key, with their widths.
inline constexpr char kEnableWord[] = "bEnableWord";            // 4 bytes, default 1
inline constexpr char kEnableShorthand[] = "bEnableShorthand";  // 4 bytes, default 1
inline constexpr char kEnableVemo[] = "dwEnableVemo";           // 4 bytes, the on/off hotkey
inline constexpr char kSelectPrev[] = "vkSelectPrev";           // 1 byte
inline constexpr char kSelectNext[] = "vkSelectNext";           // 1 byte
inline constexpr char kSelectPageUp[] = "vkSelectPageUp";       // 1 byte
inline constexpr char kSelectPageDown[] = "vkSelectPageDown";   // 1 byte
inline constexpr char kSelectIndex[] = "vkSelectIndex";         // 10 bytes
inline constexpr char kSelect[] = "vkSelect";                   // 10 bytes
// The order of the candidates, what is learned from the user's typing and
// the next word offered before a letter is typed; read by the main window,
// written by the Options dialog (and by the installer, on a new
// installation, when the user takes the recommended choice).
inline constexpr char kSmartOrder[] = "bSmartOrder";  // 4 bytes, default 0
inline constexpr char kSpaceAfter[] = "bSpaceAfter";  // 4 bytes, default 0
inline constexpr char kLearn[] = "bLearn";            // 4 bytes, default 1
inline constexpr char kLearnNew[] = "bLearnNew";      // 4 bytes, default 0
inline constexpr char kPredict[] = "bPredict";        // 4 bytes, default 0

// Values of AppOption and of its per-application subkeys.  EnablePredict
// switches the next word's prediction off (0) in one application; missing
// means on.
inline constexpr char kOthersEnableVemo[] = "OthersEnableVemo";  // 4 bytes, default 1
inline constexpr char kAppEnableVemo[] = "EnableVemo";           // 1 byte
inline constexpr char kAppEnablePredict[] = "EnablePredict";     // 1 byte, default 1
inline constexpr char kAppPath[] = "Path";                       // REG_SZ, no terminator
// Texts in any character go through the clipboard (1) in this application,
// not as typed characters (0): applications that drop such input.  Missing:
// set for the console hosts below, clear for every other application.
inline constexpr char kAppTypeByClipboard[] = "TypeByClipboard";  // 4 bytes

// The console hosts, which drop characters typed as themselves: they type
// through the clipboard while their TypeByClipboard is missing.
inline constexpr const char* kClipboardByDefault[] = {"conhost.exe", "WindowsTerminal.exe",
                                                      "cmd.exe", "powershell.exe"};
// Whether an executable's file name is one of them (letter case ignored).
constexpr bool TypesByClipboardByDefault(std::string_view fileName) {
    for (std::string_view host : kClipboardByDefault) {
        if (host.size() != fileName.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < host.size() && same; ++i) {
            auto lower = [](char c) {
                return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
            };
            same = lower(host[i]) == lower(fileName[i]);
        }
        if (same) return true;
    }
    return false;
}

// Value of LoadSet\<library path>.
inline constexpr char kCandLoad[] = "CandLoad";  // 1 byte, default 1

// Defaults of the select keys and the hotkey.
inline constexpr std::uint8_t kDefaultSelectPrev = vkey::kUp;
inline constexpr std::uint8_t kDefaultSelectNext = vkey::kDown;
inline constexpr std::uint8_t kDefaultSelectPageUp = vkey::kPrior;
inline constexpr std::uint8_t kDefaultSelectPageDown = vkey::kNext;
inline constexpr std::uint8_t kDefaultSelectIndex[10] = {
    vkey::Digit(1), vkey::Digit(2), vkey::Digit(3), vkey::Digit(4), vkey::Digit(5),
    vkey::Digit(6), vkey::Digit(7), vkey::Digit(8), vkey::Digit(9), vkey::Digit(0)};
inline constexpr std::uint8_t kNoKey = 0xFF;  // an empty complete-key slot
inline constexpr std::uint8_t kDefaultSelect[10] = {
    vkey::kTab, vkey::kReturn, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey};
inline constexpr std::uint32_t kDefaultToggleHotkey = Hotkey(vkey::kF5, Hotkey::kControl).stored();

}  // namespace wl::reg
