// A library file's info records ("DBINFO") read and written past the store,
// as another program (a newer version of this one) would: the records this
// program does not write itself, such as an encoding it does not know.
#pragma once

#include <db.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace wl::test {

// The stored value of the info record name (its key with the NUL); false
// when the file has none.
inline bool ReadInfoRecord(const std::string& path, const char* name, std::string& value) {
    DB* db = nullptr;
    if (db_create(&db, nullptr, 0) != 0) return false;
    bool found = false;
    if (db->open(db, nullptr, path.c_str(), "DBINFO", DB_BTREE, DB_RDONLY, 0) == 0) {
        DBT k{}, v{};
        k.data = const_cast<char*>(name);
        k.size = static_cast<u_int32_t>(std::strlen(name) + 1);
        v.flags = DB_DBT_MALLOC;
        if (db->get(db, nullptr, &k, &v, 0) == 0) {
            value.assign(static_cast<const char*>(v.data), v.size);
            std::free(v.data);
            found = true;
        }
    }
    db->close(db, 0);
    return found;
}

// Stores the info record name with value as it is given.
inline bool WriteInfoRecord(const std::string& path, const char* name, const std::string& value) {
    DB* db = nullptr;
    if (db_create(&db, nullptr, 0) != 0) return false;
    bool ok = false;
    if (db->open(db, nullptr, path.c_str(), "DBINFO", DB_BTREE, 0, 0) == 0) {
        DBT k{}, v{};
        k.data = const_cast<char*>(name);
        k.size = static_cast<u_int32_t>(std::strlen(name) + 1);
        v.data = const_cast<char*>(value.data());
        v.size = static_cast<u_int32_t>(value.size());
        ok = db->put(db, nullptr, &k, &v, 0) == 0;
    }
    return db->close(db, 0) == 0 && ok;
}

}  // namespace wl::test
