#include "settings/LearnedListLogic.h"

#include <algorithm>
#include <numeric>

namespace wl {

void LearnedListModel::Load() {
    rows_ = data_.ListLearned();
    selected_.assign(rows_.size(), false);
    selectedCount_ = 0;
    Sort();
}

std::string LearnedListModel::Cell(std::size_t shown, Column column) const {
    if (shown >= order_.size()) return {};
    const LearnedWordRow& row = Row(shown);
    return column == Column::Word ? row.word : GroupedNumber(row.uses);
}

void LearnedListModel::SortBy(Column column) {
    reversed_ = column == column_ && !reversed_;
    column_ = column;
    Sort();
}

void LearnedListModel::Sort() {
    order_.resize(rows_.size());
    std::iota(order_.begin(), order_.end(), std::size_t{0});
    // The rows come in key order: that is the order of the words, and the
    // order of words used equally often.
    if (column_ == Column::Uses)
        std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
            return rows_[a].uses > rows_[b].uses;
        });
    if (reversed_) std::reverse(order_.begin(), order_.end());
}

void LearnedListModel::Select(const std::vector<std::size_t>& shown) {
    selected_.assign(rows_.size(), false);
    selectedCount_ = 0;
    for (std::size_t s : shown) {
        if (s >= order_.size() || selected_[order_[s]]) continue;
        selected_[order_[s]] = true;
        ++selectedCount_;
    }
}

std::vector<std::size_t> LearnedListModel::Selected() const {
    std::vector<std::size_t> shown;
    for (std::size_t s = 0; s < order_.size(); ++s)
        if (selected_[order_[s]]) shown.push_back(s);
    return shown;
}

bool LearnedListModel::Remove() {
    std::vector<std::string> keys;
    for (std::size_t r = 0; r < rows_.size(); ++r)
        if (selected_[r]) keys.push_back(rows_[r].key);
    if (keys.empty()) return true;
    const bool written = data_.RemoveLearned(keys);
    Load();
    return written;
}

}  // namespace wl
