#include "reader/binary/worddoc.h"

#include <algorithm>
#include <cstring>

#include "reader/binary/properties.h"
#include "reader/binary/summaryinfo.h"
#include "reader/io/littleendian.h"
#include "reader/limits.h"
#include "reader/marks.h"
#include "reader/text/codepagetable.h"

namespace pelmora::word {

namespace {

// [MS-DOC] 2.9.73: bytes of compressed pieces are Latin-1 except these.
constexpr char16_t kFixed1252[32] = {
    0x0080, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x008E, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178,  // 98-9F
};

// The clxt byte that opens each part of a Clx ([MS-DOC] 2.9.38).
constexpr uint8_t kClxtPrc = 1;
constexpr uint8_t kClxtPcdt = 2;

// FcCompressed ([MS-DOC] 2.9.73): the offset and its fCompressed bit.
constexpr uint32_t kFcBits = 0x3FFFFFFF;
constexpr uint32_t kFCompressed = 0x40000000;

char16_t FromFixed1252(unsigned char b) {
    return (b >= 0x80 && b < 0xA0) ? kFixed1252[b - 0x80] : char16_t(b);
}

}  // namespace

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
    fib_ = ReadFib(wordDoc_);
    if (fib_.word6) {
        OpenWord6Text();
        return;
    }
    // No fallback to the other name: a stale table stream may be present.
    const bool one = fib_.flags & fib::fWhichTblStm;
    auto table = cf_.OpenStream(one ? u"1Table" : u"0Table");
    if (!table)
        throw WordError(one ? "table stream 1Table missing" : "table stream 0Table missing");
    table_ = *table;
    if (fib_.clx.lcb == 0) Damaged("no piece table");
    if (!table_.Holds(fib_.clx.fc, fib_.clx.lcb)) Damaged("piece table outside the table stream");
    ReadClx(table_, fib_.clx.fc, fib_.clx.lcb);
}

BinaryDocument::~BinaryDocument() = default;

void BinaryDocument::OpenWord6Text() {
    Stream& wd = wordDoc_;
    if (fib_.clx.lcb > 0) {
        if (!wd.Holds(fib_.clx.fc, fib_.clx.lcb))
            Damaged("piece table outside the WordDocument stream");
        ReadClx(wd, fib_.clx.fc, fib_.clx.lcb);
    } else {
        // Not fast-saved: all text is one run of characters from fcMin.
        const uint32_t fcMin = fib_.fcMin, fcMac = fib_.fcMac;
        if (fcMac < fcMin || fcMac > wd.Size()) Damaged("text outside the WordDocument stream");
        uint8_t width = fib_.farEast95 ? 2 : 1;
        pieces_.push_back({0, fcMin, width, 0});
        pieces_.push_back({(fcMac - fcMin) / width, 0, 0, 0});
    }
    if (!fib_.farEast95) ChooseCodePage();
}

void BinaryDocument::ReadClx(Stream& s, uint32_t fc, uint32_t lcb) {
    // [MS-DOC] 2.9.38 Clx: Prc records, then the Pcdt.
    uint32_t pos = fc;
    const uint32_t end = fc + lcb;
    for (;;) {
        if (pos >= end) Damaged("no piece table in the Clx");
        uint8_t kind = s.U8(pos);
        if (kind == kClxtPrc) {
            if (end - pos < 3) Damaged("bad Prc");
            int16_t cb = static_cast<int16_t>(s.U16(pos + 1));
            if (cb < 0 || cb > 0x3FA2 || uint32_t(cb) > end - pos - 3) Damaged("bad Prc");
            if (prcs_.size() >= kMaxPrcs) Damaged("too many Prc records");
            prcs_.emplace_back(pos + 3, uint32_t(cb));
            pos += 3 + uint32_t(cb);
        } else if (kind == kClxtPcdt) {
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
            auto u32 = [&](size_t o) { return Le32(raw.data() + o); };
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
                    if (fib_.word6) {
                        pc.pos = fcRaw;
                        pc.width = fib_.farEast95 ? 2 : 1;
                    } else if (fcRaw & kFCompressed) {
                        // [MS-DOC] 2.9.73 FcCompressed: 8-bit text at fc / 2.
                        pc.pos = (fcRaw & kFcBits) / 2;
                        pc.width = 1;
                    } else {
                        pc.pos = fcRaw & kFcBits;
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
    if (fib_.chs == fib::kChsMacintosh) cp = 10000;  // written on a Macintosh
    if (cp == 0 && fib_.ffn.lcb >= 2 && wordDoc_.Holds(fib_.ffn.fc, fib_.ffn.lcb)) {
        uint32_t total = std::min<uint32_t>(wordDoc_.U16(fib_.ffn.fc), fib_.ffn.lcb);
        uint32_t pos = fib_.ffn.fc + 2;
        const uint32_t end = fib_.ffn.fc + total;
        for (int guard = 0; pos + 5 < end && guard < 4096; ++guard) {
            uint32_t size = uint32_t(wordDoc_.U8(pos)) + 1;
            unsigned chs = wordDoc_.U8(pos + 4);
            cp = CodePageOfCharset(chs);
            if (cp != 0) break;
            pos += size;
        }
    }
    if (cp == 0) cp = CodePageOfLanguage(fib_.lid);
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
                if (c == kPageBreak) return produced;
            }
        } else if (eight_ == Eight::Fixed1252) {
            wordDoc_.Read(uint32_t(off), buf, n);
            for (uint32_t j = 0; j < n; ++j) {
                char16_t c = FromFixed1252(buf[j]);
                out[produced++] = c;
                ++cp;
                if (c == kPageBreak) return produced;
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
                if (c == kPageBreak) return produced;
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

uint32_t BinaryDocument::SectionCount() { return HasSections() ? (fib_.sed.lcb - 4) / 16 : 1; }

bool BinaryDocument::IsSectionEnd(uint32_t cpAfter) {
    // Only a 0x0C that closes a section ends a paragraph; others are page breaks.
    if (!HasSections()) return false;
    Stream& t = TableStream();
    uint32_t n = (fib_.sed.lcb - 4) / 16;
    while (scanSection_ < n && t.U32(fib_.sed.fc + 4 * (scanSection_ + 1)) < cpAfter)
        ++scanSection_;
    return scanSection_ < n && t.U32(fib_.sed.fc + 4 * (scanSection_ + 1)) == cpAfter;
}

// ---- paragraphs ([MS-DOC] 2.4.2) --------------------------------------------

std::u16string BinaryDocument::ParagraphText(int n) {
    if (n < 1) throw WordError("no paragraph " + std::to_string(n));
    // Word's document always holds at least one (empty) paragraph.
    if (fib_.ccpText == 0 && n == 1) return u"\r";
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
                if (scanCp_ >= fib_.ccpText) break;
                pendLen_ = Fetch(scanCp_, fib_.ccpText, pend_, kChunk);
                pendPos_ = 0;
                if (pendLen_ == 0) break;
            }
            // Word 97 text: one CP per character (what the log is used for).
            const uint32_t cp = scanCp_ - uint32_t(pendLen_ - pendPos_);
            char16_t c = pend_[pendPos_++];
            any = true;
            if (want && cpLog_) scanMark_ = cp;
            if (c == kParagraphMark) {
                ending = u"\r";
            } else if (c == kCellMark) {
                // A cell's last paragraph and a row-end mark alike: Word's
                // Paragraphs collection counts the row-end mark as a paragraph
                // of its own, and gives both as CR + BEL. So every 0x07 ends a
                // paragraph the same way, and no table properties are needed.
                ending = kCellEnd.data();
            } else if (c == kPageBreak && pendPos_ == pendLen_ && IsSectionEnd(scanCp_)) {
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

}  // namespace pelmora::word
