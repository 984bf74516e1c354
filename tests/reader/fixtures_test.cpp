// The generated test documents of tests/data, read through the object model:
// exact texts of paragraph 1 (and 5), and of the primary header and footer of
// section 1; files that are no Word document must give a WordError.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "reader/document.h"

namespace fs = std::filesystem;
using pelmora::word::Application;
using pelmora::word::Document;
using pelmora::word::kPrimaryHeaderFooter;
using pelmora::word::WordError;

namespace {

std::string DataPath(const std::string& name) {
    return std::string(PELMORA_TEST_DATA) + "/" + name;
}

// Printable form of a UTF-16 text for failure messages.
std::string Show(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        if (c == u'\r')
            out += "\\r";
        else if (c == u'\a')
            out += "\\a";
        else if (c == u'\v')
            out += "\\v";
        else if (c == u'\t')
            out += "\\t";
        else if (c < 0x20 || c > 0x7E) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", unsigned(c));
            out += buf;
        } else
            out += char(c);
    }
    return out;
}

constexpr std::u16string_view kLongFirst =
    u"The quick brown fox jumps over the lazy dog while the committee reviews the annual budget, "
    u"the audit findings, the travel policy, the procurement rules and the long list of "
    u"recommendations that were collected during the spring meetings of all regional offices and "
    u"their many working groups, so this opening paragraph is far longer than two hundred and "
    u"fifty-five characters in total.\r";

struct Expected {
    const char* file;
    std::u16string para1;
    std::optional<std::u16string> para5;  // nullopt: the document has no paragraph 5
    std::u16string header;
    std::u16string footer;
};

const std::vector<Expected>& Readable() {
    static const std::vector<Expected> cases = {
        {"zh_first.doc", u"第一章 总则\r", u"第二章 附则 （第五段）\r", u"页眉标题\r",
         u"页脚内容\r"},
        {"en_first.doc", u"  Annual Report 2026  \r", u"Q3/Q4 outlook: stable\r", u"\r", u"\r"},
        {"long_first.doc", std::u16string(kLongFirst), std::nullopt, u"\r", u"\r"},
        {"empty_first.doc", u"\r", std::nullopt, u"\r", u"Footer only\r"},
        {"table_first.doc", u"单元格甲\r\a", u"A2\r\a", u"表格文档\r", u"\r"},
        {"fields.doc", u"Report online dated 12/8/26 page 1\r", std::nullopt, u"See our site\r",
         u"Page 1 of 1\r"},
        {"line_break.doc", u"First line\vsecond line\r", std::nullopt,
         u"Header line one\rHeader line two\r", u"Left\tRight C:\\dir\r"},
        {"first_page.doc", u"Title page\r", std::nullopt, u"Primary header\r", u"Primary footer\r"},
        {"even_odd.doc", u"Even and odd\r", std::nullopt, u"奇数页页眉\r", u"Odd footer\r"},
        {"two_sections.doc", u"Section one\f", std::nullopt, u"Section one header\r",
         u"Section one footer\r"},
        {"short.doc", u"One\r", std::nullopt, u"\r", u"\r"},
        {"latin1.doc", u"Café résumé naïve Ærø\r", std::nullopt, u"En-tête été\r",
         u"Größe “quoted” – ½ €\r"},
        {"footnote.doc", u"Notes below\r", std::nullopt, u"页眉在脚注之后\r",
         u"Footer after notes\r"},
        // Soft hyphen and non-breaking hyphen are the object model's 0x1F and 0x1E.
        {"specials.doc",
         u"Tab\there nbsp\u00A0x soft\x1Fhyphen non\x1E"
         u"breaking\r",
         std::nullopt, u"\r", u"\r"},
        // An inline picture is its anchor character 0x01.
        {"picture_first.doc", u"\x01Logo caption\r", std::nullopt, u"\r", u"\r"},
        {"astral.doc", u"𠀀字 😀 smile\r", std::nullopt, u"X lone\r", u"\r"},
        // An unpaired surrogate is passed on as it is stored.
        {"lone_surrogate.doc", u"𠀀字 😀 smile\r", std::nullopt,
         std::u16string(1, char16_t(0xD800)) + u" lone\r", u"\r"},
    };
    return cases;
}

void PrintTo(const Expected& e, std::ostream* os) { *os << e.file; }

class ReadableFixture : public ::testing::TestWithParam<Expected> {};

TEST_P(ReadableFixture, GivesTheTextsOfItsSource) {
    const Expected& e = GetParam();
    Application app;
    std::unique_ptr<Document> doc;
    try {
        doc = app.Open(DataPath(e.file));
    } catch (const WordError& err) {
        FAIL() << e.file << " does not open: " << err.what();
    }
    auto check = [&](const char* what, auto read, const std::u16string& want) {
        try {
            std::u16string got = read();
            EXPECT_EQ(got, want) << e.file << " " << what << ": got \"" << Show(got)
                                 << "\", want \"" << Show(want) << "\"";
        } catch (const WordError& err) {
            ADD_FAILURE() << e.file << " " << what << " throws: " << err.what();
        }
    };
    check(
        "paragraph 1", [&] { return doc->ParagraphText(1); }, e.para1);
    check(
        "header", [&] { return doc->HeaderText(1, kPrimaryHeaderFooter); }, e.header);
    check(
        "footer", [&] { return doc->FooterText(1, kPrimaryHeaderFooter); }, e.footer);
    if (e.para5) {
        check(
            "paragraph 5", [&] { return doc->ParagraphText(5); }, *e.para5);
    } else {
        EXPECT_THROW(doc->ParagraphText(5), WordError) << e.file;
    }
    doc->Close(false);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ReadableFixture, ::testing::ValuesIn(Readable()),
                         [](const auto& info) {
                             std::string n = info.param.file;
                             n = n.substr(0, n.find('.'));
                             return n;
                         });

// Every paragraph of a document in order, then one past the end.
struct Sequence {
    const char* file;
    std::vector<std::u16string> paragraphs;
};

void PrintTo(const Sequence& s, std::ostream* os) { *os << s.file; }

class ParagraphSequence : public ::testing::TestWithParam<Sequence> {};

TEST_P(ParagraphSequence, EveryParagraphThenAnError) {
    const Sequence& s = GetParam();
    Application app;
    auto doc = app.Open(DataPath(s.file));
    for (size_t i = 0; i < s.paragraphs.size(); ++i) {
        int n = int(i) + 1;
        try {
            std::u16string got = doc->ParagraphText(n);
            EXPECT_EQ(got, s.paragraphs[i])
                << s.file << " paragraph " << n << ": got \"" << Show(got) << "\", want \""
                << Show(s.paragraphs[i]) << "\"";
        } catch (const WordError& err) {
            ADD_FAILURE() << s.file << " paragraph " << n << " throws: " << err.what();
        }
    }
    EXPECT_THROW(doc->ParagraphText(int(s.paragraphs.size()) + 1), WordError);
    EXPECT_THROW(doc->ParagraphText(0), WordError);
    EXPECT_THROW(doc->ParagraphText(-1), WordError);
    EXPECT_THROW(doc->ParagraphText(1 << 30), WordError);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, ParagraphSequence,
    ::testing::Values(
        // Cells end in \r\a; each row end is one more paragraph; an empty cell is "\r\a".
        Sequence{"table_first.doc",
                 {u"单元格甲\r\a", u"B1 one\r", u"B1 two\r\a", u"\r\a", u"A2\r\a", u"\r\a", u"\r\a",
                  u"After the table\r"}},
        // A section break ends its paragraph and stays in the text.
        Sequence{"two_sections.doc", {u"Section one\f", u"Section two\r"}},
        Sequence{"short.doc", {u"One\r", u"Two\r", u"Three\r"}},
        // A footnote reference is its mark 0x02.
        Sequence{"footnote.doc", {u"Notes below\r", u"Text with a note\x02\r"}},
        Sequence{"empty_first.doc", {u"\r", u"Second paragraph\r"}},
        Sequence{"en_first.doc",
                 {u"  Annual Report 2026  \r", u"Prepared by the finance office.\r",
                  u"Revenue grew in every quarter.\r", u"Costs stayed flat.\r",
                  u"Q3/Q4 outlook: stable\r"}}),
    [](const auto& info) {
        std::string n = info.param.file;
        return n.substr(0, n.find('.'));
    });

TEST(Fixtures, LaterSectionsHaveTheirOwnHeaderAndFooter) {
    Application app;
    auto doc = app.Open(DataPath("two_sections.doc"));
    EXPECT_EQ(doc->HeaderText(2, kPrimaryHeaderFooter), u"第二节页眉\r");
    EXPECT_EQ(doc->FooterText(2, kPrimaryHeaderFooter), u"Section two footer\r");
    EXPECT_EQ(doc->HeaderText(1, kPrimaryHeaderFooter), u"Section one header\r");
}

TEST(Fixtures, OneApplicationReadsManyDocumentsInTurn) {
    Application app;
    for (int round = 0; round < 3; ++round) {
        for (const Expected& e : Readable()) {
            auto doc = app.Open(DataPath(e.file));
            EXPECT_EQ(doc->ParagraphText(1), e.para1) << e.file << " round " << round;
            doc->Close(false);
        }
    }
    app.Quit();
}

TEST(Fixtures, TwoOpenDocumentsDoNotShareState) {
    Application app;
    auto zh = app.Open(DataPath("zh_first.doc"));
    auto en = app.Open(DataPath("en_first.doc"));
    EXPECT_EQ(en->ParagraphText(1), u"  Annual Report 2026  \r");
    EXPECT_EQ(zh->ParagraphText(1), u"第一章 总则\r");
    EXPECT_EQ(zh->HeaderText(1, kPrimaryHeaderFooter), u"页眉标题\r");
    EXPECT_EQ(en->HeaderText(1, kPrimaryHeaderFooter), u"\r");
}

TEST(Fixtures, ReadingNeverWritesTheFile) {
    fs::path tmp =
        fs::temp_directory_path() / ("pelmora_fixture_" + std::to_string(::getpid()) + ".doc");
    fs::copy_file(DataPath("zh_first.doc"), tmp, fs::copy_options::overwrite_existing);
    auto before = fs::last_write_time(tmp);
    auto size = fs::file_size(tmp);
    {
        Application app;
        auto doc = app.Open(tmp.string());
        doc->ParagraphText(1);
        doc->Close(true);
        app.Quit();
    }
    EXPECT_EQ(fs::last_write_time(tmp), before);
    EXPECT_EQ(fs::file_size(tmp), size);
    std::ifstream a(tmp, std::ios::binary), b(DataPath("zh_first.doc"), std::ios::binary);
    EXPECT_TRUE(
        std::equal(std::istreambuf_iterator<char>(a), {}, std::istreambuf_iterator<char>(b)));
    fs::remove(tmp);
}

// Reads everything the extraction run may ask for; a WordError anywhere is
// the file being refused, which is fine; anything else is a fault.
// Returns the reason of the first refusal, or nullopt when all was read.
std::optional<std::string> ReadAll(Application& app, const std::string& path) {
    std::unique_ptr<Document> doc;
    try {
        doc = app.Open(path);
    } catch (const WordError& e) {
        return std::string(e.what());
    }
    std::optional<std::string> reason;
    auto attempt = [&](auto read) {
        try {
            read();
        } catch (const WordError& e) {
            if (!reason) reason = e.what();
        }
    };
    attempt([&] { doc->ParagraphText(1); });
    attempt([&] { doc->ParagraphText(5); });
    attempt([&] { doc->HeaderText(1, kPrimaryHeaderFooter); });
    attempt([&] { doc->FooterText(1, kPrimaryHeaderFooter); });
    doc->Close(false);
    return reason;
}

struct Broken {
    const char* file;
    const char* reason_word;  // a word the reason must hold (lower case), or ""
};

void PrintTo(const Broken& b, std::ostream* os) { *os << b.file; }

class BrokenFixture : public ::testing::TestWithParam<Broken> {};

TEST_P(BrokenFixture, IsRefusedWithAReason) {
    const Broken& b = GetParam();
    Application app;
    std::unique_ptr<Document> doc;
    bool opened = false;
    std::string reason;
    try {
        doc = app.Open(DataPath(b.file));
        opened = true;
    } catch (const WordError& e) {
        reason = e.what();
    }
    if (opened) {
        // A lazy reader may open first; the first paragraph must then fail.
        try {
            doc->ParagraphText(1);
            ADD_FAILURE() << b.file << " was read as a Word document";
        } catch (const WordError& e) {
            reason = e.what();
        }
        doc->Close(false);
    }
    EXPECT_FALSE(reason.empty()) << b.file;
    std::string lower = reason;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    EXPECT_NE(lower.find(b.reason_word), std::string::npos) << b.file << ": " << reason;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, BrokenFixture,
                         ::testing::Values(Broken{"empty.doc", "empty"}, Broken{"text.doc", ""},
                                           Broken{"random.doc", ""}, Broken{"truncated.doc", ""},
                                           Broken{"encrypted.doc", "encrypt"}),
                         [](const auto& info) {
                             std::string n = info.param.file;
                             return n.substr(0, n.find('.'));
                         });

// Word opens RTF, .docx packages and web pages behind a .doc name, and so do
// we: judged by content, never by name.
TEST(Fixtures, OtherFormatsBehindADocNameAreReadByContent) {
    struct Case {
        const char* file;
        std::u16string para1, header;
    };
    const Case cases[] = {
        {"rtf.doc", u"第一章 总则\r", u"页眉标题\r"},
        {"docx.doc", u"第一章 总则\r", u"页眉标题\r"},
        {"html.doc", u"A web page saved with a .doc name\r", u"\r"},
    };
    Application app;
    for (const Case& c : cases) {
        auto doc = app.Open(DataPath(c.file));
        EXPECT_EQ(doc->ParagraphText(1), c.para1) << c.file;
        EXPECT_EQ(doc->HeaderText(1, 1), c.header) << c.file;
        doc->Close(true);
    }
}

TEST(Fixtures, MissingFilesAndFoldersAreRefused) {
    Application app;
    EXPECT_THROW(app.Open(DataPath("no_such_file.doc")), WordError);
    EXPECT_THROW(app.Open(PELMORA_TEST_DATA), WordError);
    EXPECT_THROW(app.Open(""), WordError);
}

// A damaged file may be refused or partly read, but never crash or throw
// anything but WordError.
TEST(Fixtures, DamagedFileIsReadOrRefused) {
    Application app;
    EXPECT_NO_THROW(ReadAll(app, DataPath("damaged.doc")));
}

// Every prefix of a good document: refused or read, nothing else.
TEST(Fixtures, EveryTruncationOfAGoodDocumentIsSafe) {
    std::ifstream in(DataPath("zh_first.doc"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GT(bytes.size(), 4096u);
    fs::path tmp =
        fs::temp_directory_path() / ("pelmora_trunc_" + std::to_string(::getpid()) + ".doc");
    Application app;
    for (size_t len = 0; len < bytes.size(); len += (len < 1024 ? 61 : 509)) {
        {
            std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
            out.write(bytes.data(), std::streamsize(len));
        }
        EXPECT_NO_THROW(ReadAll(app, tmp.string())) << "length " << len;
    }
    fs::remove(tmp);
}

// Files that once broke the reader (found by fuzzing) stay here as tests.
// The first paragraph, or the reason it cannot be read.
template <class OpenFn>
std::u16string FirstParagraphOrError(Application& app, OpenFn open) {
    try {
        auto doc = open(app);
        return doc->ParagraphText(1);
    } catch (const WordError&) {
        return u"error";
    }
}

// Each finding is read or refused, and alike from a file and from memory.
TEST(Fixtures, FuzzFindingsAreReadOrRefused) {
    fs::path dir = fs::path(PELMORA_TEST_DATA) / "fuzz";
    if (!fs::is_directory(dir)) GTEST_SKIP() << "no findings kept";
    Application app;
    int n = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        ++n;
        const std::string path = entry.path().string();
        EXPECT_NO_THROW(ReadAll(app, path)) << path;
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(
            FirstParagraphOrError(app, [&](Application& a) { return a.Open(path); }),
            FirstParagraphOrError(
                app, [&](Application& a) { return a.OpenMemory(bytes.data(), bytes.size()); }))
            << path;
    }
    if (n == 0) GTEST_SKIP() << "no findings kept";
}

}  // namespace
