// Whether the focused field hides its text, asked of UI Automation, which
// answers for the fields the Win32 password style does not mark (browsers,
// WPF, Qt).  The question may take long or hang in a busy application, so
// it is asked on a thread of its own: the thread that answers lookups never
// waits for it.  Each answer is posted to the window as WM_FIELD_ANSWER
// (wParam: the ticket, lParam: the FieldProbe::Answer), and kept per element,
// so that an element is asked once.
#pragma once

#include <windows.h>

#include <memory>

#include "app/LearnedWords.h"

namespace wl {

inline constexpr UINT WM_FIELD_ANSWER = WM_USER + 11;

class CUiaFieldProbe : public FieldProbe {
  public:
    explicit CUiaFieldProbe(HWND window);
    // Lets the thread go: it ends with its question, unwaited for after a
    // second.
    ~CUiaFieldProbe() override;
    CUiaFieldProbe(const CUiaFieldProbe&) = delete;
    CUiaFieldProbe& operator=(const CUiaFieldProbe&) = delete;

    void Ask(std::uint32_t ticket) override;

    struct Shared;

  private:
    std::shared_ptr<Shared> shared_;
    HANDLE thread_ = nullptr;
};

}  // namespace wl
