#include "reader/web/html.h"

#include <algorithm>
#include <optional>

#include "reader/limits.h"
#include "reader/marks.h"
#include "reader/story.h"
#include "reader/text/ascii.h"
#include "reader/web/css.h"
#include "reader/web/text.h"

namespace pelmora::word::web {

using fmt::TrimAscii;

namespace {

// ------------------------------------------------------------ paragraphs

// Lays out one story: block boundaries make paragraphs, tables make cells
// and rows.
class Flow {
  public:
    Flow() = default;
    Flow(const Flow&) = delete;  // its layout points back at it
    Flow& operator=(const Flow&) = delete;

    std::vector<ParagraphFacts> paragraphs;
    TextFormat fmt;  // of the element whose content comes next

    void Text(std::u16string_view t, bool pre) {
        for (char16_t c : t) {
            if (pre) {
                if (c == u'\r') continue;
                if (c == u'\n') {
                    EndParagraph(true);
                    continue;
                }
                Char(c);
                continue;
            }
            if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f') {
                if (!buf_.empty() && buf_.back() != kLineBreak) space_ = true;
                continue;
            }
            Char(c);
        }
    }
    void Char(char16_t c) {
        if (!paraFmtSet_) paraFmt_ = fmt, paraFmtSet_ = true;
        if (space_) buf_ += u' ';
        space_ = false;
        buf_ += c;
        if (InkChar(c)) tally_.Add(std::u16string_view(&c, 1), fmt.halfPoints, fmt.bold, fmt.color);
    }
    void LineBreak() {
        space_ = false;
        buf_ += kLineBreak;
        open_ = true;
    }
    // A paragraph element starts: whatever came before is a paragraph of its own.
    void BlockStart(bool paragraphElement) {
        if (!buf_.empty()) EndParagraph(true);
        if (paragraphElement) open_ = true;
        // The block's own formatting is the paragraph's, whatever its text says.
        paraFmt_ = fmt;
        paraFmtSet_ = true;
        if (fmt.pageBreakBefore) pendingBreak_ = true;
    }
    void BlockEnd() {
        if (open_ || !buf_.empty()) EndParagraph(true);
    }
    void EndParagraph(bool) {
        const TextFormat& f = paraFmtSet_ ? paraFmt_ : fmt;
        ParagraphFacts p;
        p.text = std::move(buf_);
        if (tally_.Into(p)) {
            p.formatted = true;
            p.styleId = f.styleId;
            p.styleName = f.styleName;
            p.outlineLevel = f.outlineLevel;
            p.centered = f.centered;
            p.pageBreakBefore = f.pageBreakBefore || pendingBreak_;
        }
        pendingBreak_ = false;
        tally_.Clear();
        paraFmtSet_ = false;
        Emit(std::move(p));
        buf_.clear();
        space_ = false;
        open_ = false;
    }

    void TableStart() {
        BlockEnd();
        cells_.TableStart();
    }
    void RowStart() {
        if (cells_.InCell()) CellEnd();
        cells_.RowStart();
    }
    void CellStart() {
        if (cells_.InCell()) CellEnd();
        cells_.CellStart();
    }
    void CellEnd() {
        if (!cells_.InCell()) return;
        BlockEnd();
        cells_.CellEnd();
    }
    void RowEnd() {
        if (cells_.InCell()) CellEnd();
        cells_.RowEnd();
    }
    void TableEnd() {
        if (cells_.InCell()) CellEnd();
        cells_.TableEnd();
    }
    void Finish() {
        while (cells_.Depth() > 0) cells_.InCell() ? CellEnd() : TableEnd();
        if (!buf_.empty()) EndParagraph(true);
    }

  private:
    void Emit(ParagraphFacts p) {
        std::u16string& text = p.text;
        while (!text.empty() && text.back() == u' ') text.pop_back();
        // A <br> that ends a block adds no line of its own.
        if (!text.empty() && text.back() == kLineBreak) text.pop_back();
        cells_.Paragraph(std::move(p));
    }

    std::u16string buf_;
    bool space_ = false, open_ = false;
    TextFormat paraFmt_;
    bool paraFmtSet_ = false, pendingBreak_ = false;
    RunTally tally_;
    CellLayout cells_{[this](ParagraphFacts p) { paragraphs.push_back(std::move(p)); }};
};

// ------------------------------------------------------------------ HTML

enum TagFlag : unsigned {
    kVoid = 1,
    kParagraph = 2,  // a paragraph of its own, even when empty
    kBlock = 4,
    kDropped = 8,  // content is never text
};

unsigned TagFlags(std::string_view t) {
    static const std::map<std::string_view, unsigned> kFlags = [] {
        std::map<std::string_view, unsigned> m;
        for (std::string_view v : {"br", "img", "hr", "meta", "link", "input", "area", "base",
                                   "col", "embed", "param", "source", "track", "wbr", "basefont"})
            m[v] |= kVoid;
        for (std::string_view v : {"p", "h1", "h2", "h3", "h4", "h5", "h6", "li", "pre", "dt", "dd",
                                   "address", "caption", "listing", "xmp"})
            m[v] |= kParagraph | kBlock;
        for (std::string_view v :
             {"div",  "ul",      "ol",         "dl",      "blockquote", "center",  "body",
              "html", "section", "article",    "header",  "footer",     "nav",     "aside",
              "main", "figure",  "figcaption", "form",    "fieldset",   "legend",  "hr",
              "dir",  "menu",    "details",    "summary", "hgroup",     "noframes"})
            m[v] |= kBlock;
        for (std::string_view v :
             {"head", "script", "style", "title", "template", "xml", "object", "applet", "iframe",
              "select", "textarea", "svg", "noscript", "frameset", "map"})
            m[v] |= kDropped;
        return m;
    }();
    auto it = kFlags.find(t);
    return it == kFlags.end() ? 0u : it->second;
}
bool IsVoid(std::string_view t) { return TagFlags(t) & kVoid; }
bool IsParagraphElement(std::string_view t) { return TagFlags(t) & kParagraph; }
bool IsBlock(std::string_view t) { return TagFlags(t) & kBlock; }
bool IsDropped(std::string_view t) { return TagFlags(t) & kDropped; }

struct Tag {
    std::string name;  // lower-case
    bool end = false;
    bool selfClosing = false;
    std::map<std::string, std::u16string> attrs;
};

std::string LowerAscii16(std::u16string_view s) {
    std::string r;
    for (char16_t c : s)
        r += c < 0x80 ? static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) : '?';
    return r;
}

// The header and footer stories a page defines, by element id.
struct PageStories {
    std::map<std::string, Flow> byId;
};

class HtmlReader {
  public:
    HtmlReader(Flow* body, PageStories* stories) : body_(body), stories_(stories) {}

    std::u16string css;    // every <style> element's text
    std::u16string title;  // the first <title>

    void Run(std::u16string_view s) {
        std::size_t i = 0;
        std::size_t textStart = 0;
        while (i < s.size()) {
            if (s[i] != u'<') {
                ++i;
                continue;
            }
            if (i > textStart) Text(s.substr(textStart, i - textStart));
            i = Markup(s, i);
            textStart = i;
        }
        if (textStart < s.size()) Text(s.substr(textStart));
        body_->Finish();
        for (auto& [id, f] : stories_->byId) f.Finish();
    }

  private:
    struct Open {
        std::string name;
        Flow* flow;
        bool dropped;
        bool pre;
        TextFormat fmt;
    };

    const TextFormat& Format() const { return stack_.empty() ? page_ : stack_.back().fmt; }

    // What an element gives its content: its tag, attributes, the page's
    // rules and its style attribute, over what it inherits.
    TextFormat FormatOf(const Tag& tag) const {
        TextFormat f = Format();
        const int parent = f.halfPoints;
        f.pageBreakBefore = false;
        const std::string& t = tag.name;
        if (t == "b" || t == "strong" || t == "th") f.bold = true;
        if (t == "center") f.centered = true;
        if (t.size() == 2 && t[0] == 'h' && t[1] >= '1' && t[1] <= '6') {
            // Word's Heading 1-6, at the sizes browsers give them.
            static constexpr int kSizes[] = {48, 36, 28, 24, 20, 15};
            const int level = t[1] - '1';
            f.styleId = kStiHeading1 + level;
            f.styleName = u"heading ";
            f.styleName += static_cast<char16_t>(u'1' + level);
            f.outlineLevel = level;
            f.bold = true;
            f.halfPoints = kSizes[level];
        } else if (IsParagraphElement(t)) {
            f.styleId = kStiNormal, f.styleName.clear(), f.outlineLevel = 9;
        }
        auto attr = [&](const char* name) -> const std::u16string* {
            auto it = tag.attrs.find(name);
            return it == tag.attrs.end() ? nullptr : &it->second;
        };
        if (const auto* align = attr("align")) f.centered = LowerAscii16(*align) == "center";
        if (t == "font") {
            if (const auto* color = attr("color")) ParseColor(LowerAscii16(*color), f.color);
            if (const auto* size = attr("size")) {
                static constexpr int kFontSizes[] = {15, 20, 24, 27, 36, 48, 72};
                const std::string v = LowerAscii16(*size);
                int n = 0;
                bool ok = !v.empty() && v.size() < 4;
                std::size_t k = v[0] == '+' || v[0] == '-' ? 1 : 0;
                for (; ok && k < v.size(); ++k)
                    ok = v[k] >= '0' && v[k] <= '9', n = n * 10 + (v[k] - '0');
                if (ok) {
                    if (v[0] == '+') n = 3 + n;
                    if (v[0] == '-') n = 3 - n;
                    f.halfPoints = kFontSizes[std::clamp(n, 1, 7) - 1];
                }
            }
        }
        const auto* cls = attr("class");
        const std::string classes = cls ? LowerAscii16(*cls) : std::string();
        if (!rules_.Empty()) rules_.Apply(t, classes, parent, f);
        // Word's own page keeps its Title and Subtitle styles as classes.
        if (classes == "msotitle") f.styleId = kStiTitle, f.styleName = u"Title";
        if (classes == "msosubtitle") f.styleId = kStiSubtitle, f.styleName = u"Subtitle";
        if (const auto* style = attr("style")) ApplyDeclarations(LowerAscii16(*style), parent, f);
        return f;
    }

    Flow* Cur() { return stack_.empty() ? body_ : stack_.back().flow; }
    bool Dropped() const { return !stack_.empty() && stack_.back().dropped; }
    bool Pre() const { return !stack_.empty() && stack_.back().pre; }

    void Text(std::u16string_view t) {
        if (Dropped() || !Cur()) return;
        Cur()->fmt = Format();
        if (!stack_.empty() && stack_.back().name == "o:p") {
            // Word marks an empty paragraph with <o:p>&nbsp;</o:p>.
            std::u16string d = DecodeEntities(t);
            if (std::all_of(d.begin(), d.end(), [](char16_t c) {
                    return c == u'\u00A0' || c == u' ' || c == u'\n' || c == u'\r';
                }))
                return;
        }
        Cur()->Text(DecodeEntities(t), Pre());
    }

    // Reads the markup at s[i] ('<'); returns where the text after it starts.
    std::size_t Markup(std::u16string_view s, std::size_t i) {
        if (std::size_t e = Declaration(s, i)) return e;
        const bool end = i + 1 < s.size() && s[i + 1] == u'/';
        const std::size_t p = i + (end ? 2 : 1);
        if (p >= s.size() || !((s[p] >= u'a' && s[p] <= u'z') || (s[p] >= u'A' && s[p] <= u'Z'))) {
            // A lone "<" is text.
            if (!Dropped() && Cur()) Cur()->Text(u"<", Pre());
            return i + 1;
        }
        Tag tag;
        tag.end = end;
        const std::size_t n = ReadTag(s, p, tag);
        std::size_t after = n < s.size() ? n + 1 : s.size();
        if (tag.end) {
            EndTag(tag.name);
            return after;
        }
        StartTag(tag);
        if (tag.name == "pre" || tag.name == "listing") {
            // The line break right after <pre> belongs to the markup.
            if (after < s.size() && s[after] == u'\r') ++after;
            if (after < s.size() && s[after] == u'\n') ++after;
        }
        // Raw text: nothing inside is markup.
        static constexpr std::string_view kRaw[] = {"script", "style", "textarea", "title", "xmp"};
        if (std::find(std::begin(kRaw), std::end(kRaw), tag.name) != std::end(kRaw) &&
            !tag.selfClosing)
            return RawText(s, after, tag.name);
        return after;
    }

    // Comments, conditionals and declarations: the position after them, or
    // 0 when s[i] starts none.
    static std::size_t Declaration(std::u16string_view s, std::size_t i) {
        std::u16string_view rest = s.substr(i);
        auto past = [&](std::u16string_view close, std::size_t from) {
            std::size_t e = s.find(close, from);
            return e == std::u16string_view::npos ? s.size() : e + close.size();
        };
        if (rest.starts_with(u"<!--")) return past(u"-->", i + 4);
        // Downlevel-revealed conditionals ("<![if !supportLists]>") hold the
        // stand-ins Word writes for browsers: list numbers, VML fallbacks.
        // Word itself skips them.
        if (rest.starts_with(u"<![if") || rest.starts_with(u"<![ if"))
            return past(u"<![endif]>", i);
        if (rest.starts_with(u"<!") || rest.starts_with(u"<?")) return past(u">", i);
        return 0;
    }

    static bool Blank(char16_t c) {
        return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
    }

    // The tag's name and attributes from s[p]; returns the position of its '>'
    // (or the end).
    static std::size_t ReadTag(std::u16string_view s, std::size_t p, Tag& tag) {
        std::size_t n = p;
        while (n < s.size() && s[n] != u'>' && s[n] != u'/' && !Blank(s[n])) ++n;
        tag.name = LowerAscii16(s.substr(p, n - p));
        while (n < s.size() && s[n] != u'>') {
            const char16_t c = s[n];
            if (c == u'/') {
                tag.selfClosing = n + 1 < s.size() && s[n + 1] == u'>';
                ++n;
                continue;
            }
            if (Blank(c)) {
                ++n;
                continue;
            }
            std::size_t a = n;
            while (n < s.size() && s[n] != u'=' && s[n] != u'>' && s[n] != u' ' && s[n] != u'\t' &&
                   s[n] != u'\n' && s[n] != u'\r' && s[n] != u'/')
                ++n;
            std::string name = LowerAscii16(s.substr(a, n - a));
            if (n == a) ++n;
            std::u16string value;
            n = AttributeValue(s, n, value);
            if (!name.empty() && tag.attrs.size() < kMaxHtmlAttrs)
                tag.attrs.emplace(name, std::move(value));
        }
        return n;
    }

    // "= value" after an attribute's name at s[n], quoted or not; returns
    // where the next attribute may start.
    static std::size_t AttributeValue(std::u16string_view s, std::size_t n, std::u16string& value) {
        auto space = [](char16_t c) { return c == u' ' || c == u'\n' || c == u'\r' || c == u'\t'; };
        std::size_t q = n;
        while (q < s.size() && space(s[q])) ++q;
        if (q >= s.size() || s[q] != u'=') return n;
        n = q + 1;
        while (n < s.size() && space(s[n])) ++n;
        if (n < s.size() && (s[n] == u'"' || s[n] == u'\'')) {
            const char16_t quote = s[n];
            std::size_t e = s.find(quote, n + 1);
            if (e == std::u16string_view::npos) e = s.size();
            value = DecodeEntities(s.substr(n + 1, e - n - 1));
            return e == s.size() ? e : e + 1;
        }
        std::size_t e = n;
        while (e < s.size() && s[e] != u'>' && !space(s[e])) ++e;
        value = DecodeEntities(s.substr(n, e - n));
        return e;
    }

    // The content of script, style, textarea, title and xmp from `after` up
    // to the element's end tag; returns the position after that tag.
    std::size_t RawText(std::u16string_view s, std::size_t after, const std::string& name) {
        std::size_t e = after;
        while ((e = s.find(u"</", e)) != std::u16string_view::npos) {
            if (LowerAscii16(s.substr(e + 2, name.size())) == name) break;
            e += 2;
        }
        std::u16string_view raw =
            s.substr(after, (e == std::u16string_view::npos ? s.size() : e) - after);
        if (name == "style" && css.size() < kMaxCssBytes) {
            css += raw;
            rules_.Add(LowerAscii16(raw));
        }
        if (name == "title" && title.empty()) KeepTitle(raw);
        if (name == "xmp" && !Dropped() && Cur()) Cur()->Text(raw, true);
        if (e == std::u16string_view::npos) return s.size();
        EndTag(name);
        std::size_t gt = s.find(u'>', e);
        return gt == std::u16string_view::npos ? s.size() : gt + 1;
    }

    // The page's <title>, its blanks folded into single spaces.
    void KeepTitle(std::u16string_view raw) {
        bool space = false;
        for (char16_t c : DecodeEntities(raw.substr(0, 4096))) {
            const bool blank = c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
            if (blank) {
                space = !title.empty();
                continue;
            }
            if (space) title += u' ';
            space = false;
            title += c;
        }
    }

    void StartTag(const Tag& tag) {
        const std::string& t = tag.name;
        if (t == "body") {
            // Whatever <head> left open ends here.
            while (!stack_.empty() && stack_.back().name != "html") Pop();
        }
        if ((t == "p" || IsBlock(t) || t == "table") && !stack_.empty() &&
            stack_.back().name == "p")
            EndTag("p");
        if ((t == "li" || t == "dt" || t == "dd") && !stack_.empty() && stack_.back().name == t)
            EndTag(t);
        bool dropped = Dropped();
        Flow* flow = Cur();
        TextFormat fmt = FormatOf(tag);
        if (flow) flow->fmt = fmt;
        if (!dropped && flow) {
            if (t == "br")
                flow->LineBreak();
            else if (t == "img")
                flow->Char(kPictureMark);  // an inline picture's anchor
            else if (t == "table")
                flow->TableStart();
            else if (t == "tr")
                flow->RowStart();
            else if (t == "td" || t == "th")
                flow->CellStart();
            else if (IsBlock(t))
                flow->BlockStart(IsParagraphElement(t));
        }
        if (IsVoid(t) || tag.selfClosing) {
            if (!dropped && flow && IsBlock(t)) flow->BlockEnd();
            return;
        }
        if (stack_.size() >= static_cast<std::size_t>(kMaxNesting)) return;
        Open o{t, flow, dropped || IsDropped(t),
               (!stack_.empty() && stack_.back().pre) || t == "pre" || t == "listing",
               std::move(fmt)};
        auto style = tag.attrs.find("style");
        if (style != tag.attrs.end()) {
            std::string st = LowerAscii16(style->second);
            st.erase(std::remove_if(
                         st.begin(), st.end(),
                         [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }),
                     st.end());
            std::size_t m = st.find("mso-element:");
            if (m != std::string::npos) {
                // Word's own parts of a page: headers and footers go to their
                // own stories, footnotes and the like out of the body.
                std::string kind = st.substr(m + 12, st.find(';', m) == std::string::npos
                                                         ? std::string::npos
                                                         : st.find(';', m) - m - 12);
                auto id = tag.attrs.find("id");
                if ((kind == "header" || kind == "footer") && id != tag.attrs.end()) {
                    o.flow = &stories_->byId[LowerAscii16(id->second)];
                    o.dropped = false;
                } else if (!kind.starts_with("field-")) {
                    o.dropped = true;
                }
            }
            std::size_t tabs = st.find("mso-tab-count:");
            if (tabs != std::string::npos) {
                // Word's tab: the span's spaces stand in for the tab characters.
                int count = 0;
                for (std::size_t k = tabs + 14;
                     k < st.size() && st[k] >= '0' && st[k] <= '9' && count < 100; ++k)
                    count = count * 10 + (st[k] - '0');
                if (!dropped && flow)
                    for (int k = 0; k < std::min(count, 100); ++k) flow->Char(u'\t');
                o.dropped = true;
            }
            if (st.find("display:none") != std::string::npos ||
                st.find("mso-hide:all") != std::string::npos ||
                st.find("mso-list:ignore") != std::string::npos)  // list numbers Word draws itself
                o.dropped = true;
        }
        stack_.push_back(o);
    }

    void Pop() {
        Open o = stack_.back();
        stack_.pop_back();
        if (o.dropped || !o.flow) return;
        const std::string& t = o.name;
        if (t == "table")
            o.flow->TableEnd();
        else if (t == "tr")
            o.flow->RowEnd();
        else if (t == "td" || t == "th")
            o.flow->CellEnd();
        else if (IsBlock(t))
            o.flow->BlockEnd();
        // Leaving a header div: the body's flow continues.
        if (!stack_.empty() && stack_.back().flow != o.flow) o.flow->Finish();
    }

    void EndTag(const std::string& name) {
        if (name == "br") {
            // "</br>" is read as <br> by browsers and Word alike.
            if (!Dropped() && Cur()) Cur()->LineBreak();
            return;
        }
        if (name == "p" && std::none_of(stack_.begin(), stack_.end(),
                                        [](const Open& o) { return o.name == "p"; })) {
            // A stray </p> makes an empty paragraph.
            if (!Dropped() && Cur()) Cur()->BlockStart(true), Cur()->BlockEnd();
            return;
        }
        for (std::size_t k = stack_.size(); k-- > 0;) {
            if (stack_[k].name == name) {
                while (stack_.size() > k) Pop();
                return;
            }
            // End tags do not reach out of a table cell or table.
            if ((stack_[k].name == "td" || stack_[k].name == "th" || stack_[k].name == "table") &&
                name != "tr" && name != "table" && name != "td" && name != "th")
                return;
        }
    }

    Flow* body_;
    PageStories* stories_;
    std::vector<Open> stack_;
    StyleRules rules_;
    TextFormat page_;
};

}  // namespace

PageText ReadPage(std::u16string_view html) {
    Flow body;
    PageStories stories;
    HtmlReader reader(&body, &stories);
    reader.Run(html);
    PageText page;
    page.body = std::move(body.paragraphs);
    page.title = std::move(reader.title);
    for (auto& [id, flow] : stories.byId)
        for (auto& p : flow.paragraphs) page.stories[id].push_back(std::move(p.text));
    page.css = LowerAscii16(reader.css);
    return page;
}

std::map<int, SectionRefs> ParsePageRules(const std::string& css) {
    std::map<int, SectionRefs> out;
    std::size_t pos = 0;
    int guard = 0;
    while ((pos = css.find("@page", pos)) != std::string::npos && ++guard < 1000) {
        std::size_t brace = css.find('{', pos);
        if (brace == std::string::npos) break;
        std::string_view sel = TrimAscii(std::string_view(css).substr(pos + 5, brace - pos - 5));
        std::size_t close = css.find('}', brace);
        std::string body =
            css.substr(brace + 1, (close == std::string::npos ? css.size() : close) - brace - 1);
        pos = close == std::string::npos ? css.size() : close;
        // "@page WordSection2" is section 2; an unnamed rule serves section 1.
        int section = 1;
        if (!sel.empty()) {
            if (sel.find(':') != std::string_view::npos) continue;
            std::size_t d = sel.size();
            while (d > 0 && sel[d - 1] >= '0' && sel[d - 1] <= '9') --d;
            if (d == sel.size() || sel.size() - d > 4) continue;
            section = std::stoi(std::string(sel.substr(d)));
            if (section < 1) continue;
        } else if (out.count(1)) {
            continue;
        }
        SectionRefs& refs = out[section];
        static constexpr std::array<std::string_view, 3> kPrefix = {"mso-", "mso-first-",
                                                                    "mso-even-"};
        for (int kind = 0; kind < 3; ++kind) {
            for (int f = 0; f < 2; ++f) {
                std::string prop = std::string(kPrefix[static_cast<std::size_t>(kind)]) +
                                   (f ? "footer:" : "header:");
                std::size_t p = body.find(prop);
                if (p == std::string::npos) continue;
                std::size_t e = body.find(';', p);
                std::string value(TrimAscii(std::string_view(body).substr(
                    p + prop.size(),
                    (e == std::string::npos ? body.size() : e) - p - prop.size())));
                std::string url;
                std::size_t u = value.find("url(");
                if (u != std::string::npos) {
                    std::size_t ue = value.find(')', u);
                    url =
                        value.substr(u + 4, (ue == std::string::npos ? value.size() : ue) - u - 4);
                    url.erase(std::remove(url.begin(), url.end(), '"'), url.end());
                    url.erase(std::remove(url.begin(), url.end(), '\''), url.end());
                    value = ue == std::string::npos ? std::string() : value.substr(ue + 1);
                }
                std::string id(TrimAscii(value));
                std::size_t sp = id.find_last_of(" \t");
                if (sp != std::string::npos) id = id.substr(sp + 1);
                (f ? refs.footer : refs.header)[static_cast<std::size_t>(kind)] = id;
                (f ? refs.footerUrl : refs.headerUrl)[static_cast<std::size_t>(kind)] =
                    std::string(TrimAscii(url));
            }
        }
    }
    return out;
}

}  // namespace pelmora::word::web
