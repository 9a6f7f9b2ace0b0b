#include "store/Database.h"
#include "store/DatabaseTesting.h"

#include <db.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>
#include <vector>

namespace wl::bdb {
namespace {

namespace fs = std::filesystem;

constexpr u_int32_t kCacheBytes = 32u << 20;
// The cache of a handle that reads a database from end to end once.
constexpr u_int32_t kScanCacheBytes = 256u << 10;
constexpr int kFileMode = 0664;
// Where a Berkeley DB file keeps its id: the uid field of the metadata page
// that starts the file (after lsn, pgno, magic, version, pagesize, four
// one-byte fields and six 32-bit fields).
constexpr long kUidOffset = 52;

using FileId = std::array<unsigned char, DB_FILE_ID_LEN>;

// One file the shared cache has seen, under the id it had there.
struct FileRecord {
    std::string path;  // how it was reached when it was first opened
    int open = 0;      // handles open on it now
    // Size and time of last change when its last handle closed: a file that
    // still matches them holds what the cache holds.
    bool stamped = false;
    std::uintmax_t size = 0;
    fs::file_time_type written{};
};

// The environment lives while handles are open in it: the cache and what it
// knows of files go with the last handle.
struct State {
    DB_ENV* env = nullptr;
    bool failed = false;  // it could not be made: no further attempts
    bool disabled = false;
    std::map<FileId, FileRecord> files;
    std::map<DB*, FileId> handles;  // handles made in the environment
    // Every open handle's file as last seen: its id (the one the handle has),
    // size and time of last change.
    struct Seen {
        FileId id{};
        std::uintmax_t size = 0;
        fs::file_time_type written{};
    };
    std::map<DB*, Seen> seen;
    // Files that passed Berkeley DB's verification, with the size and time
    // of last change they had then; kept for the life of the process.
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> verified;

    void CloseEnvironment() {
        if (env && handles.empty()) {
            env->close(env, 0);
            env = nullptr;
            files.clear();
        }
    }
};

// Never destroyed: libraries may still be closed while the process ends.
State& S() {
    static State* state = new State;
    return *state;
}

void DiscardError(const DB_ENV*, const char*, const char*) {}
void DiscardMessage(const DB_ENV*, const char*) {}

// A handle outside the environment prints nothing either.
void Silence(DB* db) {
    db->set_errcall(db, DiscardError);
    db->set_errfile(db, nullptr);
    db->set_msgcall(db, DiscardMessage);
    db->set_msgfile(db, nullptr);
}

DB_ENV* Environment() {
    State& s = S();
    if (s.disabled || s.failed) return nullptr;
    if (s.env) return s.env;
    s.failed = true;  // until it is made
    DB_ENV* env = nullptr;
    if (db_env_create(&env, 0) != 0) return nullptr;
    env->set_errcall(env, DiscardError);
    env->set_errfile(env, nullptr);
    env->set_msgcall(env, DiscardMessage);
    env->set_msgfile(env, nullptr);
    // A damaged page reports an error on its own file and does not stop the
    // environment for every other one.
    env->set_flags(env, DB_NOPANIC, 1);
    if (env->set_cachesize(env, 0, kCacheBytes, 1) != 0 ||
        env->open(env, nullptr, DB_CREATE | DB_INIT_MPOOL | DB_PRIVATE, 0) != 0) {
        env->close(env, 0);
        return nullptr;
    }
    s.env = env;
    s.failed = false;
    return env;
}

std::uint32_t Swap32(std::uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

// Whether an existing file looks like a Berkeley DB B-tree file: a first
// page that describes the whole file, and on every page a type that a B-tree
// file holds (free, internal, leaf, overflow, metadata).  An empty file would
// be turned into a new library; a truncated one is not worth verifying; and
// the verification itself stumbles over pages that claim to belong to a hash
// or heap database.
bool LooksLikeADatabase(const std::string& path) {
    std::error_code ec;
    std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size < 512) return false;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::vector<unsigned char> chunk(64u << 10);
    std::size_t got = std::fread(chunk.data(), 1, chunk.size(), f);
    auto field = [&](int offset) {
        return std::uint32_t{chunk[offset]} | std::uint32_t{chunk[offset + 1]} << 8 |
               std::uint32_t{chunk[offset + 2]} << 16 | std::uint32_t{chunk[offset + 3]} << 24;
    };
    bool ok = got >= 72;
    std::uint32_t pageSize = 0;
    if (ok) {
        std::uint32_t magic = field(12), lastPage = field(32);
        pageSize = field(20);
        if (magic != DB_BTREEMAGIC && Swap32(magic) == DB_BTREEMAGIC) {
            pageSize = Swap32(pageSize);
            lastPage = Swap32(lastPage);
        } else if (magic != DB_BTREEMAGIC) {
            ok = false;
        }
        ok = ok && pageSize >= 512 && pageSize <= 65536 && (pageSize & (pageSize - 1)) == 0 &&
             size % pageSize == 0 && (std::uintmax_t{lastPage} + 1) * pageSize <= size;
    }
    // Page types (Berkeley DB's page header keeps them at byte 25), read a
    // chunk of whole pages at a time.
    constexpr int kTypeOffset = 25;
    enum : unsigned char { kFree = 0, kInternal = 3, kLeaf = 5, kOverflow = 7, kMeta = 9 };
    ok = ok && chunk[kTypeOffset] == kMeta;
    for (; ok && got > 0; got = std::fread(chunk.data(), 1, chunk.size(), f)) {
        if (got % pageSize) ok = false;
        for (std::size_t at = 0; ok && at < got; at += pageSize) {
            unsigned char type = chunk[at + kTypeOffset];
            ok = type == kFree || type == kInternal || type == kLeaf || type == kOverflow ||
                 type == kMeta;
        }
    }
    std::fclose(f);
    return ok;
}

// Berkeley DB trusts the pages it reads: a damaged page can crash it or send
// it round in circles.  Its verification is made for damaged files, so every
// existing file is verified before it is opened, unless it passed with its
// present size and time already.
bool Verified(const std::string& path) {
    std::error_code ec1, ec2;
    auto size = fs::file_size(path, ec1);
    auto written = fs::last_write_time(path, ec2);
    if (ec1 || ec2) return false;
    auto& verified = S().verified;
    auto it = verified.find(path);
    if (it != verified.end() && it->second == std::make_pair(size, written)) return true;
    DB* db = nullptr;
    if (db_create(&db, nullptr, 0) != 0) return false;
    Silence(db);
    if (db->verify(db, path.c_str(), nullptr, nullptr, 0) != 0) return false;  // db is gone
    verified[path] = {size, written};
    return true;
}

// Whether the file at path may be handed to Berkeley DB.
bool Trustworthy(const std::string& path) {
    std::error_code ec;
    auto status = fs::status(path, ec);
    if (ec || !fs::is_regular_file(status)) return true;  // created or refused by Berkeley DB
    return LooksLikeADatabase(path) && Verified(path);
}

bool ReadFileId(const std::string& path, FileId& id) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bool ok = std::fseek(f, kUidOffset, SEEK_SET) == 0 &&
              std::fread(id.data(), 1, id.size(), f) == id.size();
    std::fclose(f);
    return ok;
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    std::error_code ec;
    bool same = fs::equivalent(a, b, ec);
    return !ec && same;
}

void Stamp(FileRecord& rec) {
    std::error_code ec1, ec2;
    rec.size = fs::file_size(rec.path, ec1);
    rec.written = fs::last_write_time(rec.path, ec2);
    rec.stamped = !ec1 && !ec2;
}

bool Unchanged(const FileRecord& rec, const std::string& path) {
    if (!rec.stamped) return false;
    std::error_code ec1, ec2;
    auto size = fs::file_size(path, ec1);
    auto written = fs::last_write_time(path, ec2);
    return !ec1 && !ec2 && size == rec.size && written == rec.written;
}

// Whether the file at path, which carries the id of rec, must not share the
// cache pages kept under that id.
bool NeedsFreshId(const FileRecord& rec, const std::string& path) {
    if (!SameFile(rec.path, path)) return true;  // a copy
    if (rec.open > 0) return false;              // the same, open file
    return !Unchanged(rec, path);                // changed while closed
}

DB* OpenHandle(DB_ENV* env, const std::string& path, const char* name, bool create) {
    DB* db = nullptr;
    if (db_create(&db, env, 0) != 0) return nullptr;
    if (!env) Silence(db);
    if (db->open(db, nullptr, path.c_str(), name, DB_BTREE, create ? DB_CREATE : 0, kFileMode) !=
        0) {
        db->close(db, 0);
        return nullptr;
    }
    return db;
}

// Notes the file of a handle just opened, as StillTheFile compares it.
DB* Watch(DB* db, const std::string& path) {
    if (!db) return nullptr;
    State::Seen seen;
    DB_MPOOLFILE* mpf = db->get_mpf(db);
    std::error_code ec1, ec2;
    seen.size = fs::file_size(path, ec1);
    seen.written = fs::last_write_time(path, ec2);
    if (mpf && mpf->get_fileid(mpf, seen.id.data()) == 0 && !ec1 && !ec2) S().seen[db] = seen;
    return db;
}

}  // namespace

bool StillTheFile(__db* db, const std::string& path, bool readId) {
    State& s = S();
    auto it = s.seen.find(db);
    if (it == s.seen.end()) return true;
    State::Seen& last = it->second;
    std::error_code ec1, ec2;
    const std::uintmax_t size = fs::file_size(path, ec1);
    const fs::file_time_type written = fs::last_write_time(path, ec2);
    if (ec1 || ec2 || size < last.size) return false;  // gone, unreadable, or shrunk
    if (!readId && size == last.size && written == last.written) return true;
    FileId id{};
    if (!ReadFileId(path, id) || id != last.id) return false;
    // Grown or written through a handle of this process: still the file.
    last.size = size;
    last.written = written;
    return true;
}

__db* OpenDatabase(const std::string& path, const char* name, bool create) {
    if (path.empty()) return nullptr;
    DB_ENV* env = Environment();
    if (!env)
        return Trustworthy(path) ? Watch(OpenHandle(nullptr, path, name, create), path) : nullptr;

    State& s = S();
    FileId id;
    bool known = ReadFileId(path, id);
    auto it = known ? s.files.find(id) : s.files.end();
    // A file open here is what the cache holds (its first page on disk may
    // run ahead of pages still in the cache); any other is checked.
    bool openHere = it != s.files.end() && it->second.open > 0 && SameFile(it->second.path, path);
    DB* db = nullptr;
    if (!openHere && !Trustworthy(path)) {
        // refused
    } else if (it != s.files.end() && NeedsFreshId(it->second, path) &&
               env->fileid_reset(env, path.c_str(), 0) != 0) {
        // It cannot get an id of its own (read-only, say): keep it out of
        // the shared cache.
        db = OpenHandle(nullptr, path, name, create);
        s.CloseEnvironment();
        return Watch(db, path);
    } else {
        db = OpenHandle(env, path, name, create);
    }
    if (!db) {
        s.CloseEnvironment();  // when no other handle keeps it
        return nullptr;
    }
    FileId actual{};
    DB_MPOOLFILE* mpf = db->get_mpf(db);
    if (mpf) mpf->get_fileid(mpf, actual.data());
    FileRecord& rec = s.files[actual];
    if (rec.open == 0) rec.path = path;
    ++rec.open;
    s.handles[db] = actual;
    return Watch(db, path);
}

__db* OpenForScan(const std::string& path, const char* name, __db* flush) {
    if (path.empty() || (flush && flush->sync(flush, 0) != 0) || !Trustworthy(path)) return nullptr;
    DB* db = nullptr;
    if (db_create(&db, nullptr, 0) != 0) return nullptr;
    Silence(db);
    // Never mapped into memory, as Berkeley DB maps a small file opened
    // read-only: what it reads stays within the cache, and the file stays
    // open to other writers (Windows refuses to cut a mapped file; Linux
    // would end the process on reading a mapped page cut off).
    if (db->set_cachesize(db, 0, kScanCacheBytes, 1) != 0 ||
        db->open(db, nullptr, path.c_str(), name, DB_BTREE, DB_RDONLY | DB_NOMMAP, 0) != 0) {
        db->close(db, 0);
        return nullptr;
    }
    return db;
}

int CloseDatabase(__db* db) {
    if (!db) return 0;
    State& s = S();
    s.seen.erase(db);
    auto it = s.handles.find(db);
    int result = db->close(db, 0);
    if (it == s.handles.end()) return result;
    auto rec = s.files.find(it->second);
    s.handles.erase(it);
    if (rec != s.files.end() && --rec->second.open == 0) Stamp(rec->second);
    s.CloseEnvironment();
    return result;
}

bool UsingEnvironment() {
    bool using_ = Environment() != nullptr;
    S().CloseEnvironment();
    return using_;
}

void DisableEnvironmentForTest(bool disabled) {
    S().disabled = disabled;
}

}  // namespace wl::bdb
