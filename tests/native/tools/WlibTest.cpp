// The wlib command line: its exit statuses, its messages and its output,
// run as the build and the user run it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

#include "tests/support/Libraries.h"

namespace wl::test {
namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string Quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class WlibTest : public ::testing::Test {
  protected:
    TempDir dir;

    Outcome Wlib(const std::vector<std::string>& args) {
        std::string command = "cd " + Quoted(dir.path().string()) + " && " + Quoted(WLIB_PATH);
        for (const auto& a : args) command += " " + Quoted(a);
        command += " >" + Quoted(dir / ".out") + " 2>" + Quoted(dir / ".err");
        int raw = std::system(command.c_str());
        Outcome run;
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = ReadBytes(dir / ".out");
        run.err = ReadBytes(dir / ".err");
        std::filesystem::remove(dir / ".out");
        std::filesystem::remove(dir / ".err");
        return run;
    }
    // A failure: the status and exactly one line on stderr, nothing on stdout.
    void ExpectFailure(const Outcome& run, int status, const std::string& inMessage) {
        EXPECT_EQ(run.status, status) << run.err;
        EXPECT_EQ(run.out, "");
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_EQ(run.err.rfind("wlib: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(inMessage), std::string::npos) << run.err;
    }
    std::vector<std::string> Files() {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(WlibTest, UsageErrorsAnswerTwo) {
    ExpectFailure(Wlib({}), 2, "no command");
    ExpectFailure(Wlib({"frobnicate"}), 2, "unknown command frobnicate");
    ExpectFailure(Wlib({"create"}), 2, "create");
    ExpectFailure(Wlib({"create", "a.lib", "--type", "thesaurus"}), 2, "--type");
    ExpectFailure(Wlib({"create", "a.lib", "--caption"}), 2, "--caption needs a value");
    ExpectFailure(Wlib({"info", "a.lib", "--verbose"}), 2, "unknown option --verbose");
    ExpectFailure(Wlib({"put", "a.lib"}), 2, "put");
    ExpectFailure(Wlib({"put", "a.lib", ""}), 2, "empty");
    ExpectFailure(Wlib({"lookup", ".", "x", "--limit", "0"}), 2, "--limit");
    ExpectFailure(Wlib({"lookup", ".", "x", "--limit", "3x"}), 2, "--limit");
    EXPECT_TRUE(Files().empty());  // nothing made on the way
    Outcome help = Wlib({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("wlib lookup DIR WORD"), std::string::npos);
    EXPECT_EQ(help.err, "");
}

TEST_F(WlibTest, CreateWritesTheInfoThatInfoShows) {
    Outcome run = Wlib({"create", "Mail.lib", "--type", "shorthand", "--caption", "Mail",
                        "--description", "Greetings\r\nand sign-offs", "--scrambled", "--locked"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    run = Wlib({"info", "Mail.lib"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "caption: Mail\n"
              "type: shorthand\n"
              "editable: no\n"
              "scrambled: yes\n"
              "count: 0\n"
              "description: Greetings\\r\\nand sign-offs\n");

    EXPECT_EQ(Wlib({"create", "Plain.lib"}).status, 0);
    EXPECT_EQ(Wlib({"info", "Plain.lib"}).out,
              "caption: Plain.lib\ntype: dictionary\neditable: yes\nscrambled: no\ncount: 0\n"
              "description: \n");
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open((dir / "Mail.lib").c_str()), 1);
    EXPECT_EQ(lib.GetEditable(), 0);
    EXPECT_EQ(lib.GetScrambled(), 1);
}

TEST_F(WlibTest, ReadingCommandsNeverMakeALibrary) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"info", "none.lib"},
                                               {"list", "none.lib"},
                                               {"put", "none.lib", "k", "t"},
                                               {"delete", "none.lib", "k"},
                                               {"export", "none.lib", "out.txt"}}) {
        ExpectFailure(Wlib(args), 1, "none.lib: no such library");
    }
    WriteBytes(dir / "words.txt", "a b c");
    ExpectFailure(Wlib({"import", "none.lib", "words.txt"}), 1, "no such library");
    EXPECT_EQ(Files(), (std::vector<std::string>{"words.txt"}));
}

TEST_F(WlibTest, FilesThatAreNoLibrariesFailCleanlyAndStayAsTheyWere) {
    WriteBytes(dir / "text.lib", "<key>hello\r\n");
    WriteBytes(dir / "zero.lib", "");
    std::filesystem::create_directory(dir / "folder.lib");
    for (const char* name : {"text.lib", "zero.lib", "folder.lib"}) {
        ExpectFailure(Wlib({"info", name}), 1, "not a library");
        ExpectFailure(Wlib({"put", name, "k"}), 1, "not a library");
    }
    EXPECT_EQ(ReadBytes(dir / "text.lib"), "<key>hello\r\n");
    EXPECT_EQ(ReadBytes(dir / "zero.lib"), "");
    ExpectFailure(Wlib({"lookup", ".", "x"}), 1, "no library could be loaded");
    ExpectFailure(Wlib({"lookup", "nowhere", "x"}), 1, "nowhere: no such folder");
}

TEST_F(WlibTest, ImportTakesPairsOrElseWords) {
    ASSERT_EQ(Wlib({"create", "a.lib"}).status, 0);
    WriteBytes(dir / "pairs.txt", "<key>one\r\n<data>1\r\n<key>two\r\n<data>2\r\n");
    WriteBytes(dir / "words.txt", "hello, world-wide foo_bar 42\n");
    Outcome run = Wlib({"import", "a.lib", "pairs.txt"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "2 items imported\n");
    EXPECT_EQ(Wlib({"import", "a.lib", "words.txt"}).out, "4 items imported\n");
    WriteBytes(dir / "empty.txt", "");
    EXPECT_EQ(Wlib({"import", "a.lib", "empty.txt"}).out, "0 items imported\n");
    ExpectFailure(Wlib({"import", "a.lib", "missing.txt"}), 1, "missing.txt: cannot read");
    ExpectFailure(Wlib({"import", "a.lib", "."}), 1, "cannot read");
    EXPECT_EQ(Wlib({"list", "a.lib"}).out,
              "42\t\nfoo_bar\t\nhello\t\none\t1\ntwo\t2\nworld-wide\t\n");
}

TEST_F(WlibTest, LookupPrintsTheMergedCandidates) {
    MakeLibrary(dir / "a.lib", {{"hello", "A"}, {"help", "A\tB"}});
    MakeLibrary(dir / "b.lib", {{"hello", "from B\r\nline two"}, {"hex", "B"}},
                {.type = Shorthand});
    WriteBytes(dir / "c.lib", "broken");
    Outcome run = Wlib({"lookup", ".", "he"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "shorthand\thello\tfrom B\\r\\nline two\n"
              "dictionary\thello\tA\n"
              "dictionary\thelp\tA\\tB\n"
              "shorthand\thex\tB\n");
    EXPECT_EQ(Wlib({"lookup", dir.path().string() + "/", "he", "--limit", "2"}).out,
              "shorthand\thello\tfrom B\\r\\nline two\ndictionary\thello\tA\n");
    EXPECT_EQ(Wlib({"lookup", ".", "he", "--no-shorthand"}).out,
              "dictionary\thello\tA\ndictionary\thelp\tA\\tB\n");
    EXPECT_EQ(Wlib({"lookup", ".", "he", "--no-dictionary", "--limit", "1"}).out,
              "shorthand\thello\tfrom B\\r\\nline two\n");
    run = Wlib({"lookup", ".", "xyz"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Wlib({"lookup", ".", "he is"}).out, "");  // looked up as "he be"
}

}  // namespace
}  // namespace wl::test
