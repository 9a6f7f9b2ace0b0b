#include "libui/win32/LibDialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <vector>

namespace wl {

LibDialog::~LibDialog() {
    // A derived dialog has destroyed its window in its own destructor (see
    // Destroy); this only detaches a window that is left.
    if (m_hWnd && IsWindow(m_hWnd)) {
        HWND hwnd = m_hWnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        m_hWnd = nullptr;
        DestroyWindow(hwnd);
    }
}

void LibDialog::Destroy() {
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
}

HINSTANCE LibUiModule() {
    return GetModuleHandleA(nullptr);
}

void EnsureCommonControls() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX),
                                 ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)done;
}

std::string WindowText(HWND hwnd) {
    if (!hwnd) return {};
    const int length = GetWindowTextLengthA(hwnd);
    if (length <= 0) return {};
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    const int got = GetWindowTextA(hwnd, text.data(), length + 1);
    return std::string(text.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

std::string LibDialog::ItemText(int id) const {
    return WindowText(Item(id));
}

void LibDialog::SetMessageResult(LRESULT result) const {
    SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
}

INT_PTR LibDialog::DoModal(HWND owner) {
    EnsureCommonControls();
    m_bModal = true;
    m_nResult = 0;
    return DialogBoxParamA(LibUiModule(), MAKEINTRESOURCEA(m_nResourceId), owner,
                           &LibDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

HWND LibDialog::Create(HWND owner) {
    EnsureCommonControls();
    m_bModal = false;
    m_nResult = 0;
    return CreateDialogParamA(LibUiModule(), MAKEINTRESOURCEA(m_nResourceId), owner,
                              &LibDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void LibDialog::End(INT_PTR result) {
    m_nResult = result;
    if (!m_hWnd) return;
    if (m_bModal)
        EndDialog(m_hWnd, result);
    else
        DestroyWindow(m_hWnd);
}

INT_PTR CALLBACK LibDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LibDialog* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<LibDialog*>(lp);
        SetWindowLongPtrA(hwnd, DWLP_USER, lp);
        self->m_hWnd = hwnd;
        return self->OnInitDialog();
    }
    self = reinterpret_cast<LibDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) return FALSE;
    if (msg == WM_DESTROY) {
        self->OnDestroy();
        return FALSE;
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        return FALSE;
    }
    return self->OnMessage(msg, wp, lp);
}

int LibUiHost::ShowMessage(HWND owner, const UiMessage& message) {
    UINT flags = message.ask ? MB_OKCANCEL : MB_OK;
    switch (message.icon) {
        case UiMessage::Icon::Stop:
            flags |= MB_ICONSTOP;
            break;
        case UiMessage::Icon::Exclamation:
            flags |= MB_ICONEXCLAMATION;
            break;
        case UiMessage::Icon::Information:
            flags |= MB_ICONINFORMATION;
            break;
        case UiMessage::Icon::Question:
            flags |= MB_ICONQUESTION;
            break;
        case UiMessage::Icon::None:
            break;
    }
    return MessageBoxA(owner, message.text.c_str(), message.title.c_str(), flags);
}

std::string LibUiHost::ChooseFile(HWND owner, bool save) {
    char file[MAX_PATH] = "*.txt";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "Text (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrDefExt = "txt";
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    BOOL ok;
    if (save) {
        ofn.Flags |= OFN_OVERWRITEPROMPT;
        ok = GetSaveFileNameA(&ofn);
    } else {
        ofn.Flags |= OFN_FILEMUSTEXIST;
        ok = GetOpenFileNameA(&ofn);
    }
    if (!ok) return {};
    file[sizeof file - 1] = '\0';
    return file;
}

LibUiHost& DefaultLibUiHost() {
    static LibUiHost host;
    return host;
}

}  // namespace wl
