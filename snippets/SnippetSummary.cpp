// The summary of an import for the user.
#include "snippets/SnippetImport.h"

namespace wl {

std::string SnippetSummary(const SnippetImportResult& result, const char* lineEnd) {
    if (!result.error.empty()) return result.error + lineEnd + "Nothing was imported.";
    std::string out = std::to_string(result.imported) + " items imported, " +
                      std::to_string(result.skipped) + " skipped";
    if (result.cancelled) out += std::string(lineEnd) + "The import was stopped before the end.";
    if (result.skipped > 0) {
        out += std::string(lineEnd) + lineEnd + "Skipped:";
        for (const auto& s : result.firstSkipped)
            out += std::string(lineEnd) + "\"" + s.abbreviation + "\": " + s.reason;
        const int more = result.skipped - static_cast<int>(result.firstSkipped.size());
        if (more > 0) out += std::string(lineEnd) + "... and " + std::to_string(more) + " more";
    }
    return out;
}

}  // namespace wl
