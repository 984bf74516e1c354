// Telling formats apart, and the object model's own behaviour: every file
// no reader takes gives a WordError with a reason, the same from a file and
// from memory.

#include "reader/open.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "docwriter.h"
#include "reader/document.h"

namespace pelmora::word {
namespace {

struct KindCase {
    const char* label;
    std::string head;
    Format format;
    const char* reason;  // part of the WordError text; null when a reader takes it
};

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 g(seed);
    std::string s(n, '\0');
    for (char& c : s) c = char(g() & 0xFF);
    s[0] = '\x17';  // no signature by chance
    return s;
}

class Kinds : public ::testing::TestWithParam<KindCase> {};

// Formats a reader takes (RTF, web pages) are only judged here; their
// readers have their own tests.
TEST_P(Kinds, DetectedAndRefusedWithAReason) {
    const KindCase& c = GetParam();
    EXPECT_EQ(Sniff(c.head), c.format);
    if (!c.reason) return;
    Application app;
    try {
        app.OpenMemory(c.head.data(), c.head.size());
        FAIL() << "opened";
    } catch (const WordError& e) {
        EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Detect, Kinds,
    ::testing::Values(
        KindCase{"Empty", "", Format::Empty, "empty file"},
        KindCase{"Rtf", "{\\rtf1\\ansi hello}", Format::Rtf, nullptr},
        KindCase{"RtfAfterBlankLines", "\r\n  {\\rtf1}", Format::Rtf, nullptr},
        KindCase{"Zip", std::string("PK\x03\x04\x14\x00\x06\x00", 8) + "[Content_Types].xml",
                 Format::Zip, "ZIP"},
        KindCase{"Html", "<html><body>Hi</body></html>", Format::Web, nullptr},
        KindCase{"XmlWithBom", "\xEF\xBB\xBF<?xml version=\"1.0\"?><w:wordDocument/>", Format::Xml,
                 "XML"},
        KindCase{"HtmlUtf16", std::string("\xFF\xFE<\0h\0t\0m\0l\0>\0", 14), Format::Web, nullptr},
        KindCase{"Mht", "MIME-Version: 1.0\r\nContent-Type: multipart/related", Format::Web,
                 nullptr},
        KindCase{"PlainText", "Minutes of the meeting\r\nAttendees: ...", Format::Unknown,
                 "not a Word document"},
        KindCase{"RandomBytes", RandomBytes(3000, 7), Format::Unknown, "not a Word document"},
        KindCase{"WordPerfect", std::string("\xFFWPC\x10\x00\x00\x00", 8), Format::WordPerfect,
                 "WordPerfect"},
        KindCase{"Word2", std::string("\xDB\xA5\x2D\x00\x00\x00", 6), Format::Word2OrOlder,
                 "Word 2.0"},
        KindCase{"WpsForDos", std::string("\x03\xFF", 2) + std::string(1022, '\0') + "text",
                 Format::OldWps, "old WPS"},
        KindCase{"WpsNt", std::string("\x04\xFF\x00\x10", 4), Format::OldWps, "old WPS"},
        KindCase{"Wps97", std::string(600, '\x01') + "[WPSTEXT]\xC4\xDA\xC8\xDD", Format::OldWps,
                 "old WPS"},
        KindCase{"NotWpsVersion", std::string("\x05\xFF\x00\x00", 4), Format::Unknown,
                 "not a Word document"},
        // The marker in a page is still a page.
        KindCase{"MarkerInAPage", "<html><body>[WPSTEXT]</body></html>", Format::Web, nullptr},
        KindCase{"WordForDos", std::string("\x31\xBE\x00\x00\x00\xAB", 6), Format::Word2OrOlder,
                 "Word 2.0"},
        KindCase{"CompoundHeaderOnly",
                 std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(200, '\0'),
                 Format::Compound, "damaged compound file"},
        KindCase{"CompoundThenGarbage",
                 std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + RandomBytes(5000, 3),
                 Format::Compound, "damaged compound file"}),
    [](const auto& info) { return std::string(info.param.label); });

class TempDir : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/pelmora-doc-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Write(const std::string& name, const std::string& bytes) {
        std::string p = dir_ + "/" + name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    std::string dir_;
};

TEST_F(TempDir, OpensFilesByPathAndRefusesWhatIsNoFile) {
    Application app;
    std::string good = Write("good.doc", test::BuildWord97(test::MakeWord97(u"Title\rBody\r")));
    auto doc = app.Open(good);
    EXPECT_EQ(doc->ParagraphText(1), u"Title\r");
    doc->Close(true);
    EXPECT_THROW(doc->ParagraphText(1), WordError);

    EXPECT_NE(std::string([&] {
                  try {
                      app.Open(dir_ + "/missing.doc");
                  } catch (const WordError& e) {
                      return std::string(e.what());
                  }
                  return std::string();
              }())
                  .find("cannot open file"),
              std::string::npos);
    EXPECT_THROW(app.Open(dir_), WordError);
    EXPECT_THROW(app.Open(Write("zero.doc", "")), WordError);
}

// Any reader takes a file whatever its name; a .wps or .wpt name only
// sharpens the reason for a file none takes.
TEST_F(TempDir, AWpsNameTellsAnOldWpsDocumentFromOtherFiles) {
    const auto reason = [](const std::string& path) {
        try {
            Application().Open(path);
        } catch (const WordError& e) {
            return std::string(e.what());
        }
        return std::string("opened");
    };
    const std::string word = test::BuildWord97(test::MakeWord97(u"Title\rBody\r"));
    EXPECT_EQ(reason(Write("new.wps", word)), "opened");
    EXPECT_EQ(reason(Write("new.WPT", word)), "opened");

    test::CfbWriter works;  // a compound file with no Word inside
    works.streams = {{u"CONTENTS", std::string(600, 'x')}, {u"MatOST", std::string(100, 'y')}};
    const std::string compound = works.Build();
    const std::string unknown = "\x17\x00WPS2000 binary" + std::string(2000, '\x02');
    EXPECT_EQ(reason(Write("old.wps", compound)), kOldWpsReason);
    EXPECT_EQ(reason(Write("old.Wpt", unknown)), kOldWpsReason);
    EXPECT_NE(reason(Write("old.doc", compound)), kOldWpsReason);
    EXPECT_EQ(reason(Write("old.doc", unknown)), "not a Word document");
    // Files that tell what they are keep their reason under a .wps name.
    EXPECT_EQ(reason(Write("empty.wps", "")), "empty file");
    EXPECT_EQ(reason(Write("perfect.wps", std::string("\xFFWPC\x10\x00\x00\x00", 8))),
              "WordPerfect document, not a Word document");
}

// What one way in gave: the first paragraph, or the refusal's reason.
std::string FirstParagraphOrReason(const std::function<std::unique_ptr<Document>()>& open) {
    try {
        std::u16string text = open()->ParagraphText(1);
        return "text:" + std::string(text.begin(), text.end());
    } catch (const WordError& e) {
        return std::string("refused:") + e.what();
    }
}

TEST_F(TempDir, SameBytesSameVerdictFromFileAndMemory) {
    struct Case {
        const char* label;
        std::string bytes;
        const char* want;  // the verdict both ways must give
    };
    const Case cases[] = {
        {"OtherXml", "<foo>bar</foo>", "refused:XML or markup file, not a Word document"},
        {"FormFeedThenRtf", "\f{\\rtf1 Title\\par}", "text:Title\r"},
        {"BomBlanksThenRtf", "\xEF\xBB\xBF\r\n\t\f{\\rtf1 Title\\par}", "text:Title\r"},
        {"FormFeedThenPage", "\f<html><body><p>Title</p></body></html>", "text:Title\r"},
        {"Utf16Rtf", std::string("\xFF\xFE{\0\\\0r\0t\0f\0", 12), "refused:not a Word document"},
        {"PlainText", "just text", "refused:not a Word document"},
        {"Empty", "", "refused:empty file"},
        {"ZipNoWord", std::string("PK\x05\x06", 4) + std::string(18, '\0'),
         "refused:not a Word document: no word/document.xml"},
    };
    Application app;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string path = Write(std::string(c.label) + ".doc", c.bytes);
        const std::string fromFile = FirstParagraphOrReason([&] { return app.Open(path); });
        const std::string fromMemory =
            FirstParagraphOrReason([&] { return app.OpenMemory(c.bytes.data(), c.bytes.size()); });
        EXPECT_EQ(fromFile, fromMemory);
        EXPECT_EQ(fromMemory, c.want);
    }
}

TEST(TextStart, SkipsOneMarkAndBlanksOnly) {
    bool utf16 = true;
    EXPECT_EQ(TextStart("\xEF\xBB\xBF \t\r\n\f<", &utf16), 8u);
    EXPECT_FALSE(utf16);
    EXPECT_EQ(TextStart(std::string("\xFF\xFE \0\r\0<\0", 8), &utf16), 6u);
    EXPECT_TRUE(utf16);
    EXPECT_EQ(TextStart(std::string("\xFE\xFF\0\n\0<", 6), &utf16), 4u);
    EXPECT_EQ(TextStart("\xEF\xBB\xBF\xEF\xBB\xBFx"), 3u);  // a second mark is content
    EXPECT_EQ(TextStart("\v<"), 0u);
    EXPECT_EQ(TextStart(std::string(kSniffBytes + 10, ' ')), kSniffBytes);
    EXPECT_EQ(TextStart(""), 0u);
}

TEST_F(TempDir, CloseNeverWritesAndQuitEndsTheInstance) {
    const std::string bytes = test::BuildWord97(test::MakeWord97(u"Keep me\r"));
    std::string path = Write("keep.doc", bytes);
    auto before = std::filesystem::last_write_time(path);
    Application app;
    auto doc = app.Open(path);
    doc->ParagraphText(1);
    doc->Close(true);
    std::ifstream in(path, std::ios::binary);
    std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(after, bytes);
    EXPECT_EQ(std::filesystem::last_write_time(path), before);
    app.Quit();
    EXPECT_THROW(app.Open(path), WordError);
}

TEST(Detect, ManyDocumentsOpenOneAfterAnother) {
    // The cache buffers are recycled; interleaved documents must not mix.
    std::string a = test::BuildWord97(test::MakeWord97(u"Alpha\r"));
    std::string b = test::BuildWord97(test::MakeWord97(u"Beta\r", {}, true));
    Application app;
    for (int i = 0; i < 50; ++i) {
        auto da = app.OpenMemory(a.data(), a.size());
        auto db = app.OpenMemory(b.data(), b.size());
        ASSERT_EQ(da->ParagraphText(1), u"Alpha\r");
        ASSERT_EQ(db->ParagraphText(1), u"Beta\r");
    }
}

}  // namespace
}  // namespace pelmora::word
