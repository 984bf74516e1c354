#pragma once
// The Title property of a compound file's SummaryInformation property set
// ([MS-OLEPS] 2.21: PIDSI_TITLE). Standard C++ only.

#include <string>

namespace pelmora::word {

class Stream;

// The title, or nothing when the stream holds none or is damaged. Throws
// WordError only when the stream's own sectors cannot be read.
std::u16string ReadTitleProperty(Stream& summary);

}  // namespace pelmora::word
