// Snippet import memory: the peak memory (VmHWM, above what the process
// held before) and the time of ImportSnippets on files made to expand as
// far as they can, each within the file size limits, and whether the import
// took or refused them.
//
//   snippet_bench [case name ...]     (every case without arguments)
//
// Linux only (it reads /proc/self).  Each case runs in a process of its own
// (the program runs itself), which may use at most 3 GB of address space,
// so that a file that would take more ends in an allocation failure (shown
// as such) instead of taking the machine's memory.  Every file is made in a
// temporary folder that is removed at the end.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "snippets/SnippetImport.h"
#include "store/Library.h"
#include "tests/support/Files.h"

namespace {

constexpr std::size_t kMB = 1u << 20;

// Resident memory now and at its peak since the last reset, in bytes.
std::size_t Status(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::stoul(line.substr(std::string(field).size())) << 10;
    return 0;
}

void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct Case {
    const char* name;
    const char* file;  // its extension chooses the reader
    std::function<std::string()> make;
};

std::string Repeat(const std::string& s, std::size_t times) {
    std::string out;
    out.reserve(s.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += s;
    return out;
}

// Lines "::k<i>::<body>" up to size bytes.
std::string Hotstrings(const std::string& body, std::size_t size) {
    std::string out;
    for (int i = 0; out.size() < size; ++i) out += "::k" + std::to_string(i) + "::" + body + "\n";
    return out;
}

std::vector<Case> Cases() {
    return {
        // What a few keys with a count made before there was a bound.
        {"ahk-enter-1000-120KB", "a.ahk", [] { return Hotstrings("{Enter 1000}", 120 << 10); }},
        // 999 hotstrings of 1,000 keys each: 999,000 macros, stored.
        {"ahk-999k-macros", "a.ahk",
         [] {
             std::string out;
             for (int i = 0; i < 999; ++i) out += "::k" + std::to_string(i) + "::{Enter 1000}\n";
             return out;
         }},
        // Repeated characters: 1,000 bytes each, 64 KB a hotstring, up to the
        // text bound (then refused).
        {"ahk-repeats-to-64MB", "a.ahk",
         [] { return Hotstrings(Repeat("{x 1000}", 65), 1000 * 70 * 10); }},
        // One hotstring of 64 MB, written out.
        {"ahk-one-64MB-line", "a.ahk",
         [] { return "::a::" + std::string(kMB * 64 - 16, 'x') + "\n"; }},
        // 64 MB of line ends.
        {"ahk-64MB-of-lines", "a.ahk", [] { return "::a::b" + std::string(kMB * 64 - 8, '\n'); }},
        // A continuation section joined with 60 KB between its 1,000,000 lines.
        {"ahk-continuation-join", "a.ahk",
         [] {
             return "::a::\n(Join" + std::string(60000, 'j') + "\n" + std::string(1000000, '\n') +
                    ")\n";
         }},
        // An espanso match with 300 triggers, 1 MB in all.
        {"espanso-300-triggers-1MB", "a.yml",
         [] {
             std::string out = "matches:\n";
             for (int m = 0; out.size() < kMB; ++m) {
                 out += "  - triggers: [";
                 for (int t = 0; t < 300; ++t)
                     out += (t ? ",t" : "t") + std::to_string(m) + "_" + std::to_string(t);
                 out += "]\n    replace: \"" + std::string(1500, 'r') + "\"\n";
             }
             return out;
         }},
        // An echo variable of 60 KB used ever again: 4 MB of references.
        {"espanso-echo-4MB", "a.yml",
         [] {
             std::string out = "global_vars:\n  - {name: v, type: echo, params: {echo: " +
                               std::string(60000, 'e') + "}}\nmatches:\n";
             for (int m = 0; out.size() < 4 * kMB - 2000; ++m)
                 out += "  - {trigger: t" + std::to_string(m) + ", replace: \"" +
                        Repeat("{{v}}", 200) + "\"}\n";
             return out;
         }},
        // Just within the YAML values an espanso file may hold: 49,999
        // matches of five values each, 4 MB in all, each stored.
        {"espanso-250k-values-4MB", "a.yml",
         [] {
             std::string out = "matches:\n";
             for (int m = 0; m < 49999; ++m)
                 out += "- {trigger: t" + std::to_string(m) + ", replace: " + std::string(45, 'r') +
                        "}\n";
             return out;
         }},
        // Just within them as a flow list of 249,990 one-letter matches.
        {"espanso-250k-flow-list", "a.yml",
         [] { return "matches: [" + Repeat("a,", 249989) + "a]\n"; }},
        // 4 MB of YAML nodes: a flow list of one-letter matches.
        {"espanso-4MB-flow-list", "a.yml",
         [] { return "matches: [" + Repeat("a,", 2 * kMB - 8) + "a]\n"; }},
        // 4 MB of small matches, each stored.
        {"espanso-4MB-matches", "a.yml",
         [] {
             std::string out = "matches:\n";
             for (int m = 0; out.size() < 4 * kMB - 100; ++m)
                 out += "- {trigger: t" + std::to_string(m) + ", replace: r}\n";
             return out;
         }},
        // 1,000,000 rows, each stored.
        {"csv-1M-rows-stored", "a.csv",
         [] {
             std::string out;
             for (int i = 0; i < 1000000; ++i)
                 out += "k" + std::to_string(i) + ",expansion " + std::to_string(i) + "\n";
             return out;
         }},
        // 64 MB of one-column rows, each skipped.
        {"csv-64MB-one-column-rows", "a.csv", [] { return Repeat("a\n", 32 * kMB - 1); }},
        // One row of 64 MB.
        {"csv-one-64MB-field", "a.csv",
         [] { return "a,\"" + std::string(kMB * 64 - 8, 'x') + "\"\n"; }},
        // 64 MB of UTF-16 text: one-column rows of a character that takes
        // three bytes in UTF-8.
        {"csv-64MB-utf16", "a.csv",
         [] { return "\xFF\xFE" + Repeat(std::string("\xAC\x20\n\0", 4), 16 * kMB - 1); }},
        // 64 MB of UTF-16 text that is half as long again in UTF-8: one
        // field of a character that takes three bytes there.
        {"csv-64MB-utf16-one-field", "a.csv",
         [] { return std::string("\xFF\xFE\x61\0,\0", 6) + Repeat("\xAC\x20", 32 * kMB - 4); }},
    };
}

// Makes the case's file and imports it, printing one line.
void Run(const Case& c) {
    const rlimit limit{3ul << 30, 3ul << 30};
    setrlimit(RLIMIT_AS, &limit);
    wl::test::TempDir dir;
    const std::string path = dir / c.file;
    std::size_t size = 0;
    {
        const std::string bytes = c.make();
        size = bytes.size();
        wl::test::WriteBytes(path, bytes);
    }
    const std::string lib = dir / "s.lib";
    std::string outcome;
    double seconds = 0;
    wl::Library library(wl::SystemCodePage());
    library.Open(lib.c_str());
    library.SetType(wl::Shorthand);
    library.WriteInfo();
    ResetPeak();
    const std::size_t before = Status("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    try {
        const auto result =
            wl::ImportSnippets(library, path, wl::SnippetFormatOfFile(path), nullptr);
        outcome = wl::SnippetSummary(result, " | ");
    } catch (const std::bad_alloc&) {
        outcome = "allocation failed (over 3 GB of address space)";
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::size_t peak = Status("VmHWM:");
    if (outcome.size() > 100) outcome = outcome.substr(0, 97) + "...";
    std::printf("%-28s %8.1f %8.1f %8.2f  %s\n", c.name, double(size) / kMB,
                double(peak > before ? peak - before : 0) / kMB, seconds, outcome.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<Case> cases = Cases();
    if (argc == 3 && std::string(argv[1]) == "--run") {
        for (const Case& c : cases)
            if (c.name == std::string(argv[2])) Run(c);
        return 0;
    }
    std::vector<std::string> wanted(argv + 1, argv + argc);
    std::printf("%-28s %8s %8s %8s  %s\n", "case", "file MB", "peak MB", "seconds", "outcome");
    std::fflush(stdout);
    for (const Case& c : cases) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), c.name) == wanted.end())
            continue;
        const pid_t child = fork();
        if (child == 0) {
            execl("/proc/self/exe", argv[0], "--run", c.name, static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        if (child > 0) waitpid(child, &status, 0);
        if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            std::printf("%-28s did not finish (status %d)\n", c.name, status);
        std::fflush(stdout);
    }
    return 0;
}
