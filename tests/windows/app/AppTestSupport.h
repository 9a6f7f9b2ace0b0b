// What the main window's tests under Wine share: a hook library that records
// what the main window asks of it.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <utility>

#include "app/win32/VemoApi.h"
#include "tests/support/RecordingHook.h"
#include "tests/support/win32/Controls.h"

namespace wl::test {

class FakeVemo : public RecordingHook<VemoApi> {
  public:
    int beginCalls = 0, endCalls = 0, oldFocusCalls = 0;
    bool active = false;

    int BeginVemo(HWND) override { return ++beginCalls, active = true, 1; }
    void EndVemo() override { ++endCalls, active = false; }
    int IsBeginVemo() override { return active; }
    void SetOldFous() override { ++oldFocusCalls; }
    int CheckCaret() override { return 0; }

    // Learning: the switch as last set, and the words the hook "reported".
    int learning = -1;
    std::deque<std::pair<std::string, std::string>> finished;  // word, prev
    void SetLearning(int on) override { learning = on; }
    int GetFinishedWord(char* word, int wordSize, char* prev, int prevSize) override {
        if (finished.empty()) return 0;
        auto [w, p] = finished.front();
        finished.pop_front();
        lstrcpynA(word, w.c_str(), wordSize);
        lstrcpynA(prev, p.c_str(), prevSize);
        return 1;
    }
};

}  // namespace wl::test
