#pragma once
// 8-bit text of Word 6/95 files in Windows code pages, through iconv. Tables
// are built once per code page and shared by every document.

#include <cstdint>

namespace pelmora::word {

struct CodePageTable {
    unsigned codePage = 1252;
    bool doubleByte = false;
    char16_t single[256];   // one-byte characters; U+FFFD where none
    bool lead[256];         // lead bytes of double-byte characters
    const char16_t* pairs;  // [lead << 8 | trail], double-byte code pages only
};

// The table for a Windows code page (1250-1258, 874, 932, 936, 949, 950,
// 10000 Mac Roman). Falls back to 1252 when iconv knows none of its names.
const CodePageTable& CodePageFor(unsigned codePage);

// Windows font charset (FFN chs) to code page; 0 for charsets that say
// nothing about the text (ANSI, default, symbol, OEM).
unsigned CodePageOfCharset(unsigned charset);

// Code page usually paired with a Windows language id; 0 when unknown.
unsigned CodePageOfLanguage(unsigned lid);

}  // namespace pelmora::word
