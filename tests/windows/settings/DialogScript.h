// Drives dialogs that run modally on the test's own thread: a thread timer,
// dispatched by the dialogs' own message loops, waits for each expected
// dialog in turn and runs a step on it.  Every wait is bounded: past the
// deadline, or when a dialog appears that no step expects, the dialogs still
// open are cancelled so that the modal calls return, and the script reports
// the failure.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/win32/Controls.h"

namespace wl::test {

class DialogScript {
  public:
    using Step = std::function<void(HWND)>;

    // The next dialog expected, by its caption, and what to do with it.
    DialogScript& On(std::string caption, Step step) {
        steps_.push_back({std::move(caption), std::move(step)});
        return *this;
    }

    // Runs action, which opens the dialogs; answers whether every step ran
    // and nothing unexpected appeared.
    bool Run(const std::function<void()>& action, DWORD timeoutMs = 10000) {
        known_.clear();
        handled_.clear();
        EnumThreadWindows(GetCurrentThreadId(), &DialogScript::Remember,
                          reinterpret_cast<LPARAM>(this));
        deadline_ = GetTickCount() + timeoutMs;
        active_ = this;
        const UINT_PTR timer = SetTimer(nullptr, 0, 15, &DialogScript::Tick);
        action();
        KillTimer(nullptr, timer);
        active_ = nullptr;
        return next_ == steps_.size() && problems.empty();
    }

    // What went wrong, for the test's message.
    std::vector<std::string> problems;

  private:
    struct Entry {
        std::string caption;
        Step step;
    };
    static BOOL CALLBACK Remember(HWND hwnd, LPARAM lp) {
        reinterpret_cast<DialogScript*>(lp)->known_.insert(hwnd);
        return TRUE;
    }

    static bool IsDialog(HWND hwnd) {
        char cls[16] = {};
        GetClassNameA(hwnd, cls, sizeof cls);
        return std::string(cls) == "#32770";
    }

    static std::string Caption(HWND hwnd) {
        char text[256] = {};
        GetWindowTextA(hwnd, text, sizeof text);
        return text;
    }

    // A dialog of this thread, opened after the script started, that takes
    // input now (the innermost modal one: its owners are disabled while it
    // runs).  With includeHandled, also one a step has already had.
    struct Search {
        DialogScript* self;
        bool includeHandled;
        HWND found;
    };
    static BOOL CALLBACK FindActive(HWND hwnd, LPARAM lp) {
        auto* search = reinterpret_cast<Search*>(lp);
        DialogScript* self = search->self;
        if (self->known_.count(hwnd) || (!search->includeHandled && self->handled_.count(hwnd)) ||
            !IsDialog(hwnd) || !IsWindowEnabled(hwnd))
            return TRUE;
        search->found = hwnd;
        return FALSE;
    }

    HWND ActiveDialog(bool includeHandled) {
        Search search{this, includeHandled, nullptr};
        EnumThreadWindows(GetCurrentThreadId(), &DialogScript::FindActive,
                          reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (active_) active_->OnTick();
    }

    void OnTick() {
        if (static_cast<LONG>(GetTickCount() - deadline_) > 0) {
            // Out of time: close whatever is still open, one per tick.
            if (!timedOut_) {
                timedOut_ = true;
                problems.push_back(next_ < steps_.size()
                                       ? "no dialog \"" + steps_[next_].caption + "\" in time"
                                       : "a dialog stayed open past the deadline");
            }
            if (HWND open = ActiveDialog(true)) PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        HWND dialog = ActiveDialog(false);
        if (!dialog) return;
        handled_.insert(dialog);  // never matched again
        const std::string caption = Caption(dialog);
        if (next_ < steps_.size() && caption == steps_[next_].caption) {
            Step step = steps_[next_++].step;
            step(dialog);
            return;
        }
        // Not the dialog expected next: cancel it, so that the modal call
        // returns, and report it.
        problems.push_back("unexpected dialog \"" + caption + "\"");
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }

    std::vector<Entry> steps_;
    size_t next_ = 0;
    std::set<HWND> known_;    // open before the script started
    std::set<HWND> handled_;  // had a step, or cancelled
    DWORD deadline_ = 0;
    bool timedOut_ = false;
    static inline DialogScript* active_ = nullptr;
};

}  // namespace wl::test
