#include "app/LearnedWords.h"

#include <filesystem>
#include <system_error>

namespace wl {

LearnedWords::LearnedWords(const CodePage& chars, std::string path)
    : learner_(chars), path_(std::move(path)) {
    if (!path_.empty()) learner_.Load(path_);
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
