#pragma once
// The Word component: the few operations of Word's object model that title
// extraction uses, over our own native reader. Standard C++ only.
//
// Texts are UTF-16 as the object model gives them: a paragraph ends in its
// paragraph mark u'\r'; the last paragraph of a table cell ends in u"\r\a";
// a field gives its displayed result; a line break is u'\v'.
//
// Every failure (unreadable, encrypted, not a Word document, no such
// paragraph) is a WordError with a short reason in English.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "reader/error.h"
#include "reader/paragraph.h"

namespace pelmora::word {

class DocumentImpl;  // reader/documentimpl.h

// Word's value 1 for the primary header or footer.
inline constexpr int kPrimaryHeaderFooter = 1;

class Document {
  public:
    explicit Document(std::unique_ptr<DocumentImpl> impl);
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Paragraphs(n).Range.Text. Throws WordError when n < 1 or past the last
    // paragraph.
    std::u16string ParagraphText(int n);

    // Sections(section).Headers(index).Range.Text / Footers(index). A header
    // or footer that does not exist gives u"\r".
    std::u16string HeaderText(int section, int index);
    std::u16string FooterText(int section, int index);

    // The leading body paragraphs with their formatting, for the automatic
    // title mode. Throws WordError where ParagraphText(1) would.
    LeadingBody LeadingParagraphs(int maxCount = kLeadingParagraphs, bool withTitleProperty = true);
    // The stored Title property (often stale); empty when none or unreadable.
    std::u16string TitleProperty();

    // The text boxes (and shapes holding text) anchored in the first
    // kLeadingParagraphs body paragraphs, in document order, at most
    // maxBoxes, each with at most kMaxStoryFacts paragraphs. Read only when
    // asked. Damaged data gives fewer boxes or none; it never throws but for
    // a closed document.
    std::vector<TextBox> LeadingTextBoxes(int maxBoxes);
    // The paragraphs of the header the first page shows: section 1's
    // first-page header when the section has a distinct first page, else
    // its primary header; formatted where the format says so cheaply. Empty
    // when there is none or it cannot be read; throws only when closed.
    std::vector<ParagraphFacts> FirstPageHeaderParagraphs(int maxParagraphs);

    // Close(saveChanges): nothing is ever pending, so the file is never written.
    void Close(bool saveChanges);

  private:
    DocumentImpl& Impl();
    std::unique_ptr<DocumentImpl> impl_;
};

class Application {
  public:
    Application();
    ~Application();

    // Documents.Open(path). Throws WordError.
    std::unique_ptr<Document> Open(const std::string& path);
    // The same over bytes in memory, which must outlive the document.
    std::unique_ptr<Document> OpenMemory(const void* data, size_t size);

    // Quit: closes whatever is still open; the object is unusable afterwards.
    void Quit();

  private:
    bool quit_ = false;
};

}  // namespace pelmora::word
