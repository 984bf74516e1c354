// Word 2003 XML documents (w:wordDocument): WordprocessingML in one file,
// with the styles, the headers and footers and the document properties
// inside it rather than in parts of their own.

#include "reader/document.h"
#include "reader/error.h"
#include "reader/io/readfile.h"
#include "reader/ooxml/wordml.h"
#include "reader/openers.h"

namespace pelmora::word {

namespace ooxml {

using fmt::Ns;
using fmt::XmlAttrs;

bool StoryReader::WordXmlStart(Ns ns, std::string_view local, const XmlAttrs& a) {
    if (inline_) {
        inline_->Start(ns, local, a);
        return true;
    }
    if (inlineStyles_) {
        if (ns == Ns::W && local == "body") {
            // Styles that never closed: the body is read as ever, the
            // formatting not at all.
            styles_->damaged = true;
            inlineStyles_.reset();
        } else {
            // Seen by both: the text must not depend on formatting being asked.
            inlineStyles_->Start(ns, local, a);
        }
    }
    if (skipDepth_ || !styles_) return false;
    if (ns == Ns::O && local == "Title" && Parent(1, Ns::O, "DocumentProperties")) inTitle_ = true;
    if (ns == Ns::W && local == "styles" && Parent(1, Ns::W, "wordDocument")) {
        inlineStyles_ = std::make_unique<StylesReader>(*styles_);
        inlineStylesDepth_ = stack_.size();
        inlineStyles_->Start(ns, local, a);
    }
    return false;
}

// A header or footer inside the section properties.
void StoryReader::InlineStoryStart(std::string_view local, const XmlAttrs& a) {
    inline_ = std::make_unique<StoryReader>(SIZE_MAX, SIZE_MAX);
    inlineDepth_ = stack_.size();
    inlineKind_ = RefKind(a.Get(Ns::W, "type")) + (local == "ftr" ? 3 : 0);
}

bool StoryReader::WordXmlEnd(Ns ns, std::string_view local, std::size_t depth) {
    if (inline_) {
        if (depth != inlineDepth_) {
            inline_->End(ns, local);
            return true;
        }
        std::u16string text;
        for (const auto& p : inline_->paragraphs) text += p.text;
        auto& slot = inlineKind_ < 3 ? curSect_.headerText : curSect_.footerText;
        slot[static_cast<std::size_t>(inlineKind_ % 3)] = text.empty() ? u"\r" : text;
        inline_.reset();
        return true;
    }
    if (inlineStyles_) {
        inlineStyles_->End(ns, local);
        if (depth == inlineStylesDepth_) inlineStyles_.reset();
    }
    if (ns == Ns::O && local == "Title") inTitle_ = false;
    return false;
}

namespace {

class WordXmlDocument final : public WordMlDocument {
  public:
    explicit WordXmlDocument(std::string flat) : flat_(std::move(flat)) {
        RootCheck check("wordDocument");
        try {
            ParseMain(check);
        } catch (const WordError&) {
            if (!check.stop) throw;
        }
        if (!check.isDocument) throw WordError("not a Word XML document");
    }

  private:
    void ParseMain(fmt::SaxHandler& handler) override {
        ParseBytes(flat_, handler, "the XML document");
    }
    // Filled as the main part goes by.
    Styles& LoadStyles() override { return styles_; }
    std::u16string PartStory(const std::string&) override { return u"\r"; }
    std::u16string StoredTitle() override { return mainTitle_; }

    std::string flat_;
    Styles styles_;
};

}  // namespace

}  // namespace ooxml

std::unique_ptr<DocumentImpl> OpenWordXmlBytes(std::string bytes) {
    return std::make_unique<ooxml::WordXmlDocument>(std::move(bytes));
}

std::unique_ptr<DocumentImpl> OpenWordXmlDocument(const std::string& path) {
    return OpenWordXmlBytes(fmt::ReadFileCapped(path, kMaxPartBytes));
}

}  // namespace pelmora::word
