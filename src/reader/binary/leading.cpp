#include "reader/binary/properties.h"
#include "reader/binary/summaryinfo.h"
#include "reader/binary/worddoc.h"
#include "reader/marks.h"
#include "reader/story.h"

namespace pelmora::word {

// Formatting of the leading paragraphs: the paragraph's mark gives its
// paragraph properties (PAPX FKP, then the piece's Prm), each character's
// CP its character properties (CHPX FKP over the paragraph style's).

PropertyReader* BinaryDocument::Properties() {
    if (!propsTried_) {
        propsTried_ = true;
        if (!fib_.word6) {
            try {
                PropertyReader::Places at{fib_.stshf.fc,    fib_.stshf.lcb,  fib_.bteChpx.fc,
                                          fib_.bteChpx.lcb, fib_.btePapx.fc, fib_.btePapx.lcb};
                auto reader = std::make_unique<PropertyReader>(wordDoc_, table_, at);
                if (reader->Ok()) props_ = std::move(reader);
            } catch (const WordError&) {
            }
        }
    }
    return props_.get();
}

bool BinaryDocument::FcOf(uint32_t cp, uint32_t& fc, size_t& piece) {
    if (pieces_.size() < 2 || cp >= pieces_.back().cp) return false;
    piece = PieceAt(cp);
    const Piece& p = pieces_[piece];
    if (p.width == 0) return false;
    uint64_t off = uint64_t(p.pos) + uint64_t(cp - p.cp) * p.width;
    if (off > UINT32_MAX) return false;
    fc = uint32_t(off);
    return true;
}

bool BinaryDocument::PieceSprms(size_t piece, std::vector<unsigned char>& out) {
    // Only a Prm that names a Prc grpprl is applied; the single-sprm form
    // (Prm0) is ignored.
    out.clear();
    uint16_t prm = pieces_[piece].prm;
    if (!(prm & 1) || size_t(prm >> 1) >= prcs_.size()) return false;
    auto [pos, size] = prcs_[prm >> 1];
    out.resize(size);
    table_.Read(pos, out.data(), size);
    return true;
}

bool BinaryDocument::Describe(ParagraphFacts& p, const std::vector<uint32_t>& cps, uint32_t markCp,
                              ParaProps& pp) {
    PropertyReader* r = Properties();
    if (!r || cps.size() > p.text.size()) return false;
    uint32_t fcMark;
    size_t markPiece;
    if (!FcOf(markCp, fcMark, markPiece)) return false;
    if (!r->Paragraph(fcMark, pp)) return false;
    std::vector<unsigned char> prm;
    if (PieceSprms(markPiece, prm)) r->ApplyParagraph(prm.data(), prm.size(), pp);
    CharProps base;
    if (!r->StyleChars(pp.istd, base)) return false;

    RunTally tally;
    uint32_t lo = 1, hi = 0;
    size_t runPiece = SIZE_MAX, prmPiece = SIZE_MAX;
    CharProps run;
    for (size_t k = 0; k < cps.size() && tally.Counted() < kMaxCountedChars; ++k) {
        if (!InkChar(p.text[k])) continue;
        uint32_t fc;
        size_t piece;
        if (!FcOf(cps[k], fc, piece)) return false;
        if (fc < lo || fc >= hi || piece != runPiece) {
            if (!r->Chars(fc, base, run, lo, hi)) return false;
            if (piece != prmPiece) {
                PieceSprms(piece, prm);
                prmPiece = piece;
            }
            if (!prm.empty()) r->ApplyChars(prm.data(), prm.size(), run, base);
            runPiece = piece;
        }
        if (run.vanish) continue;
        tally.Add(std::u16string_view(&p.text[k], 1), run.halfPoints, run.bold, run.color);
    }
    if (!tally.Into(p)) return false;

    const StyleEntry* style = r->Style(pp.istd);
    p.formatted = true;
    if (style) p.styleName = r->Name(*style);
    p.styleId = style ? BuiltInStyleId(style->sti, p.styleName) : kStiNormal;
    p.outlineLevel = pp.outlineLevel;
    p.centered = pp.centered;
    p.pageBreakBefore = pp.pageBreakBefore;
    return true;
}

std::u16string BinaryDocument::StoredTitle() {
    auto summary = cf_.OpenStream(u"\x05SummaryInformation");
    return summary ? ReadTitleProperty(*summary) : std::u16string();
}

LeadingBody BinaryDocument::ReadLeading(int maxCount) {
    LeadingBody body;
    struct StopLog {
        std::vector<uint32_t>*& log;
        ~StopLog() { log = nullptr; }
    } stop{cpLog_};
    std::vector<uint32_t> cps;
    cps.reserve(1024);
    bool inTable = false;
    int row = 0, cell = 0;
    for (int n = 1; n <= maxCount; ++n) {
        // The end of the text, known without the exception asking would cost.
        if (n > 1 && scanPara_ == n - 1 && pendPos_ == pendLen_ && scanCp_ >= fib_.ccpText) break;
        cps.clear();
        cpLog_ = fib_.word6 ? nullptr : &cps;
        scanMarkValid_ = false;
        ParagraphFacts p;
        try {
            p.text = ParagraphText(n);
        } catch (const WordError&) {
            if (n == 1) throw;
            break;
        }
        cpLog_ = nullptr;
        p.breakAfter = p.text.find(kPageBreak) != std::u16string::npos;
        ParaProps pp;
        bool known = false;
        if (!fib_.word6) {
            try {
                known = scanMarkValid_ && Describe(p, cps, scanMark_, pp);
            } catch (const WordError&) {
                known = false;
            }
        }
        if (!known) {
            ParagraphFacts bare;
            bare.text = std::move(p.text);
            bare.breakAfter = p.breakAfter;
            p = std::move(bare);
        } else if (pp.inTable) {
            // Rows and cells of the outermost table: each 0x07 at depth 1
            // ends a cell, and the row-end mark (counted as the cell after
            // the last) ends the row.
            if (!inTable) inTable = true, row = 1, cell = 1;
            p.tableRow = row;
            p.tableCell = cell;
            const bool cellEnd = p.text.ends_with(kCellEnd);
            if (cellEnd && pp.itap <= 1) {
                if (pp.rowEnd)
                    ++row, cell = 1;
                else
                    ++cell;
            }
        } else {
            inTable = false;
        }
        const bool last = p.breakAfter;
        body.paragraphs.push_back(std::move(p));
        if (last) break;
    }
    return body;
}

}  // namespace pelmora::word
