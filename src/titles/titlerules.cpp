#include "titles/titlerules.h"

namespace pelmora {

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

bool IsSeparator(char16_t c) { return c == u' ' || c == u'\r' || c == u'\n'; }

// Characters of Latin-script text: ASCII letters, digits and punctuation,
// the Latin supplements and extensions, and the general punctuation English
// text uses (dashes, curly quotes, the ellipsis). CJK text and its
// full-width punctuation are not.
bool IsLatinSide(char16_t c) {
    return (c > 0x20 && c < 0x7F) || (c >= 0xA1 && c <= 0x24F) || (c >= 0x1E00 && c <= 0x1EFF) ||
           (c >= 0x2010 && c <= 0x2027);
}

std::u16string_view StripBlanks(std::u16string_view s) {
    while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == u' ') s.remove_suffix(1);
    return s;
}

}  // namespace

std::optional<std::u16string> FormatTitleText(std::u16string_view title, int16_t maxword,
                                              TitleRules rules) {
    if (maxword < 0) return std::nullopt;
    const std::u16string_view text = StripBlanks(title);
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (!IsSeparator(c)) {
            out.push_back(c);
            continue;
        }
        if (!rules.keepLatinBlanks) continue;
        size_t next = i;
        while (next < text.size() && IsSeparator(text[next])) ++next;
        if (!out.empty() && next < text.size() && IsLatinSide(out.back()) &&
            IsLatinSide(text[next]))
            out.push_back(u' ');
        i = next - 1;
    }
    if (out.size() > static_cast<size_t>(maxword)) {
        out.resize(static_cast<size_t>(maxword));
        // Never keep half of a surrogate pair: no file name could carry it.
        if (!out.empty() && IsHighSurrogate(out.back())) out.pop_back();
        // Nor a blank the cut left at the end.
        if (!out.empty() && out.back() == u' ') out.pop_back();
    }
    if (rules.replaceIllegal) out = ReplaceIllegalText(out);
    return out;
}

int16_t IsGoodFilenameText(std::u16string_view file) {
    static constexpr char16_t kForbidden[] = {u'/', u'\\', u'<', u'>', u'|', u':', u'*', u'?'};
    const std::u16string_view text = StripBlanks(file);
    for (char16_t bad : kForbidden) {
        if (text.find(bad) != std::u16string_view::npos) return 0;
    }
    return -1;
}

std::u16string ReplaceIllegalText(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) {
        switch (c) {
            case u'/':
            case u'\\':
            case u':':
            case u'*':
            case u'?':
            case u'"':
            case u'<':
            case u'>':
            case u'|':
                // The full-width forms lie at a fixed distance from ASCII.
                c = static_cast<char16_t>(c - 0x20 + 0xFF00);
                break;
            default:
                break;
        }
    }
    return out;
}

}  // namespace pelmora
