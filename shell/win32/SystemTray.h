// The notification-area icon: a hidden window of its own receives the icon's
// notifications; a right click opens the tray menu, a double click runs the
// default item.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>

namespace wl {

class CSystemTray {
  public:
    // Called each time the menu is about to open, to set check marks and texts.
    using MenuPreparer = std::function<void(HMENU popup)>;

    CSystemTray() = default;
    ~CSystemTray();
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    // Creates the hidden window and adds the icon; false (and no icon) when
    // the shell refuses it.  mainWindow receives the menu's commands.
    bool Create(HWND mainWindow, UINT callbackMessage, const char* tooltip, HICON icon, UINT id,
                MenuPreparer prepare);
    void SetIcon(HICON icon);
    void SetIcon(UINT resourceId);
    void SetMenuDefaultItem(UINT item, bool byPosition);
    void Remove();

    // The notification handler: 1 when the notification was for this icon.
    LRESULT OnTrayNotification(WPARAM wp, LPARAM lp);

    bool present() const { return m_bEnabled; }
    HWND hwnd() const { return m_hWnd; }
    UINT defaultItem() const { return m_nDefaultItem; }

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND m_hWnd = nullptr;
    HWND m_hMainWnd = nullptr;
    NOTIFYICONDATAA m_tnd = {};
    bool m_bEnabled = false;
    UINT m_nDefaultItem = 0;
    bool m_bDefaultByPosition = false;
    MenuPreparer m_prepare;
};

}  // namespace wl
