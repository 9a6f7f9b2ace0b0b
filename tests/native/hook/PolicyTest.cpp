// Which application a keystroke belongs to and whether Wordlark works there.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/RegistryLayout.h"
#include "tests/native/hook/FakeHookPlatform.h"

namespace wl::test {
namespace {

class Policy : public ::testing::Test, public HookFixture {
  protected:
    void Others(std::uint32_t value) {
        RegKey key(p.registry, RegRoot::LocalMachine, reg::kAppOptionKey, true);
        key.WriteBinary(reg::kOthersEnableVemo, value);
    }
    void App(const std::string& name, std::uint8_t value) {
        AppOption(name, reg::kAppEnableVemo, value);
    }
};

TEST_F(Policy, TheApplicationsOwnByteDecidesForItsFileNameInAnyFolder) {
    Others(0x100);  // a stray high byte in OthersEnableVemo does not leak into the answer
    App("notepad.exe", 0);
    App("tool.exe", 0);
    for (const char* path :
         {"C:\\Windows\\notepad.exe", "D:\\Other\\Place\\tool.exe", "tool.exe"}) {
        p.exePath = path;  // a path without a folder is the name itself
        EXPECT_FALSE(logic.IsVemoEnabledForApp(kEdit)) << path;
    }
    // An application without a key, or with a key without the value,
    // follows the others' value: nothing is captured there.
    RegKey key(p.registry, RegRoot::LocalMachine, reg::kAppOptionPrefix + std::string("x.exe"),
               true);
    Others(0);
    for (const char* path : {"x.exe", "C:\\y.exe"}) {
        p.exePath = path;
        EXPECT_FALSE(logic.IsVemoEnabledForApp(kEdit)) << path;
    }
    Type("abc");
    Down(0x08);
    EXPECT_STREQ(s().inputWord, "");
    EXPECT_EQ(s().lookupPending, 0u);
}

TEST_F(Policy, AnUnreadablePathOrRegistryLeavesCaptureOn) {
    Others(0);
    p.exePath.reset();
    EXPECT_TRUE(logic.IsVemoEnabledForApp(kEdit));
    p.exePath = "C:\\Windows\\notepad.exe";
    p.registry.failOpen = true;
    EXPECT_TRUE(logic.IsVemoEnabledForApp(kEdit));
}

TEST_F(Policy, TheMainProgramIsNeverCaptured) {
    EXPECT_FALSE(logic.IsVemoEnabledForApp(kMain));
    // Its other windows (dialogs with edit fields) neither.
    p.pid = kMainPid;
    p.mainProgram = true;
    p.windowPids[kOther] = kMainPid;
    p.focus = kOther;
    EXPECT_FALSE(logic.IsVemoEnabledForApp(kEdit));
    p.focus = 0;
    EXPECT_FALSE(logic.IsVemoEnabledForApp(kEdit));
    Type("abc");
    EXPECT_STREQ(s().inputWord, "");
}

TEST_F(Policy, ARoutedKeystrokeNamesTheApplicationThatHasTheFocus) {
    // The hook of a 32-bit application runs in the main program's thread:
    // the current process is the main program, the focus is elsewhere.
    p.pid = kMainPid;
    p.mainProgram = true;
    p.exePath = "C:\\Program Files\\Wordlark\\VemoShow.exe";
    p.windowPids[kOther] = 300;
    p.processPaths[300] = "C:\\Program Files (x86)\\Old\\legacy32.exe";
    p.focus = kOther;
    App("VemoShow.exe", 1);
    App("legacy32.exe", 0);
    EXPECT_FALSE(logic.IsVemoEnabledForApp(kOther));
    App("legacy32.exe", 1);
    EXPECT_TRUE(logic.IsVemoEnabledForApp(kOther));
    // Its keys are translated with that application's layout.
    Type("x");
    EXPECT_TRUE(p.lastTranslateMayBeRouted);
    EXPECT_STREQ(s().inputWord, "x");
    // A process whose path cannot be read counts as enabled.
    p.processPaths.erase(300);
    Others(0);
    EXPECT_TRUE(logic.IsVemoEnabledForApp(kOther));
}

}  // namespace
}  // namespace wl::test
