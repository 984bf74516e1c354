// The finder's rules one at a time: each skip rule with a line only it
// passes over, the sources beyond the body read only when the body holds no
// title, the titles offered as runners-up, and the explanation.

#include "titles/rules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "support/utf.h"
#include "titles/explain.h"
#include "titles/lines.h"
#include "titles/titlefinder.h"

namespace {

using namespace pelmora;
using word::LeadingBody;
using word::ParagraphFacts;

ParagraphFacts P(std::u16string text, int points = 0, bool centered = false, bool bold = false) {
    ParagraphFacts p;
    p.text = std::move(text) + u"\r";
    if (points > 0) {
        p.formatted = true;
        p.styleId = word::kStiNormal;
        p.mainHalfPoints = p.maxHalfPoints = 2 * points;
        p.centered = centered;
        p.bold = bold;
    }
    return p;
}

LeadingBody Body(std::vector<ParagraphFacts> ps) {
    LeadingBody b;
    b.paragraphs = std::move(ps);
    return b;
}

std::string SkipOf(const ParagraphFacts& p) {
    const Lines lines = ReadLines(std::vector<ParagraphFacts>{p});
    return std::string(lines.skipName(0));
}

TEST(SkipRules, EachNamedRuleHasALineOnlyItCatches) {
    const std::vector<std::pair<std::string, std::u16string>> cases = {
        {"empty", u"\x08\x01"},
        {"rule", u"──────────"},
        {"contents", u"目  录"},
        {"section-heading", u"Executive Summary"},
        {"mark", u"（公开）"},
        {"copy-number", u"000123"},
        {"document-number", u"海政发〔2024〕12号"},
        {"replaces", u"代替 GB/T 1.1—2009"},
        {"attachment", u"附件2："},
        {"letterhead", u"海州市人民政府文件"},
        {"date", u"二〇二四年三月"},
        {"genre", u"CS330  Software Engineering"},
        {"salutation", u"各区县人民政府："},
        {"address", u"The Manager,"},
        {"contact", u"li.ming@harbour.cn"},
        {"field", u"编制单位：海州港务集团"},
    };
    std::set<std::string> seen;
    for (const auto& [rule, text] : cases) {
        EXPECT_EQ(SkipOf(P(text)), rule) << testutf::ToUtf8(text);
        seen.insert(rule);
    }
    // A red, big Chinese line is a letterhead by its look alone; a table's
    // row of short headings heads columns.
    ParagraphFacts red = P(u"海州港务集团", 26, true, true);
    red.color = 0x00E00000;
    EXPECT_EQ(
        ReadLines(std::vector<ParagraphFacts>{red, P(u"正文一段，说明有关事项。", 12)}).skipName(0),
        "red-letterhead");
    seen.insert("red-letterhead");
    std::vector<ParagraphFacts> table;
    for (const char16_t* cell : {u"作者", u"作品", u"译者"}) {
        table.push_back(P(cell));
        table.back().tableRow = 1;
        table.back().tableCell = int(table.size());
    }
    EXPECT_EQ(ReadLines(table).skipName(1), "column-header");
    seen.insert("column-header");
    // Every rule of the table is tried above, and names are unique.
    std::set<std::string> names;
    for (const SkipRule& r : SkipRules()) EXPECT_TRUE(names.insert(std::string(r.name)).second);
    EXPECT_EQ(names, seen);
    // Titles that look like these are none of them.
    for (const char16_t* title :
         {u"招 标 文 件", u"紧急通知", u"某某制度修订说明：", u"Input/output design",
          u"Annual report: water quality", u"关于调整作息时间的通知", u"CMMI技术概要"})
        EXPECT_EQ(SkipOf(P(title)), "") << testutf::ToUtf8(title);
}

TEST(ScoreTerms, NamesAreUniqueAndPartsAddUp) {
    std::set<std::string_view> names;
    for (const ScoreTerm& t : ScoreTerms()) EXPECT_TRUE(names.insert(t.name).second) << t.name;
    const TitleChoice c = ChooseTitle(
        Body({P(u"海州港务集团", 12), P(u"安全生产检查报告", 22, true, true), P(u"正文。", 12)}),
        u"");
    ASSERT_FALSE(c.candidates.empty());
    int sum = 0;
    for (const ScorePart& part : c.candidates.front().parts) sum += part.points;
    EXPECT_EQ(sum, c.candidates.front().score);
}

// Text boxes and the header cost reading; they are asked for only when the
// body holds no title, and the header's page numbers and dates are no title.
TEST(FinderSources, ReadOnlyWhenTheBodyHoldsNoTitle) {
    int boxes = 0, headers = 0;
    TitleSources s;
    s.textBoxes = [&] {
        ++boxes;
        return std::vector<word::TextBox>{{0, {P(u"个人简历", 22, true, true)}},
                                          {0, {P(u"姓名：李明", 12)}}};
    };
    s.firstPageHeader = [&] {
        ++headers;
        return std::vector<ParagraphFacts>{P(u"- 3 -"), P(u"2024年3月"), P(u"海州港总体规划")};
    };
    EXPECT_EQ(FindTitle(Body({P(u"码头作业规程", 22, true, true), P(u"第一条 为规范作业。", 12)}),
                        u"", s),
              u"码头作业规程");
    EXPECT_EQ(boxes + headers, 0);
    // Only dates and page numbers, no box anchored: the boxes are not read.
    FindTitle(Body({P(u"2024年3月1日"), P(u"- 1 -")}), u"", s);
    EXPECT_EQ(boxes, 0);
    EXPECT_EQ(headers, 1);
    headers = 0;
    // A body of picture anchors: the text boxes hold the title.
    const TitleChoice cv = ChooseTitle(Body({P(u"\x08\x08"), P(u"\x01")}), u"", s);
    EXPECT_EQ(cv.title, u"个人简历");
    EXPECT_EQ(cv.rule, TitleRule::TextBox);
    EXPECT_EQ(headers, 0);
    // Running text only, no text boxes: the header's first line that can be a title.
    s.textBoxes = nullptr;
    const TitleChoice h = ChooseTitle(
        Body({P(u"为做好本年度的规划工作，现将有关事项说明如下，请各单位认真执行。", 12)}), u"", s);
    EXPECT_EQ(h.title, u"海州港总体规划");
    EXPECT_EQ(h.rule, TitleRule::Header);
}

// Many one-line boxes in one look are a drawing's labels (a flow chart, a
// work breakdown): no title, where a CV of one-line boxes keeps its name.
TEST(FinderSources, TheLabelsOfADrawingAreNoTitle) {
    std::vector<word::TextBox> chart;
    for (const char16_t* step : {u"开始", u"提交申请", u"部门审核", u"是否通过", u"修改材料",
                                 u"财务复核", u"归档", u"结束", u"通知申请人"})
        chart.push_back({0, {P(step, 10, true, true)}});
    TitleSources s;
    s.textBoxes = [&] { return chart; };
    const LeadingBody anchors = Body({P(u"\x08"), P(u"")});
    EXPECT_EQ(FindTitle(anchors, u"", s), u"");
    // With the header's title beside it, the header gives it.
    s.firstPageHeader = [] { return std::vector<ParagraphFacts>{P(u"报销审批流程")}; };
    EXPECT_EQ(FindTitle(anchors, u"", s), u"报销审批流程");

    // The same boxes under a bigger name: a CV laid out in boxes.
    std::vector<word::TextBox> cv = chart;
    cv.insert(cv.begin(), {0, {P(u"王晓明", 22, true)}});
    s.textBoxes = [&] { return cv; };
    EXPECT_EQ(FindTitle(anchors, u"", s), u"王晓明");
    // A box of two lines is no drawing's label either.
    chart.back().paragraphs.push_back(P(u"并抄送财务处", 10));
    s.textBoxes = [&] { return chart; };
    EXPECT_EQ(ChooseTitle(anchors, u"", s).rule, TitleRule::TextBox);
}

TEST(FinderOffers, RunnersUpBestFirstWithoutRunningTextOrPlaceholders) {
    const TitleChoice c = ChooseTitle(
        Body({P(u"XXXXXXXX", 12), P(u"海州港务集团", 12), P(u"安全生产检查报告", 22, true, true),
              P(u"检查组", 14, true), P(u"安全生产检查报告", 12),
              P(u"本次检查发现问题三项，已整改两项。", 12)}),
        u"");
    EXPECT_EQ(c.title, u"安全生产检查报告");
    ASSERT_GE(c.candidates.size(), 2u);
    EXPECT_LE(c.candidates.size(), 5u);
    EXPECT_EQ(c.candidates.front().title, c.title);
    std::set<std::u16string> titles;
    for (size_t i = 0; i < c.candidates.size(); ++i) {
        EXPECT_TRUE(titles.insert(c.candidates[i].title).second) << "offered twice";
        EXPECT_NE(c.candidates[i].title, u"XXXXXXXX");
        EXPECT_EQ(c.candidates[i].title.find(u'。'), std::u16string::npos);
        if (i > 1) {
            EXPECT_LE(c.candidates[i].score, c.candidates[i - 1].score);
        }
    }
}

TEST(FinderExplains, EveryLineWithItsRuleOrScore) {
    const TitleExplanation e =
        ExplainTitle(Body({P(u"海政发〔2024〕12号", 16, true), P(u""),
                           P(u"关于做好安全生产工作的通知", 22, true, true), P(u"各部门：", 16)}),
                     u"");
    ASSERT_EQ(e.lines.size(), 4u);
    EXPECT_EQ(e.lines[0].skippedBy, "document-number");
    EXPECT_EQ(e.lines[3].skippedBy, "salutation");
    ASSERT_GE(e.lines[2].candidate, 0);
    EXPECT_EQ(e.scored[size_t(e.lines[2].candidate)].title, u"关于做好安全生产工作的通知");
    const std::string text = ExplanationText(e);
    for (const char* part : {"skipped: document-number", "skipped: salutation", "kind-ending +10",
                             "pick (best score)", "body text size: 16pt"})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    // Nothing but a picture: no pick and no error.
    EXPECT_NE(ExplanationText(ExplainTitle(Body({P(u"\x08")}), u"")).find("pick (no title found"),
              std::string::npos);
}

}  // namespace
