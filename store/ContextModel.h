// What the words before the caret say about the next one: an n-gram model
// (up to three words) over a Dictionary library's words, as ARPA files
// have them, log10 probabilities and back-off weights.  The probability of
// a word alone is the library's own weight (RankedIndex: weight =
// 10^(log10 P + 10)); the model holds what a context adds: for a context of
// one word or two (older first, kSentenceStart for the start of a
// sentence), its back-off weight and the words with an entry of their own
// after it.  Words are known by their key in lower case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wl {

class ContextModel {
  public:
    // The start of a sentence, as a context word.
    static constexpr char kSentenceStart[] = "<s>";

    struct Next {
        std::string word;   // lower case
        float logProb = 0;  // log10 P(word | context)
    };
    struct Context {
        float backoff = 0;        // log10 back-off weight of the context; 0 when it has none
        std::vector<Next> words;  // the words with an entry of their own after it
    };

    virtual ~ContextModel() = default;
    // The entries after context (one or two lower-case words, older first):
    // false when the model has none for it (backoff 0, no words).  The
    // words come in no particular order.
    virtual bool Lookup(const std::vector<std::string>& context, Context& out) const = 0;
};

}  // namespace wl
