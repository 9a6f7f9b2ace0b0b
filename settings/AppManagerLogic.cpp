#include "settings/AppManagerLogic.h"

#include <algorithm>

#include "platform/Files.h"
#include "platform/RegistryLayout.h"
#include "settings/Settings.h"

namespace wl {

namespace {

std::int32_t StateToEnable(int state) {
    return state != 0 ? 1 : 0;
}

}  // namespace

const char* StatusText(std::int32_t enable) {
    return enable ? "Enable" : "Disable";
}

const char* PredictionText(const AppRow& row) {
    if (!row.enable) return "";
    return row.predict ? "On" : "Off";
}

std::string AppOptionModel::PathText() const {
    std::string text;
    for (const std::string& path : paths) {
        text += path;
        text += "\r\n";
    }
    return text;
}

void AppOptionModel::DeriveState(Registry& reg) {
    if (state != kNoChoice && predict != kNoChoice && clipboard != kNoChoice) return;
    int enabled = 0;
    int disabled = 0;
    int predicting = 0;
    int silent = 0;
    int pasting = 0;
    int typing = 0;
    RegKey appOption(reg, RegRoot::LocalMachine, reg::kAppOptionKey, true);
    for (const std::string& path : paths) {
        const std::string name = FileNameOf(path);
        if (name.empty()) continue;  // would name AppOption itself
        RegKey sub(reg, RegRoot::LocalMachine, reg::kAppOptionPrefix + name, false);
        std::uint32_t pastes = reg::TypesByClipboardByDefault(name) ? 1 : 0;
        if (sub) sub.ReadInto(reg::kAppTypeByClipboard, pastes);
        (pastes ? pasting : typing)++;
        if (!sub) continue;
        std::int32_t enable = 0;
        sub.ReadInto(reg::kAppEnableVemo, enable);
        (enable ? enabled : disabled)++;
        std::uint8_t predicts = 1;
        sub.ReadInto(reg::kAppEnablePredict, predicts);
        (predicts ? predicting : silent)++;
    }
    if (state == kNoChoice) {
        if (enabled == 0)
            state = 0;
        else if (disabled == 0)
            state = 1;
    }
    if (predict == kNoChoice) {
        if (silent == 0)
            predict = 1;
        else if (predicting == 0)
            predict = 0;
    }
    if (clipboard == kNoChoice) {
        if (typing == 0 && pasting > 0)
            clipboard = 1;
        else if (pasting == 0)
            clipboard = 0;
    }
}

void RunningAppsModel::Fill(const std::vector<RunningApp>& snapshot) {
    rows_.assign(snapshot.rbegin(), snapshot.rend());
}

bool RunningAppsModel::Ok(std::vector<int> selectedRows, AppOptionModel* parent) const {
    if (!parent) return false;
    std::sort(selectedRows.begin(), selectedRows.end());
    selectedRows.erase(std::unique(selectedRows.begin(), selectedRows.end()), selectedRows.end());
    parent->paths.clear();
    for (int row : selectedRows) {
        if (row < 0 || row >= static_cast<int>(rows_.size())) continue;
        if (!rows_[row].path.empty()) parent->paths.push_back(rows_[row].path);
    }
    return true;
}

void AppManagerModel::Load(Registry& reg) {
    rows_.clear();
    othersEnable_ = 1;
    std::vector<AppSetting> apps = ReadAppSettings(reg, othersEnable_);
    for (auto it = apps.rbegin(); it != apps.rend(); ++it)
        rows_.push_back({it->fileName, it->enable ? 1 : 0, it->path, -1, it->predict ? 1 : 0,
                         it->clipboard ? 1 : 0});
}

bool AppManagerModel::Save(Registry& reg) const {
    std::vector<AppSetting> apps;
    apps.reserve(rows_.size());
    for (const AppRow& row : rows_)
        apps.push_back({row.fileName, static_cast<std::uint8_t>(row.enable ? 1 : 0), row.path,
                        static_cast<std::uint8_t>(row.predict ? 1 : 0),
                        static_cast<std::uint32_t>(row.clipboard ? 1 : 0)});
    return WriteAppSettings(reg, apps, othersEnable_);
}

void AppManagerModel::SetIcon(int row, int icon) {
    if (row >= 0 && row < static_cast<int>(rows_.size())) rows_[row].icon = icon;
}

void AppManagerModel::DeleteRows(const std::vector<int>& rows) {
    std::vector<bool> doomed(rows_.size(), false);
    for (int row : rows)
        if (row >= 0 && row < static_cast<int>(rows_.size())) doomed[row] = true;
    std::vector<AppRow> kept;
    for (size_t i = 0; i < rows_.size(); ++i)
        if (!doomed[i]) kept.push_back(std::move(rows_[i]));
    rows_ = std::move(kept);
}

int AppManagerModel::FindRow(const std::string& fileName) const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (cp_.CompareNoCase(rows_[i].fileName.c_str(), fileName.c_str()) == 0)
            return static_cast<int>(i);
    return -1;
}

std::vector<int> AppManagerModel::Merge(const AppOptionModel& choice) {
    std::vector<int> added;
    const std::int32_t enable = StateToEnable(choice.state);
    for (const std::string& path : choice.paths) {
        const std::string name = FileNameOf(path);
        if (name.empty()) continue;  // no application to name a key after
        int row = FindRow(name);
        if (row < 0) {
            rows_.push_back(
                {name, enable, path, -1, 1, reg::TypesByClipboardByDefault(name) ? 1 : 0});
            row = static_cast<int>(rows_.size()) - 1;
            added.push_back(row);
        }
        rows_[row].enable = enable;  // an existing row keeps its path
        if (choice.predict != AppOptionModel::kNoChoice)
            rows_[row].predict = choice.predict ? 1 : 0;
        if (choice.clipboard != AppOptionModel::kNoChoice)
            rows_[row].clipboard = choice.clipboard ? 1 : 0;
    }
    return added;
}

bool AppManagerModel::CanEdit(int row) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) && !rows_[row].path.empty();
}

AppOptionModel AppManagerModel::EditChoice(int row) const {
    if (!CanEdit(row)) return {};
    return AppOptionModel({rows_[row].path}, rows_[row].enable, rows_[row].predict,
                          rows_[row].clipboard);
}

void AppManagerModel::ApplyEdit(int row, const AppOptionModel& choice) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    rows_[row].enable = StateToEnable(choice.state);
    if (choice.predict != AppOptionModel::kNoChoice) rows_[row].predict = choice.predict ? 1 : 0;
    if (choice.clipboard != AppOptionModel::kNoChoice)
        rows_[row].clipboard = choice.clipboard ? 1 : 0;
}

}  // namespace wl
