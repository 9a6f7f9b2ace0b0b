#include "app/LearnedWords.h"

#include <filesystem>
#include <system_error>

namespace wl {

LearnedWords::LearnedWords(const CodePage& chars, std::string path, FieldProbe* probe)
    : learner_(chars), path_(std::move(path)), probe_(probe) {
    if (!path_.empty()) learner_.Load(path_);
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
    if (!dirty_ || path_.empty()) return true;
    lastSave_ = now;
    if (!learner_.Save(path_)) return false;
    dirty_ = false;
    return true;
}

bool LearnedWords::Forget() {
    learner_.Forget();
    dirty_ = false;
    if (path_.empty()) return true;
    std::error_code ec;
    std::filesystem::remove(path_, ec);
    return !std::filesystem::exists(path_, ec);
}

}  // namespace wl
