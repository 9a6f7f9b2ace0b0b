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
    std::vector<std::string> captions{p.Caption()};
    int changes = 0;
    for (int i = 1; i <= 250; ++i) {
        const bool changed = p.Advance();
        EXPECT_EQ(changed, p.Caption() != captions.back()) << i;
        changes += changed;
        captions.push_back(p.Caption());
    }
    EXPECT_EQ(std::vector<std::string>(captions.begin(), captions.begin() + 4),
              (std::vector<std::string>{"Wordlark", "Wordlark", "Wordlark", "Wordlark [1%]"}));
    EXPECT_EQ(changes, 100);
    EXPECT_EQ(p.Position(), 250);
    EXPECT_EQ(p.Caption(), "Wordlark [100%]");
}

TEST(ProgressLogic, EdgesOfTheRange) {
    ProgressLogic p;
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
}

TEST(ProgressLogic, RememberedPositionOnlyWhenOnAScreen) {
    MemoryRegistry reg;
    RegistryProfile profile(reg);
    const std::vector<ScreenRect> one = {{0, 0, 1024, 768}};
    const std::vector<ScreenRect> two = {{0, 0, 1024, 768}, {-1280, 0, 0, 1024}}, none;
    int x = -7, y = -7;
    EXPECT_FALSE(RememberedPosition(profile, one, x, y));  // nothing stored
    EXPECT_EQ(x, -7);

    RememberPosition(profile, 100, 200);
    const auto* stored =
        reg.Find(RegRoot::CurrentUser, "Software\\Quorbit\\Wordlark\\Settings", "X");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->data, (std::vector<unsigned char>{100, 0, 0, 0}));
    // Shown only while the corner is on a screen: a smaller display leaves
    // it off; a second screen to the left has negative coordinates.
    const struct {
        int x, y;
        const std::vector<ScreenRect>& screens;
        bool shown;
    } cases[] = {{100, 200, one, true},   {1023, 767, one, true}, {1024, 10, one, false},
                 {1500, 200, one, false}, {-1, -1, one, false},   {-600, 900, two, true},
                 {-600, 900, none, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        RememberPosition(profile, c.x, c.y);
        x = y = -7;
        ASSERT_EQ(RememberedPosition(profile, c.screens, x, y), c.shown);
        EXPECT_EQ(x, c.shown ? c.x : -7);
        EXPECT_EQ(y, c.shown ? c.y : -7);
    }

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
