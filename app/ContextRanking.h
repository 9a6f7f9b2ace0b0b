// The ranked page in the context of the words before the caret: the exact
// best candidates, over every key that matches the typed letters, by
//
//     Learner::Score(word, prev, P(word | the two words before))
//
// where P backs off from the model's three-word entries to its two-word
// ones and to the word alone (the library's weight: 10^(log10 P + 10)),
// as an n-gram model does; without a model it is the word alone, without
// a learner the probability itself.  Not a re-ranking of a window of the
// ranked lookup: the candidates the model names after the context, the
// learned words and the ranked lookup (best weight first) are merged,
// each in the order of an upper bound of what it can still give, until
// nothing left can beat the last row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/CandidateSource.h"
#include "learn/Learner.h"
#include "platform/CodePage.h"
#include "store/ContextModel.h"
#include "store/LibraryEntry.h"

namespace wl {

struct RankRequest {
    // The typed letters in the code page, and in UTF-8 for the Unicode
    // libraries; both empty: the next word, nothing typed.
    std::string word;
    std::string wordUtf8;
    // False when the typed word holds a character the code page has no byte
    // for: no code-page key, word of the model or learned word matches it.
    bool codePageWord = true;
    // The words before the word, older first (the last two count);
    // ContextModel::kSentenceStart for the start of a sentence.  In the code
    // page, and in UTF-8 for a Unicode library's model.
    std::vector<std::string> context;
    std::vector<std::string> contextUtf8;
    std::string prev;  // the word just before across a single space, for the learner
    std::size_t rows = 10;
    int enableWord = 1;
    int enableShorthand = 1;
    bool learnNew = false;  // learned words no library holds (two uses, three letters)
    std::int64_t now = 0;
};

struct RankedPage {
    std::vector<std::unique_ptr<LibraryEntry>> entries;  // pinned first, then best first
    std::vector<double> scores;                          // of each entry; 0 for pinned ones
    std::size_t pinned = 0;  // the Shorthand keys equal to the typed word, first
    // The ranked lookup's next candidate, taken from it and not ranked: the
    // rows after the page go on from it, then from FindNextRanked.
    std::unique_ptr<LibraryEntry> walkNext;
};

// The page for request.  learner: the user's counts (none: not mixed in).
RankedPage RankInContext(CandidateSource& source, const Learner* learner, const CodePage& cp,
                         const RankRequest& request, const LearnMix& mix = {});

// The probability of a word after the context as the model gives it with
// its back-off, from the word's weight (0 without one); for the tests.
double ContextProbability(const ContextModel* model, const std::vector<std::string>& context,
                          const std::string& lowerWord, std::uint32_t weight);

}  // namespace wl
