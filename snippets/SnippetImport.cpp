// The import of a snippet file into a Shorthand library: the file read and
// checked, then each snippet made an entry and stored, and what was skipped
// counted.
#include "snippets/SnippetImport.h"

#include "snippets/SnippetFormats.h"
#include "snippets/SnippetRead.h"

namespace wl {

SnippetImportResult ImportSnippets(Library& lib, const std::string& path, SnippetFormat format,
                                   ImportProgress* progress) {
    using namespace snippets;
    SnippetImportResult result;
    if (!lib.IsOpen()) {
        result.error = "The library is not open.";
        return result;
    }
    if (lib.GetType() != Shorthand) {
        result.error =
            "Snippets from other text expanders go into a Shorthand library, and this library is "
            "a Dictionary.";
        return result;
    }
    // The code page of a file that is not UTF-8; a UTF-8 library keeps every
    // character.
    const CodePage& page = lib.givenCodePage();
    const bool unicode = lib.GetEncoding() == EncodingUtf8;
    if (lib.IsReadOnly()) {
        result.error = "The library's encoding is unknown to this program: it can only be read.";
        return result;
    }
    const SnippetFile file = LoadSnippetFile(path, format, page);
    if (!file.error.empty()) {
        result.error = file.error;
        return result;
    }

    auto skip = [&](const Snippet& s, const std::string& why) {
        if (static_cast<int>(result.firstSkipped.size()) < kShownSkipped)
            result.firstSkipped.push_back({Readable(s.abbreviation, file.utf8, page), why});
        ++result.skipped;
    };
    std::string key, text, why;
    LibraryEntry entry;
    ReadSnippets(file, [&](Snippet&& s) {
        if (progress && progress->Cancelled()) {
            result.cancelled = true;
            return false;
        }
        if (!s.skip.empty()) {
            skip(s, s.skip);
            return true;
        }
        if (!MakeEntry(s, file.utf8, page, key, text, why, unicode)) {
            skip(s, why);
            return true;
        }
        entry.SetKey(key.data(), static_cast<std::uint32_t>(key.size()));
        entry.SetText(text.data(), static_cast<std::uint32_t>(text.size()));
        if (!lib.Put(entry)) {
            skip(s, "could not be stored in the library");
            ++result.notStored;
            return true;
        }
        ++result.imported;
        if (progress) {
            const std::string line = std::to_string(result.imported) + " items have been imported!";
            progress->SetText(line.c_str());
        }
        return true;
    });
    return result;
}

}  // namespace wl
