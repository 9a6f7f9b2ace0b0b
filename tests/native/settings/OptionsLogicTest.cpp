#include <gtest/gtest.h>

#include <cstdint>
#include <map>

#include "platform/MemoryRegistry.h"
#include "platform/Hotkey.h"
#include "settings/OptionsLogic.h"
#include "tests/support/FakeLearned.h"

namespace wl {
namespace {

using Page = OptionHotkeyPage;
const char* kOption = reg::kOptionKey;
const std::string kExe = "C:\\Program Files\\Wordlark\\VemoShow.exe";

// A keyboard layout scripted per character; characters it has no key for
// answer -1 as VkKeyScanA does.
class ScriptedLayout : public KeyLayout {
  public:
    explicit ScriptedLayout(std::map<char, std::int16_t> keys) : keys_(std::move(keys)) {}
    std::int16_t ScanKey(char c) const override {
        auto it = keys_.find(c);
        return it == keys_.end() ? std::int16_t{-1} : it->second;
    }

  private:
    std::map<char, std::int16_t> keys_;
};

// The US layout's answers.
const ScriptedLayout kUsLayout({{'[', 0x00DB}, {']', 0x00DD}, {'-', 0x00BD}, {'=', 0x00BB}});

std::vector<unsigned char> Stored(MemoryRegistry& reg, const char* name) {
    const MemoryRegistry::Value* v = reg.Find(RegRoot::LocalMachine, kOption, name);
    return v ? v->data : std::vector<unsigned char>{};
}

std::vector<unsigned char> Bytes(std::initializer_list<int> bytes) {
    std::vector<unsigned char> out;
    for (int b : bytes) out.push_back(static_cast<unsigned char>(b));
    return out;
}

// The stored item and page keys one after the other (previous, next, page
// down, page up), then the ten index keys.
std::vector<unsigned char> StoredSelectionKeys(MemoryRegistry& reg) {
    std::vector<unsigned char> all;
    for (const char* name :
         {"vkSelectPrev", "vkSelectNext", "vkSelectPageDown", "vkSelectPageUp", "vkSelectIndex"}) {
        const auto bytes = Stored(reg, name);
        all.insert(all.end(), bytes.begin(), bytes.end());
    }
    return all;
}

// The dialog's model, opened on a store.
struct OptionsDialog : ::testing::Test {
    MemoryRegistry reg;
    OptionsModel model;
    void SetUp() override { model.Open(reg); }
};

TEST_F(OptionsDialog, AnEmptyStoreOpensOnTheDefaultsOfBothPages) {
    EXPECT_EQ(model.CurrentPage(), OptionsModel::kHotkeysPage);
    const Page& page = model.hotkeys;
    EXPECT_EQ(page.InitialItemKeys(), Page::ItemKeys::Arrows);
    EXPECT_EQ(page.InitialPageKeys(), Page::PageKeys::PageUpDown);
    EXPECT_EQ(page.InitialIndexKeys(), Page::IndexKeys::MainDigits);
    EXPECT_EQ(page.InitialCompleteSelection(),
              (std::array<bool, 5>{true, true, false, false, false}));
    EXPECT_EQ(page.OtherSelected(), 0);
    EXPECT_EQ(page.ShownHotkey(), 0x00020074u);  // Ctrl+F5
    // Opening creates the key but writes nothing into it.
    EXPECT_TRUE(reg.KeyExists(RegRoot::LocalMachine, kOption));
    EXPECT_TRUE(Stored(reg, "bEnableWord").empty());

    model.SelectPage(OptionsModel::kOthersPage);
    EXPECT_STREQ(model.Caption(), "Others");
    model.SelectPage(7);  // not a page: back to the first
    EXPECT_EQ(model.CurrentPage(), OptionsModel::kHotkeysPage);
    EXPECT_STREQ(model.Caption(), "Hotkeys");
}

TEST_F(OptionsDialog, RadioChoicesChosenBackStoreTheDefaultKeys) {
    Page& page = model.hotkeys;
    page.ChooseBrackets(kUsLayout);
    page.ChooseMinusPlus(kUsLayout);
    page.ChooseFunctionKeys();
    ASSERT_TRUE(model.Ok(reg, kExe).allWritten);
    // Reopened, choosing back restores the defaults.
    OptionsModel again;
    again.Open(reg);
    again.hotkeys.ChooseArrows();
    again.hotkeys.ChoosePageUpDown();
    again.hotkeys.ChooseMainDigits();
    ASSERT_TRUE(again.Ok(reg, kExe).allWritten);
    EXPECT_EQ(StoredSelectionKeys(reg),
              Bytes({0x26, 0x28, 0x22, 0x21, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0'}));
}

TEST_F(OptionsDialog, CompleteKeysFollowListOrderNotClickOrder) {
    // CTRL clicked first: the keys come in the list's order all the same.
    model.hotkeys.CompleteSelectionChanged({false, false, false, false, true});
    model.hotkeys.CompleteSelectionChanged({true, true, true, true, true});
    EXPECT_EQ(model.hotkeys.select,
              (std::array<std::uint8_t, 10>{9, 13, 32, 16, 17, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    // No entry selected: no complete key at all.
    model.hotkeys.CompleteSelectionChanged({});
    ASSERT_TRUE(model.Ok(reg, kExe).allWritten);
    EXPECT_EQ(Stored(reg, "vkSelect"), std::vector<unsigned char>(10, 0xFF));
}

TEST_F(OptionsDialog, StoredKeysMatchingNoChoiceStayUntilAClick) {
    {
        RegKey key(reg, RegRoot::LocalMachine, kOption, true);
        key.WriteBinary("vkSelectPrev", std::uint8_t{0x41});
        key.WriteBinary("vkSelectNext", std::uint8_t{0x42});
        key.WriteBinary("vkSelectPageDown", std::uint8_t{0x43});
        key.WriteBinary("vkSelectPageUp", std::uint8_t{0x44});
        const std::uint8_t index[10] = {'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P'};
        key.WriteBinary("vkSelectIndex", index);
        // Return twice and a key no entry carries.
        const std::uint8_t complete[10] = {0x0D, 0x41, 0x0D, 0xFF, 0xFF,
                                           0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        key.WriteBinary("vkSelect", complete);
    }
    const auto before = StoredSelectionKeys(reg);
    const auto complete = Stored(reg, "vkSelect");
    model.Open(reg);  // again, on what is stored now
    EXPECT_EQ(model.hotkeys.InitialItemKeys(), Page::ItemKeys::Brackets);
    EXPECT_EQ(model.hotkeys.InitialPageKeys(), Page::PageKeys::MinusPlus);
    EXPECT_EQ(model.hotkeys.InitialIndexKeys(), Page::IndexKeys::FunctionKeys);
    EXPECT_EQ(model.hotkeys.InitialCompleteSelection(),
              (std::array<bool, 5>{false, true, false, false, false}));
    ASSERT_TRUE(model.Ok(reg, kExe).allWritten);
    EXPECT_EQ(StoredSelectionKeys(reg), before);
    EXPECT_EQ(Stored(reg, "vkSelect"), complete);
}

TEST_F(OptionsDialog, TheHotkeyControlSetsTheOnOffHotkey) {
    EXPECT_EQ(Hotkey::FromControl(0x0A2E).stored(), 0x000A002Eu);  // Ctrl+extended Delete
    EXPECT_EQ(Hotkey(0x000A002Eu).ToControl(), 0x0A2Eu);
    EXPECT_EQ(Hotkey::FromControl(0).stored(), 0u);

    model.hotkeys.HotkeyChanged(Hotkey::FromControl(0x0575).stored());
    EXPECT_EQ(model.hotkeys.ShownHotkey(), 0x00050075u);
    // Nothing selected in "Other Hotkeys": the control shows no hotkey and a
    // change belongs to no entry.
    model.hotkeys.OtherSelectionChanged(-1);
    EXPECT_EQ(model.hotkeys.ShownHotkey(), 0u);
    model.hotkeys.HotkeyChanged(0x00020041);
    model.hotkeys.OtherSelectionChanged(0);
    EXPECT_EQ(model.hotkeys.ShownHotkey(), 0x00050075u);

    EXPECT_EQ(model.Ok(reg, kExe).dwEnableVemo, 0x00050075u);
}

// Prediction, like learning, has effect only with the smart order: its box is
// disabled without it, and its tick is kept and written all the same.
TEST_F(OptionsDialog, PredictionIsKeptAndCarriedWithOrWithoutTheSmartOrder) {
    EXPECT_EQ(model.others.predict, 0);  // off as the program comes
    EXPECT_FALSE(model.others.PredictBoxEnabled());
    const struct { std::int32_t smart, predict; } cases[] = {{1, 1}, {0, 1}, {1, 0}};
    for (const auto& c : cases) {
        model.others.smartOrder = c.smart;
        model.others.predict = c.predict;
        EXPECT_EQ(model.others.PredictBoxEnabled(), c.smart != 0);
        const OptionsResult result = model.Ok(reg, kExe);
        ASSERT_TRUE(result.allWritten);
        EXPECT_EQ(result.suggestions.predict, c.predict);
        EXPECT_EQ(Stored(reg, "bPredict"), Bytes({c.predict, 0, 0, 0}));
        OptionsModel again;
        again.Open(reg);
        EXPECT_EQ(again.others.predict, c.predict) << c.smart;
        EXPECT_EQ(again.others.PredictBoxEnabled(), c.smart != 0);
    }
}

TEST(OptionsOthersPage, TheLearnedCountReadsAsAPhrase) {
    const struct {
        std::size_t count;
        const char* text;
    } cases[] = {
        {0, "No words learned yet"},
        {1, "1 word learned"},
        {2, "2 words learned"},
        {999, "999 words learned"},
        {1000, "1,000 words learned"},
        {1234567, "1,234,567 words learned"},
        {SIZE_MAX, SIZE_MAX == 0xFFFFFFFFu ? "4,294,967,295 words learned"
                                           : "18,446,744,073,709,551,615 words learned"},
    };
    for (const auto& c : cases) EXPECT_EQ(LearnedCountText(c.count), c.text) << c.count;
}

TEST_F(OptionsDialog, WithoutLearnedDataThereIsNothingToCountOrForget) {
    EXPECT_FALSE(model.others.HasLearned());
    EXPECT_EQ(model.others.LearnedCount(), 0u);
    model.others.Forget();
    EXPECT_EQ(model.others.LearnedText(), "No words learned yet");
}

TEST_F(OptionsDialog, FilesForgettingLeftBehindAreNamedWithTheirFolder) {
    test::FakeLearned learned(3);
    model.Open(reg, &learned);
    const std::string folder =
        "C:\\Users\\\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\\AppData\\Local\\Wordlark";
    learned.left = {folder + "\\learned.dat", folder + "\\learned.dat.damaged"};
    const std::string told = model.others.Forget();
    EXPECT_NE(
        told.find("These files are left in " + folder + ":\n\nlearned.dat\nlearned.dat.damaged\n"),
        std::string::npos)
        << told;
    EXPECT_EQ(model.others.LearnedText(), OptionOthersPage::kNotAllForgotten);
    // Forgotten again, with nothing left, the count is back.
    learned.left.clear();
    EXPECT_EQ(model.others.Forget(), "");
    EXPECT_EQ(model.others.LearnedText(), "No words learned yet");

    // Many files: the first ones by name, and how many more.
    std::vector<std::string> many;
    for (int i = 0; i < 12; ++i) many.push_back("/home/u/learned.dat.damaged-" + std::to_string(i));
    const std::string text = ForgetLeftText(many);
    EXPECT_NE(text.find("in /home/u:\n\nlearned.dat.damaged-0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("learned.dat.damaged-7\nand 4 more\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("damaged-8"), std::string::npos) << text;
}

}  // namespace
}  // namespace wl
