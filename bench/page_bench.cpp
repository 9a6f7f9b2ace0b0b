// The ranked page in context (RankInContext, 10 rows) over the build's
// default libraries, as the candidate list asks for it: for contexts of
// one and two words drawn from the English model itself, with no letter
// typed (the next word), one letter and two; without a learner and with
// one that learned 300,000 words as a typist uses them.  Median and 99th
// percentile per page.  Printed figures, never a test; natively and under
// Wine.
//
//   page_bench [LIBS]      (default: the build's Libs)
#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/CandidateSource.h"
#include "app/ContextRanking.h"
#include "learn/Learner.h"
#include "platform/CodePage.h"
#include "platform/Directory.h"
#include "platform/Registry.h"
#include "store/LibrarySet.h"

namespace {

using Clock = std::chrono::steady_clock;
using WordId = wl::ContextModel::WordId;

struct Query {
    std::vector<std::string> context;
    std::string letters;
};

void Report(const char* what, std::vector<double> us) {
    std::sort(us.begin(), us.end());
    std::printf("  %-44s median %7.1f us, p99 %7.1f us (%zu pages)\n", what, us[us.size() / 2],
                us[us.size() * 99 / 100], us.size());
}

}  // namespace

int main(int argc, char** argv) {
    const std::string libs = argc > 1 ? argv[1] : WORDLARK_LIBS_DIR;
    const wl::CodePage& cp = wl::SystemCodePage();
    wl::LibrarySet set(wl::SystemRegistry(), wl::SystemDirectory(), cp);
    if (!set.LoadFolder(libs, 1)) {
        std::fprintf(stderr, "page_bench: no library in %s\n", libs.c_str());
        return 1;
    }
    set.PrepareRanked();
    wl::LibrarySource source(set);
    const wl::ContextModel* model = source.Context();
    if (!model) {
        std::fprintf(stderr, "page_bench: no library in %s has context data\n", libs.c_str());
        return 1;
    }
    // Contexts the model knows: a random word, and one of its successors.
    std::mt19937 rng(7);
    WordId first = 0, last = 0;
    model->PrefixRange("", first, last);
    std::vector<Query> queries;
    std::vector<wl::ContextModel::Entry> entries;
    while (queries.size() < 3000) {
        const WordId a = first + static_cast<WordId>(rng() % (last - first));
        float backoff = 0;
        if (!model->Lookup(&a, 1, entries, backoff) || entries.empty()) continue;
        const std::string w1(model->Word(a));
        if (w1 == wl::ContextModel::kSentenceStart) continue;
        const std::string w2(model->Word(entries[rng() % entries.size()].word));
        std::vector<std::string> context{w1, w2};
        if (queries.size() % 2) context.erase(context.begin());
        const std::string next(model->Word(entries[rng() % entries.size()].word));
        queries.push_back({context, next.substr(0, queries.size() % 3)});
    }

    // A learner of what a typist uses: words of the dictionary, the
    // common ones far more often (a word's rank drawn evenly on a log
    // scale, as word frequencies fall), each after the one before.
    wl::Learner learner(cp);
    std::vector<std::string> words;
    {
        wl::LibraryEntry e;
        for (int ok = set.FindFirstRanked("", e, 1, 0); ok && words.size() < 40000;
             ok = set.FindNextRanked(e))
            words.emplace_back(e.keyString());
    }
    std::uniform_real_distribution<double> logRank(0, std::log(static_cast<double>(words.size())));
    std::string prev;
    for (int i = 0; i < 300000; ++i) {
        const std::string& w =
            words[std::min(words.size() - 1, static_cast<std::size_t>(std::exp(logRank(rng))))];
        learner.Use(w, prev, 1800000000 + i);
        prev = w;
    }
    std::printf(
        "Ranked pages in context over %s (10 rows; the learner holds %zu words, %zu pairs)\n",
        libs.c_str(), learner.WordCount(), learner.PairCount());

    const wl::Learner* learners[] = {nullptr, &learner};
    for (const wl::Learner* l : learners) {
        std::vector<double> byLetters[3];
        for (const Query& q : queries) {
            wl::RankRequest request;
            request.word = q.letters;
            request.context = q.context;
            request.prev = q.context.back();
            request.learnNew = l != nullptr;
            request.now = 1800300000;
            const auto start = Clock::now();
            const wl::RankedPage page = wl::RankInContext(source, l, cp, request);
            const double us =
                std::chrono::duration<double, std::micro>(Clock::now() - start).count();
            if (page.entries.empty() && !q.letters.empty()) continue;
            byLetters[q.letters.size()].push_back(us);
        }
        const char* who = l ? "with the learner" : "no learner";
        char label[96];
        for (std::size_t n = 0; n < 3; ++n) {
            std::snprintf(label, sizeof label, "%s, %s", who,
                          n == 0   ? "the next word (no letter)"
                          : n == 1 ? "one letter"
                                   : "two letters");
            Report(label, byLetters[n]);
        }
    }
    return 0;
}
