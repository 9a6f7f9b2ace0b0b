#include "store/RankedIndex.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "store/Library.h"

namespace wl {

namespace {

// Whether the first n bytes are ASCII: then, with n one past the word, the
// fold of the key's start is its lower case, as no character that follows
// can join the last of them.
bool AsciiStart(const char* key, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(key[i]) >= 0x80) return false;
    return true;
}

int CompareBytes(const char* a, std::uint32_t aLength, const char* b, std::uint32_t bLength) {
    int c = std::memcmp(a, b, std::min(aLength, bLength));
    if (c) return c < 0 ? -1 : 1;
    return aLength < bLength ? -1 : aLength > bLength ? 1 : 0;
}

}  // namespace

void RankedIndex::Clear() {
    built_ = false;
    keys_ = {};
    offsets_ = {};
    weights_ = {};
    totalWeight_ = 0;
    levels_ = {};
    fromStart_ = {};
    toEnd_ = {};
    samples_ = {};
    sampleStarts_ = {};
    filter_ = {};
}

int RankedIndex::Compare(const char* a, std::uint32_t aLength, const char* b,
                         std::uint32_t bLength) const {
    int c = page_->CompareNoCase(a, b);
    if (c) return c < 0 ? -1 : 1;
    return CompareBytes(a, aLength, b, bLength);
}

bool RankedIndex::Build(Library& library, const CodePage& page) {
    Clear();
    page_ = &page;
    // The keys as the file holds them, then sorted into the index order.
    std::vector<char> raw;
    std::vector<std::uint32_t> starts, weights;
    std::vector<std::uint32_t> flags;
    bool fits = true;
    int ok = library.ForEachKey([&](const Library::KeyInfo& info) {
        if (raw.size() + info.length + 1 > kOffset) {
            fits = false;
            return false;
        }
        starts.push_back(static_cast<std::uint32_t>(raw.size()));
        raw.insert(raw.end(), info.key, info.key + info.length);
        raw.push_back('\0');
        weights.push_back(info.weighted ? info.weight : 0);
        flags.push_back((info.weighted ? kWeighted : 0) | (info.hasText ? kHasText : 0));
        return true;
    });
    if (!ok || !fits) {
        Clear();
        return false;
    }
    const auto n = static_cast<std::uint32_t>(starts.size());
    starts.push_back(static_cast<std::uint32_t>(raw.size()));
    auto length = [&](std::uint32_t i) { return starts[i + 1] - starts[i] - 1; };
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    if (page.IsUnicode()) {
        // Folding is dear: each key is folded once, not at each comparison.
        std::vector<std::string> folded(n);
        for (std::uint32_t i = 0; i < n; ++i) folded[i] = page.Fold(raw.data() + starts[i]);
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            int c = folded[a].compare(folded[b]);
            if (c) return c < 0;
            return CompareBytes(raw.data() + starts[a], length(a), raw.data() + starts[b],
                                length(b)) < 0;
        });
    } else {
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            return Compare(raw.data() + starts[a], length(a), raw.data() + starts[b], length(b)) <
                   0;
        });
    }

    keys_.reserve(raw.size());
    offsets_.reserve(std::size_t{n} + 1);
    weights_.reserve(n);
    for (std::uint32_t i : order) {
        auto start = static_cast<std::uint32_t>(keys_.size());
        offsets_.push_back(start | flags[i]);
        weights_.push_back(weights[i]);
        if (flags[i] & kWeighted) totalWeight_ += weights[i];
        keys_.insert(keys_.end(), raw.data() + starts[i], raw.data() + starts[i + 1]);
    }
    offsets_.push_back(static_cast<std::uint32_t>(keys_.size()));

    std::size_t bits = 64;
    while (bits < std::size_t{n} * 8) bits *= 2;
    filter_.assign(bits / 8, 0);
    for (std::uint32_t i = 0; i < n; ++i) {
        std::uint64_t h = Hash(Key(i), KeyLength(i));
        for (std::uint64_t bit : {h, h >> 32})
            filter_[(bit & (bits - 1)) / 8] |= static_cast<std::uint8_t>(1u << (bit & 7));
    }

    // The best position of every block, then of every run of 2, 4, ...
    // blocks.
    const std::uint32_t blocks = (n + kBlock - 1) / kBlock;
    for (std::uint32_t i = 0; i < n; i += kSample) {
        sampleStarts_.push_back(static_cast<std::uint32_t>(samples_.size()));
        samples_.insert(samples_.end(), Key(i), Key(i) + KeyLength(i) + 1);
    }

    // Within each block, the best of its start up to each position and of
    // each position up to its end, as offsets in the block.
    fromStart_.resize(n);
    toEnd_.resize(n);
    for (std::uint32_t b = 0; b < blocks; ++b) {
        const std::uint32_t start = b * kBlock, end = std::min(n, start + kBlock) - 1;
        std::uint32_t best = start;
        for (std::uint32_t i = start; i <= end; ++i) {
            if (Better(i, best)) best = i;
            fromStart_[i] = static_cast<std::uint8_t>(best - start);
        }
        best = end;
        for (std::uint32_t i = end + 1; i-- > start;) {
            if (!Better(best, i)) best = i;
            toEnd_[i] = static_cast<std::uint8_t>(best - start);
        }
    }
    if (blocks) {
        levels_.emplace_back(blocks);
        for (std::uint32_t b = 0; b < blocks; ++b) levels_[0][b] = b * kBlock + toEnd_[b * kBlock];
        for (std::uint32_t span = 2; span <= blocks; span *= 2) {
            const std::vector<std::uint32_t>& below = levels_.back();
            std::vector<std::uint32_t> level(blocks - span + 1);
            for (std::uint32_t b = 0; b + span <= blocks; ++b) {
                std::uint32_t x = below[b], y = below[b + span / 2];
                level[b] = Better(y, x) ? y : x;
            }
            levels_.push_back(std::move(level));
        }
    }
    built_ = true;
    return true;
}

std::uint32_t RankedIndex::ScanBest(std::uint32_t first, std::uint32_t last) const {
    std::uint32_t best = first;
    for (std::uint32_t i = first + 1; i <= last; ++i)
        if (Better(i, best)) best = i;
    return best;
}

std::uint32_t RankedIndex::Best(std::uint32_t first, std::uint32_t last) const {
    const std::uint32_t bl = first / kBlock, br = last / kBlock;
    if (bl == br) {
        // A whole block, or a part of it that reaches its start or its end,
        // has its best at hand; any other part is looked through.
        const std::uint32_t end = std::min(Size(), (bl + 1) * kBlock) - 1;
        if (last == end) return bl * kBlock + toEnd_[first];
        if (first == bl * kBlock) return first + fromStart_[last];
        return ScanBest(first, last);
    }
    std::uint32_t best = bl * kBlock + toEnd_[first];
    std::uint32_t tail = br * kBlock + fromStart_[last];
    if (Better(tail, best)) best = tail;
    if (br - bl > 1) {
        const std::uint32_t l = bl + 1, r = br - 1;
        std::uint32_t k = 0;
        while ((2u << k) <= r - l + 1) ++k;
        for (std::uint32_t candidate : {levels_[k][l], levels_[k][r + 1 - (1u << k)]})
            if (Better(candidate, best)) best = candidate;
    }
    return best;
}

void RankedIndex::PrefixRange(const char* word, std::uint32_t& first, std::uint32_t& last) const {
    first = last = 0;
    if (!built_ || !word) return;
    const std::uint32_t n = Size();
    const bool unicode = page_->IsUnicode();
    lowerWord_ = page_->Fold(word);
    const std::size_t m = lowerWord_.size();
    auto lo = [](std::uint32_t from, std::uint32_t to, auto before) {
        while (from < to) {
            std::uint32_t mid = from + (to - from) / 2;
            if (before(mid))
                from = mid + 1;
            else
                to = mid;
        }
        return from;
    };
    // The first key not below the word: among the samples (every kSample-th
    // key, kept together so that the search stays in a few cache lines),
    // then among the keys between two samples.
    const auto samples = static_cast<std::uint32_t>(sampleStarts_.size());
    auto below = [&](const char* key) { return page_->CompareNoCase(key, word) < 0; };
    std::uint32_t s =
        lo(0, samples, [&](std::uint32_t j) { return below(samples_.data() + sampleStarts_[j]); });
    std::uint32_t from = s == 0 ? 0 : (s - 1) * kSample + 1;
    std::uint32_t to = std::min(n, s * kSample);
    first = lo(from, to, [&](std::uint32_t i) { return below(Key(i)); });
    // From there, the keys whose lower-cased form begins with the word's: in
    // steps growing from 1, then halving, as most ranges are short.
    // In a UTF-8 library, a key not below the word begins with it when it
    // is below the word and a byte 0xFF (which no fold of well-formed text
    // holds, and which folds as itself).
    if (unicode) wordHigh_.assign(word).push_back('\xFF');
    auto begins = [&](std::uint32_t i) {
        std::uint32_t length = KeyLength(i);
        if (unicode && !AsciiStart(Key(i), std::min<std::size_t>(length, m + 1)))
            return page_->CompareNoCase(Key(i), wordHigh_.c_str()) < 0;
        if (length < m) return false;
        scratch_.assign(Key(i), std::min<std::size_t>(length, m + 1));
        page_->ToLower(scratch_.data());
        return scratch_.compare(0, m, lowerWord_) == 0;
    };
    std::uint32_t known = first, step = 1;  // keys before known begin with the word
    while (known < n && begins(known)) {
        known += 1;
        std::uint32_t probe = known + step - 1;
        if (probe >= n || !begins(probe)) {
            last = lo(known, std::min(n, probe), begins);
            return;
        }
        known = probe + 1;
        step *= 2;
    }
    last = known;
}

std::uint32_t RankedIndex::EqualEnd(const char* word, std::uint32_t first,
                                    std::uint32_t last) const {
    while (first < last && page_->CompareNoCase(Key(first), word) == 0) ++first;
    return first;
}

std::uint32_t RankedIndex::Find(const char* key, std::uint32_t length, std::uint32_t first,
                                std::uint32_t last) const {
    std::uint32_t from = first, to = last;
    while (from < to) {
        std::uint32_t mid = from + (to - from) / 2;
        if (Compare(Key(mid), KeyLength(mid), key, length) < 0)
            from = mid + 1;
        else
            to = mid;
    }
    return from < last && CompareBytes(Key(from), KeyLength(from), key, length) == 0 ? from : last;
}

std::uint64_t RankedIndex::Hash(const char* key, std::uint32_t length) {
    std::uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (std::uint32_t i = 0; i < length; ++i) {
        h ^= static_cast<unsigned char>(key[i]);
        h *= 1099511628211ull;
    }
    return h ^ (h >> 29);
}

bool RankedIndex::MayHold(std::uint64_t hash) const {
    if (filter_.empty()) return false;
    const std::size_t bits = filter_.size() * 8;
    for (std::uint64_t bit : {hash, hash >> 32})
        if (!(filter_[(bit & (bits - 1)) / 8] & (1u << (bit & 7)))) return false;
    return true;
}

std::size_t RankedIndex::MemoryBytes() const {
    std::size_t bytes =
        keys_.capacity() + filter_.capacity() + 4 * (offsets_.capacity() + weights_.capacity());
    for (const auto& level : levels_) bytes += 4 * level.capacity();
    bytes += fromStart_.capacity() + toEnd_.capacity() + samples_.capacity() +
             4 * sampleStarts_.capacity();
    return bytes;
}

void RankedWalk::Start(const RankedIndex* index, std::uint32_t first, std::uint32_t last) {
    index_ = index;
    heap_.clear();
    unweighted_ = false;
    first_ = first;
    last_ = last;
    if (!index || first >= last) {
        Stop();
        return;
    }
    Push(first, last - 1);
    Settle();
}

void RankedWalk::Push(std::uint32_t first, std::uint32_t last) {
    heap_.push_back({index_->Best(first, last), first, last});
    std::push_heap(heap_.begin(), heap_.end(), [this](const Range& a, const Range& b) {
        return index_->Better(b.best, a.best);
    });
}

// The head is the best weighted position left; once none is left, the
// unweighted ones follow in index order.
void RankedWalk::Settle() {
    if (unweighted_) return;
    if (!heap_.empty() && index_->HasWeight(heap_.front().best)) {
        current_ = heap_.front().best;
        return;
    }
    unweighted_ = true;
    heap_.clear();
    ScanUnweighted(first_);
}

void RankedWalk::ScanUnweighted(std::uint32_t from) {
    for (std::uint32_t i = from; i < last_; ++i) {
        if (!index_->HasWeight(i)) {
            current_ = i;
            return;
        }
    }
    Stop();
}

void RankedWalk::Advance() {
    if (Done()) return;
    if (unweighted_) {
        ScanUnweighted(current_ + 1);
        return;
    }
    std::pop_heap(heap_.begin(), heap_.end(), [this](const Range& a, const Range& b) {
        return index_->Better(b.best, a.best);
    });
    Range r = heap_.back();
    heap_.pop_back();
    if (r.first < r.best) Push(r.first, r.best - 1);
    if (r.best < r.last) Push(r.best + 1, r.last);
    Settle();
}

}  // namespace wl
