#include "titles/text.h"

namespace pelmora::titletext {

std::u16string_view PrefixNoCase(std::u16string_view s,
                                 std::span<const std::u16string_view> words) {
    for (std::u16string_view w : words) {
        if (StartsWithNoCase(s, w)) return w;
    }
    return {};
}

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

size_t WordCount(std::u16string_view t) {
    size_t words = 0;
    bool in = false;
    for (char16_t c : t) {
        const bool blank = IsBlank(c);
        if (!blank && !in) ++words;
        in = !blank;
    }
    return words;
}

bool IsMostlyLatin(std::u16string_view k) {
    const size_t latin =
        size_t(std::count_if(k.begin(), k.end(), [](char16_t c) { return !IsHan(c); }));
    return latin * 2 > k.size();
}

std::u16string Visible(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\v' || c == u'\n') {
            const char16_t before = out.empty() ? 0 : out.back();
            const char16_t after = i + 1 < text.size() ? text[i + 1] : 0;
            if (IsAsciiAlnum(before) && IsAsciiAlnum(after)) out += u' ';
        } else if (c == u'\t') {
            out += u' ';
        } else if (c == 0x1E) {
            out += u'-';  // non-breaking hyphen
        } else if (c < 0x20 || c == 0xFFFC || c == 0xFFFD) {
            // 0x01 picture, 0x08 drawn object, 0x13-0x15 field marks, CR, cell mark
        } else {
            out += c;
        }
    }
    return std::u16string(Trim(out));
}

std::u16string Compact(std::u16string_view text) {
    std::u16string out;
    for (char16_t c : text) {
        if (!IsBlank(c)) out += c;
    }
    return out;
}

std::u16string_view WithoutTrailingRemark(std::u16string_view k) {
    if (k.empty() || (k.back() != u')' && k.back() != 0xFF09)) return k;
    const size_t open = k.find_last_of(u"(（");
    if (open == std::u16string_view::npos || open == 0) return k;
    return k.substr(0, open);
}

std::u16string Join(std::u16string a, std::u16string_view b) {
    if (!a.empty() && !b.empty() && IsAsciiAlnum(a.back()) && IsAsciiAlnum(b.front())) a += u' ';
    a += b;
    return a;
}

std::u16string FileStem(std::u16string_view fileName) {
    const size_t slash = fileName.find_last_of(u"/\\");
    if (slash != std::u16string_view::npos) fileName.remove_prefix(slash + 1);
    const size_t dot = fileName.rfind(u'.');
    if (dot != std::u16string_view::npos && dot > 0) fileName = fileName.substr(0, dot);
    return Compact(fileName);
}

bool Matches(std::u16string_view candidate, std::u16string_view other) {
    // Long texts are no match and would cost a quadratic search.
    if (candidate.size() < 2 || other.size() < 2 || candidate.size() > 200 || other.size() > 200)
        return false;
    return candidate.find(other) != std::u16string_view::npos ||
           other.find(candidate) != std::u16string_view::npos;
}

}  // namespace pelmora::titletext
