#include "titles/titlerules.h"

namespace pelmora {

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

std::u16string_view StripBlanks(std::u16string_view s) {
    while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == u' ') s.remove_suffix(1);
    return s;
}

}  // namespace

std::optional<std::u16string> FormatTitleText(std::u16string_view title, int16_t maxword) {
    if (maxword < 0) return std::nullopt;
    std::u16string out;
    out.reserve(title.size());
    for (char16_t c : StripBlanks(title)) {
        if (c == u' ' || c == u'\r' || c == u'\n') continue;
        out.push_back(c);
    }
    if (out.size() > static_cast<size_t>(maxword)) {
        out.resize(static_cast<size_t>(maxword));
        // Never keep half of a surrogate pair: no file name could carry it.
        if (!out.empty() && IsHighSurrogate(out.back())) out.pop_back();
    }
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

}  // namespace pelmora
