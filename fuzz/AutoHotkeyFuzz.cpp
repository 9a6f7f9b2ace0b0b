// The AutoHotkey reader on any bytes, as UTF-8 text or as code page 932
// text (whose trail bytes may look like "`", "{" or "}").
#include "fuzz/FuzzSnippets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    wl::snippets::SourceText source;
    if (!wl::fuzz::Decode(data, size, source)) return 0;
    const wl::CodePage* ansi = source.utf8 ? nullptr : &wl::CodePage932();
    wl::fuzz::CheckSnippets(wl::snippets::ParseAutoHotkey(source.text, ansi), source.utf8);
    return 0;
}
