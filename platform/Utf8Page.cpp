// UTF-8 as the "code page" of Unicode libraries: case folding on utf8proc.
#include <utf8proc.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/CodePage.h"

namespace wl {
namespace {

constexpr utf8proc_option_t kFoldOptions =
    static_cast<utf8proc_option_t>(UTF8PROC_CASEFOLD | UTF8PROC_COMPOSE | UTF8PROC_STABLE);

bool IsAscii(unsigned char c) {
    return c < 0x80;
}
unsigned char LowerAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 0x20) : c;
}

// Appends the fold of a run of well-formed UTF-8.  Short runs are folded in
// a buffer on the stack; utf8proc decomposes into code points (folding
// each), then composes and encodes them in the same buffer.
void FoldRun(std::string_view run, std::string& out) {
    constexpr utf8proc_ssize_t kOnStack = 128;
    utf8proc_int32_t stack[kOnStack];
    std::unique_ptr<utf8proc_int32_t[]> heap;
    utf8proc_int32_t* buffer = stack;
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(run.data());
    const auto length = static_cast<utf8proc_ssize_t>(run.size());
    utf8proc_ssize_t n = utf8proc_decompose(bytes, length, buffer, kOnStack, kFoldOptions);
    if (n > kOnStack) {
        heap = std::make_unique<utf8proc_int32_t[]>(static_cast<std::size_t>(n));
        buffer = heap.get();
        n = utf8proc_decompose(bytes, length, buffer, n, kFoldOptions);
    }
    if (n >= 0) n = utf8proc_reencode(buffer, n, kFoldOptions);
    if (n < 0) {
        out.append(run);  // not expected of well-formed text: kept as it is
        return;
    }
    out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
}

// Below kTabled (Latin, Greek, Cyrillic), each character's fold is taken
// from a table made by utf8proc, but for the combining marks: a text of
// such characters folds as its characters do one by one, since none of
// them is ever joined to the one before (only marks and a few letters of
// other scripts are), and none has a mark moved across it.
constexpr char32_t kTabled = 0x530;

bool Joins(char32_t c) {
    return (c >= 0x300 && c <= 0x36F) || (c >= 0x483 && c <= 0x489);
}

// A character's fold: at most 3 characters of 2 bytes (the longest folds
// below kTabled), kept in place.
struct TableFold {
    char bytes[7];
    unsigned char length;
};

struct FoldTable {
    FoldTable() {
        std::string one, folded;
        for (char32_t c = 0; c < kTabled; ++c) {
            folds[c].length = 0;
            if (Joins(c)) continue;
            one.clear();
            folded.clear();
            AppendUtf8(c, one);
            FoldRun(one, folded);
            if (folded.size() > sizeof folds[c].bytes) continue;  // none is; utf8proc's then
            std::memcpy(folds[c].bytes, folded.data(), folded.size());
            folds[c].length = static_cast<unsigned char>(folded.size());
        }
    }
    TableFold folds[kTabled];
};

const TableFold* Tabled(char32_t c) {
    static const FoldTable table;
    if (c >= kTabled || Joins(c) || table.folds[c].length == 0) return nullptr;
    return &table.folds[c];
}

// The bytes of a text's fold one at a time, by the table, for as long as
// the table gives the fold: each character's fold is taken only when the
// character after it cannot change it (the end, a byte that is no UTF-8, or
// a character of the table).  Otherwise the stream fails, and the texts are
// folded whole.
class FoldStream {
  public:
    explicit FoldStream(std::string_view text) : text_(text) {}
    // The next byte, or -1 at the end; check Failed() after each.
    int Next() {
        if (at_ < fold_.size()) return static_cast<unsigned char>(fold_[at_++]);
        if (next_ >= text_.size()) return -1;
        char32_t c;
        if (!NextUtf8(text_, next_, c))  // a byte that is no UTF-8 stays, and parts the text
            return static_cast<unsigned char>(text_[next_++]);
        const TableFold* fold = Tabled(c);
        if (fold && next_ < text_.size()) {
            std::size_t peek = next_;
            char32_t d;
            if (NextUtf8(text_, peek, d) && !Tabled(d)) fold = nullptr;
        }
        if (!fold) {
            failed_ = true;
            return -1;
        }
        fold_ = std::string_view(fold->bytes, fold->length);
        at_ = 1;
        return static_cast<unsigned char>(fold_[0]);
    }
    bool Failed() const { return failed_; }

  private:
    std::string_view text_;
    std::size_t next_ = 0;
    std::string_view fold_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

// Appends the fold of text: ASCII lower-cased directly, each run of
// well-formed UTF-8 folded by the table or utf8proc, every other byte kept.
void FoldInto(std::string_view text, std::string& out) {
    std::size_t lead = 0;
    while (lead < text.size() && IsAscii(static_cast<unsigned char>(text[lead]))) ++lead;
    if (lead == text.size()) {  // the common case, done at once
        const std::size_t from = out.size();
        out.append(text);
        for (std::size_t i = from; i < out.size(); ++i)
            out[i] = static_cast<char>(LowerAscii(static_cast<unsigned char>(out[i])));
        return;
    }
    // Each run of well-formed UTF-8 by the table as it is read; once a
    // character the table does not have turns up, the run by utf8proc.
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = at, from = out.size();
        bool tabled = true;
        char32_t c;
        while (at < text.size() && NextUtf8(text, at, c)) {
            const TableFold* fold = tabled ? Tabled(c) : nullptr;
            if (fold)
                out.append(fold->bytes, fold->length);
            else
                tabled = false;
        }
        if (!tabled) {
            out.resize(from);
            FoldRun(text.substr(start, at - start), out);
        }
        if (at < text.size()) out.push_back(text[at++]);  // a byte that is no UTF-8
    }
}

int CompareBytes(std::string_view a, std::string_view b) {
    int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (c) return c < 0 ? -1 : 1;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

class Utf8 : public CodePage {
  public:
    bool IsAlpha(unsigned char c) const override {
        if (IsAscii(c)) return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        return c <= 0xF4 && c != 0xC0 && c != 0xC1;  // a byte of a multibyte character
    }
    bool IsAlphaNumeric(unsigned char c) const override {
        return IsAlpha(c) || (c >= '0' && c <= '9');
    }
    bool IsLeadByte(unsigned char) const override { return false; }
    void ToLower(char* text) const override {
        for (; *text; ++text)
            *text = static_cast<char>(LowerAscii(static_cast<unsigned char>(*text)));
    }
    // The folded forms' byte order: by the table's folds as far as they
    // reach the first difference, or else by the whole folds.
    int CompareNoCase(const char* a, const char* b) const override {
        FoldStream x(a), y(b);
        for (;;) {
            const int p = x.Next(), q = y.Next();
            if (x.Failed() || y.Failed()) break;
            if (p != q) return p < q ? -1 : 1;
            if (p < 0) return 0;
        }
        std::string fx, fy;
        FoldInto(a, fx);
        FoldInto(b, fy);
        return CompareBytes(fx, fy);
    }
    bool FromUtf8(std::string_view utf8, std::string& out) const override {
        if (!IsUtf8(utf8)) return false;
        out.assign(utf8);
        return true;
    }
    // UTF-8 is its own code page's text.
    bool ToUtf8(std::string_view text, std::string& out) const override {
        return FromUtf8(text, out);
    }
    bool IsUnicode() const override { return true; }
    std::string Fold(std::string_view text) const override {
        std::string folded;
        folded.reserve(text.size());
        FoldInto(text, folded);
        return folded;
    }
};

}  // namespace

const CodePage& Utf8Page() {
    static const Utf8 page;
    return page;
}

}  // namespace wl
