// The user's files natively: UTF-8 paths are the system's own.
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/UserFiles.h"

namespace wl {

namespace {

namespace fs = std::filesystem;

class StdUserFiles : public UserFiles {
  public:
    bool Exists(const std::string& path) override {
        std::error_code ec;
        return fs::exists(path, ec);
    }
    bool Read(const std::string& path, std::string& bytes, std::size_t maxBytes) override {
        bytes.clear();
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) return false;
        const auto size = fs::file_size(path, ec);
        if (ec || size > maxBytes) return false;
        std::ifstream in(path, std::ios::binary);
        bytes.resize(static_cast<std::size_t>(size));
        in.read(bytes.data(), static_cast<std::streamsize>(size));
        return in && in.peek() == std::char_traits<char>::eof();
    }
    bool WriteReplacing(const std::string& path, const std::string& beside,
                        std::string_view bytes) override {
        std::error_code ec;
        {
            std::ofstream out(beside, std::ios::binary | std::ios::trunc);
            if (!out) return false;
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            out.flush();
            if (!out) {
                out.close();
                fs::remove(beside, ec);
                return false;
            }
        }
        fs::rename(beside, path, ec);
        if (ec) {
            std::error_code ignored;
            fs::remove(beside, ignored);
        }
        return !ec;
    }
    bool Rename(const std::string& from, const std::string& to) override {
        // rename() would replace it; the one program that writes here checks
        // first.
        std::error_code ec;
        if (fs::exists(fs::symlink_status(to, ec))) return false;
        fs::rename(from, to, ec);
        return !ec;
    }
    bool Remove(const std::string& path) override {
        std::error_code ec;
        fs::remove(path, ec);
        return !fs::exists(fs::symlink_status(path, ec));
    }
    bool ListNames(const std::string& folder, std::vector<std::string>& names) override {
        names.clear();
        std::error_code ec;
        fs::directory_iterator it(folder.empty() ? std::string(".") : folder, ec);
        if (ec) return false;
        for (const auto& entry : it) {
            std::error_code kind;
            if (!entry.is_directory(kind)) names.push_back(entry.path().filename().string());
        }
        return true;
    }
};

}  // namespace

UserFiles& SystemUserFiles() {
    static StdUserFiles files;
    return files;
}

}  // namespace wl
