#include "platform/CodePage.h"

namespace wl {
namespace {

bool IsAsciiDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool IsAsciiAlpha(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

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
};

}  // namespace

const CodePage& CodePage1252() {
    static const Windows1252 page;
    return page;
}

const CodePage& CodePage932() {
    static const ShiftJis page;
    return page;
}

}  // namespace wl
