// The automatic title mode end to end: each document of tests/data/titles
// (made by LibreOffice from tests/data/titles/src) read by the native reader,
// its title found and formatted as the window forms it, against the title a
// person would pick (tests/data/titles/expected.tsv).

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/doc/objectmodel.h"
#include "titles/titlefinder.h"
#include "titles/titlerules.h"

namespace fs = std::filesystem;

namespace {

const fs::path kDir = fs::path(PELMORA_TEST_DATA) / "titles";

std::u16string FromUtf8(const std::string& s) {
    std::u16string out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = s[i];
        uint32_t cp = c;
        size_t n = 1;
        if (c >= 0xF0)
            cp = c & 0x07, n = 4;
        else if (c >= 0xE0)
            cp = c & 0x0F, n = 3;
        else if (c >= 0xC0)
            cp = c & 0x1F, n = 2;
        for (size_t k = 1; k < n && i + k < s.size(); ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
        i += n;
        if (cp >= 0x10000) {
            out += char16_t(0xD800 + ((cp - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += char16_t(cp);
        }
    }
    return out;
}

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

std::u16string TitleOf(const std::string& file) {
    pelmora::word::Application word;
    auto doc = word.Open((kDir / file).string());
    const pelmora::word::LeadingBody body = doc->LeadingParagraphs();
    doc->Close(false);
    return pelmora::FormatTitleText(pelmora::FindTitle(body, FromUtf8(file)), 25).value_or(u"");
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

class AutoTitle : public ::testing::TestWithParam<Expected> {};

// Disabled until the readers resolve formatting: several fixtures are told
// apart by size, colour or style only. Run with --gtest_also_run_disabled_tests.
TEST_P(AutoTitle, GivesTheTitleAPersonWouldPick) {
    const Expected& e = GetParam();
    const std::u16string title = TitleOf(e.file);
    EXPECT_EQ(title, FromUtf8(e.title)) << e.file << ": expected " << e.title;
}

INSTANTIATE_TEST_SUITE_P(DISABLED_Fixtures, AutoTitle, ::testing::ValuesIn(ReadExpected()),
                         [](const ::testing::TestParamInfo<Expected>& info) {
                             std::string name;
                             for (char c : info.param.file)
                                 name += std::isalnum((unsigned char)c) ? c : '_';
                             return name;
                         });

}  // namespace
