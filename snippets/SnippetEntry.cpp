// A snippet as the entry it becomes: its key and text converted to the code
// page and checked against what the library and the replacement typing can
// hold; and an abbreviation as the user can read it.
#include <cstdio>

#include "macros/MacroNames.h"
#include "platform/CodePage.h"
#include "snippets/SnippetFormats.h"

namespace wl::snippets {
namespace {

constexpr std::size_t kMaxKey = 1023;    // a typed word's buffer holds 1,023 bytes
constexpr std::size_t kMaxText = 65535;  // the replacement buffer holds 65,535
constexpr std::size_t kReadableLength = 40;

std::string CodePointName(char32_t c) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    return name;
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// UTF-8 to the code page, or the ANSI text as it is; the reason names the
// first character the code page lacks.  With unicode the other way: UTF-8
// as it is, the ANSI text converted to UTF-8.
bool Convert(std::string_view in, bool utf8, bool unicode, const CodePage& page, std::string& out,
             std::string& why) {
    if (unicode) {
        if (utf8 ? IsUtf8(in) : page.ToUtf8(in, out)) {
            if (utf8) out.assign(in);
            return true;
        }
        why = utf8 ? "is not valid UTF-8"
                   : "holds a byte that the system's code page does not define";
        return false;
    }
    if (!utf8) {
        out.assign(in);
        return true;
    }
    if (page.FromUtf8(in, out)) return true;
    std::string one;
    char32_t c = 0;
    for (std::size_t at = 0; at < in.size();) {
        const std::size_t from = at;
        if (!NextUtf8(in, at, c)) {
            why = "is not valid UTF-8";
            return false;
        }
        if (!page.FromUtf8(in.substr(from, at - from), one)) {
            why = "holds " + CodePointName(c) + ", which the system's code page cannot hold";
            return false;
        }
    }
    why = "holds a character that the system's code page cannot hold";
    return false;
}

// The offsets at which the replacement typing reads a macro in text: the
// same walk from percent sign to percent sign that splits a text for typing.
std::vector<std::size_t> MacrosRead(const std::string& text) {
    std::vector<std::size_t> found;
    std::size_t open = text.find('%');
    while (open != std::string::npos) {
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string::npos) break;
        if (MacroIndex(std::string_view(text).substr(open, close - open + 1)) < 0) {
            open = close;
            continue;
        }
        found.push_back(open);
        open = text.find('%', close + 1);
    }
    return found;
}

}  // namespace

bool MakeEntry(const Snippet& snippet, bool utf8, const CodePage& page, std::string& key,
               std::string& text, std::string& why, bool unicode) {
    if (snippet.abbreviation.empty()) {
        why = "has no abbreviation";
        return false;
    }
    if (snippet.cut) {
        why = kLongAbbreviation;
        return false;
    }
    if (!Convert(snippet.abbreviation, utf8, unicode, page, key, why)) return false;
    for (unsigned char c : key) {
        if (IsControl(c)) {
            why = "has a line break or a control character in its abbreviation";
            return false;
        }
    }
    if (key.size() > kMaxKey) {
        why = kLongAbbreviation;
        return false;
    }
    text.clear();
    std::vector<std::size_t> macros;
    std::string piece;
    for (const Piece& p : snippet.pieces) {
        if (p.macro) {
            macros.push_back(text.size());
            text += p.text;
            continue;
        }
        if (!Convert(p.text, utf8, unicode, page, piece, why)) return false;
        for (unsigned char c : piece) {
            if (IsControl(c) && c != '\t') {
                why = "holds a control character";
                return false;
            }
        }
        text += piece;
        if (text.size() > kMaxText) break;
    }
    if (text.empty()) {
        why = "has an empty replacement";
        return false;
    }
    if (text.size() > kMaxText) {
        why = kLongReplacement;
        return false;
    }
    if (MacrosRead(text) != macros) {
        why = "has text between percent signs that would be typed as a macro";
        return false;
    }
    return true;
}

std::string Readable(std::string_view abbreviation, bool utf8, const CodePage& page) {
    std::string out, one;
    std::size_t characters = 0;
    std::size_t at = 0;
    for (; at < abbreviation.size() && characters < kReadableLength; ++characters) {
        const std::size_t from = at;
        if (utf8) {
            char32_t c;
            if (!NextUtf8(abbreviation, at, c)) {
                ++at;
                out += '?';
                continue;
            }
        } else {
            at += page.IsLeadByte(static_cast<unsigned char>(abbreviation[at])) &&
                          at + 1 < abbreviation.size()
                      ? 2
                      : 1;
        }
        std::string_view character = abbreviation.substr(from, at - from);
        if (character.size() == 1 && IsControl(static_cast<unsigned char>(character[0])))
            out += '?';
        else if (!utf8)
            out += character;
        else if (page.FromUtf8(character, one))
            out += one;
        else
            out += '?';
    }
    if (at < abbreviation.size()) out += "...";
    return out;
}

}  // namespace wl::snippets
