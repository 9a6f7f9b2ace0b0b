// Rewriting a code-page library as a UTF-8 one.
#pragma once

#include <string>

#include "platform/CodePage.h"
#include "store/ImportProgress.h"

namespace wl {

// Writes a UTF-8 copy of the code-page library at path beside it (path +
// ".new") and replaces the file only when the copy is complete, keeping its
// keys, texts, weights, context data, switches and caption.  On failure the
// library is left as it was and error (when given) says why.
int ConvertToUnicode(const std::string& path, const CodePage& codePage, ImportProgress* progress,
                     std::string* error);

}  // namespace wl
