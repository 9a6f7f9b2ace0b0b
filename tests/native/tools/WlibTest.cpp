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
    // Shell commands run before wlib (limits on it).
    std::string before;

    // Runs wlib in the folder, with input as its standard input.
    Outcome Wlib(const std::vector<std::string>& args, const std::string& input = "") {
        WriteBytes(dir / ".in", input);
        std::string command =
            "cd " + Quoted(dir.path().string()) + " && " + before + Quoted(WLIB_PATH);
        for (const auto& a : args) command += " " + Quoted(a);
        command +=
            " <" + Quoted(dir / ".in") + " >" + Quoted(dir / ".out") + " 2>" + Quoted(dir / ".err");
        int raw = std::system(command.c_str());
        Outcome run;
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = ReadBytes(dir / ".out");
        run.err = ReadBytes(dir / ".err");
        std::filesystem::remove(dir / ".in");
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
    // A success: status 0, the output, and err on stderr.
    void ExpectSuccess(const Outcome& run, const std::string& out, const std::string& err = "") {
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, out);
        EXPECT_EQ(run.err, err);
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
    ExpectFailure(Wlib({"weights", "a.lib"}), 2, "weights");
    EXPECT_TRUE(Files().empty());  // nothing made on the way
    Outcome help = Wlib({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("wlib lookup DIR WORD"), std::string::npos);
    EXPECT_EQ(help.err, "");
}

TEST_F(WlibTest, CreateWritesTheInfoThatInfoShows) {
    ExpectSuccess(Wlib({"create", "Mail.lib", "--type", "shorthand", "--caption", "Mail",
                        "--description", "Greetings\r\nand sign-offs", "--scrambled", "--locked"}),
                  "");
    ExpectSuccess(Wlib({"info", "Mail.lib"}),
                  "caption: Mail\ntype: shorthand\neditable: no\nscrambled: yes\n"
                  "encoding: code page\ncount: 0\nweighted: 0\ncontext: none\n"
                  "description: Greetings\\r\\nand sign-offs\n");
    ExpectSuccess(Wlib({"create", "Plain.lib"}), "");
    ExpectSuccess(Wlib({"info", "Plain.lib"}),
                  "caption: Plain.lib\ntype: dictionary\neditable: yes\nscrambled: no\n"
                  "encoding: code page\ncount: 0\n"
                  "weighted: 0\ncontext: none\ndescription: \n");
}

TEST_F(WlibTest, ReadingCommandsNeverMakeALibrary) {
    WriteBytes(dir / "words.txt", "a b c");
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"info", "none.lib"},
                                               {"list", "none.lib"},
                                               {"put", "none.lib", "k", "t"},
                                               {"delete", "none.lib", "k"},
                                               {"weights", "none.lib", "words.txt"},
                                               {"export", "none.lib", "out.txt"},
                                               {"import", "none.lib", "words.txt"},
                                               {"context", "none.lib", "words.txt"},
                                               {"convert", "none.lib", "--unicode"}}) {
        ExpectFailure(Wlib(args), 1, "none.lib: no such library");
    }
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
    ExpectSuccess(Wlib({"import", "a.lib", "pairs.txt"}), "2 items imported\n");
    ExpectSuccess(Wlib({"import", "a.lib", "words.txt"}), "4 items imported\n");
    WriteBytes(dir / "empty.txt", "");
    ExpectSuccess(Wlib({"import", "a.lib", "empty.txt"}), "0 items imported\n");
    ExpectFailure(Wlib({"import", "a.lib", "missing.txt"}), 1, "missing.txt: cannot read");
    ExpectFailure(Wlib({"import", "a.lib", "."}), 1, "cannot read");
    EXPECT_EQ(Wlib({"list", "a.lib"}).out,
              "42\t\nfoo_bar\t\nhello\t\none\t1\ntwo\t2\nworld-wide\t\n");
}

TEST_F(WlibTest, ImportFromOtherTextExpandersSummarisesOnStderr) {
    ASSERT_EQ(Wlib({"create", "s.lib", "--type", "shorthand"}).status, 0);
    WriteBytes(dir / "hot.ahk", "::brb::be right back{Enter}\n:X:run::Run x\n");
    WriteBytes(dir / "snippets.txt", "brb,back soon\n");
    std::string junk;
    for (int i = 0; i < 1000; ++i) junk += static_cast<char>((i * 37) & 0xFF);
    WriteBytes(dir / "junk.csv", junk);
    ExpectSuccess(Wlib({"import", "s.lib", "hot.ahk"}), "",
                  "wlib: 1 items imported, 1 skipped\nwlib: Skipped:\n"
                  "wlib: \"run\": runs a command (option X)\n");
    // --from names the format of a file whose extension does not.
    EXPECT_EQ(Wlib({"import", "s.lib", "snippets.txt", "--from", "csv"}).status, 0);
    EXPECT_EQ(Wlib({"list", "s.lib"}).out, "brb\tback soon\n");
    ExpectFailure(Wlib({"import", "s.lib", "junk.csv"}), 1,
                  "\"junk.csv\" is not a text file. Nothing was imported.");
    ExpectFailure(Wlib({"import", "s.lib", "hot.ahk", "--from", "yaml"}), 2, "--from");
    // Nothing importable: the summary, and failure.
    WriteBytes(dir / "only.ahk", ":X:run::Run x\n");
    Outcome none = Wlib({"import", "s.lib", "only.ahk"});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.err.starts_with("wlib: 0 items imported, 1 skipped\n")) << none.err;
    ASSERT_EQ(Wlib({"create", "d.lib"}).status, 0);
    ExpectFailure(Wlib({"import", "d.lib", "hot.ahk"}), 1, "go into a Shorthand library");
}

TEST_F(WlibTest, WhatCannotBeWrittenToTheLibraryFailsAndSaysHowMuch) {
    ASSERT_EQ(Wlib({"create", "s.lib", "--type", "shorthand"}).status, 0);
    const std::string empty = ReadBytes(dir / "s.lib");
    WriteBytes(dir / "pairs.txt", "<shortkey>a\r\n<replacement text>1\r\n<shortkey>b\r\n");
    WriteBytes(dir / "words.txt", "one two three\n");
    WriteBytes(dir / "hot.ahk", "::a::1\n::b::2\n");
    WriteBytes(dir / "hot.csv", "a,1\nb,2\n");
    WriteBytes(dir / "hot.yml", "matches: [{trigger: a, replace: x}, {trigger: b, replace: y}]\n");
    // The file may not grow past 4 KB, where its pages lie: what wlib
    // stores never reaches it.
    before = "trap '' XFSZ; ulimit -f 8; ";
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"import", "s.lib", "pairs.txt"}, "wlib: 2 of 2 entries could not be written to s.lib\n"},
        {{"import", "s.lib", "words.txt"}, "wlib: 3 of 3 entries could not be written to s.lib\n"},
        {{"import", "s.lib", "hot.ahk"}, "wlib: 2 of 2 entries could not be written to s.lib\n"},
        {{"import", "s.lib", "hot.csv"}, "wlib: 2 of 2 entries could not be written to s.lib\n"},
        {{"import", "s.lib", "hot.yml"}, "wlib: 2 of 2 entries could not be written to s.lib\n"},
        {{"put", "s.lib", "c", "3"}, "wlib: cannot store c\n"},
    };
    for (const auto& c : cases) {
        WriteBytes(dir / "s.lib", empty);
        const Outcome run = Wlib(c.args);
        EXPECT_EQ(run.status, 1) << c.args[2];
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.err.ends_with(c.message)) << run.err;
    }
}

TEST_F(WlibTest, LookupPrintsTheMergedCandidates) {
    MakeLibrary(dir / "a.lib", {{"hello", "A"}, {"help", "A\tB"}});
    MakeLibrary(dir / "b.lib", {{"hello", "from B\r\nline two"}, {"hex", "B"}},
                {.type = Shorthand});
    WriteBytes(dir / "c.lib", "broken");
    ExpectSuccess(Wlib({"lookup", ".", "he"}),
                  "shorthand\thello\tfrom B\\r\\nline two\ndictionary\thello\tA\n"
                  "dictionary\thelp\tA\\tB\nshorthand\thex\tB\n");
    EXPECT_EQ(Wlib({"lookup", dir.path().string() + "/", "he", "--limit", "2"}).out,
              "shorthand\thello\tfrom B\\r\\nline two\ndictionary\thello\tA\n");
    EXPECT_EQ(Wlib({"lookup", ".", "he", "--no-shorthand"}).out,
              "dictionary\thello\tA\ndictionary\thelp\tA\\tB\n");
    EXPECT_EQ(Wlib({"lookup", ".", "he", "--no-dictionary", "--limit", "1"}).out,
              "shorthand\thello\tfrom B\\r\\nline two\n");
    ExpectSuccess(Wlib({"lookup", ".", "xyz"}), "");
}

TEST_F(WlibTest, WeightsComeFromWordCountLinesAndBadLinesAreCounted) {
    MakeLibrary(
        dir / "a.lib",
        {{"the", ""}, {"The", ""}, {"then", ""}, {"they", ""}, {"iPhone", ""}, {"old", ""}});
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open((dir / "a.lib").c_str()), 1);
    ASSERT_EQ(lib.SetWeight(Entry("old"), 5), 1);
    lib.Close();
    WriteBytes(dir / "w.txt",
               "the\t100\r\n"            // CR LF line ends
               "the\t23\n"               // again: the counts add up
               "then\t4294967295\n"      // the largest
               "they\t99999999999999\n"  // huge: the largest too
               "\n"                      // empty: passed over
               "iphone\t7\n"             // not the key's case
               "unknownword\t8\n"
               "junk line\n"
               "neg\t-5\n"
               "\t5\n"
               "two\t1\t2\n"
               "last\t1");  // no line end
    ExpectSuccess(Wlib({"weights", "a.lib", "w.txt"}),
                  "3 weights stored, 3 unknown words, 4 bad lines\n");
    EXPECT_NE(Wlib({"info", "a.lib"}).out.find("\nweighted: 3\n"), std::string::npos);
    EXPECT_EQ(Wlib({"lookup", ".", "th", "--smart"}).out,
              "dictionary\tthen\t\ndictionary\tthey\t\ndictionary\tthe\t\n"
              "dictionary\tThe\t\n");

    // With letter case ignored, iphone weighs iPhone; the weighs only the
    // key that equals it.
    ExpectSuccess(Wlib({"weights", "a.lib", "w.txt", "--ignore-case"}),
                  "4 weights stored, 2 unknown words, 4 bad lines\n");
    EXPECT_EQ(Wlib({"lookup", ".", "", "--smart"}).out,
              "dictionary\tthen\t\ndictionary\tthey\t\ndictionary\tthe\t\n"
              "dictionary\tiPhone\t\ndictionary\told\t\ndictionary\tThe\t\n");
    WriteBytes(dir / "w.txt", "IPHONE\t1\niPhone\t2\nIphone\t4\n");
    EXPECT_EQ(Wlib({"weights", "a.lib", "w.txt", "--ignore-case"}).out,
              "1 weights stored, 0 unknown words, 0 bad lines\n");
    EXPECT_EQ(Wlib({"lookup", ".", "i", "--smart"}).out, "dictionary\tiPhone\t\n");
    // An empty file takes every weight off.
    WriteBytes(dir / "none.txt", "");
    EXPECT_EQ(Wlib({"weights", "a.lib", "none.txt"}).out,
              "0 weights stored, 0 unknown words, 0 bad lines\n");
    EXPECT_NE(Wlib({"info", "a.lib"}).out.find("\nweighted: 0\n"), std::string::npos);
    ExpectFailure(Wlib({"weights", "a.lib", "missing.txt"}), 1, "missing.txt: cannot read");
}

TEST_F(WlibTest, ContextWritesTheModelOfTheWordsTheLibraryHolds) {
    MakeLibrary(dir / "a.lib", {{"an", ""}, {"Ant", ""}, {"and", ""}});
    MakeLibrary(dir / "s.lib", {{"an", "x"}}, {Shorthand});
    WriteBytes(dir / "m.arpa",
               "\\data\\\nngram 1=4\n\n\\1-grams:\n-99\t<s>\t-0.5\n-1\tan\t-0.2\n"
               "-1\tant\n-1\tbee\n\n\\2-grams:\n-0.3\t<s>\tan\t-0.1\n-0.4\tan\tant\n"
               "-0.5\tan\tbee\nbad line\n\n\\3-grams:\n-0.2 <s> an ant\n\n\\end\\\n");
    ExpectSuccess(Wlib({"context", "a.lib", "m.arpa"}),
                  "3 contexts stored (2 of one word, 1 of two), 3 entries, 3 words, 5 values, "
                  "73 bytes; 1 n-grams with a word the library does not hold, 0 pruned, 1 bad "
                  "lines\n");
    const std::string info = Wlib({"info", "a.lib"}).out;
    EXPECT_NE(info.find("\ncontext: 2 contexts of one word and 1 of two, 3 entries, 3 words, "),
              std::string::npos)
        << info;
    EXPECT_NE(Wlib({"info", "s.lib"}).out.find("\ncontext: none\n"), std::string::npos);
    ExpectFailure(Wlib({"context", "a.lib"}), 2, "context takes");
    ExpectFailure(Wlib({"context", "a.lib", "m.arpa", "--prune", "-1"}), 2, "--prune");
    ExpectFailure(Wlib({"context", "a.lib", "m.arpa", "--prune", "x"}), 2, "--prune");
    ExpectFailure(Wlib({"context", "s.lib", "m.arpa"}), 1, "only a Dictionary library");
    ExpectFailure(Wlib({"context", "a.lib", "none.arpa"}), 1, "none.arpa: cannot read");
    // A failure leaves the model there was.
    EXPECT_EQ(Wlib({"info", "a.lib"}).out, info);
}

TEST_F(WlibTest, ManyLookupsReadTheirWordsFromStandardInput) {
    MakeLibrary(dir / "a.lib", {{"Apple", ""}, {"apple", "fruit"}, {"apply", ""}, {"bee", ""}});
    WriteBytes(dir / "w.txt", "apply\t10\n");
    ASSERT_EQ(Wlib({"weights", "a.lib", "w.txt"}).status, 0);
    ExpectSuccess(Wlib({"lookup", ".", "-", "--smart", "--limit", "2"}, "ap\r\nzz\nB\n"),
                  "dictionary\tapply\t\ndictionary\tApple\t\n\n"
                  "\n"
                  "dictionary\tbee\t\n\n");
    EXPECT_EQ(Wlib({"lookup", ".", "-"}, "ap\nB").out,
              "dictionary\tapple\tfruit\ndictionary\tapply\t\n\n\n");
    EXPECT_EQ(Wlib({"lookup", ".", "-"}, "").out, "");
}

// Greek, Polish, Cyrillic, CJK and an emoji: keys and texts of a UTF-8
// library.
const std::vector<std::pair<std::string, std::string>> kAnyCharacter = {
    {"\u03BA\u03CC\u03C3\u03BC\u03BF\u03C2", "world"},
    {"\u017C\u00F3\u0142w", "turtle"},
    {"\u043C\u0438\u0440", "\u041C\u0418\u0420"},
    {"\u6771\u4EAC", "T\u014Dky\u014D"},
    {"smile", "\U0001F600 \u2192 \u00AF\\_(\u30C4)_/\u00AF"},  // the backslash printed as "\\"
};

TEST_F(WlibTest, AUnicodeLibraryTakesAndPrintsAnyCharacter) {
    const std::string greek = "\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC";
    ExpectSuccess(Wlib({"create", "u.lib", "--unicode", "--type", "shorthand", "--caption", greek}),
                  "");
    const std::string info = Wlib({"info", "u.lib"}).out;
    EXPECT_TRUE(info.starts_with("caption: " + greek + "\n")) << info;
    EXPECT_NE(info.find("\nencoding: UTF-8\n"), std::string::npos);
    for (const auto& [key, text] : kAnyCharacter)
        ExpectSuccess(Wlib({"put", "u.lib", key, text}), "");
    const std::string all = Wlib({"list", "u.lib"}).out;
    for (const auto& [key, text] : kAnyCharacter)
        EXPECT_NE(all.find(key + "\t"), std::string::npos) << key;
    EXPECT_EQ(Wlib({"list", "u.lib", "\u6771\u4EAC"}).out, "\u6771\u4EAC\tT\u014Dky\u014D\n");
    EXPECT_EQ(Wlib({"lookup", ".", "sm"}).out,
              "shorthand\tsmile\t\U0001F600 \u2192 \u00AF\\\\_(\u30C4)_/\u00AF\n");
    EXPECT_EQ(Wlib({"lookup", ".", "\u043C\u0438"}).out,
              "shorthand\t\u043C\u0438\u0440\t\u041C\u0418\u0420\n");
    ExpectSuccess(Wlib({"delete", "u.lib", "\u017C\u00F3\u0142w"}), "");

    // Export and import: the same entries in another UTF-8 library.
    ExpectSuccess(Wlib({"export", "u.lib", "u.txt"}), "4 items exported\n");
    EXPECT_TRUE(ReadBytes(dir / "u.txt").starts_with("\xEF\xBB\xBF<shortkey>"));
    ASSERT_EQ(Wlib({"create", "v.lib", "--unicode", "--type", "shorthand"}).status, 0);
    ExpectSuccess(Wlib({"import", "v.lib", "u.txt"}), "4 items imported\n");
    EXPECT_EQ(Wlib({"list", "v.lib"}).out, Wlib({"list", "u.lib"}).out);
    // A word list of any script.
    WriteBytes(dir / "words.txt", "\u03BA\u03CC\u03C3\u03BC\u03BF\u03C2, \u6771\u4EAC\u3002\n");
    ASSERT_EQ(Wlib({"create", "w.lib", "--unicode"}).status, 0);
    ExpectSuccess(Wlib({"import", "w.lib", "words.txt"}), "2 items imported\n");
    // Weights by letter case folded as the library folds it: the capitals'
    // final sigma is the key's.
    WriteBytes(dir / "w.txt", "\u039A\u038C\u03A3\u039C\u039F\u03A3\t5\n");
    ExpectSuccess(Wlib({"weights", "w.lib", "w.txt", "--ignore-case"}),
                  "1 weights stored, 0 unknown words, 0 bad lines\n");
}

TEST_F(WlibTest, ACodePageLibraryTakesWhatItsCodePageHoldsAndSaysWhatNot) {
    ASSERT_EQ(Wlib({"create", "c.lib", "--caption", "Caf\xC3\xA9"}).status, 0);
    ExpectSuccess(Wlib({"put", "c.lib", "caf\xC3\xA9", "\xE2\x82\xAC 2"}), "");  // café, € 2
    EXPECT_EQ(Wlib({"list", "c.lib"}).out, "caf\xE9\t\x80 2\n");                 // in 1252
    EXPECT_EQ(Wlib({"list", "c.lib", "--utf8"}).out, "caf\xC3\xA9\t\xE2\x82\xAC 2\n");
    EXPECT_TRUE(Wlib({"info", "c.lib"}).out.starts_with("caption: Caf\xE9\n"));
    ExpectFailure(Wlib({"put", "c.lib", kAnyCharacter[0].first, "x"}), 1,
                  "the code page cannot hold \u03BA");
    ExpectFailure(Wlib({"put", "c.lib", "ok", "\xE2\x86\x92"}), 1, "the code page cannot hold");
    ExpectFailure(Wlib({"create", "d.lib", "--caption", "\xE2\x86\x92"}), 1, "cannot hold");
    EXPECT_FALSE(std::filesystem::exists(dir / "d.lib"));
    EXPECT_EQ(Wlib({"list", "c.lib"}).out, "caf\xE9\t\x80 2\n");  // nothing else stored
    // Bytes that are no UTF-8 are the code page's, as before.
    ExpectSuccess(Wlib({"put", "c.lib", "na\xEFve"}), "");
    EXPECT_EQ(Wlib({"list", "c.lib", "na"}).out, "na\xEFve\t\n");
}

TEST_F(WlibTest, Utf8PrintsAMixedFolderInOneEncoding) {
    ASSERT_EQ(Wlib({"create", "a.lib"}).status, 0);
    ASSERT_EQ(Wlib({"create", "b.lib", "--unicode", "--type", "shorthand"}).status, 0);
    ASSERT_EQ(Wlib({"put", "a.lib", "cab", "taxi \xC3\xA9t\xC3\xA9"}).status, 0);  // in 1252
    ASSERT_EQ(Wlib({"put", "b.lib", "cat", "\u03B3\u03AC\u03C4\u03B1"}).status, 0);
    EXPECT_EQ(Wlib({"lookup", ".", "ca"}).out,
              "dictionary\tcab\ttaxi \xE9t\xE9\nshorthand\tcat\t\u03B3\u03AC\u03C4\u03B1\n");
    const std::string utf8 =
        "dictionary\tcab\ttaxi \u00E9t\u00E9\nshorthand\tcat\t\u03B3\u03AC\u03C4\u03B1\n";
    EXPECT_EQ(Wlib({"lookup", ".", "ca", "--utf8"}).out, utf8);
    EXPECT_EQ(Wlib({"--utf8", "lookup", ".", "-"}, "ca\n").out, utf8 + "\n");
    EXPECT_EQ(Wlib({"lookup", ".", "ca", "--smart", "--utf8"}).out, utf8);
    // After "--" it is a word.
    EXPECT_EQ(Wlib({"lookup", ".", "--", "--utf8"}).out, "");
}

TEST_F(WlibTest, ConvertRewritesACodePageLibraryOnce) {
    MakeLibrary(dir / "a.lib", {{"caf\xE9", "\x80"}, {"plain", "text"}},
                {.type = Shorthand, .caption = "Caf\xE9s"});
    ExpectFailure(Wlib({"convert", "a.lib"}), 2, "convert needs --unicode");
    ExpectSuccess(Wlib({"convert", "a.lib", "--unicode"}), "");
    EXPECT_NE(Wlib({"info", "a.lib"}).out.find("\nencoding: UTF-8\n"), std::string::npos);
    EXPECT_EQ(Wlib({"list", "a.lib"}).out, "caf\xC3\xA9\t\xE2\x82\xAC\nplain\ttext\n");
    EXPECT_TRUE(Wlib({"info", "a.lib"}).out.starts_with("caption: Caf\xC3\xA9s\n"));
    const std::string converted = ReadBytes(dir / "a.lib");
    ExpectSuccess(Wlib({"convert", "a.lib", "--unicode"}), "");  // UTF-8 already
    EXPECT_EQ(ReadBytes(dir / "a.lib"), converted);
    EXPECT_EQ(Files(), (std::vector<std::string>{"a.lib"}));

    // An encoding this program does not know: read, never written.
    MakeLibrary(dir / "odd.lib", {}, {.encoding = EncodingUtf8});
    std::string bytes = ReadBytes(dir / "odd.lib");
    const std::size_t at = bytes.find(std::string("\xE9\xFD\0\0", 4));
    ASSERT_NE(at, std::string::npos);
    bytes[at] = '\x01';  // another encoding number, same length
    WriteBytes(dir / "odd.lib", bytes);
    EXPECT_NE(Wlib({"info", "odd.lib"}).out.find("\nencoding: unknown\n"), std::string::npos);
    ExpectFailure(Wlib({"put", "odd.lib", "k"}), 1, "encoding is unknown; it can only be read");
    ExpectFailure(Wlib({"convert", "odd.lib", "--unicode"}), 1, "encoding is unknown");
}

}  // namespace
}  // namespace wl::test
