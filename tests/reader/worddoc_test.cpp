// Word layer over synthetic documents: pieces, paragraphs, fields, tables,
// sections, headers and footers, FIB checks, and Word 6/95 files.

#include "reader/binary/worddoc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "docwriter.h"
#include "reader/binary/cfb.h"
#include "reader/document.h"

namespace pelmora::word {
namespace {

using test::BuildWord6;
using test::BuildWord97;
using test::MakeWord97;
using test::Word6Spec;
using test::Word97Recipe;

// Readable form of a text for failure messages.
std::string Show(const std::u16string& s) {
    std::string o;
    for (char16_t c : s) {
        if (c == u'\r')
            o += "\\r";
        else if (c == u'\a')
            o += "\\a";
        else if (c < 0x20 || c > 0x7E)
            o += "\\u" + std::to_string(unsigned(c));
        else
            o.push_back(char(c));
    }
    return o;
}

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const WordError& e) {
        return e.what();
    }
    return "<no error>";
}

struct Opened {
    std::string bytes;
    Application app;
    std::unique_ptr<Document> doc;
    explicit Opened(std::string b) : bytes(std::move(b)) {
        doc = app.OpenMemory(bytes.data(), bytes.size());
    }
};

std::string WithFib(std::function<void(std::string&)> patch,
                    Word97Recipe recipe = MakeWord97(u"Text\r")) {
    test::CfbWriter w;
    BuildWord97(recipe, &w);
    patch(w.streams[0].data);
    return w.Build();
}

std::string WithTable(std::function<void(std::string&)> patch,
                      Word97Recipe recipe = MakeWord97(u"Text\r")) {
    test::CfbWriter w;
    BuildWord97(recipe, &w);
    patch(w.streams[1].data);
    return w.Build();
}

// ---- paragraphs --------------------------------------------------------------

struct ParaCase {
    const char* label;
    Word97Recipe recipe;
    std::vector<std::u16string> paragraphs;  // every paragraph, in order
};

Word97Recipe Pieces(std::vector<test::Word97Piece> pieces, std::vector<uint32_t> sed = {}) {
    Word97Recipe s;
    s.pieces = std::move(pieces);
    s.sed = std::move(sed);
    return s;
}

class Paragraphs : public ::testing::TestWithParam<ParaCase> {};

TEST_P(Paragraphs, EachParagraphThenAnError) {
    const ParaCase& c = GetParam();
    Opened o(BuildWord97(c.recipe));
    for (size_t i = 0; i < c.paragraphs.size(); ++i)
        EXPECT_EQ(Show(o.doc->ParagraphText(int(i + 1))), Show(c.paragraphs[i]))
            << "paragraph " << i + 1;
    int past = int(c.paragraphs.size()) + 1;
    EXPECT_NE(ErrorOf([&] { o.doc->ParagraphText(past); }).find("no paragraph"), std::string::npos);
    // Going back rescans from the start and gives the same texts.
    EXPECT_EQ(Show(o.doc->ParagraphText(1)), Show(c.paragraphs[0]));
    if (c.paragraphs.size() >= 2) {
        EXPECT_EQ(Show(o.doc->ParagraphText(2)), Show(c.paragraphs[1]));
    }
}

// The leading paragraphs are the same texts, up to the first page or section
// break; without a stylesheet none is formatted. Reading them in between
// other reads leaves the paragraph scan consistent.
TEST_P(Paragraphs, LeadingParagraphsAreTheSameTexts) {
    const ParaCase& c = GetParam();
    Opened o(BuildWord97(c.recipe));
    if (c.paragraphs.size() >= 2) o.doc->ParagraphText(2);
    LeadingBody body = o.doc->LeadingParagraphs(kLeadingParagraphs);
    size_t want = 0;
    while (want < c.paragraphs.size() && c.paragraphs[want].find(u'\f') == std::u16string::npos)
        ++want;
    want = std::min(want + 1, c.paragraphs.size());
    ASSERT_EQ(body.paragraphs.size(), want);
    for (size_t i = 0; i < want; ++i) {
        EXPECT_EQ(Show(body.paragraphs[i].text), Show(c.paragraphs[i])) << "paragraph " << i + 1;
        EXPECT_FALSE(body.paragraphs[i].formatted);
        EXPECT_EQ(body.paragraphs[i].breakAfter,
                  i + 1 == want && c.paragraphs[i].find(u'\f') != std::u16string::npos);
    }
    EXPECT_EQ(Show(o.doc->ParagraphText(1)), Show(c.paragraphs[0]));
    EXPECT_EQ(o.doc->LeadingParagraphs(1).paragraphs.size(), 1u);
}

const std::u16string kLong(3000, u'x');

INSTANTIATE_TEST_SUITE_P(
    Word97, Paragraphs,
    ::testing::Values(
        ParaCase{"Utf16", MakeWord97(u"Hello\rWorld\r"), {u"Hello\r", u"World\r"}},
        ParaCase{"Compressed",
                 MakeWord97(u"Caf\u00e9 \u2019q\u2019 \u2013\rx\r", {}, true),
                 {u"Caf\u00e9 \u2019q\u2019 \u2013\r", u"x\r"}},
        ParaCase{"MixedPieces",
                 Pieces({{u"Hel", true}, {u"lo \u4e16\u754c\rSe", false}, {u"cond\r", true}}),
                 {u"Hello \u4e16\u754c\r", u"Second\r"}},
        ParaCase{"EmptyFirst", MakeWord97(u"\rSecond\r"), {u"\r", u"Second\r"}},
        ParaCase{"LineBreakAndTab", MakeWord97(u"one\vtwo\tthree\r"), {u"one\vtwo\tthree\r"}},
        ParaCase{"FieldResult",
                 MakeWord97(u"Page \x13 PAGE \x14"
                            u"7\x15 end\r"),
                 {u"Page 7 end\r"}},
        ParaCase{"NestedFields",
                 MakeWord97(u"\x13 IF \x13 DATE \x14"
                            u"1\x15 = 1 \x14yes\x15!\r"),
                 {u"yes!\r"}},
        ParaCase{"FieldWithoutSeparator",
                 MakeWord97(u"a\x13 SEQ x \x15"
                            u"b\r"),
                 {u"ab\r"}},
        ParaCase{"MacroButtonShowsItsText",
                 MakeWord97(u"\x13MACROBUTTON NoMacro [Title here]\x15\r"),
                 {u"[Title here]\r"}},
        ParaCase{"FieldResultOverParagraphs",
                 MakeWord97(u"\x13 TOC \\o \x14"
                            u"One\rTwo\r\x15"
                            u"Body\r"),
                 {u"One\r", u"Two\r", u"Body\r"}},
        ParaCase{"StrayFieldEnd",
                 MakeWord97(u"a\x15"
                            u"b\r"),
                 {u"ab\r"}},
        ParaCase{"TableFirst",
                 MakeWord97(u"A1\x07"
                            u"B1 p1\rB1 p2\x07\x07"
                            u"A2\x07\x07"
                            u"After\r"),
                 {u"A1\r\a", u"B1 p1\r", u"B1 p2\r\a", u"\r\a", u"A2\r\a", u"\r\a", u"After\r"}},
        ParaCase{"PageBreakInsideSection",
                 Pieces({{u"Page\x0c"
                          u"break\rNext\r",
                          false}},
                        {0, 40}),
                 {u"Page\x0c"
                  u"break\r",
                  u"Next\r"}},
        ParaCase{"SectionMarkEndsParagraph",
                 Pieces({{u"One\x0cTwo\x0c"
                          u"Three\r",
                          false}},
                        {0, 4, 8, 30}),
                 {u"One\x0c", u"Two\x0c", u"Three\r"}},
        ParaCase{"LongParagraph", MakeWord97(kLong + u"\rEnd\r"), {kLong + u"\r", u"End\r"}},
        ParaCase{"LongCompressed",
                 MakeWord97(kLong + u"\r" + kLong + u"\r", {}, true),
                 {kLong + u"\r", kLong + u"\r"}},
        ParaCase{"LastMarkMissing", Pieces({{u"No mark", false}}), {u"No mark\r"}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Word97, JumpsStraightToParagraphFive) {
    Opened o(BuildWord97(MakeWord97(u"1\r2\r3\r4\r5 five\r6\r")));
    EXPECT_EQ(Show(o.doc->ParagraphText(5)), "5 five\\r");
    EXPECT_EQ(Show(o.doc->ParagraphText(1)), "1\\r");
    EXPECT_NE(ErrorOf([&] { o.doc->ParagraphText(0); }), "<no error>");
    EXPECT_NE(ErrorOf([&] { o.doc->ParagraphText(-3); }), "<no error>");
}

TEST(Word97, EmptyMainDocumentHasOneEmptyParagraph) {
    std::string f = WithFib([](std::string& d) { test::Put32(d, 0x4C, 0); });
    Opened o(f);
    EXPECT_EQ(Show(o.doc->ParagraphText(1)), "\\r");
    EXPECT_NE(ErrorOf([&] { o.doc->ParagraphText(2); }), "<no error>");
}

// ---- headers and footers -------------------------------------------------------

// Six separator stories, then six per section: even header, odd header, even
// footer, odd footer, first header, first footer.
std::vector<std::u16string> Stories(std::vector<std::vector<std::u16string>> sections) {
    std::vector<std::u16string> all(6);
    for (auto& s : sections) {
        s.resize(6);
        all.insert(all.end(), s.begin(), s.end());
    }
    return all;
}

// Counts what the reader asks of the file.
class CountingSource : public ByteSource {
  public:
    CountingSource(const std::string& d, uint64_t* bytes)
        : inner_(d.data(), d.size()), bytes_(bytes) {}
    uint64_t Size() const override { return inner_.Size(); }
    size_t ReadAt(uint64_t off, void* dst, size_t n) override {
        *bytes_ += n;
        return inner_.ReadAt(off, dst, n);
    }

  private:
    MemorySource inner_;
    uint64_t* bytes_;
};

TEST(Word97, FirstParagraphOfALargeDocumentReadsLittle) {
    std::u16string body = u"Short title\r";
    for (int i = 0; i < 40000; ++i) body += u"Another paragraph of the long body text.\r";
    const std::string file = BuildWord97(MakeWord97(body, Stories({{u"", u"Head\r"}})));
    ASSERT_GT(file.size(), 3'000'000u);
    uint64_t bytes = 0;
    BinaryDocument doc(std::make_unique<CountingSource>(file, &bytes));
    EXPECT_EQ(Show(doc.ParagraphText(1)), "Short title\\r");
    EXPECT_LE(bytes, 64u * 1024);
    // The header sits after the whole body: reaching it reads its blocks only.
    EXPECT_EQ(Show(doc.HeaderText(1, 1)), "Head\\r");
    EXPECT_LE(bytes, 96u * 1024);
}

TEST(Word97, HugeParagraphIsCutNotExhausting) {
    std::u16string body(400'000, u'w');
    Opened o(BuildWord97(MakeWord97(body + u"\rNext\r")));
    std::u16string p = o.doc->ParagraphText(1);
    EXPECT_LT(p.size(), body.size());
    EXPECT_EQ(p.back(), u'\r');
    EXPECT_EQ(Show(o.doc->ParagraphText(2)), "Next\\r");
}

TEST(Word97Headers, PrimaryHeaderAndFooterOfSectionOne) {
    auto recipe = MakeWord97(u"Body\r", Stories({{u"Even\r", u"Header text\r", u"",
                                                  u"Footer \x13 PAGE \x14"
                                                  u"3\x15\r",
                                                  u"First\r", u"First foot\r"}}));
    Opened o(BuildWord97(recipe));
    EXPECT_EQ(Show(o.doc->HeaderText(1, 1)), "Header text\\r");
    EXPECT_EQ(Show(o.doc->FooterText(1, 1)), "Footer 3\\r");
    EXPECT_EQ(Show(o.doc->HeaderText(1, 2)), "First\\r");
    EXPECT_EQ(Show(o.doc->FooterText(1, 2)), "First foot\\r");
    EXPECT_EQ(Show(o.doc->HeaderText(1, 3)), "Even\\r");
    EXPECT_EQ(Show(o.doc->FooterText(1, 3)), "\\r");  // even footer not defined
    EXPECT_EQ(Show(o.doc->ParagraphText(1)), "Body\\r");
    EXPECT_NE(ErrorOf([&] { o.doc->HeaderText(2, 1); }), "<no error>");
    EXPECT_NE(ErrorOf([&] { o.doc->HeaderText(1, 4); }), "<no error>");
    EXPECT_NE(ErrorOf([&] { o.doc->FooterText(0, 1); }), "<no error>");
}

struct HeaderCase {
    const char* label;
    Word97Recipe recipe;
    std::u16string header, footer;
};

class Headers : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(Headers, Texts) {
    Opened o(BuildWord97(GetParam().recipe));
    EXPECT_EQ(Show(o.doc->HeaderText(1, 1)), Show(GetParam().header));
    EXPECT_EQ(Show(o.doc->FooterText(1, 1)), Show(GetParam().footer));
}

Word97Recipe HddBeyondStories() {
    auto s = MakeWord97(u"Body\r", Stories({{u"", u"Head\r", u"", u"Foot\r"}}));
    s.hdd[7] = s.ccpHdd + 50;  // odd header ends past the header document
    return s;
}

Word97Recipe CompressedHeaders() {
    return MakeWord97(u"Body\r", Stories({{u"", u"Caf\u00e9\r", u"", u"\u2013 1 \u2013\r"}}), true);
}

INSTANTIATE_TEST_SUITE_P(
    Word97, Headers,
    ::testing::Values(
        HeaderCase{"None", MakeWord97(u"Body\r"), u"\r", u"\r"},
        HeaderCase{"EmptyStories", MakeWord97(u"Body\r", Stories({{u"", u"", u"", u""}})), u"\r",
                   u"\r"},
        HeaderCase{"OnlyAParagraphMark",
                   MakeWord97(u"Body\r", Stories({{u"\r", u"\r", u"\r", u"\r"}})), u"\r", u"\r"},
        HeaderCase{"TwoParagraphs",
                   MakeWord97(u"Body\r", Stories({{u"", u"line one\rline two\r", u"", u"F\r"}})),
                   u"line one\rline two\r", u"F\r"},
        HeaderCase{"TableInHeader",
                   MakeWord97(u"Body\r", Stories({{u"",
                                                   u"C1\x07"
                                                   u"C2\x07\x07\r",
                                                   u"", u"x\r"}})),
                   u"C1\r\aC2\r\a\r\a\r", u"x\r"},
        HeaderCase{"CompressedPieces", CompressedHeaders(), u"Caf\u00e9\r", u"\u2013 1 \u2013\r"},
        HeaderCase{"StoryPastTheHeaderDocument", HddBeyondStories(), u"\r", u"Foot\r"},
        HeaderCase{
            "FieldCodeOnly",
            MakeWord97(u"Body\r", Stories({{u"", u"\x13 PAGE \x15\r", u"", u"\x13 PAGE \x15"}})),
            u"\r", u"\r"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Word97Headers, LaterSectionFollowsThePreviousOne) {
    auto recipe =
        MakeWord97(u"S1\x0cS2\r",
                   Stories({{u"", u"One\r", u"", u"Foot one\r"}, {u"", u"", u"", u"Foot two\r"}}));
    recipe.sed = {0, 3, 6};
    Opened o(BuildWord97(recipe));
    EXPECT_EQ(Show(o.doc->HeaderText(2, 1)), "One\\r");
    EXPECT_EQ(Show(o.doc->FooterText(2, 1)), "Foot two\\r");
    EXPECT_EQ(Show(o.doc->FooterText(1, 1)), "Foot one\\r");
    EXPECT_EQ(Show(o.doc->ParagraphText(1)), "S1\\u12");
    EXPECT_EQ(Show(o.doc->ParagraphText(2)), "S2\\r");
}

// ---- FIB and streams -------------------------------------------------------------

TEST(Word97Fib, EncryptionIsRefusedBeforeTheRestOfTheFibIsUsed) {
    for (uint16_t flags : {uint16_t(0x0100), uint16_t(0x8100)}) {
        auto recipe = MakeWord97(u"Secret\r");
        recipe.flags = flags;
        test::CfbWriter w;
        BuildWord97(recipe, &w);
        // From byte 68 on an encrypted WordDocument is ciphertext.
        w.streams[0].data.resize(68);
        std::string f = w.Build();
        Application app;
        EXPECT_EQ(ErrorOf([&] { app.OpenMemory(f.data(), f.size()); }),
                  flags & 0x8000 ? "obfuscated document" : "encrypted document");
    }
}

TEST(Word97Fib, TableStreamNamedByTheFlagIsUsedWithoutFallback) {
    auto zero = MakeWord97(u"From 0Table\r");
    zero.table1 = false;
    zero.staleOtherTable = true;  // a garbage 1Table beside it
    Opened o(BuildWord97(zero));
    EXPECT_EQ(Show(o.doc->ParagraphText(1)), "From 0Table\\r");

    auto one = MakeWord97(u"From 1Table\r");
    one.staleOtherTable = true;
    Opened p(BuildWord97(one));
    EXPECT_EQ(Show(p.doc->ParagraphText(1)), "From 1Table\\r");

    // The flag names 1Table but only 0Table exists.
    test::CfbWriter w;
    BuildWord97(MakeWord97(u"x\r"), &w);
    w.streams[1].name = u"0Table";
    std::string f = w.Build();
    Application app;
    EXPECT_EQ(ErrorOf([&] { app.OpenMemory(f.data(), f.size()); }), "table stream 1Table missing");
}

TEST(Word97Fib, UpperCaseStreamNamesAndLargeStreams) {
    auto recipe = MakeWord97(std::u16string(5000, u'a') + u"\r");
    recipe.wordName = u"WORDDOCUMENT";
    Opened o(BuildWord97(recipe));
    EXPECT_EQ(o.doc->ParagraphText(1).size(), 5001u);
}

struct BadDoc {
    const char* label;
    std::function<std::string()> make;
    const char* reason;
};

class RefusedDocument : public ::testing::TestWithParam<BadDoc> {};

TEST_P(RefusedDocument, GivesTheReason) {
    std::string f = GetParam().make();
    std::string err = ErrorOf([&] {
        Application app;
        auto d = app.OpenMemory(f.data(), f.size());
        d->ParagraphText(1);
        d->HeaderText(1, 1);
        d->FooterText(1, 1);
    });
    EXPECT_NE(err.find(GetParam().reason), std::string::npos) << err;
}

INSTANTIATE_TEST_SUITE_P(
    Word97, RefusedDocument,
    ::testing::Values(
        BadDoc{"NoWordDocument",
               [] {
                   test::CfbWriter w;
                   w.streams = {{u"Workbook", std::string(100, 'x')}};
                   return w.Build();
               },
               "no WordDocument stream"},
        BadDoc{"EncryptedPackage",
               [] {
                   test::CfbWriter w;
                   w.streams = {{u"EncryptionInfo", "x"},
                                {u"EncryptedPackage", std::string(100, 'x')}};
                   return w.Build();
               },
               "encrypted document"},
        BadDoc{"UnknownSignature",
               [] { return WithFib([](std::string& d) { test::Put16(d, 0, 0x1234); }); },
               "not a Word document"},
        BadDoc{"Word2InsideCompound",
               [] { return WithFib([](std::string& d) { test::Put16(d, 2, 45); }); },
               "Word 2.0 or older"},
        BadDoc{"UnknownVersion",
               [] { return WithFib([](std::string& d) { test::Put16(d, 2, 150); }); },
               "unsupported Word version"},
        BadDoc{"ShortFib", [] { return WithFib([](std::string& d) { d.resize(20); }); },
               "FIB too short"},
        BadDoc{"FewFcLcbPairs",
               [] { return WithFib([](std::string& d) { test::Put16(d, 0x98, 20); }); },
               "FIB too short"},
        BadDoc{"CslwPastTheStream",
               [] { return WithFib([](std::string& d) { test::Put16(d, 0x20, 0x7FFF); }); },
               "damaged document"},
        BadDoc{"NoClx",
               [] { return WithFib([](std::string& d) { test::Put32(d, 0x9A + 8 * 33 + 4, 0); }); },
               "no piece table"},
        BadDoc{"ClxPastTheTable",
               [] {
                   return WithFib(
                       [](std::string& d) { test::Put32(d, 0x9A + 8 * 33, 0x7FFFFF00); });
               },
               "piece table outside"},
        BadDoc{"BadClxByte", [] { return WithTable([](std::string& t) { t[0] = 7; }); }, "bad Clx"},
        BadDoc{"PieceTableSizeNotWhole",
               [] { return WithTable([](std::string& t) { test::Put32(t, 1, 17); }); },
               "piece table"},
        BadDoc{"PieceCpsNotAscending",
               [] {
                   Word97Recipe s = Pieces({{u"ab", false}, {u"cd\r", false}});
                   return WithTable([](std::string& t) { test::Put32(t, 9, 0); }, s);
               },
               "not ascending"},
        BadDoc{
            "PieceOutsideTheStream",
            [] { return WithTable([](std::string& t) { test::Put32(t, 5 + 8 + 2, 0x00FFFF00); }); },
            "damaged document"},
        BadDoc{"MainTextLongerThanPieces",
               [] {
                   return WithFib([](std::string& d) { test::Put32(d, 0x4C, 5000); },
                                  MakeWord97(u"No mark"));
               },
               "outside the piece table"}),
    [](const auto& info) { return std::string(info.param.label); });

// Flipping any single byte of a small document gives a text or an error.
TEST(Word97, EveryByteFlipIsReadOrRefused) {
    auto recipe = MakeWord97(
        u"A\x13 PAGE \x14"
        u"1\x15\x07\x07\r",
        Stories({{u"", u"H\r", u"", u"F\r"}}));
    recipe.sed = {0, 8, 20};
    const std::string good = BuildWord97(recipe);
    int opened = 0, refused = 0;
    for (size_t i = 0; i < good.size(); ++i) {
        for (unsigned char v : {0x00, 0xFF, 0x7F}) {
            std::string f = good;
            if ((unsigned char)f[i] == v) continue;
            f[i] = char(v);
            try {
                Application app;
                auto d = app.OpenMemory(f.data(), f.size());
                for (int n = 1; n <= 6; ++n) {
                    try {
                        d->ParagraphText(n);
                    } catch (const WordError&) {
                    }
                }
                d->HeaderText(1, 1);
                d->FooterText(1, 1);
                ++opened;
            } catch (const WordError&) {
                ++refused;
            }
        }
    }
    EXPECT_GT(opened, 0);
    EXPECT_GT(refused, 0);
}

// ---- Word 6 / 95 -------------------------------------------------------------------

Word6Spec Word6(std::string text, uint32_t ccpText) {
    Word6Spec s;
    s.text = std::move(text);
    s.ccpText = ccpText;
    return s;
}

struct Word6Case {
    const char* label;
    Word6Spec recipe;
    std::u16string first, second;
};

class Word6Text : public ::testing::TestWithParam<Word6Case> {};

TEST_P(Word6Text, FirstTwoParagraphs) {
    Opened o(BuildWord6(GetParam().recipe));
    EXPECT_EQ(Show(o.doc->ParagraphText(1)), Show(GetParam().first));
    EXPECT_EQ(Show(o.doc->ParagraphText(2)), Show(GetParam().second));
}

Word6Spec WithCharset(Word6Spec s, std::vector<uint8_t> charsets) {
    s.fontCharsets = std::move(charsets);
    return s;
}

Word6Spec WithLid(Word6Spec s, uint16_t lid) {
    s.lid = lid;
    return s;
}

Word6Spec Complex(Word6Spec s) {
    s.complex = true;
    return s;
}

Word6Spec FarEast(std::u16string text) {
    Word6Spec s;
    s.text = test::Utf16(text);
    s.ccpText = uint32_t(text.size());
    s.wIdent = 0xA699;
    s.nFib = 104;
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Word6, Word6Text,
    ::testing::Values(
        Word6Case{"Latin", Word6("The quick fox\rSecond\r", 21), u"The quick fox\r", u"Second\r"},
        Word6Case{"Windows1252", Word6("Caf\xe9 \x93q\x94\r\x80\r", 11),
                  u"Caf\u00e9 \u201cq\u201d\r", u"\u20ac\r"},
        Word6Case{"CyrillicByFontCharset",
                  WithCharset(Word6("\xcf\xf0\xe8\xe2\xe5\xf2\r\xc4\xe0\r", 10), {0, 2, 204}),
                  u"\u041f\u0440\u0438\u0432\u0435\u0442\r", u"\u0414\u0430\r"},
        Word6Case{"CyrillicByLanguage",
                  WithLid(Word6("\xcf\xf0\xe8\xe2\xe5\xf2\r\xc4\xe0\r", 10), 0x0419),
                  u"\u041f\u0440\u0438\u0432\u0435\u0442\r", u"\u0414\u0430\r"},
        Word6Case{"ChineseGbk",
                  WithCharset(Word6("\xd6\xd0\xce\xc4\xb1\xea\xcc\xe2\rA\xb6\xfe\r", 13), {134}),
                  u"\u4e2d\u6587\u6807\u9898\r", u"A\u4e8c\r"},
        Word6Case{"Complex", Complex(Word6("First part\rSecond part\r", 23)), u"First part\r",
                  u"Second part\r"},
        Word6Case{"FarEastUtf16", FarEast(u"\u6807\u9898\r\u7b2c\u4e8c\r"), u"\u6807\u9898\r",
                  u"\u7b2c\u4e8c\r"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Word6, HeadersFollowTheSectionMasks) {
    // Main "Body\r"; header document: odd header, odd footer (section 1),
    // then section 2's odd header only.
    std::string main = "Body\rTwo\r";
    std::string hdd = "Head one\r\rFoot one\r\rHead two\r\r\r";
    Word6Spec s = Word6(main + hdd + "\r", uint32_t(main.size()));
    s.ccpHdd = uint32_t(hdd.size());
    s.hdd = {0, 10, 20, 30, 33};
    s.sed = {0, 5, 40};
    s.sectionMasks = {0x0A, 0x02};
    Opened o(BuildWord6(s));
    EXPECT_EQ(Show(o.doc->HeaderText(1, 1)), "Head one\\r");
    EXPECT_EQ(Show(o.doc->FooterText(1, 1)), "Foot one\\r");
    EXPECT_EQ(Show(o.doc->HeaderText(2, 1)), "Head two\\r");
    EXPECT_EQ(Show(o.doc->FooterText(2, 1)), "Foot one\\r");  // follows section 1
    EXPECT_EQ(Show(o.doc->HeaderText(1, 2)), "\\r");

    // A separator story in front shifts every index by one.
    Word6Spec t = s;
    std::string hdd2 = "\x03\r\r" + hdd;
    t.text = main + hdd2 + "\r";
    t.ccpHdd = uint32_t(hdd2.size());
    t.hdd = {0, 3, 13, 23, 33, 36};
    t.dopIhdt = 0x01;
    Opened p(BuildWord6(t));
    EXPECT_EQ(Show(p.doc->HeaderText(1, 1)), "Head one\\r");
    EXPECT_EQ(Show(p.doc->FooterText(1, 1)), "Foot one\\r");
}

TEST(Word6, EncryptedIsRefused) {
    Word6Spec s = Word6("x\r", 2);
    s.flags = 0x0100;
    std::string f = BuildWord6(s);
    Application app;
    EXPECT_EQ(ErrorOf([&] { app.OpenMemory(f.data(), f.size()); }), "encrypted document");
}

TEST(Word6, TextPastTheStreamIsRefused) {
    // ccpText says 400 characters, the text holds 4.
    std::string f = BuildWord6(Word6("abc\r", 400));
    Application app;
    auto d = app.OpenMemory(f.data(), f.size());
    EXPECT_EQ(Show(d->ParagraphText(1)), "abc\\r");
    EXPECT_NE(ErrorOf([&] { d->ParagraphText(2); }).find("damaged document"), std::string::npos);
    // After the error the document answers as before.
    EXPECT_EQ(Show(d->ParagraphText(1)), "abc\\r");
    EXPECT_NE(ErrorOf([&] { d->ParagraphText(2); }).find("damaged document"), std::string::npos);
}

}  // namespace
}  // namespace pelmora::word
