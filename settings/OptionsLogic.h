// The Options dialog without its windows: the two pages' fields, what each
// click sets, how the controls are brought in line with the fields when the
// dialog opens, and what OK writes.  The Win32 dialogs render this state and
// forward the user's clicks to it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Product.h"
#include "platform/Registry.h"
#include "platform/VirtualKeys.h"
#include "settings/Settings.h"

namespace wl {

// The keyboard layout, as far as the Options dialog asks it: the virtual key
// that types a character, as VkKeyScanA answers it.  The answer's low byte is the key, its
// high byte the shift state; -1 when the layout has no key for it.
class KeyLayout {
  public:
    virtual ~KeyLayout() = default;
    virtual std::int16_t ScanKey(char c) const = 0;
};

// The low byte of the layout's key for c; 0xFF when the layout cannot type it.
std::uint8_t VirtualKeyOf(const KeyLayout& layout, char c);

// The "Hotkeys" page.
class OptionHotkeyPage {
  public:
    // The entries of the "Complete Hotkeys" list, top to bottom.
    struct CompleteEntry {
        const char* text;
        std::uint8_t vk;
    };
    static constexpr int kCompleteCount = 5;
    static constexpr std::array<CompleteEntry, kCompleteCount> kCompleteEntries = {
        {{"TAB", vkey::kTab},
         {"RETURN", vkey::kReturn},
         {"SPACE", vkey::kSpace},
         {"SHIFT", vkey::kShift},
         {"CTRL", vkey::kControl}}};
    // The one entry of the "Other Hotkeys" list.
    static constexpr char kToggleEntryText[] = "Enable/Disable Wordlark";

    enum class ItemKeys { Arrows, Brackets };
    enum class PageKeys { PageUpDown, MinusPlus };
    enum class IndexKeys { MainDigits, FunctionKeys };

    // Takes the select keys and the hotkey from the stored settings; the
    // "Other Hotkeys" entry starts selected with the on/off hotkey as its
    // item data.
    void Load(const OptionSettings& settings);
    // Puts the page's fields back into settings (the other fields are left).
    void Store(OptionSettings& settings) const;

    // Which radio button of each group is ticked when the page opens.
    ItemKeys InitialItemKeys() const;
    PageKeys InitialPageKeys() const;
    IndexKeys InitialIndexKeys() const;
    // Which "Complete Hotkeys" entries are selected when the page opens: for
    // each complete-key byte, the first entry carrying that key.
    std::array<bool, kCompleteCount> InitialCompleteSelection() const;

    // The clicks.
    void ChooseArrows();
    void ChooseBrackets(const KeyLayout& layout);
    void ChoosePageUpDown();
    void ChooseMinusPlus(const KeyLayout& layout);
    void ChooseMainDigits();
    void ChooseFunctionKeys();
    // The complete keys become the item data of the selected entries, in list
    // order, the rest 0xFF.
    void CompleteSelectionChanged(const std::array<bool, kCompleteCount>& selected);
    // The "Other Hotkeys" selection: the entry's index, or -1 for none.
    void OtherSelectionChanged(int index) { otherSelected_ = index == 0 ? 0 : -1; }
    int OtherSelected() const { return otherSelected_; }
    // The value the hotkey control shows: the selected entry's; 0 (no
    // hotkey) when nothing is selected.
    std::uint32_t ShownHotkey() const;
    // The hotkey control changed: the selected entry takes the new value, and
    // with it the on/off hotkey.
    void HotkeyChanged(std::uint32_t hotkey);

    std::uint8_t selectPrev = reg::kDefaultSelectPrev;
    std::uint8_t selectNext = reg::kDefaultSelectNext;
    std::uint8_t selectPageDown = reg::kDefaultSelectPageDown;
    std::uint8_t selectPageUp = reg::kDefaultSelectPageUp;
    std::array<std::uint8_t, 10> selectIndex = std::to_array(reg::kDefaultSelectIndex);
    std::array<std::uint8_t, 10> select = std::to_array(reg::kDefaultSelect);
    std::uint32_t toggleHotkey = reg::kDefaultToggleHotkey;

  private:
    std::uint32_t toggleEntryData_ = reg::kDefaultToggleHotkey;  // item data of the entry
    int otherSelected_ = 0;
};

// A learned word as the user's view of what was learned lists it.
struct LearnedWordRow {
    std::string word;  // as last typed
    std::string key;   // the name that removes it
    std::uint32_t uses = 0;
};

// What has been learned from the user's typing, as the Options dialog shows,
// lists and forgets it.  The main window hands in its own; the dialog works
// without.
class LearnedData {
  public:
    virtual ~LearnedData() = default;
    virtual std::size_t LearnedWordCount() = 0;
    // Removes everything learned, at once and for good; answers the files
    // that could not be removed (full paths, UTF-8), empty when all went.
    virtual std::vector<std::string> ForgetLearned() = 0;
    // Every learned word, in the order of their keys.
    virtual std::vector<LearnedWordRow> ListLearned() = 0;
    // Removes words, by key, with the pairs that hold them, and writes them
    // off the disk at once; false when that write failed.
    virtual bool RemoveLearned(const std::vector<std::string>& keys) = 0;
};

// A count with its thousands grouped: "1,234,567".
std::string GroupedNumber(std::size_t count);

// The line that tells how much was learned: "No words learned yet",
// "1 word learned", "1,234 words learned".
std::string LearnedCountText(std::size_t count);

// What the user is told when forgetting left files behind: which files,
// and in which folder (at most kForgetLeftShown by name).
std::string ForgetLeftText(const std::vector<std::string>& left);
inline constexpr std::size_t kForgetLeftShown = 8;

// The "Others" page: eight flags, each set at once from its check box, and
// what was learned.
class OptionOthersPage {
  public:
    // The question "Forget what was learned..." asks, Yes or No, under the
    // title "Wordlark".
    static constexpr const char* kForgetTitle = product::kTitlePlain;
    static constexpr char kForgetQuestion[] =
        "Forget every word Wordlark has learned from your typing?\n\n"
        "This happens at once, even if you then press Cancel, and cannot be undone.";

    // Learning and prediction have effect only while the most likely words
    // come first: their boxes are disabled, keeping their ticks, while that
    // box is not ticked; learning new words only while learning itself is on.
    bool LearnBoxEnabled() const { return smartOrder != 0; }
    bool LearnNewBoxEnabled() const { return smartOrder != 0 && learn != 0; }
    bool PredictBoxEnabled() const { return smartOrder != 0; }

    // What the user is told, under kForgetFailedTitle, when forgetting left
    // files behind (ForgetLeftText); the count line then says kNotAllForgotten.
    static constexpr const char* kForgetFailedTitle = product::kTitleError;
    static constexpr char kNotAllForgotten[] = "Not all that was learned could be removed";

    // The learned data the page shows (none: the count and the buttons are
    // hidden); asks it for its count.
    void ShowLearned(LearnedData* learned);
    bool HasLearned() const { return learned_ != nullptr; }
    LearnedData* Learned() const { return learned_; }
    std::size_t LearnedCount() const { return learnedCount_; }
    std::string LearnedText() const;
    // The user answered Yes to kForgetQuestion: everything learned goes now,
    // not on OK, and the count is asked again.  Answers the message for the
    // files left behind; "" when everything went.
    std::string Forget();
    // The count asked again (after the user removed words from the list).
    void Recount();

    std::int32_t enableWord = 1;
    std::int32_t enableShorthand = 1;
    std::int32_t runAtStartup = 1;
    std::int32_t smartOrder = 0;
    std::int32_t spaceAfter = 0;
    std::int32_t learn = 1;
    std::int32_t learnNew = 0;
    std::int32_t predict = 0;

  private:
    LearnedData* learned_ = nullptr;
    std::size_t learnedCount_ = 0;
    bool filesLeft_ = false;  // the last Forget left files behind
};

// What the main window takes over after OK.
struct OptionsResult {
    std::int32_t bEnableWord = 1;
    std::int32_t bEnableShorthand = 1;
    std::uint32_t dwEnableVemo = reg::kDefaultToggleHotkey;
    SuggestionSettings suggestions;
    // False when the registry refused any value: the store may then hold a
    // mix of old and new settings.
    bool allWritten = true;
};

// The dialog as a whole: the tree of pages and the store.
class OptionsModel {
  public:
    // The tree's items, in their order; the item data is the page index.
    static constexpr int kHotkeysPage = 0;
    static constexpr int kOthersPage = 1;
    static constexpr const char* kPageNames[2] = {"Hotkeys", "Others"};

    // Reads every Option value and whether the Run value exists; the Others
    // page shows learned (may be null).
    void Open(Registry& reg, LearnedData* learned = nullptr);
    // Writes every Option value and the Run value (the program's path when
    // start-with-Windows is on, deleted when off); answers what the main
    // window takes over, with whether every write succeeded.
    OptionsResult Ok(Registry& reg, const std::string& exePath) const;

    // The page shown; a tree item's data selects it.
    int CurrentPage() const { return page_; }
    void SelectPage(int page) { page_ = page == kOthersPage ? kOthersPage : kHotkeysPage; }
    const char* Caption() const { return kPageNames[page_]; }

    OptionHotkeyPage hotkeys;
    OptionOthersPage others;

  private:
    int page_ = kHotkeysPage;
};

}  // namespace wl
