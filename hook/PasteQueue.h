// Texts that replacement typing cannot type with keys (double-byte
// characters, characters without a key on the layout) go through the
// clipboard.  A paste posted at once would overtake the keys typed before it,
// so the text waits in the record's queue and a marker key takes its place in
// the input; the keyboard hook pastes the text when the marker comes through.
// The main window puts the text on the clipboard for the paste and the
// user's content back afterwards (Clipboard).
#pragma once

#include <cstdint>
#include <string>

#include "hook/HookPlatform.h"
#include "hook/SharedHookState.h"

namespace wl {

class PasteQueue {
  public:
    PasteQueue(SharedHookState& state, Clipboard& clipboard, WindowSystem& windows, Clock& clock)
        : s_(state), clip_(clipboard), w_(windows), clock_(clock) {}

    // Queues a text (in the code page, or UTF-8 with vemo::kReplaceUtf8) for
    // the focus window; false when the queue has no room.
    bool Queue(const std::string& text, std::uint32_t encoding = vemo::kReplaceCodePage);
    // A paste marker came through: the first text meant for the focus window
    // is pasted there, and texts whose markers were lost are dropped.
    void PasteNext();
    // Has the main window put the text on the clipboard and posts WM_PASTE
    // to the window; nothing is pasted when the clipboard is busy.
    void PasteNow(const char* text, Handle32 window,
                  std::uint32_t encoding = vemo::kReplaceCodePage);

  private:
    Handle32 Target();

    SharedHookState& s_;
    Clipboard& clip_;
    WindowSystem& w_;
    Clock& clock_;
};

}  // namespace wl
