#include "app/win32/RowText.h"

#include "platform/CodePage.h"
#include "platform/win32/WideText.h"
#include "store/LibraryEntry.h"

namespace wl {

std::wstring WideOfEntryText(const std::string& text, std::int32_t encoding) {
    if (encoding == EncodingUtf8) {
        if (IsUtf8(text)) return WideFromUtf8(text);
        // A damaged text shows what of it is whole; it is never typed.
        std::string whole;
        for (std::size_t at = 0; at < text.size();) {
            char32_t c;
            if (NextUtf8(text, at, c))
                AppendUtf8(c, whole);
            else
                ++at;
        }
        return WideFromUtf8(whole);
    }
    return WideFromCodePage(text);
}

}  // namespace wl
