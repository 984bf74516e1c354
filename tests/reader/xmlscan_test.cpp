// The fast tag scanner against expat: where the scanner answers, it gives
// exactly expat's tags; where it is unsure, it gives up.

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <string>

#include "reader/openers.h"
#include "xmlevents.h"

namespace fs = std::filesystem;
using pelmora::test::ExpatEvents;
using pelmora::test::ExpatTags;
using pelmora::test::ScannedEvents;
using pelmora::test::ScannedTags;

namespace {

constexpr const char* kW = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

std::string Styles(const std::string& inner) {
    return std::string(
               "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
               "<w:styles xmlns:w=\"") +
           kW + "\">" + inner + "</w:styles>";
}

void ExpectSameAsExpat(const std::string& xml) {
    const auto expat = ExpatTags(xml);
    ASSERT_TRUE(expat) << "expat refuses: " << xml;
    const auto scanned = ScannedTags(xml);
    ASSERT_TRUE(scanned) << "scanner gave up: " << xml;
    EXPECT_EQ(*scanned, *expat) << xml;
}

TEST(XmlScan, GivesExpatsTagsForWellFormedParts) {
    const std::string cases[] = {
        Styles("<w:style w:type=\"paragraph\" w:styleId=\"Title\"><w:name w:val=\"Title\"/>"
               "<w:rPr><w:b/><w:sz w:val=\"44\"/></w:rPr></w:style>"),
        // References and blanks in values come out as expat turns them.
        Styles("<w:name w:val=\"A &amp; B &lt;&gt;&quot;&apos; &#20013;&#x6587;\"/>"),
        Styles("<w:name w:val=\"a\tb\nc\r\nd\re\"/><w:name w:val='&#9;&#10;&#13;'/>"),
        Styles("<w:name w:val=\"标题 1\" x='1'  y = \"2\" />"),
        // Namespace scopes: default namespaces, a prefix bound again inside,
        // the scope ending with the element.
        std::string("<a xmlns=\"") + kW +
            "\"><b xmlns=\"\"><c/></b><p:d xmlns:p=\"urn:x\" p:e=\"1\"" +
            " f=\"2\"><p:g xmlns:p=\"" + kW + "\"/></p:d><h/></a>",
        // Comments, processing instructions, CDATA and text are passed over.
        "\xEF\xBB\xBF<?xml version='1.0'?><!-- c --><?pi x?>\n<r>t &amp; <![CDATA[<x>]]>"
        "<!---->&#20013;<?q?></r ><!-- after -->\n",
        "<r xml:space=\"preserve\"><s/></r>",
        // The head of a styles part as Word writes it.
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<w:styles "
        "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
        "xmlns:w14=\"http://schemas.microsoft.com/office/word/2010/wordml\" "
        "mc:Ignorable=\"w14\"><w:docDefaults><w:rPrDefault><w:rPr><w:rFonts "
        "w:asciiTheme=\"minorHAnsi\" w:eastAsiaTheme=\"minorEastAsia\"/><w:kern w:val=\"2\"/>"
        "<w:sz w:val=\"21\"/><w:lang w:val=\"en-US\" w:eastAsia=\"zh-CN\"/></w:rPr>"
        "</w:rPrDefault><w:pPrDefault/></w:docDefaults><w:latentStyles w:defLockedState=\"0\" "
        "w:count=\"376\"><w:lsdException w:name=\"heading 1\" w:uiPriority=\"9\" "
        "w:qFormat=\"1\"/></w:latentStyles><w:style w:type=\"paragraph\" w:default=\"1\" "
        "w:styleId=\"a\"><w:name w:val=\"Normal\"/><w:qFormat/><w:pPr><w:widowControl "
        "w:val=\"0\"/><w:jc w:val=\"both\"/></w:pPr></w:style></w:styles>",
    };
    for (const auto& xml : cases) ExpectSameAsExpat(xml);
}

TEST(XmlScan, GivesUpWhereItIsNotSure) {
    std::string nested;
    for (size_t i = 0; i <= size_t(pelmora::word::kMaxNesting); ++i) nested += "<a>";
    const std::string cases[] = {
        "",
        "<!DOCTYPE r [<!ENTITY e \"x\">]><r>&e;</r>",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r/>",
        "<?xml version=\"1.1\"?><r/>",
        std::string("\xFF\xFE<\0r\0/\0>\0", 10),
        "<r><\xE6\xA0\x87\xE9\xA2\x98/></r>",  // a non-ASCII element name
        "<p:r/>",                              // a prefix never bound
        "<r><a></b></r>",
        "<r><a>",
        "<r/><s/>",
        "text<r/>",
        "<r a=\"1\" a=\"2\"/>",
        "<r xmlns:p=\"urn:x\" xmlns:q=\"urn:x\" p:a=\"1\" q:a=\"2\"/>",
        "<r a=\"&nbsp;\"/>",
        "<r a=\"&#1;\"/>",
        "<r a=\"<\"/>",
        "<r a=\"1\"b=\"2\"/>",
        "<r xmlns:p=\"\"/>",
        "<r><!-- a -- b --></r>",
        "<r a=\"\xC3\"/>",  // broken UTF-8
        nested,
    };
    for (const auto& xml : cases) EXPECT_FALSE(ScannedTags(xml)) << xml;
}

TEST(XmlScan, StopsWhenTheHandlerStops) {
    struct First : pelmora::test::TagLog {
        void Start(pelmora::word::fmt::Ns ns, std::string_view local,
                   const pelmora::word::fmt::XmlAttrs& a) override {
            TagLog::Start(ns, local, a);
            stop = true;
        }
    } first;
    // What comes after the stop is not looked at, malformed or not.
    EXPECT_TRUE(pelmora::word::fmt::ScanTags("<r><a></b>", first));
    EXPECT_EQ(first.log, "<0:r>\n");
}

// Text too, and in pieces: a piece may end anywhere, inside a name, a
// reference, a character or a quoted value.
TEST(XmlScan, GivesExpatsTextInPiecesOfAnySize) {
    const std::string doc = std::string("<w:document xmlns:w=\"") + kW + "\"><w:body>";
    const std::string cases[] = {
        doc + "<w:p><w:r><w:t xml:space=\"preserve\"> 关于 2026 年的通知 </w:t></w:r></w:p>" +
            "<w:p><w:r><w:t>A &amp; B &lt;&gt;&quot;&apos; &#20013;&#x6587;&#x1F600;</w:t>" +
            "</w:r></w:p></w:body></w:document>",
        doc + "<w:p>\n\t<w:r><w:t>a]b]]c</w:t><w:t><![CDATA[<x> & ]]]></w:t></w:r></w:p>" +
            "<!-- c --><?pi x?><w:p w:a='>' w:b=\"/>\"/></w:body></w:document>\n<!-- end -->",
        "\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?>\n<r>t\xC3\xA9\xF0\x9F\x98\x80</r >",
        "<r>&#13;&#9;x</r>",  // a carriage return by reference stays
        // Line ends are "\n", whichever way they were written.
        "<r>a\r\nb\rc\n\r\r\n<s/>\r<![CDATA[d\r\ne\r]]>&amp;\r</r>",
    };
    for (const auto& xml : cases) {
        const auto expat = ExpatEvents(xml);
        ASSERT_TRUE(expat) << xml;
        for (size_t piece : {size_t(1), size_t(2), size_t(3), size_t(7), size_t(64), xml.size()}) {
            const auto scanned = ScannedEvents(xml, piece);
            ASSERT_TRUE(scanned) << "gave up in pieces of " << piece << ": " << xml;
            EXPECT_EQ(*scanned, *expat) << "pieces of " << piece << ": " << xml;
        }
    }
}

// A drawing's preview in one attribute runs over many pieces: held until
// its tag ends. One that a piece after piece seems to end but does not
// ('>' in the value) goes to expat rather than be read again and again.
TEST(XmlScan, HoldsATokenLongerThanManyPieces) {
    const std::string preview(200000, 'Q');
    const std::string xml =
        "<r><v a=\"" + preview + "&#xA;" + preview + "\">t</v>" + std::string(150000, 'x') + "</r>";
    const auto expat = ExpatEvents(xml);
    ASSERT_TRUE(expat);
    EXPECT_EQ(ScannedEvents(xml, 1000).value_or("gave up"), *expat);

    std::string arrows;
    for (int i = 0; i < 2000; ++i) arrows += "a>b ";
    const std::string odd = "<r><v a=\"" + arrows + "\"/></r>";
    ASSERT_TRUE(ExpatEvents(odd));
    EXPECT_FALSE(ScannedEvents(odd, 100));
    EXPECT_EQ(ScannedEvents(odd, odd.size()), ExpatEvents(odd));
}

TEST(XmlScan, GivesUpOnTextItIsNotSureOf) {
    const std::string cases[] = {
        "<r>a]]>b</r>",   // refused in text
        "<r>a\x01b</r>",  // no XML character
        "<r>a\xC3"
        "b</r>",                // broken UTF-8
        "<r>\xED\xA0\x80</r>",  // a surrogate
        "<r>&nbsp;</r>",        // no such entity without a DTD
        "<r>a &amp b</r>",
        "<r>a</r>b",
        "<r>a",
    };
    for (const auto& xml : cases) EXPECT_FALSE(ScannedEvents(xml, 3)) << xml;
}

// Stopped after so many tags, both give the same, in pieces or whole; what
// follows is not looked at.
TEST(XmlScan, StopsWithTheHandlerAsExpatDoes) {
    const std::string xml = std::string("<w:document xmlns:w=\"") + kW +
                            "\"><w:body><w:p><w:r><w:t>标题</w:t></w:r></w:p><w:p><w:r>" +
                            "<w:t>正文 &amp; more</w:t></w:r></w:p></w:body></w:document>";
    for (int after = 1; after < 16; ++after) {
        const auto expat = ExpatEvents(xml, after);
        ASSERT_TRUE(expat);
        for (size_t piece : {size_t(1), size_t(5), xml.size()})
            EXPECT_EQ(ScannedEvents(xml, piece, after).value_or("gave up"), *expat) << after;
    }
    EXPECT_EQ(ScannedEvents("<r><a/>\r<", 2, 2).value_or("gave up"), "<0:r>\n<0:a>\n");
}

// Every styles and document part of the .docx files in `folder` that expat
// takes: the scanner takes it too, alike. Returns how many there were.
int CheckPackages(const fs::path& folder, int* scanned) {
    int parts = 0;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        if (e.path().extension() != ".docx") continue;
        int err = 0;
        zip_t* z = zip_open(e.path().c_str(), ZIP_RDONLY, &err);
        if (!z) continue;  // damaged on purpose
        for (const char* name : {"word/styles.xml", "word/document.xml"}) {
            zip_stat_t st;
            zip_file_t* f = nullptr;
            if (zip_stat(z, name, ZIP_FL_NOCASE, &st) != 0 || st.size > (64u << 20) ||
                !(f = zip_fopen(z, name, ZIP_FL_NOCASE)))
                continue;
            std::string xml(size_t(st.size), '\0');
            const zip_int64_t got = zip_fread(f, xml.data(), st.size);
            zip_fclose(f);
            const auto expat = ExpatTags(xml);
            if (got != zip_int64_t(st.size) || !expat) continue;
            ++parts;
            const auto tags = ScannedTags(xml);
            if (!tags) continue;
            ++*scanned;
            EXPECT_EQ(*tags, *expat) << e.path() << " " << name;
            // With text, in the pieces the package reader gives and in odd ones.
            const auto events = ExpatEvents(xml);
            for (size_t piece : {size_t(1) << 16, size_t(1000)})
                EXPECT_EQ(ScannedEvents(xml, piece).value_or("gave up"), events.value_or("refused"))
                    << e.path() << " " << name << " in pieces of " << piece;
        }
        zip_discard(z);
    }
    return parts;
}

TEST(XmlScan, TakesEveryFixturePartAsExpatDoes) {
    int scanned = 0;
    const int parts = CheckPackages(PELMORA_TEST_DATA, &scanned);
    EXPECT_GT(parts, 40);
    EXPECT_EQ(scanned, parts);  // LibreOffice's XML is all plain
}

}  // namespace
