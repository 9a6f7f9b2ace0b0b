#include "learn/LearnedFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <type_traits>

#include "learn/LearnedFileTesting.h"
#include "learn/Learner.h"
#include "platform/CodePage.h"
#include "platform/Directory.h"
#include "platform/UserFiles.h"

namespace wl {

namespace {

constexpr char kHeader[] = "Wordlark learned 2";
// The first version held its words in the system's code page.
constexpr char kHeaderCodePage[] = "Wordlark learned 1";
constexpr char kFresh[] = ".new";
constexpr char kDamaged[] = ".damaged";

// FNV-1a, 64 bits: enough to tell a damaged file from a whole one.
std::uint64_t Checksum(std::string_view bytes) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == '\t') {
            out.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    return out;
}

// The whole text is the number, in the given base (16 only for integers).
template <typename T>
bool ParseNumber(std::string_view text, T& value, int base = 10) {
    const char* end = text.data() + text.size();
    std::from_chars_result r;
    if constexpr (std::is_floating_point_v<T>) {
        (void)base;
        r = std::from_chars(text.data(), end, value);
    } else {
        r = std::from_chars(text.data(), end, value, base);
    }
    return !text.empty() && r.ec == std::errc() && r.ptr == end;
}

// A count as the file keeps it: a finite number, not below zero.
bool ParseCount(std::string_view text, double& value) {
    return ParseNumber(text, value) && std::isfinite(value) && value >= 0;
}

// The lines before the last one, when the last line is "END" with their
// number and their checksum; false when it is not so.
bool CheckedBody(std::string_view text, std::string_view& body, std::size_t& lines) {
    if (text.size() < 2 || text.back() != '\n') return false;
    const std::size_t endLine = text.rfind('\n', text.size() - 2);
    if (endLine == std::string_view::npos) return false;
    body = text.substr(0, endLine + 1);
    const auto end = Fields(text.substr(endLine + 1, text.size() - endLine - 2));
    std::uint64_t sum = 0;
    return end.size() == 3 && end[0] == "END" && ParseNumber(end[1], lines) &&
           ParseNumber(end[2], sum, 16) && sum == Checksum(body);
}

enum class Line { Kept, Dropped, Damaged };

// The words of a file's lines in the learner's code page: the file's own
// bytes in a file of the first version, converted from UTF-8 otherwise.
struct WordReader {
    const CodePage& chars;
    bool utf8;
    std::string scratch[3];
    // False for a word the code page cannot hold (or that is no UTF-8).
    bool Word(std::string_view field, int slot, std::string_view& word) {
        if (!utf8) {
            word = field;
            return true;
        }
        if (!chars.FromUtf8(field, scratch[slot])) return false;
        word = scratch[slot];
        return true;
    }
};

// "W", key, form, count, last use, uses, follows.
Line ReadWord(const std::vector<std::string_view>& f, WordReader& words, Learner& learner) {
    Learner::WordUse use;
    if (!ParseCount(f[3], use.count) || !ParseNumber(f[4], use.last) ||
        !ParseNumber(f[5], use.uses) || !ParseCount(f[6], use.follows))
        return Line::Damaged;
    std::string_view key, form;
    if (!words.Word(f[1], 0, key) || !words.Word(f[2], 1, form)) return Line::Dropped;
    use.form = std::string(form);
    return learner.Restore(key, use) ? Line::Kept : Line::Dropped;
}

// "P", the key before, the key, count, last use.
Line ReadPair(const std::vector<std::string_view>& f, WordReader& words, Learner& learner) {
    Learner::PairUse use;
    if (!ParseCount(f[3], use.count) || !ParseNumber(f[4], use.last)) return Line::Damaged;
    std::string_view prev, key;
    if (!words.Word(f[1], 0, prev) || !words.Word(f[2], 1, key)) return Line::Dropped;
    return learner.Restore(prev, key, use) ? Line::Kept : Line::Dropped;
}

Line ReadLine(std::string_view line, WordReader& words, Learner& learner) {
    const auto f = Fields(line);
    if (f.size() == 7 && f[0] == "W") return ReadWord(f, words, learner);
    if (f.size() == 5 && f[0] == "P") return ReadPair(f, words, learner);
    return Line::Damaged;
}

std::string Number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

}  // namespace

std::string LearnedText(const Learner& learner) {
    std::string text = std::string(kHeader) + '\n';
    std::size_t lines = 1;
    const CodePage& chars = learner.Chars();
    std::string key8, form8;
    // A word the code page does not define cannot have been learned; were
    // one there, it is left out rather than written as bytes of another
    // encoding.
    for (const auto& [key, use] : learner.Words()) {
        if (!chars.ToUtf8(key, key8) || !chars.ToUtf8(use.form, form8)) continue;
        text += "W\t" + key8 + '\t' + form8 + '\t' + Number(use.count) + '\t' +
                std::to_string(use.last) + '\t' + std::to_string(use.uses) + '\t' +
                Number(use.follows) + '\n';
        ++lines;
    }
    // A pair's key is the two words' keys with a tab between them.
    for (const auto& [key, use] : learner.Pairs()) {
        if (!chars.ToUtf8(key, key8)) continue;
        text += "P\t" + key8 + '\t' + Number(use.count) + '\t' + std::to_string(use.last) + '\n';
        ++lines;
    }
    return SealLearnedLines(std::move(text), lines);
}

std::string SealLearnedLines(std::string lines, std::size_t count) {
    char end[64];
    std::snprintf(end, sizeof end, "END\t%zu\t%016llx\n", count,
                  static_cast<unsigned long long>(Checksum(lines)));
    return lines + end;
}

LearnedTextRead ReadLearnedText(std::string_view text, Learner& learner) {
    learner.Forget();
    LearnedTextRead read;
    std::string_view body;
    std::size_t lines = 0, seen = 0;
    if (!CheckedBody(text, body, lines)) return read;
    WordReader words{learner.Chars(), true, {}};
    for (std::size_t start = 0; start < body.size(); ++seen) {
        const std::size_t nl = body.find('\n', start);
        const std::string_view line = body.substr(start, nl - start);
        start = nl + 1;
        if (seen == 0) {
            // A newer version's header is neither of these.
            read.older = line == kHeaderCodePage;
            if (line != kHeader && !read.older) return read;
            words.utf8 = !read.older;
            continue;
        }
        const Line got = ReadLine(line, words, learner);
        if (got == Line::Damaged) {
            learner.Forget();
            read.dropped = 0;
            return read;
        }
        if (got == Line::Dropped) ++read.dropped;
    }
    if (seen == 0 || seen != lines) {
        learner.Forget();
        read.dropped = 0;
        return read;
    }
    learner.Trim();
    read.whole = true;
    return read;
}

LearnedFile::LearnedFile(UserFiles& files, std::string path)
    : files_(files), path_(std::move(path)) {}

bool LearnedFile::Save(const Learner& learner) const {
    return files_.WriteReplacing(path_, path_ + kFresh, LearnedText(learner));
}

LearnedFile::Loaded LearnedFile::Load(Learner& learner) const {
    learner.Forget();
    if (!files_.Exists(path_)) return {Result::Missing, 0};
    std::string text;
    if (files_.Read(path_, text, kMaxBytes)) {
        const LearnedTextRead read = ReadLearnedText(text, learner);
        if (read.whole) return {Result::Loaded, read.dropped, read.older};
    }
    // Damaged, cut short, written by a newer version (whose header this one
    // does not know) or unreadable: kept aside, not deleted.
    learner.Forget();
    return {files_.Rename(path_, SetAsideName()) ? Result::SetAside : Result::Unreadable, 0};
}

std::string LearnedFile::SetAsideName() const {
    std::string name = path_ + kDamaged;
    for (int n = 2; files_.Exists(name) && n < 1000; ++n)
        name = path_ + kDamaged + '-' + std::to_string(n);
    return name;
}

std::vector<std::string> LearnedFile::Copies() const {
    if (path_.empty()) return {};
    const std::string folder = FolderOf(path_);
    const std::string name = path_.substr(folder.size());
    std::vector<std::string> names, copies;
    if (!files_.ListNames(folder, names)) return copies;
    const std::string damaged = name + kDamaged;
    for (const std::string& n : names) {
        bool numbered = n.size() > damaged.size() + 1 &&
                        n.compare(0, damaged.size(), damaged) == 0 && n[damaged.size()] == '-';
        for (std::size_t i = damaged.size() + 1; numbered && i < n.size(); ++i)
            numbered = n[i] >= '0' && n[i] <= '9';
        if (n == name || n == name + kFresh || n == damaged || numbered)
            copies.push_back(folder + n);
    }
    std::sort(copies.begin(), copies.end());
    return copies;
}

std::vector<std::string> LearnedFile::RemoveAll() const {
    std::vector<std::string> left;
    for (const std::string& copy : Copies())
        if (!files_.Remove(copy)) left.push_back(copy);
    return left;
}

}  // namespace wl
