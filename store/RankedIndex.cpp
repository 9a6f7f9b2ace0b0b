#include "store/RankedIndex.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "store/Library.h"

namespace wl {

namespace {

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
    levels_ = {};
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
    std::vector<bool> weighted;
    bool fits = true;
    int ok =
        library.ForEachKey([&](const char* key, std::uint32_t length, const std::uint32_t* weight) {
            if (raw.size() + length + 1 >= kWeighted) {
                fits = false;
                return false;
            }
            starts.push_back(static_cast<std::uint32_t>(raw.size()));
            raw.insert(raw.end(), key, key + length);
            raw.push_back('\0');
            weights.push_back(weight ? *weight : 0);
            weighted.push_back(weight != nullptr);
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
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return Compare(raw.data() + starts[a], length(a), raw.data() + starts[b], length(b)) < 0;
    });

    keys_.reserve(raw.size());
    offsets_.reserve(std::size_t{n} + 1);
    weights_.reserve(n);
    for (std::uint32_t i : order) {
        auto start = static_cast<std::uint32_t>(keys_.size());
        offsets_.push_back(start | (weighted[i] ? kWeighted : 0));
        weights_.push_back(weights[i]);
        keys_.insert(keys_.end(), raw.data() + starts[i], raw.data() + starts[i + 1]);
    }
    offsets_.push_back(static_cast<std::uint32_t>(keys_.size()));

    // The best position of every block, then of every run of 2, 4, ...
    // blocks.
    const std::uint32_t blocks = (n + kBlock - 1) / kBlock;
    if (blocks) {
        levels_.emplace_back(blocks);
        for (std::uint32_t b = 0; b < blocks; ++b)
            levels_[0][b] = ScanBest(b * kBlock, std::min(n, (b + 1) * kBlock) - 1);
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
    if (bl == br) return ScanBest(first, last);
    std::uint32_t best = ScanBest(first, bl * kBlock + kBlock - 1);
    std::uint32_t tail = ScanBest(br * kBlock, last);
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
    lowerWord_ = word;
    page_->ToLower(lowerWord_.data());
    const std::size_t m = lowerWord_.size();
    auto lo = [&](std::uint32_t from, std::uint32_t to, auto before) {
        while (from < to) {
            std::uint32_t mid = from + (to - from) / 2;
            if (before(mid))
                from = mid + 1;
            else
                to = mid;
        }
        return from;
    };
    first = lo(0, n, [&](std::uint32_t i) { return page_->CompareNoCase(Key(i), word) < 0; });
    // From there, the keys whose lower-cased form begins with the word's.
    last = lo(first, n, [&](std::uint32_t i) {
        std::uint32_t length = KeyLength(i);
        if (length < m) return false;
        scratch_.assign(Key(i), std::min<std::size_t>(length, m + 1));
        page_->ToLower(scratch_.data());
        return scratch_.compare(0, m, lowerWord_) == 0;
    });
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

std::size_t RankedIndex::MemoryBytes() const {
    std::size_t bytes = keys_.capacity() + 4 * (offsets_.capacity() + weights_.capacity());
    for (const auto& level : levels_) bytes += 4 * level.capacity();
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
