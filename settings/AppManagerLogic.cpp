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

std::string AppOptionModel::PathText() const {
    std::string text;
    for (const std::string& path : paths) {
        text += path;
        text += "\r\n";
    }
    return text;
}

void AppOptionModel::DeriveState(Registry& reg) {
    if (state != kNoChoice) return;
    int enabled = 0;
    int disabled = 0;
    RegKey appOption(reg, RegRoot::LocalMachine, reg::kAppOptionKey, true);
    for (const std::string& path : paths) {
        const std::string name = FileNameOf(path);
        if (name.empty()) continue;  // would name AppOption itself
        RegKey sub(reg, RegRoot::LocalMachine, reg::kAppOptionPrefix + name, false);
        if (!sub) continue;
        std::int32_t enable = 0;
        sub.ReadInto(reg::kAppEnableVemo, enable);
        (enable ? enabled : disabled)++;
    }
    if (enabled == 0)
        state = 0;
    else if (disabled == 0)
        state = 1;
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
        rows_.push_back({it->fileName, it->enable ? 1 : 0, it->path, -1});
}

bool AppManagerModel::Save(Registry& reg) const {
    std::vector<AppSetting> apps;
    apps.reserve(rows_.size());
    for (const AppRow& row : rows_)
        apps.push_back({row.fileName, static_cast<std::uint8_t>(row.enable ? 1 : 0), row.path});
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
            rows_.push_back({name, enable, path, -1});
            row = static_cast<int>(rows_.size()) - 1;
            added.push_back(row);
        }
        rows_[row].enable = enable;  // an existing row keeps its path
    }
    return added;
}

bool AppManagerModel::CanEdit(int row) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) && !rows_[row].path.empty();
}

AppOptionModel AppManagerModel::EditChoice(int row) const {
    if (!CanEdit(row)) return {};
    return AppOptionModel({rows_[row].path}, rows_[row].enable);
}

void AppManagerModel::ApplyEdit(int row, const AppOptionModel& choice) {
    if (row >= 0 && row < static_cast<int>(rows_.size()))
        rows_[row].enable = StateToEnable(choice.state);
}

}  // namespace wl
