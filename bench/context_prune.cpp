// The English context model's pruning: what each threshold keeps of the
// model's use, and what the data costs.  Printed figures, never a test.
//
// For each threshold the built English library is copied into a temporary
// folder and given the context data of the language model (the ARPA text
// scripts/setup keeps) pruned at it (WriteContextData); then the text is
// read word by word, and each word is looked for among the 10 most likely
// words
//   (a) after its context, no letter typed;
//   (b) after its context, of those that begin with its first letter;
//   (c) after its context, of those that begin with its first two letters
//       (words of three letters or more);
// where "most likely" is P(word | the two words before), backing off as the
// ARPA model does to the one word before and to the word alone, whose
// probability is the library's weight (10^(log10 P + 10)), over the words
// of the library the model has.  The context is the one or two words before
// in the same sentence (punctuation other than . ! ? passed over; after
// those or a paragraph's end, the sentence start), cut at a word the model
// does not have.  The row "none" is the word alone, without context data.
// A word counts in (a) and (b) whatever it is; one the model does not have
// is never found.
//
//   context_prune [--libs DIR] [--arpa FILE] [--text FILE] [--words N]
//                 [--thresholds T,T,...]
//
// DIR: the folder of the built libraries (its English.lib); FILE: the ARPA
// text (the build's); the text as bench/BenchText.h reads it.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/BenchText.h"
#include "platform/CodePage.h"
#include "store/ContextWriter.h"
#include "store/Library.h"
#include "store/LibraryContextModel.h"
#include "tests/support/Files.h"

namespace {

using namespace wl::bench;
using Clock = std::chrono::steady_clock;
using WordId = wl::ContextModel::WordId;
namespace fs = std::filesystem;

constexpr std::size_t kPage = 10;
constexpr WordId kNone = wl::ContextModel::kNoWord;

struct Scored {
    double score;
    WordId word;
    bool operator<(const Scored& o) const {
        return score != o.score ? score > o.score : word < o.word;
    }
};

// The ranking over one model: the words alone by the library's weights, and
// each context's entries, kept in order of probability per range of words.
class Ranker {
  public:
    Ranker(const wl::LibraryContextModel* model, const std::vector<double>& alone,
           std::uint32_t words)
        : model_(model), alone_(alone), words_(words) {
        for (WordId w = 0; w < words; ++w)
            if (std::isfinite(alone[w])) byAlone_.push_back(w);
        std::stable_sort(byAlone_.begin(), byAlone_.end(),
                         [&](WordId x, WordId y) { return alone[x] > alone[y]; });
    }

    // Whether target is among the 10 most likely words of [first, last)
    // after the context (older first; n words).
    bool OnPage(const WordId* context, std::size_t n, WordId target, WordId first, WordId last) {
        std::vector<wl::ContextModel::Entry> three;
        float backoff3 = 0;
        if (n == 2 && model_) model_->Lookup(context, 2, three, backoff3);
        const One* two = n >= 1 ? &Context1(context[n - 1]) : nullptr;
        std::vector<Scored> scored;
        std::vector<WordId> explicit3;
        for (const auto& e : three)
            if (e.word >= first && e.word < last) {
                scored.push_back({e.logProb, e.word});
                explicit3.push_back(e.word);
            }
        auto in3 = [&](WordId w) {
            return std::binary_search(explicit3.begin(), explicit3.end(), w);
        };
        double backoff2 = 0;
        const std::vector<wl::ContextModel::Entry>* entries2 = nullptr;
        if (two) {
            backoff2 = two->backoff;
            entries2 = &two->byWord;
            std::size_t taken = 0;
            for (const auto& e : Sorted(context[n - 1], *two, first, last)) {
                if (taken == kPage) break;
                if (in3(e.word)) continue;
                scored.push_back({backoff3 + e.logProb, e.word});
                ++taken;
            }
        }
        auto in2 = [&](WordId w) {
            if (!entries2) return false;
            auto it = std::lower_bound(
                entries2->begin(), entries2->end(), w,
                [](const wl::ContextModel::Entry& e, WordId x) { return e.word < x; });
            return it != entries2->end() && it->word == w;
        };
        std::size_t taken = 0;
        for (WordId w : AloneIn(first, last)) {
            if (taken == kPage) break;
            if (in3(w) || in2(w)) continue;
            scored.push_back({backoff3 + backoff2 + alone_[w], w});
            ++taken;
        }
        const std::size_t page = std::min(kPage, scored.size());
        std::partial_sort(scored.begin(), scored.begin() + static_cast<long>(page), scored.end());
        for (std::size_t i = 0; i < page; ++i)
            if (scored[i].word == target) return true;
        return false;
    }

  private:
    struct One {
        double backoff = 0;
        std::vector<wl::ContextModel::Entry> byWord;
    };
    const One& Context1(WordId b) {
        auto [it, added] = ones_.try_emplace(b);
        if (added && model_) {
            float backoff = 0;
            model_->Lookup(&b, 1, it->second.byWord, backoff);
            it->second.backoff = backoff;
        }
        return it->second;
    }
    static std::uint64_t Key(WordId b, WordId first, WordId last) {
        return std::uint64_t{b} << 42 | std::uint64_t{first} << 21 | last;
    }
    // The entries of a context within [first, last), most probable first.
    const std::vector<wl::ContextModel::Entry>& Sorted(WordId b, const One& one, WordId first,
                                                       WordId last) {
        auto [it, added] = sorted_.try_emplace(Key(b, first, last));
        if (added) {
            for (const auto& e : one.byWord)
                if (e.word >= first && e.word < last) it->second.push_back(e);
            std::stable_sort(it->second.begin(), it->second.end(),
                             [](const auto& x, const auto& y) { return x.logProb > y.logProb; });
        }
        return it->second;
    }
    const std::vector<WordId>& AloneIn(WordId first, WordId last) {
        auto [it, added] = alone_in_.try_emplace(Key(0, first, last));
        if (added)
            for (WordId w : byAlone_)
                if (w >= first && w < last) it->second.push_back(w);
        return it->second;
    }

    const wl::LibraryContextModel* model_;
    const std::vector<double>& alone_;
    std::uint32_t words_;
    std::vector<WordId> byAlone_;
    std::unordered_map<WordId, One> ones_;
    std::unordered_map<std::uint64_t, std::vector<wl::ContextModel::Entry>> sorted_;
    std::unordered_map<std::uint64_t, std::vector<WordId>> alone_in_;
};

struct Counts {
    long words = 0, longer = 0, a = 0, b = 0, c = 0;
};

double Share(long n, long of) {
    return of ? 100.0 * static_cast<double>(n) / static_cast<double>(of) : 0.0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: context_prune [--libs DIR] [--arpa FILE] [--text FILE] [--words N] "
                 "[--thresholds T,T,...]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string libs = WORDLARK_LIBS_DIR, arpa = WORDLARK_LM_ARPA, textFile;
    long maxWords = -1;
    std::vector<double> thresholds{-1, 0, 1e-8, 3e-8, 1e-7, 3e-7, 1e-6, 3e-6};
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc) return Usage();
        const std::string value = argv[++i];
        if (a == "--libs") {
            libs = value;
        } else if (a == "--arpa") {
            arpa = value;
        } else if (a == "--text") {
            textFile = value;
        } else if (a == "--words") {
            maxWords = std::strtol(value.c_str(), nullptr, 10);
        } else if (a == "--thresholds") {
            thresholds = {-1};
            for (std::size_t at = 0; at < value.size();) {
                std::size_t comma = value.find(',', at);
                if (comma == std::string::npos) comma = value.size();
                thresholds.push_back(std::strtod(value.substr(at, comma - at).c_str(), nullptr));
                at = comma + 1;
            }
        } else {
            return Usage();
        }
    }
    std::string raw, source, error;
    if (!ReadBenchText(textFile, raw, source, error)) {
        std::fprintf(stderr, "context_prune: %s\n", error.c_str());
        return 1;
    }
    const wl::CodePage& page = wl::SystemCodePage();
    const std::vector<Token> tokens = Tokens(AsTyped(ToWindows1252(raw)), page);
    const std::string library = libs + "/English.lib";
    if (!fs::exists(library) || !fs::exists(arpa)) {
        std::fprintf(stderr, "context_prune: no %s or no %s (build the default libraries)\n",
                     library.c_str(), arpa.c_str());
        return 1;
    }
    // The library's weights by lower-case key.
    std::unordered_map<std::string, double> weights;
    {
        wl::Library lib(page);
        if (!lib.Open(library.c_str())) return 1;
        lib.ForEachKey([&](const wl::Library::KeyInfo& info) {
            if (!info.weighted) return true;
            std::string key(info.key, info.length);
            page.ToLower(key.data());
            double& w = weights[key];
            w = std::max(w, static_cast<double>(info.weight));
            return true;
        });
    }
    std::printf("Context data of the English library by pruning threshold, over %s:\n",
                source.c_str());
    std::printf(
        "  the next word among the 10 most likely: (a) no letter typed, (b) its first "
        "letter, (c) its first two (words of 3+ letters)\n");
    std::printf("  %-9s %9s %9s %9s %8s %8s %8s %8s\n", "threshold", "contexts", "entries",
                "disk MB", "build s", "(a) %", "(b) %", "(c) %");

    wl::test::TempDir temp;
    for (double threshold : thresholds) {
        const std::string copy = temp / "English.lib";
        fs::remove(copy);
        fs::copy_file(library, copy);
        wl::LibraryContextModel model;
        wl::LibraryContextModel::Totals totals;
        double built = 0;
        if (threshold >= 0) {
            wl::Library lib(page);
            if (!lib.Open(copy.c_str())) return 1;
            const auto start = Clock::now();
            const wl::ContextWriteResult r = wl::WriteContextData(lib, arpa, threshold);
            lib.Close();
            built = std::chrono::duration<double>(Clock::now() - start).count();
            if (!r.ok || !model.Open(copy) || !model.Count(totals)) {
                std::fprintf(stderr, "context_prune: %s\n", r.error.c_str());
                return 1;
            }
        } else {
            // The words alone still need numbers: the model at threshold 0.
            wl::Library lib(page);
            if (!lib.Open(copy.c_str()) || !wl::WriteContextData(lib, arpa, 0).ok) return 1;
            lib.Close();
            if (!model.Open(copy)) return 1;
        }
        const std::uint32_t n = model.WordCount();
        std::vector<double> alone(n, -INFINITY);
        for (WordId w = 0; w < n; ++w) {
            auto it = weights.find(std::string(model.Word(w)));
            if (it != weights.end() && it->second > 0) alone[w] = std::log10(it->second) - 10;
        }
        Ranker ranker(threshold >= 0 ? &model : nullptr, alone, n);
        const WordId start = model.Id(wl::ContextModel::kSentenceStart);
        Counts counts;
        long seen = 0;
        for (std::size_t i = 0; i < tokens.size() && seen != maxWords; ++i) {
            if (!tokens[i].word) continue;
            ++seen;
            // The context: up to two words before, older first.
            WordId newer[2], context[2];
            std::size_t words = 0;
            for (std::size_t j = i; words < 2;) {
                if (j == 0) {  // the text's start is a sentence start
                    if (start != kNone) newer[words++] = start;
                    break;
                }
                const Token& t = tokens[--j];
                if (!t.word) {
                    if (t.text[0] == '\0' || std::strchr(".!?\n", t.text[0]) == nullptr) continue;
                    if (start != kNone) newer[words++] = start;
                    break;
                }
                std::string word = t.text;
                page.ToLower(word.data());
                const WordId id = model.Id(word);
                if (id == kNone) break;
                newer[words++] = id;
            }
            for (std::size_t k = 0; k < words; ++k) context[k] = newer[words - 1 - k];
            std::string lower = tokens[i].text;
            page.ToLower(lower.data());
            const WordId target = model.Id(lower);
            ++counts.words;
            if (lower.size() >= 3) ++counts.longer;
            if (target == kNone) continue;
            WordId first = 0, last = 0;
            counts.a += ranker.OnPage(context, words, target, 0, n);
            model.PrefixRange(lower.substr(0, 1), first, last);
            counts.b += ranker.OnPage(context, words, target, first, last);
            if (lower.size() >= 3) {
                model.PrefixRange(lower.substr(0, 2), first, last);
                counts.c += ranker.OnPage(context, words, target, first, last);
            }
        }
        char name[32];
        if (threshold < 0)
            std::snprintf(name, sizeof name, "none");
        else
            std::snprintf(name, sizeof name, "%g", threshold);
        std::printf("  %-9s %9llu %9llu %9.1f %8.1f %8.1f %8.1f %8.1f\n", name,
                    static_cast<unsigned long long>(totals.contexts[0] + totals.contexts[1]),
                    static_cast<unsigned long long>(totals.entries[0] + totals.entries[1]),
                    static_cast<double>(totals.diskBytes) / 1e6, built,
                    Share(counts.a, counts.words), Share(counts.b, counts.words),
                    Share(counts.c, counts.longer));
        std::fflush(stdout);
        if (threshold < 0)
            std::printf("  (%ld words, %ld of 3+ letters)\n", counts.words, counts.longer);
    }
    return 0;
}
