// RTF: a single pass over the control words with a group stack; text goes
// to the story the current destination names (body, a header or footer, or
// nowhere for tables of fonts, pictures, field codes and the like).

#include <algorithm>
#include <array>
#include <climits>
#include <map>
#include <string_view>
#include <vector>

#include "reader/document.h"
#include "reader/io/readfile.h"
#include "reader/open.h"
#include "reader/openers.h"
#include "reader/story.h"
#include "reader/text/charset.h"
#include "reader/text/codepagetable.h"

namespace pelmora::word {

namespace {

// Paragraph texts of one story, as Word gives them.
struct Story {
    std::vector<std::u16string> paragraphs;
    std::u16string cur;
    bool justEndedParagraph = false;  // nothing since the last \par
};

struct SectionStories {
    // 0 primary, 1 first page, 2 even pages; -1 none.
    std::array<int, 3> header{-1, -1, -1}, footer{-1, -1, -1};
};

// Windows code page of an RTF \fcharset value; 0 for "the document's".
int CharsetCodePage(long charset) {
    if (charset == 77) return 10000;  // Mac Roman, which Word's own table lacks
    if (charset < 0 || charset > 255) return 0;
    return static_cast<int>(CodePageOfCharset(static_cast<unsigned>(charset)));
}

enum class Dest { Text, Skip, FontTable, Upr, StyleSheet, ColorTable, Info };

// Which characters the associated properties (\afs, \ab) that follow apply
// to: \dbch names the East Asian ones, which some writers size apart from
// the Latin ones (\fs, \b) and put under \dbch for the text itself.
enum class RunScript { Other, DoubleByte };

// What a paragraph's formatting needs of the character and paragraph state.
struct Formatting {
    int halfPoints = 24;  // \fs; RTF's default is 12 points
    bool bold = false;
    bool hidden = false;
    long color = 0;  // \cf: index into the colour table, 0 for auto
    RunScript script = RunScript::Other;
    int eastAsianHalfPoints = -1;  // \afs after \dbch; -1: as \fs
    int eastAsianBold = -1;        // \ab after \dbch; -1: as \b
    long style = 0;                // \s
    bool centered = false;
    int outlineLevel = -1;  // \outlinelevel, -1 when the paragraph states none
    bool pageBreakBefore = false;
    bool inTable = false;
    void Plain() {
        halfPoints = 24, bold = false, hidden = false, color = 0;
        script = RunScript::Other, eastAsianHalfPoints = -1, eastAsianBold = -1;
    }
    // Size and boldness of the text that comes now.
    int TextHalfPoints() const {
        return script == RunScript::DoubleByte && eastAsianHalfPoints >= 0 ? eastAsianHalfPoints
                                                                           : halfPoints;
    }
    bool TextBold() const {
        return script == RunScript::DoubleByte && eastAsianBold >= 0 ? eastAsianBold != 0 : bold;
    }
    void Pard() {
        style = 0, centered = false, outlineLevel = -1, pageBreakBefore = false, inTable = false;
    }
};

struct RtfStyle {
    std::u16string name;
    long basedOn = -1;
    int outlineLevel = -1;
};

struct GroupState {
    int story = 0;  // index into stories_, -1 while text is dropped
    Dest dest = Dest::Text;
    int uc = 1;
    long font = -1;
    int headerKind = -1;     // this group opened a header (0..2) or footer (3..5)
    int savedStory = -1;     // \upr: where \ud sends its text
    bool firstWord = true;   // no control word seen yet in this group
    bool ignorable = false;  // the group started with \*
    Formatting fmt;
};

class RtfParser {
  public:
    RtfParser(std::string_view data, std::size_t wantParas, std::size_t wantSections,
              bool facts = false)
        : d_(data), wantParas_(wantParas), wantSections_(wantSections), facts_(facts) {
        stories_.emplace_back();
        sections_.emplace_back();
    }

    // Returns true when the whole input was read.
    bool Run() {
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

    std::vector<ParagraphFacts> paragraphs;  // the body's first ones
    std::size_t count = 0;                   // all the body's paragraphs
    std::vector<SectionStories> sections;
    std::vector<std::u16string> storyTexts;  // headers and footers by story index
    std::u16string title;                    // {\info{\title ...}}
    bool tooDeep = false;                    // stopped at groups nested too deeply
    bool stoppedAtBreak = false;             // read with formatting up to the first break

  private:
    bool Finish(bool complete) {
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

    static std::u16string StoryText(const Story& s) {
        std::u16string t;
        for (const auto& p : s.paragraphs) t += p;
        if (!s.cur.empty()) t += s.cur + u'\r';
        return t.empty() ? u"\r" : t;
    }

    GroupState& G() { return stack_.back(); }

    void EndGroup() {
        GroupState closing = stack_.back();
        stack_.pop_back();
        if (closing.dest == Dest::StyleSheet && stack_.size() == sheetDepth_) EndStyle();
        if (closing.dest == Dest::StyleSheet && stack_.size() + 1 == sheetDepth_) sheetDepth_ = 0;
        if (closing.headerKind >= 0 && closing.story > 0) {
            // The story's unfinished paragraph closes with the group.
            Story& s = stories_[static_cast<std::size_t>(closing.story)];
            if (!s.cur.empty()) s.paragraphs.push_back(s.cur + u'\r'), s.cur.clear();
            SectionStories& sec = sections_.back();
            auto& slot = closing.headerKind < 3 ? sec.header : sec.footer;
            slot[static_cast<std::size_t>(closing.headerKind % 3)] = closing.story;
        }
    }

    bool StyleName() const { return inStyle_ && stack_.back().dest == Dest::StyleSheet; }

    // Appends decoded text to the current story.
    void Put(std::u16string_view text) {
        if (StyleName() && style_.name.size() < kMaxStyleNameChars) style_.name += text;
        if (G().story < 0 || G().dest != Dest::Text) return;
        Story& s = stories_[static_cast<std::size_t>(G().story)];
        s.cur += text;
        s.justEndedParagraph = false;
        if (facts_ && G().story == 0 && !G().fmt.hidden)
            tally_.Add(text, G().fmt.TextHalfPoints(), G().fmt.TextBold(), Color(G().fmt.color));
    }
    void Put(char16_t c) { Put(std::u16string_view(&c, 1)); }

    int CodePage() const {
        long f = stack_.back().font;
        if (f < 0) f = defaultFont_;
        auto it = fontCodePage_.find(f);
        if (it != fontCodePage_.end() && it->second != 0) return it->second;
        return docCodePage_;
    }

    void TextByte(unsigned char b) {
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

    // Decodes collected bytes at once, so that double-byte characters split
    // over two \'hh escapes come out whole.
    void FlushBytes() {
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

    void Emit(int story, std::u16string text) {
        Story& s = stories_[static_cast<std::size_t>(story)];
        s.cur.clear();
        if (story == 0) {
            // The body keeps only what was asked for (and one more, which a
            // following \sect may still change).
            ++count;
            if (facts_ && breakAt_ && count > breakAt_) {
                // One past the first break: the leading paragraphs are known.
                stop_ = stoppedAtBreak = true;
            }
            if (body_.size() <= wantParas_)
                body_.push_back(Facts(std::move(text)));
            else
                bodyTailDropped_ = true;
            if (facts_ && !breakAt_ && body_.back().text.find(u'\f') != std::u16string::npos)
                breakAt_ = count;
        } else {
            s.paragraphs.push_back(std::move(text));
        }
        // One paragraph more than asked for: a \sect right after \par still
        // changes the paragraph before it.
        if (story == 0 && count > wantParas_ && sections_.size() > wantSections_) stop_ = true;
    }

    // The body paragraph that ends now, with its formatting when asked for.
    ParagraphFacts Facts(std::u16string text) {
        ParagraphFacts p;
        p.text = std::move(text);
        const Formatting& f = G().fmt;
        const bool cellEnd = p.text.size() >= 2 && p.text.ends_with(u"\r\a");
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

    uint32_t Color(long index) const {
        if (index <= 0 || static_cast<std::size_t>(index) >= colors_.size()) return kAutoColor;
        return colors_[static_cast<std::size_t>(index)];
    }
    void EndColor() {
        if (colors_.size() < kMaxRtfColors) colors_.push_back(colorSet_ ? color_ : kAutoColor);
        color_ = 0;
        colorSet_ = false;
    }

    void BeginStyle() {
        inStyle_ = true;
        style_ = RtfStyle{};
        styleIndex_ = 0;
        paragraphStyle_ = true;
    }
    void EndStyle() {
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

    void EndParagraph(const char16_t* mark) {
        FlushBytes();
        if (G().story < 0 || G().dest != Dest::Text) return;
        Story& s = stories_[static_cast<std::size_t>(G().story)];
        Emit(G().story, s.cur + mark);
        s.justEndedParagraph = std::u16string_view(mark) == u"\r";
    }

    void SectionBreak() {
        FlushBytes();
        if (G().story != 0 || G().dest != Dest::Text) return;
        Story& s = stories_[0];
        if (s.justEndedParagraph && s.cur.empty() && count > 0) {
            // "\par\sect": the section mark takes the place of that paragraph mark.
            if (!bodyTailDropped_ && !body_.empty()) body_.back().text.back() = u'\f';
            s.justEndedParagraph = false;
        } else {
            Emit(0, s.cur + u'\f');
        }
        sections_.emplace_back();
        if (count > wantParas_ && sections_.size() > wantSections_) stop_ = true;
    }

    void OpenStory(int kind) {
        GroupState& g = G();
        if (g.story != 0 || g.dest != Dest::Text) {
            g.story = -1;  // a header inside something else: ignore
            return;
        }
        stories_.emplace_back();
        g.story = static_cast<int>(stories_.size()) - 1;
        g.headerKind = kind;
    }

    void SkipGroup() { G().dest = Dest::Skip; }

    std::size_t ControlWord(std::size_t pos) {
        if (pos >= d_.size()) return pos;
        char c = d_[pos];
        auto isAlpha = [](char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); };
        if (!isAlpha(c)) {
            // Control symbols.
            if (c == '\'') {
                auto hex = [](char h) -> int {
                    if (h >= '0' && h <= '9') return h - '0';
                    if (h >= 'a' && h <= 'f') return h - 'a' + 10;
                    if (h >= 'A' && h <= 'F') return h - 'A' + 10;
                    return -1;
                };
                int hi = pos + 1 < d_.size() ? hex(d_[pos + 1]) : -1;
                int lo = pos + 2 < d_.size() ? hex(d_[pos + 2]) : -1;
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
                    Put(u'\x1F');
                    break;
                case '_':
                    Put(u'\x1E');
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
        std::size_t start = pos;
        while (pos < d_.size() && isAlpha(d_[pos]) && pos - start < 32) ++pos;
        std::string_view word = d_.substr(start, pos - start);
        bool hasParam = false;
        bool neg = false;
        long param = 0;
        if (pos < d_.size() && d_[pos] == '-') neg = true, ++pos;
        std::size_t digits = 0;
        while (pos < d_.size() && d_[pos] >= '0' && d_[pos] <= '9') {
            if (digits < 10) param = param * 10 + (d_[pos] - '0');
            ++digits;
            ++pos;
        }
        hasParam = digits > 0;
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

    void Word(std::string_view w, bool hasParam, long param, bool first) {
        GroupState& g = G();
        if (g.dest == Dest::Skip) return;
        if (g.dest == Dest::StyleSheet) {
            if (!inStyle_) return;
            if (w == "s" && hasParam) {
                styleIndex_ = param;
            } else if (w == "cs" || w == "ds" || w == "ts" || w == "tsrowd") {
                paragraphStyle_ = false;
            } else if (w == "sbasedon" && hasParam) {
                style_.basedOn = param;
            } else if (w == "outlinelevel" && hasParam) {
                style_.outlineLevel = static_cast<int>(param);
            } else if (first && w != "s") {
                // Other destinations inside an entry (\*\keycode and the like).
                if (g.ignorable || w == "keycode") SkipGroup();
            }
            return;
        }
        if (g.dest == Dest::ColorTable) {
            if (w == "red" || w == "green" || w == "blue") {
                const int shift = w == "red" ? 16 : w == "green" ? 8 : 0;
                const uint32_t v = static_cast<uint32_t>(std::clamp(param, 0L, 255L));
                color_ = (color_ & ~(0xFFu << shift)) | v << shift;
                colorSet_ = true;
            }
            return;
        }
        if (g.dest == Dest::Info) {
            if (first && w == "title") {
                // Word writes the title twice: in the ANSI code page under
                // \upr, then in Unicode under \ud; the later one stays.
                if (titleStory_ == 0) {
                    stories_.emplace_back();
                    titleStory_ = static_cast<int>(stories_.size()) - 1;
                }
                Story& t = stories_[static_cast<std::size_t>(titleStory_)];
                t.cur.clear();
                t.paragraphs.clear();
                g.dest = Dest::Text;
                g.story = titleStory_;
            } else if (first && w != "upr" && w != "ud") {
                SkipGroup();
            }
            return;
        }
        if (g.dest == Dest::FontTable) {
            if (w == "f" && hasParam)
                curFont_ = param;
            else if (w == "fcharset" && hasParam)
                fontCodePage_[curFont_] = CharsetCodePage(param);
            else if (w == "cpg" && hasParam && param > 0)
                fontCodePage_[curFont_] = static_cast<int>(param);
            return;
        }
        // Destinations: the group's first control word names it.
        if (first) {
            if (w == "fonttbl") {
                g.dest = Dest::FontTable;
                return;
            }
            if (w == "stylesheet" && g.story == 0 && sheetDepth_ == 0) {
                g.dest = Dest::StyleSheet;
                sheetDepth_ = stack_.size();
                return;
            }
            if (w == "colortbl" && colors_.empty()) {
                g.dest = Dest::ColorTable;
                return;
            }
            if (w == "info") {
                g.dest = Dest::Info;
                return;
            }
            if (w == "header" || w == "headerr") return OpenStory(0);
            if (w == "headerf") return OpenStory(1);
            if (w == "headerl") return OpenStory(2);
            if (w == "footer" || w == "footerr") return OpenStory(3);
            if (w == "footerf") return OpenStory(4);
            if (w == "footerl") return OpenStory(5);
            if (w == "fldrslt" || w == "field" || w == "nesttableprops") return;
            if (w == "upr") {
                g.savedStory = g.story;
                g.story = -1;
                return;
            }
            if (w == "ud") {
                if (stack_.size() >= 2) g.story = stack_[stack_.size() - 2].savedStory;
                return;
            }
            if (w == "shppict") {
                Put(u'\x01');
                return SkipGroup();
            }
            if (w == "pict" || w == "object") {
                Put(u'\x01');
                return SkipGroup();
            }
            if (w == "shp" || w == "do") {
                Put(u'\x08');
                return SkipGroup();
            }
            static constexpr std::string_view kSkipped[] = {"listtable",
                                                            "listoverridetable",
                                                            "revtbl",
                                                            "rsidtbl",
                                                            "generator",
                                                            "xmlnstbl",
                                                            "themedata",
                                                            "colorschememapping",
                                                            "datastore",
                                                            "latentstyles",
                                                            "pgdsctbl",
                                                            "fldinst",
                                                            "footnote",
                                                            "annotation",
                                                            "atnid",
                                                            "atnauthor",
                                                            "tc",
                                                            "tcn",
                                                            "xe",
                                                            "txe",
                                                            "shpinst",
                                                            "shptxt",
                                                            "nonshppict",
                                                            "pntext",
                                                            "pn",
                                                            "listtext",
                                                            "filetbl",
                                                            "userprops",
                                                            "docvar",
                                                            "ftnsep",
                                                            "ftnsepc",
                                                            "aftnsep",
                                                            "aftnsepc",
                                                            "ftncn",
                                                            "aftncn",
                                                            "bkmkstart",
                                                            "bkmkend",
                                                            "template",
                                                            "nonesttables",
                                                            "private",
                                                            "mmathPr",
                                                            "fchars",
                                                            "lchars",
                                                            "pgdsc",
                                                            "wgrffmtfilter",
                                                            "fldtype",
                                                            "objdata",
                                                            "result",
                                                            "sp",
                                                            "sn",
                                                            "sv",
                                                            "picprop",
                                                            "blipuid",
                                                            "protusertbl",
                                                            "ebcstart",
                                                            "ebcend",
                                                            "oldcprops",
                                                            "oldpprops",
                                                            "oldsprops",
                                                            "oldtprops",
                                                            "password",
                                                            "passwordhash",
                                                            "comment",
                                                            "author",
                                                            "operator",
                                                            "keywords",
                                                            "subject",
                                                            "doccomm",
                                                            "company",
                                                            "category",
                                                            "manager",
                                                            "hlinkbase",
                                                            "formfield",
                                                            "datafield",
                                                            "atrfstart",
                                                            "atrfend",
                                                            "atnref",
                                                            "atndate",
                                                            "atnparent",
                                                            "atnicn",
                                                            "atntime",
                                                            "nextfile",
                                                            "macro"};
            for (std::string_view s : kSkipped)
                if (w == s) return SkipGroup();
            if (g.ignorable) return SkipGroup();  // \* before a destination we do not know
        }
        if (w == "par") return EndParagraph(u"\r");
        if (w == "cell" || w == "nestcell") {
            nestedCell_ = w == "nestcell";
            EndParagraph(u"\r\a");
            nestedCell_ = false;
            return;
        }
        if (w == "row" || w == "nestrow") {
            rowEnding_ = w == "row";
            nestedCell_ = w == "nestrow";
            if (g.story >= 0 && g.dest == Dest::Text)
                Emit(g.story, stories_[static_cast<std::size_t>(g.story)].cur + u"\r\a");
            rowEnding_ = nestedCell_ = false;
            return;
        }
        if (Format(g.fmt, w, hasParam, param)) return;
        if (w == "sect") return SectionBreak();
        if (w == "line") return Put(u'\v');
        if (w == "tab") return Put(u'\t');
        if (w == "page") return Put(u'\f');
        if (w == "column") return Put(u'\x0E');
        if (w == "chftn") return Put(u'\x02');
        if (w == "emdash") return Put(u'\u2014');
        if (w == "endash") return Put(u'\u2013');
        if (w == "bullet") return Put(u'\u2022');
        if (w == "lquote") return Put(u'\u2018');
        if (w == "rquote") return Put(u'\u2019');
        if (w == "ldblquote") return Put(u'\u201C');
        if (w == "rdblquote") return Put(u'\u201D');
        if (w == "emspace") return Put(u'\u2003');
        if (w == "enspace") return Put(u'\u2002');
        if (w == "qmspace") return Put(u'\u2005');
        if (w == "zwj") return Put(u'\u200D');
        if (w == "zwnj") return Put(u'\u200C');
        if (w == "ltrmark") return Put(u'\u200E');
        if (w == "rtlmark") return Put(u'\u200F');
        if (w == "u" && hasParam) {
            long v = param;
            if (v < 0) v += 65536;
            if (v >= 0 && v <= 0xFFFF) {
                FlushBytes();
                Put(static_cast<char16_t>(v));
            }
            skip_ = g.uc;
            return;
        }
        if (w == "uc" && hasParam) {
            g.uc = param < 0 ? 0 : param > 16 ? 16 : static_cast<int>(param);
            return;
        }
        if (w == "f" && hasParam) {
            g.font = param;
            return;
        }
        if (w == "ansicpg" && hasParam) {
            if (!fmt::CodePageName(static_cast<int>(param)).empty())
                docCodePage_ = static_cast<int>(param);
            return;
        }
        if (w == "deff" && hasParam) {
            defaultFont_ = param;
            return;
        }
        if (w == "mac")
            docCodePage_ = 10000;
        else if (w == "pc")
            docCodePage_ = 437;
        else if (w == "pca")
            docCodePage_ = 850;
    }

    // Character and paragraph formatting words; false for other words.
    static bool Format(Formatting& f, std::string_view w, bool hasParam, long param) {
        const bool on = !hasParam || param != 0;
        if (w == "plain") {
            f.Plain();
        } else if (w == "pard") {
            f.Pard();
        } else if (w == "fs") {
            f.halfPoints = hasParam ? static_cast<int>(std::clamp(param, -1L, 100000L)) : 24;
        } else if (w == "b") {
            f.bold = on;
        } else if (w == "dbch") {
            f.script = RunScript::DoubleByte;
        } else if (w == "loch" || w == "hich" || w == "rtlch" || w == "ltrch") {
            f.script = RunScript::Other;
        } else if (w == "afs") {
            // After \rtlch it sizes right-to-left text, which is not told apart.
            if (f.script == RunScript::DoubleByte)
                f.eastAsianHalfPoints =
                    hasParam ? static_cast<int>(std::clamp(param, -1L, 100000L)) : 24;
        } else if (w == "ab") {
            if (f.script == RunScript::DoubleByte) f.eastAsianBold = on;
        } else if (w == "v") {
            f.hidden = on;
        } else if (w == "cf") {
            f.color = hasParam ? param : 0;
        } else if (w == "s") {
            f.style = hasParam ? param : 0;
        } else if (w == "qc") {
            f.centered = true;
        } else if (w == "ql" || w == "qr" || w == "qj" || w == "qd" || w == "qt" || w == "qk") {
            f.centered = false;
        } else if (w == "outlinelevel") {
            f.outlineLevel = hasParam ? static_cast<int>(std::clamp(param, -1L, 9L)) : -1;
        } else if (w == "pagebb") {
            f.pageBreakBefore = on;
        } else if (w == "intbl") {
            f.inTable = on;
        } else {
            return false;
        }
        return true;
    }

    std::string_view d_;
    std::size_t wantParas_, wantSections_;
    bool facts_ = false;
    std::vector<ParagraphFacts> body_;
    RunTally tally_;
    std::vector<uint32_t> colors_;
    uint32_t color_ = 0;
    bool colorSet_ = false;
    std::map<long, RtfStyle> styles_;
    RtfStyle style_;
    long styleIndex_ = 0;
    std::size_t sheetDepth_ = 0;  // stack depth of the \stylesheet group, 0 outside it
    bool inStyle_ = false, paragraphStyle_ = true, sheetDamaged_ = false;
    int titleStory_ = 0;
    int row_ = 0, cell_ = 0;  // in the outermost table
    bool rowEnding_ = false, nestedCell_ = false;
    std::size_t breakAt_ = 0;  // the body paragraph holding the first break
    std::vector<GroupState> stack_;
    std::vector<Story> stories_;
    std::vector<SectionStories> sections_;
    std::map<long, int> fontCodePage_;
    long curFont_ = -1, defaultFont_ = -1;
    int docCodePage_ = 1252;
    std::string bytes_;
    int bytesCodePage_ = 1252;
    int skip_ = 0;
    bool stop_ = false;
    bool bodyTailDropped_ = false;
};

class RtfDocument : public StoryDocument {
  public:
    explicit RtfDocument(std::string data) : data_(std::move(data)) {
        // A byte-order mark or blank lines before the group are tolerated.
        bool utf16 = false;
        const std::size_t start = TextStart(data_, &utf16);
        if (start) data_.erase(0, start);
        if (utf16 || !data_.starts_with("{\\rtf")) throw WordError("not an RTF file");
    }

  private:
    void Learn(std::size_t wantParas, std::size_t wantSections) override {
        RtfParser p(data_, wantParas, wantSections, wantFacts_);
        const bool complete = p.Run();
        // Unless the file ended, the last paragraph and section read may still change.
        if (!complete && !p.sections.empty()) p.sections.pop_back();
        if (!complete && !p.paragraphs.empty() &&
            (p.paragraphs.size() > wantParas || p.stoppedAtBreak))
            p.paragraphs.pop_back();
        if (wantFacts_) title_ = std::move(p.title);
        Keep(std::move(p.paragraphs), {});
        if (p.tooDeep) throw WordError("RTF nested too deeply");
        if (p.sections.size() >= sections_.size()) {
            storyTexts_ = std::move(p.storyTexts);
            sections_.assign(p.sections.size(), {});
            for (std::size_t s = 0; s < p.sections.size(); ++s)
                for (std::size_t k = 0; k < 3; ++k) {
                    sections_[s].header[k] = Key(p.sections[s].header[k]);
                    sections_[s].footer[k] = Key(p.sections[s].footer[k]);
                }
        }
        if (complete) paragraphCount_ = p.count, sectionsComplete_ = true;
    }

    // Stories are numbered as the file opens them; a number that names none
    // leaves the slot to the previous section.
    std::string Key(int story) const {
        if (story <= 0 || static_cast<std::size_t>(story) >= storyTexts_.size()) return {};
        return std::to_string(story);
    }

    std::u16string StoryText(const std::string& key) override {
        const std::size_t story = std::stoul(key);
        return story < storyTexts_.size() ? storyTexts_[story] : u"\r";
    }

    std::u16string StoredTitle() override { return title_; }

    std::string data_;
    std::vector<std::u16string> storyTexts_;
    std::u16string title_;
};

}  // namespace

std::unique_ptr<DocumentImpl> OpenRtfBytes(std::string bytes) {
    return std::make_unique<RtfDocument>(std::move(bytes));
}

std::unique_ptr<DocumentImpl> OpenRtfDocument(const std::string& path) {
    return OpenRtfBytes(fmt::ReadFileCapped(path, kMaxRtfBytes));
}

}  // namespace pelmora::word
