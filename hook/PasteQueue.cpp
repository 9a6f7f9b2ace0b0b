#include "hook/PasteQueue.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace wl {

using vemo::kReplaceSize;

namespace {

constexpr std::uint32_t kWmPaste = 0x0302;

// A text waits at most this long for its paste marker: a marker that never
// comes through (the keys went to an application that does not load the
// hook library) costs that one paste, not every later one.
constexpr std::uint32_t kPasteMaxAgeMs = 1000;
constexpr std::size_t kPasteHeader = 12;  // window, tick count, encoding

struct PasteEntry {
    Handle32 window;
    std::uint32_t tick;
    std::uint32_t encoding;
    std::string_view text;
    std::uint32_t next;  // where the entry after it starts
};

// The queued entry at `at`; false past the end or in a damaged record.
bool ReadPasteEntry(const SharedHookState& s, std::uint32_t at, std::uint32_t write,
                    PasteEntry& entry) {
    if (write > kReplaceSize || at >= write || write - at < kPasteHeader) return false;
    std::memcpy(&entry.window, s.pasteQueue + at, 4);
    std::memcpy(&entry.tick, s.pasteQueue + at + 4, 4);
    std::memcpy(&entry.encoding, s.pasteQueue + at + 8, 4);
    const char* text = s.pasteQueue + at + kPasteHeader;
    const std::size_t len = strnlen(text, write - at - kPasteHeader);
    entry.text = {text, len};
    entry.next =
        static_cast<std::uint32_t>(std::min<std::size_t>(at + kPasteHeader + len + 1, write));
    return true;
}

bool PasteTooOld(const PasteEntry& entry, std::uint32_t now) {
    return now - entry.tick > kPasteMaxAgeMs;  // (unsigned: across the tick count's wrap)
}

}  // namespace

bool PasteQueue::Queue(const std::string& text, std::uint32_t encoding) {
    std::uint32_t read = s_.pasteRead, write = s_.pasteWrite;
    if (read >= write || write > kReplaceSize) read = write = 0;  // drained: from the front
    // Texts whose markers are long overdue will never be pasted: their room
    // is taken back.
    const std::uint32_t now = clock_.TickCount();
    for (PasteEntry e; ReadPasteEntry(s_, read, write, e) && PasteTooOld(e, now);) read = e.next;
    if (read >= write) read = write = 0;
    const std::size_t need = kPasteHeader + text.size() + 1;
    if (need > kReplaceSize - write) return false;
    const Handle32 target = Target();
    std::memcpy(s_.pasteQueue + write, &target, 4);
    std::memcpy(s_.pasteQueue + write + 4, &now, 4);
    std::memcpy(s_.pasteQueue + write + 8, &encoding, 4);
    std::memcpy(s_.pasteQueue + write + kPasteHeader, text.c_str(), text.size() + 1);
    s_.pasteRead = read;
    s_.pasteWrite = write + static_cast<std::uint32_t>(need);
    return true;
}

void PasteQueue::PasteNext() {
    std::uint32_t read = s_.pasteRead;
    const std::uint32_t write = s_.pasteWrite;
    if (write > kReplaceSize) return;
    const Handle32 target = Target();
    const std::uint32_t now = clock_.TickCount();
    // Texts meant for another window, or overdue, lost their markers: they
    // are dropped, and the first one meant for this marker is pasted.
    for (PasteEntry e; ReadPasteEntry(s_, read, write, e);) {
        read = e.next;
        if (PasteTooOld(e, now) || (target && e.window && e.window != target)) continue;
        s_.pasteRead = read;
        PasteNow(std::string(e.text).c_str(), target, e.encoding);
        return;
    }
    s_.pasteRead = read;
}

void PasteQueue::PasteNow(const char* text, Handle32 window, std::uint32_t encoding) {
    if (!s_.mainWindow || !clip_.PutClipboardText(s_.mainWindow, text, std::strlen(text), encoding))
        return;
    if (window) w_.PostToWindow(window, kWmPaste, 0, 0);
}

// The window the keys go to; the caret's window when none has the focus.
Handle32 PasteQueue::Target() {
    Handle32 focus = w_.FocusWindow();
    return focus ? focus : s_.caretWindow;
}

}  // namespace wl
