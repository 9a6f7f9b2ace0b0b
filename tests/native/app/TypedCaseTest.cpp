// The letter case of a smart candidate follows the typist.
#include <gtest/gtest.h>

#include "app/TypedCase.h"

namespace wl {
namespace {

struct Case {
    const char* typed;
    const char* candidate;
    const char* shown;
};

TEST(TypedCaseTest, Windows1252) {
    const Case cases[] = {
        // A capital first, the rest lower case: a capital first letter.
        {"Th", "the", "The"},
        {"T", "the", "The"},
        {"Don'", "don't", "Don't"},
        {"\311", "\351cole", "\311cole"},  // École, in octal: \311 is É
        // Two or more letters, all capitals: all capitals.
        {"TH", "the", "THE"},
        {"DON'", "don't", "DON'T"},
        {"AP", "apple pie", "APPLE PIE"},
        {"STRA", "stra\337e", "STRA\337E"},  // ß has no capital
        {"\311C", "\351cole", "\311COLE"},
        {"A1", "a1b", "A1b"},  // one letter: the first-letter rule
        // A candidate with capitals of its own is typed as stored.
        {"Ip", "iPhone", "iPhone"},
        {"IP", "iPhone", "iPhone"},
        {"Mc", "McDonald", "McDonald"},
        {"TH", "Thai", "Thai"},
        // Any other typed word: as stored.
        {"th", "the", "the"},
        {"tH", "the", "the"},
        {"ThE", "then", "then"},
        {"New Y", "new york", "new york"},
        {"1", "1st", "1st"},
        {"'T", "'tis", "'tis"},
        {"", "the", "the"},
        {"Th", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FollowTypedCase(CodePage1252(), c.typed, c.candidate), c.shown)
            << c.typed << " " << c.candidate;
    EXPECT_EQ(FollowTypedCase(CodePage1252(), nullptr, "the"), "the");
    EXPECT_EQ(FollowTypedCase(CodePage1252(), "Th", nullptr), "");
}

TEST(TypedCaseTest, DoubleByteCharactersAreNoLetters) {
    // The trail byte 0x61 ("a") of a double-byte character is left alone,
    // and a double-byte character never counts as a capital.
    const Case cases[] = {
        {"AB", "ab\x83\x61", "AB\x83\x61"},
        {"A", "a\x83\x61", "A\x83\x61"},
        {"\x83\x41", "\x83\x41x", "\x83\x41x"},
        {"TH", "th\x83", "TH\x83"},  // a lead byte cut off at the end
    };
    for (const Case& c : cases)
        EXPECT_EQ(FollowTypedCase(CodePage932(), c.typed, c.candidate), c.shown) << c.typed;
}

}  // namespace
}  // namespace wl
