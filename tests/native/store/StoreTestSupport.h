// Helpers of the store tests: libraries made from key/text lists, walks read
// into lists, files as bytes, and a capture of what the process writes to its
// standard output and error.
#pragma once

#include <db.h>
#include <fcntl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "store/Library.h"
#include "store/LibrarySet.h"
#include "tests/support/TempDir.h"

namespace wl::test {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// A filled entry, made in place (entries are neither copied nor moved).
struct Entry : LibraryEntry {
    explicit Entry(const std::string& key, const std::string& text = "") {
        SetKey(key.data(), static_cast<std::uint32_t>(key.size()));
        SetText(text.data(), static_cast<std::uint32_t>(text.size()));
    }
};

// Creates a library at path with the info given and the entries.
inline void MakeLibrary(const std::string& path, const Pairs& entries, int type = Dictionary,
                        const std::string& caption = "", int scrambled = 0) {
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(path.c_str()), 1) << path;
    lib.SetType(type);
    lib.SetScrambled(scrambled);
    lib.SetCaption(caption.c_str(), static_cast<int>(caption.size()));
    ASSERT_EQ(lib.WriteInfo(), 1);
    for (const auto& [k, t] : entries) ASSERT_EQ(lib.Put(Entry(k, t)), 1) << k;
}

// The keys a search and its Nexts deliver.
inline std::vector<std::string> Walk(Library& lib, const std::string& word, int mode) {
    std::vector<std::string> keys;
    LibraryEntry e;
    for (int ok = lib.Search(word.c_str(), e, mode); ok; ok = lib.Next(e))
        keys.emplace_back(e.keyBytes());
    return keys;
}

// The candidates of a lookup, as "key" strings.
inline std::vector<std::string> Lookup(LibrarySet& set, const std::string& word, int dict = 1,
                                       int shorthand = 1, int mode = MATCH_PREFIX) {
    std::vector<std::string> keys;
    LibraryEntry e;
    for (int ok = set.FindFirst(word.c_str(), e, mode, dict, shorthand); ok; ok = set.FindNext(e))
        keys.emplace_back(e.keyBytes());
    return keys;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Berkeley DB's own structural check of a closed file (db_verify).
inline bool Verifies(const std::string& path) {
    DB* db = nullptr;
    if (db_create(&db, nullptr, 0) != 0) return false;
    db->set_errcall(db, [](const DB_ENV*, const char*, const char*) {});
    return db->verify(db, path.c_str(), nullptr, nullptr, 0) == 0;
}

// Captures file descriptors 1 and 2 of the process into files while alive.
class OutputCapture {
  public:
    explicit OutputCapture(const TempDir& dir)
        : out_(dir / "stdout.txt"), err_(dir / "stderr.txt") {
        std::fflush(stdout);
        std::fflush(stderr);
        savedOut_ = Redirect(1, out_);
        savedErr_ = Redirect(2, err_);
    }
    ~OutputCapture() { Finish(); }
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // Restores the descriptors; answers everything written meanwhile.
    std::string Finish() {
        if (savedOut_ >= 0) {
            std::fflush(stdout);
            std::fflush(stderr);
            Restore(1, savedOut_);
            Restore(2, savedErr_);
            savedOut_ = savedErr_ = -1;
        }
        return ReadBytes(out_) + ReadBytes(err_);
    }

  private:
#ifdef _WIN32
    static int Redirect(int fd, const std::string& path) {
        int saved = _dup(fd);
        int to = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0644);
        _dup2(to, fd);
        _close(to);
        return saved;
    }
    static void Restore(int fd, int saved) {
        _dup2(saved, fd);
        _close(saved);
    }
#else
    static int Redirect(int fd, const std::string& path) {
        int saved = dup(fd);
        int to = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(to, fd);
        close(to);
        return saved;
    }
    static void Restore(int fd, int saved) {
        dup2(saved, fd);
        close(saved);
    }
#endif
    std::string out_, err_;
    int savedOut_ = -1, savedErr_ = -1;
};

}  // namespace wl::test

namespace wl::test {

// A folder listing that answers the names it was given, in that order, so
// that load order is exact in every build.
class ListedDirectory : public Directory {
  public:
    std::vector<std::string> names;
    std::string lastPattern;
    bool fail = false;
    bool List(const std::string& pattern, std::vector<DirEntry>& entries) override {
        lastPattern = pattern;
        entries.clear();
        if (fail) return false;
        for (const auto& n : names) entries.push_back({n, false});
        return true;
    }
};

// n bytes of noise, the same on every run.
inline std::string Junk(std::size_t n) {
    std::string junk(n, '\0');
    unsigned state = 12345;
    for (char& c : junk) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
    return junk;
}

// The page size a Berkeley DB file's first page gives.
inline std::size_t PageSize(const std::string& bytes) {
    std::uint32_t size = 0;
    if (bytes.size() >= 24) std::memcpy(&size, bytes.data() + 20, 4);
    return size;
}

// Files named *.lib that are no libraries, made next to a good library with
// enough entries to fill several pages: their names.  The good one stays.
inline std::vector<std::string> MakeBrokenFiles(const TempDir& dir, const std::string& good) {
    std::string bytes = ReadBytes(good);
    const std::size_t page = PageSize(bytes);
    std::vector<std::string> names;
    auto add = [&](const std::string& name, const std::string& content) {
        WriteBytes(dir / name, content);
        names.push_back(name);
    };
    add("text.lib", "This is not a library.\r\n<key>hello\r\n<data>\r\n");
    add("zero.lib", "");
    add("random.lib", Junk(64 * 1024));
    add("truncated.lib", bytes.substr(0, bytes.size() / 2));
    add("stub.lib", bytes.substr(0, 100));
    std::string header = bytes;
    header.replace(0, 512, Junk(512));
    add("header.lib", header);
    // Every page after the first four overwritten: the info may still read,
    // the entries cannot.
    std::string damaged = bytes;
    if (damaged.size() > 4 * page)
        damaged.replace(4 * page, damaged.size() - 4 * page, Junk(damaged.size() - 4 * page));
    add("damaged.lib", damaged);
    // A page that claims to belong to a hash database.
    std::string foreign = bytes;
    foreign[3 * page + 25] = 13;
    add("foreign.lib", foreign);
    std::filesystem::create_directory(dir / "folder.lib");
    names.push_back("folder.lib");
    return names;
}

}  // namespace wl::test
