#include "learn/Learner.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/CodePage.h"
#include "platform/LetterWords.h"

namespace wl {

namespace {

constexpr char kHeader[] = "Wordlark learned 1";

// FNV-1a, 64 bits: enough to tell a damaged file from a whole one.
std::uint64_t Checksum(std::string_view bytes) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == '\t') {
            out.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    return out;
}

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
    std::istringstream in{std::string(text)};
    in >> value;
    return in && in.peek() == std::char_traits<char>::eof();
}

// The name a damaged file is kept under: path.damaged, or path.damaged-N
// when that is taken.
std::string SetAsideName(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::string name = path + ".damaged";
    for (int n = 2; fs::exists(name, ec) && n < 1000; ++n)
        name = path + ".damaged-" + std::to_string(n);
    return name;
}

}  // namespace

std::vector<std::size_t> OrderByUse(const Learner& learner,
                                    const std::vector<RankedCandidate>& candidates,
                                    std::size_t pinned, std::string_view prev, std::int64_t now,
                                    const LearnMix& mix) {
    std::vector<std::size_t> order(candidates.size());
    // Keys that are not words score nothing, as unused unweighted words do,
    // and keep their ranked place among them.
    std::vector<double> score(candidates.size(), 0.0);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        order[i] = i;
        if (i >= pinned && candidates[i].learnable)
            score[i] = learner.Score(candidates[i].word, prev, candidates[i].probability, now, mix);
    }
    pinned = std::min(pinned, candidates.size());
    std::stable_sort(order.begin() + static_cast<std::ptrdiff_t>(pinned), order.end(),
                     [&](std::size_t a, std::size_t b) { return score[a] > score[b]; });
    return order;
}

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
    WordUse& use = words_[key];
    use.count = Faded(use.count, use.last, now) + 1;
    use.follows = Faded(use.follows, use.last, now);
    use.last = std::max(use.last, now);
    ++use.uses;
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
    trim(words_, limits_.maxWords);
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
    const double n = total_;
    const double userShare = n / (n + mix.userWeight);
    const double unigram = n > 0 ? WordCount(word, now) / n : 0;
    double bigram = 0, pairShare = 0;
    if (!prev.empty()) {
        auto p = words_.find(Key(prev));
        const double follows =
            p == words_.end() ? 0 : Faded(p->second.follows, p->second.last, now);
        if (follows > 0) {
            bigram = PairCount(prev, word, now) / follows;
            pairShare = follows / (follows + mix.pairWeight);
        }
    }
    const double user = pairShare * bigram + (1 - pairShare) * unigram;
    return userShare * user + (1 - userShare) * staticProbability;
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

void Learner::Forget() {
    words_.clear();
    pairs_.clear();
    total_ = 0;
}

bool Learner::Save(const std::string& path) const {
    std::string text = std::string(kHeader) + '\n';
    std::size_t lines = 1;
    char number[64];
    auto num = [&](double v) {
        std::snprintf(number, sizeof number, "%.17g", v);
        return std::string(number);
    };
    for (const auto& [key, use] : words_) {
        text += "W\t" + key + '\t' + use.form + '\t' + num(use.count) + '\t' +
                std::to_string(use.last) + '\t' + std::to_string(use.uses) + '\t' +
                num(use.follows) + '\n';
        ++lines;
    }
    for (const auto& [key, use] : pairs_) {
        text += "P\t" + key + '\t' + num(use.count) + '\t' + std::to_string(use.last) + '\n';
        ++lines;
    }
    std::snprintf(number, sizeof number, "END\t%zu\t%016llx\n", lines,
                  static_cast<unsigned long long>(Checksum(text)));
    text += number;

    const std::string fresh = path + ".new";
    {
        std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ec;
            std::filesystem::remove(fresh, ec);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(fresh, path, ec);
    if (ec) std::filesystem::remove(fresh, ec);
    return !ec;
}

Learner::LoadResult Learner::Load(const std::string& path) {
    namespace fs = std::filesystem;
    Forget();
    std::error_code ec;
    if (!fs::exists(path, ec)) return LoadResult::Missing;
    std::string text;
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        text = all.str();
    }
    auto parse = [&]() -> bool {
        // The last line: END, the number of lines before it, the checksum.
        if (text.size() < 2 || text.back() != '\n') return false;
        const std::size_t endLine = text.rfind('\n', text.size() - 2);
        if (endLine == std::string::npos) return false;
        const std::string_view body(text.data(), endLine + 1);
        auto end = Fields(std::string_view(text).substr(endLine + 1, text.size() - endLine - 2));
        std::size_t lines = 0;
        unsigned long long sum = 0;
        if (end.size() != 3 || end[0] != "END" || !ParseNumber(end[1], lines) ||
            std::sscanf(std::string(end[2]).c_str(), "%llx", &sum) != 1 || sum != Checksum(body))
            return false;
        std::size_t seen = 0, start = 0;
        while (start < body.size()) {
            const std::size_t nl = body.find('\n', start);
            const std::string_view line = body.substr(start, nl - start);
            start = nl + 1;
            if (seen++ == 0) {
                if (line != kHeader) return false;
                continue;
            }
            auto f = Fields(line);
            if (f.size() == 7 && f[0] == "W") {
                WordUse use;
                use.form = std::string(f[2]);
                if (!Learnable(f[1]) || !Learnable(f[2]) || !ParseNumber(f[3], use.count) ||
                    !ParseNumber(f[4], use.last) || !ParseNumber(f[5], use.uses) ||
                    !ParseNumber(f[6], use.follows) || !(use.count >= 0) || !(use.follows >= 0))
                    return false;
                // Its weight as far as the form tells: capitals after the
                // first letter are the spelling's, a first capital alone
                // may be a sentence's.
                const bool firstOnly =
                    !use.form.empty() && use.form.substr(1) == f[1].substr(1) && use.form != f[1];
                use.formWeight = WeightOf(use.form, firstOnly, cp_);
                total_ += use.uses;
                words_[std::string(f[1])] = use;
            } else if (f.size() == 5 && f[0] == "P") {
                PairUse use;
                if (!Learnable(f[1]) || !Learnable(f[2]) || !ParseNumber(f[3], use.count) ||
                    !ParseNumber(f[4], use.last) || !(use.count >= 0))
                    return false;
                pairs_[std::string(f[1]) + '\t' + std::string(f[2])] = use;
            } else {
                return false;
            }
        }
        return seen == lines;
    };
    if (parse()) {
        Bound();
        return LoadResult::Loaded;
    }
    // Damaged, cut short, or written by a newer version (whose header this
    // one does not know): kept aside, not deleted, and learning starts anew.
    Forget();
    fs::rename(path, SetAsideName(path), ec);
    return LoadResult::SetAside;
}

}  // namespace wl
