#include "platform/win32/DialogBase.h"

#include <vector>

namespace wl {

HINSTANCE ProgramModule() {
    return GetModuleHandleA(nullptr);
}

std::string WindowText(HWND hwnd) {
    if (!hwnd) return {};
    const int length = GetWindowTextLengthA(hwnd);
    if (length <= 0) return {};
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    const int got = GetWindowTextA(hwnd, text.data(), length + 1);
    return std::string(text.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

DialogBase::~DialogBase() {
    // A derived dialog has destroyed its window in its own destructor (see
    // Destroy); a window that is left must not call back into a destroyed
    // object.
    if (m_hWnd && IsWindow(m_hWnd)) {
        HWND hwnd = m_hWnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        m_hWnd = nullptr;
        DestroyWindow(hwnd);
    }
}

void DialogBase::Destroy() {
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
}

std::string DialogBase::ItemText(int id) const {
    return WindowText(Item(id));
}

void DialogBase::SetMessageResult(LRESULT result) const {
    SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
}

INT_PTR DialogBase::DoModal(HWND owner) {
    m_bModal = true;
    m_nResult = 0;
    return DialogBoxParamA(ProgramModule(), MAKEINTRESOURCEA(m_nResourceId), owner, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

HWND DialogBase::Create(HWND parent) {
    m_bModal = false;
    m_nResult = 0;
    return CreateDialogParamA(ProgramModule(), MAKEINTRESOURCEA(m_nResourceId), parent, DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

void DialogBase::End(INT_PTR result) {
    m_nResult = result;
    if (!m_hWnd) return;
    if (m_bModal)
        EndDialog(m_hWnd, result);
    else
        DestroyWindow(m_hWnd);
}

INT_PTR CALLBACK DialogBase::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    DialogBase* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<DialogBase*>(lp);
        SetWindowLongPtrA(hwnd, DWLP_USER, lp);
        self->m_hWnd = hwnd;
        return self->OnInitDialog();
    }
    self = reinterpret_cast<DialogBase*>(GetWindowLongPtrA(hwnd, DWLP_USER));
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

}  // namespace wl
