// What the text import and export operations of a Library report to while
// they run: a one-line text and a cancel flag (the library editor's wait box
// implements it).
#pragma once

namespace wl {

class ImportProgress {
  public:
    virtual ~ImportProgress() = default;
    // Shows a line such as "12 items have been imported!".
    virtual void SetText(const char* text) = 0;
    // True once the user asked to stop; the operation then stops at once and
    // answers the count so far.
    virtual bool Cancelled() = 0;
};

}  // namespace wl
