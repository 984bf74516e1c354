// The story base the .docx, RTF and web readers share: index checks, lazy
// reading, the walk back through sections, table layout, leading paragraphs.

#include "reader/story.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "formats_support.h"
#include "reader/error.h"
#include "reader/open.h"
#include "reader/openers.h"

namespace pelmora::word {
namespace {

using test::Show;

// A reader over a fixed body that learns at most as far as it is asked, and
// counts its passes, the way the lazy readers parse from the start each time.
class FakeReader : public StoryDocument {
  public:
    FakeReader(std::vector<std::u16string> body, std::vector<Section> sections,
               std::map<std::string, std::u16string> stories)
        : body_(std::move(body)), allSections_(std::move(sections)), texts_(std::move(stories)) {}

    int passes = 0;
    int storyLoads = 0;

  private:
    void Learn(std::size_t paragraphs, std::size_t sections) override {
        ++passes;
        std::vector<ParagraphFacts> learnt;
        for (std::size_t i = 0; i < body_.size() && i < std::max<std::size_t>(paragraphs, 1); ++i) {
            ParagraphFacts p;
            p.text = body_[i];
            learnt.push_back(std::move(p));
        }
        const std::size_t known = std::min(allSections_.size(), sections);
        std::vector<Section> secs(allSections_.begin(),
                                  allSections_.begin() + static_cast<std::ptrdiff_t>(known));
        Keep(std::move(learnt), std::move(secs));
        if (paragraphs >= body_.size()) paragraphCount_ = body_.size();
        if (sections >= allSections_.size()) sectionsComplete_ = true;
    }
    std::u16string StoryText(const std::string& key) override {
        ++storyLoads;
        auto it = texts_.find(key);
        return it == texts_.end() ? u"\r" : it->second;
    }

    std::vector<std::u16string> body_;
    std::vector<Section> allSections_;
    std::map<std::string, std::u16string> texts_;
};

StoryDocument::Section Refs(const char* primaryHeader, const char* firstPageHeader = "",
                            const char* primaryFooter = "") {
    StoryDocument::Section s;
    s.header[0] = primaryHeader;
    s.header[1] = firstPageHeader;
    s.footer[0] = primaryFooter;
    return s;
}

TEST(StoryDocument, ParagraphIndexesAreCheckedAndLearntLazily) {
    FakeReader doc({u"One\r", u"Two\r", u"Three\r"}, {}, {});
    EXPECT_THROW(doc.ParagraphText(0), WordError);
    EXPECT_THROW(doc.ParagraphText(-3), WordError);
    EXPECT_EQ(doc.passes, 0);  // a bad index reads nothing
    EXPECT_EQ(Show(doc.ParagraphText(2)), "Two\\r");
    EXPECT_EQ(doc.passes, 1);
    EXPECT_EQ(Show(doc.ParagraphText(1)), "One\\r");
    EXPECT_EQ(doc.passes, 1);  // already stored
    EXPECT_THROW(doc.ParagraphText(4), WordError);
    const int afterEnd = doc.passes;
    EXPECT_THROW(doc.ParagraphText(9), WordError);
    EXPECT_EQ(doc.passes, afterEnd);  // the end is known: no further pass
}

TEST(StoryDocument, HeadersWalkBackThroughSectionsPerKind) {
    FakeReader doc({u"Body\r"}, {Refs("h1", "first1", "f1"), Refs(""), Refs("h3")},
                   {{"h1", u"Header one\r"},
                    {"first1", u"First page\r"},
                    {"f1", u"Footer one\r"},
                    {"h3", u"Header three\r"}});
    EXPECT_EQ(Show(doc.HeaderText(1, 1)), "Header one\\r");
    EXPECT_EQ(Show(doc.HeaderText(2, 1)), "Header one\\r");  // section 2 shows section 1's
    EXPECT_EQ(Show(doc.HeaderText(3, 1)), "Header three\\r");
    EXPECT_EQ(Show(doc.HeaderText(3, 2)), "First page\\r");  // each kind walks back on its own
    EXPECT_EQ(Show(doc.FooterText(3, 1)), "Footer one\\r");
    EXPECT_EQ(Show(doc.HeaderText(1, 3)), "\\r");  // no even-page header anywhere
    EXPECT_EQ(Show(doc.FooterText(2, 2)), "\\r");
    EXPECT_THROW(doc.HeaderText(4, 1), WordError);
    EXPECT_THROW(doc.HeaderText(0, 1), WordError);
    EXPECT_THROW(doc.HeaderText(1, 0), WordError);
    EXPECT_THROW(doc.FooterText(1, 4), WordError);
    EXPECT_EQ(doc.storyLoads, 4);  // each story resolved once, however often asked
    doc.HeaderText(2, 1);
    doc.HeaderText(1, 1);
    EXPECT_EQ(doc.storyLoads, 4);
}

TEST(StoryDocument, ABodyWithoutSectionsIsOneSection) {
    FakeReader doc({u"Body\r"}, {}, {});
    EXPECT_EQ(Show(doc.HeaderText(1, 1)), "\\r");
    EXPECT_EQ(Show(doc.FooterText(1, 1)), "\\r");
    EXPECT_THROW(doc.HeaderText(2, 1), WordError);
}

TEST(StoryDocument, LeadingParagraphsInOnePassUpToTheFirstBreak) {
    FakeReader doc({u"Title\r", u"Sub\v title\r", u"End of page\f", u"Next page\r"}, {}, {});
    LeadingBody body = doc.LeadingParagraphs(60);
    ASSERT_EQ(body.paragraphs.size(), 3u);
    EXPECT_EQ(Show(body.paragraphs[1].text), "Sub\\v title\\r");
    EXPECT_FALSE(body.paragraphs[0].breakAfter);
    EXPECT_TRUE(body.paragraphs[2].breakAfter);
    EXPECT_FALSE(body.paragraphs[0].formatted);  // no formatting known yet
    EXPECT_EQ(doc.passes, 1);  // all that were asked for at once, paragraph 1 among them
    EXPECT_EQ(doc.LeadingParagraphs(2).paragraphs.size(), 2u);
    EXPECT_TRUE(doc.LeadingParagraphs(0).paragraphs.empty());

    FakeReader empty({}, {}, {});
    EXPECT_THROW(empty.LeadingParagraphs(5), WordError);  // where ParagraphText(1) throws
}

// Paragraphs emitted by a layout, for comparing with Word's text.
struct Emitted {
    std::vector<std::string> shown;
    CellLayout layout{[this](std::u16string p) { shown.push_back(Show(p)); }};
};

TEST(CellLayout, CellsRowsAndNestedTables) {
    Emitted e;
    e.layout.Paragraph(u"Before");
    e.layout.TableStart();
    e.layout.RowStart();
    e.layout.CellStart();
    e.layout.Paragraph(u"a1");
    e.layout.Paragraph(u"a2");
    e.layout.CellEnd();
    e.layout.CellStart();
    e.layout.CellEnd();  // an empty cell is one cell mark
    e.layout.RowEnd();
    e.layout.RowStart();
    e.layout.CellStart();
    e.layout.Paragraph(u"outer");
    e.layout.TableStart();  // nested: the cell's paragraph so far ends as a paragraph
    e.layout.RowStart();
    e.layout.CellStart();
    e.layout.Paragraph(u"inner");
    e.layout.TableEnd();  // closes the inner cell and row
    e.layout.CellEnd();
    e.layout.TableEnd();
    e.layout.Paragraph(u"After", u'\f');
    const std::vector<std::string> want = {"Before\\r", "a1\\r",    "a2\\r\\a",    "\\r\\a",
                                           "\\r\\a",    "outer\\r", "inner\\r\\a", "\\r\\a",
                                           "\\r\\a",    "\\r\\a",   "After\\f"};
    EXPECT_EQ(e.shown, want);
}

TEST(CellLayout, TagSoupIsClosedAndStrayCellsIgnored) {
    Emitted e;
    e.layout.CellStart();  // no table: not a cell
    e.layout.Paragraph(u"loose");
    e.layout.TableStart();
    e.layout.CellStart();  // no row start: the cell opens one
    e.layout.Paragraph(u"x");
    e.layout.CellStart();  // the previous cell was never closed
    e.layout.Paragraph(u"y");
    e.layout.Finish();
    const std::vector<std::string> want = {"loose\\r", "x\\r\\a", "y\\r\\a", "\\r\\a"};
    EXPECT_EQ(e.shown, want);
    EXPECT_EQ(e.layout.Depth(), 0u);
}

// Every reader on the base gives the same leading paragraphs as it gives
// paragraph texts one by one.
TEST(StoryDocument, LeadingParagraphsMatchParagraphTextInEveryFormat) {
    for (const char* name : {"english.docx", "english.rtf", "english.xml", "noheader.html",
                             "report.mht", "tablefirst.docx", "twosections.rtf"}) {
        SCOPED_TRACE(name);
        auto lead = Open(std::make_unique<FileSource>(test::FormatFixture(name)));
        auto one = Open(std::make_unique<FileSource>(test::FormatFixture(name)));
        LeadingBody body = lead->LeadingParagraphs(kLeadingParagraphs);
        ASSERT_FALSE(body.paragraphs.empty());
        for (std::size_t i = 0; i < body.paragraphs.size(); ++i)
            EXPECT_EQ(Show(body.paragraphs[i].text),
                      Show(one->ParagraphText(static_cast<int>(i) + 1)))
                << "paragraph " << i + 1;
        const bool stoppedAtBreak = body.paragraphs.back().breakAfter;
        if (!stoppedAtBreak &&
            body.paragraphs.size() < static_cast<std::size_t>(kLeadingParagraphs)) {
            EXPECT_THROW(one->ParagraphText(static_cast<int>(body.paragraphs.size()) + 1),
                         WordError);
        }
    }
}

}  // namespace
}  // namespace pelmora::word
