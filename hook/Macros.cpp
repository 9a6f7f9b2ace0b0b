#include "hook/Macros.h"

#include <array>
#include <cstdio>

#include "platform/VirtualKeys.h"

namespace wl {

const char* const kMacroNames[kMacroCount + 1] = {"%DATE%",
                                                  "%TIME_24%",
                                                  "%TIME_12%",
                                                  "%YEAR%",
                                                  "%MONTH%",
                                                  "%MONTH_02%",
                                                  "%MONTHNAME%",
                                                  "%FULLMONTHNAME%",
                                                  "%DAY%",
                                                  "%DAY_02%",
                                                  "%WEEK%",
                                                  "%WEEKNAME%",
                                                  "%FULLWEEKNAME%",
                                                  "%HOUR_24%",
                                                  "%HOUR_24_02%",
                                                  "%HOUR_12%",
                                                  "%HOUR_12_02%",
                                                  "%MINUTE%",
                                                  "%MINUTE_02%",
                                                  "%SECOND%",
                                                  "%SECOND_02%",
                                                  "%CARET%",
                                                  "%UP%",
                                                  "%DOWN%",
                                                  "%PGUP%",
                                                  "%PGDN%",
                                                  "%BACKSPACE%",
                                                  "%RETURN%",
                                                  "%DELETE%",
                                                  "%HOME%",
                                                  "%END%",
                                                  "%TAB%",
                                                  ""};

int MacroIndex(std::string_view token) {
    if (token.empty()) return -1;
    for (int i = 0; i < kMacroCount; ++i)
        if (token == kMacroNames[i]) return i;
    return -1;
}

namespace {

std::string Number(int value, bool twoDigits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, twoDigits ? "%02d" : "%d", value);
    return buf;
}

int Hour12(const std::tm& t) {
    int h = t.tm_hour % 12;
    return h == 0 ? 12 : h;
}

// One strftime conversion from the C library (locale-dependent texts).
std::string LocaleText(char conversion, const std::tm& t) {
    char buf[128] = {};
    std::size_t n = 0;
    switch (conversion) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-y2k"  // the locale's own date layout is wanted
        case 'x':
            n = std::strftime(buf, sizeof buf, "%x", &t);
            break;
#pragma GCC diagnostic pop
        case 'p':
            n = std::strftime(buf, sizeof buf, "%p", &t);
            break;
        case 'a':
            n = std::strftime(buf, sizeof buf, "%a", &t);
            break;
        case 'A':
            n = std::strftime(buf, sizeof buf, "%A", &t);
            break;
        case 'b':
            n = std::strftime(buf, sizeof buf, "%b", &t);
            break;
        case 'B':
            n = std::strftime(buf, sizeof buf, "%B", &t);
            break;
        default:
            break;
    }
    return std::string(buf, n);
}

}  // namespace

std::string ExpandDateMacro(std::string_view token, const std::tm& t) {
    switch (MacroIndex(token)) {
        case 0:
            return LocaleText('x', t);  // %DATE%
        case 1:                         // %TIME_24%
            return Number(t.tm_hour, true) + ":" + Number(t.tm_min, true) + ":" +
                   Number(t.tm_sec, true);
        case 2:  // %TIME_12%
            return Number(Hour12(t), true) + ":" + Number(t.tm_min, true) + ":" +
                   Number(t.tm_sec, true) + " " + LocaleText('p', t);
        case 3:
            return Number(t.tm_year + 1900, false);
        case 4:
            return Number(t.tm_mon + 1, false);
        case 5:
            return Number(t.tm_mon + 1, true);
        case 6:
            return LocaleText('b', t);
        case 7:
            return LocaleText('B', t);
        case 8:
            return Number(t.tm_mday, false);
        case 9:
            return Number(t.tm_mday, true);
        case 10:
            return Number(t.tm_wday, false);
        case 11:
            return LocaleText('a', t);
        case 12:
            return LocaleText('A', t);
        case 13:
            return Number(t.tm_hour, false);
        case 14:
            return Number(t.tm_hour, true);
        case 15:
            return Number(Hour12(t), false);
        case 16:
            return Number(Hour12(t), true);
        case 17:
            return Number(t.tm_min, false);
        case 18:
            return Number(t.tm_min, true);
        case 19:
            return Number(t.tm_sec, false);
        case 20:
            return Number(t.tm_sec, true);
        default:
            return {};
    }
}

MacroText SplitMacros(std::string_view text, const std::function<std::tm()>& now) {
    MacroText parts;
    auto addText = [&](std::string_view s) {
        parts.push_back({MacroPart::Kind::Text, std::string(s)});
    };
    std::size_t open = text.find('%');
    if (open == std::string_view::npos) {
        addText(text);
        return parts;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            addText(text.substr(start));
            return parts;
        }
        std::string_view token = text.substr(open, close - open + 1);
        int index = MacroIndex(token);
        if (index < 0) {
            open = close;  // the closing sign may open the next token
            continue;
        }
        addText(text.substr(start, open - start));
        std::string expansion = index < kDateMacroCount ? ExpandDateMacro(token, now()) : "";
        if (!expansion.empty())
            addText(expansion);
        else
            parts.push_back({MacroPart::Kind::Key, std::string(token)});
        start = close + 1;
        open = text.find('%', start);
        if (open == std::string_view::npos) {
            addText(text.substr(start));
            return parts;
        }
    }
}

unsigned char KeyMacroVk(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, unsigned char>, 10> keys{{
        {"%UP%", vkey::kUp},
        {"%DOWN%", vkey::kDown},
        {"%PGUP%", vkey::kPrior},
        {"%PGDN%", vkey::kNext},
        {"%RETURN%", vkey::kReturn},
        {"%BACKSPACE%", vkey::kBack},
        {"%DELETE%", vkey::kDelete},
        {"%HOME%", vkey::kHome},
        {"%END%", vkey::kEnd},
        {"%TAB%", vkey::kTab},
    }};
    for (const auto& [n, vk] : keys)
        if (n == name) return vk;
    return 0;
}

}  // namespace wl
