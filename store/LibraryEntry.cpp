#include "store/LibraryEntry.h"

#include <cstring>
#include <utility>

namespace wl {
namespace {

// A zero-filled buffer of length + 1 bytes holding the bytes (none when
// bytes is null), so that it always ends in a NUL.
std::unique_ptr<char[]> CopyOf(const void* bytes, std::uint32_t length) {
    auto buffer = std::make_unique<char[]>(static_cast<std::size_t>(length) + 1);
    if (bytes && length) std::memcpy(buffer.get(), bytes, length);
    return buffer;
}

}  // namespace

void LibraryEntry::SetKey(const void* bytes, std::uint32_t length) {
    key_ = CopyOf(bytes, length);
    keyLength_ = length;
}

void LibraryEntry::SetText(const void* bytes, std::uint32_t length) {
    text_ = CopyOf(bytes, length);
    textLength_ = length;
}

void LibraryEntry::Clear() {
    key_.reset();
    keyLength_ = 0;
    text_.reset();
    textLength_ = 0;
    probability = 0;
    weight = 0;
}

void LibraryEntry::TakeFrom(LibraryEntry& other) {
    if (&other == this) return;
    key_ = std::move(other.key_);
    keyLength_ = other.keyLength_;
    text_ = std::move(other.text_);
    textLength_ = other.textLength_;
    probability = other.probability;
    weight = other.weight;
    encoding = other.encoding;  // the buffers' encoding goes with them
    other.keyLength_ = other.textLength_ = 0;
}

}  // namespace wl
