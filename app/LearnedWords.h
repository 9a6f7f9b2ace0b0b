// What the main program learns from the user's typing, kept for the list and
// for the Options dialog: the words the hook library reports are counted as
// they come, and written to the user's file in batches (at most every 30
// seconds while something changed) and when the program ends, so that typing
// never waits for the disk.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "learn/LearnedFile.h"
#include "learn/Learner.h"
#include "platform/UserFiles.h"

namespace wl {

class LearnedWords {
  public:
    static constexpr std::int64_t kSaveEverySeconds = 30;

    // path: the file, UTF-8 ("" keeps everything in memory only).  A damaged
    // file is set aside and learning starts afresh, silently; words and
    // pairs the learning rules refuse now are dropped from it, and the file
    // written again at once without them.  A file that can be neither read
    // nor set aside is left alone: nothing is written over it.
    LearnedWords(const CodePage& chars, std::string path, UserFiles& files = SystemUserFiles());

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
    // Removes everything learned, in memory and on disk: the file, one left
    // half written and the copies set aside as damaged.  Answers the files
    // that could not be removed (full paths, UTF-8); empty when all went.
    std::vector<std::string> Forget();
    // Called first thing by every Forget: the place for whoever still holds
    // words not yet taken in (the main window, for the hook library's) to
    // drop them, so that nothing forgotten comes back.
    void OnForget(std::function<void()> dropPending) { dropPending_ = std::move(dropPending); }
    // Removes words, by key (Learner::Key), with every pair that holds one,
    // and writes the file at once; false when the write failed (it is tried
    // again with the next one).
    bool Remove(const std::vector<std::string>& keys, std::int64_t now);
    std::size_t WordCount() const { return learner_.WordCount(); }
    const std::string& path() const { return file_.path(); }

  private:
    Learner learner_;
    LearnedFile file_;
    std::function<void()> dropPending_;
    bool dirty_ = false;
    bool leaveFile_ = false;  // the file could not be read: not written over
    std::int64_t lastSave_ = 0;
};

}  // namespace wl
