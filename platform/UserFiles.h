// The files of the user's own data (what was learned), named by UTF-8 paths
// so that a folder whose name the system's code page cannot hold (a profile
// folder in Cyrillic on a Western system, say) works like any other.  On
// Windows every call goes through the wide-character file functions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace wl {

class UserFiles {
  public:
    virtual ~UserFiles() = default;
    virtual bool Exists(const std::string& path) = 0;
    // The whole file into bytes; false when it cannot be read or is larger
    // than maxBytes.
    virtual bool Read(const std::string& path, std::string& bytes, std::size_t maxBytes) = 0;
    // Writes bytes to the file beside, then renames it over path.  On any
    // failure beside is removed again and path left as it was.
    virtual bool WriteReplacing(const std::string& path, const std::string& beside,
                                std::string_view bytes) = 0;
    // Renames from to the name to, which is not taken.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    // Removes the file; true when it is gone (also when there was none).
    virtual bool Remove(const std::string& path) = 0;
    // The names of the files (not folders) in folder, which may end with a
    // separator ("" is the current folder); false when it cannot be listed.
    virtual bool ListNames(const std::string& folder, std::vector<std::string>& names) = 0;
};

// The system's files: wide-character calls on Windows, std::filesystem
// natively.
UserFiles& SystemUserFiles();

}  // namespace wl
