// What the words before the caret say about the next one: an n-gram model
// (up to three words) over a Dictionary library's words, as ARPA files
// have them: log10 probabilities and back-off weights.  The probability of
// a word alone is the library's own weight (RankedIndex: weight =
// 10^(log10 P + 10)); the model holds what a context adds: for a context of
// one word or two (older first; the sentence start is a word of its own),
// its back-off weight and the words with an entry of their own after it.
//
// The model's words are lower case (a Unicode library's: UTF-8, case-folded
// as its lookups fold) and numbered in the byte order of their text, so
// that the words that begin with some letters are one range of numbers, and
// the entries after a context, sorted by number, hold them as one run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace wl {

class ContextModel {
  public:
    using WordId = std::uint32_t;
    static constexpr WordId kNoWord = 0xFFFFFFFFu;
    // The start of a sentence, as a context word.
    static constexpr char kSentenceStart[] = "<s>";

    struct Entry {
        WordId word;
        float logProb;  // log10 P(word | context)
    };

    virtual ~ContextModel() = default;

    // Whether the words are a Unicode library's (UTF-8, folded) rather than
    // in the code page.
    virtual bool Unicode() const { return false; }

    // The number of a word (its lower-case text, or kSentenceStart);
    // kNoWord when the model does not know it.
    virtual WordId Id(std::string_view word) const = 0;
    // The text of a number; empty for one the model does not have.
    virtual std::string_view Word(WordId id) const = 0;
    // The numbers of the words that begin with prefix (lower case):
    // [first, last), empty when none does.
    virtual void PrefixRange(std::string_view prefix, WordId& first, WordId& last) const = 0;
    // The entries after a context of one or two words (older first),
    // sorted by number, and the context's log10 back-off weight.  False,
    // with no entries and a back-off of 0, when the model has none for it.
    virtual bool Lookup(const WordId* context, std::size_t words, std::vector<Entry>& entries,
                        float& backoff) const = 0;
};

}  // namespace wl
