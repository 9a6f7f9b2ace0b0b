// The espanso reader (yaml-cpp) on any UTF-8 text: an error or snippets,
// never an exception or a crash, however deep or odd the YAML.
#include "fuzz/FuzzSnippets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    wl::snippets::SourceText source;
    if (!wl::fuzz::Decode(data, size, source) || !source.utf8) return 0;
    wl::fuzz::CheckSnippets(wl::snippets::ParseEspanso(source.text), true);
    return 0;
}
