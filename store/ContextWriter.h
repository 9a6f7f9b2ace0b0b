// Writes a context model into a Dictionary library (store/ContextData.h)
// from a language model as ARPA text: its 1-, 2- and 3-grams (higher orders
// are passed over).
//
// The model's words are taken in lower case (the code page's); n-grams that
// become equal that way count once, the most probable (with its back-off
// weight).  A context keeps the entries after it whose words the library
// holds (a key equal but for letter case); the sentence start "<s>" is kept
// as a context word, the sentence end "</s>" not at all.  The words are
// those of the 1-grams the library holds, and "<s>".
//
// Pruning leaves out the entries that tell little beyond what the back-off
// says: an entry of P(w | h) whose
//     P(h) * P(w | h) * |log10 P(w | h) - log10(bo(h) * P(w | h'))|
// is below the threshold (h' is h without its oldest word; P(h) is the
// probability of the context's words in a row, the sentence start counting
// as one word in 20; the lower orders are the unpruned model's).  A context
// that lost entries gets the back-off weight that gives the probability they
// had to the words it backs off for.  Pruning is done on the whole model,
// before the words the library does not hold are left out; threshold 0
// keeps every entry.  A context left without entries is not stored: its
// back-off weight, the same for every word after it, does not change their
// order.
#pragma once

#include <cstdint>
#include <string>

#include "store/Library.h"

namespace wl {

struct ContextWriteResult {
    bool ok = false;
    std::string error;  // why it failed
    std::uint32_t words = 0;
    std::uint64_t contexts[2] = {0, 0};  // of one word, of two words
    std::uint64_t entries[2] = {0, 0};   // 2-grams, 3-grams
    std::uint64_t outside = 0;           // n-grams left out for a word the library does not hold
    std::uint64_t pruned = 0;            // n-grams left out by pruning
    std::uint64_t badLines = 0;
    std::uint64_t values = 0;  // distinct log10 values
    std::uint64_t bytes = 0;   // keys and values of the records
};

// Replaces the context data of the open library with the model of the ARPA
// file at arpaPath, pruned at threshold.  Fails, leaving the library's data
// as it was, when the file cannot be read or holds no 2-gram or 3-gram, or
// the library's keys cannot be read; a failure while writing leaves the
// library without context data (its words are written last, and a model
// without them is none).
ContextWriteResult WriteContextData(Library& library, const std::string& arpaPath,
                                    double threshold);

}  // namespace wl
