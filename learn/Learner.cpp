#include "learn/Learner.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "platform/CodePage.h"
#include "platform/LetterWords.h"

namespace wl {

Learner::Learner(const CodePage& chars, LearnLimits limits) : cp_(chars), limits_(limits) {}

bool Learner::Learnable(std::string_view word) const {
    return IsLetterWord(word, cp_, kMaxWordBytes);
}

Learner::FormWeight Learner::WeightOf(std::string_view form, bool sentenceStart,
                                      const CodePage& cp) {
    // Capitals throughout (two letters or more, no lower-case one): the
    // caps lock or a shout, not the spelling.
    std::string lower(form);
    cp.ToLower(lower.data());
    std::size_t capitals = 0, letters = 0;
    for (std::size_t i = 0; i < form.size(); ++i) {
        if (!cp.IsAlpha(static_cast<unsigned char>(form[i]))) continue;
        ++letters;
        if (lower[i] != form[i]) ++capitals;
    }
    if (letters >= 2 && capitals == letters) return FormWeight::Capitals;
    return sentenceStart ? FormWeight::SentenceStart : FormWeight::Sentence;
}

std::string Learner::Key(std::string_view word) const {
    std::string key(word);
    cp_.ToLower(key.data());
    key.resize(std::strlen(key.c_str()));
    return key;
}

double Learner::Faded(double count, std::int64_t last, std::int64_t now) const {
    if (now <= last || limits_.halfLifeSeconds <= 0) return count;
    return count * std::exp2(-static_cast<double>(now - last) /
                             static_cast<double>(limits_.halfLifeSeconds));
}

void Learner::Use(std::string_view word, std::string_view prev, std::int64_t now,
                  bool sentenceStart) {
    if (!Learnable(word)) return;
    const std::string key = Key(word);
    auto [at, fresh] = words_.try_emplace(key);
    WordUse& use = at->second;
    const double oldRank = use.rank;
    use.count = Faded(use.count, use.last, now) + 1;
    use.follows = Faded(use.follows, use.last, now);
    use.last = std::max(use.last, now);
    ++use.uses;
    Reorder(at->first, use, !fresh, oldRank);
    // The latest form of the weightiest kind seen.
    const FormWeight weight = WeightOf(word, sentenceStart, cp_);
    if (weight >= use.formWeight) {
        use.form = std::string(word);
        use.formWeight = weight;
    }
    total_ += 1;
    if (Learnable(prev)) {
        const std::string prevKey = Key(prev);
        PairUse& pair = pairs_[prevKey + '\t' + key];
        pair.count = Faded(pair.count, pair.last, now) + 1;
        pair.last = std::max(pair.last, now);
        auto p = words_.find(prevKey);
        if (p != words_.end()) {
            p->second.follows = Faded(p->second.follows, p->second.last, now) + 1;
            p->second.count = Faded(p->second.count, p->second.last, now);
            p->second.last = std::max(p->second.last, now);
        }
    }
    Bound();
}

// The least recently used go first, a tenth at a time, so that the work of
// sorting is spread over many uses.
void Learner::Bound() {
    auto trim = [](auto& map, std::size_t max) {
        if (map.size() <= max) return;
        std::vector<std::int64_t> times;
        times.reserve(map.size());
        for (const auto& [key, use] : map) times.push_back(use.last);
        const std::size_t keep = max - max / 10;
        const std::size_t drop = map.size() - keep;
        std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(drop - 1),
                         times.end());
        const std::int64_t cut = times[drop - 1];
        std::size_t dropped = 0;
        for (auto it = map.begin(); it != map.end() && dropped < drop;) {
            if (it->second.last <= cut) {
                it = map.erase(it);
                ++dropped;
            } else {
                ++it;
            }
        }
    };
    const std::size_t before = words_.size();
    trim(words_, limits_.maxWords);
    if (words_.size() != before) {
        // The order of use is made anew for the words kept.
        byUse_.clear();
        for (const auto& [key, use] : words_) byUse_.emplace(use.rank, &key);
    }
    trim(pairs_, limits_.maxPairs);
}

double Learner::WordCount(std::string_view word, std::int64_t now) const {
    auto it = words_.find(Key(word));
    return it == words_.end() ? 0 : Faded(it->second.count, it->second.last, now);
}

double Learner::PairCount(std::string_view prev, std::string_view word, std::int64_t now) const {
    auto it = pairs_.find(Key(prev) + '\t' + Key(word));
    return it == pairs_.end() ? 0 : Faded(it->second.count, it->second.last, now);
}

std::uint32_t Learner::Uses(std::string_view word) const {
    auto it = words_.find(Key(word));
    return it == words_.end() ? 0 : it->second.uses;
}

double Learner::Score(std::string_view word, std::string_view prev, double staticProbability,
                      std::int64_t now, const LearnMix& mix) const {
    return UserScore(word, prev, now, mix) + StaticShare(mix) * staticProbability;
}

double Learner::StaticShare(const LearnMix& mix) const {
    return 1 - total_ / (total_ + mix.userWeight);
}

Learner::UserWeights Learner::UserMix(std::string_view prev, std::int64_t now,
                                      const LearnMix& mix) const {
    UserWeights w;
    const double n = total_;
    if (n <= 0) return w;
    const double userShare = n / (n + mix.userWeight);
    double pairShare = 0, follows = 0;
    if (!prev.empty()) {
        auto p = words_.find(Key(prev));
        follows = p == words_.end() ? 0 : Faded(p->second.follows, p->second.last, now);
        if (follows > 0) pairShare = follows / (follows + mix.pairWeight);
    }
    if (follows > 0) w.perPairUse = userShare * pairShare / follows;
    w.perWordUse = userShare * (1 - pairShare) / n;
    return w;
}

double Learner::UserScore(std::string_view word, std::string_view prev, std::int64_t now,
                          const LearnMix& mix) const {
    const UserWeights w = UserMix(prev, now, mix);
    double score = w.perWordUse * WordCount(word, now);
    if (w.perPairUse > 0) score += w.perPairUse * PairCount(prev, word, now);
    return score;
}

void Learner::ForEachWithPrefix(std::string_view prefix, std::string_view prev, std::int64_t now,
                                const EachUse& each) const {
    const std::string key = Key(prefix);
    // The pairs after prev of the words with the prefix come in the order
    // of the words: one walk through both.
    const std::string from = prev.empty() ? std::string() : Key(prev) + '\t';
    auto pair = from.empty() ? pairs_.end() : pairs_.lower_bound(from + key);
    auto pairWord = [&]() -> std::string_view {
        if (pair == pairs_.end() || pair->first.compare(0, from.size(), from) != 0) return {};
        return std::string_view(pair->first).substr(from.size());
    };
    for (auto it = words_.lower_bound(key);
         it != words_.end() && it->first.compare(0, key.size(), key) == 0; ++it) {
        double pairCount = 0;
        for (std::string_view word = pairWord(); !word.empty(); word = pairWord()) {
            if (word >= it->first) {
                if (word == it->first)
                    pairCount = Faded(pair->second.count, pair->second.last, now);
                break;
            }
            ++pair;
        }
        const WordUse& use = it->second;
        if (Learnable(use.form))
            each({&use.form, &it->first, use.uses, Faded(use.count, use.last, now)}, pairCount);
    }
}

void Learner::ForEachAfter(
    std::string_view prev, std::int64_t now,
    const std::function<void(std::string_view key, double pairCount)>& each) const {
    if (prev.empty()) return;
    const std::string from = Key(prev) + '\t';
    for (auto it = pairs_.lower_bound(from);
         it != pairs_.end() && it->first.compare(0, from.size(), from) == 0; ++it)
        each(std::string_view(it->first).substr(from.size()),
             Faded(it->second.count, it->second.last, now));
}

std::vector<std::string> Learner::WordsWithPrefix(std::string_view prefix, std::uint32_t minUses,
                                                  std::size_t minChars, std::size_t limit,
                                                  std::int64_t now) const {
    const std::string key = Key(prefix);
    std::vector<std::pair<double, const WordUse*>> found;
    for (auto it = words_.lower_bound(key);
         it != words_.end() && it->first.compare(0, key.size(), key) == 0; ++it) {
        const WordUse& use = it->second;
        if (!Learnable(use.form)) continue;
        std::size_t chars = 0;
        for (std::size_t i = 0; i < use.form.size(); ++chars)
            i += cp_.IsLeadByte(static_cast<unsigned char>(use.form[i])) ? 2 : 1;
        if (use.uses < minUses || chars < minChars) continue;
        found.emplace_back(Faded(use.count, use.last, now), &use);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::string> out;
    for (std::size_t i = 0; i < found.size() && out.size() < limit; ++i)
        out.push_back(found[i].second->form);
    return out;
}

double Learner::Rank(const WordUse& use) const {
    const double rank = std::log2(std::max(use.count, 1e-300));
    return limits_.halfLifeSeconds > 0
               ? rank + static_cast<double>(use.last) / static_cast<double>(limits_.halfLifeSeconds)
               : rank;
}

void Learner::Reorder(const std::string& key, WordUse& use, bool placed, double placedAt) {
    if (placed) byUse_.erase({placedAt, &key});
    use.rank = Rank(use);
    byUse_.emplace(use.rank, &key);
}

bool Learner::Find(std::string_view key, std::int64_t now, LearnedUse& out) const {
    auto it = words_.find(key);
    if (it == words_.end()) return false;
    out = {&it->second.form, &it->first, it->second.uses,
           Faded(it->second.count, it->second.last, now)};
    return true;
}

Learner::MostUsed Learner::ByUse(std::int64_t now) const {
    return MostUsed(*this, now, byUse_.crbegin(), byUse_.crend());
}

bool Learner::MostUsed::Next(LearnedUse& out) {
    while (at_ != end_) {
        const std::string* key = (at_++)->second;
        if (learner_.Find(*key, now_, out) && learner_.Learnable(*out.form)) return true;
    }
    return false;
}

void Learner::Forget() {
    words_.clear();
    byUse_.clear();
    pairs_.clear();
    total_ = 0;
}

bool Learner::Restore(std::string_view key, const WordUse& use) {
    if (!Learnable(key) || !Learnable(use.form)) return false;
    auto [at, fresh] = words_.try_emplace(std::string(key));
    WordUse& kept = at->second;
    const double placedAt = kept.rank;
    total_ += static_cast<double>(use.uses) - kept.uses;
    kept = use;
    Reorder(at->first, kept, !fresh, placedAt);
    // The form's weight as far as its shape tells: capitals after the first
    // letter are the spelling's, a first capital alone may be a sentence's.
    const bool firstOnly = !use.form.empty() && use.form != key &&
                           std::string_view(use.form).substr(1) == key.substr(1);
    kept.formWeight = WeightOf(use.form, firstOnly, cp_);
    return true;
}

bool Learner::Restore(std::string_view prevKey, std::string_view wordKey, const PairUse& use) {
    if (!Learnable(prevKey) || !Learnable(wordKey)) return false;
    pairs_[std::string(prevKey) + '\t' + std::string(wordKey)] = use;
    return true;
}

void Learner::Remove(const std::vector<std::string>& keys) {
    const std::set<std::string, std::less<>> gone(keys.begin(), keys.end());
    for (const std::string& key : gone) {
        auto it = words_.find(key);
        if (it == words_.end()) continue;
        total_ = std::max(0.0, total_ - it->second.uses);
        byUse_.erase({it->second.rank, &it->first});
        words_.erase(it);
    }
    for (auto it = pairs_.begin(); it != pairs_.end();) {
        const std::string_view both = it->first;
        const std::size_t tab = both.find('\t');
        const std::string_view prev = both.substr(0, tab), word = both.substr(tab + 1);
        if (!gone.count(prev) && !gone.count(word)) {
            ++it;
            continue;
        }
        // The pair's count, carried to the time of the word before's own
        // count, comes off how often that word was followed.
        auto p = words_.find(std::string(prev));
        if (p != words_.end())
            p->second.follows = std::max(
                0.0, p->second.follows - Faded(it->second.count, it->second.last, p->second.last));
        it = pairs_.erase(it);
    }
}

}  // namespace wl
