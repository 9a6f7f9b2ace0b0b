#include "hook/Macros.h"

#include <array>
#include <cstdio>

#include "platform/VirtualKeys.h"

namespace wl {

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
        case MacroIndex(macro::kDate):
            return LocaleText('x', t);
        case MacroIndex(macro::kTime24):
            return Number(t.tm_hour, true) + ":" + Number(t.tm_min, true) + ":" +
                   Number(t.tm_sec, true);
        case MacroIndex(macro::kTime12):
            return Number(Hour12(t), true) + ":" + Number(t.tm_min, true) + ":" +
                   Number(t.tm_sec, true) + " " + LocaleText('p', t);
        case MacroIndex(macro::kYear):
            return Number(t.tm_year + 1900, false);
        case MacroIndex(macro::kMonth):
            return Number(t.tm_mon + 1, false);
        case MacroIndex(macro::kMonth02):
            return Number(t.tm_mon + 1, true);
        case MacroIndex(macro::kMonthName):
            return LocaleText('b', t);
        case MacroIndex(macro::kFullMonthName):
            return LocaleText('B', t);
        case MacroIndex(macro::kDay):
            return Number(t.tm_mday, false);
        case MacroIndex(macro::kDay02):
            return Number(t.tm_mday, true);
        case MacroIndex(macro::kWeek):
            return Number(t.tm_wday, false);
        case MacroIndex(macro::kWeekName):
            return LocaleText('a', t);
        case MacroIndex(macro::kFullWeekName):
            return LocaleText('A', t);
        case MacroIndex(macro::kHour24):
            return Number(t.tm_hour, false);
        case MacroIndex(macro::kHour24_02):
            return Number(t.tm_hour, true);
        case MacroIndex(macro::kHour12):
            return Number(Hour12(t), false);
        case MacroIndex(macro::kHour12_02):
            return Number(Hour12(t), true);
        case MacroIndex(macro::kMinute):
            return Number(t.tm_min, false);
        case MacroIndex(macro::kMinute02):
            return Number(t.tm_min, true);
        case MacroIndex(macro::kSecond):
            return Number(t.tm_sec, false);
        case MacroIndex(macro::kSecond02):
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
        {macro::kUp, vkey::kUp},
        {macro::kDown, vkey::kDown},
        {macro::kPageUp, vkey::kPrior},
        {macro::kPageDown, vkey::kNext},
        {macro::kReturn, vkey::kReturn},
        {macro::kBackspace, vkey::kBack},
        {macro::kDelete, vkey::kDelete},
        {macro::kHome, vkey::kHome},
        {macro::kEnd, vkey::kEnd},
        {macro::kTab, vkey::kTab},
    }};
    for (const auto& [n, vk] : keys)
        if (n == name) return vk;
    return 0;
}

}  // namespace wl
