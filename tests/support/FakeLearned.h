// Learned data for the settings dialogs' tests: words to list, what each
// call was asked, a removal whose write fails and a forgetting that leaves
// files behind on demand.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "settings/OptionsLogic.h"

namespace wl::test {

class FakeLearned : public LearnedData {
  public:
    FakeLearned() = default;
    // words words "word0000", "word0001", ..., used 1, 2, 3, 1, 2, 3, ... times.
    explicit FakeLearned(std::size_t words) {
        for (std::size_t i = 0; i < words; ++i) {
            char word[32];
            std::snprintf(word, sizeof word, "word%04zu", i);
            rows.push_back({word, word, static_cast<std::uint32_t>(i % 3 + 1)});
        }
    }

    std::size_t LearnedWordCount() override { return rows.size(); }
    std::vector<std::string> ForgetLearned() override {
        ++forgotten;
        rows.clear();
        return left;
    }
    std::vector<LearnedWordRow> ListLearned() override { return rows; }
    bool RemoveLearned(const std::vector<std::string>& keys) override {
        removed.push_back(keys);
        rows.erase(std::remove_if(rows.begin(), rows.end(),
                                  [&](const LearnedWordRow& r) {
                                      return std::find(keys.begin(), keys.end(), r.key) !=
                                             keys.end();
                                  }),
                   rows.end());
        return !writeFails;
    }

    std::vector<LearnedWordRow> rows;
    std::vector<std::string> left;  // what each Forget leaves behind
    bool writeFails = false;
    int forgotten = 0;
    std::vector<std::vector<std::string>> removed;  // each removal's keys
};

}  // namespace wl::test
