// libFuzzer target for the fast tag scanner: wherever both it and expat take
// an input, they must report the same tags. The scanner may give up on
// anything, and may take text that expat refuses (it does not read text).

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "reader/xmlevents.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view xml(reinterpret_cast<const char*>(data), size);
    const auto scanned = pelmora::test::ScannedTags(xml);
    if (!scanned) return 0;
    const auto expat = pelmora::test::ExpatTags(xml);
    if (expat && *expat != *scanned) __builtin_trap();
    return 0;
}
