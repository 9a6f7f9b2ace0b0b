// The macro vocabulary of replacement texts: the 32 names in their fixed
// order, the date and time names first, and a named constant for each.
// Everything that writes, offers or reads a macro name (the replacement
// typing, the library editor's macro menu, the snippet readers) spells it
// through these.
#pragma once

#include <string_view>

namespace wl {

inline constexpr int kMacroCount = 32;
inline constexpr int kDateMacroCount = 21;  // the first 21 names of the table

namespace macro {

// The date and time macros, in the table's order.
inline constexpr char kDate[] = "%DATE%";
inline constexpr char kTime24[] = "%TIME_24%";
inline constexpr char kTime12[] = "%TIME_12%";
inline constexpr char kYear[] = "%YEAR%";
inline constexpr char kMonth[] = "%MONTH%";
inline constexpr char kMonth02[] = "%MONTH_02%";
inline constexpr char kMonthName[] = "%MONTHNAME%";
inline constexpr char kFullMonthName[] = "%FULLMONTHNAME%";
inline constexpr char kDay[] = "%DAY%";
inline constexpr char kDay02[] = "%DAY_02%";
inline constexpr char kWeek[] = "%WEEK%";
inline constexpr char kWeekName[] = "%WEEKNAME%";
inline constexpr char kFullWeekName[] = "%FULLWEEKNAME%";
inline constexpr char kHour24[] = "%HOUR_24%";
inline constexpr char kHour24_02[] = "%HOUR_24_02%";
inline constexpr char kHour12[] = "%HOUR_12%";
inline constexpr char kHour12_02[] = "%HOUR_12_02%";
inline constexpr char kMinute[] = "%MINUTE%";
inline constexpr char kMinute02[] = "%MINUTE_02%";
inline constexpr char kSecond[] = "%SECOND%";
inline constexpr char kSecond02[] = "%SECOND_02%";
// Where the caret ends up, then the key macros.
inline constexpr char kCaret[] = "%CARET%";
inline constexpr char kUp[] = "%UP%";
inline constexpr char kDown[] = "%DOWN%";
inline constexpr char kPageUp[] = "%PGUP%";
inline constexpr char kPageDown[] = "%PGDN%";
inline constexpr char kBackspace[] = "%BACKSPACE%";
inline constexpr char kReturn[] = "%RETURN%";
inline constexpr char kDelete[] = "%DELETE%";
inline constexpr char kHome[] = "%HOME%";
inline constexpr char kEnd[] = "%END%";
inline constexpr char kTab[] = "%TAB%";

}  // namespace macro

// The 32 names in their fixed order, then an empty string.
inline constexpr const char* kMacroNames[kMacroCount + 1] = {macro::kDate,
                                                             macro::kTime24,
                                                             macro::kTime12,
                                                             macro::kYear,
                                                             macro::kMonth,
                                                             macro::kMonth02,
                                                             macro::kMonthName,
                                                             macro::kFullMonthName,
                                                             macro::kDay,
                                                             macro::kDay02,
                                                             macro::kWeek,
                                                             macro::kWeekName,
                                                             macro::kFullWeekName,
                                                             macro::kHour24,
                                                             macro::kHour24_02,
                                                             macro::kHour12,
                                                             macro::kHour12_02,
                                                             macro::kMinute,
                                                             macro::kMinute02,
                                                             macro::kSecond,
                                                             macro::kSecond02,
                                                             macro::kCaret,
                                                             macro::kUp,
                                                             macro::kDown,
                                                             macro::kPageUp,
                                                             macro::kPageDown,
                                                             macro::kBackspace,
                                                             macro::kReturn,
                                                             macro::kDelete,
                                                             macro::kHome,
                                                             macro::kEnd,
                                                             macro::kTab,
                                                             ""};

// Index of a token (percent sign to percent sign, both included) in the
// table, compared case-sensitively; -1 when it is not a macro name.
constexpr int MacroIndex(std::string_view token) {
    if (token.empty()) return -1;
    for (int i = 0; i < kMacroCount; ++i)
        if (token == kMacroNames[i]) return i;
    return -1;
}

static_assert(MacroIndex(macro::kSecond02) == kDateMacroCount - 1);
static_assert(MacroIndex(macro::kTab) == kMacroCount - 1);

}  // namespace wl
