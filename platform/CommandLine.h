// A command-line program's arguments and output beyond the code page (wlib).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace wl {

// The program's arguments after its name.  On Windows they are UTF-8, read
// from the wide command line (GetCommandLineW, CommandLineToArgvW), so that
// any character arrives; natively they are the bytes given (UTF-8 where the
// terminal is).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// A path from ProgramArguments as the store opens it: on Windows converted
// to the system's code page (false when the code page cannot hold it);
// natively the bytes as they are.
bool ArgumentPath(const std::string& argument, std::string& path);

// Writes UTF-8 text to stream: on Windows, when the stream is a console,
// through WriteConsoleW so that any character shows (the stream is flushed
// first); otherwise (a file, a pipe, natively) its bytes.  False when the
// write failed.
bool WriteUtf8(std::FILE* stream, std::string_view text);

}  // namespace wl
