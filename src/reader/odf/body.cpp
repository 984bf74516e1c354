// OpenDocument text content (ODF 1.2 Part 1, 5 to 9): paragraphs and
// headings, lists, tables with spanned cells, notes, comments, frames and
// fields, turned into the paragraph texts Word gives for the same document.

#include <algorithm>
#include <charconv>
#include <climits>
#include <string>

#include "reader/limits.h"
#include "reader/marks.h"
#include "reader/odf/odf.h"
#include "reader/text/utf8.h"

namespace pelmora::word::odf {

using fmt::Ns;
using fmt::XmlAttrs;

namespace {

int Count(std::string_view v, int fallback) {
    int n = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec != std::errc() || end != v.data() + v.size() || n < 1) return fallback;
    return n;
}

// Text elements whose content never shows in the text: declarations, index
// sources, list labels, change records, ruby annotations.
bool HiddenTextElement(std::string_view local) {
    return local.ends_with("-decls") || local.ends_with("-source") || local == "tracked-changes" ||
           local == "number" || local == "ruby-text" || local == "deletion";
}

// Column bookkeeping of one table, for the cells that spans cover.
struct TableState {
    std::size_t col = 0;
    std::size_t owedInRow = 0;  // covered cells that a cell of this row spans
    // Per column: rows still covered below a cell that spans rows, and the
    // span's width at its first column (0 at the others).
    std::vector<std::pair<int, std::size_t>> below;
};

}  // namespace

struct TextReader::Impl {
    Impl(TextReader& out, std::size_t want, StyleSheet* styles, bool withFacts)
        : out(out),
          want(want),
          styles(styles),
          withFacts(withFacts && styles),
          cells([this](ParagraphFacts p) { Emit(std::move(p)); }) {}

    TextReader& out;
    std::size_t want;
    StyleSheet* styles;
    bool withFacts;
    CellLayout cells;

    int depth = 0;
    int skipDepth = 0;     // inside content that never shows
    bool drawing = false;  // the skip is a frame's or shape's
    std::vector<TableState> tables;
    bool blockSeen = false;  // a paragraph or table of the story has begun

    // The paragraph being read.
    bool inPara = false;
    int paraDepth = 0;
    bool breakAfter = false;  // the paragraph's style breaks the page after it
    std::u16string text;
    bool collapse = true;  // a space from the markup here is dropped
    ParagraphFacts facts;
    RunTally tally;
    std::vector<std::pair<int, TextProps>> runs;  // span depth, properties
    // Pages begun so far, by the breaks the markup shows; a page-number
    // field never laid out (stored as 0) shows the page it stands on.
    int page = 1;
    int pageField = 0;  // depth of the text:page-number being read
    std::size_t pageFieldStart = 0;

    void Emit(ParagraphFacts p) {
        ++out.count;
        if (out.paragraphs.size() <= want) out.paragraphs.push_back(std::move(p));
        out.full = out.paragraphs.size() > want;
    }

    void Skip() { skipDepth = depth; }

    void Put(std::u16string_view s) {
        if (!inPara || s.empty()) return;
        if (text.size() + s.size() > kMaxText) return;
        text += s;
        collapse = false;
        if (withFacts && !runs.empty()) Tally(s);
    }
    void Put(char16_t c) { Put(std::u16string_view(&c, 1)); }

    // Sizes and weights are the Western ones for all text, as a .docx of
    // the same document gives them (w:sz and w:b).
    void Tally(std::u16string_view s) {
        const TextProps& t = runs.back().second;
        if (tally.Counted() >= kMaxCountedChars) return;
        tally.Add(s, t.halfPoints.value_or(24), t.bold.value_or(false),
                  t.color.value_or(kAutoColor));
    }

    // Character data: ODF's white-space rule (Part 1, 6.1.2): tabs and line
    // ends are blanks, a run of blanks is one, and none starts a paragraph.
    void Characters(std::string_view utf8) {
        if (!inPara || skipDepth) return;
        std::u16string chunk;
        fmt::AppendUtf8(chunk, utf8);
        std::u16string kept;
        kept.reserve(chunk.size());
        for (char16_t c : chunk) {
            // The hyphens Word keeps as characters of their own.
            if (c == 0x00AD) c = kSoftHyphen;
            if (c == 0x2011) c = kNonBreakingHyphen;
            if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n') {
                Put(kept);
                kept.clear();
                if (collapse) continue;
                Put(u' ');
                collapse = true;
                continue;
            }
            kept.push_back(c);
        }
        Put(kept);
    }

    void BeginParagraph(bool heading, const XmlAttrs& a) {
        if (inPara) EndParagraph();  // a paragraph inside one: tag soup
        inPara = true;
        paraDepth = depth;
        text.clear();
        collapse = true;
        facts = ParagraphFacts{};
        tally.Clear();
        runs.clear();
        const std::string style(a.Get(Ns::Text, "style-name"));
        std::string master;
        breakAfter = false;
        if (styles) {
            const StyleSheet::Paragraph& p = styles->ParagraphStyle(style);
            master = p.masterPage;
            facts.pageBreakBefore = p.para.breakBefore.value_or(false);
            breakAfter = p.para.breakAfter.value_or(false);
            if (withFacts) {
                facts.formatted = true;
                facts.styleId = p.styleId;
                facts.styleName = p.name;
                facts.outlineLevel = p.outlineLevel;
                facts.centered = p.para.centered.value_or(false);
                facts.breakAfter = breakAfter;
                runs.emplace_back(depth, p.text);
            }
        }
        if (heading) {
            // A heading's own level; 1 when it states none.
            const int level = Count(a.Get(Ns::Text, "outline-level"), 1);
            if (facts.formatted && level <= 9) facts.outlineLevel = level - 1;
        }
        Block(master);
    }

    // A paragraph or table starts at the story's level: its page style
    // begins a section, and a page style change or a page break before it
    // ends the page (and, for a page style, the section) before it.
    void Block(const std::string& master) {
        if (cells.Depth() != 0) return;
        if (!blockSeen) {
            blockSeen = true;
            out.sections.push_back(master);
            return;
        }
        const bool newSection = !master.empty() && out.sections.size() < kMaxStoryParagraphs;
        if (newSection) out.sections.push_back(master);
        if (!newSection && !facts.pageBreakBefore) return;
        ++page;
        facts.pageBreakBefore = facts.formatted;
        if (out.paragraphs.empty() || out.paragraphs.size() != out.count) return;
        ParagraphFacts& last = out.paragraphs.back();
        if (last.formatted) last.breakAfter = true;
        // A section's last paragraph ends in the section mark, as in Word.
        if (newSection && last.text.ends_with(u'\r') && !last.text.ends_with(kCellEnd))
            last.text.back() = kPageBreak;
    }

    void EndParagraph() {
        if (!inPara) return;
        inPara = false;
        facts.text = std::move(text);
        text.clear();
        if (!facts.formatted || !tally.Into(facts)) {
            // Text alone: no formatting asked for, or a size no font has.
            ParagraphFacts plain;
            plain.text = std::move(facts.text);
            facts = std::move(plain);
        }
        if (breakAfter) ++page;
        cells.Paragraph(std::move(facts));
        facts = ParagraphFacts{};
        runs.clear();
    }

    void Span(const XmlAttrs& a) {
        if (!withFacts || runs.empty()) return;
        runs.emplace_back(depth, styles->TextStyle(std::string(a.Get(Ns::Text, "style-name")),
                                                   runs.back().second));
    }

    void TableStart(const XmlAttrs& a) {
        if (inPara) EndParagraph();  // a table inside a paragraph: tag soup
        std::string master;
        if (styles) master = styles->TableMaster(std::string(a.Get(Ns::Table, "style-name")));
        Block(master);
        cells.TableStart();
        tables.emplace_back();
    }

    void RowStart() {
        cells.RowStart();
        if (tables.empty()) return;
        tables.back().col = 0;
        tables.back().owedInRow = 0;
    }

    void CellStart(const XmlAttrs& a) {
        if (inPara) EndParagraph();
        cells.CellStart();
        if (tables.empty()) return;
        TableState& t = tables.back();
        const std::size_t span =
            static_cast<std::size_t>(Count(a.Get(Ns::Table, "number-columns-spanned"), 1));
        const int rows = Count(a.Get(Ns::Table, "number-rows-spanned"), 1);
        const std::size_t width = std::min(span, kMaxTableColumns);
        if (rows > 1) {
            if (t.below.size() < std::min(t.col + width, kMaxTableColumns))
                t.below.resize(std::min(t.col + width, kMaxTableColumns));
            for (std::size_t c = t.col; c < t.col + width && c < t.below.size(); ++c)
                t.below[c] = {rows - 1, c == t.col ? width : 0};
        }
        t.owedInRow = width - 1;
        t.col = std::min(t.col + width, kMaxTableColumns);
    }

    // A covered cell stands for part of a spanning cell. Word keeps a cell
    // that spans rows as one cell in each row (the lower ones empty), and
    // one that spans columns as one cell.
    void CoveredCell() {
        if (inPara) EndParagraph();
        if (tables.empty()) return;
        TableState& t = tables.back();
        // The columns of a span to the left were counted with its cell.
        if (t.owedInRow > 0) return void(--t.owedInRow);
        const std::size_t col = t.col;
        t.col = std::min(t.col + 1, kMaxTableColumns);
        if (col >= t.below.size() || t.below[col].first <= 0) return;
        --t.below[col].first;
        if (t.below[col].second == 0) return;  // inside a span begun to the left
        for (std::size_t c = col + 1; c < col + t.below[col].second && c < t.below.size(); ++c)
            if (t.below[c].first > 0) --t.below[c].first;
        t.owedInRow = t.below[col].second - 1;
        t.col = std::min(col + t.below[col].second, kMaxTableColumns);
        cells.CellStart();
        cells.CellEnd();
    }

    void TextStart(std::string_view local, const XmlAttrs& a) {
        if (local == "p" || local == "h") return BeginParagraph(local == "h", a);
        if (local == "span") return Span(a);
        if (local == "s") {
            const int n = std::min(Count(a.Get(Ns::Text, "c"), 1), kMaxSpaces);
            Put(std::u16string(static_cast<std::size_t>(n), u' '));
            return;
        }
        if (local == "tab") return Put(u'\t');
        if (local == "soft-page-break") return void(++page);
        if (local == "page-number" && inPara && !pageField) {
            pageField = depth;
            pageFieldStart = text.size();
            return;
        }
        if (local == "line-break") return Put(kLineBreak);
        if (local == "note") return Put(kNoteMark), Skip();
        if (HiddenTextElement(local)) return Skip();
    }

    void Start(Ns ns, std::string_view local, const XmlAttrs& a) {
        ++depth;
        if (skipDepth) return;
        switch (ns) {
            case Ns::Text:
                return TextStart(local, a);
            case Ns::Table:
                if (local == "table") return TableStart(a);
                if (local == "table-row") return RowStart();
                if (local == "table-cell") return CellStart(a);
                if (local == "covered-table-cell") return CoveredCell(), Skip();
                return;
            case Ns::Office:
                if (local == "annotation") return Put(kCommentMark), Skip();
                if (local == "forms" || local == "event-listeners") return Skip();
                return;
            case Ns::Draw:
                // A frame or shape where it is anchored: an inline picture as
                // U+0001, a floating one as U+0008; its content is its own story.
                if (local == "a") return;
                if (inPara)
                    Put(a.Get(Ns::Text, "anchor-type") == "as-char" ? kPictureMark : kDrawingMark);
                drawing = true;
                return Skip();
            default:
                return;
        }
    }

    void PageFieldEnd() {
        pageField = 0;
        if (pageFieldStart > text.size()) return;
        const std::u16string_view shown = std::u16string_view(text).substr(pageFieldStart);
        const bool number = !shown.empty() && shown.front() != u'0' &&
                            std::all_of(shown.begin(), shown.end(),
                                        [](char16_t c) { return c >= u'0' && c <= u'9'; });
        if (number) return;
        text.resize(pageFieldStart);
        for (char c : std::to_string(page)) Put(static_cast<char16_t>(c));
    }

    void End(Ns ns, std::string_view local) {
        if (skipDepth) {
            if (depth == skipDepth) skipDepth = 0, drawing = false;
            --depth;
            return;
        }
        if (pageField == depth) PageFieldEnd();
        if (inPara && depth == paraDepth) {
            EndParagraph();
        } else if (!runs.empty() && runs.back().first == depth && runs.size() > 1) {
            runs.pop_back();
        } else if (ns == Ns::Table) {
            if (local == "table") {
                if (inPara) EndParagraph();
                cells.TableEnd();
                if (!tables.empty()) tables.pop_back();
            } else if (local == "table-row") {
                cells.RowEnd();
            } else if (local == "table-cell") {
                if (inPara) EndParagraph();
                cells.CellEnd();
            }
        }
        --depth;
    }
};

TextReader::TextReader(std::size_t wantParas, StyleSheet* styles, bool facts)
    : impl_(new Impl(*this, wantParas, styles, facts)), styles_(styles), facts_(facts) {}

TextReader::~TextReader() { delete impl_; }

void TextReader::Start(Ns ns, std::string_view local, const XmlAttrs& a) {
    if (box_) {
        ++boxLevel_;
        return box_->Start(ns, local, a);
    }
    // A frame's text box, its own story; the frame stays skipped for the
    // text around it, and the box's own elements never reach it.
    if (boxes && ns == Ns::Draw && local == "text-box" && impl_->drawing &&
        impl_->skipDepth == impl_->depth) {
        if (boxes->size() >= maxBoxes) return;
        box_ =
            std::make_unique<TextReader>(static_cast<std::size_t>(kMaxStoryFacts), styles_, facts_);
        boxLevel_ = 0;
        boxAnchor_ = count;
        return;
    }
    impl_->Start(ns, local, a);
}

void TextReader::End(Ns ns, std::string_view local) {
    if (box_) {
        if (boxLevel_-- > 0) return box_->End(ns, local);
        box_->Done();
        TextBox box;
        box.anchor = static_cast<int>(std::min<std::size_t>(boxAnchor_, INT_MAX));
        box.paragraphs = std::move(box_->paragraphs);
        if (box.paragraphs.size() > static_cast<std::size_t>(kMaxStoryFacts))
            box.paragraphs.resize(static_cast<std::size_t>(kMaxStoryFacts));
        box_.reset();
        const bool ink = std::any_of(box.paragraphs.begin(), box.paragraphs.end(), [](auto& p) {
            return std::any_of(p.text.begin(), p.text.end(), InkChar);
        });
        if (ink) boxes->push_back(std::move(box));
        return;
    }
    if (boxes && ns == Ns::Draw && local == "text-box" && impl_->drawing &&
        impl_->skipDepth == impl_->depth)
        return;  // a box left out past maxBoxes
    impl_->End(ns, local);
}

void TextReader::Text(std::string_view utf8) {
    if (box_) return box_->Text(utf8);
    impl_->Characters(utf8);
}

void TextReader::Done() {
    impl_->EndParagraph();
    impl_->cells.Finish();
}

}  // namespace pelmora::word::odf
