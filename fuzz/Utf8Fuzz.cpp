// UTF-8 decoding and case folding on any bytes: NextUtf8 and IsUtf8 agree
// and decode what AppendUtf8 encodes; Utf8Page's fold keeps well-formed text
// well-formed (the table it takes for some scripts folding as utf8proc
// does), and its CompareNoCase answers 0 exactly when two folds are equal
// and otherwise orders as their bytes, both ways round.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/CodePage.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

int Sign(int c) {
    return (c > 0) - (c < 0);
}

void CheckDecoding(std::string_view text) {
    std::string again;
    std::size_t at = 0;
    char32_t c;
    while (at < text.size()) {
        const std::size_t from = at;
        if (!wl::NextUtf8(text, at, c)) break;
        again.clear();
        wl::AppendUtf8(c, again);
        Check(again == text.substr(from, at - from));
    }
    Check(wl::IsUtf8(text) == (at == text.size()));
    std::string copy;
    Check(wl::Utf8Page().FromUtf8(text, copy) == wl::IsUtf8(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte cuts the rest in two texts; each ends at its first NUL,
    // as CompareNoCase reads C strings.
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t cut = data[0] % (rest.size() + 1);
    auto upToNul = [](std::string_view text) {
        return std::string(text.substr(0, text.find('\0')));
    };
    const std::string a = upToNul(rest.substr(0, cut)), b = upToNul(rest.substr(cut));

    CheckDecoding(rest);
    const wl::CodePage& page = wl::Utf8Page();
    const std::string fa = page.Fold(a), fb = page.Fold(b);
    if (wl::IsUtf8(a)) {
        Check(wl::IsUtf8(fa));
        // An ideograph, which no character joins, makes utf8proc fold the
        // whole text: the same as the table of Latin, Greek and Cyrillic.
        Check(page.Fold(a + "\u4E00") == fa + "\u4E00");
    }
    const int ab = page.CompareNoCase(a.c_str(), b.c_str());
    Check(Sign(ab) == Sign(fa.compare(fb)));
    Check(Sign(page.CompareNoCase(b.c_str(), a.c_str())) == -Sign(ab));
    Check(page.CompareNoCase(a.c_str(), a.c_str()) == 0);
    std::string lowered = a;
    page.ToLower(lowered.data());
    Check(lowered.size() == a.size());
    return 0;
}
