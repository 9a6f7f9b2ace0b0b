// A candidate's text for the wide-character calls that show it.
#pragma once

#include <cstdint>
#include <string>

namespace wl {

// text in its entry's encoding (EncodingUtf8, or else the system's code
// page) as UTF-16; what is no UTF-8 in a Unicode text is left out.
std::wstring WideOfEntryText(const std::string& text, std::int32_t encoding);

}  // namespace wl
