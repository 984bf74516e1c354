#pragma once
// Whole-file reads for the readers that parse text formats from memory.

#include <cstddef>
#include <string>

namespace pelmora::word::fmt {

// Reads at most `cap` bytes; a longer file or an unreadable one is a WordError.
std::string ReadFileCapped(const std::string& path, std::size_t cap);

}  // namespace pelmora::word::fmt
