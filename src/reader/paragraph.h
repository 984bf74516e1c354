#pragma once
// What the automatic title mode needs to know of a body paragraph: its text
// and the formatting Word resolves for it (style, then direct formatting).
// Only what a title needs; no layout. Standard C++ only.

#include <cstdint>
#include <string>
#include <vector>

namespace pelmora::word {

// Built-in style ids (the sti of [MS-DOC] 2.9.260; other formats map their
// style names onto them). Anything else is kStiUser.
inline constexpr int kStiNormal = 0;
inline constexpr int kStiHeading1 = 1;  // Heading 1..9 are 1..9
inline constexpr int kStiHeading9 = 9;
inline constexpr int kStiTitle = 62;
inline constexpr int kStiSubtitle = 74;
inline constexpr int kStiUser = 4094;
inline constexpr int kStiUnknown = -1;

inline constexpr uint32_t kAutoColor = 0xFF000000u;  // no colour set

struct ParagraphFacts {
    // As Document::ParagraphText gives it: ends in u'\r' (u"\r\a" for the
    // last paragraph of a table cell); u'\v' is a manual line break.
    std::u16string text;

    // False when the reader could not read this paragraph's formatting
    // (unknown or damaged property data): every field below is then default.
    bool formatted = false;

    int styleId = kStiUnknown;  // built-in id of the paragraph style
    std::u16string styleName;   // the style's name as stored ("heading 1", "标题 1")
    int outlineLevel = 9;       // 0..8 for levels 1..9, 9 for body text
    bool centered = false;      // justification: centre
    bool pageBreakBefore = false;
    // A page or section break ends this paragraph or lies inside it.
    bool breakAfter = false;

    // Font sizes in half-points, over the paragraph's visible characters
    // (0 when unknown or no visible characters).
    int maxHalfPoints = 0;        // the largest
    int mainHalfPoints = 0;       // the one most characters have
    bool bold = false;            // most visible characters bold
    uint32_t color = kAutoColor;  // 0x00RRGGBB most visible characters have

    // Table position: 0 outside tables, else 1-based row and cell of the
    // paragraph's (outermost) table.
    int tableRow = 0;
    int tableCell = 0;
};

// The first part of the body: paragraphs from the start up to and including
// the first one with breakAfter, at most the count asked for.
struct LeadingBody {
    std::vector<ParagraphFacts> paragraphs;
    // The document's Title property (often stale: a tie-breaker at most).
    std::u16string titleProperty;
};

inline constexpr int kLeadingParagraphs = 60;

// A text box (or a shape holding text) of the leading body: its paragraphs,
// with the same facts as the body's, and where it is anchored.
struct TextBox {
    // 0-based index of the body paragraph holding the anchor; -1 when the
    // reader cannot tell.
    int anchor = -1;
    std::vector<ParagraphFacts> paragraphs;
};

// Paragraphs kept of one text box or of a header, whatever is asked.
inline constexpr int kMaxStoryFacts = 200;
// Text boxes kept, whatever is asked.
inline constexpr int kMaxTextBoxes = 200;

}  // namespace pelmora::word
