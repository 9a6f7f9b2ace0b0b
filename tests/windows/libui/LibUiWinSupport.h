// A host for the library dialogs under Wine that answers their message boxes
// and file choices from a script.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <string>
#include <vector>

#include "libui/win32/LibDialog.h"
#include "platform/win32/WideText.h"
#include "tests/support/win32/Controls.h"

namespace wl::test {

struct ScriptedHost : LibUiHost {
    std::vector<UiMessage> shown;
    std::deque<int> answers;  // IDOK when empty
    std::deque<std::string> files;
    std::vector<bool> fileAsks;  // true for a save

    int ShowMessage(HWND, const UiMessage& message) override {
        shown.push_back(message);
        if (answers.empty()) return IDOK;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    std::string ChooseFile(HWND, bool save) override {
        fileAsks.push_back(save);
        if (files.empty()) return {};
        std::string f = files.front();
        files.pop_front();
        return f;
    }
    // The texts shown since the last call.
    std::vector<std::string> Texts() {
        std::vector<std::string> t;
        for (const auto& m : shown) t.push_back(m.text);
        shown.clear();
        return t;
    }
};

// A list cell, read with the wide-character message, as UTF-8.
inline std::string CellUtf8(HWND list, int row, int column) {
    wchar_t text[1024] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 1024;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return Utf8FromWide(text);
}
// A box's text as UTF-8, and typing UTF-8 into it, with the wide-character
// messages (as the keyboard types any character).
inline std::string BoxUtf8(HWND dlg, int id) {
    return Utf8WindowText(GetDlgItem(dlg, id));
}
inline void TypeUtf8(HWND dlg, int id, const std::string& text) {
    HWND box = GetDlgItem(dlg, id);
    SendMessageW(box, EM_SETSEL, 0, -1);
    SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(WideFromUtf8(text).c_str()));
}

}  // namespace wl::test
