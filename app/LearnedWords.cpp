#include "app/LearnedWords.h"

#include <algorithm>

namespace wl {

LearnedWords::LearnedWords(const CodePage& chars, std::string path, UserFiles& files,
                           FieldProbe* probe)
    : learner_(chars), file_(files, std::move(path)), probe_(probe) {
    if (file_.path().empty()) return;
    const LearnedFile::Loaded loaded = file_.Load(learner_);
    leaveFile_ = loaded.result == LearnedFile::Result::Unreadable;
    // What the rules refuse now leaves the disk too, not only the memory.
    if (loaded.dropped > 0 || loaded.older) dirty_ = !file_.Save(learner_);
}

void LearnedWords::WordReported(std::uint32_t ticket) {
    if (probe_) probe_->Ask(ticket);
}

void LearnedWords::FieldAnswered(std::uint32_t ticket, FieldProbe::Answer answer) {
    // An answer for a word no longer waiting (dropped, or never taken in)
    // is kept only as long as a word could still come for it.
    if (answers_.size() >= kAnswersKept) answers_.erase(answers_.begin());
    answers_[ticket] = answer;
}

void LearnedWords::Tick(ReportedWords& reported, std::int64_t now) {
    TakeIn(reported, now, false);
    SaveIfDue(now);
}

bool LearnedWords::Flush(ReportedWords& reported, std::int64_t now) {
    TakeIn(reported, now, true);
    return SaveNow(now);
}

void LearnedWords::DropWaiting() {
    waiting_.clear();
    answers_.clear();
}

void LearnedWords::TakeIn(ReportedWords& reported, std::int64_t now, bool last) {
    ReportedWord word;
    while (reported.NextReported(word)) {
        if (!probe_) {
            Finished(word.word, word.prev, now, word.sentenceStart);
            continue;
        }
        waiting_.push_back({std::move(word), now});
    }
    for (auto it = waiting_.begin(); it != waiting_.end();) {
        const auto answer = answers_.find(it->word.ticket);
        if (answer == answers_.end()) {
            // Not answered in time: nothing from that field is learned.
            if (last || now - it->since >= kAnswerWaitSeconds) {
                it = waiting_.erase(it);
            } else {
                ++it;
            }
            continue;
        }
        const bool learn = answer->second == FieldProbe::Answer::Text ||
                           answer->second == FieldProbe::Answer::NoProvider;
        if (learn) Finished(it->word.word, it->word.prev, now, it->word.sentenceStart);
        answers_.erase(answer);
        it = waiting_.erase(it);
    }
}

void LearnedWords::Finished(std::string_view word, std::string_view prev, std::int64_t now,
                            bool sentenceStart) {
    if (!learner_.Learnable(word)) return;
    learner_.Use(word, prev, now, sentenceStart);
    dirty_ = true;
}

bool LearnedWords::SaveIfDue(std::int64_t now) {
    if (!dirty_ || now - lastSave_ < kSaveEverySeconds) return false;
    return SaveNow(now);
}

bool LearnedWords::SaveNow(std::int64_t now) {
    if (!dirty_ || file_.path().empty() || leaveFile_) return true;
    lastSave_ = now;
    if (!file_.Save(learner_)) return false;
    dirty_ = false;
    return true;
}

std::vector<std::string> LearnedWords::Forget() {
    if (dropPending_) dropPending_();
    DropWaiting();
    learner_.Forget();
    dirty_ = false;
    if (file_.path().empty()) return {};
    std::vector<std::string> left = file_.RemoveAll();
    leaveFile_ = leaveFile_ && std::find(left.begin(), left.end(), file_.path()) != left.end();
    return left;
}

bool LearnedWords::Remove(const std::vector<std::string>& keys, std::int64_t now) {
    learner_.Remove(keys);
    dirty_ = true;
    return SaveNow(now);
}

}  // namespace wl
