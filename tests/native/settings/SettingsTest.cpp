#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "platform/MemoryRegistry.h"
#include "settings/RefusedWrite.h"
#include "settings/Settings.h"

namespace wl {
namespace {

const char* kOption = reg::kOptionKey;

TEST(Options, ValuesOfTheWrongWidthKeepTheDefault) {
    MemoryRegistry reg;
    {
        RegKey key(reg, RegRoot::LocalMachine, kOption, true);
        const std::uint8_t eleven[11] = {};
        reg.WriteBinary(key.get(), "vkSelectIndex", eleven, sizeof eleven);  // too wide
        const std::uint16_t two = 0x1234;
        reg.WriteBinary(key.get(), "vkSelectPrev", &two, sizeof two);  // too wide
        const std::uint8_t one = 0;
        reg.WriteBinary(key.get(), "bEnableWord", &one, sizeof one);  // narrower: read as is
    }
    OptionSettings s;
    ReadOptions(reg, s);
    EXPECT_EQ(std::memcmp(s.selectIndex.data(), "1234567890", 10), 0);
    EXPECT_EQ(s.selectPrev, 0x26);
    EXPECT_EQ(s.enableWord, 0);
}

TEST(Options, AKeyThatCannotBeOpenedLeavesDefaultsAndFailsWrites) {
    MemoryRegistry reg;
    reg.failOpen = true;
    OptionSettings s;
    ReadOptions(reg, s);
    EXPECT_EQ(s.selectNext, 0x28);
    // The suggestion switches' reader keeps what it held.
    SuggestionSettings held;
    held.smartOrder = 1;
    held.learn = 0;
    ReadSuggestionSettings(reg, held);
    EXPECT_EQ(held.smartOrder, 1);
    EXPECT_EQ(held.learn, 0);
    EXPECT_FALSE(WriteOptions(reg, s));
    EXPECT_FALSE(WriteSwitch(reg, reg::kEnableWord, 0));
    reg.failOpen = false;
    RegKey(reg, RegRoot::LocalMachine, kOption, true);
    reg.refuseWrites = true;
    EXPECT_FALSE(WriteOptions(reg, s));
}

// The five suggestion switches: their names, a field of SuggestionSettings
// each, and their defaults.
struct SuggestionSwitch {
    const char* name;
    std::int32_t SuggestionSettings::*field;
    std::int32_t fallback;
};
const SuggestionSwitch kSuggestionSwitches[] = {
    {"bSmartOrder", &SuggestionSettings::smartOrder, 0},
    {"bSpaceAfter", &SuggestionSettings::spaceAfter, 0},
    {"bLearn", &SuggestionSettings::learn, 1},
    {"bLearnNew", &SuggestionSettings::learnNew, 0},
    {"bPredict", &SuggestionSettings::predict, 0},
};

TEST(SuggestionSettings, EachSwitchIsWrittenAndReadAloneAs4LittleEndianBytes) {
    for (const auto& sw : kSuggestionSwitches) {
        MemoryRegistry reg;
        OptionSettings s;
        s.suggestions.*sw.field = 0x01020304;
        ASSERT_TRUE(WriteOptions(reg, s)) << sw.name;
        const auto* v = reg.Find(RegRoot::LocalMachine, kOption, sw.name);
        ASSERT_NE(v, nullptr) << sw.name;
        EXPECT_EQ(v->data, (std::vector<unsigned char>{4, 3, 2, 1})) << sw.name;
        // Read back by both readers; the other switches keep their defaults.
        SuggestionSettings alone;
        ReadSuggestionSettings(reg, alone);
        OptionSettings all;
        ReadOptions(reg, all);
        for (const auto& other : kSuggestionSwitches) {
            const std::int32_t expected = &other == &sw ? s.suggestions.*sw.field : other.fallback;
            EXPECT_EQ(alone.*other.field, expected) << sw.name << " read " << other.name;
            EXPECT_EQ(all.suggestions.*other.field, expected) << sw.name << " read " << other.name;
        }
    }
}

TEST(SuggestionSettings, AValueOfAnyOtherWidthKeepsTheDefault) {
    for (std::size_t size : {0, 1, 2, 3, 5, 8}) {
        std::vector<unsigned char> data(size, 0);
        if (size > 0 && size < 8) data[0] = 1;
        MemoryRegistry reg;
        {
            RegKey key(reg, RegRoot::LocalMachine, kOption, true);
            for (const auto& sw : kSuggestionSwitches)
                reg.WriteBinary(key.get(), sw.name, data.data(),
                                static_cast<std::uint32_t>(data.size()));
        }
        SuggestionSettings s;  // (ReadOptions reads them the same way)
        ReadSuggestionSettings(reg, s);
        for (const auto& sw : kSuggestionSwitches)
            EXPECT_EQ(s.*sw.field, sw.fallback) << sw.name << ", " << data.size() << " bytes";
    }
}

// Refuses the writes of one value only.
class RefusingRegistry : public MemoryRegistry {
  public:
    explicit RefusingRegistry(std::string refused) : refused_(std::move(refused)) {}
    bool WriteBinary(Key key, const std::string& name, const void* data,
                     std::uint32_t size) override {
        return name != refused_ && MemoryRegistry::WriteBinary(key, name, data, size);
    }

  private:
    std::string refused_;
};

TEST(SuggestionSettings, ARefusedWriteOfAnyOfThemIsReported) {
    for (const auto& sw : kSuggestionSwitches) {
        RefusingRegistry reg(sw.name);
        EXPECT_FALSE(WriteOptions(reg, OptionSettings{})) << sw.name;
        // The values after a refused one are written all the same.
        const bool lastStored = reg.Find(RegRoot::LocalMachine, kOption, "bPredict") != nullptr;
        EXPECT_EQ(lastStored, std::string(sw.name) != "bPredict") << sw.name;
    }
}

// EnablePredict: one byte beside EnableVemo; missing, or stored wider, it
// is on.
TEST(AppSettings, PredictionIsOneByteAndOnWhenMissing) {
    MemoryRegistry reg;
    const std::string prefix = reg::kAppOptionPrefix;
    auto storeApp = [&](const std::string& name, std::vector<unsigned char> predict) {
        RegKey key(reg, RegRoot::LocalMachine, prefix + name, true);
        key.WriteBinary(reg::kAppEnableVemo, std::uint8_t{1});
        if (!predict.empty())
            reg.WriteBinary(key.get(), "EnablePredict", predict.data(),
                            static_cast<std::uint32_t>(predict.size()));
    };
    storeApp("missing.exe", {});
    storeApp("off.exe", {0});
    storeApp("on.exe", {1});
    storeApp("wide.exe", {0, 0, 0, 0});
    std::int32_t others = 0;
    std::map<std::string, int> predict;
    for (const AppSetting& app : ReadAppSettings(reg, others)) predict[app.fileName] = app.predict;
    EXPECT_EQ(predict, (std::map<std::string, int>{
                           {"missing.exe", 1}, {"off.exe", 0}, {"on.exe", 1}, {"wide.exe", 1}}));

    ASSERT_TRUE(
        WriteAppSettings(reg, {{"a.exe", 1, "C:\\a.exe", 0}, {"b.exe", 0, "C:\\b.exe", 1}}, 1));
    const auto* a = reg.Find(RegRoot::LocalMachine, prefix + "a.exe", "EnablePredict");
    const auto* b = reg.Find(RegRoot::LocalMachine, prefix + "b.exe", "EnablePredict");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->data, std::vector<unsigned char>{0});
    EXPECT_EQ(b->data, std::vector<unsigned char>{1});  // kept for a disabled application
    EXPECT_FALSE(reg.KeyExists(RegRoot::LocalMachine, prefix + "off.exe"));
}

TEST(MainWindowSwitches, ReadInTheirOrderAndKeptWhenMissing) {
    MemoryRegistry reg;
    std::uint32_t hotkey = 0x00020074;
    std::int32_t shorthand = 1, word = 1;
    ReadMainWindowSwitches(reg, hotkey, shorthand, word);
    EXPECT_EQ(hotkey, 0x00020074u);
    EXPECT_EQ(shorthand, 1);
    ASSERT_TRUE(WriteSwitch(reg, reg::kEnableShorthand, 0));
    {
        RegKey key(reg, RegRoot::LocalMachine, kOption, true);
        key.WriteBinary(reg::kEnableVemo, std::uint32_t{0x00010075});  // Shift+F6
    }
    ReadMainWindowSwitches(reg, hotkey, shorthand, word);
    EXPECT_EQ(hotkey, 0x00010075u);
    EXPECT_EQ(shorthand, 0);
    EXPECT_EQ(word, 1);
    EXPECT_EQ(ReadSwitch(reg, reg::kEnableShorthand, 1), 0);
    EXPECT_EQ(ReadSwitch(reg, reg::kEnableWord, 7), 7);
}

TEST(RunAtStartup, OffWhenAlreadyOffAndAPathThatDoesNotFitIsRefused) {
    MemoryRegistry reg;
    const std::string exe = "C:\\Program Files\\Wordlark\\VemoShow.exe";
    EXPECT_TRUE(WriteRunAtStartup(reg, false, exe));  // nothing to delete

    // A path that does not fit the value is refused, not cut.
    EXPECT_FALSE(WriteRunAtStartup(reg, true, std::string(300, 'x')));
    EXPECT_FALSE(WriteRunAtStartup(reg, true, ""));
    EXPECT_FALSE(ReadRunAtStartup(reg));
}

// The refused write names the key the user may not write and what to do:
// for the settings' key (whatever its letter case) and the Run value, the
// key itself, not the value's path below it.
TEST(RefusedWrite, TheMessageNamesTheKeyAndTheWayOut) {
    struct Case {
        RegRoot root;
        const char* path;
        const char* key;     // in the text
        const char* advice;  // in the text
    };
    for (const Case& c : {
             Case{RegRoot::LocalMachine, "SOFTWARE\\Quorbit\\Option",
                  "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorbit.", "Run the Wordlark installer"},
             Case{RegRoot::LocalMachine, "software\\quorbit",
                  "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorbit.", "installer"},
             Case{RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                  "CurrentVersion\\Run.", "only an administrator"},
             Case{RegRoot::LocalMachine, "SOFTWARE\\QuorbitOther", "SOFTWARE\\QuorbitOther.",
                  "Ask an administrator"},
             Case{RegRoot::CurrentUser, "SOFTWARE\\Quorbit\\Option", "HKEY_CURRENT_USER",
                  "Ask an administrator"},
         }) {
        const std::string text = RefusedWriteText(c.root, c.path);
        EXPECT_NE(text.find(c.key), std::string::npos) << c.path << ": " << text;
        EXPECT_NE(text.find(c.advice), std::string::npos) << c.path << ": " << text;
        EXPECT_NE(text.find("once per run"), std::string::npos);
    }
}

}  // namespace
}  // namespace wl
