#include "reader/binary/fib.h"

#include <string>

#include "reader/binary/cfb.h"
#include "reader/io/littleendian.h"

namespace pelmora::word {

namespace {

bool KnownWordIdent(uint16_t w) {
    // Word 97+, Word 6/95, and the Far East Word 95 variants.
    return w == 0xA5EC || w == 0xA5DC || w == 0xA697 || w == 0xA698 || w == 0xA699 || w == 0x8098 ||
           w == 0x8099;
}

bool FarEastWord95(uint16_t w) {
    return w == 0xA697 || w == 0xA698 || w == 0xA699 || w == 0x8098 || w == 0x8099;
}

void ReadFib97(Stream& wd, Fib& f) {
    // [MS-DOC] 2.5.1: every part is found through the counts before it.
    const uint32_t oCsw = fib::kBaseSize;
    const uint32_t csw = wd.U16(oCsw);
    const uint32_t oCslw = oCsw + 2 + 2 * csw;
    const uint32_t cslw = wd.U16(oCslw);
    const uint32_t oLw = oCslw + 2;
    if (cslw < fib::ccpHdd + 1) Damaged("FIB too short");
    auto lw = [&](uint32_t i) { return wd.U32(oLw + 4 * i); };
    f.ccpText = lw(fib::ccpText);
    f.ccpFtn = lw(fib::ccpFtn);
    f.ccpHdd = lw(fib::ccpHdd);
    if (cslw > fib::ccpTxbx && wd.Holds(oLw, 4ull * (fib::ccpTxbx + 1))) {
        f.ccpAtn = lw(fib::ccpAtn);
        f.ccpEdn = lw(fib::ccpEdn);
        f.ccpTxbx = lw(fib::ccpTxbx);
    }
    const uint32_t oCb = oLw + 4 * cslw;
    const uint32_t cb = wd.U16(oCb);
    if (cb < fib::kRgFcLcbWord6) Damaged("FIB too short");
    const uint32_t blob = oCb + 2;
    if (!wd.Holds(blob, 8ull * fib::kRgFcLcbWord6)) Damaged("FIB too short");
    auto pair = [&](uint32_t i) { return FcLcb{wd.U32(blob + 8 * i), wd.U32(blob + 8 * i + 4)}; };
    f.sed = pair(fib::fcPlcfSed);
    f.hdd = pair(fib::fcPlcfHdd);
    f.ffn = pair(fib::fcSttbfFfn);
    f.dop = pair(fib::fcDop);
    f.stshf = pair(fib::fcStshf);
    f.bteChpx = pair(fib::fcPlcfBteChpx);
    f.btePapx = pair(fib::fcPlcfBtePapx);
    f.clx = pair(fib::fcClx);
    // Pairs past those a short FIB holds stay absent.
    auto optional = [&](uint32_t i) {
        return i < cb && wd.Holds(blob, 8ull * (i + 1)) ? pair(i) : FcLcb{};
    };
    f.spaMom = optional(fib::fcPlcSpaMom);
    f.txbxTxt = optional(fib::fcPlcftxbxTxt);
    f.txbxBkd = optional(fib::fcPlcfTxbxBkd);
}

void ReadFib6(Stream& wd, Fib& f) {
    // Word 6/95: fixed offsets, and every structure lives in WordDocument.
    f.farEast95 = FarEastWord95(f.wIdent);
    if (!wd.Holds(0, fib::kW6FcLcb + 8 * fib::kRgFcLcbWord6)) Damaged("FIB too short");
    f.fcMin = wd.U32(fib::kFcMin);
    f.fcMac = wd.U32(fib::kFcMac);
    f.ccpText = wd.U32(fib::kW6CcpText);
    f.ccpFtn = wd.U32(fib::kW6CcpFtn);
    f.ccpHdd = wd.U32(fib::kW6CcpHdd);
    auto pair = [&](uint32_t i) {
        return FcLcb{wd.U32(fib::kW6FcLcb + 8 * i), wd.U32(fib::kW6FcLcb + 8 * i + 4)};
    };
    f.sed = pair(fib::fcPlcfSed);
    f.hdd = pair(fib::fcPlcfHdd);
    f.ffn = pair(fib::fcSttbfFfn);
    f.dop = pair(fib::fcDop);
    f.clx = pair(fib::fcClx);
}

}  // namespace

void Damaged(const char* what) { throw WordError(std::string("damaged document: ") + what); }

Fib ReadFib(Stream& wd) {
    // Encryption is checked before anything past byte 67 is used: from there
    // on an encrypted file is ciphertext.
    unsigned char base[fib::kBaseSize];
    if (wd.Size() < sizeof base) Damaged("FIB too short");
    wd.Read(0, base, sizeof base);
    Fib f;
    f.wIdent = Le16(base + fib::kWIdent);
    f.nFib = Le16(base + fib::kNFib);
    f.flags = Le16(base + fib::kFlags);
    f.lid = Le16(base + fib::kLid);
    f.chs = Le16(base + fib::kChs);
    if (!KnownWordIdent(f.wIdent)) throw WordError("not a Word document (unknown FIB signature)");
    if (f.flags & fib::fEncrypted) {
        const bool obfuscated = (f.flags & fib::fObfuscated) && f.nFib >= 0xC0;
        throw WordError(obfuscated ? "obfuscated document" : "encrypted document");
    }
    // The layout follows nFib, not wIdent: some Word 95 files say 0xA5EC.
    if (f.nFib >= 101 && f.nFib <= 105) {
        f.word6 = true;
        ReadFib6(wd, f);
    } else if (f.nFib >= 0xC0) {
        ReadFib97(wd, f);
    } else if (f.nFib < 101) {
        throw WordError("Word 2.0 or older document (not supported)");
    } else {
        throw WordError("unsupported Word version (nFib " + std::to_string(f.nFib) + ")");
    }
    return f;
}

}  // namespace pelmora::word
