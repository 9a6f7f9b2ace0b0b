// Character classification and case handling of the system's ANSI code page.
// All text of the program is 8-bit multibyte text in that code page.
#pragma once

#include <cstddef>

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
};

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
