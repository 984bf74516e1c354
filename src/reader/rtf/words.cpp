// RTF control words: what each does in the destination it comes in.

#include <algorithm>
#include <iterator>

#include "reader/marks.h"
#include "reader/rtf/parser.h"
#include "reader/text/charset.h"
#include "reader/text/codepagetable.h"

namespace pelmora::word::rtf {

namespace {

// Windows code page of an RTF \fcharset value; 0 for "the document's".
int CharsetCodePage(long charset) {
    if (charset == 77) return 10000;  // Mac Roman, which Word's own table lacks
    if (charset < 0 || charset > 255) return 0;
    return static_cast<int>(CodePageOfCharset(static_cast<unsigned>(charset)));
}

// Destinations whose text never shows, sorted for a binary search.
constexpr std::string_view kSkipped[] = {
    "aftncn",
    "aftnsep",
    "aftnsepc",
    "annotation",
    "atnauthor",
    "atndate",
    "atnicn",
    "atnid",
    "atnparent",
    "atnref",
    "atntime",
    "atrfend",
    "atrfstart",
    "author",
    "bkmkend",
    "bkmkstart",
    "blipuid",
    "category",
    "colorschememapping",
    "comment",
    "company",
    "datafield",
    "datastore",
    "doccomm",
    "docvar",
    "ebcend",
    "ebcstart",
    "fchars",
    "filetbl",
    "fldinst",
    "fldtype",
    "footnote",
    "formfield",
    "ftncn",
    "ftnsep",
    "ftnsepc",
    "generator",
    "hlinkbase",
    "keywords",
    "latentstyles",
    "lchars",
    "listoverridetable",
    "listtable",
    "listtext",
    "macro",
    "manager",
    "mmathPr",
    "nextfile",
    "nonesttables",
    "nonshppict",
    "objdata",
    "oldcprops",
    "oldpprops",
    "oldsprops",
    "oldtprops",
    "operator",
    "password",
    "passwordhash",
    "pgdsc",
    "pgdsctbl",
    "picprop",
    "pn",
    "pntext",
    "private",
    "protusertbl",
    "result",
    "revtbl",
    "rsidtbl",
    "shpinst",
    "shptxt",
    "sn",
    "sp",
    "subject",
    "sv",
    "tc",
    "tcn",
    "template",
    "themedata",
    "txe",
    "userprops",
    "wgrffmtfilter",
    "xe",
    "xmlnstbl",
};
static_assert(std::is_sorted(std::begin(kSkipped), std::end(kSkipped)));

// Words that stand for one character, sorted.
struct Symbol {
    std::string_view word;
    char16_t c;
};
constexpr Symbol kSymbols[] = {
    {"bullet", u'\u2022'},  {"chftn", kNoteMark},     {"column", kColumnBreak},
    {"emdash", u'\u2014'},  {"emspace", u'\u2003'},   {"endash", u'\u2013'},
    {"enspace", u'\u2002'}, {"ldblquote", u'\u201C'}, {"line", kLineBreak},
    {"lquote", u'\u2018'},  {"ltrmark", u'\u200E'},   {"page", kPageBreak},
    {"qmspace", u'\u2005'}, {"rdblquote", u'\u201D'}, {"rquote", u'\u2019'},
    {"rtlmark", u'\u200F'}, {"tab", u'\t'},           {"zwj", u'\u200D'},
    {"zwnj", u'\u200C'},
};
static_assert(std::is_sorted(std::begin(kSymbols), std::end(kSymbols),
                             [](const Symbol& a, const Symbol& b) { return a.word < b.word; }));

const Symbol* FindSymbol(std::string_view w) {
    auto it = std::lower_bound(std::begin(kSymbols), std::end(kSymbols), w,
                               [](const Symbol& s, std::string_view v) { return s.word < v; });
    return it != std::end(kSymbols) && it->word == w ? it : nullptr;
}

}  // namespace

void RtfParser::Word(std::string_view w, bool hasParam, long param, bool first) {
    switch (G().dest) {
        case Dest::Skip:
            return;
        case Dest::StyleSheet:
            return StyleSheetWord(w, hasParam, param, first);
        case Dest::ColorTable:
            return ColorWord(w, param);
        case Dest::Info:
            return InfoWord(w, first);
        case Dest::FontTable:
            return FontWord(w, hasParam, param);
        case Dest::Shape:
            return ShapeWord(w, first);
        default:
            break;
    }
    // Destinations: the group's first control word names it.
    if (first && DestinationWord(w)) return;
    TextWord(w, hasParam, param);
}

void RtfParser::StyleSheetWord(std::string_view w, bool hasParam, long param, bool first) {
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
        if (G().ignorable || w == "keycode") SkipGroup();
    }
}

void RtfParser::ColorWord(std::string_view w, long param) {
    if (w != "red" && w != "green" && w != "blue") return;
    const int shift = w == "red" ? 16 : w == "green" ? 8 : 0;
    const uint32_t v = static_cast<uint32_t>(std::clamp(param, 0L, 255L));
    color_ = (color_ & ~(0xFFu << shift)) | v << shift;
    colorSet_ = true;
}

void RtfParser::InfoWord(std::string_view w, bool first) {
    if (!first) return;
    if (w == "title") {
        // Word writes the title twice: in the ANSI code page under \upr,
        // then in Unicode under \ud; the later one stays.
        if (titleStory_ == 0) {
            stories_.emplace_back();
            titleStory_ = static_cast<int>(stories_.size()) - 1;
        }
        Story& t = stories_[static_cast<std::size_t>(titleStory_)];
        t.cur.clear();
        t.paragraphs.clear();
        G().dest = Dest::Text;
        G().story = titleStory_;
    } else if (w != "upr" && w != "ud") {
        SkipGroup();
    }
}

void RtfParser::FontWord(std::string_view w, bool hasParam, long param) {
    if (!hasParam) return;
    if (w == "f")
        curFont_ = param;
    else if (w == "fcharset")
        fontCodePage_[curFont_] = CharsetCodePage(param);
    else if (w == "cpg" && param > 0)
        fontCodePage_[curFont_] = static_cast<int>(param);
}

bool RtfParser::DestinationWord(std::string_view w) {
    GroupState& g = G();
    if (w == "fonttbl") {
        g.dest = Dest::FontTable;
    } else if (w == "stylesheet" && g.story == 0 && sheetDepth_ == 0) {
        g.dest = Dest::StyleSheet;
        sheetDepth_ = stack_.size();
    } else if (w == "colortbl" && colors_.empty()) {
        g.dest = Dest::ColorTable;
    } else if (w == "info") {
        g.dest = Dest::Info;
    } else if (w == "header" || w == "headerr") {
        OpenStory(0);
    } else if (w == "headerf") {
        OpenStory(1);
    } else if (w == "headerl") {
        OpenStory(2);
    } else if (w == "footer" || w == "footerr") {
        OpenStory(3);
    } else if (w == "footerf") {
        OpenStory(4);
    } else if (w == "footerl") {
        OpenStory(5);
    } else if (w == "fldrslt" || w == "field" || w == "nesttableprops") {
        // Read as the text around them.
    } else if (w == "upr") {
        g.savedStory = g.story;
        g.story = -1;
    } else if (w == "ud") {
        if (stack_.size() >= 2) g.story = stack_[stack_.size() - 2].savedStory;
    } else if (w == "shppict" || w == "pict" || w == "object") {
        Put(kPictureMark);
        SkipGroup();
    } else if (w == "shp" || w == "do") {
        Put(kDrawingMark);
        SkipGroup();
        if (w == "shp" && maxBoxes_ && g.story == 0) g.dest = Dest::Shape;
    } else if (std::binary_search(std::begin(kSkipped), std::end(kSkipped), w) || g.ignorable) {
        SkipGroup();  // also any \* destination we do not know
    } else {
        return false;
    }
    return true;
}

// Words in running text: paragraph, cell, row and section ends, formatting,
// characters, Unicode escapes and the code page of what follows.
void RtfParser::TextWord(std::string_view w, bool hasParam, long param) {
    GroupState& g = G();
    if (w == "par") return EndParagraph(u"\r");
    if (w == "cell" || w == "nestcell") {
        nestedCell_ = w == "nestcell";
        EndParagraph(kCellEnd.data());
        nestedCell_ = false;
        return;
    }
    if (w == "row" || w == "nestrow") {
        rowEnding_ = w == "row";
        nestedCell_ = w == "nestrow";
        if (g.story >= 0 && g.dest == Dest::Text)
            Emit(g.story,
                 stories_[static_cast<std::size_t>(g.story)].cur + std::u16string(kCellEnd));
        rowEnding_ = nestedCell_ = false;
        return;
    }
    if (Format(g.fmt, w, hasParam, param)) return;
    if (w == "sect") return SectionBreak();
    if (w == "titlepg" || w == "sectd") {
        // Section 1's, as it stands when its first paragraph is read.
        if (g.story == 0 && g.dest == Dest::Text)
            sections_.back().titlePage = w == "titlepg" && (!hasParam || param != 0);
        return;
    }
    if (const Symbol* s = FindSymbol(w)) return Put(s->c);
    if (w == "u" && hasParam) {
        long v = param;
        if (v < 0) v += 65536;
        if (v >= 0 && v <= 0xFFFF) {
            FlushBytes();
            Put(static_cast<char16_t>(v));
        }
        skip_ = g.uc;
    } else if (w == "uc" && hasParam) {
        g.uc = param < 0 ? 0 : param > 16 ? 16 : static_cast<int>(param);
    } else if (w == "f" && hasParam) {
        g.font = param;
    } else if (w == "ansicpg" && hasParam) {
        if (!fmt::CodePageName(static_cast<int>(param)).empty())
            docCodePage_ = static_cast<int>(param);
    } else if (w == "deff" && hasParam) {
        defaultFont_ = param;
    } else if (w == "mac") {
        docCodePage_ = 10000;
    } else if (w == "pc") {
        docCodePage_ = 437;
    } else if (w == "pca") {
        docCodePage_ = 850;
    }
}

// Character and paragraph formatting words; false for other words.
bool RtfParser::Format(Formatting& f, std::string_view w, bool hasParam, long param) {
    const bool on = !hasParam || param != 0;
    auto size = [&] { return hasParam ? static_cast<int>(std::clamp(param, -1L, 100000L)) : 24; };
    if (w == "plain") {
        f.Plain();
    } else if (w == "pard") {
        f.Pard();
    } else if (w == "fs") {
        f.halfPoints = size();
    } else if (w == "b") {
        f.bold = on;
    } else if (w == "dbch") {
        f.script = RunScript::DoubleByte;
    } else if (w == "loch" || w == "hich" || w == "rtlch" || w == "ltrch") {
        f.script = RunScript::Other;
    } else if (w == "afs") {
        // After \rtlch it sizes right-to-left text, which is not told apart.
        if (f.script == RunScript::DoubleByte) f.eastAsianHalfPoints = size();
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

}  // namespace pelmora::word::rtf
