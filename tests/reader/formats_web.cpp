// Web pages: HTML in its charsets, Word's own HTML and MHT archives.

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

void ExpectParagraphs(DocumentImpl& doc, const std::vector<std::u16string>& want) {
    for (std::size_t i = 0; i < want.size(); ++i) {
        try {
            EXPECT_EQ(Show(doc.ParagraphText(static_cast<int>(i) + 1)), Show(want[i]))
                << "paragraph " << i + 1;
        } catch (const WordError& e) {
            ADD_FAILURE() << "paragraph " << i + 1 << ": " << e.what();
        }
    }
    EXPECT_THROW(doc.ParagraphText(static_cast<int>(want.size()) + 1), WordError);
}

struct PageCase {
    const char* name;
    std::string html;
    std::vector<std::u16string> paragraphs;
};

TEST(WebBody, BlocksBecomeParagraphs) {
    const PageCase cases[] = {
        {"blocks, white space and line breaks",
         "<html><body>\n<h1>  Big\n  title </h1><p>a<br>b<br/></p><div>loose text<p>in "
         "p</p>tail</div>"
         "<p></p><ul><li>one<li>two</ul></body></html>",
         {u"Big title\r", u"a\vb\r", u"loose text\r", u"in p\r", u"tail\r", u"\r", u"one\r",
          u"two\r"}},
        {"entities",
         "<html><body><p>&lt;a&gt; &amp; &quot;q&quot; "
         "&nbsp;&#20013;&#x6587;&#150;&eacute;&copy;&bogus; &#0;</p></body></html>",
         {u"<a> & \"q\" \u00A0中文\u2013é©&bogus; \uFFFD\r"}},
        {"head, script, style and comments are not text",
         "<!DOCTYPE html><!-- c --><html><head><title>T</title><style>p{}</style></head><body>"
         "<script>document.write('<p>x</p>')</script><!-- <p>no</p> "
         "--><p>yes</p><noscript>n</noscript></body></html>",
         {u"yes\r"}},
        {"pre keeps its lines",
         "<html><body><pre>\nline 1\n  line 2\n</pre></body></html>",
         {u"line 1\r", u"  line 2\r"}},
        {"tables with implicit ends and a nested table",
         "<html><body><table><tr><td>A<td><p>B1</p><p>B2</p><tr><th>C<td><table><tr><td>in</"
         "table>x</table>"
         "<p>after</p></body></html>",
         {u"A\r\a", u"B1\r", u"B2\r\a", u"\r\a", u"C\r\a", u"in\r\a", u"\r\a", u"x\r\a", u"\r\a",
          u"after\r"}},
        {"images and hidden text",
         "<html><body><p>a<img src=x>b<span style='display: none'>hid</span><span "
         "style=\"mso-list:Ignore\">1.</span>"
         "<span style='mso-hide:all'>h</span></p></body></html>",
         {u"a\x01"
          u"b\r"}},
        {"unclosed and stray tags",
         "<html><body><p>one<b>two</i></p></span><p>three",
         {u"onetwo\r", u"three\r"}},
        {"word tabs",
         "<html><body><p>a<span style='mso-tab-count:2'>&nbsp;&nbsp; </span>b</p></body></html>",
         {u"a\t\tb\r"}},
        {"a lone < is text", "<html><body><p>1 < 2 <3</p></body></html>", {u"1 < 2 <3\r"}},
        {"utf-8 without declaration",
         "<html><body><p>\xE4\xB8\xAD\xE6\x96\x87</p></body></html>",
         {u"中文\r"}},
        {"utf-16 with a byte-order mark",
         std::string("\xFF\xFE<\0h\0t\0m\0l\0>\0<\0p\0>\0-N\x87"
                     "e<\0/\0p\0>\0",
                     30),
         {u"中文\r"}},
        {"xhtml",
         "<?xml version=\"1.0\" encoding=\"gbk\"?>\n<html><body><p>\xD6\xD0</p></body></html>",
         {u"中\r"}},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = OpenWebBytes(c.html);
        ExpectParagraphs(*doc, c.paragraphs);
        EXPECT_EQ(Show(doc->HeaderText(1, 1)), "\\r");
        EXPECT_EQ(Show(doc->FooterText(1, 1)), "\\r");
    }
}

TEST(WebCharset, GbkPagesDeclaredOrNot) {
    auto gbk = OpenWebDocument(FormatFixture("gbk.html"));  // declares gb2312, holds GBK
    ExpectParagraphs(*gbk,
                     {u"关于印发《管理办法》的通知\r", u"各部门：\u00A0现将有关事项通知如下。\r"});
    ExpectParagraphs(*OpenWebDocument(FormatFixture("gbk-undeclared.html")), {u"第一章 总则\r"});
    EXPECT_EQ(test::SniffFile(FormatFixture("gbk.html")), Format::Web);
}

TEST(WebWordHtml, HeadersFromTheSideFileAndFromTheArchive) {
    for (const char* name : {"report.htm", "report.mht"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(test::SniffFile(FormatFixture(name)), Format::Web);
        auto doc = OpenWebDocument(FormatFixture(name));
        // List numbers and field codes are Word's stand-ins, not text.
        ExpectParagraphs(*doc, {u"年度总结报告\r", u"第3页\r", u"\r"});
        EXPECT_EQ(Show(doc->HeaderText(1, 1)), Show(u"公司内部文件\r"));
        EXPECT_EQ(Show(doc->FooterText(1, 1)), Show(u"第二行页脚\r"));
        EXPECT_EQ(Show(doc->HeaderText(1, 2)), "\\r");
        EXPECT_THROW(doc->HeaderText(2, 1), WordError);
    }
}

TEST(WebWordHtml, InlineHeaderDivsBySection) {
    const std::string page =
        "<html><head><style>@page WordSection1 {mso-header:h1; mso-first-header:fh1; "
        "mso-footer:f1;}\n"
        "@page WordSection2 {mso-header:h2;}</style></head><body>"
        "<div style='mso-element:header' id=h1><p>Head 1</p><p>line 2</p></div>"
        "<div style='mso-element:header' id=fh1><p>First</p></div>"
        "<div style='mso-element:footer' id=f1><table><tr><td>F</td></tr></table></div>"
        "<div style='mso-element:header' id=h2><p>Head 2</p></div>"
        "<div style='mso-element:footnote' id=ftn1><p>note</p></div>"
        "<div class=WordSection1><p>Body</p></div><div "
        "class=WordSection2><p>Two</p></div></body></html>";
    auto doc = OpenWebBytes(page);
    ExpectParagraphs(*doc, {u"Body\r", u"Two\r"});
    EXPECT_EQ(Show(doc->HeaderText(1, 1)), "Head 1\\rline 2\\r");
    EXPECT_EQ(Show(doc->HeaderText(1, 2)), "First\\r");
    EXPECT_EQ(Show(doc->FooterText(1, 1)), "F\\r\\a\\r\\a");
    EXPECT_EQ(Show(doc->HeaderText(2, 1)), "Head 2\\r");
    EXPECT_EQ(Show(doc->FooterText(2, 1)), "F\\r\\a\\r\\a");  // linked to section 1
    EXPECT_THROW(doc->HeaderText(3, 1), WordError);

    // A header div nobody references is no header, and not body text either.
    auto loose = OpenWebBytes(
        "<html><body><div style='mso-element:header' id=h1><p>H</p></div><p>B</p></body></html>");
    ExpectParagraphs(*loose, {u"B\r"});
    EXPECT_EQ(Show(loose->HeaderText(1, 1)), "\\r");
}

TEST(WebExports, LibreOfficePagesReadAsWordWouldShowThem) {
    // LibreOffice writes its headers and footers as plain <div title="header">
    // blocks, which are body text to Word.
    struct Case {
        const char* file;
        std::vector<std::u16string> paragraphs;
    };
    const Case cases[] = {
        {"english.html",
         {u"Primary Header Text\r", u"Annual Report 2024\r", u"Second paragraph.\r",
          u"Third paragraph.\r", u"Fourth paragraph.\r", u"Fifth paragraph here.\r", u"Sixth.\r",
          u"Primary Footer Text\r"}},
        {"chinese.html",
         {u"公司文件\r", u"第一章 总则\r", u"为了规范管理，制定本办法。\r", u"第1页\r"}},
        {"noheader.html", {u"Plain document\r", u"Nothing above or below.\r"}},
        {"tablefirst.html",
         {u"Cell A1\r\a", u"B1 p1\r", u"B1 p2\r\a", u"\r\a", u"A2\r\a", u"B2\r\a", u"\r\a",
          u"After table\r"}},
        // A literal tab is white space in HTML; Word writes its tabs as
        // mso-tab-count spans (tested above).
        {"linebreaks.html", {u"Line one\vLine two after tab\r", u"Second paragraph\r"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(test::SniffFile(FormatFixture(c.file)), Format::Web);
        auto doc = OpenWebDocument(FormatFixture(c.file));
        ExpectParagraphs(*doc, c.paragraphs);
        EXPECT_EQ(Show(doc->HeaderText(1, 1)), "\\r");
    }
}

TEST(WebBroken, RefusedCleanly) {
    EXPECT_THROW(OpenWebBytes("plain text, no markup"), WordError);
    EXPECT_THROW(OpenWebBytes(""), WordError);
    EXPECT_THROW(OpenWebDocument(FormatFixture("missing.html")), WordError);
    // MIME without any HTML part.
    EXPECT_THROW(OpenWebBytes("MIME-Version: 1.0\r\nContent-Type: text/plain\r\n\r\nhello"),
                 WordError);
    // A multipart archive that never ends and a boundary that never comes.
    auto doc = OpenWebBytes(
        "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=b\r\n\r\n--b\r\n"
        "Content-Type: text/html\r\nContent-Transfer-Encoding: base64\r\n\r\nPGh0bWw+PHA+aGk8L3A+");
    ExpectParagraphs(*doc, {u"hi\r"});
    // Deep nesting is bounded, not recursed.
    std::string deep = "<html><body>";
    for (int i = 0; i < 50000; ++i) deep += "<div><span>";
    deep += "x";
    ExpectParagraphs(*OpenWebBytes(deep), {u"x\r"});
}

}  // namespace
}  // namespace pelmora::word
