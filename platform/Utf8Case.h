// Letter case of Unicode text (UTF-8), for the letter case the typist types
// in and for comparing texts of Unicode libraries with letter case ignored.
// Each character takes its simple, one-to-one mapping (utf8proc's, in both
// builds), independent of the user's language: a character without a single-character upper-case
// (lower-case) form, such as "ß", stays as it is.  Bytes that are not
// well-formed UTF-8 are kept as they are.
#pragma once

#include <string>
#include <string_view>

namespace wl {

// The character's upper-case, respectively lower-case form; itself when it
// has none.
char32_t UnicodeUpper(char32_t c);
char32_t UnicodeLower(char32_t c);
// Whether the character is a letter (of any script, with case or without).
bool IsUnicodeLetter(char32_t c);

std::string Utf8Upper(std::string_view text);
std::string Utf8Lower(std::string_view text);
// Whether a and b are the same text but for letter case (their folded forms,
// Utf8Page().Fold, are equal).
bool Utf8EqualNoCase(std::string_view a, std::string_view b);

}  // namespace wl
