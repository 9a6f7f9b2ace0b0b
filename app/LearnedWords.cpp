#include "app/LearnedWords.h"

#include <algorithm>

namespace wl {

LearnedWords::LearnedWords(const CodePage& chars, std::string path, UserFiles& files)
    : learner_(chars), file_(files, std::move(path)) {
    if (file_.path().empty()) return;
    const LearnedFile::Loaded loaded = file_.Load(learner_);
    leaveFile_ = loaded.result == LearnedFile::Result::Unreadable;
    // What the rules refuse now leaves the disk too, not only the memory.
    if (loaded.dropped > 0) dirty_ = !file_.Save(learner_);
}

void LearnedWords::Finished(std::string_view word, std::string_view prev, std::int64_t now) {
    if (!learner_.Learnable(word)) return;
    learner_.Use(word, prev, now);
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
