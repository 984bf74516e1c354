// Paragraph formatting of the leading body in the .docx, Word 2003 XML, RTF
// and web-page readers: fixtures made by LibreOffice and by hand, damaged
// property data, and texts that must equal ParagraphText.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "corpus.h"
#include "formats_support.h"
#include "reader/document.h"
#include "reader/io/bytesource.h"
#include "reader/open.h"
#include "reader/openers.h"
#include "reader/story.h"
#include "support/utf.h"

namespace pelmora::word {
namespace {

using test::Show;

std::string PropsFixture(const std::string& name) {
    return std::string(PELMORA_TEST_DATA) + "/formats-props/" + name;
}

std::unique_ptr<DocumentImpl> OpenFile(const std::string& path) {
    return Open(std::make_unique<FileSource>(path));
}

// The facts a test states about one paragraph; -1 (or kStiUnknown for the
// style) leaves a field unchecked.
struct Want {
    std::u16string text;
    int styleId = kStiUnknown;
    int mainHalfPoints = -1;
    int maxHalfPoints = -1;
    int bold = -1;
    int centered = -1;
    int outlineLevel = -1;
    int row = -1, cell = -1;
    long long color = -1;
};

void ExpectFacts(const ParagraphFacts& p, const Want& w, std::size_t index) {
    SCOPED_TRACE("paragraph " + std::to_string(index + 1) + " " + Show(p.text));
    EXPECT_EQ(Show(p.text), Show(w.text));
    EXPECT_TRUE(p.formatted);
    if (w.styleId != kStiUnknown) {
        EXPECT_EQ(p.styleId, w.styleId);
    }
    if (w.mainHalfPoints >= 0) {
        EXPECT_EQ(p.mainHalfPoints, w.mainHalfPoints);
    }
    if (w.maxHalfPoints >= 0) {
        EXPECT_EQ(p.maxHalfPoints, w.maxHalfPoints);
    }
    if (w.bold >= 0) {
        EXPECT_EQ(p.bold, w.bold == 1);
    }
    if (w.centered >= 0) {
        EXPECT_EQ(p.centered, w.centered == 1);
    }
    if (w.outlineLevel >= 0) {
        EXPECT_EQ(p.outlineLevel, w.outlineLevel);
    }
    if (w.row >= 0) {
        EXPECT_EQ(p.tableRow, w.row);
    }
    if (w.cell >= 0) {
        EXPECT_EQ(p.tableCell, w.cell);
    }
    if (w.color >= 0) {
        EXPECT_EQ(p.color, static_cast<uint32_t>(w.color));
    }
}

void ExpectLeading(const LeadingBody& body, const std::vector<Want>& want) {
    ASSERT_GE(body.paragraphs.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) ExpectFacts(body.paragraphs[i], want[i], i);
}

// ------------------------------------------------------- LibreOffice fixtures

TEST(LeadingFormats, StylesTitleSubtitleAndHeadings) {
    // Title 28pt bold centred, Subtitle 18pt, Heading 1 16pt bold, body 12pt
    // with one 20pt word, Heading 2 14pt bold.
    const std::vector<Want> want = {
        {u"Annual Report 2024\r", kStiTitle, 56, 56, 1, 1, 9},
        {u"Works and Plans\r", kStiSubtitle, 36, 36, 0, 1, 9},
        {u"1 Overview\r", kStiHeading1, 32, 32, 1, 0, 0},
        {u"Plain body text in twelve points, with big word.\r", kStiNormal, 24, 40, 0, 0, 9},
        {u"1.1 Detail\r", kStiHeading1 + 1, 28, 28, 1, 0, 1},
    };
    for (const char* name : {"styles.docx", "styles.rtf"}) {
        SCOPED_TRACE(name);
        auto doc = OpenFile(PropsFixture(name));
        LeadingBody body = doc->LeadingParagraphs(kLeadingParagraphs);
        ExpectLeading(body, want);
        EXPECT_EQ(Show(body.titleProperty), "Stale Property");
        EXPECT_EQ(Show(body.paragraphs[2].styleName), "Heading 1");
        EXPECT_EQ(body.paragraphs.size(), 6u);  // no break: all of them
    }
    // Word 2003 XML as LibreOffice writes it names headings after its own
    // styles; sizes, weight and centring resolve the same way.
    auto xml = OpenFile(PropsFixture("styles.xml"));
    LeadingBody body = xml->LeadingParagraphs(kLeadingParagraphs);
    std::vector<Want> sizes = want;
    for (auto& w : sizes) w.styleId = kStiUnknown, w.outlineLevel = -1;
    sizes[0].styleId = kStiTitle;
    ExpectLeading(body, sizes);
    EXPECT_EQ(Show(body.titleProperty), "Stale Property");
}

TEST(LeadingFormats, LetterheadRedTextAndATableWithTheTitleInRowOne) {
    const std::vector<Want> want = {
        {u"某某市人民政府文件\r", kStiUser, 44, 44, 1, 1, 9, 0, 0, 0xFF0000},
        {u"某政发〔2024〕12号\r", kStiNormal, 24, 24, 0, 1, 9, 0, 0, kAutoColor},
        {u"关于印发工作方案的通知\r", kStiUser, 44, 44, 1, 1},
        {u"项目申请表\r\a", kStiUser, 32, 32, 1, 0, 9, 1, 1},
        {u"编号\r\a", kStiNormal, 24, 24, 0, 0, 9, 1, 2},
        {u"\r\a", kStiNormal, 0, 0, 0, 0, 9, 1, 3},  // row end: the cell after the last
        {u"单位\r\a", kStiUnknown, 24, 24, 0, 0, 9, 2, 1},
        {u"名称\r", kStiUnknown, 24, 24, 0, 0, 9, 2, 2},
        {u"地址\r\a", kStiUnknown, 24, 24, 0, 0, 9, 2, 2},
        {u"\r\a", kStiUnknown, 0, 0, 0, 0, 9, 2, 3},
    };
    for (const char* name : {"letterhead.docx", "letterhead.rtf", "letterhead.xml"}) {
        SCOPED_TRACE(name);
        auto doc = OpenFile(PropsFixture(name));
        LeadingBody body = doc->LeadingParagraphs(kLeadingParagraphs);
        std::vector<Want> w = want;
        if (std::string(name).ends_with(".xml"))
            for (auto& one : w) one.styleId = kStiUnknown;  // LibreOffice's own style names
        ExpectLeading(body, w);
        EXPECT_EQ(Show(body.paragraphs[0].styleName), "Letterhead");
        EXPECT_EQ(Show(body.titleProperty), "关于印发工作方案的通知");
        const ParagraphFacts& after = body.paragraphs[10];
        EXPECT_EQ(after.tableRow, 0);  // the table has ended
        if (!std::string(name).ends_with(".docx")) {
            // RTF and Word 2003 XML keep the break as a property of the next paragraph.
            ASSERT_EQ(body.paragraphs.size(), 12u);
            EXPECT_TRUE(body.paragraphs[11].pageBreakBefore);
            EXPECT_FALSE(after.breakAfter);
        } else {
            // The packages put a page break at the end of the paragraph before.
            EXPECT_EQ(body.paragraphs.size(), 11u);
            EXPECT_TRUE(after.breakAfter);
        }
    }
}

TEST(LeadingFormats, ACoverPageEndsTheLeadingBodyAtItsSectionBreak) {
    for (const char* name : {"cover.docx", "cover.rtf", "cover.xml"}) {
        SCOPED_TRACE(name);
        auto doc = OpenFile(PropsFixture(name));
        LeadingBody body = doc->LeadingParagraphs(kLeadingParagraphs);
        ASSERT_EQ(body.paragraphs.size(), 4u);
        ExpectLeading(body, {
                                {u"某某研究院\r", kStiUnknown, 32, 32, 0, 1},
                                {u"\r", kStiUnknown, 0, 0, 0, 0},
                                {u"城市更新可行性研究报告\r", kStiUnknown, 52, 52, 1, 1},
                                {u"二〇二四年三月\f", kStiUnknown, 24, 24, 0, 1},
                            });
        EXPECT_TRUE(body.paragraphs[3].breakAfter);
        EXPECT_FALSE(body.paragraphs[2].breakAfter);
        EXPECT_EQ(Show(body.titleProperty), "Cover");
        // The next page is still there for the paragraphs one by one.
        EXPECT_EQ(Show(doc->ParagraphText(5)), "第一章 总论\\r");
    }
}

TEST(LeadingFormats, WebPagesLibreOfficeWrites) {
    auto styles = OpenFile(PropsFixture("styles.html"));
    LeadingBody body = styles->LeadingParagraphs(kLeadingParagraphs);
    ExpectLeading(body,
                  {
                      {u"Annual Report 2024\r", kStiNormal, 56, 56, 1, 1},
                      {u"Works and Plans\r", kStiNormal, 36, 36, 0, 1},
                      // h1 with the page's "h1.western" rule
                      {u"1 Overview\r", kStiHeading1, 32, 32, 1, 0, 0},
                      {u"Plain body text in twelve points, with big word.\r", kStiNormal, 24, 40},
                      {u"1.1 Detail\r", kStiHeading1 + 1, 28, 28, 1, 0, 1},
                  });
    EXPECT_EQ(Show(body.titleProperty), "Stale Property");

    auto letter = OpenFile(PropsFixture("letterhead.html"));
    body = letter->LeadingParagraphs(kLeadingParagraphs);
    ASSERT_EQ(body.paragraphs.size(), 12u);
    ExpectFacts(body.paragraphs[0],
                {u"某某市人民政府文件\r", kStiNormal, 20, 20, 0, 1, 9, 0, 0, 0xFF0000}, 0);
    ExpectFacts(body.paragraphs[3], {u"项目申请表\r\a", kStiNormal, 20, 20, 0, 0, 9, 1, 1}, 3);
    ExpectFacts(body.paragraphs[9], {u"\r\a", kStiNormal, 0, 0, 0, 0, 9, 2, 3}, 9);
    EXPECT_TRUE(body.paragraphs[11].pageBreakBefore);
    EXPECT_FALSE(body.paragraphs[10].pageBreakBefore);
    EXPECT_EQ(Show(body.titleProperty), "关于印发工作方案的通知");
}

// ------------------------------------------------------------ by hand

TEST(LeadingFormats, WebPageCssRulesSizesAndTags) {
    auto doc = OpenFile(PropsFixture("hand-css.html"));
    LeadingBody body = doc->LeadingParagraphs(kLeadingParagraphs);
    ASSERT_EQ(body.paragraphs.size(), 16u);
    EXPECT_EQ(Show(body.titleProperty), "Page Title");  // blanks collapsed, not a paragraph
    ExpectLeading(body, {
                            {u"Red sixteen pixels\r", kStiNormal, 24, 24, 0, 0, 9, 0, 0, 0xCC0000},
                            {u"Rule Title\r", kStiTitle, 44, 44, 1, 1},  // p.MsoTitle
                            {u"Heading One\r", kStiHeading1, 48, 48, 1, 0, 0},
                            {u"Heading Two\r", kStiHeading1 + 1, 30, 30, 1, 0, 1},
                            {u"Centred bold and plain\r", kStiNormal, 24, 24, 1, 1},
                            {u"Font tag\r", kStiNormal, 48, 48, 0, 1, 9, 0, 0, 0xFF0000},
                            {u"Two em blue\r", kStiNormal, 48, 48, 1, 0, 9, 0, 0, 0x0000FF},
                            {u"Large words here\r", kStiNormal, 36, 36, 0},
                            {u"Form Title\r\a", kStiNormal, 24, 24, 1, 0, 9, 1, 1},
                            {u"No.\r\a", kStiNormal, 24, 24, 0, 0, 9, 1, 2},
                            {u"\r\a", kStiNormal, 0, 0, 0, 0, 9, 1, 3},
                            {u"small\r\a", kStiNormal, 18, 18, 0, 0, 9, 2, 1},
                        });
    EXPECT_EQ(Show(body.paragraphs[2].styleName), "heading 1");
    // An absurd size is damage: the text stays, the formatting goes.
    EXPECT_EQ(Show(body.paragraphs[14].text), "Absurd\\r");
    EXPECT_FALSE(body.paragraphs[14].formatted);
    EXPECT_EQ(body.paragraphs[14].maxHalfPoints, 0);
    EXPECT_TRUE(body.paragraphs[15].pageBreakBefore);
}

TEST(LeadingFormats, RtfStylesheetTablesHiddenTextAndBreaks) {
    auto doc = OpenFile(PropsFixture("hand-styles.rtf"));
    LeadingBody body = doc->LeadingParagraphs(kLeadingParagraphs);
    EXPECT_EQ(Show(body.titleProperty), "Hand 标题");
    ExpectLeading(body, {
                            {u"Letterhead\r", kStiNormal, 44, 44, 1, 1, 9, 0, 0, 0xFF0000},
                            {u"Big Title\r", kStiTitle, 52, 52, 1, 1, 9},
                            {u"Chapter One\r", kStiHeading1, 32, 32, 1, 0, 0},
                            // the level comes from the style it is based on
                            {u"Inherited level\r", kStiUser, 30, 30, 0, 0, 0},
                            {u"Chinese heading\r", kStiHeading1 + 1, 28, 28, 1, 0, 1},
                            // hidden text shows no ink: 24 stays the main size
                            {u"Plain bold and big words hidden text hidden text hidden text\r",
                             kStiNormal, 24, 48, 0},
                            {u"Form\r\a", kStiNormal, 32, 32, 1, 0, 9, 1, 1},
                            {u"No.\r\a", kStiNormal, 24, 24, 0, 0, 9, 1, 2},
                            {u"\r\a", kStiNormal, 0, 0, 0, 0, 9, 1, 3},
                            {u"two\r\a", kStiNormal, 24, 24, 0, 0, 9, 2, 1},
                            {u"cells\r\a", kStiNormal, 24, 24, 0, 0, 9, 2, 2},
                            {u"\r\a", kStiNormal, 0, 0, 0, 0, 9, 2, 3},
                        });
    EXPECT_EQ(Show(body.paragraphs[4].styleName), "标题 2");
    ASSERT_EQ(body.paragraphs.size(), 15u);
    // A style the sheet does not hold and an absurd size: text only.
    for (std::size_t i : {12u, 13u}) {
        EXPECT_FALSE(body.paragraphs[i].formatted) << i;
        EXPECT_EQ(body.paragraphs[i].styleId, kStiUnknown) << i;
    }
    const ParagraphFacts& last = body.paragraphs[14];
    EXPECT_EQ(Show(last.text), "Cover end\\f\\r");
    EXPECT_TRUE(last.breakAfter);
    EXPECT_TRUE(last.pageBreakBefore);
    EXPECT_EQ(last.color, 0x000080u);
    EXPECT_EQ(Show(doc->ParagraphText(16)), "After the break\\r");
}

TEST(LeadingFormats, RtfStylesheetCutShortGivesTextOnly) {
    auto doc = OpenFile(PropsFixture("hand-cut-stylesheet.rtf"));
    LeadingBody body;
    ASSERT_NO_THROW(body = doc->LeadingParagraphs(kLeadingParagraphs));
    ASSERT_EQ(body.paragraphs.size(), 2u);
    EXPECT_EQ(Show(body.paragraphs[0].text), "Heading text\\r");
    for (const auto& p : body.paragraphs) {
        EXPECT_FALSE(p.formatted);
        EXPECT_EQ(p.mainHalfPoints, 0);
    }
    // The stylesheet group never closes: nothing after it is body text.
    auto open = OpenRtfBytes("{\\rtf1{\\stylesheet{\\s1 heading 1;}\\pard\\s1 lost\\par");
    EXPECT_THROW(open->ParagraphText(1), WordError);
    EXPECT_THROW(open->LeadingParagraphs(kLeadingParagraphs), WordError);
}

// Writers that size East Asian text apart put \afs and \ab after \dbch and
// the text under \dbch; after \rtlch they size right-to-left text, and
// Latin text keeps \fs and \b.
TEST(LeadingFormats, RtfEastAsianSizesUnderDbch) {
    auto doc = OpenRtfBytes(
        "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}"
        "\\pard\\plain\\fs24{\\loch\\cf1\\dbch\\afs52\\ab\\dbch \\u28023?\\u24030?}\\par"
        "\\pard\\plain\\fs24{\\dbch\\afs44\\ab\\dbch \\u26149?}{\\loch\\fs28 ab}\\par"
        "\\pard\\plain\\rtlch\\afs60\\ab \\ltrch\\fs20\\dbch \\u26149?\\par"
        "\\pard\\plain\\b\\fs32{\\dbch\\afs40\\ab0\\dbch \\u26149?\\plain\\dbch \\u26149?}\\par"
        "\\pard\\plain{\\dbch\\afs36\\dbch{\\loch x}\\u26149?}\\u26149?\\par}");
    LeadingBody body = doc->LeadingParagraphs(kLeadingParagraphs);
    ExpectLeading(body, {
                            {u"海州\r", kStiNormal, 52, 52, 1, 0, 9, 0, 0, 0xFF0000},
                            {u"春ab\r", kStiNormal, 28, 44, 0},
                            {u"春\r", kStiNormal, 20, 20, 0},
                            // \plain drops the East Asian size with the rest
                            {u"春春\r", kStiNormal, -1, 40, 0},
                            // the group's size ends with the group
                            {u"x春春\r", kStiNormal, 24, 36, 0},
                        });
}

// ------------------------------------------------------- .docx by hand

std::string Document(const std::string& body) {
    return "<?xml version=\"1.0\"?><w:document "
           "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
           body + "</w:body></w:document>";
}

std::string StylesPart(const std::string& styles) {
    return "<?xml version=\"1.0\"?><w:styles "
           "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">" +
           styles + "</w:styles>";
}

std::unique_ptr<DocumentImpl> Package(const std::string& body, const std::string* styles,
                                      const std::string& core = {}) {
    test::StoredZip zip;
    zip.Add("word/document.xml", Document(body));
    if (styles) zip.Add("word/styles.xml", *styles);
    if (!core.empty()) zip.Add("docProps/core.xml", core);
    return OpenOoxmlBytes(zip.Bytes());
}

const std::string kStyles = StylesPart(
    "<w:docDefaults><w:rPrDefault><w:rPr><w:sz w:val=\"21\"/></w:rPr></w:rPrDefault>"
    "</w:docDefaults>"
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"a\"><w:name w:val=\"Normal\"/>"
    "</w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"1\"><w:name w:val=\"标题 1\"/>"
    "<w:basedOn w:val=\"a\"/><w:pPr><w:outlineLvl w:val=\"0\"/></w:pPr>"
    "<w:rPr><w:b/><w:sz w:val=\"44\"/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Loop1\"><w:name w:val=\"Loop one\"/>"
    "<w:basedOn w:val=\"Loop2\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Loop2\"><w:name w:val=\"Loop two\"/>"
    "<w:basedOn w:val=\"Loop1\"/><w:pPr><w:jc w:val=\"center\"/></w:pPr></w:style>"
    "<w:style w:type=\"character\" w:styleId=\"Red\"><w:name w:val=\"Red\"/>"
    "<w:rPr><w:color w:val=\"C00000\"/></w:rPr></w:style>"
    "<w:style w:type=\"table\" w:styleId=\"Grid\"><w:name w:val=\"Table Grid\"/>"
    "<w:tblStylePr w:type=\"firstRow\"><w:rPr><w:sz w:val=\"80\"/></w:rPr></w:tblStylePr>"
    "</w:style>");

TEST(LeadingFormats, DocxStylesInheritanceAndRunProperties) {
    auto doc = Package(
        "<w:p><w:pPr><w:pStyle w:val=\"1\"/></w:pPr><w:r><w:t>Heading</w:t></w:r>"
        "<w:r><w:rPr><w:b w:val=\"false\"/></w:rPr><w:t>!</w:t></w:r></w:p>"
        "<w:p><w:r><w:rPr><w:rStyle w:val=\"Red\"/></w:rPr><w:t>red</w:t></w:r>"
        "<w:r><w:rPr><w:vanish/><w:sz w:val=\"90\"/></w:rPr><w:t>hidden hidden</w:t></w:r></w:p>"
        "<w:p><w:pPr><w:pStyle w:val=\"Loop1\"/><w:pageBreakBefore/></w:pPr>"
        "<w:r><w:rPr><w:b w:val=\"0\"/><w:color w:val=\"auto\"/></w:rPr><w:t>loop</w:t></w:r></w:p>"
        "<w:tbl><w:tblPr><w:tblStyle w:val=\"Grid\"/></w:tblPr><w:tr><w:tc><w:p><w:r>"
        "<w:t>cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
        "<w:p><w:pPr><w:sectPr/></w:pPr><w:r><w:t>ends a section</w:t></w:r></w:p>"
        "<w:p><w:r><w:t>next</w:t></w:r></w:p>",
        &kStyles,
        "<cp:coreProperties xmlns:cp=\"x\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
        "<dc:creator>me</dc:creator><dc:title>Core title</dc:title></cp:coreProperties>");
    LeadingBody body = doc->LeadingParagraphs(kLeadingParagraphs);
    ExpectLeading(body, {
                            {u"Heading!\r", kStiHeading1, 44, 44, 1, 0, 0},
                            {u"redhidden hidden\r", kStiNormal, 21, 21, 0, 0, 9, 0, 0, 0xC00000},
                            // a basedOn loop ends; the paragraph keeps what it found
                            {u"loop\r", kStiUser, 21, 21, 0, 1, 9, 0, 0, kAutoColor},
                            {u"cell\r\a", kStiNormal, 21, 21, 0, 0, 9, 1, 1},
                            {u"\r\a", kStiNormal, 0, 0, 0, 0, 9, 1, 2},
                            {u"ends a section\f", kStiNormal, 21},
                        });
    EXPECT_EQ(Show(body.paragraphs[0].styleName), "标题 1");
    EXPECT_TRUE(body.paragraphs[2].pageBreakBefore);
    ASSERT_EQ(body.paragraphs.size(), 6u);
    EXPECT_TRUE(body.paragraphs[5].breakAfter);
    EXPECT_EQ(Show(body.titleProperty), "Core title");
    EXPECT_EQ(Show(doc->ParagraphText(7)), "next\\r");

    // Without a styles part: Word's defaults, 10 points.
    auto bare = Package("<w:p><w:r><w:t>x</w:t></w:r></w:p>", nullptr);
    body = bare->LeadingParagraphs(kLeadingParagraphs);
    ExpectLeading(body, {{u"x\r", kStiNormal, 20, 20, 0, 0, 9}});
    EXPECT_TRUE(body.titleProperty.empty());
}

// Styles parts the fast scanner leaves to expat read as the plain one does.
TEST(LeadingFormats, DocxStylesOutsideTheFastScannerReadAlike) {
    const std::string body =
        "<w:p><w:pPr><w:pStyle w:val=\"1\"/></w:pPr><w:r><w:t>Heading</w:t></w:r></w:p>"
        "<w:p><w:r><w:rPr><w:rStyle w:val=\"Red\"/></w:rPr><w:t>red</w:t></w:r></w:p>";
    auto facts = [&](const std::string& styles) {
        std::string out;
        for (const auto& p :
             Package(body, &styles)->LeadingParagraphs(kLeadingParagraphs).paragraphs)
            out += Show(p.text) + " " + std::to_string(p.formatted) + " " +
                   std::to_string(p.styleId) + " " + std::to_string(p.maxHalfPoints) + " " +
                   std::to_string(p.bold) + " " + std::to_string(p.color) + " " +
                   std::to_string(p.outlineLevel) + "\n";
        return out;
    };
    const std::string plain = facts(kStyles);
    ASSERT_NE(plain.find("Heading\\r 1 1 44 1"), std::string::npos) << plain;
    // UTF-16, as a writer may store any part.
    std::string wide = "\xFF\xFE";
    for (char16_t c : pelmora::testutf::FromUtf8(kStyles)) wide += {char(c & 0xFF), char(c >> 8)};
    // The scanner reads every style before it meets a name it leaves to expat.
    std::string late = kStyles;
    late.insert(late.rfind("</w:styles>"), "<x:\xE6\xA0\x87 xmlns:x=\"urn:x\"/>");
    // Too big to be held whole: streamed through expat.
    std::string big = kStyles;
    big.insert(big.rfind("</w:styles>"), "<!--" + std::string(1100000, 'x') + "-->");
    EXPECT_EQ(facts(wide), plain);
    EXPECT_EQ(facts(late), plain);
    EXPECT_EQ(facts(big), plain);
}

TEST(LeadingFormats, DocxDamagedPropertiesGiveTextOnly) {
    const std::string broken = StylesPart("<w:style w:styleId=\"a\"><w:name w:val=\"x\"></w:style");
    const std::string body =
        "<w:p><w:r><w:t>one</w:t></w:r></w:p><w:p><w:r><w:t>two</w:t></w:r></w:p>";
    // A styles part that is not XML spoils every paragraph's formatting.
    auto doc = Package(body, &broken);
    LeadingBody lead;
    ASSERT_NO_THROW(lead = doc->LeadingParagraphs(kLeadingParagraphs));
    ASSERT_EQ(lead.paragraphs.size(), 2u);
    for (const auto& p : lead.paragraphs) {
        EXPECT_FALSE(p.formatted);
        EXPECT_EQ(p.styleId, kStiUnknown);
    }
    EXPECT_EQ(Show(lead.paragraphs[1].text), "two\\r");

    // Values that cannot be read spoil their own paragraph only.
    struct Case {
        const char* what;
        std::string run;
    };
    const Case cases[] = {
        {"absurd size", "<w:rPr><w:sz w:val=\"100000\"/></w:rPr>"},
        {"zero size", "<w:rPr><w:sz w:val=\"0\"/></w:rPr>"},
        {"size not a number", "<w:rPr><w:sz w:val=\"big\"/></w:rPr>"},
        {"colour not hex", "<w:rPr><w:color w:val=\"redd\"/></w:rPr>"},
        {"bold neither on nor off", "<w:rPr><w:b w:val=\"maybe\"/></w:rPr>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto one = Package("<w:p><w:r>" + c.run + "<w:t>bad</w:t></w:r></w:p>" + body, &kStyles);
        lead = one->LeadingParagraphs(kLeadingParagraphs);
        ASSERT_EQ(lead.paragraphs.size(), 3u);
        EXPECT_EQ(Show(lead.paragraphs[0].text), "bad\\r");
        EXPECT_FALSE(lead.paragraphs[0].formatted);
        EXPECT_TRUE(lead.paragraphs[1].formatted);
    }
    // A bad outline level spoils the paragraph too.
    auto level = Package(
        "<w:p><w:pPr><w:outlineLvl w:val=\"12\"/></w:pPr><w:r><w:t>x</w:t></w:r></w:p>", &kStyles);
    EXPECT_FALSE(level->LeadingParagraphs(5).paragraphs[0].formatted);
}

// ---------------------------------------------------- texts and passes

// Every fixture and every real-world document the story readers open: the
// leading paragraphs' texts are the texts ParagraphText gives, from a fresh
// document and from the same one asked afterwards.
void ExpectTextsMatch(const std::string& path) {
    SCOPED_TRACE(path);
    std::unique_ptr<DocumentImpl> lead, one;
    try {
        lead = OpenFile(path);
        one = OpenFile(path);
        one->ParagraphText(1);
    } catch (const WordError&) {
        return;  // refused or empty: nothing to compare
    }
    LeadingBody body;
    ASSERT_NO_THROW(body = lead->LeadingParagraphs(kLeadingParagraphs));
    ASSERT_FALSE(body.paragraphs.empty());
    for (std::size_t i = 0; i < body.paragraphs.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        ASSERT_EQ(Show(body.paragraphs[i].text), Show(one->ParagraphText(n))) << "paragraph " << n;
        ASSERT_EQ(Show(lead->ParagraphText(n)), Show(one->ParagraphText(n))) << "paragraph " << n;
        if (!body.paragraphs[i].formatted) {
            // Unformatted paragraphs keep every fact default.
            EXPECT_EQ(body.paragraphs[i].styleId, kStiUnknown);
            EXPECT_EQ(body.paragraphs[i].tableRow, 0);
        }
    }
    // Past the leading body the paragraphs still come one by one.
    const int next = static_cast<int>(body.paragraphs.size()) + 1;
    try {
        EXPECT_EQ(Show(lead->ParagraphText(next)), Show(one->ParagraphText(next)));
    } catch (const WordError&) {
        EXPECT_THROW(lead->ParagraphText(next), WordError);
    }
}

TEST(LeadingFormats, TextsEqualParagraphTextOverEveryFixture) {
    int files = 0;
    for (const char* dir : {"/formats", "/formats-props"})
        for (const auto& e :
             std::filesystem::directory_iterator(std::string(PELMORA_TEST_DATA) + dir)) {
            if (!e.is_regular_file()) continue;
            ExpectTextsMatch(e.path().string());
            ++files;
        }
    EXPECT_GT(files, 50);
}

TEST(LeadingFormats, TextsEqualParagraphTextOverTheCorpus) {
    const std::filesystem::path corpus(::pelmora::test::CorpusDir());
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    for (const auto& e : std::filesystem::recursive_directory_iterator(corpus))
        if (e.is_regular_file() && e.path().extension() != ".tsv" && e.path().extension() != ".md")
            ExpectTextsMatch(e.path().string());
}

// The leading paragraphs with every fact, for comparing two documents.
std::vector<std::string> Described(DocumentImpl& doc) {
    std::vector<std::string> out;
    try {
        const LeadingBody body = doc.LeadingParagraphs(kLeadingParagraphs);
        for (const auto& p : body.paragraphs) {
            std::string d = Show(p.text) + "|" + Show(p.styleName);
            for (long long v :
                 {(long long)p.formatted, (long long)p.styleId, (long long)p.outlineLevel,
                  (long long)p.centered, (long long)p.pageBreakBefore, (long long)p.breakAfter,
                  (long long)p.maxHalfPoints, (long long)p.mainHalfPoints, (long long)p.bold,
                  (long long)p.color, (long long)p.tableRow, (long long)p.tableCell})
                d += "|" + std::to_string(v);
            out.push_back(std::move(d));
        }
        out.push_back(Show(body.titleProperty));
    } catch (const WordError& e) {
        out.push_back(std::string("error: ") + e.what());
    }
    return out;
}

// Fuzz findings and fixtures: asking for the leading paragraphs before or
// after the paragraphs one by one gives the same facts, damage or not.
TEST(LeadingFormats, FactsDoNotDependOnWhatWasAskedBefore) {
    std::vector<std::string> files;
    for (const char* dir : {"/fuzz", "/formats-props"})
        for (const auto& e :
             std::filesystem::directory_iterator(std::string(PELMORA_TEST_DATA) + dir))
            if (e.is_regular_file()) files.push_back(e.path().string());
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        std::unique_ptr<DocumentImpl> first, last;
        try {
            first = OpenFile(path);
            last = OpenFile(path);
        } catch (const WordError&) {
            continue;
        }
        const std::vector<std::string> leadingFirst = Described(*first);
        for (int n : {1, 2, 5}) {
            try {
                last->ParagraphText(n);
            } catch (const WordError&) {
            }
        }
        EXPECT_EQ(Described(*last), leadingFirst);
    }
}

// -------------------------------------------------------- the story base

TEST(LeadingFormats, RunTallyAndBuiltInStyleNames) {
    RunTally t;
    t.Add(u"  ", 80, true, 0xFF0000);  // blanks show no ink
    t.Add(u"ab", 24, false, kAutoColor);
    t.Add(u"cde", 32, true, 0xFF0000);
    ParagraphFacts p;
    ASSERT_TRUE(t.Into(p));
    EXPECT_EQ(p.maxHalfPoints, 32);
    EXPECT_EQ(p.mainHalfPoints, 32);
    EXPECT_TRUE(p.bold);  // 3 of 5
    EXPECT_EQ(p.color, 0xFF0000u);
    t.Add(u"fg", 20000, false, kAutoColor);
    EXPECT_FALSE(t.Into(p));
    t.Clear();
    ParagraphFacts empty;
    ASSERT_TRUE(t.Into(empty));
    EXPECT_EQ(empty.mainHalfPoints, 0);
    EXPECT_FALSE(empty.bold);

    struct Name {
        std::u16string name;
        int id;
    };
    for (const Name& n : std::vector<Name>{{u"heading 1", kStiHeading1},
                                           {u"Heading 9", kStiHeading9},
                                           {u"Heading1", kStiHeading1},
                                           {u"标题 3", kStiHeading1 + 2},
                                           {u"标题", kStiTitle},
                                           {u"TITLE", kStiTitle},
                                           {u"副标题", kStiSubtitle},
                                           {u"Normal", kStiNormal},
                                           {u"heading 10", kStiUser},
                                           {u"heading 0", kStiUser},
                                           {u"Chapter", kStiUser}})
        EXPECT_EQ(BuiltInStyleOfName(n.name), n.id) << Show(n.name);
}

TEST(LeadingFormats, CellLayoutNumbersRowsAndCellsOfTheOutermostTable) {
    std::vector<ParagraphFacts> out;
    CellLayout layout([&](ParagraphFacts p) { out.push_back(std::move(p)); });
    auto para = [](const char16_t* text) {
        ParagraphFacts p;
        p.text = text;
        p.formatted = true;
        return p;
    };
    layout.Paragraph(para(u"before"));
    layout.TableStart();
    for (int row = 0; row < 2; ++row) {
        layout.RowStart();
        layout.CellStart();
        layout.Paragraph(para(u"a"));
        layout.CellEnd();
        layout.CellStart();
        layout.TableStart();  // nested: its rows and cells do not count
        layout.RowStart();
        layout.CellStart();
        layout.Paragraph(para(u"inner"));
        layout.TableEnd();
        layout.CellEnd();
        layout.RowEnd();
    }
    layout.TableEnd();
    layout.Paragraph(para(u"after"));
    std::vector<std::pair<int, int>> got;
    for (const auto& p : out) got.emplace_back(p.tableRow, p.tableCell);
    const std::vector<std::pair<int, int>> want = {
        {0, 0},                                  // before
        {1, 1}, {1, 2}, {1, 2}, {1, 2}, {1, 3},  // a, inner, inner row end, cell end, row end
        {2, 1}, {2, 2}, {2, 2}, {2, 2}, {2, 3},  // the same in row 2
        {0, 0}};                                 // after
    EXPECT_EQ(got, want);
}

}  // namespace
}  // namespace pelmora::word
