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

// Appends the fold of text: ASCII lower-cased directly, each run of
// well-formed UTF-8 folded by utf8proc, every other byte kept.
void FoldInto(std::string_view text, std::string& out) {
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t start = at;
        char32_t c;
        while (at < text.size() && NextUtf8(text, at, c)) {
        }
        std::string_view run = text.substr(start, at - start);
        bool ascii = true;
        for (char b : run) ascii = ascii && IsAscii(static_cast<unsigned char>(b));
        if (ascii) {
            for (char b : run)
                out.push_back(static_cast<char>(LowerAscii(static_cast<unsigned char>(b))));
        } else if (!run.empty()) {
            FoldRun(run, out);
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
    // The folded forms' byte order.  A common start of ASCII letters that
    // are equal but for case is passed over without folding, up to the last
    // one: a text can be folded in parts split before an ASCII character
    // (it is never part of a composition but as the first character, and
    // no combining mark is moved across it); the last one stays with what
    // follows, to which a combining mark may join it.
    int CompareNoCase(const char* a, const char* b) const override {
        const auto* x = reinterpret_cast<const unsigned char*>(a);
        const auto* y = reinterpret_cast<const unsigned char*>(b);
        std::size_t i = 0;
        while (x[i] && IsAscii(x[i]) && IsAscii(y[i]) && LowerAscii(x[i]) == LowerAscii(y[i])) ++i;
        std::size_t j = i;
        while (x[j] && IsAscii(x[j])) ++j;
        std::size_t k = i;
        while (y[k] && IsAscii(y[k])) ++k;
        if (!x[j] && !y[k]) {  // the rest of both is ASCII
            unsigned char p = LowerAscii(x[i]), q = LowerAscii(y[i]);
            return p == q ? 0 : p < q ? -1 : 1;
        }
        const std::size_t from = i ? i - 1 : 0;
        std::string fx, fy;
        FoldInto(a + from, fx);
        FoldInto(b + from, fy);
        return CompareBytes(fx, fy);
    }
    bool FromUtf8(std::string_view utf8, std::string& out) const override {
        if (!IsUtf8(utf8)) return false;
        out.assign(utf8);
        return true;
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
