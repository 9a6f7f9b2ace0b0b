#include "platform/CodePage.h"

namespace wl {
namespace {

bool IsAsciiDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool IsAsciiAlpha(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Converts each character with byteOf, which answers the byte(s) of one
// code point or false.
template <typename ByteOf>
bool ConvertUtf8(std::string_view utf8, std::string& out, ByteOf byteOf) {
    out.clear();
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t c;
        if (!NextUtf8(utf8, at, c) || !byteOf(c, out)) return false;
    }
    return true;
}

// Windows-1252's bytes 0x80 to 0x9F; 0 where the byte stands for the C1
// control of the same value (as Windows maps the five unassigned ones).
constexpr char16_t k1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

class Windows1252 : public CodePage {
  public:
    bool IsAlpha(unsigned char c) const override {
        if (IsAsciiAlpha(c)) return true;
        switch (c) {
            case 0x83:
            case 0x8A:
            case 0x8C:
            case 0x8E:
            case 0x9A:
            case 0x9C:
            case 0x9E:
            case 0x9F:
            case 0xAA:
            case 0xB5:
            case 0xBA:
                return true;
            default:
                return c >= 0xC0 && c != 0xD7 && c != 0xF7;
        }
    }
    bool IsAlphaNumeric(unsigned char c) const override { return IsAlpha(c) || IsAsciiDigit(c); }
    bool IsLeadByte(unsigned char) const override { return false; }
    static unsigned char Lower(unsigned char c) {
        if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
        if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 0x10);
        if (c == 0x9F) return 0xFF;
        if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
        return c;
    }
    void ToLower(char* text) const override {
        for (; *text; ++text) *text = static_cast<char>(Lower(static_cast<unsigned char>(*text)));
    }
    int CompareNoCase(const char* a, const char* b) const override {
        for (;; ++a, ++b) {
            unsigned char x = Lower(static_cast<unsigned char>(*a));
            unsigned char y = Lower(static_cast<unsigned char>(*b));
            if (x != y) return x < y ? -1 : 1;
            if (!x) return 0;
        }
    }
    bool FromUtf8(std::string_view utf8, std::string& out) const override {
        return ConvertUtf8(utf8, out, [](char32_t c, std::string& to) {
            if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
                to.push_back(static_cast<char>(c));
                return true;
            }
            for (int i = 0; i < 32; ++i) {
                const char32_t mapped = k1252High[i] ? k1252High[i] : char32_t(0x80 + i);
                if (mapped == c) {
                    to.push_back(static_cast<char>(0x80 + i));
                    return true;
                }
            }
            return false;
        });
    }
};

class ShiftJis : public CodePage {
  public:
    bool IsAlpha(unsigned char c) const override {
        return IsAsciiAlpha(c) || (c >= 0xA6 && c <= 0xDF);  // half-width katakana
    }
    bool IsAlphaNumeric(unsigned char c) const override { return IsAlpha(c) || IsAsciiDigit(c); }
    bool IsLeadByte(unsigned char c) const override {
        return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    }
    void ToLower(char* text) const override {
        for (auto* p = reinterpret_cast<unsigned char*>(text); *p; ++p) {
            if (IsLeadByte(*p)) {
                if (!p[1]) break;
                ++p;
            } else if (*p >= 'A' && *p <= 'Z') {
                *p = static_cast<unsigned char>(*p + 0x20);
            }
        }
    }
    // Reads one character: a double-byte one as a 16-bit unit, a single byte
    // lower-cased.
    unsigned Next(const unsigned char*& p) const {
        unsigned c = *p;
        if (!c) return 0;
        ++p;
        if (IsLeadByte(static_cast<unsigned char>(c)) && *p) return (c << 8) | *p++;
        if (c >= 'A' && c <= 'Z') c += 0x20;
        return c;
    }
    int CompareNoCase(const char* a, const char* b) const override {
        auto* x = reinterpret_cast<const unsigned char*>(a);
        auto* y = reinterpret_cast<const unsigned char*>(b);
        for (;;) {
            unsigned cx = Next(x), cy = Next(y);
            if (cx != cy) return cx < cy ? -1 : 1;
            if (!cx) return 0;
        }
    }
    // ASCII and the half-width katakana; the double-byte characters need the
    // system's table, which the Windows build uses.
    bool FromUtf8(std::string_view utf8, std::string& out) const override {
        return ConvertUtf8(utf8, out, [](char32_t c, std::string& to) {
            if (c < 0x80) {
                to.push_back(static_cast<char>(c));
                return true;
            }
            if (c >= 0xFF61 && c <= 0xFF9F) {
                to.push_back(static_cast<char>(0xA1 + (c - 0xFF61)));
                return true;
            }
            return false;
        });
    }
};

}  // namespace

bool CodePage::FromUtf8(std::string_view utf8, std::string& out) const {
    return ConvertUtf8(utf8, out, [](char32_t c, std::string& to) {
        if (c >= 0x80) return false;
        to.push_back(static_cast<char>(c));
        return true;
    });
}

bool CodePage::ToUtf8(std::string_view text, std::string& out) const {
    out.clear();
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
        out.push_back(c);
    }
    return true;
}

bool NextUtf8(std::string_view text, std::size_t& at, char32_t& c) {
    if (at >= text.size()) return false;
    const auto b0 = static_cast<unsigned char>(text[at]);
    if (b0 < 0x80) {
        c = b0;
        ++at;
        return true;
    }
    std::size_t n;
    char32_t value, min;
    if ((b0 & 0xE0) == 0xC0) {
        n = 2, value = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 3, value = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 4, value = b0 & 0x07, min = 0x10000;
    } else {
        return false;
    }
    if (text.size() - at < n) return false;
    for (std::size_t i = 1; i < n; ++i) {
        const auto b = static_cast<unsigned char>(text[at + i]);
        if ((b & 0xC0) != 0x80) return false;
        value = (value << 6) | (b & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    c = value;
    at += n;
    return true;
}

bool IsUtf8(std::string_view text) {
    char32_t c;
    for (std::size_t at = 0; at < text.size();)
        if (!NextUtf8(text, at, c)) return false;
    return true;
}

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

const CodePage& CodePage1252() {
    static const Windows1252 page;
    return page;
}

const CodePage& CodePage932() {
    static const ShiftJis page;
    return page;
}

}  // namespace wl
