#include "libui/ProgressLogic.h"

#include <cstdio>

namespace wl {

void ProgressLogic::SetBarRange(std::int32_t lower, std::int32_t upper, std::int32_t step) {
    lower_ = lower;
    upper_ = upper;
    step_ = step;
}

std::int32_t ProgressLogic::PercentOf(std::int32_t position) const {
    if (upper_ <= lower_) return 0;
    const std::int64_t done = static_cast<std::int64_t>(position) - lower_;
    const std::int64_t span = static_cast<std::int64_t>(upper_) - lower_;
    std::int64_t p = done * 100 / span;
    if (p < 0) p = 0;
    if (p > 100) p = 100;
    return static_cast<std::int32_t>(p);
}

bool ProgressLogic::SetBarPosition(std::int32_t position) {
    position_ = position;
    const std::int32_t p = PercentOf(position);
    if (p == percent_) return false;
    percent_ = p;
    captionHasPercent_ = true;
    return true;
}

std::string ProgressLogic::Caption() const {
    if (!captionHasPercent_) return title_;
    char buf[32];
    std::snprintf(buf, sizeof buf, " [%d%%]", static_cast<int>(percent_));
    return title_ + buf;
}

bool RememberedPosition(Profile& profile, const std::vector<ScreenRect>& screens, int& x, int& y) {
    std::int32_t sx = 0, sy = 0;
    if (!profile.GetInt(kProgressSection, kProgressX, sx) ||
        !profile.GetInt(kProgressSection, kProgressY, sy))
        return false;
    for (const ScreenRect& s : screens) {
        if (sx >= s.left && sx < s.right && sy >= s.top && sy < s.bottom) {
            x = sx;
            y = sy;
            return true;
        }
    }
    return false;
}

void RememberPosition(Profile& profile, int x, int y) {
    profile.SetInt(kProgressSection, kProgressX, x);
    profile.SetInt(kProgressSection, kProgressY, y);
}

}  // namespace wl
