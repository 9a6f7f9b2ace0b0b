// Helpers of the store tests beyond tests/support: Berkeley DB's own check and
// raw records of a file, files that are no libraries, and a capture of what
// the process writes to its standard output and error.
#pragma once

#include <db.h>
#include <fcntl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "platform/MemoryRegistry.h"
#include "tests/support/Libraries.h"

namespace wl::test {

// Berkeley DB's own structural check of a closed file (db_verify).
inline bool Verifies(const std::string& path) {
    DB* db = nullptr;
    if (db_create(&db, nullptr, 0) != 0) return false;
    db->set_errcall(db, [](const DB_ENV*, const char*, const char*) {});
    return db->verify(db, path.c_str(), nullptr, nullptr, 0) == 0;
}

// A named database of a file opened as another process would: a handle of
// its own, outside this process's shared cache; nullptr when it cannot be.
inline DB* RawOpen(const std::string& path, const char* database, std::uint32_t flags) {
    DB* db = nullptr;
    if (db_create(&db, nullptr, 0) != 0) return nullptr;
    db->set_errcall(db, [](const DB_ENV*, const char*, const char*) {});
    if (db->open(db, nullptr, path.c_str(), database, DB_BTREE, flags, 0664) == 0) return db;
    db->close(db, 0);
    return nullptr;
}

// Every record of the database as stored; none when the file does not hold it.
inline std::map<std::string, std::string> RawRecords(const std::string& path,
                                                     const char* database) {
    std::map<std::string, std::string> out;
    DB* db = RawOpen(path, database, DB_RDONLY);
    DBC* c = nullptr;
    if (!db || db->cursor(db, nullptr, &c, 0) != 0) return out;
    DBT k{}, v{};
    while (c->get(c, &k, &v, DB_NEXT) == 0)
        out[std::string(static_cast<char*>(k.data), k.size)] =
            std::string(static_cast<char*>(v.data), v.size);
    c->close(c);
    db->close(db, 0);
    return out;
}

// Stores the record as it is given, making the database when it is missing.
inline bool RawPut(const std::string& path, const char* database, const std::string& key,
                   const std::string& value) {
    DB* db = RawOpen(path, database, DB_CREATE);
    if (!db) return false;
    DBT k{}, v{};
    k.data = const_cast<char*>(key.data());
    k.size = static_cast<u_int32_t>(key.size());
    v.data = const_cast<char*>(value.data());
    v.size = static_cast<u_int32_t>(value.size());
    const bool ok = db->put(db, nullptr, &k, &v, 0) == 0;
    return db->close(db, 0) == 0 && ok;
}

using Weights = std::map<std::string, std::uint32_t>;

// A library opened at the path; a failure is reported and leaves it closed.
struct Opened : Library {
    explicit Opened(const std::string& path, const CodePage& page = SystemCodePage())
        : Library(page) {
        EXPECT_EQ(Open(path.c_str()), 1) << path;
    }
};

// A set of the libraries made in a folder, listed in the order they are
// made; it and the libraries read Windows-1252 (the Windows build's own code
// page is the system's).
class SetTest : public ::testing::Test {
  protected:
    TempDir dir;
    MemoryRegistry registry;
    ListedDirectory listing;
    LibrarySet set{registry, listing, CodePage1252()};

    void Make(const std::string& name, const Pairs& entries, const LibraryInfo& info = {},
              const Weights& weights = {}) {
        Opened lib(dir / name, CodePage1252());
        lib.SetType(info.type);
        lib.SetEncoding(info.encoding);
        ASSERT_EQ(lib.WriteInfo(), 1);
        for (const auto& [key, text] : entries) ASSERT_EQ(lib.Put(Entry(key, text)), 1) << key;
        for (const auto& [key, weight] : weights) ASSERT_EQ(lib.SetWeight(Entry(key), weight), 1);
        listing.names.push_back(name);
    }
    int Load(int all = 0) { return set.Load((dir / "*.lib").c_str(), all); }
};

// Entries of these keys, without texts.
inline Pairs NoTexts(const Keys& keys) {
    Pairs out;
    for (const auto& k : keys) out.emplace_back(k, "");
    return out;
}

// Entries prefix0 ... prefix<n-1>, each with the text.
inline Pairs ManyEntries(const std::string& prefix, int n, const std::string& text) {
    Pairs out;
    for (int i = 0; i < n; ++i) {
        std::string key = prefix;
        key += std::to_string(i);
        out.emplace_back(key, text);
    }
    return out;
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
    static constexpr int kBinary = O_BINARY;
#else
    static constexpr int kBinary = 0;
#endif
    static int Redirect(int fd, const std::string& path) {
        int saved = dup(fd);
        int to = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | kBinary, 0644);
        dup2(to, fd);
        close(to);
        return saved;
    }
    static void Restore(int fd, int saved) {
        dup2(saved, fd);
        close(saved);
    }
    std::string out_, err_;
    int savedOut_ = -1, savedErr_ = -1;
};

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
