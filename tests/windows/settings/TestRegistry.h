// The real registry, with every key moved below a test key of its own in
// HKEY_CURRENT_USER, so that tests neither see nor change the settings of
// the program (or of each other) and remove all they wrote.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "platform/Registry.h"

namespace wl::test {

class TestRegistry : public Registry {
  public:
    TestRegistry() : inner_(SystemRegistry()) {
        static std::atomic<int> counter{0};
        base_ = "Software\\WordlarkTest\\settings-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
    }
    ~TestRegistry() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
        // The common parent goes with the last test key (it stays while
        // another test process still has one below it).
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\WordlarkTest");
    }
    TestRegistry(const TestRegistry&) = delete;
    TestRegistry& operator=(const TestRegistry&) = delete;

    // Where a key of the program lands.
    std::string PathOf(RegRoot root, const std::string& path) const {
        const char* rootName = root == RegRoot::LocalMachine  ? "HKLM"
                               : root == RegRoot::CurrentUser ? "HKCU"
                                                              : "HKCR";
        return base_ + "\\" + rootName + "\\" + path;
    }

    Key Open(RegRoot root, const std::string& path, bool create) override {
        return inner_.Open(RegRoot::CurrentUser, PathOf(root, path), create);
    }
    void Close(Key key) override { inner_.Close(key); }
    int Read(Key key, const std::string& name, void* dest, std::uint32_t size) override {
        return inner_.Read(key, name, dest, size);
    }
    bool ReadString(Key key, const std::string& name, std::string& out,
                    std::uint32_t maxBytes) override {
        return inner_.ReadString(key, name, out, maxBytes);
    }
    bool WriteBinary(Key key, const std::string& name, const void* data,
                     std::uint32_t size) override {
        return inner_.WriteBinary(key, name, data, size);
    }
    bool WriteString(Key key, const std::string& name, const void* data,
                     std::uint32_t size) override {
        return inner_.WriteString(key, name, data, size);
    }
    bool DeleteValue(Key key, const std::string& name) override {
        return inner_.DeleteValue(key, name);
    }
    bool EnumSubkey(Key key, std::uint32_t index, std::string& name) override {
        return inner_.EnumSubkey(key, index, name);
    }
    bool DeleteSubkey(Key key, const std::string& name) override {
        return inner_.DeleteSubkey(key, name);
    }

    // Reads a value straight from the registry: its type and bytes; false
    // when missing.
    bool Raw(const std::string& path, const std::string& name, DWORD& type,
             std::string& data) const {
        const std::string key = PathOf(RegRoot::LocalMachine, path);
        const DWORD flags = RRF_RT_ANY | RRF_NOEXPAND;
        DWORD size = 0;
        if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), flags, &type, nullptr,
                         &size) != ERROR_SUCCESS)
            return false;
        data.assign(size, '\0');
        const bool ok = RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), flags, &type,
                                     data.data(), &size) == ERROR_SUCCESS;
        data.resize(size);
        return ok;
    }

  private:
    Registry& inner_;
    std::string base_;
};

}  // namespace wl::test
