// The seams of the native build: an in-memory registry for the process, code
// page 1252, std::filesystem for folder listings, plain C files, and the
// command line's bytes.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/CodePage.h"
#include "platform/CommandLine.h"
#include "platform/Directory.h"
#include "platform/Files.h"
#include "platform/MemoryRegistry.h"

namespace wl {

Registry& SystemRegistry() {
    static MemoryRegistry registry;
    return registry;
}

const CodePage& SystemCodePage() {
    return CodePage1252();
}

namespace {

class StdDirectory : public Directory {
  public:
    bool List(const std::string& pattern, std::vector<DirEntry>& entries) override {
        namespace fs = std::filesystem;
        entries.clear();
        std::string folder = FolderOf(pattern);
        std::string mask = pattern.substr(folder.size());
        std::string where = folder.empty() ? std::string(".") : folder;
        std::replace(where.begin(), where.end(), '\\', '/');
        std::error_code ec;
        fs::directory_iterator it(where, ec);
        if (ec) return false;
        for (const auto& e : it) {
            std::string name = e.path().filename().string();
            if (!WildcardMatch(mask.c_str(), name.c_str())) continue;
            std::error_code dec;
            entries.push_back({name, e.is_directory(dec)});
        }
        for (const char* dot : {".", ".."})
            if (WildcardMatch(mask.c_str(), dot)) entries.push_back({dot, true});
        // NTFS lists a folder in name order with letter case folded to upper
        // case; sort the same way so that every run sees the same order.
        auto upper = [](unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; };
        std::sort(entries.begin(), entries.end(), [&](const DirEntry& a, const DirEntry& b) {
            bool less = std::lexicographical_compare(
                a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                [&](char x, char y) { return upper(x) < upper(y); });
            bool more = std::lexicographical_compare(
                b.name.begin(), b.name.end(), a.name.begin(), a.name.end(),
                [&](char x, char y) { return upper(x) < upper(y); });
            return less || (!more && a.name < b.name);
        });
        return true;
    }
};

}  // namespace

Directory& SystemDirectory() {
    static StdDirectory dir;
    return dir;
}

char PathSeparator() {
    return '/';
}

std::FILE* OpenDenyingReaders(const char* path) {
    return std::fopen(path, "rb");
}

bool MoveFileOver(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

void SetBinaryMode(std::FILE*) {}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

bool ArgumentPath(const std::string& argument, std::string& path) {
    path = argument;
    return true;
}

bool WriteUtf8(std::FILE* stream, std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

}  // namespace wl
