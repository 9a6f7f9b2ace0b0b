// Character classification and case handling of the system's ANSI code page,
// and of UTF-8 (Utf8Page), the encoding of Unicode libraries.
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
    // Converts text in this code page to UTF-8.  False when the text holds
    // a byte (or a double-byte pair) the code page does not define; out
    // holds the converted text on success and is unspecified otherwise.
    // The default knows ASCII only.
    virtual bool ToUtf8(std::string_view text, std::string& out) const;
    // Whether this is UTF-8 (Utf8Page) rather than a code page.
    virtual bool IsUnicode() const { return false; }
    // The form in which text is matched with letter case ignored: two texts
    // are equal but for case when their folded forms are equal.  A code
    // page answers ToLower of a copy.
    virtual std::string Fold(std::string_view text) const;
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

// UTF-8, the encoding of Unicode libraries, on utf8proc.  Fold is Unicode's
// full case folding followed by canonical composition (NFC), so that
// "Straße" and "STRASSE" fold alike, as do "ΣΊΣΥΦΟΣ" and "σίσυφος", and a
// letter typed composed (é) and one stored decomposed (e and a combining
// acute) match; the neutral fold, not the Turkish one (İ folds to i and a
// combining dot above, I to i).  Bytes that are not well-formed UTF-8 are
// kept as they are.  CompareNoCase orders by the folded forms' bytes (that
// is, by code points), so it answers 0 exactly when the folded forms are
// equal.  ToLower, which cannot change a length, lower-cases ASCII only.
// IsAlpha and IsAlphaNumeric, which see single bytes: ASCII letters (and
// digits), and every byte that can be part of a multibyte character
// (0x80 to 0xF4), so that a word is never cut inside a character; no lead
// bytes (the double-byte stepping of code pages does not apply).  FromUtf8
// copies well-formed UTF-8.
const CodePage& Utf8Page();

// The code page the program works in: the system's in the Windows build,
// 1252 natively.  Only the entry points call it (the main program, wlib, the
// tests and benchmarks; the hook library's platform object): every class
// that needs a code page is handed one, so that tests can give it another.
const CodePage& SystemCodePage();

}  // namespace wl
