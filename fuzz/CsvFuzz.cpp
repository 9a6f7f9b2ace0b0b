// The CSV reader on any bytes: its answer checked, and a record written
// back in RFC 4180 form reads back as the same abbreviation and expansion.
#include "fuzz/FuzzSnippets.h"

namespace {

std::string Quoted(const std::string& field) {
    std::string out = "\"";
    for (char c : field) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    wl::snippets::SourceText source;
    if (!wl::fuzz::Decode(data, size, source)) return 0;
    const wl::snippets::ParseResult parsed = wl::snippets::ParseCsv(source.text);
    wl::fuzz::CheckSnippets(parsed, source.utf8);

    // A record of two quoted fields: the first line of the input and the rest.
    const std::string& text = source.text;
    const std::size_t cut = text.find_first_of("\r\n");
    const std::string abbreviation = text.substr(0, cut == std::string::npos ? 0 : cut);
    const std::string expansion = cut == std::string::npos ? text : text.substr(cut);
    if (abbreviation.empty() || expansion.empty()) return 0;
    const auto again =
        wl::snippets::ParseCsv("x,y\r\n" + Quoted(abbreviation) + "," + Quoted(expansion) + "\r\n");
    wl::snippets::Budget budget;
    wl::snippets::PieceBuilder pieces(budget);
    pieces.Text(expansion);
    if (again.snippets.size() != 2 || again.snippets[1].abbreviation != abbreviation ||
        again.snippets[1].pieces != pieces.pieces())
        wl::fuzz::SnippetFail("a quoted record does not read back");
    return 0;
}
