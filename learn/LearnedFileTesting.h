// What the tests of the learned file reach beyond its interface: a text
// made whole from lines that Learner would not write itself.
#pragma once

#include <cstddef>
#include <string>

namespace wl {

// lines (the header and each line ending in '\n', count of them) with the
// last line that makes them a whole file.
std::string SealLearnedLines(std::string lines, std::size_t count);

}  // namespace wl
