// Character classification and case handling of the system's ANSI code page.
// All text of the program is 8-bit multibyte text in that code page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace wl {

class CodePage {
  public:
    virtual ~CodePage() = default;
    virtual bool IsAlpha(unsigned char c) const = 0;         // IsCharAlphaA
    virtual bool IsAlphaNumeric(unsigned char c) const = 0;  // IsCharAlphaNumericA
    virtual bool IsLeadByte(unsigned char c) const = 0;      // IsDBCSLeadByte
    // Lower-cases a NUL-terminated string in place, stepping over double-byte
    // characters (_mbslwr).
    virtual void ToLower(char* text) const = 0;
    // Case-insensitive, multibyte-aware comparison (_mbsicmp): <0, 0, >0.
    virtual int CompareNoCase(const char* a, const char* b) const = 0;
    // Converts UTF-8 text to this code page.  False when the text is not
    // well-formed UTF-8 or holds a character the code page has no byte for:
    // no stand-in ("?" or a best-fit look-alike) is ever taken.  out holds
    // the converted text on success and is unspecified otherwise.  The
    // default knows ASCII only.
    virtual bool FromUtf8(std::string_view utf8, std::string& out) const;
    // This code page's text as UTF-8; false for bytes the code page does not
    // define.  The default knows ASCII only.
    virtual bool ToUtf8(std::string_view text, std::string& out) const;
};

// Reads the UTF-8 character at text[at] into c and moves at past it; false
// (at unchanged) on a malformed sequence: a stray or missing continuation
// byte, an overlong form, a surrogate, or a value above U+10FFFF.
bool NextUtf8(std::string_view text, std::size_t& at, char32_t& c);
// Whether the whole text is well-formed UTF-8.
bool IsUtf8(std::string_view text);
// Appends the UTF-8 form of c (a valid code point) to out.
void AppendUtf8(char32_t c, std::string& out);

// Windows-1252, the Western European ANSI code page.
const CodePage& CodePage1252();
// Shift-JIS (932), a double-byte code page, for the double-byte paths.
const CodePage& CodePage932();

// The code page the program works in: the system's in the Windows build,
// 1252 natively.  Only the entry points call it (the main program, wlib, the
// tests and benchmarks; the hook library's platform object): every class
// that needs a code page is handed one, so that tests can give it another.
const CodePage& SystemCodePage();

}  // namespace wl
