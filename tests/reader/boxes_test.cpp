// Text boxes of the leading body and the header the first page shows, in
// every format: LibreOffice fixtures (tests/data/reader), hand-made files,
// and damaged ones, which give fewer boxes or none but never fail.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "docwriter.h"
#include "formats_support.h"
#include "reader/document.h"
#include "reader/documentimpl.h"
#include "reader/io/bytesource.h"
#include "reader/open.h"
#include "reader/openers.h"

namespace pelmora::word {
namespace {

using test::Show;

std::string ReaderFixture(const std::string& name) {
    return std::string(PELMORA_TEST_DATA) + "/reader/" + name;
}

std::vector<std::string> Texts(const std::vector<ParagraphFacts>& paragraphs) {
    std::vector<std::string> out;
    for (const auto& p : paragraphs) out.push_back(Show(p.text));
    return out;
}

// A document that keeps its own copy of the bytes.
std::unique_ptr<Document> OpenBytes(Application&, const std::string& bytes) {
    return std::make_unique<Document>(Open(std::make_unique<OwnedSource>(bytes)));
}

// ------------------------------------------------------------- fixtures

class BoxFixture : public ::testing::TestWithParam<std::string> {};

// The CV whose text sits in four boxes anchored in its first two
// paragraphs; a fifth box anchored past the leading paragraphs is left out.
TEST_P(BoxFixture, BoxesComeInOrderWithAnchorsAndFormatting) {
    Application word;
    auto doc = word.Open(ReaderFixture("textbox_cv." + GetParam()));
    const std::vector<TextBox> boxes = doc->LeadingTextBoxes(50);
    ASSERT_EQ(boxes.size(), 4u);
    const std::vector<std::vector<std::string>> want = {
        {"Mira Solberg\\r"},
        {"Harbour Logistics Planner\\r"},
        {"EXPERIENCE\\r"},
        {"Berth scheduling at the north quay, 2019 to 2024.\\vCustoms paperwork.\\r"},
    };
    const int anchors[] = {0, 0, 1, 1};
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        SCOPED_TRACE("box " + std::to_string(i + 1));
        EXPECT_EQ(Texts(boxes[i].paragraphs), want[i]);
        EXPECT_EQ(boxes[i].anchor, anchors[i]);
    }
    const ParagraphFacts& name = boxes[0].paragraphs[0];
    EXPECT_TRUE(name.formatted);
    EXPECT_EQ(name.mainHalfPoints, 40);
    EXPECT_TRUE(name.bold);
    EXPECT_EQ(boxes[1].paragraphs[0].mainHalfPoints, 24);
    EXPECT_FALSE(boxes[1].paragraphs[0].bold);

    EXPECT_EQ(doc->LeadingTextBoxes(2).size(), 2u);
    EXPECT_TRUE(doc->LeadingTextBoxes(0).empty());
    // Reading the boxes changes nothing the object model gives.
    EXPECT_NE(doc->ParagraphText(2).find(u"References on request."), std::u16string::npos);
    EXPECT_TRUE(doc->FirstPageHeaderParagraphs(10).empty());
}

// The same CV whose name is only in the first page's header.
TEST_P(BoxFixture, FirstPageHeaderIsTheTitlePagesOwn) {
    Application word;
    auto doc = word.Open(ReaderFixture("header_first_page." + GetParam()));
    const std::vector<ParagraphFacts> first = doc->FirstPageHeaderParagraphs(10);
    EXPECT_EQ(Texts(first), std::vector<std::string>{"Jordan K. Lee — Curriculum Vitae\\r"});
    if (GetParam() == "doc" || GetParam() == "docx") {
        ASSERT_FALSE(first.empty());
        EXPECT_TRUE(first[0].formatted);
        EXPECT_EQ(first[0].mainHalfPoints, 24);
    }
    EXPECT_TRUE(doc->LeadingTextBoxes(10).empty());
    EXPECT_TRUE(doc->FirstPageHeaderParagraphs(0).empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, BoxFixture,
                         ::testing::Values("doc", "docx", "rtf", "xml", "odt"));

// The primary header's own text where the first page is not distinct.
TEST(FirstPageHeader, WithoutTitlePageThePrimaryHeader) {
    Application word;
    auto doc = word.Open(std::string(PELMORA_TEST_DATA) + "/titles/cv_header.docx");
    std::vector<std::string> want;
    for (const auto& p : SplitStory(doc->HeaderText(1, 1), 10)) want.push_back(Show(p.text));
    ASSERT_FALSE(want.empty());
    EXPECT_EQ(Texts(doc->FirstPageHeaderParagraphs(10)), want);
}

TEST(FirstPageHeader, SplitStoryKeepsMarksAndCells) {
    EXPECT_TRUE(SplitStory(u"\r", 5).empty());
    EXPECT_EQ(Texts(SplitStory(u"a\rb\r\a\r\ac", 5)),
              (std::vector<std::string>{"a\\r", "b\\r\\a", "\\r\\a", "c\\r"}));
    EXPECT_EQ(SplitStory(u"a\rb\rc\r", 2).size(), 2u);
}

// ------------------------------------------------------------- Word 97

// Main text "one\rtwo\r" with two boxes whose shapes are anchored in
// paragraph 2 and 1: they come in the order of their anchors.
pelmora::test::Word97Recipe TwoBoxes() {
    pelmora::test::Word97Recipe r;
    const std::u16string main = u"one\x08\rtwo\x08\r";
    const std::u16string story = u"Box A\r\rBox B\r\r\r";
    r.pieces = {{main}, {story}};
    r.ccpText = uint32_t(main.size());
    r.ccpTxbx = uint32_t(story.size());
    r.txbxCps = {0, 7, 14, 15};
    r.txbxLids = {2049, 2050, 0};
    r.spaCps = {8, 3, 20};
    r.spaIds = {2049, 2050};
    return r;
}

TEST(Word97Boxes, OrderedByAnchorShapeMatchedById) {
    Application word;
    auto doc = OpenBytes(word, pelmora::test::BuildWord97(TwoBoxes()));
    const std::vector<TextBox> boxes = doc->LeadingTextBoxes(10);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(Texts(boxes[0].paragraphs), std::vector<std::string>{"Box B\\r"});
    EXPECT_EQ(boxes[0].anchor, 0);
    EXPECT_EQ(Texts(boxes[1].paragraphs), std::vector<std::string>{"Box A\\r"});
    EXPECT_EQ(boxes[1].anchor, 1);
    EXPECT_EQ(Show(doc->ParagraphText(2)), "two\\x08\\r");
}

TEST(Word97Boxes, UnknownShapesComeLastWithoutAnchor) {
    pelmora::test::Word97Recipe r = TwoBoxes();
    r.spaIds = {7, 2050};  // box A's shape is not among the anchored ones (a group's child)
    Application word;
    auto doc = OpenBytes(word, pelmora::test::BuildWord97(r));
    const std::vector<TextBox> boxes = doc->LeadingTextBoxes(10);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(Texts(boxes[1].paragraphs), std::vector<std::string>{"Box A\\r"});
    EXPECT_EQ(boxes[1].anchor, -1);
}

TEST(Word97Boxes, DamagedPlacesGiveFewerBoxesNeverAnError) {
    struct Case {
        const char* what;
        void (*spoil)(pelmora::test::Word97Recipe&);
        std::size_t boxes;
    };
    const Case cases[] = {
        {"story longer than the text", [](pelmora::test::Word97Recipe& r) { r.ccpTxbx = 1u << 30; },
         2},
        {"CPs past the story",
         [](pelmora::test::Word97Recipe& r) {
             r.txbxCps = {0, 7, 900, 901};
         },
         1},
        {"CPs descending",
         [](pelmora::test::Word97Recipe& r) {
             r.txbxCps = {7, 0, 14, 15};
         },
         1},
        {"no story", [](pelmora::test::Word97Recipe& r) { r.ccpTxbx = 0; }, 0},
        {"anchors past the text",
         [](pelmora::test::Word97Recipe& r) {
             r.spaCps = {0xFFFFFFF0u, 0xFFFFFFF8u, 0xFFFFFFFFu};
         },
         2},
        {"no anchors", [](pelmora::test::Word97Recipe& r) { r.spaCps.clear(); }, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pelmora::test::Word97Recipe r = TwoBoxes();
        c.spoil(r);
        Application word;
        auto doc = OpenBytes(word, pelmora::test::BuildWord97(r));
        EXPECT_EQ(doc->LeadingTextBoxes(10).size(), c.boxes);
        EXPECT_EQ(Show(doc->ParagraphText(1)), "one\\x08\\r");
    }
}

TEST(Word97Boxes, PlcOutsideTheTableStreamGivesNone) {
    pelmora::test::CfbWriter cfb;
    pelmora::test::BuildWord97(TwoBoxes(), &cfb);
    // fcPlcftxbxTxt's lcb (pair 56), raised past the table stream.
    pelmora::test::Put32(cfb.streams[0].data, 0x9A + 8 * 56 + 4, 0x7FFFFFF0u);
    const std::string bytes = cfb.Build();
    Application word;
    auto doc = OpenBytes(word, bytes);
    EXPECT_TRUE(doc->LeadingTextBoxes(10).empty());
    EXPECT_EQ(Show(doc->ParagraphText(1)), "one\\x08\\r");
}

TEST(Word97Header, TitlePageShowsTheFirstPageStory) {
    // Stories: 6 separators, then section 1's even, odd, even footer, odd
    // footer, first header, first footer.
    pelmora::test::Word97Recipe r = pelmora::test::MakeWord97(
        u"body\r", {u"", u"", u"", u"", u"", u"", u"", u"Odd", u"", u"", u"First"});
    r.sed = {0, 5};
    Application word;
    {
        auto doc = OpenBytes(word, pelmora::test::BuildWord97(r));
        EXPECT_EQ(Texts(doc->FirstPageHeaderParagraphs(5)), std::vector<std::string>{"Odd\\r"});
    }
    r.titlePage = true;
    auto doc = OpenBytes(word, pelmora::test::BuildWord97(r));
    EXPECT_EQ(Texts(doc->FirstPageHeaderParagraphs(5)), std::vector<std::string>{"First\\r"});
    EXPECT_EQ(Show(doc->HeaderText(1, 1)), "Odd");
}

// ------------------------------------------------------------- .docx

const char* const kW =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
    "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\"";

std::string Box(const std::string& text) {
    return "<w:txbxContent><w:p><w:r><w:t>" + text + "</w:t></w:r></w:p></w:txbxContent>";
}

std::string Docx(const std::string& body) {
    test::StoredZip z;
    z.Add("word/document.xml",
          std::string("<w:document ") + kW + "><w:body>" + body + "</w:body></w:document>");
    z.Add("word/_rels/document.xml.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId1\" Type=\"x/header\" Target=\"header1.xml\"/>"
          "<Relationship Id=\"rId2\" Type=\"x/header\" Target=\"header2.xml\"/>"
          "</Relationships>");
    auto hdr = [](const std::string& text) {
        return std::string("<w:hdr ") + kW + "><w:p><w:r><w:t>" + text +
               "</w:t></w:r></w:p></w:hdr>";
    };
    z.Add("word/header1.xml", hdr("Primary"));
    z.Add("word/header2.xml", hdr("First"));
    return z.Bytes();
}

TEST(OoxmlBoxes, ChoiceOrFallbackNeverBoth) {
    const std::string body =
        "<w:p><w:r><w:t>one</w:t></w:r></w:p>"
        "<w:p><w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wp:anchor>"
        "<x:graphic xmlns:x=\"urn:x\">" +
        Box("In choice") +
        "</x:graphic></wp:anchor></w:drawing></mc:Choice><mc:Fallback><w:pict><v:shape "
        "xmlns:v=\"urn:schemas-microsoft-com:vml\"><v:textbox>" +
        Box("In fallback") +
        "</v:textbox></v:shape></w:pict></mc:Fallback></mc:AlternateContent></w:r></w:p>"
        // An old-style picture with its box, and a box outside any drawing.
        "<w:p><w:r><w:pict><v:textbox xmlns:v=\"urn:schemas-microsoft-com:vml\">" +
        Box("In pict") + "</v:textbox></w:pict></w:r></w:p>" + Box("Loose") +
        "<w:p><w:r><w:t>after</w:t></w:r></w:p>";
    Application word;
    auto doc = OpenBytes(word, Docx(body));
    const std::vector<TextBox> boxes = doc->LeadingTextBoxes(10);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(Texts(boxes[0].paragraphs), std::vector<std::string>{"In choice\\r"});
    EXPECT_EQ(boxes[0].anchor, 1);
    EXPECT_EQ(Texts(boxes[1].paragraphs), std::vector<std::string>{"In pict\\r"});
    EXPECT_EQ(boxes[1].anchor, 2);
    EXPECT_EQ(doc->LeadingTextBoxes(1).size(), 1u);
    EXPECT_EQ(Show(doc->ParagraphText(2)), "\\x08\\r");
}

TEST(OoxmlBoxes, DamageInsideABoxKeepsTheBoxesBefore) {
    const std::string body =
        "<w:p><w:r><w:pict>" + Box("Whole") + "</w:pict><w:pict><w:txbxContent><w:p><w:r><w:t>cut";
    Application word;
    auto doc = OpenBytes(word, Docx(body));
    const std::vector<TextBox> boxes = doc->LeadingTextBoxes(10);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Texts(boxes[0].paragraphs), std::vector<std::string>{"Whole\\r"});
}

TEST(OoxmlHeader, FirstSectionFoundByItsTag) {
    struct Case {
        const char* what;
        std::string body;
        std::vector<std::string> want;
    };
    const std::string refs =
        "<w:headerReference w:type=\"default\" r:id=\"rId1\"/>"
        "<w:headerReference w:type=\"first\" r:id=\"rId2\"/>";
    const Case cases[] = {
        {"title page", "<w:p/><w:sectPr>" + refs + "<w:titlePg/></w:sectPr>", {"First\\r"}},
        {"title page off",
         "<w:p/><w:sectPr>" + refs + "<w:titlePg w:val=\"0\"/></w:sectPr>",
         {"Primary\\r"}},
        {"no title page", "<w:p/><w:sectPr>" + refs + "</w:sectPr>", {"Primary\\r"}},
        {"title page without its header",
         "<w:p/><w:sectPr><w:headerReference w:type=\"default\" r:id=\"rId1\"/><w:titlePg/>"
         "</w:sectPr>",
         {}},
        {"section 1 ends in a paragraph",
         "<w:p><w:pPr><w:sectPr>" + refs +
             "<w:titlePg/></w:sectPr></w:pPr></w:p><w:sectPr><w:headerReference "
             "w:type=\"default\" r:id=\"rId1\"/></w:sectPr>",
         {"First\\r"}},
        {"empty section properties", "<w:p/><w:sectPr/>", {}},
        {"no section properties", "<w:p/>", {}},
        {"unclosed section properties", "<w:p/><w:sectPr>" + refs, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Application word;
        auto doc = OpenBytes(word, Docx(c.body));
        EXPECT_EQ(Texts(doc->FirstPageHeaderParagraphs(5)), c.want);
    }
}

TEST(OoxmlHeader, OtherPrefixForTheWordNamespace) {
    test::StoredZip z;
    z.Add("word/document.xml",
          "<?xml version=\"1.0\"?><!-- <w:sectPr> --><d:document "
          "xmlns:d=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
          "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
          "<d:body><d:p/><d:sectPr><d:headerReference d:type=\"first\" r:id=\"rId2\"/>"
          "<d:titlePg/></d:sectPr></d:body></d:document>");
    z.Add("word/_rels/document.xml.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId2\" Type=\"x/header\" Target=\"h.xml\"/></Relationships>");
    z.Add("word/h.xml",
          std::string("<w:hdr ") + kW + "><w:p><w:r><w:t>Other</w:t></w:r></w:p></w:hdr>");
    Application word;
    auto doc = OpenBytes(word, z.Bytes());
    EXPECT_EQ(Texts(doc->FirstPageHeaderParagraphs(5)), std::vector<std::string>{"Other\\r"});
}

// ------------------------------------------------------------- RTF

TEST(RtfBoxes, ShapeTextOnceNotItsResult) {
    const std::string rtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}one\\par "
        "{\\shp{\\*\\shpinst{\\sp{\\sn shapeType}{\\sv 202}}{\\shptxt \\fs40\\b Boxed\\par}}"
        "{\\shprslt{\\pict Boxed again}}}two\\par}";
    Application word;
    auto doc = OpenBytes(word, rtf);
    const std::vector<TextBox> boxes = doc->LeadingTextBoxes(10);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].anchor, 1);
    ASSERT_EQ(Texts(boxes[0].paragraphs), std::vector<std::string>{"Boxed\\r"});
    EXPECT_EQ(boxes[0].paragraphs[0].mainHalfPoints, 40);
    EXPECT_TRUE(boxes[0].paragraphs[0].bold);
    EXPECT_EQ(Show(doc->ParagraphText(2)), "\\x08two\\r");
}

TEST(RtfHeader, TitlePageWordPicksTheFirstPageHeader) {
    const std::string head = "{\\rtf1\\ansi\\sectd{\\header Primary\\par}{\\headerf First\\par}";
    Application word;
    auto with = OpenBytes(word, head + "\\titlepg body\\par}");
    EXPECT_EQ(Texts(with->FirstPageHeaderParagraphs(5)), std::vector<std::string>{"First\\r"});
    auto without = OpenBytes(word, head + "body\\par}");
    EXPECT_EQ(Texts(without->FirstPageHeaderParagraphs(5)), std::vector<std::string>{"Primary\\r"});
}

}  // namespace
}  // namespace pelmora::word
