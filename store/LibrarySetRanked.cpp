// The ranked ("smart") lookup of LibrarySet: see FindFirstRanked.
#include "platform/CodePage.h"
#include "store/LibrarySet.h"

namespace wl {
namespace {

bool EligibleType(std::int32_t type, std::int32_t dictionaryEnabled,
                  std::int32_t shorthandEnabled) {
    if (type == Dictionary) return dictionaryEnabled != 0;
    if (type == Shorthand) return shorthandEnabled != 0;
    return true;
}

}  // namespace

void LibrarySet::PrepareRanked() {
    if (ranked_.indexes.size() != static_cast<std::size_t>(count_)) ranked_.Reset(count_);
    for (int i = 0; i < count_; ++i) {
        RankedIndex& index = ranked_.indexes[static_cast<std::size_t>(i)];
        if (libraries_[i].IsOpen() && !index.Built())
            index.Build(libraries_[i], libraries_[i].codePage());
    }
}

std::size_t LibrarySet::RankedBytes() const {
    std::size_t bytes = 0;
    for (const RankedIndex& index : ranked_.indexes) bytes += index.MemoryBytes();
    return bytes;
}

int LibrarySet::FindFirstRanked(const char* word, LibraryEntry& entry, int dictionaryEnabled,
                                int shorthandEnabled) {
    const char* codePageWord = word ? word : "";
    std::string utf8;
    if (!Recode(codePageWord, EncodingCodePage, EncodingUtf8, utf8)) utf8.clear();
    return FindFirstRanked(TypedWord{codePageWord, utf8.c_str()}, entry, dictionaryEnabled,
                           shorthandEnabled);
}

int LibrarySet::FindFirstRanked(const TypedWord& word, LibraryEntry& entry, int dictionaryEnabled,
                                int shorthandEnabled) {
    RankedLookup& r = ranked_;
    if (r.indexes.size() != static_cast<std::size_t>(count_)) r.Reset(count_);
    r.dictionaryEnabled = dictionaryEnabled;
    r.shorthandEnabled = shorthandEnabled;
    r.delivered.clear();
    r.active = true;
    const std::string codePageWord = word.codePage ? Normalize(word.codePage) : std::string();
    const std::string utf8Word = word.utf8 ? Normalize(word.utf8) : std::string();
    for (int i = 0; i < count_; ++i) {
        const auto k = static_cast<std::size_t>(i);
        r.walks[k].Stop();
        r.taking[k] = 0;
        r.first[k] = r.last[k] = r.equalNext[k] = r.equalEnd[k] = 0;
        RankedIndex& index = r.indexes[k];
        if (!StillLoaded(i, false)) {
            index.Clear();  // closed: it offers nothing until the next Load
            continue;
        }
        const std::int32_t type = libraries_[i].GetType();
        if (!EligibleType(type, dictionaryEnabled, shorthandEnabled)) continue;
        const char* w = WordFor(i, word.codePage ? &codePageWord : nullptr, &utf8Word);
        if (!w) continue;
        if (!index.Built() && !index.Build(libraries_[i], libraries_[i].codePage())) continue;
        index.PrefixRange(w, r.first[k], r.last[k]);
        r.taking[k] = 1;
        r.walks[k].Start(&index, r.first[k], r.last[k]);
        if (type == Shorthand) {
            r.equalNext[k] = r.first[k];
            r.equalEnd[k] = index.EqualEnd(w, r.first[k], r.last[k]);
        }
    }
    return FindNextRanked(entry);
}

int LibrarySet::FindRankedKey(const char* key, LibraryEntry& entry) {
    if (!key || !*key) return 0;
    std::string utf8;
    if (!Recode(key, EncodingCodePage, EncodingUtf8, utf8)) utf8.clear();
    return FindRankedKey(TypedWord{key, utf8.c_str()}, entry);
}

int LibrarySet::FindRankedKey(const TypedWord& key, LibraryEntry& entry) {
    RankedLookup& r = ranked_;
    if (r.indexes.size() != static_cast<std::size_t>(count_)) return 0;
    const std::string codePageKey = key.codePage ? key.codePage : "";
    const std::string utf8Key = key.utf8 ? key.utf8 : "";
    int library = -1;
    std::uint32_t position = 0;
    std::uint64_t bestRank = 0;
    for (int i = 0; i < count_; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (!r.taking[k] || libraries_[i].GetType() != Dictionary) continue;
        const char* w = WordFor(i, codePageKey.empty() ? nullptr : &codePageKey, &utf8Key);
        if (!w) continue;
        const RankedIndex& index = r.indexes[k];
        std::uint32_t first = 0, last = 0;
        index.PrefixRange(w, first, last);
        // Of equal ranks the later library's, as the lookup orders them.
        for (std::uint32_t at = first, end = index.EqualEnd(w, first, last); at < end; ++at) {
            const std::uint64_t rank = index.Rank(at);
            if (library < 0 || rank > bestRank || (rank == bestRank && i != library)) {
                library = i;
                position = at;
                bestRank = rank;
            }
        }
    }
    return library >= 0 && DeliverRanked(library, position, entry) ? 1 : 0;
}

// Whether library a's head comes before library b's: the higher rank, then
// the merge order (the code page's case-insensitive order, or the folded
// UTF-8 forms'), then the later library.
bool LibrarySet::RankedAhead(int a, int b) const {
    const auto ka = static_cast<std::size_t>(a), kb = static_cast<std::size_t>(b);
    const RankedIndex& x = ranked_.indexes[ka];
    const RankedIndex& y = ranked_.indexes[kb];
    const std::uint32_t i = ranked_.walks[ka].Current(), j = ranked_.walks[kb].Current();
    const std::uint64_t ri = x.Rank(i), rj = y.Rank(j);
    if (ri != rj) return ri > rj;
    int c =
        MergeCompare(x.Key(i), libraries_[a].GetEncoding(), y.Key(j), libraries_[b].GetEncoding());
    if (c != 0) return c < 0;
    return a > b;
}

int LibrarySet::FindNextRanked(LibraryEntry& entry) {
    RankedLookup& r = ranked_;
    if (!r.active) return 0;
    for (;;) {
        int library = -1;
        std::uint32_t position = 0;
        // The Shorthand keys equal to the word, the later library first.
        for (int i = count_ - 1; i >= 0 && library < 0; --i) {
            const auto k = static_cast<std::size_t>(i);
            if (r.equalNext[k] < r.equalEnd[k]) {
                library = i;
                position = r.equalNext[k]++;
            }
        }
        if (library < 0) {
            for (int i = 0; i < count_; ++i)
                if (!r.walks[static_cast<std::size_t>(i)].Done() &&
                    (library < 0 || RankedAhead(i, library)))
                    library = i;
            if (library < 0) {
                r.active = false;
                return 0;
            }
            RankedWalk& walk = r.walks[static_cast<std::size_t>(library)];
            position = walk.Current();
            walk.Advance();
        }
        if (DeliverRanked(library, position, entry)) return 1;
    }
}

// Delivers the key at position of library's index, unless a key of that
// type was given already, with the text of the latest library of that type
// that holds the same key (in its own encoding: the same text).  False when
// there is nothing to deliver.
bool LibrarySet::DeliverRanked(int library, std::uint32_t position, LibraryEntry& entry) {
    RankedLookup& r = ranked_;
    const RankedIndex& index = r.indexes[static_cast<std::size_t>(library)];
    const std::int32_t type = libraries_[library].GetType();
    const std::int32_t encoding = libraries_[library].GetEncoding();
    // The index stays as it is until the next lookup, also if its library
    // closes meanwhile: the key can be read from it here.
    const std::string found(index.Key(position), index.KeyLength(position));
    // One key of both encodings is one candidate: known by its UTF-8 form
    // where it has one.
    std::string id(reinterpret_cast<const char*>(&type), sizeof type);
    std::string utf8;
    if (unicode_ && encoding == EncodingUtf8)
        id += found;
    else if (unicode_ && Recode(found, encoding, EncodingUtf8, utf8))
        id += utf8;
    else
        id.append(1, encoding == EncodingUtf8 ? 'u' : 'c').append(found);
    if (!r.delivered.insert(id).second) return false;
    std::string key;
    for (int j = count_ - 1; j >= library; --j) {
        const auto k = static_cast<std::size_t>(j);
        if (!r.taking[k] || libraries_[j].GetType() != type) continue;
        std::uint32_t at = position;
        const std::int32_t its = libraries_[j].GetEncoding();
        if (its == encoding)
            key = found;
        else if (!Recode(found, encoding, its, key))
            continue;
        const auto length = static_cast<std::uint32_t>(key.size());
        if (j != library) {
            const RankedIndex& other = r.indexes[k];
            if (!other.MayHold(RankedIndex::Hash(key.data(), length))) continue;
            at = other.Find(key.data(), length, r.first[k], r.last[k]);
            if (at == r.last[k]) continue;
        }
        if (!StillLoaded(j, true)) {
            // Its file was deleted or replaced: it offers nothing more.
            r.taking[k] = 0;
            r.walks[k].Stop();
            r.equalNext[k] = r.equalEnd[k];
            continue;
        }
        // An empty text is not read from the file.
        if (!r.indexes[k].HasText(at)) {
            entry.Clear();
            entry.SetKey(key.data(), length);
            entry.SetText("", 0);
            entry.type = type;
            entry.encoding = its;
            entry.probability = index.Probability(position);
            entry.weight = index.HasWeight(position) ? index.Weight(position) : 0;
            return true;
        }
        if (libraries_[j].Get(key.data(), length, entry)) {
            entry.type = type;
            entry.encoding = its;
            entry.probability = index.Probability(position);
            entry.weight = index.HasWeight(position) ? index.Weight(position) : 0;
            return true;
        }
    }
    return false;
}

}  // namespace wl
