#include "app/win32/DlgMain.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>

#include "hook/SharedRecordCheck.h"
#include "libui/UiMessage.h"
#include "libui/win32/LibraryDialogs.h"
#include "platform/Hotkey.h"
#include "platform/Product.h"
#include "platform/RegistryLayout.h"
#include "platform/ReportingRegistry.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/ProgramFolder.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "settings/win32/SettingsDialogs.h"
#include "shell/TrayMenu.h"
#include "shell/win32/ShellCommands.h"

namespace wl {

namespace {

// How long the caret is checked after a keystroke changed the word, and how
// often.
constexpr UINT kCaretCheckIntervalMs = 15;
constexpr DWORD kCaretCheckDurationMs = 500;

constexpr char kNoLibraryText[] =
    "No library had loaded! \n Are you wanted  to load the Libraries Manager now?";

UINT HotkeyModifiers(Hotkey hotkey) {
    UINT mods = 0;
    if (hotkey.shift()) mods |= MOD_SHIFT;
    if (hotkey.control()) mods |= MOD_CONTROL;
    if (hotkey.alt()) mods |= MOD_ALT;
    return mods;
}

}  // namespace

CDlgMain::CDlgMain(VemoApi& vemo, Registry& registry, const CodePage& codePage,
                   std::string programFolder, std::string learnedPath)
    : DialogBase(IDD_MAIN),
      m_vemo(vemo),
      m_registry(registry),
      m_codePage(codePage),
      m_programFolder(std::move(programFolder)),
      m_learnedPath(std::move(learnedPath)),
      m_libraries(registry, SystemDirectory(), codePage),
      m_source(m_libraries),
      m_listWnd(m_candidates, m_tip),
      m_candidates(m_source, vemo, m_listWnd, codePage),
      m_dwToggleHotkey(reg::kDefaultToggleHotkey) {}

CDlgMain::~CDlgMain() {
    // The window, its index labels and the tip it owns go first, while this
    // object is whole; the list shares the images, which are m_listWnd's.
    Destroy();
    if (m_hIcon) DestroyIcon(m_hIcon);
    if (m_hIconSmall) DestroyIcon(m_hIconSmall);
}

INT_PTR CDlgMain::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (m_clipboard.OnMessage(msg, wp, lp)) return TRUE;
    switch (msg) {
        case WM_COPYDATA:
            SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT,
                              OnPasteText(reinterpret_cast<const COPYDATASTRUCT*>(lp)));
            return TRUE;
        case vemo::WM_WORD_LOOKUP:
            SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT,
                              m_candidates.OnWordLookup(static_cast<int>(wp)));
            return TRUE;
        case vemo::WM_SELECT_KEY:
            SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT,
                              m_candidates.OnSelectKey(static_cast<int>(static_cast<INT_PTR>(wp))));
            return TRUE;
        case vemo::WM_CARET_PENDING:
            OnCaretPending();
            return TRUE;
        case vemo::WM_WORD_FINISHED:
            // Its field is asked about now, while it still has the focus.
            if (Learning() && m_learned) m_learned->WordReported(static_cast<std::uint32_t>(wp));
            return TRUE;
        case WM_FIELD_ANSWER:
            if (m_learned)
                m_learned->FieldAnswered(static_cast<std::uint32_t>(wp),
                                         static_cast<FieldProbe::Answer>(lp));
            return TRUE;
        case WM_TIMER:
            OnTimer(wp);
            return TRUE;
        case WM_COMMAND:
            OnCommand(LOWORD(wp));
            return TRUE;
        case WM_HOTKEY:
            if (static_cast<int>(wp) == ID_TOGGLE_HOTKEY) ToggleVemo();
            return TRUE;
        case WM_NOTIFY:
            SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT,
                              m_listWnd.OnNotify(reinterpret_cast<const NMHDR*>(lp)));
            return TRUE;
        case WM_SHOWWINDOW:
            OnShowWindow(static_cast<BOOL>(wp));
            return FALSE;  // the default handling goes on
        case WM_WINDOWPOSCHANGED:
            // Hidden through SetWindowPos, which sends no WM_SHOWWINDOW.
            if (reinterpret_cast<const WINDOWPOS*>(lp)->flags & SWP_HIDEWINDOW) OnShowWindow(FALSE);
            return FALSE;
        case WM_MOVE:
            m_listWnd.PlaceTip();
            return FALSE;
        case WM_DPICHANGED:
            // Moved to a monitor of another scaling: the dialog's own layout
            // and font follow by themselves; the images and the labels' font
            // are this window's.  The next fill sizes the list anew.
            m_listWnd.OnDpiChanged(HIWORD(wp));
            return FALSE;
        case WM_SIZE:
            m_listWnd.OnSize(LOWORD(lp), HIWORD(lp));
            return FALSE;
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
            m_vemo.SetOldFous();
            return FALSE;
        case WM_MOUSEACTIVATE:
            // A click in the list must not take the focus from the application.
            SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, MA_NOACTIVATE);
            return TRUE;
        case WM_CLOSE:
            m_vemo.EndVemo();
            End(IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

BOOL CDlgMain::OnInitDialog() {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    // The library editor's text boxes are rich edit controls.
    LoadLibraryA("riched20.dll");
    // No caption is shown; the text names the window for tools and tests.
    SetWindowTextA(m_hWnd, product::kName);

    SetWindowPos(m_hWnd, HWND_BOTTOM, -1000, -1000, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    m_hIcon =
        static_cast<HICON>(LoadImageA(inst, MAKEINTRESOURCEA(IDI_VEMO_ON), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    m_hIconSmall = static_cast<HICON>(LoadImageA(inst, MAKEINTRESOURCEA(IDI_VEMO_ON), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIconSmall));

    std::int32_t word = m_candidates.enableWord(), shorthand = m_candidates.enableShorthand();
    ReadMainWindowSwitches(m_registry, m_dwToggleHotkey, shorthand, word);
    m_candidates.SetSwitches(word, shorthand);
    ReadSuggestionSettings(m_registry, m_suggestions);
    ApplySuggestions();

    m_tip.Create(m_hWnd);
    m_tip.SetTipText("", TIP_STYLE_NOTE);
    m_tray.Create(m_hWnd, WM_TRAY_NOTIFY, product::kName, m_hIconSmall, kTrayIconId,
                  [this](HMENU popup) { PrepareTrayMenu(popup); });
    // Hidden above before the window was ever shown, which sends no
    // WM_SHOWWINDOW: the default item is named here for the first menu.
    m_tray.SetMenuDefaultItem(ID_TRAY_TOGGLE, false);
    m_listWnd.Attach(m_hWnd);
    m_clipboard.Attach(m_hWnd);
    RegisterToggleHotkey();
    SetTimer(m_hWnd, ID_STARTUP_TIMER, 0, nullptr);
    return FALSE;  // no focus: the window is never activated by the program
}

void CDlgMain::RegisterToggleHotkey() {
    UnregisterHotKey(m_hWnd, ID_TOGGLE_HOTKEY);
    // A combination another program holds simply does not work here.
    const Hotkey hotkey(m_dwToggleHotkey);
    RegisterHotKey(m_hWnd, ID_TOGGLE_HOTKEY, HotkeyModifiers(hotkey), hotkey.key());
}

void CDlgMain::OnTimer(UINT_PTR id) {
    if (id == ID_STARTUP_TIMER) {
        RunStartupSteps();
    } else if (id == ID_LEARN_TIMER) {
        TakeFinishedWords(false);
    } else if (id == ID_CARET_TIMER) {
        const bool pending = m_vemo.CheckCaret() != 0;
        if (!pending || static_cast<LONG>(GetTickCount() - m_caretDeadline) >= 0)
            KillTimer(m_hWnd, ID_CARET_TIMER);
    }
}

void CDlgMain::OnCaretPending() {
    m_caretDeadline = GetTickCount() + kCaretCheckDurationMs;
    if (m_vemo.CheckCaret()) SetTimer(m_hWnd, ID_CARET_TIMER, kCaretCheckIntervalMs, nullptr);
}

LRESULT CDlgMain::OnPasteText(const COPYDATASTRUCT* copy) {
    std::uint32_t encoding = 0;
    if (!copy || copy->dwData != vemo::COPYDATA_PASTE_TEXT || !copy->lpData ||
        copy->cbData < sizeof encoding || copy->cbData > sizeof encoding + vemo::kReplaceSize)
        return 0;
    const char* data = static_cast<const char*>(copy->lpData);
    std::memcpy(&encoding, data, sizeof encoding);
    return m_clipboard.Offer(std::string(data + sizeof encoding, copy->cbData - sizeof encoding),
                             encoding)
               ? 1
               : 0;
}

void CDlgMain::RunStartupSteps() {
    ShowWindow(m_hWnd, SW_HIDE);
    KillTimer(m_hWnd, ID_STARTUP_TIMER);
    bool pathKnown = false;
    if (!ReloadLibraries(&pathKnown) && pathKnown) {
        if (MessageBoxA(m_hWnd, kNoLibraryText, kTitleError, MB_OKCANCEL | MB_ICONERROR) == IDOK)
            OnCommand(ID_TRAY_LIB_MANAGER);
    }
    StartHooks();
    // A shared record that was not this user's own is refused by the hook
    // library, which shows nothing: the user learns here why nothing works.
    const std::string refused = RecordRefusalText(m_vemo.GetSharedStateStatus());
    if (!refused.empty()) MessageBoxA(m_hWnd, refused.c_str(), kTitleError, MB_OK | MB_ICONERROR);
}

void CDlgMain::StartHooks() {
    m_vemo.BeginVemo(m_hWnd);
    m_vemo.SetLearning(Learning() ? 1 : 0);
    m_vemo.SetPrediction(Predicting() ? 1 : 0);
}

LearnedWords& CDlgMain::learned() {
    if (!m_learned) {
        std::string path = m_learnedPath;
        if (path.empty()) {
            const std::string folder = UserDataFolder();
            if (!folder.empty()) path = folder + "\\learned.dat";
        }
        if (m_hWnd && !m_probe) m_probe = std::make_unique<CUiaFieldProbe>(m_hWnd);
        m_learned = std::make_unique<LearnedWords>(m_codePage, std::move(path), SystemUserFiles(),
                                                   m_probe.get());
        // Forgotten means forgotten: the words the hook library reported
        // and not yet taken in go too.
        m_learned->OnForget([this] { m_vemo.DropFinishedWords(); });
    }
    return *m_learned;
}

void CDlgMain::ApplySuggestions() {
    const bool smart = m_suggestions.smartOrder != 0;
    const bool learn = Learning();
    m_candidates.SetSuggestions({smart, m_suggestions.spaceAfter != 0, learn,
                                 learn && m_suggestions.learnNew != 0, Predicting()});
    // (The hook library is told when the hooks start: while Wordlark is
    // off it asks for nothing.)
    if (m_vemo.IsBeginVemo()) m_vemo.SetPrediction(Predicting() ? 1 : 0);
    if (learn) {
        m_candidates.SetLearner(&learned().learner(),
                                [] { return std::int64_t{std::time(nullptr)}; });
        if (m_hWnd) SetTimer(m_hWnd, ID_LEARN_TIMER, kLearnIntervalMs, nullptr);
    } else {
        if (m_hWnd) KillTimer(m_hWnd, ID_LEARN_TIMER);
        TakeFinishedWords(true);
        m_candidates.SetLearner(nullptr, {});
    }
    // The ranked lookup's index is read now rather than at the first key.
    if (smart) m_libraries.PrepareRanked();
}

void CDlgMain::TakeFinishedWords(bool final) {
    const std::int64_t now = std::time(nullptr);
    if (!Learning()) {
        // Nothing reported is kept while learning is off.
        ReportedWord ignored;
        while (m_vemo.NextReported(ignored)) {
        }
        if (m_learned) m_learned->Flush(m_vemo, now);
        return;
    }
    if (final)
        learned().Flush(m_vemo, now);
    else
        learned().Tick(m_vemo, now);
}

bool CDlgMain::ReloadLibraries(bool* pathKnown) {
    const std::string folder =
        LibsFolderOf(m_programFolder.empty() ? ProgramFolder() : m_programFolder);
    if (folder.empty()) return false;
    if (pathKnown) *pathKnown = true;
    // The cache holds entries of the set being replaced.
    m_candidates.ClearCandidates();
    const bool loaded = m_libraries.LoadFolder(folder, 0) != 0;
    if (m_suggestions.smartOrder) m_libraries.PrepareRanked();
    return loaded;
}

void CDlgMain::ToggleVemo() {
    if (m_vemo.IsBeginVemo()) {
        // What was typed before the switch is taken in; nothing after it.
        TakeFinishedWords(true);
        m_vemo.EndVemo();
        m_tray.SetIcon(IDI_VEMO_OFF);
    } else {
        StartHooks();
        m_tray.SetIcon(static_cast<UINT>(IDI_VEMO_ON));
    }
    ShowWindow(m_hWnd, SW_HIDE);
    MessageBeep(0xFFFFFFFF);
}

void CDlgMain::ToggleSwitch(bool word) {
    std::int32_t enableWord = m_candidates.enableWord();
    std::int32_t enableShorthand = m_candidates.enableShorthand();
    std::int32_t& field = word ? enableWord : enableShorthand;
    field = field ? 0 : 1;
    WriteSwitch(m_registry, word ? reg::kEnableWord : reg::kEnableShorthand, field);
    m_candidates.SetSwitches(enableWord, enableShorthand);
}

void CDlgMain::OnCommand(UINT id) {
    // The dialogs are owned by this window, which may be showing as the
    // candidate list: hidden first, it is not activated when a dialog closes
    // (the keys typed next would go to it instead of the application), and
    // no list of candidates a reload has dropped stays up.
    const bool dialog = id == ID_TRAY_OPTIONS || id == ID_TRAY_APP_MANAGER ||
                        id == ID_TRAY_LIB_MANAGER || id == ID_TRAY_ABOUT;
    if (dialog) ShowWindow(m_hWnd, SW_HIDE);
    // Closing the dialog activates its owner, this hidden window: afterwards
    // the application that had the caret gets the foreground back.
    struct GiveBack {
        VemoApi& vemo;
        bool dialog;
        ~GiveBack() {
            if (dialog) vemo.SetOldFous();
        }
    } giveBack{m_vemo, dialog};
    switch (id) {
        case IDOK:  // Enter while the window has the focus
            StartHooks();
            ShowWindow(m_hWnd, SW_HIDE);
            break;
        case IDCANCEL:
            End(IDCANCEL);
            break;
        case ID_TRAY_EXIT:
            End(IDOK);
            break;
        case ID_TRAY_TOGGLE:
            ToggleVemo();
            break;
        case ID_TRAY_OPTIONS:
            OnOptions();
            break;
        case ID_TRAY_APP_MANAGER:
            RunAppManager(m_hWnd, m_registry, m_codePage);
            break;
        case ID_TRAY_LIB_MANAGER:
            if (RunLibrariesManager(m_hWnd, m_registry, m_codePage, LibsFolderOf(m_programFolder)))
                ReloadLibraries();
            break;
        case ID_TRAY_WORD:
            ToggleSwitch(/*word=*/true);
            break;
        case ID_TRAY_SHORTHAND:
            ToggleSwitch(/*word=*/false);
            break;
        case ID_TRAY_CONTENTS:
            ShowHelpContents(m_hWnd);
            break;
        case ID_TRAY_HOMEPAGE:
            OpenLink(m_hWnd, kHomePage);
            break;
        case ID_TRAY_FEEDBACK:
            OpenLink(m_hWnd, kFeedbackLink);
            break;
        case ID_TRAY_ABOUT:
            ShowAbout(m_hWnd);
            break;
        default:
            break;
    }
}

namespace {

// What was learned, as the Options dialog shows, lists and forgets it.
class LearnedForOptions : public LearnedData {
  public:
    explicit LearnedForOptions(std::function<LearnedWords&()> learned)
        : learned_(std::move(learned)) {}
    std::size_t LearnedWordCount() override { return learned_().WordCount(); }
    std::vector<std::string> ForgetLearned() override { return learned_().Forget(); }
    std::vector<LearnedWordRow> ListLearned() override {
        std::vector<LearnedWordRow> rows;
        for (const auto& [key, use] : learned_().learner().Words())
            rows.push_back({use.form, key, use.uses});
        return rows;
    }
    bool RemoveLearned(const std::vector<std::string>& keys) override {
        return learned_().Remove(keys, std::time(nullptr));
    }

  private:
    std::function<LearnedWords&()> learned_;
};

}  // namespace

void CDlgMain::OnOptions() {
    OptionsResult result;
    // What the hook library reported so far counts before the dialog shows it.
    TakeFinishedWords(false);
    LearnedForOptions learnedData([this]() -> LearnedWords& { return learned(); });
    if (!RunOptionsDialog(m_hWnd, m_registry, result, &learnedData)) return;
    m_candidates.SetSwitches(result.bEnableWord, result.bEnableShorthand);
    m_dwToggleHotkey = result.dwEnableVemo;
    m_suggestions = result.suggestions;
    const bool on = m_vemo.IsBeginVemo() != 0;
    ApplySuggestions();
    // The hook library reads the select keys anew when it is on; switched
    // off, it stays off (and so does learning) until the user switches it
    // on, as the tray icon says.
    if (on) StartHooks();
    RegisterToggleHotkey();
}

void CDlgMain::PrepareTrayMenu(HMENU popup) {
    const TrayMenuState state = ReadTrayMenuState(m_registry, m_vemo.IsBeginVemo() != 0);
    CheckMenuItem(popup, ID_TRAY_SHORTHAND,
                  MF_BYCOMMAND | (state.shorthandChecked ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(popup, ID_TRAY_WORD,
                  MF_BYCOMMAND | (state.wordChecked ? MF_CHECKED : MF_UNCHECKED));
    ModifyMenuA(popup, ID_TRAY_TOGGLE, MF_BYCOMMAND | MF_STRING, ID_TRAY_TOGGLE, state.toggleText);
}

void CDlgMain::OnShowWindow(BOOL show) {
    if (show) return;
    m_tip.Hide();
    m_tray.SetMenuDefaultItem(ID_TRAY_TOGGLE, false);
}

void CDlgMain::OnDestroy() {
    // The user's clipboard goes back before the window that owns it goes.
    m_clipboard.Detach();
    KillTimer(m_hWnd, ID_CARET_TIMER);
    KillTimer(m_hWnd, ID_LEARN_TIMER);
    // What was learned since the last write is written before the end.
    TakeFinishedWords(true);
    UnregisterHotKey(m_hWnd, ID_TOGGLE_HOTKEY);
    m_candidates.ClearCandidates();
    m_vemo.EndVemo();
    m_libraries.UnloadAll();
    m_listWnd.Detach();
}

}  // namespace wl
