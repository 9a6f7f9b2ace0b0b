// What the snippet fuzz targets share: any bytes go through the decoding of
// the file's text, a reader and the making of entries, and every answer must
// be one the import can stand on.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "macros/MacroNames.h"
#include "platform/CodePage.h"
#include "snippets/SnippetFormats.h"

namespace wl::fuzz {

[[noreturn]] inline void SnippetFail(const std::string& what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::abort();
}

// Checks a reader's answer: an error comes alone; every macro piece is a
// name of the table; a snippet either carries its reason or becomes an
// entry whose key and text fit the program's buffers and have no control
// characters but the tab in the text.
inline void CheckSnippets(const snippets::ParseResult& parsed, bool utf8) {
    if (!parsed.error.empty() && !parsed.snippets.empty()) SnippetFail("an error with snippets");
    std::string key, text, why;
    for (const auto& s : parsed.snippets) {
        for (const auto& p : s.pieces)
            if (p.macro && MacroIndex(p.text) < 0) SnippetFail("no macro: " + p.text);
        if (!s.skip.empty()) continue;
        if (!snippets::MakeEntry(s, utf8, CodePage1252(), key, text, why)) {
            if (why.empty()) SnippetFail("refused without a reason");
            continue;
        }
        if (key.empty() || key.size() > 1023) SnippetFail("key length");
        if (text.empty() || text.size() > 65535) SnippetFail("text length");
        for (unsigned char c : key)
            if (c < 0x20) SnippetFail("control character in a key");
        for (unsigned char c : text)
            if (c < 0x20 && c != '\t') SnippetFail("control character in a text");
    }
}

// The file's bytes as the import decodes them; false when it refuses them.
inline bool Decode(const std::uint8_t* data, std::size_t size, snippets::SourceText& source) {
    source = snippets::DecodeSource(std::string(reinterpret_cast<const char*>(data), size));
    if (!source.error.empty()) return false;
    if (source.utf8 && !IsUtf8(source.text)) SnippetFail("text said to be UTF-8 is not");
    return true;
}

}  // namespace wl::fuzz
