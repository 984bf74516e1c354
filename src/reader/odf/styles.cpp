// OpenDocument styles (ODF 1.2 Part 1, 16 and 20): common, automatic and
// default styles of the paragraph, text and table families, with the
// properties a title needs, and the page styles' headers and footers.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

#include "reader/limits.h"
#include "reader/odf/odf.h"
#include "reader/text/utf8.h"

namespace pelmora::word::odf {

using fmt::Ns;
using fmt::XmlAttrs;

namespace {

// A length in half-points ("12pt", "0.5cm", "10.5pt"); nothing when it is
// no length.
std::optional<int> HalfPoints(std::string_view v) {
    double value = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value);
    if (ec != std::errc() || !std::isfinite(value)) return std::nullopt;
    const std::string_view unit = v.substr(static_cast<std::size_t>(end - v.data()));
    double points;
    if (unit == "pt")
        points = value;
    else if (unit == "in")
        points = value * 72;
    else if (unit == "cm")
        points = value * 72 / 2.54;
    else if (unit == "mm")
        points = value * 72 / 25.4;
    else if (unit == "pc")
        points = value * 12;
    else if (unit == "px")
        points = value * 0.75;
    else
        return std::nullopt;
    const double half = std::round(points * 2);
    if (half < 0 || half > 1e6) return std::nullopt;
    return static_cast<int>(half);
}

std::optional<int> Percent(std::string_view v) {
    if (!v.ends_with('%')) return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size() - 1, value);
    if (ec != std::errc() || end != v.data() + v.size() - 1 || !(value >= 0 && value <= 10000))
        return std::nullopt;
    return static_cast<int>(std::round(value));
}

// fo:font-weight: "bold", "normal" or 100 to 900; Word's bold is 600 and up.
std::optional<bool> Bold(std::string_view v) {
    if (v == "bold") return true;
    if (v == "normal") return false;
    int n = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec != std::errc() || end != v.data() + v.size()) return std::nullopt;
    return n >= 600;
}

std::optional<uint32_t> Color(std::string_view v) {
    if (v.size() != 7 || v[0] != '#') return std::nullopt;
    uint32_t rgb = 0;
    const auto [end, ec] = std::from_chars(v.data() + 1, v.data() + 7, rgb, 16);
    if (ec != std::errc() || end != v.data() + 7) return std::nullopt;
    return rgb;
}

void ReadTextProps(const XmlAttrs& a, TextProps& t) {
    if (const std::string_view size = a.Get(Ns::Fo, "font-size"); !size.empty()) {
        if (auto p = Percent(size))
            t.percent = *p, t.halfPoints.reset();
        else if (auto h = HalfPoints(size))
            t.halfPoints = *h, t.percent.reset();
    }
    if (auto b = Bold(a.Get(Ns::Fo, "font-weight"))) t.bold = *b;
    if (auto c = Color(a.Get(Ns::Fo, "color"))) t.color = *c;
    if (a.Get(Ns::Style, "use-window-font-color") == "true") t.color = kAutoColor;
}

void ReadParaProps(const XmlAttrs& a, ParaProps& p) {
    if (const std::string_view align = a.Get(Ns::Fo, "text-align"); !align.empty())
        p.centered = align == "center";
    if (const std::string_view b = a.Get(Ns::Fo, "break-before"); !b.empty())
        p.breakBefore = b == "page";
    if (const std::string_view b = a.Get(Ns::Fo, "break-after"); !b.empty())
        p.breakAfter = b == "page";
}

Family FamilyOf(std::string_view f) {
    if (f == "paragraph") return Family::Paragraph;
    if (f == "text") return Family::Text;
    if (f == "table") return Family::Table;
    return Family::Other;
}

// Word's names for the styles LibreOffice names otherwise, so that the
// same document reads alike whichever format it was saved in.
std::u16string WordName(std::u16string name) {
    if (name == u"Standard" || name == u"Default Paragraph Style" || name.empty()) return u"Normal";
    if (name == u"Text body" || name == u"Body Text") return u"Body Text";
    return name;
}

}  // namespace

void TextProps::Over(const TextProps& below) {
    if (!halfPoints && below.halfPoints) {
        halfPoints = percent ? *below.halfPoints * *percent / 100 : *below.halfPoints;
        percent.reset();
    } else if (!halfPoints && percent && below.percent) {
        percent = *percent * *below.percent / 100;
    } else if (!halfPoints && !percent) {
        percent = below.percent;
    }
    if (!bold) bold = below.bold;
    if (!color) color = below.color;
}

void ParaProps::Over(const ParaProps& below) {
    if (!centered) centered = below.centered;
    if (!breakBefore) breakBefore = below.breakBefore;
    if (!breakAfter) breakAfter = below.breakAfter;
}

// ---------------------------------------------------------------- sheet

const StyleSheet::Paragraph& StyleSheet::ParagraphStyle(const std::string& name) {
    if (auto it = resolved_.find(name); it != resolved_.end()) return it->second;
    Paragraph out;
    ParaProps para;
    TextProps text;
    std::optional<int> outline;
    std::optional<std::string> master;
    std::optional<std::u16string> common;
    auto& styles = Styles(Family::Paragraph);
    std::string at = name;
    for (int depth = 0; depth < kMaxStyleChain && !at.empty(); ++depth) {
        auto it = styles.find(at);
        if (it == styles.end()) break;
        const Style& s = it->second;
        para.Over(s.para);
        text.Over(s.text);
        if (!outline) outline = s.outlineLevel;
        if (!master) master = s.masterPage;
        if (!common && !s.automatic) common = s.displayName;
        if (s.parent == at) break;
        at = s.parent;
    }
    const Style& def = Default(Family::Paragraph);
    para.Over(def.para);
    text.Over(def.text);
    // What no style says: left, no breaks, 12 points, not bold, automatic colour.
    para.Over(ParaProps{false, false, false});
    TextProps base;
    base.halfPoints = 24;
    base.bold = false;
    base.color = kAutoColor;
    text.Over(base);
    out.para = para;
    out.text = text;
    out.name = WordName(common.value_or(u""));
    out.styleId = BuiltInStyleOfName(out.name);
    if (outline && *outline >= 1 && *outline <= 9) out.outlineLevel = *outline - 1;
    out.masterPage = master.value_or("");
    if (resolved_.size() >= kMaxXmlStyles) resolved_.clear();
    return resolved_.emplace(name, std::move(out)).first->second;
}

TextProps StyleSheet::TextStyle(const std::string& name, const TextProps& below) {
    TextProps t;
    auto& styles = Styles(Family::Text);
    std::string at = name;
    for (int depth = 0; depth < kMaxStyleChain && !at.empty(); ++depth) {
        auto it = styles.find(at);
        if (it == styles.end()) break;
        t.Over(it->second.text);
        if (it->second.parent == at) break;
        at = it->second.parent;
    }
    t.Over(below);
    return t;
}

std::string StyleSheet::TableMaster(const std::string& name) {
    auto& styles = Styles(Family::Table);
    auto it = styles.find(name);
    if (it == styles.end() || !it->second.masterPage) return {};
    return *it->second.masterPage;
}

std::u16string StoryText(const std::optional<std::vector<std::u16string>>& story) {
    std::u16string text;
    if (story)
        for (const std::u16string& p : *story) text += p;
    return text.empty() ? u"\r" : text;
}

// ---------------------------------------------------------------- reader

struct StyleReader::Impl {
    StyleSheet& sheet;
    bool automatic;  // content.xml's office:automatic-styles are automatic too
    bool stories;
    int depth = 0;
    // Inside office:styles, office:automatic-styles or office:master-styles.
    int sectionDepth = 0;
    bool inAutomatic = false, inMasters = false;
    // The style being read, and where it goes.
    Style* style = nullptr;
    int styleDepth = 0;
    std::string masterName;
    int masterDepth = 0;
    // A header or footer being read: which list, and its text reader.
    std::optional<std::vector<std::u16string>>* story = nullptr;
    int storyDepth = 0;
    std::unique_ptr<TextReader> text;
};

StyleReader::StyleReader(StyleSheet& sheet, bool automatic, bool stories)
    : impl_(new Impl{
          sheet, automatic, stories, 0, 0, false, false, nullptr, 0, {}, 0, nullptr, 0, nullptr}) {}

StyleReader::~StyleReader() { delete impl_; }

void StyleReader::Start(Ns ns, std::string_view local, const XmlAttrs& a) {
    Impl& m = *impl_;
    ++m.depth;
    if (m.story) return m.text->Start(ns, local, a);
    if (ns == Ns::Office) {
        if (local == "body") {
            stop = true;  // content.xml: the body comes after its styles
        } else if (local == "styles" || local == "automatic-styles" || local == "master-styles") {
            m.sectionDepth = m.depth;
            m.inAutomatic = local == "automatic-styles";
            m.inMasters = local == "master-styles";
        }
        return;
    }
    if (m.sectionDepth == 0) return;
    if (ns == Ns::Style && (local == "style" || local == "default-style") && !m.inMasters &&
        !m.style) {
        const Family f = FamilyOf(a.Get(Ns::Style, "family"));
        if (f == Family::Other) return;
        if (local == "default-style") {
            m.style = &m.sheet.Default(f);
        } else {
            if (m.sheet.count >= kMaxXmlStyles) return;
            const std::string name(a.Get(Ns::Style, "name"));
            if (name.empty()) return;
            ++m.sheet.count;
            Style& s = m.sheet.Styles(f)[name];
            s = Style{};
            s.parent = std::string(a.Get(Ns::Style, "parent-style-name"));
            std::string_view shown = a.Get(Ns::Style, "display-name");
            if (shown.empty()) shown = name;
            s.displayName = fmt::Utf8ToUtf16(shown.substr(0, kMaxStyleNameChars));
            s.automatic = m.inAutomatic && m.automatic;
            if (a.Has(Ns::Style, "master-page-name"))
                s.masterPage = std::string(a.Get(Ns::Style, "master-page-name"));
            if (const std::string_view level = a.Get(Ns::Style, "default-outline-level");
                !level.empty()) {
                int n = 0;
                const auto [end, ec] =
                    std::from_chars(level.data(), level.data() + level.size(), n);
                if (ec == std::errc() && end == level.data() + level.size()) s.outlineLevel = n;
            }
            m.style = &s;
        }
        m.styleDepth = m.depth;
        return;
    }
    if (m.style && ns == Ns::Style) {
        if (local == "text-properties") ReadTextProps(a, m.style->text);
        if (local == "paragraph-properties") ReadParaProps(a, m.style->para);
        return;
    }
    if (!m.inMasters || ns != Ns::Style) return;
    if (local == "master-page" && m.masterName.empty()) {
        m.masterName = std::string(a.Get(Ns::Style, "name"));
        if (m.sheet.masters.size() >= kMaxXmlStyles || m.masterName.empty())
            m.masterName.clear();
        else if (!m.sheet.masters.contains(m.masterName))
            m.sheet.masterOrder.push_back(m.masterName), m.sheet.masters[m.masterName];
        m.masterDepth = m.depth;
        return;
    }
    if (m.masterName.empty() || !m.stories || m.depth != m.masterDepth + 1) return;
    const bool header = local.starts_with("header");
    if (!header && !local.starts_with("footer")) return;
    const std::string_view kind = local.substr(6);  // after "header" or "footer"
    const int k = kind.empty() ? 0 : kind == "-first" ? 1 : kind == "-left" ? 2 : -1;
    if (k < 0 || a.Get(Ns::Style, "display") == "false") return;
    MasterPage& page = m.sheet.masters[m.masterName];
    m.story = &(header ? page.header : page.footer)[static_cast<std::size_t>(k)];
    m.storyDepth = m.depth;
    m.text = std::make_unique<TextReader>(kMaxStoryParagraphs, nullptr);
}

void StyleReader::End(Ns ns, std::string_view local) {
    Impl& m = *impl_;
    if (m.story) {
        if (m.depth == m.storyDepth) {
            m.text->Done();
            std::vector<std::u16string> texts;
            for (auto& p : m.text->paragraphs) texts.push_back(std::move(p.text));
            *m.story = std::move(texts);
            m.story = nullptr;
            m.text.reset();
        } else {
            m.text->End(ns, local);
        }
    } else if (m.style && m.depth == m.styleDepth) {
        m.style = nullptr;
    } else if (!m.masterName.empty() && m.depth == m.masterDepth) {
        m.masterName.clear();
    } else if (m.depth == m.sectionDepth) {
        m.sectionDepth = 0;
        m.inAutomatic = m.inMasters = false;
    }
    --m.depth;
}

void StyleReader::Text(std::string_view utf8) {
    if (impl_->story) impl_->text->Text(utf8);
}

}  // namespace pelmora::word::odf
