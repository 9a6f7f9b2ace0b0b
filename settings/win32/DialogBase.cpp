#include "settings/win32/DialogBase.h"

namespace wl {

HINSTANCE ProgramModule() {
    return GetModuleHandleA(nullptr);
}

DialogBase::~DialogBase() {
    if (m_hWnd && IsWindow(m_hWnd)) {
        // A modeless dialog still open: it must not call back into a
        // destroyed object.
        SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
        if (!m_bModal) DestroyWindow(m_hWnd);
    }
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
    if (m_bModal)
        EndDialog(m_hWnd, result);
    else
        DestroyWindow(m_hWnd);
}

INT_PTR CALLBACK DialogBase::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lp);
        auto* self = reinterpret_cast<DialogBase*>(lp);
        self->m_hWnd = hwnd;
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<DialogBase*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) return FALSE;
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->OnMessage(msg, wp, lp);
        self->m_hWnd = nullptr;
        return FALSE;
    }
    return self->OnMessage(msg, wp, lp);
}

}  // namespace wl
