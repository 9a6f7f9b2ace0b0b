// A Registry that passes everything on to another one and notices when a
// write is refused: a value that cannot be written, a value or key that
// cannot be deleted although it is there, or a key that cannot be created.
// The first refusal is reported through a callback (once for the life of the
// object, however many follow); the failed call itself answers false as it
// always did, so callers keep their silent fallbacks.
//
// A key that cannot be created is still handed out as a key of this
// registry: reads through it find nothing (the readers keep their defaults,
// as when the open failed), and writes through it are refused and reported.
// Without that, a writer would never call the write that tells of the
// refusal, because it skips writing when its open fails.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "platform/Registry.h"

namespace wl {

class ReportingRegistry : public Registry {
  public:
    // root and path name the key whose write was refused.
    using RefusalHandler = std::function<void(RegRoot root, const std::string& path)>;

    ReportingRegistry(Registry& inner, RefusalHandler onFirstRefusal);
    ~ReportingRegistry() override;
    ReportingRegistry(const ReportingRegistry&) = delete;
    ReportingRegistry& operator=(const ReportingRegistry&) = delete;

    Key Open(RegRoot root, const std::string& path, bool create) override;
    void Close(Key key) override;
    int Read(Key key, const std::string& name, void* dest, std::uint32_t size) override;
    bool ReadString(Key key, const std::string& name, std::string& out,
                    std::uint32_t maxBytes) override;
    bool WriteBinary(Key key, const std::string& name, const void* data,
                     std::uint32_t size) override;
    bool WriteString(Key key, const std::string& name, const void* data,
                     std::uint32_t size) override;
    bool DeleteValue(Key key, const std::string& name) override;
    bool EnumSubkey(Key key, std::uint32_t index, std::string& name) override;
    bool DeleteSubkey(Key key, const std::string& name) override;

    // Whether a write has been refused since construction.
    bool AnyRefused() const { return refused_; }

  private:
    struct Handle {
        Key inner = 0;  // 0: the key could not be created
        RegRoot root = RegRoot::LocalMachine;
        std::string path;
    };
    Handle* Find(Key key);
    void Refused(const Handle& handle);

    Registry& inner_;
    RefusalHandler onFirstRefusal_;
    bool refused_ = false;
    std::map<Key, Handle> handles_;
    Key next_ = 1;
};

// "HKEY_LOCAL_MACHINE" and the like, for messages.
const char* RootName(RegRoot root);

}  // namespace wl
