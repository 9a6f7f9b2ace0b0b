// The user's files on Windows: UTF-8 paths turned into UTF-16 for the
// wide-character calls, so that no name passes through the system's code
// page (nor through the C runtime's or std::filesystem's own conversions,
// which differ from it).
#include <windows.h>

#include <algorithm>

#include "platform/UserFiles.h"
#include "platform/win32/WideText.h"

namespace wl {

namespace {

// Closes a file handle when it goes.
struct Handle {
    HANDLE h;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

class Win32UserFiles : public UserFiles {
  public:
    bool Exists(const std::string& path) override {
        const std::wstring wide = WideFromUtf8(path);
        return !wide.empty() && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    bool Read(const std::string& path, std::string& bytes, std::size_t maxBytes) override {
        bytes.clear();
        const std::wstring wide = WideFromUtf8(path);
        if (wide.empty()) return false;
        Handle file{CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr)};
        LARGE_INTEGER size{};
        if (file.h == INVALID_HANDLE_VALUE || !GetFileSizeEx(file.h, &size) || size.QuadPart < 0 ||
            static_cast<unsigned long long>(size.QuadPart) > maxBytes)
            return false;
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const DWORD chunk =
                static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(file.h, bytes.data() + done, chunk, &got, nullptr) || got == 0) {
                bytes.clear();
                return false;
            }
            done += got;
        }
        return true;
    }
    bool WriteReplacing(const std::string& path, const std::string& beside,
                        std::string_view bytes) override {
        const std::wstring target = WideFromUtf8(path), fresh = WideFromUtf8(beside);
        if (target.empty() || fresh.empty()) return false;
        bool whole;
        {
            Handle file{CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr)};
            if (file.h == INVALID_HANDLE_VALUE) return false;
            whole = WriteAll(file.h, bytes);
        }
        if (whole && MoveFileExW(fresh.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
            return true;
        DeleteFileW(fresh.c_str());
        return false;
    }
    bool Rename(const std::string& from, const std::string& to) override {
        const std::wstring a = WideFromUtf8(from), b = WideFromUtf8(to);
        return !a.empty() && !b.empty() && MoveFileExW(a.c_str(), b.c_str(), 0);
    }
    bool Remove(const std::string& path) override {
        const std::wstring wide = WideFromUtf8(path);
        if (wide.empty()) return false;
        if (DeleteFileW(wide.c_str())) return true;
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    bool ListNames(const std::string& folder, std::vector<std::string>& names) override {
        names.clear();
        std::wstring pattern = folder.empty() ? std::wstring(L".") : WideFromUtf8(folder);
        if (pattern.empty()) return false;
        if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
        pattern += L'*';
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW(pattern.c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(Utf8FromWide(found.cFileName));
        } while (FindNextFileW(find, &found));
        FindClose(find);
        return true;
    }
};

}  // namespace

UserFiles& SystemUserFiles() {
    static Win32UserFiles files;
    return files;
}

}  // namespace wl
