// The letter case in which the smart lookup shows and types a Dictionary
// candidate: it follows the typist.  When the typed word starts with a
// capital and the rest of it has no capitals ("Th", or a lone "T"), an
// all-lower-case candidate gets a capital first letter ("the" -> "The");
// when two or more typed letters are all capitals ("TH"), it is all
// capitals ("THE").  A candidate with capitals of its own ("iPhone",
// "McDonald") stays as stored, and so does every candidate for any other
// typed word.  Letters are those of the code page; a letter without an
// upper-case form (such as "ß") stays, and double-byte characters are never
// letters here.  Shorthand expansions are not for this: they are typed as
// stored.
#pragma once

#include <string>

#include "platform/CodePage.h"

namespace wl {

std::string FollowTypedCase(const CodePage& page, const char* typed, const char* candidate);

}  // namespace wl
