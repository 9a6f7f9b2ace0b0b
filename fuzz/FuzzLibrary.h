// What the import fuzz targets share: a library in a folder of their own,
// the input written to a file, and a check that stops the run.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

#include "store/Library.h"

namespace wl::fuzz {

// A library under the temporary folder (of the given name and encoding),
// emptied by each input's check and removed with its folder at exit.
class FuzzLibrary {
  public:
    explicit FuzzLibrary(const std::string& name = "fuzz",
                         std::int32_t encoding = EncodingCodePage) {
        folder_ = std::filesystem::temp_directory_path() /
                  ("wordlark-" + name + "-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder_);
        input_ = (folder_ / "input.txt").string();
        if (!library.Open((folder_ / "fuzz.lib").string().c_str())) Fail("cannot open the library");
        library.SetEncoding(encoding);
        if (!library.WriteInfo()) Fail("cannot write the library's info");
    }
    ~FuzzLibrary() {
        library.Close();
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    FuzzLibrary(const FuzzLibrary&) = delete;
    FuzzLibrary& operator=(const FuzzLibrary&) = delete;

    // The path of a file holding the bytes.
    const char* Write(const std::uint8_t* data, std::size_t size) {
        std::FILE* f = std::fopen(input_.c_str(), "wb");
        if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0)
            Fail("cannot write the input");
        return input_.c_str();
    }

    [[noreturn]] static void Fail(const std::string& what) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
        std::abort();
    }

    Library library{SystemCodePage()};

  private:
    std::filesystem::path folder_;
    std::string input_;
};

// The key and text of the stored entry for key; false when there is none.
inline bool Stored(Library& lib, const std::string& key, std::string& text) {
    LibraryEntry e;
    if (!lib.SearchExact(key.c_str(), e, MATCH_PREFIX)) return false;
    if (std::string(e.key(), e.keyLength()) != key) return false;
    text.assign(e.text(), e.textLength());
    return true;
}

}  // namespace wl::fuzz
