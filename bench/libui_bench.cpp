// How long the library editor takes to list a large library.
//
// Natively and under Wine: making a library of N entries, opening it and
// listing it whole through the editor's logic.  Under Wine also the editor
// dialog itself (created, listed through the progress window and shown in
// its virtual list), a Reload, and for comparison the time a plain list view
// takes to have its rows inserted one by one.
//
// Usage: libui_bench [entries]   (default 100000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "libui/LibEditorLogic.h"
#include "store/Library.h"
#include "tests/support/Files.h"

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>

#include "libui/win32/DlgLibOption.h"
#include "libui/win32/ProgressWindow.h"
#include "platform/MemoryRegistry.h"
#include "res/libui_resource.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

struct CountingProgress : wl::ListingProgress {
    int steps = 0;
    void Begin(std::int32_t) override {}
    bool Step() override {
        ++steps;
        return true;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    wl::test::TempDir dir;
    const std::string path = dir / "large.lib";

    auto t = Clock::now();
    {
        wl::Library lib(wl::SystemCodePage());
        if (!lib.Open(path.c_str())) {
            std::printf("cannot create %s\n", path.c_str());
            return 1;
        }
        lib.SetType(wl::Shorthand);
        lib.WriteInfo();
        char key[32];
        const std::string text = "an expansion of moderate length, like most";
        for (int i = 0; i < n; ++i) {
            std::snprintf(key, sizeof key, "key%07d", i);
            wl::LibraryEntry e;
            e.SetKey(key, static_cast<std::uint32_t>(std::strlen(key)));
            e.SetText(text.data(), static_cast<std::uint32_t>(text.size()));
            lib.Put(e);
        }
    }
    std::printf("make library, %d entries:        %8.1f ms\n", n, Ms(t));
    std::printf("library file size:                %8.1f MB\n",
                static_cast<double>(std::filesystem::file_size(path)) / 1e6);

    for (int round = 0; round < 3; ++round) {
        wl::Library lib(wl::SystemCodePage());
        lib.Open(path.c_str());
        t = Clock::now();
        wl::LibraryEntry e;
        int walked = 0;
        for (int ok = lib.Search("", e, wl::MATCH_PREFIX); ok; ok = lib.Next(e)) ++walked;
        std::printf("store walk alone, %d entries:     %8.1f ms\n", walked, Ms(t));
    }
    for (int round = 0; round < 3; ++round) {
        t = Clock::now();
        wl::LibEditorLogic editor(path, 1, wl::SystemCodePage());
        editor.Open();
        const double open = Ms(t);
        t = Clock::now();
        CountingProgress progress;
        editor.ListFrom("", &progress);
        std::printf("logic: open %6.1f ms, list %zu rows %8.1f ms\n", open, editor.Rows().size(),
                    Ms(t));
    }

#ifdef _WIN32
    LoadLibraryA("riched20.dll");
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    wl::MemoryRegistry reg;
    wl::RegistryProfile profile(reg);
    // The progress window alone, stepped and pumped as a listing does.
    for (int round = 0; round < 3; ++round) {
        wl::ProgressWindow progress(profile);
        t = Clock::now();
        progress.Create(nullptr, "Wordlark", false);
        progress.SetMessage("Loading the Library, Please wait ...");
        progress.SetBarRange(0, n, 1);
        for (int i = 1; i <= n; ++i) {
            progress.Advance();
            if (i % 256 == 0) progress.PumpPending(true);
        }
        progress.Destroy();
        std::printf("progress window alone, %d steps:  %8.1f ms\n", n, Ms(t));
    }
    for (int round = 0; round < 5; ++round) {
        wl::CDlgLibOption dialog(path, 1, profile, wl::SystemCodePage());
        t = Clock::now();
        HWND hwnd = dialog.Create(nullptr);
        ShowWindow(hwnd, SW_SHOW);
        // The first listing runs from the dialog's messages.
        HWND list = GetDlgItem(hwnd, IDC_LIBOPT_LIST);
        MSG msg;
        while (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) < n && Ms(t) < 60000) {
            if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        UpdateWindow(hwnd);
        const double opened = Ms(t);
        const auto rows = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
        t = Clock::now();
        SendDlgItemMessageA(hwnd, IDC_LIBOPT_RELOAD, BM_CLICK, 0, 0);
        const double reload = Ms(t);
        // Scrolling to the end draws the last page of rows.
        t = Clock::now();
        SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(rows - 1), FALSE);
        UpdateWindow(list);
        const double scroll = Ms(t);
        std::printf(
            "dialog: open+list %lld rows %8.1f ms, reload %8.1f ms, scroll to end %5.1f ms\n",
            static_cast<long long>(rows), opened, reload, scroll);
    }

    // For comparison: a list view that holds its own rows.
    const int plain = n < 20000 ? n : 20000;
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                                  nullptr, nullptr);
    HWND lv = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 600,
                              400, parent, nullptr, nullptr, nullptr);
    for (int c = 0; c < 2; ++c) {
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.cx = 150;
        col.pszText = const_cast<char*>(c ? "Full Text" : "Shorthand");
        SendMessageA(lv, LVM_INSERTCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&col));
    }
    t = Clock::now();
    char key[32];
    for (int i = 0; i < plain; ++i) {
        std::snprintf(key, sizeof key, "key%07d", i);
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = key;
        const auto row = SendMessageA(lv, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        LVITEMA sub{};
        sub.iSubItem = 1;
        sub.pszText = const_cast<char*>("an expansion of moderate length, like most");
        SendMessageA(lv, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&sub));
    }
    std::printf("reference: plain list view, %d rows inserted: %8.1f ms\n", plain, Ms(t));
    DestroyWindow(parent);
#endif
    return 0;
}
