// Reading a snippet file for the import: the file's bytes, up to the limit
// of its format, decoded to text and handed to the reader of its format.
// The import goes through the snippets twice: LoadSnippetFile counts them
// and what they expand to, so that a file that holds none, is not of its
// format or expands beyond the limits (snippets/SnippetLimits.h) is refused
// before anything is written; ReadSnippets then hands them on.  Only the
// file's text is held meanwhile, never all of its snippets.
#pragma once

#include <memory>
#include <string>

#include "snippets/SnippetFormats.h"
#include "snippets/SnippetImport.h"

namespace wl::snippets {

struct SnippetFile {
    std::unique_ptr<std::string> text;  // where the reader finds it, whatever moves
    SnippetReader reader;
    bool utf8 = true;  // the text is UTF-8, else in the code page
    // Why the file is refused, as a sentence that names the file.
    std::string error;
};

// Reads and checks the file at path in the format; page is the code page of
// a text that is not UTF-8.
SnippetFile LoadSnippetFile(const std::string& path, SnippetFormat format, const CodePage& page);

// Hands the snippets of a file that was not refused to the sink, in the
// file's order, until it answers false.
void ReadSnippets(const SnippetFile& file, const SnippetSink& sink);

}  // namespace wl::snippets
