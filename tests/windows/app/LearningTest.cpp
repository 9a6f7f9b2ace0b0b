// What the main window learns under Wine: the switches it hands the hook
// library, the words it takes in, the file in the user's own local
// application data folder that outlives a restart, and a file that a kill in
// the middle of writing leaves whole.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "app/LearnedWords.h"
#include "platform/RegistryLayout.h"
#include "tests/support/Libraries.h"
#include "tests/windows/app/AppTestSupport.h"

namespace wl {
namespace {

using namespace test;

std::string LocalAppData() {
    char base[MAX_PATH + 1] = {};
    return SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, base))
               ? std::string(base)
               : std::string();
}

struct Learning : MainWindowTest {
    const std::string file = LocalAppData() + "\\Wordlark\\learned.dat";

    void SetUp() override {
        DeleteFileA(file.c_str());
        MakeLibrary(dir / "Libs\\English.lib", {{"frog", ""}, {"from", ""}});
    }
    void TearDown() override {
        Stop();
        DeleteFileA(file.c_str());
    }
    void Switches(std::int32_t smart, std::int32_t learn) {
        RegKey option(reg, RegRoot::LocalMachine, reg::kOptionKey, true);
        option.WriteBinary(reg::kSmartOrder, smart);
        option.WriteBinary(reg::kLearn, learn);
        option.WriteBinary(reg::kLearnNew, std::int32_t{1});
    }
};

TEST_F(Learning, WordsLearnedLandInTheUsersFolderAndOutliveARestart) {
    ASSERT_FALSE(LocalAppData().empty());
    Switches(1, 1);
    Start();
    EXPECT_EQ(vemo.learning, 1);
    // Each word waits for the answer about its field (UI Automation's,
    // or none where nothing answers) before it is learned.
    for (int i = 0; i < 2; ++i) vemo.Report(hwnd, "frobnitz");
    ASSERT_TRUE(PumpUntil([&] { return dlg->learned().WordCount() == 1; }, 8000));
    EXPECT_EQ(Rows("frob"), (std::vector<std::string>{"frobnitz"}));
    Stop();  // written at the end
    ASSERT_EQ(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u) << file;

    Start();
    EXPECT_EQ(Rows("frob"), (std::vector<std::string>{"frobnitz"}));
    EXPECT_EQ(dlg->learned().WordCount(), 1u);
}

TEST_F(Learning, NothingIsTakenInWhileLearningIsOff) {
    for (auto [smart, learn] : {std::pair{0, 1}, std::pair{1, 0}}) {
        Switches(smart, learn);
        Start();
        EXPECT_EQ(vemo.learning, 0);
        for (int i = 0; i < 2; ++i) vemo.Report(hwnd, "frobnitz");
        Pump(1500);
        Stop();
        EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

// Switched off, Wordlark stays off through the Options dialog's OK: no
// hooks, no learning, until the user switches it on again.
TEST_F(Learning, OptionsOkKeepsWordlarkOffWhenItWasOff) {
    Switches(1, 1);
    Start();
    vemo.Report(hwnd, "before");
    Command(ID_TRAY_TOGGLE);  // off: what was reported so far is taken in first
    ASSERT_FALSE(vemo.active);
    EXPECT_TRUE(vemo.finished.empty());
    const int begun = vemo.beginCalls;
    vemo.learning = -1;
    DialogScript options;
    options.On("Options", [](HWND box) { Click(box, IDOK); });
    ASSERT_TRUE(options.Run([&] { Command(ID_TRAY_OPTIONS); }))
        << ::testing::PrintToString(options.problems);
    EXPECT_FALSE(vemo.active);
    EXPECT_EQ(vemo.beginCalls, begun);
    EXPECT_EQ(vemo.learning, -1);  // learning not switched on behind the user's back
    Command(ID_TRAY_TOGGLE);
    EXPECT_TRUE(vemo.active);
    EXPECT_EQ(vemo.learning, 1);
}

// A program ended by TerminateProcess while it learns and writes, again and
// again: the file it leaves always opens, with what an earlier write held.
TEST(LearnedFile, AKillWhileWritingLeavesAFileThatOpens) {
    TempDir dir;
    const std::string path = dir / "learned.dat";
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::size_t loaded = 0;
    for (int round = 0; round < 8; ++round) {
        std::string command = std::string("\"") + self + "\" --learn-burst \"" + path + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &si, &pi));
        // Let it write a few times, at a different moment each round.
        WaitForSingleObject(pi.hProcess, 150 + 37 * round);
        TerminateProcess(pi.hProcess, 9);
        WaitForSingleObject(pi.hProcess, 5000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        Learner learner(SystemCodePage());
        const auto result = LearnedFile(SystemUserFiles(), path).Load(learner).result;
        ASSERT_TRUE(result == LearnedFile::Result::Loaded || result == LearnedFile::Result::Missing)
            << "round " << round;
        if (result == LearnedFile::Result::Loaded) {
            EXPECT_GE(learner.WordCount(), loaded) << "round " << round;
            loaded = learner.WordCount();
        }
    }
    EXPECT_GT(loaded, 0u);
}

}  // namespace
}  // namespace wl

// The child of the kill test: learns a burst of words and writes them over
// and over until it is ended.
struct LearnBurst {
    LearnBurst() {
        if (__argc < 3 || std::string(__argv[1]) != "--learn-burst") return;
        wl::LearnedWords words(wl::SystemCodePage(), __argv[2]);
        // Words of letters only: a number is never learned.
        auto name = [](std::int64_t n) {
            std::string word = "word";
            for (; n > 0; n /= 26) word += static_cast<char>('a' + n % 26);
            return word;
        };
        for (std::int64_t i = 0;; ++i) {
            for (int j = 0; j < 500; ++j) words.Finished(name(i * 500 + j), "", 1800000000 + i);
            words.SaveNow(1800000000 + i);
        }
    }
} learnBurst;
