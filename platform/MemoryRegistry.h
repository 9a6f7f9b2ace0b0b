// An in-memory registry with Windows' semantics (case-insensitive key and
// value names, nested keys, create and open), for native tests and for the
// native build of the tools.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace wl {

class MemoryRegistry : public Registry {
  public:
    enum class Type { Binary, String };
    struct Value {
        Type type = Type::Binary;
        std::vector<unsigned char> data;
    };

    MemoryRegistry();
    ~MemoryRegistry() override;

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

    // Test helpers: direct access to a value, key existence, open handles.
    const Value* Find(RegRoot root, const std::string& path, const std::string& name) const;
    bool KeyExists(RegRoot root, const std::string& path) const;
    int OpenKeyCount() const { return static_cast<int>(open_.size()); }
    // Failure injection: every Open fails, or every write is refused.
    bool failOpen = false;
    bool refuseWrites = false;

  private:
    struct Node;
    Node* Walk(RegRoot root, const std::string& path, bool create) const;
    Node* NodeOf(Key key) const;
    bool Write(Key key, const std::string& name, Type type, const void* data, std::uint32_t size);

    std::unique_ptr<Node> roots_[3];
    std::vector<std::unique_ptr<Node>> deletedNodes_;  // kept while handles may name them
    std::map<Key, Node*> open_;
    Key nextKey_ = 1;
};

}  // namespace wl
