#pragma once
// The automatic title mode: picks the paragraph a person would take as the
// title from the leading paragraphs of a body, by text patterns always and by
// formatting where the reader could resolve it. Standard C++ only.

#include <string>
#include <string_view>

#include "platform/doc/paragraphfacts.h"

namespace pelmora {

// Which rule decided, for diagnostics and tests.
enum class TitleRule {
    Label,           // "题目：X", "项目名称：X", "Title: X": the text after the label
    Subject,         // a memo's or letter's "Subject:" / "Re:" / "事由：" line
    Scored,          // the best scored candidate
    FirstParagraph,  // no candidate looked like a title: paragraph 1 as mode 0 takes it
};

struct TitleChoice {
    std::u16string title;  // raw text: the caller still formats and judges it
    TitleRule rule = TitleRule::FirstParagraph;
    int first = 0;  // 0-based index of the (first) paragraph taken
    int count = 1;  // paragraphs joined into the title
};

TitleChoice ChooseTitle(const word::LeadingBody& body, std::u16string_view fileName);

// ChooseTitle(...).title.
std::u16string FindTitle(const word::LeadingBody& body, std::u16string_view fileName);

}  // namespace pelmora
