// Library files for tests: made from key/text lists, read back whole or by
// key, walked and looked up as key lists; and a folder listing that answers
// the names it is given, so that load order is exact in every build.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Directory.h"
#include "store/Library.h"
#include "store/LibrarySet.h"
#include "tests/support/Files.h"

namespace wl::test {

using Pairs = std::vector<std::pair<std::string, std::string>>;
using Keys = std::vector<std::string>;

// A filled entry, made in place (entries are neither copied nor moved).
struct Entry : LibraryEntry {
    explicit Entry(const std::string& key, const std::string& text = "") {
        SetKey(key.data(), static_cast<std::uint32_t>(key.size()));
        SetText(text.data(), static_cast<std::uint32_t>(text.size()));
    }
};

// The info a library is made with.
struct LibraryInfo {
    int type = Dictionary;
    std::string caption{};
    int editable = 1;
    std::string description{};
    int scrambled = 0;
    int encoding = EncodingCodePage;
};

// Creates the library at path (or adds to it) with the info and the entries.
inline void MakeLibrary(const std::string& path, const Pairs& entries,
                        const LibraryInfo& info = {}) {
    Library lib{SystemCodePage()};
    ASSERT_EQ(lib.Open(path.c_str()), 1) << path;
    lib.SetType(info.type);
    lib.SetEditable(info.editable);
    lib.SetScrambled(info.scrambled);
    lib.SetEncoding(info.encoding);
    lib.SetCaption(info.caption.c_str(), static_cast<int>(info.caption.size()));
    lib.SetDescription(info.description.c_str(), static_cast<int>(info.description.size()));
    ASSERT_EQ(lib.WriteInfo(), 1);
    for (const auto& [k, t] : entries) ASSERT_EQ(lib.Put(Entry(k, t)), 1) << k;
}

// Every entry of the library at path, in key order; none when it cannot be
// opened.
inline Pairs ReadLibrary(const std::string& path) {
    Pairs out;
    Library lib{SystemCodePage()};
    if (!lib.Open(path.c_str())) return out;
    LibraryEntry e;
    for (int ok = lib.Search("", e, MATCH_PREFIX); ok; ok = lib.Next(e))
        out.emplace_back(e.keyBytes(), e.textBytes());
    return out;
}

// The text stored under exactly this key; "<none>" when there is none.
inline std::string TextOf(Library& lib, const std::string& key) {
    LibraryEntry e;
    if (!lib.SearchExact(key.c_str(), e, MATCH_PREFIX) || e.keyBytes() != key) return "<none>";
    return std::string(e.textBytes());
}

// The keys a search and its Nexts deliver.
inline Keys Walk(Library& lib, const std::string& word, int mode) {
    Keys keys;
    LibraryEntry e;
    for (int ok = lib.Search(word.c_str(), e, mode); ok; ok = lib.Next(e))
        keys.emplace_back(e.keyBytes());
    return keys;
}

// The keys of a lookup's candidates.
inline Keys Lookup(LibrarySet& set, const std::string& word, int dict = 1, int shorthand = 1,
                   int mode = MATCH_PREFIX) {
    Keys keys;
    LibraryEntry e;
    for (int ok = set.FindFirst(word.c_str(), e, mode, dict, shorthand); ok; ok = set.FindNext(e))
        keys.emplace_back(e.keyBytes());
    return keys;
}

// Records what an import or export reports, and cancels once it has been
// asked cancelAfter times (never with -1; at the first question with 0).
class RecordingProgress : public ImportProgress {
  public:
    explicit RecordingProgress(int cancelAfter = -1) : cancelAfter_(cancelAfter) {}
    void SetText(const char* text) override { texts.push_back(text); }
    bool Cancelled() override { return cancelAfter_ >= 0 && ++checks_ > cancelAfter_; }
    std::vector<std::string> texts;

  private:
    int cancelAfter_;
    int checks_ = 0;
};

// A folder listing that answers the names it was given, in that order.
class ListedDirectory : public Directory {
  public:
    std::vector<std::string> names;
    std::string lastPattern;
    bool fail = false;
    bool List(const std::string& pattern, std::vector<DirEntry>& entries) override {
        lastPattern = pattern;
        entries.clear();
        if (fail) return false;
        for (const auto& n : names) entries.push_back({n, false});
        return true;
    }
};

}  // namespace wl::test
