// Telling formats apart by content.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "formats_support.h"
#include "reader/document.h"
#include "reader/open.h"
#include "reader/openers.h"

namespace pelmora::word {
namespace {

TEST(FormatSniff, FirstBytesDecide) {
    struct Case {
        std::string head;
        Format want;
    };
    const Case cases[] = {
        {std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10), Format::Compound},
        {"PK\x03\x04rest", Format::Zip},
        {"{\\rtf1\\ansi", Format::Rtf},
        {"\xEF\xBB\xBF{\\rtf1", Format::Rtf},
        {"{\\rt", Format::Unknown},
        {"<!DOCTYPE html><html>", Format::Web},
        {"\xEF\xBB\xBF\r\n  <HTML xmlns:o=\"urn:schemas-microsoft-com:office:office\">",
         Format::Web},
        {"<!-- saved from url --><html>", Format::Web},
        {"<head><title>x</title>", Format::Web},
        {"<body>text", Format::Web},
        {"<?xml version=\"1.0\"?>\n<html xmlns=\"http://www.w3.org/1999/xhtml\">", Format::Web},
        {"<?xml version=\"1.0\"?><w:wordDocument>", Format::Xml},
        {std::string("\xFF\xFE<\0h\0t\0m\0l\0>\0", 14), Format::Web},
        {"MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=x\r\n\r\n", Format::Web},
        {"From: <Saved by a browser>\nMIME-Version: 1.0\n\n", Format::Web},
        {"Subject: x\r\n\r\nMIME-Version: 1.0 (in the body, not a header)", Format::Unknown},
        {"<div>exported fragment</div>", Format::Web},
        {"<p>", Format::Web},
        {"<pre", Format::Xml},
        {"plain text", Format::Unknown},
        {"", Format::Empty},
        {"\xDB\xA5\x2D\x00", Format::Word2OrOlder},
        {"\f{\\rtf1", Format::Rtf},
        {"\f\f\r\n<html>", Format::Web},
        {std::string("\xFF\xFE{\0\\\0r\0t\0f\0", 12), Format::Unknown},  // RTF is never UTF-16
        {std::string(kSniffBytes, ' ') + "{\\rtf1", Format::Unknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Sniff(c.head), c.want)
            << test::Show(std::u16string(c.head.begin(), c.head.end()));
}

TEST(FormatSniff, ZipPackagesAreLookedInto) {
    using test::FormatFixture;
    for (const char* name : {"odd.docx", "nodocxml.docx", "notword.docx"})
        EXPECT_EQ(test::SniffFile(FormatFixture(name)), Format::Zip) << name;
    EXPECT_TRUE(IsWordPackage(FormatFixture("odd.docx")));
    EXPECT_FALSE(IsWordPackage(FormatFixture("nodocxml.docx")));
    EXPECT_FALSE(IsWordPackage(FormatFixture("notword.docx")));
    EXPECT_FALSE(IsWordPackage(FormatFixture("missing.docx")));
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
            EXPECT_THROW(Open(std::make_unique<FileSource>(path)), WordError);
            continue;
        }
        auto doc = Open(std::make_unique<FileSource>(path));
        ASSERT_TRUE(doc);
        EXPECT_EQ(test::Show(doc->ParagraphText(1)), test::Show(c.first));
    }
}

}  // namespace
}  // namespace pelmora::word
