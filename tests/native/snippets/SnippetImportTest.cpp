// Snippets of other text expanders: each reader with its awkward cases, the
// conversion to the code page, and the import of files into a library with
// the summary the user sees.
#include <gmock/gmock.h>

#include <algorithm>
#include <map>
#include <tuple>

#include "platform/CodePage.h"
#include "snippets/SnippetFormats.h"
#include "snippets/SnippetImport.h"
#include "tests/support/Libraries.h"

namespace wl::test {
namespace {

using snippets::ParseResult;
using ::testing::HasSubstr;

// What a reader made of a text: abbreviation -> the entry's text in code
// page 1252, or "SKIP: <reason>".
std::map<std::string, std::string> Outcome(const ParseResult& parsed, bool utf8 = true,
                                           const CodePage& page = CodePage1252()) {
    std::map<std::string, std::string> out;
    for (const auto& s : parsed.snippets) {
        std::string key, text, why = s.skip;
        if (why.empty() && !snippets::MakeEntry(s, utf8, page, key, text, why)) key.clear();
        out[s.abbreviation] = why.empty() ? text : "SKIP: " + why;
    }
    return out;
}

struct Case {
    const char* abbreviation;
    const char* expected;  // the text, or a part of the skip reason after "SKIP: "
};

void ExpectCases(const std::map<std::string, std::string>& got, const std::vector<Case>& cases) {
    for (const auto& c : cases) {
        auto it = got.find(c.abbreviation);
        ASSERT_NE(it, got.end()) << c.abbreviation;
        const std::string expected = c.expected;
        if (expected.rfind("SKIP: ", 0) == 0)
            EXPECT_THAT(it->second, HasSubstr(expected.substr(6))) << c.abbreviation;
        else
            EXPECT_EQ(it->second, expected) << c.abbreviation;
    }
    EXPECT_EQ(got.size(), cases.size());
}

TEST(AutoHotkeySnippets, OptionsEscapesKeysAndWhatIsSkipped) {
    const char* script =
        "; my hotstrings\r\n"
        "#SingleInstance Force\r\n"
        "::btw::by the way\r\n"
        ":*:sig::Best regards,{Enter}John   ; a comment\r\n"
        ":C1?:esc::Line`n2`tTabbed`; not a comment ``\r\n"
        ":R:raw::{Enter} stays ^c\r\n"
        "::brace::a{{}b{}}c{!}{Space}{U+00E9}\r\n"
        "::keys::{Tab}{Up}{Down}{PgUp}{PgDn}{Home}{End}{Del}{BS}{Enter 2}\r\n"
        "::tag::<b></b>{Left 4}\r\n"
        ":b0:(::){Left}\r\n"
        "::two::a`r`nb\r\n"
        "::pct::50% off\r\n"
        "::macro::100%DATE%\r\n"
        ":X:run::Run notepad\r\n"
        "::ctl::^c\r\n"
        "::win::{LWin}\r\n"
        "::mid::a{Left}b\r\n"
        ":Q:odd::x\r\n"
        "::snow::{U+2603}\r\n"
        "::act::\r\n"
        "MsgBox hi\r\n"
        "return\r\n"
        "^j::Send text\r\n"
        "/*\r\n"
        "::hidden::in a comment block\r\n"
        "*/\r\n"
        "#Hotstring R\r\n"
        "::after::{Tab} raw by default\r\n";
    ExpectCases(
        Outcome(snippets::ParseAutoHotkey(script, nullptr)),
        {
            {"btw", "by the way"},
            {"sig", "Best regards,%RETURN%John"},
            {"esc", "Line%RETURN%2%TAB%Tabbed; not a comment `"},
            {"raw", "{Enter} stays ^c"},
            {"brace", "a{b}c! \xE9"},
            {"keys", "%TAB%%UP%%DOWN%%PGUP%%PGDN%%HOME%%END%%DELETE%%BACKSPACE%%RETURN%%RETURN%"},
            {"tag", "<b>%CARET%</b>"},
            {"(", "(%CARET%)"},
            {"two", "a%RETURN%b"},
            {"pct", "50% off"},
            {"macro", "SKIP: typed as a macro"},
            {"run", "SKIP: option X"},
            {"ctl", "SKIP: key combination"},
            {"win", "SKIP: {LWin}"},
            {"mid", "SKIP: before the end"},
            {"odd", "SKIP: option Q"},
            {"snow", "SKIP: U+2603"},
            {"act", "SKIP: runs a script"},
            {"after", "{Tab} raw by default"},
        });
}

TEST(AutoHotkeySnippets, ContinuationSections) {
    const char* script =
        "::cont::\n"
        "(\n"
        "First line\n"
        "  Second, 100% ; kept\n"
        ")\n"
        "::joined::\n"
        "(LTrim Join`s Comments\n"
        "  one ; dropped\n"
        "\ttwo{Tab}\n"
        ")\n"
        "::literal::\n"
        "( `\n"
        "back`ntick\n"
        ")\n"
        "::open::\n"
        "(\n"
        "never closed\n";
    // A join that makes the section grow past 1 MB: it stops growing.
    const std::string huge =
        "::huge::\n(Join" + std::string(60000, 'j') + "\n" + std::string(20, '\n') + ")\n";
    ExpectCases(Outcome(snippets::ParseAutoHotkey(huge + script, nullptr)),
                {
                    {"huge", "SKIP: longer than 65,535 bytes"},
                    {"cont", "First line%RETURN%  Second, 100% ; kept"},
                    {"joined", "one two%TAB%"},
                    {"literal", "back`ntick"},
                    {"open", "SKIP: without its )"},
                });
}

TEST(AutoHotkeySnippets, DoubleByteTrailBytesAreNoEscapes) {
    // 0x83 0x60 is one Shift-JIS character whose trail byte is a backtick.
    const std::string script = "::j::\x83\x60n{Enter}\r\n";
    auto parsed = snippets::ParseAutoHotkey(script, &CodePage932());
    ExpectCases(Outcome(parsed, false, CodePage932()), {{"j", "\x83\x60n%RETURN%"}});
}

TEST(EspansoSnippets, TriggersCaretVariablesAndWhatIsSkipped) {
    const char* file = R"yaml(global_vars:
  - name: greet
    type: echo
    params: {echo: Hi}
matches:
  - trigger: ":sig"
    replace: "Best regards,\nJohn"
  - triggers: [":hi", ":hello"]
    replace: "Hello $|$!"
  - trigger: ":today"
    replace: "Today is {{mydate}}."
    vars:
      - name: mydate
        type: date
        params:
          format: "%A, %-d %B %Y (%T)"
  - trigger: ":clock"
    replace: "{{ t }}"
    vars: [{name: t, type: date, params: {format: "%I:%M:%S %p or %R"}}]
  - trigger: ":g"
    replace: "{{greet}} there"
  - trigger: ":euro"
    replace: "5 €"
  - trigger: ":block"
    replace: |
      two
      lines
  - trigger: ":shell"
    replace: "{{out}}"
    vars: [{name: out, type: shell, params: {cmd: "echo hi"}}]
  - regex: ":a(?P<x>.*)b"
    replace: "{{x}}"
  - trigger: ":form"
    form: "Hi [[name]]"
  - trigger: ":case"
    replace: "case"
    propagate_case: true
  - trigger: ":yy"
    replace: "{{d}}"
    vars: [{name: d, type: date, params: {format: "%d/%m/%y"}}]
  - trigger: ":undef"
    replace: "{{nowhere}}"
  - trigger: ":carets"
    replace: "$|$ and $|$"
  - trigger: ":snow"
    replace: "☃"
  - trigger: ":clip"
    replace: "{{clipboard}}"
    vars: [{name: clipboard, type: clipboard}]
)yaml";
    ExpectCases(
        Outcome(snippets::ParseEspanso(file)),
        {
            {":sig", "Best regards,%RETURN%John"},
            {":hi", "Hello %CARET%!"},
            {":hello", "Hello %CARET%!"},
            {":today", "Today is %FULLWEEKNAME%, %DAY% %FULLMONTHNAME% %YEAR% (%TIME_24%)."},
            {":clock", "%TIME_12% or %HOUR_24_02%:%MINUTE_02%"},
            {":g", "Hi there"},
            {":euro", "5 \x80"},
            {":block", "two%RETURN%lines%RETURN%"},
            {":shell", "SKIP: shell command"},
            {":a(?P<x>.*)b", "SKIP: regex"},
            {":form", "SKIP: form"},
            {":case", "SKIP: propagate_case"},
            {":yy", "SKIP: %y"},
            {":undef", "SKIP: does not define"},
            {":carets", "SKIP: more than once"},
            {":snow", "SKIP: U+2603"},
            {":clip", "SKIP: clipboard"},
        });
}

TEST(CsvSnippets, QuotesCommasLineBreaksAndHeaders) {
    const char* file =
        "Abbreviation,Expansion\r\n"
        "brb,be right back\r\n"
        "\"addr\",\"1 Main St, Springfield\"\r\n"
        "quote,\"She said \"\"hi\"\"\"\r\n"
        "multi,\"line one\r\nline two\nline three\"\r\n"
        "\r\n"
        "extra,with label,Label column\r\n"
        "one-column\r\n"
        ",no abbreviation\r\n"
        "empty,\r\n"
        "\"two\nlines\",x\r\n"
        "open,\"never closed\r\n"
        "more,rows\r\n";
    ExpectCases(Outcome(snippets::ParseCsv(file)),
                {
                    {"brb", "be right back"},
                    {"addr", "1 Main St, Springfield"},
                    {"quote", "She said \"hi\""},
                    {"multi", "line one%RETURN%line two%RETURN%line three"},
                    {"extra", "with label"},
                    {"one-column", "SKIP: no second column"},
                    {"(row 9)", "SKIP: no abbreviation"},
                    {"empty", "SKIP: empty replacement"},
                    {"two\nlines", "SKIP: line break"},
                    {"open", "SKIP: never closed"},
                });
    // Without a header the first row is an entry; a header needs both words.
    ExpectCases(Outcome(snippets::ParseCsv("key,value\nbrb,be right back")),
                {{"brb", "be right back"}});
    ExpectCases(Outcome(snippets::ParseCsv("text,be right back\n")), {{"text", "be right back"}});
}

TEST(SnippetText, SourcesAreDecodedOrRefused) {
    struct {
        std::string bytes;
        std::string text;
        bool utf8;
        const char* error;
    } cases[] = {
        {"\xEF\xBB\xBF\x61,b", "a,b", true, ""},
        {"caf\xC3\xA9", "caf\xC3\xA9", true, ""},
        {"caf\xE9", "caf\xE9", false, ""},
        {std::string("\xFF\xFE\x61\0,\0\xAC\x20", 8), "a,\xE2\x82\xAC", true, ""},
        {std::string("\xFE\xFF\0a", 4), "a", true, ""},
        {std::string("\xFF\xFE\x00\xD8", 4), "", true, "UTF-16"},
        {"\xEF\xBB\xBF\xE9", "", true, "UTF-8"},
        {std::string("a\0b", 3), "", true, "not a text file"},
        {"", "", true, "is empty"},
        {" \r\n\t", "", true, "is empty"},
    };
    for (const auto& c : cases) {
        auto source = snippets::DecodeSource(c.bytes);
        if (*c.error) {
            EXPECT_THAT(source.error, HasSubstr(c.error));
            continue;
        }
        EXPECT_EQ(source.error, "");
        EXPECT_EQ(source.text, c.text);
        EXPECT_EQ(source.utf8, c.utf8);
    }
}

TEST(SnippetText, ReadableAbbreviations) {
    EXPECT_EQ(snippets::Readable("caf\xC3\xA9\xE2\x98\x83", true, CodePage1252()), "caf\xE9?");
    EXPECT_EQ(snippets::Readable("a\nb", true, CodePage1252()), "a?b");
    EXPECT_EQ(snippets::Readable(std::string(50, 'x'), true, CodePage1252()),
              std::string(40, 'x') + "...");
    EXPECT_EQ(snippets::Readable("\x83\x60", false, CodePage932()), "\x83\x60");
}

TEST(SnippetFormat, ByNameAndByExtension) {
    EXPECT_EQ(SnippetFormatOfFile("C:\\My.Snippets\\hot.AHK"), SnippetFormat::AutoHotkey);
    EXPECT_EQ(SnippetFormatOfFile("base.yaml"), SnippetFormat::Espanso);
    EXPECT_EQ(SnippetFormatOfFile("library.txt"), SnippetFormat::None);
    EXPECT_EQ(SnippetFormatOfFile("dir.csv/noext"), SnippetFormat::None);
    EXPECT_EQ(SnippetFormatNamed("espanso"), SnippetFormat::Espanso);
}

class SnippetImport : public ::testing::Test {
  protected:
    TempDir dir;
    Library lib{SystemCodePage()};
    void SetUp() override { OpenShorthand(lib, "Short.lib", EncodingCodePage); }
    void OpenShorthand(Library& l, const char* name, std::int32_t encoding) {
        ASSERT_EQ(l.Open((dir / name).c_str()), 1);
        l.SetType(Shorthand);
        l.SetEncoding(encoding);
        ASSERT_EQ(l.WriteInfo(), 1);
    }
    SnippetImportResult Import(const std::string& name, const std::string& bytes,
                               ImportProgress* progress = nullptr) {
        WriteBytes(dir / name, bytes);
        return ImportSnippets(lib, dir / name, SnippetFormatOfFile(name), progress);
    }
};

TEST_F(SnippetImport, StoresWhatItCanAndSummarisesTheRest) {
    std::string csv = "abbreviation,expansion\n";
    for (int i = 0; i < 7; ++i)
        csv.append("snow").append(std::to_string(i)).append(",\xE2\x98\x83\n");
    csv += "brb,be right back\ncafe,caf\xC3\xA9\n";
    auto result = Import("a.csv", csv);
    EXPECT_EQ(TextOf(lib, "cafe"), "caf\xE9");
    EXPECT_EQ(lib.Count(), 2);
    const std::string why = "holds U+2603, which the system's code page cannot hold";
    std::string summary = "2 items imported, 7 skipped\n\nSkipped:";
    for (int i = 0; i < 5; ++i) summary += "\n\"snow" + std::to_string(i) + "\": " + why;
    EXPECT_EQ(SnippetSummary(result, "\n"), summary + "\n... and 2 more");
    // A key already there gets the new text.
    EXPECT_EQ(Import("b.ahk", "::brb::back soon\n").imported, 1);
    EXPECT_EQ(TextOf(lib, "brb"), "back soon");
}

TEST_F(SnippetImport, AUnicodeLibraryKeepsEveryCharacter) {
    Library u{SystemCodePage()};
    OpenShorthand(u, "Unicode.lib", EncodingUtf8);
    const struct {
        const char *name, *file, *key, *text;
    } cases[] = {
        {"a.csv", "snow,\xE2\x98\x83\n", "snow", "\xE2\x98\x83"},
        {"b.csv", "\xCF\x80,pi \xCF\x80\n", "\xCF\x80", "pi \xCF\x80"},  // a Greek key
        {"c.csv", "cafe,caf\xE9\n", "cafe", "caf\xC3\xA9"},              // 1252, converted
        {"d.ahk", "::shrug::\xC2\xAF\\_({U+30C4})_/\xC2\xAF{Enter}\n", "shrug",
         "\xC2\xAF\\_(\xE3\x83\x84)_/\xC2\xAF%RETURN%"},
        {"e.yml", "matches:\n  - trigger: ':up'\n    replace: '\xF0\x9F\x91\x8D'\n", ":up",
         "\xF0\x9F\x91\x8D"},
    };
    for (const auto& c : cases) {
        WriteBytes(dir / c.name, c.file);
        const auto result = ImportSnippets(u, dir / c.name, SnippetFormatOfFile(c.name), nullptr);
        EXPECT_EQ(result.imported, 1) << c.name << ": " << SnippetSummary(result, " ");
        EXPECT_EQ(result.skipped, 0) << c.name;
        EXPECT_EQ(TextOf(u, c.key), c.text) << c.name;
    }
    // What the replacement cannot type is still refused.
    WriteBytes(dir / "f.csv", "ctl,a\033b\n");  // an escape character
    EXPECT_EQ(ImportSnippets(u, dir / "f.csv", SnippetFormat::Csv, nullptr).skipped, 1);
}

TEST_F(SnippetImport, FilesThatHoldNoSnippetsImportNothing) {
    struct {
        const char* name;
        std::string bytes;
        const char* error;
    } cases[] = {
        {"junk.csv", Junk(100000), "is not a text file"},
        {"empty.ahk", "", "is empty"},
        {"hotkeys.ahk", "^j::Send x\n#Persistent\n", "holds no AutoHotkey hotstrings"},
        {"bad.yml", "matches:\n  - trigger: [\n", "is not valid YAML"},
        {"deep.yml", std::string(20000, '['), "is not valid YAML"},
        {"list.yml", "- a\n- b\n", "no \"matches:\" list"},
        {"number.yml", "matches: 3\n", "no \"matches:\" list"},
        {"ansi.yml", "matches:\n  - {trigger: a, replace: caf\xE9}\n", "is not UTF-8"},
        {"plain.yml", "name: value\n", "no \"matches:\" list"},
    };
    for (const auto& c : cases) {
        auto result = Import(c.name, c.bytes);
        EXPECT_EQ(result.imported, 0) << c.name;
        EXPECT_THAT(result.error, HasSubstr(c.error)) << c.name;
        EXPECT_THAT(SnippetSummary(result, "\n"), HasSubstr(std::string("\"") + c.name + "\""));
    }
    EXPECT_EQ(lib.Count(), 0);
    EXPECT_THAT(ImportSnippets(lib, dir / "missing.csv", SnippetFormat::Csv, nullptr).error,
                HasSubstr("cannot be read"));
}

TEST_F(SnippetImport, AFileLargerThanTheLimitIsNotRead) {
    for (const auto& [name, size, limit] : {std::tuple{"huge.csv", kMaxSnippetFile + 1, "64 MB"},
                                            std::tuple{"huge.yml", kMaxEspansoFile + 1, "4 MB"}}) {
        { std::ofstream out(dir / name, std::ios::binary); }
        std::filesystem::resize_file(dir / name, size);
        auto result = ImportSnippets(lib, dir / name, SnippetFormatOfFile(name), nullptr);
        EXPECT_THAT(result.error, HasSubstr(std::string("larger than ") + limit));
    }
    EXPECT_EQ(lib.Count(), 0);
}

// AutoHotkey files that expand to exactly the given macros or bytes of
// text: "::ok::fine", and hotstrings that are built in full and then
// skipped, as they press {LWin} at their end.
std::string ExpandingToMacros(std::size_t macros) {
    std::string file = "::ok::fine\n";
    for (std::size_t i = 0; macros > 0; ++i, macros -= std::min<std::size_t>(macros, 1000))
        file.append("::k")
            .append(std::to_string(i))
            .append("::{Enter ")
            .append(std::to_string(std::min<std::size_t>(macros, 1000)))
            .append("}{LWin}\n");
    return file;
}
std::string ExpandingToText(std::size_t bytes) {
    std::string file = "::ok::fine\n";
    bytes -= std::string("ok").size() + 1 + std::string("fine").size();
    // Hotstrings of a million bytes ("kNN", one byte for the entry, and
    // repeated characters), then one of the rest.
    auto line = [&](const std::string& key, std::size_t repeated) {
        file.append("::").append(key).append("::");
        for (; repeated > 0; repeated -= std::min<std::size_t>(repeated, 1000))
            file.append("{x ")
                .append(std::to_string(std::min<std::size_t>(repeated, 1000)))
                .append("}");
        file += "{LWin}\n";
    };
    for (int i = 10; bytes > 1000004 + 3; ++i, bytes -= 1000004)
        line(std::string("k").append(std::to_string(i)), 1000000);
    line("z", bytes - 2);
    return file;
}

TEST_F(SnippetImport, AFileThatExpandsTooFarIsRefusedWhole) {
    std::string values = "matches: [";  // the map, its key, the list, and the last match's 5
    for (std::size_t i = 0; i < kMaxEspansoValues - 3 - 5; ++i) values += "a, ";
    values += "{trigger: ok, replace: fine}]\n";
    std::string oneMore = values;
    oneMore.insert(10, "a, ");
    const struct {
        const char* name;
        std::string bytes;
        const char* refusal;  // nullptr: imported
    } cases[] = {
        {"macros.ahk", ExpandingToMacros(kMaxSnippetMacros), nullptr},
        {"macros.ahk", ExpandingToMacros(kMaxSnippetMacros + 1), "more than 1,000,000 macros"},
        {"text.ahk", ExpandingToText(kMaxSnippetText), nullptr},
        {"text.ahk", ExpandingToText(kMaxSnippetText + 1), "more than 64 MB of text"},
        {"values.yml", values, nullptr},
        {"values.yml", oneMore, "more than 250,000 YAML values"},
    };
    for (const auto& c : cases) {
        lib.Delete(test::Entry("ok"));
        auto result = Import(c.name, c.bytes);
        if (!c.refusal) {
            EXPECT_EQ(result.error, "") << c.name;
            EXPECT_EQ(result.imported, 1) << c.name;
            EXPECT_EQ(TextOf(lib, "ok"), "fine");
            continue;
        }
        EXPECT_THAT(result.error, HasSubstr(c.refusal));
        EXPECT_EQ(lib.Count(), 0) << c.name;
        EXPECT_THAT(SnippetSummary(result, "\n"), HasSubstr("Nothing was imported."));
    }
}

TEST_F(SnippetImport, CancelKeepsWhatWasStored) {
    struct StopAfterThree : ImportProgress {
        std::vector<std::string> texts;
        void SetText(const char* text) override { texts.push_back(text); }
        bool Cancelled() override { return texts.size() >= 3; }
    } progress;
    std::string csv;
    for (int i = 0; i < 10; ++i) csv.append("k").append(std::to_string(i)).append(",text\n");
    auto result = Import("b.csv", csv, &progress);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.imported, 3);
    EXPECT_EQ(lib.Count(), 3);
    EXPECT_EQ(progress.texts.back(), "3 items have been imported!");
    EXPECT_THAT(SnippetSummary(result, "\n"), HasSubstr("stopped"));
}

}  // namespace
}  // namespace wl::test
