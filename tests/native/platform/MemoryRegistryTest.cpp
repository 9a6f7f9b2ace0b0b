#include <gtest/gtest.h>

#include <cstdint>

#include "platform/MemoryRegistry.h"

namespace wl {
namespace {

TEST(MemoryRegistry, ReadsFitTheirFieldOrLeaveItAlone) {
    MemoryRegistry reg;
    RegKey key(reg, RegRoot::LocalMachine, "K", true);
    std::uint32_t four = 0x01020304;
    ASSERT_TRUE(key.WriteBinary("v4", four));
    std::uint8_t one = 0xFF;
    ASSERT_TRUE(key.WriteBinary("v1", one));

    std::uint8_t small = 7;
    EXPECT_FALSE(key.ReadInto("v4", small));  // wider than the field
    EXPECT_EQ(small, 7);
    std::uint32_t wide = 0xAAAAAAAA;
    EXPECT_TRUE(key.ReadInto("v1", wide));  // narrower: only its own bytes
    EXPECT_EQ(wide, 0xAAAAAAFFu);
    EXPECT_FALSE(key.ReadInto("missing", wide));
    EXPECT_EQ(wide, 0xAAAAAAFFu);
}

TEST(MemoryRegistry, EnumerationAndDeletion) {
    MemoryRegistry reg;
    for (const char* app : {"b.exe", "A.exe", "c.exe"})
        RegKey(reg, RegRoot::LocalMachine, std::string("AppOption\\") + app, true);
    RegKey parent(reg, RegRoot::LocalMachine, "AppOption", false);
    std::string name;
    ASSERT_TRUE(reg.EnumSubkey(parent.get(), 0, name));
    EXPECT_EQ(name, "A.exe");
    ASSERT_TRUE(reg.EnumSubkey(parent.get(), 2, name));
    EXPECT_EQ(name, "c.exe");
    EXPECT_FALSE(reg.EnumSubkey(parent.get(), 3, name));

    RegKey held(reg, RegRoot::LocalMachine, "AppOption\\b.exe", false);
    EXPECT_TRUE(reg.DeleteSubkey(parent.get(), "B.EXE"));
    EXPECT_FALSE(held.WriteBinary("EnableVemo", name[0]));  // the key is gone
    EXPECT_FALSE(reg.KeyExists(RegRoot::LocalMachine, "AppOption\\b.exe"));
    EXPECT_FALSE(reg.DeleteSubkey(parent.get(), "b.exe"));
    // A key with subkeys is not deleted.
    RegKey(reg, RegRoot::LocalMachine, "AppOption\\a.exe\\deeper", true);
    EXPECT_FALSE(reg.DeleteSubkey(parent.get(), "a.exe"));
}

}  // namespace
}  // namespace wl
