#include "platform/ReportingRegistry.h"

#include <utility>

namespace wl {

namespace {
// Large enough for any value this program keeps; only presence matters.
constexpr std::uint32_t kAnySize = 1u << 20;
}  // namespace

const char* RootName(RegRoot root) {
    switch (root) {
        case RegRoot::CurrentUser:
            return "HKEY_CURRENT_USER";
        case RegRoot::ClassesRoot:
            return "HKEY_CLASSES_ROOT";
        default:
            return "HKEY_LOCAL_MACHINE";
    }
}

ReportingRegistry::ReportingRegistry(Registry& inner, RefusalHandler onFirstRefusal)
    : inner_(inner), onFirstRefusal_(std::move(onFirstRefusal)) {}

ReportingRegistry::~ReportingRegistry() {
    for (auto& [key, handle] : handles_)
        if (handle.inner) inner_.Close(handle.inner);
}

ReportingRegistry::Handle* ReportingRegistry::Find(Key key) {
    auto it = handles_.find(key);
    return it == handles_.end() ? nullptr : &it->second;
}

void ReportingRegistry::Refused(const Handle& handle) {
    if (refused_) return;
    refused_ = true;
    // The handler may run a message loop that calls back into this registry:
    // the flag is set before, so that it reports once.
    if (onFirstRefusal_) onFirstRefusal_(handle.root, handle.path);
}

Registry::Key ReportingRegistry::Open(RegRoot root, const std::string& path, bool create) {
    const Key inner = inner_.Open(root, path, create);
    if (!inner && !create) return 0;
    const Key key = next_++;
    handles_[key] = Handle{inner, root, path};
    return key;
}

void ReportingRegistry::Close(Key key) {
    auto it = handles_.find(key);
    if (it == handles_.end()) return;
    if (it->second.inner) inner_.Close(it->second.inner);
    handles_.erase(it);
}

int ReportingRegistry::Read(Key key, const std::string& name, void* dest, std::uint32_t size) {
    Handle* h = Find(key);
    return h && h->inner ? inner_.Read(h->inner, name, dest, size) : -1;
}

bool ReportingRegistry::ReadString(Key key, const std::string& name, std::string& out,
                                   std::uint32_t maxBytes) {
    Handle* h = Find(key);
    return h && h->inner && inner_.ReadString(h->inner, name, out, maxBytes);
}

bool ReportingRegistry::WriteBinary(Key key, const std::string& name, const void* data,
                                    std::uint32_t size) {
    Handle* h = Find(key);
    if (!h) return false;
    if (h->inner && inner_.WriteBinary(h->inner, name, data, size)) return true;
    Refused(*h);
    return false;
}

bool ReportingRegistry::WriteString(Key key, const std::string& name, const void* data,
                                    std::uint32_t size) {
    Handle* h = Find(key);
    if (!h) return false;
    if (h->inner && inner_.WriteString(h->inner, name, data, size)) return true;
    Refused(*h);
    return false;
}

bool ReportingRegistry::DeleteValue(Key key, const std::string& name) {
    Handle* h = Find(key);
    if (!h) return false;
    if (h->inner && inner_.DeleteValue(h->inner, name)) return true;
    // Deleting a value that is not there fails too, and loses nothing.  A
    // key that could not be created may still be readable.
    std::string ignored;
    bool stillThere = false;
    if (h->inner) {
        stillThere = inner_.ReadString(h->inner, name, ignored, kAnySize);
    } else if (const Key readable = inner_.Open(h->root, h->path, false)) {
        stillThere = inner_.ReadString(readable, name, ignored, kAnySize);
        inner_.Close(readable);
    }
    if (stillThere) Refused(*h);
    return false;
}

bool ReportingRegistry::EnumSubkey(Key key, std::uint32_t index, std::string& name) {
    Handle* h = Find(key);
    return h && h->inner && inner_.EnumSubkey(h->inner, index, name);
}

bool ReportingRegistry::DeleteSubkey(Key key, const std::string& name) {
    Handle* h = Find(key);
    if (!h) return false;
    if (h->inner && inner_.DeleteSubkey(h->inner, name)) return true;
    const std::string subkey = h->path.empty() ? name : h->path + "\\" + name;
    if (const Key still = inner_.Open(h->root, subkey, false)) {
        inner_.Close(still);
        Refused(*h);
    }
    return false;
}

}  // namespace wl
