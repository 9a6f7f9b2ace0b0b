// What the main program learns from the user's typing, kept for the list and
// for the Options dialog: the words the hook library reports are taken in
// once a second and counted once it is known that their field hides no
// password, and written to the user's file in batches (at most every 30
// seconds while something changed) and when the program ends, so that typing
// never waits for the disk.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "learn/LearnedFile.h"
#include "learn/Learner.h"
#include "platform/UserFiles.h"

namespace wl {

// A word the hook library reported finished, with its ticket in the ring.
struct ReportedWord {
    std::uint32_t ticket = 0;
    bool sentenceStart = false;  // it began a sentence
    std::string word;
    std::string prev;  // the word before it, across a single space; or empty
};

// The hook library's ring of reported words, read in order.
class ReportedWords {
  public:
    virtual ~ReportedWords() = default;
    virtual bool NextReported(ReportedWord& word) = 0;
};

// Whether the field a word was typed in hides its text, as the system's
// accessibility tells where the Win32 password style does not (browsers,
// WPF, Qt).  Asked when the hook library reports the word, off the thread
// that answers lookups; the answer comes back through
// LearnedWords::FieldAnswered.
class FieldProbe {
  public:
    enum class Answer {
        Text,        // an ordinary field
        Password,    // it hides what is typed
        NoProvider,  // nothing answers for it: the Win32 style alone decides
        Slow,        // it answers too slowly to be asked: nothing is learned from it
    };
    virtual ~FieldProbe() = default;
    virtual void Ask(std::uint32_t ticket) = 0;
};

class LearnedWords {
  public:
    static constexpr std::int64_t kSaveEverySeconds = 30;
    // How long a reported word waits for the answer about its field.
    static constexpr std::int64_t kAnswerWaitSeconds = 2;

    // path: the file, UTF-8 ("" keeps everything in memory only).  A damaged
    // file is set aside and learning starts afresh, silently; words and
    // pairs the learning rules refuse now are dropped from it, and the file
    // written again at once without them.  A file that can be neither read
    // nor set aside is left alone: nothing is written over it.
    // probe: asked about the field of every reported word; none: the hook
    // library's own check of the field is all there is.
    LearnedWords(const CodePage& chars, std::string path, UserFiles& files = SystemUserFiles(),
                 FieldProbe* probe = nullptr);

    Learner& learner() { return learner_; }
    const Learner& learner() const { return learner_; }

    // The hook library told of a reported word: its field is asked about
    // now, while it still has the focus.
    void WordReported(std::uint32_t ticket);
    void FieldAnswered(std::uint32_t ticket, FieldProbe::Answer answer);
    // The once-a-second take-in: the reported words come in, are learned
    // once their field is known to be no password field, and the file is
    // written when due.
    void Tick(ReportedWords& reported, std::int64_t now);
    // The last take-in (at exit, or before learning stops): words still
    // waiting for their answer are dropped; the file is written now.
    bool Flush(ReportedWords& reported, std::int64_t now);
    // Words reported and not learned yet are dropped (Wordlark or learning
    // switched off, everything forgotten).
    void DropWaiting();

    // One finished word (and the word before it, or empty).
    void Finished(std::string_view word, std::string_view prev, std::int64_t now,
                  bool sentenceStart = false);
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
    struct Waiting {
        ReportedWord word;
        std::int64_t since;
    };
    void TakeIn(ReportedWords& reported, std::int64_t now, bool last);
    static constexpr std::size_t kAnswersKept = 256;

    Learner learner_;
    LearnedFile file_;
    FieldProbe* probe_;
    std::function<void()> dropPending_;
    bool dirty_ = false;
    bool leaveFile_ = false;  // the file could not be read: not written over
    std::int64_t lastSave_ = 0;
    std::deque<Waiting> waiting_;
    std::map<std::uint32_t, FieldProbe::Answer> answers_;  // by ticket
};

}  // namespace wl
