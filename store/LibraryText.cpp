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
//
// Unicode libraries.  The export of a UTF-8 library begins with the UTF-8
// byte-order mark (also when it holds no entry); an entry whose key or text
// is not valid UTF-8 is not written (counted as skipped).  An import into
// a UTF-8 library reads the file by its mark: UTF-8 after EF BB BF, UTF-16
// after FF FE (little-endian) or FE FF (big-endian); a file without a mark
// is UTF-8 when the whole of it is valid UTF-8, else text in the code page,
// converted with CodePage::ToUtf8.  What the encoding does not define (a
// malformed sequence, an unpaired surrogate, a byte the code page lacks, the
// odd last byte of UTF-16) makes its line bad: a pair with a bad key or text
// line is not stored and counts as not stored.  Words of a word list are
// letters, digits and marks of any script, "_" and "-" (the punctuation,
// spaces and symbols of the blocks below separate them); in the code page
// the code page's letters and digits as for a code-page library, each word
// converted; a word with a bad character, or longer than 1,023 bytes of
// UTF-8, is not stored (counted as not stored when bad).  An import into a
// code-page library reads the bytes as they are, mark and all.
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <string_view>

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

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

// How the bytes of a file to import stand for text: as they are (a
// code-page library), or the text of a UTF-8 library.
enum class Source { Bytes, Utf8, Utf16Le, Utf16Be, CodePage };

// Whether the rest of the file is valid UTF-8 (read to its end).
bool RestIsUtf8(std::FILE* f) {
    std::string chunk(kReadChunk, '\0'), pending;
    for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), f)) > 0;) {
        pending.append(chunk, 0, n);
        std::size_t at = 0;
        char32_t c;
        while (at < pending.size()) {
            const std::size_t from = at;
            if (NextUtf8(pending, at, c)) continue;
            // A sequence the chunk cut off is judged with the next one.
            const auto lead = static_cast<unsigned char>(pending[from]);
            if (pending.size() - from >= 4 || lead < 0xC2 || lead > 0xF4) return false;
            break;
        }
        pending.erase(0, at);
    }
    return pending.empty() && !std::ferror(f);
}

// Chooses the source of a file to import into a library of the given
// encoding and leaves the file at its first byte of text.
Source Detect(std::FILE* f, std::int32_t encoding) {
    if (encoding != EncodingUtf8) return Source::Bytes;
    unsigned char mark[3] = {};
    const std::size_t n = std::fread(mark, 1, sizeof mark, f);
    Source source;
    long skip = 0;
    if (n == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF) {
        source = Source::Utf8;
        skip = 3;
    } else if (n >= 2 && mark[0] == 0xFF && mark[1] == 0xFE) {
        source = Source::Utf16Le;
        skip = 2;
    } else if (n >= 2 && mark[0] == 0xFE && mark[1] == 0xFF) {
        source = Source::Utf16Be;
        skip = 2;
    } else {
        std::rewind(f);
        source = RestIsUtf8(f) ? Source::Utf8 : Source::CodePage;
    }
    std::clearerr(f);
    std::fseek(f, skip, SEEK_SET);
    return source;
}

// A byte that UTF-8 never holds: what a source decoded to UTF-8 puts where
// its encoding does not define a character, so that its line is bad.
constexpr char kBadByte = '\xFF';

// The file's text in chunks: its bytes as they are, or UTF-16 decoded to
// UTF-8.
class TextSource {
  public:
    TextSource(std::FILE* f, Source source) : f_(f), source_(source) {}

    // Up to size bytes into out; 0 at the end of the file.
    std::size_t Read(char* out, std::size_t size) {
        if (source_ != Source::Utf16Le && source_ != Source::Utf16Be)
            return std::fread(out, 1, size, f_);
        if (at_ == decoded_.size() && !Decode()) return 0;
        const std::size_t n = std::min(size, decoded_.size() - at_);
        decoded_.copy(out, n, at_);
        at_ += n;
        return n;
    }

  private:
    // Decodes the next chunk of UTF-16; false at the end of the file.
    bool Decode() {
        decoded_.clear();
        at_ = 0;
        while (decoded_.empty()) {
            std::string raw = std::move(carry_);
            const std::size_t had = raw.size();
            raw.resize(had + kReadChunk);
            const std::size_t n = std::fread(raw.data() + had, 1, kReadChunk, f_);
            raw.resize(had + n);
            const bool end = n == 0;
            if (end && raw.empty()) return false;
            std::size_t i = 0;
            auto unit = [&](std::size_t k) {
                const auto a = static_cast<unsigned char>(raw[k]);
                const auto b = static_cast<unsigned char>(raw[k + 1]);
                return static_cast<char32_t>(source_ == Source::Utf16Le ? (b << 8 | a)
                                                                        : (a << 8 | b));
            };
            for (; i + 1 < raw.size(); i += 2) {
                char32_t c = unit(i);
                if (c >= 0xD800 && c <= 0xDBFF) {
                    if (i + 3 >= raw.size() && !end) break;  // its pair comes with the next chunk
                    const char32_t low = i + 3 < raw.size() ? unit(i + 2) : 0;
                    if (low >= 0xDC00 && low <= 0xDFFF) {
                        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                        i += 2;
                    }
                }
                if (c >= 0xD800 && c <= 0xDFFF)
                    decoded_ += kBadByte;
                else
                    AppendUtf8(c, decoded_);
            }
            if (end) {
                if (i < raw.size()) decoded_ += kBadByte;  // an odd last byte
                if (decoded_.empty()) return false;
            } else {
                carry_.assign(raw, i);
            }
        }
        return true;
    }

    std::FILE* f_;
    Source source_;
    std::string decoded_;
    std::size_t at_ = 0;
    std::string carry_;  // bytes of a unit or a surrogate pair cut off by the chunk
};

// A line of a UTF-8 library's import as UTF-8; false when its source does
// not define it as text.
bool LineText(std::string& line, Source source, const CodePage& page, std::string& scratch) {
    if (source != Source::CodePage) return IsUtf8(line);
    if (!page.ToUtf8(line, scratch)) return false;
    line.swap(scratch);
    return true;
}

// Whether a character beyond ASCII is part of a word: letters, digits and
// marks of every script are; the punctuation, spaces and symbols of these
// blocks separate words.
bool IsWordCharacter(char32_t c) {
    struct Range {
        char32_t first, last;
    };
    static constexpr Range kSeparators[] = {
        {0x0080, 0x00A9},   {0x00AB, 0x00B4}, {0x00B6, 0x00B9}, {0x00BB, 0x00BF},  // Latin-1
        {0x00D7, 0x00D7},   {0x00F7, 0x00F7}, {0x037E, 0x037E}, {0x0387, 0x0387},  // Greek
        {0x055A, 0x055F},   {0x0589, 0x058A}, {0x05BE, 0x05BE}, {0x05C0, 0x05C0},  // Hebrew
        {0x05C3, 0x05C3},   {0x05C6, 0x05C6}, {0x05F3, 0x05F4}, {0x060C, 0x060D},  // Arabic
        {0x061B, 0x061F},   {0x066A, 0x066D}, {0x06D4, 0x06D4}, {0x0964, 0x0965},
        {0x0E4F, 0x0E4F},   {0x0E5A, 0x0E5B}, {0x2000, 0x2BFF},  // punctuation, symbols
        {0x2E00, 0x2E7F},   {0x3000, 0x3004}, {0x3008, 0x3020},  // CJK punctuation
        {0x3030, 0x3030},   {0x303D, 0x303F}, {0xFD3E, 0xFD3F}, {0xFE00, 0xFE19},
        {0xFE30, 0xFE6F},   {0xFEFF, 0xFEFF}, {0xFF01, 0xFF0F}, {0xFF1A, 0xFF20},  // full width
        {0xFF3B, 0xFF3E},   {0xFF40, 0xFF40}, {0xFF5B, 0xFF65}, {0xFFF0, 0xFFFF},
        {0x1F000, 0x1FAFF},  // emoji and pictographs
        {0xE0000, 0xE01EF},  // tags and variation selectors
    };
    for (const Range& r : kSeparators)
        if (c >= r.first && c <= r.last) return false;
    return true;
}

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
    explicit LineReader(TextSource& source) : source_(source), buffer_(kReadChunk, '\0') {}

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
        end_ = source_.Read(buffer_.data(), buffer_.size());
        pos_ = 0;
        if (end_ == 0) eof_ = true;
        return end_ != 0;
    }
    TextSource& source_;
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

int Library::ExportText(const char* path, ImportProgress* progress, int* skipped) {
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
    const bool utf8 = encoding_ == EncodingUtf8;
    std::string out = utf8 ? kUtf8Mark : "";
    bool ok = true;
    auto flush = [&] {
        ok = std::fwrite(out.data(), 1, out.size(), f) == out.size() && ok;
        out.clear();
    };
    const bool weighted = Weights(false) != nullptr;
    int count = 0;
    auto write = [&](const LibraryEntry& e) {
        if (utf8 && (!IsUtf8(e.keyBytes()) || !IsUtf8(e.textBytes()))) {
            if (skipped) ++*skipped;
            return;
        }
        ++count;
        out.append(keyMarker).append(e.key(), e.keyLength()).append("\r\n");
        out.append(textMarker).append(e.text(), e.textLength()).append("\r\n");
        std::uint32_t weight = 0;
        if (weighted && GetWeight(e, weight))
            out.append(kWeightMarker).append(std::to_string(weight)).append("\r\n");
        if (out.size() >= kWriteChunk) flush();
    };
    LibraryEntry entry;
    if (Search("", entry, MATCH_PREFIX)) {  // an empty library: an empty file (or the mark)
        write(entry);
        while (Next(entry)) {
            write(entry);
            Report(progress, count, "exported");
            if (progress && progress->Cancelled()) break;
        }
    }
    flush();
    // The walk passes over records that are not UTF-8; they count as skipped.
    if (utf8 && skipped) *skipped += SkippedInvalid();
    // A file that could not be written whole reports no entries.
    ok = closer.Close() && ok;
    return ok ? count : 0;
}

int Library::ImportText(const char* path, ImportProgress* progress, int* notStored) {
    if (!path || !*path || !open_) return 0;
    std::FILE* f = OpenForImport(path);
    if (!f) return 0;
    FileCloser closer(f);
    const Source source = Detect(f, encoding_);
    TextSource textSource(f, source);
    LineReader reader(textSource);
    std::string line, key, text, scratch;
    int count = 0;
    bool weighted = false;
    std::uint32_t weight = 0;
    // Whether the pending key and text are text of the library's encoding.
    bool keyOk = true, textOk = true;
    // Stores the pending pair, with its weight when one came; a put that
    // fails is not counted as stored.
    auto store = [&] {
        if (keyOk && textOk &&
            PutBytes(key.data(), static_cast<std::uint32_t>(key.size()), text.data(),
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
        keyOk = textOk = true;
    };
    std::string rest;
    while (reader.Next(line)) {
        const bool lineOk = source == Source::Bytes || LineText(line, source, codePage_, scratch);
        if (TakeAfter(line, kKeyMarker, rest)) {
            if (!key.empty()) store();
            key.swap(rest);
            keyOk = lineOk;
        } else if (TakeAfter(line, kDataMarker, rest)) {
            text.swap(rest);
            textOk = lineOk;
        } else if (TakeAfter(line, kShortkeyMarker, rest)) {
            if (!key.empty()) {
                store();
                Report(progress, count, "imported");
            }
            key.swap(rest);
            keyOk = lineOk;
        } else if (TakeAfter(line, kReplacementMarker, rest)) {
            text.swap(rest);
            textOk = lineOk;
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
    const Source source = Detect(f, encoding_);
    TextSource textSource(f, source);
    // UTF-8 (from UTF-8 or UTF-16) is read by characters; anything else by
    // the code page's bytes.
    const bool decode =
        source == Source::Utf8 || source == Source::Utf16Le || source == Source::Utf16Be;

    // Word bytes: letters and digits of the code page, "_" and "-" (of
    // ASCII alone where characters are read).
    std::array<bool, 256> isWordByte{};
    const CodePage& page = codePage_;
    for (int c = 1; c < (decode ? 0x80 : 256); ++c) {
        auto b = static_cast<unsigned char>(c);
        isWordByte[b] = decode ? (b >= '0' && b <= '9') || ((b | 0x20) >= 'a' && (b | 0x20) <= 'z')
                               : page.IsAlpha(b) || page.IsAlphaNumeric(b);
        isWordByte[b] = isWordByte[b] || b == '_' || b == '-';
    }

    char word[kWordBuffer] = {};
    std::size_t length = 0;
    bool overlong = false;
    bool bad = false;  // the word holds what its encoding does not define
    int count = 0;
    std::string converted;
    auto finishWord = [&] {
        if (length > 0 && !overlong) {
            std::string_view bytes(word, length);
            bool ok = !bad;
            if (ok && source == Source::CodePage) {
                ok = page.ToUtf8(bytes, converted);
                bytes = converted;
            }
            // Too long as UTF-8: dropped as any overlong word.
            if (bytes.size() < kWordBuffer) {
                if (ok && PutBytes(bytes.data(), static_cast<std::uint32_t>(bytes.size()), "", 0))
                    ++count;
                else if (notStored)
                    ++*notStored;
            }
        }
        length = 0;
        overlong = false;
        bad = false;
        word[0] = '\0';
    };
    auto append = [&](const char* bytes, std::size_t n) {
        if (length + n < kWordBuffer) {
            std::copy(bytes, bytes + n, word + length);
            length += n;
        } else {
            overlong = true;
        }
    };

    std::string chunk(kWordListChunk, '\0');
    std::string pending;  // read but not yet taken: a character the chunk cut off
    for (;;) {
        std::size_t n = textSource.Read(chunk.data(), chunk.size());
        if (!decode) {
            if (n == 0) break;
            for (std::size_t i = 0; i < n; ++i) {
                auto b = static_cast<unsigned char>(chunk[i]);
                if (isWordByte[b])
                    append(&chunk[i], 1);
                else if (length > 0)
                    finishWord();
                if (progress && progress->Cancelled()) return count;
            }
            continue;
        }
        const bool end = n == 0;
        pending.append(chunk, 0, n);
        std::size_t at = 0;
        while (at < pending.size()) {
            const std::size_t from = at;
            const auto b = static_cast<unsigned char>(pending[at]);
            char32_t c;
            if (b < 0x80) {
                ++at;
                if (isWordByte[b])
                    append(&pending[from], 1);
                else if (length > 0)
                    finishWord();
            } else if (NextUtf8(pending, at, c)) {
                if (IsWordCharacter(c))
                    append(&pending[from], at - from);
                else if (length > 0)
                    finishWord();
            } else if (!end && pending.size() - from < 4 && b >= 0xC2 && b <= 0xF4) {
                break;  // judged with the next chunk
            } else {
                // Not a character: it spoils the word it stands in.
                bad = true;
                append(&pending[from], 1);
                at = from + 1;
            }
            if (progress && progress->Cancelled()) return count;
        }
        pending.erase(0, at);
        if (end) break;
    }
    finishWord();
    return count;
}

}  // namespace wl
