// The seams of the Windows build: the real registry, the system's ANSI code
// page, FindFirstFile, the C runtime's sharing and binary modes, and the
// wide command line and console.
#include <windows.h>
#include <shellapi.h>
#include <fcntl.h>
#include <io.h>
#include <mbstring.h>
#include <share.h>

#include <algorithm>

#include "platform/CodePage.h"
#include "platform/CommandLine.h"
#include "platform/Directory.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/win32/WideText.h"

namespace wl {
namespace {

HKEY RootKey(RegRoot root) {
    switch (root) {
        case RegRoot::CurrentUser:
            return HKEY_CURRENT_USER;
        case RegRoot::ClassesRoot:
            return HKEY_CLASSES_ROOT;
        default:
            return HKEY_LOCAL_MACHINE;
    }
}

HKEY H(Registry::Key key) {
    return reinterpret_cast<HKEY>(key);
}

class RegistryWin32 : public Registry {
  public:
    Key Open(RegRoot root, const std::string& path, bool create) override {
        HKEY key = nullptr;
        LONG rc = create ? RegCreateKeyA(RootKey(root), path.c_str(), &key)
                         : RegOpenKeyA(RootKey(root), path.c_str(), &key);
        return rc == ERROR_SUCCESS ? reinterpret_cast<Key>(key) : 0;
    }
    void Close(Key key) override { RegCloseKey(H(key)); }
    int Read(Key key, const std::string& name, void* dest, std::uint32_t size) override {
        DWORD len = size;
        LONG rc = RegQueryValueExA(H(key), name.c_str(), nullptr, nullptr, static_cast<BYTE*>(dest),
                                   &len);
        return rc == ERROR_SUCCESS ? static_cast<int>(len) : -1;
    }
    bool ReadString(Key key, const std::string& name, std::string& out,
                    std::uint32_t maxBytes) override {
        DWORD len = 0;
        if (RegQueryValueExA(H(key), name.c_str(), nullptr, nullptr, nullptr, &len) !=
                ERROR_SUCCESS ||
            len > maxBytes)
            return false;
        std::string buf(len + 1, '\0');
        if (RegQueryValueExA(H(key), name.c_str(), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(buf.data()), &len) != ERROR_SUCCESS)
            return false;
        buf.resize(len);
        out.assign(buf.c_str());  // cut at the first NUL
        return true;
    }
    bool WriteBinary(Key key, const std::string& name, const void* data,
                     std::uint32_t size) override {
        return RegSetValueExA(H(key), name.c_str(), 0, REG_BINARY, static_cast<const BYTE*>(data),
                              size) == ERROR_SUCCESS;
    }
    bool WriteString(Key key, const std::string& name, const void* data,
                     std::uint32_t size) override {
        return RegSetValueExA(H(key), name.c_str(), 0, REG_SZ, static_cast<const BYTE*>(data),
                              size) == ERROR_SUCCESS;
    }
    bool DeleteValue(Key key, const std::string& name) override {
        return RegDeleteValueA(H(key), name.c_str()) == ERROR_SUCCESS;
    }
    bool EnumSubkey(Key key, std::uint32_t index, std::string& name) override {
        char buf[MAX_PATH + 1] = {};
        if (RegEnumKeyA(H(key), index, buf, sizeof buf) != ERROR_SUCCESS) return false;
        name = buf;
        return true;
    }
    bool DeleteSubkey(Key key, const std::string& name) override {
        return RegDeleteKeyA(H(key), name.c_str()) == ERROR_SUCCESS;
    }
};

class SystemAnsiCodePage : public CodePage {
  public:
    bool IsAlpha(unsigned char c) const override { return IsCharAlphaA(static_cast<CHAR>(c)); }
    bool IsAlphaNumeric(unsigned char c) const override {
        return IsCharAlphaNumericA(static_cast<CHAR>(c));
    }
    bool IsLeadByte(unsigned char c) const override { return IsDBCSLeadByte(c); }
    void ToLower(char* text) const override { _mbslwr(reinterpret_cast<unsigned char*>(text)); }
    int CompareNoCase(const char* a, const char* b) const override {
        return _mbsicmp(reinterpret_cast<const unsigned char*>(a),
                        reinterpret_cast<const unsigned char*>(b));
    }
    // Through UTF-16; WC_NO_BEST_FIT_CHARS and the used-default flag make a
    // character without an exact byte fail instead of turning into "?" or a
    // look-alike.
    bool FromUtf8(std::string_view utf8, std::string& out) const override {
        out.clear();
        if (utf8.empty()) return true;
        if (utf8.size() > 0x3FFFFFFF) return false;
        const int length = static_cast<int>(utf8.size());
        const int wide =
            MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
        if (wide <= 0) return false;
        if (GetACP() == CP_UTF8) {  // the system's "ANSI" page is UTF-8 itself
            out.assign(utf8);
            return true;
        }
        std::wstring text(static_cast<std::size_t>(wide), L'\0');
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, text.data(), wide);
        BOOL usedDefault = FALSE;
        const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), wide,
                                              nullptr, 0, nullptr, &usedDefault);
        if (bytes <= 0 || usedDefault) return false;
        out.resize(static_cast<std::size_t>(bytes));
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), wide, out.data(), bytes,
                            nullptr, &usedDefault);
        return !usedDefault;
    }
    // Through UTF-16; MB_ERR_INVALID_CHARS makes a byte the code page does
    // not define fail instead of turning into a stand-in.
    bool ToUtf8(std::string_view text, std::string& out) const override {
        out.clear();
        if (text.empty()) return true;
        if (text.size() > 0x1FFFFFFF) return false;
        if (GetACP() == CP_UTF8) {
            if (!IsUtf8(text)) return false;
            out.assign(text);
            return true;
        }
        const int length = static_cast<int>(text.size());
        const int wide =
            MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
        if (wide <= 0) return false;
        std::wstring units(static_cast<std::size_t>(wide), L'\0');
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), length, units.data(), wide);
        const int bytes =
            WideCharToMultiByte(CP_UTF8, 0, units.data(), wide, nullptr, 0, nullptr, nullptr);
        if (bytes <= 0) return false;
        out.resize(static_cast<std::size_t>(bytes));
        WideCharToMultiByte(CP_UTF8, 0, units.data(), wide, out.data(), bytes, nullptr, nullptr);
        return true;
    }
};

class FindFileDirectory : public Directory {
  public:
    bool List(const std::string& pattern, std::vector<DirEntry>& entries) override {
        entries.clear();
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return false;
        do {
            entries.push_back(
                {fd.cFileName, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        } while (FindNextFileA(h, &fd));
        FindClose(h);
        return true;
    }
};

}  // namespace

Registry& SystemRegistry() {
    static RegistryWin32 registry;
    return registry;
}

const CodePage& SystemCodePage() {
    static SystemAnsiCodePage page;
    return page;
}

Directory& SystemDirectory() {
    static FindFileDirectory dir;
    return dir;
}

char PathSeparator() {
    return '\\';
}

std::FILE* OpenDenyingReaders(const char* path) {
    return _fsopen(path, "rb", _SH_DENYRD);
}

void SetBinaryMode(std::FILE* stream) {
    _setmode(_fileno(stream), _O_BINARY);
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
    return args;
}

bool ArgumentPath(const std::string& argument, std::string& path) {
    return SystemCodePage().FromUtf8(argument, path);
}

bool WriteUtf8(std::FILE* stream, std::string_view text) {
    const int fd = _fileno(stream);
    HANDLE console = fd == 1   ? GetStdHandle(STD_OUTPUT_HANDLE)
                     : fd == 2 ? GetStdHandle(STD_ERROR_HANDLE)
                               : INVALID_HANDLE_VALUE;
    DWORD mode = 0;
    if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode))
        return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    const std::wstring wide = WideFromUtf8(text);
    if (wide.empty())
        return text.empty() || std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    std::fflush(stream);
    for (std::size_t at = 0; at < wide.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - at, 8192));
        if (!WriteConsoleW(console, wide.data() + at, chunk, &written, nullptr) || written == 0)
            return false;
        at += written;
    }
    return true;
}

bool MoveFileOver(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace wl
