// LibrarySet: discovery, load switches, the merged lookup.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>

#include "tests/native/store/StoreTestSupport.h"

namespace wl::test {
namespace {

constexpr char kSwitchKey[] = "SOFTWARE\\Quorbit\\LoadSet\\";

class LibrarySetTest : public SetTest {
  protected:
    // The candidates as "key=text" strings.
    Keys Candidates(const std::string& word, int dict = 1, int shorthand = 1) {
        Keys out;
        LibraryEntry e;
        for (int ok = set.FindFirst(word.c_str(), e, MATCH_PREFIX, dict, shorthand); ok;
             ok = set.FindNext(e))
            out.push_back(std::string(e.keyBytes()) + "=" + std::string(e.textBytes()));
        return out;
    }
};

TEST_F(LibrarySetTest, LoadAnswersZeroWhenNoListedLibraryOpens) {
    EXPECT_EQ(Load(), 0);
    EXPECT_EQ(set.GetCount(), 0);
    EXPECT_EQ(set.Load("", 1), 0);
    EXPECT_EQ(set.Load(nullptr, 1), 0);
    listing.fail = true;
    EXPECT_EQ(Load(1), 0);
    LibraryEntry e;
    EXPECT_EQ(set.FindFirst("a", e, MATCH_PREFIX, 1, 1), 0);
    EXPECT_EQ(set.FindNext(e), 0);
    EXPECT_STREQ(set.GetPath(0), "");
    EXPECT_EQ(set.GetLibrary(0), nullptr);

    LibrarySet system(SystemRegistry(), SystemDirectory(),
                      SystemCodePage());  // the process's registry and folders
    EXPECT_EQ(system.Load((dir / "missing/*.lib").c_str(), 1), 0);

    // Listed files that are no libraries are kept, closed.
    listing.fail = false;
    WriteBytes(dir / "a.lib", "text");
    std::filesystem::create_directory(dir / "b.lib");
    listing.names = {"a.lib", "b.lib"};
    EXPECT_EQ(Load(), 0);
    EXPECT_EQ(set.GetCount(), 2);
    EXPECT_EQ(set.GetLibrary(0)->IsOpen(), 0);
    EXPECT_EQ(set.FindFirst("", e, MATCH_PREFIX, 1, 1), 0);
}

TEST_F(LibrarySetTest, LoadSwitchesLiveInNestedKeysAndFallBackToLoad) {
    const char* path = "D:\\Tools\\Libs\\english.lib";
    EXPECT_EQ(set.IsLoadEnabled(path), 1);
    // Reading made the key chain, empty.
    EXPECT_TRUE(registry.KeyExists(RegRoot::LocalMachine, std::string(kSwitchKey) + path));
    EXPECT_TRUE(registry.KeyExists(RegRoot::LocalMachine, "SOFTWARE\\Quorbit\\LoadSet\\D:\\Tools"));
    EXPECT_EQ(registry.Find(RegRoot::LocalMachine, std::string(kSwitchKey) + path, "CandLoad"),
              nullptr);

    set.SetLoadEnabled(path, 0);
    const MemoryRegistry::Value* v =
        registry.Find(RegRoot::LocalMachine, std::string(kSwitchKey) + path, "CandLoad");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, MemoryRegistry::Type::Binary);
    EXPECT_EQ(v->data, std::vector<unsigned char>{0});
    EXPECT_EQ(set.IsLoadEnabled(path), 0);
    set.SetLoadEnabled(path, 7);
    EXPECT_EQ(set.IsLoadEnabled(path), 7);
    EXPECT_EQ(registry.OpenKeyCount(), 0);  // every key closed again

    // Failures fall back to loading.
    const char* other = "C:\\Libs\\a.lib";
    RegKey key(registry, RegRoot::LocalMachine, std::string(kSwitchKey) + other, true);
    std::uint32_t wide = 0;
    ASSERT_TRUE(key.WriteBinary("CandLoad", wide));  // too large for the byte
    EXPECT_EQ(set.IsLoadEnabled(other), 1);
    registry.refuseWrites = true;
    set.SetLoadEnabled(other, 0);
    EXPECT_EQ(set.IsLoadEnabled(other), 1);
    registry.refuseWrites = false;
    registry.failOpen = true;
    set.SetLoadEnabled(other, 0);
    EXPECT_EQ(set.IsLoadEnabled(other), 1);
}

TEST_F(LibrarySetTest, ASwitchedOffLibraryIsLeftOutUnlessAllAreAsked) {
    Make("a.lib", {{"apple", "A"}});
    Make("b.lib", {{"apricot", "B"}});
    set.SetLoadEnabled((dir / "a.lib").c_str(), 0);
    ASSERT_EQ(Load(), 1);
    EXPECT_EQ(set.GetPaths(), (Keys{dir / "b.lib"}));
    EXPECT_EQ(Candidates("ap"), (Keys{"apricot=B"}));
    ASSERT_EQ(Load(1), 1);
    EXPECT_EQ(set.GetCount(), 2);
    EXPECT_EQ(Candidates("ap"), (Keys{"apple=A", "apricot=B"}));
    // Every library switched off: nothing to load.
    set.SetLoadEnabled((dir / "b.lib").c_str(), 0);
    EXPECT_EQ(Load(), 0);
    EXPECT_EQ(set.GetCount(), 0);
}

TEST_F(LibrarySetTest, EqualKeysComeFromTheLaterLibraryFirst) {
    Make("a.lib", {{"hello", "from A"}, {"help", "A"}});
    Make("b.lib", {{"hello", "from B"}});
    Make("c.lib", {{"HELLO", "from C"}});
    ASSERT_EQ(Load(), 1);
    EXPECT_EQ(Candidates("hel"), (Keys{"hello=from B", "hello=from A", "help=A"}));
    // HELLO sorts before hel in byte order; from H it is reached, and it ties
    // with the others under the case-insensitive comparison.
    EXPECT_EQ(Candidates("HEL"), (Keys{"HELLO=from C", "hello=from B", "hello=from A", "help=A"}));
}

TEST_F(LibrarySetTest, TheMergeTakesTheSmallestHeadAtEveryStep) {
    // Within a library the walk is in byte order (C before a); the merge
    // compares only the current heads.
    Make("a.lib", {{"b", ""}, {"D", ""}});
    Make("b.lib", {{"a", ""}, {"C", ""}});
    ASSERT_EQ(Load(), 1);
    EXPECT_EQ(Lookup(set, ""), (Keys{"C", "a", "D", "b"}));
    LibraryEntry e;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(set.FindNext(e), 0);  // stays exhausted
}

TEST_F(LibrarySetTest, TypeSwitchesLeaveOutTheirLibrariesAtEveryStep) {
    Make("dict.lib", {{"there", "d"}, {"thesis", "d"}});
    Make("short.lib", {{"th", "s"}, {"thx", "s"}}, {.type = Shorthand});
    Make("other.lib", {{"thud", "o"}}, {.type = 3});  // neither type: never left out
    ASSERT_EQ(Load(), 1);
    EXPECT_EQ(Candidates("th"), (Keys{"th=s", "there=d", "thesis=d", "thud=o", "thx=s"}));
    EXPECT_EQ(Candidates("th", 0, 1), (Keys{"th=s", "thud=o", "thx=s"}));
    EXPECT_EQ(Candidates("th", 1, 0), (Keys{"there=d", "thesis=d", "thud=o"}));
    EXPECT_EQ(Candidates("th", 0, 0), (Keys{"thud=o"}));
    LibraryEntry e;
    ASSERT_EQ(set.FindFirst("th", e, MATCH_PREFIX, 1, 1), 1);
    EXPECT_EQ(e.type, Shorthand);
    ASSERT_EQ(set.FindNext(e), 1);
    EXPECT_EQ(e.type, Dictionary);
}

TEST_F(LibrarySetTest, PhrasesAreNormalisedBeforeTheLookup) {
    EXPECT_EQ(LibrarySet::Normalize("he is go"), "he be go");
    EXPECT_EQ(LibrarySet::Normalize("this"), "this");            // no space after "is"
    EXPECT_EQ(LibrarySet::Normalize("this is"), "thbe is");      // the last "is" has none
    EXPECT_EQ(LibrarySet::Normalize("this is x"), "thbe be x");  // not word-bounded
    EXPECT_EQ(LibrarySet::Normalize("we are am is here"), "we be be be here");
    EXPECT_EQ(LibrarySet::Normalize("Is it"), "Is it");  // case-sensitive
    EXPECT_EQ(LibrarySet::Normalize("ais is "), "abe be ");
    EXPECT_EQ(LibrarySet::Normalize(""), "");
    EXPECT_EQ(LibrarySet::Normalize(nullptr), "");

    Make("a.lib", {{"he be going", "phrase"}, {"this", ""}});
    ASSERT_EQ(Load(), 1);
    EXPECT_EQ(Candidates("he is go"), (Keys{"he be going=phrase"}));
    EXPECT_EQ(Lookup(set, "this"), (Keys{"this"}));
}

TEST_F(LibrarySetTest, BrokenFilesStayClosedAndTheOthersServe) {
    MakeLibrary(dir / "big.lib", ManyEntries("word", 3000, "remark"));
    std::vector<std::string> broken = MakeBrokenFiles(dir, dir / "big.lib");
    std::filesystem::remove(dir / "big.lib");
    std::map<std::string, std::string> before;
    for (const auto& name : broken)
        if (name != "folder.lib") before[name] = ReadBytes(dir / name);

    Make("good1.lib", {{"wordy", "one"}, {"worm", "one"}});
    listing.names.insert(listing.names.end(), broken.begin(), broken.end());
    Make("good2.lib", {{"work", "two"}}, {.type = Shorthand});

    OutputCapture capture(dir);
    ASSERT_EQ(Load(), 1);
    std::vector<std::string> all = Candidates("wor");
    std::vector<std::string> again = Candidates("wor");
    ASSERT_EQ(set.GetCount(), static_cast<int>(broken.size()) + 2);
    for (int i = 1; i <= static_cast<int>(broken.size()); ++i) {
        Library* lib = set.GetLibrary(i);
        const std::string& name = broken[static_cast<std::size_t>(i - 1)];
        EXPECT_EQ(lib->IsOpen(), 0) << name;
        EXPECT_STREQ(lib->GetCaption(), name.c_str());
        EXPECT_EQ(lib->ReadInfo(), 0) << name;
        EXPECT_EQ(lib->WriteInfo(), 0) << name;
    }
    EXPECT_EQ(capture.Finish(), "");
    EXPECT_EQ(all, (Keys{"wordy=one", "work=two", "worm=one"}));
    EXPECT_EQ(again, all);
    set.UnloadAll();
    // Opening changed none of them.
    for (const auto& [name, bytes] : before) EXPECT_TRUE(ReadBytes(dir / name) == bytes) << name;
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.lib"));
}

// Files changed behind the loaded set: the changed library is closed before
// Berkeley DB reads the new bytes as its pages, the others go on, nothing is
// printed, and the next Load finds the folder as it is.
class ChangedUnderneath : public LibrarySetTest {
  protected:
    void SetUp() override {
        Make("big.lib", ManyEntries("word", 3000, "remark"));
        Make("small.lib", {{"wordy", "small"}, {"worm", "small"}});
        set.SetFileCheckInterval(std::chrono::milliseconds(0));
        ASSERT_EQ(Load(), 1);
        ASSERT_EQ(Lookup(set, "word299").size(), 11u);  // word299, word2990 ... word2999
    }
    bool Open(int i) { return set.GetLibrary(i)->IsOpen() != 0; }
};

TEST_F(ChangedUnderneath, JunkOverALoadedLibraryClosesItAtTheNextLookup) {
    OutputCapture capture(dir);
    const std::size_t size = std::filesystem::file_size(dir / "big.lib");
    WriteBytes(dir / "big.lib", Junk(size));
    // Words whose pages no lookup has read yet: the cache does not hold them.
    EXPECT_EQ(Lookup(set, "word1"), Keys{});
    EXPECT_EQ(Lookup(set, "wor"), (Keys{"wordy", "worm"}));
    EXPECT_FALSE(Open(0));
    EXPECT_TRUE(Open(1));
    EXPECT_EQ(capture.Finish(), "");
    // The next Load finds the junk and leaves it alone.
    ASSERT_EQ(Load(), 1);
    EXPECT_FALSE(Open(0));
    EXPECT_EQ(Lookup(set, "wor"), (Keys{"wordy", "worm"}));
    EXPECT_TRUE(ReadBytes(dir / "big.lib") == Junk(size));
}

TEST_F(ChangedUnderneath, AChangeInTheMiddleOfALookupEndsThatLibrarysPart) {
    LibraryEntry e;
    ASSERT_EQ(set.FindFirst("word", e, MATCH_PREFIX, 1, 1), 1);
    EXPECT_EQ(e.keyBytes(), "word0");
    WriteBytes(dir / "big.lib", Junk(std::filesystem::file_size(dir / "big.lib") + 4096));
    std::vector<std::string> rest;
    while (set.FindNext(e)) rest.emplace_back(e.keyBytes());
    // At most the candidate each library had ready; never a key of the junk.
    EXPECT_LE(rest.size(), 3u);
    for (const auto& key : rest)
        EXPECT_TRUE(key == "word1" || key == "wordy" || key == "worm") << key;
    EXPECT_FALSE(Open(0));
}

TEST_F(ChangedUnderneath, AReplacedLibraryLeavesNoCandidateOfAnEarlierLookupUntilTheNextLoad) {
    const std::string big = ReadBytes(dir / "big.lib");
    MakeLibrary(dir / "other.tmp", {{"worst", "other"}});
    const std::string other = ReadBytes(dir / "other.tmp");
    const struct {
        const char* word;
        Keys expected;
    } cases[] = {{"wor", {"wordy", "worm"}}, {"worm", {"worm"}}};
    for (const auto& c : cases) {
        set.UnloadAll();
        WriteBytes(dir / "big.lib", big);
        ASSERT_EQ(Load(), 1);
        // A page of ten, as the candidate list takes it: big.lib's slot holds
        // its eleventh match when the lookup is left.
        LibraryEntry e;
        ASSERT_EQ(set.FindFirst("word", e, MATCH_PREFIX, 1, 1), 1);
        for (int i = 1; i < 10; ++i) ASSERT_EQ(set.FindNext(e), 1);
        WriteBytes(dir / "big.lib", other);
        EXPECT_EQ(Lookup(set, c.word), c.expected) << c.word;
        EXPECT_FALSE(Open(0));
    }
    // The next Load opens the library that is there now.
    ASSERT_EQ(Load(), 1);
    EXPECT_EQ(Lookup(set, "wor"), (Keys{"wordy", "worm", "worst"}));
}

TEST_F(ChangedUnderneath, AnOlderCopyOfItselfIsNoLongerTheFile) {
    // The same library, as it was before it grew: same file id, fewer pages.
    set.UnloadAll();
    MakeLibrary(dir / "small.lib", {});
    const std::string older = ReadBytes(dir / "small.lib");
    {
        Opened grow(dir / "small.lib");
        for (int i = 0; i < 2000; ++i) ASSERT_EQ(grow.Put(Entry("worm" + std::to_string(i))), 1);
    }
    ASSERT_EQ(Load(), 1);
    ASSERT_EQ(Lookup(set, "worm1999"), Keys{"worm1999"});
    ASSERT_LT(older.size(), std::filesystem::file_size(dir / "small.lib"));
    WriteBytes(dir / "small.lib", older);
    EXPECT_EQ(Lookup(set, "worm"), Keys{});
    EXPECT_FALSE(Open(1));
}

TEST_F(ChangedUnderneath, WritesOfThisProcessKeepTheLibraryLoaded) {
    {
        Opened editor(dir / "small.lib");  // as the library editor writes while the set is loaded
        for (int i = 0; i < 2000; ++i) ASSERT_EQ(editor.Put(Entry("worn" + std::to_string(i))), 1);
    }
    EXPECT_EQ(Lookup(set, "worm"), Keys{"worm"});
    EXPECT_TRUE(Open(1));
    EXPECT_TRUE(set.GetLibrary(1)->StillOnDisk());
}

#ifndef _WIN32
// (Windows keeps a deleted file that is open until its last handle closes.)
TEST_F(ChangedUnderneath, ADeletedLibraryIsClosedAndTheNextLoadDropsIt) {
    std::filesystem::remove(dir / "big.lib");
    EXPECT_EQ(Lookup(set, "word1"), Keys{});
    EXPECT_FALSE(Open(0));
    EXPECT_EQ(Lookup(set, "wor"), (Keys{"wordy", "worm"}));
    EXPECT_FALSE(std::filesystem::exists(dir / "big.lib"));  // not made anew
}
#endif

}  // namespace
}  // namespace wl::test
