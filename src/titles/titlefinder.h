#pragma once
// The automatic title mode: picks the paragraph a person would take as the
// title from the leading paragraphs of a body, by text patterns always and by
// formatting where the reader could resolve it. Standard C++ only.

#include <functional>
#include <string>
#include <string_view>

#include "reader/paragraph.h"

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

// `titleProperty`, when given, reads the stored Title property in place of
// body.titleProperty; it is called only when two candidates tie, since
// reading it costs a document part of its own.
TitleChoice ChooseTitle(const word::LeadingBody& body, std::u16string_view fileName,
                        const std::function<std::u16string()>& titleProperty = {});

// ChooseTitle(...).title.
std::u16string FindTitle(const word::LeadingBody& body, std::u16string_view fileName,
                         const std::function<std::u16string()>& titleProperty = {});

}  // namespace pelmora
