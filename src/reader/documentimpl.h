#pragma once
// What every document format reader gives the object model: the binary
// reader (binary/worddoc.h) and the readers on the story base (story.h).
// open.h's Open picks the reader for a file's bytes.

#include <string>
#include <string_view>
#include <vector>

#include "reader/paragraph.h"

namespace pelmora::word {

// A story's text (as HeaderText gives it) as unformatted paragraphs, each
// with its mark, at most maxParagraphs; none for u"\r", a story that is
// absent or holds one empty paragraph.
std::vector<ParagraphFacts> SplitStory(std::u16string_view text, int maxParagraphs);

class DocumentImpl {
  public:
    virtual ~DocumentImpl() = default;
    // Paragraphs(n).Range.Text; throws WordError past the last paragraph.
    virtual std::u16string ParagraphText(int n) = 0;
    // Sections(section) primary (index 1) header or footer text; u"\r" when none.
    virtual std::u16string HeaderText(int section, int index) = 0;
    virtual std::u16string FooterText(int section, int index) = 0;

    // The leading body paragraphs with their formatting (see
    // paragraph.h) and, when asked, the Title property. Never throws
    // for damaged formatting; throws WordError only where ParagraphText(1)
    // would.
    LeadingBody LeadingParagraphs(int maxCount, bool withTitleProperty = true);
    // The document's stored Title property; empty when there is none or it
    // cannot be read. Readers that keep it with the body know it only once
    // LeadingParagraphs has run.
    std::u16string TitleProperty();

    // See Document. Either may throw WordError; Document turns that into
    // nothing found. Readers without text boxes keep the first default; the
    // second's gives the primary header's paragraphs, unformatted.
    virtual std::vector<TextBox> LeadingTextBoxes(int maxBoxes);
    virtual std::vector<ParagraphFacts> FirstPageHeaderParagraphs(int maxParagraphs);

  protected:
    // LeadingParagraphs without the property. Readers that know no
    // formatting keep this default: the texts alone, each unformatted, a
    // form feed counting as a break.
    virtual LeadingBody ReadLeading(int maxCount);
    // The property itself; may throw WordError.
    virtual std::u16string StoredTitle() { return {}; }
};

}  // namespace pelmora::word
