#include "settings/OptionsLogic.h"

#include <algorithm>
#include <cstring>

#include "platform/Directory.h"
#include "platform/VirtualKeys.h"

namespace wl {

std::uint8_t VirtualKeyOf(const KeyLayout& layout, char c) {
    // -1 (no key) has the low byte 0xFF, which matches no key.
    return static_cast<std::uint8_t>(static_cast<std::uint16_t>(layout.ScanKey(c)) & 0xFF);
}

void OptionHotkeyPage::Load(const OptionSettings& s) {
    selectPrev = s.selectPrev;
    selectNext = s.selectNext;
    selectPageDown = s.selectPageDown;
    selectPageUp = s.selectPageUp;
    selectIndex = s.selectIndex;
    select = s.select;
    toggleHotkey = s.toggleHotkey;
    toggleEntryData_ = s.toggleHotkey;
    otherSelected_ = 0;
}

void OptionHotkeyPage::Store(OptionSettings& s) const {
    s.selectPrev = selectPrev;
    s.selectNext = selectNext;
    s.selectPageDown = selectPageDown;
    s.selectPageUp = selectPageUp;
    s.selectIndex = selectIndex;
    s.select = select;
    s.toggleHotkey = toggleHotkey;
}

OptionHotkeyPage::ItemKeys OptionHotkeyPage::InitialItemKeys() const {
    return selectPrev == vkey::kUp ? ItemKeys::Arrows : ItemKeys::Brackets;
}

OptionHotkeyPage::PageKeys OptionHotkeyPage::InitialPageKeys() const {
    return selectPageDown == vkey::kNext ? PageKeys::PageUpDown : PageKeys::MinusPlus;
}

OptionHotkeyPage::IndexKeys OptionHotkeyPage::InitialIndexKeys() const {
    return selectIndex[0] == vkey::Digit(1) ? IndexKeys::MainDigits : IndexKeys::FunctionKeys;
}

std::array<bool, OptionHotkeyPage::kCompleteCount> OptionHotkeyPage::InitialCompleteSelection()
    const {
    std::array<bool, kCompleteCount> selected{};
    for (std::uint8_t key : select) {
        for (int i = 0; i < kCompleteCount; ++i) {
            if (kCompleteEntries[i].vk == key) {
                selected[i] = true;
                break;
            }
        }
    }
    return selected;
}

void OptionHotkeyPage::ChooseArrows() {
    selectPrev = vkey::kUp;
    selectNext = vkey::kDown;
}

void OptionHotkeyPage::ChooseBrackets(const KeyLayout& layout) {
    selectPrev = VirtualKeyOf(layout, '[');
    selectNext = VirtualKeyOf(layout, ']');
}

void OptionHotkeyPage::ChoosePageUpDown() {
    selectPageDown = vkey::kNext;
    selectPageUp = vkey::kPrior;
}

void OptionHotkeyPage::ChooseMinusPlus(const KeyLayout& layout) {
    // The minus key pages forward, the plus/equals key back.
    selectPageDown = VirtualKeyOf(layout, '-');
    selectPageUp = VirtualKeyOf(layout, '=');
}

void OptionHotkeyPage::ChooseMainDigits() {
    std::memcpy(selectIndex.data(), "1234567890", selectIndex.size());
}

void OptionHotkeyPage::ChooseFunctionKeys() {
    for (size_t i = 0; i < selectIndex.size(); ++i)
        selectIndex[i] = static_cast<std::uint8_t>(vkey::kF1 + i);
}

void OptionHotkeyPage::CompleteSelectionChanged(const std::array<bool, kCompleteCount>& selected) {
    select.fill(reg::kNoKey);
    size_t next = 0;
    for (int i = 0; i < kCompleteCount && next < select.size(); ++i)
        if (selected[i]) select[next++] = kCompleteEntries[i].vk;
}

std::uint32_t OptionHotkeyPage::ShownHotkey() const {
    return otherSelected_ == 0 ? toggleEntryData_ : 0;
}

void OptionHotkeyPage::HotkeyChanged(std::uint32_t hotkey) {
    if (otherSelected_ != 0) return;
    toggleEntryData_ = hotkey;
    toggleHotkey = hotkey;
}

std::string GroupedNumber(std::size_t count) {
    const std::string digits = std::to_string(count);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string LearnedCountText(std::size_t count) {
    if (count == 0) return "No words learned yet";
    if (count == 1) return "1 word learned";
    return GroupedNumber(count) + " words learned";
}

std::string ForgetLeftText(const std::vector<std::string>& left) {
    // The files are all in one folder: it is named once.
    const std::string folder = left.empty() ? std::string() : FolderOf(left.front());
    std::string text = "Not all that Wordlark learned could be removed. ";
    text += left.size() == 1 ? "This file is left" : "These files are left";
    text += " in " + (folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder) + ":\n\n";
    for (std::size_t i = 0; i < left.size() && i < kForgetLeftShown; ++i)
        text += left[i].substr(FolderOf(left[i]).size()) + '\n';
    if (left.size() > kForgetLeftShown)
        text += "and " + GroupedNumber(left.size() - kForgetLeftShown) + " more\n";
    text +=
        "\nA file may be read-only or open in another program. Close that program or remove "
        "the files yourself: what is left may be read again when Wordlark next starts.";
    return text;
}

void OptionOthersPage::ShowLearned(LearnedData* learned) {
    learned_ = learned;
    filesLeft_ = false;
    Recount();
}

std::string OptionOthersPage::LearnedText() const {
    return filesLeft_ ? kNotAllForgotten : LearnedCountText(learnedCount_);
}

std::string OptionOthersPage::Forget() {
    if (!learned_) return {};
    const std::vector<std::string> left = learned_->ForgetLearned();
    filesLeft_ = !left.empty();
    Recount();
    return filesLeft_ ? ForgetLeftText(left) : std::string();
}

void OptionOthersPage::Recount() {
    learnedCount_ = learned_ ? learned_->LearnedWordCount() : 0;
}

void OptionsModel::Open(Registry& reg, LearnedData* learned) {
    OptionSettings stored;
    ReadOptions(reg, stored);
    hotkeys.Load(stored);
    others.enableWord = stored.enableWord;
    others.enableShorthand = stored.enableShorthand;
    others.runAtStartup = ReadRunAtStartup(reg) ? 1 : 0;
    others.smartOrder = stored.suggestions.smartOrder;
    others.spaceAfter = stored.suggestions.spaceAfter;
    others.learn = stored.suggestions.learn;
    others.learnNew = stored.suggestions.learnNew;
    others.predict = stored.suggestions.predict;
    others.ShowLearned(learned);
    page_ = kHotkeysPage;
}

OptionsResult OptionsModel::Ok(Registry& reg, const std::string& exePath) const {
    OptionSettings s;
    hotkeys.Store(s);
    s.enableWord = others.enableWord;
    s.enableShorthand = others.enableShorthand;
    s.suggestions.smartOrder = others.smartOrder;
    s.suggestions.spaceAfter = others.spaceAfter;
    s.suggestions.learn = others.learn;
    s.suggestions.learnNew = others.learnNew;
    s.suggestions.predict = others.predict;
    OptionsResult result;
    result.bEnableWord = s.enableWord;
    result.bEnableShorthand = s.enableShorthand;
    result.dwEnableVemo = s.toggleHotkey;
    result.suggestions = s.suggestions;
    result.allWritten = WriteOptions(reg, s);
    result.allWritten &= WriteRunAtStartup(reg, others.runAtStartup != 0, exePath);
    return result;
}

}  // namespace wl
