#pragma once
// Labels that name the title: "题目：X", "论文题目 X", "【作品名称】X",
// "Title: X", and a memo's "Subject: X". Standard C++ only.

#include <cstddef>
#include <string>
#include <string_view>

namespace pelmora {

struct Label {
    enum Kind {
        None,
        Title,    // names the document's title
        Project,  // "项目名称": the project a form is about, not the document
        Subject,  // a memo's or letter's subject line
    };
    Kind kind = None;
    // The label's length in the compact text, its separator included.
    size_t length = 0;
    // Nothing follows it in its line: the value is in the next line or cell.
    bool bare = false;
};

// The label a line opens with, if any; `text` is its visible text and
// `compact` the same without blanks.
Label LabelOf(std::u16string_view text, std::u16string_view compact);

// The text after the label, without the underscores covers draw the field
// with.
std::u16string ValueAfterLabel(std::u16string_view text, size_t labelLength);

}  // namespace pelmora
