#pragma once
// The reader's caps against hostile files, in one place. Real documents stay
// far below each of them; a file past one gives an error or is read only as
// far as the cap, never more memory or time than these allow.

#include <cstddef>
#include <cstdint>

namespace pelmora::word {

// ---- whole files and parts
inline constexpr std::size_t kMaxPartBytes = 64u << 20;  // one decompressed package part
inline constexpr long long kMaxZipEntries = 10000;       // entries (and relationships) of a package
inline constexpr std::size_t kMaxRtfBytes = 256u << 20;  // RTF on disk (pictures make them big)
inline constexpr std::size_t kMaxWebBytes = 64u << 20;   // web page or MHT on disk
inline constexpr std::size_t kMaxSideFileBytes = 16u << 20;  // a header file beside a page
// A .docx styles part up to this size is held whole for the tag scanner; a
// bigger one streams through expat.
inline constexpr std::size_t kMaxScannedStyles = 1u << 20;

// ---- nesting
inline constexpr int kMaxNesting = 1000;  // RTF groups, XML and HTML elements, tables
inline constexpr int kMaxMimeDepth = 8;   // multipart bodies inside each other
// Style chains followed through their bases (they may loop), in every format.
inline constexpr int kMaxStyleChain = 16;

// ---- compound files: one open document stays within a few MiB
inline constexpr std::size_t kMaxChainRuns = 3u << 16;  // runs of all chains (8 bytes each)
inline constexpr uint32_t kMaxDirEntries = 1u << 16;
inline constexpr uint64_t kMaxMiniStream = 64ull << 20;
inline constexpr uint32_t kMaxProperties = 4096;       // in a property set
inline constexpr uint32_t kMaxTitleBytes = 64 * 1024;  // a stored Title property

// ---- Word 97-2003 and 6/95 text
// Longest text handed out for one paragraph or story; longer ones are cut
// there (a title needs far less).
inline constexpr std::size_t kMaxText = 1u << 18;
// Far beyond real files (hundreds of pieces, about ten Prc records).
inline constexpr std::size_t kMaxPieces = 1u << 15;
inline constexpr std::size_t kMaxPrcs = 1u << 14;
inline constexpr uint32_t kMaxStyleSheetBytes = 4u << 20;  // real ones are well under 1 MiB
// Fields: depth told apart, nesting at all, and the code kept of a field
// whose text stands in its code (MACROBUTTON).
inline constexpr int kMaxFieldDepth = 64;
inline constexpr int kMaxOpenFields = 1 << 24;
inline constexpr std::size_t kMaxFieldCode = 512;
// Characters of one paragraph whose formatting is counted: a title is far shorter.
inline constexpr int kMaxCountedChars = 4096;

// ---- markup
inline constexpr std::size_t kMaxXmlStyles = 10000;  // .docx and Word 2003 XML styles
inline constexpr std::size_t kMaxRtfStyles = 4096;
inline constexpr std::size_t kMaxRtfColors = 4096;
inline constexpr std::size_t kMaxStyleNameChars = 256;
inline constexpr std::size_t kMaxTitleChars = 1024;   // a Title property in markup
inline constexpr std::size_t kMaxScannedAttrs = 256;  // per tag in the scanner; more go to expat
inline constexpr std::size_t kMaxHtmlAttrs = 64;      // per tag
inline constexpr std::size_t kMaxMimeFields = 256;    // header fields of one part
inline constexpr std::size_t kMaxMimeParts = 4096;
inline constexpr std::size_t kMaxCssRules = 4000;
inline constexpr std::size_t kMaxCssBytes = 1u << 20;  // style sheets of one page together

// ---- OpenDocument
inline constexpr std::size_t kMaxTableColumns = 1024;     // columns a table's spans are kept for
inline constexpr int kMaxSpaces = 1024;                   // one text:s element's blanks
inline constexpr std::size_t kMaxStoryParagraphs = 4096;  // of a header or footer; page styles

// ---- formatting statistics
// Distinct values (sizes, colours) counted per paragraph: a handful in a
// title paragraph, a flood is damage.
inline constexpr std::size_t kMaxDistinctValues = 64;

}  // namespace pelmora::word
