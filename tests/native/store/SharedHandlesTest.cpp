// Several handles on one library file in one process: they share one cache,
// see each other's writes and leave a sound file; copies and files changed
// behind the process's back are kept apart; damaged files harm no other.
#include <gtest/gtest.h>

#include <cstring>

#include "store/DatabaseTesting.h"
#include "tests/native/store/StoreTestSupport.h"

namespace wl::test {
namespace {

// prefix + n (written out so that GCC 12 at -O3 does not take the string
// concatenation for an overlapping copy).
std::string Numbered(const char* prefix, int n) {
    std::string s(prefix);
    s += std::to_string(n);
    return s;
}

std::string FileId(const std::string& path) {
    return ReadBytes(path).substr(52, 20);
}

class SharedHandlesTest : public SetTest {};

TEST_F(SharedHandlesTest, AnEditorWritingBesideTheSetAndAnInfoWriterLeavesASoundFile) {
    std::string path = dir / "shared.lib";
    MakeLibrary(path, ManyEntries("base", 200, "text"), {.caption = "Shared"});
    listing.names = {"shared.lib"};
    ASSERT_EQ(Load(), 1);

    Opened editor(path);
    LibraryEntry e;
    ASSERT_EQ(set.FindFirst("base1", e, MATCH_PREFIX, 1, 1), 1);
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < 150; ++i) {
            std::string key = "new" + std::to_string(round) + "_" + std::to_string(i);
            ASSERT_EQ(editor.Put(Entry(key, std::string(40 + i, 'x'))), 1);
        }
        // Info written through a temporary handle grows the info database
        // (a long description takes pages of its own) while both others are
        // open.
        editor.SetDescription(std::string(3000 + 500 * round, 'd').c_str(), -1);
        ASSERT_EQ(editor.WriteInfo(), 1);
        // The set sees every write at once, and its lookup goes on.
        std::string probe = "new" + std::to_string(round) + "_149";
        ASSERT_EQ(set.FindFirst(probe.c_str(), e, MATCH_PREFIX, 1, 1), 1) << probe;
        EXPECT_EQ(e.keyBytes(), probe);
        ASSERT_EQ(set.FindNext(e), 0);
    }
    // A third object reads the info the temporary handle wrote.
    Opened reader(path);
    EXPECT_EQ(std::string(reader.GetDescription()).size(), 3000u + 500 * 19);
    EXPECT_STREQ(reader.GetCaption(), "Shared");
    editor.Close();
    reader.Close();
    set.UnloadAll();

    EXPECT_TRUE(Verifies(path));
    Opened again(path);
    EXPECT_EQ(again.Count(), 200 + 150 * 20);
    EXPECT_EQ(TextOf(again, "new7_77"), std::string(117, 'x'));
}

TEST_F(SharedHandlesTest, AWalkOfEveryKeySeesWhatAnotherHandleHasNotWrittenOutYet) {
    // The walk reads the file through handles of its own: what the shared
    // cache holds changed must reach the file first.
    std::string path = dir / "walked.lib";
    MakeLibrary(path, ManyEntries("base", 50, ""));
    ASSERT_TRUE(RawPut(path, "DBWEIGHT", "base0", std::string(4, '\0')));  // a weight database
    Opened editor(path), reader(path);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(editor.Put(Entry(Numbered("new", i), std::string(i % 50, 't'))), 1);
        ASSERT_EQ(editor.SetWeight(Entry(Numbered("new", i)), i + 1u), 1);
    }
    ASSERT_EQ(editor.Delete(Entry("base7")), 1);
    int keys = 0, weighted = 0;
    std::uint64_t weights = 0;
    ASSERT_EQ(reader.ForEachKey([&](const Library::KeyInfo& info) {
        ++keys;
        weighted += info.weighted;
        weights += info.weight;
        EXPECT_NE(std::string(info.key, info.length), "base7");
        return true;
    }),
              1);
    EXPECT_EQ(keys, 49 + 3000);
    EXPECT_EQ(weighted, 1 + 3000);
    EXPECT_EQ(weights, 3000u * 3001u / 2);
    editor.Close();
    reader.Close();
    EXPECT_TRUE(Verifies(path));
}

TEST_F(SharedHandlesTest, DeletesThroughOneHandleKeepAnotherHandlesWalkSound) {
    std::string path = dir / "walk.lib";
    Pairs entries;
    for (int i = 0; i < 2000; ++i) entries.push_back({Numbered("k", 10000 + i), "t"});
    MakeLibrary(path, entries);
    Opened walker(path), editor(path);
    LibraryEntry e;
    ASSERT_EQ(walker.Search("k", e, MATCH_PREFIX), 1);
    std::vector<std::string> seen{std::string(e.keyBytes())};
    // Delete every key ahead of the walker but one in ten, while it walks.
    for (int i = 1; i < 2000; ++i) {
        if (i % 10) {
            ASSERT_EQ(editor.Delete(Entry(Numbered("k", 10000 + i))), 1);
        }
    }
    while (walker.Next(e)) seen.emplace_back(e.keyBytes());
    EXPECT_EQ(seen.size(), 200u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    walker.Close();
    editor.Close();
    EXPECT_TRUE(Verifies(path));
}

TEST_F(SharedHandlesTest, ACopyOfALibraryIsAFileOfItsOwn) {
    std::string original = dir / "English.lib", copy = dir / "English2.lib";
    MakeLibrary(original, {{"alpha", "original"}});
    std::filesystem::copy_file(original, copy);
    ASSERT_EQ(FileId(original), FileId(copy));
    std::string originalBytes = ReadBytes(original);

    Opened a(original), b(copy);
    EXPECT_NE(FileId(copy), FileId(original));  // the copy got an id of its own
    ASSERT_EQ(b.Put(Entry("beta", "copy")), 1);
    ASSERT_EQ(b.Put(Entry("alpha", "changed in the copy")), 1);
    EXPECT_EQ(TextOf(a, "beta"), "<none>");
    EXPECT_EQ(TextOf(a, "alpha"), "original");
    a.Close();
    b.Close();
    EXPECT_EQ(ReadBytes(original), originalBytes);
    EXPECT_TRUE(Verifies(original));
    EXPECT_TRUE(Verifies(copy));

    // A copy made while the original was closed again, opened afterwards.
    std::string late = dir / "English3.lib";
    std::filesystem::copy_file(original, late);
    Opened c(late);
    ASSERT_EQ(c.Put(Entry("gamma", "late copy")), 1);
    ASSERT_EQ(a.Open(original.c_str()), 1);
    EXPECT_EQ(TextOf(a, "gamma"), "<none>");
    EXPECT_EQ(a.Count(), 1);
}

TEST_F(SharedHandlesTest, AFileChangedWhileClosedIsReadAfresh) {
    std::string path = dir / "outside.lib", other = dir / "other.lib";
    MakeLibrary(path, {{"inside", ""}});
    MakeLibrary(other, {{"x", ""}});
    Opened keeper(other);  // keeps the shared cache busy with another file
    Opened lib(path);
    LibraryEntry e;
    ASSERT_EQ(lib.Search("", e, MATCH_PREFIX), 1);  // its pages are cached
    lib.Close();
    // The change is seen by its size or its time of last change (which has
    // whole seconds only on Windows): here the file grows by 60 KB.
    std::uintmax_t before = std::filesystem::file_size(path);
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(RawPut(path, "DBDATA", Numbered("outside", 1000 + i), std::string(200, 'o')));
    ASSERT_GT(std::filesystem::file_size(path), before);
    ASSERT_EQ(lib.Open(path.c_str()), 1);
    Keys all = Walk(lib, "", MATCH_PREFIX);
    ASSERT_EQ(all.size(), 301u);
    ASSERT_EQ(lib.Put(Entry("more", "")), 1);
    lib.Close();
    EXPECT_TRUE(Verifies(path));
    // Unchanged files keep their id and their cached pages.
    std::string id = FileId(path);
    ASSERT_EQ(lib.Open(path.c_str()), 1);
    EXPECT_EQ(FileId(path), id);
    EXPECT_EQ(lib.Count(), 302);
}

TEST_F(SharedHandlesTest, APageDamagedWhileOpenHarmsNoOtherLibrary) {
    std::string big = dir / "big.lib";
    MakeLibrary(big, ManyEntries("entry", 3000, "some text"));
    MakeLibrary(dir / "good.lib", {{"entry", "good"}});

    OutputCapture capture(dir);
    Opened damaged(big);
    // Behind the open handle, every leaf page gets a page type that exists
    // nowhere.  Counting the keys meets them and takes the file for damaged,
    // which would put the whole environment into its panic state.
    {
        std::string bytes = ReadBytes(big);
        const std::size_t pageSize = PageSize(bytes);
        int leaves = 0;
        for (std::size_t at = 0; at < bytes.size(); at += pageSize) {
            if (bytes[at + 25] == 5) {
                bytes[at + 25] = 0x7F;
                ++leaves;
            }
        }
        ASSERT_GT(leaves, 4);
        WriteBytes(big, bytes);
    }
    EXPECT_EQ(damaged.Count(), 0);

    // The environment goes on serving every other file, old and new.
    Opened good(dir / "good.lib");
    EXPECT_EQ(TextOf(good, "entry"), "good");
    ASSERT_EQ(good.Put(Entry("after", "damage")), 1);
    Opened fresh(dir / "fresh.lib");
    ASSERT_EQ(fresh.Put(Entry("a", "b")), 1);
    EXPECT_EQ(fresh.Count(), 1);
    EXPECT_EQ(capture.Finish(), "");
    damaged.Close();
    good.Close();
    fresh.Close();
    EXPECT_TRUE(Verifies(dir / "good.lib"));
    EXPECT_TRUE(Verifies(dir / "fresh.lib"));
    Library again{SystemCodePage()};
    EXPECT_EQ(again.Open(big.c_str()), 0);  // refused from now on
}

TEST_F(SharedHandlesTest, WithoutTheEnvironmentHandlesStillWork) {
    std::string path = dir / "alone.lib";
    bdb::DisableEnvironmentForTest(true);
    EXPECT_FALSE(bdb::UsingEnvironment());
    {
        MakeLibrary(path, {{"one", "1"}, {"two", "2"}}, {.type = Shorthand, .caption = "Alone"});
        Opened lib(path);
        EXPECT_EQ(lib.GetType(), Shorthand);
        EXPECT_EQ(Walk(lib, "", MATCH_PREFIX), (Keys{"one", "two"}));
        EXPECT_EQ(lib.Count(), 2);
        EXPECT_EQ(lib.ExportText((dir / "out.txt").c_str(), nullptr), 2);
        EXPECT_EQ(lib.Open((dir / "zero.lib").c_str()), 1);  // a new file, made
        WriteBytes(dir / "empty.lib", "");
        EXPECT_EQ(lib.Open((dir / "empty.lib").c_str()), 0);
    }
    bdb::DisableEnvironmentForTest(false);
    EXPECT_TRUE(Verifies(path));
}

}  // namespace
}  // namespace wl::test
