// The LibreOffice exports of tests/data/formats/src/*.fodt read the same
// through .docx, RTF and Word 2003 XML (HTML: formats_web.cpp).

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "formats_support.h"
#include "reader/document.h"
#include "reader/openers.h"

namespace pelmora::word {
namespace {

using test::FormatFixture;
using test::Show;

struct Expect {
    const char* base;
    std::vector<std::u16string> paragraphs;  // all of them, in order
    std::u16string header1, footer1;         // section 1 primary
    std::u16string header1First = u"";       // checked when not empty
    std::u16string header2 = u"";            // section 2 primary, checked when not empty
};

const std::vector<Expect>& Expectations() {
    static const std::vector<Expect> all = {
        {"english",
         {u"Annual Report 2024\r", u"Second paragraph.\r", u"Third paragraph.\r",
          u"Fourth paragraph.\r", u"Fifth paragraph here.\r", u"Sixth.\r"},
         u"Primary Header Text\r",
         u"Primary Footer Text\r"},
        {"chinese", {u"第一章 总则\r", u"为了规范管理，制定本办法。\r"}, u"公司文件\r", u"第1页\r"},
        {"noheader", {u"Plain document\r", u"Nothing above or below.\r"}, u"\r", u"\r"},
        {"tablefirst",
         {u"Cell A1\r\a", u"B1 p1\r", u"B1 p2\r\a", u"\r\a", u"A2\r\a", u"B2\r\a", u"\r\a",
          u"After table\r"},
         u"\r",
         u"\r"},
        {"fields",
         {u"Title: Fixture Title\r", u"See the link here\r", u"Page 1 of 1\r"},
         u"Page 1\r",
         u"\r"},
        {"linebreaks", {u"Line one\vLine two\tafter tab\r", u"Second paragraph\r"}, u"\r", u"\r"},
        {"firstpage",
         {u"Cover Page Title\r", u"Body text on page one.\r"},
         u"Primary Header Text\r",
         u"Primary Footer Text\r",
         u"First Page Header\r"},
        {"twosections",
         {u"Section one title\r", u"More of section one\f", u"Section two title\r",
          u"More of section two\r"},
         u"Section One Header\r",
         u"Section One Footer\r",
         u"",
         u"Section Two Header\r"},
    };
    return all;
}

struct Reader {
    const char* ext;
    std::function<std::unique_ptr<DocumentImpl>(const std::string&)> open;
    Format detected;
    bool headers;  // whether the export carries headers and footers Word would see
    // Fixtures whose export keeps everything checked; empty for all.
    // LibreOffice's Word 2003 XML export drops tabs, writes its first-page
    // header as the primary one and leaves 0 as page-number results.
    std::vector<std::string> only = {};
};

class FixtureTest : public ::testing::TestWithParam<Reader> {};

TEST_P(FixtureTest, ParagraphsHeadersAndFootersMatchTheSource) {
    const Reader& f = GetParam();
    for (const Expect& e : Expectations()) {
        if (!f.only.empty() && std::find(f.only.begin(), f.only.end(), e.base) == f.only.end())
            continue;
        SCOPED_TRACE(std::string(e.base) + "." + f.ext);
        const std::string path = FormatFixture(std::string(e.base) + "." + f.ext);
        EXPECT_EQ(test::SniffFile(path), f.detected);
        auto doc = f.open(path);
        for (std::size_t i = 0; i < e.paragraphs.size(); ++i)
            EXPECT_EQ(Show(doc->ParagraphText(static_cast<int>(i) + 1)), Show(e.paragraphs[i]))
                << "paragraph " << i + 1;
        EXPECT_THROW(doc->ParagraphText(static_cast<int>(e.paragraphs.size()) + 1), WordError);
        EXPECT_THROW(doc->ParagraphText(0), WordError);
        if (!f.headers) {
            EXPECT_EQ(Show(doc->HeaderText(1, 1)), "\\r");
            EXPECT_EQ(Show(doc->FooterText(1, 1)), "\\r");
            continue;
        }
        EXPECT_EQ(Show(doc->HeaderText(1, 1)), Show(e.header1));
        EXPECT_EQ(Show(doc->FooterText(1, 1)), Show(e.footer1));
        if (!e.header1First.empty()) {
            EXPECT_EQ(Show(doc->HeaderText(1, 2)), Show(e.header1First));
        }
        if (!e.header2.empty()) {
            EXPECT_EQ(Show(doc->HeaderText(2, 1)), Show(e.header2));
        }
    }
}

// Asking for a late paragraph first, then an early one, then the header,
// gives the same answers as asking in order.
TEST_P(FixtureTest, AnswersDoNotDependOnTheOrderOfQuestions) {
    const Reader& f = GetParam();
    const Expect& e = Expectations()[0];
    auto doc = f.open(FormatFixture(std::string(e.base) + "." + f.ext));
    EXPECT_EQ(Show(doc->ParagraphText(5)), Show(e.paragraphs[4]));
    EXPECT_EQ(Show(doc->ParagraphText(1)), Show(e.paragraphs[0]));
    if (f.headers) {
        EXPECT_EQ(Show(doc->HeaderText(1, 1)), Show(e.header1));
    }
    EXPECT_EQ(Show(doc->ParagraphText(6)), Show(e.paragraphs[5]));
}

INSTANTIATE_TEST_SUITE_P(Formats, FixtureTest,
                         ::testing::Values(Reader{"docx", OpenOoxmlDocument, Format::Zip, true},
                                           Reader{"rtf", OpenRtfDocument, Format::Rtf, true},
                                           Reader{"xml",
                                                  OpenWordXmlDocument,
                                                  Format::WordXml,
                                                  true,
                                                  {"english", "chinese", "noheader", "tablefirst",
                                                   "twosections"}}),
                         [](const auto& info) { return std::string(info.param.ext); });

}  // namespace
}  // namespace pelmora::word
