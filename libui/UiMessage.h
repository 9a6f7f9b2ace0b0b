// A message box as the library dialogs decide it: text, title and icon.  The
// Win32 dialogs show it; the logic classes only say what it is.
#pragma once

#include <string>

#include "platform/Product.h"

namespace wl {

using product::kTitleError;
using product::kTitleInfo;
using product::kTitlePlain;

struct UiMessage {
    enum class Icon { None, Stop, Exclamation, Information, Question };
    // With ask set the box has OK and Cancel, and the caller acts on OK only.
    std::string text;
    std::string title;
    Icon icon = Icon::None;
    bool ask = false;
    // The text is UTF-8 (it quotes what the user typed); otherwise it is in
    // the system's code page, as paths are.
    bool utf8 = false;

    bool empty() const { return text.empty(); }
};

}  // namespace wl
