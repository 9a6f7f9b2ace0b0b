// The words the user finishes, passed from the keyboard hook (in whichever
// application is typed in) to the main program through a ring in the shared
// record.  The hook never waits: each word takes the next slot, overwriting
// the oldest.  The reader takes every slot that is whole, comes back to one
// still being written, and drops what was overwritten, written under an
// older epoch or mixed by two writers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hook/SharedHookState.h"

namespace wl {

// Reports a word (and the word before it, or empty), both UTF-8, with its flags
// (kFinished*), while learning is on; answers its ticket, or -1 when it was
// not reported.  Words longer than a slot holds are not reported, and a prev
// that does not fit is left out.
std::int64_t ReportFinishedWord(SharedHookState& state, std::string_view word,
                                std::string_view prev, std::uint8_t flags = 0);

// Nothing reported so far is taken in any more (learning switched off,
// Wordlark switched off, everything forgotten).
void DropFinishedWords(SharedHookState& state);

struct FinishedWord {
    std::uint32_t ticket = 0;
    std::uint8_t flags = 0;
    std::string word;
    std::string prev;
};

// The main program's side of the ring.
class FinishedWordReader {
  public:
    // Starts after what the ring holds now.
    explicit FinishedWordReader(const SharedHookState& state);

    // The next whole word of the current epoch; false when there is none
    // yet.  A slot still being written is looked at again by later calls
    // until it is whole or written over.
    bool Next(const SharedHookState& state, FinishedWord& out);
    // Words that were lost: overwritten before they were read, or found
    // mixed.
    std::uint32_t lost() const { return lost_; }

  private:
    enum class Slot { Whole, Unfinished, Gone };
    Slot Read(const SharedHookState& state, std::uint32_t ticket, FinishedWord& out);

    std::uint32_t next_;
    std::vector<std::uint32_t> unfinished_;  // tickets whose writer had not finished
    std::uint32_t lost_ = 0;
};

}  // namespace wl
