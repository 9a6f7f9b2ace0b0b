#include "store/LibraryContextModel.h"

#include <db.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "store/ContextData.h"
#include "store/Database.h"
#include "store/DbRecord.h"

namespace wl {

namespace cd = context_data;

using bdb::Bytes;

LibraryContextModel::~LibraryContextModel() {
    Close();
}

void LibraryContextModel::Close() {
    if (db_) bdb::CloseDatabase(db_);
    db_ = nullptr;
    words_ = {};
    starts_ = {};
    values_ = {};
    record_ = {};
}

bool LibraryContextModel::ReadRecord(const std::string& key, std::string& value) const {
    DBT k = Bytes(key.data(), key.size());
    DBT v{};
    if (!db_ || db_->get(db_, nullptr, &k, &v, 0) != 0) return false;
    value.assign(static_cast<const char*>(v.data), v.size);
    return true;
}

bool LibraryContextModel::Open(const std::string& path, bool unicode) {
    Close();
    unicode_ = unicode;
    db_ = bdb::OpenForScan(path, cd::kDatabase, nullptr);
    if (!db_) return false;
    std::string words, values;
    bool ok = ReadRecord(cd::kWordsKey, words) && ReadRecord(cd::kValuesKey, values) &&
              values.size() % 4 == 0 && values.size() / 4 <= cd::kMaxValues &&
              (words.empty() || words.back() == '\0');
    // The words: none empty, each after the one before in byte order.
    for (std::size_t at = 0; ok && at < words.size();) {
        const std::size_t end = words.find('\0', at);
        const std::string_view word(words.data() + at, end - at);
        ok = !word.empty() &&
             (starts_.empty() || std::string_view(words.data() + starts_.back()) < word);
        starts_.push_back(static_cast<std::uint32_t>(at));
        at = end + 1;
    }
    for (std::size_t at = 0; ok && at < values.size(); at += 4) {
        const auto* b = reinterpret_cast<const unsigned char*>(values.data() + at);
        const std::uint32_t bits = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 |
                                   std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
        float value;
        std::memcpy(&value, &bits, sizeof value);
        ok = std::isfinite(value);
        values_.push_back(value);
    }
    if (!ok || starts_.size() >= kNoWord) {
        Close();
        return false;
    }
    words_.assign(words.begin(), words.end());
    return true;
}

ContextModel::WordId LibraryContextModel::Id(std::string_view word) const {
    WordId first = 0, last = 0;
    PrefixRange(word, first, last);
    // The word itself comes first among the words it begins.
    return first < last && Word(first) == word ? first : kNoWord;
}

std::string_view LibraryContextModel::Word(WordId id) const {
    if (id >= starts_.size()) return {};
    return std::string_view(words_.data() + starts_[id]);
}

void LibraryContextModel::PrefixRange(std::string_view prefix, WordId& first, WordId& last) const {
    const auto n = static_cast<WordId>(starts_.size());
    auto below = [&](WordId id, bool orEqual) {
        // Whether the word's first prefix.size() bytes come before the prefix
        // (or, with orEqual, are not after it).
        const std::string_view word = Word(id).substr(0, prefix.size());
        const int c = word.compare(prefix);
        return orEqual ? c <= 0 : c < 0;
    };
    // The first word from lo on that is not below (a binary search: the
    // words are in byte order).
    auto firstNotBelow = [&](WordId lo, bool orEqual) {
        WordId hi = n;
        while (lo < hi) {
            const WordId mid = lo + (hi - lo) / 2;
            if (below(mid, orEqual))
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    };
    first = firstNotBelow(0, false);
    last = firstNotBelow(first, true);
}

bool LibraryContextModel::Lookup(const WordId* context, std::size_t words,
                                 std::vector<Entry>& entries, float& backoff) const {
    entries.clear();
    backoff = 0;
    if (!db_ || !context || words < 1 || words > 2) return false;
    for (std::size_t i = 0; i < words; ++i)
        if (context[i] >= starts_.size()) return false;
    const std::string key = cd::ContextKey(context, words);
    DBT k = Bytes(key.data(), key.size());
    if (record_.empty()) record_.resize(4096);
    for (;;) {
        DBT v{};
        v.data = record_.data();
        v.ulen = static_cast<u_int32_t>(record_.size());
        v.flags = DB_DBT_USERMEM;
        const int got = db_->get(db_, nullptr, &k, &v, 0);
        if (got == DB_BUFFER_SMALL && v.size > record_.size()) {
            record_.resize(v.size);
            continue;
        }
        if (got != 0 || v.size > record_.size()) return false;
        return Decode(record_.data(), record_.data() + v.size, entries, backoff);
    }
}

bool LibraryContextModel::Decode(const unsigned char* at, const unsigned char* end,
                                 std::vector<Entry>& entries, float& backoff) const {
    const auto count = static_cast<std::uint64_t>(starts_.size());
    std::uint32_t index = 0;
    bool ok = cd::ReadIndex(at, end, index) && index < values_.size();
    const float weight = ok ? values_[index] : 0.0f;
    std::uint64_t word = 0;  // the next number an entry may have
    while (ok && at < end) {
        std::uint32_t step = 0;
        ok = cd::ReadNumber(at, end, step) && step > 0 && word + step - 1 < count &&
             cd::ReadIndex(at, end, index) && index < values_.size();
        if (!ok) break;
        word += step;
        entries.push_back({static_cast<WordId>(word - 1), values_[index]});
    }
    if (!ok) {
        entries.clear();
        return false;
    }
    backoff = weight;
    return true;
}

bool LibraryContextModel::Count(Totals& totals) const {
    totals = Totals{};
    DBC* cursor = nullptr;
    if (!db_ || db_->cursor(db_, nullptr, &cursor, 0) != 0) return false;
    std::vector<Entry> entries;
    float backoff = 0;
    int got;
    for (;;) {
        DBT k{}, v{};
        got = cursor->get(cursor, &k, &v, DB_NEXT);
        if (got != 0) break;
        totals.bytes += std::uint64_t{k.size} + v.size;
        const std::size_t words = k.size / 4;
        if (k.size % 4 != 0 || words < 1 || words > 2) continue;
        const auto* data = static_cast<const unsigned char*>(v.data);
        std::vector<WordId> context(words);
        bool known = true;
        for (std::size_t i = 0; i < words; ++i) {
            const auto* b = static_cast<const unsigned char*>(k.data) + 4 * i;
            context[i] = std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 |
                         std::uint32_t{b[2]} << 8 | b[3];
            known = known && context[i] < starts_.size();
        }
        entries.clear();
        if (!known || !Decode(data, data + v.size, entries, backoff)) continue;
        ++totals.contexts[words - 1];
        totals.entries[words - 1] += entries.size();
    }
    cursor->close(cursor);
    DB_BTREE_STAT* stat = nullptr;
    if (got != DB_NOTFOUND || db_->stat(db_, nullptr, &stat, 0) != 0 || !stat) return false;
    // Its pages, and the one that describes it.
    totals.diskBytes = std::uint64_t{stat->bt_pagesize} *
                       (std::uint64_t{stat->bt_int_pg} + stat->bt_leaf_pg + stat->bt_dup_pg +
                        stat->bt_over_pg + stat->bt_empty_pg + 1);
    std::free(stat);
    return true;
}

}  // namespace wl
