#pragma once
// ASCII-only case folding and trimming, for names and keywords in markup,
// MIME headers and CSS. Non-ASCII bytes pass through unchanged.

#include <string>
#include <string_view>

namespace pelmora::word::fmt {

inline std::string AsciiLower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

// Without leading and trailing spaces, tabs and line ends.
inline std::string_view TrimAscii(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace pelmora::word::fmt
