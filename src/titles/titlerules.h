#pragma once
// Title normalisation and the file-name test. Standard C++ only, so the
// command-line reader shares them with the window.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

// The two choices a user may make beyond the fixed rules; both off gives
// the rules exactly as they always were.
struct TitleRules {
    // A run of blanks and line breaks between two Latin-script characters
    // (letters, digits, ASCII punctuation) becomes one blank instead of
    // nothing: "Just a Test" rather than "JustaTest".
    bool keepLatinBlanks = false;
    // / \ : * ? " < > | become their full-width forms (ReplaceIllegalText).
    bool replaceIllegal = false;
};

// Strips leading and trailing blanks, removes every blank, CR and LF, then
// keeps at most maxword UTF-16 units. Returns nothing when maxword < 0.
// With rules, blanks between Latin words keep one (never one at the end of
// the cut title) and the characters a file name may not hold are replaced,
// after the cut.
std::optional<std::u16string> FormatTitleText(std::u16string_view title, int16_t maxword,
                                              TitleRules rules = {});

// -1 when the text holds none of / \ < > | : * ?, else 0.
int16_t IsGoodFilenameText(std::u16string_view file);

// Each of / \ : * ? " < > | replaced by its full-width look-alike
// (／ ＼ ： ＊ ？ ＂ ＜ ＞ ｜); every other character kept.
std::u16string ReplaceIllegalText(std::u16string_view text);

}  // namespace pelmora
