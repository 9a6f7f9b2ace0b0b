// Converting a code-page library into a UTF-8 library, in place.
#pragma once

#include <string>

#include "platform/CodePage.h"
#include "store/ImportProgress.h"

namespace wl {

// Rewrites the library at path, whose text is in codePage, as a UTF-8
// library: every key and text, its caption and description, and the words
// of its context data converted (CodePage::ToUtf8); the weights, the context
// data's values, the type, the editable and scrambled flags and any other
// info record kept as they are.  The copy is written beside the file (path +
// ".new") and renamed over it only when it is complete, so the library's
// load switch (kept by path) stays.  Answers 1 on success; a library that is
// UTF-8 already answers 1 and is left as it is.  Answers 0, with the reason
// in error, when there is no library at path, its encoding is unknown, any
// key, text, caption, description or context word holds a byte the code page
// does not define, the copy cannot be written or put in place (Windows keeps
// a file that is open), or the progress was cancelled; the library is then
// left untouched and no copy stays behind.  The progress shows "%d items
// have been converted!".  Close the library everywhere in this process
// before: the file is replaced under it.
int ConvertToUnicode(const std::string& path, const CodePage& codePage, ImportProgress* progress,
                     std::string* error);

}  // namespace wl
