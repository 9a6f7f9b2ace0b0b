// The Libraries Manager's logic on a folder of real libraries and an
// in-memory registry: the rows, what OK writes and what Cancel does not, the
// library the editor opens, and new libraries.
#include <gmock/gmock.h>

#include <filesystem>
#include <string>

#include "libui/LibManagerLogic.h"
#include "platform/CodePage.h"
#include "platform/MemoryRegistry.h"
#include "tests/support/InfoRecords.h"
#include "tests/support/Libraries.h"

namespace wl {
namespace {

using test::MakeLibrary;
using test::TempDir;
using ::testing::HasSubstr;
using ::testing::StartsWith;

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

// Every library in name order, with its encoding; only code-page libraries
// convert, and one of an unknown encoding is not edited.
TEST_F(ManagerTest, RowsShowEveryLibraryInNameOrderWithItsEncoding) {
    const std::string a = mgr.PathOf("a.lib"), f = mgr.PathOf("f.lib");
    MakeLibrary(a, {{"x", ""}}, {.caption = "English", .description = "Common words"});
    MakeLibrary(mgr.PathOf("b.lib"), {{"\xCE\xB1", ""}},
                {.caption = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC",
                 .encoding = EncodingUtf8});
    MakeLibrary(mgr.PathOf("c.lib"), {{"y", ""}}, {.caption = "Newer"});
    ASSERT_TRUE(
        test::WriteInfoRecord(mgr.PathOf("c.lib"), "DBENCODING", std::string("\x01\0\0\0", 4)));
    MakeLibrary(mgr.PathOf("d.lib"), {}, {.encoding = EncodingUtf8});  // no caption of its own
    MakeLibrary(mgr.PathOf("e.lib"), {}, {.type = 5, .caption = "Odd"});
    test::WriteBytes(f, "not a library");
    test::WriteBytes(mgr.PathOf("notes.txt"), "ignored");
    mgr.Fill();
    ASSERT_EQ(mgr.Rows().size(), 6u);

    const struct {
        const char* shown;  // how Shown begins
        const char* encoding;
        std::int32_t captionEncoding;
        bool converts;
        bool edits;
    } expected[] = {
        {"English|Dictionary|Enable|Common words|on", "Code page", EncodingCodePage, true, true},
        {"", "Unicode (UTF-8)", EncodingUtf8, false, true},
        {"Newer|", "Unknown (read-only)", EncodingUnknown, false, false},
        {"", "Unicode (UTF-8)", EncodingCodePage, false, true},          // its file name
        {"Odd||Enable||on", "Code page", EncodingCodePage, true, true},  // type neither 1 nor 2
        // A file that cannot be opened is listed all the same: as before.
        {"f.lib|", "", EncodingCodePage, false, true},
    };
    for (int i = 0; i < 6; ++i) {
        const LibraryRow& r = mgr.Rows()[i];
        const auto& e = expected[i];
        EXPECT_THAT(Shown(r), StartsWith(e.shown));
        EXPECT_EQ(r.index, i) << r.path;
        EXPECT_EQ(r.encodingText, e.encoding) << r.path;
        EXPECT_EQ(r.captionEncoding, e.captionEncoding) << r.path;
        EXPECT_EQ(mgr.CanConvert(i), e.converts) << r.path;
        EXPECT_EQ(mgr.ConvertQuestion(i).empty(), !e.converts) << r.path;
        const auto edit = mgr.EditRow(i);
        EXPECT_EQ(edit.valid, e.edits) << r.path;
        EXPECT_EQ(edit.refusal.empty(), e.edits) << r.path;
    }
    EXPECT_THAT(mgr.EditRow(2).refusal.text, HasSubstr("newer version of Wordlark"));
    EXPECT_TRUE(mgr.ConvertQuestion(0).ask);
    EXPECT_FALSE(mgr.CanConvert(6));
    EXPECT_EQ(test::ReadBytes(f), "not a library");  // left as it was
    // Listing created the switch keys of the libraries never seen before.
    EXPECT_TRUE(reg.KeyExists(RegRoot::LocalMachine, kLoadSet + a));
}

TEST_F(ManagerTest, ANewLibraryIsUtf8WhenAskedAndItsFileNameStaysInTheCodePage) {
    const struct {
        const char* typed;
        bool unicode;
        const char* file;  // "" when refused
        const char* caption;
    } cases[] = {
        {"Symbols", true, "Symbols.lib", "Symbols"},
        {" Caf\xC3\xA9.lib", true, "Caf\xE9.lib", "Caf\xC3\xA9"},  // caption in UTF-8
        {"Plain", false, "Plain.lib", "Plain"},
        {"Caf\xC3\xA9 old", false, "Caf\xE9 old.lib", "Caf\xE9 old"},  // caption in the code page
        {"\xCE\xB1\xCE\xB2", true, "", ""},                            // Greek: no such file name
        {"bad\xFF", true, "", ""},                                     // not UTF-8
    };
    for (const auto& c : cases) {
        auto made = mgr.CreateLibraryAsTyped(c.typed, Shorthand, c.unicode);
        EXPECT_EQ(made.created, *c.file != '\0') << c.typed << ": " << made.message.text;
        if (!made.created) {
            EXPECT_EQ(made.message.title, "Wordlark - Error") << c.typed;
            continue;
        }
        EXPECT_EQ(made.path, mgr.PathOf(c.file));
        Library lib{SystemCodePage()};
        ASSERT_TRUE(lib.Open(made.path.c_str()));
        EXPECT_EQ(lib.GetEncoding(), c.unicode ? EncodingUtf8 : EncodingCodePage) << c.typed;
        EXPECT_STREQ(lib.GetCaption(), c.caption);
        EXPECT_EQ(lib.GetType(), Shorthand);
        lib.Close();
        // A code-page library's file stays as every older one: no record.
        std::string record;
        EXPECT_EQ(test::ReadInfoRecord(made.path, "DBENCODING", record), c.unicode) << c.typed;
    }
}

// Converters as ConvertToUnicode is called, each doing one thing.
int ConvertForReal(const std::string& path, const CodePage& cp, ImportProgress*, std::string*) {
    Library lib{cp};
    if (!lib.Open(path.c_str())) return 0;
    lib.SetEncoding(EncodingUtf8);  // the test's entries are ASCII
    return lib.WriteInfo() ? lib.Count() : 0;
}
int FailWithReason(const std::string& path, const CodePage&, ImportProgress*, std::string* error) {
    test::WriteBytes(path + ".new", "half");
    std::filesystem::remove(path + ".new");
    *error = "the disk is full";
    return 0;
}
int ClaimWithoutDoing(const std::string&, const CodePage&, ImportProgress*, std::string*) {
    return 3;
}
int StopWhenCancelled(const std::string&, const CodePage&, ImportProgress* progress,
                      std::string* error) {
    if (progress && progress->Cancelled()) *error = "cancelled";
    return 0;
}

TEST_F(ManagerTest, ConvertCountsOnlyWhenTheFileReadsAsUtf8AfterwardsAndKeepsTicks) {
    const test::Pairs entries = {{"brb", "be right back"}, {"ty", "thank you"}};
    const struct {
        const char* name;
        LibManagerLogic::Converter converter;
        bool cancel;
        bool converted;
        const char* said;
    } cases[] = {
        {"fails", FailWithReason, false, false,
         "could not be converted to Unicode: the disk is full"},
        {"claims", ClaimWithoutDoing, false, false, "could not be converted to Unicode"},
        {"cancelled", StopWhenCancelled, true, false, "was cancelled"},
        {"converts", ConvertForReal, false, true, "is now a Unicode library"},
    };
    for (const auto& c : cases) {
        const std::string path = mgr.PathOf(std::string(c.name) + ".lib");
        MakeLibrary(path, entries, {.type = Shorthand});
        mgr.Fill(true);
        int row = mgr.RowOfPath(path);
        ASSERT_GE(row, 0);
        mgr.SetChecked(row, false);  // not yet written: survives the refill
        mgr.SetConverter(c.converter);
        test::RecordingProgress progress(c.cancel ? 0 : -1);
        const auto result = mgr.Convert(row, &progress);
        EXPECT_EQ(result.converted, c.converted) << c.name;
        EXPECT_THAT(result.message.text, HasSubstr(c.said)) << c.name;
        if (!c.converted) {
            EXPECT_THAT(result.message.text, HasSubstr("left as it was")) << c.name;
        }
        EXPECT_EQ(test::ReadLibrary(path), entries) << c.name;
        row = mgr.RowOfPath(path);
        ASSERT_GE(row, 0);
        EXPECT_FALSE(mgr.Rows()[row].checked) << c.name;
        EXPECT_EQ(mgr.CanConvert(row), !c.converted) << c.name;
        EXPECT_EQ(mgr.Rows()[row].encodingText, c.converted ? "Unicode (UTF-8)" : "Code page");
    }
    // A Unicode library is not converted again.
    bool called = false;
    mgr.SetConverter([&](const std::string&, const CodePage&, ImportProgress*, std::string*) {
        called = true;
        return 1;
    });
    EXPECT_FALSE(mgr.Convert(mgr.RowOfPath(mgr.PathOf("converts.lib")), nullptr).converted);
    EXPECT_FALSE(called);
}

}  // namespace
}  // namespace wl
