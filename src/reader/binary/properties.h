#pragma once
// Paragraph and character properties of Word 97-2003 binary documents, as far
// as a title needs them: the stylesheet ([MS-DOC] 2.9.271 STSH), the PAPX and
// CHPX FKPs found through the bin tables (2.8.5 PlcBteChpx, 2.8.6
// PlcBtePapx), and a handful of sprms. Everything is read from untrusted
// bytes: a damaged or unknown structure makes the call return false, never
// more.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reader/paragraph.h"

namespace pelmora::word {

class Stream;

struct ParaProps {
    int istd = 0;
    bool centered = false;
    int outlineLevel = 9;
    bool pageBreakBefore = false;
    bool inTable = false;
    int itap = 0;              // table depth, 0 outside tables
    bool rowEnd = false;       // the mark ends a row of the outermost table
    bool innerRowEnd = false;  // the mark ends a row of a nested table
};

struct CharProps {
    int halfPoints = 20;  // Word's default size: 10 pt
    bool bold = false;
    bool vanish = false;
    uint32_t color = kAutoColor;
    bool operator==(const CharProps&) const = default;
};

// A style's kind, its stk ([MS-DOC] 2.9.260 StdfBase).
inline constexpr int kStkParagraph = 1;
inline constexpr int kStkCharacter = 2;
inline constexpr int kStkTable = 3;
inline constexpr int kStkList = 4;

// One style of the stylesheet, not yet resolved against its bases.
struct StyleEntry {
    int sti = kStiUser;
    int kind = 0;  // stk
    int istdBase = 0x0FFF;
    // The name's UTF-16 units in the stylesheet bytes.
    uint32_t namePos = 0, nameLen = 0;
    // Spans of the style's own grpprls in the stylesheet bytes.
    uint32_t papxPos = 0, papxLen = 0;
    uint32_t chpxPos = 0, chpxLen = 0;
};

// Built-in style id for a style, user styles mapped by their name when it is
// a title or heading name in English or Chinese ("Title", "标题 1", ...).
int BuiltInStyleId(int sti, std::u16string_view name);

// The ico colour index ([MS-DOC] 2.9.119) as 0x00RRGGBB; kAutoColor for 0 and
// unknown indexes.
uint32_t IcoColor(unsigned ico);

// sprmSFTitlePage ([MS-DOC] 2.6.4) in a section grpprl: sets titlePage to
// the last one's operand, leaves it as it is when there is none. False when
// the grpprl is malformed.
bool FindTitlePage(const unsigned char* p, size_t n, bool& titlePage);

class PropertyReader {
  public:
    // Where the structures lie: (fc, lcb) in the table stream.
    struct Places {
        uint32_t fcStshf = 0, lcbStshf = 0;
        uint32_t fcBteChpx = 0, lcbBteChpx = 0;
        uint32_t fcBtePapx = 0, lcbBtePapx = 0;
    };

    // Reads the stylesheet. Throws WordError only through the streams;
    // Ok() tells whether the stylesheet was usable.
    PropertyReader(Stream& wordDoc, Stream& table, const Places& places);
    ~PropertyReader();
    bool Ok() const { return ok_; }

    const StyleEntry* Style(int istd) const;
    std::u16string Name(const StyleEntry& e) const;

    // Paragraph properties of the paragraph whose mark is the byte at fcMark
    // of WordDocument: its style's, then its PAPX's. False when unknown.
    bool Paragraph(uint32_t fcMark, ParaProps& out);
    // Character properties a paragraph style gives its text.
    bool StyleChars(int istd, CharProps& out);
    // Character properties of the character at byte fc, over `para` (the
    // paragraph style's). [lo, hi) is the FC run that has the same ones.
    bool Chars(uint32_t fc, const CharProps& para, CharProps& out, uint32_t& lo, uint32_t& hi);

    // Applies the paragraph (character) sprms of a grpprl; false when the
    // grpprl is malformed. A character style named by sprmCIstd is applied
    // in place; toggles are relative to `style`.
    bool ApplyParagraph(const unsigned char* p, size_t n, ParaProps& pp) const;
    bool ApplyChars(const unsigned char* p, size_t n, CharProps& cp, CharProps style,
                    int depth = 0);

  private:
    struct Page {
        uint32_t pn = UINT32_MAX;
        std::array<unsigned char, 512> bytes;
    };
    void ReadStyleSheet(uint32_t fc, uint32_t lcb);
    bool ResolvePara(int istd, ParaProps& out, int depth);
    bool ResolveChars(int istd, CharProps& out, int depth);
    const unsigned char* FkpFor(uint32_t fcBte, uint32_t lcbBte, uint32_t fc);

    Stream& wordDoc_;
    Stream& table_;
    Places places_;
    bool ok_ = false;
    std::vector<unsigned char> stsh_;
    std::vector<std::optional<StyleEntry>> styles_;
    // Resolved styles, filled as asked: 0 not yet, 1 done, 2 failed.
    std::vector<uint8_t> paraState_, charState_;
    std::vector<ParaProps> paraDone_;
    std::vector<CharProps> charDone_;
    // The bin table entry found last, per table: FCs [lo, hi) on page pn.
    struct Span {
        bool valid = false;
        uint32_t lo = 0, hi = 0, pn = 0;
    };
    Span lastPapx_, lastChpx_;
    std::array<Page, 4> pages_;
    size_t nextPage_ = 0;
};

}  // namespace pelmora::word
