// Unicode letter case, the same in both builds (each takes its system's
// tables).
#include <gtest/gtest.h>

#include "platform/Utf8Case.h"

namespace wl {
namespace {

TEST(Utf8CaseTest, EachScriptWithCaseAndNoneWithout) {
    struct Case {
        const char *lower, *upper;
    };
    const Case cases[] = {
        {"abc xyz", "ABC XYZ"},
        {"i", "I"},  // not the dotless or dotted one: the user's language's business
        {"\xc3\xa9\x63ole", "\xc3\x89\x43OLE"},                            // école
        {"\xc5\x82\xc3\xb3\x64\xc5\xba", "\xc5\x81\xc3\x93\x44\xc5\xb9"},  // łódź
        {"\xd0\xbf\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82",               // привет
         "\xd0\x9f\xd0\xa0\xd0\x98\xd0\x92\xd0\x95\xd0\xa2"},
        {"\xcf\x83\xce\xaf\xcf\x83\xcf\x85", "\xce\xa3\xce\x8a\xce\xa3\xce\xa5"},  // σίσυ
        {"\xf0\x90\x90\xa8", "\xf0\x90\x90\x80"},  // Deseret, beyond the BMP
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8Upper(c.lower), c.upper) << c.lower;
        EXPECT_EQ(Utf8Lower(c.upper), c.lower) << c.upper;
    }
    // No case: kept.  ß has no single capital.
    for (const char* kept : {"\xe4\xb8\xad\xe6\x96\x87", "\xf0\x9f\x98\x80", "12 ,.", "\xc3\x9f"})
        EXPECT_EQ(Utf8Upper(kept), kept) << kept;
    // Bytes that are no UTF-8 stay where they are.
    EXPECT_EQ(Utf8Upper("a\377b\303"), "A\377B\303");

    // Final sigma and its capital alike.
    EXPECT_TRUE(Utf8EqualNoCase("\xcf\x83\xce\xaf\xcf\x83\xcf\x85\xcf\x86\xce\xbf\xcf\x82",
                                "\xce\xa3\xce\x8a\xce\xa3\xce\xa5\xce\xa6\xce\x9f\xce\xa3"));
    EXPECT_FALSE(Utf8EqualNoCase("\xcf\x83\xce\xaf", "\xcf\x83\xce\xb9"));

    EXPECT_TRUE(IsUnicodeLetter(U'\u03c3'));
    EXPECT_TRUE(IsUnicodeLetter(U'\u4e2d'));  // a letter without case
    EXPECT_FALSE(IsUnicodeLetter(U'1'));
    EXPECT_FALSE(IsUnicodeLetter(U'\U0001F600'));
}

}  // namespace
}  // namespace wl
