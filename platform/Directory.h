// Listing a folder's entries that match a wildcard pattern such as
// "C:\Libs\*.lib" (FindFirstFile and friends on Windows).
#pragma once

#include <string>
#include <vector>

namespace wl {

struct DirEntry {
    std::string name;  // the entry's name, without its folder
    bool isDirectory = false;
};

class Directory {
  public:
    virtual ~Directory() = default;
    // Fills entries with the matches of pattern, "." and ".." included when the
    // pattern matches them.  False when the folder cannot be listed.  Natively
    // the entries come in name order, as NTFS returns them.
    virtual bool List(const std::string& pattern, std::vector<DirEntry>& entries) = 0;
};

Directory& SystemDirectory();

// The folder part of a pattern or path: everything up to and including its
// last separator ("\" or, natively, "/"); empty when there is none.
std::string FolderOf(const std::string& path);

}  // namespace wl

namespace wl {
// Windows' wildcard matching of a name: "*", "?", ASCII letter case ignored,
// and a trailing ".*" also matching names without a dot.
bool WildcardMatch(const char* pattern, const char* name);
}  // namespace wl
