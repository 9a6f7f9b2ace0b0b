#include "libui/win32/LibDialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <vector>

#include "platform/win32/WideText.h"
#include "store/LibraryEntry.h"

namespace wl {

void EnsureCommonControls() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX),
                                 ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)done;
}

INT_PTR LibDialog::DoModal(HWND owner) {
    EnsureCommonControls();
    return DialogBase::DoModal(owner);
}

HWND LibDialog::Create(HWND owner) {
    EnsureCommonControls();
    return DialogBase::Create(owner);
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
    // Wide, so that a character quoted from what the user typed shows as it
    // is.
    return MessageBoxW(
        owner,
        WideOfLibraryText(message.text, message.utf8 ? EncodingUtf8 : EncodingCodePage).c_str(),
        WideOfLibraryText(message.title, EncodingCodePage).c_str(), flags);
}

std::string LibUiHost::ChooseFile(HWND owner, bool save) {
    char file[MAX_PATH] = "*.txt";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    // Reading also takes the snippet files of other text expanders.
    ofn.lpstrFilter = save ? "Text (*.txt)\0*.txt\0All Files (*.*)\0*.*\0"
                           : "Text (*.txt)\0*.txt\0"
                             "AutoHotkey hotstrings (*.ahk)\0*.ahk\0"
                             "espanso matches (*.yml, *.yaml)\0*.yml;*.yaml\0"
                             "CSV, abbreviation and expansion (*.csv)\0*.csv\0"
                             "All Files (*.*)\0*.*\0";
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

std::wstring WideOfLibraryText(const std::string& bytes, std::int32_t encoding) {
    return encoding == EncodingUtf8 ? WideFromUtf8(bytes) : WideFromCodePage(bytes);
}

std::string Utf8WindowText(HWND hwnd) {
    if (!hwnd) return {};
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return {};
    std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1);
    const int got = GetWindowTextW(hwnd, text.data(), length + 1);
    return Utf8FromWide(
        std::wstring_view(text.data(), got > 0 ? static_cast<std::size_t>(got) : 0));
}

void SetLibraryText(HWND dlg, int id, const std::string& bytes, std::int32_t encoding) {
    SetDlgItemTextW(dlg, id, WideOfLibraryText(bytes, encoding).c_str());
}

}  // namespace wl
