// One library entry as it travels between the store and its callers: key and
// text as owned, NUL-terminated byte buffers with their lengths, and the type
// of the library (or candidate kind) that delivered it.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace wl {

enum LibraryType : std::int32_t {
    Dictionary = 1,
    Shorthand = 2,
    // Candidate kinds of the candidate list beyond the two library types.
    PathFile = 3,
    PathFolder = 4,
    // A word the user typed that no library holds, offered as learned.
    Learned = 5,
};

// The encoding of a library's keys and texts: the system's code page (every
// library without an encoding record), UTF-8, or a record this program does
// not know (the library is then read-only and offers nothing).
enum LibraryEncoding : std::int32_t {
    EncodingCodePage = 0,
    EncodingUtf8 = 65001,
    EncodingUnknown = -1,
};

enum MatchMode : std::int32_t {
    MATCH_ANY = -1,
    MATCH_PREFIX = 1,
    MATCH_INSIDE = 2,
    MATCH_SUFFIX = 4,
};

class LibraryEntry {
  public:
    LibraryEntry() = default;
    LibraryEntry(const LibraryEntry&) = delete;
    LibraryEntry& operator=(const LibraryEntry&) = delete;

    // Replace the buffer with a zero-filled copy of length + 1 bytes.
    void SetKey(const void* bytes, std::uint32_t length);
    void SetText(const void* bytes, std::uint32_t length);
    // Release both buffers (and the probability); the type stays.
    void Clear();
    // Take over other's buffers and lengths (with their encoding, weight and
    // probability), leaving other empty; the type stays.  (The library set
    // hands its candidates over this way.)
    void TakeFrom(LibraryEntry& other);

    char* key() const { return key_.get(); }  // nullptr when there is none
    std::uint32_t keyLength() const { return keyLength_; }
    char* text() const { return text_.get(); }
    std::uint32_t textLength() const { return textLength_; }
    // Key and text with all their bytes, NULs included; empty when there is
    // none.
    std::string_view keyBytes() const { return {key_ ? key_.get() : "", keyLength_}; }
    std::string_view textBytes() const { return {text_ ? text_.get() : "", textLength_}; }
    // Key and text as C strings, which end at their first NUL; "" when there
    // is none.
    const char* keyString() const { return key_ ? key_.get() : ""; }
    const char* textString() const { return text_ ? text_.get() : ""; }
    std::int32_t type = Dictionary;
    // From a ranked lookup: the key's share of its library's weights (how
    // likely the word is); 0 without a weight, and from every other lookup.
    double probability = 0;
    // From a ranked lookup: the key's weight, 10^(log10 P + 10) of the word
    // alone in the library's language model; 0 without one.
    std::uint32_t weight = 0;
    // The encoding of key and text (LibraryEncoding), set by whoever delivers
    // the entry.
    std::int32_t encoding = EncodingCodePage;

  private:
    std::unique_ptr<char[]> key_;
    std::uint32_t keyLength_ = 0;
    std::unique_ptr<char[]> text_;
    std::uint32_t textLength_ = 0;
};

}  // namespace wl
