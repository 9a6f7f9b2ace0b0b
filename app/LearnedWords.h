// What the main program learns from the user's typing, kept for the list and
// for the Options dialog: the words the hook library reports are counted as
// they come, and written to the user's file in batches (at most every 30
// seconds while something changed) and when the program ends, so that typing
// never waits for the disk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "learn/Learner.h"

namespace wl {

class LearnedWords {
  public:
    static constexpr std::int64_t kSaveEverySeconds = 30;

    // path: the file ("" keeps everything in memory only).  A damaged file
    // is set aside by Learner::Load and learning starts afresh, silently.
    LearnedWords(const CodePage& chars, std::string path);

    Learner& learner() { return learner_; }
    const Learner& learner() const { return learner_; }

    // One finished word (and the word before it, or empty).
    void Finished(std::string_view word, std::string_view prev, std::int64_t now);
    // Writes the file when something changed and the last write is long
    // enough ago; true when it wrote.
    bool SaveIfDue(std::int64_t now);
    // Writes now when something changed (at exit); false when the write
    // failed (what was learned stays in memory and is tried again).
    bool SaveNow(std::int64_t now);
    // Removes everything learned, in memory and in the file.
    bool Forget();
    std::size_t WordCount() const { return learner_.WordCount(); }
    const std::string& path() const { return path_; }

  private:
    Learner learner_;
    std::string path_;
    bool dirty_ = false;
    std::int64_t lastSave_ = 0;
};

}  // namespace wl
