// The hook library's decisions, on the shared record and the platform:
// keystroke capture and word tracking, the lookup of the longest suffix,
// showing the candidate window at the caret, the caret callback, the
// per-application policy and the replacement typing.  The Win32 exports and
// hook procedures are thin wrappers around this class.
#pragma once

#include <cstdint>
#include <string>

#include "hook/HookPlatform.h"
#include "hook/Macros.h"
#include "hook/SharedHookState.h"

namespace wl {

class Registry;

// Characters that may be captured besides letters and digits, and the
// boundaries of the suffixes offered for lookup.
inline constexpr char kPrintablePunctuation[] = " `-=\\[];',./~!@#$%^&*()_+|{}:\"<>?";
inline constexpr char kWordDelimiters[] = " ,<>?:.;'\"[{]}=+!@#$%^&*()\\";

// Reads the selection keys from the Option key (created when missing) into
// the record.  A value that is missing or not exactly its width leaves its
// field unchanged.
void ReadSelectKeys(SharedHookState& state, Registry& registry);

// EndVemo's clearing: the four texts to zero bytes, mainWindow and active 0.
void ClearSharedTexts(SharedHookState& state);

// GetInputStr: copies at most size - 1 bytes of inputWord, no terminator.
int CopyInputWord(const SharedHookState& state, char* buffer, int size);

// SetReplaceStr: stores the text, cut to fit 65,535 bytes plus its
// terminator without splitting a double-byte character, and the mode.
int StoreReplaceText(SharedHookState& state, const char* text, int mode, const CodePage& chars);

class HookLogic {
  public:
    enum class KeyResult { PassOn, Swallow };

    HookLogic(SharedHookState& state, HookPlatform& platform) : s_(state), p_(platform) {}

    // The keyboard hook procedure's decision for one event.
    KeyResult KeyboardProc(int code, std::uint32_t vk, std::uint32_t keyData);

    bool LookupLongestSuffix();
    void ShowAtCaret(bool show);
    // The caret callback: a caret location (or the failure to get one) from
    // the accessibility event or from the GUI-thread check.
    void OnCaretLocation(bool located, const HookRect& rect, Handle32 window);
    bool IsVemoEnabledForApp(Handle32 window);
    bool InputMethodActive();

    int ReplaceStr();
    void SendKey(char ch, std::uint8_t vk);
    void ClipboardPaste(const char* text, Handle32 window);
    // Queues a text for the paste marker key; false when the queue has no
    // room (texts whose markers never came through fill it).
    bool QueuePaste(const std::string& text);
    // The paste marker came through: the next queued text is pasted into the
    // focus window.
    void PasteNext();
    void TypeParts(const MacroText& parts);
    MacroText Split(const char* text);

    // mainWindow when it is set and still exists, else 0: a main program that
    // went away is treated as no main program.
    Handle32 LiveMainWindow();

  private:
    // The focus window, asked of the system once per keystroke.
    Handle32 Focus();
    bool IsSelectionKey(std::uint8_t vk) const;
    // A complete key or an index key: one that takes a candidate.
    bool IsCommitKey(std::uint8_t vk) const;
    // A key changed the word since the list was filled.
    bool ListIsBehind() const;
    // inputWord is the end of typedLine, as a lookup leaves it.
    bool WordEndsLine() const;
    bool IsCapturable(const char* chars) const;
    bool NeedsClipboard(const char* text);
    void SetPending();
    // The take-down count of the record (listSerial), and one more take-down.
    std::uint32_t ListSerial() const;
    void CountTakeDown();
    // Shows the list for the word at the caret unless the list was taken
    // down since the count was serial.
    void ShowSince(std::uint32_t serial);
    void ForgetForPassword();
    KeyResult SelectionKey(std::uint8_t vk, bool up, Handle32 main);

    SharedHookState& s_;
    HookPlatform& p_;
    bool focusKnown_ = false;
    Handle32 focus_ = 0;
};

}  // namespace wl
