// The program's per-user profile of named integers in sections, where small
// user-interface memories live (the progress window's position).
//
// RegistryProfile keeps section S as the key
// HKEY_CURRENT_USER\Software\Quorbit\Wordlark\S, each integer a 4-byte
// little-endian REG_BINARY value.  The current user's hive is writable for a
// standard user, unlike the program's folder under Program Files, and it
// follows the user from machine to machine.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Product.h"
#include "platform/Registry.h"

namespace wl {

class Profile {
  public:
    virtual ~Profile() = default;
    // False, leaving value alone, when the integer is not stored.
    virtual bool GetInt(const std::string& section, const std::string& name,
                        std::int32_t& value) = 0;
    virtual bool SetInt(const std::string& section, const std::string& name,
                        std::int32_t value) = 0;
};

inline constexpr const char* kProfileKey = product::kProfileKey;

class RegistryProfile : public Profile {
  public:
    explicit RegistryProfile(Registry& registry, std::string base = kProfileKey)
        : registry_(registry), base_(std::move(base)) {}

    bool GetInt(const std::string& section, const std::string& name, std::int32_t& value) override {
        RegKey key(registry_, RegRoot::CurrentUser, base_ + "\\" + section, false);
        std::int32_t v = 0;
        if (!key || registry_.Read(key.get(), name, &v, sizeof v) != sizeof v) return false;
        value = v;
        return true;
    }
    bool SetInt(const std::string& section, const std::string& name, std::int32_t value) override {
        RegKey key(registry_, RegRoot::CurrentUser, base_ + "\\" + section, true);
        return key && key.WriteBinary(name, value);
    }

  private:
    Registry& registry_;
    std::string base_;
};

}  // namespace wl
