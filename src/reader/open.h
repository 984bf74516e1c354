#pragma once
// Which reader takes a file, judged by its first bytes alone. Files, bytes in
// memory and chunks imported into a .docx all go through Open, so the same
// bytes always get the same reader, or the same reason for refusal.

#include <cstddef>
#include <memory>
#include <string_view>

#include "reader/documentimpl.h"
#include "reader/io/bytesource.h"

namespace pelmora::word {

enum class Format {
    Empty,         // zero bytes
    Compound,      // compound file: Word 97-2003, but also Excel, encrypted packages...
    Zip,           // ZIP package; only its parts tell whether it is a .docx
    Rtf,           // {\rtf
    Web,           // HTML page or MHT (MIME) archive
    WordXml,       // Word 2003 XML document (w:wordDocument)
    Xml,           // other markup that is neither a page nor Word XML
    Word2OrOlder,  // Word for Windows 1.x/2.x, Word for DOS, Mac Word 4/5
    WordPerfect,
    OldWps,  // WPS before 2005: WPS for DOS, WPS 97/2000 (not Word inside)
    Unknown,
};

// The reason for a document in an old WPS format. WPS 2005 and later write
// Word 97-2003 binaries, which the binary reader takes whatever the name.
inline constexpr char kOldWpsReason[] = "old WPS document (before WPS 2005), not supported";

// How much of a source's head Sniff is given.
inline constexpr std::size_t kSniffBytes = 4096;

// Judges the first bytes (kSniffBytes of them, or the whole source when
// shorter).
Format Sniff(std::string_view head);

// Short English reason why a file of this format is not read; empty for the
// formats some reader takes.
const char* Reason(Format format);

// Where text formats really start: past a byte-order mark and blanks (space,
// tab, line ends, form feed). `utf16` (optional) tells whether the mark was a
// UTF-16 one. Never looks further than kSniffBytes.
std::size_t TextStart(std::string_view bytes, bool* utf16 = nullptr);

// Opens the source with the reader for its format. Throws WordError: the
// reader's own reason, or Reason(Sniff(head)) when no reader takes it. The
// reader is chosen by content alone; the name only sharpens the reason: a
// file named .wps or .wpt that no reader takes is an old WPS document.
std::unique_ptr<DocumentImpl> Open(std::unique_ptr<ByteSource> src);

}  // namespace pelmora::word
