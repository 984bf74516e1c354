#include "reader/binary/properties.h"

#include <algorithm>
#include <cstring>

#include "reader/binary/cfb.h"
#include "reader/io/littleendian.h"
#include "reader/limits.h"

namespace pelmora::word {

namespace {

constexpr uint32_t kMaxStyles = 4095;  // istd is 12 bits
constexpr uint32_t kFkp = 512;
constexpr uint32_t kNullIstd = 0x0FFF;

// The sprms used ([MS-DOC] 2.6.2, 2.6.1).
constexpr uint16_t kSprmPJc80 = 0x2403;
constexpr uint16_t kSprmPJc = 0x2461;
constexpr uint16_t kSprmPFPageBreakBefore = 0x2407;
constexpr uint16_t kSprmPFInTable = 0x2416;
constexpr uint16_t kSprmPFTtp = 0x2417;
constexpr uint16_t kSprmPOutLvl = 0x2640;
constexpr uint16_t kSprmPItap = 0x6649;
constexpr uint16_t kSprmPDtap = 0x664A;
constexpr uint16_t kSprmPFInnerTtp = 0x244C;
constexpr uint16_t kSprmPChgTabs = 0xC615;
constexpr uint16_t kSprmTDefTable = 0xD608;
constexpr uint16_t kSprmTDefTable10 = 0xD606;
constexpr uint16_t kSprmCFBold = 0x0835;
constexpr uint16_t kSprmCFVanish = 0x083C;
constexpr uint16_t kSprmCIstd = 0x4A30;
constexpr uint16_t kSprmCIco = 0x2A42;
constexpr uint16_t kSprmCHps = 0x4A43;
constexpr uint16_t kSprmCCv = 0x6870;

// Walks a grpprl ([MS-DOC] 2.2.5.1: the operand size follows from spra),
// calling f(sprm, operand, size) for each; false when a sprm runs past the end.
template <class F>
bool ForEachSprm(const unsigned char* p, size_t n, F f) {
    size_t i = 0;
    // Each sprm takes at least 3 bytes, so this bounds the walk.
    while (i + 2 <= n) {
        uint16_t sprm = Le16(p + i);
        size_t op = i + 2;
        size_t size;
        switch (sprm >> 13) {
            case 0:
            case 1:
                size = 1;
                break;
            case 2:
            case 4:
            case 5:
                size = 2;
                break;
            case 3:
                size = 4;
                break;
            case 7:
                size = 3;
                break;
            default:
                if (sprm == kSprmTDefTable || sprm == kSprmTDefTable10) {
                    // A 2-byte count, itself plus one, of what follows.
                    if (op + 2 > n) return false;
                    size = Le16(p + op) + 1;
                } else if (sprm == kSprmPChgTabs && op < n && p[op] == 255) {
                    // [MS-DOC] 2.9.148: deleted tabs (4 bytes each), then added (3).
                    size_t k = op + 1;
                    if (k >= n) return false;
                    k += 1 + 4 * size_t(p[k]);
                    if (k >= n) return false;
                    k += 1 + 3 * size_t(p[k]);
                    size = k - op;
                } else {
                    if (op >= n) return false;
                    size = 1 + size_t(p[op]);
                }
        }
        if (size > n - op) return false;
        f(sprm, p + op, size);
        i = op + size;
    }
    // A single stray byte of padding is harmless.
    return true;
}

constexpr uint16_t kSprmSFTitlePage = 0x300A;

std::u16string Lower(std::u16string_view s) {
    std::u16string o(s);
    for (char16_t& c : o)
        if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
    return o;
}

// "heading 3" / "标题 3" / "标题3": the level, or 0.
int HeadingLevel(std::u16string_view s, std::u16string_view word) {
    if (s.size() < word.size() + 1 || !s.starts_with(word)) return 0;
    std::u16string_view rest = s.substr(word.size());
    if (!rest.empty() && rest[0] == u' ') rest.remove_prefix(1);
    if (rest.size() != 1 || rest[0] < u'1' || rest[0] > u'9') return 0;
    return rest[0] - u'0';
}

}  // namespace

bool FindTitlePage(const unsigned char* p, size_t n, bool& titlePage) {
    return ForEachSprm(p, n, [&](uint16_t sprm, const unsigned char* op, size_t) {
        if (sprm == kSprmSFTitlePage) titlePage = op[0] != 0;
    });
}

int BuiltInStyleId(int sti, std::u16string_view name) {
    if (sti >= 0 && sti < kStiUser) return sti;
    // Aliases follow the name after commas ("heading 1,H1").
    std::u16string_view first = name.substr(0, name.find(u','));
    while (!first.empty() && first.front() == u' ') first.remove_prefix(1);
    while (!first.empty() && first.back() == u' ') first.remove_suffix(1);
    std::u16string n = Lower(first);
    if (n == u"title" || n == u"标题") return kStiTitle;
    if (n == u"subtitle" || n == u"副标题") return kStiSubtitle;
    if (int level = HeadingLevel(n, u"heading")) return kStiHeading1 + level - 1;
    if (int level = HeadingLevel(n, u"标题")) return kStiHeading1 + level - 1;
    return kStiUser;
}

uint32_t IcoColor(unsigned ico) {
    static constexpr uint32_t kIco[17] = {
        kAutoColor, 0x000000, 0x0000FF, 0x00FFFF, 0x00FF00, 0xFF00FF, 0xFF0000, 0xFFFF00, 0xFFFFFF,
        0x000080,   0x008080, 0x008000, 0x800080, 0x800000, 0x808000, 0x808080, 0xC0C0C0};
    return ico < 17 ? kIco[ico] : kAutoColor;
}

PropertyReader::PropertyReader(Stream& wordDoc, Stream& table, const Places& places)
    : wordDoc_(wordDoc), table_(table), places_(places) {
    ReadStyleSheet(places.fcStshf, places.lcbStshf);
}

PropertyReader::~PropertyReader() = default;

void PropertyReader::ReadStyleSheet(uint32_t fc, uint32_t lcb) {
    if (lcb < 2 + 18 || lcb > kMaxStyleSheetBytes || !table_.Holds(fc, lcb)) return;
    stsh_.resize(lcb);
    table_.Read(fc, stsh_.data(), lcb);
    const unsigned char* b = stsh_.data();
    // LPStshi, then one LPStd per style ([MS-DOC] 2.9.271).
    uint32_t cbStshi = Le16(b);
    if (cbStshi < 18 || cbStshi > lcb - 2) return;
    uint32_t cstd = Le16(b + 2);
    uint32_t cbBase = Le16(b + 4);
    // Word 97 writes 10 bytes of Stdf, Word 2000 and later 18.
    if (cbBase < 10 || cstd > kMaxStyles) return;
    styles_.resize(cstd);
    uint32_t pos = 2 + cbStshi;
    for (uint32_t istd = 0; istd < cstd; ++istd) {
        if (pos + 2 > lcb) return;
        uint32_t cbStd = Le16(b + pos);
        pos += 2;
        if (cbStd > lcb - pos) return;
        const uint32_t start = pos, end = pos + cbStd;
        pos = end;
        if (cbStd == 0) continue;  // an empty slot
        if (cbStd < cbBase + 2) return;
        StyleEntry e;
        const unsigned char* d = b + start;
        e.sti = Le16(d) & 0x0FFF;
        e.kind = Le16(d + 2) & 0x000F;
        e.istdBase = Le16(d + 2) >> 4;
        uint32_t cupx = Le16(d + 4) & 0x000F;
        // The name: a count, the UTF-16 units, a terminating zero.
        uint32_t q = start + cbBase;
        uint32_t cch = Le16(b + q);
        q += 2;
        if (uint64_t(cch) * 2 + 2 > end - q) return;
        e.namePos = q;
        e.nameLen = cch;
        q += 2 * cch + 2;
        // The UPXs: a paragraph style has its papx (istd first) then chpx, a
        // character style its chpx, a table style tapx, papx, chpx.
        for (uint32_t u = 0; u < cupx && u < 3; ++u) {
            if (q + 2 > end) break;
            uint32_t cb = Le16(b + q);
            q += 2;
            if (cb > end - q) return;
            uint32_t at = q, len = cb;
            q += cb + (cb & 1);
            bool papx = (e.kind == kStkParagraph && u == 0) || (e.kind == kStkTable && u == 1) ||
                        (e.kind == kStkList && u == 0);
            bool chpx = (e.kind == kStkParagraph && u == 1) ||
                        (e.kind == kStkCharacter && u == 0) || (e.kind == kStkTable && u == 2);
            if (papx && len >= 2) {
                e.papxPos = at + 2;
                e.papxLen = len - 2;
            } else if (chpx) {
                e.chpxPos = at;
                e.chpxLen = len;
            }
            if (q > end) break;
        }
        styles_[istd] = std::move(e);
    }
    paraState_.assign(cstd, 0);
    charState_.assign(cstd, 0);
    paraDone_.resize(cstd);
    charDone_.resize(cstd);
    ok_ = cstd > 0;
}

const StyleEntry* PropertyReader::Style(int istd) const {
    if (istd < 0 || size_t(istd) >= styles_.size() || !styles_[size_t(istd)]) return nullptr;
    return &*styles_[size_t(istd)];
}

std::u16string PropertyReader::Name(const StyleEntry& e) const {
    std::u16string name(e.nameLen, u'\0');
    for (uint32_t k = 0; k < e.nameLen; ++k)
        name[k] = char16_t(Le16(stsh_.data() + e.namePos + 2 * k));
    return name;
}

bool PropertyReader::ApplyParagraph(const unsigned char* p, size_t n, ParaProps& pp) const {
    return ForEachSprm(p, n, [&](uint16_t sprm, const unsigned char* op, size_t size) {
        switch (sprm) {
            case kSprmPJc80:
            case kSprmPJc:
                pp.centered = op[0] == 1;
                break;
            case kSprmPOutLvl:
                pp.outlineLevel = op[0] <= 9 ? op[0] : 9;
                break;
            case kSprmPFPageBreakBefore:
                pp.pageBreakBefore = op[0] != 0;
                break;
            case kSprmPFInTable:
                pp.inTable = op[0] != 0;
                if (pp.inTable && pp.itap == 0) pp.itap = 1;
                break;
            case kSprmPFTtp:
                pp.rowEnd = op[0] != 0;
                break;
            case kSprmPFInnerTtp:
                pp.innerRowEnd = op[0] != 0;
                break;
            case kSprmPItap:
                if (size == 4) {
                    uint32_t v = Le32(op);
                    pp.itap = v > 64 ? 64 : int(v);
                    pp.inTable = pp.itap > 0;
                }
                break;
            case kSprmPDtap:
                if (size == 4) {
                    int32_t v = int32_t(Le32(op));
                    if (v > -64 && v < 64) pp.itap = std::clamp(pp.itap + v, 0, 64);
                    pp.inTable = pp.itap > 0;
                }
                break;
            default:
                break;
        }
    });
}

bool PropertyReader::ApplyChars(const unsigned char* p, size_t n, CharProps& cp, CharProps style,
                                int depth) {
    bool good = true;
    bool ok = ForEachSprm(p, n, [&](uint16_t sprm, const unsigned char* op, size_t size) {
        switch (sprm) {
            case kSprmCFBold:
                // 0x80: as the style has it; 0x81: the opposite.
                if (op[0] == 0x80)
                    cp.bold = style.bold;
                else if (op[0] == 0x81)
                    cp.bold = !style.bold;
                else
                    cp.bold = op[0] != 0;
                break;
            case kSprmCFVanish:
                if (op[0] == 0x80)
                    cp.vanish = style.vanish;
                else if (op[0] == 0x81)
                    cp.vanish = !style.vanish;
                else
                    cp.vanish = op[0] != 0;
                break;
            case kSprmCHps:
                if (size == 2) {
                    int v = Le16(op);
                    if (v >= 2 && v <= 3276) cp.halfPoints = v;
                }
                break;
            case kSprmCIco:
                cp.color = IcoColor(op[0]);
                break;
            case kSprmCCv:
                if (size == 4) {
                    // COLORREF: red, green, blue, then 0xFF for automatic.
                    cp.color = op[3] == 0xFF
                                   ? kAutoColor
                                   : (uint32_t(op[0]) << 16 | uint32_t(op[1]) << 8 | op[2]);
                }
                break;
            case kSprmCIstd: {
                // A character style: its own chain over what the text has so far.
                if (depth > 0 || size != 2) break;
                int istd = Le16(op);
                std::vector<int> chain;
                for (int s = istd; s != int(kNullIstd) && chain.size() < size_t(kMaxStyleChain);) {
                    const StyleEntry* e = Style(s);
                    if (!e || e->kind != kStkCharacter) break;
                    chain.push_back(s);
                    s = e->istdBase;
                }
                for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
                    const StyleEntry& e = *Style(*it);
                    CharProps before = cp;
                    if (!ApplyChars(stsh_.data() + e.chpxPos, e.chpxLen, cp, before, depth + 1))
                        good = false;
                }
                // Later toggles are relative to the character style.
                style = cp;
                break;
            }
            default:
                break;
        }
    });
    return ok && good;
}

bool PropertyReader::ResolvePara(int istd, ParaProps& out, int depth) {
    const StyleEntry* e = Style(istd);
    if (!e || depth > kMaxStyleChain) return false;
    size_t i = size_t(istd);
    if (paraState_[i] == 1) {
        out = paraDone_[i];
        return true;
    }
    if (paraState_[i] == 2) return false;
    ParaProps pp;
    if (e->istdBase != int(kNullIstd) && !ResolvePara(e->istdBase, pp, depth + 1)) {
        paraState_[i] = 2;
        return false;
    }
    // Word's heading styles carry their outline level without a sprm.
    if (e->sti >= kStiHeading1 && e->sti <= kStiHeading9) pp.outlineLevel = e->sti - 1;
    if (!ApplyParagraph(stsh_.data() + e->papxPos, e->papxLen, pp)) {
        paraState_[i] = 2;
        return false;
    }
    // Table membership belongs to the paragraph, never to its style.
    pp.inTable = false;
    pp.itap = 0;
    pp.rowEnd = pp.innerRowEnd = false;
    pp.istd = istd;
    paraDone_[i] = pp;
    paraState_[i] = 1;
    out = pp;
    return true;
}

bool PropertyReader::ResolveChars(int istd, CharProps& out, int depth) {
    const StyleEntry* e = Style(istd);
    if (!e || depth > kMaxStyleChain) return false;
    size_t i = size_t(istd);
    if (charState_[i] == 1) {
        out = charDone_[i];
        return true;
    }
    if (charState_[i] == 2) return false;
    CharProps cp;
    if (e->istdBase != int(kNullIstd) && !ResolveChars(e->istdBase, cp, depth + 1)) {
        charState_[i] = 2;
        return false;
    }
    CharProps base = cp;
    if (!ApplyChars(stsh_.data() + e->chpxPos, e->chpxLen, cp, base, 1)) {
        charState_[i] = 2;
        return false;
    }
    charDone_[i] = cp;
    charState_[i] = 1;
    out = cp;
    return true;
}

bool PropertyReader::StyleChars(int istd, CharProps& out) {
    if (!ok_) return false;
    return ResolveChars(istd, out, 0);
}

const unsigned char* PropertyReader::FkpFor(uint32_t fcBte, uint32_t lcbBte, uint32_t fc) {
    // PlcBte: n + 1 FCs, then n page numbers.
    if (lcbBte < 12 || (lcbBte - 4) % 8 != 0 || !table_.Holds(fcBte, lcbBte)) return nullptr;
    const uint32_t n = (lcbBte - 4) / 8;
    Span& last = fcBte == places_.fcBtePapx ? lastPapx_ : lastChpx_;
    uint32_t pn;
    if (last.valid && last.lo <= fc && fc < last.hi) {
        pn = last.pn;
    } else {
        if (fc < table_.U32(fcBte) || fc >= table_.U32(fcBte + 4 * n)) return nullptr;
        uint32_t lo = 0, hi = n;  // aFC[lo] <= fc < aFC[hi]
        while (hi - lo > 1) {
            uint32_t mid = lo + (hi - lo) / 2;
            if (table_.U32(fcBte + 4 * mid) <= fc)
                lo = mid;
            else
                hi = mid;
        }
        pn = table_.U32(fcBte + 4 * (n + 1) + 4 * lo) & 0x3FFFFF;
        last = {true, table_.U32(fcBte + 4 * lo), table_.U32(fcBte + 4 * (lo + 1)), pn};
    }
    for (Page& pg : pages_)
        if (pg.pn == pn) return pg.bytes.data();
    if (!wordDoc_.Holds(uint64_t(pn) * kFkp, kFkp)) return nullptr;
    Page& pg = pages_[nextPage_];
    nextPage_ = (nextPage_ + 1) % pages_.size();
    pg.pn = UINT32_MAX;
    wordDoc_.Read(pn * kFkp, pg.bytes.data(), kFkp);
    pg.pn = pn;
    return pg.bytes.data();
}

bool PropertyReader::Paragraph(uint32_t fcMark, ParaProps& out) {
    if (!ok_) return false;
    const unsigned char* page = FkpFor(places_.fcBtePapx, places_.lcbBtePapx, fcMark);
    if (!page) return false;
    // PapxFkp ([MS-DOC] 2.9.175): crun + 1 FCs, crun 13-byte BxPaps, crun last.
    uint32_t crun = page[kFkp - 1];
    if (crun == 0 || 4 * (crun + 1) + 13 * crun > kFkp - 1) return false;
    uint32_t run = crun;
    for (uint32_t i = 0; i < crun; ++i) {
        if (Le32(page + 4 * i) <= fcMark && fcMark < Le32(page + 4 * (i + 1))) {
            run = i;
            break;
        }
    }
    if (run == crun) return false;
    uint32_t at = 2u * page[4 * (crun + 1) + 13 * run];
    int istd = 0;
    const unsigned char* grpprl = nullptr;
    size_t len = 0;
    if (at != 0) {
        // PapxInFkp: cb, or 0 and then cb'; 2cb - 1 (2cb') bytes of istd + grpprl.
        if (at + 1 >= kFkp - 1) return false;
        uint32_t cb = page[at];
        uint32_t data = at + 1, size = 2 * cb - 1;
        if (cb == 0) {
            data = at + 2;
            size = 2u * page[at + 1];
        }
        if (size < 2 || data + size > kFkp - 1) return false;
        istd = Le16(page + data);
        grpprl = page + data + 2;
        len = size - 2;
    }
    // A paragraph whose style is gone is shown in Normal.
    if (!Style(istd)) istd = 0;
    ParaProps pp;
    if (!ResolvePara(istd, pp, 0)) return false;
    if (grpprl && !ApplyParagraph(grpprl, len, pp)) return false;
    out = pp;
    return true;
}

bool PropertyReader::Chars(uint32_t fc, const CharProps& para, CharProps& out, uint32_t& lo,
                           uint32_t& hi) {
    if (!ok_) return false;
    const unsigned char* page = FkpFor(places_.fcBteChpx, places_.lcbBteChpx, fc);
    if (!page) return false;
    // ChpxFkp ([MS-DOC] 2.9.33): crun + 1 FCs, crun offsets, crun last.
    uint32_t crun = page[kFkp - 1];
    if (crun == 0 || 4 * (crun + 1) + crun > kFkp - 1) return false;
    uint32_t run = crun;
    for (uint32_t i = 0; i < crun; ++i) {
        if (Le32(page + 4 * i) <= fc && fc < Le32(page + 4 * (i + 1))) {
            run = i;
            break;
        }
    }
    if (run == crun) return false;
    lo = Le32(page + 4 * run);
    hi = Le32(page + 4 * (run + 1));
    out = para;
    uint32_t at = 2u * page[4 * (crun + 1) + run];
    if (at == 0) return true;
    if (at >= kFkp - 1) return false;
    uint32_t cb = page[at];
    if (at + 1 + cb > kFkp - 1) return false;
    return ApplyChars(page + at + 1, cb, out, para);
}

}  // namespace pelmora::word
