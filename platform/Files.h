// The few ways the program's file handling differs between the systems.
#pragma once

#include <cstdio>

namespace wl {

// The separator the system's paths use between a folder and a name: '\' on
// Windows, '/' natively.
char PathSeparator();

// Opens a file for reading in binary mode, denying other processes read
// access while it is open where the system can (Windows); nullptr on failure.
std::FILE* OpenDenyingReaders(const char* path);

// Makes a stream write its bytes as they are (no CR before each LF on
// Windows).
void SetBinaryMode(std::FILE* stream);

}  // namespace wl
