#include "platform/Directory.h"

namespace wl {

std::string FolderOf(const std::string& path) {
    size_t pos = path.find_last_of("\\/");
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

// Wildcard match with "*" and "?", letter case ignored for ASCII as Windows'
// file search does.
bool WildcardMatch(const char* pattern, const char* name) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || (*pattern && lower(*pattern) == lower(*name))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    // "x.*" also matches a name without any dot, as on Windows ("*.*" lists
    // everything).
    if (pattern[0] == '.' && pattern[1] == '*' && !pattern[2]) return true;
    return *pattern == 0;
}

}  // namespace wl
