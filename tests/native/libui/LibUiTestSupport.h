// Helpers of the library dialog tests: libraries made from key/text lists
// and read back, and small text files.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "store/Library.h"
#include "tests/support/TempDir.h"

namespace wl::test {

using Pairs = std::vector<std::pair<std::string, std::string>>;

struct FilledEntry : LibraryEntry {
    explicit FilledEntry(const std::string& key, const std::string& text = "") {
        SetKey(key.data(), static_cast<std::uint32_t>(key.size()));
        SetText(text.data(), static_cast<std::uint32_t>(text.size()));
    }
};

// Creates a library at path with the info given and the entries.
inline void MakeLibrary(const std::string& path, const Pairs& entries, int type = Dictionary,
                        const std::string& caption = "", int editable = 1,
                        const std::string& description = "") {
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(path.c_str()), 1) << path;
    lib.SetType(type);
    lib.SetEditable(editable);
    lib.SetCaption(caption.c_str(), static_cast<int>(caption.size()));
    lib.SetDescription(description.c_str(), static_cast<int>(description.size()));
    ASSERT_EQ(lib.WriteInfo(), 1);
    for (const auto& [k, t] : entries) ASSERT_EQ(lib.Put(FilledEntry(k, t)), 1) << k;
}

// Every entry of the library at path, in key order.
inline Pairs ReadLibrary(const std::string& path) {
    Pairs out;
    Library lib{SystemCodePage()};
    if (!lib.Open(path.c_str())) return out;
    LibraryEntry e;
    for (int ok = lib.Search("", e, MATCH_PREFIX); ok; ok = lib.Next(e))
        out.emplace_back(std::string(e.key(), e.keyLength()),
                         e.text() ? std::string(e.text(), e.textLength()) : std::string());
    return out;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

}  // namespace wl::test
