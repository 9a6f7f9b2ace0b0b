// Where the running program lies, and where its user's own data goes: the folder that holds its
// libraries (Libs), its help file, and the path that starts it with Windows.
#pragma once

#include <string>

namespace wl {

// The running program's full path; "" when it cannot be obtained or does not
// fit in MAX_PATH bytes.
std::string ProgramPath();
// The folder of the running program, without a trailing backslash; "" when
// ProgramPath() is "" or holds no backslash.
std::string ProgramFolder();
// The user's own folder for what Wordlark keeps of theirs (what it learned):
// "Wordlark" in the user's local application data folder, made when
// missing; "" when there is none.  Unlike the paths above it is UTF-8, for
// UserFiles (platform/UserFiles.h): a user's folder may have letters that
// the system's code page cannot hold.
std::string UserDataFolder();

}  // namespace wl
