// The OpenDocument text reader: LibreOffice's .odt of our sources reads as
// LibreOffice's .doc and .docx of the same sources do (texts, headers and
// footers, the automatic mode's facts), plus what only OpenDocument has
// (page styles, covered cells, white space, templates, meta.xml) and
// packages that are damaged, hostile or of another kind.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "formats_support.h"
#include "reader/document.h"
#include "reader/io/bytesource.h"
#include "reader/open.h"
#include "reader/openers.h"

namespace pelmora::word {
namespace {

namespace fs = std::filesystem;
using test::Show;

const fs::path kData = PELMORA_TEST_DATA;

std::unique_ptr<DocumentImpl> OpenPath(const fs::path& p) {
    return Open(std::make_unique<FileSource>(p.string()));
}

// Paragraph n's text, or "<error: reason>".
std::string Para(DocumentImpl& d, int n) {
    try {
        return Show(d.ParagraphText(n));
    } catch (const WordError& e) {
        return std::string("<error>");
    }
}

// Paragraphs 1 to 40 (up to the first one missing), header and footer of
// sections 1 and 2 in every kind: the texts the object model gives.
std::vector<std::string> Texts(DocumentImpl& d) {
    std::vector<std::string> out;
    for (int n = 1; n <= 40; ++n) {
        out.push_back(Para(d, n));
        if (out.back() == "<error>") break;
    }
    for (int s = 1; s <= 2; ++s)
        for (int k = 1; k <= 3; ++k) {
            for (bool header : {true, false}) {
                try {
                    out.push_back(Show(header ? d.HeaderText(s, k) : d.FooterText(s, k)));
                } catch (const WordError&) {
                    out.push_back("<error>");
                }
            }
        }
    return out;
}

struct Pair {
    std::string odt, other;  // under tests/data
};

void PrintTo(const Pair& p, std::ostream* os) { *os << p.odt; }

std::vector<Pair> Pairs() {
    std::vector<Pair> out;
    for (const char* stem :
         {"astral", "empty_first", "en_first", "even_odd", "fields", "first_page", "footnote",
          "latin1", "line_break", "long_first", "picture_first", "short", "specials", "table_first",
          "two_sections", "zh_first"})
        out.push_back({std::string("odt/") + stem + ".odt", std::string(stem) + ".doc"});
    for (const char* stem :
         {"english", "chinese", "noheader", "tablefirst", "fields", "linebreaks", "twosections"})
        out.push_back({std::string("odt/formats/") + stem + ".odt",
                       std::string("formats/") + stem + ".docx"});
    return out;
}

class SameTexts : public ::testing::TestWithParam<Pair> {};

// The same source read through the .odt and through Word's formats.
TEST_P(SameTexts, AsTheWordFormatsOfTheSameSource) {
    const Pair& p = GetParam();
    if (!fs::exists(kData / p.odt) || !fs::exists(kData / p.other)) GTEST_SKIP();
    auto odt = OpenPath(kData / p.odt);
    auto other = OpenPath(kData / p.other);
    const std::vector<std::string> a = Texts(*odt), b = Texts(*other);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i], b[i]) << "text " << i;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SameTexts, ::testing::ValuesIn(Pairs()), [](const auto& info) {
    std::string name;
    for (char c : info.param.odt) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
});

// The facts the automatic mode weighs, as the .docx reader gives them for
// the .docx of the same source.
void ExpectSameFacts(const LeadingBody& odt, const LeadingBody& docx, const std::string& what) {
    ASSERT_EQ(odt.paragraphs.size(), docx.paragraphs.size()) << what;
    for (std::size_t i = 0; i < odt.paragraphs.size(); ++i) {
        const ParagraphFacts& a = odt.paragraphs[i];
        const ParagraphFacts& b = docx.paragraphs[i];
        SCOPED_TRACE(what + " paragraph " + std::to_string(i + 1) + " " + Show(b.text));
        // LibreOffice writes a page break after a paragraph into the .docx
        // as a character; the .odt keeps it a property.
        std::u16string docxText = b.text;
        if (docxText.ends_with(u"\f\r")) docxText.erase(docxText.size() - 2, 1);
        EXPECT_EQ(Show(a.text), Show(docxText));
        EXPECT_TRUE(a.formatted);
        EXPECT_EQ(a.styleId, b.styleId);
        EXPECT_EQ(a.outlineLevel, b.outlineLevel);
        EXPECT_EQ(a.centered, b.centered);
        EXPECT_EQ(a.maxHalfPoints, b.maxHalfPoints);
        EXPECT_EQ(a.mainHalfPoints, b.mainHalfPoints);
        EXPECT_EQ(a.bold, b.bold);
        EXPECT_EQ(a.color, b.color);
        EXPECT_EQ(a.tableRow, b.tableRow);
        EXPECT_EQ(a.tableCell, b.tableCell);
        EXPECT_EQ(a.pageBreakBefore || a.breakAfter, b.pageBreakBefore || b.breakAfter);
    }
}

TEST(OdfFacts, AsTheDocxOfTheSameSource) {
    int compared = 0;
    for (const char* dir : {"titles", "formats-props"}) {
        const fs::path odtDir = kData / "odt" / (std::string(dir) == "titles" ? "titles" : "props");
        if (!fs::is_directory(odtDir)) GTEST_SKIP() << "no .odt fixtures";
        for (const auto& entry : fs::directory_iterator(odtDir)) {
            const fs::path docx = kData / dir / (entry.path().stem().string() + ".docx");
            if (!fs::exists(docx)) continue;
            ExpectSameFacts(OpenPath(entry.path())->LeadingParagraphs(kLeadingParagraphs),
                            OpenPath(docx)->LeadingParagraphs(kLeadingParagraphs),
                            entry.path().filename().string());
            ++compared;
        }
    }
    EXPECT_GE(compared, 20);
}

TEST(OdfStructure, HeadingsListsNotesTablesAndBreaks) {
    auto odt = OpenPath(kData / "odt/hand/structure.odt");
    const std::vector<std::string> want = {
        "Rules of the house\\r",
        "Two   spaces\\tand a tab\\vand a break.\\r",
        "Who may enter\\r",
        "Members\\r",
        "Guests\\x02 of members\\r",
        "A comment\\x05 here.\\r",
        // Spanned cells: one cell for two columns, an empty one below a
        // cell that spans rows; a nested table closes its cell after it.
        "Wide\\r\\a",
        "Tall\\r\\a",
        "\\r\\a",
        "A\\r",
        "A2\\r\\a",
        "Inner\\r\\a",
        "\\r\\a",
        "\\r\\a",
        "\\r\\a",
        "\\r\\a",
        "Before the break\\r",
        "Second page\\r",
        "Third page\\r",
    };
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(Para(*odt, int(i + 1)), want[i]) << "paragraph " << i + 1;
    EXPECT_EQ(Para(*odt, int(want.size() + 1)), "<error>");
    EXPECT_EQ(Show(odt->HeaderText(1, 1)), "Structure header\\r");
    EXPECT_EQ(Show(odt->FooterText(1, 1)), "Page 3\\r");
    EXPECT_EQ(odt->TitleProperty(), u"Stored structure title");

    // The first page ends after the paragraph with a break after it; the
    // docx of the same source agrees on everything up to there but keeps
    // that break as a character.
    const LeadingBody body = odt->LeadingParagraphs(kLeadingParagraphs);
    ASSERT_EQ(body.paragraphs.size(), 17u);
    EXPECT_TRUE(body.paragraphs.back().breakAfter);
    EXPECT_EQ(body.paragraphs[0].outlineLevel, 0);
    EXPECT_EQ(body.paragraphs[0].styleId, kStiHeading1);
    EXPECT_EQ(body.paragraphs[2].outlineLevel, 1);
    EXPECT_EQ(body.paragraphs[1].outlineLevel, 9);
    EXPECT_EQ(body.paragraphs[6].tableRow, 1);
    EXPECT_EQ(body.paragraphs[7].tableCell, 2);
    EXPECT_EQ(body.paragraphs[9].tableRow, 2);
    auto docx = OpenPath(kData / "odt/hand/structure.docx");
    LeadingBody same = docx->LeadingParagraphs(kLeadingParagraphs);
    same.paragraphs.back().text = u"Before the break\r";
    LeadingBody first = body;
    EXPECT_NO_FATAL_FAILURE(ExpectSameFacts(first, same, "structure"));
    EXPECT_TRUE(OpenPath(kData / "odt/hand/structure.odt")
                    ->LeadingParagraphs(kLeadingParagraphs)
                    .paragraphs.back()
                    .breakAfter);
}

TEST(OdfStructure, APageBreakBeforeAParagraphIsAFactNotACharacter) {
    auto odt = OpenPath(kData / "odt/hand/structure.odt");
    // Past the first page: reading on for paragraph 19.
    EXPECT_EQ(Para(*odt, 19), "Third page\\r");
}

TEST(OdfPageStyles, TheFirstParagraphsPageStyleGivesSectionOne) {
    auto odt = OpenPath(kData / "odt/hand/masters.odt");
    // Paragraph 2 ends the first section: the next starts page style "Plain".
    EXPECT_EQ(Para(*odt, 1), "Cover page\\r");
    EXPECT_EQ(Para(*odt, 2), "Still the cover\\f");
    EXPECT_EQ(Para(*odt, 3), "Plain page\\r");
    EXPECT_EQ(Show(odt->HeaderText(1, 1)), "封面页眉\\r第二行\\r");
    EXPECT_EQ(Show(odt->FooterText(1, 1)), "Cover footer\\r");
    // "Plain" has neither; it never shows the cover's.
    EXPECT_EQ(Show(odt->HeaderText(2, 1)), "\\r");
    EXPECT_THROW(odt->HeaderText(3, 1), WordError);

    // A first page style of its own (ODF 1.2's way): its header is the
    // first page's, as LibreOffice's own export shows it; the .docx
    // LibreOffice makes files it as the first-page header instead.
    auto cover = OpenPath(kData / "odt/formats/firstpage.odt");
    EXPECT_EQ(Show(cover->HeaderText(1, 1)), "First Page Header\\r");
    EXPECT_EQ(Show(cover->FooterText(1, 1)), "First Page Footer\\r");

    // First-page headers (ODF 1.3) are the first page's kind; the primary
    // one is the other pages', as in Word.
    auto first = OpenPath(kData / "odt/first_page.odt");
    EXPECT_EQ(Show(first->HeaderText(1, 1)), "Primary header\\r");
    EXPECT_EQ(Show(first->HeaderText(1, 2)), "First page header\\r");
    EXPECT_EQ(Show(first->FooterText(1, 2)), "First page footer\\r");
    EXPECT_EQ(Show(first->HeaderText(1, 3)), "\\r");
}

TEST(OdfStyles, ParentsDefaultsAndTextStyles) {
    auto odt = OpenPath(kData / "odt/hand/styles.odt");
    const LeadingBody body = odt->LeadingParagraphs(kLeadingParagraphs);
    ASSERT_EQ(body.paragraphs.size(), 5u);
    const auto& p = body.paragraphs;
    // Red over a centred parent. Sizes are the Western ones, as a .docx has
    // them, also where an Asian size differs.
    EXPECT_TRUE(p[0].centered);
    EXPECT_EQ(p[0].color, 0xFF0000u);
    EXPECT_EQ(p[0].mainHalfPoints, 40);
    EXPECT_EQ(p[0].styleId, kStiUser);
    // A text style over the paragraph's: the bigger, bolder words.
    EXPECT_EQ(p[1].mainHalfPoints, 40);
    EXPECT_EQ(p[1].maxHalfPoints, 56);
    EXPECT_FALSE(p[1].bold);
    // The Title style through "Centred".
    EXPECT_EQ(p[2].styleId, kStiTitle);
    EXPECT_TRUE(p[2].bold);
    EXPECT_EQ(p[2].maxHalfPoints, 40);
    EXPECT_EQ(p[2].mainHalfPoints, 40);
    // The default style's size.
    EXPECT_EQ(p[3].mainHalfPoints, 21);
    EXPECT_EQ(p[3].styleId, kStiNormal);
    EXPECT_EQ(p[3].styleName, u"Normal");
    EXPECT_TRUE(p[4].bold);
    EXPECT_EQ(p[4].color, 0x1F3864u);
}

TEST(OdfPackages, TemplatesAndEveryWayInReadAlike) {
    const std::string odt = (kData / "odt/hand/masters.odt").string();
    const std::string ott = (kData / "odt/hand/masters.ott").string();
    EXPECT_EQ(test::SniffFile(ott), Format::Zip);
    EXPECT_EQ(Texts(*OpenPath(ott)), Texts(*OpenPath(odt)));
    const std::string bytes = test::ReadAll(odt);
    EXPECT_EQ(Texts(*OpenOdfBytes(bytes)), Texts(*OpenPath(odt)));
    EXPECT_EQ(Texts(*OpenOdfDocument(odt)), Texts(*OpenPath(odt)));
    Application word;
    EXPECT_EQ(word.OpenMemory(bytes.data(), bytes.size())->ParagraphText(1), u"Cover page\r");
    // Without its meta.xml, styles.xml or a mimetype entry first, a package
    // still reads.
    for (const char* name : {"mimetype-last.odt", "no-meta.odt", "no-styles.odt"}) {
        auto doc = OpenPath(kData / "odt/odd" / name);
        EXPECT_EQ(Show(doc->ParagraphText(1)), "Rules of the house\\r") << name;
    }
    EXPECT_EQ(OpenPath(kData / "odt/odd/no-meta.odt")->TitleProperty(), u"");
    EXPECT_EQ(Show(OpenPath(kData / "odt/odd/no-styles.odt")->HeaderText(1, 1)), "\\r");
}

TEST(OdfPackages, DamagedHostileOrOtherKindsSayWhy) {
    const std::pair<const char*, const char*> cases[] = {
        {"spreadsheet.ods", "not a text document"},
        {"no-content.odt", "no content.xml"},
        {"content-not-xml.odt", "damaged XML"},
        {"content-cut.odt", "damaged XML"},
        {"content-dtd.odt", "DTD"},
        {"encrypted.odt", "encrypted"},
        {"bomb.odt", "too large"},
        {"deep.odt", "nested too deeply"},
    };
    for (const auto& [name, reason] : cases) {
        try {
            auto doc = OpenPath(kData / "odt/odd" / name);
            doc->ParagraphText(1);
            ADD_FAILURE() << name << " read";
        } catch (const WordError& e) {
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos)
                << name << ": " << e.what();
        }
    }
    // A flood of repeated rows and cells reads as one of each.
    auto doc = OpenPath(kData / "odt/odd/repeated.odt");
    EXPECT_EQ(Show(doc->ParagraphText(1)), "x\\r\\a");
    EXPECT_EQ(Show(doc->ParagraphText(2)), "\\r\\a");
    EXPECT_EQ(Show(doc->ParagraphText(3)), "After the table\\r");
}

TEST(OdfPackages, TheHeadSaysOpenDocument) {
    EXPECT_TRUE(IsOpenDocumentHead(test::ReadAll((kData / "odt/hand/styles.odt").string())));
    EXPECT_FALSE(IsOpenDocumentHead(test::ReadAll((kData / "formats/english.docx").string())));
    EXPECT_FALSE(IsOpenDocumentHead(test::ReadAll((kData / "odt/odd/mimetype-last.odt").string())));
    EXPECT_FALSE(IsOpenDocumentHead("PK\x03\x04"));
    const std::string ods = test::ReadAll((kData / "odt/odd/spreadsheet.ods").string());
    EXPECT_TRUE(IsOpenDocumentHead(ods));
    EXPECT_FALSE(IsOpenDocumentTextHead(ods));
    EXPECT_TRUE(IsOpenDocumentTextHead(test::ReadAll((kData / "odt/hand/styles.ott").string())));
}

}  // namespace
}  // namespace pelmora::word
