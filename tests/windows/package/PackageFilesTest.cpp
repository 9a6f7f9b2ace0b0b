// The built files as shipped: build/<preset>/bin/VemoShow.exe and Vemo.dll,
// build/<preset>/package/Wordlark-<version>-setup.exe.  The test finds them
// from its own place, build/<preset>/tests/windows/package.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
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

std::string VemoShow() {
    return BuildRoot() + "\\bin\\VemoShow.exe";
}
std::string VemoDll() {
    return BuildRoot() + "\\bin\\Vemo.dll";
}
std::string Installer() {
    return BuildRoot() + "\\package\\Wordlark-" WL_VERSION "-setup.exe";
}

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

bool UnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

TEST(Manifest, VemoShowAsksForCommonControls6PerMonitorDpiAndNoElevation) {
    const std::string text = ManifestOf(VemoShow(), 1);
    ASSERT_FALSE(text.empty()) << "no manifest in " << VemoShow();
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(text.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);

    // The system's own reading of it: parsed, with the DPI settings there.
    ACTCTXA actctx = {};
    actctx.cbSize = sizeof actctx;
    actctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    const std::string source = VemoShow();
    actctx.lpSource = source.c_str();
    actctx.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE context = CreateActCtxA(&actctx);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << "the manifest does not parse: " << GetLastError();
    EXPECT_EQ(Setting(context, nullptr, L"dpiAware"), L"true/pm");
    EXPECT_EQ(
        Setting(context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
        L"PerMonitorV2, PerMonitor");

    // With it active, the common controls loaded are version 6.
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context, &cookie));
    HMODULE comctl = LoadLibraryA("comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    // The loader took it from the side-by-side assembly the manifest names.
    char path[MAX_PATH] = {};
    GetModuleFileNameA(comctl, path, MAX_PATH);
    CharLowerA(path);
    EXPECT_NE(std::string(path).find("microsoft.windows.common-controls_6595b64144ccf1df_6.0."),
              std::string::npos)
        << path;
    auto getVersion = reinterpret_cast<HRESULT(CALLBACK*)(DLLVERSIONINFO*)>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
    ASSERT_NE(getVersion, nullptr);
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_EQ(getVersion(&info), S_OK);
    // Wine 8 builds one common controls library for both versions, which
    // reports 5.81 from either place.
    if (!UnderWine()) {
        EXPECT_EQ(info.dwMajorVersion, 6u);
    }
    FreeLibrary(comctl);
    DeactivateActCtx(0, cookie);
    ReleaseActCtx(context);
}

TEST(Manifest, TheHookLibraryHasNone) {
    // It runs inside other programs, whose own manifests decide.
    EXPECT_TRUE(ManifestOf(VemoDll(), 1).empty());
    EXPECT_TRUE(ManifestOf(VemoDll(), 2).empty());
}

struct Version {
    bool found = false;
    unsigned file[4] = {}, product[4] = {};
    std::string fileVersion, productVersion, description, productName;
};

Version VersionOf(const std::string& file) {
    Version v;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (size == 0) return v;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data())) return v;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        return v;
    v.found = true;
    const DWORD parts[4] = {fixed->dwFileVersionMS, fixed->dwFileVersionLS,
                            fixed->dwProductVersionMS, fixed->dwProductVersionLS};
    v.file[0] = HIWORD(parts[0]), v.file[1] = LOWORD(parts[0]);
    v.file[2] = HIWORD(parts[1]), v.file[3] = LOWORD(parts[1]);
    v.product[0] = HIWORD(parts[2]), v.product[1] = LOWORD(parts[2]);
    v.product[2] = HIWORD(parts[3]), v.product[3] = LOWORD(parts[3]);
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < sizeof *translation)
        return v;
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\", translation->language,
                  translation->codePage);
    auto text = [&](const char* name) {
        char* value = nullptr;
        UINT n = 0;
        const std::string key = std::string(prefix) + name;
        return VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &n) &&
                       value
                   ? std::string(value)
                   : std::string();
    };
    v.fileVersion = text("FileVersion");
    v.productVersion = text("ProductVersion");
    v.description = text("FileDescription");
    v.productName = text("ProductName");
    return v;
}

TEST(VersionResource, EveryShippedProgramCarriesTheBuildsVersion) {
    unsigned expected[4] = {};
    ASSERT_EQ(std::sscanf(WL_VERSION, "%u.%u.%u", &expected[0], &expected[1], &expected[2]), 3);
    for (const std::string& file : {VemoShow(), VemoDll(), Installer()}) {
        SCOPED_TRACE(file);
        const Version v = VersionOf(file);
        ASSERT_TRUE(v.found);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(v.file[i], expected[i]);
            EXPECT_EQ(v.product[i], expected[i]);
        }
        EXPECT_EQ(v.fileVersion, WL_VERSION);
        EXPECT_EQ(v.productVersion, WL_VERSION);
        EXPECT_EQ(v.productName, "Wordlark");
        EXPECT_FALSE(v.description.empty());
    }
    EXPECT_EQ(VersionOf(VemoShow()).description, "Wordlark");
    EXPECT_EQ(VersionOf(VemoDll()).description, "Wordlark hook library");
}

}  // namespace
