// The context model a Dictionary library carries (store/ContextData.h), read
// through a read-only Berkeley DB handle with a small cache of its own
// (bdb::OpenForScan), outside the shared cache of the other handles: what
// lookups read does not stay in memory.  Open keeps the words and the table
// of values in memory (about 1 MB for the English Dictionary's); a lookup
// reads its context's one record.
//
// For the program's one user-interface thread: nothing here is locked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/ContextModel.h"

struct __db;

namespace wl {

class LibraryContextModel : public ContextModel {
  public:
    LibraryContextModel() = default;
    ~LibraryContextModel() override;
    LibraryContextModel(const LibraryContextModel&) = delete;
    LibraryContextModel& operator=(const LibraryContextModel&) = delete;

    // Opens the context data of the library file at path (a Unicode
    // library's when unicode).  False (and closed) when the file holds none,
    // or its words or values are not as they must be.
    bool Open(const std::string& path, bool unicode = false);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }
    bool Unicode() const override { return unicode_; }
    std::uint32_t WordCount() const { return static_cast<std::uint32_t>(starts_.size()); }

    WordId Id(std::string_view word) const override;
    std::string_view Word(WordId id) const override;
    void PrefixRange(std::string_view prefix, WordId& first, WordId& last) const override;
    bool Lookup(const WordId* context, std::size_t words, std::vector<Entry>& entries,
                float& backoff) const override;

    // What the data holds, read record by record: the contexts of one word
    // and of two, their entries, the bytes of every record (keys and
    // values), and the bytes of the file's pages that hold them.  Damaged
    // records count as none.  False when not open or the walk failed.
    struct Totals {
        std::uint64_t contexts[2] = {0, 0};
        std::uint64_t entries[2] = {0, 0};
        std::uint64_t bytes = 0;
        std::uint64_t diskBytes = 0;
    };
    bool Count(Totals& totals) const;

  private:
    bool ReadRecord(const std::string& key, std::string& value) const;
    bool Decode(const unsigned char* at, const unsigned char* end, std::vector<Entry>& entries,
                float& backoff) const;

    __db* db_ = nullptr;
    bool unicode_ = false;
    std::vector<char> words_;                    // every word and its NUL, in number order
    std::vector<std::uint32_t> starts_;          // where each word begins in words_
    std::vector<float> values_;                  // the table of log10 values
    mutable std::vector<unsigned char> record_;  // the record read last
};

}  // namespace wl
