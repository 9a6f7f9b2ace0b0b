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
//     page is what the candidate list shows: the first 50 candidates of the
//     ranked lookup (the Shorthand keys equal to the typed word pinned in
//     front) and the 10 most used learned words a library holds that the 50
//     do not, ordered by OrderByUse, and its first 10 rows;
//   - the same with "learn new words": the learned words of two uses and
//     three letters (the 10 most used) that no library holds join them
//     before the order;
//   - the ceiling: every word of two or more letters taken after its first
//     letter, with the space.
// A Shorthand candidate never types a word of the text, but it takes a row.
// Each is measured on the first half of the text (up to the first
// paragraph end after half its words), the second, and the whole; the
// learner goes on from the first half into the second, and the second half
// is typed once more by a fresh learner.  For the learning orders it also
// tells where the words stood after their first letter, the learner's size
// and file after the text, and the time OrderByUse takes.
//
// The text: Jane Austen's six novels (public domain), read at run time from
// Debian's r-cran-janeaustenr, where it installs them, through R; or any
// text file (UTF-8 or plain ASCII) given with --text.
//
//   ksr [--libs DIR] [--text FILE] [--words N] [--mix USER,PAIR] [--half-life S]
//       [--candidates C] [--learned L] [--tune]
//
// DIR: the folder of the libraries (default: the build's Libs); N: type only
// the first N words; USER,PAIR: LearnMix's userWeight and pairWeight (default:
// its own); S: the half-life of the counts in seconds (0: they never fade;
// default LearnLimits'); C, L: the ranked candidates the learned order
// chooses from (50) and the learned words asked for (10), to see what other
// choices would give; --tune: only the learning orders on the first half,
// for a grid of mixes (or the one given).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/TypedCase.h"
#include "bench/BenchText.h"
#include "learn/LearnedFile.h"
#include "learn/Learner.h"
#include "platform/CodePage.h"
#include "platform/Directory.h"
#include "platform/Registry.h"
#include "store/LibrarySet.h"

namespace {

using namespace wl::bench;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kPage = 10;
// The ranked candidates the learned order chooses the page from, and the
// learned words asked for with "learn new words" (--candidates, --learned).
std::size_t rankedCandidates = 50;
std::size_t learnedOffered = 10;
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

std::string Lower(std::string text) {
    wl::SystemCodePage().ToLower(text.data());
    text.resize(std::strlen(text.c_str()));
    return text;
}

// The first candidates of the ranked lookup for a typed prefix, as the
// candidate list hands them to OrderByUse, remembered per prefix.
struct RankedPage {
    std::vector<wl::RankedCandidate> candidates;
    std::vector<std::string> texts;  // what each would type; "" for a Shorthand key
    std::vector<std::string> keys;   // lower-cased
    std::size_t pinned = 0;          // the Shorthand keys equal to the prefix
};

class RankedPages {
  public:
    explicit RankedPages(wl::LibrarySet& set) : set_(set) {}
    const RankedPage& Get(const std::string& typed) {
        auto it = memo_.find(typed);
        if (it == memo_.end()) it = memo_.emplace(typed, Lookup(typed)).first;
        return it->second;
    }
    // True when a Dictionary library holds the word (case ignored).
    bool Holds(const std::string& word) { return Probability(word) >= 0; }
    // The word's probability as its Dictionary entry has it; -1 when no
    // Dictionary library holds it.
    double Probability(const std::string& word) {
        auto it = held_.find(word);
        if (it != held_.end()) return it->second;
        double probability = -1;
        wl::LibraryEntry e;
        if (set_.FindFirstRanked(word.c_str(), e, 1, 0)) {
            // The first candidate may be the word itself, which the lookup
            // then does not give again.
            if (wl::SystemCodePage().CompareNoCase(e.keyString(), word.c_str()) == 0 ||
                set_.FindRankedKey(word.c_str(), e))
                probability = e.probability;
        }
        held_.emplace(word, probability);
        return probability;
    }

  private:
    RankedPage Lookup(const std::string& typed) {
        const wl::CodePage& cp = wl::SystemCodePage();
        RankedPage page;
        wl::LibraryEntry e;
        bool leading = true;
        for (int ok = set_.FindFirstRanked(typed.c_str(), e, 1, 1);
             ok && page.candidates.size() < rankedCandidates; ok = set_.FindNextRanked(e)) {
            const std::string key = e.keyString();
            const bool word = e.type == wl::Dictionary;
            leading = leading && !word && cp.CompareNoCase(key.c_str(), typed.c_str()) == 0;
            if (leading) ++page.pinned;
            page.candidates.push_back({key, e.probability, word});
            page.texts.push_back(word ? wl::FollowTypedCase(cp, typed.c_str(), key.c_str())
                                      : std::string());
            page.keys.push_back(Lower(key));
        }
        return page;
    }
    wl::LibrarySet& set_;
    std::unordered_map<std::string, RankedPage> memo_;
    std::unordered_map<std::string, double> held_;
};

// Where a word of two or more letters stood after its first letter, and
// the letters typed after the first because it did not stand on the page.
enum Place { kOnPage, kPageTwo, kFurther, kInDictionary, kInNoLibrary, kPlaces };
constexpr const char* kPlaceNames[kPlaces] = {
    "on the first page", "on the second page", "further down the candidates",
    "not among them, in the dictionary", "not among them, in no library"};

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

// The typist of the learning orders: before each letter the page is the
// first 50 ranked candidates with the learned words the candidate list adds
// (see AddLearned) after them, ordered by OrderByUse, and its first 10 rows;
// each word finished, taken or typed, is one use (see Learn), after the word
// before it when a single space stood between.
// Without learning the order is the ranked one (smart order); the words
// are still counted, to tell which were typed before.
class LearningTypist {
  public:
    LearningTypist(RankedPages& pages, bool learn, bool newWords, const wl::LearnMix& mix,
                   const wl::LearnLimits& limits)
        : pages_(pages),
          learn_(learn),
          newWords_(newWords),
          mix_(mix),
          learner_(wl::SystemCodePage(), limits) {}

    // The letters typed before the word at tokens[i] was taken; 0 when it
    // was typed whole.
    std::size_t Take(const std::vector<Token>& tokens, std::size_t i) {
        const std::string& w = tokens[i].text;
        const bool spaced = i >= 2 && tokens[i - 1].text == " " && tokens[i - 2].word;
        const std::string prev = spaced ? tokens[i - 2].text : std::string();
        const bool typedBefore = learner_.Uses(w) > 0;
        std::size_t taken = 0;
        for (std::size_t typed = 1; typed < w.size() && !taken; ++typed) {
            const std::string prefix = w.substr(0, typed);
            const RankedPage& page = pages_.Get(prefix);
            const std::vector<wl::RankedCandidate>* candidates = &page.candidates;
            const std::vector<std::string>* texts = &page.texts;
            if (learn_) {
                AddLearned(prefix, page);
                candidates = &candidates_;
                texts = &texts_;
            }
            // The word's row in the order; past the end when it is not there.
            std::size_t row = 0;
            if (learn_) {
                auto start = Clock::now();
                order_ = wl::OrderByUse(learner_, *candidates, page.pinned, prev, now_, mix_);
                auto ns = static_cast<std::uint32_t>(
                    std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start)
                        .count());
                (candidates->size() >= rankedCandidates ? orderFull_ : orderShort_).push_back(ns);
                while (row < order_.size() && (*texts)[order_[row]] != w) ++row;
            } else {
                while (row < texts->size() && (*texts)[row] != w) ++row;
            }
            const bool found = row < texts->size();
            if (found && row < static_cast<std::size_t>(kPage)) taken = typed;
            if (typed == 1) {
                place_ = !found ? (pages_.Holds(w) ? kInDictionary : kInNoLibrary)
                         : row < static_cast<std::size_t>(kPage)     ? kOnPage
                         : row < static_cast<std::size_t>(2 * kPage) ? kPageTwo
                                                                     : kFurther;
            }
        }
        if (w.size() >= 2) {
            PlaceCount& at = places_[place_];
            ++at.words;
            if (typedBefore) ++at.typedBefore;
            at.lettersAfterFirst += static_cast<long>((taken ? taken : w.size()) - 1);
        }
        Learn(tokens, i, prev);
        now_ += kSecondsPerWord;
        return taken;
    }

    const wl::Learner& learner() const { return learner_; }
    const PlaceCount& place(Place p) const { return places_[p]; }
    // OrderByUse's time on pages of 50 candidates (or more), and on shorter ones.
    Percentiles OrderFull() const { return Of(orderFull_); }
    Percentiles OrderShort() const { return Of(orderShort_); }
    long OrderCalls() const { return static_cast<long>(orderFull_.size() + orderShort_.size()); }
    Percentiles Learned() const { return Of(learned_); }

  private:
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
        std::size_t before = i;
        while (before > 0 && tokens[before - 1].text == " ") --before;
        const bool sentenceStart =
            before == 0 || std::strchr(".!?\n", tokens[before - 1].text[0]) != nullptr;
        learner_.Use(tokens[i].text, prev, now_, sentenceStart);
    }

    // The learned words the candidate list adds to the ranked window: the
    // most used of those a library holds further down (they go where their
    // use puts them), and with "learn new words" those of two uses and
    // three letters that no library holds.
    void AddLearned(const std::string& prefix, const RankedPage& page) {
        candidates_ = page.candidates;
        texts_ = page.texts;
        auto start = Clock::now();
        const std::vector<std::string> used =
            learner_.WordsWithPrefix(prefix, 1, 1, learnedOffered, now_);
        const std::vector<std::string> learned =
            newWords_ ? learner_.WordsWithPrefix(prefix, 2, 3, learnedOffered, now_)
                      : std::vector<std::string>();
        learned_.push_back(static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count()));
        auto add = [&](const std::string& form, double probability) {
            keysAdded_.push_back(Lower(form));
            candidates_.push_back({form, probability, true});
            texts_.push_back(
                wl::FollowTypedCase(wl::SystemCodePage(), prefix.c_str(), form.c_str()));
        };
        keysAdded_.clear();
        auto offered = [&](const std::string& key) {
            return std::find(page.keys.begin(), page.keys.end(), key) != page.keys.end() ||
                   std::find(keysAdded_.begin(), keysAdded_.end(), key) != keysAdded_.end();
        };
        for (const std::string& form : used) {
            const double probability = pages_.Probability(form);
            if (probability >= 0 && !offered(Lower(form))) add(form, probability);
        }
        for (const std::string& form : learned)
            if (!offered(Lower(form)) && !pages_.Holds(form)) add(form, 0.0);
    }

    RankedPages& pages_;
    bool learn_, newWords_;
    wl::LearnMix mix_;
    wl::Learner learner_;
    std::int64_t now_ = kStartTime;
    Place place_ = kOnPage;
    PlaceCount places_[kPlaces];
    std::vector<wl::RankedCandidate> candidates_;
    std::vector<std::string> texts_;
    std::vector<std::string> keysAdded_;
    std::vector<std::size_t> order_;
    std::vector<std::uint32_t> orderFull_, orderShort_, learned_;
};

// The keys it takes to type tokens [begin, end); take(i) gives the letters
// typed before the word at tokens[i] was taken (0: typed whole).
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
        const std::size_t typed = take(i);
        keys += static_cast<long>(typed ? typed + 1 : t.text.size());
        if (typed && spaceAfter) pending = 1;
    }
    if (pending) keys += 1;
    return keys;
}

// Taken from a page that does not change: after the fewest letters that
// put the word on it.
std::size_t TakeFrom(Pages& pages, const std::string& w) {
    for (std::size_t typed = 1; typed < w.size(); ++typed)
        if (pages.Offers(w.substr(0, typed), w)) return typed;
    return 0;
}

int Usage() {
    std::fputs(
        "usage: ksr [--libs DIR] [--text FILE] [--words N] [--mix USER,PAIR] [--half-life S]\n"
        "           [--candidates C] [--learned L] [--tune]\n",
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
        } else if (a == "--candidates") {
            rankedCandidates = std::strtoul(value, nullptr, 10);
        } else if (a == "--learned") {
            learnedOffered = std::strtoul(value, nullptr, 10);
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
    std::printf(
        "  learning: %lld s per word, half-life %lld s, userWeight %g, pairWeight %g; "
        "%zu ranked candidates, %zu learned words asked for\n",
        static_cast<long long>(kSecondsPerWord), static_cast<long long>(limits.halfLifeSeconds),
        mix.userWeight, mix.pairWeight, rankedCandidates, learnedOffered);
    std::fflush(stdout);

    RankedPages ranked(set);
    // KSR on the halves of a typist that learns all along.
    auto learning = [&](bool newWords, const wl::LearnMix& m, std::size_t from) {
        LearningTypist typist(ranked, true, newWords, m, limits);
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
        for (double user : {8.0, 64.0, 512.0, 4096.0})
            for (double pair : {8.0, 64.0, 512.0})
                if (!mixGiven) grid.push_back({user, pair});
        for (const wl::LearnMix& m : grid) {
            const long plain = learning(false, m, 0).first;
            const long fresh = learning(true, m, 0).first;
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
    long smartSpaceKeys = 0;
    for (Pages* pages : {&today, &smart})
        for (bool space : {false, true}) {
            if (pages == &today && space) continue;
            auto take = [&](std::size_t i) { return TakeFrom(*pages, tokens[i].text); };
            const long first = KeysFor(tokens, 0, split, space, take),
                       second = KeysFor(tokens, split, end, space, take);
            if (pages == &smart && space) smartSpaceKeys = first + second;
            row(pages == &today ? "today's order"
                : space         ? "smart order + space after"
                                : "smart order",
                first, second);
        }

    // The same typist without learning (the smart order): where the words
    // stood, to compare with learning.
    LearningTypist still(ranked, false, false, mix, limits);
    auto takeStill = [&](std::size_t i) { return still.Take(tokens, i); };
    if (KeysFor(tokens, 0, end, true, takeStill) != smartSpaceKeys)
        std::printf(
            "  (the learning typist without learning is not the smart order: ksr is wrong)\n");

    LearningTypist learner(ranked, true, false, mix, limits);
    LearningTypist newWords(ranked, true, true, mix, limits);
    auto takeLearner = [&](std::size_t i) { return learner.Take(tokens, i); };
    auto takeNew = [&](std::size_t i) { return newWords.Take(tokens, i); };
    const long firstLearned = KeysFor(tokens, 0, split, true, takeLearner);
    row("smart + space + learning", firstLearned, KeysFor(tokens, split, end, true, takeLearner));
    row("  the second half by a fresh learner", -1, learning(false, mix, split).second);
    const long firstNew = KeysFor(tokens, 0, split, true, takeNew);
    row("smart + space + learning + new words", firstNew,
        KeysFor(tokens, split, end, true, takeNew));
    row("  the second half by a fresh learner", -1, learning(true, mix, split).second);
    auto ceiling = [&](std::size_t i) { return tokens[i].text.size() >= 2 ? std::size_t{1} : 0; };
    row("ceiling (after the first letter, with the space)",
        KeysFor(tokens, 0, split, true, ceiling), KeysFor(tokens, split, end, true, ceiling));

    std::printf(
        "  words of two letters or more, after their first letter (the whole text; "
        "typed before / letters typed after the first):\n");
    std::printf("  %-34s %28s %28s %28s\n", "", "smart + space", "+ learning", "+ new words");
    for (int p = 0; p < kPlaces; ++p) {
        std::printf("  %-34s", kPlaceNames[p]);
        for (const LearningTypist* t : {&still, &learner, &newWords}) {
            const PlaceCount& c = t->place(static_cast<Place>(p));
            std::printf(" %8ld (%7ld / %8ld)", c.words, c.typedBefore, c.lettersAfterFirst);
        }
        std::printf("\n");
    }

    // The learner's file after the text, and what it takes at the bound:
    // at the lengths of these lines, and at most (64-byte words, the
    // longest numbers).
    const wl::Learner& learned = learner.learner();
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
    const Percentiles full = learner.OrderFull(), shorter = learner.OrderShort(),
                      prefixed = newWords.Learned();
    std::printf(
        "  OrderByUse: %ld calls; on a page of 50 candidates median %.1f us, p99 %.1f us; "
        "on shorter pages median %.1f us, p99 %.1f us\n",
        learner.OrderCalls(), full.median, full.p99, shorter.median, shorter.p99);
    std::printf("  WordsWithPrefix (new words): median %.1f us, p99 %.1f us\n", prefixed.median,
                prefixed.p99);
    std::printf(
        "  today's order: %ld lookups, %.1f us each on average; smart order: %ld lookups, "
        "%.1f us each\n",
        today.lookups(), today.lookups() ? today.seconds() / today.lookups() * 1e6 : 0.0,
        smart.lookups(), smart.lookups() ? smart.seconds() / smart.lookups() * 1e6 : 0.0);
    return 0;
}
