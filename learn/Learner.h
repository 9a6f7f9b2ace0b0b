// What the user types, learned: how often each word was finished and which
// word followed which, counts that fade with time, kept within a bound, and
// the mix of those counts with a library's static weight that orders the
// candidates.  Platform-free; the main program feeds it the words the hook
// library reports and saves it in the user's own folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/LetterWords.h"

namespace wl {

class CodePage;

struct LearnLimits {
    std::size_t maxWords = 100000;
    std::size_t maxPairs = 200000;
    // A use counts half as much after this long.
    std::int64_t halfLifeSeconds = 14 * 24 * 3600;
};

// How the counts mix with the static probability (see Learner::Score).  The
// defaults saved the most keystrokes over the first half of a long text
// (bench/ksr --tune); anywhere from 8 to 512 either moved the savings by
// less than a tenth of a point there, and over the first few thousand
// words a larger userWeight saved a little more.
struct LearnMix {
    double userWeight = 64.0;  // uses before the user's own counts weigh as much as the library
    double pairWeight = 64.0;  // uses of the previous word before its pairs weigh as much
};

class Learner {
  public:
    // The longest word that is learned, in bytes.
    static constexpr std::size_t kMaxWordBytes = kMaxLearnedWordBytes;

    explicit Learner(const CodePage& chars, LearnLimits limits = {});
    // The code page the learned words are in.
    const CodePage& Chars() const { return cp_; }

    // True for a word that may be counted: 1 to 64 bytes of letters, with an
    // apostrophe or a hyphen only between two of them; no digits, blanks or
    // other characters.
    bool Learnable(std::string_view word) const;
    // One use of word at time now (seconds); prev is the word that ended just
    // before it with a space (empty when none); sentenceStart: the word
    // began a sentence, so its capital may be the sentence's.  Words that
    // are not learnable are ignored, and so is a prev that is not.
    void Use(std::string_view word, std::string_view prev, std::int64_t now,
             bool sentenceStart = false);

    // Counts as of now, faded.
    double WordCount(std::string_view word, std::int64_t now) const;
    double PairCount(std::string_view prev, std::string_view word, std::int64_t now) const;
    // How often the word was finished, never faded (for "typed twice").
    std::uint32_t Uses(std::string_view word) const;

    // The probability of word after prev that ranks a candidate: the static
    // probability (from the library's weights, 0 without one) mixed with the
    // user's own counts; the more the user has typed, and the more often
    // after prev, the more those count.
    double Score(std::string_view word, std::string_view prev, double staticProbability,
                 std::int64_t now, const LearnMix& mix = {}) const;

    // Score is UserScore + StaticShare * staticProbability: the user's own
    // part, and the share left to the static probability (the more the
    // user has typed, the smaller).
    double UserScore(std::string_view word, std::string_view prev, std::int64_t now,
                     const LearnMix& mix = {}) const;
    double StaticShare(const LearnMix& mix = {}) const;
    // UserScore as weights of counts, for many words after one prev: a
    // word's UserScore is perPairUse times its faded pair count after prev
    // plus perWordUse times its own faded count.
    struct UserWeights {
        double perPairUse = 0;
        double perWordUse = 0;
    };
    UserWeights UserMix(std::string_view prev, std::int64_t now, const LearnMix& mix = {}) const;
    // Each learned word that begins with prefix (case ignored), in the order
    // of their keys, with its faded count after prev (0 when it never
    // followed prev, or prev is empty).
    // (Pointing into the learner: good while it is not changed.)
    struct LearnedUse {
        const std::string* form = nullptr;  // as typed where it says most about the spelling
        const std::string* key = nullptr;   // lower case
        std::uint32_t uses = 0;             // how often it was finished, never faded
        double count = 0;                   // its count as of now, faded
    };
    using EachUse = std::function<void(const LearnedUse& use, double pairCount)>;
    void ForEachWithPrefix(std::string_view prefix, std::string_view prev, std::int64_t now,
                           const EachUse& each) const;
    // The words that followed prev (lower-case keys, pointing into the
    // learner), in the order of their keys, with their faded counts after
    // prev.
    void ForEachAfter(
        std::string_view prev, std::int64_t now,
        const std::function<void(std::string_view key, double pairCount)>& each) const;
    // The learned word of a lower-case key; false when there is none.
    bool Find(std::string_view key, std::int64_t now, LearnedUse& out) const;
    // The learned words from the most used down (their counts as of now),
    // one at a time: good while the learner is not changed.
    class MostUsed {
      public:
        bool Next(LearnedUse& out);

      private:
        friend class Learner;
        using Iterator = std::set<std::pair<double, const std::string*>>::const_reverse_iterator;
        MostUsed(const Learner& learner, std::int64_t now, Iterator from, Iterator to)
            : learner_(learner), now_(now), at_(from), end_(to) {}
        const Learner& learner_;
        std::int64_t now_;
        Iterator at_, end_;
    };
    MostUsed ByUse(std::int64_t now) const;
    // Learned words that begin with prefix (case ignored), as last typed, at
    // least minUses uses and minChars characters long, most used first.
    std::vector<std::string> WordsWithPrefix(std::string_view prefix, std::uint32_t minUses,
                                             std::size_t minChars, std::size_t limit,
                                             std::int64_t now) const;

    std::size_t WordCount() const { return words_.size(); }
    std::size_t PairCount() const { return pairs_.size(); }
    void Forget();

    // How much a form says about how the word is spelt: one typed in
    // capitals or at a sentence start gives way to one typed in the middle
    // of a sentence.
    enum class FormWeight : std::uint8_t { None, Capitals, SentenceStart, Sentence };
    static FormWeight WeightOf(std::string_view form, bool sentenceStart, const CodePage& cp);

    // What is kept of a word, and of a word after another: what its file
    // holds (learn/LearnedFile.h).
    struct WordUse {
        std::string form;  // as typed where it says most about the spelling
        FormWeight formWeight = FormWeight::None;
        double count = 0;  // as of last
        std::int64_t last = 0;
        std::uint32_t uses = 0;
        double follows = 0;  // times it was followed by a counted pair, as of last
        double rank = 0;     // its place in the order of use (see Rank)
    };
    struct PairUse {
        double count = 0;
        std::int64_t last = 0;
    };
    // By key, the lower-cased word; a pair's key is "prev\tword".
    const std::map<std::string, WordUse, std::less<>>& Words() const { return words_; }
    const std::map<std::string, PairUse, std::less<>>& Pairs() const { return pairs_; }
    // Puts back a word (by its key) or a pair as its file kept it; false,
    // keeping nothing, when Learnable refuses its key or form, or either word
    // of the pair.  Trim() keeps the bound after the last one.
    bool Restore(std::string_view key, const WordUse& use);
    bool Restore(std::string_view prevKey, std::string_view wordKey, const PairUse& use);
    void Trim() { Bound(); }
    // Removes words, by key, and every pair that holds one of them; the word
    // before a removed pair is then followed that much less often.
    void Remove(const std::vector<std::string>& keys);
    // The key of a word: lower-cased in the code page.
    std::string Key(std::string_view word) const;

  private:
    double Faded(double count, std::int64_t last, std::int64_t now) const;
    void Bound();
    // A word's place in the order of its faded counts, the same at any
    // time: log2 of its count at last, plus last in half-lives.
    double Rank(const WordUse& use) const;
    // The word's use changed: its place in the order follows.
    // (placedAt: where it was, when placed.)
    void Reorder(const std::string& key, WordUse& use, bool placed, double placedAt);

    const CodePage& cp_;
    LearnLimits limits_;
    double total_ = 0;  // all uses, never faded: how much was learned
    std::map<std::string, WordUse, std::less<>> words_;      // by lower-cased word
    std::set<std::pair<double, const std::string*>> byUse_;  // rank, key of words_
    std::map<std::string, PairUse, std::less<>> pairs_;      // "prev\tword", lower-cased
};

}  // namespace wl
