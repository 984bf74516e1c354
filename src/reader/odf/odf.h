#pragma once
// OpenDocument text (ODF 1.2/1.3, Part 3 packages; Part 1 text content):
// what the package reader (package.cpp) shares with the style sheet
// (styles.cpp) and the text reader (body.cpp). Private to odf/.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reader/paragraph.h"
#include "reader/story.h"
#include "reader/xml/sax.h"

namespace pelmora::word::odf {

// ---------------------------------------------------------------- styles

// Text properties one style states; what it leaves unset comes from its
// parent. Sizes and weights are the Western ones (fo:font-size,
// fo:font-weight) for all text, as a .docx of the same document has them.
struct TextProps {
    std::optional<int> halfPoints;
    std::optional<int> percent;  // a size relative to the parent's
    std::optional<bool> bold;
    std::optional<uint32_t> color;  // kAutoColor for the window's colour
    // Fills what this level leaves unset from `below`, applying percentages.
    void Over(const TextProps& below);
};

struct ParaProps {
    std::optional<bool> centered;
    std::optional<bool> breakBefore, breakAfter;  // a page break
    void Over(const ParaProps& below);
};

enum class Family { Paragraph, Text, Table, Other };

struct Style {
    std::string parent;
    std::u16string displayName;  // common styles: style:display-name, else the name
    bool automatic = false;
    std::optional<std::string> masterPage;  // style:master-page-name; "" for none
    std::optional<int> outlineLevel;        // style:default-outline-level, 1-based
    ParaProps para;
    TextProps text;
};

// One page style's header and footer stories, each a list of paragraph
// texts; absent when the page style has none (or hides it).
struct MasterPage {
    // [0] style:header / style:footer, [1] the first page's, [2] left pages'.
    std::array<std::optional<std::vector<std::u16string>>, 3> header, footer;
};

// The styles of a document: common ones (styles.xml), automatic ones of
// either part, the default style of each family, and the page styles.
class StyleSheet {
  public:
    // A paragraph style resolved through its parents and the default style.
    struct Paragraph {
        int styleId = kStiNormal;
        std::u16string name;  // of the nearest common style, as Word names it
        int outlineLevel = 9;
        std::string masterPage;  // empty: none named
        ParaProps para;          // every field set
        TextProps text;          // sizes, weights and colour set
    };

    std::map<std::string, Style>& Styles(Family f) { return styles_[Index(f)]; }
    Style& Default(Family f) { return defaults_[Index(f)]; }
    std::map<std::string, MasterPage> masters;
    std::vector<std::string> masterOrder;  // as defined, for a document without "Standard"

    const Paragraph& ParagraphStyle(const std::string& name);
    // A text style's properties over `below`.
    TextProps TextStyle(const std::string& name, const TextProps& below);
    // The page style named by a table style, empty when none.
    std::string TableMaster(const std::string& name);

    // Count of styles stored, against hostile parts.
    std::size_t count = 0;
    bool damaged = false;  // a styles part could not be read

  private:
    static std::size_t Index(Family f) { return static_cast<std::size_t>(f); }
    std::array<std::map<std::string, Style>, 4> styles_;
    std::array<Style, 4> defaults_;
    std::map<std::string, Paragraph> resolved_;
};

// Reads office:styles, office:automatic-styles and office:master-styles of
// styles.xml or content.xml into a style sheet. Header and footer stories
// are read only when asked (`stories`); the body of content.xml stops it.
// A style read again replaces the one read before.
class StyleReader : public fmt::SaxHandler {
  public:
    StyleReader(StyleSheet& sheet, bool automatic, bool stories);
    ~StyleReader() override;
    void Start(fmt::Ns ns, std::string_view local, const fmt::XmlAttrs& a) override;
    void End(fmt::Ns ns, std::string_view local) override;
    void Text(std::string_view utf8) override;

  private:
    struct Impl;
    Impl* impl_;
};

// ---------------------------------------------------------------- text

// Turns ODF text content (the body, or one header or footer) into the
// paragraph texts Word gives and, given styles, their formatting (unless
// `facts` is false: the styles then only say where pages and sections
// begin). Events are those of the content's elements; Done() closes what is
// still open.
class TextReader {
  public:
    TextReader(std::size_t wantParas, StyleSheet* styles, bool facts = true);
    ~TextReader();

    std::vector<ParagraphFacts> paragraphs;  // at most wantParas, and one more
    std::size_t count = 0;                   // all paragraphs seen
    // Page styles started, in order: the first one the first block names
    // (empty when it names none), then one per page style change.
    std::vector<std::string> sections;
    bool full = false;  // the paragraphs asked for are all there
    // When set, the text boxes (draw:text-box) of the frames the text
    // passes are read into it, at most maxBoxes, each anchored at the
    // paragraph then being read.
    std::vector<TextBox>* boxes = nullptr;
    std::size_t maxBoxes = 0;

    void Start(fmt::Ns ns, std::string_view local, const fmt::XmlAttrs& a);
    void End(fmt::Ns ns, std::string_view local);
    void Text(std::string_view utf8);
    void Done();

  private:
    struct Impl;
    Impl* impl_;
    std::unique_ptr<TextReader> box_;  // a text box being read
    int boxLevel_ = 0;                 // elements open inside it
    std::size_t boxAnchor_ = 0;
    StyleSheet* styles_ = nullptr;
    bool facts_ = true;
};

// A header or footer story's text as the object model gives it.
std::u16string StoryText(const std::optional<std::vector<std::u16string>>& story);

}  // namespace pelmora::word::odf
