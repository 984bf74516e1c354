#include "reader/binary/worddoc.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "reader/binary/properties.h"
#include "reader/binary/summaryinfo.h"
#include "reader/text/codepagetable.h"

namespace pelmora::word {

namespace {

// Longest text handed out for one paragraph or story. Longer paragraphs are cut there (a title
// needs far less).
constexpr size_t kMaxText = 1u << 18;
// Far beyond real files (hundreds of pieces, about ten Prc records), and
// small enough to keep one open document within a few MiB.
constexpr size_t kMaxPieces = 1u << 15;
constexpr size_t kMaxPrcs = 1u << 14;
constexpr size_t kChunk = 512;

[[noreturn]] void Damaged(const char* what) {
    throw WordError(std::string("damaged document: ") + what);
}

// [MS-DOC] 2.9.73: bytes of compressed pieces are Latin-1 except these.
constexpr char16_t kFixed1252[32] = {
    0x0080, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x008E, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178,  // 98-9F
};

char16_t FromFixed1252(unsigned char b) {
    return (b >= 0x80 && b < 0xA0) ? kFixed1252[b - 0x80] : char16_t(b);
}

bool KnownWordIdent(uint16_t w) {
    // Word 97+, Word 6/95, and the Far East Word 95 variants.
    return w == 0xA5EC || w == 0xA5DC || w == 0xA697 || w == 0xA698 || w == 0xA699 || w == 0x8098 ||
           w == 0x8099;
}

bool FarEastWord95(uint16_t w) {
    return w == 0xA697 || w == 0xA698 || w == 0xA699 || w == 0x8098 || w == 0x8099;
}

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Operand size of a Word 6 section sprm (one-byte opcodes); -1 when unknown,
// -2 when the operand carries its own length byte.
int Word6SectionSprmSize(unsigned op) {
    switch (op) {
        case 131:
        case 132:
        case 138:
        case 139:
        case 142:
        case 143:
        case 146:
        case 147:
        case 150:
        case 151:
        case 152:
        case 153:
        case 158:
        case 159:
        case 162:
            return 1;
        case 140:
        case 141:
        case 144:
        case 145:
        case 148:
        case 149:
        case 154:
        case 155:
        case 156:
        case 157:
        case 160:
        case 161:
        case 164:
        case 165:
        case 166:
        case 167:
        case 168:
        case 169:
        case 170:
        case 171:
            return 2;
        case 136:
        case 137:
            return 3;
        case 163:
            return 0;
        case 133:
            return -2;
        default:
            return -1;
    }
}

constexpr unsigned kSprmSGprfIhdt = 153;

// Last sprmSGprfIhdt operand in a Word 6 grpprl, or -1. Stops at the first
// opcode whose size is unknown.
int FindIhdtMask(Stream& s, uint32_t pos, uint32_t end) {
    int mask = -1;
    while (pos < end) {
        unsigned op = s.U8(pos);
        int size = Word6SectionSprmSize(op);
        if (size == -1) break;
        uint32_t opnd = pos + 1;
        if (size == -2) {
            if (opnd >= end) break;
            size = 1 + s.U8(opnd);
        }
        if (opnd + uint32_t(size) > end) break;
        if (op == kSprmSGprfIhdt) mask = s.U8(opnd);
        pos = opnd + uint32_t(size);
    }
    return mask;
}

bool StartsWithWord(std::u16string_view s, std::u16string_view word) {
    if (s.size() < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        char16_t c = s[i];
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
        if (c != word[i]) return false;
    }
    return s.size() == word.size() || s[word.size()] == u' ';
}

// MACROBUTTON and GOTOBUTTON have no result: Word shows the text that follows
// the macro (or bookmark) name in the code.
std::u16string_view ButtonText(std::u16string_view code) {
    auto skip = [&](size_t i) {
        while (i < code.size() && code[i] == u' ') ++i;
        return i;
    };
    size_t i = skip(0);
    std::u16string_view rest = code.substr(i);
    if (!StartsWithWord(rest, u"MACROBUTTON") && !StartsWithWord(rest, u"GOTOBUTTON")) return {};
    i += rest.find(u' ') == std::u16string_view::npos ? rest.size() : rest.find(u' ');
    i = skip(i);
    while (i < code.size() && code[i] != u' ') ++i;
    i = skip(i);
    size_t e = code.size();
    while (e > i && code[e - 1] == u' ') --e;
    return code.substr(i, e - i);
}

void Append(std::u16string* out, char16_t c) {
    if (out && out->size() < kMaxText) out->push_back(c);
}

}  // namespace

// ---- fields ([MS-DOC] 2.8.25 PlcFld; field characters 0x13 0x14 0x15) ------

void FieldFilter::Reset() {
    depth_ = 0;
    hidden_ = 0;
    codeDepth_ = 0;
    code_.clear();
}

void FieldFilter::Feed(char16_t c, std::u16string* out) {
    switch (c) {
        case 0x13:
            if (depth_ >= kMaxOpen) return;  // absurd nesting: the rest stays hidden
            if (depth_ < kMaxDepth) inResult_[depth_] = false;
            ++depth_;
            if (++hidden_ == 1) {
                codeDepth_ = depth_;
                code_.clear();
            }
            return;
        case 0x14:
            if (depth_ > 0 && depth_ <= kMaxDepth && !inResult_[depth_ - 1]) {
                inResult_[depth_ - 1] = true;
                --hidden_;
            }
            return;
        case 0x15: {
            if (depth_ == 0) return;  // stray end mark: shown by nobody
            bool inCode = depth_ > kMaxDepth || !inResult_[depth_ - 1];
            if (inCode) --hidden_;
            if (inCode && hidden_ == 0 && codeDepth_ == depth_) {
                for (char16_t d : ButtonText(code_)) Append(out, d);
            }
            --depth_;
            return;
        }
        default:
            if (hidden_ == 0) {
                Append(out, c);
            } else if (hidden_ == 1 && depth_ == codeDepth_ && code_.size() < kMaxCode) {
                code_.push_back(c);
            }
    }
}

// ---- opening ---------------------------------------------------------------

BinaryDocument::BinaryDocument(std::unique_ptr<ByteSource> src)
    : BinaryDocument(std::move(src), nullptr, 0) {}

BinaryDocument::BinaryDocument(std::unique_ptr<ByteSource> src, const unsigned char* head, size_t n)
    : src_(std::move(src)), cache_(*src_, head, n), cf_(cache_) {
    auto wd = cf_.OpenStream(u"WordDocument");
    if (!wd) {
        if (cf_.HasStream(u"EncryptedPackage")) throw WordError("encrypted document");
        throw WordError("no WordDocument stream (not a Word document)");
    }
    wordDoc_ = *wd;
    // FibBase ([MS-DOC] 2.5.2). Encryption is checked before anything past
    // byte 67 is used: from there on an encrypted file is ciphertext.
    unsigned char base[32];
    if (wordDoc_.Size() < sizeof base) Damaged("FIB too short");
    wordDoc_.Read(0, base, sizeof base);
    uint16_t ident = Le16(base);
    uint16_t nFib = Le16(base + 2);
    uint16_t flags = Le16(base + 0x0A);
    if (!KnownWordIdent(ident)) throw WordError("not a Word document (unknown FIB signature)");
    if (flags & 0x0100) {
        // Word 6/95 use the same bit for their XOR scheme.
        bool obfuscated = (flags & 0x8000) && nFib >= 0xC0;
        throw WordError(obfuscated ? "obfuscated document" : "encrypted document");
    }
    // The layout follows nFib, not wIdent: some Word 95 files say 0xA5EC.
    if (nFib >= 101 && nFib <= 105) {
        word6_ = true;
        ReadFib6(base);
    } else if (nFib >= 0xC0) {
        ReadFib97(base);
    } else if (nFib < 101) {
        throw WordError("Word 2.0 or older document (not supported)");
    } else {
        throw WordError("unsupported Word version (nFib " + std::to_string(nFib) + ")");
    }
}

BinaryDocument::~BinaryDocument() = default;

void BinaryDocument::ReadFib97(const unsigned char* base) {
    // [MS-DOC] 2.5.1: every part is found through the counts before it.
    Stream& wd = wordDoc_;
    uint32_t oCsw = 0x20;
    uint32_t csw = wd.U16(oCsw);
    uint32_t oCslw = oCsw + 2 + 2 * csw;
    uint32_t cslw = wd.U16(oCslw);
    uint32_t oLw = oCslw + 2;
    if (cslw < 6) Damaged("FIB too short");
    ccpText_ = wd.U32(oLw + 4 * 3);
    ccpFtn_ = wd.U32(oLw + 4 * 4);
    ccpHdd_ = wd.U32(oLw + 4 * 5);
    uint32_t oCb = oLw + 4 * cslw;
    uint32_t cb = wd.U16(oCb);
    if (cb < 34) Damaged("FIB too short");
    uint32_t blob = oCb + 2;
    if (!wd.Holds(blob, 8ull * 34)) Damaged("FIB too short");
    auto fc = [&](int i) { return wd.U32(blob + 8 * i); };
    auto lcb = [&](int i) { return wd.U32(blob + 8 * i + 4); };

    uint16_t flags = Le16(base + 0x0A);
    // No fallback to the other name: a stale table stream may be present.
    const char16_t* name = (flags & 0x0200) ? u"1Table" : u"0Table";
    auto table = cf_.OpenStream(name);
    if (!table)
        throw WordError((flags & 0x0200) ? "table stream 1Table missing"
                                         : "table stream 0Table missing");
    table_ = *table;
    fcSed_ = fc(6), lcbSed_ = lcb(6);
    fcHdd_ = fc(11), lcbHdd_ = lcb(11);
    fcFfn_ = fc(15), lcbFfn_ = lcb(15);
    fcDop_ = fc(31), lcbDop_ = lcb(31);
    fcStshf_ = fc(1), lcbStshf_ = lcb(1);
    fcBteChpx_ = fc(12), lcbBteChpx_ = lcb(12);
    fcBtePapx_ = fc(13), lcbBtePapx_ = lcb(13);
    uint32_t fcClx = fc(33), lcbClx = lcb(33);
    if (lcbClx == 0) Damaged("no piece table");
    if (!table_.Holds(fcClx, lcbClx)) Damaged("piece table outside the table stream");
    ReadClx(table_, fcClx, lcbClx);
}

void BinaryDocument::ReadFib6(const unsigned char* base) {
    // Word 6/95: fixed offsets, and every structure lives in WordDocument.
    Stream& wd = wordDoc_;
    uint16_t ident = Le16(base);
    farEast95_ = FarEastWord95(ident);
    lid_ = Le16(base + 6);
    chs_ = Le16(base + 0x14);
    if (!wd.Holds(0, 0x58 + 8 * 34)) Damaged("FIB too short");
    uint32_t fcMin = wd.U32(0x18), fcMac = wd.U32(0x1C);
    ccpText_ = wd.U32(0x34);
    ccpFtn_ = wd.U32(0x38);
    ccpHdd_ = wd.U32(0x3C);
    auto fc = [&](int i) { return wd.U32(0x58 + 8 * i); };
    auto lcb = [&](int i) { return wd.U32(0x58 + 8 * i + 4); };
    fcSed_ = fc(6), lcbSed_ = lcb(6);
    fcHdd_ = fc(11), lcbHdd_ = lcb(11);
    fcFfn_ = fc(15), lcbFfn_ = lcb(15);
    fcDop_ = fc(31), lcbDop_ = lcb(31);
    uint32_t fcClx = fc(33), lcbClx = lcb(33);
    if (lcbClx > 0) {
        if (!wd.Holds(fcClx, lcbClx)) Damaged("piece table outside the WordDocument stream");
        ReadClx(wd, fcClx, lcbClx);
    } else {
        // Not fast-saved: all text is one run of characters from fcMin.
        if (fcMac < fcMin || fcMac > wd.Size()) Damaged("text outside the WordDocument stream");
        uint8_t width = farEast95_ ? 2 : 1;
        pieces_.push_back({0, fcMin, width, 0});
        pieces_.push_back({(fcMac - fcMin) / width, 0, 0, 0});
    }
    if (!farEast95_) ChooseCodePage();
}

void BinaryDocument::ReadClx(Stream& s, uint32_t fc, uint32_t lcb) {
    // [MS-DOC] 2.9.38 Clx: Prc records, then the Pcdt.
    uint32_t pos = fc;
    const uint32_t end = fc + lcb;
    for (;;) {
        if (pos >= end) Damaged("no piece table in the Clx");
        uint8_t kind = s.U8(pos);
        if (kind == 1) {
            if (end - pos < 3) Damaged("bad Prc");
            int16_t cb = static_cast<int16_t>(s.U16(pos + 1));
            if (cb < 0 || cb > 0x3FA2 || uint32_t(cb) > end - pos - 3) Damaged("bad Prc");
            if (prcs_.size() >= kMaxPrcs) Damaged("too many Prc records");
            prcs_.emplace_back(pos + 3, uint32_t(cb));
            pos += 3 + uint32_t(cb);
        } else if (kind == 2) {
            if (end - pos < 5) Damaged("bad Pcdt");
            uint32_t plc = s.U32(pos + 1);
            pos += 5;
            if (plc > end - pos) Damaged("piece table larger than the Clx");
            // [MS-DOC] 2.8.35 PlcPcd: n+1 CPs, then n 8-byte Pcds.
            if (plc < 16 || (plc - 4) % 12 != 0) Damaged("bad piece table size");
            uint32_t n = (plc - 4) / 12;
            if (n > kMaxPieces) Damaged("too many pieces");
            std::vector<unsigned char> raw(plc);
            s.Read(pos, raw.data(), plc);
            auto u32 = [&](size_t o) {
                const unsigned char* p = raw.data() + o;
                return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                       uint32_t(p[3]) << 24;
            };
            pieces_.reserve(n + 1);
            if (u32(0) != 0) Damaged("piece table does not start at 0");
            for (uint32_t i = 0; i <= n; ++i) {
                uint32_t cp = u32(4 * i);
                if (i > 0 && cp <= pieces_.back().cp) {
                    // Damaged further on (seen in a real file): keep the pieces
                    // before the fault, so that the text before it stays readable.
                    if (pieces_.size() < 2) Damaged("piece CPs not ascending");
                    pieces_.back().width = 0;
                    return;
                }
                Piece pc{cp, 0, 0, 0};
                if (i < n) {
                    size_t d = 4 * (n + 1) + 8 * size_t(i);
                    uint32_t fcRaw = u32(d + 2);
                    pc.prm = Le16(raw.data() + d + 6);
                    if (word6_) {
                        pc.pos = fcRaw;
                        pc.width = farEast95_ ? 2 : 1;
                    } else if (fcRaw & 0x40000000) {
                        // [MS-DOC] 2.9.73 FcCompressed: 8-bit text at fc / 2.
                        pc.pos = (fcRaw & 0x3FFFFFFF) / 2;
                        pc.width = 1;
                    } else {
                        pc.pos = fcRaw & 0x3FFFFFFF;
                        pc.width = 2;
                    }
                }
                pieces_.push_back(pc);
            }
            return;
        } else {
            Damaged("bad Clx");
        }
    }
}

void BinaryDocument::ChooseCodePage() {
    // Nothing in a Word 6/95 FIB states the code page of 8-bit text. The font
    // table's charsets do; the language id is the fallback.
    eight_ = Eight::CodePage;
    unsigned cp = 0;
    if (chs_ == 256) cp = 10000;  // written on a Macintosh
    if (cp == 0 && lcbFfn_ >= 2 && wordDoc_.Holds(fcFfn_, lcbFfn_)) {
        uint32_t total = std::min<uint32_t>(wordDoc_.U16(fcFfn_), lcbFfn_);
        uint32_t pos = fcFfn_ + 2;
        const uint32_t end = fcFfn_ + total;
        for (int guard = 0; pos + 5 < end && guard < 4096; ++guard) {
            uint32_t size = uint32_t(wordDoc_.U8(pos)) + 1;
            unsigned chs = wordDoc_.U8(pos + 4);
            cp = CodePageOfCharset(chs);
            if (cp != 0) break;
            pos += size;
        }
    }
    if (cp == 0) cp = CodePageOfLanguage(lid_);
    if (cp == 0) cp = 1252;
    cpTable_ = &CodePageFor(cp);
}

unsigned BinaryDocument::CodePage() const { return cpTable_ ? cpTable_->codePage : 1252; }

// ---- text ([MS-DOC] 2.4.1) -------------------------------------------------

size_t BinaryDocument::PieceAt(uint32_t cp) {
    const size_t n = pieces_.size() - 1;
    if (lastPiece_ < n && pieces_[lastPiece_].cp <= cp && cp < pieces_[lastPiece_ + 1].cp)
        return lastPiece_;
    if (n == 0 || cp >= pieces_[n].cp) Damaged("text outside the piece table");
    auto it = std::upper_bound(pieces_.begin(), pieces_.end(), cp,
                               [](uint32_t c, const Piece& p) { return c < p.cp; });
    lastPiece_ = size_t(it - pieces_.begin()) - 1;
    return lastPiece_;
}

size_t BinaryDocument::Fetch(uint32_t& cp, uint32_t end, char16_t* out, size_t cap) {
    // Decodes from `cp` on, at most `cap` units, stopping right after a 0x0C so
    // that the caller knows that character's CP (cp - 1).
    size_t produced = 0;
    unsigned char buf[2 * kChunk + 2];
    cap = std::min(cap, kChunk);
    while (produced < cap && cp < end) {
        // Text past the pieces is an error only once nothing before it is left.
        if (produced > 0 && cp >= pieces_.back().cp) break;
        size_t i = PieceAt(cp);
        const Piece& p = pieces_[i];
        uint32_t avail = std::min(end, pieces_[i + 1].cp) - cp;
        uint32_t n = std::min<uint32_t>(avail, uint32_t(cap - produced));
        uint64_t off = uint64_t(p.pos) + uint64_t(cp - p.cp) * p.width;
        if (off > UINT32_MAX) Damaged("text outside the WordDocument stream");
        if (p.width == 2) {
            wordDoc_.Read(uint32_t(off), buf, 2 * size_t(n));
            for (uint32_t j = 0; j < n; ++j) {
                char16_t c = Le16(buf + 2 * j);
                out[produced++] = c;
                ++cp;
                if (c == 0x0C) return produced;
            }
        } else if (eight_ == Eight::Fixed1252) {
            wordDoc_.Read(uint32_t(off), buf, n);
            for (uint32_t j = 0; j < n; ++j) {
                char16_t c = FromFixed1252(buf[j]);
                out[produced++] = c;
                ++cp;
                if (c == 0x0C) return produced;
            }
        } else {
            const CodePageTable& t = *cpTable_;
            // One byte more when there is one, so a double-byte character is
            // never cut in two.
            uint32_t m = n + (n < avail ? 1 : 0);
            wordDoc_.Read(uint32_t(off), buf, m);
            for (uint32_t j = 0; j < n; ++j) {
                unsigned char b = buf[j];
                char16_t c;
                if (t.doubleByte && t.lead[b] && j + 1 < m) {
                    c = t.pairs[(unsigned(b) << 8) | buf[j + 1]];
                    ++j;
                    ++cp;
                } else {
                    c = t.single[b];
                }
                out[produced++] = c;
                ++cp;
                if (c == 0x0C) return produced;
            }
        }
    }
    return produced;
}

std::u16string BinaryDocument::RawText(uint32_t cp, uint32_t n) {
    std::u16string s;
    char16_t buf[kChunk];
    uint32_t end = cp + std::min<uint32_t>(n, UINT32_MAX - cp);
    while (cp < end && s.size() < kMaxText) {
        size_t k = Fetch(cp, end, buf, kChunk);
        if (k == 0) break;
        s.append(buf, k);
    }
    return s;
}

// ---- sections ([MS-DOC] 2.8.26 PlcfSed) -------------------------------------

uint32_t BinaryDocument::SectionCount() { return HasSections() ? (lcbSed_ - 4) / 16 : 1; }

bool BinaryDocument::IsSectionEnd(uint32_t cpAfter) {
    // Only a 0x0C that closes a section ends a paragraph; others are page breaks.
    if (!HasSections()) return false;
    Stream& t = TableStream();
    uint32_t n = (lcbSed_ - 4) / 16;
    while (scanSection_ < n && t.U32(fcSed_ + 4 * (scanSection_ + 1)) < cpAfter) ++scanSection_;
    return scanSection_ < n && t.U32(fcSed_ + 4 * (scanSection_ + 1)) == cpAfter;
}

// ---- paragraphs ([MS-DOC] 2.4.2) --------------------------------------------

std::u16string BinaryDocument::ParagraphText(int n) {
    if (n < 1) throw WordError("no paragraph " + std::to_string(n));
    // Word's document always holds at least one (empty) paragraph.
    if (ccpText_ == 0 && n == 1) return u"\r";
    if (n <= scanPara_) ResetScan();
    try {
        return ScanTo(n);
    } catch (const WordError&) {
        // A read that failed half-way leaves no half-advanced scan behind.
        ResetScan();
        throw;
    }
}

void BinaryDocument::ResetScan() {
    scanCp_ = 0;
    scanPara_ = 0;
    scanSection_ = 0;
    pendPos_ = pendLen_ = 0;
    scanFields_.Reset();
}

std::u16string BinaryDocument::ScanTo(int n) {
    std::u16string text;
    for (;;) {
        const bool want = scanPara_ + 1 == n;
        std::u16string* out = want ? &text : nullptr;
        bool any = false;
        const char16_t* ending = nullptr;
        while (!ending) {
            if (pendPos_ == pendLen_) {
                if (scanCp_ >= ccpText_) break;
                pendLen_ = Fetch(scanCp_, ccpText_, pend_, kChunk);
                pendPos_ = 0;
                if (pendLen_ == 0) break;
            }
            // Word 97 text: one CP per character (what the log is used for).
            const uint32_t cp = scanCp_ - uint32_t(pendLen_ - pendPos_);
            char16_t c = pend_[pendPos_++];
            any = true;
            if (want && cpLog_) scanMark_ = cp;
            if (c == 0x0D) {
                ending = u"\r";
            } else if (c == 0x07) {
                // A cell's last paragraph and a row-end mark alike: Word's
                // Paragraphs collection counts the row-end mark as a paragraph
                // of its own, and gives both as CR + BEL. So every 0x07 ends a
                // paragraph the same way, and no table properties are needed.
                ending = u"\r\a";
            } else if (c == 0x0C && pendPos_ == pendLen_ && IsSectionEnd(scanCp_)) {
                ending = u"\f";
            } else {
                const size_t before = text.size();
                scanFields_.Feed(c, out);
                if (want && cpLog_)
                    for (size_t k = before; k < text.size(); ++k) cpLog_->push_back(cp);
            }
        }
        if (want && cpLog_) scanMarkValid_ = ending != nullptr;
        if (!any) {
            throw WordError("no paragraph " + std::to_string(n) + " (the document has " +
                            std::to_string(scanPara_) + ")");
        }
        ++scanPara_;
        if (want) {
            text += ending ? ending : u"\r";
            return text;
        }
    }
}

// ---- headers and footers ([MS-DOC] 2.3.3, 2.8.22 Plcfhdd) -------------------

std::optional<std::pair<uint32_t, uint32_t>> BinaryDocument::HddStory(uint32_t k) {
    Stream& t = TableStream();
    if (ccpHdd_ == 0 || lcbHdd_ < 8 || lcbHdd_ % 4 != 0 || !t.Holds(fcHdd_, lcbHdd_))
        return std::nullopt;
    uint32_t count = lcbHdd_ / 4;
    // The last two CPs only close the last story (Word 6 files too).
    uint32_t stories = count - 2;
    if (k >= stories) return std::nullopt;
    uint32_t a = t.U32(fcHdd_ + 4 * k), b = t.U32(fcHdd_ + 4 * (k + 1));
    if (a >= b || b > ccpHdd_) return std::nullopt;
    return std::make_pair(a, b);
}

bool BinaryDocument::HasSections() {
    return lcbSed_ >= 20 && (lcbSed_ - 4) % 16 == 0 && TableStream().Holds(fcSed_, lcbSed_);
}

unsigned BinaryDocument::Word6SectionMask(uint32_t s) {
    // grpfIhdt of section s (0-based): sprm 153 in its SEPX, then in the Prc
    // of the piece holding the section's last character (fast-saved files).
    Stream& wd = wordDoc_;
    if (!HasSections()) return 0;
    uint32_t n = SectionCount();
    if (s >= n) return 0;
    int mask = -1;
    uint32_t sed = fcSed_ + 4 * (n + 1) + 12 * s;
    uint32_t fcSepx = wd.U32(sed + 2);
    if (fcSepx != 0xFFFFFFFF && wd.Holds(fcSepx, 2)) {
        uint32_t cb = wd.U16(fcSepx);
        if (wd.Holds(fcSepx + 2, cb)) mask = FindIhdtMask(wd, fcSepx + 2, fcSepx + 2 + cb);
    }
    uint32_t last = wd.U32(fcSed_ + 4 * (s + 1));
    if (last > 0 && last - 1 < pieces_.back().cp) {
        const Piece& p = pieces_[PieceAt(last - 1)];
        if ((p.prm & 1) && size_t(p.prm >> 1) < prcs_.size()) {
            auto [pos, size] = prcs_[p.prm >> 1];
            int m = FindIhdtMask(wd, pos, pos + size);
            if (m >= 0) mask = m;
        }
    }
    return mask < 0 ? 0u : unsigned(mask);
}

std::optional<std::pair<uint32_t, uint32_t>> BinaryDocument::StoryRange(bool footer, int section,
                                                                        int index) {
    if (section < 1 || uint32_t(section) > SectionCount())
        throw WordError("no section " + std::to_string(section));
    if (index < 1 || index > 3) throw WordError("no header or footer " + std::to_string(index));
    // Story j of a section: 0 even header, 1 odd (primary) header, 2 even
    // footer, 3 odd footer, 4 first-page header, 5 first-page footer.
    static const int kHeaderStory[4] = {0, 1, 4, 0};
    static const int kFooterStory[4] = {0, 3, 5, 2};
    const int j = footer ? kFooterStory[index] : kHeaderStory[index];
    std::optional<std::pair<uint32_t, uint32_t>> story;
    if (word6_) {
        // Word 6/95 store only the stories that exist, in the order of the
        // bits of the separator mask (DOP), then of each section's mask. A
        // section without the story follows the previous one.
        static const unsigned kHeaderBit[4] = {0, 0x02, 0x10, 0x01};
        static const unsigned kFooterBit[4] = {0, 0x08, 0x20, 0x04};
        const unsigned bit = footer ? kFooterBit[index] : kHeaderBit[index];
        int k = 0;
        if (lcbDop_ >= 2 && wordDoc_.Holds(fcDop_, 2))
            k += std::popcount(wordDoc_.U8(fcDop_ + 1) & 0x3Fu);
        for (int s = 1; s <= section; ++s) {
            unsigned mask = Word6SectionMask(uint32_t(s - 1));
            if (mask & bit) {
                auto here = HddStory(uint32_t(k + std::popcount(mask & (bit - 1))));
                if (here) story = here;
            }
            k += std::popcount(mask);
        }
    } else {
        // An empty story follows the previous section's ("link to previous").
        for (int s = section; s >= 1 && !story; --s)
            story = HddStory(uint32_t(6 + 6 * (s - 1) + j));
    }
    if (!story) return std::nullopt;
    // The story's last 0x0D is a guard, not content.
    uint64_t base = uint64_t(ccpText_) + ccpFtn_;
    uint64_t from = base + story->first, to = base + story->second - 1;
    if (to > UINT32_MAX) Damaged("header outside the text");
    return std::make_pair(uint32_t(from), uint32_t(to));
}

std::u16string BinaryDocument::StoryText(bool footer, int section, int index) {
    auto range = StoryRange(footer, section, index);
    if (!range) return u"\r";
    std::u16string text;
    FieldFilter fields;
    char16_t buf[kChunk];
    uint32_t cp = range->first;
    while (cp < range->second && text.size() < kMaxText) {
        size_t got = Fetch(cp, range->second, buf, kChunk);
        if (got == 0) break;
        for (size_t i = 0; i < got; ++i) {
            char16_t c = buf[i];
            if (c == 0x07) {
                if (!fields.Hidden()) text += u"\r\a";
            } else {
                fields.Feed(c, &text);
            }
        }
    }
    // A header whose content is only a field code still has its paragraph.
    if (text.empty()) text.push_back(u'\r');
    return text;
}

std::u16string BinaryDocument::HeaderText(int section, int index) {
    return StoryText(false, section, index);
}

std::u16string BinaryDocument::FooterText(int section, int index) {
    return StoryText(true, section, index);
}

// ---- formatting of the leading paragraphs ----------------------------------

namespace {

// Characters that show ink: what the size, bold and colour statistics count.
bool Visible(char16_t c) {
    return c > 0x20 && c != 0xA0 && c != 0x3000 && c != 0xFEFF && !(c >= 0x2000 && c <= 0x200B);
}

// Characters a paragraph's statistics look at: a title is far shorter.
constexpr int kMaxCounted = 4096;

// The value most characters have. Values past the first few dozen distinct
// ones are not counted, which keeps a run-per-character paragraph linear.
template <class T>
class Tally {
  public:
    void Add(T v) {
        for (auto& [value, count] : seen_) {
            if (value == v) {
                ++count;
                return;
            }
        }
        if (seen_.size() < 32) seen_.emplace_back(v, 1);
    }
    T Most(T none) const {
        T best = none;
        int most = 0;
        for (const auto& [value, count] : seen_) {
            if (count > most) best = value, most = count;
        }
        return best;
    }

  private:
    std::vector<std::pair<T, int>> seen_;
};

}  // namespace

PropertyReader* BinaryDocument::Properties() {
    if (!propsTried_) {
        propsTried_ = true;
        if (!word6_) {
            try {
                PropertyReader::Places at{fcStshf_,    lcbStshf_,  fcBteChpx_,
                                          lcbBteChpx_, fcBtePapx_, lcbBtePapx_};
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

bool BinaryDocument::Describe(ParagraphFacts& p, const std::vector<uint32_t>& cps, ParaProps& pp) {
    PropertyReader* r = Properties();
    if (!r || !scanMarkValid_ || cps.size() > p.text.size()) return false;
    uint32_t fcMark;
    size_t markPiece;
    if (!FcOf(scanMark_, fcMark, markPiece)) return false;
    if (!r->Paragraph(fcMark, pp)) return false;
    std::vector<unsigned char> prm;
    if (PieceSprms(markPiece, prm)) r->ApplyParagraph(prm.data(), prm.size(), pp);
    CharProps base;
    if (!r->StyleChars(pp.istd, base)) return false;

    Tally<int> sizes;
    Tally<uint32_t> colors;
    int visible = 0, bold = 0, largest = 0;
    uint32_t lo = 1, hi = 0;
    size_t runPiece = SIZE_MAX, prmPiece = SIZE_MAX;
    CharProps run;
    for (size_t k = 0; k < cps.size() && visible < kMaxCounted; ++k) {
        if (!Visible(p.text[k])) continue;
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
        ++visible;
        if (run.bold) ++bold;
        largest = std::max(largest, run.halfPoints);
        sizes.Add(run.halfPoints);
        colors.Add(run.color);
    }

    const StyleEntry* style = r->Style(pp.istd);
    p.formatted = true;
    if (style) p.styleName = r->Name(*style);
    p.styleId = style ? BuiltInStyleId(style->sti, p.styleName) : kStiNormal;
    p.outlineLevel = pp.outlineLevel;
    p.centered = pp.centered;
    p.pageBreakBefore = pp.pageBreakBefore;
    p.maxHalfPoints = largest;
    p.mainHalfPoints = sizes.Most(0);
    p.bold = visible > 0 && 2 * bold > visible;
    p.color = colors.Most(kAutoColor);
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
        if (n > 1 && scanPara_ == n - 1 && pendPos_ == pendLen_ && scanCp_ >= ccpText_) break;
        cps.clear();
        cpLog_ = word6_ ? nullptr : &cps;
        scanMarkValid_ = false;
        ParagraphFacts p;
        try {
            p.text = ParagraphText(n);
        } catch (const WordError&) {
            if (n == 1) throw;
            break;
        }
        cpLog_ = nullptr;
        p.breakAfter = p.text.find(u'\f') != std::u16string::npos;
        ParaProps pp;
        bool known = false;
        if (!word6_) {
            try {
                known = Describe(p, cps, pp);
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
            const bool cellEnd = p.text.size() >= 2 && p.text.ends_with(u"\r\a");
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
