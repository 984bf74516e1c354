// WordprocessingML stories (ECMA-376 Part 1, 17.3): paragraphs, runs,
// tables, fields and section properties, turned into the texts Word gives.

#include <algorithm>
#include <climits>
#include <exception>
#include <memory>

#include "reader/error.h"
#include "reader/limits.h"
#include "reader/marks.h"
#include "reader/ooxml/wordml.h"
#include "reader/text/utf8.h"
#include "reader/xml/sax.h"

namespace pelmora::word::ooxml {

using fmt::Ns;
using fmt::XmlAttrs;

namespace {

// Elements whose content never shows in the story's text.
bool HiddenContent(std::string_view local) {
    static constexpr std::string_view kHidden[] = {
        "instrText", "delInstrText", "delText", "txbxContent", "sdtPr",       "sdtEndPr",
        "tblPr",     "tblGrid",      "trPr",    "tcPr",        "customXmlPr", "smartTagPr"};
    return std::find(std::begin(kHidden), std::end(kHidden), local) != std::end(kHidden) ||
           local.ends_with("Change");
}

}  // namespace

int RefKind(std::string_view type) {
    if (type == "first") return 1;
    if (type == "even") return 2;
    return 0;  // "default", Word 2003's "odd", and anything unknown
}

void RootCheck::Start(Ns ns, std::string_view local, const XmlAttrs&) {
    isDocument = ns == Ns::W && local == root_;
    stop = true;
}

void ParseBytes(std::string_view bytes, fmt::SaxHandler& handler, const std::string& what) {
    fmt::XmlStream xml(handler, what);
    const std::size_t chunk = 1 << 16;
    for (std::size_t pos = 0;; pos += chunk) {
        const bool last = pos + chunk >= bytes.size();
        const std::size_t from = std::min(pos, bytes.size());
        if (!xml.Feed(bytes.data() + from, last ? bytes.size() - from : chunk, last) || last)
            return;
    }
}

// ---------------------------------------------------------------- reader

StoryReader::StoryReader(std::size_t wantParas, std::size_t wantSections, Styles* styles)
    : wantParas_(wantParas),
      wantSections_(wantSections),
      cells_([this](ParagraphFacts p) { Emit(std::move(p)); }),
      styles_(styles) {}

StoryReader::~StoryReader() = default;

std::vector<std::u16string> StoryReader::Texts() const {
    std::vector<std::u16string> texts;
    for (const auto& p : paragraphs) texts.push_back(p.text);
    return texts;
}

void StoryReader::Start(Ns ns, std::string_view local, const XmlAttrs& a) {
    stack_.push_back({ns, std::string(local)});
    if (box_) return box_->Start(ns, local, a);
    if (WordXmlStart(ns, local, a) || BoxStart(ns, local) || skipDepth_) return;
    if (ns == Ns::Mc) {
        if (local == "Fallback") Skip();  // the Choice is read
        return;
    }
    if (ns == Ns::Wp) return DrawingStart(ns, local);
    if (ns == Ns::M) {
        if (local == "t" && Parent(1, Ns::M, "r")) inText_ = true;
        return;
    }
    if (ns != Ns::W) return;
    if (sectDepth_) return SectionChild(local, a);
    if (PropertyStart(local, a) || StructureStart(local, a)) return;
    RunContentStart(local, a);
}

void StoryReader::DrawingStart(Ns, std::string_view local) {
    // A drawing's anchor: inline pictures show as U+0001, floating ones as
    // U+0008, the characters Word keeps in their place.
    if (local == "inline")
        Put(kPictureMark), SkipDrawing();
    else if (local == "anchor")
        Put(kDrawingMark), SkipDrawing();
}

bool StoryReader::BoxStart(Ns ns, std::string_view local) {
    if (!boxes) return false;
    if (drawing_ && ns == Ns::Mc && local == "Fallback" && !fallbackDepth_) {
        fallbackDepth_ = stack_.size();  // a group's other rendering of the same boxes
        return true;
    }
    if (ns != Ns::W || local != "txbxContent") return false;
    // Outside drawings (and inside skipped fallbacks, field codes, deletions)
    // a box's text is not shown.
    if (!drawing_ || fallbackDepth_ || !Visible()) return false;
    if (boxes->size() >= maxBoxes) return true;
    box_ = std::make_unique<StoryReader>(kMaxStoryFacts, 0, styles_);
    boxDepth_ = stack_.size();
    boxAnchor_ = count;
    return true;
}

void StoryReader::BoxEnd() {
    box_->End(Ns::W, "body");  // a paragraph left joined to the next
    TextBox box;
    box.anchor = static_cast<int>(std::min<std::size_t>(boxAnchor_, INT_MAX));
    box.paragraphs = std::move(box_->paragraphs);
    box_.reset();
    const bool ink = std::any_of(box.paragraphs.begin(), box.paragraphs.end(), [](const auto& p) {
        return std::any_of(p.text.begin(), p.text.end(), InkChar);
    });
    if (ink) boxes->push_back(std::move(box));
    if (boxes->size() >= maxBoxes) stop = true;
}

void StoryReader::SectionChild(std::string_view local, const XmlAttrs& a) {
    if (local == "titlePg") {
        const std::string_view v = a.Get(Ns::W, "val");
        curSect_.titlePage = !(v == "false" || v == "0" || v == "off");
    } else if (local == "headerReference" || local == "footerReference") {
        const auto k = static_cast<std::size_t>(RefKind(a.Get(Ns::W, "type")));
        (local == "headerReference" ? curSect_.header : curSect_.footer)[k] =
            std::string(a.Get(Ns::R, "id"));
    } else if (local == "hdr" || local == "ftr") {
        InlineStoryStart(local, a);
    } else if (local.ends_with("Change")) {
        Skip();
    }
}

// Paragraph and run properties, when formatting is asked for.
bool StoryReader::PropertyStart(std::string_view local, const XmlAttrs& a) {
    if (!styles_) return false;
    if (Parent(1, Ns::W, "pPr") && Parent(2, Ns::W, "p"))
        return ReadParaProp(local, a, pPr_, &pStyle_);
    if (!Parent(1, Ns::W, "rPr") || !Parent(2, Ns::W, "r")) return false;
    if (local == "rStyle") {
        rStyle_ = std::string(a.Get(Ns::W, "val"));
        runKnown_ = false;
        return true;
    }
    if (!ReadRunProp(local, a, rPr_)) return false;
    runKnown_ = false;
    return true;
}

// Paragraphs, runs, tables and section properties.
bool StoryReader::StructureStart(std::string_view local, const XmlAttrs&) {
    if (local == "p") {
        para_.clear();
        if (!carry_.empty())
            para_.swap(carry_);
        else
            tally_.Clear();
        markDeleted_ = false;
        sectBreak_ = false;
        pPr_ = {};
        pStyle_.clear();
    } else if (local == "r") {
        rPr_ = {};
        rStyle_.clear();
        runKnown_ = false;
    } else if (local == "sectPr") {
        sectDepth_ = stack_.size();
        curSect_ = SectionRefs{};
        if (Parent(1, Ns::W, "pPr")) sectBreak_ = true;
    } else if (local == "tbl") {
        cells_.TableStart();
    } else if (local == "tr") {
        cells_.RowStart();
    } else if (local == "tc") {
        cells_.CellStart();
    } else {
        return false;
    }
    return true;
}

// What a run holds: text, the characters Word keeps for breaks, symbols and
// references, fields, deletions, and parts that never show.
void StoryReader::RunContentStart(std::string_view local, const XmlAttrs& a) {
    const bool inRun = Parent(1, Ns::W, "r");
    if (local == "t") {
        if (inRun) inText_ = true;
    } else if (local == "tab" || local == "ptab") {
        if (inRun) Put(u'\t');
    } else if (local == "br") {
        // A page break stays in the paragraph as U+000C and a column break
        // as U+000E, as in Word's own text.
        const std::string_view type = a.Get(Ns::W, "type");
        if (inRun) Put(type == "page" ? kPageBreak : type == "column" ? kColumnBreak : kLineBreak);
    } else if (local == "cr") {
        Put(kLineBreak);
    } else if (local == "noBreakHyphen") {
        Put(kNonBreakingHyphen);
    } else if (local == "softHyphen") {
        Put(kSoftHyphen);
    } else if (local == "sym") {
        Put(kSymbolMark);
    } else if (local == "footnoteReference" || local == "endnoteReference") {
        Put(kNoteMark);
    } else if (local == "commentReference") {
        Put(kCommentMark);
    } else if (local == "fldChar") {
        FieldChar(a.Get(Ns::W, "fldCharType"));
    } else if (local == "del" || local == "moveFrom") {
        if (!Parent(1, Ns::W, "rPr"))
            Skip();
        else if (Parent(2, Ns::W, "pPr"))
            markDeleted_ = true;
    } else if (local == "pict" || local == "object") {
        Put(kPictureMark), SkipDrawing();
    } else if (HiddenContent(local)) {
        Skip();
    } else if (local == "altChunk") {
        // Only where paragraphs stand on their own: in the body, not in a table cell.
        if (altChunk && cells_.Depth() == 0 && Visible())
            for (auto& p : altChunk(std::string(a.Get(Ns::R, "id")))) {
                ParagraphFacts imported;  // formatting of imported pages is not read
                imported.text = std::move(p);
                Emit(std::move(imported));
            }
        Skip();
    }
}

void StoryReader::FieldChar(std::string_view type) {
    if (type == "begin") {
        fields_.push_back(false);
        ++inCode_;
    } else if (type == "separate") {
        if (!fields_.empty() && !fields_.back()) fields_.back() = true, --inCode_;
    } else if (type == "end") {
        if (!fields_.empty()) {
            if (!fields_.back()) --inCode_;
            fields_.pop_back();
        }
    }
}

void StoryReader::End(Ns ns, std::string_view local) {
    const std::size_t depth = stack_.size();
    if (!stack_.empty()) stack_.pop_back();
    if (box_) return depth == boxDepth_ ? BoxEnd() : box_->End(ns, local);
    if (WordXmlEnd(ns, local, depth)) return;
    if (skipDepth_) {
        if (depth == fallbackDepth_) fallbackDepth_ = 0;
        if (depth == skipDepth_) skipDepth_ = 0, drawing_ = false;
        return;
    }
    if (ns == Ns::M && local == "t") inText_ = false;
    if (ns != Ns::W) return;
    if (sectDepth_) {
        if (depth == sectDepth_) {
            sectDepth_ = 0;
            sections.push_back(curSect_);
            CheckDone();
        }
        return;
    }
    StructureEnd(local);
}

void StoryReader::StructureEnd(std::string_view local) {
    if (local == "t") {
        inText_ = false;
    } else if (local == "p") {
        EndParagraph();
    } else if (local == "tc") {
        cells_.CellEnd();
    } else if (local == "tr") {
        cells_.RowEnd();
    } else if (local == "tbl") {
        cells_.TableEnd();
    } else if (local == "body" || local == "hdr" || local == "ftr") {
        if (!carry_.empty()) {
            ParagraphFacts last;
            last.text = carry_ + u'\r';
            carry_.clear();
            Emit(std::move(last));
        }
    }
}

void StoryReader::Text(std::string_view utf8) {
    if (box_) return box_->Text(utf8);
    if (inline_) return inline_->Text(utf8);
    if (inTitle_ && titleProperty.size() < kMaxTitleChars) fmt::AppendUtf8(titleProperty, utf8);
    if (!inText_ || skipDepth_ || !Visible()) return;
    const std::size_t from = para_.size();
    fmt::AppendUtf8(para_, utf8);
    if (styles_) Count(std::u16string_view(para_).substr(from));
}

bool StoryReader::Parent(std::size_t up, Ns ns, std::string_view local) const {
    // stack_.back() is the element itself.
    if (stack_.size() < up + 1) return false;
    const Elem& e = stack_[stack_.size() - 1 - up];
    return e.ns == ns && e.local == local;
}

void StoryReader::Put(char16_t c) {
    if (!Visible()) return;
    para_.push_back(c);
    if (styles_ && InkChar(c)) Count(std::u16string_view(&c, 1));
}

// Counts visible text under the current run's properties.
void StoryReader::Count(std::u16string_view text) {
    if (!runKnown_) {
        run_ = rPr_;
        run_.Over(styles_->CharacterStyle(rStyle_));
        run_.Over(styles_->ParagraphStyle(pStyle_).r);
        runKnown_ = true;
    }
    if (run_.damaged) return tally_.Spoil();
    if (run_.vanish.value_or(false)) return;  // hidden text shows no ink
    tally_.Add(text, *run_.halfPoints, *run_.bold, *run_.color);
}

ParagraphFacts StoryReader::Facts(std::u16string text) {
    ParagraphFacts f;
    f.text = std::move(text);
    if (!styles_ || styles_->damaged || pPr_.damaged) return f;
    const Styles::Paragraph& style = styles_->ParagraphStyle(pStyle_);
    ParaProps pp = pPr_;
    pp.Over(style.p);
    if (pp.damaged || !tally_.Into(f)) {
        ParagraphFacts bare;
        bare.text = std::move(f.text);
        return bare;
    }
    f.formatted = true;
    f.styleId = style.styleId;
    f.styleName = style.name;
    f.outlineLevel = *pp.outlineLevel;
    f.centered = *pp.centered;
    f.pageBreakBefore = *pp.pageBreakBefore;
    f.breakAfter = sectBreak_;
    return f;
}

void StoryReader::EndParagraph() {
    if (markDeleted_ && !sectBreak_ && !cells_.InCell()) {
        // A deleted paragraph mark joins this paragraph to the next.
        carry_ = std::move(para_);
        para_.clear();
        return;
    }
    // A paragraph that ends a section ends in the section mark.
    cells_.Paragraph(Facts(std::move(para_)), sectBreak_ ? kPageBreak : u'\r');
    para_.clear();
}

void StoryReader::Emit(ParagraphFacts p) {
    ++count;
    // Formatting is asked for the leading paragraphs only: the first
    // break ends them.
    if (styles_ && !boxes && p.text.find(kPageBreak) != std::u16string::npos) stop = true;
    if (paragraphs.size() < wantParas_) paragraphs.push_back(std::move(p));
    CheckDone();
}

void StoryReader::CheckDone() {
    if (count >= wantParas_ && sections.size() >= wantSections_) stop = true;
}

// ---------------------------------------------------------------- document

void WordMlDocument::Learn(std::size_t wantParas, std::size_t wantSections) {
    // Parses the main part from the start as far as the question needs;
    // keeps the longest prefix of paragraphs and sections learnt so far.
    Styles* styles = wantFacts_ ? &LoadStyles() : nullptr;
    const auto make = [&] {
        auto r = std::make_unique<StoryReader>(wantParas, wantSections, styles);
        Prepare(*r);
        return r;
    };
    std::unique_ptr<StoryReader> reader = make();
    bool reachedEnd = false;
    std::exception_ptr damage;
    if (ScanMain(*reader)) {
        reachedEnd = !reader->stop;
    } else {
        reader = make();  // what the scanner gave goes
        try {
            ParseMain(*reader);
            reachedEnd = !reader->stop;
        } catch (const WordError&) {
            // Damaged XML after what was asked for still answers the question;
            // before it, the paragraphs read so far are kept all the same.
            if (!reader->stop) damage = std::current_exception();
        }
    }
    StoryReader& r = *reader;
    if (wantFacts_) mainTitle_ = r.titleProperty;
    std::vector<Section> sections(r.sections.size());
    for (std::size_t s = 0; s < sections.size(); ++s)
        for (std::size_t k = 0; k < 3; ++k) {
            const std::string at = std::to_string(s) + ":" + std::to_string(k);
            sections[s].header[k] =
                Key(r.sections[s].headerText[k], r.sections[s].header[k], "h" + at);
            sections[s].footer[k] =
                Key(r.sections[s].footerText[k], r.sections[s].footer[k], "f" + at);
        }
    for (std::size_t s = 0; s < sections.size(); ++s)
        sections[s].titlePage = r.sections[s].titlePage;
    Keep(std::move(r.paragraphs), std::move(sections));
    if (damage) std::rethrow_exception(damage);
    if (reachedEnd) paragraphCount_ = r.count, sectionsComplete_ = true;
}

std::vector<TextBox> WordMlDocument::LeadingTextBoxes(int maxBoxes) {
    std::vector<TextBox> boxes;
    auto read = [&](bool scan) {
        boxes.clear();
        StoryReader r(kLeadingParagraphs, 0, &LoadStyles());
        r.boxes = &boxes;
        r.maxBoxes = static_cast<std::size_t>(std::max(maxBoxes, 0));
        if (scan) return ScanMain(r);
        try {
            ParseMain(r);
        } catch (const WordError&) {
            // Damage further on: the boxes before it stand.
        }
        return true;
    };
    if (!read(true)) read(false);
    return boxes;
}

// Word 2003 XML keeps a story's text in the section itself; a package
// names the part by relationship id.
std::string WordMlDocument::Key(std::optional<std::u16string>& text, const std::string& id,
                                const std::string& where) {
    if (text) {
        std::string key = "text:" + where;
        inlineTexts_.emplace(key, std::move(*text));
        return key;
    }
    return id.empty() ? std::string() : "rel:" + id;
}

std::u16string WordMlDocument::StoryText(const std::string& key) {
    auto inlined = inlineTexts_.find(key);
    if (inlined != inlineTexts_.end()) return inlined->second;
    if (!key.starts_with("rel:")) return u"\r";
    return PartStory(key.substr(4));
}

}  // namespace pelmora::word::ooxml
