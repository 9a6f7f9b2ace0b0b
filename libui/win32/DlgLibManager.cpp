#include "libui/win32/DlgLibManager.h"

#include "libui/win32/DlgLibOption.h"
#include "libui/win32/ProgressWindow.h"
#include "platform/win32/Dpi.h"
#include "res/libui_resource.h"

namespace wl {

namespace {

// A cell of library text (caption, description) in its encoding, or of the
// program's own text and paths (the code page).
void SetCell(HWND list, int row, int column, const std::string& text,
             std::int32_t encoding = EncodingCodePage) {
    std::wstring wide = WideOfLibraryText(text, encoding);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

bool IsChecked(HWND list, int row) {
    const LRESULT state =
        SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void SetChecked(HWND list, int row, bool checked) {
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

CDlgLibManager::CDlgLibManager(Registry& registry, const CodePage& codePage, std::string libsFolder,
                               LibUiHost& host)
    : LibDialog(IDD_LIB_MANAGER),
      m_profile(registry),
      m_codePage(codePage),
      m_host(host),
      m_logic(registry, SystemDirectory(), codePage, libsFolder),
      m_libsFolder(std::move(libsFolder)) {}

CDlgLibManager::~CDlgLibManager() {
    Destroy();
    m_logic.Close();
}

BOOL CDlgLibManager::OnInitDialog() {
    m_list = Item(IDC_LIBMAN_LIST);
    SendMessageA(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB |
                     LVS_EX_INFOTIP);
    const struct {
        const char* title;
        int width;
    } columns[] = {{"Library Name", 120}, {"Library Type", 100}, {"Enable/Disable Edit", 120},
                   {"Description", 200},  {"File Path", 200},    {"Encoding", 110}};
    for (int i = 0; i < 6; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        // The first column of a list view is always left-aligned.
        column.fmt = LVCFMT_CENTER;
        column.cx = Scaled(columns[i].width, DpiOf(m_list));
        column.pszText = const_cast<char*>(columns[i].title);
        column.iSubItem = i;
        SendMessageA(m_list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    Fill(false);
    return TRUE;
}

void CDlgLibManager::OnDestroy() {
    m_logic.Close();
    m_list = nullptr;
}

void CDlgLibManager::Fill(bool keepChecks) {
    if (keepChecks) TakeChecks();
    m_logic.Fill(keepChecks);
    Render();
}

void CDlgLibManager::Render() {
    SendMessageW(m_list, LVM_DELETEALLITEMS, 0, 0);
    const auto& rows = m_logic.Rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const LibraryRow& r = rows[i];
        std::wstring caption = WideOfLibraryText(r.caption, r.captionEncoding);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = caption.data();
        item.lParam = r.index;
        const int row = static_cast<int>(
            SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (row < 0) continue;
        SetCell(m_list, row, 1, r.typeText);
        SetCell(m_list, row, 2, r.editText);
        SetCell(m_list, row, 3, r.description, r.encoding);
        SetCell(m_list, row, 4, r.path);
        SetCell(m_list, row, 5, r.encodingText);
        SetChecked(m_list, row, r.checked);
    }
    RenderConvert();
}

int CDlgLibManager::LogicRowOf(int listRow) const {
    if (listRow < 0) return -1;
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = listRow;
    if (!SendMessageW(m_list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    for (std::size_t i = 0; i < m_logic.Rows().size(); ++i)
        if (m_logic.Rows()[i].index == item.lParam) return static_cast<int>(i);
    return -1;
}

void CDlgLibManager::RenderConvert() {
    EnableWindow(Item(IDC_LIBMAN_CONVERT),
                 m_logic.CanConvert(LogicRowOf(FirstSelected())) ? TRUE : FALSE);
}

// The list's check boxes into the logic's rows (the rows stand in the list's
// order: the list is not sorted).
void CDlgLibManager::TakeChecks() {
    const int count = static_cast<int>(SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        if (!SendMessageA(m_list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) continue;
        if (item.lParam < 0) continue;
        for (std::size_t i = 0; i < m_logic.Rows().size(); ++i) {
            if (m_logic.Rows()[i].index == item.lParam)
                m_logic.SetChecked(static_cast<int>(i), IsChecked(m_list, row));
        }
    }
}

int CDlgLibManager::FirstSelected() const {
    return static_cast<int>(
        SendMessageA(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

INT_PTR CDlgLibManager::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wp) != BN_CLICKED) return FALSE;
            switch (LOWORD(wp)) {
                case IDC_LIBMAN_EDIT:
                    OnEdit();
                    return TRUE;
                case IDC_LIBMAN_NEW:
                    OnNew();
                    return TRUE;
                case IDC_LIBMAN_CONVERT:
                    OnConvert();
                    return TRUE;
                case IDOK:
                    OnOK();
                    return TRUE;
                case IDCANCEL:
                    End(IDCANCEL);
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lp);
            if (header && header->idFrom == IDC_LIBMAN_LIST && header->code == NM_DBLCLK) {
                OnEdit();
                return TRUE;
            }
            if (header && header->idFrom == IDC_LIBMAN_LIST && header->code == LVN_ITEMCHANGED) {
                RenderConvert();
                return TRUE;
            }
            return FALSE;
        }
        default:
            return FALSE;
    }
}

void CDlgLibManager::OnEdit() {
    EditRow(FirstSelected());
}

void CDlgLibManager::EditRow(int row) {
    if (row < 0) return;
    const auto request = m_logic.EditRow(LogicRowOf(row));
    if (!request.refusal.empty()) m_host.ShowMessage(m_hWnd, request.refusal);
    if (!request.valid) return;
    // The list shows the libraries as the editor left them; ticks not yet
    // written stay as they are.
    if (EditLibrary(request.path, request.mayChange)) Fill(true);
}

bool CDlgLibManager::EditLibrary(const std::string& path, int mayChange) {
    CDlgLibOption editor(path, mayChange, m_profile, m_codePage, m_host);
    return editor.DoModal(m_hWnd) == IDOK;
}

void CDlgLibManager::OnNew() {
    // A missing Libs folder is made for the first library.
    if (!m_libsFolder.empty()) CreateDirectoryA(m_libsFolder.c_str(), nullptr);
    CDlgNewLibrary dialog(m_logic, m_host);
    if (dialog.DoModal(m_hWnd) != IDOK) return;
    Fill(true);
    if (m_logic.RowOfPath(dialog.createdPath()) < 0) return;
    SelectPath(dialog.createdPath());
    EditLibrary(dialog.createdPath(), 1);
    Fill(true);
}

void CDlgLibManager::OnConvert() {
    const int row = LogicRowOf(FirstSelected());
    if (!m_logic.CanConvert(row)) return;
    if (m_host.ShowMessage(m_hWnd, m_logic.ConvertQuestion(row)) != IDOK) return;
    const std::string path = m_logic.Rows()[static_cast<std::size_t>(row)].path;
    TakeChecks();
    LibManagerLogic::ConvertResult result;
    {
        // The converter reports to the progress window, which Escape and its
        // Cancel stop; the manager takes no input meanwhile.
        ProgressWindow progress(m_profile);
        progress.Create(m_hWnd, kTitlePlain, false);
        progress.SetMessage("Converting the library to Unicode, please wait ...");
        progress.PumpPending(true);
        EnableWindow(m_hWnd, FALSE);
        result = m_logic.Convert(row, &progress);
        EnableWindow(m_hWnd, TRUE);
    }
    if (!m_hWnd) return;
    Render();
    SelectPath(path);
    m_host.ShowMessage(m_hWnd, result.message);
}

void CDlgLibManager::SelectPath(const std::string& path) {
    const int row = m_logic.RowOfPath(path);
    if (row < 0) return;
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    SendMessageW(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    SendMessageW(m_list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    RenderConvert();
}

void CDlgLibManager::OnOK() {
    TakeChecks();
    m_logic.WriteSwitches();
    End(IDOK);
}

CDlgNewLibrary::CDlgNewLibrary(LibManagerLogic& logic, LibUiHost& host)
    : LibDialog(IDD_LIB_NEW), m_logic(logic), m_host(host) {}

BOOL CDlgNewLibrary::OnInitDialog() {
    HWND box = Item(IDC_LIBNEW_TYPE);
    const struct {
        const char* text;
        int type;
    } items[] = {{"Dictionary", Dictionary}, {"Shorthand", Shorthand}};
    for (const auto& item : items) {
        const LRESULT index =
            SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text));
        SendMessageA(box, CB_SETITEMDATA, static_cast<WPARAM>(index), item.type);
    }
    SendMessageA(box, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageA(m_hWnd, IDC_LIBNEW_NAME, EM_LIMITTEXT, MAX_PATH, 0);
    // A new library holds any character unless the user says otherwise.
    CheckDlgButton(m_hWnd, IDC_LIBNEW_UNICODE, BST_CHECKED);
    return TRUE;
}

INT_PTR CDlgNewLibrary::OnMessage(UINT msg, WPARAM wp, LPARAM) {
    if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return FALSE;
    if (LOWORD(wp) == IDCANCEL) {
        End(IDCANCEL);
        return TRUE;
    }
    if (LOWORD(wp) != IDOK) return FALSE;
    HWND box = Item(IDC_LIBNEW_TYPE);
    const LRESULT selected = SendMessageA(box, CB_GETCURSEL, 0, 0);
    const int type =
        selected == CB_ERR
            ? Dictionary
            : static_cast<int>(SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
    const bool unicode = IsDlgButtonChecked(m_hWnd, IDC_LIBNEW_UNICODE) == BST_CHECKED;
    const auto result =
        m_logic.CreateLibraryAsTyped(Utf8WindowText(Item(IDC_LIBNEW_NAME)), type, unicode);
    if (!result.created) {
        m_host.ShowMessage(m_hWnd, result.message);
        HWND name = Item(IDC_LIBNEW_NAME);
        SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(name), TRUE);
        SendMessageA(name, EM_SETSEL, 0, -1);
        return TRUE;
    }
    m_createdPath = result.path;
    End(IDOK);
    return TRUE;
}

}  // namespace wl
