// The words the user finishes, passed from the keyboard hook (in whichever
// application is typed in) to the main program through a ring in the shared
// record.  The hook never waits: each word takes the next slot, overwriting
// the oldest; the reader skips a slot that was overwritten or is still being
// written when it reads it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "hook/SharedHookState.h"

namespace wl {

// Reports a word (and the word before it, or empty).  Words longer than a
// slot holds are not reported, and a prev that does not fit is left out.
void ReportFinishedWord(SharedHookState& state, std::string_view word, std::string_view prev);

class CodePage;

// The word before the word being looked up, when a single space stands
// between them at the end of the typed line (as "of" in "of th"); empty
// otherwise.
std::string WordBeforeInput(const SharedHookState& state, const CodePage& chars);

// The main program's side: the next word reported since ticket, which it
// advances.  False when there is none yet.
bool NextFinishedWord(const SharedHookState& state, std::uint32_t& ticket, std::string& word,
                      std::string& prev);

}  // namespace wl
