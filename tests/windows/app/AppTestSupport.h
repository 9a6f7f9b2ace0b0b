// What the main window's tests under Wine share: a hook library that records
// what the main window asks of it, and the window itself over a registry in
// memory and a library folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/win32/DlgMain.h"
#include "app/win32/VemoApi.h"
#include "platform/CodePage.h"
#include "platform/MemoryRegistry.h"
#include "res/resource.h"
#include "tests/support/Files.h"
#include "tests/support/RecordingHook.h"
#include "tests/support/win32/Controls.h"

namespace wl::test {

class FakeVemo : public RecordingHook<VemoApi> {
  public:
    int beginCalls = 0, oldFocusCalls = 0;
    bool active = false;

    int BeginVemo(HWND) override { return ++beginCalls, active = true, 1; }
    void EndVemo() override { active = false; }
    int IsBeginVemo() override { return active; }
    void SetOldFous() override { ++oldFocusCalls; }
    int CheckCaret() override { return 0; }
    // Why the hook library has no shared record (0: it has one).
    int recordStatus = 0;
    int GetSharedStateStatus() override { return recordStatus; }

    // Learning: the switch as last set, and the words the hook "reported".
    int learning = -1;
    std::deque<ReportedWord> finished;
    std::uint32_t nextTicket = 0;
    void SetLearning(int on) override { learning = on; }
    bool NextReported(ReportedWord& word) override {
        if (finished.empty()) return false;
        word = finished.front();
        finished.pop_front();
        return true;
    }
    void DropFinishedWords() override { finished.clear(); }
    // As the hook library reports a word: in the ring, and told to the
    // window.
    void Report(HWND window, const std::string& word, const std::string& prev = "") {
        finished.push_back({nextTicket, false, word, prev});
        PostMessageA(window, vemo::WM_WORD_FINISHED, nextTicket++, 0);
    }
};

struct MainWindowTest : ::testing::Test {
    TempDir dir;
    MemoryRegistry reg;
    FakeVemo vemo;
    std::unique_ptr<CDlgMain> dlg;
    HWND hwnd = nullptr, list = nullptr;

    MainWindowTest() { CreateDirectoryA((dir / "Libs").c_str(), nullptr); }
    void TearDown() override { Stop(); }
    // Creates the window over registry (reg when none) and waits for its
    // start-up to begin the hook.
    void Start(Registry* registry = nullptr) {
        dlg = std::make_unique<CDlgMain>(vemo, registry ? *registry : reg, SystemCodePage(),
                                         dir.path().string());
        hwnd = dlg->Create(nullptr);
        ASSERT_NE(hwnd, nullptr);
        list = GetDlgItem(hwnd, IDC_MAIN_LIST);
        ASSERT_TRUE(PumpUntil([&] { return vemo.beginCalls > 0; })) << "no start-up";
    }
    void Stop() {
        if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
        hwnd = nullptr;
        dlg.reset();
    }
    // The answer to the hook library's lookup of word; the rows it listed.
    LRESULT Lookup(const std::string& word) {
        vemo.input = word;
        return SendMessageA(hwnd, vemo::WM_WORD_LOOKUP, 0, 0);
    }
    std::vector<std::string> Rows(const std::string& word) {
        Lookup(word);
        return Cells(list);
    }
    void Command(int id) { SendMessageA(hwnd, WM_COMMAND, id, 0); }
};

}  // namespace wl::test
