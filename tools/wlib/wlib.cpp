// wlib: library files from the command line, through the store the program
// itself uses.
//
//   wlib create LIB [--type dictionary|shorthand] [--caption TEXT]
//                   [--description TEXT] [--scrambled] [--locked]
//   wlib info LIB
//   wlib put LIB KEY [TEXT]
//   wlib delete LIB KEY
//   wlib import LIB FILE        a library text file, or else a word list
//   wlib export LIB FILE
//   wlib list LIB [WORD]        the library editor's listing from WORD
//   wlib lookup DIR WORD [--limit N] [--no-dictionary] [--no-shorthand]
//                               the candidates of DIR/*.lib for WORD
//
// Exit status 0 on success, 1 when the operation fails, 2 on a usage error;
// a failure prints one line on stderr.  Only create makes a library file:
// every other command needs an existing one.  In the output of list and
// lookup, backslash, tab, CR and LF in keys and texts are written as \\, \t,
// \r and \n (and a NUL byte as \0), so that every entry is one line.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "store/Library.h"
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
    "                  [--scrambled] [--locked]\n"
    "  wlib info LIB\n"
    "  wlib put LIB KEY [TEXT]\n"
    "  wlib delete LIB KEY\n"
    "  wlib import LIB FILE\n"
    "  wlib export LIB FILE\n"
    "  wlib list LIB [WORD]\n"
    "  wlib lookup DIR WORD [--limit N] [--no-dictionary] [--no-shorthand]\n";

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

// The command line after the command: positional arguments and options.
// "--" ends the options, so that a key may begin with "--".
struct Arguments {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;  // name, value
    std::string error;

    // valued: the options that take a value; flags: those that do not.
    Arguments(int argc, char** argv, const std::vector<std::string>& valued,
              const std::vector<std::string>& flags) {
        bool optionsEnd = false;
        for (int i = 2; i < argc; ++i) {
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

// Opens an existing library; never makes a file.
int OpenExisting(Library& lib, const std::string& path) {
    std::error_code ec;
    auto status = fs::status(path, ec);
    if (ec || !fs::exists(status)) return Fail(kFailed, path + ": no such library");
    if (!fs::is_regular_file(status) || !lib.Open(path.c_str()))
        return Fail(kFailed, path + ": not a library, or damaged");
    return kOk;
}

int Create(int argc, char** argv) {
    Arguments args(argc, argv, {"--type", "--caption", "--description"},
                   {"--scrambled", "--locked"});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() != 1) return Usage("create takes one library file");
    const std::string& path = args.positional[0];
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
    std::string caption = args.Value("--caption"), description = args.Value("--description");
    lib.SetCaption(caption.c_str(), static_cast<int>(caption.size()));
    lib.SetDescription(description.c_str(), static_cast<int>(description.size()));
    if (!lib.WriteInfo()) {
        lib.Close();
        fs::remove(path, ec);
        return Fail(kFailed, path + ": cannot write the library");
    }
    return kOk;
}

int Info(int argc, char** argv) {
    Arguments args(argc, argv, {}, {});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() != 1) return Usage("info takes one library file");
    Library lib(wl::SystemCodePage());
    if (int status = OpenExisting(lib, args.positional[0])) return status;
    std::printf("caption: %s\n", Escaped(lib.GetCaption()).c_str());
    std::printf("type: %s\n", TypeName(lib.GetType()).c_str());
    std::printf("editable: %s\n", lib.GetEditable() == 1 ? "yes" : "no");
    std::printf("scrambled: %s\n", lib.GetScrambled() ? "yes" : "no");
    std::printf("count: %d\n", static_cast<int>(lib.Count()));
    std::printf("description: %s\n", Escaped(lib.GetDescription()).c_str());
    return kOk;
}

int Put(int argc, char** argv) {
    Arguments args(argc, argv, {}, {});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() < 2 || args.positional.size() > 3)
        return Usage("put takes a library file, a key and a text");
    const std::string& key = args.positional[1];
    std::string text = args.positional.size() == 3 ? args.positional[2] : "";
    if (key.empty()) return Usage("the key is empty");
    Library lib(wl::SystemCodePage());
    if (int status = OpenExisting(lib, args.positional[0])) return status;
    LibraryEntry entry;
    entry.SetKey(key.data(), static_cast<std::uint32_t>(key.size()));
    entry.SetText(text.data(), static_cast<std::uint32_t>(text.size()));
    if (!lib.Put(entry)) return Fail(kFailed, "cannot store " + Escaped(key));
    return kOk;
}

int Delete(int argc, char** argv) {
    Arguments args(argc, argv, {}, {});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() != 2) return Usage("delete takes a library file and a key");
    const std::string& key = args.positional[1];
    Library lib(wl::SystemCodePage());
    if (int status = OpenExisting(lib, args.positional[0])) return status;
    LibraryEntry entry;
    entry.SetKey(key.data(), static_cast<std::uint32_t>(key.size()));
    if (!lib.Delete(entry)) return Fail(kFailed, Escaped(key) + ": no such entry");
    return kOk;
}

int Import(int argc, char** argv) {
    Arguments args(argc, argv, {}, {});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() != 2) return Usage("import takes a library file and a text file");
    const std::string& file = args.positional[1];
    std::error_code ec;
    std::FILE* probe = fs::is_regular_file(file, ec) ? std::fopen(file.c_str(), "rb") : nullptr;
    if (!probe) return Fail(kFailed, file + ": cannot read the file");
    std::fclose(probe);
    Library lib(wl::SystemCodePage());
    if (int status = OpenExisting(lib, args.positional[0])) return status;
    // As the library editor imports: a file without marked pairs is a word
    // list.
    int count = lib.ImportText(file.c_str(), nullptr);
    if (count <= 0) count = lib.ImportWordList(file.c_str(), nullptr);
    std::printf("%d items imported\n", count);
    return kOk;
}

int Export(int argc, char** argv) {
    Arguments args(argc, argv, {}, {});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() != 2) return Usage("export takes a library file and a text file");
    const std::string& file = args.positional[1];
    Library lib(wl::SystemCodePage());
    if (int status = OpenExisting(lib, args.positional[0])) return status;
    if (lib.GetType() != wl::Dictionary && lib.GetType() != wl::Shorthand)
        return Fail(kFailed,
                    "a library of type " + std::to_string(lib.GetType()) + " has no text form");
    int count = lib.ExportText(file.c_str(), nullptr);
    std::error_code ec;
    if (count == 0 && (lib.Count() != 0 || !fs::is_regular_file(file, ec)))
        return Fail(kFailed, file + ": cannot write the file");
    std::printf("%d items exported\n", count);
    return kOk;
}

int List(int argc, char** argv) {
    Arguments args(argc, argv, {}, {});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.empty() || args.positional.size() > 2)
        return Usage("list takes a library file and a word");
    std::string word = args.positional.size() == 2 ? args.positional[1] : "";
    Library lib(wl::SystemCodePage());
    if (int status = OpenExisting(lib, args.positional[0])) return status;
    // The library editor's listing: the exact match or wherever the search
    // stopped, then every following entry the walk delivers.
    LibraryEntry entry;
    lib.SearchExact(word.c_str(), entry, wl::MATCH_PREFIX);
    if (entry.key())
        std::printf("%s\t%s\n", Escaped(entry.keyBytes()).c_str(),
                    Escaped(entry.textBytes()).c_str());
    while (lib.Next(entry))
        std::printf("%s\t%s\n", Escaped(entry.keyBytes()).c_str(),
                    Escaped(entry.textBytes()).c_str());
    return kOk;
}

int Lookup(int argc, char** argv) {
    Arguments args(argc, argv, {"--limit"}, {"--no-dictionary", "--no-shorthand"});
    if (!args.error.empty()) return Usage(args.error);
    if (args.positional.size() != 2) return Usage("lookup takes a folder and a word");
    long limit = -1;
    if (args.Has("--limit")) {
        std::string value = args.Value("--limit");
        char* end = nullptr;
        limit = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end || limit < 1) return Usage("--limit takes a count from 1 up");
    }
    std::string folder = args.positional[0];
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return Fail(kFailed, folder + ": no such folder");
    if (folder.back() != '/' && folder.back() != '\\') folder += wl::PathSeparator();
    wl::LibrarySet set(wl::SystemRegistry(), wl::SystemDirectory(), wl::SystemCodePage());
    if (!set.Load((folder + "*.lib").c_str(), 0))
        return Fail(kFailed, args.positional[0] + ": no library could be loaded");
    LibraryEntry entry;
    int dictionary = args.Has("--no-dictionary") ? 0 : 1;
    int shorthand = args.Has("--no-shorthand") ? 0 : 1;
    long shown = 0;
    int ok =
        set.FindFirst(args.positional[1].c_str(), entry, wl::MATCH_PREFIX, dictionary, shorthand);
    while (ok) {
        std::printf("%s\t%s\t%s\n", TypeName(entry.type).c_str(), Escaped(entry.keyBytes()).c_str(),
                    Escaped(entry.textBytes()).c_str());
        if (++shown == limit) break;
        ok = set.FindNext(entry);
    }
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    // The same bytes as elsewhere: LF line ends, no text-mode translation.
    wl::SetBinaryMode(stdout);
    if (argc < 2) return Usage("no command");
    std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsageText, stdout);
        return kOk;
    }
    int status;
    if (command == "create")
        status = Create(argc, argv);
    else if (command == "info")
        status = Info(argc, argv);
    else if (command == "put")
        status = Put(argc, argv);
    else if (command == "delete")
        status = Delete(argc, argv);
    else if (command == "import")
        status = Import(argc, argv);
    else if (command == "export")
        status = Export(argc, argv);
    else if (command == "list")
        status = List(argc, argv);
    else if (command == "lookup")
        status = Lookup(argc, argv);
    else
        status = Usage("unknown command " + command);
    if (std::fflush(stdout) != 0 && status == kOk) return Fail(kFailed, "cannot write the output");
    return status;
}
