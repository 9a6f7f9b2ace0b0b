#include "app/ContextRanking.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <queue>
#include <unordered_map>
#include <unordered_set>
#include <utility>

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

}  // namespace

double ContextProbability(const ContextModel* model, const std::vector<std::string>& context,
                          const std::string& lowerWord, std::uint32_t weight) {
    const ContextView view(model, context);
    return view.Probability(view.Id(lowerWord), WordAlone(weight));
}

RankedPage RankInContext(CandidateSource& source, const Learner* learner, const CodePage& cp,
                         const RankRequest& request, const LearnMix& mix) {
    RankedPage page;
    const bool nextWord = request.word.empty();
    const std::string lowerWord = Lower(cp, request.word);
    std::vector<std::string> context;
    for (const std::string& word : request.context)
        context.push_back(word == ContextModel::kSentenceStart ? word : Lower(cp, word));
    const ContextModel* model = request.enableWord ? source.Context() : nullptr;
    const ContextView view(model, context);
    const double share = learner ? learner->StaticShare(mix) : 1.0;

    // The ranked lookup, best weight first: the Shorthand keys equal to the
    // word before all.  (No Shorthand key is the next word.)
    auto walked = std::make_unique<LibraryEntry>();
    bool walking = source.FindFirstRanked(request.word.c_str(), *walked, request.enableWord,
                                          nextWord ? 0 : request.enableShorthand) != 0;
    while (walking && walked->type == Shorthand &&
           cp.CompareNoCase(walked->keyString(), request.word.c_str()) == 0) {
        page.entries.push_back(std::move(walked));
        page.scores.push_back(0);
        ++page.pinned;
        walked = std::make_unique<LibraryEntry>();
        walking = source.FindNextRanked(*walked) != 0;
    }

    // The words the model names after the context, most likely first.
    std::vector<std::pair<double, WordId>> named;
    if (view.model()) {
        WordId first = 0, last = 0;
        view.model()->PrefixRange(lowerWord, first, last);
        view.Named(first, last, named);
        std::make_heap(named.begin(), named.end());
    }

    const double none = -1;  // no candidate left

    // The learned words, highest user score first.
    // (The learner is not changed meanwhile: its texts are pointed to.)
    struct UserWord {
        double user;
        const std::string* form;
        const std::string* key;
        std::uint32_t uses;
        bool operator<(const UserWord& other) const { return user < other.user; }
    };
    std::vector<UserWord> learned;
    // With no letter typed, every learned word matches: the words that
    // followed the word before come with their pairs, and the rest from the
    // most used down, only as far as they are needed.
    std::optional<Learner::MostUsed> mostUsed;
    std::unordered_set<std::string> followers;
    UserWord nextUsed{none, nullptr, nullptr, 0};
    Learner::UserWeights weights;
    auto takeNextUsed = [&] {
        Learner::LearnedUse use;
        nextUsed.user = none;
        while (mostUsed && mostUsed->Next(use)) {
            if (followers.count(*use.key)) continue;
            nextUsed = {weights.perWordUse * use.count, use.form, use.key, use.uses};
            return;
        }
    };
    if (learner && request.enableWord) {
        weights = learner->UserMix(request.prev, request.now, mix);
        std::unordered_map<std::string, double> pairs;
        if (weights.perPairUse > 0)
            for (auto& [key, count] : learner->PairsAfter(request.prev, request.now))
                pairs.emplace(std::move(key), count);
        auto add = [&](const Learner::LearnedUse& use, double pairCount) {
            learned.push_back({weights.perWordUse * use.count + weights.perPairUse * pairCount,
                               use.form, use.key, use.uses});
        };
        if (nextWord) {
            Learner::LearnedUse use;
            for (const auto& [key, count] : pairs) {
                if (!learner->Find(key, request.now, use) || !learner->Learnable(*use.form))
                    continue;
                followers.insert(key);
                add(use, count);
            }
            mostUsed.emplace(learner->ByUse(request.now));
            takeNextUsed();
        } else {
            learner->ForEachWithPrefix(request.word, request.now,
                                       [&](const Learner::LearnedUse& use) {
                                           auto it = pairs.find(*use.key);
                                           add(use, it == pairs.end() ? 0 : it->second);
                                       });
        }
        std::make_heap(learned.begin(), learned.end());
    }
    auto userScore = [&](const std::string& lowerKey) {
        return learner ? learner->UserScore(lowerKey, request.prev, request.now, mix) : 0.0;
    };

    // The exact score of the ranked lookup's candidate in hand.
    auto scoreOf = [&](const LibraryEntry& entry) {
        if (entry.type != Dictionary) return 0.0;  // a Shorthand key: no word, no probability
        const std::string key = Lower(cp, entry.keyString());
        return userScore(key) + share * view.Probability(view.Id(key), WordAlone(entry.weight));
    };
    double walkedScore = walking ? scoreOf(*walked) : 0;

    std::vector<Chosen> chosen;
    // Whether a library's key of the word was taken from the lookup already.
    auto Offered = [&](const std::string& lowerKey) {
        if (walking && Lower(cp, walked->keyString()) == lowerKey) return true;
        return std::any_of(chosen.begin(), chosen.end(), [&](const Chosen& c) {
            return c.entry->type == Dictionary && Lower(cp, c.entry->keyString()) == lowerKey;
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
        const double bestUser =
            std::max(learned.empty() ? none : learned.front().user, nextUsed.user);
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
            if (!word.empty() && source.FindRankedKey(word.c_str(), *entry))
                add(std::move(entry), userScore(word) + share * p);
        } else {
            UserWord word = nextUsed;
            if (!learned.empty() && learned.front().user >= nextUsed.user) {
                std::pop_heap(learned.begin(), learned.end());
                word = learned.back();
                learned.pop_back();
            } else {
                takeNextUsed();
            }
            auto entry = std::make_unique<LibraryEntry>();
            if (source.FindRankedKey(word.form->c_str(), *entry)) {
                const double p = view.Probability(view.Id(*word.key), WordAlone(entry->weight));
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
