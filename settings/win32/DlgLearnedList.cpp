#include "settings/win32/DlgLearnedList.h"

#include <algorithm>
#include <cstring>

#include "res/settings_resource.h"

namespace wl {

CDlgLearnedList::CDlgLearnedList(LearnedData& data) : DialogBase(IDD_LEARNED_LIST), m_model(data) {}

BOOL CDlgLearnedList::OnInitDialog() {
    m_list = Item(IDC_LEARNED_LIST);
    SendMessageA(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT client{};
    GetClientRect(m_list, &client);
    const int usedWidth = (client.right - client.left) / 4;
    const int widths[2] = {client.right - client.left - usedWidth - GetSystemMetrics(SM_CXVSCROLL),
                           usedWidth};
    for (int c = 0; c < 2; ++c) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = c == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
        column.cx = widths[c];
        column.pszText = const_cast<char*>(LearnedListModel::kColumnTitles[c]);
        SendMessageA(m_list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    }
    m_model.Load();
    ShowRows();
    return TRUE;
}

void CDlgLearnedList::ShowRows() {
    m_showing = true;
    SendMessageA(m_list, LVM_SETITEMCOUNT, m_model.RowCount(), LVSICF_NOSCROLL);
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&none));
    for (std::size_t row : m_model.Selected()) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageA(m_list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
    m_showing = false;
    // The sort arrow on the header of the column the rows go by.
    HWND header = reinterpret_cast<HWND>(SendMessageA(m_list, LVM_GETHEADER, 0, 0));
    for (int c = 0; c < 2; ++c) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, c, reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (c == static_cast<int>(m_model.SortColumn())) {
            // Up for A to Z and for the least used first.
            const bool up =
                (m_model.SortColumn() == LearnedListModel::Column::Word) != m_model.Reversed();
            item.fmt |= up ? HDF_SORTUP : HDF_SORTDOWN;
        }
        SendMessageA(header, HDM_SETITEMA, c, reinterpret_cast<LPARAM>(&item));
    }
    InvalidateRect(m_list, nullptr, TRUE);
    EnableWindow(Item(IDC_LEARNED_REMOVE), m_model.CanRemove());
}

void CDlgLearnedList::TakeSelection() {
    if (m_showing) return;
    std::vector<std::size_t> rows;
    for (int row = -1;
         (row = static_cast<int>(SendMessageA(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                              LVNI_SELECTED))) >= 0;)
        rows.push_back(static_cast<std::size_t>(row));
    m_model.Select(rows);
    EnableWindow(Item(IDC_LEARNED_REMOVE), m_model.CanRemove());
}

void CDlgLearnedList::OnRemove() {
    TakeSelection();
    if (!m_model.CanRemove()) return;
    const bool written = m_model.Remove();
    ShowRows();
    if (!written)
        MessageBoxA(m_hWnd, LearnedListModel::kRemoveFailedText,
                    LearnedListModel::kRemoveFailedTitle, MB_OK | MB_ICONERROR);
}

LRESULT CDlgLearnedList::OnNotify(const NMHDR* header) {
    if (header->idFrom != IDC_LEARNED_LIST) return 0;
    switch (header->code) {
        case LVN_GETDISPINFOA: {
            auto& item =
                const_cast<NMLVDISPINFOA*>(reinterpret_cast<const NMLVDISPINFOA*>(header))->item;
            if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
                const std::string text =
                    m_model.Cell(static_cast<std::size_t>(item.iItem),
                                 item.iSubItem == 0 ? LearnedListModel::Column::Word
                                                    : LearnedListModel::Column::Uses);
                const std::size_t n =
                    std::min(text.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
                std::memcpy(item.pszText, text.data(), n);
                item.pszText[n] = '\0';
            }
            return 0;
        }
        case LVN_COLUMNCLICK: {
            TakeSelection();
            const int column = reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem;
            m_model.SortBy(column == 0 ? LearnedListModel::Column::Word
                                       : LearnedListModel::Column::Uses);
            ShowRows();
            return 0;
        }
        case LVN_ITEMCHANGED:
        case LVN_ODSTATECHANGED:
            TakeSelection();
            return 0;
        default:
            return 0;
    }
}

INT_PTR CDlgLearnedList::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_NOTIFY:
            SetMessageResult(OnNotify(reinterpret_cast<const NMHDR*>(lp)));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDC_LEARNED_REMOVE && HIWORD(wp) == BN_CLICKED) {
                OnRemove();
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                End(IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace wl
