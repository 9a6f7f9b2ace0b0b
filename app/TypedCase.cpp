#include "app/TypedCase.h"

#include "platform/Utf8Case.h"

namespace wl {
namespace {

// Calls visit(position, byte) for each single-byte character of text,
// stepping over double-byte ones.
template <typename Visit>
void ForEachSingle(const CodePage& page, const char* text, Visit visit) {
    for (std::size_t i = 0; text[i]; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (page.IsLeadByte(c)) {
            if (!text[i + 1]) break;
            ++i;
            continue;
        }
        visit(i, c);
    }
}

}  // namespace

// The code page's letter case of single bytes, read off its lower-casing.
TypedCase::TypedCase(const CodePage& page) : page_(page) {
    for (int c = 0; c < 256; ++c) lower_[c] = upper_[c] = static_cast<unsigned char>(c);
    for (int c = 1; c < 256; ++c) {
        auto b = static_cast<unsigned char>(c);
        if (page.IsLeadByte(b) || !page.IsAlpha(b)) continue;
        char one[2] = {static_cast<char>(b), '\0'};
        page.ToLower(one);
        auto l = static_cast<unsigned char>(one[0]);
        if (l != b && l != 0) {
            lower_[b] = l;
            upper_[l] = b;
        }
    }
}

std::string FollowTypedCase(const CodePage& page, const char* typed, const char* candidate) {
    return TypedCase(page).Apply(typed, candidate);
}

std::string TypedCase::Apply(const char* typed, const char* candidate) const {
    const CodePage& page = page_;
    std::string out = candidate ? candidate : "";
    if (!typed || !*typed || out.empty()) return out;

    bool candidateHasCapital = false;
    ForEachSingle(page, out.c_str(), [&](std::size_t, unsigned char c) {
        candidateHasCapital = candidateHasCapital || IsCapital(c);
    });
    if (candidateHasCapital) return out;

    int letters = 0, capitals = 0;
    bool firstIsCapital = false, restHasCapital = false;
    ForEachSingle(page, typed, [&](std::size_t i, unsigned char c) {
        bool capital = IsCapital(c);
        if (i == 0)
            firstIsCapital = capital;
        else
            restHasCapital = restHasCapital || capital;
        if (page.IsAlpha(c)) {
            ++letters;
            if (capital) ++capitals;
        }
    });

    if (letters >= 2 && capitals == letters) {
        ForEachSingle(page, out.c_str(), [&](std::size_t i, unsigned char c) {
            out[i] = static_cast<char>(upper_[c]);
        });
    } else if (firstIsCapital && !restHasCapital) {
        auto c = static_cast<unsigned char>(out[0]);
        if (!page.IsLeadByte(c)) out[0] = static_cast<char>(upper_[c]);
    }
    return out;
}

std::string FollowTypedCaseUtf8(std::string_view typed, std::string_view candidate) {
    std::string out(candidate);
    if (typed.empty() || out.empty()) return out;
    auto isCapital = [](char32_t c) { return UnicodeLower(c) != c; };
    for (std::size_t at = 0; at < out.size();) {
        char32_t c;
        if (!NextUtf8(out, at, c)) {
            ++at;
            continue;
        }
        if (isCapital(c)) return out;
    }

    int letters = 0, capitals = 0;
    bool firstIsCapital = false, restHasCapital = false;
    for (std::size_t at = 0; at < typed.size();) {
        const bool first = at == 0;
        char32_t c;
        if (!NextUtf8(typed, at, c)) {
            ++at;
            continue;
        }
        const bool capital = isCapital(c);
        if (first)
            firstIsCapital = capital;
        else
            restHasCapital = restHasCapital || capital;
        if (IsUnicodeLetter(c)) {
            ++letters;
            if (capital) ++capitals;
        }
    }

    if (letters >= 2 && capitals == letters) return Utf8Upper(out);
    if (firstIsCapital && !restHasCapital) {
        std::size_t at = 0;
        char32_t c;
        if (NextUtf8(out, at, c)) {
            std::string first;
            AppendUtf8(UnicodeUpper(c), first);
            out.replace(0, at, first);
        }
    }
    return out;
}

}  // namespace wl
