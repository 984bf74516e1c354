// Formatting of the leading paragraphs of Word 97-2003 documents: facts
// read from documents LibreOffice wrote, texts that agree with
// ParagraphText, the Title property, and damaged property data that must
// leave the texts readable and unformatted.

#include "reader/binary/properties.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "corpus.h"
#include "docwriter.h"
#include "reader/binary/cfb.h"
#include "reader/document.h"

namespace fs = std::filesystem;

namespace pelmora::word {
namespace {

std::string DataPath(const std::string& name) {
    return std::string(PELMORA_TEST_DATA) + "/" + name;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Utf8(const std::u16string& s) {
    std::string o;
    for (char16_t c : s) {
        if (c < 0x20) {
            o += "\\x" + std::to_string(unsigned(c));
        } else if (c < 0x80) {
            o.push_back(char(c));
        } else if (c < 0x800) {
            o.push_back(char(0xC0 | (c >> 6)));
            o.push_back(char(0x80 | (c & 0x3F)));
        } else {
            o.push_back(char(0xE0 | (c >> 12)));
            o.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            o.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return o;
}

LeadingBody Leading(const std::string& bytes, int max = kLeadingParagraphs) {
    Application app;
    auto doc = app.OpenMemory(bytes.data(), bytes.size());
    return doc->LeadingParagraphs(max);
}

LeadingBody LeadingOf(const std::string& file) { return Leading(Slurp(DataPath(file))); }

// Every leading text equals ParagraphText of the same paragraph, the list
// ends at the first break, and no paragraph before the last has one.
void ExpectTextsAgree(Document& doc, const std::string& what) {
    LeadingBody body = doc.LeadingParagraphs(kLeadingParagraphs);
    ASSERT_FALSE(body.paragraphs.empty()) << what;
    for (size_t i = 0; i < body.paragraphs.size(); ++i) {
        const ParagraphFacts& p = body.paragraphs[i];
        ASSERT_EQ(Utf8(p.text), Utf8(doc.ParagraphText(int(i) + 1)))
            << what << " paragraph " << i + 1;
        if (i + 1 < body.paragraphs.size()) {
            EXPECT_FALSE(p.breakAfter) << what << " paragraph " << i + 1;
        }
    }
}

// ---- facts of the fixtures ---------------------------------------------------

struct Expected {
    const char* file;
    int n;  // 1-based
    const char16_t* text;
    int styleId;
    bool centered;
    int maxHalfPoints;
    int mainHalfPoints;
    bool bold;
    uint32_t color;
    int outlineLevel = 9;
    int row = 0, cell = 0;
    bool pageBreakBefore = false;
};

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kAuto = kAutoColor;

const Expected kExpected[] = {
    // Built-in styles and their inherited character properties.
    {"props/styles.doc", 1, u"年度工作报告\r", kStiTitle, true, 56, 56, true, kAuto},
    {"props/styles.doc", 2, u"二〇二四年\r", kStiSubtitle, true, 36, 36, false, kAuto},
    {"props/styles.doc", 3, u"第一章 概述\r", kStiHeading1, false, 32, 32, true, kAuto, 0},
    {"props/styles.doc", 4, u"Scope\r", kStiHeading1 + 1, false, 30, 30, true, kAuto, 1},
    // A user style named 标题 counts as Title.
    {"props/styles.doc", 5, u"自定义标题样式\r", kStiTitle, true, 40, 40, false, kAuto},
    // Bold switched off directly over a bold style.
    {"props/styles.doc", 6, u"Not bold title\r", kStiTitle, true, 56, 56, false, kAuto},
    {"props/styles.doc", 7, u"正文第一段。\r", kStiNormal, false, 24, 24, false, kAuto},
    // Direct formatting: red centred bold 22 pt, a line break, hidden text not
    // counted, a majority colour, bold through a character style.
    {"props/letterhead.doc", 1, u"某某市人民政府文件\r", kStiNormal, true, 44, 44, true, kRed},
    {"props/letterhead.doc", 2, u"某政发〔2024〕12号\r", kStiNormal, false, 24, 24, false, kAuto},
    {"props/letterhead.doc", 3, u"关于加强安全生产\v工作的通知\r", kStiNormal, true, 44, 44, true,
     kAuto},
    {"props/letterhead.doc", 4, u"Body small textHIDDEN\r", kStiNormal, false, 24, 24, false,
     kAuto},
    {"props/letterhead.doc", 5, u"Blue words are most of this x\r", kStiNormal, false, 24, 24,
     false, kBlue},
    {"props/letterhead.doc", 6, u"Some strongly emphasised words here x\r", kStiNormal, false, 24,
     24, true, kAuto},
    // A cover page: an empty paragraph has no sizes; the next page starts
    // with a page break before.
    {"props/cover.doc", 2, u"\r", kStiNormal, false, 0, 0, false, kAuto},
    {"props/cover.doc", 3, u"可行性研究报告\r", kStiNormal, true, 44, 44, true, kAuto},
    {"props/cover.doc", 5, u"第一章\r", kStiHeading1, false, 32, 32, true, kAuto, 0},
    {"props/cover.doc", 6, u"Second page text\r", kStiNormal, false, 24, 24, false, kAuto, 9, 0, 0,
     true},
    // A table: the title spans the first row; the row-end mark is the cell
    // after the last; a cell of two paragraphs.
    {"props/table.doc", 1, u"员工请假申请表\r\a", kStiNormal, true, 36, 36, true, kAuto, 9, 1, 1},
    {"props/table.doc", 2, u"\r\a", kStiNormal, false, 0, 0, false, kAuto, 9, 1, 2},
    {"props/table.doc", 3, u"姓名\r\a", kStiNormal, false, 24, 24, false, kAuto, 9, 2, 1},
    {"props/table.doc", 4, u"部门\r", kStiNormal, false, 24, 24, false, kAuto, 9, 2, 2},
    {"props/table.doc", 5, u"第二段\r\a", kStiNormal, false, 24, 24, false, kAuto, 9, 2, 2},
    {"props/table.doc", 6, u"\r\a", kStiNormal, false, 0, 0, false, kAuto, 9, 2, 3},
    {"props/table.doc", 7, u"After the table\r", kStiNormal, false, 24, 24, false, kAuto},
    // An empty paragraph and a picture before a heading.
    {"props/picture.doc", 1, u"\r", kStiNormal, false, 0, 0, false, kAuto},
    {"props/picture.doc", 2, u"\x01\r", kStiNormal, false, 0, 0, false, kAuto},
    {"props/picture.doc", 3, u"Quarterly Report\r", kStiHeading1, false, 32, 32, true, kAuto, 0},
};

TEST(LeadingParagraphs, FixtureFactsFieldByField) {
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(std::string(e.file) + " paragraph " + std::to_string(e.n));
        LeadingBody body = LeadingOf(e.file);
        ASSERT_GE(body.paragraphs.size(), size_t(e.n));
        const ParagraphFacts& p = body.paragraphs[size_t(e.n - 1)];
        EXPECT_EQ(Utf8(p.text), Utf8(e.text));
        EXPECT_TRUE(p.formatted);
        EXPECT_EQ(p.styleId, e.styleId);
        EXPECT_EQ(p.centered, e.centered);
        EXPECT_EQ(p.maxHalfPoints, e.maxHalfPoints);
        EXPECT_EQ(p.mainHalfPoints, e.mainHalfPoints);
        EXPECT_EQ(p.bold, e.bold);
        EXPECT_EQ(p.color, e.color);
        EXPECT_EQ(p.outlineLevel, e.outlineLevel);
        EXPECT_EQ(p.tableRow, e.row);
        EXPECT_EQ(p.tableCell, e.cell);
        EXPECT_EQ(p.pageBreakBefore, e.pageBreakBefore);
        EXPECT_FALSE(p.breakAfter);
    }
}

TEST(LeadingParagraphs, StyleNamesAndTitleProperty) {
    LeadingBody body = LeadingOf("props/styles.doc");
    ASSERT_GE(body.paragraphs.size(), 5u);
    EXPECT_EQ(Utf8(body.paragraphs[0].styleName), "Title");
    EXPECT_EQ(Utf8(body.paragraphs[2].styleName), "Heading 1");
    EXPECT_EQ(Utf8(body.paragraphs[4].styleName), "标题");
    EXPECT_EQ(Utf8(body.titleProperty), "旧的标题属性");
    // LibreOffice writes no Title property when the document has none.
    EXPECT_EQ(LeadingOf("props/table.doc").titleProperty, u"");
}

TEST(LeadingParagraphs, EndsAtTheFirstBreakOrTheCountAskedFor) {
    // A section break ends the leading part, its paragraph included.
    LeadingBody two = LeadingOf("two_sections.doc");
    ASSERT_FALSE(two.paragraphs.empty());
    EXPECT_TRUE(two.paragraphs.back().breakAfter);
    EXPECT_TRUE(two.paragraphs.back().formatted);
    EXPECT_EQ(two.paragraphs.back().text.back(), u'\f');

    EXPECT_EQ(LeadingOf("props/styles.doc").paragraphs.size(), 7u);
    EXPECT_EQ(Leading(Slurp(DataPath("props/styles.doc")), 3).paragraphs.size(), 3u);
    EXPECT_EQ(Leading(Slurp(DataPath("props/styles.doc")), 0).paragraphs.size(), 0u);
}

TEST(LeadingParagraphs, TextsAgreeWithParagraphTextOverEveryFixture) {
    Application app;
    int files = 0;
    for (const std::string& dir : {DataPath(""), DataPath("props")}) {
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (entry.path().extension() != ".doc") continue;
            std::unique_ptr<Document> doc;
            try {
                doc = app.Open(entry.path().string());
                doc->ParagraphText(1);
            } catch (const WordError&) {
                // Unreadable documents refuse LeadingParagraphs the same way.
                if (doc) {
                    EXPECT_THROW(doc->LeadingParagraphs(5), WordError) << entry.path();
                }
                continue;
            }
            ExpectTextsAgree(*doc, entry.path().string());
            ++files;
        }
    }
    EXPECT_GE(files, 20);
}

TEST(LeadingParagraphs, TextsAgreeWithParagraphTextOverTheCorpus) {
    const fs::path corpus = ::pelmora::test::CorpusDir();
    if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    Application app;
    int files = 0, formatted = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        std::string ext = entry.path().extension().string();
        for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
        if (!entry.is_regular_file() || ext != ".doc") continue;
        std::unique_ptr<Document> doc;
        try {
            doc = app.Open(entry.path().string());
            doc->ParagraphText(1);
        } catch (const WordError&) {
            continue;
        }
        ExpectTextsAgree(*doc, entry.path().string());
        LeadingBody body = doc->LeadingParagraphs(kLeadingParagraphs);
        if (!body.paragraphs.empty() && body.paragraphs[0].formatted) ++formatted;
        ++files;
    }
    // Most real documents have readable formatting.
    EXPECT_GT(formatted, files / 2) << formatted << " of " << files;
}

// ---- documents without readable formatting ----------------------------------------

TEST(LeadingParagraphs, DocumentsWithoutStylesheetGiveTextsUnformatted) {
    // Our synthetic Word 97 files have no stylesheet; Word 6 files are read as text.
    test::Word6Spec w6;
    w6.text = "Word six\rsecond\r";
    for (const std::string& bytes :
         {test::BuildWord97(test::MakeWord97(u"One\rTwo\fThree\r")), test::BuildWord6(w6)}) {
        LeadingBody body = Leading(bytes);
        ASSERT_FALSE(body.paragraphs.empty());
        for (const ParagraphFacts& p : body.paragraphs) {
            EXPECT_FALSE(p.formatted);
            EXPECT_EQ(p.styleId, kStiUnknown);
            EXPECT_EQ(p.maxHalfPoints, 0);
        }
    }
    // A page break inside a paragraph ends the list there.
    LeadingBody body = Leading(test::BuildWord97(test::MakeWord97(u"One\rTwo\fThree\rFour\r")));
    ASSERT_EQ(body.paragraphs.size(), 2u);
    EXPECT_TRUE(body.paragraphs[1].breakAfter);
}

// The streams of a fixture, to be damaged and written back into a compound file.
struct Parts {
    std::string wordDoc, table, summary;
    bool table1 = true;

    explicit Parts(const std::string& file) {
        std::string bytes = Slurp(DataPath(file));
        MemorySource src(bytes.data(), bytes.size());
        BlockCache cache(src);
        CompoundFile cf(cache);
        auto read = [&](std::u16string_view name) {
            std::string out;
            if (auto s = cf.OpenStream(name)) {
                out.resize(s->Size());
                s->Read(0, out.data(), out.size());
            }
            return out;
        };
        wordDoc = read(u"WordDocument");
        table1 = (uint8_t(wordDoc[0x0B]) & 0x02) != 0;
        table = read(table1 ? u"1Table" : u"0Table");
        summary = read(u"\x05SummaryInformation");
    }

    // Offset in WordDocument of the FIB's (fc, lcb) pair number i.
    size_t Pair(int i) const {
        auto u16 = [&](size_t o) {
            return size_t(uint8_t(wordDoc[o]) | uint8_t(wordDoc[o + 1]) << 8);
        };
        size_t oCslw = 0x22 + 2 * u16(0x20);
        size_t oLw = oCslw + 2;
        return oLw + 4 * u16(oCslw) + 2 + 8 * size_t(i);
    }
    uint32_t Fc(int i) const { return test::Get32(wordDoc, Pair(i)); }
    uint32_t Lcb(int i) const { return test::Get32(wordDoc, Pair(i) + 4); }
    // FKP pages named by a bin table (12 characters, 13 paragraphs).
    std::vector<uint32_t> Pages(int i) const {
        std::vector<uint32_t> pages;
        uint32_t n = (Lcb(i) - 4) / 8;
        for (uint32_t k = 0; k < n; ++k)
            pages.push_back(test::Get32(table, Fc(i) + 4 * (n + 1) + 4 * k) & 0x3FFFFF);
        return pages;
    }

    std::string Build() const {
        test::CfbWriter w;
        w.streams.push_back({u"WordDocument", wordDoc});
        w.streams.push_back({table1 ? u"1Table" : u"0Table", table});
        if (!summary.empty()) w.streams.push_back({u"\x05SummaryInformation", summary});
        return w.Build();
    }
};

constexpr int kStshf = 1, kBteChpx = 12, kBtePapx = 13;

// What every damaged variant must give: the texts, no exception.
void ExpectReadableTexts(const std::string& bytes, const std::string& what, bool allUnformatted) {
    Application app;
    std::unique_ptr<Document> doc;
    ASSERT_NO_THROW(doc = app.OpenMemory(bytes.data(), bytes.size())) << what;
    LeadingBody body;
    ASSERT_NO_THROW(body = doc->LeadingParagraphs(kLeadingParagraphs)) << what;
    ASSERT_FALSE(body.paragraphs.empty()) << what;
    for (size_t i = 0; i < body.paragraphs.size(); ++i) {
        EXPECT_EQ(Utf8(body.paragraphs[i].text), Utf8(doc->ParagraphText(int(i) + 1))) << what;
        if (allUnformatted) {
            EXPECT_FALSE(body.paragraphs[i].formatted) << what << " paragraph " << i + 1;
            EXPECT_EQ(body.paragraphs[i].maxHalfPoints, 0) << what;
        }
    }
}

TEST(LeadingParagraphs, RebuiltFixtureReadsAsTheOriginal) {
    // The damage tests below rely on the rebuilt file being otherwise intact.
    Parts parts("props/letterhead.doc");
    LeadingBody body = Leading(parts.Build());
    ASSERT_EQ(body.paragraphs.size(), 6u);
    EXPECT_TRUE(body.paragraphs[0].formatted);
    EXPECT_EQ(body.paragraphs[0].color, kRed);
}

TEST(LeadingParagraphs, DamagedStylesheetGivesTextsUnformatted) {
    const std::vector<std::pair<std::string, std::function<void(Parts&)>>> damage = {
        {"stylesheet length 0", [](Parts& p) { test::Put32(p.wordDoc, p.Pair(kStshf) + 4, 0); }},
        {"stylesheet cut short", [](Parts& p) { test::Put32(p.wordDoc, p.Pair(kStshf) + 4, 24); }},
        {"stylesheet past the table stream",
         [](Parts& p) { test::Put32(p.wordDoc, p.Pair(kStshf), uint32_t(p.table.size()) - 8); }},
        {"header larger than the stylesheet",
         [](Parts& p) { test::Put16(p.table, p.Fc(kStshf), 0xFFFF); }},
        {"too many styles", [](Parts& p) { test::Put16(p.table, p.Fc(kStshf) + 2, 0xFFFF); }},
        {"first style larger than the stylesheet",
         [](Parts& p) {
             uint32_t first = p.Fc(kStshf) + 2 + uint8_t(p.table[p.Fc(kStshf)]) +
                              (uint8_t(p.table[p.Fc(kStshf) + 1]) << 8);
             test::Put16(p.table, first, 0xFFF0);
         }},
    };
    for (const auto& [what, patch] : damage) {
        Parts parts("props/letterhead.doc");
        patch(parts);
        ExpectReadableTexts(parts.Build(), what, true);
    }
}

TEST(LeadingParagraphs, StyleBasedOnItselfIsNoLoop) {
    // Every style based on itself: resolving hits the depth bound.
    Parts parts("props/styles.doc");
    const uint32_t fc = parts.Fc(kStshf), lcb = parts.Lcb(kStshf);
    auto u16 = [&](uint32_t o) {
        return uint32_t(uint8_t(parts.table[o]) | uint8_t(parts.table[o + 1]) << 8);
    };
    uint32_t pos = fc + 2 + u16(fc);
    const uint32_t cstd = u16(fc + 2);
    for (uint32_t istd = 0; istd < cstd && pos + 2 <= fc + lcb; ++istd) {
        uint32_t cb = u16(pos);
        if (cb >= 4) {
            uint32_t word = u16(pos + 4);
            test::Put16(parts.table, pos + 4, uint16_t((word & 0x000F) | (istd << 4)));
        }
        pos += 2 + cb;
    }
    ExpectReadableTexts(parts.Build(), "self-based styles", true);
}

TEST(LeadingParagraphs, DamagedFkpsGiveTextsUnformatted) {
    const std::vector<std::pair<std::string, std::function<void(Parts&)>>> damage = {
        {"paragraph run count too large",
         [](Parts& p) {
             for (uint32_t pn : p.Pages(kBtePapx)) p.wordDoc[pn * 512 + 511] = char(0xFF);
         }},
        {"paragraph runs empty",
         [](Parts& p) {
             for (uint32_t pn : p.Pages(kBtePapx)) p.wordDoc[pn * 512 + 511] = 0;
         }},
        {"paragraph page past the stream",
         [](Parts& p) {
             uint32_t n = (p.Lcb(kBtePapx) - 4) / 8;
             for (uint32_t k = 0; k < n; ++k)
                 test::Put32(p.table, p.Fc(kBtePapx) + 4 * (n + 1) + 4 * k, 0x3FFFFF);
         }},
        {"paragraph bin table of odd size",
         [](Parts& p) { test::Put32(p.wordDoc, p.Pair(kBtePapx) + 4, 7); }},
        {"paragraph FCs not covering the text",
         [](Parts& p) {
             for (uint32_t pn : p.Pages(kBtePapx)) {
                 uint32_t crun = uint8_t(p.wordDoc[pn * 512 + 511]);
                 for (uint32_t i = 0; i <= crun; ++i)
                     test::Put32(p.wordDoc, pn * 512 + 4 * i, 0x7FFFFFF0);
             }
         }},
        {"character run count too large",
         [](Parts& p) {
             for (uint32_t pn : p.Pages(kBteChpx)) p.wordDoc[pn * 512 + 511] = char(0xFF);
         }},
        {"character offsets into the run count",
         [](Parts& p) {
             for (uint32_t pn : p.Pages(kBteChpx)) {
                 uint32_t crun = uint8_t(p.wordDoc[pn * 512 + 511]);
                 for (uint32_t i = 0; i < crun; ++i)
                     p.wordDoc[pn * 512 + 4 * (crun + 1) + i] = char(0xFF);
             }
         }},
    };
    for (const auto& [what, patch] : damage) {
        Parts parts("props/letterhead.doc");
        patch(parts);
        ExpectReadableTexts(parts.Build(), what, true);
    }
}

TEST(LeadingParagraphs, ScrambledPropertyBytesNeverBreakTheText) {
    // Deterministic byte changes over the stylesheet and every FKP page:
    // whatever the formatting becomes, the texts stay and nothing throws.
    for (const char* file : {"props/styles.doc", "props/table.doc"}) {
        Parts clean(file);
        std::vector<std::pair<std::string*, uint32_t>> spans;  // (stream, offset) of each byte
        for (uint32_t i = 0; i < clean.Lcb(kStshf); ++i)
            spans.emplace_back(&clean.table, clean.Fc(kStshf) + i);
        for (int bte : {kBteChpx, kBtePapx})
            for (uint32_t pn : clean.Pages(bte))
                for (uint32_t i = 0; i < 512; ++i) spans.emplace_back(&clean.wordDoc, pn * 512 + i);
        uint32_t seed = 12345;
        for (int round = 0; round < 150; ++round) {
            Parts parts = clean;
            for (int k = 0; k < 8; ++k) {
                seed = seed * 1103515245u + 12345u;
                auto [stream, off] = spans[(seed >> 8) % spans.size()];
                std::string& target = stream == &clean.table ? parts.table : parts.wordDoc;
                target[off] = char(seed >> 24);
            }
            ExpectReadableTexts(parts.Build(),
                                std::string(file) + " round " + std::to_string(round), false);
        }
    }
}

TEST(LeadingParagraphs, PieceModifiersApplyOverTheFkps) {
    // Every piece named to one Prc: centred, bold, 15 pt; the stored runs
    // said left-aligned, not bold, 12 pt for paragraph 2.
    Parts parts("props/letterhead.doc");
    const uint32_t fc = parts.Fc(33), lcb = parts.Lcb(33);
    std::string clx = parts.table.substr(fc, lcb);
    size_t pos = 0;
    while (pos < clx.size() && clx[pos] == 1)
        pos += 3 + (uint8_t(clx[pos + 1]) | uint8_t(clx[pos + 2]) << 8);
    ASSERT_LT(pos, clx.size());
    std::string pcdt = clx.substr(pos);
    const uint32_t plc = test::Get32(pcdt, 1), n = (plc - 4) / 12;
    for (uint32_t i = 0; i < n; ++i) test::Put16(pcdt, 5 + 4 * (n + 1) + 8 * i + 6, 0x0001);
    const std::string grpprl("\x61\x24\x01\x35\x08\x01\x43\x4A\x1E\x00", 10);
    std::string prc = "\x01" + std::string(2, '\0') + grpprl;
    test::Put16(prc, 1, uint16_t(grpprl.size()));
    test::Put32(parts.wordDoc, parts.Pair(33), uint32_t(parts.table.size()));
    test::Put32(parts.wordDoc, parts.Pair(33) + 4, uint32_t(prc.size() + pcdt.size()));
    parts.table += prc + pcdt;

    LeadingBody body = Leading(parts.Build());
    ASSERT_EQ(body.paragraphs.size(), 6u);
    const ParagraphFacts& p = body.paragraphs[1];
    EXPECT_EQ(Utf8(p.text), "某政发〔2024〕12号\\x13");
    EXPECT_TRUE(p.formatted);
    EXPECT_TRUE(p.centered);
    EXPECT_TRUE(p.bold);
    EXPECT_EQ(p.mainHalfPoints, 30);
    EXPECT_EQ(p.styleId, kStiNormal);
}

// ---- the Title property -----------------------------------------------------------

// A SummaryInformation stream holding a code page and one Title value.
std::string SummaryStream(uint16_t codePage, uint16_t type, const std::string& value,
                          uint32_t count) {
    std::string s(48, '\0');
    test::Put16(s, 0, 0xFFFE);
    test::Put32(s, 24, 1);
    test::Put32(s, 44, 48);
    std::string set(8 + 16, '\0');
    test::Put32(set, 4, 2);
    test::Put32(set, 8, 1);
    test::Put32(set, 12, 24);
    test::Put32(set, 16, 2);
    test::Put32(set, 20, 32);
    std::string cp(8, '\0');
    test::Put16(cp, 0, 2);
    test::Put16(cp, 4, codePage);
    set += cp;
    std::string v(8, '\0');
    test::Put16(v, 0, type);
    test::Put32(v, 4, count);
    set += v + value;
    set.resize((set.size() + 3) / 4 * 4, '\0');
    test::Put32(set, 0, uint32_t(set.size()));
    return s + set;
}

std::u16string TitleOf(const std::string& summary) {
    test::Word97Recipe r = test::MakeWord97(u"Body\r");
    test::CfbWriter w;
    std::string doc = test::BuildWord97(r, &w);
    w.streams.push_back({u"\x05SummaryInformation", summary});
    return Leading(w.Build()).titleProperty;
}

TEST(TitleProperty, CodePagesAndDamage) {
    using namespace std::string_literals;
    // "通知" in GBK, in UTF-16, and Latin text in 1252.
    EXPECT_EQ(TitleOf(SummaryStream(936, 0x1E, "\xCD\xA8\xD6\xAA\0"s, 5)), u"通知");
    EXPECT_EQ(TitleOf(SummaryStream(1252, 0x1F, test::Utf16(u"通知") + std::string(2, '\0'), 3)),
              u"通知");
    EXPECT_EQ(TitleOf(SummaryStream(1252, 0x1E, "Caf\xE9\0"s, 5)), u"Caf\u00E9");
    EXPECT_EQ(TitleOf(SummaryStream(65001, 0x1E, "\xE9\x80\x9A\xE7\x9F\xA5\0"s, 7)), u"通知");
    // A length past the set, a type that is no string, a bad byte order.
    EXPECT_EQ(TitleOf(SummaryStream(936, 0x1E, "abc\0"s, 0x7FFFFFFF)), u"");
    EXPECT_EQ(TitleOf(SummaryStream(936, 0x03, "abc\0"s, 4)), u"");
    std::string bad = SummaryStream(936, 0x1E, "abc\0"s, 4);
    bad[0] = 0;
    EXPECT_EQ(TitleOf(bad), u"");
    EXPECT_EQ(TitleOf(std::string(20, '\xFF')), u"");
}

// ---- style names and colours -----------------------------------------------------

TEST(StyleIds, NamesOfUserStylesMapOntoBuiltIns) {
    const std::pair<std::u16string, int> cases[] = {
        {u"Title", kStiTitle},
        {u"title", kStiTitle},
        {u"标题", kStiTitle},
        {u"Subtitle", kStiSubtitle},
        {u"副标题", kStiSubtitle},
        {u"Heading 1", kStiHeading1},
        {u"heading 9", kStiHeading9},
        {u"标题 3", kStiHeading1 + 2},
        {u"标题3", kStiHeading1 + 2},
        {u"heading 1,H1", kStiHeading1},
        {u"Heading 10", kStiUser},
        {u"标题 0", kStiUser},
        {u"Titles", kStiUser},
        {u"Body", kStiUser},
        {u"", kStiUser},
    };
    for (const auto& [name, id] : cases)
        EXPECT_EQ(BuiltInStyleId(kStiUser, name), id) << Utf8(name);
    // A built-in sti wins over its name.
    EXPECT_EQ(BuiltInStyleId(kStiNormal, u"标题"), kStiNormal);
    EXPECT_EQ(BuiltInStyleId(kStiHeading1, u"My heading"), kStiHeading1);
}

TEST(StyleIds, IcoIndexesToRgb) {
    EXPECT_EQ(IcoColor(0), kAutoColor);
    EXPECT_EQ(IcoColor(1), 0x000000u);
    EXPECT_EQ(IcoColor(6), 0xFF0000u);
    EXPECT_EQ(IcoColor(13), 0x800000u);
    EXPECT_EQ(IcoColor(16), 0xC0C0C0u);
    EXPECT_EQ(IcoColor(17), kAutoColor);
    EXPECT_EQ(IcoColor(255), kAutoColor);
}

}  // namespace
}  // namespace pelmora::word
