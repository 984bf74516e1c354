#pragma once
// Text in a named charset or a Windows code page to UTF-16, through iconv.

#include <string>
#include <string_view>

namespace pelmora::word::fmt {

// iconv name for a Windows code page number ("CP936", "WINDOWS-1252"); empty
// when unknown.
std::string CodePageName(int codePage);

// Decodes bytes in the given charset (an iconv/IANA name such as "GBK",
// "windows-1252", "utf-8"). Undecodable bytes become U+FFFD. Returns false
// (and leaves out untouched) when the charset is unknown.
bool DecodeCharset(std::u16string& out, std::string_view bytes, const std::string& charset);

}  // namespace pelmora::word::fmt
