// The system's files with failures on demand: reading, renaming or removing
// a chosen path fails, as for a file that is locked or read-only.
#pragma once

#include <set>
#include <string>

#include "platform/UserFiles.h"

namespace wl::test {

class FailingFiles : public UserFiles {
  public:
    std::set<std::string> failRead, failRename, failRemove;

    bool Exists(const std::string& path) override { return real_.Exists(path); }
    bool Read(const std::string& path, std::string& bytes, std::size_t maxBytes) override {
        return !failRead.count(path) && real_.Read(path, bytes, maxBytes);
    }
    bool WriteReplacing(const std::string& path, const std::string& beside,
                        std::string_view bytes) override {
        return real_.WriteReplacing(path, beside, bytes);
    }
    bool Rename(const std::string& from, const std::string& to) override {
        return !failRename.count(from) && real_.Rename(from, to);
    }
    bool Remove(const std::string& path) override {
        return !failRemove.count(path) && real_.Remove(path);
    }
    bool ListNames(const std::string& folder, std::vector<std::string>& names) override {
        return real_.ListNames(folder, names);
    }

  private:
    UserFiles& real_ = SystemUserFiles();
};

}  // namespace wl::test
