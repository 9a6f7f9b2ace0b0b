#include "settings/win32/DlgOptions.h"

#include "platform/Hotkey.h"

#include <commctrl.h>

#include "res/resource.h"
#include "res/settings_resource.h"
#include "platform/win32/WideText.h"
#include "settings/win32/DlgLearnedList.h"

namespace wl {

namespace {

class Win32KeyLayout : public KeyLayout {
  public:
    std::int16_t ScanKey(char c) const override { return VkKeyScanA(c); }
};

void Check(HWND dlg, int id, bool on) {
    SendDlgItemMessageA(dlg, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool IsChecked(HWND dlg, int id) {
    return SendDlgItemMessageA(dlg, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The rectangle of a control in its dialog's client coordinates.
RECT ChildRect(HWND dlg, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(dlg, id), &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

const KeyLayout& SystemKeyLayout() {
    static const Win32KeyLayout layout;
    return layout;
}

// --- Hotkeys page ---

CDlgOptionHotkey::CDlgOptionHotkey(OptionHotkeyPage& page, const KeyLayout& layout)
    : DialogBase(IDD_OPTION_HOTKEY), m_page(page), m_layout(layout) {}

BOOL CDlgOptionHotkey::OnInitDialog() {
    // The list has the sorted style: the entries go in at the top in the
    // reverse order, so that they stay in their own order.
    HWND complete = Item(IDC_HOTKEY_COMPLETE);
    for (int i = OptionHotkeyPage::kCompleteCount - 1; i >= 0; --i) {
        const auto& entry = OptionHotkeyPage::kCompleteEntries[i];
        SendMessageA(complete, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(entry.text));
        SendMessageA(complete, LB_SETITEMDATA, 0, entry.vk);
    }
    HWND other = Item(IDC_HOTKEY_OTHER);
    SendMessageA(other, LB_INSERTSTRING, 0,
                 reinterpret_cast<LPARAM>(OptionHotkeyPage::kToggleEntryText));
    SendMessageA(other, LB_SETITEMDATA, 0, m_page.ShownHotkey());
    SendMessageA(other, LB_SETCURSEL, 0, 0);
    m_page.OtherSelectionChanged(0);
    return FALSE;
}

void CDlgOptionHotkey::UpdateControls() {
    using Page = OptionHotkeyPage;
    const bool arrows = m_page.InitialItemKeys() == Page::ItemKeys::Arrows;
    Check(m_hWnd, IDC_HOTKEY_ARROWS, arrows);
    Check(m_hWnd, IDC_HOTKEY_BRACKETS, !arrows);
    const bool pageKeys = m_page.InitialPageKeys() == Page::PageKeys::PageUpDown;
    Check(m_hWnd, IDC_HOTKEY_PAGEKEYS, pageKeys);
    Check(m_hWnd, IDC_HOTKEY_MINUSPLUS, !pageKeys);
    const bool digits = m_page.InitialIndexKeys() == Page::IndexKeys::MainDigits;
    Check(m_hWnd, IDC_HOTKEY_DIGITS, digits);
    Check(m_hWnd, IDC_HOTKEY_FKEYS, !digits);

    HWND complete = Item(IDC_HOTKEY_COMPLETE);
    SendMessageA(complete, LB_SETSEL, FALSE, -1);
    const auto selected = m_page.InitialCompleteSelection();
    for (int i = 0; i < Page::kCompleteCount; ++i)
        if (selected[i]) SendMessageA(complete, LB_SETSEL, TRUE, i);

    SendDlgItemMessageA(m_hWnd, IDC_HOTKEY_EDIT, HKM_SETHOTKEY,
                        Hotkey(m_page.ShownHotkey()).ToControl(), 0);
}

INT_PTR CDlgOptionHotkey::OnMessage(UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_COMMAND) {
        OnCommand(LOWORD(wp), HIWORD(wp));
        return TRUE;
    }
    return FALSE;
}

void CDlgOptionHotkey::OnCommand(int id, int code) {
    switch (id) {
        case IDC_HOTKEY_ARROWS:
            if (code == BN_CLICKED) m_page.ChooseArrows();
            break;
        case IDC_HOTKEY_BRACKETS:
            if (code == BN_CLICKED) m_page.ChooseBrackets(m_layout);
            break;
        case IDC_HOTKEY_PAGEKEYS:
            if (code == BN_CLICKED) m_page.ChoosePageUpDown();
            break;
        case IDC_HOTKEY_MINUSPLUS:
            if (code == BN_CLICKED) m_page.ChooseMinusPlus(m_layout);
            break;
        case IDC_HOTKEY_DIGITS:
            if (code == BN_CLICKED) m_page.ChooseMainDigits();
            break;
        case IDC_HOTKEY_FKEYS:
            if (code == BN_CLICKED) m_page.ChooseFunctionKeys();
            break;
        case IDC_HOTKEY_COMPLETE:
            if (code == LBN_SELCHANGE) OnCompleteSelChange();
            break;
        case IDC_HOTKEY_OTHER:
            if (code == LBN_SELCHANGE) OnOtherSelChange();
            break;
        case IDC_HOTKEY_EDIT:
            if (code == EN_CHANGE) OnHotkeyChange();
            break;
        default:
            break;
    }
}

void CDlgOptionHotkey::OnCompleteSelChange() {
    // The list holds the entries in their own order, so list index i is
    // entry i.
    std::array<bool, OptionHotkeyPage::kCompleteCount> selected{};
    HWND complete = Item(IDC_HOTKEY_COMPLETE);
    for (int i = 0; i < OptionHotkeyPage::kCompleteCount; ++i)
        selected[i] = SendMessageA(complete, LB_GETSEL, i, 0) > 0;
    m_page.CompleteSelectionChanged(selected);
}

void CDlgOptionHotkey::OnOtherSelChange() {
    const auto index = SendDlgItemMessageA(m_hWnd, IDC_HOTKEY_OTHER, LB_GETCURSEL, 0, 0);
    m_page.OtherSelectionChanged(index == LB_ERR ? -1 : static_cast<int>(index));
    SendDlgItemMessageA(m_hWnd, IDC_HOTKEY_EDIT, HKM_SETHOTKEY,
                        Hotkey(m_page.ShownHotkey()).ToControl(), 0);
}

void CDlgOptionHotkey::OnHotkeyChange() {
    const auto word = SendDlgItemMessageA(m_hWnd, IDC_HOTKEY_EDIT, HKM_GETHOTKEY, 0, 0);
    m_page.HotkeyChanged(Hotkey::FromControl(static_cast<std::uint16_t>(word & 0xFFFF)).stored());
    const int selected = m_page.OtherSelected();
    if (selected >= 0)
        SendDlgItemMessageA(m_hWnd, IDC_HOTKEY_OTHER, LB_SETITEMDATA, selected,
                            m_page.ShownHotkey());
}

// --- Others page ---

CDlgOptionOthers::CDlgOptionOthers(OptionOthersPage& page)
    : DialogBase(IDD_OPTION_OTHERS), m_page(page) {}

BOOL CDlgOptionOthers::OnInitDialog() {
    return FALSE;
}

namespace {

// The Others page's check boxes and the switch each one shows.
struct SwitchBox {
    int id;
    std::int32_t OptionOthersPage::*field;
};
constexpr SwitchBox kSwitchBoxes[] = {
    {IDC_OTHERS_WORD, &OptionOthersPage::enableWord},
    {IDC_OTHERS_SHORTHAND, &OptionOthersPage::enableShorthand},
    {IDC_OTHERS_STARTUP, &OptionOthersPage::runAtStartup},
    {IDC_OTHERS_SMART, &OptionOthersPage::smartOrder},
    {IDC_OTHERS_SPACE, &OptionOthersPage::spaceAfter},
    {IDC_OTHERS_LEARN, &OptionOthersPage::learn},
    {IDC_OTHERS_LEARNNEW, &OptionOthersPage::learnNew},
    {IDC_OTHERS_PREDICT, &OptionOthersPage::predict},
};

}  // namespace

void CDlgOptionOthers::UpdateControls() {
    for (const SwitchBox& box : kSwitchBoxes) Check(m_hWnd, box.id, m_page.*box.field != 0);
    UpdateDependentBoxes();
    const int show = m_page.HasLearned() ? SW_SHOW : SW_HIDE;
    for (int id : {IDC_OTHERS_LEARNED, IDC_OTHERS_SHOW, IDC_OTHERS_FORGET}) {
        ShowWindow(Item(id), show);
        EnableWindow(Item(id), m_page.HasLearned());
    }
    SetDlgItemTextA(m_hWnd, IDC_OTHERS_LEARNED,
                    m_page.HasLearned() ? m_page.LearnedText().c_str() : "");
}

void CDlgOptionOthers::UpdateDependentBoxes() {
    EnableWindow(Item(IDC_OTHERS_PREDICT), m_page.PredictBoxEnabled());
    EnableWindow(Item(IDC_OTHERS_LEARN), m_page.LearnBoxEnabled());
    EnableWindow(Item(IDC_OTHERS_LEARNNEW), m_page.LearnNewBoxEnabled());
}

void CDlgOptionOthers::OnForget() {
    if (!m_page.HasLearned()) return;
    HWND owner = GetAncestor(m_hWnd, GA_ROOT);
    if (MessageBoxA(owner, OptionOthersPage::kForgetQuestion, OptionOthersPage::kForgetTitle,
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    const std::string left = m_page.Forget();
    SetDlgItemTextA(m_hWnd, IDC_OTHERS_LEARNED, m_page.LearnedText().c_str());
    // The paths are UTF-8: the folder's name may be beyond the code page.
    if (!left.empty())
        MessageBoxW(owner, WideFromUtf8(left).c_str(),
                    WideFromUtf8(OptionOthersPage::kForgetFailedTitle).c_str(),
                    MB_OK | MB_ICONERROR);
}

void CDlgOptionOthers::OnShowLearned() {
    if (!m_page.HasLearned()) return;
    CDlgLearnedList list(*m_page.Learned());
    list.DoModal(GetAncestor(m_hWnd, GA_ROOT));
    m_page.Recount();
    SetDlgItemTextA(m_hWnd, IDC_OTHERS_LEARNED, m_page.LearnedText().c_str());
}

INT_PTR CDlgOptionOthers::OnMessage(UINT msg, WPARAM wp, LPARAM) {
    if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return FALSE;
    const int id = LOWORD(wp);
    if (id == IDC_OTHERS_FORGET) {
        OnForget();
        return TRUE;
    }
    if (id == IDC_OTHERS_SHOW) {
        OnShowLearned();
        return TRUE;
    }
    for (const SwitchBox& box : kSwitchBoxes) {
        if (box.id != id) continue;
        m_page.*box.field = IsChecked(m_hWnd, id) ? 1 : 0;
        // Prediction and learning are offered only with the smart order,
        // learning new words only with learning.
        if (id == IDC_OTHERS_SMART || id == IDC_OTHERS_LEARN) UpdateDependentBoxes();
        return TRUE;
    }
    return FALSE;
}

// --- The dialog ---

CDlgOptions::CDlgOptions(Registry& reg, std::string exePath, LearnedData* learned,
                         const KeyLayout& layout)
    : DialogBase(IDD_OPTIONS),
      m_registry(reg),
      m_strExePath(std::move(exePath)),
      m_pLearned(learned),
      m_hotkeyPage(m_model.hotkeys, layout),
      m_othersPage(m_model.others) {}

CDlgOptions::~CDlgOptions() {
    if (m_hIcon) DestroyIcon(m_hIcon);
    if (m_hIconSmall) DestroyIcon(m_hIconSmall);
}

BOOL CDlgOptions::OnInitDialog() {
    HINSTANCE module = ProgramModule();
    m_hIcon =
        static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(IDI_VEMO_ON), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    m_hIconSmall = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(IDI_VEMO_ON), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), 0));
    if (m_hIcon) SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    if (m_hIconSmall)
        SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIconSmall));

    m_model.Open(m_registry, m_pLearned);

    m_hotkeyPage.Create(m_hWnd);
    m_othersPage.Create(m_hWnd);
    m_hotkeyPage.UpdateControls();
    m_othersPage.UpdateControls();
    PlacePages();
    ShowWindow(m_hotkeyPage.hwnd(), SW_SHOW);
    ShowWindow(m_othersPage.hwnd(), SW_HIDE);

    HWND tree = Item(IDC_OPTIONS_TREE);
    HTREEITEM first = nullptr;
    for (int page = 0; page < 2; ++page) {
        TVINSERTSTRUCTA insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = const_cast<char*>(OptionsModel::kPageNames[page]);
        insert.item.lParam = page;
        auto item = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        if (page == 0) first = item;
    }
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first));
    // The selection notifies only on a change; show the caption in any case.
    SetDlgItemTextA(m_hWnd, IDC_OPTIONS_CAPTION, m_model.Caption());
    return TRUE;
}

INT_PTR CDlgOptions::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lp);
            if (header->idFrom == IDC_OPTIONS_TREE && header->code == TVN_SELCHANGEDA) {
                OnTreeSelChanged(reinterpret_cast<const NMTREEVIEWA*>(lp)->itemNew.hItem);
                return TRUE;
            }
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                m_result = m_model.Ok(m_registry, m_strExePath);
                End(IDOK);
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

void CDlgOptions::OnTreeSelChanged(HTREEITEM item) {
    if (!item) return;
    char text[64] = {};
    TVITEMA tvi{};
    tvi.mask = TVIF_TEXT | TVIF_PARAM;
    tvi.hItem = item;
    tvi.pszText = text;
    tvi.cchTextMax = sizeof text;
    if (!SendDlgItemMessageA(m_hWnd, IDC_OPTIONS_TREE, TVM_GETITEMA, 0,
                             reinterpret_cast<LPARAM>(&tvi)))
        return;
    SetDlgItemTextA(m_hWnd, IDC_OPTIONS_CAPTION, text);
    m_model.SelectPage(static_cast<int>(tvi.lParam));
    const bool hotkeys = m_model.CurrentPage() == OptionsModel::kHotkeysPage;
    ShowWindow(m_hotkeyPage.hwnd(), hotkeys ? SW_SHOW : SW_HIDE);
    ShowWindow(m_othersPage.hwnd(), hotkeys ? SW_HIDE : SW_SHOW);
    PlacePages();
}

void CDlgOptions::PlacePages() {
    const RECT line = ChildRect(m_hWnd, IDC_OPTIONS_LINE);
    const RECT tree = ChildRect(m_hWnd, IDC_OPTIONS_TREE);
    for (HWND page : {m_hotkeyPage.hwnd(), m_othersPage.hwnd()})
        SetWindowPos(page, nullptr, line.left, line.bottom, line.right - line.left,
                     tree.bottom - line.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace wl
