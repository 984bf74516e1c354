// The automatic title mode end to end: each document of tests/data/titles
// (made by LibreOffice from tests/data/titles/src) read by the native reader,
// its title found and formatted as the window forms it, against the title a
// person would pick (tests/data/titles/expected.tsv).

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "reader/document.h"
#include "support/utf.h"
#include "titles/rawtitle.h"
#include "titles/titlefinder.h"
#include "titles/titlerules.h"

namespace fs = std::filesystem;

namespace {

const fs::path kDir = fs::path(PELMORA_TEST_DATA) / "titles";

using pelmora::testutf::FromUtf8;
using pelmora::testutf::ToUtf8;

struct Expected {
    std::string file;
    std::string title;  // UTF-8
};

void PrintTo(const Expected& e, std::ostream* os) { *os << e.file; }

std::vector<Expected> ReadExpected() {
    std::vector<Expected> rows;
    std::ifstream in(kDir / "expected.tsv");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        rows.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    return rows;
}

// As the window reads it: the whole automatic mode, header and text boxes included.
std::u16string TitleOf(const std::string& file) {
    pelmora::word::Application word;
    auto doc = word.Open((kDir / file).string());
    const std::u16string raw =
        pelmora::ReadRawTitle(pelmora::TitleMode::TitleModeAuto, 5, 1, 25, *doc, FromUtf8(file))
            .value_or(u"");
    doc->Close(false);
    return pelmora::FormatTitleText(raw, 25).value_or(u"");
}

TEST(AutoTitleFixtures, TableListsEveryFixtureAndEachOneReads) {
    const std::vector<Expected> rows = ReadExpected();
    ASSERT_GE(rows.size(), 40u);
    std::set<std::string> listed;
    for (const Expected& e : rows) {
        EXPECT_TRUE(listed.insert(e.file).second) << "listed twice: " << e.file;
        EXPECT_NO_THROW(TitleOf(e.file)) << e.file;
    }
    for (const auto& entry : fs::directory_iterator(kDir)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        if (name == "expected.tsv") continue;
        EXPECT_TRUE(listed.count(name)) << "no expected title for " << name;
    }
    // Every source was converted to both Word formats.
    for (const auto& entry : fs::directory_iterator(kDir / "src")) {
        const std::string stem = entry.path().stem().string();
        EXPECT_TRUE(listed.count(stem + ".doc") && listed.count(stem + ".docx")) << stem;
    }
}

// LibreOffice's .odt of the same sources gives the titles their .docx gives.
TEST(AutoTitleFixtures, OpenDocumentGivesTheSameTitles) {
    int compared = 0;
    for (const Expected& e : ReadExpected()) {
        if (!e.file.ends_with(".docx")) continue;
        const std::string odt = "../odt/titles/" + e.file.substr(0, e.file.size() - 5) + ".odt";
        if (!fs::exists(kDir / odt)) continue;
        EXPECT_EQ(ToUtf8(TitleOf(odt)), e.title) << odt;
        ++compared;
    }
    EXPECT_GE(compared, 20);
}

class AutoTitle : public ::testing::TestWithParam<Expected> {};

TEST_P(AutoTitle, GivesTheTitleAPersonWouldPick) {
    const Expected& e = GetParam();
    const std::u16string title = TitleOf(e.file);
    EXPECT_EQ(title, FromUtf8(e.title)) << e.file << ": expected " << e.title;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, AutoTitle, ::testing::ValuesIn(ReadExpected()),
                         [](const ::testing::TestParamInfo<Expected>& info) {
                             std::string name;
                             for (char c : info.param.file)
                                 name += std::isalnum((unsigned char)c) ? c : '_';
                             return name;
                         });

// Real-world documents: whatever mode 0 reads, the automatic mode reads too
// (a damaged paragraph list never costs a row). With PELMORA_TITLE_SURVEY=1
// it prints every title that differs from mode 0, with the deciding rule.
TEST(AutoTitleCorpus, ReadsWhateverModeZeroReads) {
    // A worktree beside the checkout names the corpus in PELMORA_CORPUS.
    const char* const env = std::getenv("PELMORA_CORPUS");
    const fs::path corpus = env ? env : PELMORA_CORPUS;
    if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    const bool survey = std::getenv("PELMORA_TITLE_SURVEY") != nullptr;
    static const char* const kRules[] = {"label", "subject", "scored", "first-paragraph"};
    int read = 0, differ = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file()) continue;
        const std::string ext = entry.path().extension().string();
        if (ext != ".doc" && ext != ".docx" && ext != ".DOC" && ext != ".rtf" && ext != ".docm")
            continue;
        std::u16string mode0;
        pelmora::word::Application word;
        std::unique_ptr<pelmora::word::Document> doc;
        try {
            doc = word.Open(entry.path().string());
            mode0 = pelmora::FormatTitleText(doc->ParagraphText(1), 25).value_or(u"");
        } catch (const pelmora::word::WordError&) {
            continue;
        }
        ++read;
        pelmora::TitleChoice choice;
        EXPECT_NO_THROW(choice = pelmora::ChooseTitle(doc->LeadingParagraphs(),
                                                      FromUtf8(entry.path().filename().string())))
            << entry.path();
        const std::u16string mode4 = pelmora::FormatTitleText(choice.title, 25).value_or(u"");
        if (mode4 == mode0) continue;
        ++differ;
        std::u16string visible0;  // mode 0 keeps picture anchors, cell and page marks
        for (char16_t c : mode0) {
            if (c >= 0x20) visible0 += c;
        }
        if (survey) {
            const char* kind = mode0.empty()       ? "/was-empty"
                               : visible0 == mode4 ? "/controls-dropped"
                                                   : "";
            std::cout << kRules[int(choice.rule)] << kind << '\t'
                      << fs::relative(entry.path(), corpus).string() << '\t' << ToUtf8(mode0)
                      << '\t' << ToUtf8(mode4) << '\n';
        }
    }
    RecordProperty("read", read);
    RecordProperty("differ", differ);
    if (survey) std::cout << "read " << read << ", differ from mode 0: " << differ << '\n';
}

}  // namespace
