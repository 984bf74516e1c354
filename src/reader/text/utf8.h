#pragma once
// UTF-8 to the UTF-16 the object model gives.

#include <string>
#include <string_view>

namespace pelmora::word::fmt {

// Appends UTF-8 text as UTF-16; malformed sequences become U+FFFD.
void AppendUtf8(std::u16string& out, std::string_view utf8);
std::u16string Utf8ToUtf16(std::string_view utf8);

// Surrogates and values past U+10FFFF become U+FFFD.
void AppendCodePoint(std::u16string& out, char32_t cp);

// One code point (at most U+10FFFF) as UTF-8.
void AppendCodePointUtf8(std::string& out, char32_t c);

}  // namespace pelmora::word::fmt
