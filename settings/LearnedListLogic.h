// The list of what was learned ("Show what was learned..." on the Options
// dialog's Others page) without its window: the learned words with how often
// each was used, sorted by either column, and the selected ones removed at
// once, on disk too.  settings/win32/DlgLearnedList renders it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Product.h"
#include "settings/OptionsLogic.h"

namespace wl {

class LearnedListModel {
  public:
    enum class Column { Word = 0, Uses = 1 };
    static constexpr const char* kColumnTitles[2] = {"Word", "Used"};
    static constexpr const char* kRemoveFailedTitle = product::kTitleError;
    static constexpr char kRemoveFailedText[] =
        "The words were removed, but the file of what Wordlark learned could not be written. "
        "Wordlark tries again with the next words it learns, and when it ends.";

    explicit LearnedListModel(LearnedData& data) : data_(data) {}

    // Asks the data for the words again, in the sort chosen, none selected.
    void Load();
    std::size_t RowCount() const { return order_.size(); }
    const LearnedWordRow& Row(std::size_t shown) const { return rows_[order_[shown]]; }
    // A cell's text: the word as last typed, or its uses ("1,234").
    std::string Cell(std::size_t shown, Column column) const;

    // A click on a column's header: the rows go by it, words A to Z (as the
    // learner orders its keys, letter case ignored) and the most used
    // first; the same column again turns the order round.  The selection
    // stays with its words.
    void SortBy(Column column);
    Column SortColumn() const { return column_; }
    bool Reversed() const { return reversed_; }

    // The rows selected in the list, as shown.
    void Select(const std::vector<std::size_t>& shown);
    std::vector<std::size_t> Selected() const;
    bool CanRemove() const { return selectedCount_ > 0; }
    // Removes the selected words (and their pairs) now, and lists the rest;
    // false when the file could not be written (kRemoveFailedText).
    bool Remove();

  private:
    void Sort();

    LearnedData& data_;
    std::vector<LearnedWordRow> rows_;  // in key order
    std::vector<std::size_t> order_;    // the rows as shown
    std::vector<bool> selected_;        // by row
    std::size_t selectedCount_ = 0;
    Column column_ = Column::Word;
    bool reversed_ = false;
};

}  // namespace wl
