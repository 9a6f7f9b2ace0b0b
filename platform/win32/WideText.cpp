#include "platform/win32/WideText.h"

#include <windows.h>

#include <climits>

namespace wl {

namespace {

std::wstring Wide(UINT page, DWORD flags, std::string_view text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(page, flags, text.data(), length, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(page, flags, text.data(), length, wide.data(), n);
    return wide;
}

}  // namespace

std::wstring WideFromUtf8(std::string_view utf8) {
    return Wide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8);
}

std::wstring WideFromCodePage(std::string_view text) {
    return Wide(CP_ACP, 0, text);
}

std::string Utf8FromWide(std::wstring_view wide) {
    if (wide.empty() || wide.size() > INT_MAX / 4) return {};
    const int length = static_cast<int>(wide.size());
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string utf8(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), n, nullptr, nullptr);
    return utf8;
}

}  // namespace wl
