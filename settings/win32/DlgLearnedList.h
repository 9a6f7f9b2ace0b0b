// "Learned words": what was learned, listed with how often each word was
// used, sortable by either column, and the selected words removed at once.
// The rows and decisions are LearnedListModel's; the list is owner-data, so
// that a hundred thousand words open as fast as ten.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "platform/win32/DialogBase.h"
#include "settings/LearnedListLogic.h"

namespace wl {

class CDlgLearnedList : public DialogBase {
  public:
    explicit CDlgLearnedList(LearnedData& data);
    const LearnedListModel& model() const { return m_model; }

  private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    LRESULT OnNotify(const NMHDR* header);
    // The list's selection into the model, and the Remove button after it.
    void TakeSelection();
    // The model's rows, selection and sort into the list.
    void ShowRows();
    void OnRemove();

    LearnedListModel m_model;
    HWND m_list = nullptr;
    bool m_showing = false;  // set while ShowRows changes the list's selection
};

}  // namespace wl
