#pragma once
// What the .docx, RTF and web-page readers share: a body of paragraphs, the
// sections with their header and footer stories, and the answers the object
// model asks for over them. A reader fills the body and the sections (all at
// once, or lazily as far as a question needs); this base checks indexes,
// walks back through sections for headers and footers, and lays out table
// cells and rows the way Word's text does.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reader/documentimpl.h"
#include "reader/paragraph.h"

namespace pelmora::word {

class StoryDocument : public DocumentImpl {
  public:
    // Header and footer stories of one section by kind (0 primary, 1 first
    // page, 2 even pages): a key the reader resolves in StoryText, empty when
    // the section shows the previous section's.
    struct Section {
        std::array<std::string, 3> header, footer;
        bool titlePage = false;  // a distinct first page: it shows header[1]
    };

    std::u16string ParagraphText(int n) final;
    std::u16string HeaderText(int section, int index) final;
    std::u16string FooterText(int section, int index) final;
    // Section 1's first-page or primary header as the sections learnt say,
    // through HeaderParagraphs.
    std::vector<ParagraphFacts> FirstPageHeaderParagraphs(int maxParagraphs) override;

  protected:
    // The stored paragraphs with their facts, the first form feed ending them.
    // The first call reads on with formatting (one pass for all of them).
    LeadingBody ReadLeading(int maxCount) override;
    // Reads on until at least `paragraphs` body paragraphs and `sections`
    // sections are stored, or the body ends. Readers that store everything
    // up front keep this default.
    virtual void Learn(std::size_t paragraphs, std::size_t sections);
    // The text of the story a section names; u"\r" when there is none.
    virtual std::u16string StoryText(const std::string& key) = 0;
    // The paragraphs of that story; readers that can format them say so.
    virtual std::vector<ParagraphFacts> HeaderParagraphs(const std::string& key, int maxParagraphs);
    // Section 1, learnt when it is not yet; null when the body has none.
    const Section* FirstSection();

    // The body's first paragraphs (text and facts); formatting stays default
    // where the reader knows none.
    std::vector<ParagraphFacts> paragraphs_;
    // All paragraphs of the body, once the reader has seen its end.
    std::optional<std::size_t> paragraphCount_;
    std::vector<Section> sections_;
    bool sectionsComplete_ = false;
    // Set while LeadingParagraphs asks Learn for formatting too.
    bool wantFacts_ = false;
    // Paragraphs whose formatting a pass has looked for; readers that always
    // read formatting set it to SIZE_MAX.
    std::size_t factsLearnt_ = 0;

    // A story's paragraphs as one text, u"\r" when empty.
    static std::u16string Joined(const std::vector<std::u16string>& paragraphs);
    // Keeps what a new pass learnt when it learnt more than the last one,
    // and the formatting of either.
    void Keep(std::vector<ParagraphFacts> paragraphs, std::vector<Section> sections);

  private:
    std::u16string Story(int section, int index, bool header);
    std::map<std::string, std::u16string> stories_;
};

// Lays out the paragraphs of one story the way Word's text shows tables: the
// last paragraph of a cell ends in u"\r\a", every row adds u"\r\a" of its
// own, and a table nested in a cell closes the cell paragraph before it.
// Paragraphs go to `emit` with their marks and, in facts, their row and cell
// in the outermost table (the row-end mark counts as the cell after the last).
class CellLayout {
  public:
    explicit CellLayout(std::function<void(std::u16string)> emit)
        : emit_([e = std::move(emit)](ParagraphFacts p) { e(std::move(p.text)); }) {}
    explicit CellLayout(std::function<void(ParagraphFacts)> emit) : emit_(std::move(emit)) {}

    bool InCell() const { return !open_.empty() && open_.back().cell; }
    bool InTable() const { return !open_.empty() && !open_.back().cell; }
    std::size_t Depth() const { return open_.size(); }

    // A paragraph ends (text without its mark); `mark` ends it outside cells.
    void Paragraph(std::u16string text, char16_t mark = u'\r');
    void Paragraph(ParagraphFacts p, char16_t mark = u'\r');
    void TableStart();
    void TableEnd();
    void RowStart();
    void RowEnd();
    void CellStart();
    void CellEnd();
    // Closes whatever is still open.
    void Finish();

  private:
    struct Open {
        bool cell = false;
        bool rowOpen = false;
        bool hasPending = false;
        ParagraphFacts pending;  // a cell's latest paragraph, ending decided at the cell's end
    };
    void Emit(ParagraphFacts p, std::u16string_view mark);
    std::function<void(ParagraphFacts)> emit_;
    std::vector<Open> open_;
    int row_ = 0, cell_ = 0;  // in the outermost table
    bool lastFormatted_ = false;
};

// Characters that show ink: what the size, bold and colour facts count.
inline bool InkChar(char16_t c) {
    return c > 0x20 && c != 0xA0 && c != 0x3000 && c != 0xFEFF && !(c >= 0x2000 && c <= 0x200B);
}

// Font sizes Word accepts, in half-points (1 to 1638 points); a size outside
// is damage.
inline constexpr int kMinHalfPoints = 2;
inline constexpr int kMaxHalfPoints = 3276;

// Counts a paragraph's visible characters by size, boldness and colour.
class RunTally {
  public:
    void Add(std::u16string_view text, int halfPoints, bool bold, uint32_t color);
    // A run whose properties could not be read spoils the paragraph's facts.
    void Spoil() { spoiled_ = true; }
    // Visible characters counted so far.
    int Counted() const { return visible_; }
    // Sets the size, bold and colour facts; false when spoiled.
    bool Into(ParagraphFacts& p) const;
    void Clear() { *this = RunTally(); }

  private:
    std::vector<std::pair<int, int>> sizes_;  // half-points, characters
    std::vector<std::pair<uint32_t, int>> colors_;
    int visible_ = 0, bold_ = 0, largest_ = 0;
    bool spoiled_ = false;
};

// The built-in id of a style by its name ("heading 1", "Title", "标题 1",
// "副标题"; English names without regard to case); kStiUser otherwise.
int BuiltInStyleOfName(std::u16string_view name);

}  // namespace pelmora::word
