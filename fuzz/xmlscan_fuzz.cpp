// libFuzzer target for the fast XML scanner: wherever both it and expat take
// an input, they must report the same tags, and with text the same text,
// whatever pieces the scanner is fed in and wherever the handler stops. The
// scanner may give up on anything; reading tags alone, it may take text that
// expat refuses.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "reader/xmlevents.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view xml(reinterpret_cast<const char*>(data), size);
    if (const auto scanned = pelmora::test::ScannedTags(xml)) {
        const auto expat = pelmora::test::ExpatTags(xml);
        if (expat && *expat != *scanned) __builtin_trap();
    }
    // Pieces of 1 to 61 bytes and the whole; a stop after a few tags now and then.
    const int stopAfter = size % 5 == 0 ? int(size % 11) + 1 : -1;
    for (const std::size_t piece : {size % 61 + 1, size + 1}) {
        const auto scanned = pelmora::test::ScannedEvents(xml, piece, stopAfter);
        if (!scanned) continue;
        const auto expat = pelmora::test::ExpatEvents(xml, stopAfter);
        if (expat && *expat != *scanned) __builtin_trap();
    }
    return 0;
}
