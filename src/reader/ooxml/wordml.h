#pragma once
// What the .docx reader (package.cpp) and the Word 2003 XML reader
// (wordxml.cpp) share: WordprocessingML stories turned into Word's
// paragraphs (body.cpp), and the document over them. Private to ooxml/.

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reader/ooxml/styles.h"
#include "reader/story.h"
#include "reader/xml/sax.h"

namespace pelmora::word::ooxml {

struct SectionRefs {
    // Relationship ids by kind: 0 default, 1 first page, 2 even pages.
    std::array<std::string, 3> header, footer;
    // Word 2003 XML keeps header and footer text inside the section properties.
    std::array<std::optional<std::u16string>, 3> headerText, footerText;
    bool titlePage = false;  // w:titlePg: the first page has headers of its own
};

// A header or footer reference's kind by its w:type: 0 default, 1 first
// page, 2 even pages.
int RefKind(std::string_view type);

// Checks that a part's root element is w:<root>.
class RootCheck : public fmt::SaxHandler {
  public:
    explicit RootCheck(std::string_view root) : root_(root) {}
    bool isDocument = false;
    void Start(fmt::Ns ns, std::string_view local, const fmt::XmlAttrs&) override;
    void End(fmt::Ns, std::string_view) override {}
    void Text(std::string_view) override {}

  private:
    std::string_view root_;
};

// Turns the WordprocessingML of a story (body, header or footer) into the
// paragraph texts Word gives and, given styles, the paragraphs' formatting.
class StoryReader : public fmt::SaxHandler {
  public:
    StoryReader(std::size_t wantParas, std::size_t wantSections, Styles* styles = nullptr);
    ~StoryReader() override;

    // Paragraphs of an imported chunk (w:altChunk: HTML, MHT or RTF that
    // Word converts where it stands), by relationship id.
    std::function<std::vector<std::u16string>(const std::string&)> altChunk;

    std::vector<ParagraphFacts> paragraphs;  // the first wantParas of them
    std::size_t count = 0;                   // all paragraphs seen
    std::vector<SectionRefs> sections;
    std::u16string titleProperty;  // Word 2003 XML's o:Title

    std::vector<std::u16string> Texts() const;

    // When set, the text boxes (w:txbxContent) of the drawings and pictures
    // the story passes are read into it, at most maxBoxes, each anchored at
    // the paragraph then being read. Of mc:AlternateContent only the Choice
    // is read, as for the text.
    std::vector<TextBox>* boxes = nullptr;
    std::size_t maxBoxes = 0;

    void Start(fmt::Ns ns, std::string_view local, const fmt::XmlAttrs& a) override;
    void End(fmt::Ns ns, std::string_view local) override;
    void Text(std::string_view utf8) override;

  private:
    struct Elem {
        fmt::Ns ns;
        std::string local;
    };

    // Start, by what the element is.
    void DrawingStart(fmt::Ns ns, std::string_view local);
    void SectionChild(std::string_view local, const fmt::XmlAttrs& a);
    bool PropertyStart(std::string_view local, const fmt::XmlAttrs& a);
    bool StructureStart(std::string_view local, const fmt::XmlAttrs& a);
    void RunContentStart(std::string_view local, const fmt::XmlAttrs& a);
    void FieldChar(std::string_view type);
    void StructureEnd(std::string_view local);
    // Word 2003 XML (wordxml.cpp): styles, headers, footers and the title
    // property inside the document itself. Start returns true when the
    // element went to a part being read inline.
    bool WordXmlStart(fmt::Ns ns, std::string_view local, const fmt::XmlAttrs& a);
    bool WordXmlEnd(fmt::Ns ns, std::string_view local, std::size_t depth);
    void InlineStoryStart(std::string_view local, const fmt::XmlAttrs& a);

    bool Parent(std::size_t up, fmt::Ns ns, std::string_view local) const;
    void Skip() { skipDepth_ = stack_.size(); }
    // Skips a drawing or picture, whose text boxes are still looked for.
    void SkipDrawing() {
        Skip();
        drawing_ = boxes != nullptr;
    }
    bool BoxStart(fmt::Ns ns, std::string_view local);
    void BoxEnd();
    // Only a field's result shows; its code and anything nested in the code does not.
    bool Visible() const { return inCode_ == 0; }
    void Put(char16_t c);
    void Count(std::u16string_view text);
    ParagraphFacts Facts(std::u16string text);
    void EndParagraph();
    void Emit(ParagraphFacts p);
    void CheckDone();

    std::size_t wantParas_, wantSections_;
    std::vector<Elem> stack_;
    std::size_t skipDepth_ = 0;
    std::size_t sectDepth_ = 0;
    SectionRefs curSect_;
    std::vector<bool> fields_;  // per open field: past its separator
    std::size_t inCode_ = 0;    // open fields still in their code
    CellLayout cells_;
    std::u16string para_, carry_;
    bool inText_ = false, markDeleted_ = false, sectBreak_ = false;
    std::unique_ptr<StoryReader> box_;  // a text box being read
    std::size_t boxDepth_ = 0, fallbackDepth_ = 0;
    std::size_t boxAnchor_ = 0;
    bool drawing_ = false;                 // the skip is a drawing's
    std::unique_ptr<StoryReader> inline_;  // a Word 2003 header or footer being read
    std::size_t inlineDepth_ = 0;
    int inlineKind_ = 0;
    // Formatting, when asked for.
    Styles* styles_;
    std::unique_ptr<StylesReader> inlineStyles_;
    std::size_t inlineStylesDepth_ = 0;
    ParaProps pPr_;
    std::string pStyle_, rStyle_;
    RunProps rPr_, run_;
    bool runKnown_ = false, inTitle_ = false;
    RunTally tally_;
};

// A WordprocessingML document: the main part read from the start as far as
// each question needs, styles when formatting is asked for.
class WordMlDocument : public StoryDocument {
  protected:
    // Parses the main part from its start into the handler.
    virtual void ParseMain(fmt::SaxHandler& handler) = 0;
    // The same by the fast scanner, where it can; false when it could not
    // (the handler's events are then to be thrown away) or will not try.
    virtual bool ScanMain(fmt::SaxHandler&) { return false; }
    // The styles for formatting; read once.
    virtual Styles& LoadStyles() = 0;
    // Readies a reader of the main part (imported chunks).
    virtual void Prepare(StoryReader&) {}
    // The text of a story a section names by relationship id.
    virtual std::u16string PartStory(const std::string& id) = 0;

    std::u16string StoryText(const std::string& key) final;
    // One pass over the main part as far as the leading paragraphs go.
    std::vector<TextBox> LeadingTextBoxes(int maxBoxes) override;
    // The title property the main part held, once formatting was read.
    std::u16string mainTitle_;

  private:
    void Learn(std::size_t wantParas, std::size_t wantSections) final;
    std::string Key(std::optional<std::u16string>& text, const std::string& id,
                    const std::string& where);
    std::map<std::string, std::u16string> inlineTexts_;
};

// Feeds bytes in memory to a handler in chunks, as a part would stream.
void ParseBytes(std::string_view bytes, fmt::SaxHandler& handler, const std::string& what);

}  // namespace pelmora::word::ooxml
