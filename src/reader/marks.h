#pragma once
// The characters Word's text keeps in place of structure ([MS-DOC] 2.4.1,
// 2.8.25): every reader puts the same ones where Word would, so that texts
// compare across formats.

#include <string_view>

namespace pelmora::word {

inline constexpr char16_t kPictureMark = 0x01;    // an inline picture or embedded object
inline constexpr char16_t kNoteMark = 0x02;       // an auto-numbered footnote or endnote reference
inline constexpr char16_t kCommentMark = 0x05;    // a comment (annotation) reference
inline constexpr char16_t kCellMark = 0x07;       // ends a table cell or row
inline constexpr char16_t kDrawingMark = 0x08;    // the anchor of a floating drawing or text box
inline constexpr char16_t kLineBreak = 0x0B;      // manual line break
inline constexpr char16_t kPageBreak = 0x0C;      // page break; also the section mark
inline constexpr char16_t kParagraphMark = 0x0D;  // ends a paragraph
inline constexpr char16_t kColumnBreak = 0x0E;
inline constexpr char16_t kFieldBegin = 0x13;      // field code follows
inline constexpr char16_t kFieldSeparator = 0x14;  // field result follows
inline constexpr char16_t kFieldEnd = 0x15;
inline constexpr char16_t kNonBreakingHyphen = 0x1E;
inline constexpr char16_t kSoftHyphen = 0x1F;
inline constexpr char16_t kSymbolMark = u'(';  // stands for a symbol-font character

// How the object model gives the end of a table cell and of a row.
inline constexpr std::u16string_view kCellEnd = u"\r\a";

}  // namespace pelmora::word
