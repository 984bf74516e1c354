#pragma once
// Openers of the readers besides the binary one: Office Open XML (.docx,
// .docm, .dotx), Word 2003 XML, RTF and web pages (HTML, MHT). The object model does not call them
// by name: open.h's Open picks one by content. Each gives the same texts as the binary reader (see
// document.h); every failure is a WordError with a short reason in English. Their caps are in
// limits.h.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "reader/documentimpl.h"
#include "reader/io/bytesource.h"
#include "reader/limits.h"

namespace pelmora::word {

// True when the file is a ZIP package whose main part is a WordprocessingML
// document. Never throws.
bool IsWordPackage(const std::string& path);

// Openers by format. They throw WordError for anything they cannot read.
std::unique_ptr<DocumentImpl> OpenOoxmlDocument(const std::string& path);
std::unique_ptr<DocumentImpl> OpenRtfDocument(const std::string& path);
std::unique_ptr<DocumentImpl> OpenWebDocument(const std::string& path);
std::unique_ptr<DocumentImpl> OpenWordXmlDocument(const std::string& path);

// The same over bytes in memory (fuzzing, tests).
std::unique_ptr<DocumentImpl> OpenOoxmlBytes(std::string bytes);
std::unique_ptr<DocumentImpl> OpenRtfBytes(std::string bytes);
// `path` (optional) is where the page lies, for header files saved beside it.
std::unique_ptr<DocumentImpl> OpenWebBytes(std::string bytes, std::string path = {});
std::unique_ptr<DocumentImpl> OpenWordXmlBytes(std::string bytes);
// OpenDocument text (.odt, .ott): by path, bytes, or a source the document
// keeps.
std::unique_ptr<DocumentImpl> OpenOdfDocument(const std::string& path);
std::unique_ptr<DocumentImpl> OpenOdfBytes(std::string bytes);
std::unique_ptr<DocumentImpl> OpenOdfSource(std::unique_ptr<ByteSource> src);
// True when a ZIP archive's head shows an OpenDocument package: its first
// entry is the stored "mimetype"; ...TextHead: of a text document or
// template.
bool IsOpenDocumentHead(std::string_view head);
bool IsOpenDocumentTextHead(std::string_view head);

// A package read through the source, which the document keeps.
std::unique_ptr<DocumentImpl> OpenOoxmlSource(std::unique_ptr<ByteSource> src);

}  // namespace pelmora::word
