// A host for the library dialogs under Wine that answers their message boxes
// and file choices from a script.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <string>
#include <vector>

#include "libui/win32/LibDialog.h"
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
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& m : shown) t.push_back(m.text);
        return t;
    }
};

}  // namespace wl::test
