// The few ways the program's file handling differs between the systems.
#pragma once

#include <cstdio>
#include <string>

namespace wl {

// The separator the system's paths use between a folder and a name: '\' on
// Windows, '/' natively.
char PathSeparator();

// Opens a file for reading in binary mode, denying other processes read
// access while it is open where the system can (Windows); nullptr on failure.
std::FILE* OpenDenyingReaders(const char* path);

// Renames the file from to the path to, replacing a file there in one step;
// false (nothing changed) when the system refuses, as Windows does while the
// file at to is open.  Paths in the code page, as the libraries' paths.
bool MoveFileOver(const std::string& from, const std::string& to);

// Makes a stream write its bytes as they are (no CR before each LF on
// Windows).
void SetBinaryMode(std::FILE* stream);

// The name at the end of a path: the text after its last backslash or
// slash, on either system; the whole path when it has neither.
inline std::string FileNameOf(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace wl
