#include "libui/win32/DlgLibOption.h"

#include <richedit.h>

#include <utility>

#include "libui/UiMessage.h"
#include "libui/win32/ProgressWindow.h"
#include "platform/CodePage.h"
#include "platform/win32/Dpi.h"
#include "res/libui_resource.h"
#include "res/resource.h"

namespace wl {

namespace {

constexpr char kEditorProp[] = "WordlarkLibraryEditor";
constexpr int kMaxQueryBytes = 1023;  // a typed word holds at most 1023 bytes
constexpr int kMaxFullTextBytes = 65535;
constexpr int kPumpEveryRows = 256;
// Posted by the opening: the first listing runs once the dialog stands (a
// modal run has disabled the owner by then).
constexpr UINT kMsgInitialListing = WM_APP + 1;
// Tells why the library could not be opened, once the dialog stands.
constexpr UINT kMsgOpenFailed = WM_APP + 2;

// Copies a cell for display: library text of the encoding as UTF-16, at
// most capacity - 1 units, line breaks and other control characters shown
// as blanks, never half a surrogate pair.
void CopyCell(const std::string& text, wchar_t* out, int capacity, std::int32_t encoding) {
    if (!out || capacity <= 0) return;
    const std::wstring wide = WideOfLibraryText(text, encoding);
    const std::size_t limit = static_cast<std::size_t>(capacity - 1);
    std::size_t n = 0;
    for (std::size_t i = 0; i < wide.size() && wide[i] != L'\0';) {
        const wchar_t c = wide[i];
        const std::size_t width = c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() &&
                                          wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF
                                      ? 2
                                      : 1;
        if (n + width > limit) break;
        if (width == 2) {
            out[n++] = wide[i];
            out[n++] = wide[i + 1];
        } else {
            out[n++] = c < 32 ? L' ' : c;
        }
        i += width;
    }
    out[n] = L'\0';
}

// The listing's progress: the bar steps with every row, and the window
// handles its messages every few hundred rows.
class ListingAdapter : public ListingProgress {
  public:
    explicit ListingAdapter(ProgressWindow& window) : window_(window) {}
    void Begin(std::int32_t count) override {
        window_.SetBarRange(0, count, 1);
        window_.SetBarPosition(0);
    }
    bool Step() override {
        window_.Advance();
        if (++rows_ % kPumpEveryRows == 0) window_.PumpPending(true);
        return !window_.IsCancelled();
    }

  private:
    ProgressWindow& window_;
    int rows_ = 0;
};

}  // namespace

CDlgLibOption::CDlgLibOption(std::string path, int mayChange, Profile& profile,
                             const CodePage& codePage, LibUiHost& host)
    : LibDialog(IDD_LIB_OPTION),
      m_logic(std::move(path), mayChange, codePage),
      m_profile(profile),
      m_host(host) {
    // The text boxes are rich edit controls.
    LoadLibraryA("riched20.dll");
}

CDlgLibOption::~CDlgLibOption() {
    Destroy();
    m_logic.Close();
}

BOOL CDlgLibOption::OnInitDialog() {
    m_list = Item(IDC_LIBOPT_LIST);
    m_wait.CreateHidden(m_hWnd);

    m_imageList = ImageListFromStrip(ProgramModule(), IDB_CANDIDATES, DpiOf(m_list));
    if (!m_imageList) m_imageList = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 1);
    // The list destroys its image list with itself.
    SendMessageA(m_list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_imageList));

    // The list asks for its rows' texts in UTF-16.
    SendMessageW(m_list, CCM_SETUNICODEFORMAT, TRUE, 0);

    HWND fullText = Item(IDC_LIBOPT_FULLTEXT);
    SendMessageW(fullText, EM_SETEVENTMASK, 0,
                 SendMessageW(fullText, EM_GETEVENTMASK, 0, 0) | ENM_CHANGE);
    // In characters; what is stored is checked in bytes when it is taken in.
    SendMessageW(fullText, EM_EXLIMITTEXT, 0, kMaxFullTextBytes);
    SetPropA(fullText, kEditorProp, this);
    // A wide procedure, so that the rich edit control stays a wide window.
    m_fullTextProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        fullText, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CDlgLibOption::FullTextProc)));
    SendDlgItemMessageW(m_hWnd, IDC_LIBOPT_QUERY, EM_LIMITTEXT, kMaxQueryBytes, 0);

    if (m_logic.Open()) {
        InsertColumns();
        PostMessageA(m_hWnd, kMsgInitialListing, 0, 0);
    } else {
        PostMessageA(m_hWnd, kMsgOpenFailed, 0, 0);
    }
    SendMessageA(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB | LVS_EX_INFOTIP);
    FillTypeBox();
    SetLibraryText(m_hWnd, IDC_LIBOPT_NAME, m_logic.Caption(), m_logic.CaptionEncoding());
    SetLibraryText(m_hWnd, IDC_LIBOPT_DESCRIPTION, m_logic.Description(), m_logic.Encoding());
    RenderButtons();
    return TRUE;
}

void CDlgLibOption::OnDestroy() {
    HWND fullText = Item(IDC_LIBOPT_FULLTEXT);
    if (fullText && m_fullTextProc) {
        SetWindowLongPtrW(fullText, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_fullTextProc));
        RemovePropA(fullText, kEditorProp);
    }
    m_fullTextProc = nullptr;
    if (m_progress) m_progress->Cancel();
    m_wait.Destroy();
    m_logic.Close();
    m_list = nullptr;
    m_lastFocused = nullptr;
}

void CDlgLibOption::InsertColumns() {
    const char* titles[2] = {m_logic.KeyColumnTitle(), m_logic.TextColumnTitle()};
    const int widths[2] = {120, 300};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = Scaled(widths[i], DpiOf(m_list));
        column.pszText = const_cast<char*>(titles[i]);
        column.iSubItem = i;
        SendMessageA(m_list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
}

void CDlgLibOption::FillTypeBox() {
    HWND box = Item(IDC_LIBOPT_TYPE);
    // Inserted at the top, so that they stand in this order although the
    // box sorts what is added.
    const struct {
        const char* text;
        int type;
    } items[] = {{"Shorthand ", Shorthand}, {"Dictionary ", Dictionary}};
    for (const auto& item : items) {
        const LRESULT index =
            SendMessageA(box, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(item.text));
        SendMessageA(box, CB_SETITEMDATA, static_cast<WPARAM>(index), item.type);
    }
    const LRESULT count = SendMessageA(box, CB_GETCOUNT, 0, 0);
    SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == m_logic.Type())
            SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    }
}

void CDlgLibOption::ListFrom(const std::string& text) {
    if (m_bBusy || !m_hWnd) return;
    m_bBusy = true;
    ProgressWindow progress(m_profile);
    m_progress = &progress;
    progress.Create(m_hWnd, kTitlePlain, false);
    progress.SetMessage("Loading the Library, Please wait ...");
    progress.PumpPending(true);

    if (m_list) {
        SendMessageA(m_list, LVM_DELETEALLITEMS, 0, 0);
        SendMessageA(m_list, LVM_SETITEMCOUNT, 0, 0);
    }
    ListingAdapter adapter(progress);
    m_logic.ListFrom(text, &adapter);

    progress.Destroy();
    m_progress = nullptr;
    m_bBusy = false;
    if (!m_hWnd) return;  // the dialog went away meanwhile
    SendMessageA(m_list, LVM_SETITEMCOUNT, m_logic.Rows().size(), 0);
    InvalidateRect(m_list, nullptr, TRUE);
    SetBox(IDC_LIBOPT_COUNT, m_logic.CountText());
    RenderButtons();
}

void CDlgLibOption::RenderButtons() {
    if (!m_hWnd) return;
    const auto& b = m_logic.buttons();
    const struct {
        int id;
        bool enabled;
    } states[] = {{IDC_LIBOPT_ADD, b.add},
                  {IDC_LIBOPT_SAVE, b.save},
                  {IDC_LIBOPT_DELETE, b.del},
                  {IDC_LIBOPT_IMPORT, b.importFile},
                  {IDC_LIBOPT_EXPORT, b.exportFile}};
    for (const auto& s : states) EnableWindow(Item(s.id), s.enabled ? TRUE : FALSE);
    // A button that just pressed itself off leaves the focus nowhere.
    HWND focus = GetFocus();
    if (focus && GetParent(focus) == m_hWnd && !IsWindowEnabled(focus))
        SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_LIBOPT_QUERY)), TRUE);
}

void CDlgLibOption::SetBox(int id, const std::string& text) {
    SetDlgItemTextA(m_hWnd, id, text.c_str());
}

std::vector<int> CDlgLibOption::SelectedRows() const {
    std::vector<int> rows;
    if (!m_list) return rows;
    int i = -1;
    while ((i = static_cast<int>(
                SendMessageA(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED))) >= 0)
        rows.push_back(i);
    return rows;
}

void CDlgLibOption::Show(const UiMessage& message) {
    if (!message.empty()) m_host.ShowMessage(m_hWnd, message);
}

void CDlgLibOption::Apply(const LibEditorLogic::Outcome& outcome) {
    Show(outcome.message);
    if (outcome.relist)
        ListFrom(outcome.relistFrom);
    else
        RenderButtons();
}

INT_PTR CDlgLibOption::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            OnCommand(LOWORD(wp), HIWORD(wp));
            return TRUE;
        case WM_NOTIFY:
            return OnNotify(reinterpret_cast<const NMHDR*>(lp));
        case WM_NOTIFYFORMAT:
            SetMessageResult(NFR_UNICODE);
            return TRUE;
        case kMsgInitialListing:
            ListFrom("");
            return TRUE;
        case kMsgOpenFailed:
            Show(m_logic.OpenFailure());
            return TRUE;
        default:
            return FALSE;
    }
}

void CDlgLibOption::OnCommand(int id, int code) {
    if (m_bBusy) {
        // While a listing runs only its cancelling is heard.
        if (id == IDCANCEL && m_progress) m_progress->Cancel();
        return;
    }
    if (id >= ID_MACRO_CARET && id <= ID_MACRO_SECOND_02) {
        OnMacro(id);
        return;
    }
    if (id == IDC_LIBOPT_QUERY || id == IDC_LIBOPT_FULLTEXT) {
        if (code == EN_SETFOCUS) {
            m_lastFocused = Item(id);
        } else if (code == EN_CHANGE && !m_bSettingBoxes) {
            if (id == IDC_LIBOPT_QUERY)
                m_logic.OnQueryTyped(Typed(IDC_LIBOPT_QUERY));
            else
                m_logic.OnFullTextTyped(Typed(IDC_LIBOPT_FULLTEXT));
            RenderButtons();
        }
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
        case IDC_LIBOPT_QUERYBTN:
            OnQuery();
            break;
        case IDC_LIBOPT_RELOAD:
            SetDlgItemTextW(m_hWnd, IDC_LIBOPT_QUERY, L"");
            SetDlgItemTextW(m_hWnd, IDC_LIBOPT_FULLTEXT, L"");
            ListFrom("");
            break;
        case IDC_LIBOPT_MACRO:
            OnMacroMenu();
            break;
        case IDC_LIBOPT_ADD:
            OnAdd();
            break;
        case IDC_LIBOPT_SAVE:
            OnSave();
            break;
        case IDC_LIBOPT_DELETE:
            OnDelete();
            break;
        case IDC_LIBOPT_IMPORT:
            OnImport();
            break;
        case IDC_LIBOPT_EXPORT:
            OnExport();
            break;
        case IDOK:
            OnOK();
            break;
        case IDCANCEL:
            End(IDCANCEL);
            break;
        default:
            break;
    }
}

INT_PTR CDlgLibOption::OnNotify(const NMHDR* header) {
    if (!header || header->idFrom != IDC_LIBOPT_LIST) return FALSE;
    const auto& rows = m_logic.Rows();
    switch (header->code) {
        case LVN_GETDISPINFOW: {
            auto* info = const_cast<NMLVDISPINFOW*>(reinterpret_cast<const NMLVDISPINFOW*>(header));
            LVITEMW& item = info->item;
            if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= rows.size()) return TRUE;
            const EditorRow& row = rows[static_cast<std::size_t>(item.iItem)];
            if (item.mask & LVIF_TEXT)
                CopyCell(item.iSubItem == 0 ? row.key : row.text, item.pszText, item.cchTextMax,
                         m_logic.Encoding());
            if (item.mask & LVIF_IMAGE) {
                const int image = m_logic.RowImage();
                item.iImage = image >= 0 ? image : I_IMAGENONE;
            }
            return TRUE;
        }
        case LVN_GETINFOTIPW: {
            auto* tip =
                const_cast<NMLVGETINFOTIPW*>(reinterpret_cast<const NMLVGETINFOTIPW*>(header));
            if (tip->iItem >= 0 && static_cast<std::size_t>(tip->iItem) < rows.size() &&
                !(tip->dwFlags & LVGIT_UNFOLDED))
                CopyCell(rows[static_cast<std::size_t>(tip->iItem)].text, tip->pszText,
                         tip->cchTextMax, m_logic.Encoding());
            return TRUE;
        }
        case LVN_ITEMCHANGED: {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
            if (!m_bBusy && (change->uChanged & LVIF_STATE) &&
                (change->iItem < 0 || ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)))
                OnSelectionChanged();
            return TRUE;
        }
        case LVN_ODSTATECHANGED:
            if (!m_bBusy) OnSelectionChanged();
            return TRUE;
        default:
            return FALSE;
    }
}

void CDlgLibOption::OnSelectionChanged() {
    const int count = static_cast<int>(SendMessageA(m_list, LVM_GETSELECTEDCOUNT, 0, 0));
    const int first = static_cast<int>(
        SendMessageA(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    std::string query, fullText;
    if (m_logic.OnSelectionChanged(count, first, query, fullText)) {
        m_bSettingBoxes = true;
        SetLibraryText(m_hWnd, IDC_LIBOPT_QUERY, query, m_logic.Encoding());
        SetLibraryText(m_hWnd, IDC_LIBOPT_FULLTEXT, fullText, m_logic.Encoding());
        m_bSettingBoxes = false;
    }
    RenderButtons();
}

std::string CDlgLibOption::Typed(int id) const {
    return Utf8WindowText(Item(id));
}

void CDlgLibOption::OnQuery() {
    std::string from;
    const UiMessage refusal =
        m_logic.FromTyped(Typed(IDC_LIBOPT_QUERY), from, LibEditorLogic::kMaxKeyBytes);
    if (!refusal.empty()) {
        Show(refusal);
        return;
    }
    ListFrom(from);
}

void CDlgLibOption::OnAdd() {
    Apply(m_logic.AddTyped(Typed(IDC_LIBOPT_QUERY), Typed(IDC_LIBOPT_FULLTEXT)));
}

void CDlgLibOption::OnSave() {
    Apply(m_logic.SaveTyped(Typed(IDC_LIBOPT_QUERY), Typed(IDC_LIBOPT_FULLTEXT)));
}

void CDlgLibOption::OnDelete() {
    if (m_host.ShowMessage(m_hWnd, LibEditorLogic::DeleteQuestion()) != IDOK) return;
    Apply(m_logic.DeleteRows(SelectedRows()));
}

void CDlgLibOption::OnImport() {
    const std::string file = m_host.ChooseFile(m_hWnd, false);
    if (file.empty()) return;
    m_wait.ShowFor("Import! Please wait ... ");
    EnableWindow(m_hWnd, FALSE);
    m_bBusy = true;
    const auto outcome = m_logic.Import(file, &m_wait);
    m_bBusy = false;
    if (!m_hWnd) return;
    EnableWindow(m_hWnd, TRUE);
    m_wait.HideBox();
    Apply(outcome);
}

void CDlgLibOption::OnExport() {
    const std::string file = m_host.ChooseFile(m_hWnd, true);
    if (file.empty()) return;
    m_wait.ShowAgain();
    EnableWindow(m_hWnd, FALSE);
    m_bBusy = true;
    const auto outcome = m_logic.Export(file, &m_wait);
    m_bBusy = false;
    if (!m_hWnd) return;
    EnableWindow(m_hWnd, TRUE);
    m_wait.HideBox();
    Apply(outcome);
}

void CDlgLibOption::OnMacroMenu() {
    HMENU menu = LoadMenuA(ProgramModule(), MAKEINTRESOURCEA(IDR_MACRO_MENU));
    if (!menu) return;
    RECT button;
    GetWindowRect(Item(IDC_LIBOPT_MACRO), &button);
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, button.left,
                   button.bottom, 0, m_hWnd, nullptr);
    DestroyMenu(menu);
}

void CDlgLibOption::OnMacro(int command) {
    const char* text = LibEditorLogic::MacroText(command);
    if (!text || !m_lastFocused) return;
    const std::wstring wide = WideOfLibraryText(text, EncodingCodePage);
    SendMessageW(m_lastFocused, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
    SetFocus(m_lastFocused);
}

void CDlgLibOption::OnOK() {
    HWND box = Item(IDC_LIBOPT_TYPE);
    int type = -1;
    const LRESULT selected = SendMessageA(box, CB_GETCURSEL, 0, 0);
    if (selected != CB_ERR)
        type =
            static_cast<int>(SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
    // A character the library cannot hold keeps the dialog open, with the
    // box that holds it in front.
    std::string name, description;
    if (m_logic.MayChange() == 1 && m_logic.IsOpen()) {
        for (const auto& [id, text] : {std::pair<int, std::string*>{IDC_LIBOPT_NAME, &name},
                                       {IDC_LIBOPT_DESCRIPTION, &description}}) {
            const UiMessage refusal = m_logic.FromTyped(Typed(id), *text);
            if (!refusal.empty()) {
                Show(refusal);
                SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
                return;
            }
        }
    }
    // A refusal of the file is told; the dialog closes all the same (the
    // entries are saved, and the boxes' texts could not be saved by trying
    // again).
    Show(m_logic.SaveInfo(type, name, description));
    End(IDOK);
}

LRESULT CALLBACK CDlgLibOption::FullTextProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<CDlgLibOption*>(GetPropA(hwnd, kEditorProp));
    WNDPROC base = self ? self->m_fullTextProc : nullptr;
    if (!base) return DefWindowProcW(hwnd, msg, wp, lp);
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    switch (msg) {
        case WM_GETDLGCODE: {
            // Tab and Return belong to the box, not to the dialog.
            LRESULT code = CallWindowProcW(base, hwnd, msg, wp, lp);
            const MSG* m = reinterpret_cast<const MSG*>(lp);
            if (m && m->message == WM_KEYDOWN && (m->wParam == VK_TAB || m->wParam == VK_RETURN))
                code |= DLGC_WANTMESSAGE;
            return code | DLGC_WANTTAB;
        }
        case WM_KEYDOWN:
            // The character message that follows inserts the tab.
            if (wp == VK_TAB && !control) return 0;
            break;
        case WM_CHAR:
            if (wp == '\t' && !control) {
                CallWindowProcW(base, hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\t"));
                return 0;
            }
            break;
        default:
            break;
    }
    return CallWindowProcW(base, hwnd, msg, wp, lp);
}

}  // namespace wl
