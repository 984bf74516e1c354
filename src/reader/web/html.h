#pragma once
// HTML as Word imports it: block elements become paragraphs, table cells end
// in "\r\a", each row adds a row-end mark, <br> is a line break. Word's own
// header/footer markup (div style="mso-element:header" named from an @page
// rule) supplies headers and footers; nothing else does.

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "reader/paragraph.h"

namespace pelmora::word::web {

struct PageText {
    // Paragraphs with their marks and formatting (h1-h6 as Heading 1-6, CSS
    // sizes, weights, colours and centring, table rows and cells).
    std::vector<ParagraphFacts> body;
    std::u16string title;  // the <title> element's text
    // Header and footer stories the page defines, by element id (lower case).
    std::map<std::string, std::vector<std::u16string>> stories;
    std::string css;  // every <style> element's text, ASCII lower-cased
};

// Lays out decoded page text.
PageText ReadPage(std::u16string_view html);

// The header/footer ids of each section from Word's @page rules.
struct SectionRefs {
    std::array<std::string, 3> header, footer;  // primary, first page, even pages
    std::array<std::string, 3> headerUrl, footerUrl;
};

// By section number, from the page's CSS.
std::map<int, SectionRefs> ParsePageRules(const std::string& css);

}  // namespace pelmora::word::web
