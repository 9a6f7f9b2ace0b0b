// Where the running program lies: the folder that holds its libraries (Libs),
// its help file, and the path that starts it with Windows.
#pragma once

#include <string>

namespace wl {

// The running program's full path; "" when it cannot be obtained or does not
// fit in MAX_PATH bytes.
std::string ProgramPath();
// The folder of the running program, without a trailing backslash; "" when
// ProgramPath() is "" or holds no backslash.
std::string ProgramFolder();

}  // namespace wl
