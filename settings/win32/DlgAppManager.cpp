#include "settings/win32/DlgAppManager.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>

#include "platform/win32/Dpi.h"
#include "res/settings_resource.h"

namespace wl {

namespace {

// The usage count that marks a process's own executable among its modules.
constexpr DWORD kExecutableUsage = 0xFFFF;

void AddColumn(HWND list, int index, const char* title, int width) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = Scaled(width, DpiOf(list));
    column.pszText = const_cast<char*>(title);
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

void PrepareList(HWND list, HIMAGELIST icons) {
    const DWORD styles = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB | LVS_EX_INFOTIP;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons));
}

// Inserts a row at index with its text, image and item data.
void InsertRow(HWND list, int index, const std::string& text, int icon, LPARAM data) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = index;
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = icon >= 0 ? icon : I_IMAGENONE;
    item.lParam = data;
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void SetCell(HWND list, int row, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

std::vector<int> SelectedRows(HWND list) {
    std::vector<int> rows;
    int row = -1;
    while ((row = static_cast<int>(
                SendMessageA(list, LVM_GETNEXTITEM, row, MAKELPARAM(LVNI_SELECTED, 0)))) >= 0)
        rows.push_back(row);
    return rows;
}

// The executable among a process's modules, or false when the process's
// modules cannot be listed (it has gone, or it is not ours to see).
bool ExecutableOf(DWORD pid, RunningApp& app) {
    HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (modules == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32 module{};
    module.dwSize = sizeof module;
    bool found = false;
    for (BOOL more = Module32First(modules, &module); more && !found;
         more = Module32Next(modules, &module)) {
        if (module.ProccntUsage != kExecutableUsage) continue;
        app.fileName.assign(module.szModule, strnlen(module.szModule, sizeof module.szModule));
        app.path.assign(module.szExePath, strnlen(module.szExePath, sizeof module.szExePath));
        found = true;
    }
    CloseHandle(modules);
    return found;
}

}  // namespace

std::vector<RunningApp> SnapshotRunningApps() {
    std::vector<RunningApp> apps;
    HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (processes == INVALID_HANDLE_VALUE) return apps;
    PROCESSENTRY32 process{};
    process.dwSize = sizeof process;
    for (BOOL more = Process32First(processes, &process); more;
         more = Process32Next(processes, &process)) {
        RunningApp app;
        if (ExecutableOf(process.th32ProcessID, app)) apps.push_back(std::move(app));
    }
    CloseHandle(processes);
    return apps;
}

// --- Icons ---

AppIconList::AppIconList() {
    const int size = Scaled(16, DpiOf(nullptr));  // the icons grow with the display's scaling
    m_hList = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 8, 8);
}

AppIconList::~AppIconList() {
    if (m_hList) ImageList_Destroy(m_hList);
}

void AppIconList::Clear() {
    if (m_hList) ImageList_RemoveAll(m_hList);
}

int AppIconList::Add(const std::string& path) {
    if (!m_hList || path.empty()) return -1;
    HICON icon = ExtractIconA(ProgramModule(), path.c_str(), 0);
    // 1 means the file is no program, icon library or icon file.
    if (reinterpret_cast<UINT_PTR>(icon) <= 1) return -1;
    const int index = ImageList_AddIcon(m_hList, icon);
    DestroyIcon(icon);
    return index;
}

// --- Running applications ---

CDlgRunningApps::CDlgRunningApps(AppOptionModel* parent, RunningAppsSource source)
    : DialogBase(IDD_RUNNING_APPS), m_parent(parent), m_source(std::move(source)) {}

BOOL CDlgRunningApps::OnInitDialog() {
    HWND list = Item(IDC_RUNNING_LIST);
    PrepareList(list, m_icons.get());
    AddColumn(list, 0, "File Name", 120);
    AddColumn(list, 1, "Full Path", 300);
    Fill();
    return TRUE;
}

void CDlgRunningApps::Fill() {
    HWND list = Item(IDC_RUNNING_LIST);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    m_icons.Clear();
    m_model.Fill(m_source ? m_source() : std::vector<RunningApp>{});
    // Rows are shown in the model's order, which already puts the last
    // process taken on top.
    const auto& rows = m_model.Rows();
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        InsertRow(list, i, rows[i].fileName, m_icons.Add(rows[i].path), 0);
        SetCell(list, i, 1, rows[i].path);
    }
}

void CDlgRunningApps::OnOK() {
    if (m_model.Ok(SelectedRows(Item(IDC_RUNNING_LIST)), m_parent))
        End(IDOK);
    else
        End(IDCANCEL);
}

INT_PTR CDlgRunningApps::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDOK:
                    OnOK();
                    return TRUE;
                case IDCANCEL:
                    End(IDCANCEL);
                    return TRUE;
                case IDC_RUNNING_REFRESH:
                    if (HIWORD(wp) == BN_CLICKED) Fill();
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lp);
            if (header->idFrom == IDC_RUNNING_LIST && header->code == NM_DBLCLK) {
                OnOK();
                return TRUE;
            }
            return FALSE;
        }
        default:
            return FALSE;
    }
}

// --- Application Option ---

CDlgAppOption::CDlgAppOption(Registry& reg, AppOptionModel choice, RunningAppsSource source)
    : DialogBase(IDD_APP_OPTION),
      m_registry(reg),
      m_choice(std::move(choice)),
      m_source(std::move(source)) {}

BOOL CDlgAppOption::OnInitDialog() {
    if (m_choice.NeedsRunningApps()) {
        CDlgRunningApps running(&m_choice, m_source);
        if (running.DoModal(m_hWnd) != IDOK || m_choice.paths.empty()) {
            End(IDCANCEL);
            return TRUE;
        }
    }
    SetDlgItemTextA(m_hWnd, IDC_APPOPT_PATHS, m_choice.PathText().c_str());
    m_choice.DeriveState(m_registry);
    SendDlgItemMessageA(m_hWnd, IDC_APPOPT_ENABLE, BM_SETCHECK,
                        m_choice.EnableTicked() ? BST_CHECKED : BST_UNCHECKED, 0);
    SendDlgItemMessageA(m_hWnd, IDC_APPOPT_DISABLE, BM_SETCHECK,
                        m_choice.DisableTicked() ? BST_CHECKED : BST_UNCHECKED, 0);
    UpdatePredictBox();
    UpdateClipboardBox();
    return TRUE;
}

void CDlgAppOption::UpdateClipboardBox() {
    const WPARAM check = m_choice.ClipboardMixed()    ? BST_INDETERMINATE
                         : m_choice.ClipboardTicked() ? BST_CHECKED
                                                      : BST_UNCHECKED;
    SendDlgItemMessageA(m_hWnd, IDC_APPOPT_CLIPBOARD, BM_SETCHECK, check, 0);
}

void CDlgAppOption::UpdatePredictBox() {
    // A three-state box that the dialog ticks itself: mixed shows the
    // applications' own switches, which a click replaces.
    const WPARAM check = m_choice.PredictMixed()    ? BST_INDETERMINATE
                         : m_choice.PredictTicked() ? BST_CHECKED
                                                    : BST_UNCHECKED;
    SendDlgItemMessageA(m_hWnd, IDC_APPOPT_PREDICT, BM_SETCHECK, check, 0);
    EnableWindow(Item(IDC_APPOPT_PREDICT), m_choice.PredictBoxEnabled());
}

INT_PTR CDlgAppOption::OnMessage(UINT msg, WPARAM wp, LPARAM) {
    if (msg != WM_COMMAND) return FALSE;
    switch (LOWORD(wp)) {
        case IDC_APPOPT_ENABLE:
            if (HIWORD(wp) == BN_CLICKED) {
                m_choice.state = 1;
                UpdatePredictBox();
            }
            return TRUE;
        case IDC_APPOPT_DISABLE:
            if (HIWORD(wp) == BN_CLICKED) {
                m_choice.state = 0;
                UpdatePredictBox();
            }
            return TRUE;
        case IDC_APPOPT_PREDICT:
            if (HIWORD(wp) == BN_CLICKED && m_choice.PredictBoxEnabled()) {
                m_choice.TogglePredict();
                UpdatePredictBox();
            }
            return TRUE;
        case IDC_APPOPT_CLIPBOARD:
            if (HIWORD(wp) == BN_CLICKED) {
                m_choice.ToggleClipboard();
                UpdateClipboardBox();
            }
            return TRUE;
        case IDOK:
            End(IDOK);
            return TRUE;
        case IDCANCEL:
            End(IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

// --- Applications Manager ---

CDlgAppManager::CDlgAppManager(Registry& reg, const CodePage& codePage, RunningAppsSource source)
    : DialogBase(IDD_APP_MANAGER),
      m_registry(reg),
      m_source(std::move(source)),
      m_model(codePage) {}

BOOL CDlgAppManager::OnInitDialog() {
    HWND list = Item(IDC_APPMAN_LIST);
    PrepareList(list, m_icons.get());
    AddColumn(list, 0, "File Name", 120);
    AddColumn(list, 1, "Wordlark Status", 120);
    AddColumn(list, 2, "Full Path", 300);
    AddColumn(list, 3, "Prediction", 70);

    m_icons.Clear();
    m_model.Load(m_registry);
    std::vector<int> all(m_model.Rows().size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
    LoadIcons(all);
    Render();
    const bool enable = m_model.OthersEnable() != 0;
    SendDlgItemMessageA(m_hWnd, IDC_APPMAN_ENABLE, BM_SETCHECK, enable ? BST_CHECKED : 0, 0);
    SendDlgItemMessageA(m_hWnd, IDC_APPMAN_DISABLE, BM_SETCHECK, enable ? 0 : BST_CHECKED, 0);
    return TRUE;
}

void CDlgAppManager::LoadIcons(const std::vector<int>& rows) {
    for (int row : rows) m_model.SetIcon(row, m_icons.Add(m_model.Rows()[row].path));
}

void CDlgAppManager::Render() {
    HWND list = Item(IDC_APPMAN_LIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    const auto& rows = m_model.Rows();
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        InsertRow(list, i, rows[i].fileName, rows[i].icon, rows[i].enable);
        SetCell(list, i, 1, StatusText(rows[i].enable));
        SetCell(list, i, 2, rows[i].path);
        SetCell(list, i, 3, PredictionText(rows[i]));
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void CDlgAppManager::OnDelete() {
    m_model.DeleteRows(SelectedRows(Item(IDC_APPMAN_LIST)));
    Render();
}

void CDlgAppManager::OnAdd() {
    CDlgAppOption option(m_registry, AppOptionModel{}, m_source);
    if (option.DoModal(m_hWnd) != IDOK) return;
    LoadIcons(m_model.Merge(option.choice()));
    Render();
}

void CDlgAppManager::OnDoubleClick(int row) {
    if (!m_model.CanEdit(row)) return;
    CDlgAppOption option(m_registry, m_model.EditChoice(row), m_source);
    if (option.DoModal(m_hWnd) != IDOK) return;
    m_model.ApplyEdit(row, option.choice());
    Render();
}

INT_PTR CDlgAppManager::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND: {
            const int code = HIWORD(wp);
            switch (LOWORD(wp)) {
                case IDC_APPMAN_ENABLE:
                    if (code == BN_CLICKED) m_model.SetOthersEnable(1);
                    return TRUE;
                case IDC_APPMAN_DISABLE:
                    if (code == BN_CLICKED) m_model.SetOthersEnable(0);
                    return TRUE;
                case IDC_APPMAN_DELETE:
                    if (code == BN_CLICKED) OnDelete();
                    return TRUE;
                case IDC_APPMAN_ADD:
                    if (code == BN_CLICKED) OnAdd();
                    return TRUE;
                case IDOK:
                    m_bAllWritten = m_model.Save(m_registry);
                    End(IDOK);
                    return TRUE;
                case IDCANCEL:
                    End(IDCANCEL);
                    return TRUE;
                default:
                    return FALSE;
            }
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lp);
            if (header->idFrom == IDC_APPMAN_LIST && header->code == NM_DBLCLK) {
                OnDoubleClick(reinterpret_cast<const NMITEMACTIVATE*>(lp)->iItem);
                return TRUE;
            }
            return FALSE;
        }
        default:
            return FALSE;
    }
}

}  // namespace wl
