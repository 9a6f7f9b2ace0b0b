// ConvertToUnicode: a code-page library rewritten as UTF-8 beside itself and
// put in its place when whole.
//
// The context data's words are numbered by their place in byte order, and
// UTF-8 orders characters beyond ASCII otherwise than a code page does: the
// converted words are folded as a Unicode library's lookups fold, sorted
// again, and every context record is rewritten with the new numbers (its
// entries in their new order).  Words that fold alike become one word: its
// records are the last of theirs written, its entries in a record the
// first (a code page's "straße" and "strasse" only).  The values are
// kept as they are.  A context record that breaks the rules of
// store/ContextData.h counts as none there, and is not carried over.
#include "store/LibraryConvert.h"

#include <db.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "store/ContextData.h"
#include "store/Database.h"
#include "store/DbRecord.h"
#include "store/Library.h"

namespace wl {
namespace {

namespace cd = context_data;

using bdb::Bytes;
using bdb::kInfoCaption;
using bdb::kInfoDescription;

// Text for a message: ASCII as it is, every other byte as \xNN.
std::string Shown(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F) {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

// Closes a handle of Database.h when it goes.
struct Handle {
    DB* db = nullptr;
    ~Handle() {
        if (db) bdb::CloseDatabase(db);
    }
    // Closes now; false when writing the file failed.
    bool Close() {
        DB* d = std::exchange(db, nullptr);
        return !d || bdb::CloseDatabase(d) == 0;
    }
};

// Calls take(key, value) for every record of the database until it answers
// false; false when the walk failed.
template <typename Take>
bool EachRecord(DB* db, const Take& take) {
    DBC* cursor = nullptr;
    if (db->cursor(db, nullptr, &cursor, 0) != 0) return false;
    int got;
    for (;;) {
        DBT k{}, v{};
        got = cursor->get(cursor, &k, &v, DB_NEXT);
        if (got != 0 || !take(bdb::View(k), bdb::View(v))) break;
    }
    cursor->close(cursor);
    return got == 0 || got == DB_NOTFOUND;
}

bool Put(DB* db, std::string_view key, std::string_view value) {
    DBT k = Bytes(key.data(), key.size()), v = Bytes(value.data(), value.size());
    return db->put(db, nullptr, &k, &v, 0) == 0;
}

// The info records, the caption and description converted.
bool CopyInfo(const std::string& from, const std::string& to, const CodePage& page,
              std::string& error) {
    Handle source{bdb::OpenDatabase(from, "DBINFO", false)};
    Handle target{bdb::OpenDatabase(to, "DBINFO")};
    if (!source.db || !target.db) {
        error = "cannot read the library's info";
        return false;
    }
    std::string converted;
    bool ok = EachRecord(source.db, [&](std::string_view key, std::string_view value) {
        std::string_view out = value;
        const bool text = key == std::string_view(kInfoCaption, sizeof kInfoCaption) ||
                          key == std::string_view(kInfoDescription, sizeof kInfoDescription);
        if (text) {
            if (!page.ToUtf8(value, converted)) {
                error = std::string(key == std::string_view(kInfoCaption, sizeof kInfoCaption)
                                        ? "the caption"
                                        : "the description") +
                        " holds a character the code page does not define";
                return false;
            }
            out = converted;
        }
        if (!Put(target.db, key, out)) {
            error = "cannot write the copy";
            return false;
        }
        return true;
    });
    if (ok && !error.empty()) ok = false;
    if (!ok && error.empty()) error = "cannot read the library's info";
    return target.Close() && ok;
}

// The word numbers of a context key (4 bytes each, big-endian).
bool ContextWords(std::string_view key, std::uint32_t (&words)[2], std::size_t& count) {
    if (key.size() != 4 && key.size() != 8) return false;
    count = key.size() / 4;
    for (std::size_t i = 0; i < count; ++i) {
        words[i] = 0;
        for (std::size_t b = 0; b < 4; ++b)
            words[i] = words[i] << 8 | static_cast<unsigned char>(key[4 * i + b]);
    }
    return true;
}

// A context record with its word numbers mapped; false when it breaks the
// rules (then it is not carried over).
bool MapContext(std::string_view value, const std::vector<std::uint32_t>& number,
                std::string& out) {
    const auto* at = reinterpret_cast<const unsigned char*>(value.data());
    const auto* end = at + value.size();
    std::uint32_t backoff = 0;
    if (!cd::ReadIndex(at, end, backoff)) return false;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;  // word, value index
    std::uint64_t word = 0;
    bool first = true;
    while (at < end) {
        std::uint32_t step = 0, index = 0;
        if (!cd::ReadNumber(at, end, step) || !cd::ReadIndex(at, end, index)) return false;
        if (step == 0) return false;  // the numbers rise
        word = first ? std::uint64_t{step} - 1 : word + step;
        first = false;
        if (word >= number.size()) return false;
        entries.emplace_back(number[word], index);
    }
    // Of words that became one, the entry of the first.
    std::sort(entries.begin(), entries.end());
    entries.erase(std::unique(entries.begin(), entries.end(),
                              [](const auto& a, const auto& b) { return a.first == b.first; }),
                  entries.end());
    out.clear();
    cd::AppendIndex(out, backoff);
    std::uint32_t previous = 0;
    first = true;
    for (const auto& [w, index] : entries) {
        cd::AppendNumber(out, first ? w + 1 : w - previous);
        cd::AppendIndex(out, index);
        previous = w;
        first = false;
    }
    return true;
}

// The context data with its words converted and renumbered.
bool CopyContext(const std::string& from, const std::string& to, const CodePage& page,
                 std::string& error) {
    Handle source{bdb::OpenDatabase(from, cd::kDatabase, false)};
    if (!source.db) return true;  // none
    DBT k = Bytes(cd::kWordsKey, sizeof cd::kWordsKey - 1), v{};
    std::string words, values;
    if (source.db->get(source.db, nullptr, &k, &v, 0) == 0) words.assign(bdb::View(v));
    k = Bytes(cd::kValuesKey, sizeof cd::kValuesKey - 1);
    v = DBT{};
    const bool hasValues = source.db->get(source.db, nullptr, &k, &v, 0) == 0;
    if (hasValues) values.assign(bdb::View(v));

    std::vector<std::string> converted;
    for (std::size_t at = 0; at < words.size();) {
        std::size_t end = words.find('\0', at);
        if (end == std::string::npos) end = words.size();
        const std::string_view word(words.data() + at, end - at);
        converted.emplace_back();
        if (!page.ToUtf8(word, converted.back())) {
            error = "the context word \"" + Shown(word) +
                    "\" holds a character the code page does not define";
            return false;
        }
        // Folded as a Unicode library's lookups fold the words they ask for.
        converted.back() = Utf8Page().Fold(converted.back());
        at = end + 1;
    }
    std::vector<std::uint32_t> order(converted.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(),
              [&](std::uint32_t a, std::uint32_t b) { return converted[a] < converted[b]; });
    // Words that fold alike ("straße" and "strasse") become one.
    std::vector<std::uint32_t> number(converted.size());
    std::string newWords;
    std::uint32_t next = 0;
    for (std::uint32_t i = 0; i < order.size(); ++i) {
        if (i > 0 && converted[order[i]] == converted[order[i - 1]]) {
            number[order[i]] = next - 1;
            continue;
        }
        number[order[i]] = next++;
        newWords += converted[order[i]];
        newWords += '\0';
    }

    Handle target{bdb::OpenDatabase(to, cd::kDatabase)};
    if (!target.db) {
        error = "cannot write the copy";
        return false;
    }
    std::string record;
    bool written = true;
    const bool read = EachRecord(source.db, [&](std::string_view key, std::string_view value) {
        std::uint32_t ids[2];
        std::size_t count = 0;
        if (!ContextWords(key, ids, count)) return true;  // the words and values come last
        for (std::size_t i = 0; i < count; ++i) {
            if (ids[i] >= number.size()) return true;
            ids[i] = number[ids[i]];
        }
        if (!MapContext(value, number, record)) return true;
        written = Put(target.db, cd::ContextKey(ids, count), record);
        return written;
    });
    // The words last: a model cut short without them is none.
    if (written && read && hasValues) written = Put(target.db, cd::kValuesKey, values);
    if (written && read && !words.empty()) written = Put(target.db, cd::kWordsKey, newWords);
    if (!read) error = "cannot read the context data";
    if (!written) error = "cannot write the copy";
    return target.Close() && read && written;
}

// Every entry with its weight, converted.
bool CopyEntries(Library& source, Library& target, const CodePage& page, ImportProgress* progress,
                 std::string& error) {
    LibraryEntry entry, copy;
    std::string key, text;
    int count = 0;
    const bool weighted = source.CountWeights() > 0;  // else each look for one opens nothing
    for (int ok = source.Search("", entry, MATCH_PREFIX); ok; ok = source.Next(entry)) {
        if (!page.ToUtf8(entry.keyBytes(), key)) {
            error = "the key \"" + Shown(entry.keyBytes()) +
                    "\" holds a character the code page does not define";
            return false;
        }
        if (!page.ToUtf8(entry.textBytes(), text)) {
            error = "the text of \"" + Shown(entry.keyBytes()) +
                    "\" holds a character the code page does not define";
            return false;
        }
        copy.SetKey(key.data(), static_cast<std::uint32_t>(key.size()));
        copy.SetText(text.data(), static_cast<std::uint32_t>(text.size()));
        std::uint32_t weight = 0;
        if (!target.Put(copy) ||
            (weighted && source.GetWeight(entry, weight) && !target.SetWeight(copy, weight))) {
            error = "cannot write the copy";
            return false;
        }
        ++count;
        if (progress) {
            const std::string shown = std::to_string(count) + " items have been converted!";
            progress->SetText(shown.c_str());
            if (progress->Cancelled()) {
                error = "cancelled";
                return false;
            }
        }
    }
    return true;
}

}  // namespace

int ConvertToUnicode(const std::string& path, const CodePage& codePage, ImportProgress* progress,
                     std::string* error) {
    std::string why;
    const std::string fresh = path + ".new";
    auto fail = [&](const std::string& reason) {
        if (error) *error = path + ": " + reason;
        return 0;
    };
    // Only an existing file: Open would make one.
    std::FILE* probe = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!probe) return fail("no such library");
    std::fclose(probe);
    Library source(codePage);
    if (!source.Open(path.c_str())) return fail("not a library, or damaged");
    if (source.IsReadOnly()) return fail("its encoding is unknown to this program");
    if (source.GetEncoding() == EncodingUtf8) return 1;

    std::remove(fresh.c_str());  // a copy an interrupted conversion left
    bool ok = CopyInfo(path, fresh, codePage, why);
    Library target(codePage);
    if (ok) {
        ok = target.Open(fresh.c_str()) == 1;
        target.SetEncoding(EncodingUtf8);
        ok = ok && target.WriteInfo() == 1;
        if (!ok) why = "cannot write the copy";
    }
    ok = ok && CopyEntries(source, target, codePage, progress, why);
    ok = ok && CopyContext(path, fresh, codePage, why);
    if (ok && (target.Flush() != 1 || target.Count() != source.Count())) {
        ok = false;
        why = "cannot write the copy";
    }
    target.Close();
    source.Close();
    if (ok && !MoveFileOver(fresh, path)) {
        ok = false;
        why = "cannot replace the file (is it open?)";
    }
    if (!ok) {
        std::remove(fresh.c_str());
        return fail(why);
    }
    return 1;
}

}  // namespace wl
