#pragma once
// Word 6.0/95 and Word 97-2003 binary documents ([MS-DOC]) in a compound file.
//
// Opening reads the FIB and the piece table only. Paragraphs are decoded
// from the start of the main document up to the one asked for, and the scan
// position is kept, so asking for paragraph 1 and then 5 reads each piece of
// text once.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "reader/binary/cfb.h"
#include "reader/binary/fib.h"
#include "reader/binary/fields.h"
#include "reader/documentimpl.h"

namespace pelmora::word {

struct CodePageTable;
class PropertyReader;
struct ParaProps;
struct CharProps;

class BinaryDocument final : public DocumentImpl {
  public:
    // Throws WordError when the file is not a readable Word document.
    explicit BinaryDocument(std::unique_ptr<ByteSource> src);
    // The same, given the source's first bytes already read (up to 4 KiB).
    BinaryDocument(std::unique_ptr<ByteSource> src, const unsigned char* head, size_t n);
    ~BinaryDocument() override;

    std::u16string ParagraphText(int n) override;
    std::u16string HeaderText(int section, int index) override;
    std::u16string FooterText(int section, int index) override;
    // Word 97-2003: the text of each paragraph with its formatting resolved
    // through the stylesheet, the FKPs and the piece modifiers. Word 6/95
    // files give the texts alone.
    LeadingBody ReadLeading(int maxCount) override;
    std::u16string StoredTitle() override;
    // Word 97-2003: the text box story's boxes placed by their shapes'
    // anchors. Word 6/95 files give none.
    std::vector<TextBox> LeadingTextBoxes(int maxBoxes) override;
    // Section 1's first-page header when the section has a title page,
    // else its primary one, with formatting (Word 97-2003).
    std::vector<ParagraphFacts> FirstPageHeaderParagraphs(int maxParagraphs) override;
    // Whether section 1 has a distinct first page.
    bool TitlePage();

    // Not part of the object model; for diagnostics and tests.
    unsigned CodePage() const;
    // Raw characters [cp, cp + n) of the document (all stories), fields kept.
    std::u16string RawText(uint32_t cp, uint32_t n);
    uint32_t MainLength() const { return fib_.ccpText; }
    // CPs of the content of a header (footer) story, guard mark excluded;
    // nothing when the section has none.
    std::optional<std::pair<uint32_t, uint32_t>> StoryRange(bool footer, int section, int index);

  private:
    struct Piece {
        uint32_t cp;    // first CP
        uint32_t pos;   // byte offset in WordDocument
        uint8_t width;  // bytes per CP: 1 or 2
        uint16_t prm;
    };
    enum class Eight { Fixed1252, CodePage };

    static constexpr size_t kChunk = 512;  // characters decoded at a time

    void OpenWord6Text();
    void ReadClx(Stream& s, uint32_t fc, uint32_t lcb);
    size_t Fetch(uint32_t& cp, uint32_t end, char16_t* out, size_t cap);
    size_t PieceAt(uint32_t cp);
    bool IsSectionEnd(uint32_t cpAfter);
    void ResetScan();
    std::u16string ScanTo(int n);
    bool HasSections();
    uint32_t SectionCount();
    std::u16string StoryText(bool footer, int section, int index);
    std::optional<std::pair<uint32_t, uint32_t>> HddStory(uint32_t k);
    unsigned Word6SectionMask(uint32_t s);
    void ChooseCodePage();
    Stream& TableStream() { return fib_.word6 ? wordDoc_ : table_; }
    PropertyReader* Properties();
    bool FcOf(uint32_t cp, uint32_t& fc, size_t& piece);
    bool PieceSprms(size_t piece, std::vector<unsigned char>& out);
    bool Describe(ParagraphFacts& p, const std::vector<uint32_t>& cps, uint32_t markCp,
                  ParaProps& pp);
    // The paragraphs of the CPs [from, to) of a story other than the main
    // document, at most `max`, with formatting (Word 97-2003); at most
    // kMaxText characters, or what is left of *budget, which it lowers.
    std::vector<ParagraphFacts> StoryParagraphs(uint32_t from, uint32_t to, size_t max,
                                                size_t* budget = nullptr);
    // 0-based body paragraphs holding each CP (sorted ascending); -1 for
    // those past the first `limit` paragraphs.
    std::vector<int> ParagraphsAt(const std::vector<uint32_t>& cps, int limit);

    std::unique_ptr<ByteSource> src_;
    BlockCache cache_;
    CompoundFile cf_;
    Stream wordDoc_;
    Stream table_;
    // The places it names are in the table stream (WordDocument for Word 6).
    Fib fib_;
    std::unique_ptr<PropertyReader> props_;  // made on first use
    bool propsTried_ = false;

    std::vector<Piece> pieces_;                        // with a final sentinel holding the end CP
    std::vector<std::pair<uint32_t, uint32_t>> prcs_;  // (offset, size) of each Prc grpprl
    Eight eight_ = Eight::Fixed1252;
    const CodePageTable* cpTable_ = nullptr;
    size_t lastPiece_ = 0;

    // Where the paragraph scan of the main document stands.
    uint32_t scanCp_ = 0;
    int scanPara_ = 0;  // paragraphs passed
    uint32_t scanSection_ = 0;
    FieldFilter scanFields_;
    char16_t pend_[kChunk];  // decoded but not yet consumed
    size_t pendPos_ = 0, pendLen_ = 0;
    // While set, the scan logs the CP of each character it hands out and of
    // the paragraph's ending mark.
    std::vector<uint32_t>* cpLog_ = nullptr;
    uint32_t scanMark_ = 0;
    bool scanMarkValid_ = false;
};

}  // namespace pelmora::word
