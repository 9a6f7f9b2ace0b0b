// UTF-8 and the system's UTF-16, for the wide-character calls: paths the
// system's code page cannot hold, and texts that show them.
#pragma once

#include <string>
#include <string_view>

namespace wl {

// The UTF-16 of utf8; "" when utf8 is not valid UTF-8.
std::wstring WideFromUtf8(std::string_view utf8);
// The UTF-16 of text in the system's code page.
std::wstring WideFromCodePage(std::string_view text);
// The UTF-8 of wide (an unpaired surrogate becomes U+FFFD).
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace wl
