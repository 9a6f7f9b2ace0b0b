#include "app/ContextRanking.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <queue>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "platform/Utf8Case.h"

namespace wl {

namespace {

using WordId = ContextModel::WordId;

// weight = P * 10^10 (the word alone).
constexpr double kWeightScale = 1e10;

double WordAlone(std::uint32_t weight) {
    return static_cast<double>(weight) / kWeightScale;
}

double Exp10(double x) {
    return std::pow(10.0, x);
}

std::string Lower(const CodePage& cp, std::string text) {
    cp.ToLower(text.data());
    text.resize(std::strlen(text.c_str()));
    return text;
}

// The lower-case code-page form of an entry's key, which the model's and
// the learned words are in; "" when the key (of a Unicode library) has a
// character the code page cannot hold.
std::string CodePageKey(const CodePage& cp, const LibraryEntry& entry) {
    if (entry.encoding == EncodingCodePage) return Lower(cp, entry.keyString());
    std::string key;
    if (entry.encoding != EncodingUtf8 || !cp.FromUtf8(entry.keyString(), key)) return {};
    return Lower(cp, key);
}

// A key or word in the form a Unicode library's model has its words: UTF-8,
// folded; "" when a code-page text does not convert.
std::string Folded(const CodePage& cp, const std::string& text, std::int32_t encoding) {
    if (encoding == EncodingUtf8) return Utf8Page().Fold(text);
    std::string utf8;
    return cp.ToUtf8(text, utf8) ? Utf8Page().Fold(utf8) : std::string();
}

std::size_t CharCount(const std::string& text, const CodePage& cp) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++chars)
        i += cp.IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    return chars;
}

const float* FindEntry(const std::vector<ContextModel::Entry>& entries, WordId id) {
    auto it = std::lower_bound(entries.begin(), entries.end(), id,
                               [](const ContextModel::Entry& e, WordId w) { return e.word < w; });
    return it != entries.end() && it->word == id ? &it->logProb : nullptr;
}

// The model's view of one context: the entries after the last two words
// and after the last one, and what scales a word without an entry of its
// own (the back-off weights).
class ContextView {
  public:
    ContextView(const ContextModel* model, const std::vector<std::string>& lowerContext)
        : model_(model) {
        if (!model_ || lowerContext.empty()) return;
        const WordId last = model_->Id(lowerContext.back());
        if (last == ContextModel::kNoWord) return;
        if (lowerContext.size() >= 2) {
            const WordId pair[2] = {model_->Id(lowerContext[lowerContext.size() - 2]), last};
            if (pair[0] != ContextModel::kNoWord) model_->Lookup(pair, 2, three_, threeBackoff_);
        }
        model_->Lookup(&last, 1, two_, twoBackoff_);
    }

    const ContextModel* model() const { return model_; }
    WordId Id(const std::string& lowerWord) const {
        return model_ ? model_->Id(lowerWord) : ContextModel::kNoWord;
    }
    // P(word | context), from the word's own probability alone.
    double Probability(WordId id, double alone) const {
        if (id != ContextModel::kNoWord) {
            if (const float* p = FindEntry(three_, id)) return Exp10(*p);
            if (const float* p = FindEntry(two_, id)) return Exp10(threeBackoff_ + *p);
        }
        return AloneFactor() * alone;
    }
    double AloneFactor() const { return Exp10(threeBackoff_ + twoBackoff_); }
    // The words in [first, last) with an entry of their own after the
    // context, with their probability.
    void Named(WordId first, WordId last, std::vector<std::pair<double, WordId>>& out) const {
        auto range = [&](const std::vector<ContextModel::Entry>& entries) {
            auto lo =
                std::lower_bound(entries.begin(), entries.end(), first,
                                 [](const ContextModel::Entry& e, WordId w) { return e.word < w; });
            auto hi =
                std::lower_bound(lo, entries.end(), last,
                                 [](const ContextModel::Entry& e, WordId w) { return e.word < w; });
            return std::make_pair(lo, hi);
        };
        const auto [lo3, hi3] = range(three_);
        for (auto it = lo3; it != hi3; ++it) out.emplace_back(Exp10(it->logProb), it->word);
        const auto [lo2, hi2] = range(two_);
        for (auto it = lo2; it != hi2; ++it)
            if (!FindEntry(three_, it->word))
                out.emplace_back(Exp10(threeBackoff_ + it->logProb), it->word);
    }

  private:
    const ContextModel* model_;
    std::vector<ContextModel::Entry> three_, two_;
    float threeBackoff_ = 0, twoBackoff_ = 0;
};

struct Chosen {
    std::unique_ptr<LibraryEntry> entry;
    double score;
};

// The learned words, highest user score first, one at a time.  With
// letters typed, every learned word with them is scored at once.  With
// none, every learned word matches: two walks go down together, through
// the words that followed the word before (by their pair counts alone) and
// through all words from the most used (by their own counts alone), and a
// word is scored in full where either walk first meets it; no word not met
// yet can score above the two walks' next counts summed, so the walks stop
// as soon as the best scored word is above that.
// (The learner is not changed meanwhile: its texts are pointed to.)
class LearnedInOrder {
  public:
    static constexpr double kNone = -1;
    struct Word {
        double user;
        const std::string* form;
        const std::string* key;
        std::uint32_t uses;
        bool operator<(const Word& other) const { return user < other.user; }
    };

    LearnedInOrder(const Learner& learner, const RankRequest& request, const LearnMix& mix)
        : learner_(learner), now_(request.now) {
        weights_ = learner.UserMix(request.prev, request.now, mix);
        if (weights_.perPairUse > 0) prev_ = request.prev;
        if (!request.word.empty()) {
            learner.ForEachWithPrefix(request.word, prev_, now_,
                                      [this](const Learner::LearnedUse& use, double pairCount) {
                                          scored_.push_back(Scored(use, pairCount));
                                      });
            std::make_heap(scored_.begin(), scored_.end());
            return;
        }
        learner.ForEachAfter(prev_, now_, [this](std::string_view key, double pairCount) {
            after_.emplace_back(pairCount, key);
        });
        std::make_heap(after_.begin(), after_.end());
        byUse_.emplace(learner.ByUse(now_));
        TakeMostUsed();
    }

    // No word not given yet scores above this (kNone: none is left).
    double Bound() const {
        return std::max(scored_.empty() ? kNone : scored_.front().user, Unmet());
    }

    bool Next(Word& out) {
        for (;;) {
            if (!scored_.empty() && scored_.front().user >= Unmet()) {
                std::pop_heap(scored_.begin(), scored_.end());
                out = scored_.back();
                scored_.pop_back();
                return true;
            }
            if (!haveMostUsed_) return false;  // every word met, none left
            if (!after_.empty() && weights_.perPairUse * after_.front().first > mostUsedUser_) {
                std::pop_heap(after_.begin(), after_.end());
                const auto [pairCount, key] = after_.back();
                after_.pop_back();
                Learner::LearnedUse use;
                if (learner_.Find(key, now_, use) && learner_.Learnable(*use.form))
                    Meet(use, pairCount);
            } else {
                Meet(mostUsed_,
                     prev_.empty() ? 0.0 : learner_.PairCount(prev_, *mostUsed_.key, now_));
                TakeMostUsed();
            }
        }
    }

  private:
    // The most a word not met by either walk can score: every word is on
    // the walk by use, so none is left once it is done.
    double Unmet() const {
        if (!haveMostUsed_) return kNone;
        return mostUsedUser_ + (after_.empty() ? 0.0 : weights_.perPairUse * after_.front().first);
    }
    Word Scored(const Learner::LearnedUse& use, double pairCount) const {
        return {weights_.perWordUse * use.count + weights_.perPairUse * pairCount, use.form,
                use.key, use.uses};
    }
    // A word either walk met: scored, unless the other met it first.
    void Meet(const Learner::LearnedUse& use, double pairCount) {
        if (!met_.insert(use.key).second) return;
        scored_.push_back(Scored(use, pairCount));
        std::push_heap(scored_.begin(), scored_.end());
    }
    void TakeMostUsed() {
        haveMostUsed_ = byUse_->Next(mostUsed_);
        mostUsedUser_ = haveMostUsed_ ? weights_.perWordUse * mostUsed_.count : kNone;
    }

    const Learner& learner_;
    std::int64_t now_;
    Learner::UserWeights weights_;
    std::string_view prev_;     // the word before, when its pairs count
    std::vector<Word> scored_;  // a heap
    // The words that followed the word before, not walked yet: a heap by
    // their pair counts.
    std::vector<std::pair<double, std::string_view>> after_;
    std::optional<Learner::MostUsed> byUse_;
    Learner::LearnedUse mostUsed_;  // the walk by use's next word
    double mostUsedUser_ = kNone;   // its own count's part
    bool haveMostUsed_ = false;
    std::unordered_set<const std::string*> met_;
};

}  // namespace

double ContextProbability(const ContextModel* model, const std::vector<std::string>& context,
                          const std::string& lowerWord, std::uint32_t weight) {
    const ContextView view(model, context);
    return view.Probability(view.Id(lowerWord), WordAlone(weight));
}

RankedPage RankInContext(CandidateSource& source, const Learner* learner, const CodePage& cp,
                         const RankRequest& request, const LearnMix& mix) {
    RankedPage page;
    const bool nextWord = request.word.empty() && request.wordUtf8.empty();
    // The learned words are in the code page, and so are the model's unless
    // it is a Unicode library's (then UTF-8, folded): none of them is the
    // word typed when the code page cannot hold it.
    const bool codePageWord = request.codePageWord;
    const ContextModel* model = request.enableWord ? source.Context() : nullptr;
    const bool unicodeModel = model && model->Unicode();
    // The typed letters, the context and a key as the model has its words.
    auto modelForm = [&](const std::string& text, std::int32_t encoding) {
        if (unicodeModel) return Folded(cp, text, encoding);
        if (encoding == EncodingCodePage) return Lower(cp, text);
        std::string converted;  // a Unicode key: "" when the code page cannot hold it
        return cp.FromUtf8(text, converted) ? Lower(cp, converted) : std::string();
    };
    const bool utf8Typed = unicodeModel && !request.wordUtf8.empty();
    const std::string modelWord = modelForm(utf8Typed ? request.wordUtf8 : request.word,
                                            utf8Typed ? EncodingUtf8 : EncodingCodePage);
    const bool utf8Context = unicodeModel && !request.contextUtf8.empty();
    std::vector<std::string> context;
    for (const std::string& word : utf8Context ? request.contextUtf8 : request.context)
        context.push_back(word == ContextModel::kSentenceStart
                              ? word
                              : modelForm(word, utf8Context ? EncodingUtf8 : EncodingCodePage));
    const ContextView view(model, context);
    const double share = learner ? learner->StaticShare(mix) : 1.0;

    // The ranked lookup, best weight first: the Shorthand keys equal to the
    // word before all.  (No Shorthand key is the next word.)
    auto walked = std::make_unique<LibraryEntry>();
    const TypedWord typed{codePageWord ? request.word.c_str() : nullptr, request.wordUtf8.c_str()};
    bool walking = source.FindFirstRanked(typed, *walked, request.enableWord,
                                          nextWord ? 0 : request.enableShorthand) != 0;
    // A Shorthand key is the word typed in its library's encoding.
    auto isTyped = [&](const LibraryEntry& entry) {
        if (entry.encoding == EncodingUtf8)
            return !request.wordUtf8.empty() &&
                   Utf8EqualNoCase(entry.keyString(), request.wordUtf8);
        return codePageWord && cp.CompareNoCase(entry.keyString(), request.word.c_str()) == 0;
    };
    while (walking && walked->type == Shorthand && isTyped(*walked)) {
        page.entries.push_back(std::move(walked));
        page.scores.push_back(0);
        ++page.pinned;
        walked = std::make_unique<LibraryEntry>();
        walking = source.FindNextRanked(*walked) != 0;
    }

    // The words the model names after the context, most likely first.
    std::vector<std::pair<double, WordId>> named;
    if (view.model() && (codePageWord || unicodeModel)) {
        WordId first = 0, last = 0;
        view.model()->PrefixRange(modelWord, first, last);
        view.Named(first, last, named);
        std::make_heap(named.begin(), named.end());
    }

    const double none = -1;  // no candidate left

    std::optional<LearnedInOrder> learned;
    if (learner && request.enableWord && codePageWord) learned.emplace(*learner, request, mix);
    auto userScore = [&](const std::string& lowerKey) {
        return learner ? learner->UserScore(lowerKey, request.prev, request.now, mix) : 0.0;
    };

    auto modelId = [&](const std::string& form) {
        return form.empty() ? ContextModel::kNoWord : view.Id(form);
    };
    // The exact score of the ranked lookup's candidate in hand.
    auto scoreOf = [&](const LibraryEntry& entry) {
        if (entry.type != Dictionary) return 0.0;  // a Shorthand key: no word, no probability
        const std::string key = CodePageKey(cp, entry);
        const double p = view.Probability(modelId(modelForm(entry.keyString(), entry.encoding)),
                                          WordAlone(entry.weight));
        return (key.empty() ? 0.0 : userScore(key)) + share * p;
    };
    double walkedScore = walking ? scoreOf(*walked) : 0;

    std::vector<Chosen> chosen;
    // Whether a library's key of the word was taken from the lookup already.
    auto Offered = [&](const std::string& lowerKey) {
        if (walking && CodePageKey(cp, *walked) == lowerKey) return true;
        return std::any_of(chosen.begin(), chosen.end(), [&](const Chosen& c) {
            return c.entry->type == Dictionary && CodePageKey(cp, *c.entry) == lowerKey;
        });
    };
    std::priority_queue<double, std::vector<double>, std::greater<double>>
        best;  // the rows' scores
    auto add = [&](std::unique_ptr<LibraryEntry> entry, double score) {
        chosen.push_back({std::move(entry), score});
        best.push(score);
        if (best.size() > request.rows) best.pop();
    };
    for (;;) {
        // What each source can still give at most.
        const double fromNamed = named.empty() ? none : share * named.front().first;
        // A word neither named nor walked yet is no more likely than the
        // next of either: a bound for the learned words' part of the model.
        const double unseen =
            std::max(named.empty() ? 0.0 : named.front().first,
                     walking ? view.AloneFactor() * WordAlone(walked->weight) : 0.0);
        const double bestUser = learned ? learned->Bound() : none;
        const double fromLearned = bestUser == none ? none : bestUser + share * unseen;
        // The candidate in hand, and the ones after it (a word named after
        // the context or learned is bound by those sources).
        const double fromWalk =
            walking ? std::max(walkedScore, share * view.AloneFactor() * WordAlone(walked->weight))
                    : none;
        const double bound = std::max({fromNamed, fromLearned, fromWalk});
        if (bound == none) break;
        if (best.size() >= request.rows && best.top() >= bound) break;

        if (bound == fromWalk) {
            auto entry = std::move(walked);
            const double score = walkedScore;
            walked = std::make_unique<LibraryEntry>();
            walking = source.FindNextRanked(*walked) != 0;
            if (walking) walkedScore = scoreOf(*walked);
            add(std::move(entry), score);
        } else if (bound == fromNamed) {
            std::pop_heap(named.begin(), named.end());
            const auto [p, id] = named.back();
            named.pop_back();
            const std::string word(view.model()->Word(id));
            auto entry = std::make_unique<LibraryEntry>();
            // A Unicode model's word: the learned one is its code-page form.
            std::string learnedForm = word;
            const bool held = !unicodeModel || cp.FromUtf8(word, learnedForm);
            const bool found =
                !word.empty() &&
                (unicodeModel
                     ? source.FindRankedKey(
                           TypedWord{held ? learnedForm.c_str() : nullptr, word.c_str()}, *entry)
                     : source.FindRankedKey(word.c_str(), *entry));
            if (found) add(std::move(entry), (held ? userScore(learnedForm) : 0.0) + share * p);
        } else {
            LearnedInOrder::Word word{};
            if (!learned->Next(word)) continue;
            auto entry = std::make_unique<LibraryEntry>();
            if (source.FindRankedKey(word.form->c_str(), *entry)) {
                const double p = view.Probability(modelId(modelForm(*word.key, EncodingCodePage)),
                                                  WordAlone(entry->weight));
                add(std::move(entry), word.user + share * p);
            } else if (request.learnNew && word.uses >= 2 && CharCount(*word.form, cp) >= 3 &&
                       !Offered(*word.key)) {
                // Typed in full twice, three characters or more, and no
                // library holds it.
                entry->Clear();
                entry->SetKey(word.form->data(), static_cast<std::uint32_t>(word.form->size()));
                entry->SetText("", 0);
                entry->type = Learned;
                add(std::move(entry), word.user);
            }
        }
    }
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const Chosen& a, const Chosen& b) { return a.score > b.score; });
    for (Chosen& c : chosen) {
        if (page.entries.size() - page.pinned >= request.rows) break;
        page.entries.push_back(std::move(c.entry));
        page.scores.push_back(c.score);
    }
    if (walking) page.walkNext = std::move(walked);
    return page;
}

}  // namespace wl
