// The letter case in which the smart lookup shows and types a Dictionary
// candidate: it follows the typist.  When the typed word starts with a
// capital and the rest of it has no capitals ("Th", or a lone "T"), an
// all-lower-case candidate gets a capital first letter ("the" -> "The");
// when two or more typed letters are all capitals ("TH"), it is all
// capitals ("THE").  A candidate with capitals of its own ("iPhone",
// "McDonald") stays as stored, and so does every candidate for any other
// typed word.  Letters are those of the code page; a letter without an
// upper-case form (such as "ß") stays, and double-byte characters are never
// letters here.  A Unicode library's candidate follows the word as typed in
// UTF-8 by the same rule, with the letters of every script that has letter
// case ("Σί" -> "Σίσυφος", "ПР" -> "ПРИВЕТ").  Shorthand expansions are not
// for this: they are typed as stored.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/CodePage.h"

namespace wl {

// The rule for one code page, whose letter case it reads once.
class TypedCase {
  public:
    explicit TypedCase(const CodePage& page);
    // The text to show and type for candidate (a stored key) after typed.
    std::string Apply(const char* typed, const char* candidate) const;

  private:
    bool IsCapital(unsigned char c) const { return lower_[c] != c; }
    const CodePage& page_;
    std::array<unsigned char, 256> lower_{}, upper_{};
};

// The same, reading the code page's letter case at each call.
std::string FollowTypedCase(const CodePage& page, const char* typed, const char* candidate);
// The rule for a candidate in UTF-8 after the word typed, in UTF-8.
std::string FollowTypedCaseUtf8(std::string_view typed, std::string_view candidate);

}  // namespace wl
