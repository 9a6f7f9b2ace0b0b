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

TEST(TypedCaseTest, UnicodeInEveryScriptWithLetterCase) {
    const Case cases[] = {
        // Σί + σίσυφος -> Σίσυφος; ΣΊ -> ΣΊΣΥΦΟΣ (the final sigma too)
        {"\xce\xa3\xce\xaf", "\xcf\x83\xce\xaf\xcf\x83\xcf\x85\xcf\x86\xce\xbf\xcf\x82",
         "\xce\xa3\xce\xaf\xcf\x83\xcf\x85\xcf\x86\xce\xbf\xcf\x82"},
        {"\xce\xa3\xce\x8a", "\xcf\x83\xce\xaf\xcf\x83\xcf\x85\xcf\x86\xce\xbf\xcf\x82",
         "\xce\xa3\xce\x8a\xce\xa3\xce\xa5\xce\xa6\xce\x9f\xce\xa3"},
        // ŁÓ + łódź -> ŁÓDŹ; É + école -> École
        {"\xc5\x81\xc3\x93", "\xc5\x82\xc3\xb3\x64\xc5\xba", "\xc5\x81\xc3\x93\x44\xc5\xb9"},
        {"\xc3\x89", "\xc3\xa9\x63ole", "\xc3\x89\x63ole"},
        // ß has no single capital; an emoji and CJK have no case at all
        {"STRA", "stra\xc3\x9f\x65", "STRA\xc3\x9f\x45"},
        {"AB", "ab\xf0\x9f\x98\x80", "AB\xf0\x9f\x98\x80"},
        {"\xe4\xb8\xad", "\xe4\xb8\xad\xe6\x96\x87", "\xe4\xb8\xad\xe6\x96\x87"},
        {"\xd0\x96\x31", "\xd0\xb6\x31x", "\xd0\x96\x31x"},  // Ж1: one letter
        // A candidate with a capital of its own (Москва), or another typed
        // case: as stored.
        {"\xd0\x9c\xd0\x9e", "\xd0\x9c\xd0\xbe\xd1\x81\xd0\xba\xd0\xb2\xd0\xb0",
         "\xd0\x9c\xd0\xbe\xd1\x81\xd0\xba\xd0\xb2\xd0\xb0"},
        {"\xcf\x83\xce\xa3", "\xcf\x83\xcf\x85", "\xcf\x83\xcf\x85"},
        {"", "\xcf\x83\xcf\x85", "\xcf\x83\xcf\x85"},
        // Bytes that are no UTF-8 are kept, never cut.
        {"AB", "ab\xff", "AB\xff"},
        {"A", "\377a", "\377a"},  // (\377 is 0xFF)
    };
    for (const Case& c : cases)
        EXPECT_EQ(FollowTypedCaseUtf8(c.typed, c.candidate), c.shown)
            << c.typed << " " << c.candidate;
}

}  // namespace
}  // namespace wl
