// .docx specifics: hand-made packages with every kind of body content, and
// broken or hostile packages.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats_support.h"
#include "reader/document.h"
#include "reader/openers.h"

namespace pelmora::word {
namespace {

using test::FormatFixture;
using test::Show;

TEST(OoxmlBody, OddContentGivesWordsTexts) {
    auto doc = OpenOoxmlDocument(FormatFixture("odd.docx"));  // main part named word/main.xml
    const std::vector<std::u16string> want = {
        // field results only (nested in result kept, nested in code dropped),
        // simple field, non-breaking and soft hyphen, symbol, carriage return
        u"AB7C\x1E\x1F(\v\r",
        // insertions kept, deletions dropped, sdt and smart tag content, one
        // floating-drawing anchor for the text box, page break, line break
        u"keep+ins+sdt+tag\x08\fx\v\r",
        u"joined paragraph\r",  // deleted paragraph mark
        u"outer 1\r\a",
        u"before inner\r",
        u"inner\r\a",
        u"\r\a",  // inner row end
        u"\r\a",  // empty last paragraph of the outer cell
        u"\r\a",  // outer row end
        u"x=1\r",
        u"section one ends\f",
        u"last\r",
    };
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(Show(doc->ParagraphText(static_cast<int>(i) + 1)), Show(want[i]))
            << "paragraph " << i + 1;
    EXPECT_THROW(doc->ParagraphText(static_cast<int>(want.size()) + 1), WordError);
}

TEST(OoxmlBody, HeadersFollowSectionsKindsAndInheritance) {
    auto doc = OpenOoxmlDocument(FormatFixture("odd.docx"));
    struct Case {
        int section, index;
        bool header;
        std::u16string want;
    };
    const Case cases[] = {
        {1, 1, true, u"Head one\rHead two\r"},
        {1, 2, true, u"First page head\r"},     // target written as sub/../header2.xml
        {1, 3, true, u"\r"},                    // no even-page header
        {1, 1, false, u"\r"},                   // section 1 has no footer
        {2, 1, true, u"Head one\rHead two\r"},  // linked to the previous section
        {2, 3, true, u"\r"},                    // relationship to a missing part
        {2, 1, false, u"F\r\a\r\a\r"},          // a table in the footer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.section << "/" << c.index << (c.header ? " header" : " footer"));
        EXPECT_EQ(Show(c.header ? doc->HeaderText(c.section, c.index)
                                : doc->FooterText(c.section, c.index)),
                  Show(c.want));
    }
    EXPECT_THROW(doc->HeaderText(3, 1), WordError);
    EXPECT_THROW(doc->HeaderText(1, 4), WordError);
    EXPECT_THROW(doc->FooterText(0, 1), WordError);
}

TEST(OoxmlBody, ImportedChunksShowWhereTheyStand) {
    auto doc = OpenOoxmlDocument(FormatFixture("altchunk.docx"));
    const std::vector<std::u16string> want = {u"导出的标题\r", u"Chunk second\r", u"RTF chunk\r",
                                              u"after\r"};
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(Show(doc->ParagraphText(static_cast<int>(i) + 1)), Show(want[i]));
    EXPECT_THROW(doc->ParagraphText(5), WordError);
    // Asked first for a late paragraph, the chunks count the same.
    EXPECT_EQ(Show(OpenOoxmlDocument(FormatFixture("altchunk.docx"))->ParagraphText(4)),
              "after\\r");
}

TEST(OoxmlBroken, PackagesThatAreNoWordDocumentAreRefused) {
    for (const char* name : {"nodocxml.docx", "notword.docx", "wrongroot.docx", "dtd.docx",
                             "bomb.docx", "bomb-lying.docx", "missing.docx"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(
            {
                auto doc = OpenOoxmlDocument(FormatFixture(name));
                doc->ParagraphText(1);
            },
            WordError);
    }
    EXPECT_THROW(OpenOoxmlDocument(FormatFixture("english.rtf")), WordError);
    EXPECT_THROW(OpenOoxmlBytes(""), WordError);
    EXPECT_THROW(OpenOoxmlBytes("PK\x03\x04 not really"), WordError);
}

TEST(OoxmlBroken, ZipBombStopsAtThePartCap) {
    // Both the honest and the lying bomb declare word/document.xml; reading
    // it stops with an error instead of inflating 80 MiB.
    for (const char* name : {"bomb.docx", "bomb-lying.docx"}) {
        SCOPED_TRACE(name);
        try {
            OpenOoxmlDocument(FormatFixture(name))->ParagraphText(1);
            ADD_FAILURE() << "no error";
        } catch (const WordError& e) {
            EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
        }
    }
}

TEST(OoxmlBroken, TruncatedXmlAnswersWhatComesBeforeTheDamage) {
    auto doc = OpenOoxmlDocument(FormatFixture("truncated.docx"));
    EXPECT_EQ(Show(doc->ParagraphText(1)), "Intact first\\r");
    EXPECT_THROW(doc->ParagraphText(2), WordError);
    EXPECT_THROW(doc->HeaderText(1, 1), WordError);
}

TEST(OoxmlBroken, EntryCountIsBounded) {
    const std::string doc =
        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:body><w:p><w:r><w:t>ok</w:t></w:r></w:p></w:body></w:document>";
    test::StoredZip small;
    small.Add("word/document.xml", doc);
    EXPECT_EQ(Show(OpenOoxmlBytes(small.Bytes())->ParagraphText(1)), "ok\\r");

    test::StoredZip many;
    many.Add("word/document.xml", doc);
    for (int i = 0; i < kMaxZipEntries; ++i) many.Add("f" + std::to_string(i), "");
    EXPECT_THROW(OpenOoxmlBytes(many.Bytes()), WordError);
}

TEST(OoxmlBroken, DeepNestingIsAnErrorNotARecursion) {
    std::string body;
    for (int i = 0; i < kMaxNesting + 10; ++i) body += "<w:sdt><w:sdtContent>";
    test::StoredZip z;
    z.Add("word/document.xml",
          "<w:document "
          "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
              body);
    EXPECT_THROW(OpenOoxmlBytes(z.Bytes())->ParagraphText(1), WordError);
}

TEST(OoxmlBroken, BodyWithoutSectionPropertiesHasNoHeader) {
    test::StoredZip z;
    z.Add("word/document.xml",
          "<w:document "
          "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>"
          "<w:p><w:r><w:t>only</w:t></w:r></w:p></w:body></w:document>");
    auto doc = OpenOoxmlBytes(z.Bytes());
    EXPECT_EQ(Show(doc->HeaderText(1, 1)), "\\r");
    EXPECT_EQ(Show(doc->FooterText(1, 1)), "\\r");
    EXPECT_THROW(doc->HeaderText(2, 1), WordError);
}

}  // namespace
}  // namespace pelmora::word

namespace pelmora::word {
namespace {

TEST(WordXml2003, BodyAndInlineHeadersPerSection) {
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><?mso-application progid=\"Word.Document\"?>"
        "<w:wordDocument xmlns:w=\"http://schemas.microsoft.com/office/word/2003/wordml\" "
        "xmlns:wx=\"http://schemas.microsoft.com/office/word/2003/auxHint\" "
        "xmlns:aml=\"http://schemas.microsoft.com/aml/2001/core\"><w:body><wx:sect>"
        "<w:p><w:r><w:t>Title </w:t></w:r><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>"
        "<w:r><w:instrText>PAGE</w:instrText></w:r><w:r><w:fldChar "
        "w:fldCharType=\"separate\"/></w:r>"
        "<w:r><w:t>1</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>"
        "<aml:annotation "
        "w:type=\"Word.Deletion\"><aml:content><w:r><w:delText>gone</w:delText></w:r></"
        "aml:content></aml:annotation></w:p>"
        "<w:p><w:pPr><w:sectPr><w:hdr w:type=\"odd\"><w:p><w:r><w:t>Odd "
        "head</w:t></w:r></w:p></w:hdr>"
        "<w:hdr w:type=\"first\"><w:p><w:r><w:t>First head</w:t></w:r></w:p></w:hdr>"
        "<w:ftr w:type=\"odd\"><w:p/></w:ftr></w:sectPr></w:pPr><w:r><w:t>end of "
        "one</w:t></w:r></w:p>"
        "</wx:sect><wx:sect><w:p><w:r><w:t>two</w:t></w:r></w:p>"
        "<w:sectPr><w:hdr w:type=\"odd\"><w:p><w:r><w:t>Second</w:t></w:r></w:p></w:hdr></w:sectPr>"
        "</wx:sect></w:body></w:wordDocument>";
    EXPECT_EQ(Sniff(xml), Format::WordXml);
    auto doc = OpenWordXmlBytes(xml);
    EXPECT_EQ(Show(doc->ParagraphText(1)), "Title 1\\r");
    EXPECT_EQ(Show(doc->ParagraphText(2)), "end of one\\f");
    EXPECT_EQ(Show(doc->ParagraphText(3)), "two\\r");
    EXPECT_THROW(doc->ParagraphText(4), WordError);
    EXPECT_EQ(Show(doc->HeaderText(1, 1)), "Odd head\\r");
    EXPECT_EQ(Show(doc->HeaderText(1, 2)), "First head\\r");
    EXPECT_EQ(Show(doc->FooterText(1, 1)), "\\r");
    EXPECT_EQ(Show(doc->HeaderText(2, 1)), "Second\\r");
    EXPECT_EQ(Show(doc->FooterText(2, 1)), "\\r");  // linked to section 1's empty footer

    EXPECT_THROW(OpenWordXmlBytes("<?xml version=\"1.0\"?><w:document xmlns:w=\"x\"/>"), WordError);
    EXPECT_THROW(OpenWordXmlBytes("<?xml version=\"1.0\"?><w:wordDocument xmlns:w="), WordError);
}

}  // namespace
}  // namespace pelmora::word
