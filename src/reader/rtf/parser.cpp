#include "reader/rtf/parser.h"

#include <algorithm>
#include <climits>

#include "reader/error.h"
#include "reader/limits.h"
#include "reader/marks.h"
#include "reader/text/charset.h"

namespace pelmora::word::rtf {

bool RtfParser::Run() {
    if (!d_.starts_with("{\\rtf")) throw WordError("not an RTF file");
    stack_.push_back({});
    std::size_t pos = 1;  // inside the root group
    while (pos < d_.size() && !stop_) {
        char c = d_[pos];
        if (c == '{') {
            FlushBytes();
            skip_ = 0;
            if (stack_.size() >= static_cast<std::size_t>(kMaxNesting)) {
                // What came before stays readable; the caller throws.
                tooDeep = true;
                return Finish(false);
            }
            GroupState g = stack_.back();
            g.headerKind = -1;
            g.firstWord = true;
            g.ignorable = false;
            if (g.dest == Dest::StyleSheet && stack_.size() == sheetDepth_) BeginStyle();
            stack_.push_back(g);
            ++pos;
        } else if (c == '}') {
            FlushBytes();
            skip_ = 0;
            ++pos;
            if (stack_.size() == 1) return Finish(true);  // the root group closed
            EndGroup();
        } else if (c == '\\') {
            pos = ControlWord(pos + 1);
        } else if (c == '\r' || c == '\n') {
            ++pos;
        } else {
            TextByte(static_cast<unsigned char>(c));
            ++pos;
        }
    }
    return Finish(!stop_);
}

bool RtfParser::Finish(bool complete) {
    FlushBytes();
    Story& body = stories_[0];
    if (complete && !body.cur.empty()) Emit(0, body.cur + u'\r');
    paragraphs = std::move(body_);
    if (titleStory_ > 0) title = stories_[static_cast<std::size_t>(titleStory_)].cur;
    sections = std::move(sections_);
    storyTexts.resize(stories_.size());
    for (std::size_t i = 1; i < stories_.size(); ++i) storyTexts[i] = StoryText(stories_[i]);
    return complete;
}

std::u16string RtfParser::StoryText(const Story& s) {
    std::u16string t;
    for (const auto& p : s.paragraphs) t += p;
    if (!s.cur.empty()) t += s.cur + u'\r';
    return t.empty() ? u"\r" : t;
}

void RtfParser::EndGroup() {
    GroupState closing = stack_.back();
    stack_.pop_back();
    if (closing.dest == Dest::StyleSheet && stack_.size() == sheetDepth_) EndStyle();
    if (closing.dest == Dest::StyleSheet && stack_.size() + 1 == sheetDepth_) sheetDepth_ = 0;
    if (closing.dest == Dest::Text && closing.story > 0 && maxBoxes_ &&
        (stack_.empty() || stack_.back().story != closing.story)) {
        // A box's last paragraph without \par closes with its group.
        Story& s = stories_[static_cast<std::size_t>(closing.story)];
        if (!s.cur.empty() && BoxOf(closing.story)) {
            stack_.push_back(closing);
            Emit(closing.story, s.cur + u'\r');
            stack_.pop_back();
        }
        if (BoxOf(closing.story) && boxes.size() >= maxBoxes_) stop_ = true;
    }
    if (closing.headerKind >= 0 && closing.story > 0) {
        // The story's unfinished paragraph closes with the group.
        Story& s = stories_[static_cast<std::size_t>(closing.story)];
        if (!s.cur.empty()) s.paragraphs.push_back(s.cur + u'\r'), s.cur.clear();
        SectionStories& sec = sections_.back();
        auto& slot = closing.headerKind < 3 ? sec.header : sec.footer;
        slot[static_cast<std::size_t>(closing.headerKind % 3)] = closing.story;
    }
}

void RtfParser::Put(std::u16string_view text) {
    if (StyleName() && style_.name.size() < kMaxStyleNameChars) style_.name += text;
    if (G().story < 0 || G().dest != Dest::Text) return;
    Story& s = stories_[static_cast<std::size_t>(G().story)];
    s.cur += text;
    s.justEndedParagraph = false;
    if (facts_ && (G().story == 0 || (maxBoxes_ && BoxOf(G().story))) && !G().fmt.hidden)
        tally_.Add(text, G().fmt.TextHalfPoints(), G().fmt.TextBold(), Color(G().fmt.color));
}

int RtfParser::CodePage() const {
    long f = stack_.back().font;
    if (f < 0) f = defaultFont_;
    auto it = fontCodePage_.find(f);
    if (it != fontCodePage_.end() && it->second != 0) return it->second;
    return docCodePage_;
}

void RtfParser::TextByte(unsigned char b) {
    if (skip_ > 0) {
        --skip_;
        return;
    }
    if (G().dest == Dest::ColorTable && b == ';') return EndColor();
    if (G().story < 0 || (G().dest != Dest::Text && !StyleName())) return;
    int cp = CodePage();
    if (!bytes_.empty() && cp != bytesCodePage_) FlushBytes();
    bytesCodePage_ = cp;
    bytes_.push_back(static_cast<char>(b));
}

void RtfParser::FlushBytes() {
    if (bytes_.empty()) return;
    std::u16string out;
    bool ascii = true;
    for (char ch : bytes_)
        if (static_cast<unsigned char>(ch) >= 0x80) ascii = false;
    if (ascii) {
        for (char ch : bytes_) out.push_back(static_cast<unsigned char>(ch));
    } else {
        std::string name = fmt::CodePageName(bytesCodePage_);
        if (name.empty() || !fmt::DecodeCharset(out, bytes_, name))
            fmt::DecodeCharset(out, bytes_, "CP1252");
    }
    bytes_.clear();
    Put(out);
}

void RtfParser::Emit(int story, std::u16string text) {
    Story& s = stories_[static_cast<std::size_t>(story)];
    s.cur.clear();
    if (story == 0) {
        // The body keeps only what was asked for (and one more, which a
        // following \sect may still change).
        ++count;
        if (facts_ && !maxBoxes_ && breakAt_ && count > breakAt_) {
            // One past the first break: the leading paragraphs are known.
            stop_ = stoppedAtBreak = true;
        }
        if (body_.size() <= wantParas_)
            body_.push_back(Facts(std::move(text)));
        else
            bodyTailDropped_ = true;
        if (facts_ && !breakAt_ && body_.back().text.find(kPageBreak) != std::u16string::npos)
            breakAt_ = count;
    } else if (BoxStory* box = maxBoxes_ ? BoxOf(story) : nullptr) {
        // Formatted as the body is, outside its tables.
        const int row = row_, cell = cell_;
        if (box->paragraphs.size() < static_cast<std::size_t>(kMaxStoryFacts))
            box->paragraphs.push_back(Facts(std::move(text)));
        else
            tally_.Clear();
        row_ = row, cell_ = cell;
        box->paragraphs.back().tableRow = box->paragraphs.back().tableCell = 0;
    } else {
        s.paragraphs.push_back(std::move(text));
    }
    // One paragraph more than asked for: a \sect right after \par still
    // changes the paragraph before it.
    if (story == 0 && count > wantParas_ && sections_.size() > wantSections_) stop_ = true;
}

ParagraphFacts RtfParser::Facts(std::u16string text) {
    ParagraphFacts p;
    p.text = std::move(text);
    const Formatting& f = G().fmt;
    const bool cellEnd = p.text.ends_with(kCellEnd);
    if (!f.inTable && !cellEnd) row_ = 0;
    if (!row_ && (f.inTable || cellEnd)) row_ = 1, cell_ = 1;
    const int row = row_, cell = cell_;
    if (cellEnd && rowEnding_) {
        ++row_, cell_ = 1;
    } else if (cellEnd && f.inTable && nestedCell_ == 0) {
        ++cell_;
    }
    if (!facts_ || sheetDamaged_) {
        tally_.Clear();
        return p;
    }
    const RtfStyle* style = nullptr;
    auto it = styles_.find(f.style);
    if (it != styles_.end()) style = &it->second;
    const bool known = style || f.style == 0;
    if (known && tally_.Into(p)) {
        p.formatted = true;
        p.styleName = style ? style->name : std::u16string();
        p.styleId = style ? BuiltInStyleOfName(style->name) : kStiNormal;
        p.centered = f.centered;
        p.pageBreakBefore = f.pageBreakBefore;
        int level = f.outlineLevel;
        // A style states its level, or the style it is based on.
        for (int depth = 0; level < 0 && style && depth < kMaxStyleChain; ++depth) {
            level = style->outlineLevel;
            auto base = styles_.find(style->basedOn);
            style = base == styles_.end() || style->basedOn < 0 ? nullptr : &base->second;
        }
        if (level < 0 && p.styleId >= kStiHeading1 && p.styleId <= kStiHeading9)
            level = p.styleId - kStiHeading1;
        p.outlineLevel = level >= 0 && level <= 9 ? level : 9;
        if (row) p.tableRow = row, p.tableCell = cell;
    }
    tally_.Clear();
    return p;
}

uint32_t RtfParser::Color(long index) const {
    if (index <= 0 || static_cast<std::size_t>(index) >= colors_.size()) return kAutoColor;
    return colors_[static_cast<std::size_t>(index)];
}

void RtfParser::EndColor() {
    if (colors_.size() < kMaxRtfColors) colors_.push_back(colorSet_ ? color_ : kAutoColor);
    color_ = 0;
    colorSet_ = false;
}

void RtfParser::BeginStyle() {
    inStyle_ = true;
    style_ = RtfStyle{};
    styleIndex_ = 0;
    paragraphStyle_ = true;
}

void RtfParser::EndStyle() {
    if (!inStyle_) return;
    inStyle_ = false;
    std::u16string& name = style_.name;
    while (!name.empty() && name.back() == u' ') name.pop_back();
    if (name.empty() || name.back() != u';') {
        // An entry cut short: the sheet's names cannot be trusted.
        sheetDamaged_ = true;
        return;
    }
    name.pop_back();
    while (!name.empty() && name.front() == u' ') name.erase(0, 1);
    if (paragraphStyle_ && styles_.size() < kMaxRtfStyles) styles_.emplace(styleIndex_, style_);
}

void RtfParser::EndParagraph(const char16_t* mark) {
    FlushBytes();
    if (G().story < 0 || G().dest != Dest::Text) return;
    Story& s = stories_[static_cast<std::size_t>(G().story)];
    Emit(G().story, s.cur + mark);
    s.justEndedParagraph = std::u16string_view(mark) == u"\r";
}

void RtfParser::SectionBreak() {
    FlushBytes();
    if (G().story != 0 || G().dest != Dest::Text) return;
    Story& s = stories_[0];
    if (s.justEndedParagraph && s.cur.empty() && count > 0) {
        // "\par\sect": the section mark takes the place of that paragraph mark.
        if (!bodyTailDropped_ && !body_.empty()) body_.back().text.back() = kPageBreak;
        s.justEndedParagraph = false;
    } else {
        Emit(0, s.cur + kPageBreak);
    }
    sections_.emplace_back();
    if (count > wantParas_ && sections_.size() > wantSections_) stop_ = true;
}

BoxStory* RtfParser::BoxOf(int story) {
    // Boxes are few and opened in order: the latest is the one being read.
    for (auto it = boxes.rbegin(); it != boxes.rend(); ++it)
        if (it->story == story) return &*it;
    return nullptr;
}

void RtfParser::ShapeWord(std::string_view w, bool first) {
    if (!first) return;
    GroupState& g = G();
    if (w == "shpinst") return;  // stays a shape group
    if (w != "shptxt" || boxes.size() >= maxBoxes_) return SkipGroup();
    // The box's text, where the body paragraph being read anchors it.
    stories_.emplace_back();
    g.dest = Dest::Text;
    g.story = static_cast<int>(stories_.size()) - 1;
    g.fmt.Plain();
    g.fmt.Pard();
    tally_.Clear();
    boxes.push_back({g.story, static_cast<int>(std::min<std::size_t>(count, INT_MAX)), {}});
}

void RtfParser::OpenStory(int kind) {
    GroupState& g = G();
    if (g.story != 0 || g.dest != Dest::Text) {
        g.story = -1;  // a header inside something else: ignore
        return;
    }
    stories_.emplace_back();
    g.story = static_cast<int>(stories_.size()) - 1;
    g.headerKind = kind;
}

namespace {

bool IsAlpha(char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }

int Hex(char h) {
    if (h >= '0' && h <= '9') return h - '0';
    if (h >= 'a' && h <= 'f') return h - 'a' + 10;
    if (h >= 'A' && h <= 'F') return h - 'A' + 10;
    return -1;
}

}  // namespace

std::size_t RtfParser::ControlWord(std::size_t pos) {
    if (pos >= d_.size()) return pos;
    if (!IsAlpha(d_[pos])) return ControlSymbol(pos);
    std::size_t start = pos;
    while (pos < d_.size() && IsAlpha(d_[pos]) && pos - start < 32) ++pos;
    std::string_view word = d_.substr(start, pos - start);
    bool neg = false;
    long param = 0;
    if (pos < d_.size() && d_[pos] == '-') neg = true, ++pos;
    std::size_t digits = 0;
    while (pos < d_.size() && d_[pos] >= '0' && d_[pos] <= '9') {
        if (digits < 10) param = param * 10 + (d_[pos] - '0');
        ++digits;
        ++pos;
    }
    const bool hasParam = digits > 0;
    if (neg) param = -param;
    if (pos < d_.size() && d_[pos] == ' ') ++pos;

    if (word == "bin") {
        // Raw bytes follow; they are never text.
        FlushBytes();
        std::size_t n = hasParam && param > 0 ? static_cast<std::size_t>(param) : 0;
        if (skip_ > 0) --skip_;
        return n > d_.size() - pos ? d_.size() : pos + n;
    }
    if (word != "u") FlushBytes();
    if (skip_ > 0) {
        --skip_;
        return pos;
    }
    const bool first = G().firstWord;
    G().firstWord = false;
    Word(word, hasParam, param, first);
    return pos;
}

std::size_t RtfParser::ControlSymbol(std::size_t pos) {
    const char c = d_[pos];
    if (c == '\'') {
        const int hi = pos + 1 < d_.size() ? Hex(d_[pos + 1]) : -1;
        const int lo = pos + 2 < d_.size() ? Hex(d_[pos + 2]) : -1;
        if (hi < 0 || lo < 0) return pos + 1;
        TextByte(static_cast<unsigned char>(hi * 16 + lo));
        return pos + 3;
    }
    if (c == '*') {
        G().ignorable = true;
        return pos + 1;
    }
    FlushBytes();
    if (skip_ > 0) {
        --skip_;
        return pos + 1;
    }
    switch (c) {
        case '\\':
        case '{':
        case '}':
            TextByte(static_cast<unsigned char>(c));
            break;
        case '~':
            Put(u'\u00A0');
            break;
        case '-':
            Put(kSoftHyphen);
            break;
        case '_':
            Put(kNonBreakingHyphen);
            break;
        case '\r':
        case '\n':
            EndParagraph(u"\r");
            break;  // "\<newline>" is \par
        case '\t':
            Put(u'\t');
            break;
        default:
            break;
    }
    return pos + 1;
}

}  // namespace pelmora::word::rtf
