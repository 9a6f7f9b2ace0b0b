// HookPlatform on the Win32 API, and the conversions between the record's
// 32-bit handles and Windows handles.
#pragma once

#include <windows.h>

#include <atomic>

#include "hook/HookPlatform.h"

namespace wl {

// Window and hook handles are 32-bit significant; widening sign-extends them
// as LongToHandle does.
inline HWND ToHwnd(Handle32 value) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<std::int32_t>(value)));
}
template <typename H>
inline H FromHandle32(Handle32 value) {
    return reinterpret_cast<H>(static_cast<INT_PTR>(static_cast<std::int32_t>(value)));
}
template <typename H>
inline Handle32 ToHandle32(H handle) {
    return static_cast<Handle32>(reinterpret_cast<UINT_PTR>(handle));
}

class Win32HookPlatform : public HookPlatform {
  public:
    bool KeyboardState(std::uint8_t state[256], bool mayBeRouted) override;
    int ToUnicode(std::uint32_t vk, std::uint32_t scanCode, const std::uint8_t state[256],
                  char16_t* out, int size, bool keepState, bool mayBeRouted) override;
    bool KeepsKeyboardState() override;
    PendingDeadKey& DeadKeyOfThread() override;
    const CodePage& Chars() override;
    int ToCodePage(const char16_t* chars, int n, char* out, int size) override;
    Kind KindOf(char32_t c) override;
    bool WindowExists(Handle32 window) override;
    bool WindowVisible(Handle32 window) override;
    void HideWindow(Handle32 window) override;
    void ShowTopmostAt(Handle32 window, int x, int y) override;
    bool SendToWindow(Handle32 window, std::uint32_t message, std::intptr_t wParam,
                      std::intptr_t lParam, std::intptr_t& answer) override;
    void PostToWindow(Handle32 window, std::uint32_t message, std::intptr_t wParam,
                      std::intptr_t lParam) override;
    void BringToForeground(Handle32 window) override;
    Handle32 FocusWindow() override;
    FocusInfo FocusAndCaret() override;
    bool IsMainProgram() override { return mainProgram_; }
    // Set by BeginVemo in the process that installs the hooks.
    void SetMainProgram(bool value) { mainProgram_ = value; }
    bool IsPasswordField(Handle32 window) override;
    bool IsSingleLineField(Handle32 window) override;
    std::uint32_t WindowProcessId(Handle32 window) override;
    std::uint32_t CurrentProcessId() override;
    bool CurrentExecutablePath(char* buffer, std::size_t size) override;
    bool ProcessExecutablePath(std::uint32_t processId, char* buffer, std::size_t size) override;
    void KeyEvent(std::uint8_t vk, std::uint8_t scanCode, bool up) override;
    void UnicodeEvent(char16_t unit, bool up, std::uint32_t extraInfo) override;
    std::int16_t KeyForChar(char ch) override;
    bool CapsLockOn() override;
    bool ShiftHeld() override;
    bool PutClipboardText(Handle32 mainWindow, const char* text, std::size_t len,
                          std::uint32_t encoding) override;
    bool OwnSwitch(const std::string& application, std::uint32_t& value) override;
    bool OthersSwitch(std::uint32_t& value) override;
    bool OwnPredictSwitch(const std::string& application, std::uint32_t& value) override;
    bool OwnClipboardSwitch(const std::string& application, std::uint32_t& value) override;
    bool Unchanged() override;
    int InputMethodDescription(Handle32 window, char* buffer, int size) override;
    std::tm LocalTime() override;
    std::uint32_t TickCount() override;

  private:
    std::atomic<bool> mainProgram_{false};
};

// The one instance the library uses.
Win32HookPlatform& HookSystem();
// Closes what the instance keeps open (the library is being unloaded).
void ReleaseHookSystem();

}  // namespace wl
