// What the hook logic asks of the system, as a few small interfaces: each
// part of the logic takes only those it needs.  The Windows build implements
// them all on the Win32 API (hook/win32/Win32HookPlatform.cpp); the native
// tests script them and record what was asked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "hook/SharedHookState.h"

namespace wl {

class CodePage;

// The dead key an application holds while the next key is awaited, as the
// keyboard hook remembers it on systems where translating a key changes the
// layout's dead-key state (see TranslatePress, hook/KeyChars.h).
struct PendingDeadKey {
    bool pending = false;
    std::uint32_t vk = 0;
    std::uint32_t scanCode = 0;
    std::uint8_t state[256] = {};  // the keyboard state it was typed with
};

// Reading keys and synthesizing them.
class KeyboardInput {
  public:
    virtual ~KeyboardInput() = default;
    // The keyboard state (GetKeyboardState); false when it cannot be read.
    // mayBeRouted: this process is the main program, so the keystroke may
    // belong to another process's thread (the hook of a 32-bit application
    // on 64-bit Windows), whose state this thread does not have: the
    // modifiers then come from the physical keyboard.
    virtual bool KeyboardState(std::uint8_t state[256], bool mayBeRouted) = 0;
    // ToUnicodeEx of a key with the keyboard layout of the thread that has
    // the focus: the number of UTF-16 units written to out (at most size),
    // negative for a dead key (its character in out[0]), 0 for none.
    // keepState asks to leave the layout's dead-key state as it was (wFlags
    // bit 2), which only systems that know the flag do.
    virtual int ToUnicode(std::uint32_t vk, std::uint32_t scanCode, const std::uint8_t state[256],
                          char16_t* out, int size, bool keepState, bool mayBeRouted) = 0;
    // Whether ToUnicode honours keepState (Windows 10 1607 and later).
    virtual bool KeepsKeyboardState() = 0;
    // This thread's memory of the dead key its application holds.
    virtual PendingDeadKey& DeadKeyOfThread() = 0;
    virtual void KeyEvent(std::uint8_t vk, std::uint8_t scanCode, bool up) = 0;  // keybd_event
    // One UTF-16 unit typed as itself (SendInput with KEYEVENTF_UNICODE),
    // going down or up, with extraInfo as the input's extra information.
    virtual void UnicodeEvent(char16_t unit, bool up, std::uint32_t extraInfo) = 0;
    virtual std::int16_t KeyForChar(char ch) = 0;  // VkKeyScanA
    virtual bool CapsLockOn() = 0;
    // Whether the user holds a Shift key down now.
    virtual bool ShiftHeld() = 0;
};

// The keyboard focus and the caret, as one question of the system.
struct FocusInfo {
    Handle32 focus = 0;        // the focus window of the foreground thread
    Handle32 caretWindow = 0;  // the window that owns the caret; 0: none
    HookRect caret{};          // the caret in caretWindow's client area
};

// Windows, messages and the keyboard focus.
class WindowSystem {
  public:
    virtual ~WindowSystem() = default;
    virtual bool WindowExists(Handle32 window) = 0;  // IsWindow
    virtual bool WindowVisible(Handle32 window) = 0;
    virtual void HideWindow(Handle32 window) = 0;
    // Topmost at (x, y) in screen coordinates, size unchanged, shown, not
    // activated.
    virtual void ShowTopmostAt(Handle32 window, int x, int y) = 0;
    // Sends and waits a bounded time for the answer; false when no answer
    // came (hung, gone, timed out).
    virtual bool SendToWindow(Handle32 window, std::uint32_t message, std::intptr_t wParam,
                              std::intptr_t lParam, std::intptr_t& answer) = 0;
    virtual void PostToWindow(Handle32 window, std::uint32_t message, std::intptr_t wParam,
                              std::intptr_t lParam) = 0;
    // Brings the top-level window of this window to the foreground.
    virtual void BringToForeground(Handle32 window) = 0;
    // The window with the keyboard focus in the foreground thread.
    virtual Handle32 FocusWindow() = 0;
    // That window and the caret of its thread (GetGUIThreadInfo).
    virtual FocusInfo FocusAndCaret() = 0;
    // True for an edit control that hides its text (ES_PASSWORD).
    virtual bool IsPasswordField(Handle32 window) = 0;
    // True for a field of one line where Tab moves on to the next field: an
    // edit control without the multi-line style, a combo box.
    virtual bool IsSingleLineField(Handle32 window) = 0;
    // The input method's description for the keyboard layout of the thread
    // that owns the window (ImmGetDescriptionA); the text's length, 0 when
    // there is none.
    virtual int InputMethodDescription(Handle32 window, char* buffer, int size) = 0;
};

// The processes behind the windows.
class ProcessInfo {
  public:
    virtual ~ProcessInfo() = default;
    // True in the main program's process (the one that installed the hooks).
    virtual bool IsMainProgram() = 0;
    virtual std::uint32_t WindowProcessId(Handle32 window) = 0;
    virtual std::uint32_t CurrentProcessId() = 0;
    // Full path of the current process's executable, NUL-terminated, at most
    // size bytes; false when it cannot be read.
    virtual bool CurrentExecutablePath(char* buffer, std::size_t size) = 0;
    // The same for another process.
    virtual bool ProcessExecutablePath(std::uint32_t processId, char* buffer, std::size_t size) = 0;
};

// The clipboard belongs to the user: the hook library never changes it
// itself.  It hands a text for one paste to the main window, which keeps the
// user's content, puts the text on the clipboard and puts the user's content
// back once the paste has taken the text.
class Clipboard {
  public:
    virtual ~Clipboard() = default;
    // Hands the text (len bytes, in the code page or, with vemo::kReplaceUtf8,
    // UTF-8) to the main window and waits a bounded time for its answer.
    // True when the text is on the clipboard now; false when there was no
    // answer or the clipboard was busy: then nothing is to be pasted.
    virtual bool PutClipboardText(Handle32 mainWindow, const char* text, std::size_t len,
                                  std::uint32_t encoding) = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::tm LocalTime() = 0;
    // Milliseconds since the system started (GetTickCount): wraps.
    virtual std::uint32_t TickCount() = 0;
};

// The per-application switches under the AppOption key, read on every
// keystroke that the policy decides.
class AppSwitches {
  public:
    virtual ~AppSwitches() = default;
    // The application's own EnableVemo; false when it has none (or the
    // settings cannot be read).
    virtual bool OwnSwitch(const std::string& application, std::uint32_t& value) = 0;
    // OthersEnableVemo; false when it is missing.
    virtual bool OthersSwitch(std::uint32_t& value) = 0;
    // The application's own EnablePredict; false when it has none.
    virtual bool OwnPredictSwitch(const std::string& application, std::uint32_t& value) {
        (void)application, (void)value;
        return false;
    }
    // The application's own TypeByClipboard; false when it has none.
    virtual bool OwnClipboardSwitch(const std::string& application, std::uint32_t& value) {
        (void)application, (void)value;
        return false;
    }
    // True while nothing under AppOption has changed since the previous call
    // (a watch registered then has not fired); otherwise registers a new
    // watch and answers false, as it does when it cannot watch at all.
    virtual bool Unchanged() { return false; }
};

// The system's ANSI code page: letters, digits and lead bytes; and the
// system's classification of any character.
class TextChars {
  public:
    enum class Kind { Other, Letter, Digit };
    virtual ~TextChars() = default;
    virtual const CodePage& Chars() = 0;
    // UTF-16 characters in the code page as ToAscii gives them (a look-alike
    // or "?" for a character the code page does not hold): the number of
    // bytes written to out, at most size; 0 when they do not fit.
    virtual int ToCodePage(const char16_t* chars, int n, char* out, int size) = 0;
    // IsCharAlphaW, IsCharAlphaNumericW.
    virtual Kind KindOf(char32_t c) = 0;
};

// Everything at once: what a whole platform implements.
class HookPlatform : public KeyboardInput,
                     public WindowSystem,
                     public ProcessInfo,
                     public Clipboard,
                     public Clock,
                     public AppSwitches,
                     public TextChars {};

}  // namespace wl
