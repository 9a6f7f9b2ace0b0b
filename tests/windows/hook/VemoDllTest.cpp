// "Vemo.dll" under Wine: the shared record seen by two processes, the hooks
// that BeginVemo installs and EndVemo removes, the selection keys from the
// registry, and the exports that copy text in and out of the record.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "hook/SharedHookState.h"
#include "hook/win32/SharedMapping.h"
#include "hook/win32/Vemo.h"
#include "platform/Registry.h"
#include "platform/RegistryLayout.h"

namespace wl {
namespace {

using namespace vemo;

// The record as this test process sees it through the mapping.
SharedHookState* View() {
    static SharedHookState* view = [] {
        HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kSharedStateMappingName);
        if (!mapping) return static_cast<SharedHookState*>(nullptr);
        return static_cast<SharedHookState*>(
            MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedHookState)));
    }();
    return view;
}

std::string Folder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\') + 1);
}

// Runs the peer process with the given commands and returns what it printed.
std::string Peer(const std::string& args) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return "no pipe";
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + Folder() + "vemo_peer.exe\" " + args;
    const BOOL started =
        CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    std::string out = started ? "" : "not started";
    char buf[512];
    DWORD n = 0;
    while (started && ReadFile(readEnd, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
    if (started) {
        WaitForSingleObject(pi.hProcess, 30000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(readEnd);
    out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
    return out;
}

// A window that answers the hook library's messages as the main window
// would, and remembers what it was asked.
struct MainWindow {
    static inline std::vector<std::string> lookups;
    static inline int caretPending = 0;
    static inline std::string candidate;  // the word that has candidates

    HWND hwnd = nullptr;

    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_WORD_LOOKUP) {
            char buf[1024] = {};
            GetInputStr(buf, sizeof buf);
            lookups.push_back(buf);
            return candidate == buf ? 0 : 1;
        }
        if (msg == WM_SELECT_KEY) return 1;
        if (msg == WM_CARET_PENDING) ++caretPending;
        return DefWindowProcA(h, msg, wp, lp);
    }
    MainWindow() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VemoTestMain";
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(WS_EX_TOOLWINDOW, "VemoTestMain", "main", WS_POPUP, 0, 0, 100, 50,
                               nullptr, nullptr, wc.hInstance, nullptr);
        lookups.clear();
        caretPending = 0;
    }
    ~MainWindow() { DestroyWindow(hwnd); }
    static void Pump() {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }
};

TEST(VemoRecord, TwoProcessesShareOneRecordAndEitherEndsIt) {
    MainWindow main;
    ASSERT_EQ(BeginVemo(main.hwnd), 1);
    EXPECT_EQ(Peer("status active"), "0\n1\n");
    // The peer writes, this process reads ...
    EXPECT_EQ(Peer("replace from-the-peer 4 selectkey 75 74"), "1\nok\n");
    SharedHookState* s = View();
    EXPECT_STREQ(s->replaceText, "from-the-peer");
    EXPECT_EQ(s->replaceMode, 4);
    EXPECT_EQ(s->vkSelectPrev, 75);
    EXPECT_EQ(s->vkSelectNext, 74);
    // ... and the other way round; EndVemo there ends it here too.
    std::strcpy(s->inputWord, "typed here");
    std::strcpy(s->typedLine, "abc");
    std::strcpy(s->inputWordUtf8, "\u03C3\u03AF\u03C3\u03C5");  // past the older fields
    std::strcpy(s->typedLineUtf8, "abc");
    EXPECT_EQ(Peer("input inpututf8 end active input inpututf8"),
              "[typed here]\n1 [\u03C3\u03AF\u03C3\u03C5]\nok\n0\n[]\n0 []\n");
    EXPECT_EQ(IsBeginVemo(), 0);
    EXPECT_STREQ(s->typedLine, "");
    EXPECT_STREQ(s->typedLineUtf8, "");
    EXPECT_EQ(s->mainWindow, 0u);
    EndVemo();
}

// Gives the record a DACL that lets SYSTEM in only, as the record's own
// descriptor refuses a process of another user or of a lower integrity level
// (which Wine does not enforce); the record's DACL comes back on destruction.
class RefusingRecord {
  public:
    RefusingRecord()
        : mapping_(OpenFileMappingA(READ_CONTROL | WRITE_DAC, FALSE, kSharedStateMappingName)) {
        DWORD size = 0;
        GetKernelObjectSecurity(mapping_, DACL_SECURITY_INFORMATION, nullptr, 0, &size);
        old_.resize(size);
        PSECURITY_DESCRIPTOR systemOnly = nullptr;
        refusing_ = mapping_ && size &&
                    GetKernelObjectSecurity(mapping_, DACL_SECURITY_INFORMATION, old_.data(), size,
                                            &size) &&
                    ConvertStringSecurityDescriptorToSecurityDescriptorA(
                        "D:P(A;;GA;;;SY)", SDDL_REVISION_1, &systemOnly, nullptr) &&
                    SetKernelObjectSecurity(mapping_, DACL_SECURITY_INFORMATION, systemOnly);
        if (systemOnly) LocalFree(systemOnly);
    }
    ~RefusingRecord() {
        if (refusing_) SetKernelObjectSecurity(mapping_, DACL_SECURITY_INFORMATION, old_.data());
        if (mapping_) CloseHandle(mapping_);
    }
    bool refusing() const { return refusing_; }

  private:
    HANDLE mapping_;
    std::vector<char> old_;
    bool refusing_ = false;
};

TEST(VemoRecord, AProcessTheRecordRefusesPassesEveryKeyOn) {
    MainWindow main;
    ASSERT_EQ(BeginVemo(main.hwnd), 1);
    SharedHookState* s = View();
    // A process that may open the record: the hook there takes the word
    // into the record and tells the main window, and the keys go on.
    EXPECT_EQ(Peer("type abc"), "[abc]\n");
    MainWindow::Pump();
    EXPECT_STREQ(s->typedLine, "abc");
    EXPECT_GT(MainWindow::caretPending, 0);

    std::memset(s->typedLine, 0, sizeof s->typedLine);
    std::memset(s->inputWord, 0, sizeof s->inputWord);
    MainWindow::caretPending = 0;
    {
        RefusingRecord refusing;
        ASSERT_TRUE(refusing.refusing());
        // One it refuses: nothing is mapped there, it says why, and every key
        // reaches the application untouched.
        EXPECT_EQ(Peer("status active input type abc"), "2\n0\n[]\n[abc]\n");
    }
    MainWindow::Pump();
    EXPECT_STREQ(s->typedLine, "");
    EXPECT_EQ(MainWindow::caretPending, 0);
    EXPECT_EQ(IsBeginVemo(), 1);  // the main program's own view goes on
    EndVemo();
}

TEST(VemoRecord, ARecordOfAnotherLayoutVersionIsNeverOpened) {
    // Smaller records that hook libraries of other versions keep alive: the
    // name before the version was part of it, and the next version's.
    const VersionedName next("Local\\WordlarkVemoSharedState", kSharedStateLayoutVersion + 1);
    const char* older[] = {"Local\\WordlarkVemoSharedState", next.text};
    std::vector<HANDLE> kept;
    for (const char* name : older) {
        HANDLE mapping =
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, name);
        ASSERT_NE(mapping, nullptr) << name;
        kept.push_back(mapping);
        if (void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 4096)) {
            std::memset(view, 'x', 4096);
            UnmapViewOfFile(view);
        }
    }
    MainWindow main;
    ASSERT_EQ(BeginVemo(main.hwnd), 1);
    EXPECT_EQ(GetSharedStateStatus(), 0);
    SharedHookState* s = View();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Peer("status replace newer 1"), "0\n1\n");
    EXPECT_STREQ(s->replaceText, "newer");
    EndVemo();
    for (HANDLE mapping : kept) CloseHandle(mapping);
    // The names carry the version.
    const std::string version = "-v" + std::to_string(kSharedStateLayoutVersion);
    EXPECT_EQ(kSharedStateMappingName, "Local\\WordlarkVemoSharedState" + version);
    EXPECT_EQ(kSharedStateMutexName, "Local\\WordlarkVemoSharedStateInit" + version);
}

TEST(VemoHooks, BeginTwiceLeavesOneSetOfHooks) {
    MainWindow main;
    SharedHookState* s = View();
    ASSERT_EQ(BeginVemo(main.hwnd), 1);
    Handle32 caret = s->winEventHook, keyboard = s->keyboardHook, message = s->messageHook;
    EXPECT_TRUE(caret && keyboard && message);
    std::strcpy(s->inputWord, "stale");
    ASSERT_EQ(BeginVemo(main.hwnd), 1);
    EXPECT_EQ(IsBeginVemo(), 1);
    EXPECT_STREQ(s->inputWord, "");
    // The first set is gone: removing it again fails.
    EXPECT_FALSE(UnhookWindowsHookEx(reinterpret_cast<HHOOK>(static_cast<INT_PTR>(keyboard))));
    EXPECT_FALSE(UnhookWindowsHookEx(reinterpret_cast<HHOOK>(static_cast<INT_PTR>(message))));
    EXPECT_FALSE(UnhookWinEvent(reinterpret_cast<HWINEVENTHOOK>(static_cast<INT_PTR>(caret))));
    Handle32 keyboard2 = s->keyboardHook;
    EndVemo();
    EXPECT_FALSE(s->keyboardHook || s->winEventHook || s->messageHook || s->active);
    EXPECT_FALSE(UnhookWindowsHookEx(reinterpret_cast<HHOOK>(static_cast<INT_PTR>(keyboard2))));
    EndVemo();  // nothing installed: harmless
    EXPECT_EQ(IsBeginVemo(), 0);
}

TEST(VemoHooks, SelectionKeysAreReadInEveryBegin) {
    MainWindow main;
    SharedHookState* s = View();
    Registry& r = SystemRegistry();
    RegKey key(r, RegRoot::LocalMachine, reg::kOptionKey, true);
    BYTE complete[10] = {0x20, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    BYTE index[10] = {'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P'};
    key.WriteBinary(reg::kSelect, complete);
    key.WriteBinary(reg::kSelectIndex, index);
    key.WriteBinary(reg::kSelectPrev, BYTE{'K'});
    key.WriteBinary(reg::kSelectNext, DWORD{'J'});  // wrong width: ignored
    s->vkSelectNext = 0x28;
    ASSERT_EQ(BeginVemo(main.hwnd), 1);
    for (const char* name : {reg::kSelectPrev, reg::kSelectNext, reg::kSelectPageUp,
                             reg::kSelectPageDown, reg::kSelectIndex, reg::kSelect})
        r.DeleteValue(key.get(), name);
    EXPECT_EQ(s->vkSelect[0], 0x20);
    EXPECT_EQ(s->vkSelectIndex[9], 'P');
    EXPECT_EQ(s->vkSelectPrev, 'K');
    EXPECT_EQ(s->vkSelectNext, 0x28);
    // With the values gone, a new Begin keeps what the record holds.
    SetSelectKey(0x26, 0x28);
    ASSERT_EQ(BeginVemo(main.hwnd), 1);
    EXPECT_EQ(s->vkSelectPrev, 0x26);
    EXPECT_EQ(s->vkSelect[0], 0x20);
    EndVemo();
    std::memcpy(s->vkSelect, reg::kDefaultSelect, 10);
    std::memcpy(s->vkSelectIndex, reg::kDefaultSelectIndex, 10);
}

TEST(VemoExports, CheckCaretFeedsTheCaretOfTheForegroundThread) {
    MainWindow main;
    ASSERT_EQ(BeginVemo(main.hwnd), 1);
    SharedHookState* s = View();
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 40, 200, 80,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(edit);
    SetFocus(edit);
    MainWindow::Pump();
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(0, &info) || info.hwndCaret != edit) {
        DestroyWindow(edit);
        EndVemo();
        GTEST_SKIP() << "no caret in the foreground thread with this display driver";
    }
    std::strcpy(s->inputWord, "brb");
    std::strcpy(s->typedLine, "brb");
    std::memset(s->lastLookupWord, 0, sizeof s->lastLookupWord);
    MainWindow::candidate = "brb";
    s->lookupPending = 1;
    EXPECT_EQ(CheckCaret(), 1);  // a lookup that found candidates stays pending
    EXPECT_EQ(s->caretWindow, static_cast<Handle32>(reinterpret_cast<UINT_PTR>(edit)));
    POINT caret{info.rcCaret.left, info.rcCaret.bottom};
    ClientToScreen(edit, &caret);
    EXPECT_EQ(s->caretRect.left, caret.x);
    EXPECT_EQ(s->caretRect.bottom, caret.y);
    EXPECT_EQ(MainWindow::lookups, std::vector<std::string>{"brb"});
    EXPECT_TRUE(IsWindowVisible(main.hwnd));
    EXPECT_NE(GetForegroundWindow(), main.hwnd);  // shown without activation
    RECT r{};
    GetWindowRect(main.hwnd, &r);
    EXPECT_EQ(r.left, caret.x);
    EXPECT_EQ(r.top, caret.y + 5);
    DestroyWindow(edit);
    EndVemo();
}

// The words before the caret as the main program reads them: in the code
// page only those after a word it cannot hold, in UTF-8 all; whole words
// only, as many as the buffer takes.
TEST(VemoExports, ContextWordsComeInBothEncodings) {
    IsBeginVemo();  // maps the record
    SharedHookState* s = View();
    ASSERT_NE(s, nullptr);
    const std::string greek = "\u03B2\u03C1\u03AC\u03C7\u03BF\u03C2";  // βράχος
    s->line.seq = 0;
    s->line.contextWords = 2;
    const std::string words[2] = {greek, "rock"};
    for (int i = 0; i < 2; ++i) {
        std::memcpy(s->lineUtf8.context[i], words[i].data(), words[i].size());
        s->lineUtf8.contextLen[i] = static_cast<std::uint16_t>(words[i].size());
    }
    char buffer[64] = {};
    ASSERT_EQ(GetContextWords(buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "rock");
    std::memset(buffer, 0x7F, sizeof buffer);
    ASSERT_EQ(GetContextWordsUtf8(buffer, sizeof buffer), 2);
    EXPECT_EQ(std::string(buffer), greek);
    EXPECT_STREQ(buffer + greek.size() + 1, "rock");
    std::memset(buffer, 0x7F, sizeof buffer);
    EXPECT_EQ(GetContextWordsUtf8(buffer, static_cast<int>(greek.size() + 3)), 1);
    EXPECT_EQ(buffer[greek.size() + 1], 0x7F);  // no part of "rock"
    EXPECT_EQ(GetContextWordsUtf8(buffer, 0), 0);
    s->line.contextWords = 0;
}

}  // namespace
}  // namespace wl
