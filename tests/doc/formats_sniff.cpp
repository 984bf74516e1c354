// Telling formats apart by content.

#include <gtest/gtest.h>

#include <string>

#include "formats_support.h"
#include "platform/doc/formats.h"
#include "platform/doc/objectmodel.h"

namespace pelmora::word {
namespace {

TEST(FormatSniff, FirstBytesDecide) {
    struct Case {
        std::string head;
        DocumentFormat want;
    };
    const Case cases[] = {
        {std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10), DocumentFormat::CompoundFile},
        {"PK\x03\x04rest", DocumentFormat::Zip},
        {"{\\rtf1\\ansi", DocumentFormat::Rtf},
        {"\xEF\xBB\xBF{\\rtf1", DocumentFormat::Rtf},
        {"{\\rt", DocumentFormat::Unknown},
        {"<!DOCTYPE html><html>", DocumentFormat::Web},
        {"\xEF\xBB\xBF\r\n  <HTML xmlns:o=\"urn:schemas-microsoft-com:office:office\">",
         DocumentFormat::Web},
        {"<!-- saved from url --><html>", DocumentFormat::Web},
        {"<head><title>x</title>", DocumentFormat::Web},
        {"<body>text", DocumentFormat::Web},
        {"<?xml version=\"1.0\"?>\n<html xmlns=\"http://www.w3.org/1999/xhtml\">",
         DocumentFormat::Web},
        {"<?xml version=\"1.0\"?><w:wordDocument>", DocumentFormat::Unknown},
        {std::string("\xFF\xFE<\0h\0t\0m\0l\0>\0", 14), DocumentFormat::Web},
        {"MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=x\r\n\r\n",
         DocumentFormat::Web},
        {"From: <Saved by a browser>\nMIME-Version: 1.0\n\n", DocumentFormat::Web},
        {"Subject: x\r\n\r\nMIME-Version: 1.0 (in the body, not a header)",
         DocumentFormat::Unknown},
        {"<div>exported fragment</div>", DocumentFormat::Web},
        {"<p>", DocumentFormat::Web},
        {"<pre", DocumentFormat::Unknown},
        {"plain text", DocumentFormat::Unknown},
        {"", DocumentFormat::Unknown},
        {"\xDB\xA5\x2D\x00", DocumentFormat::Unknown},  // Word 2.0 and older
    };
    for (const Case& c : cases)
        EXPECT_EQ(SniffDocumentFormat(c.head), c.want)
            << test::Show(std::u16string(c.head.begin(), c.head.end()));
}

TEST(FormatSniff, ZipPackagesAreLookedInto) {
    using test::FormatFixture;
    EXPECT_EQ(DetectDocumentFormat(FormatFixture("odd.docx")), DocumentFormat::Ooxml);
    EXPECT_EQ(DetectDocumentFormat(FormatFixture("nodocxml.docx")), DocumentFormat::Zip);
    EXPECT_EQ(DetectDocumentFormat(FormatFixture("notword.docx")), DocumentFormat::Zip);
    EXPECT_EQ(DetectDocumentFormat(FormatFixture("missing.docx")), DocumentFormat::Unknown);
    EXPECT_FALSE(IsWordPackage(FormatFixture("bomb.docx")));
    EXPECT_TRUE(IsWordPackage(FormatFixture("english.docx")));
}

}  // namespace
}  // namespace pelmora::word

namespace pelmora::word {
namespace {

TEST(FormatOpen, ByContentWhateverTheName) {
    using test::FormatFixture;
    struct Case {
        const char* file;
        const char16_t* first;  // nullptr: refused
    };
    const Case cases[] = {
        {"english.docx", u"Annual Report 2024\r"},
        {"english.rtf", u"Annual Report 2024\r"},
        {"noheader.html", u"Plain document\r"},
        {"report.mht", u"年度总结报告\r"},
        {"nodocxml.docx", nullptr},
        {"src/english.fodt", nullptr},  // XML, but not a page Word reads as one
        {"missing.doc", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = FormatFixture(c.file);
        if (!c.first) {
            EXPECT_THROW(OpenByContent(path, DetectDocumentFormat(path)), WordError);
            continue;
        }
        auto doc = OpenByContent(path, DetectDocumentFormat(path));
        ASSERT_TRUE(doc);
        EXPECT_EQ(test::Show(doc->ParagraphText(1)), test::Show(c.first));
    }
    EXPECT_EQ(OpenByContent("whatever", DocumentFormat::CompoundFile), nullptr);
}

}  // namespace
}  // namespace pelmora::word
