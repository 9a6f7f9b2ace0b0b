// The splitting of replacement texts into parts, and the 21 date and time
// macros.
#include <gtest/gtest.h>

#include <clocale>
#include <sstream>
#include <string>
#include <tuple>

#include "hook/Macros.h"

namespace wl {
namespace {

// 2024, at a day of March (or another month) and of the week and a time.
std::tm At(int mday, int wday, int hour, int min, int sec, int mon = 2) {
    std::tm t{};
    std::tie(t.tm_year, t.tm_mon, t.tm_mday, t.tm_wday, t.tm_hour, t.tm_min, t.tm_sec) =
        std::tuple(124, mon, mday, wday, hour, min, sec);
    return t;
}
const std::tm kTuesday = At(5, 2, 9, 7, 3);  // Tuesday 5 March 2024, 09:07:03

// The parts: each text in parentheses, each key macro in brackets.
std::string Render(const MacroText& parts) {
    std::string out;
    for (const MacroPart& part : parts)
        out += part.kind == MacroPart::Kind::Key ? "[" + part.text + "]" : "(" + part.text + ")";
    return out;
}

std::string SplitAt(const std::string& text) {
    return Render(SplitMacros(text, [] { return kTuesday; }));
}

// The expansions of the names, each followed by a bar.
std::string Expand(const std::string& names, const std::tm& t) {
    std::setlocale(LC_TIME, "C");
    std::istringstream in(names);
    std::string name, out;
    while (in >> name) out += ExpandDateMacro(name, t) + "|";
    return out;
}

TEST(MacroSplit, UnknownNamesStayLiteralAndTheirClosingSignMayOpenAMacro) {
    EXPECT_EQ(SplitAt("%month% and %Tab%"), "(%month% and %Tab%)");
    EXPECT_EQ(SplitAt("%foo%TAB%x"), "(%foo)[%TAB%](x)");
    EXPECT_EQ(SplitAt("50%%YEAR%"), "(50%)(2024)()");
    EXPECT_EQ(SplitAt("a %UP"), "(a %UP)");
}

TEST(MacroSplit, EveryDateMacroReadsTheClockAnew) {
    int reads = 0;
    std::tm t = kTuesday;
    MacroText parts = SplitMacros("%SECOND% %SECOND% %TAB%", [&] {
        t.tm_sec = reads++;
        return t;
    });
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(Render(parts), "()(0)( )(1)( )[%TAB%]()");
}

TEST(DateMacros, ExpandForTuesdayTheFifthOfMarch) {
    EXPECT_EQ(Expand("%DATE% %TIME_24% %TIME_12% %YEAR% %MONTH% %MONTH_02% %MONTHNAME%", kTuesday),
              "03/05/24|09:07:03|09:07:03 AM|2024|3|03|Mar|");
    EXPECT_EQ(Expand("%FULLMONTHNAME% %DAY% %DAY_02% %WEEK% %WEEKNAME% %FULLWEEKNAME%", kTuesday),
              "March|5|05|2|Tue|Tuesday|");
    EXPECT_EQ(Expand("%HOUR_24% %HOUR_24_02% %HOUR_12% %HOUR_12_02% %MINUTE% %MINUTE_02% "
                     "%SECOND% %SECOND_02%",
                     kTuesday),
              "9|09|9|09|7|07|3|03|");
    EXPECT_EQ(Expand("%TAB% %DAY", kTuesday), "||");
    EXPECT_EQ(ExpandDateMacro("", kTuesday), "");
}

TEST(DateMacros, NoLeadingZeroAndTwelveHourEdges) {
    std::tm t = At(9, 0, 0, 30, 0);  // Sunday 9 March, half past midnight
    EXPECT_EQ(Expand("%DAY% %DAY_02% %HOUR_12% %HOUR_12_02% %HOUR_24% %HOUR_24_02% %SECOND% "
                     "%WEEK% %FULLWEEKNAME% %TIME_12%",
                     t),
              "9|09|12|12|0|00|0|0|Sunday|12:30:00 AM|");
    t = At(31, 0, 13, 30, 0, 11);  // 31 December, half past one
    EXPECT_EQ(Expand("%TIME_12% %HOUR_12% %MONTH% %DAY% %FULLMONTHNAME%", t),
              "01:30:00 PM|1|12|31|December|");
}

}  // namespace
}  // namespace wl
