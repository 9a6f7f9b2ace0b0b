// Files for tests: a fresh folder under the system's temporary folder,
// removed with everything in it when the object goes out of scope, and whole
// files read and written as bytes, and noise.  Works natively and under
// Wine.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
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

// The whole file; "" when it cannot be read.
inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces the file's content with the bytes.
inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// n bytes of noise, the same on every run.
inline std::string Junk(std::size_t n) {
    std::string junk(n, '\0');
    unsigned state = 12345;
    for (char& c : junk) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
    return junk;
}

}  // namespace wl::test
