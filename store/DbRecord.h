// Berkeley DB records over bytes the caller keeps, and the names of a
// library's information records.  (Inside the store only.)
#pragma once

#include <db.h>

#include <cstddef>
#include <string_view>

namespace wl::bdb {

// A key or value that points at the caller's bytes (Berkeley DB only reads
// them for a key or a value written).
inline DBT Bytes(const void* data, std::size_t size) {
    DBT dbt{};
    dbt.data = const_cast<void*>(data);
    dbt.size = static_cast<u_int32_t>(size);
    return dbt;
}

inline std::string_view View(const DBT& dbt) {
    return {static_cast<const char*>(dbt.data), dbt.size};
}

// The information database's records; their keys hold the terminating NUL.
inline constexpr char kInfoType[] = "DBTYPE";
inline constexpr char kInfoEdit[] = "DBEDIT";
inline constexpr char kInfoScrambled[] = "DBEncrypt";
inline constexpr char kInfoCaption[] = "DBCAPTION";
inline constexpr char kInfoDescription[] = "DBDESCRIPTION";
inline constexpr char kInfoEncoding[] = "DBENCODING";

template <std::size_t N>
DBT InfoKey(const char (&name)[N]) {
    return Bytes(name, N);
}

}  // namespace wl::bdb
