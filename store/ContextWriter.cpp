#include "store/ContextWriter.h"

#include <db.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/CodePage.h"
#include "store/ContextData.h"
#include "store/ContextModel.h"
#include "store/Database.h"
#include "store/DbRecord.h"

namespace wl {

namespace cd = context_data;
using bdb::Bytes;

namespace {

// A context of the sentence start, as a history, is one word in 20.
constexpr double kSentenceStartLog10 = -1.3010299956639813;
// The log10 probability of a word without a 1-gram.
constexpr float kNoProbability = -99.0f;
constexpr char kSentenceEnd[] = "</s>";

struct Gram2 {
    std::uint32_t a, b;
    float p, bo;
    bool pruned;
};

struct Gram3 {
    std::uint32_t a, b, c;
    float p;
    bool pruned;
};

// The model as read: every word in lower case, numbered as first met.
struct Arpa {
    std::vector<std::string> words;
    std::unordered_map<std::string, std::uint32_t> ids;
    std::vector<float> p1, bo1;
    std::vector<Gram2> g2;
    std::vector<Gram3> g3;
    std::vector<std::uint32_t> start2;  // where the 2-grams of each first word begin
    std::uint64_t bad = 0;
    std::string scratch;

    std::uint32_t Intern(std::string_view word, const CodePage& page) {
        scratch.assign(word);
        scratch.resize(std::strlen(scratch.c_str()));
        scratch = page.Fold(scratch);
        auto [it, added] = ids.try_emplace(scratch, static_cast<std::uint32_t>(words.size()));
        if (added) {
            words.push_back(scratch);
            p1.push_back(kNoProbability);
            bo1.push_back(0.0f);
        }
        return it->second;
    }

    // The place of the 2-gram (a, b) in g2; g2.size() when the model has
    // none.
    std::size_t Find2(std::uint32_t a, std::uint32_t b) const {
        auto first = g2.begin() + start2[a], last = g2.begin() + start2[a + 1];
        auto it = std::lower_bound(first, last, b,
                                   [](const Gram2& g, std::uint32_t w) { return g.b < w; });
        return it != last && it->b == b ? static_cast<std::size_t>(it - g2.begin()) : g2.size();
    }
    // log10 P(b | a) with the back-off to the 1-gram.
    double P2(std::uint32_t a, std::uint32_t b) const {
        const std::size_t at = Find2(a, b);
        return at < g2.size() ? g2[at].p : double{bo1[a]} + p1[b];
    }
};

bool ParseFloat(std::string_view text, float& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const char* end = text.data() + text.size();
    auto [at, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && at == end && std::isfinite(value);
}

// One line of an n-gram section of order n (1 to 3).
void ReadGram(Arpa& m, int n, std::string_view line, const CodePage& page) {
    std::string_view fields[5];
    int count = 0;
    for (std::size_t at = 0; at < line.size();) {
        if (line[at] == ' ' || line[at] == '\t') {
            ++at;
            continue;
        }
        std::size_t end = line.find_first_of(" \t", at);
        if (end == std::string_view::npos) end = line.size();
        if (count == 5) {
            ++m.bad;
            return;
        }
        fields[count++] = line.substr(at, end - at);
        at = end;
    }
    float p = 0, bo = 0;
    if (count < n + 1 || count > n + 2 || !ParseFloat(fields[0], p) ||
        (count == n + 2 && !ParseFloat(fields[n + 1], bo))) {
        ++m.bad;
        return;
    }
    std::uint32_t w[3];
    for (int i = 0; i < n; ++i) w[i] = m.Intern(fields[i + 1], page);
    if (n == 1) {
        // Of words equal but for letter case, the most probable.
        if (m.p1[w[0]] == kNoProbability || p > m.p1[w[0]]) {
            m.p1[w[0]] = p;
            m.bo1[w[0]] = bo;
        }
    } else if (n == 2) {
        m.g2.push_back({w[0], w[1], p, bo, false});
    } else {
        m.g3.push_back({w[0], w[1], w[2], p, false});
    }
}

bool ReadArpa(const std::string& path, Arpa& m, const CodePage& page) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    int section = 0;  // the order of the n-gram section, 0 elsewhere
    bool ended = false;
    std::string pending;
    std::vector<char> chunk(1u << 20);
    auto line = [&](std::string_view text) {
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (ended || text.empty()) return;
        if (text.front() == '\\') {
            section = 0;
            if (text == "\\end\\") ended = true;
            if (text.size() == 9 && text.substr(2) == "-grams:") section = text[1] - '0';
            return;
        }
        if (section >= 1 && section <= 3) ReadGram(m, section, text, page);
    };
    // A line longer than any n-gram line needs is a bad line, never kept
    // whole.
    constexpr std::size_t kLongestLine = 4096;
    bool overlong = false;
    auto take = [&](std::string_view part, bool ends) {
        if (!overlong && pending.size() + part.size() <= kLongestLine)
            pending.append(part);
        else
            overlong = true;
        if (!ends) return;
        if (!overlong)
            line(pending);
        else if (!ended && section >= 1 && section <= 3)
            ++m.bad;
        pending.clear();
        overlong = false;
    };
    for (std::size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), f)) > 0;) {
        std::string_view data(chunk.data(), got);
        for (std::size_t nl; (nl = data.find('\n')) != std::string_view::npos;) {
            take(data.substr(0, nl), true);
            data.remove_prefix(nl + 1);
        }
        take(data, false);
    }
    const bool ok = !std::ferror(f);
    std::fclose(f);
    take({}, true);
    return ok;
}

// Sorts the n-grams and keeps one of those equal but for letter case.
void Sort(Arpa& m) {
    std::sort(m.g2.begin(), m.g2.end(), [](const Gram2& x, const Gram2& y) {
        return x.a != y.a ? x.a < y.a : x.b != y.b ? x.b < y.b : x.p > y.p;
    });
    m.g2.erase(std::unique(m.g2.begin(), m.g2.end(),
                           [](const Gram2& x, const Gram2& y) { return x.a == y.a && x.b == y.b; }),
               m.g2.end());
    std::sort(m.g3.begin(), m.g3.end(), [](const Gram3& x, const Gram3& y) {
        return x.a != y.a ? x.a < y.a : x.b != y.b ? x.b < y.b : x.c != y.c ? x.c < y.c : x.p > y.p;
    });
    m.g3.erase(std::unique(m.g3.begin(), m.g3.end(),
                           [](const Gram3& x, const Gram3& y) {
                               return x.a == y.a && x.b == y.b && x.c == y.c;
                           }),
               m.g3.end());
    m.start2.assign(m.words.size() + 1, 0);
    for (const Gram2& g : m.g2) ++m.start2[g.a + 1];
    for (std::size_t i = 1; i < m.start2.size(); ++i) m.start2[i] += m.start2[i - 1];
}

// What pruning the entries of one context took: the sums of their
// probabilities and of their probabilities one order lower (without the
// back-off weight), over all entries and over the pruned ones.
struct Sums {
    double all = 0, lowerAll = 0, pruned = 0, lowerPruned = 0;
    bool any = false;

    void Add(double logP, double logLower, bool prune) {
        const double p = std::pow(10.0, logP), lower = std::pow(10.0, logLower);
        all += p;
        lowerAll += lower;
        if (prune) {
            pruned += p;
            lowerPruned += lower;
            any = true;
        }
    }
    // The back-off weight that gives the pruned entries' probability to the
    // words backed off for.
    float Adjusted(float backoff) const {
        if (!any) return backoff;
        constexpr double kLeast = 1e-9;
        const double left = std::max(1.0 - all, kLeast),
                     lowerLeft = std::max(1.0 - lowerAll, kLeast);
        const double adjusted = backoff + std::log10((left + pruned) / left) +
                                std::log10(lowerLeft / (lowerLeft + lowerPruned));
        // To the precision of the text, as the model's own values are.
        return static_cast<float>(std::round(adjusted * 1e4) / 1e4);
    }
};

std::uint64_t Prune(Arpa& m, double threshold, std::uint32_t sentenceStart) {
    if (threshold <= 0) return 0;
    auto history = [&](std::uint32_t a) {
        return a == sentenceStart ? kSentenceStartLog10 : double{m.p1[a]};
    };
    auto score = [](double logHistory, double logP, double logLower) {
        return std::pow(10.0, logHistory + logP) * std::fabs(logP - logLower);
    };
    std::uint64_t pruned = 0;
    // 3-grams, against the 2-grams as read.
    for (std::size_t i = 0; i < m.g3.size();) {
        const std::uint32_t a = m.g3[i].a, b = m.g3[i].b;
        const std::size_t context = m.Find2(a, b);
        const double bo = context < m.g2.size() ? m.g2[context].bo : 0.0;
        const double logHistory = history(a) + m.P2(a, b);
        Sums sums;
        for (; i < m.g3.size() && m.g3[i].a == a && m.g3[i].b == b; ++i) {
            Gram3& g = m.g3[i];
            const double lower = m.P2(b, g.c);
            g.pruned = score(logHistory, g.p, bo + lower) < threshold;
            sums.Add(g.p, lower, g.pruned);
            pruned += g.pruned;
        }
        if (context < m.g2.size()) m.g2[context].bo = sums.Adjusted(m.g2[context].bo);
    }
    // 2-grams.
    for (std::uint32_t a = 0; a < m.words.size(); ++a) {
        Sums sums;
        for (std::uint32_t i = m.start2[a]; i < m.start2[a + 1]; ++i) {
            Gram2& g = m.g2[i];
            const double lower = m.p1[g.b];
            g.pruned = score(history(a), g.p, m.bo1[a] + lower) < threshold;
            sums.Add(g.p, lower, g.pruned);
            pruned += g.pruned;
        }
        m.bo1[a] = sums.Adjusted(m.bo1[a]);
    }
    return pruned;
}

// The table of values: every distinct one, or, when there are more than a
// record can index, each rounded to the nearest multiple of the smallest step
// (0.0001, the precision of ARPA text, or twice that, ...) that leaves no
// more.
class Values {
  public:
    void Add(float v) { all_.push_back(v); }
    void Build() {
        std::sort(all_.begin(), all_.end());
        all_.erase(std::unique(all_.begin(), all_.end()), all_.end());
        distinct_ = all_.size();
        if (all_.size() <= cd::kMaxValues) return;
        const std::vector<float> exact = all_;
        for (step_ = 1e-4;; step_ *= 2) {
            all_.clear();
            for (float v : exact) all_.push_back(Level(v));
            all_.erase(std::unique(all_.begin(), all_.end()), all_.end());
            if (all_.size() <= cd::kMaxValues) return;
        }
    }
    std::uint32_t Index(float v) const {
        if (step_ > 0) v = Level(v);
        return static_cast<std::uint32_t>(std::lower_bound(all_.begin(), all_.end(), v) -
                                          all_.begin());
    }
    const std::vector<float>& table() const { return all_; }
    std::size_t distinct() const { return distinct_; }

  private:
    float Level(float v) const { return static_cast<float>(std::round(v / step_) * step_); }
    std::vector<float> all_;
    std::size_t distinct_ = 0;
    double step_ = 0;
};

struct Record {
    std::string key, value;
};

struct Context {
    std::uint32_t words[2];
    std::size_t count;
    float backoff;
    std::vector<std::pair<std::uint32_t, float>> entries;  // numbers as stored
};

std::string Encode(const Context& c, const Values& values) {
    std::string value;
    cd::AppendIndex(value, values.Index(c.backoff));
    std::uint32_t next = 0;  // the number after the entry before
    for (const auto& [word, p] : c.entries) {
        cd::AppendNumber(value, word + 1 - next);
        cd::AppendIndex(value, values.Index(p));
        next = word + 1;
    }
    return value;
}

bool WriteRecords(const std::string& path, const std::vector<Record>& records) {
    DB* db = bdb::OpenDatabase(path, cd::kDatabase, true);
    if (!db) return false;
    u_int32_t removed = 0;
    bool ok = db->truncate(db, nullptr, &removed, 0) == 0;
    for (std::size_t i = 0; ok && i < records.size(); ++i) {
        DBT k = Bytes(records[i].key.data(), records[i].key.size());
        DBT v = Bytes(records[i].value.data(), records[i].value.size());
        ok = db->put(db, nullptr, &k, &v, 0) == 0;
    }
    if (!ok) db->truncate(db, nullptr, &removed, 0);
    return bdb::CloseDatabase(db) == 0 && ok;
}

}  // namespace

ContextWriteResult WriteContextData(Library& library, const std::string& arpaPath,
                                    double threshold) {
    ContextWriteResult result;
    const CodePage& page = library.codePage();
    Arpa m;
    if (!ReadArpa(arpaPath, m, page)) {
        result.error = arpaPath + ": cannot read the file";
        return result;
    }
    result.badLines = m.bad;
    if (m.g2.empty() && m.g3.empty()) {
        result.error = arpaPath + ": no 2-grams or 3-grams";
        return result;
    }
    std::unordered_set<std::string> keys;
    std::string lower;
    if (!library.IsOpen() || !library.ForEachKey([&](const Library::KeyInfo& info) {
            lower.assign(info.key, info.length);
            lower.resize(std::strlen(lower.c_str()));
            keys.insert(page.Fold(lower));
            return true;
        })) {
        result.error = std::string(library.GetPath()) + ": cannot read the library";
        return result;
    }
    Sort(m);
    const std::uint32_t none = ContextModel::kNoWord;
    const std::uint32_t start =
        m.ids.count(ContextModel::kSentenceStart) ? m.ids[ContextModel::kSentenceStart] : none;
    result.pruned = Prune(m, threshold, start);

    // The words kept, numbered in byte order.
    std::vector<std::uint32_t> kept;
    for (std::uint32_t w = 0; w < m.words.size(); ++w)
        if (w == start ||
            (!m.words[w].empty() && m.words[w] != kSentenceEnd && keys.count(m.words[w])))
            kept.push_back(w);
    std::sort(kept.begin(), kept.end(),
              [&](std::uint32_t x, std::uint32_t y) { return m.words[x] < m.words[y]; });
    std::vector<std::uint32_t> number(m.words.size(), none);
    std::string words;
    for (std::uint32_t i = 0; i < kept.size(); ++i) {
        number[kept[i]] = i;
        words += m.words[kept[i]];
        words += '\0';
    }
    result.words = static_cast<std::uint32_t>(kept.size());
    auto entry = [&](std::uint32_t w) { return w != start && number[w] != none; };

    std::vector<Context> contexts;
    Values values;
    auto add = [&](Context& c) {
        if (c.entries.empty()) return;
        std::sort(c.entries.begin(), c.entries.end());
        values.Add(c.backoff);
        for (const auto& e : c.entries) values.Add(e.second);
        result.contexts[c.count - 1]++;
        result.entries[c.count - 1] += c.entries.size();
        contexts.push_back(std::move(c));
    };
    for (std::uint32_t a = 0; a < m.words.size(); ++a) {
        if (m.start2[a] == m.start2[a + 1]) continue;
        Context c{{number[a], 0}, 1, m.bo1[a], {}};
        for (std::uint32_t i = m.start2[a]; i < m.start2[a + 1]; ++i) {
            const Gram2& g = m.g2[i];
            if (g.pruned) continue;
            if (number[a] != none && entry(g.b))
                c.entries.emplace_back(number[g.b], g.p);
            else
                ++result.outside;
        }
        add(c);
    }
    for (std::size_t i = 0; i < m.g3.size();) {
        const std::uint32_t a = m.g3[i].a, b = m.g3[i].b;
        const std::size_t bigram = m.Find2(a, b);
        Context c{{number[a], number[b]}, 2, bigram < m.g2.size() ? m.g2[bigram].bo : 0.0f, {}};
        for (; i < m.g3.size() && m.g3[i].a == a && m.g3[i].b == b; ++i) {
            const Gram3& g = m.g3[i];
            if (g.pruned) continue;
            if (number[a] != none && number[b] != none && entry(g.c))
                c.entries.emplace_back(number[g.c], g.p);
            else
                ++result.outside;
        }
        add(c);
    }
    m = Arpa();  // what was read is no longer needed

    values.Build();
    result.values = values.distinct();
    std::vector<Record> records;
    records.reserve(contexts.size() + 2);
    for (Context& c : contexts) {
        records.push_back({cd::ContextKey(c.words, c.count), Encode(c, values)});
        c.entries = {};
    }
    std::sort(records.begin(), records.end(),
              [](const Record& x, const Record& y) { return x.key < y.key; });
    std::string table;
    for (float v : values.table()) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        for (int shift = 0; shift < 32; shift += 8)
            table += static_cast<char>((bits >> shift) & 0xFFu);
    }
    // The words last: a model cut short without them is none.
    records.push_back({cd::kValuesKey, table});
    records.push_back({cd::kWordsKey, words});
    for (const Record& r : records) result.bytes += r.key.size() + r.value.size();
    if (!WriteRecords(library.GetPath(), records)) {
        result.error = std::string(library.GetPath()) + ": cannot write the context data";
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace wl
