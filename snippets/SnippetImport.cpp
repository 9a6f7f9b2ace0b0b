#include "snippets/SnippetImport.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "macros/MacroNames.h"
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "snippets/SnippetFormats.h"

namespace wl {
namespace snippets {

void PieceBuilder::Text(std::string_view text) {
    for (char c : text) Char(c);
}

void PieceBuilder::Char(char c) {
    if (c == '\n' && afterCr_) {  // the LF of a CR LF pair
        afterCr_ = false;
        return;
    }
    afterCr_ = c == '\r';
    if (c == '\r' || c == '\n') {
        pieces_.push_back({true, macro::kReturn});
        return;
    }
    if (pieces_.empty() || pieces_.back().macro) pieces_.push_back({false, {}});
    pieces_.back().text.push_back(c);
}

void PieceBuilder::Macro(const char* name) {
    afterCr_ = false;
    pieces_.push_back({true, name});
}

std::vector<Piece> PieceBuilder::Take() {
    afterCr_ = false;
    return std::move(pieces_);
}

namespace {

constexpr std::size_t kMaxKey = 1023;    // a typed word's buffer holds 1,023 bytes
constexpr std::size_t kMaxText = 65535;  // the replacement buffer holds 65,535
constexpr std::size_t kReadableLength = 40;

std::string CodePointName(char32_t c) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    return name;
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// UTF-8 to the code page, or the ANSI text as it is; the reason names the
// first character the code page lacks.
bool Convert(std::string_view in, bool utf8, const CodePage& page, std::string& out,
             std::string& why) {
    if (!utf8) {
        out.assign(in);
        return true;
    }
    if (page.FromUtf8(in, out)) return true;
    std::string one;
    char32_t c = 0;
    for (std::size_t at = 0; at < in.size();) {
        const std::size_t from = at;
        if (!NextUtf8(in, at, c)) {
            why = "is not valid UTF-8";
            return false;
        }
        if (!page.FromUtf8(in.substr(from, at - from), one)) {
            why = "holds " + CodePointName(c) + ", which the system's code page cannot hold";
            return false;
        }
    }
    why = "holds a character that the system's code page cannot hold";
    return false;
}

// The offsets at which the replacement typing reads a macro in text: the
// same walk from percent sign to percent sign that splits a text for typing.
std::vector<std::size_t> MacrosRead(const std::string& text) {
    std::vector<std::size_t> found;
    std::size_t open = text.find('%');
    while (open != std::string::npos) {
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string::npos) break;
        if (MacroIndex(std::string_view(text).substr(open, close - open + 1)) < 0) {
            open = close;
            continue;
        }
        found.push_back(open);
        open = text.find('%', close + 1);
    }
    return found;
}

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

}  // namespace

SourceText DecodeSource(std::string bytes) {
    SourceText out;
    auto starts = [&](const char* mark, std::size_t n) {
        return bytes.size() >= n && bytes.compare(0, n, mark, n) == 0;
    };
    if (starts("\xEF\xBB\xBF", 3)) {
        bytes.erase(0, 3);
        if (!IsUtf8(bytes)) {
            out.error = "begins as UTF-8 text but is not valid UTF-8";
            return out;
        }
    } else if (starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2)) {
        const bool little = bytes[0] == '\xFF';
        if (bytes.size() % 2) {
            out.error = "is not valid UTF-16 text";
            return out;
        }
        std::string utf8;
        utf8.reserve(bytes.size());
        auto unit = [&](std::size_t i) {
            const auto a = static_cast<unsigned char>(bytes[i]);
            const auto b = static_cast<unsigned char>(bytes[i + 1]);
            return static_cast<char32_t>(little ? (b << 8 | a) : (a << 8 | b));
        };
        for (std::size_t i = 2; i < bytes.size(); i += 2) {
            char32_t c = unit(i);
            if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
                const char32_t low = unit(i + 2);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                }
            }
            if (c >= 0xD800 && c <= 0xDFFF) {
                out.error = "is not valid UTF-16 text";
                return out;
            }
            AppendUtf8(c, utf8);
        }
        bytes.swap(utf8);
    } else {
        out.utf8 = IsUtf8(bytes);
    }
    // Text has no NUL and none of the control characters below the tab and
    // between the carriage return and the space (but the old end-of-file
    // mark 0x1A and escape 0x1B).
    for (unsigned char c : bytes) {
        if (c < 0x09 || (c > 0x0D && c < 0x20 && c != 0x1A && c != 0x1B)) {
            out.error = "is not a text file";
            return out;
        }
    }
    if (bytes.find_first_not_of(" \t\r\n\f\v\x1A") == std::string::npos) {
        out.error = "is empty";
        return out;
    }
    out.text = std::move(bytes);
    return out;
}

bool MakeEntry(const Snippet& snippet, bool utf8, const CodePage& page, std::string& key,
               std::string& text, std::string& why) {
    if (snippet.abbreviation.empty()) {
        why = "has no abbreviation";
        return false;
    }
    if (!Convert(snippet.abbreviation, utf8, page, key, why)) return false;
    for (unsigned char c : key) {
        if (IsControl(c)) {
            why = "has a line break or a control character in its abbreviation";
            return false;
        }
    }
    if (key.size() > kMaxKey) {
        why = "has an abbreviation longer than 1,023 bytes";
        return false;
    }
    text.clear();
    std::vector<std::size_t> macros;
    std::string piece;
    for (const Piece& p : snippet.pieces) {
        if (p.macro) {
            macros.push_back(text.size());
            text += p.text;
            continue;
        }
        if (!Convert(p.text, utf8, page, piece, why)) return false;
        for (unsigned char c : piece) {
            if (IsControl(c) && c != '\t') {
                why = "holds a control character";
                return false;
            }
        }
        text += piece;
        if (text.size() > kMaxText) break;
    }
    if (text.empty()) {
        why = "has an empty replacement";
        return false;
    }
    if (text.size() > kMaxText) {
        why = "has a replacement longer than 65,535 bytes";
        return false;
    }
    if (MacrosRead(text) != macros) {
        why = "has text between percent signs that would be typed as a macro";
        return false;
    }
    return true;
}

std::string Readable(std::string_view abbreviation, bool utf8, const CodePage& page) {
    std::string out, one;
    std::size_t characters = 0;
    std::size_t at = 0;
    for (; at < abbreviation.size() && characters < kReadableLength; ++characters) {
        const std::size_t from = at;
        if (utf8) {
            char32_t c;
            if (!NextUtf8(abbreviation, at, c)) {
                ++at;
                out += '?';
                continue;
            }
        } else {
            at += page.IsLeadByte(static_cast<unsigned char>(abbreviation[at])) &&
                          at + 1 < abbreviation.size()
                      ? 2
                      : 1;
        }
        std::string_view character = abbreviation.substr(from, at - from);
        if (character.size() == 1 && IsControl(static_cast<unsigned char>(character[0])))
            out += '?';
        else if (!utf8)
            out += character;
        else if (page.FromUtf8(character, one))
            out += one;
        else
            out += '?';
    }
    if (at < abbreviation.size()) out += "...";
    return out;
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

SnippetImportResult ImportSnippets(Library& lib, const std::string& path, SnippetFormat format,
                                   ImportProgress* progress) {
    using namespace snippets;
    SnippetImportResult result;
    // Built step by step: GCC 12 at -O3 warns falsely about "x" + string.
    std::string name = "\"";
    name.append(FileNameOf(path)).append("\" ");
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
    if (format == SnippetFormat::None) {
        result.error = name + "is not an AutoHotkey, espanso or CSV file.";
        return result;
    }
    std::string bytes;
    const bool espanso = format == SnippetFormat::Espanso;
    const std::size_t limit = espanso ? kMaxEspansoFile : kMaxSnippetFile;
    const FileRead read = path.empty() ? FileRead::Failed : ReadFile(path, limit, bytes);
    if (read == FileRead::Failed) {
        result.error = name + "cannot be read.";
        return result;
    }
    if (read == FileRead::TooLarge) {
        result.error = name + (espanso ? "is larger than 4 MB, far more than any espanso file."
                                       : "is larger than 64 MB, far more than any snippet file.");
        return result;
    }
    SourceText source = DecodeSource(std::move(bytes));
    if (source.error.empty() && format == SnippetFormat::Espanso && !source.utf8)
        source.error = "is not UTF-8 text, as espanso files are";
    if (!source.error.empty()) {
        result.error = name + source.error + ".";
        return result;
    }

    const CodePage& page = lib.codePage();
    ParseResult parsed;
    switch (format) {
        case SnippetFormat::AutoHotkey:
            parsed = ParseAutoHotkey(source.text, source.utf8 ? nullptr : &page);
            break;
        case SnippetFormat::Espanso:
            parsed = ParseEspanso(source.text);
            break;
        default:
            parsed = ParseCsv(source.text);
            break;
    }
    source.text.clear();
    source.text.shrink_to_fit();
    if (parsed.error.empty() && parsed.snippets.empty()) parsed.error = NothingFound(format);
    if (!parsed.error.empty()) {
        result.error = name + parsed.error + ".";
        return result;
    }

    auto skip = [&](const Snippet& s, const std::string& why) {
        if (static_cast<int>(result.firstSkipped.size()) < kShownSkipped)
            result.firstSkipped.push_back({Readable(s.abbreviation, source.utf8, page), why});
        ++result.skipped;
    };
    std::string key, text, why;
    LibraryEntry entry;
    for (const Snippet& s : parsed.snippets) {
        if (progress && progress->Cancelled()) {
            result.cancelled = true;
            break;
        }
        if (!s.skip.empty()) {
            skip(s, s.skip);
            continue;
        }
        if (!MakeEntry(s, source.utf8, page, key, text, why)) {
            skip(s, why);
            continue;
        }
        entry.SetKey(key.data(), static_cast<std::uint32_t>(key.size()));
        entry.SetText(text.data(), static_cast<std::uint32_t>(text.size()));
        if (!lib.Put(entry)) {
            skip(s, "could not be stored in the library");
            continue;
        }
        ++result.imported;
        if (progress) {
            const std::string line = std::to_string(result.imported) + " items have been imported!";
            progress->SetText(line.c_str());
        }
    }
    return result;
}

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
