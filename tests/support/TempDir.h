// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes out of scope.  Works natively and under Wine.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace wl::test {

class TempDir {
  public:
    TempDir() {
        std::random_device rd;
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = std::filesystem::temp_directory_path() /
                    ("wordlark-test-" + std::to_string(rd()) + std::to_string(rd()));
            std::error_code ec;
            if (std::filesystem::create_directory(path_, ec)) return;
        }
        path_.clear();
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // A file or folder name inside, as a string in the platform's form.
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

}  // namespace wl::test
