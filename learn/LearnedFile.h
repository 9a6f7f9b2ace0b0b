// The file of what was learned.  Its text: the line "Wordlark learned 2", a
// line per word ("W", key, form, count, last use, uses, follows) and per
// pair ("P", the two keys, count, last use), fields between tabs, the words
// in UTF-8, and a last line "END" with the number of lines before it and
// their checksum.  A file of the first version ("Wordlark learned 1") is
// the same with its words in the system's code page; it is read as such,
// and written again in the new form.  Saved,
// it is written beside itself and renamed into place only when whole, so
// that the old file stays until the new one is complete.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace wl {

class Learner;
class UserFiles;

// The file's text for what learner keeps.
std::string LearnedText(const Learner& learner);

// Reads a file's text into learner, which it empties first.  A word or pair
// that the learning rules (Learner::Learnable) refuse now is dropped, line
// by line, and counted; a wrong checksum, header or line leaves learner
// empty and answers whole false.
struct LearnedTextRead {
    bool whole = false;
    std::size_t dropped = 0;
    bool older = false;  // a file of the first version
};
LearnedTextRead ReadLearnedText(std::string_view text, Learner& learner);

class LearnedFile {
  public:
    // Larger than a file at the learner's bounds can be; a larger one is
    // taken for damaged.
    static constexpr std::size_t kMaxBytes = std::size_t{64} << 20;

    // path: the file, UTF-8, in files.
    LearnedFile(UserFiles& files, std::string path);
    const std::string& path() const { return path_; }

    // Writes the file (through path + ".new"); false, leaving the old file
    // as it was, when it cannot.
    bool Save(const Learner& learner) const;

    enum class Result {
        Loaded,
        Missing,
        // Damaged, cut short, of a newer version or unreadable: renamed to
        // path + ".damaged" (".damaged-2" and on when taken), kept rather
        // than deleted, and learning starts afresh.
        SetAside,
        // Neither readable nor renamed: learning starts afresh, and the file
        // is not to be written over.
        Unreadable,
    };
    struct Loaded {
        Result result = Result::Missing;
        std::size_t dropped = 0;  // lines the learning rules refuse now
        bool older = false;       // of the first version: to be written again
    };
    Loaded Load(Learner& learner) const;

    // Every file of the learned words in the folder: the file, one half
    // written (".new"), and those set aside (".damaged", ".damaged-N"); full
    // paths in name order.
    std::vector<std::string> Copies() const;
    // Removes them all; answers those still there.
    std::vector<std::string> RemoveAll() const;

  private:
    std::string SetAsideName() const;

    UserFiles& files_;
    std::string path_;
};

}  // namespace wl
