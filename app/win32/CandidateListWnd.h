// The candidate list on the screen: the list-view control (child 1001 of
// the main window, by which the setup program knows a running Wordlark)
// with its candidate images and the index labels beside the rows, sized to
// its rows at each fill, drawn with the highlighted row in the selection's
// colours although it never has the focus, and the tip beside that row.
// It renders a CandidateList and hands clicks back to it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/CandidateList.h"
#include "app/win32/TipWnd.h"

namespace wl {

class CCandidateListWnd : public CandidateView {
  public:
    CCandidateListWnd(CandidateList& candidates, CTipWnd& tip);
    ~CCandidateListWnd() override;
    CCandidateListWnd(const CCandidateListWnd&) = delete;
    CCandidateListWnd& operator=(const CCandidateListWnd&) = delete;

    // Takes the dialog's list and word controls, sets the list up and lays
    // out the index labels (the main window's creation); Detach lets go of
    // them as the window goes.
    void Attach(HWND dialog);
    void Detach();

    // The dialog's messages that concern the list.
    LRESULT OnNotify(const NMHDR* header);
    void OnSize(int cx, int cy);
    // Moved to a monitor of another scaling: the images and the labels'
    // font follow.
    void OnDpiChanged(UINT dpi);

    // CandidateView
    void RowsChanged() override;
    void HighlightChanged(int row) override;
    void PlaceTip() override;
    void SetTipText(const std::string& text, int style, std::int32_t encoding) override;
    void Beep() override;

  private:
    void PrepareList();
    // The candidate images at this DPI, replacing those of another.
    void SetImagesForDpi(UINT dpi);
    void LayoutAtCreation();
    void RenderRows();
    void SizeToContent();

    CandidateList& m_candidates;
    CTipWnd& m_tip;
    HWND m_dialog = nullptr;
    HWND m_edit = nullptr;
    HWND m_list = nullptr;
    HIMAGELIST m_imageList = nullptr;
    HWND m_indexLabels[10] = {};
    bool m_bSkipNextSize = false;  // set while the window resizes itself
    bool m_bHighlighting = false;  // set while the list's selection is set from code
};

}  // namespace wl
