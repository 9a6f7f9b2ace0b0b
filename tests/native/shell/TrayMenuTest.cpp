#include <gtest/gtest.h>

#include "platform/MemoryRegistry.h"
#include "settings/Settings.h"
#include "shell/TrayMenu.h"

namespace wl {
namespace {

TEST(TrayMenu, ChecksFollowTheStoreAndTheSwitchTextTheHook) {
    MemoryRegistry reg;
    TrayMenuState s = ReadTrayMenuState(reg, true);
    EXPECT_TRUE(s.wordChecked && s.shorthandChecked);
    EXPECT_STREQ(s.toggleText, "Disable &Wordlark");

    WriteSwitch(reg, reg::kEnableWord, 0);
    s = ReadTrayMenuState(reg, false);
    EXPECT_FALSE(s.wordChecked);
    EXPECT_TRUE(s.shorthandChecked);
    EXPECT_STREQ(s.toggleText, "Enable &Wordlark");

    reg.failOpen = true;  // nothing can be read: both count as on
    s = ReadTrayMenuState(reg, false);
    EXPECT_TRUE(s.wordChecked && s.shorthandChecked);
}

}  // namespace
}  // namespace wl
