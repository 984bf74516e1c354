#pragma once
// Tells file formats apart by their first bytes, before any reader runs.

#include <cstddef>

namespace pelmora::word {

enum class FileKind {
    Empty,         // zero bytes
    Compound,      // compound file: Word 6 and later, but also Excel, encrypted OOXML...
    Zip,           // .docx/.odt and other ZIP packages
    Rtf,           // {\rtf
    Html,          // HTML or XML (Word 2003 XML, "saved as web page")
    Mht,           // single-file web page (MIME)
    Word2OrOlder,  // Word for Windows 1.x/2.x, Word for DOS, Mac Word 4/5
    WordPerfect,
    Unknown,
};

// `head` holds the first `n` bytes of the file (512 are plenty).
FileKind DetectFileKind(const unsigned char* head, size_t n);

// Short English reason why a file of this kind is not read as a Word 97-2003
// document; empty for Compound.
const char* FileKindReason(FileKind kind);

}  // namespace pelmora::word
