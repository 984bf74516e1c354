#pragma once
// The text a title is formed from, read out of a document by title mode. The
// extraction run and pelmora-titles share it, so both give the same title.
// Standard C++ only.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

namespace word {
class Document;
}
struct TitleSources;
struct TitleExplanation;

// The title modes, as the settings number them (globalGetTitleMode).
enum class TitleMode : int16_t {
    TitleModeFirstParagraph = 0,
    TitleModeHeader = 1,
    TitleModeFooter = 2,
    TitleModeCustom = 3,
    // Picks the title from the leading paragraphs' text and formatting.
    TitleModeAuto = 4,
};

// The mode a settings number names; nothing for any other number.
std::optional<TitleMode> TitleModeFromNumber(int number);

// The custom position's defaults in the settings: paragraph 5, from its first
// character, at most 25 characters.
inline constexpr int kDefaultStartParagraph = 5;
inline constexpr int kDefaultStartPos = 1;
inline constexpr int kDefaultWordCount = 25;

// The first paragraph; the primary header of section 1; its primary
// footer; paragraph `paragraph` from character `start` (1 is the first, in
// UTF-16 units), at most `count` characters; or the title the finder picks
// from the leading body paragraphs, told the document's file name
// `fileName` (titles/titlefinder.h). Nothing when, in the custom mode,
// paragraph or start is below 1 or count below 0; an empty text when start
// lies past the paragraph's end. Throws word::WordError where the document
// does (no such paragraph, unreadable file).
std::optional<std::u16string> ReadRawTitle(TitleMode mode, int paragraph, int start, int count,
                                           word::Document& doc, std::u16string_view fileName = {});

// The automatic mode's title and the other titles it found, best first
// (at most four), raw: the caller still formats and judges each.
struct AutoTitles {
    std::u16string title;
    std::vector<std::u16string> runnersUp;
};
AutoTitles ReadAutoTitles(word::Document& doc, std::u16string_view fileName);

// What else the automatic mode may read of the document, each part only
// when the finder asks for it.
TitleSources TitleSourcesOf(word::Document& doc);

// How the automatic mode picks its title in this document.
TitleExplanation ExplainAutoTitle(word::Document& doc, std::u16string_view fileName);

}  // namespace pelmora
