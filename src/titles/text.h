#pragma once
// Characters and short texts as the title finder looks at them: blanks,
// digits and numerals, case-insensitive matching of Latin words, and the
// visible and compact forms of a paragraph's text. Standard C++ only.

#include <algorithm>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace pelmora::titletext {

bool IsBlank(char16_t c);
bool IsAsciiAlnum(char16_t c);
bool IsAsciiLetter(char16_t c);
bool IsDigit(char16_t c);  // ASCII and full-width digits
bool IsChineseNumeral(char16_t c);
bool IsColon(char16_t c);  // ':' and '：'
bool IsHan(char16_t c);    // CJK ideographs and their punctuation: U+2E80 and above
char16_t Lower(char16_t c);
bool IsIn(char16_t c, std::u16string_view set);

bool StartsWithNoCase(std::u16string_view s, std::u16string_view prefix);
bool EndsWithNoCase(std::u16string_view s, std::u16string_view suffix);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);

bool StartsWithAny(std::u16string_view s, std::span<const std::u16string_view> words);
bool EndsWithAny(std::u16string_view s, std::span<const std::u16string_view> words);
bool EqualsAnyNoCase(std::u16string_view s, std::span<const std::u16string_view> words);
// The word of `words` that s starts with (no case), or an empty view.
std::u16string_view PrefixNoCase(std::u16string_view s, std::span<const std::u16string_view> words);

std::u16string_view Trim(std::u16string_view s);
size_t WordCount(std::u16string_view t);
// More than half of the characters are below the CJK blocks.
bool IsMostlyLatin(std::u16string_view k);

// The visible text of a paragraph: paragraph and cell marks, field marks,
// picture anchors and other control characters go; a manual line break
// joins its two lines (with a blank between Latin words only).
std::u16string Visible(std::u16string_view text);
// The text without any blank: what the title keeps once formatted, and
// what most patterns look at.
std::u16string Compact(std::u16string_view text);
// A trailing bracketed remark ("（试行）", "(Draft)") does not change what a
// line is.
std::u16string_view WithoutTrailingRemark(std::u16string_view k);
// Two texts as one title: a blank between Latin words only.
std::u16string Join(std::u16string a, std::u16string_view b);
// The file name without folder and extension, compact.
std::u16string FileStem(std::u16string_view fileName);
// One holds the other (both 2 to 200 units: titles are short).
bool Matches(std::u16string_view candidate, std::u16string_view other);

}  // namespace pelmora::titletext
