// How much of a snippet file the import reads, and what one file may expand
// to, so that no file the size limits accept makes the import take more
// than some 256 MB of memory (bench/snippet_bench measures it).
#pragma once

#include <cstddef>

namespace wl {

// The largest file read: 64 MB, and 4 MB for an espanso file, whose parsed
// YAML takes many times its size in memory: some 500 bytes for each value
// (a list, a map, a text), of which it may hold at most 250,000.
inline constexpr std::size_t kMaxSnippetFile = 64u << 20;
inline constexpr std::size_t kMaxEspansoFile = 4u << 20;
inline constexpr std::size_t kMaxEspansoValues = 250000;

// What the snippets of one file may expand to in all: 1,000,000 macros
// ({Enter 1000} is a thousand), and 64 MB of text (abbreviations, literal
// text and macro names, and one byte for each entry).  Text that several
// entries share (an espanso match with several triggers, an echo variable
// used again) counts for each.  A file beyond either is refused whole.
inline constexpr std::size_t kMaxSnippetMacros = 1000000;
inline constexpr std::size_t kMaxSnippetText = 64u << 20;

// The most of one abbreviation or one replacement that is read or built:
// 1 MB, far beyond what an entry holds (1,023 and 65,535 bytes).  A snippet
// with more is skipped as too long, without being read further.
inline constexpr std::size_t kMaxSnippetPart = 1u << 20;

}  // namespace wl
