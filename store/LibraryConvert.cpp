// STUB: replaced at merge
#include "store/LibraryConvert.h"

namespace wl {

int ConvertToUnicode(const std::string& path, const CodePage& codePage, ImportProgress* progress,
                     std::string* error) {
    (void)path, (void)codePage, (void)progress;
    if (error) *error = "not available";
    return 0;
}

}  // namespace wl
