// What the main window's tests under Wine share: a hook library that records
// what the main window asks of it.
#pragma once

#include <windows.h>

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
};

}  // namespace wl::test
