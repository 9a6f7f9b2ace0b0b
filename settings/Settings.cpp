#include "settings/Settings.h"

#include <cstring>

namespace wl {

namespace {

constexpr std::uint32_t kRunValueBytes = 260;

// A 4-byte switch taken only when the stored value has exactly 4 bytes.
void ReadExactly(Registry& reg, const RegKey& key, const char* name, std::int32_t& field) {
    std::int32_t value = 0;
    if (key && reg.Read(key.get(), name, &value, sizeof value) == sizeof value) field = value;
}

void ReadSuggestions(Registry& reg, const RegKey& key, SuggestionSettings& s) {
    ReadExactly(reg, key, reg::kSmartOrder, s.smartOrder);
    ReadExactly(reg, key, reg::kSpaceAfter, s.spaceAfter);
    ReadExactly(reg, key, reg::kLearn, s.learn);
    ReadExactly(reg, key, reg::kLearnNew, s.learnNew);
    ReadExactly(reg, key, reg::kPredict, s.predict);
}

}  // namespace

void ReadOptions(Registry& reg, OptionSettings& s) {
    RegKey key(reg, RegRoot::LocalMachine, reg::kOptionKey, true);
    if (!key) return;
    key.ReadInto(reg::kEnableWord, s.enableWord);
    key.ReadInto(reg::kEnableShorthand, s.enableShorthand);
    key.ReadInto(reg::kEnableVemo, s.toggleHotkey);
    key.ReadInto(reg::kSelectPrev, s.selectPrev);
    key.ReadInto(reg::kSelectNext, s.selectNext);
    key.ReadInto(reg::kSelectPageUp, s.selectPageUp);
    key.ReadInto(reg::kSelectPageDown, s.selectPageDown);
    key.ReadInto(reg::kSelectIndex, s.selectIndex);
    key.ReadInto(reg::kSelect, s.select);
    ReadSuggestions(reg, key, s.suggestions);
}

void ReadSuggestionSettings(Registry& reg, SuggestionSettings& s) {
    RegKey key(reg, RegRoot::LocalMachine, reg::kOptionKey, true);
    ReadSuggestions(reg, key, s);
}

bool WriteOptions(Registry& reg, const OptionSettings& s) {
    RegKey key(reg, RegRoot::LocalMachine, reg::kOptionKey, true);
    if (!key) return false;
    bool ok = key.WriteBinary(reg::kEnableWord, s.enableWord);
    ok &= key.WriteBinary(reg::kEnableShorthand, s.enableShorthand);
    ok &= key.WriteBinary(reg::kEnableVemo, s.toggleHotkey);
    ok &= key.WriteBinary(reg::kSelectPrev, s.selectPrev);
    ok &= key.WriteBinary(reg::kSelectNext, s.selectNext);
    ok &= key.WriteBinary(reg::kSelectPageUp, s.selectPageUp);
    ok &= key.WriteBinary(reg::kSelectPageDown, s.selectPageDown);
    ok &= key.WriteBinary(reg::kSelectIndex, s.selectIndex);
    ok &= key.WriteBinary(reg::kSelect, s.select);
    ok &= key.WriteBinary(reg::kSmartOrder, s.suggestions.smartOrder);
    ok &= key.WriteBinary(reg::kSpaceAfter, s.suggestions.spaceAfter);
    ok &= key.WriteBinary(reg::kLearn, s.suggestions.learn);
    ok &= key.WriteBinary(reg::kLearnNew, s.suggestions.learnNew);
    ok &= key.WriteBinary(reg::kPredict, s.suggestions.predict);
    return ok;
}

void ReadMainWindowSwitches(Registry& reg, std::uint32_t& toggleHotkey,
                            std::int32_t& enableShorthand, std::int32_t& enableWord) {
    RegKey key(reg, RegRoot::LocalMachine, reg::kOptionKey, true);
    if (!key) return;
    key.ReadInto(reg::kEnableVemo, toggleHotkey);
    key.ReadInto(reg::kEnableShorthand, enableShorthand);
    key.ReadInto(reg::kEnableWord, enableWord);
}

bool WriteSwitch(Registry& reg, const char* name, std::int32_t value) {
    RegKey key(reg, RegRoot::LocalMachine, reg::kOptionKey, true);
    return key.WriteBinary(name, value);
}

std::int32_t ReadSwitch(Registry& reg, const char* name, std::int32_t fallback) {
    RegKey key(reg, RegRoot::LocalMachine, reg::kOptionKey, true);
    key.ReadInto(name, fallback);
    return fallback;
}

bool ReadRunAtStartup(Registry& reg) {
    RegKey key(reg, RegRoot::LocalMachine, reg::kRunKey, true);
    char path[kRunValueBytes];
    return key && reg.Read(key.get(), reg::kRunValue, path, sizeof path) >= 0;
}

bool WriteRunAtStartup(Registry& reg, bool on, const std::string& exePath) {
    RegKey key(reg, RegRoot::LocalMachine, reg::kRunKey, true);
    if (!key) return false;
    if (!on) {
        // Deleting a value that is not there is no failure.
        char probe[kRunValueBytes];
        if (reg.Read(key.get(), reg::kRunValue, probe, sizeof probe) < 0) return true;
        return reg.DeleteValue(key.get(), reg::kRunValue);
    }
    if (exePath.empty() || exePath.size() >= kRunValueBytes) return false;
    char path[kRunValueBytes] = {};
    std::memcpy(path, exePath.data(), exePath.size());
    return reg.WriteString(key.get(), reg::kRunValue, path, sizeof path);
}

std::vector<AppSetting> ReadAppSettings(Registry& reg, std::int32_t& othersEnable) {
    std::vector<AppSetting> apps;
    RegKey key(reg, RegRoot::LocalMachine, reg::kAppOptionKey, true);
    if (!key) return apps;
    std::string name;
    for (std::uint32_t i = 0; reg.EnumSubkey(key.get(), i, name); ++i) {
        AppSetting app;
        app.fileName = name;
        RegKey sub(reg, RegRoot::LocalMachine, reg::kAppOptionPrefix + name, false);
        if (sub) {
            sub.ReadInto(reg::kAppEnableVemo, app.enable);
            sub.ReadInto(reg::kAppEnablePredict, app.predict);
            app.clipboard = reg::TypesByClipboardByDefault(name) ? 1 : 0;
            sub.ReadInto(reg::kAppTypeByClipboard, app.clipboard);
            reg.ReadString(sub.get(), reg::kAppPath, app.path, kRunValueBytes);
        }
        apps.push_back(std::move(app));
    }
    key.ReadInto(reg::kOthersEnableVemo, othersEnable);
    return apps;
}

bool WriteAppSettings(Registry& reg, const std::vector<AppSetting>& apps,
                      std::int32_t othersEnable) {
    bool ok = true;
    {
        RegKey key(reg, RegRoot::LocalMachine, reg::kAppOptionKey, true);
        if (!key) return false;
        std::string name;
        // Delete index 0 until none is left; stop if a deletion is refused.
        while (reg.EnumSubkey(key.get(), 0, name)) {
            if (!reg.DeleteSubkey(key.get(), name)) {
                ok = false;
                break;
            }
        }
    }
    for (const AppSetting& app : apps) {
        if (app.fileName.empty()) continue;
        RegKey sub(reg, RegRoot::LocalMachine, reg::kAppOptionPrefix + app.fileName, true);
        if (!sub) {
            ok = false;
            continue;
        }
        ok &= sub.WriteBinary(reg::kAppEnableVemo, app.enable);
        ok &= sub.WriteBinary(reg::kAppEnablePredict, app.predict);
        ok &= sub.WriteBinary(reg::kAppTypeByClipboard, app.clipboard);
        // The path is stored without its terminator.
        ok &= reg.WriteString(sub.get(), reg::kAppPath, app.path.data(),
                              static_cast<std::uint32_t>(app.path.size()));
    }
    RegKey key(reg, RegRoot::LocalMachine, reg::kAppOptionKey, true);
    return key.WriteBinary(reg::kOthersEnableVemo, othersEnable) && ok;
}

}  // namespace wl
