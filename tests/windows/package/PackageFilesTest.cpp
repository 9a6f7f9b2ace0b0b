// The built files as shipped: build/<preset>/bin/VemoShow.exe and Vemo.dll,
// build/<preset>/package/Wordlark-<version>-setup.exe.  The test finds them
// from its own place, build/<preset>/tests/windows/package.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

std::string BuildRoot() {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string path = exe;
    for (int up = 0; up < 4; ++up) path = path.substr(0, path.find_last_of('\\'));
    return path;
}

const std::string kVemoShow = BuildRoot() + "\\bin\\VemoShow.exe";
const std::string kVemoDll = BuildRoot() + "\\bin\\Vemo.dll";
const std::string kInstaller = BuildRoot() + "\\package\\Wordlark-" WL_VERSION "-setup.exe";

// The RT_MANIFEST resource id of a file, or empty.
std::string ManifestOf(const std::string& file, int id) {
    HMODULE module = LoadLibraryExA(file.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return {};
    std::string text;
    if (HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(24))) {
        HGLOBAL data = LoadResource(module, res);
        const char* bytes = static_cast<const char*>(LockResource(data));
        if (bytes) text.assign(bytes, SizeofResource(module, res));
    }
    FreeLibrary(module);
    return text;
}

std::wstring Setting(HANDLE context, const wchar_t* ns, const wchar_t* name) {
    wchar_t value[256] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, context, ns, name, value, 255, &written)) return {};
    return value;
}

TEST(Manifest, VemoShowAsksForCommonControls6PerMonitorDpiAndNoElevation) {
    const std::string text = ManifestOf(kVemoShow, 1);
    ASSERT_FALSE(text.empty()) << "no manifest in " << kVemoShow;
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(text.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);

    // The system's own reading of it: parsed, with the DPI settings there.
    ACTCTXA actctx = {};
    actctx.cbSize = sizeof actctx;
    actctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    actctx.lpSource = kVemoShow.c_str();
    actctx.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE context = CreateActCtxA(&actctx);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << "the manifest does not parse: " << GetLastError();
    EXPECT_EQ(Setting(context, nullptr, L"dpiAware"), L"true/pm");
    EXPECT_EQ(
        Setting(context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
        L"PerMonitorV2, PerMonitor");

    // With it active, the loader takes the common controls from the version 6
    // side-by-side assembly the manifest names.  (Wine 8 builds one library
    // for both versions, which reports 5.81 from either place: the path tells
    // them apart.)
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context, &cookie));
    HMODULE comctl = LoadLibraryA("comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(comctl, path, MAX_PATH);
    CharLowerA(path);
    EXPECT_NE(std::string(path).find("microsoft.windows.common-controls_6595b64144ccf1df_6.0."),
              std::string::npos)
        << path;
    FreeLibrary(comctl);
    DeactivateActCtx(0, cookie);
    ReleaseActCtx(context);
}

TEST(Manifest, TheHookLibraryHasNone) {
    // It runs inside other programs, whose own manifests decide.
    EXPECT_TRUE(ManifestOf(kVemoDll, 1).empty());
    EXPECT_TRUE(ManifestOf(kVemoDll, 2).empty());
}

// A file's version resource: "fixed" (file / product version, each a.b.c.d)
// and the strings of its first translation; empty without one.
std::map<std::string, std::string> VersionOf(const std::string& file) {
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(file.c_str(), &ignored));
    VS_FIXEDFILEINFO* f = nullptr;
    WORD* translation = nullptr;
    UINT n = 0;
    if (block.empty() ||
        !GetFileVersionInfoA(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
        !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&f), &n) || !f ||
        !VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &n) ||
        n < 2 * sizeof(WORD))
        return {};
    auto quad = [](DWORD ms, DWORD ls) {
        return std::to_string(HIWORD(ms)) + "." + std::to_string(LOWORD(ms)) + "." +
               std::to_string(HIWORD(ls)) + "." + std::to_string(LOWORD(ls));
    };
    std::map<std::string, std::string> v;
    v["fixed"] = quad(f->dwFileVersionMS, f->dwFileVersionLS) + " / " +
                 quad(f->dwProductVersionMS, f->dwProductVersionLS);
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\", translation[0],
                  translation[1]);
    for (const char* name : {"FileVersion", "ProductVersion", "FileDescription", "ProductName"}) {
        char* value = nullptr;
        if (VerQueryValueA(block.data(), (prefix + std::string(name)).c_str(),
                           reinterpret_cast<void**>(&value), &n) &&
            value)
            v[name] = value;
    }
    return v;
}

TEST(VersionResource, EveryShippedProgramCarriesTheBuildsVersion) {
    for (const std::string& file : {kVemoShow, kVemoDll, kInstaller}) {
        SCOPED_TRACE(file);
        std::map<std::string, std::string> v = VersionOf(file);
        ASSERT_FALSE(v.empty());
        EXPECT_EQ(v["fixed"], WL_VERSION ".0 / " WL_VERSION ".0");
        EXPECT_EQ(v["FileVersion"], WL_VERSION);
        EXPECT_EQ(v["ProductVersion"], WL_VERSION);
        EXPECT_EQ(v["ProductName"], "Wordlark");
        EXPECT_FALSE(v["FileDescription"].empty());
    }
    EXPECT_EQ(VersionOf(kVemoShow)["FileDescription"], "Wordlark");
    EXPECT_EQ(VersionOf(kVemoDll)["FileDescription"], "Wordlark hook library");
}

}  // namespace
