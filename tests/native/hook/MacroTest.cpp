// The macro-name table, the splitting of replacement texts into parts, and
// the 21 date and time macros.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "hook/Macros.h"

namespace wl {
namespace {

using Kind = MacroPart::Kind;

}  // namespace

void PrintTo(const MacroPart& part, std::ostream* os) {
    *os << (part.kind == Kind::Key ? "key " : "text ") << '"' << part.text << '"';
}

namespace {

MacroPart T(const std::string& s) {
    return {Kind::Text, s};
}
MacroPart K(const std::string& s) {
    return {Kind::Key, s};
}

// Tuesday 5 March 2024, 09:07:03.
std::tm Tuesday() {
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_wday = 2;
    t.tm_yday = 64;
    t.tm_hour = 9;
    t.tm_min = 7;
    t.tm_sec = 3;
    return t;
}

MacroText SplitAt(const std::string& text, std::tm when = Tuesday()) {
    return SplitMacros(text, [when] { return when; });
}

TEST(MacroSplit, DateMacrosBecomeTextAndKeyMacrosStayNames) {
    EXPECT_EQ(SplitAt("100% sure %DAY%"), (MacroText{T("100% sure "), T("5"), T("")}));
    EXPECT_EQ(SplitAt("Dear %CARET%,%RETURN%Regards"),
              (MacroText{T("Dear "), K("%CARET%"), T(","), K("%RETURN%"), T("Regards")}));
    EXPECT_EQ(SplitAt("%TAB%%TAB%"), (MacroText{T(""), K("%TAB%"), T(""), K("%TAB%"), T("")}));
}

TEST(MacroSplit, UnknownNamesStayLiteralAndTheirClosingSignMayOpenAMacro) {
    EXPECT_EQ(SplitAt("%month% and %Tab%"), MacroText{T("%month% and %Tab%")});
    EXPECT_EQ(SplitAt("%foo%TAB%x"), (MacroText{T("%foo"), K("%TAB%"), T("x")}));
    EXPECT_EQ(SplitAt("50%%YEAR%"), (MacroText{T("50%"), T("2024"), T("")}));
    EXPECT_EQ(SplitAt("a %UP"), MacroText{T("a %UP")});
}

TEST(MacroSplit, EveryDateMacroReadsTheClockAnew) {
    int reads = 0;
    std::tm t = Tuesday();
    MacroText parts = SplitMacros("%SECOND% %SECOND% %TAB%", [&] {
        t.tm_sec = reads++;
        return t;
    });
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(parts, (MacroText{T(""), T("0"), T(" "), T("1"), T(" "), K("%TAB%"), T("")}));
}

TEST(DateMacros, ExpandForTuesdayTheFifthOfMarch) {
    std::setlocale(LC_TIME, "C");
    const std::tm t = Tuesday();
    const std::pair<const char*, const char*> expected[] = {{"%DATE%", "03/05/24"},
                                                            {"%TIME_24%", "09:07:03"},
                                                            {"%TIME_12%", "09:07:03 AM"},
                                                            {"%YEAR%", "2024"},
                                                            {"%MONTH%", "3"},
                                                            {"%MONTH_02%", "03"},
                                                            {"%MONTHNAME%", "Mar"},
                                                            {"%FULLMONTHNAME%", "March"},
                                                            {"%DAY%", "5"},
                                                            {"%DAY_02%", "05"},
                                                            {"%WEEK%", "2"},
                                                            {"%WEEKNAME%", "Tue"},
                                                            {"%FULLWEEKNAME%", "Tuesday"},
                                                            {"%HOUR_24%", "9"},
                                                            {"%HOUR_24_02%", "09"},
                                                            {"%HOUR_12%", "9"},
                                                            {"%HOUR_12_02%", "09"},
                                                            {"%MINUTE%", "7"},
                                                            {"%MINUTE_02%", "07"},
                                                            {"%SECOND%", "3"},
                                                            {"%SECOND_02%", "03"}};
    for (const auto& [name, value] : expected) EXPECT_EQ(ExpandDateMacro(name, t), value) << name;
    EXPECT_EQ(ExpandDateMacro("%TAB%", t), "");
    EXPECT_EQ(ExpandDateMacro("%DAY", t), "");
    EXPECT_EQ(ExpandDateMacro("", t), "");
}

TEST(DateMacros, NoLeadingZeroAndTwelveHourEdges) {
    std::setlocale(LC_TIME, "C");
    std::tm t = Tuesday();
    t.tm_mday = 9;
    t.tm_hour = 0;
    t.tm_min = 30;
    t.tm_sec = 0;
    t.tm_wday = 0;  // Sunday
    EXPECT_EQ(ExpandDateMacro("%DAY%", t), "9");
    EXPECT_EQ(ExpandDateMacro("%DAY_02%", t), "09");
    EXPECT_EQ(ExpandDateMacro("%HOUR_12%", t), "12");
    EXPECT_EQ(ExpandDateMacro("%HOUR_12_02%", t), "12");
    EXPECT_EQ(ExpandDateMacro("%HOUR_24%", t), "0");
    EXPECT_EQ(ExpandDateMacro("%HOUR_24_02%", t), "00");
    EXPECT_EQ(ExpandDateMacro("%SECOND%", t), "0");
    EXPECT_EQ(ExpandDateMacro("%WEEK%", t), "0");
    EXPECT_EQ(ExpandDateMacro("%FULLWEEKNAME%", t), "Sunday");
    EXPECT_EQ(ExpandDateMacro("%TIME_12%", t), "12:30:00 AM");
    t.tm_hour = 13;
    t.tm_mon = 11;
    t.tm_mday = 31;
    EXPECT_EQ(ExpandDateMacro("%TIME_12%", t), "01:30:00 PM");
    EXPECT_EQ(ExpandDateMacro("%HOUR_12%", t), "1");
    EXPECT_EQ(ExpandDateMacro("%MONTH%", t), "12");
    EXPECT_EQ(ExpandDateMacro("%DAY%", t), "31");
    EXPECT_EQ(ExpandDateMacro("%FULLMONTHNAME%", t), "December");
}

}  // namespace
}  // namespace wl
