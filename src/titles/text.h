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

// The helpers below run for every character of every leading line: inline.
inline bool IsIn(char16_t c, std::u16string_view set) {
    for (char16_t x : set) {
        if (x == c) return true;
    }
    return false;
}

inline bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == 0x00A0 || c == 0x3000 || (c >= 0x2000 && c <= 0x200B) ||
           c == 0xFEFF;
}

inline bool IsAsciiAlnum(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

inline bool IsAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// ASCII and full-width digits.
inline bool IsDigit(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= 0xFF10 && c <= 0xFF19); }

inline bool IsChineseNumeral(char16_t c) { return IsIn(c, u"〇零一二三四五六七八九十百两"); }

inline bool IsColon(char16_t c) { return c == u':' || c == 0xFF1A; }

// CJK ideographs and their punctuation: U+2E80 and above.
inline bool IsHan(char16_t c) { return c >= 0x2E80; }

inline char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

inline bool StartsWithNoCase(std::u16string_view s, std::u16string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(s[i]) != Lower(prefix[i])) return false;
    }
    return true;
}

inline bool EndsWithNoCase(std::u16string_view s, std::u16string_view suffix) {
    return s.size() >= suffix.size() &&
           StartsWithNoCase(s.substr(s.size() - suffix.size()), suffix);
}

inline bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

inline bool StartsWithAny(std::u16string_view s, std::span<const std::u16string_view> words) {
    return std::any_of(words.begin(), words.end(),
                       [&](std::u16string_view w) { return s.starts_with(w); });
}

inline bool EndsWithAny(std::u16string_view s, std::span<const std::u16string_view> words) {
    return std::any_of(words.begin(), words.end(),
                       [&](std::u16string_view w) { return s.ends_with(w); });
}

inline bool EqualsAnyNoCase(std::u16string_view s, std::span<const std::u16string_view> words) {
    return std::any_of(words.begin(), words.end(),
                       [&](std::u16string_view w) { return EqualsNoCase(s, w); });
}

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
