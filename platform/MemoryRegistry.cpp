#include "platform/MemoryRegistry.h"

#include <algorithm>
#include <cstring>

namespace wl {
namespace {

std::string Folded(const std::string& s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

struct MemoryRegistry::Node {
    std::string name;
    // Keyed by the case-folded name, so that enumeration is in name order.
    std::map<std::string, std::unique_ptr<Node>> children;
    std::map<std::string, Value> values;
    bool deleted = false;
};

MemoryRegistry::MemoryRegistry() {
    for (auto& r : roots_) r = std::make_unique<Node>();
}

MemoryRegistry::~MemoryRegistry() = default;

MemoryRegistry::Node* MemoryRegistry::Walk(RegRoot root, const std::string& path,
                                           bool create) const {
    Node* node = roots_[static_cast<int>(root)].get();
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t end = path.find('\\', pos);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty()) {
            if (end == path.size()) break;
            continue;  // "a\\b" and a trailing backslash name no empty key
        }
        auto it = node->children.find(Folded(part));
        if (it == node->children.end()) {
            if (!create) return nullptr;
            auto child = std::make_unique<Node>();
            child->name = part;
            it = node->children.emplace(Folded(part), std::move(child)).first;
        }
        node = it->second.get();
    }
    return node;
}

MemoryRegistry::Node* MemoryRegistry::NodeOf(Key key) const {
    auto it = open_.find(key);
    if (it == open_.end() || it->second->deleted) return nullptr;
    return it->second;
}

Registry::Key MemoryRegistry::Open(RegRoot root, const std::string& path, bool create) {
    if (failOpen || (create && refuseWrites && !Walk(root, path, false))) return 0;
    Node* node = Walk(root, path, create);
    if (!node) return 0;
    Key key = nextKey_++;
    open_[key] = node;
    return key;
}

void MemoryRegistry::Close(Key key) {
    open_.erase(key);
}

int MemoryRegistry::Read(Key key, const std::string& name, void* dest, std::uint32_t size) {
    Node* node = NodeOf(key);
    if (!node) return -1;
    auto it = node->values.find(Folded(name));
    if (it == node->values.end() || it->second.data.size() > size) return -1;
    if (!it->second.data.empty()) std::memcpy(dest, it->second.data.data(), it->second.data.size());
    return static_cast<int>(it->second.data.size());
}

bool MemoryRegistry::ReadString(Key key, const std::string& name, std::string& out,
                                std::uint32_t maxBytes) {
    Node* node = NodeOf(key);
    if (!node) return false;
    auto it = node->values.find(Folded(name));
    if (it == node->values.end() || it->second.data.size() > maxBytes) return false;
    const auto& d = it->second.data;
    auto nul = std::find(d.begin(), d.end(), 0);
    out.assign(d.begin(), nul);
    return true;
}

bool MemoryRegistry::Write(Key key, const std::string& name, Type type, const void* data,
                           std::uint32_t size) {
    Node* node = NodeOf(key);
    if (!node || refuseWrites) return false;
    Value v;
    v.type = type;
    const auto* p = static_cast<const unsigned char*>(data);
    if (size) v.data.assign(p, p + size);
    node->values[Folded(name)] = std::move(v);
    return true;
}

bool MemoryRegistry::WriteBinary(Key key, const std::string& name, const void* data,
                                 std::uint32_t size) {
    return Write(key, name, Type::Binary, data, size);
}

bool MemoryRegistry::WriteString(Key key, const std::string& name, const void* data,
                                 std::uint32_t size) {
    return Write(key, name, Type::String, data, size);
}

bool MemoryRegistry::DeleteValue(Key key, const std::string& name) {
    Node* node = NodeOf(key);
    if (!node || refuseWrites) return false;
    return node->values.erase(Folded(name)) > 0;
}

bool MemoryRegistry::EnumSubkey(Key key, std::uint32_t index, std::string& name) {
    Node* node = NodeOf(key);
    if (!node || index >= node->children.size()) return false;
    auto it = node->children.begin();
    std::advance(it, index);
    name = it->second->name;
    return true;
}

bool MemoryRegistry::DeleteSubkey(Key key, const std::string& name) {
    Node* node = NodeOf(key);
    if (!node || refuseWrites) return false;
    auto it = node->children.find(Folded(name));
    if (it == node->children.end() || !it->second->children.empty()) return false;
    // Handles still open on the deleted key fail from now on, as on Windows.
    for (auto& [k, n] : open_)
        if (n == it->second.get()) n->deleted = true;
    if (it->second->deleted) {
        deletedNodes_.push_back(std::move(it->second));
    }
    node->children.erase(it);
    return true;
}

const MemoryRegistry::Value* MemoryRegistry::Find(RegRoot root, const std::string& path,
                                                  const std::string& name) const {
    Node* node = Walk(root, path, false);
    if (!node) return nullptr;
    auto it = node->values.find(Folded(name));
    return it == node->values.end() ? nullptr : &it->second;
}

bool MemoryRegistry::KeyExists(RegRoot root, const std::string& path) const {
    return Walk(root, path, false) != nullptr;
}

}  // namespace wl
