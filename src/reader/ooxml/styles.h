#pragma once
// WordprocessingML formatting as far as a title needs it: the styles part
// (w:docDefaults, w:style with w:basedOn) and the paragraph and run
// properties that say size, bold, colour, centring, outline level and page
// breaks (ECMA-376 Part 1, 17.3 and 17.7). Word 2003 XML uses the same names.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reader/xml/sax.h"

namespace pelmora::word::ooxml {

// Run properties one level states; what it leaves unset comes from below.
struct RunProps {
    std::optional<int> halfPoints;
    std::optional<bool> bold;
    std::optional<uint32_t> color;
    std::optional<bool> vanish;
    bool damaged = false;
    // Fills what this level leaves unset from `below`.
    void Over(const RunProps& below);
};

struct ParaProps {
    std::optional<bool> centered;
    std::optional<int> outlineLevel;
    std::optional<bool> pageBreakBefore;
    bool damaged = false;
    void Over(const ParaProps& below);
};

// Reads one child of w:rPr or w:pPr; false when it is none of ours. A value
// that cannot be read marks the properties damaged.
bool ReadRunProp(std::string_view local, const fmt::XmlAttrs& a, RunProps& r);
bool ReadParaProp(std::string_view local, const fmt::XmlAttrs& a, ParaProps& p,
                  std::string* pStyle);

// The styles of a document and what they resolve to.
class Styles {
  public:
    struct Paragraph {
        int styleId = 0;
        std::u16string name;
        ParaProps p;  // every field set
        RunProps r;   // every field but vanish set
    };

    // The paragraph style by id (the default paragraph style for an unknown
    // or empty id), resolved through w:basedOn and the document defaults.
    const Paragraph& ParagraphStyle(const std::string& id);
    // A character style's run properties through w:basedOn; nothing set
    // for an unknown id.
    RunProps CharacterStyle(const std::string& id);

    bool damaged = false;  // the styles part could not be read

  private:
    friend class StylesReader;
    struct Style {
        std::u16string name;
        std::string basedOn;
        bool paragraph = true;
        ParaProps p;
        RunProps r;
    };
    std::map<std::string, Style> byId_;
    std::string defaultParagraph_, defaultCharacter_;
    RunProps defaultRun_;
    ParaProps defaultPara_;
    std::map<std::string, Paragraph> resolved_;
};

// Fills Styles from a styles part, or from the w:styles element of a Word
// 2003 XML document (events from that element on; Done once it closes).
class StylesReader : public fmt::SaxHandler {
  public:
    explicit StylesReader(Styles& styles) : s_(styles) {}
    void Start(fmt::Ns ns, std::string_view local, const fmt::XmlAttrs& a) override;
    void End(fmt::Ns ns, std::string_view local) override;
    void Text(std::string_view) override {}

  private:
    bool In(std::size_t up, std::string_view local) const;
    Styles& s_;
    std::vector<std::string> path_;  // local names of the open w: elements ("" for others)
    std::size_t skipDepth_ = 0;
    Styles::Style cur_;
    std::string curId_;
    bool inStyle_ = false;
};

}  // namespace pelmora::word::ooxml
