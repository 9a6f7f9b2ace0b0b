// Library store benchmarks, printed figures:
//
//   lookup   one candidate page (FindFirst and nine FindNext) for random 1 to
//            4 letter prefixes over 1, 4 and 16 libraries holding 1,000,000
//            entries in all, every one with a weight; the same keys and
//            queries against an in-memory merge over sorted vectors (the
//            floor) and, where built with it, SQLite (one indexed table per
//            library, a prepared range query with LIMIT 10 each, merged).
//            The ranked page (FindFirstRanked and nine FindNextRanked) over
//            the same libraries, checked against a sort of every match, with
//            the memory and the load time of its index.  Median and 99th
//            percentile per page.
//   import   ImportWordList of a 1,000,000-word file, ImportText of 200,000
//            pairs.
//   export   ExportText of 1,000,000 entries.
//   unicode  the English word list (wamerican's, as the English Dictionary
//            has it) in a code-page library and in a UTF-8 one, each with
//            the same weights: the plain and the ranked page for random 1
//            to 4 letter prefixes (a fifth of them capitalised), and the
//            ranked index's build time, side by side with their ratio; then
//            the same with every vowel accented (a to a-acute, ...), so that
//            most keys are not ASCII in either library.
//
//   store_bench [lookup] [import] [export] [unicode]    (all without arguments)
//
// Every file is made in a temporary folder that is removed at the end.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Directory.h"
#include "platform/Registry.h"
#include "store/Library.h"
#include "store/LibrarySet.h"
#include "tests/support/Files.h"

#ifdef WL_BENCH_SQLITE
#include <sqlite3.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;
using wl::Library;
using wl::LibraryEntry;
using wl::LibrarySet;
using Page = std::vector<std::pair<std::string, std::string>>;

constexpr int kEntries = 1000000;
constexpr int kPage = 10;
constexpr int kQueries = 20000;

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// Words that look a little like English: letters drawn by their frequency
// in English text, 3 to 12 of them.
class WordMaker {
  public:
    std::string Next() {
        static const char kLetters[] = "etaoinshrdlcumwfgypbvkjxqz";
        static const double kWeights[] = {12.7, 9.1, 8.2, 7.5, 7.0, 6.7, 6.3, 6.1, 6.0,
                                          4.3,  4.0, 2.8, 2.8, 2.4, 2.4, 2.2, 2.0, 2.0,
                                          1.9,  1.5, 1.0, 0.8, 0.2, 0.2, 0.1, 0.1};
        static std::discrete_distribution<int> letter(std::begin(kWeights), std::end(kWeights));
        std::uniform_int_distribution<int> length(3, 12);
        std::string word(static_cast<std::size_t>(length(rng_)), ' ');
        for (char& c : word) c = kLetters[letter(rng_)];
        return word;
    }
    std::mt19937_64& rng() { return rng_; }

  private:
    std::mt19937_64 rng_;
};

std::vector<std::string> UniqueWords(WordMaker& maker, int n) {
    std::unordered_set<std::string> seen;
    std::vector<std::string> words;
    words.reserve(static_cast<std::size_t>(n));
    while (static_cast<int>(words.size()) < n) {
        std::string w = maker.Next();
        if (seen.insert(w).second) words.push_back(std::move(w));
    }
    return words;
}

void PutAll(Library& lib, const std::vector<std::pair<std::string, std::string>>& entries) {
    for (const auto& [k, t] : entries) {
        LibraryEntry e;
        e.SetKey(k.data(), static_cast<std::uint32_t>(k.size()));
        e.SetText(t.data(), static_cast<std::uint32_t>(t.size()));
        lib.Put(e);
    }
}

struct Stats {
    double median = 0, p99 = 0;
    double cpuMedian = -1;  // processor time of the thread, where measured
};

double Median(std::vector<double>& v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The thread's processor time in seconds: on a busy machine the wall clock
// also counts the time others had the processor.
double CpuSeconds() {
#ifdef _WIN32
    return -1;  // the Windows thread clock ticks too coarsely for a page
#else
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
#endif
}

// The case-insensitive comparison of the merge, for these ASCII keys.
int CompareNoCase(const std::string& a, const std::string& b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int x = std::tolower(static_cast<unsigned char>(a[i]));
        int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// The floor: sorted vectors in memory, merged as the set merges.
Page VectorPage(const std::vector<std::vector<std::pair<std::string, std::string>>>& libs,
                const std::string& word) {
    std::vector<std::size_t> head(libs.size());
    for (std::size_t i = 0; i < libs.size(); ++i)
        head[i] = static_cast<std::size_t>(
            std::lower_bound(libs[i].begin(), libs[i].end(), word,
                             [](const auto& e, const std::string& w) { return e.first < w; }) -
            libs[i].begin());
    Page page;
    while (static_cast<int>(page.size()) < kPage) {
        int best = -1;
        for (std::size_t i = 0; i < libs.size(); ++i) {
            if (head[i] >= libs[i].size() || !StartsWith(libs[i][head[i]].first, word)) continue;
            if (best < 0 ||
                CompareNoCase(
                    libs[i][head[i]].first,
                    libs[static_cast<std::size_t>(best)][head[static_cast<std::size_t>(best)]]
                        .first) <= 0)
                best = static_cast<int>(i);
        }
        if (best < 0) break;
        const auto& e =
            libs[static_cast<std::size_t>(best)][head[static_cast<std::size_t>(best)]++];
        page.emplace_back(e.first, e.second);
    }
    return page;
}

// The ranked page by brute force: every match of every library, by weight
// (highest first), then key.  (The keys are lower case and each is in one
// library only.)
Page RankedVectorPage(const std::vector<std::vector<std::pair<std::string, std::string>>>& libs,
                      const std::unordered_map<std::string, std::uint32_t>& weights,
                      const std::string& word) {
    std::vector<std::pair<std::uint32_t, const std::pair<std::string, std::string>*>> matches;
    for (const auto& lib : libs) {
        auto it = std::lower_bound(lib.begin(), lib.end(), word,
                                   [](const auto& e, const std::string& w) { return e.first < w; });
        for (; it != lib.end() && StartsWith(it->first, word); ++it)
            matches.emplace_back(weights.at(it->first), &*it);
    }
    auto n = std::min<std::size_t>(matches.size(), kPage);
    std::partial_sort(matches.begin(), matches.begin() + static_cast<std::ptrdiff_t>(n),
                      matches.end(), [](const auto& a, const auto& b) {
                          return a.first != b.first ? a.first > b.first
                                                    : a.second->first < b.second->first;
                      });
    Page page;
    for (std::size_t i = 0; i < n; ++i) page.push_back(*matches[i].second);
    return page;
}

Page RankedPage(LibrarySet& set, const std::string& word) {
    Page page;
    LibraryEntry first;
    if (!set.FindFirstRanked(word.c_str(), first, 1, 1)) return page;
    page.emplace_back(std::string(first.key(), first.keyLength()),
                      std::string(first.text(), first.textLength()));
    while (static_cast<int>(page.size()) < kPage) {
        LibraryEntry e;
        if (!set.FindNextRanked(e)) break;
        page.emplace_back(std::string(e.key(), e.keyLength()),
                          std::string(e.text(), e.textLength()));
    }
    return page;
}

Page StorePage(LibrarySet& set, const std::string& word) {
    Page page;
    LibraryEntry first;
    if (!set.FindFirst(word.c_str(), first, wl::MATCH_PREFIX, 1, 1)) return page;
    page.emplace_back(std::string(first.key(), first.keyLength()),
                      std::string(first.text(), first.textLength()));
    while (static_cast<int>(page.size()) < kPage) {
        LibraryEntry e;  // a fresh entry each time, as the candidate window does
        if (!set.FindNext(e)) break;
        page.emplace_back(std::string(e.key(), e.keyLength()),
                          std::string(e.text(), e.textLength()));
    }
    return page;
}

#ifdef WL_BENCH_SQLITE
class SqliteLibraries {
  public:
    SqliteLibraries(const std::string& path,
                    const std::vector<std::vector<std::pair<std::string, std::string>>>& libs) {
        sqlite3_open(path.c_str(), &db_);
        Exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-262144;");
        for (std::size_t i = 0; i < libs.size(); ++i) {
            std::string table = "lib" + std::to_string(i);
            Exec("CREATE TABLE " + table + "(k BLOB PRIMARY KEY, v BLOB) WITHOUT ROWID");
            Exec("BEGIN");
            sqlite3_stmt* insert = Prepare("INSERT INTO " + table + " VALUES(?1, ?2)");
            for (const auto& [k, v] : libs[i]) {
                sqlite3_bind_blob(insert, 1, k.data(), static_cast<int>(k.size()), SQLITE_STATIC);
                sqlite3_bind_blob(insert, 2, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
                sqlite3_step(insert);
                sqlite3_reset(insert);
            }
            sqlite3_finalize(insert);
            Exec("COMMIT");
            queries_.push_back(Prepare("SELECT k, v FROM " + table +
                                       " WHERE k >= ?1 AND k < ?2 ORDER BY k LIMIT 10"));
        }
    }
    ~SqliteLibraries() {
        for (auto* q : queries_) sqlite3_finalize(q);
        sqlite3_close(db_);
    }
    SqliteLibraries(const SqliteLibraries&) = delete;
    SqliteLibraries& operator=(const SqliteLibraries&) = delete;

    Page Lookup(const std::string& word) {
        // The keys that begin with word: from word up to word with its last
        // byte raised by one.
        std::string end = word;
        end.back() = static_cast<char>(end.back() + 1);
        std::vector<Page> results(queries_.size());
        for (std::size_t i = 0; i < queries_.size(); ++i) {
            sqlite3_stmt* q = queries_[i];
            sqlite3_bind_blob(q, 1, word.data(), static_cast<int>(word.size()), SQLITE_STATIC);
            sqlite3_bind_blob(q, 2, end.data(), static_cast<int>(end.size()), SQLITE_STATIC);
            while (sqlite3_step(q) == SQLITE_ROW) {
                results[i].emplace_back(
                    std::string(static_cast<const char*>(sqlite3_column_blob(q, 0)),
                                static_cast<std::size_t>(sqlite3_column_bytes(q, 0))),
                    std::string(static_cast<const char*>(sqlite3_column_blob(q, 1)),
                                static_cast<std::size_t>(sqlite3_column_bytes(q, 1))));
            }
            sqlite3_reset(q);
        }
        Page page;
        std::vector<std::size_t> head(results.size());
        while (static_cast<int>(page.size()) < kPage) {
            int best = -1;
            for (std::size_t i = 0; i < results.size(); ++i) {
                if (head[i] >= results[i].size()) continue;
                if (best < 0 || CompareNoCase(results[i][head[i]].first,
                                              results[static_cast<std::size_t>(best)]
                                                     [head[static_cast<std::size_t>(best)]]
                                                         .first) <= 0)
                    best = static_cast<int>(i);
            }
            if (best < 0) break;
            page.push_back(std::move(
                results[static_cast<std::size_t>(best)][head[static_cast<std::size_t>(best)]++]));
        }
        return page;
    }

  private:
    void Exec(const std::string& sql) { sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr); }
    sqlite3_stmt* Prepare(const std::string& sql) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr);
        return s;
    }
    sqlite3* db_ = nullptr;
    std::vector<sqlite3_stmt*> queries_;
};
#endif

template <typename F>
Stats TimePages(const std::vector<std::string>& queries, F page) {
    for (const auto& q : queries) page(q);  // warm every cache first
    std::vector<double> micros, cpu;
    micros.reserve(queries.size());
    cpu.reserve(queries.size());
    for (const auto& q : queries) {
        double cpuStart = CpuSeconds();
        auto start = Clock::now();
        page(q);
        micros.push_back(Seconds(start) * 1e6);
        cpu.push_back((CpuSeconds() - cpuStart) * 1e6);
    }
    Stats s;
    s.median = Median(micros);
    s.p99 = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    if (CpuSeconds() >= 0) s.cpuMedian = Median(cpu);
    return s;
}

void BenchLookup() {
    std::printf("Lookup: one page (%d candidates) for random 1-4 letter prefixes, %d entries\n",
                kPage, kEntries);
    WordMaker maker;
    std::vector<std::string> words = UniqueWords(maker, kEntries);
    std::vector<std::string> texts(words.size());
    for (std::size_t i = 0; i < words.size(); i += 5) texts[i] = "a remark on " + words[i];
    // Weights as word counts go: the k-th most common word about 1/k.
    std::unordered_map<std::string, std::uint32_t> weights;
    {
        std::vector<std::size_t> order(words.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::shuffle(order.begin(), order.end(), maker.rng());
        for (std::size_t rank = 0; rank < order.size(); ++rank)
            weights[words[order[rank]]] = static_cast<std::uint32_t>(1000000000 / (rank + 1));
    }
    std::vector<std::string> queries;
    std::uniform_int_distribution<std::size_t> pick(0, words.size() - 1);
    std::uniform_int_distribution<std::size_t> length(1, 4);
    for (int i = 0; i < kQueries; ++i) {
        const std::string& w = words[pick(maker.rng())];
        queries.push_back(w.substr(0, std::min(w.size(), length(maker.rng()))));
    }
    std::printf("  %-10s %22s %22s %22s %22s\n", "libraries", "store median/p99 us",
                "ranked median/p99 us", "vectors median/p99 us", "SQLite median/p99 us");
    std::vector<std::string> indexFigures;
    for (int count : {1, 4, 16}) {
        wl::test::TempDir dir;
        std::vector<std::vector<std::pair<std::string, std::string>>> libs(
            static_cast<std::size_t>(count));
        std::uniform_int_distribution<int> which(0, count - 1);
        for (std::size_t i = 0; i < words.size(); ++i)
            libs[static_cast<std::size_t>(which(maker.rng()))].emplace_back(words[i], texts[i]);
        auto build = Clock::now();
        for (int i = 0; i < count; ++i) {
            auto& entries = libs[static_cast<std::size_t>(i)];
            std::sort(entries.begin(), entries.end());
            char name[32];
            std::snprintf(name, sizeof name, "lib%02d.lib", i);
            Library lib(wl::SystemCodePage());
            lib.Open((dir / name).c_str());
            PutAll(lib, entries);
            for (const auto& [k, t] : entries) {
                LibraryEntry e;
                e.SetKey(k.data(), static_cast<std::uint32_t>(k.size()));
                lib.SetWeight(e, weights.at(k));
            }
        }
        double built = Seconds(build);
        LibrarySet set(wl::SystemRegistry(), wl::SystemDirectory(), wl::SystemCodePage());
        set.Load((dir / "*.lib").c_str(), 1);
        auto loading = Clock::now();
        set.PrepareRanked();
        double loaded = Seconds(loading);
        char figures[160];
        std::snprintf(figures, sizeof figures,
                      "  %-10d %8.1f MB, %5.2f s to build (%.1f bytes per entry)", count,
                      static_cast<double>(set.RankedBytes()) / 1e6, loaded,
                      static_cast<double>(set.RankedBytes()) / kEntries);
        indexFigures.push_back(figures);

        int mismatches = 0, rankedMismatches = 0;
        for (int i = 0; i < 500; ++i) {
            const std::string& q = queries[static_cast<std::size_t>(i)];
            if (StorePage(set, q) != VectorPage(libs, q)) ++mismatches;
            if (RankedPage(set, q) != RankedVectorPage(libs, weights, q)) ++rankedMismatches;
        }
        Stats store = TimePages(queries, [&](const std::string& q) { return StorePage(set, q); });
        Stats ranked = TimePages(queries, [&](const std::string& q) { return RankedPage(set, q); });
        Stats floor = TimePages(queries, [&](const std::string& q) { return VectorPage(libs, q); });
        char sqliteFigures[64] = "not built";
        double sqliteCpu = -1;
#ifdef WL_BENCH_SQLITE
        {
            SqliteLibraries sqlite(dir / "sqlite.db", libs);
            for (int i = 0; i < 500; ++i)
                if (sqlite.Lookup(queries[static_cast<std::size_t>(i)]) !=
                    VectorPage(libs, queries[static_cast<std::size_t>(i)]))
                    ++mismatches;
            Stats s = TimePages(queries, [&](const std::string& q) { return sqlite.Lookup(q); });
            std::snprintf(sqliteFigures, sizeof sqliteFigures, "%8.2f / %8.2f", s.median, s.p99);
            sqliteCpu = s.cpuMedian;
        }
#endif
        std::printf(
            "  %-10d %10.2f / %8.2f %10.2f / %8.2f %10.2f / %8.2f %22s   (built in %.1f s%s%s)\n",
            count, store.median, store.p99, ranked.median, ranked.p99, floor.median, floor.p99,
            sqliteFigures, built, mismatches ? ", PAGES DIFFER" : "",
            rankedMismatches ? ", RANKED PAGES DIFFER" : "");
        if (store.cpuMedian >= 0)
            std::printf("  %-10s %10.2f %21.2f %21.2f %21.2f   (processor time, median)\n", "",
                        store.cpuMedian, ranked.cpuMedian, floor.cpuMedian, sqliteCpu);
        set.UnloadAll();
    }
    std::printf("Ranked index of %d entries: memory, load time\n", kEntries);
    for (const auto& line : indexFigures) std::printf("%s\n", line.c_str());
}

void BenchImport() {
    std::printf("Import\n");
    wl::test::TempDir dir;
    WordMaker maker;
    std::vector<std::string> words = UniqueWords(maker, kEntries);
    std::shuffle(words.begin(), words.end(), maker.rng());
    {
        std::FILE* f = std::fopen((dir / "words.txt").c_str(), "wb");
        for (const auto& w : words) std::fprintf(f, "%s\n", w.c_str());
        std::fclose(f);
        f = std::fopen((dir / "pairs.txt").c_str(), "wb");
        for (int i = 0; i < 200000; ++i)
            std::fprintf(f, "<key>%s\r\n<data>the remark of %s\r\n",
                         words[static_cast<std::size_t>(i)].c_str(),
                         words[static_cast<std::size_t>(i)].c_str());
        std::fclose(f);
    }
    Library lib(wl::SystemCodePage());
    lib.Open((dir / "words.lib").c_str());
    auto start = Clock::now();
    int n = lib.ImportWordList((dir / "words.txt").c_str(), nullptr);
    std::printf("  ImportWordList, %d words (unsorted): %.2f s\n", n, Seconds(start));
    lib.Close();
    Library text(wl::SystemCodePage());
    text.Open((dir / "pairs.lib").c_str());
    start = Clock::now();
    n = text.ImportText((dir / "pairs.txt").c_str(), nullptr);
    std::printf("  ImportText, %d pairs: %.2f s\n", n, Seconds(start));
}

void BenchExport() {
    std::printf("Export\n");
    wl::test::TempDir dir;
    WordMaker maker;
    std::vector<std::string> words = UniqueWords(maker, kEntries);
    std::sort(words.begin(), words.end());
    {
        Library lib(wl::SystemCodePage());
        lib.Open((dir / "all.lib").c_str());
        std::vector<std::pair<std::string, std::string>> entries;
        for (std::size_t i = 0; i < words.size(); ++i)
            entries.emplace_back(words[i], i % 5 ? std::string() : "a remark on " + words[i]);
        PutAll(lib, entries);
    }
    Library lib(wl::SystemCodePage());
    lib.Open((dir / "all.lib").c_str());
    auto start = Clock::now();
    int n = lib.ExportText((dir / "all.txt").c_str(), nullptr);
    std::printf("  ExportText, %d entries: %.2f s\n", n, Seconds(start));
}

// The capital of a 1252 letter that has one in the Latin-1 range.
char Upper1252(char c) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7))
        return static_cast<char>(b - 0x20);
    return c;
}

// The keys of a page, as UTF-8 (a code-page library's through the code
// page), to compare the pages of the two encodings.
std::vector<std::string> Utf8Keys(const Page& page, bool codePage) {
    std::vector<std::string> keys;
    for (const auto& [key, text] : page) {
        std::string utf8;
        if (!codePage) {
            utf8 = key;
        } else {
            for (unsigned char c : key) wl::AppendUtf8(c, utf8);  // Latin-1 part of 1252
        }
        keys.push_back(utf8);
    }
    return keys;
}

void BenchUnicode(bool accented) {
    const char* listPath = "/usr/share/dict/american-english";
    std::FILE* list = std::fopen(listPath, "rb");
    if (!list) {
        std::printf("Unicode: no word list at %s\n", listPath);
        return;
    }
    // Words that 1252 holds with the same byte as their code point (all but
    // a handful), each in both forms.
    const wl::CodePage& page = wl::CodePage1252();
    std::vector<std::string> utf8Words, cpWords;
    char line[256];
    while (std::fgets(line, sizeof line, list)) {
        std::string w(line, std::strcspn(line, "\r\n"));
        std::string cp;
        if (w.empty() || !page.FromUtf8(w, cp)) continue;
        if (accented) {
            // a e i o u and their capitals, acute: one byte in 1252, two in UTF-8.
            static const char kPlain[] = "aeiouAEIOU";
            static const unsigned char kAcute[] = {0xE1, 0xE9, 0xED, 0xF3, 0xFA,
                                                   0xC1, 0xC9, 0xCD, 0xD3, 0xDA};
            for (char& c : cp)
                if (const char* at = std::strchr(kPlain, c); at && c)
                    c = static_cast<char>(kAcute[at - kPlain]);
            w.clear();
            for (unsigned char c : cp) wl::AppendUtf8(c, w);
        }
        utf8Words.push_back(w);
        cpWords.push_back(cp);
    }
    std::fclose(list);
    const int n = static_cast<int>(utf8Words.size());
    std::printf("Unicode: the same %d English words%s in a code-page and a UTF-8 library\n", n,
                accented ? ", every vowel accented," : "");
    WordMaker maker;
    std::vector<std::uint32_t> weights(utf8Words.size());
    {
        std::vector<std::size_t> order(weights.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::shuffle(order.begin(), order.end(), maker.rng());
        for (std::size_t rank = 0; rank < order.size(); ++rank)
            weights[order[rank]] = static_cast<std::uint32_t>(1000000000 / (rank + 1));
    }
    // Queries: 1 to 4 characters of a word, a fifth of them with a capital.
    std::vector<std::string> utf8Queries, cpQueries;
    std::uniform_int_distribution<std::size_t> pick(0, utf8Words.size() - 1);
    std::uniform_int_distribution<int> length(1, 4), capital(0, 4);
    for (int i = 0; i < kQueries; ++i) {
        const std::string& w = cpWords[pick(maker.rng())];
        std::string q = w.substr(0, std::min<std::size_t>(w.size(), length(maker.rng())));
        if (capital(maker.rng()) == 0) q[0] = Upper1252(q[0]);
        std::string u;
        for (unsigned char c : q) wl::AppendUtf8(c, u);
        cpQueries.push_back(q);
        utf8Queries.push_back(u);
    }
    wl::test::TempDir cpDir, utf8Dir;
    auto make = [&](const std::string& path, std::int32_t encoding,
                    const std::vector<std::string>& words) {
        Library lib(page);
        lib.Open(path.c_str());
        lib.SetEncoding(encoding);
        lib.WriteInfo();
        std::vector<std::pair<std::string, std::string>> entries;
        for (const auto& w : words) entries.emplace_back(w, std::string());
        PutAll(lib, entries);
        for (std::size_t i = 0; i < words.size(); ++i) {
            LibraryEntry e;
            e.SetKey(words[i].data(), static_cast<std::uint32_t>(words[i].size()));
            lib.SetWeight(e, weights[i]);
        }
    };
    make(cpDir / "english.lib", wl::EncodingCodePage, cpWords);
    make(utf8Dir / "english.lib", wl::EncodingUtf8, utf8Words);
    LibrarySet cpSet(wl::SystemRegistry(), wl::SystemDirectory(), page);
    LibrarySet utf8Set(wl::SystemRegistry(), wl::SystemDirectory(), page);
    cpSet.Load((cpDir / "*.lib").c_str(), 1);
    utf8Set.Load((utf8Dir / "*.lib").c_str(), 1);
    auto start = Clock::now();
    cpSet.PrepareRanked();
    const double cpBuild = Seconds(start);
    start = Clock::now();
    utf8Set.PrepareRanked();
    const double utf8Build = Seconds(start);

    auto plain = [](LibrarySet& set, const wl::TypedWord& word) {
        Page out;
        LibraryEntry e;
        for (int ok = set.FindFirst(word, e, wl::MATCH_PREFIX, 1, 1);
             ok && static_cast<int>(out.size()) < kPage; ok = set.FindNext(e))
            out.emplace_back(std::string(e.keyBytes()), std::string(e.textBytes()));
        return out;
    };
    auto ranked = [](LibrarySet& set, const wl::TypedWord& word) {
        Page out;
        LibraryEntry e;
        for (int ok = set.FindFirstRanked(word, e, 1, 1);
             ok && static_cast<int>(out.size()) < kPage; ok = set.FindNextRanked(e))
            out.emplace_back(std::string(e.keyBytes()), std::string(e.textBytes()));
        return out;
    };
    // The pages of the same queries, compared as UTF-8.
    int plainDiffer = 0, rankedDiffer = 0;
    for (std::size_t i = 0; i < 2000; ++i) {
        const wl::TypedWord cp{cpQueries[i].c_str(), nullptr}, u{nullptr, utf8Queries[i].c_str()};
        if (Utf8Keys(plain(cpSet, cp), true) != Utf8Keys(plain(utf8Set, u), false)) ++plainDiffer;
        if (Utf8Keys(ranked(cpSet, cp), true) != Utf8Keys(ranked(utf8Set, u), false))
            ++rankedDiffer;
    }
    auto cpWord = [](const std::string& q) { return wl::TypedWord{q.c_str(), nullptr}; };
    auto utf8Word = [](const std::string& q) { return wl::TypedWord{nullptr, q.c_str()}; };
    Stats cpPlain =
        TimePages(cpQueries, [&](const std::string& q) { return plain(cpSet, cpWord(q)); });
    Stats uPlain =
        TimePages(utf8Queries, [&](const std::string& q) { return plain(utf8Set, utf8Word(q)); });
    Stats cpRanked =
        TimePages(cpQueries, [&](const std::string& q) { return ranked(cpSet, cpWord(q)); });
    Stats uRanked =
        TimePages(utf8Queries, [&](const std::string& q) { return ranked(utf8Set, utf8Word(q)); });
    auto row = [](const char* what, const Stats& cp, const Stats& u) {
        std::printf("  %-14s %8.2f / %8.2f %8.2f / %8.2f   %5.2fx", what, cp.median, cp.p99,
                    u.median, u.p99, u.median / cp.median);
        if (cp.cpuMedian >= 0)
            std::printf("   (processor: %.2f / %.2f us, %.2fx)", cp.cpuMedian, u.cpuMedian,
                        u.cpuMedian / cp.cpuMedian);
        std::printf("\n");
    };
    std::printf("  %-14s %19s %19s   %s\n", "page", "code page med/p99 us", "UTF-8 med/p99 us",
                "UTF-8 / code page");
    row("plain", cpPlain, uPlain);
    row("ranked", cpRanked, uRanked);
    std::printf("  ranked index: built in %.3f s (code page), %.3f s (UTF-8); %.1f / %.1f MB\n",
                cpBuild, utf8Build, static_cast<double>(cpSet.RankedBytes()) / 1e6,
                static_cast<double>(utf8Set.RankedBytes()) / 1e6);
    std::printf(
        "  of 2000 pages, %d plain and %d ranked differ between the two (byte order of\n"
        "  accented letters, and sharp s folded to ss)\n",
        plainDiffer, rankedDiffer);
}

}  // namespace

int main(int argc, char** argv) {
    bool all = argc < 2;
    auto wanted = [&](const char* name) {
        for (int i = 1; i < argc; ++i)
            if (std::strcmp(argv[i], name) == 0) return true;
        return all;
    };
    if (wanted("lookup")) BenchLookup();
    if (wanted("import")) BenchImport();
    if (wanted("export")) BenchExport();
    if (wanted("unicode")) {
        BenchUnicode(false);
        BenchUnicode(true);
    }
    return 0;
}
