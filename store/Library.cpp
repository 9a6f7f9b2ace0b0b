#include "store/Library.h"

#include <db.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "store/Database.h"
#include "store/DbRecord.h"
#include "store/Scramble.h"

namespace wl {
namespace {

using namespace bdb;

constexpr char kWeightDatabase[] = "DBWEIGHT";

// A 32-bit info value as it lies in memory; a stored value of another length
// gives its first (at most 4) bytes, the rest zero.
void ReadInt(const DBT& value, std::int32_t& field) {
    std::uint32_t n = std::min<std::uint32_t>(value.size, sizeof field);
    field = 0;
    if (value.data && n) std::memcpy(&field, value.data, n);
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Single-byte, ASCII-only case-insensitive equality (_stricmp in the C
// locale).
bool EqualNoCaseAscii(const char* a, const char* b) {
    auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
    for (;; ++a, ++b) {
        int x = lower(static_cast<unsigned char>(*a));
        int y = lower(static_cast<unsigned char>(*b));
        if (x != y) return false;
        if (!x) return true;
    }
}

}  // namespace

Library::~Library() {
    Close();
}

int Library::Open(const char* path) {
    Close();
    if (!path || !*path) return 0;
    path_ = path;
    // A reused object must not lend its last file's info to a file without
    // info records (a fresh file would be written scrambled, say).
    type_ = Dictionary;
    editable_ = 1;
    scrambled_ = 0;
    encoding_ = EncodingCodePage;
    skippedInvalid_ = -1;
    if (!ReadInfo()) return 0;
    data_ = bdb::OpenDatabase(path_, "DBDATA");
    if (!data_) return 0;
    DBC* cursor = nullptr;
    if (data_->cursor(data_, nullptr, &cursor, 0) != 0) {
        bdb::CloseDatabase(data_);
        data_ = nullptr;
        return 0;
    }
    cursor_ = cursor;
    open_ = 1;
    return 1;
}

int Library::StillOnDisk(bool quick) const {
    return open_ && data_ && bdb::StillTheFile(data_, path_, !quick) ? 1 : 0;
}

void Library::Close() {
    if (weights_) bdb::CloseDatabase(weights_);
    weights_ = nullptr;
    if (data_ && open_) {
        cursor_->close(cursor_);
        bdb::CloseDatabase(data_);
    }
    data_ = nullptr;
    cursor_ = nullptr;
    open_ = 0;
    hasSearch_ = false;
    searchWord_.clear();
    storedWord_.clear();
    lowerWord_.clear();
    path_.clear();
    description_.clear();
    caption_.clear();
}

int Library::ReadInfo() {
    if (path_.empty()) return 0;
    DB* info = bdb::OpenDatabase(path_, "DBINFO");
    if (!info) return 0;
    auto get = [info](DBT key, DBT& value) {
        value = DBT{};
        return info->get(info, nullptr, &key, &value, 0) == 0;
    };
    DBT value;
    if (get(InfoKey(kInfoType), value)) ReadInt(value, type_);
    if (get(InfoKey(kInfoEdit), value)) ReadInt(value, editable_);
    if (get(InfoKey(kInfoScrambled), value)) ReadInt(value, scrambled_);
    if (get(InfoKey(kInfoEncoding), value)) {
        std::int32_t stored = 0;
        ReadInt(value, stored);
        encoding_ =
            value.size == sizeof stored && stored == EncodingUtf8 ? EncodingUtf8 : EncodingUnknown;
    }
    if (get(InfoKey(kInfoCaption), value))
        SetCaption(static_cast<const char*>(value.data), static_cast<int>(value.size));
    if (get(InfoKey(kInfoDescription), value))
        SetDescription(static_cast<const char*>(value.data), static_cast<int>(value.size));
    bdb::CloseDatabase(info);
    return 1;
}

void Library::SetEncoding(std::int32_t encoding) {
    if (IsReadOnly()) return;  // a record this program does not know stays as it is
    if (encoding == EncodingCodePage || encoding == EncodingUtf8) encoding_ = encoding;
}

int Library::WriteInfo() {
    if (path_.empty() || IsReadOnly()) return 0;
    DB* info = bdb::OpenDatabase(path_, "DBINFO");
    if (!info) return 0;
    bool ok = true;
    auto put = [&](DBT key, DBT value) {
        ok = info->put(info, nullptr, &key, &value, 0) == 0 && ok;
    };
    put(InfoKey(kInfoType), Bytes(&type_, sizeof type_));
    put(InfoKey(kInfoEdit), Bytes(&editable_, sizeof editable_));
    put(InfoKey(kInfoScrambled), Bytes(&scrambled_, sizeof scrambled_));
    put(InfoKey(kInfoCaption), Bytes(caption_.data(), caption_.size()));
    put(InfoKey(kInfoDescription), Bytes(description_.data(), description_.size()));
    if (encoding_ == EncodingUtf8) {
        put(InfoKey(kInfoEncoding), Bytes(&encoding_, sizeof encoding_));
    } else {
        DBT key = InfoKey(kInfoEncoding);
        int gone = info->del(info, nullptr, &key, 0);
        ok = (gone == 0 || gone == DB_NOTFOUND) && ok;
    }
    // The close writes the records to the file; a failure there loses them.
    ok = bdb::CloseDatabase(info) == 0 && ok;
    return ok ? 1 : 0;
}

const char* Library::GetCaption() {
    if (!caption_.empty()) return caption_.c_str();
    if (path_.empty()) return "UNKNOWN LIBRARY";
    shownCaption_ = FileNameOf(path_);
    return shownCaption_.c_str();
}

namespace {
void AssignText(std::string& field, const char* text, int length) {
    if (!text) {
        field.clear();
        return;
    }
    std::size_t n = length < 0
                        ? std::strlen(text)
                        : static_cast<std::size_t>(std::find(text, text + length, '\0') - text);
    field.assign(text, n);
}
}  // namespace

void Library::SetDescription(const char* text, int length) {
    AssignText(description_, text, length);
}

void Library::SetCaption(const char* text, int length) {
    AssignText(caption_, text, length);
}

bool Library::Deliverable(const void* key, std::uint32_t keyLength, const void* text,
                          std::uint32_t textLength) const {
    if (encoding_ != EncodingUtf8) return true;
    return IsUtf8({static_cast<const char*>(key), keyLength}) &&
           (!text || IsUtf8({static_cast<const char*>(text), textLength}));
}

int Library::PutBytes(const void* key, std::uint32_t keyLength, const void* text,
                      std::uint32_t textLength) {
    if (!open_ || !data_ || !key || keyLength == 0 || IsReadOnly()) return 0;
    if (!text) textLength = 0;
    if (!Deliverable(key, keyLength, text, textLength)) return 0;
    DBT k, d;
    if (scrambled_) {
        writeKey_.assign(static_cast<const char*>(key), keyLength);
        Scramble(writeKey_.data(), keyLength);
        writeText_.assign(static_cast<const char*>(text), textLength);
        Scramble(writeText_.data(), textLength);
        k = Bytes(writeKey_.data(), keyLength);
        d = Bytes(writeText_.data(), textLength);
    } else {
        k = Bytes(key, keyLength);
        d = Bytes(text, textLength);
    }
    return data_->put(data_, nullptr, &k, &d, 0) == 0 ? 1 : 0;
}

int Library::Flush() {
    if (!open_ || !data_) return 0;
    bool ok = data_->sync(data_, 0) == 0;
    if (weights_) ok = weights_->sync(weights_, 0) == 0 && ok;
    return ok ? 1 : 0;
}

int Library::DeleteBytes(const void* key, std::uint32_t keyLength) {
    if (!open_ || !data_ || !key || IsReadOnly()) return 0;
    DBT k;
    if (scrambled_) {
        writeKey_.assign(static_cast<const char*>(key), keyLength);
        Scramble(writeKey_.data(), keyLength);
        k = Bytes(writeKey_.data(), keyLength);
    } else {
        k = Bytes(key, keyLength);
    }
    return data_->del(data_, nullptr, &k, 0) == 0 ? 1 : 0;
}

int Library::Put(const LibraryEntry& entry) {
    return PutBytes(entry.key(), entry.keyLength(), entry.text(), entry.textLength());
}

int Library::Delete(const LibraryEntry& entry) {
    if (!DeleteBytes(entry.key(), entry.keyLength())) return 0;
    RemoveWeight(entry);
    return 1;
}

int Library::Replace(const LibraryEntry& oldEntry, const LibraryEntry& newEntry) {
    // An entry that cannot be stored does not cost the old one.
    if (!Deliverable(newEntry.key(), newEntry.keyLength(), newEntry.text(), newEntry.textLength()))
        return 0;
    std::uint32_t weight = 0;
    bool weighted = GetWeight(oldEntry, weight) != 0;
    if (!Delete(oldEntry)) return 0;
    if (!Put(newEntry)) return 0;
    if (weighted) PutWeightBytes(StoredForm(newEntry.key(), newEntry.keyLength()), weight);
    return 1;
}

int Library::Get(const char* key, std::uint32_t keyLength, LibraryEntry& entry) {
    entry.Clear();
    entry.type = type_;
    entry.encoding = encoding_;
    if (!open_ || !data_ || !key || keyLength == 0) return 0;
    std::string stored = StoredForm(key, keyLength);
    DBT k = Bytes(stored.data(), stored.size());
    DBT d{};
    if (data_->get(data_, nullptr, &k, &d, 0) != 0) return 0;
    entry.SetKey(key, keyLength);
    entry.SetText(d.data, d.size);
    if (scrambled_) Unscramble(entry.text(), entry.textLength());
    if (!Deliverable(entry.key(), entry.keyLength(), entry.text(), entry.textLength())) {
        entry.Clear();
        return 0;
    }
    return 1;
}

std::string Library::StoredForm(const void* key, std::uint32_t keyLength) const {
    std::string stored(static_cast<const char*>(key), keyLength);
    if (scrambled_) Scramble(stored.data(), stored.size());
    return stored;
}

// --- weights -------------------------------------------------------------

namespace {

// A weight record's value: 4 bytes, little-endian.  Any other length is no
// weight.
bool ReadWeight(const DBT& value, std::uint32_t& weight) {
    if (value.size != 4 || !value.data) return false;
    const auto* b = static_cast<const unsigned char*>(value.data);
    weight = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
             std::uint32_t{b[3]} << 24;
    return true;
}

// Berkeley DB's default order of keys: unsigned bytes, a prefix first.
int CompareStored(const void* a, std::size_t aLength, const void* b, std::size_t bLength) {
    int c = std::memcmp(a, b, std::min(aLength, bLength));
    if (c) return c;
    return aLength < bLength ? -1 : aLength > bLength ? 1 : 0;
}

}  // namespace

__db* Library::Weights(bool create) {
    if (weights_ || !open_ || path_.empty()) return weights_;
    weights_ = bdb::OpenDatabase(path_, kWeightDatabase, create);
    return weights_;
}

int Library::PutWeightBytes(const std::string& storedKey, std::uint32_t weight) {
    if (IsReadOnly()) return 0;
    DB* db = Weights(true);
    if (!db || storedKey.empty()) return 0;
    unsigned char bytes[4] = {
        static_cast<unsigned char>(weight), static_cast<unsigned char>(weight >> 8),
        static_cast<unsigned char>(weight >> 16), static_cast<unsigned char>(weight >> 24)};
    DBT k = Bytes(storedKey.data(), storedKey.size());
    DBT v = Bytes(bytes, sizeof bytes);
    return db->put(db, nullptr, &k, &v, 0) == 0 ? 1 : 0;
}

int Library::GetWeight(const LibraryEntry& entry, std::uint32_t& weight) {
    if (!open_ || !entry.key() || entry.keyLength() == 0) return 0;
    DB* db = Weights(false);
    if (!db) return 0;
    std::string stored = StoredForm(entry.key(), entry.keyLength());
    DBT k = Bytes(stored.data(), stored.size());
    DBT v{};
    return db->get(db, nullptr, &k, &v, 0) == 0 && ReadWeight(v, weight) ? 1 : 0;
}

int Library::SetWeight(const LibraryEntry& entry, std::uint32_t weight) {
    if (!open_ || !data_ || !entry.key() || entry.keyLength() == 0) return 0;
    std::string stored = StoredForm(entry.key(), entry.keyLength());
    DBT k = Bytes(stored.data(), stored.size());
    DBT d{};
    d.flags = DB_DBT_PARTIAL;  // only whether it is there
    if (data_->get(data_, nullptr, &k, &d, 0) != 0) return 0;
    return PutWeightBytes(stored, weight);
}

int Library::RemoveWeight(const LibraryEntry& entry) {
    if (!open_ || !entry.key() || entry.keyLength() == 0 || IsReadOnly()) return 0;
    DB* db = Weights(false);
    if (!db) return 0;
    std::string stored = StoredForm(entry.key(), entry.keyLength());
    DBT k = Bytes(stored.data(), stored.size());
    return db->del(db, nullptr, &k, 0) == 0 ? 1 : 0;
}

int Library::ClearWeights() {
    if (!open_ || IsReadOnly()) return 0;
    DB* db = Weights(false);
    if (!db) return 1;  // none to clear
    u_int32_t removed = 0;
    return db->truncate(db, nullptr, &removed, 0) == 0 ? 1 : 0;
}

std::int32_t Library::CountWeights() {
    std::int32_t n = 0;
    ForEachKey([&n](const KeyInfo& info) {
        if (info.weighted) ++n;
        return true;
    });
    return n;
}

// A walk through every key would leave every page of the file in the shared
// cache, where most of them would go unused: while the file is still the one
// open, it reads through handles of its own (the shared handles' changes
// written out first); otherwise, or when those cannot be had, through the
// shared handles.
int Library::ForEachKey(const KeyVisitor& visit) {
    if (!open_ || !data_ || IsReadOnly()) return 0;
    DB* weightDb = Weights(false);
    DB* data =
        bdb::StillTheFile(data_, path_, true) ? bdb::OpenForScan(path_, "DBDATA", data_) : nullptr;
    DB* weights = data && weightDb ? bdb::OpenForScan(path_, kWeightDatabase, weightDb) : nullptr;
    if (data && weightDb && !weights) {
        bdb::CloseDatabase(data);
        data = nullptr;
    }
    if (!data) return WalkKeys(data_, weightDb, visit);
    int result = WalkKeys(data, weights, visit);
    if (weights) bdb::CloseDatabase(weights);
    bdb::CloseDatabase(data);
    return result;
}

// Walks "DBDATA" and "DBWEIGHT" side by side: both hold the same stored keys
// in the same order.  Of each text only its first byte is read (a partial
// get), to tell an empty one.
int Library::WalkKeys(__db* data, __db* weightDb, const KeyVisitor& visit) {
    DBC* keys = nullptr;
    if (data->cursor(data, nullptr, &keys, 0) != 0) return 0;
    DBC* weights = nullptr;
    if (weightDb && weightDb->cursor(weightDb, nullptr, &weights, 0) != 0) weights = nullptr;
    DBT wk{}, wv{};
    bool weightsLeft = weights && weights->get(weights, &wk, &wv, DB_FIRST) == 0;
    std::string plain, text;
    int result = 1;
    // A UTF-8 library's texts are read whole, to be checked.
    const bool check = encoding_ == EncodingUtf8;
    std::int32_t skipped = 0;
    bool whole = false;
    for (;;) {
        DBT k{}, d{};
        if (!check) {
            d.flags = DB_DBT_PARTIAL;
            d.dlen = 1;
        }
        int got = keys->get(keys, &k, &d, DB_NEXT);
        if (got != 0) {
            if (got != DB_NOTFOUND) result = 0;
            whole = got == DB_NOTFOUND;
            break;
        }
        // The weights cursor catches up with the key (records of keys that
        // are not stored are passed over).
        while (weightsLeft && CompareStored(wk.data, wk.size, k.data, k.size) < 0) {
            wk = DBT{};
            wv = DBT{};
            weightsLeft = weights->get(weights, &wk, &wv, DB_NEXT) == 0;
        }
        std::uint32_t weight = 0;
        bool weighted = weightsLeft && CompareStored(wk.data, wk.size, k.data, k.size) == 0 &&
                        ReadWeight(wv, weight);
        plain.assign(static_cast<const char*>(k.data), k.size);
        if (scrambled_) Unscramble(plain.data(), plain.size());
        if (check) {
            text.assign(static_cast<const char*>(d.data), d.size);
            if (scrambled_) Unscramble(text.data(), text.size());
            if (!Deliverable(plain.data(), k.size, text.data(), d.size)) {
                ++skipped;
                continue;
            }
        }
        if (!visit(KeyInfo{plain.data(), static_cast<std::uint32_t>(plain.size()), weighted, weight,
                           d.size != 0}))
            break;
    }
    if (weights) weights->close(weights);
    keys->close(keys);
    if (whole) skippedInvalid_ = skipped;
    return result;
}

std::int32_t Library::SkippedInvalid() {
    if (encoding_ != EncodingUtf8) return 0;
    if (skippedInvalid_ < 0) ForEachKey([](const KeyInfo&) { return true; });
    return std::max<std::int32_t>(skippedInvalid_, 0);
}

bool Library::ParseWeight(const char* text, std::size_t length, std::uint32_t& weight) {
    if (!text || length == 0) return false;
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return false;
        value =
            std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(c - '0'), UINT32_MAX);
    }
    weight = static_cast<std::uint32_t>(value);
    return true;
}

std::int32_t Library::Count() {
    if (!open_ || !data_) return 0;
    DB_BTREE_STAT* stat = nullptr;
    if (data_->stat(data_, nullptr, &stat, 0) != 0 || !stat) return 0;
    auto n = static_cast<std::int32_t>(stat->bt_nkeys);
    std::free(stat);
    return n;
}

int Library::Search(const char* word, LibraryEntry& entry, int mode) {
    matchMode_ = mode;
    searchWord_ = word ? word : "";
    hasSearch_ = true;
    storedWord_ = searchWord_;
    if (scrambled_) Scramble(storedWord_.data(), storedWord_.size());
    lowerWord_ = codePage().Fold(searchWord_);
    cursorEnded_ = false;
    return Walk(entry, DB_SET_RANGE);
}

int Library::SearchExact(const char* word, LibraryEntry& entry, int mode) {
    if (Search(word, entry, mode) && entry.key() &&
        (encoding_ == EncodingUtf8 ? Utf8Page().CompareNoCase(searchWord_.c_str(), entry.key()) == 0
                                   : EqualNoCaseAscii(searchWord_.c_str(), entry.key())))
        return 1;
    // Every key contains the empty word: Next goes on with the keys that
    // follow.
    searchWord_.clear();
    storedWord_.clear();
    lowerWord_.clear();
    return 0;
}

int Library::Next(LibraryEntry& entry) {
    return Walk(entry, DB_NEXT);
}

bool Library::Accepts(std::size_t pos, std::size_t storedLength) const {
    std::size_t n = lowerWord_.size();
    if (matchMode_ == MATCH_ANY) return true;
    if (matchMode_ & MATCH_PREFIX) return pos == 0;
    if (matchMode_ & MATCH_INSIDE) return pos != 0 && pos + n != storedLength;
    if (matchMode_ & MATCH_SUFFIX) return pos + n == storedLength;
    return false;
}

// The cursor walk.  Positioning is on the stored bytes (scrambled in a
// scrambled library); containment and the match filter look at the plain
// key up to its first NUL byte, lower-cased, against the lower-cased word
// (in a UTF-8 library both folded, and the filter takes the folded key's
// length; a record that is not well-formed UTF-8 is passed over).
// Judging scrambled bytes instead would cut words and keys at every "m"
// (which scrambles to a zero byte) and take unrelated letters for the two
// cases of one letter.
int Library::Walk(LibraryEntry& entry, std::uint32_t positioning) {
    entry.Clear();
    entry.type = type_;
    entry.encoding = encoding_;
    if (!hasSearch_ || !cursor_ || !data_ || IsReadOnly()) return 0;
    // A cursor that ran off the end stays there; Berkeley DB would start a
    // never-placed cursor again at the first key.
    if (positioning == DB_NEXT && cursorEnded_) return 0;
    DBT key = Bytes(storedWord_.data(), storedWord_.size());
    DBT data{};
    // A UTF-8 library's record is delivered only when well-formed.
    auto deliverable = [&] {
        if (encoding_ != EncodingUtf8) return true;
        if (!scrambled_) return Deliverable(key.data, key.size, data.data, data.size);
        writeKey_.assign(static_cast<const char*>(key.data), key.size);
        writeText_.assign(static_cast<const char*>(data.data), data.size);
        Unscramble(writeKey_.data(), writeKey_.size());
        Unscramble(writeText_.data(), writeText_.size());
        return Deliverable(writeKey_.data(), key.size, writeText_.data(), data.size);
    };
    int result = cursor_->get(cursor_, &key, &data, positioning);
    for (;;) {
        if (result != 0) {
            cursorEnded_ = true;
            return 0;
        }
        keyScratch_.assign(static_cast<const char*>(key.data), key.size);
        if (scrambled_) Unscramble(keyScratch_.data(), keyScratch_.size());
        std::size_t nul = keyScratch_.find('\0');
        if (nul != std::string::npos) keyScratch_.resize(nul);
        std::size_t length = key.size;
        if (encoding_ != EncodingUtf8) {
            codePage_.ToLower(keyScratch_.data());
        } else if (IsAscii(keyScratch_)) {
            Utf8Page().ToLower(keyScratch_.data());  // the fold of ASCII
            length = keyScratch_.size();
        } else {
            keyScratch_ = Utf8Page().Fold(keyScratch_);
            length = keyScratch_.size();
        }
        std::size_t pos = keyScratch_.find(lowerWord_);
        if (pos == std::string::npos) return 0;
        if (Accepts(pos, length) && deliverable()) break;
        key = DBT{};
        data = DBT{};
        result = cursor_->get(cursor_, &key, &data, DB_NEXT);
    }
    entry.SetKey(key.data, key.size);
    entry.SetText(data.data, data.size);
    if (scrambled_) {
        Unscramble(entry.text(), entry.textLength());
        Unscramble(entry.key(), entry.keyLength());
    }
    return 1;
}

}  // namespace wl
