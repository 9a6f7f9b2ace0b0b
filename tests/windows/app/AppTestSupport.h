// What the main window's tests under Wine share: a hook library that records
// what the main window asks of it.
#pragma once

#include <windows.h>

#include <string>

#include "app/win32/VemoApi.h"
#include "tests/support/win32/Controls.h"

namespace wl::test {

class FakeVemo : public VemoApi {
  public:
    std::string input;
    std::string replaceText;
    int replaceMode = -1;
    int beginCalls = 0, endCalls = 0, replaceCalls = 0, oldFocusCalls = 0;
    bool active = false;

    int BeginVemo(HWND) override { return ++beginCalls, active = true, 1; }
    void EndVemo() override { ++endCalls, active = false; }
    int IsBeginVemo() override { return active; }
    void SetOldFous() override { ++oldFocusCalls; }
    int CheckCaret() override { return 0; }
    int GetInputStr(char* buffer, int size) override {
        for (int i = 0; i < size - 1 && i < static_cast<int>(input.size()); ++i)
            buffer[i] = input[static_cast<size_t>(i)];
        return 1;
    }
    int SetReplaceStr(const char* text, int mode) override {
        replaceText = text;
        replaceMode = mode;
        return 1;
    }
    int ReplaceStr() override { return ++replaceCalls, 1; }
};

}  // namespace wl::test
