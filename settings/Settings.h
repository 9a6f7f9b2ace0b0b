// Reading and writing the settings in the registry.  Readers start from the
// defaults and keep them for every value that is missing or of the wrong
// width; writers write every value with its type and fixed width and report
// whether the registry took all of them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/RegistryLayout.h"

namespace wl {

// The switches of the candidates' order, of learning and of the next word's
// prediction, in the Option key.  Learning (learn, learnNew) and prediction
// have effect only while smartOrder is on.
struct SuggestionSettings {
    std::int32_t smartOrder = 0;  // bSmartOrder: the most likely words first
    std::int32_t spaceAfter = 0;  // bSpaceAfter: a space after a completed word
    std::int32_t learn = 1;       // bLearn: learn from what the user types
    std::int32_t learnNew = 0;    // bLearnNew: also words that are in no library
    std::int32_t predict = 0;     // bPredict: the likely next words before a letter
};

// The values of the Option key.
struct OptionSettings {
    std::int32_t enableWord = 1;
    std::int32_t enableShorthand = 1;
    std::uint32_t toggleHotkey = reg::kDefaultToggleHotkey;
    std::uint8_t selectPrev = reg::kDefaultSelectPrev;
    std::uint8_t selectNext = reg::kDefaultSelectNext;
    std::uint8_t selectPageUp = reg::kDefaultSelectPageUp;
    std::uint8_t selectPageDown = reg::kDefaultSelectPageDown;
    std::array<std::uint8_t, 10> selectIndex = std::to_array(reg::kDefaultSelectIndex);
    std::array<std::uint8_t, 10> select = std::to_array(reg::kDefaultSelect);
    SuggestionSettings suggestions;
};

// Reads every Option value into settings (the key is created when missing).
void ReadOptions(Registry& reg, OptionSettings& settings);
// Writes every Option value; false when any write was refused.
bool WriteOptions(Registry& reg, const OptionSettings& settings);

// Reads the five suggestion switches (the key is created when missing).  Each
// is taken only when stored with exactly its 4 bytes; a missing value, or one
// of another width, keeps what s holds.
void ReadSuggestionSettings(Registry& reg, SuggestionSettings& s);

// The main window's start-up read: dwEnableVemo, bEnableShorthand and
// bEnableWord, in this order, 4 bytes each.
void ReadMainWindowSwitches(Registry& reg, std::uint32_t& toggleHotkey,
                            std::int32_t& enableShorthand, std::int32_t& enableWord);
// Writes one 4-byte switch of the Option key (bEnableWord, bEnableShorthand).
bool WriteSwitch(Registry& reg, const char* name, std::int32_t value);
// Reads one 4-byte switch; a value that cannot be read leaves fallback.
std::int32_t ReadSwitch(Registry& reg, const char* name, std::int32_t fallback);

// Start with Windows: the Run value "Wordlark" exists.
bool ReadRunAtStartup(Registry& reg);
// Writes the program's path in a 260-byte, zero-padded value when on (and the
// path is known), deletes the value when off.  False when the registry
// refused.
bool WriteRunAtStartup(Registry& reg, bool on, const std::string& exePath);

// One application of the per-application policy.
struct AppSetting {
    std::string fileName;  // the subkey name
    std::uint8_t enable = 1;
    std::string path;          // full path, for display and the icon
    std::uint8_t predict = 1;  // EnablePredict: the next word offered here
    // TypeByClipboard: texts in any character pasted here; when missing, set
    // for the console hosts (reg::TypesByClipboardByDefault).
    std::uint32_t clipboard = 0;
};

// The subkeys of AppOption in enumeration order and OthersEnableVemo (1 when
// missing).  A subkey without EnablePredict predicts; one without
// TypeByClipboard types through the clipboard if it is a console host.
std::vector<AppSetting> ReadAppSettings(Registry& reg, std::int32_t& othersEnable);
// Replaces every subkey of AppOption by apps (EnableVemo, Path,
// EnablePredict and TypeByClipboard each) and writes OthersEnableVemo.
bool WriteAppSettings(Registry& reg, const std::vector<AppSetting>& apps,
                      std::int32_t othersEnable);

}  // namespace wl
