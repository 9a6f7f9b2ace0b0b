// The progress window's numbers: range, position, step, the percentage shown
// in the caption, the cancelled flag, and where the window goes when it
// opens (the remembered position, when it still lies on a screen).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "libui/Profile.h"

namespace wl {

class ProgressLogic {
  public:
    explicit ProgressLogic(std::string title = "Progress") : title_(std::move(title)) {}

    void SetTitle(std::string title) { title_ = std::move(title); }
    const std::string& Title() const { return title_; }

    void SetBarRange(std::int32_t lower, std::int32_t upper, std::int32_t step);
    // Records the position; answers true when the whole percentage changed,
    // which changes the caption.
    bool SetBarPosition(std::int32_t position);
    // SetBarPosition(position + step).
    bool Advance() { return SetBarPosition(position_ + step_); }

    // (position - lower) * 100 / (upper - lower), whole, within 0..100; 0
    // when upper <= lower.
    std::int32_t PercentOf(std::int32_t position) const;
    std::int32_t Percent() const { return percent_; }
    // The title, followed by " [n%]" once the percentage has changed.
    std::string Caption() const;

    std::int32_t Position() const { return position_; }
    std::int32_t Lower() const { return lower_; }
    std::int32_t Upper() const { return upper_; }
    std::int32_t Step() const { return step_; }

    bool Cancelled() const { return cancelled_; }
    void Cancel() { cancelled_ = true; }

  private:
    std::string title_;
    std::int32_t position_ = 0;
    std::int32_t percent_ = 0;
    std::int32_t step_ = 1;
    std::int32_t lower_ = 0;
    std::int32_t upper_ = 100;
    bool captionHasPercent_ = false;
    bool cancelled_ = false;
};

struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The profile section and values of the remembered position.
inline constexpr char kProgressSection[] = "Settings";
inline constexpr char kProgressX[] = "X";
inline constexpr char kProgressY[] = "Y";

// Reads the remembered top-left corner; true when both values are stored and
// the corner lies on one of the screens.
bool RememberedPosition(Profile& profile, const std::vector<ScreenRect>& screens, int& x, int& y);
// Stores the window's top-left corner.
void RememberPosition(Profile& profile, int x, int y);

}  // namespace wl
