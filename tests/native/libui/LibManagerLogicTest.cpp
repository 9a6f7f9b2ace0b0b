// The Libraries Manager's logic on a folder of real libraries and an
// in-memory registry: the rows, what OK writes and what Cancel does not, the
// library the editor opens, and new libraries.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "libui/LibManagerLogic.h"
#include "platform/CodePage.h"
#include "platform/MemoryRegistry.h"
#include "tests/support/Libraries.h"

namespace wl {
namespace {

using test::MakeLibrary;
using test::TempDir;

const char kLoadSet[] = "SOFTWARE\\Quorbit\\LoadSet\\";

// A row as "caption|type|edit|description|on or off".
std::string Shown(const LibraryRow& r) {
    return r.caption + "|" + r.typeText + "|" + r.editText + "|" + r.description + "|" +
           (r.checked ? "on" : "off");
}

class ManagerTest : public ::testing::Test {
  protected:
    ManagerTest() { std::filesystem::create_directory(libs); }

    TempDir dir;
    std::string libs = dir / "Libs";
    MemoryRegistry reg;
    LibManagerLogic mgr{reg, SystemDirectory(), SystemCodePage(), libs};
};

TEST_F(ManagerTest, RowsShowEveryLibraryInNameOrder) {
    const std::string a = mgr.PathOf("a.lib"), d = mgr.PathOf("d.lib");
    MakeLibrary(a, {{"x", ""}}, {.caption = "English", .description = "Common words"});
    MakeLibrary(mgr.PathOf("c.lib"), {}, {.type = 5, .caption = "Odd"});
    test::WriteBytes(d, "not a library");
    test::WriteBytes(mgr.PathOf("notes.txt"), "ignored");

    mgr.Fill();
    const auto& rows = mgr.Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(Shown(rows[0]), "English|Dictionary|Enable|Common words|on");
    EXPECT_EQ(Shown(rows[1]), "Odd||Enable||on");  // neither 1 nor 2
    // A file that cannot be opened is listed all the same, and left as it was.
    EXPECT_EQ(rows[2].caption, "d.lib");
    EXPECT_EQ(rows[2].index, 2);
    EXPECT_EQ(test::ReadBytes(d), "not a library");
    // Listing created the switch keys of the libraries never seen before.
    EXPECT_TRUE(reg.KeyExists(RegRoot::LocalMachine, kLoadSet + a));
}

TEST_F(ManagerTest, RefillKeepsPendingChecksOnlyWhenAsked) {
    MakeLibrary(mgr.PathOf("a.lib"), {});
    mgr.Fill();
    mgr.SetChecked(0, false);
    mgr.SetChecked(7, false);  // out of range: ignored
    MakeLibrary(mgr.PathOf("b.lib"), {});
    mgr.Fill(true);
    ASSERT_EQ(mgr.Rows().size(), 2u);
    EXPECT_FALSE(mgr.Rows()[0].checked);
    EXPECT_TRUE(mgr.Rows()[1].checked);
    mgr.Fill();
    EXPECT_TRUE(mgr.Rows()[0].checked);
}

TEST_F(ManagerTest, EditOpensTheRowWithItsPermission) {
    MakeLibrary(mgr.PathOf("a.lib"), {});
    MakeLibrary(mgr.PathOf("b.lib"), {}, {.editable = 0});
    mgr.Fill();
    EXPECT_FALSE(mgr.EditRow(-1).valid);  // nothing selected: nothing happens
    EXPECT_FALSE(mgr.EditRow(2).valid);
    auto a = mgr.EditRow(0);
    EXPECT_TRUE(a.valid);
    EXPECT_EQ(a.path, mgr.PathOf("a.lib"));
    EXPECT_EQ(a.mayChange, 1);
    EXPECT_EQ(mgr.EditRow(1).mayChange, 0);
    EXPECT_EQ(mgr.RowOfPath(mgr.PathOf("b.lib")), 1);
    EXPECT_EQ(mgr.RowOfPath("elsewhere"), -1);
}

TEST_F(ManagerTest, NewLibraryWithAGoodName) {
    auto made = mgr.CreateLibrary("  My Phrases ", Shorthand);
    ASSERT_TRUE(made.created) << made.message.text;
    EXPECT_TRUE(made.message.empty());
    EXPECT_EQ(made.path, mgr.PathOf("My Phrases.lib"));

    auto kept = mgr.CreateLibrary("Words.LIB", Dictionary);
    ASSERT_TRUE(kept.created);
    EXPECT_EQ(kept.path, mgr.PathOf("Words.LIB"));

    mgr.Fill();
    ASSERT_EQ(mgr.Rows().size(), 2u);
    const int row = mgr.RowOfPath(made.path);
    ASSERT_GE(row, 0);
    EXPECT_EQ(Shown(mgr.Rows()[row]), "My Phrases|Shorthand|Enable||on");
    EXPECT_TRUE(test::ReadLibrary(made.path).empty());
}

TEST_F(ManagerTest, NewLibraryRejectsBadNames) {
    MakeLibrary(mgr.PathOf("taken.lib"), {{"keep", "me"}});

    auto empty = mgr.CreateLibrary("   ", Dictionary);
    EXPECT_FALSE(empty.created);
    EXPECT_EQ(empty.message.title, "Wordlark - Info");
    EXPECT_FALSE(empty.message.text.empty());

    for (const char* bad : {"sub\\name", "../up", "a:b", "what?", "star*", "pipe|", "<x>",
                            "quote\"", "tab\there", "con", "NUL.lib", "com1", "Lpt9.txt", ".lib"}) {
        auto r = mgr.CreateLibrary(bad, Dictionary);
        EXPECT_FALSE(r.created) << bad;
        EXPECT_EQ(r.message.title, "Wordlark - Error") << bad;
        EXPECT_EQ(r.message.icon, UiMessage::Icon::Stop) << bad;
    }
    // Already there, with or without the extension and in another case.
    for (const char* taken : {"taken", "taken.lib", "TAKEN"}) {
        auto r = mgr.CreateLibrary(taken, Dictionary);
        EXPECT_FALSE(r.created) << taken;
        EXPECT_NE(r.message.text.find("already exists"), std::string::npos) << taken;
    }
    EXPECT_EQ(test::ReadLibrary(mgr.PathOf("taken.lib")), (test::Pairs{{"keep", "me"}}));

    auto longName = mgr.CreateLibrary(std::string(300, 'x'), Dictionary);
    EXPECT_FALSE(longName.created);
    EXPECT_NE(longName.message.text.find("too long"), std::string::npos);

    // Names that merely resemble reserved ones are fine.
    EXPECT_TRUE(mgr.CreateLibrary("console", Dictionary).created);
    EXPECT_TRUE(mgr.CreateLibrary("com10", Dictionary).created);

    // A folder that cannot take the file.
    LibManagerLogic nowhere(reg, SystemDirectory(), SystemCodePage(),
                            (dir.path() / "missing" / "Libs").string());
    auto failed = nowhere.CreateLibrary("x", Dictionary);
    EXPECT_FALSE(failed.created);
    EXPECT_EQ(failed.message.title, "Wordlark - Error");
}

TEST_F(ManagerTest, DoubleByteNamesMayHoldABackslashTrailByte) {
    LibManagerLogic sjis(reg, SystemDirectory(), CodePage932(), libs);
    std::string file;
    // "\x95\x5C" is one Shift-JIS character whose trail byte is '\'.
    EXPECT_TRUE(sjis.CheckNewName("\x95\x5C", file).empty());
    EXPECT_EQ(file, "\x95\x5C.lib");
    EXPECT_FALSE(sjis.CheckNewName("a\\b", file).empty());
    LibManagerLogic singleByte(reg, SystemDirectory(), CodePage1252(), libs);
    EXPECT_FALSE(singleByte.CheckNewName("\x95\x5C", file).empty());
}

}  // namespace
}  // namespace wl
