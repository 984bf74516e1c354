#pragma once
// The text a title is formed from, read out of a document by title mode. The
// extraction run and pelmora-titles share it, so both give the same title.
// Standard C++ only.

#include <optional>
#include <string>

namespace pelmora {

namespace word {
class Document;
}

// The custom position's defaults in the settings: paragraph 5, from its first
// character, at most 25 characters.
inline constexpr int kDefaultStartParagraph = 5;
inline constexpr int kDefaultStartPos = 1;
inline constexpr int kDefaultWordCount = 25;

// Mode 0: the first paragraph; 1: the primary header of section 1; 2: its
// primary footer; 3: paragraph `paragraph` from character `start` (1 is the
// first, in UTF-16 units), at most `count` characters. Nothing for another
// mode or, in mode 3, paragraph or start below 1 or count below 0; an empty
// text when start lies past the paragraph's end. Throws word::WordError
// where the document does (no such paragraph, unreadable file).
std::optional<std::u16string> ReadRawTitle(int mode, int paragraph, int start, int count,
                                           word::Document& doc);

}  // namespace pelmora
