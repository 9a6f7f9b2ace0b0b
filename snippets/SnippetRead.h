// Reading a snippet file for the import: the file's bytes, up to the limit
// of its format, decoded to text and handed to the reader of its format.
#pragma once

#include <string>

#include "snippets/SnippetFormats.h"
#include "snippets/SnippetImport.h"

namespace wl::snippets {

struct SnippetFile {
    ParseResult parsed;  // the snippets in the file's order; none with an error
    bool utf8 = true;    // their text is UTF-8, else the code page's
    // Why the file yields nothing, as a sentence that names the file.
    std::string error;
};

// Reads the file at path in the format; page is the code page of a text
// that is not UTF-8.
SnippetFile ReadSnippetFile(const std::string& path, SnippetFormat format, const CodePage& page);

}  // namespace wl::snippets
