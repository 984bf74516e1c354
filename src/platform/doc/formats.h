#pragma once
// Readers for the other kinds of file Word opens behind a document name:
// Office Open XML (.docx, .docm, .dotx), RTF and web pages (HTML, MHT).
// Each gives the same texts as the binary reader (see objectmodel.h). Every failure
// is a WordError with a short reason in English.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/doc/reader.h"

namespace pelmora::word {

// What a file holds, judged by its content alone.
enum class DocumentFormat {
    Unknown,
    CompoundFile,  // OLE2 compound file: the binary reader's
    Ooxml,         // ZIP package holding word/document.xml (or its main part)
    Zip,           // some other ZIP
    Rtf,
    Web,      // HTML page or MHT (MIME) archive
    WordXml,  // Word 2003 XML document (w:wordDocument)
};

// How much of a file's head the format is judged by; files and bytes in
// memory must be judged alike, or the same content would read differently.
inline constexpr std::size_t kSniffBytes = 4096;

// Judges the first bytes of a file (kSniffBytes of them, as
// DetectDocumentFormat does). A ZIP is reported as Zip: only the package itself
// tells whether it is a Word document.
DocumentFormat SniffDocumentFormat(std::string_view head);

// Reads the file's head and, for a ZIP, looks into the package for its main
// document part. Never throws; unreadable files are Unknown.
DocumentFormat DetectDocumentFormat(const std::string& path);

// True when the file is a ZIP package whose main part is a WordprocessingML
// document. Never throws.
bool IsWordPackage(const std::string& path);

// Opens a file of the given (detected) format with the reader for it:
// nullptr for a compound file, which the binary reader takes; WordError for
// a ZIP that holds no Word document and for unknown content.
//   auto format = DetectDocumentFormat(path);
//   if (auto impl = OpenByContent(path, format)) ... else binary reader
std::unique_ptr<DocumentImpl> OpenByContent(const std::string& path, DocumentFormat format);

// Openers by format. They throw WordError for anything they cannot read.
std::unique_ptr<DocumentImpl> OpenOoxmlDocument(const std::string& path);
std::unique_ptr<DocumentImpl> OpenRtfDocument(const std::string& path);
std::unique_ptr<DocumentImpl> OpenWebDocument(const std::string& path);
std::unique_ptr<DocumentImpl> OpenWordXmlDocument(const std::string& path);

// The same over bytes in memory (fuzzing, tests).
std::unique_ptr<DocumentImpl> OpenOoxmlBytes(std::string bytes);
std::unique_ptr<DocumentImpl> OpenRtfBytes(std::string bytes);
std::unique_ptr<DocumentImpl> OpenWebBytes(std::string bytes);
std::unique_ptr<DocumentImpl> OpenWordXmlBytes(std::string bytes);

// Limits against hostile files.
inline constexpr std::size_t kMaxPartBytes = 64u << 20;  // one decompressed package part
inline constexpr long long kMaxZipEntries = 10000;       // entries in a package
inline constexpr std::size_t kMaxRtfBytes = 256u << 20;  // RTF on disk (pictures make them big)
inline constexpr std::size_t kMaxWebBytes = 64u << 20;   // web page or MHT on disk
inline constexpr int kMaxNesting = 1000;                 // RTF groups, XML and HTML elements

}  // namespace pelmora::word
