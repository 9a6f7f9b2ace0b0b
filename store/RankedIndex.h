// The smart lookup's view of one library: every key in the order of the code
// page's case-insensitive comparison (for a UTF-8 library Utf8Page's, the
// folded forms' byte order), keys equal but for case in byte order,
// each with its weight, and a structure that finds the best key of any
// range quickly, so that a ranked page does not walk every match.
//
// Built in memory from the library file (keys and weights, and whether each
// text is empty; the texts stay in the file and are read for the candidates
// delivered).  Per entry it holds the key's bytes and NUL, a 4-byte offset
// and a 4-byte weight, about 4 bytes of the range structure and 1 byte of a
// filter that tells most keys the library does not hold without a search:
// roughly 22 MB per 1,000,000 keys of 8 letters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/CodePage.h"

namespace wl {

class Library;

class RankedIndex {
  public:
    // Reads every key and weight of the open library, in the code page's
    // order.  False (and an empty index) when the library cannot be read.
    bool Build(Library& library, const CodePage& page);
    void Clear();
    bool Built() const { return built_; }

    std::uint32_t Size() const { return static_cast<std::uint32_t>(weights_.size()); }
    const char* Key(std::uint32_t i) const { return keys_.data() + Start(i); }
    std::uint32_t KeyLength(std::uint32_t i) const { return Start(i + 1) - Start(i) - 1; }
    bool HasWeight(std::uint32_t i) const { return (offsets_[i] & kWeighted) != 0; }
    bool HasText(std::uint32_t i) const { return (offsets_[i] & kHasText) != 0; }
    std::uint32_t Weight(std::uint32_t i) const { return weights_[i]; }
    // The key's share of all the library's weights: how likely the word is,
    // as far as the library knows; 0 without a weight.
    double Probability(std::uint32_t i) const {
        return HasWeight(i) && totalWeight_ > 0
                   ? static_cast<double>(weights_[i]) / static_cast<double>(totalWeight_)
                   : 0.0;
    }
    // The ranking value: weight + 1, or 0 without a weight.
    std::uint64_t Rank(std::uint32_t i) const {
        return HasWeight(i) ? std::uint64_t{weights_[i]} + 1 : 0;
    }

    // The keys that begin with word, letter case ignored: [first, last).
    void PrefixRange(const char* word, std::uint32_t& first, std::uint32_t& last) const;
    // Of those, the ones equal to word but for letter case end at the
    // answer (they come first).
    std::uint32_t EqualEnd(const char* word, std::uint32_t first, std::uint32_t last) const;
    // The position of the key equal to key byte for byte within [first,
    // last), or last when there is none.
    std::uint32_t Find(const char* key, std::uint32_t length, std::uint32_t first,
                       std::uint32_t last) const;
    // A key's hash for MayHold; false from MayHold: the index does not hold
    // the key (true: it may).
    static std::uint64_t Hash(const char* key, std::uint32_t length);
    bool MayHold(std::uint64_t hash) const;
    // The best position of [first, last] (both included): the highest rank,
    // the first of equals.
    std::uint32_t Best(std::uint32_t first, std::uint32_t last) const;

    // Whether position a comes before position b in ranked order.
    bool Better(std::uint32_t a, std::uint32_t b) const {
        std::uint64_t ra = Rank(a), rb = Rank(b);
        return ra > rb || (ra == rb && a < b);
    }

    // Bytes held.
    std::size_t MemoryBytes() const;

  private:
    static constexpr std::uint32_t kWeighted = 0x80000000u;
    static constexpr std::uint32_t kHasText = 0x40000000u;
    static constexpr std::uint32_t kOffset = 0x3FFFFFFFu;  // keys of up to 1 GB in all
    static constexpr std::uint32_t kBlock = 32;   // positions per block of the range structure
    static constexpr std::uint32_t kSample = 64;  // positions per sample key

    std::uint32_t Start(std::uint32_t i) const { return offsets_[i] & kOffset; }
    std::uint32_t ScanBest(std::uint32_t first, std::uint32_t last) const;
    // The index order: case-insensitive, then bytes.
    int Compare(const char* a, std::uint32_t aLength, const char* b, std::uint32_t bLength) const;

    const CodePage* page_ = nullptr;
    bool built_ = false;
    std::vector<char> keys_;  // every key and its NUL, in index order
    // The start of each key, with kWeighted and kHasText; then the end.
    std::vector<std::uint32_t> offsets_;
    std::vector<std::uint32_t> weights_;
    std::uint64_t totalWeight_ = 0;
    // levels_[l][b]: the best position of blocks b to b + 2^l - 1.
    std::vector<std::vector<std::uint32_t>> levels_;
    // For each position, the offset in its block of the best position from
    // the block's start up to it, and from it to the block's end.
    std::vector<std::uint8_t> fromStart_, toEnd_;
    std::vector<std::uint8_t> filter_;  // a Bloom filter of the keys, 8 bits a key
    std::vector<char> samples_;         // every kSample-th key and its NUL
    std::vector<std::uint32_t> sampleStarts_;
    mutable std::string scratch_;
    mutable std::string lowerWord_;
    mutable std::string wordHigh_;
};

// One library's candidates for a word in ranked order: the weighted keys of
// its range from the highest weight down (the first of equal weights
// first), then the unweighted ones in index order.
class RankedWalk {
  public:
    void Start(const RankedIndex* index, std::uint32_t first, std::uint32_t last);
    void Stop() { index_ = nullptr; }
    bool Done() const { return index_ == nullptr; }
    std::uint32_t Current() const { return current_; }
    void Advance();

  private:
    struct Range {
        std::uint32_t best, first, last;  // last included
    };
    void Push(std::uint32_t first, std::uint32_t last);
    void Settle();
    void ScanUnweighted(std::uint32_t from);

    const RankedIndex* index_ = nullptr;
    std::vector<Range> heap_;
    bool unweighted_ = false;
    std::uint32_t first_ = 0, last_ = 0;
    std::uint32_t current_ = 0;
};

// The state of a LibrarySet's ranked lookup, one element per library.
struct RankedLookup {
    std::vector<RankedIndex> indexes;  // built on the first ranked lookup
    std::vector<RankedWalk> walks;
    std::vector<std::uint32_t> first, last;          // each library's matches
    std::vector<std::uint32_t> equalNext, equalEnd;  // a Shorthand library's equal keys
    std::vector<char> taking;                        // the library takes part
    std::unordered_set<std::string> delivered;       // type and key of each candidate given
    bool active = false;
    std::int32_t dictionaryEnabled = 1;
    std::int32_t shorthandEnabled = 1;

    void Reset(std::size_t libraries) {
        indexes = std::vector<RankedIndex>(libraries);
        walks.assign(libraries, RankedWalk());
        first.assign(libraries, 0);
        last.assign(libraries, 0);
        equalNext.assign(libraries, 0);
        equalEnd.assign(libraries, 0);
        taking.assign(libraries, 0);
        delivered.clear();
        active = false;
    }
};

}  // namespace wl
