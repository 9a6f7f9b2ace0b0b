// The progress window's numbers and its remembered position.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "libui/ProgressLogic.h"
#include "platform/MemoryRegistry.h"

namespace wl {
namespace {

TEST(ProgressLogic, CaptionChangesOnlyWithTheWholePercentage) {
    ProgressLogic p("Wordlark");
    p.SetBarRange(0, 250, 1);
    EXPECT_EQ(p.Caption(), "Wordlark");
    int changes = 0;
    for (int i = 1; i <= 250; ++i) {
        const std::string before = p.Caption();
        const bool changed = p.Advance();
        EXPECT_EQ(changed, p.Caption() != before) << i;
        if (changed) ++changes;
        if (i == 2) {
            EXPECT_EQ(p.Caption(), "Wordlark");
        }
        if (i == 3) {
            EXPECT_EQ(p.Caption(), "Wordlark [1%]");
        }
    }
    EXPECT_EQ(changes, 100);
    EXPECT_EQ(p.Position(), 250);
    EXPECT_EQ(p.Caption(), "Wordlark [100%]");
}

TEST(ProgressLogic, EdgesOfTheRange) {
    ProgressLogic p;
    EXPECT_EQ(p.Title(), "Progress");
    EXPECT_EQ(p.Lower(), 0);
    EXPECT_EQ(p.Upper(), 100);
    EXPECT_EQ(p.Step(), 1);
    EXPECT_FALSE(p.Cancelled());

    p.SetBarRange(0, 0, 1);  // an empty library
    EXPECT_FALSE(p.SetBarPosition(0));
    EXPECT_FALSE(p.Advance());
    EXPECT_EQ(p.Percent(), 0);
    EXPECT_EQ(p.Caption(), "Progress");

    p.SetBarRange(50, 150, 10);
    EXPECT_EQ(p.PercentOf(100), 50);
    EXPECT_EQ(p.PercentOf(10), 0);      // below the range
    EXPECT_EQ(p.PercentOf(1000), 100);  // past it
    // Large ranges do not overflow.
    p.SetBarRange(0, 2000000000, 1);
    EXPECT_EQ(p.PercentOf(1999999999), 99);
    EXPECT_TRUE(p.SetBarPosition(1000000000));
    EXPECT_EQ(p.Caption(), "Progress [50%]");
    // Back to 0 is a change too.
    EXPECT_TRUE(p.SetBarPosition(0));
    EXPECT_EQ(p.Caption(), "Progress [0%]");

    p.Cancel();
    EXPECT_TRUE(p.Cancelled());
}

TEST(ProgressLogic, RememberedPositionOnlyWhenOnAScreen) {
    MemoryRegistry reg;
    RegistryProfile profile(reg);
    const std::vector<ScreenRect> one = {{0, 0, 1024, 768}};
    int x = -7, y = -7;
    EXPECT_FALSE(RememberedPosition(profile, one, x, y));  // nothing stored
    EXPECT_EQ(x, -7);

    RememberPosition(profile, 100, 200);
    const auto* stored =
        reg.Find(RegRoot::CurrentUser, "Software\\Quorbit\\Wordlark\\Settings", "X");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->data, (std::vector<unsigned char>{100, 0, 0, 0}));
    EXPECT_TRUE(RememberedPosition(profile, one, x, y));
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 200);

    // A smaller display: the corner is off the screen.
    RememberPosition(profile, 1500, 200);
    EXPECT_FALSE(RememberedPosition(profile, one, x, y));
    RememberPosition(profile, 1023, 767);
    EXPECT_TRUE(RememberedPosition(profile, one, x, y));
    RememberPosition(profile, 1024, 10);
    EXPECT_FALSE(RememberedPosition(profile, one, x, y));
    RememberPosition(profile, -1, -1);
    EXPECT_FALSE(RememberedPosition(profile, one, x, y));
    // A second screen to the left has negative coordinates.
    const std::vector<ScreenRect> two = {{0, 0, 1024, 768}, {-1280, 0, 0, 1024}};
    RememberPosition(profile, -600, 900);
    EXPECT_TRUE(RememberedPosition(profile, two, x, y));
    EXPECT_EQ(x, -600);
    EXPECT_FALSE(RememberedPosition(profile, {}, x, y));

    // Only one of the two stored.
    MemoryRegistry half;
    RegistryProfile partial(half);
    partial.SetInt("Settings", "X", 5);
    EXPECT_FALSE(RememberedPosition(partial, one, x, y));
    // A registry that refuses everything.
    half.failOpen = true;
    EXPECT_FALSE(partial.SetInt("Settings", "Y", 5));
}

}  // namespace
}  // namespace wl
