// wlib: library files from the command line, through the store the program
// itself uses.
//
//   wlib create LIB [--type dictionary|shorthand] [--caption TEXT]
//                   [--description TEXT] [--scrambled] [--locked] [--unicode]
//                               with --unicode a UTF-8 library (any
//                               character), else one of the code page
//   wlib info LIB
//   wlib convert LIB --unicode  rewrites a code-page library as UTF-8
//   wlib put LIB KEY [TEXT]
//   wlib delete LIB KEY
//   wlib import LIB FILE [--from ahk|espanso|csv|text]
//                               another text expander's snippets (by the
//                               extension .ahk, .yml, .yaml, .csv unless
//                               --from says), or a library text file, or
//                               else a word list
//   wlib export LIB FILE
//   wlib list LIB [WORD]        the library editor's listing from WORD
//   wlib weights LIB FILE [--ignore-case]
//                               the weights of LIB's keys from word<TAB>count
//                               lines (every other weight is taken off)
//   wlib context LIB ARPA [--prune T]
//                               the context model of LIB (the words before
//                               the caret) from a language model's 2-grams
//                               and 3-grams as ARPA text, for the words LIB
//                               holds, pruned at the threshold T (0, every
//                               entry, by default), in place of the one LIB
//                               had
//   wlib lookup DIR WORD [--smart] [--limit N] [--no-dictionary] [--no-shorthand]
//                               the candidates of DIR/*.lib for WORD; with
//                               --smart in the ranked order; WORD "-": for
//                               each line of the standard input, its
//                               candidates and an empty line; with --smart a
//                               line "WORDS<TAB>LETTERS" ranks the letters'
//                               candidates after the words before them (the
//                               libraries' context data), and "WORDS<TAB>" the
//                               words most likely next
//
// Text.  The keys, texts, captions and descriptions of a UTF-8 library are
// read from the command line and printed as UTF-8 (on Windows the command
// line is read wide, so any character arrives, and a console is written
// through its wide-character calls); a code-page library's are taken in the
// code page (an argument in UTF-8 converted: one the code page cannot hold
// is an error) and printed as they are.  --utf8, with any command, prints
// every line as UTF-8, code-page text converted, so that a script can read a
// folder that mixes both.  Paths stay in the code page.
//
// Exit status 0 on success, 1 when the operation fails, 2 on a usage error;
// a failure prints one line on stderr.  An import fails when any entry it
// read could not be written to the library, saying how many of how many;
// an import of snippets prints its summary on stderr ("N items imported, M
// skipped" and what was skipped and why) and fails too when it stored no
// entry.  Only create makes a library file: every other command needs an
// existing one.  In the output of list and
// lookup, backslash, tab, CR and LF in keys and texts are written as \\, \t,
// \r and \n (and a NUL byte as \0), so that every entry is one line.
#include <algorithm>
#include <initializer_list>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "app/CandidateSource.h"
#include "app/ContextRanking.h"
#include "platform/CodePage.h"
#include "platform/CommandLine.h"
#include "platform/Files.h"
#include "snippets/SnippetImport.h"
#include "store/ContextWriter.h"
#include "store/Library.h"
#include "store/LibraryContextModel.h"
#include "store/LibraryConvert.h"
#include "store/LibrarySet.h"

namespace {

using wl::Library;
using wl::LibraryEntry;
namespace fs = std::filesystem;

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char kUsageText[] =
    "usage:\n"
    "  wlib create LIB [--type dictionary|shorthand] [--caption TEXT] [--description TEXT]\n"
    "                  [--scrambled] [--locked] [--unicode]\n"
    "  wlib info LIB\n"
    "  wlib convert LIB --unicode\n"
    "  wlib put LIB KEY [TEXT]\n"
    "  wlib delete LIB KEY\n"
    "  wlib import LIB FILE [--from ahk|espanso|csv|text]\n"
    "  wlib export LIB FILE\n"
    "  wlib list LIB [WORD]\n"
    "  wlib weights LIB FILE [--ignore-case]\n"
    "  wlib context LIB ARPA [--prune T]\n"
    "  wlib lookup DIR WORD|- [--smart] [--limit N] [--no-dictionary] [--no-shorthand]\n"
    "Every command takes --utf8: every line printed as UTF-8.\n";

// Prints "wlib: <message>" on stderr and answers the status.
int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "wlib: %s\n", message.c_str());
    return status;
}

int Usage(const std::string& message) {
    return Fail(kUsage, message + " (wlib --help shows the usage)");
}

// Keys and texts as one line.
std::string Escaped(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string TypeName(std::int32_t type) {
    if (type == wl::Dictionary) return "dictionary";
    if (type == wl::Shorthand) return "shorthand";
    return std::to_string(type);
}

// Every line printed as UTF-8 (--utf8); a write to the console failed.
bool gUtf8 = false;
bool gWriteFailed = false;

// The code page's text as UTF-8; a byte (or a double-byte character) the
// code page does not define becomes U+FFFD.
std::string Utf8Of(std::string_view text) {
    const wl::CodePage& page = wl::SystemCodePage();
    std::string out, one;
    if (page.ToUtf8(text, out)) return out;
    out.clear();
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n =
            page.IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
        out += page.ToUtf8(text.substr(at, n), one) ? one : "\xEF\xBF\xBD";
        at += n;
    }
    return out;
}

// Prints a line (and its line end) of a library's text: UTF-8 when utf8,
// else in the code page (converted under --utf8).
void PrintLine(const std::string& line, bool utf8) {
    if (!utf8 && !gUtf8) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    } else if (!wl::WriteUtf8(stdout, (utf8 ? line : Utf8Of(line)) + "\n")) {
        gWriteFailed = true;
    }
}

// An argument (or a line of the standard input) as text of a library of
// the encoding (the top of this file): UTF-8 as it is, or converted to the
// code page; bytes that are not UTF-8 are the code page's (natively, where
// arguments are bytes).  False, with the reason, when it cannot be.
bool LibraryText(const std::string& arg, std::int32_t encoding, std::string& out,
                 std::string& why) {
    const wl::CodePage& page = wl::SystemCodePage();
    const bool utf8 = wl::IsUtf8(arg);
    bool ok;
    if (encoding == wl::EncodingUtf8)
        ok = utf8 ? (out = arg, true) : page.ToUtf8(arg, out);
    else
        ok = utf8 ? page.FromUtf8(arg, out) : (out = arg, true);
    if (!ok)
        why = encoding == wl::EncodingUtf8
                  ? Escaped(arg) + " is neither UTF-8 nor text of the code page"
                  : "the code page cannot hold " + Escaped(arg) +
                        " (a Unicode library can: wlib convert LIB --unicode)";
    return ok;
}

// The command line after the command: positional arguments and options.
// "--" ends the options, so that a key may begin with "--".
struct Arguments {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;  // name, value
    std::string error;

    // argv: the command and what follows it; valued: the options that take
    // a value; flags: those that do not.
    Arguments(const std::vector<std::string>& argv, const std::vector<std::string>& valued,
              const std::vector<std::string>& flags) {
        bool optionsEnd = false;
        const std::size_t argc = argv.size();
        for (std::size_t i = 1; i < argc; ++i) {
            std::string arg = argv[i];
            if (optionsEnd || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
                positional.push_back(arg);
            } else if (arg == "--") {
                optionsEnd = true;
            } else if (std::find(valued.begin(), valued.end(), arg) != valued.end()) {
                if (i + 1 >= argc) {
                    error = arg + " needs a value";
                    return;
                }
                options.emplace_back(arg, argv[++i]);
            } else if (std::find(flags.begin(), flags.end(), arg) != flags.end()) {
                options.emplace_back(arg, "");
            } else {
                error = "unknown option " + arg;
                return;
            }
        }
    }
    bool Has(const std::string& name) const {
        for (const auto& o : options)
            if (o.first == name) return true;
        return false;
    }
    std::string Value(const std::string& name) const {
        std::string value;
        for (const auto& o : options)
            if (o.first == name) value = o.second;  // the last one counts
        return value;
    }
};

// Turns the positional arguments at the given places into paths the store
// opens (ArgumentPath); answers the status.
int ToPaths(Arguments& args, std::initializer_list<std::size_t> which) {
    for (std::size_t i : which) {
        if (i >= args.positional.size()) continue;
        std::string path;
        if (!wl::ArgumentPath(args.positional[i], path))
            return Fail(kFailed,
                        args.positional[i] + ": the system's code page cannot hold this file name");
        args.positional[i] = path;
    }
    return kOk;
}

// Opens an existing library; never makes a file.
int OpenExisting(Library& lib, const std::string& path) {
    std::error_code ec;
    auto status = fs::status(path, ec);
    if (ec || !fs::exists(status)) return Fail(kFailed, path + ": no such library");
    if (!fs::is_regular_file(status) || !lib.Open(path.c_str()))
        return Fail(kFailed, path + ": not a library, or damaged");
    return kOk;
}

// Opens an existing library to write to it: one of an encoding this program
// does not know can only be read.
int OpenWritable(Library& lib, const std::string& path) {
    if (int status = OpenExisting(lib, path)) return status;
    if (lib.IsReadOnly())
        return Fail(kFailed, path + ": the library's encoding is unknown; it can only be read");
    return kOk;
}

std::string EncodingName(std::int32_t encoding) {
    if (encoding == wl::EncodingUtf8) return "UTF-8";
    if (encoding == wl::EncodingCodePage) return "code page";
    return "unknown";
}

int Create(const std::vector<std::string>& argv) {
    Arguments args(argv, {"--type", "--caption", "--description"},
                   {"--scrambled", "--locked", "--unicode"});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() != 1) return Usage("create takes one library file");
    if (int status = ToPaths(args, {0})) return status;
    const std::string& path = args.positional[0];
    const std::int32_t encoding = args.Has("--unicode") ? wl::EncodingUtf8 : wl::EncodingCodePage;
    std::string caption, description, why;
    if (!LibraryText(args.Value("--caption"), encoding, caption, why) ||
        !LibraryText(args.Value("--description"), encoding, description, why))
        return Fail(kFailed, why);
    std::int32_t type = wl::Dictionary;
    if (args.Has("--type")) {
        std::string name = args.Value("--type");
        if (name == "dictionary")
            type = wl::Dictionary;
        else if (name == "shorthand")
            type = wl::Shorthand;
        else
            return Usage("--type is dictionary or shorthand, not " + name);
    }
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec))) return Fail(kFailed, path + ": already exists");
    Library lib(wl::SystemCodePage());
    if (!lib.Open(path.c_str())) return Fail(kFailed, path + ": cannot create the library");
    lib.SetType(type);
    lib.SetEditable(args.Has("--locked") ? 0 : 1);
    lib.SetScrambled(args.Has("--scrambled") ? 1 : 0);
    lib.SetEncoding(encoding);
    lib.SetCaption(caption.c_str(), static_cast<int>(caption.size()));
    lib.SetDescription(description.c_str(), static_cast<int>(description.size()));
    if (!lib.WriteInfo()) {
        lib.Close();
        fs::remove(path, ec);
        return Fail(kFailed, path + ": cannot write the library");
    }
    return kOk;
}

int Info(const std::vector<std::string>& argv) {
    Arguments args(argv, {}, {});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() != 1) return Usage("info takes one library file");
    if (int status = ToPaths(args, {0})) return status;
    Library lib(wl::SystemCodePage());
    if (int status = OpenExisting(lib, args.positional[0])) return status;
    const bool utf8 = lib.GetEncoding() == wl::EncodingUtf8;
    PrintLine(std::string("caption: ") + Escaped(lib.GetCaption()), utf8);
    std::printf("type: %s\n", TypeName(lib.GetType()).c_str());
    std::printf("editable: %s\n", lib.GetEditable() == 1 ? "yes" : "no");
    std::printf("scrambled: %s\n", lib.GetScrambled() ? "yes" : "no");
    std::printf("encoding: %s\n", EncodingName(lib.GetEncoding()).c_str());
    std::printf("count: %d\n", static_cast<int>(lib.Count()));
    // Records that are no UTF-8 are never offered; say how many there are.
    if (utf8 && lib.SkippedInvalid() > 0)
        std::printf("not UTF-8, never offered: %d\n", static_cast<int>(lib.SkippedInvalid()));
    std::printf("weighted: %d\n", static_cast<int>(lib.CountWeights()));
    wl::LibraryContextModel model;
    wl::LibraryContextModel::Totals totals;
    if (model.Open(args.positional[0]) && model.Count(totals))
        std::printf(
            "context: %llu contexts of one word and %llu of two, %llu entries, %u words, "
            "%llu bytes on disk\n",
            static_cast<unsigned long long>(totals.contexts[0]),
            static_cast<unsigned long long>(totals.contexts[1]),
            static_cast<unsigned long long>(totals.entries[0] + totals.entries[1]),
            model.WordCount(), static_cast<unsigned long long>(totals.diskBytes));
    else
        std::printf("context: none\n");
    PrintLine(std::string("description: ") + Escaped(lib.GetDescription()), utf8);
    return kOk;
}

int Put(const std::vector<std::string>& argv) {
    Arguments args(argv, {}, {});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() < 2 || args.positional.size() > 3)
        return Usage("put takes a library file, a key and a text");
    if (args.positional[1].empty()) return Usage("the key is empty");
    if (int status = ToPaths(args, {0})) return status;
    Library lib(wl::SystemCodePage());
    if (int status = OpenWritable(lib, args.positional[0])) return status;
    std::string key, text, why;
    if (!LibraryText(args.positional[1], lib.GetEncoding(), key, why) ||
        !LibraryText(args.positional.size() == 3 ? args.positional[2] : "", lib.GetEncoding(), text,
                     why))
        return Fail(kFailed, why);
    LibraryEntry entry;
    entry.SetKey(key.data(), static_cast<std::uint32_t>(key.size()));
    entry.SetText(text.data(), static_cast<std::uint32_t>(text.size()));
    if (!lib.Put(entry) || !lib.Flush()) return Fail(kFailed, "cannot store " + Escaped(key));
    return kOk;
}

int Delete(const std::vector<std::string>& argv) {
    Arguments args(argv, {}, {});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() != 2) return Usage("delete takes a library file and a key");
    if (int status = ToPaths(args, {0})) return status;
    Library lib(wl::SystemCodePage());
    if (int status = OpenWritable(lib, args.positional[0])) return status;
    std::string key, why;
    if (!LibraryText(args.positional[1], lib.GetEncoding(), key, why)) return Fail(kFailed, why);
    LibraryEntry entry;
    entry.SetKey(key.data(), static_cast<std::uint32_t>(key.size()));
    if (!lib.Delete(entry)) return Fail(kFailed, Escaped(key) + ": no such entry");
    if (!lib.Flush()) return Fail(kFailed, args.positional[0] + ": cannot write the library");
    return kOk;
}

// The end of an import into lib: what was stored written out to the file.
// Answers the status: a failure, with how many of the entries read could
// not be written, when any could not.
int Written(Library& lib, const std::string& path, int stored, int notStored) {
    if (!lib.Flush()) notStored += std::exchange(stored, 0);
    if (notStored == 0) return kOk;
    return Fail(kFailed, std::to_string(notStored) + " of " + std::to_string(stored + notStored) +
                             " entries could not be written to " + path);
}

// Another text expander's snippets: the summary, each line on stderr.
int ImportSnippets(Library& lib, const std::string& path, const std::string& file,
                   wl::SnippetFormat format) {
    const wl::SnippetImportResult result = wl::ImportSnippets(lib, file, format, nullptr);
    if (!result.error.empty()) return Fail(kFailed, wl::SnippetSummary(result, " "));
    const std::string summary = wl::SnippetSummary(result, "\n");
    std::size_t start = 0;
    while (start < summary.size()) {
        std::size_t end = summary.find('\n', start);
        if (end == std::string::npos) end = summary.size();
        if (end > start)
            std::fprintf(stderr, "wlib: %s\n", summary.substr(start, end - start).c_str());
        start = end + 1;
    }
    if (int status = Written(lib, path, result.imported, result.notStored)) return status;
    return result.imported > 0 ? kOk : kFailed;
}

int Import(const std::vector<std::string>& argv) {
    Arguments args(argv, {"--from"}, {});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() != 2) return Usage("import takes a library file and a text file");
    if (int status = ToPaths(args, {0, 1})) return status;
    const std::string& path = args.positional[0];
    const std::string& file = args.positional[1];
    wl::SnippetFormat format = wl::SnippetFormatOfFile(file);
    if (args.Has("--from")) {
        const std::string from = args.Value("--from");
        format = wl::SnippetFormatNamed(from);
        if (format == wl::SnippetFormat::None && from != "text")
            return Usage("--from is ahk, espanso, csv or text, not " + from);
    }
    std::error_code ec;
    std::FILE* probe = fs::is_regular_file(file, ec) ? std::fopen(file.c_str(), "rb") : nullptr;
    if (!probe) return Fail(kFailed, file + ": cannot read the file");
    std::fclose(probe);
    Library lib(wl::SystemCodePage());
    if (int status = OpenWritable(lib, path)) return status;
    if (format != wl::SnippetFormat::None) return ImportSnippets(lib, path, file, format);
    // As the library editor imports: a file without marked pairs is a word
    // list.
    int notStored = 0;
    int count = lib.ImportText(file.c_str(), nullptr, &notStored);
    if (count + notStored == 0) count = lib.ImportWordList(file.c_str(), nullptr, &notStored);
    if (int status = Written(lib, path, count, notStored)) return status;
    std::printf("%d items imported\n", count);
    return kOk;
}

int Export(const std::vector<std::string>& argv) {
    Arguments args(argv, {}, {});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() != 2) return Usage("export takes a library file and a text file");
    if (int status = ToPaths(args, {0, 1})) return status;
    const std::string& file = args.positional[1];
    Library lib(wl::SystemCodePage());
    if (int status = OpenExisting(lib, args.positional[0])) return status;
    if (lib.GetType() != wl::Dictionary && lib.GetType() != wl::Shorthand)
        return Fail(kFailed,
                    "a library of type " + std::to_string(lib.GetType()) + " has no text form");
    int skipped = 0;
    int count = lib.ExportText(file.c_str(), nullptr, &skipped);
    std::error_code ec;
    if (count == 0 && (lib.Count() != skipped || !fs::is_regular_file(file, ec)))
        return Fail(kFailed, file + ": cannot write the file");
    if (skipped)
        std::printf("%d items exported, %d skipped (not valid UTF-8)\n", count, skipped);
    else
        std::printf("%d items exported\n", count);
    return kOk;
}

int List(const std::vector<std::string>& argv) {
    Arguments args(argv, {}, {});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.empty() || args.positional.size() > 2)
        return Usage("list takes a library file and a word");
    if (int status = ToPaths(args, {0})) return status;
    Library lib(wl::SystemCodePage());
    if (int status = OpenExisting(lib, args.positional[0])) return status;
    std::string word, why;
    if (args.positional.size() == 2 &&
        !LibraryText(args.positional[1], lib.GetEncoding(), word, why))
        return Fail(kFailed, why);
    // The library editor's listing: the exact match or wherever the search
    // stopped, then every following entry the walk delivers.
    const bool utf8 = lib.GetEncoding() == wl::EncodingUtf8;
    auto print = [&](const LibraryEntry& e) {
        PrintLine(Escaped(e.keyBytes()) + "\t" + Escaped(e.textBytes()), utf8);
    };
    LibraryEntry entry;
    lib.SearchExact(word.c_str(), entry, wl::MATCH_PREFIX);
    if (entry.key()) print(entry);
    while (lib.Next(entry)) print(entry);
    return kOk;
}

// Reads a whole file as bytes; false when it cannot be read.
bool ReadFile(const std::string& path, std::string& bytes) {
    std::error_code ec;
    std::FILE* f = fs::is_regular_file(path, ec) ? std::fopen(path.c_str(), "rb") : nullptr;
    if (!f) return false;
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.append(chunk, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

// Splits bytes into lines ended by LF, each without a CR before the LF; a
// last line without its LF counts too.
std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::uint32_t AddCounts(std::uint32_t a, std::uint32_t b) {
    return a > UINT32_MAX - b ? UINT32_MAX : a + b;
}

// The weights of a library from word<TAB>count lines: a key gets the sum of
// the counts of the lines of its word (up to the largest weight).  With
// --ignore-case a word that no key equals adds its count to every key that
// equals it but for letter case: "london" weighs "London", but "who" weighs
// only "who", not "WHO" too (letter case as the library's encoding has it:
// a Unicode library's "ΣΟΦΙΑ" weighs "σοφια").  Empty lines are passed over;
// other lines that are not word<TAB>count (a count of digits only) are bad.
// Words that no key takes are unknown.  Every weight the file does not give
// is taken off.
int LoadWeights(const std::vector<std::string>& argv) {
    Arguments args(argv, {}, {"--ignore-case"});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() != 2)
        return Usage("weights takes a library file and a weights file");
    if (int status = ToPaths(args, {0, 1})) return status;
    const std::string& file = args.positional[1];
    std::string bytes;
    if (!ReadFile(file, bytes)) return Fail(kFailed, file + ": cannot read the file");
    Library lib(wl::SystemCodePage());
    if (int status = OpenWritable(lib, args.positional[0])) return status;
    // A UTF-8 library's words may come after the UTF-8 byte-order mark.
    if (lib.GetEncoding() == wl::EncodingUtf8 && bytes.rfind("\xEF\xBB\xBF", 0) == 0)
        bytes.erase(0, 3);
    const bool ignoreCase = args.Has("--ignore-case");
    const wl::CodePage& page =
        lib.GetEncoding() == wl::EncodingUtf8 ? wl::Utf8Page() : wl::SystemCodePage();
    std::unordered_map<std::string, std::uint32_t> counts;
    long bad = 0;
    for (const std::string& line : Lines(bytes)) {
        if (line.empty()) continue;
        std::size_t tab = line.find('\t');
        std::uint32_t count = 0;
        if (tab == 0 || tab == std::string::npos || line.find('\t', tab + 1) != std::string::npos ||
            !Library::ParseWeight(line.data() + tab + 1, line.size() - tab - 1, count)) {
            ++bad;
            continue;
        }
        std::uint32_t& sum = counts[line.substr(0, tab)];
        sum = AddCounts(sum, count);
    }

    std::vector<std::string> keys;
    if (!lib.ForEachKey([&](const Library::KeyInfo& info) {
            keys.emplace_back(info.key, info.length);
            return true;
        }))
        return Fail(kFailed, args.positional[0] + ": cannot read the library");
    const std::unordered_set<std::string> keySet(keys.begin(), keys.end());
    // The words without a key of their own, by their lower-case form.
    std::unordered_map<std::string, std::uint32_t> folded;
    long unknown = 0;
    for (const auto& [word, count] : counts) {
        if (keySet.count(word)) continue;
        if (!ignoreCase) {
            ++unknown;
            continue;
        }
        std::uint32_t& sum = folded[page.Fold(word)];
        sum = AddCounts(sum, count);
    }
    std::vector<std::pair<std::string, std::uint32_t>> weights;
    std::unordered_set<std::string> foldedTaken;
    for (const std::string& key : keys) {
        bool weighted = false;
        std::uint32_t weight = 0;
        if (auto it = counts.find(key); it != counts.end()) {
            weighted = true;
            weight = it->second;
        }
        if (auto f = ignoreCase ? folded.find(page.Fold(key)) : folded.end(); f != folded.end()) {
            weighted = true;
            weight = AddCounts(weight, f->second);
            foldedTaken.insert(f->first);
        }
        if (weighted) weights.emplace_back(key, weight);
    }
    for (const auto& [word, count] : counts)
        if (!keySet.count(word) && ignoreCase && !foldedTaken.count(page.Fold(word))) ++unknown;

    if (!lib.ClearWeights()) return Fail(kFailed, "cannot store the weights");
    for (const auto& [key, weight] : weights) {
        LibraryEntry entry;
        entry.SetKey(key.data(), static_cast<std::uint32_t>(key.size()));
        if (!lib.SetWeight(entry, weight)) return Fail(kFailed, "cannot store the weights");
    }
    if (!lib.Flush()) return Fail(kFailed, "cannot store the weights");
    std::printf("%ld weights stored, %ld unknown words, %ld bad lines\n",
                static_cast<long>(weights.size()), unknown, bad);
    return kOk;
}

// The context model of a library from ARPA text (store/ContextWriter.h).
int LoadContext(const std::vector<std::string>& argv) {
    Arguments args(argv, {"--prune"}, {});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() != 2) return Usage("context takes a library file and an ARPA file");
    double threshold = 0;
    if (args.Has("--prune")) {
        const std::string value = args.Value("--prune");
        char* end = nullptr;
        threshold = std::strtod(value.c_str(), &end);
        if (value.empty() || *end || !(threshold >= 0))
            return Usage("--prune takes a threshold from 0 up");
    }
    if (int status = ToPaths(args, {0, 1})) return status;
    Library lib(wl::SystemCodePage());
    if (int status = OpenWritable(lib, args.positional[0])) return status;
    if (lib.GetType() != wl::Dictionary)
        return Fail(kFailed, args.positional[0] + ": only a Dictionary library has context data");
    const wl::ContextWriteResult r = wl::WriteContextData(lib, args.positional[1], threshold);
    if (!r.ok) return Fail(kFailed, r.error);
    auto n = [](std::uint64_t v) { return static_cast<unsigned long long>(v); };
    std::printf(
        "%llu contexts stored (%llu of one word, %llu of two), %llu entries, %u words, "
        "%llu values, %llu bytes; %llu n-grams with a word the library does not hold, "
        "%llu pruned, %llu bad lines\n",
        n(r.contexts[0] + r.contexts[1]), n(r.contexts[0]), n(r.contexts[1]),
        n(r.entries[0] + r.entries[1]), r.words, n(r.values), n(r.bytes), n(r.outside), n(r.pruned),
        n(r.badLines));
    return kOk;
}

// A code-page library rewritten as UTF-8 (store/LibraryConvert.h).
int Convert(const std::vector<std::string>& argv) {
    Arguments args(argv, {}, {"--unicode"});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() != 1) return Usage("convert takes one library file");
    if (!args.Has("--unicode")) return Usage("convert needs --unicode, the encoding to convert to");
    if (int status = ToPaths(args, {0})) return status;
    {
        Library lib(wl::SystemCodePage());  // only an existing library, closed again
        if (int status = OpenExisting(lib, args.positional[0])) return status;
    }
    std::string error;
    if (!wl::ConvertToUnicode(args.positional[0], wl::SystemCodePage(), nullptr, &error))
        return Fail(kFailed, error);
    return kOk;
}

// A word to look up (an argument or a line of the standard input) in both
// encodings: the code page's, for code-page libraries, and UTF-8, for
// UTF-8 ones; either empty when the word cannot be written in it.
struct TypedText {
    std::string codePage, utf8;
    bool inCodePage = false;
    // The one form the ranking in context takes: the code page's; for a word
    // the code page cannot hold, its UTF-8.
    std::string Looked() const { return inCodePage ? codePage : utf8; }
};

TypedText TypedWordOf(const std::string& arg) {
    TypedText word;
    std::string why;
    word.inCodePage = LibraryText(arg, wl::EncodingCodePage, word.codePage, why);
    if (!LibraryText(arg, wl::EncodingUtf8, word.utf8, why)) word.utf8.clear();
    return word;
}

int Lookup(const std::vector<std::string>& argv) {
    Arguments args(argv, {"--limit"}, {"--no-dictionary", "--no-shorthand", "--smart"});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() != 2) return Usage("lookup takes a folder and a word");
    long limit = -1;
    if (args.Has("--limit")) {
        std::string value = args.Value("--limit");
        char* end = nullptr;
        limit = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end || limit < 1) return Usage("--limit takes a count from 1 up");
    }
    if (int status = ToPaths(args, {0})) return status;
    std::string folder = args.positional[0];
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return Fail(kFailed, folder + ": no such folder");
    wl::LibrarySet set(wl::SystemRegistry(), wl::SystemDirectory(), wl::SystemCodePage());
    if (!set.LoadFolder(folder, 0))
        return Fail(kFailed, args.positional[0] + ": no library could be loaded");
    int dictionary = args.Has("--no-dictionary") ? 0 : 1;
    int shorthand = args.Has("--no-shorthand") ? 0 : 1;
    const bool smart = args.Has("--smart");
    auto print = [](const LibraryEntry& entry) {
        PrintLine(TypeName(entry.type) + "\t" + Escaped(entry.keyBytes()) + "\t" +
                      Escaped(entry.textBytes()),
                  entry.encoding == wl::EncodingUtf8);
    };
    // "of the<TAB>st": the page for "st" after "of the".
    auto inContext = [&](const std::string& line) {
        const std::size_t tab = line.find('\t');
        wl::RankRequest request;
        const TypedText typed = TypedWordOf(line.substr(tab + 1));
        request.word = typed.inCodePage ? typed.codePage : std::string();
        request.wordUtf8 = typed.utf8;
        std::string words = TypedWordOf(line.substr(0, tab)).Looked();
        for (std::size_t at = 0; at < words.size();) {
            const std::size_t end = std::min(words.find(' ', at), words.size());
            if (end > at) request.context.push_back(words.substr(at, end - at));
            at = end + 1;
        }
        request.rows = limit > 0 ? static_cast<std::size_t>(limit) : 10;
        request.enableWord = dictionary;
        request.enableShorthand = shorthand;
        wl::LibrarySource source(set);
        for (const auto& entry :
             wl::RankInContext(source, nullptr, wl::SystemCodePage(), request).entries)
            print(*entry);
    };
    auto candidates = [&](const std::string& word) {
        if (smart && word.find('\t') != std::string::npos) {
            inContext(word);
            return;
        }
        LibraryEntry entry;
        long shown = 0;
        const TypedText typed = TypedWordOf(word);
        const wl::TypedWord looked{typed.inCodePage ? typed.codePage.c_str() : nullptr,
                                   typed.utf8.c_str()};
        int ok = smart ? set.FindFirstRanked(looked, entry, dictionary, shorthand)
                       : set.FindFirst(looked, entry, wl::MATCH_PREFIX, dictionary, shorthand);
        while (ok) {
            print(entry);
            if (++shown == limit) break;
            ok = smart ? set.FindNextRanked(entry) : set.FindNext(entry);
        }
    };
    if (args.positional[1] != "-") {
        candidates(args.positional[1]);
        return kOk;
    }
    // Many lookups in one process: a word a line, each answer ended by an
    // empty line.
    std::string input;
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, stdin)) > 0;)
        input.append(chunk, n);
    for (const std::string& word : Lines(input)) {
        candidates(word);
        std::printf("\n");
    }
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    // The same bytes as elsewhere: LF line ends, no text-mode translation.
    wl::SetBinaryMode(stdout);
    wl::SetBinaryMode(stdin);
    // The command and its arguments; --utf8 (before a "--") is taken out.
    std::vector<std::string> args = wl::ProgramArguments(argc, argv);
    const auto optionsEnd = std::find(args.begin(), args.end(), "--");
    const auto utf8 = std::remove(args.begin(), optionsEnd, "--utf8");
    gUtf8 = utf8 != optionsEnd;
    args.erase(utf8, optionsEnd);
    if (args.empty()) return Usage("no command");
    const std::string command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsageText, stdout);
        return kOk;
    }
    int status;
    try {
        if (command == "create")
            status = Create(args);
        else if (command == "info")
            status = Info(args);
        else if (command == "convert")
            status = Convert(args);
        else if (command == "put")
            status = Put(args);
        else if (command == "delete")
            status = Delete(args);
        else if (command == "import")
            status = Import(args);
        else if (command == "export")
            status = Export(args);
        else if (command == "list")
            status = List(args);
        else if (command == "lookup")
            status = Lookup(args);
        else if (command == "weights")
            status = LoadWeights(args);
        else if (command == "context")
            status = LoadContext(args);
        else
            status = Usage("unknown command " + command);
    } catch (const std::bad_alloc&) {
        // What was written before stays; the library is closed as usual.
        status = Fail(kFailed, "not enough memory for " + command);
    }
    if ((std::fflush(stdout) != 0 || gWriteFailed) && status == kOk)
        return Fail(kFailed, "cannot write the output");
    return status;
}
