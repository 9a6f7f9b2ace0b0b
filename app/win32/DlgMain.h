// The main window: at once the candidate list that the hook library shows at
// the caret, the receiver of the hook library's messages, the owner of the
// tray icon, the loaded libraries and the tip.  It lives for the whole run
// of the program as one modal dialog.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/CandidateList.h"
#include "app/LearnedWords.h"
#include "app/win32/CandidateListWnd.h"
#include "app/win32/ClipboardKeeper.h"
#include "app/win32/TipWnd.h"
#include "app/win32/UiaFieldProbe.h"
#include "app/win32/VemoApi.h"
#include "shell/win32/SystemTray.h"
#include "platform/Registry.h"
#include "platform/win32/DialogBase.h"
#include "settings/Settings.h"
#include "store/LibrarySet.h"

namespace wl {

inline constexpr UINT WM_TRAY_NOTIFY = WM_USER + 10;  // the tray icon's notifications

inline constexpr UINT_PTR ID_STARTUP_TIMER = 1002;
inline constexpr int ID_TOGGLE_HOTKEY = 1002;
inline constexpr UINT_PTR ID_CARET_TIMER = 1003;
// While learning: the words the hook library reported are taken in, and the
// file written when due.
inline constexpr UINT_PTR ID_LEARN_TIMER = 1004;
inline constexpr UINT kLearnIntervalMs = 1000;
// While the user's clipboard waits to be put back after a paste.
inline constexpr UINT_PTR ID_CLIPBOARD_TIMER = 1005;
inline constexpr UINT kTrayIconId = 130;

class CDlgMain : public DialogBase {
  public:
    // vemo: the hook library; registry: the settings; codePage: the text of
    // the libraries and of path completion; programFolder: where the Libs
    // folder is looked for, empty for the folder of the running executable.
    // learnedPath: the file of what is learned from the user's typing, in
    // UTF-8; empty for learned.dat in the user's own data folder.
    CDlgMain(VemoApi& vemo, Registry& registry, const CodePage& codePage,
             std::string programFolder = {}, std::string learnedPath = {});
    ~CDlgMain() override;
    CDlgMain(const CDlgMain&) = delete;
    CDlgMain& operator=(const CDlgMain&) = delete;

    // DoModal(nullptr) runs the window until the program is to end;
    // Create(nullptr) makes it without running it (tests).
    const CandidateList& candidates() const { return m_candidates; }
    const CTipWnd& tip() const { return m_tip; }
    const LibrarySet& libraries() const { return m_libraries; }
    const CClipboardKeeper& clipboard() const { return m_clipboard; }
    // What was learned; loaded on first need.
    LearnedWords& learned();

  private:
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR id);
    void OnCommand(UINT id);
    void OnShowWindow(BOOL show);
    void OnDestroy() override;
    void OnCaretPending();
    // A text the hook library pastes (WM_COPYDATA): 1 when it is on the
    // clipboard, the user's content kept.
    LRESULT OnPasteText(const COPYDATASTRUCT* copy);

    void RunStartupSteps();
    // BeginVemo, and the hook library told whether to report finished words.
    void StartHooks();
    // The suggestion switches into the list, the learning and the ranked
    // lookup's index.
    void ApplySuggestions();
    bool Learning() const { return m_suggestions.smartOrder && m_suggestions.learn; }
    bool Predicting() const { return m_suggestions.smartOrder && m_suggestions.predict; }
    // Takes in the words the hook library reported; writes the file when due
    // (or at once with final, dropping words still unanswered).
    void TakeFinishedWords(bool final);
    // Loads the enabled libraries of the program's Libs folder; answers
    // whether any loaded (false also when the program's path is unknown).
    bool ReloadLibraries(bool* pathKnown = nullptr);
    void ToggleVemo();
    void OnOptions();
    // Inverts the word (or else the shorthand) switch and writes it at once.
    void ToggleSwitch(bool word);
    void RegisterToggleHotkey();
    void PrepareTrayMenu(HMENU popup);

    VemoApi& m_vemo;
    Registry& m_registry;
    const CodePage& m_codePage;
    std::string m_programFolder;
    std::string m_learnedPath;
    SuggestionSettings m_suggestions;
    std::unique_ptr<CUiaFieldProbe> m_probe;
    std::unique_ptr<LearnedWords> m_learned;
    HICON m_hIcon = nullptr;
    HICON m_hIconSmall = nullptr;
    LibrarySet m_libraries;
    LibrarySource m_source;
    CTipWnd m_tip;
    CCandidateListWnd m_listWnd;
    CandidateList m_candidates;
    CSystemTray m_tray;
    CClipboardKeeper m_clipboard{ID_CLIPBOARD_TIMER};
    std::uint32_t m_dwToggleHotkey;
    DWORD m_caretDeadline = 0;
};

}  // namespace wl
