#include <gtest/gtest.h>

#include "platform/MemoryRegistry.h"
#include "settings/Settings.h"
#include "shell/TrayMenu.h"

namespace wl {
namespace {

TEST(TrayMenu, ChecksFollowTheStoreAndTheSwitchTextTheHook) {
    MemoryRegistry reg;
    TrayMenuState s = ReadTrayMenuState(reg, true);
    EXPECT_TRUE(s.wordChecked);
    EXPECT_TRUE(s.shorthandChecked);
    EXPECT_STREQ(s.toggleText, "Disable &Wordlark");

    WriteSwitch(reg, reg::kEnableWord, 0);
    s = ReadTrayMenuState(reg, false);
    EXPECT_FALSE(s.wordChecked);
    EXPECT_TRUE(s.shorthandChecked);
    EXPECT_STREQ(s.toggleText, "Enable &Wordlark");

    reg.failOpen = true;  // nothing can be read: both count as on
    s = ReadTrayMenuState(reg, false);
    EXPECT_TRUE(s.wordChecked);
    EXPECT_TRUE(s.shorthandChecked);
}

TEST(TrayMenu, Links) {
    EXPECT_EQ(UnableToOpenText("https://x/"), "Unable to open https://x/.");
    EXPECT_EQ(std::string(kFeedbackLink).find("?subject=Wordlark Feedback") != std::string::npos,
              true);
}

}  // namespace
}  // namespace wl
