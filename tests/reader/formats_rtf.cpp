// RTF specifics on small hand-written documents.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats_support.h"
#include "reader/document.h"
#include "reader/openers.h"

namespace pelmora::word {
namespace {

using test::Show;

struct RtfCase {
    const char* name;
    std::string rtf;
    std::vector<std::u16string> paragraphs;  // all of them
};

TEST(RtfBody, TextAsWordGivesIt) {
    const RtfCase cases[] = {
        {"gbk bytes in the document code page",
         "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil "
         "SimSun;}}\\'b5\\'da\\'d2\\'bb\\'d5\\'c2 ABC\\par}",
         {u"第一章 ABC\r"}},
        {"raw high bytes too", "{\\rtf1\\ansi\\ansicpg936 \xb5\xda\xd2\xbb\\par}", {u"第一\r"}},
        {"font charset overrides the document code page",
         "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset134 SimSun;}}\\f0 "
         "caf\\'e9 {\\f1 \\'d6\\'d0}\\par}",
         {u"café 中\r"}},
        {"unicode escapes skip their fallbacks",
         "{\\rtf1\\ansi\\ansicpg936\\uc2\\u31532\\'b5\\'da\\u-26311?? end\\uc1\\u8364 ?\\par}",
         {u"第\u9939 end€\r"}},
        {"a brace ends the fallback", "{\\rtf1\\uc3{\\u20013}X\\par}", {u"中X\r"}},
        {"destinations are not text",
         "{\\rtf1{\\fonttbl{\\f0 Times;}}{\\colortbl;\\red0\\green0\\blue0;}{\\stylesheet{\\s0 "
         "Normal;}}"
         "{\\info{\\title Not this}{\\author Nor this}}{\\*\\generator Nope;}{\\*\\unknowndest "
         "hidden}"
         "Body{\\*\\bkmkstart b1}{\\*\\bkmkend b1}\\par}",
         {u"Body\r"}},
        {"fields give their result",
         "{\\rtf1 A{\\field{\\*\\fldinst{ HYPERLINK \"http://x/\" }}{\\fldrslt{link}}}"
         "{\\field{\\fldinst PAGE}{\\fldrslt 3}}Z\\par}",
         {u"Alink3Z\r"}},
        {"specials",
         "{\\rtf1 a\\line b\\tab c\\~d\\-e\\_f\\emdash\\page g\\par}",
         {u"a\vb\tc\u00A0d\x1F"
          u"e\x1E"
          u"f\u2014\fg\r"}},
        {"pictures and binary data",
         "{\\rtf1 x{\\pict\\pngblip 89504e47}{\\*\\shppict{\\pict 00}}{\\nonshppict{\\pict 00}}"
         "{\\object{\\*\\objdata 0102}}{\\pict\\bin4 }{}x}\\par y\\par}",
         {u"x\x01\x01\x01\x01\r", u"y\r"}},
        {"tables with cells, rows and a nested table",
         "{\\rtf1\\trowd\\cellx100\\cellx200\\pard\\intbl A\\cell B1\\par B2\\cell\\row"
         "\\pard\\intbl I\\nestcell{\\*\\nesttableprops\\trowd\\nestrow}{\\nonesttables "
         "I\\par}\\cell\\row after\\par}",
         {u"A\r\a", u"B1\r", u"B2\r\a", u"\r\a", u"I\r\a", u"\r\a", u"\r\a", u"\r\a", u"after\r"}},
        {"unicode destination of upr",
         "{\\rtf1{\\upr{\\'3f}{\\*\\ud{\\u20013 }}}\\par}",
         {u"中\r"}},
        {"byte-order mark and blank lines first", "\xEF\xBB\xBF\r\n{\\rtf1 bom\\par}", {u"bom\r"}},
        {"text without a final par is a paragraph", "{\\rtf1 one\\par two}", {u"one\r", u"two\r"}},
        {"a section mark ends the paragraph",
         "{\\rtf1 s1\\sect s2\\par\\sect\\sectd s3\\par}",
         {u"s1\f", u"s2\f", u"s3\r"}},
        {"missing closing braces", "{\\rtf1 open{\\b bold\\par", {u"openbold\r"}},
        {"extra closing brace ends the document", "{\\rtf1 in\\par}} out\\par}", {u"in\r"}},
        {"cut inside an escape", "{\\rtf1 ok\\par x\\'", {u"ok\r", u"x\r"}},
        {"binary length past the end", "{\\rtf1 ok\\par{\\pict\\bin99999 ab", {u"ok\r", u"\x01\r"}},
    };
    for (const RtfCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = OpenRtfBytes(c.rtf);
        for (std::size_t i = 0; i < c.paragraphs.size(); ++i) {
            try {
                EXPECT_EQ(Show(doc->ParagraphText(static_cast<int>(i) + 1)), Show(c.paragraphs[i]))
                    << "paragraph " << i + 1;
            } catch (const WordError& e) {
                ADD_FAILURE() << "paragraph " << i + 1 << ": " << e.what();
            }
        }
        EXPECT_THROW(doc->ParagraphText(static_cast<int>(c.paragraphs.size()) + 1), WordError);
    }
}

TEST(RtfHeaders, PrimaryFirstAndEvenPerSection) {
    auto doc = OpenRtfBytes(
        "{\\rtf1{\\headerl Left\\par}{\\headerr Right\\par}{\\headerf First}{\\footer Foot\\par "
        "Two\\par}"
        "body\\sect\\sectd{\\header S2}two\\par}");
    struct Case {
        int section, index;
        bool header;
        std::u16string want;
    };
    const Case cases[] = {
        {1, 1, true, u"Right\r"},      {1, 2, true, u"First\r"}, {1, 3, true, u"Left\r"},
        {1, 1, false, u"Foot\rTwo\r"}, {1, 2, false, u"\r"},     {2, 1, true, u"S2\r"},
        {2, 1, false, u"Foot\rTwo\r"},  // linked to the previous section
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.section << "/" << c.index << (c.header ? " header" : " footer"));
        EXPECT_EQ(Show(c.header ? doc->HeaderText(c.section, c.index)
                                : doc->FooterText(c.section, c.index)),
                  Show(c.want));
    }
    EXPECT_EQ(Show(doc->ParagraphText(1)), "body\\f");
    EXPECT_THROW(doc->HeaderText(3, 1), WordError);
    EXPECT_THROW(doc->HeaderText(1, 0), WordError);
    EXPECT_EQ(Show(OpenRtfBytes("{\\rtf1 x\\par}")->HeaderText(1, 1)), "\\r");
}

TEST(RtfBroken, RefusedOrReadCleanly) {
    EXPECT_THROW(OpenRtfBytes("not rtf"), WordError);
    EXPECT_THROW(OpenRtfBytes(""), WordError);
    EXPECT_THROW(OpenRtfDocument(test::FormatFixture("missing.rtf")), WordError);
    // Nesting past the bound is an error, not a stack overflow.
    std::string deep = "{\\rtf1 ";
    for (int i = 0; i < 100000; ++i) deep += '{';
    EXPECT_THROW(OpenRtfBytes(deep)->ParagraphText(1), WordError);
    // Unbalanced the other way: nothing but closing braces.
    auto doc = OpenRtfBytes("{\\rtf1}}}}}}");
    EXPECT_THROW(doc->ParagraphText(1), WordError);
    EXPECT_EQ(Show(doc->HeaderText(1, 1)), "\\r");
}

}  // namespace
}  // namespace pelmora::word
