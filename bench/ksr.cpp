// Keystroke savings: how much typing the candidate list saves on a long
// English text, through the real LibrarySet over the built default
// libraries.  Printed figures, never a test.
//
// The text is typed word by word.  Before each letter of a word (after the
// first), when the word is on the first page of 10 candidates for what was
// typed so far, one key takes it; otherwise the letter is typed.  Every
// other character costs one key.  KSR = 1 - keys typed / characters of the
// text.  It is measured for
//   - today's order (FindFirst/FindNext; a candidate is typed as stored);
//   - the smart order (FindFirstRanked/FindNextRanked; a candidate in the
//     letter case of FollowTypedCase);
//   - the smart order with a space typed after a taken word: a space in the
//     text right after it costs nothing; one of . , ; : ! ? moves the space
//     after itself, so that a space following the mark costs nothing; any
//     other character after the taken word first costs a Backspace;
//   - the smart order with the space, learning while it types: a fresh
//     Learner counts each word finished (taken or typed) as one use, after
//     the word before it when a single space stood between them, on a clock
//     that moves a second per word, as the hook library reports them (not
//     before a paragraph's end, not the pieces of a hyphenated word).  The
//     page is what the candidate list shows (RankInContext: the exact best
//     10 by the learned mix over every matching key), without the
//     libraries' context model;
//   - the same with "learn new words": the learned words of two uses and
//     three letters that no library holds are candidates too;
//   - the same ranked in the context of the two words before (the English
//     library's model);
//   - the same with the next word offered after a word and a space, before
//     a letter: a word on row r of it costs r keys (r - 1 Downs and Tab);
//   - the last two without learning: what the model alone adds to the
//     smart order with the space;
//   - the ceiling: every word of two or more letters taken after its first
//     letter, with the space.
// A Shorthand candidate never types a word of the text, but it takes a row.
// Each is measured on the first half of the text (up to the first
// paragraph end after half its words), the second, and the whole; the
// learner goes on from the first half into the second, and the second half
// is typed once more by a fresh learner.  For the learning orders it also
// tells where the words stood after their first letter, the learner's size
// and file after the text, and the time a page takes.
//
// The text: Jane Austen's six novels (public domain), read at run time from
// Debian's r-cran-janeaustenr, where it installs them, through R; or any
// text file (UTF-8 or plain ASCII) given with --text.
//
//   ksr [--libs DIR] [--text FILE] [--words N] [--mix USER,PAIR] [--half-life S]
//       [--tune]
//
// DIR: the folder of the libraries (default: the build's Libs); N: type only
// the first N words; USER,PAIR: LearnMix's userWeight and pairWeight (default:
// its own); S: the half-life of the counts in seconds (0: they never fade;
// default LearnLimits'); --tune: only the learning orders on the first half,
// for a grid of mixes (or the one given).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/CandidateSource.h"
#include "app/ContextRanking.h"
#include "app/TypedCase.h"
#include "bench/BenchText.h"
#include "learn/LearnedFile.h"
#include "learn/Learner.h"
#include "platform/CodePage.h"
#include "platform/Directory.h"
#include "platform/LetterWords.h"
#include "platform/Registry.h"
#include "store/LibrarySet.h"

namespace {

using namespace wl::bench;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kPage = 10;
// The learner's clock: it starts here and moves on a second per word.
constexpr std::int64_t kStartTime = 1800000000;
constexpr std::int64_t kSecondsPerWord = 1;
// The first page for what was typed, as the texts a Dictionary candidate
// would type, remembered per typed prefix.
class Pages {
  public:
    Pages(wl::LibrarySet& set, bool smart) : set_(set), smart_(smart) {}
    bool Offers(const std::string& typed, const std::string& word) {
        auto it = memo_.find(typed);
        if (it == memo_.end()) it = memo_.emplace(typed, Page(typed)).first;
        for (const auto& text : it->second)
            if (text == word) return true;
        return false;
    }
    long lookups() const { return lookups_; }
    double seconds() const { return seconds_; }

  private:
    std::vector<std::string> Page(const std::string& typed) {
        auto start = Clock::now();
        std::vector<std::string> texts;
        wl::LibraryEntry e;
        int ok = smart_ ? set_.FindFirstRanked(typed.c_str(), e, 1, 1)
                        : set_.FindFirst(typed.c_str(), e, wl::MATCH_PREFIX, 1, 1);
        for (int n = 0; ok;) {
            if (e.type == wl::Dictionary && e.key()) {
                std::string key(e.key(), e.keyLength());
                texts.push_back(
                    smart_ ? wl::FollowTypedCase(wl::SystemCodePage(), typed.c_str(), key.c_str())
                           : key);
            }
            if (++n == kPage) break;
            ok = smart_ ? set_.FindNextRanked(e) : set_.FindNext(e);
        }
        ++lookups_;
        seconds_ += std::chrono::duration<double>(Clock::now() - start).count();
        return texts;
    }
    wl::LibrarySet& set_;
    bool smart_;
    std::unordered_map<std::string, std::vector<std::string>> memo_;
    long lookups_ = 0;
    double seconds_ = 0;
};

// What taking a word costs: whether it was taken from the list (a space
// after it is then the list's), and the keys it took, the take included.
struct Taken {
    bool taken = false;
    std::size_t keys = 0;
};

// The words before each word as the hook library keeps them (the context),
// and whether a single space after a word stands right before it (the next
// word is then offered before a letter is typed).  A sentence starts after
// . ! ? and a paragraph's end; a word with a digit, or the pieces of a
// hyphenated word (the hook takes them for one word no model knows), leave
// none.
struct Before {
    std::vector<std::string> context;
    bool afterWordAndSpace = false;
};

std::vector<Before> ContextsOf(const std::vector<Token>& tokens) {
    const wl::CodePage& cp = wl::SystemCodePage();
    std::vector<Before> out(tokens.size());
    std::vector<std::string> context{wl::ContextModel::kSentenceStart};
    auto push = [&](const std::string& word) {
        context.push_back(word);
        if (context.size() > 2) context.erase(context.begin());
    };
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.word) {
            out[i].context = context;
            out[i].afterWordAndSpace = i >= 2 && tokens[i - 1].text == " " && tokens[i - 2].word &&
                                       wl::IsLetterWord(tokens[i - 2].text, cp, 64);
            const bool hyphenated =
                (i + 2 < tokens.size() && tokens[i + 1].text == "-" && tokens[i + 2].word) ||
                (i >= 2 && tokens[i - 1].text == "-" && tokens[i - 2].word);
            if (wl::IsLetterWord(t.text, cp, 64) && !hyphenated)
                push(t.text);
            else
                context.clear();
            continue;
        }
        const char c = t.text[0];
        if (c == '.' || c == '!' || c == '?' || c == '\n')
            context = {wl::ContextModel::kSentenceStart};
    }
    return out;
}

// The candidates' source of the typists: the loaded libraries, with their
// context model or without.
class BenchSource : public wl::LibrarySource {
  public:
    BenchSource(wl::LibrarySet& set, bool model) : LibrarySource(set), model_(model) {}
    const wl::ContextModel* Context() override {
        return model_ ? LibrarySource::Context() : nullptr;
    }

  private:
    bool model_;
};

// Where a word of two or more letters stood after its first letter, and
// the letters typed after the first because it did not stand on the page.
enum Place { kOnPage, kPageTwo, kInDictionary, kInNoLibrary, kPlaces };
constexpr const char* kPlaceNames[kPlaces] = {"on the first page", "on the second page",
                                              "not among them, in the dictionary",
                                              "not among them, in no library"};

struct PlaceCount {
    long words = 0, typedBefore = 0, lettersAfterFirst = 0;
};

struct Percentiles {
    double median = 0, p99 = 0;
};

Percentiles Of(std::vector<std::uint32_t> ns) {
    if (ns.empty()) return {};
    std::sort(ns.begin(), ns.end());
    return {ns[ns.size() / 2] / 1e3, ns[ns.size() * 99 / 100] / 1e3};
}

// What a typist of the built design can do.
struct Design {
    bool learn = false;     // learning from what is typed
    bool newWords = false;  // and the words no library holds
    bool context = false;   // the words before rank the list (the libraries' model)
    bool predict = false;   // the next word before a letter is typed
};

// The typist of the ranked designs: before each letter the page is the
// candidate list's (RankInContext, the first 10 rows, in the typist's
// letter case); with prediction, after a word and a space the next words
// are offered first, and a word on row r of them costs r keys (r - 1 Downs
// and Tab).  Each word finished, taken or typed, is one use (see Learn),
// after the word before it when a single space stood between.
class Typist {
  public:
    Typist(wl::LibrarySet& set, const std::vector<Before>& before, const Design& design,
           const wl::LearnMix& mix, const wl::LearnLimits& limits)
        : set_(set),
          source_(set, design.context),
          before_(before),
          design_(design),
          mix_(mix),
          learner_(wl::SystemCodePage(), limits) {}

    Taken Take(const std::vector<Token>& tokens, std::size_t i) {
        const std::string& w = tokens[i].text;
        const bool spaced = i >= 2 && tokens[i - 1].text == " " && tokens[i - 2].word;
        const std::string prev = spaced ? tokens[i - 2].text : std::string();
        const bool typedBefore = learner_.Uses(w) > 0;
        Taken best{false, w.size()};
        std::size_t letters = w.size();  // typed before it was taken
        if (design_.predict && before_[i].afterWordAndSpace) {
            const std::size_t row = Row("", before_[i].context, prev, w, kPage);
            if (row < static_cast<std::size_t>(kPage)) {
                best = {true, row + 1};
                letters = 0;
                ++predicted_;
            }
        }
        // Taken as soon as it is on the page (with its space, even a
        // two-letter word saves a key), unless the next-word list gave it
        // for fewer keys.
        for (std::size_t typed = 1; typed < w.size(); ++typed) {
            if (typed > 1 && best.taken && typed + 1 >= best.keys) break;
            // After the first letter, two pages: where the word stood.
            const std::size_t rows = typed == 1 ? 2 * kPage : kPage;
            const std::size_t row = Row(w.substr(0, typed), before_[i].context, prev, w, rows);
            if (typed == 1) Place(w, row, typedBefore);
            if (row < static_cast<std::size_t>(kPage)) {
                if (!best.taken || typed + 1 < best.keys) {
                    best = {true, typed + 1};
                    letters = typed;
                }
                break;
            }
        }
        if (w.size() >= 2)
            places_[place_].lettersAfterFirst += static_cast<long>(letters > 0 ? letters - 1 : 0);
        Learn(tokens, i, prev);
        now_ += kSecondsPerWord;
        return best;
    }

    const wl::Learner& learner() const { return learner_; }
    const PlaceCount& place(::Place p) const { return places_[p]; }
    long predicted() const { return predicted_; }
    Percentiles Pages(bool withLetters) const { return Of(withLetters ? typedNs_ : nextNs_); }

  private:
    // The row of w on the page for typed after context; past the rows
    // when it is not there.
    std::size_t Row(const std::string& typed, const std::vector<std::string>& context,
                    const std::string& prev, const std::string& w, std::size_t rows) {
        wl::RankRequest request;
        request.word = typed;
        request.context = context;
        request.prev = prev;
        request.rows = rows;
        request.learnNew = design_.learn && design_.newWords;
        request.now = now_;
        const auto start = Clock::now();
        const wl::RankedPage page = wl::RankInContext(source_, design_.learn ? &learner_ : nullptr,
                                                      wl::SystemCodePage(), request, mix_);
        (typed.empty() ? nextNs_ : typedNs_)
            .push_back(static_cast<std::uint32_t>(
                std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start)
                    .count()));
        std::size_t row = 0;
        for (const auto& entry : page.entries) {
            if (entry->type != wl::Dictionary && entry->type != wl::Learned) {
                if (&entry - &page.entries.front() >= static_cast<long>(page.pinned)) ++row;
                continue;
            }
            if (wl::FollowTypedCase(wl::SystemCodePage(), typed.c_str(), entry->keyString()) == w)
                return row;
            ++row;
        }
        return rows;
    }

    void Place(const std::string& w, std::size_t row, bool typedBefore) {
        place_ = row < static_cast<std::size_t>(kPage)       ? kOnPage
                 : row < static_cast<std::size_t>(2 * kPage) ? kPageTwo
                 : Holds(w)                                  ? kInDictionary
                                                             : kInNoLibrary;
        PlaceCount& at = places_[place_];
        ++at.words;
        if (typedBefore) ++at.typedBefore;
    }

    bool Holds(const std::string& word) {
        wl::LibraryEntry e;
        return set_.FindFirstRanked(word.c_str(), e, 1, 0) &&
               (wl::SystemCodePage().CompareNoCase(e.keyString(), word.c_str()) == 0 ||
                set_.FindRankedKey(word.c_str(), e));
    }

    // The word as the hook library reports it: only with a delimiter typed
    // right after it (a paragraph's end is Enter, which ends the line
    // first), not the pieces of a hyphenated word (the hook reports it
    // whole, and no library offers it), and with its sentence start.
    void Learn(const std::vector<Token>& tokens, std::size_t i, const std::string& prev) {
        const bool delimited = i + 1 < tokens.size() && tokens[i + 1].text != "\n";
        auto joins = [&](std::size_t at, std::size_t other) {
            return at < tokens.size() && tokens[at].text == "-" && other < tokens.size() &&
                   tokens[other].word;
        };
        if (!delimited || joins(i + 1, i + 2) || (i >= 2 && joins(i - 1, i - 2))) return;
        std::size_t b = i;
        while (b > 0 && tokens[b - 1].text == " ") --b;
        const bool sentenceStart = b == 0 || std::strchr(".!?\n", tokens[b - 1].text[0]) != nullptr;
        learner_.Use(tokens[i].text, prev, now_, sentenceStart);
    }

    wl::LibrarySet& set_;
    BenchSource source_;
    const std::vector<Before>& before_;
    Design design_;
    wl::LearnMix mix_;
    wl::Learner learner_;
    std::int64_t now_ = kStartTime;
    ::Place place_ = kOnPage;
    PlaceCount places_[kPlaces];
    long predicted_ = 0;
    std::vector<std::uint32_t> typedNs_, nextNs_;
};

// The keys it takes to type tokens [begin, end); take(i) tells what the
// word at tokens[i] cost.
template <typename Take>
long KeysFor(const std::vector<Token>& tokens, std::size_t begin, std::size_t end, bool spaceAfter,
             Take&& take) {
    long keys = 0;
    // After a word taken with its space: 1 while the space follows it, 2
    // once a mark has moved it after itself.
    int pending = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const Token& t = tokens[i];
        if (!t.word) {
            char c = t.text[0];
            if (pending && c == ' ') {
                pending = 0;  // typed already
                continue;
            }
            if (pending == 1 && std::strchr(".,;:!?", c)) {
                keys += 1;  // the mark; the space moves after it
                pending = 2;
                continue;
            }
            if (pending) keys += 1;  // a Backspace takes the space off
            pending = 0;
            keys += 1;
            continue;
        }
        if (pending) keys += 1;  // cannot happen: words are apart
        pending = 0;
        const Taken taken = take(i);
        keys += static_cast<long>(taken.keys);
        if (taken.taken && spaceAfter) pending = 1;
    }
    if (pending) keys += 1;
    return keys;
}

// Taken from a page that does not change: after the fewest letters that
// put the word on it.
Taken TakeFrom(Pages& pages, const std::string& w) {
    for (std::size_t typed = 1; typed < w.size(); ++typed)
        if (pages.Offers(w.substr(0, typed), w)) return {true, typed + 1};
    return {false, w.size()};
}

int Usage() {
    std::fputs(
        "usage: ksr [--libs DIR] [--text FILE] [--words N] [--mix USER,PAIR] [--half-life S]\n"
        "           [--tune]\n",
        stderr);
    return 2;
}

double Ksr(long keys, long characters) {
    return characters ? 100.0 * (1.0 - static_cast<double>(keys) / static_cast<double>(characters))
                      : 0.0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string libs = WORDLARK_LIBS_DIR, textFile;
    long maxWords = -1;
    wl::LearnMix mix;
    wl::LearnLimits limits;
    bool tune = false, mixGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--tune") {
            tune = true;
            continue;
        }
        if (i + 1 >= argc) return Usage();
        const char* value = argv[++i];
        if (a == "--libs") {
            libs = value;
        } else if (a == "--text") {
            textFile = value;
        } else if (a == "--words") {
            maxWords = std::strtol(value, nullptr, 10);
        } else if (a == "--mix") {
            if (std::sscanf(value, "%lf,%lf", &mix.userWeight, &mix.pairWeight) != 2)
                return Usage();
            mixGiven = true;
        } else if (a == "--half-life") {
            limits.halfLifeSeconds = std::strtoll(value, nullptr, 10);
        } else {
            return Usage();
        }
    }

    std::string raw, source, error;
    if (!ReadBenchText(textFile, raw, source, error)) {
        std::fprintf(stderr, "ksr: %s\n", error.c_str());
        return 1;
    }
    const wl::CodePage& page = wl::SystemCodePage();
    const std::string text = AsTyped(ToWindows1252(raw));
    std::vector<Token> tokens = Tokens(text, page);
    long words = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].word) continue;
        if (words == maxWords) {
            tokens.resize(i);
            break;
        }
        ++words;
    }
    // The halves: the first ends with the first paragraph that ends after
    // half the words.
    std::size_t split = tokens.size();
    for (std::size_t i = 0, seen = 0; i < tokens.size(); ++i) {
        if (tokens[i].word) ++seen;
        if (seen * 2 >= static_cast<std::size_t>(words) && !tokens[i].word &&
            tokens[i].text == "\n") {
            split = i + 1;
            break;
        }
    }
    const std::size_t end = tokens.size();
    long characters[2] = {0, 0};
    for (std::size_t i = 0; i < end; ++i)
        characters[i < split ? 0 : 1] += static_cast<long>(tokens[i].text.size());

    wl::LibrarySet set(wl::SystemRegistry(), wl::SystemDirectory(), wl::SystemCodePage());
    if (!set.Load((libs + "/*.lib").c_str(), 1)) {
        std::fprintf(stderr, "ksr: no library in %s (build the default libraries first)\n",
                     libs.c_str());
        return 1;
    }
    std::printf("Keystroke savings, first page of %d, over %s:\n", kPage, source.c_str());
    std::printf("  %ld words, %ld characters (halves of %ld and %ld); libraries in %s:", words,
                characters[0] + characters[1], characters[0], characters[1], libs.c_str());
    for (int i = 0; i < set.GetCount(); ++i) {
        wl::Library* lib = set.GetLibrary(i);
        std::printf(" %s (%d entries, %d weighted)",
                    fs::path(set.GetPath(i)).filename().string().c_str(),
                    static_cast<int>(lib->Count()), static_cast<int>(lib->CountWeights()));
    }
    std::printf("\n");
    auto start = Clock::now();
    set.PrepareRanked();
    double prepared = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("  ranked index: %.2f MB, built in %.0f ms\n",
                static_cast<double>(set.RankedBytes()) / 1e6, prepared * 1e3);
    std::printf("  learning: %lld s per word, half-life %lld s, userWeight %g, pairWeight %g\n",
                static_cast<long long>(kSecondsPerWord),
                static_cast<long long>(limits.halfLifeSeconds), mix.userWeight, mix.pairWeight);
    const bool haveModel = wl::LibrarySource(set).Context() != nullptr;
    if (!haveModel) std::printf("  (no library has context data: the context rows are left out)\n");
    std::fflush(stdout);

    const std::vector<Before> before = ContextsOf(tokens);
    // KSR on the halves of a typist that learns all along.
    auto learning = [&](const Design& design, const wl::LearnMix& m, std::size_t from) {
        Typist typist(set, before, design, m, limits);
        auto take = [&](std::size_t i) { return typist.Take(tokens, i); };
        long keys[2] = {0, 0};
        if (from == 0) keys[0] = KeysFor(tokens, 0, split, true, take);
        keys[1] = KeysFor(tokens, split, end, true, take);
        return std::make_pair(keys[0], keys[1]);
    };

    if (tune) {
        std::printf(
            "  on the first half: KSR (keys) of smart + space + learning, and + new words\n");
        std::printf("  %10s %10s %20s %20s\n", "userWeight", "pairWeight", "learning",
                    "+ new words");
        std::vector<wl::LearnMix> grid;
        if (mixGiven) grid.push_back(mix);
        for (double user : {8.0, 64.0, 512.0, 4096.0, 32768.0, 262144.0})
            for (double pair : {8.0, 64.0, 512.0})
                if (!mixGiven) grid.push_back({user, pair});
        for (const wl::LearnMix& m : grid) {
            const long plain = learning({true, false, haveModel, false}, m, 0).first;
            const long fresh = learning({true, true, haveModel, false}, m, 0).first;
            std::printf("  %10g %10g %7.3f%% (%9ld) %7.3f%% (%9ld)\n", m.userWeight, m.pairWeight,
                        Ksr(plain, characters[0]), plain, Ksr(fresh, characters[0]), fresh);
            std::fflush(stdout);
        }
        return 0;
    }

    std::printf("  %-54s %11s %11s %7s\n", "ordering (KSR)", "first half", "second half", "whole");
    auto row = [&](const char* name, long first, long second) {
        std::printf("  %-54s", name);
        if (first >= 0)
            std::printf(" %10.2f%%", Ksr(first, characters[0]));
        else
            std::printf(" %11s", "-");
        std::printf(" %10.2f%%", Ksr(second, characters[1]));
        if (first >= 0)
            std::printf(" %6.2f%%", Ksr(first + second, characters[0] + characters[1]));
        else
            std::printf(" %7s", "-");
        std::printf("\n");
        std::fflush(stdout);
    };
    Pages today(set, false), smart(set, true);
    for (Pages* pages : {&today, &smart})
        for (bool space : {false, true}) {
            if (pages == &today && space) continue;
            auto take = [&](std::size_t i) { return TakeFrom(*pages, tokens[i].text); };
            row(pages == &today ? "today's order"
                : space         ? "smart order + space after"
                                : "smart order",
                KeysFor(tokens, 0, split, space, take), KeysFor(tokens, split, end, space, take));
        }

    struct Learning {
        const char* name;
        const char* column;  // in the table of places
        Design design;
    };
    std::vector<Learning> designs;
    if (haveModel) {
        // The model alone, without the typist's own counts.
        designs.push_back({"smart + space + ranked by the two words before",
                           "context, no learning",
                           {false, false, true, false}});
        designs.push_back(
            {"the same + the next word predicted", "+ prediction", {false, false, true, true}});
    }
    designs.push_back({"smart + space + learning", "+ learning", {true, false, false, false}});
    designs.push_back(
        {"smart + space + learning + new words", "+ new words", {true, true, false, false}});
    if (haveModel) {
        designs.push_back(
            {"the same + ranked by the two words before", "+ context", {true, true, true, false}});
        designs.push_back(
            {"the same + the next word predicted", "+ prediction", {true, true, true, true}});
    }
    std::vector<std::unique_ptr<Typist>> typists;
    for (const Learning& l : designs) {
        typists.push_back(std::make_unique<Typist>(set, before, l.design, mix, limits));
        Typist& typist = *typists.back();
        auto take = [&](std::size_t i) { return typist.Take(tokens, i); };
        const long first = KeysFor(tokens, 0, split, true, take);
        row(l.name, first, KeysFor(tokens, split, end, true, take));
        if (l.design.learn)
            row("  the second half by a fresh learner", -1, learning(l.design, mix, split).second);
    }
    auto ceiling = [&](std::size_t i) {
        return tokens[i].text.size() >= 2 ? Taken{true, 2} : Taken{false, tokens[i].text.size()};
    };
    row("ceiling (after the first letter, with the space)",
        KeysFor(tokens, 0, split, true, ceiling), KeysFor(tokens, split, end, true, ceiling));

    std::printf(
        "  words of two letters or more, after their first letter (the whole text; "
        "typed before / letters typed after the first):\n");
    std::printf("  %-34s", "");
    for (const Learning& l : designs) std::printf(" %28s", l.column);
    std::printf("\n");
    for (int p = 0; p < kPlaces; ++p) {
        std::printf("  %-34s", kPlaceNames[p]);
        for (const auto& t : typists) {
            const PlaceCount& c = t->place(static_cast<Place>(p));
            std::printf(" %8ld (%7ld / %8ld)", c.words, c.typedBefore, c.lettersAfterFirst);
        }
        std::printf("\n");
    }
    if (haveModel)
        std::printf("  words taken from the next-word list: %ld\n", typists.back()->predicted());

    // The learner's file after the text, and what it takes at the bound:
    // at the lengths of these lines, and at most (64-byte words, the
    // longest numbers).
    std::size_t firstLearning = 0;
    while (!designs[firstLearning].design.learn) ++firstLearning;
    const wl::Learner& learned = typists[firstLearning]->learner();
    const std::string saved = wl::LearnedText(learned);
    double wordBytes = 0, pairBytes = 0;
    for (std::size_t at = 0; at < saved.size();) {
        std::size_t nl = saved.find('\n', at);
        nl = nl == std::string::npos ? saved.size() : nl + 1;
        if (saved.compare(at, 2, "W\t") == 0) wordBytes += static_cast<double>(nl - at);
        if (saved.compare(at, 2, "P\t") == 0) pairBytes += static_cast<double>(nl - at);
        at = nl;
    }
    const double perWord =
        wordBytes / static_cast<double>(std::max<std::size_t>(1, learned.WordCount()));
    const double perPair =
        pairBytes / static_cast<double>(std::max<std::size_t>(1, learned.PairCount()));
    constexpr double kLongest = wl::Learner::kMaxWordBytes;
    // "W key form count last uses follows", "P prev word count last".
    constexpr double kWordLineMax =
        2 + kLongest + 1 + kLongest + 1 + 24 + 1 + 20 + 1 + 10 + 1 + 24 + 1;
    constexpr double kPairLineMax = 2 + kLongest + 1 + kLongest + 1 + 24 + 1 + 20 + 1;
    std::printf(
        "  learned after the text: %zu words, %zu pairs; its file %.2f MB (%.1f bytes a "
        "word, %.1f a pair)\n",
        learned.WordCount(), learned.PairCount(), static_cast<double>(saved.size()) / 1e6, perWord,
        perPair);
    std::printf(
        "  its file at the bound of %zu words and %zu pairs: about %.1f MB at these lengths, "
        "at most %.1f MB\n",
        limits.maxWords, limits.maxPairs,
        (static_cast<double>(limits.maxWords) * perWord +
         static_cast<double>(limits.maxPairs) * perPair) /
            1e6,
        (static_cast<double>(limits.maxWords) * kWordLineMax +
         static_cast<double>(limits.maxPairs) * kPairLineMax) /
            1e6);
    for (std::size_t t = 0; t < typists.size(); ++t) {
        const Percentiles letters = typists[t]->Pages(true), next = typists[t]->Pages(false);
        std::printf("  a page (RankInContext), %s: with letters median %.1f us, p99 %.1f us",
                    designs[t].name, letters.median, letters.p99);
        if (designs[t].design.predict)
            std::printf("; the next word median %.1f us, p99 %.1f us", next.median, next.p99);
        std::printf("\n");
    }
    std::printf(
        "  today's order: %ld lookups, %.1f us each on average; smart order: %ld lookups, "
        "%.1f us each\n",
        today.lookups(), today.lookups() ? today.seconds() / today.lookups() * 1e6 : 0.0,
        smart.lookups(), smart.lookups() ? smart.seconds() / smart.lookups() * 1e6 : 0.0);
    return 0;
}
