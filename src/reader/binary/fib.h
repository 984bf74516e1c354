#pragma once
// The File Information Block of Word 97-2003 and Word 6.0/95 documents
// ([MS-DOC] 2.5): where every other structure lies. Names follow [MS-DOC].

#include <cstdint>

namespace pelmora::word {

class Stream;

namespace fib {

// FibBase ([MS-DOC] 2.5.2): byte offsets of its fields.
inline constexpr uint32_t kWIdent = 0x00;
inline constexpr uint32_t kNFib = 0x02;
inline constexpr uint32_t kLid = 0x06;
inline constexpr uint32_t kFlags = 0x0A;
inline constexpr uint32_t kChs = 0x14;  // Word 6/95: 0 Windows ANSI, 256 Macintosh
inline constexpr uint32_t kFcMin = 0x18;
inline constexpr uint32_t kFcMac = 0x1C;
inline constexpr uint32_t kBaseSize = 0x20;

// FibBase flag bits.
inline constexpr uint16_t fComplex = 0x0004;      // fast-saved
inline constexpr uint16_t fEncrypted = 0x0100;    // Word 6/95 use it for their XOR scheme too
inline constexpr uint16_t fWhichTblStm = 0x0200;  // 1Table, else 0Table
inline constexpr uint16_t fObfuscated = 0x8000;   // with fEncrypted: XOR obfuscation

inline constexpr uint16_t kChsMacintosh = 256;

// FibRgLw97 ([MS-DOC] 2.5.4): indexes of the 32-bit counts used.
enum RgLw : uint32_t {
    ccpText = 3,  // main document
    ccpFtn = 4,   // footnotes
    ccpHdd = 5,   // headers and footers
    ccpAtn = 7,   // comments
    ccpEdn = 8,   // endnotes
    ccpTxbx = 9,  // text boxes of the main document
    kRgLwUsed = 10,
};

// FibRgFcLcb97 ([MS-DOC] 2.5.6): indexes of the (fc, lcb) pairs used. The
// Word 6/95 FIB has the same order for pairs 0..33.
enum RgFcLcb : uint32_t {
    fcStshf = 1,         // stylesheet
    fcPlcfSed = 6,       // section descriptors
    fcPlcfHdd = 11,      // header and footer stories
    fcPlcfBteChpx = 12,  // character property bin table
    fcPlcfBtePapx = 13,  // paragraph property bin table
    fcSttbfFfn = 15,     // font table
    fcDop = 31,          // document properties
    fcClx = 33,          // piece table
    kRgFcLcbWord6 = 34,  // pairs a Word 6/95 FIB holds, and the least a Word 97 one must
    fcPlcSpaMom = 40,    // shapes anchored in the main document (FSPA)
    fcPlcftxbxTxt = 56,  // text boxes of the main document (FTXBXS)
    fcPlcfTxbxBkd = 75,  // the text box story's breaks between linked boxes
};

// The Word 6/95 FIB: fixed offsets, no count-prefixed arrays ([MS-DOC] has
// none of it; the offsets agree with the Word 6 file-format notes).
inline constexpr uint32_t kW6CcpText = 0x34;
inline constexpr uint32_t kW6CcpFtn = 0x38;
inline constexpr uint32_t kW6CcpHdd = 0x3C;
inline constexpr uint32_t kW6FcLcb = 0x58;

}  // namespace fib

// A structure's place: a byte offset and a byte count; lcb 0 means absent.
struct FcLcb {
    uint32_t fc = 0, lcb = 0;
};

// What the reader takes from the FIB.
struct Fib {
    uint16_t wIdent = 0, nFib = 0, flags = 0, lid = 0, chs = 0;
    bool word6 = false;             // Word 6.0/95 layout: every structure in WordDocument
    bool farEast95 = false;         // Far East Word 95: 16-bit text
    uint32_t fcMin = 0, fcMac = 0;  // Word 6/95 text of a file that is not fast-saved
    uint32_t ccpText = 0, ccpFtn = 0, ccpHdd = 0;
    // Word 97-2003 only (0 in Word 6/95 files): the stories after the
    // headers, and where the text boxes are described.
    uint32_t ccpAtn = 0, ccpEdn = 0, ccpTxbx = 0;
    FcLcb stshf, sed, hdd, bteChpx, btePapx, ffn, dop, clx;
    FcLcb spaMom, txbxTxt, txbxBkd;
};

// The error of a Word document whose structures do not hold together.
[[noreturn]] void Damaged(const char* what);

// Reads the FIB at the start of WordDocument. Throws WordError for files it
// refuses (encrypted, obfuscated, Word 2 and older, unknown versions) and
// for a FIB too short for what it must hold.
Fib ReadFib(Stream& wordDoc);

}  // namespace pelmora::word
