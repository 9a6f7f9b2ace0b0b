// The registry as the program uses it: keys opened with or without create
// semantics, values read straight into fixed-size fields, typed writes.
#pragma once

#include <cstdint>
#include <string>

namespace wl {

enum class RegRoot { LocalMachine, CurrentUser, ClassesRoot };

class Registry {
  public:
    using Key = std::uintptr_t;  // 0 is "no key"

    virtual ~Registry() = default;

    // Opens root\path (a backslash starts a further key level).  With create,
    // missing keys are made on the way (RegCreateKey); without, a missing key
    // fails (RegOpenKey).  Answers 0 on failure.
    virtual Key Open(RegRoot root, const std::string& path, bool create) = 0;
    virtual void Close(Key key) = 0;

    // Reads the value into dest, whose size is the buffer length.  Fails, and
    // leaves dest untouched, when the value is missing or larger than size; a
    // smaller value fills its own length.  Answers the bytes read, or -1.
    virtual int Read(Key key, const std::string& name, void* dest, std::uint32_t size) = 0;
    // Reads a REG_SZ (or any value) of at most maxBytes as text; the result is
    // cut at its first NUL.  False when missing or too large.
    virtual bool ReadString(Key key, const std::string& name, std::string& out,
                            std::uint32_t maxBytes) = 0;

    virtual bool WriteBinary(Key key, const std::string& name, const void* data,
                             std::uint32_t size) = 0;
    // REG_SZ with exactly size bytes of data (callers decide whether the
    // terminator or padding is part of it).
    virtual bool WriteString(Key key, const std::string& name, const void* data,
                             std::uint32_t size) = 0;
    virtual bool DeleteValue(Key key, const std::string& name) = 0;

    // The name of subkey index (0, 1, ...), false past the last one.
    virtual bool EnumSubkey(Key key, std::uint32_t index, std::string& name) = 0;
    // Deletes a subkey that has no subkeys of its own.
    virtual bool DeleteSubkey(Key key, const std::string& name) = 0;
};

// Owns an open key and closes it when it goes out of scope.
class RegKey {
  public:
    RegKey(Registry& reg, RegRoot root, const std::string& path, bool create)
        : reg_(reg), key_(reg.Open(root, path, create)) {}
    ~RegKey() {
        if (key_) reg_.Close(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    explicit operator bool() const { return key_ != 0; }
    Registry::Key get() const { return key_; }

    // Reads exactly into a fixed-width field: missing or oversized values
    // leave the field as it was.
    template <typename T>
    bool ReadInto(const std::string& name, T& field) {
        return key_ && reg_.Read(key_, name, &field, sizeof field) >= 0;
    }
    template <typename T>
    bool WriteBinary(const std::string& name, const T& field) {
        return key_ && reg_.WriteBinary(key_, name, &field, sizeof field);
    }

  private:
    Registry& reg_;
    Registry::Key key_;
};

// The process's registry: Wine's or Windows' own in the Windows build, an
// in-memory one natively.
Registry& SystemRegistry();

}  // namespace wl
