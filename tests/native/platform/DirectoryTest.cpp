#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Directory.h"
#include "tests/support/Files.h"

namespace wl {
namespace {

TEST(Wildcards, MatchAsWindowsDoes) {
    EXPECT_TRUE(WildcardMatch("*.lib", "english.lib"));
    EXPECT_TRUE(WildcardMatch("*.lib", "X.LIB"));
    EXPECT_FALSE(WildcardMatch("*.lib", "english.lib.bak"));
    EXPECT_TRUE(WildcardMatch("*.*", "README"));
    EXPECT_TRUE(WildcardMatch("a?c", "abc"));
    EXPECT_FALSE(WildcardMatch("a?c", "ac"));
    EXPECT_EQ(FolderOf("C:\\Libs\\*.lib"), "C:\\Libs\\");
    EXPECT_EQ(FolderOf("/tmp/x/*.lib"), "/tmp/x/");
    EXPECT_EQ(FolderOf("*.lib"), "");
}

TEST(Directory, ListsInNameOrderWithTheFolderBit) {
    namespace fs = std::filesystem;
    test::TempDir tmp;
    const fs::path& dir = tmp.path();
    fs::create_directories(dir / "m.lib");
    for (const char* n : {"b.lib", "A.lib", "c.txt", "Z.lib"}) std::ofstream(dir / n) << "x";
    std::vector<DirEntry> entries;
    ASSERT_TRUE(SystemDirectory().List(dir.string() + "/*.lib", entries));
    std::vector<std::pair<std::string, bool>> listed;
    for (const DirEntry& e : entries) listed.emplace_back(e.name, e.isDirectory);
    EXPECT_EQ(listed, (decltype(listed){
                          {"A.lib", false}, {"b.lib", false}, {"m.lib", true}, {"Z.lib", false}}));

    ASSERT_TRUE(SystemDirectory().List(dir.string() + "/*.*", entries));
    EXPECT_EQ(entries.size(), 7u);  // ".", ".." and the five entries
    EXPECT_FALSE(SystemDirectory().List(dir.string() + "/missing/*.lib", entries));
}

}  // namespace
}  // namespace wl
