// The candidate list window and the tip over a list that mixes Unicode and
// code-page candidates: each row and remark is shown from its own encoding.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/CandidateList.h"
#include "app/win32/CandidateListWnd.h"
#include "app/win32/TipWnd.h"
#include "platform/CodePage.h"
#include "res/resource.h"
#include "tests/support/RecordingHook.h"

namespace wl {
namespace {

struct Scripted {
    std::string key, text;
    std::int32_t type, encoding;
};

// Delivers its entries in order, whatever the word.
class ScriptedSource : public CandidateSource {
  public:
    std::vector<Scripted> entries;
    int FindFirst(const char*, LibraryEntry& entry, int, int, int) override {
        next_ = 0;
        return FindNext(entry);
    }
    int FindNext(LibraryEntry& entry) override {
        if (next_ >= entries.size()) return 0;
        const Scripted& e = entries[next_++];
        entry.SetKey(e.key.data(), static_cast<std::uint32_t>(e.key.size()));
        entry.SetText(e.text.data(), static_cast<std::uint32_t>(e.text.size()));
        entry.type = e.type;
        entry.encoding = e.encoding;
        return 1;
    }

  private:
    std::size_t next_ = 0;
};

INT_PTR CALLBACK Quiet(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

std::wstring WideCell(HWND list, int row) {
    wchar_t text[256] = {};
    LVITEMW item{};
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

// The code page's bytes of a text it holds.
std::string InCodePage(const std::wstring& wide) {
    char bytes[64] = {};
    BOOL lost = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, bytes,
                                      sizeof bytes, nullptr, &lost);
    return n > 0 && !lost ? bytes : "";
}

struct CandidateWindow : ::testing::Test {
    ScriptedSource source;
    test::RecordingHook<> hook;
    CTipWnd tip;
    CCandidateListWnd window{candidates, tip};
    CandidateList candidates{source, hook, window, SystemCodePage()};
    HWND dialog = nullptr, list = nullptr;

    void SetUp() override {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&init);
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                    Quiet, 0);
        ASSERT_NE(dialog, nullptr);
        list = GetDlgItem(dialog, IDC_MAIN_LIST);
        ASSERT_TRUE(tip.Create(dialog));
        window.Attach(dialog);
    }
    void TearDown() override {
        window.Detach();
        if (dialog) DestroyWindow(dialog);
    }
};

TEST_F(CandidateWindow, RowsAndRemarksShowFromTheirOwnEncoding) {
    const std::string cafe = InCodePage(L"caf\u00e9");
    ASSERT_FALSE(cafe.empty()) << "the code page has no \u00e9";
    source.entries = {
        // σίσυφος, remark Σίσυφος
        {"\xcf\x83\xce\xaf\xcf\x83\xcf\x85\xcf\x86\xce\xbf\xcf\x82",
         "\xce\xa3\xce\xaf\xcf\x83\xcf\x85\xcf\x86\xce\xbf\xcf\x82", Dictionary, EncodingUtf8},
        // ok👍, expanding to 👍 (beyond the Basic Multilingual Plane)
        {"ok\xf0\x9f\x91\x8d", "\xf0\x9f\x91\x8d", Shorthand, EncodingUtf8},
        {cafe, cafe + " au lait", Dictionary, EncodingCodePage},
    };
    hook.input.push_back('x');  // any word: the source ignores it
    ASSERT_EQ(candidates.OnWordLookup(), 0);
    ASSERT_EQ(ListView_GetItemCount(list), 3);
    const std::wstring rows[] = {L"\u03c3\u03af\u03c3\u03c5\u03c6\u03bf\u03c2", L"ok\U0001F44D",
                                 L"caf\u00e9"};
    const std::wstring tips[] = {L"\u03a3\u03af\u03c3\u03c5\u03c6\u03bf\u03c2", L"\U0001F44D",
                                 L"caf\u00e9 au lait"};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(WideCell(list, row), rows[row]) << row;
        candidates.OnSelectKey(row);
        EXPECT_EQ(tip.wideText(), tips[row]) << row;
    }
    // The tip beside the last row was painted: sized to its text.
    MSG msg;
    for (int i = 0; i < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
        DispatchMessageW(&msg);
    RECT shown = {};
    GetWindowRect(tip.hwnd(), &shown);
    EXPECT_TRUE(IsWindowVisible(tip.hwnd()));
    EXPECT_GT(shown.right - shown.left, 30);
}

}  // namespace
}  // namespace wl
