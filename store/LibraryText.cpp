// Library text files and word lists: ExportText, ImportText, ImportWordList.
//
// Lines.  The import reads bytes and splits lines itself: CR LF, a lone LF
// and a lone CR each end a line (files from any system read the same), and
// no byte is special otherwise (no end-of-file character).  A line is taken
// up to its first NUL byte, as the C string it stands for; the rest of that
// line is dropped.  A line longer than kMaxLine bytes keeps its first
// kMaxLine bytes.
//
// Weights.  An entry whose key carries a weight is exported with a third
// line, "<weight>" and the weight in decimal digits, after its text line.
// An importer that knows only the four markers ignores that line (it holds
// none of them).  The import takes a line that holds none of the four
// markers but holds "<weight>" followed by nothing but digits as the weight
// of the pending pair, stored with it; any other "<weight>" line is ignored.
// A pair without a weight line leaves the weight of its key as it was.
//
// Word lists.  A word longer than the 1,023 bytes of the word buffer is
// dropped whole (not stored, not counted): a cut-off piece of it would be no
// word either.
#include <array>
#include <cstdio>
#include <string>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "store/Library.h"

namespace wl {
namespace {

constexpr char kKeyMarker[] = "<key>";
constexpr char kDataMarker[] = "<data>";
constexpr char kShortkeyMarker[] = "<shortkey>";
constexpr char kReplacementMarker[] = "<replacement text>";
constexpr char kWeightMarker[] = "<weight>";

constexpr std::size_t kMaxLine = 16u << 20;
constexpr std::size_t kReadChunk = 64u << 10;
constexpr std::size_t kWriteChunk = 1u << 20;
constexpr std::size_t kWordListChunk = 10240;
constexpr std::size_t kWordBuffer = 1024;  // 1,023 word bytes and the NUL

// Opens a file to import, denying other processes read access while it is
// open where the system can.
std::FILE* OpenForImport(const char* path) {
    return OpenDenyingReaders(path);
}

class FileCloser {
  public:
    explicit FileCloser(std::FILE* f) : f_(f) {}
    ~FileCloser() {
        if (f_) std::fclose(f_);
    }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;
    // Closes now; false when the close (the last write) failed.
    bool Close() {
        std::FILE* f = f_;
        f_ = nullptr;
        return f && std::fclose(f) == 0;
    }

  private:
    std::FILE* f_;
};

// Splits a file into lines (see the top of this file).
class LineReader {
  public:
    explicit LineReader(std::FILE* f) : f_(f), buffer_(kReadChunk, '\0') {}

    bool Next(std::string& line) {
        line.clear();
        bool cut = false;  // a NUL was met: drop the rest of the line
        for (;;) {
            if (pos_ == end_ && !Fill()) {
                bool pending = inLine_;  // a last line without a line end
                inLine_ = false;
                return pending;
            }
            char c = buffer_[pos_++];
            if (skipLf_) {
                skipLf_ = false;
                if (c == '\n') continue;
            }
            if (c == '\r' || c == '\n') {
                skipLf_ = c == '\r';
                inLine_ = false;
                return true;
            }
            inLine_ = true;
            if (c == '\0') cut = true;
            if (!cut && line.size() < kMaxLine) line.push_back(c);
        }
    }

  private:
    bool Fill() {
        if (eof_) return false;
        end_ = std::fread(buffer_.data(), 1, buffer_.size(), f_);
        pos_ = 0;
        if (end_ == 0) eof_ = true;
        return end_ != 0;
    }
    std::FILE* f_;
    std::string buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
    bool skipLf_ = false;
    bool inLine_ = false;  // bytes of an unfinished line were read
};

template <std::size_t N>
bool TakeAfter(const std::string& line, const char (&marker)[N], std::string& out) {
    std::size_t at = line.find(marker, 0, N - 1);
    if (at == std::string::npos) return false;
    out.assign(line, at + N - 1);
    return true;
}

// Sets "<count> items have been <done>!".
void Report(ImportProgress* progress, int count, const char* done) {
    if (!progress) return;
    std::string text = std::to_string(count) + " items have been " + done + "!";
    progress->SetText(text.c_str());
}

}  // namespace

int Library::ExportText(const char* path, ImportProgress* progress) {
    if (!path || !*path || !open_) return 0;
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return 0;
    FileCloser closer(f);
    const char* keyMarker;
    const char* textMarker;
    if (type_ == Dictionary) {
        keyMarker = kKeyMarker;
        textMarker = kDataMarker;
    } else if (type_ == Shorthand) {
        keyMarker = kShortkeyMarker;
        textMarker = kReplacementMarker;
    } else {
        return 0;  // the file stays empty
    }
    // The lines are gathered and written a megabyte at a time.
    std::string out;
    bool ok = true;
    auto flush = [&] {
        ok = std::fwrite(out.data(), 1, out.size(), f) == out.size() && ok;
        out.clear();
    };
    const bool weighted = Weights(false) != nullptr;
    auto write = [&](const LibraryEntry& e) {
        out.append(keyMarker).append(e.key(), e.keyLength()).append("\r\n");
        out.append(textMarker).append(e.text(), e.textLength()).append("\r\n");
        std::uint32_t weight = 0;
        if (weighted && GetWeight(e, weight))
            out.append(kWeightMarker).append(std::to_string(weight)).append("\r\n");
        if (out.size() >= kWriteChunk) flush();
    };
    LibraryEntry entry;
    if (!Search("", entry, MATCH_PREFIX)) return 0;  // an empty library: an empty file
    write(entry);
    int count = 1;
    while (Next(entry)) {
        write(entry);
        ++count;
        Report(progress, count, "exported");
        if (progress && progress->Cancelled()) break;
    }
    flush();
    // A file that could not be written whole reports no entries.
    ok = closer.Close() && ok;
    return ok ? count : 0;
}

int Library::ImportText(const char* path, ImportProgress* progress, int* notStored) {
    if (!path || !*path || !open_) return 0;
    std::FILE* f = OpenForImport(path);
    if (!f) return 0;
    FileCloser closer(f);
    LineReader reader(f);
    std::string line, key, text;
    int count = 0;
    bool weighted = false;
    std::uint32_t weight = 0;
    // Stores the pending pair, with its weight when one came; a put that
    // fails is not counted as stored.
    auto store = [&] {
        if (PutBytes(key.data(), static_cast<std::uint32_t>(key.size()), text.data(),
                     static_cast<std::uint32_t>(text.size()))) {
            ++count;
            if (weighted)
                PutWeightBytes(StoredForm(key.data(), static_cast<std::uint32_t>(key.size())),
                               weight);
        } else if (notStored) {
            ++*notStored;
        }
        key.clear();
        text.clear();
        weighted = false;
    };
    std::string rest;
    while (reader.Next(line)) {
        if (TakeAfter(line, kKeyMarker, rest)) {
            if (!key.empty()) store();
            key.swap(rest);
        } else if (TakeAfter(line, kDataMarker, rest)) {
            text.swap(rest);
        } else if (TakeAfter(line, kShortkeyMarker, rest)) {
            if (!key.empty()) {
                store();
                Report(progress, count, "imported");
            }
            key.swap(rest);
        } else if (TakeAfter(line, kReplacementMarker, rest)) {
            text.swap(rest);
        } else if (TakeAfter(line, kWeightMarker, rest)) {
            std::uint32_t w = 0;
            if (ParseWeight(rest.data(), rest.size(), w)) {
                weighted = true;
                weight = w;
            }
        }
        if (progress && progress->Cancelled()) return count;  // the pending pair is dropped
    }
    if (!key.empty()) store();
    return count;
}

int Library::ImportWordList(const char* path, ImportProgress* progress, int* notStored) {
    if (!path || !*path || !open_) return 0;
    std::FILE* f = OpenForImport(path);
    if (!f) return 0;
    FileCloser closer(f);

    // Word bytes: letters and digits of the code page, "_" and "-".
    std::array<bool, 256> isWordByte{};
    const CodePage& page = codePage_;
    for (int c = 1; c < 256; ++c) {
        auto b = static_cast<unsigned char>(c);
        isWordByte[b] = page.IsAlpha(b) || page.IsAlphaNumeric(b) || b == '_' || b == '-';
    }

    char word[kWordBuffer] = {};
    std::size_t length = 0;
    bool overlong = false;
    int count = 0;
    auto finishWord = [&] {
        if (length > 0 && !overlong) {
            if (PutBytes(word, static_cast<std::uint32_t>(length), "", 0))
                ++count;
            else if (notStored)
                ++*notStored;
        }
        length = 0;
        overlong = false;
        word[0] = '\0';
    };

    std::string chunk(kWordListChunk, '\0');
    for (;;) {
        std::size_t n = std::fread(chunk.data(), 1, chunk.size(), f);
        if (n == 0) break;
        for (std::size_t i = 0; i < n; ++i) {
            auto b = static_cast<unsigned char>(chunk[i]);
            if (isWordByte[b]) {
                if (length < kWordBuffer - 1)
                    word[length++] = static_cast<char>(b);
                else
                    overlong = true;
            } else if (length > 0) {
                finishWord();
            }
            if (progress && progress->Cancelled()) return count;
        }
    }
    finishWord();
    return count;
}

}  // namespace wl
