// The list of learned words without its window: both sorts and their
// reversal, the selection staying with its words, and removal.
#include <gtest/gtest.h>

#include "settings/LearnedListLogic.h"
#include "tests/support/FakeLearned.h"

namespace wl {
namespace {

using Column = LearnedListModel::Column;

std::vector<std::string> Shown(const LearnedListModel& m, Column c = Column::Word) {
    std::vector<std::string> cells;
    for (std::size_t i = 0; i < m.RowCount(); ++i) cells.push_back(m.Cell(i, c));
    return cells;
}

struct LearnedList : ::testing::Test {
    test::FakeLearned learned;
    LearnedListModel model{learned};
    void SetUp() override {
        // In key order, as the learner lists them.
        learned.rows = {{"apple", "apple", 2},
                        {"Berlin", "berlin", 1234},
                        {"cherry", "cherry", 2},
                        {"date", "date", 7}};
        model.Load();
    }
};

TEST_F(LearnedList, SortsByWordOrByUseEachWayRound) {
    using Words = std::vector<std::string>;
    EXPECT_EQ(Shown(model), (Words{"apple", "Berlin", "cherry", "date"}));
    EXPECT_EQ(Shown(model, Column::Uses), (Words{"2", "1,234", "2", "7"}));
    // Each click, and the order after it.
    const struct {
        Column click;
        Words words;
    } clicks[] = {
        {Column::Uses, {"Berlin", "date", "apple", "cherry"}},  // most used first
        {Column::Uses, {"cherry", "apple", "date", "Berlin"}},
        {Column::Word, {"apple", "Berlin", "cherry", "date"}},
        {Column::Word, {"date", "cherry", "Berlin", "apple"}},
        {Column::Uses, {"Berlin", "date", "apple", "cherry"}},
    };
    for (const auto& c : clicks) {
        model.SortBy(c.click);
        EXPECT_EQ(Shown(model), c.words);
    }
    EXPECT_EQ(model.Cell(99, Column::Word), "");
}

TEST_F(LearnedList, TheSelectionFollowsItsWordsAndIsRemovedAtOnce) {
    EXPECT_FALSE(model.CanRemove());
    model.Select({1, 3, 3, 99});  // Berlin, date; a repeat and a row past the end count nothing
    EXPECT_TRUE(model.CanRemove());
    model.SortBy(Column::Uses);  // Berlin, date, apple, cherry
    EXPECT_EQ(model.Selected(), (std::vector<std::size_t>{0, 1}));
    ASSERT_TRUE(model.Remove());
    ASSERT_EQ(learned.removed.size(), 1u);
    EXPECT_EQ(learned.removed[0], (std::vector<std::string>{"berlin", "date"}));
    // Listed again, in the same sort, nothing selected.
    EXPECT_EQ(Shown(model), (std::vector<std::string>{"apple", "cherry"}));
    EXPECT_FALSE(model.CanRemove());
    EXPECT_TRUE(model.Remove());  // nothing selected: nothing asked
    EXPECT_EQ(learned.removed.size(), 1u);

    // A write that fails is told; the words are gone from the list all the same.
    learned.writeFails = true;
    model.Select({0});
    EXPECT_FALSE(model.Remove());
    EXPECT_EQ(Shown(model), std::vector<std::string>{"cherry"});
}

}  // namespace
}  // namespace wl
