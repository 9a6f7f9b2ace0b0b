// Reading a snippet file: its bytes up to the limit of its format, its text
// decoded, and the reader of its format, once to check the file and once
// for the import.
#include "snippets/SnippetRead.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "snippets/SnippetFormats.h"

namespace wl {
namespace snippets {
namespace {

enum class FileRead { Done, Failed, TooLarge };

// Reads the whole file; one larger than the limit is not read (a size
// checked first, and the reading stops past the limit).
FileRead ReadFile(const std::string& path, std::size_t limit, std::string& bytes) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec && size > limit) return FileRead::TooLarge;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return FileRead::Failed;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(f, std::fclose);
    std::string chunk(1u << 16, '\0');
    bytes.clear();
    if (!ec) bytes.reserve(static_cast<std::size_t>(size));  // no room to spare
    for (;;) {
        const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), f);
        bytes.append(chunk.data(), n);
        if (bytes.size() > limit) return FileRead::TooLarge;
        if (n < chunk.size()) break;
    }
    return std::ferror(f) ? FileRead::Failed : FileRead::Done;
}

std::string NothingFound(SnippetFormat format) {
    switch (format) {
        case SnippetFormat::AutoHotkey:
            return "holds no AutoHotkey hotstrings (lines such as ::btw::by the way)";
        case SnippetFormat::Espanso:
            return "holds no espanso matches (a \"matches:\" list with trigger and replace)";
        default:
            return "holds no rows of an abbreviation and its expansion";
    }
}

SnippetReader ReaderOf(SnippetFormat format, std::string_view text, bool utf8,
                       const CodePage& page) {
    switch (format) {
        case SnippetFormat::AutoHotkey:
            return AutoHotkeyReader(text, utf8 ? nullptr : &page);
        case SnippetFormat::Espanso:
            return EspansoReader(text);
        default:
            return CsvReader(text);
    }
}

}  // namespace

SnippetFile LoadSnippetFile(const std::string& path, SnippetFormat format, const CodePage& page) {
    SnippetFile file;
    // Built step by step: GCC 12 at -O3 warns falsely about "x" + string.
    std::string name = "\"";
    name.append(FileNameOf(path)).append("\" ");
    if (format == SnippetFormat::None) {
        file.error = name + "is not an AutoHotkey, espanso or CSV file.";
        return file;
    }
    std::string bytes;
    const bool espanso = format == SnippetFormat::Espanso;
    const std::size_t limit = espanso ? kMaxEspansoFile : kMaxSnippetFile;
    const FileRead read = path.empty() ? FileRead::Failed : ReadFile(path, limit, bytes);
    if (read == FileRead::Failed) {
        file.error = name + "cannot be read.";
        return file;
    }
    if (read == FileRead::TooLarge) {
        file.error = name + (espanso ? "is larger than 4 MB, far more than any espanso file."
                                     : "is larger than 64 MB, far more than any snippet file.");
        return file;
    }
    SourceText source = DecodeSource(std::move(bytes));
    if (source.error.empty() && espanso && !source.utf8)
        source.error = "is not UTF-8 text, as espanso files are";
    if (!source.error.empty()) {
        file.error = name + source.error + ".";
        return file;
    }
    file.text = std::make_unique<std::string>(std::move(source.text));
    file.utf8 = source.utf8;
    file.reader = ReaderOf(format, *file.text, file.utf8, page);

    // Once through, counting: what the file holds and expands to is known
    // before anything is written.
    Budget budget;
    std::size_t count = 0;
    std::string error = file.reader(budget, [&](Snippet&&) {
        ++count;
        return true;
    });
    if (error.empty()) error = budget.Why();
    if (error.empty() && count == 0) error = NothingFound(format);
    if (!error.empty()) {
        file.error = name + error + ".";
        file.reader = nullptr;
        file.text.reset();
    }
    return file;
}

void ReadSnippets(const SnippetFile& file, const SnippetSink& sink) {
    Budget budget;  // as the first time through: it does not run out
    if (file.reader) file.reader(budget, sink);
}

}  // namespace snippets

SnippetFormat SnippetFormatNamed(std::string_view name) {
    if (name == "ahk") return SnippetFormat::AutoHotkey;
    if (name == "espanso") return SnippetFormat::Espanso;
    if (name == "csv") return SnippetFormat::Csv;
    return SnippetFormat::None;
}

SnippetFormat SnippetFormatOfFile(std::string_view path) {
    const std::size_t dot = path.find_last_of("./\\");
    if (dot == std::string_view::npos || path[dot] != '.') return SnippetFormat::None;
    std::string ext;
    for (char c : path.substr(dot + 1))
        ext += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    if (ext == "ahk") return SnippetFormat::AutoHotkey;
    if (ext == "yml" || ext == "yaml") return SnippetFormat::Espanso;
    if (ext == "csv") return SnippetFormat::Csv;
    return SnippetFormat::None;
}

}  // namespace wl
