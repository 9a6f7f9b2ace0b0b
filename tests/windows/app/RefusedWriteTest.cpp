// A write that the registry refuses is told to the user once, in a message
// box, and not lost in silence: the main window wired to a ReportingRegistry
// as the program wires it, over a registry that refuses every write.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/win32/DlgMain.h"
#include "platform/MemoryRegistry.h"
#include "platform/ReportingRegistry.h"
#include "res/resource.h"
#include "store/Library.h"
#include "tests/support/Files.h"
#include "tests/windows/app/AppTestSupport.h"

namespace wl {
namespace {

// Watches this process's message boxes titled "Wordlark - Error" from another
// thread: records each one's text and closes it with OK.
class MessageBoxWatcher {
  public:
    MessageBoxWatcher() : thread_([this] { Run(); }) {}
    ~MessageBoxWatcher() {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::string> Seen() {
        std::vector<std::string> copy;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            copy = seen_;
        }
        return copy;
    }

  private:
    // The message is the box's longest static text (the icon is a static
    // too).
    static std::string MessageText(HWND box) {
        std::string longest;
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            char cls[32] = {}, text[2048] = {};
            GetClassNameA(child, cls, sizeof cls);
            if (lstrcmpiA(cls, "Static") != 0) continue;
            GetWindowTextA(child, text, sizeof text);
            if (std::string(text).size() > longest.size()) longest = text;
        }
        return longest;
    }
    void Run() {
        const DWORD pid = GetCurrentProcessId();
        while (!stop_) {
            HWND box = nullptr;
            while ((box = FindWindowExA(nullptr, box, "#32770", "Wordlark - Error")) != nullptr) {
                DWORD owner = 0;
                GetWindowThreadProcessId(box, &owner);
                if (owner != pid || !IsWindowVisible(box) || box == closing_) continue;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    seen_.push_back(MessageText(box));
                }
                closing_ = box;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
            Sleep(20);
        }
    }

    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> seen_;
    HWND closing_ = nullptr;
    std::thread thread_;
};

struct RefusedWrites : ::testing::Test {
    test::TempDir dir;
    MemoryRegistry memory;
    ReportingRegistry registry{memory, ShowRefusedWrite};  // as VemoShowApp wires it
    test::FakeVemo vemo;
    std::unique_ptr<CDlgMain> dlg;
    HWND hwnd = nullptr;

    void SetUp() override {
        CreateDirectoryA((dir / "Libs").c_str(), nullptr);
        Library lib{SystemCodePage()};
        ASSERT_TRUE(lib.Open((dir / "Libs\\Words.lib").c_str()));
        ASSERT_TRUE(lib.WriteInfo());
        lib.Close();
        // The store exists (an administrator made it), but this user may not
        // change it.
        { RegKey option(memory, RegRoot::LocalMachine, "SOFTWARE\\Quorbit\\Option", true); }
    }
    void Start() {
        dlg = std::make_unique<CDlgMain>(vemo, registry, SystemCodePage(), dir.path().string());
        hwnd = dlg->Create(nullptr);
        ASSERT_NE(hwnd, nullptr);
        ASSERT_TRUE(test::PumpUntil([&] { return vemo.beginCalls > 0; })) << "no start-up";
    }
    void TearDown() override {
        if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
        dlg.reset();
    }
};

TEST_F(RefusedWrites, TheFirstRefusalIsToldOnceAndLaterOnesAreNot) {
    Start();
    memory.refuseWrites = true;
    MessageBoxWatcher watcher;
    // The message box is modal: the command returns once it was closed.
    SendMessageA(hwnd, WM_COMMAND, ID_TRAY_WORD, 0);
    const std::vector<std::string> first = watcher.Seen();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_NE(first[0].find("could not be saved"), std::string::npos) << first[0];
    EXPECT_NE(first[0].find("HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorbit."), std::string::npos)
        << first[0];
    EXPECT_TRUE(registry.AnyRefused());

    SendMessageA(hwnd, WM_COMMAND, ID_TRAY_SHORTHAND, 0);
    SendMessageA(hwnd, WM_COMMAND, ID_TRAY_WORD, 0);
    EXPECT_EQ(watcher.Seen().size(), 1u);  // once per run
}

TEST_F(RefusedWrites, NothingIsSaidWhileWritesSucceed) {
    Start();
    MessageBoxWatcher watcher;
    SendMessageA(hwnd, WM_COMMAND, ID_TRAY_WORD, 0);
    SendMessageA(hwnd, WM_COMMAND, ID_TRAY_WORD, 0);
    EXPECT_TRUE(watcher.Seen().empty());
    EXPECT_FALSE(registry.AnyRefused());
    // Reading a store this user may not change says nothing either: the
    // start-up read every library's switch.
    memory.refuseWrites = true;
    SendMessageA(hwnd, WM_TIMER, ID_STARTUP_TIMER, 0);
    EXPECT_TRUE(watcher.Seen().empty());
}

}  // namespace
}  // namespace wl
