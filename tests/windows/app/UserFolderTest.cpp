// The learned file in a user's folder whose name is Cyrillic, on a Russian
// system (Windows-1251), with a Greek letter too that its code page cannot
// hold: found, written (twice, the second time over the first), read back,
// set aside when damaged and forgotten with every copy, through the
// wide-character calls, leaving no half-written file behind.  Runs in a Wine
// prefix of its own in a Russian locale (tests/windows/app/CMakeLists.txt).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/LearnedWords.h"
#include "platform/CodePage.h"
#include "platform/win32/ProgramFolder.h"
#include "platform/win32/WideText.h"

namespace wl {
namespace {

constexpr std::int64_t kT0 = 1800000000;
constexpr wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The user's local application data folder moved for the test, and put back.
class LocalAppDataMoved {
  public:
    explicit LocalAppDataMoved(const std::wstring& folder) {
        wchar_t old[MAX_PATH] = {};
        DWORD size = sizeof old;
        had_ = RegGetValueW(HKEY_CURRENT_USER, kShellFolders, kValue,
                            RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, old,
                            &size) == ERROR_SUCCESS;
        old_ = old;
        Set(folder);
    }
    ~LocalAppDataMoved() {
        if (had_) Set(old_);
        if (!had_) RegDeleteKeyValueW(HKEY_CURRENT_USER, kShellFolders, kValue);
    }

  private:
    static constexpr wchar_t kValue[] = L"Local AppData";
    static void Set(const std::wstring& folder) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, kValue, REG_EXPAND_SZ, folder.c_str(),
                        static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    }
    bool had_ = false;
    std::wstring old_;
};

bool Exists(const std::string& utf8) {
    return GetFileAttributesW(WideFromUtf8(utf8).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> Names(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

TEST(UserFolder, TheLearnedFileLivesInAFolderTheCodePageCannotName) {
    ASSERT_EQ(GetACP(), 1251u) << "not the Russian locale this test is run in";
    // "Иван Ω", under the public profile, which every Wine prefix has.
    const std::wstring profile = L"C:\\users\\Public\\\u0418\u0432\u0430\u043d \u03a9";
    const std::wstring local = profile + L"\\AppData\\Local", ours = local + L"\\Wordlark";
    for (const std::wstring& f : {profile, profile + L"\\AppData", local})
        CreateDirectoryW(f.c_str(), nullptr);
    LocalAppDataMoved moved(local);

    const std::string folder = UserDataFolder();
    ASSERT_EQ(WideFromUtf8(folder), ours);
    const std::string path = folder + "\\learned.dat";
    {
        LearnedWords words(SystemCodePage(), path);
        words.Finished("frobnitz", "", kT0);
        words.Finished("gnome", "frobnitz", kT0);
        ASSERT_TRUE(words.SaveNow(kT0));
        words.Finished("gnome", "", kT0 + 60);
        ASSERT_TRUE(words.SaveNow(kT0 + 60));  // renamed over the first one
    }
    EXPECT_TRUE(Exists(path));
    EXPECT_FALSE(Exists(path + ".new"));
    LearnedWords again(SystemCodePage(), path);
    EXPECT_EQ(again.WordCount(), 2u);
    EXPECT_EQ(again.learner().Uses("gnome"), 2u);

    // Damaged, it is set aside beside itself; forgetting takes everything.
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr,
                              TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    LearnedWords damaged(SystemCodePage(), path);
    EXPECT_EQ(damaged.WordCount(), 0u);
    EXPECT_EQ(Names(ours), std::vector<std::wstring>{L"learned.dat.damaged"});
    damaged.Finished("gnome", "", kT0 + 120);
    ASSERT_TRUE(damaged.SaveNow(kT0 + 120));
    EXPECT_TRUE(damaged.Forget().empty());
    EXPECT_EQ(Names(ours), std::vector<std::wstring>{});

    RemoveDirectoryW(ours.c_str());
    for (const std::wstring& f : {local, profile + L"\\AppData", profile})
        RemoveDirectoryW(f.c_str());
}

}  // namespace
}  // namespace wl
