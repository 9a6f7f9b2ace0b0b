#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/MemoryRegistry.h"
#include "platform/ReportingRegistry.h"

namespace wl {
namespace {

struct Reported {
    RegRoot root;
    std::string path;
};

class ReportingRegistryTest : public ::testing::Test {
  protected:
    MemoryRegistry memory;
    std::vector<Reported> reports;
    ReportingRegistry reg{memory, [this](RegRoot root, const std::string& path) {
                              reports.push_back({root, path});
                          }};
};

TEST_F(ReportingRegistryTest, AKeyThatCannotBeCreatedReadsAsEmptyAndRefusesWrites) {
    memory.refuseWrites = true;
    RegKey key(reg, RegRoot::LocalMachine, "SOFTWARE\\Quorbit\\LoadSet\\C:\\Libs\\a.lib", true);
    // The reader sees a key without values and keeps its default, exactly as
    // when the open failed; nothing is reported for reading.
    ASSERT_TRUE(key);
    std::uint8_t load = 1;
    EXPECT_FALSE(key.ReadInto("CandLoad", load));
    EXPECT_EQ(load, 1);
    std::string name;
    EXPECT_FALSE(reg.EnumSubkey(key.get(), 0, name));
    EXPECT_FALSE(reg.DeleteValue(key.get(), "CandLoad"));  // nothing there to lose
    EXPECT_TRUE(reports.empty());

    std::uint8_t off = 0;
    EXPECT_FALSE(key.WriteBinary("CandLoad", off));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].path, "SOFTWARE\\Quorbit\\LoadSet\\C:\\Libs\\a.lib");
    EXPECT_FALSE(memory.KeyExists(RegRoot::LocalMachine, "SOFTWARE\\Quorbit"));
}

TEST_F(ReportingRegistryTest, DeletesThatLeaveTheValueOrKeyInPlaceAreRefusals) {
    {
        RegKey run(memory, RegRoot::LocalMachine, "Run", true);
        ASSERT_TRUE(memory.WriteString(run.get(), "Wordlark", "C:\\W\\VemoShow.exe", 17));
        RegKey app(memory, RegRoot::LocalMachine, "AppOption\\notepad.exe", true);
    }
    memory.refuseWrites = true;
    RegKey parent(reg, RegRoot::LocalMachine, "AppOption", true);
    EXPECT_FALSE(reg.DeleteSubkey(parent.get(), "missing.exe"));
    EXPECT_TRUE(reports.empty());
    EXPECT_FALSE(reg.DeleteSubkey(parent.get(), "notepad.exe"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].path, "AppOption");

    ReportingRegistry second(memory, [this](RegRoot root, const std::string& path) {
        reports.push_back({root, path});
    });
    RegKey run(second, RegRoot::LocalMachine, "Run", true);
    EXPECT_FALSE(second.DeleteValue(run.get(), "NotThere"));
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_FALSE(second.DeleteValue(run.get(), "Wordlark"));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].path, "Run");
}

}  // namespace
}  // namespace wl
