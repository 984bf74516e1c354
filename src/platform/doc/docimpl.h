#pragma once
// What every document format reader gives the object model.

#include <string>

namespace pelmora::word {

class DocumentImpl {
  public:
    virtual ~DocumentImpl() = default;
    // Paragraphs(n).Range.Text; throws WordError past the last paragraph.
    virtual std::u16string ParagraphText(int n) = 0;
    // Sections(section) primary (index 1) header or footer text; u"\r" when none.
    virtual std::u16string HeaderText(int section, int index) = 0;
    virtual std::u16string FooterText(int section, int index) = 0;
};

}  // namespace pelmora::word
