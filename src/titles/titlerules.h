#pragma once
// Title normalisation and the file-name test. Standard C++ only, so the
// command-line reader shares them with the window.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

// Strips leading and trailing blanks, removes every blank, CR and LF, then
// keeps at most maxword UTF-16 units. Returns nothing when maxword < 0.
std::optional<std::u16string> FormatTitleText(std::u16string_view title, int16_t maxword);

// -1 when the text holds none of / \ < > | : * ?, else 0.
int16_t IsGoodFilenameText(std::u16string_view file);

}  // namespace pelmora
