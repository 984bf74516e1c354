#pragma once
// Small helpers the .docx, RTF and web-page readers share: file reading with
// a size cap, UTF-8 and code-page decoding to UTF-16.

#include <cstddef>
#include <string>
#include <string_view>

namespace pelmora::word::fmt {

// Reads at most `cap` bytes; a longer file or an unreadable one is a WordError.
std::string ReadFileCapped(const std::string& path, std::size_t cap);

// Reads the first `n` bytes (fewer when the file is shorter); empty on failure.
std::string ReadFileHead(const std::string& path, std::size_t n);

// Appends UTF-8 text as UTF-16; malformed sequences become U+FFFD.
void AppendUtf8(std::u16string& out, std::string_view utf8);
std::u16string Utf8ToUtf16(std::string_view utf8);

void AppendCodePoint(std::u16string& out, char32_t cp);

// iconv name for a Windows code page number ("CP936", "WINDOWS-1252"); empty
// when unknown.
std::string CodePageName(int codePage);

// Decodes bytes in the given charset (an iconv/IANA name such as "GBK",
// "windows-1252", "utf-8"). Undecodable bytes become U+FFFD. Returns false
// (and leaves out untouched) when the charset is unknown.
bool DecodeCharset(std::u16string& out, std::string_view bytes, const std::string& charset);

// Lower-cased ASCII copy.
std::string AsciiLower(std::string_view s);

}  // namespace pelmora::word::fmt
