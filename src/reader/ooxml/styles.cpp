#include "reader/ooxml/styles.h"

#include "reader/limits.h"
#include "reader/paragraph.h"
#include "reader/story.h"
#include "reader/text/ascii.h"
#include "reader/text/utf8.h"

namespace pelmora::word::ooxml {

using fmt::Ns;
using fmt::XmlAttrs;

namespace {

template <class T>
void Fill(std::optional<T>& v, const std::optional<T>& below) {
    if (!v) v = below;
}

// ST_OnOff: no value is on.
std::optional<bool> OnOff(std::string_view v) {
    if (v.empty() || v == "1" || v == "true" || v == "on") return true;
    if (v == "0" || v == "false" || v == "off") return false;
    return std::nullopt;
}

std::optional<int> Number(std::string_view v) {
    if (v.empty() || v.size() > 9) return std::nullopt;
    int n = 0;
    for (char c : v) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

std::optional<uint32_t> Color(std::string_view v) {
    if (v == "auto") return kAutoColor;
    if (v.size() != 6) return std::nullopt;
    uint32_t c = 0;
    for (char h : v) {
        int d = h >= '0' && h <= '9'   ? h - '0'
                : h >= 'a' && h <= 'f' ? h - 'a' + 10
                : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                       : -1;
        if (d < 0) return std::nullopt;
        c = c << 4 | static_cast<uint32_t>(d);
    }
    return c;
}

template <class T>
void Set(std::optional<T>& field, std::optional<T> value, bool& damaged) {
    if (value)
        field = value;
    else
        damaged = true;
}

}  // namespace

void RunProps::Over(const RunProps& below) {
    Fill(halfPoints, below.halfPoints);
    Fill(bold, below.bold);
    Fill(color, below.color);
    Fill(vanish, below.vanish);
    damaged = damaged || below.damaged;
}

void ParaProps::Over(const ParaProps& below) {
    Fill(centered, below.centered);
    Fill(outlineLevel, below.outlineLevel);
    Fill(pageBreakBefore, below.pageBreakBefore);
    damaged = damaged || below.damaged;
}

bool ReadRunProp(std::string_view local, const XmlAttrs& a, RunProps& r) {
    const std::string_view val = a.Get(Ns::W, "val");
    if (local == "sz") {
        Set(r.halfPoints, Number(val), r.damaged);
    } else if (local == "b") {
        Set(r.bold, OnOff(val), r.damaged);
    } else if (local == "color") {
        Set(r.color, Color(val), r.damaged);
    } else if (local == "vanish") {
        Set(r.vanish, OnOff(val), r.damaged);
    } else {
        return false;
    }
    return true;
}

bool ReadParaProp(std::string_view local, const XmlAttrs& a, ParaProps& p, std::string* pStyle) {
    const std::string_view val = a.Get(Ns::W, "val");
    if (local == "pStyle") {
        if (pStyle) *pStyle = std::string(val);
    } else if (local == "jc") {
        p.centered = val == "center";
    } else if (local == "outlineLvl") {
        auto level = Number(val);
        Set(p.outlineLevel, level && *level <= 9 ? level : std::nullopt, p.damaged);
    } else if (local == "pageBreakBefore") {
        Set(p.pageBreakBefore, OnOff(val), p.damaged);
    } else {
        return false;
    }
    return true;
}

// ------------------------------------------------------------------ styles

const Styles::Paragraph& Styles::ParagraphStyle(const std::string& requested) {
    std::string id =
        byId_.count(requested) && byId_[requested].paragraph ? requested : defaultParagraph_;
    auto cached = resolved_.find(id);
    if (cached != resolved_.end()) return cached->second;
    Paragraph out;
    out.styleId = kStiNormal;
    std::string at = id;
    for (int depth = 0; depth < kMaxStyleChain && !at.empty(); ++depth) {
        auto it = byId_.find(at);
        if (it == byId_.end()) break;
        const Style& s = it->second;
        if (depth == 0) {
            out.name = s.name;
            int builtIn = BuiltInStyleOfName(s.name.empty() ? fmt::Utf8ToUtf16(at) : s.name);
            // A style Word made under another language's name keeps its id.
            if (builtIn == kStiUser) builtIn = BuiltInStyleOfName(fmt::Utf8ToUtf16(at));
            out.styleId = builtIn;
        }
        out.p.Over(s.p);
        out.r.Over(s.r);
        at = s.basedOn;
    }
    out.p.Over(defaultPara_);
    out.r.Over(defaultRun_);
    if (!out.p.outlineLevel && out.styleId >= kStiHeading1 && out.styleId <= kStiHeading9)
        out.p.outlineLevel = out.styleId - kStiHeading1;
    Fill(out.p.outlineLevel, std::optional<int>(9));
    Fill(out.p.centered, std::optional<bool>(false));
    Fill(out.p.pageBreakBefore, std::optional<bool>(false));
    Fill(out.r.halfPoints, std::optional<int>(20));  // Word's 10 points when nothing says
    Fill(out.r.bold, std::optional<bool>(false));
    Fill(out.r.color, std::optional<uint32_t>(kAutoColor));
    if (resolved_.size() > kMaxXmlStyles) resolved_.clear();
    return resolved_.emplace(id, std::move(out)).first->second;
}

RunProps Styles::CharacterStyle(const std::string& id) {
    RunProps out;
    std::string at = id.empty() ? defaultCharacter_ : id;
    for (int depth = 0; depth < kMaxStyleChain && !at.empty(); ++depth) {
        auto it = byId_.find(at);
        if (it == byId_.end() || it->second.paragraph) break;
        out.Over(it->second.r);
        at = it->second.basedOn;
    }
    return out;
}

bool StylesReader::In(std::size_t up, std::string_view local) const {
    // path_.back() is the element itself.
    return path_.size() >= up + 1 && path_[path_.size() - 1 - up] == local;
}

void StylesReader::Start(Ns ns, std::string_view local, const XmlAttrs& a) {
    path_.emplace_back(ns == Ns::W ? local : std::string_view());
    if (skipDepth_ || ns != Ns::W) return;
    if (local == "tblStylePr" || local == "tblPr" || local == "trPr" || local == "tcPr" ||
        local == "latentStyles" || local.ends_with("Change")) {
        skipDepth_ = path_.size();
        return;
    }
    if (local == "style" && In(1, "styles")) {
        inStyle_ = true;
        cur_ = Styles::Style{};
        curId_ = std::string(a.Get(Ns::W, "styleId"));
        const std::string_view type = a.Get(Ns::W, "type");
        cur_.paragraph = type.empty() || type == "paragraph";
        const bool isDefault =
            OnOff(a.Get(Ns::W, "default")).value_or(false) && a.Has(Ns::W, "default");
        if (isDefault && type == "paragraph" && s_.defaultParagraph_.empty())
            s_.defaultParagraph_ = curId_;
        if (isDefault && type == "character" && s_.defaultCharacter_.empty())
            s_.defaultCharacter_ = curId_;
        return;
    }
    if (inStyle_ && In(1, "style")) {
        if (local == "name") cur_.name = fmt::Utf8ToUtf16(a.Get(Ns::W, "val").substr(0, 256));
        if (local == "basedOn") cur_.basedOn = std::string(a.Get(Ns::W, "val"));
        return;
    }
    if (inStyle_ && In(2, "style")) {
        if (In(1, "rPr")) ReadRunProp(local, a, cur_.r);
        if (In(1, "pPr")) ReadParaProp(local, a, cur_.p, nullptr);
        return;
    }
    if (In(1, "rPr") && In(2, "rPrDefault")) ReadRunProp(local, a, s_.defaultRun_);
    if (In(1, "pPr") && In(2, "pPrDefault")) ReadParaProp(local, a, s_.defaultPara_, nullptr);
}

void StylesReader::End(Ns, std::string_view) {
    const std::size_t depth = path_.size();
    const bool closingStyle = inStyle_ && !skipDepth_ && In(0, "style") && In(1, "styles");
    if (!path_.empty()) path_.pop_back();
    if (skipDepth_) {
        if (depth == skipDepth_) skipDepth_ = 0;
        return;
    }
    if (closingStyle) {
        inStyle_ = false;
        if (!curId_.empty() && s_.byId_.size() < kMaxXmlStyles) s_.byId_.emplace(curId_, cur_);
    }
}

}  // namespace pelmora::word::ooxml
