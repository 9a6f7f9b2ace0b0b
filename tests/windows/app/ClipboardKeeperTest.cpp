// The user's clipboard around a paste of the hook library: the text pasted
// by an edit control in another thread, marked for no history, and the
// user's content (an image too) put back; a busy clipboard, a newer copy
// and a paste that never asks.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/win32/ClipboardKeeper.h"
#include "hook/VemoConstants.h"
#include "tests/support/win32/Controls.h"

namespace wl {
namespace {

using test::PumpUntil;

constexpr UINT_PTR kTimer = 7;

CClipboardKeeper* g_keeper = nullptr;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (g_keeper && g_keeper->OnMessage(msg, wp, lp)) return 0;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// What a clipboard holds: each format with its bytes.
using Content = std::vector<std::pair<UINT, std::string>>;

std::string Bytes(UINT format) {
    HANDLE data = GetClipboardData(format);
    const SIZE_T size = data ? GlobalSize(data) : 0;
    const char* p = size ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    std::string out = p ? std::string(p, size) : std::string();
    if (p) GlobalUnlock(data);
    return out;
}

// Puts formats on the clipboard as another program would (no owner window).
void Put(const Content& content) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    for (const auto& [format, bytes] : content) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
        GlobalUnlock(memory);
        SetClipboardData(format, memory);
    }
    CloseClipboard();
}

std::string Read(UINT format) {
    if (!OpenClipboard(nullptr)) return "<busy>";
    std::string out = IsClipboardFormatAvailable(format) ? Bytes(format) : "<none>";
    CloseClipboard();
    return out;
}

std::string Wide(const wchar_t* text) {
    return std::string(reinterpret_cast<const char*>(text), (wcslen(text) + 1) * sizeof(wchar_t));
}

// A 2 by 1 pixel, 32-bit image.
std::string Dib() {
    const BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), 2, 1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD pixels[2] = {0x00FF0000, 0x0000FF00};
    return std::string(reinterpret_cast<const char*>(&header), sizeof header) +
           std::string(reinterpret_cast<const char*>(pixels), sizeof pixels);
}

// What an edit control of another thread pastes (WM_PASTE), as UTF-8.
std::string PasteInAnotherThread() {
    std::string pasted;
    bool done = false;
    std::thread paster([&] {
        HWND edit = CreateWindowExW(0, L"EDIT", L"", ES_MULTILINE, 0, 0, 100, 100, nullptr, nullptr,
                                    nullptr, nullptr);
        SendMessageW(edit, WM_PASTE, 0, 0);
        wchar_t text[256] = {};
        GetWindowTextW(edit, text, 255);
        char utf8[1024] = {};
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
        pasted = utf8;
        DestroyWindow(edit);
        done = true;
    });
    // The owner renders the text on this thread while the paste waits.
    const bool finished = PumpUntil([&] { return done; });
    paster.join();
    return finished ? pasted : "<no paste>";
}

struct Keeper : ::testing::Test {
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "WordlarkClipboardOwner";
        RegisterClassA(&wc);
        owner = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance,
                              nullptr);
        ASSERT_TRUE(owner);
        keeper.Attach(owner);
        g_keeper = &keeper;
    }
    void TearDown() override {
        keeper.Detach();
        g_keeper = nullptr;
        DestroyWindow(owner);
    }
    // The user's content is back: the keeper lets go of it.
    bool PutBack() {
        return PumpUntil([&] { return !keeper.Keeping(); });
    }
    HWND owner = nullptr;
    CClipboardKeeper keeper{kTimer, 200};
};

TEST_F(Keeper, ThePasteTakesTheMarkedTextAndTheUserGetsTheirContentBack) {
    const UINT history = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
    const UINT cloud = RegisterClipboardFormatA("CanUploadToCloudClipboard");
    const UINT monitors = RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing");
    const std::string zero(4, '\0');
    struct Case {
        const char* name;
        Content user;
        const char* text;
        std::uint32_t encoding;
        const char* pasted;
    };
    const Case cases[] = {
        {"an image and its text",
         {{CF_DIB, Dib()}, {CF_UNICODETEXT, Wide(L"user")}},
         "\xE2\x86\x92 caf\xC3\xA9 \xF0\x9F\x98\x80",
         vemo::kReplaceUtf8,
         "\xE2\x86\x92 caf\xC3\xA9 \xF0\x9F\x98\x80"},
        {"text in the code page",
         {{CF_TEXT, std::string("user\0", 5)}},
         "abc",
         vemo::kReplaceCodePage,
         "abc"},
        {"an empty clipboard", {}, "\xCE\xB1", vemo::kReplaceUtf8, "\xCE\xB1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put(c.user);
        const DWORD start = GetTickCount();
        ASSERT_TRUE(keeper.Offer(c.text, c.encoding));
        EXPECT_EQ(Read(history), zero);
        EXPECT_EQ(Read(cloud), zero);
        EXPECT_NE(Read(monitors), "<none>");
        EXPECT_EQ(PasteInAnotherThread(), c.pasted);
        ASSERT_TRUE(PutBack());
        std::printf("[ measured ] %s: the paste and the put-back took %lu ms\n", c.name,
                    static_cast<unsigned long>(GetTickCount() - start));
        for (const auto& [format, bytes] : c.user)
            EXPECT_EQ(Read(format).substr(0, bytes.size()), bytes) << format;
        // What was put back is no new copy for the history.
        EXPECT_EQ(Read(history), c.user.empty() ? "<none>" : zero);
        if (c.user.empty()) {
            EXPECT_EQ(Read(CF_UNICODETEXT), "<none>");
        }
    }
}

TEST_F(Keeper, ABusyClipboardOrTextThatIsNotUtf8ChangesNothing) {
    Put({{CF_UNICODETEXT, Wide(L"user")}});
    EXPECT_FALSE(keeper.Offer("caf\xE9", vemo::kReplaceUtf8));
    bool open = false, release = false;
    std::thread holder([&] {
        open = OpenClipboard(nullptr);
        while (!release) Sleep(5);
        if (open) CloseClipboard();
    });
    ASSERT_TRUE(PumpUntil([&] { return open; }));
    EXPECT_FALSE(keeper.Offer("x", vemo::kReplaceUtf8));
    release = true;
    holder.join();
    EXPECT_FALSE(keeper.Keeping());
    EXPECT_EQ(Read(CF_UNICODETEXT), Wide(L"user"));
}

TEST_F(Keeper, ANewerCopyStaysAndAPasteThatNeverAsksGetsTheContentBack) {
    // Copied by the user before the paste came: theirs stays.
    Put({{CF_UNICODETEXT, Wide(L"user")}});
    ASSERT_TRUE(keeper.Offer("x", vemo::kReplaceUtf8));
    Put({{CF_UNICODETEXT, Wide(L"newer")}});
    ASSERT_TRUE(PutBack());
    test::Pump(400);  // past the wait for the paste
    EXPECT_EQ(Read(CF_UNICODETEXT), Wide(L"newer"));
    // No paste asks: back after the wait all the same.
    ASSERT_TRUE(keeper.Offer("y", vemo::kReplaceUtf8));
    ASSERT_TRUE(PutBack());
    EXPECT_EQ(Read(CF_UNICODETEXT), Wide(L"newer"));
    // Two pastes in a row keep the user's content once, not the first text.
    ASSERT_TRUE(keeper.Offer("a", vemo::kReplaceUtf8));
    ASSERT_TRUE(keeper.Offer("b", vemo::kReplaceUtf8));
    EXPECT_EQ(PasteInAnotherThread(), "b");
    ASSERT_TRUE(PutBack());
    EXPECT_EQ(Read(CF_UNICODETEXT), Wide(L"newer"));
}

}  // namespace
}  // namespace wl
