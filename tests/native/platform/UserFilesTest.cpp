// The user's files as either system has them: a whole file read within a
// bound, one written beside and renamed into place, renames that never
// overwrite, removals of what is not there, and a folder's file names.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/UserFiles.h"
#include "tests/support/Files.h"

namespace wl {
namespace {

TEST(UserFiles, ReadWriteRenameRemoveAndListAsTheSeamSays) {
    test::TempDir dir;
    UserFiles& files = SystemUserFiles();
    const std::string path = dir / "learned.dat", beside = dir / "learned.dat.new";
    std::string bytes;
    EXPECT_FALSE(files.Exists(path));
    EXPECT_FALSE(files.Read(path, bytes, 100));
    EXPECT_TRUE(files.Remove(path));  // nothing there: gone all the same

    const std::string text("one\r\ntwo\0three\n", 15);
    ASSERT_TRUE(files.WriteReplacing(path, beside, text));
    ASSERT_TRUE(files.WriteReplacing(path, beside, text + text));
    EXPECT_FALSE(files.Exists(beside));
    EXPECT_TRUE(files.Read(path, bytes, 30));
    EXPECT_EQ(bytes, text + text);
    EXPECT_FALSE(files.Read(path, bytes, 29));  // larger than allowed
    // Nowhere to write: the old file stays, nothing is left beside.
    EXPECT_FALSE(
        files.WriteReplacing(dir / "none/learned.dat", dir / "none/learned.dat.new", text));

    test::WriteBytes(dir / "other", "x");
    EXPECT_FALSE(files.Rename(path, dir / "other"));  // taken
    EXPECT_EQ(test::ReadBytes(dir / "other"), "x");
    std::filesystem::create_directories(dir.path() / "folder");
    std::vector<std::string> names;
    ASSERT_TRUE(files.ListNames(dir.path().string(), names));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"learned.dat", "other"}));
    EXPECT_FALSE(files.ListNames(dir / "none", names));

    ASSERT_TRUE(files.Rename(path, dir / "learned.dat.damaged"));
    EXPECT_TRUE(files.Remove(dir / "learned.dat.damaged"));
    EXPECT_FALSE(files.Exists(dir / "learned.dat.damaged"));
}

}  // namespace
}  // namespace wl
