// The automatic title finder over hand-built paragraph lists: one group per
// kind of document, each with a text-only variant (what every reader gives
// before it resolves formatting) beside the formatted one.

#include "titles/titlefinder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/utf.h"
#include "titles/titlerules.h"

namespace {

using pelmora::ChooseTitle;
using pelmora::FindTitle;
using pelmora::TitleRule;
using namespace pelmora::word;

std::string Utf8(std::u16string_view s) { return pelmora::testutf::ToUtf8(s); }

constexpr uint32_t kRed = 0x00FF0000;

// One paragraph. size 0 leaves it unformatted (formatted = false).
struct Para {
    std::u16string text;
    int size = 0;  // points
    bool centered = false;
    bool bold = false;
    int style = kStiNormal;
    uint32_t color = kAutoColor;
    int row = 0, cell = 0;
    int peak = 0;  // largest size in points when some characters differ
};

Para T(std::u16string text) { return Para{std::move(text)}; }
Para F(std::u16string text, int points, bool centered = false, bool bold = false,
       int style = kStiNormal) {
    return Para{std::move(text), points, centered, bold, style};
}
Para Red(std::u16string text, int points) {
    Para p = F(std::move(text), points, true, true);
    p.color = kRed;
    return p;
}
Para Peak(Para p, int points) {
    p.peak = points;
    return p;
}
Para Cell(Para p, int row, int cell) {
    p.row = row;
    p.cell = cell;
    return p;
}

LeadingBody Body(const std::vector<Para>& paras, std::u16string property = {}) {
    LeadingBody body;
    body.titleProperty = std::move(property);
    for (const Para& p : paras) {
        ParagraphFacts f;
        f.text = p.text + (p.row ? u"\r\a" : u"\r");
        f.tableRow = p.row;
        f.tableCell = p.cell;
        if (p.size > 0) {
            f.formatted = true;
            f.styleId = p.style;
            f.outlineLevel = p.style >= kStiHeading1 && p.style <= kStiHeading9 ? p.style - 1 : 9;
            f.mainHalfPoints = 2 * p.size;
            f.maxHalfPoints = 2 * std::max(p.size, p.peak);
            f.centered = p.centered;
            f.bold = p.bold;
            f.color = p.color;
        }
        body.paragraphs.push_back(std::move(f));
    }
    return body;
}

// Title as the window shows it: through the ordinary normalisation.
std::u16string Shown(const LeadingBody& body, std::u16string_view file = u"a.doc") {
    return *pelmora::FormatTitleText(FindTitle(body, file), 100);
}

struct Case {
    const char* name;
    std::vector<Para> paras;
    std::u16string expected;
    std::u16string property = {};
    std::u16string file = u"a.doc";
};

class FinderTest : public ::testing::TestWithParam<Case> {};

TEST_P(FinderTest, PicksTheTitleAPersonWould) {
    const Case& c = GetParam();
    const std::u16string title = Shown(Body(c.paras, c.property), c.file);
    EXPECT_EQ(title, c.expected) << Utf8(title) << " instead of " << Utf8(c.expected);
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) { return info.param.name; }

const std::u16string kTitle = u"关于做好2024年度安全生产工作的通知";

INSTANTIATE_TEST_SUITE_P(
    SkippedLines, FinderTest,
    ::testing::Values(
        Case{"EmptyParagraphsFirst", {T(u""), T(u"  "), T(kTitle), T(u"各单位：")}, kTitle},
        Case{"PictureAndFieldMarks", {T(u"\x01"), T(u"\x08\x13\x14\x15"), T(kTitle)}, kTitle},
        Case{"AttachmentLine", {T(u"附件1"), T(u"2024年度检查计划表")}, u"2024年度检查计划表"},
        Case{"AttachmentWithColon", {T(u"附件："), T(u"项目申报汇总表")}, u"项目申报汇总表"},
        Case{"ContractNumber",
             {T(u"合同编号：HT-2024-018"), T(u"房屋租赁合同"), T(u"甲方：张三")},
             u"房屋租赁合同"},
        Case{"LatinNumberLine", {T(u"No. 2024-17"), T(u"Service Agreement")}, u"ServiceAgreement"},
        Case{"SecrecyAndUrgency",
             {T(u"机密★1年"), T(u"特急"), T(u"关于加强值班工作的通知")},
             u"关于加强值班工作的通知"},
        Case{"UrgentNoticeIsATitleNotAMark",
             {T(u"紧急通知"), T(u"今晚停电，请做好准备。")},
             u"紧急通知"},
        Case{"SecrecyWithLevel", {T(u"密级：秘密"), T(u"保密工作检查方案")}, u"保密工作检查方案"},
        Case{"NumberWordInsideTitle",
             {T(u"关于统一产品编号规则的通知")},
             u"关于统一产品编号规则的通知"},
        Case{"BracketedDate", {T(u"（2023年3月）"), T(u"编制说明")}, u"编制说明"},
        Case{"CopyNumber", {T(u"000123"), T(u"秘密"), T(u"市政府工作规则")}, u"市政府工作规则"},
        Case{"StandardCover",
             {T(u"ICS 27.120.99"), T(u"F69"), T(u"中华人民共和国能源行业标准"),
              T(u"NB/T XXXXX—XXXX"), T(u"代替 NB/T 20442.7—2017"), T(u"核电厂定期安全评价指南")},
             u"核电厂定期安全评价指南"},
        // The standard's big prefix letters are formatted larger than its title.
        Case{"StandardCoverFormatted",
             {F(u"ICS 27.120.99", 10), F(u"NB", 48, false, true),
              F(u"中华人民共和国能源行业标准", 26, true, true), F(u"NB/T XXXXX—XXXX", 14),
              F(u"核电厂定期安全评价", 22, true, true), F(u"第7部分：经验反馈", 18, true),
              F(u"（征求意见稿）", 14, true)},
             u"核电厂定期安全评价"},
        Case{"LatinStatusMark", {T(u"DRAFT"), T(u""), T(u"Proposal"), T(u"to")}, u"Proposal"},
        Case{"TypedRule", {T(u"──────────"), T(u"会议纪要")}, u"会议纪要"}),
    CaseName);

// Letterhead, number and rule, then a title over two paragraphs or with a
// manual line break.
INSTANTIATE_TEST_SUITE_P(
    OfficialNotices, FinderTest,
    ::testing::Values(
        Case{"TextOnlyTwoParagraphs",
             {T(u"海州市人民政府文件"), T(u"海政发〔2024〕12号"), T(u""),
              T(u"关于做好2024年度安全生产"), T(u"工作的通知"),
              T(u"各区县人民政府，市政府各部门："), T(u"现将有关事项通知如下。")},
             kTitle},
        Case{"FormattedTwoParagraphs",
             {Red(u"海州市人民政府", 36), F(u"海政发〔2024〕12号", 16, true), Red(u"", 16),
              F(u"关于做好2024年度安全生产", 22, true), F(u"工作的通知", 22, true),
              F(u"各区县人民政府：", 16), F(u"现将有关事项通知如下，请认真贯彻执行。", 16)},
             kTitle},
        Case{"ManualLineBreak",
             {T(u"海州市人民政府办公室文件"), T(u"海政办发[2024]3号"),
              T(u"关于印发《档案管理办法》\v的通知"), T(u"各部门：")},
             u"关于印发《档案管理办法》的通知"},
        Case{"NumberWithOrdinal", {T(u"第3号"), T(u"海州市人民政府公告")}, u"海州市人民政府公告"},
        Case{"SubtitleRemarkJoined",
             {F(u"海州市物业管理办法", 22, true), F(u"（征求意见稿）", 22, true),
              F(u"第一章 总则", 16)},
             u"海州市物业管理办法（征求意见稿）"},
        Case{"NextNoticeNotJoined",
             {F(u"关于召开年度总结会的通知", 22, true), F(u"关于报送材料的通知", 22, true)},
             u"关于召开年度总结会的通知"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    StyledAfterDateAndDepartment, FinderTest,
    ::testing::Values(Case{"DateThenDepartmentThenTitle",
                           {F(u"2024年3月5日", 12), F(u"财务部", 12),
                            F(u"季度预算执行情况", 20, false, false, kStiTitle),
                            F(u"一季度各项支出均在预算之内，具体如下。", 12)},
                           u"季度预算执行情况"},
                      Case{"TextOnlyDateAndDepartment",
                           {T(u"二〇二四年三月"), T(u"行政办公室"), T(u"季度预算执行情况"),
                            T(u"一季度各项支出均在预算之内。")},
                           u"季度预算执行情况"},
                      Case{"HeadingAfterDepartment",
                           {F(u"人力资源部", 12), F(u"员工培训安排", 16, false, true, kStiHeading1),
                            F(u"本年度培训分为三期，每期两周。", 12)},
                           u"员工培训安排"}),
    CaseName);

// Organisation, blanks, big title, "编制单位：", date; later headings lose.
INSTANTIATE_TEST_SUITE_P(
    CoverPages, FinderTest,
    ::testing::Values(
        Case{"FormattedCover",
             {F(u"海州智联科技有限公司", 18, true), F(u"", 12),
              F(u"智慧园区管理平台建设方案", 26, true, true), F(u"", 12),
              F(u"编制单位：海州智联科技有限公司", 14, true), F(u"2024年6月", 14, true),
              F(u"1 项目概述", 16, false, true, kStiHeading1),
              F(u"本项目旨在建设统一的园区管理平台。", 12)},
             u"智慧园区管理平台建设方案"},
        Case{"TextOnlyCover",
             {T(u"海州智联科技有限公司"), T(u""), T(u"智慧园区管理平台建设方案"),
              T(u"编制单位：海州智联科技有限公司"), T(u"2024年6月"), T(u"1 项目概述")},
             u"智慧园区管理平台建设方案"},
        Case{"ChapterHeadingIsNoTitle",
             {T(u"第一章 总则"), T(u"海州市档案管理实施细则")},
             u"海州市档案管理实施细则"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    ThesisCovers, FinderTest,
    ::testing::Values(
        Case{"LabelWithValue",
             {F(u"海州大学", 26, true), F(u"本科毕业论文", 36, true, true),
              F(u"题目：基于深度学习的图像去噪方法研究", 16), F(u"学院：计算机学院", 16)},
             u"基于深度学习的图像去噪方法研究"},
        Case{"SpacedLabelAndUnderscores",
             {T(u"海州大学"), T(u"本科毕业论文（设计）"), T(u"题    目：__城市内涝风险评估__"),
              T(u"姓    名：李明")},
             u"城市内涝风险评估"},
        Case{"WrappedLabelValue",
             {T(u"题目：基于深度学习的"), T(u"图像去噪方法研究"), T(u"学院：计算机学院")},
             u"基于深度学习的图像去噪方法研究"},
        Case{"WrappedLabelValueFormatted",
             {F(u"题目：高原冻土路基", 16, true, true), F(u"长期沉降规律分析", 16, true, true),
              F(u"姓名：李明", 16, true)},
             u"高原冻土路基长期沉降规律分析"},
        Case{"LabelAloneValueNext",
             {T(u"论文题目："), T(u"古代水利工程考"), T(u"作者：王芳")},
             u"古代水利工程考"},
        Case{"ProjectName",
             {T(u"海州市科技计划项目"), T(u"项目名称：农村饮水安全监测系统")},
             u"农村饮水安全监测系统"},
        Case{"CourseTopic", {T(u"课题名称: 社区养老服务调查")}, u"社区养老服务调查"},
        Case{"EnglishLabel",
             {T(u"Master Thesis"), T(u"Title: Sparse Coding in Vision")},
             u"SparseCodinginVision"},
        Case{"LabelCellThenValueCell",
             {Cell(T(u"题目"), 1, 1), Cell(T(u"高原冻土路基沉降分析"), 1, 2)},
             u"高原冻土路基沉降分析"},
        Case{"LabelInsideRunningTextIgnored",
             {T(u"关于申报2024年度科技项目的通知"),
              T(u"各单位：现将申报事项通知如下，请按时报送。"), T(u"项目名称：由申报单位自拟")},
             u"关于申报2024年度科技项目的通知"},
        Case{"TitleStyleBeforeLabelWins",
             {F(u"项目验收报告", 22, true, true, kStiTitle), F(u"项目名称：数据中台", 12)},
             u"项目验收报告"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Forms, FinderTest,
    ::testing::Values(
        Case{"TitleInFirstRow",
             {Cell(F(u"员工请假申请表", 18, true, true), 1, 1), Cell(F(u"姓名", 12), 2, 1),
              Cell(F(u"部门", 12), 2, 2), Cell(F(u"请假事由", 12), 3, 1)},
             u"员工请假申请表"},
        Case{"TitleAboveTable",
             {F(u"固定资产报废审批表", 18, true, true), Cell(F(u"资产名称", 12), 1, 1),
              Cell(F(u"编号", 12), 1, 2)},
             u"固定资产报废审批表"},
        Case{"TextOnlyFirstCell",
             {Cell(T(u"员工请假申请表"), 1, 1), Cell(T(u"姓名"), 2, 1), Cell(T(u"部门"), 2, 2)},
             u"员工请假申请表"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    JournalPapers, FinderTest,
    ::testing::Values(
        Case{"TitleAuthorsAffiliations",
             {F(u"黄土高原植被恢复对土壤水分的影响", 18, true, true), F(u"张伟1，李娜2", 12, true),
              F(u"（1.海州大学 环境学院，海州 210000；2.海州农业科学院）", 9, true),
              F(u"摘要：本文分析了近二十年植被恢复对土壤水分的影响。", 9)},
             u"黄土高原植被恢复对土壤水分的影响"},
        Case{"TranslatedTitleNotJoined",
             {F(u"黄土高原植被恢复对土壤水分的影响", 18, true, true),
              F(u"Effects of vegetation restoration on soil moisture", 18, true, true),
              F(u"张伟1，李娜2", 12, true),
              F(u"摘要：本文分析了近二十年植被恢复对土壤水分的影响。", 9)},
             u"黄土高原植被恢复对土壤水分的影响"},
        Case{"TextOnly",
             {T(u"黄土高原植被恢复对土壤水分的影响"), T(u"张伟1，李娜2"),
              T(u"摘要：本文分析了近二十年植被恢复对土壤水分的影响。")},
             u"黄土高原植被恢复对土壤水分的影响"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    EnglishDocuments, FinderTest,
    ::testing::Values(
        Case{"MemoSubject",
             {F(u"MEMORANDUM", 20, true, true), F(u"To: All staff", 12), F(u"From: Facilities", 12),
              F(u"Date: 4 March 2024", 12), F(u"Subject: Office move on 1 May", 12),
              F(u"The office moves to the new building on 1 May.", 12)},
             u"Officemoveon1May"},
        Case{"MemoTextOnly",
             {T(u"MEMO"), T(u"TO: Sales team"), T(u"FROM: Director"), T(u"RE: Quarterly targets"),
              T(u"")},
             u"Quarterlytargets"},
        Case{"LetterWithRe",
             {T(u"Harbour Trading Ltd"), T(u"5 March 2024"), T(u"Dear Ms Chen,"),
              T(u"Re: Renewal of the supply agreement"), T(u"Thank you for your letter.")},
             u"Renewalofthesupplyagreement"},
        Case{
            "ReportTitleStyled",
            {F(u"Finance Department", 12), F(u"Quarterly Sales Report", 28, true, false, kStiTitle),
             F(u"April 2024", 12), F(u"Sales rose in every region.", 12)},
            u"QuarterlySalesReport"},
        Case{"ReportTextOnly",
             {T(u"Finance Department"), T(u"Quarterly Sales Report"), T(u"April 2024")},
             u"QuarterlySalesReport"},
        Case{"YearLeadIsNoNumber",
             {T(u"2024 Annual Review"), T(u"Prepared by: Board")},
             u"2024AnnualReview"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    PlainAndUntitled, FinderTest,
    ::testing::Values(
        Case{"FirstNonEmptyParagraph",
             {T(u""), T(u"春季运动会安排"), T(u"时间待定")},
             u"春季运动会安排"},
        Case{"FlatFormattingSameAsText",
             {F(u"春季运动会安排", 12), F(u"时间待定", 12)},
             u"春季运动会安排"},
        // Running text only: exactly paragraph 1, as mode 0 takes it.
        Case{"BodyTextGivesParagraphOne",
             {T(u"今天上午，公司召开了全体员工大会，会上总结了去年的工作。"),
              T(u"会议由总经理主持。")},
             u"今天上午，公司召开了全体员工大会，会上总结了去年的工作。"},
        Case{"EmptyFirstThenBodyGivesEmpty", {T(u""), T(u"会议由总经理主持，全体员工参加。")}, u""},
        // The title comes before the running text: nothing after it is taken.
        Case{"NothingAfterRunningText",
             {T(u"This is a sample word document. It has two pages and a simple heading."),
              T(u"HEADING TEXT")},
             u"Thisisasampleworddocument.Ithastwopagesandasimpleheading."},
        Case{"SentenceLeadingIntoAList",
             {T(u"These are a few of my favorite things:"), T(u"Parrots"), T(u"Analysis")},
             u"Theseareafewofmyfavoritethings:"},
        Case{"LongLatinTitleIsNoBodyText",
             {T(u"A Guide to Disability Access and Inclusion Plans (DAIPs) for Western Australian "
                u"Public "
                u"Authorities"),
              T(u""), T(u"Access and inclusion for people with disabilities")},
             u"AGuidetoDisabilityAccessandInclusionPlans(DAIPs)"
             u"forWesternAustralianPublicAuthorities"},
        Case{"OnlySkippedLinesGiveNoTitle", {T(u"2024年3月5日"), T(u"")}, u""}),
    CaseName);

// Formatting outweighs position when it is strong, not otherwise.
INSTANTIATE_TEST_SUITE_P(
    FormattingAndPosition, FinderTest,
    ::testing::Values(
        Case{"BigCentredLaterBeatsPlainEarlier",
             {F(u"内部资料", 12), F(u"仓库安全检查记录", 22, true, true), F(u"检查人：王强", 12)},
             u"仓库安全检查记录"},
        Case{"SlightlyBoldLaterDoesNotBeatFirst",
             {F(u"仓库安全检查记录", 16, true, true), F(u"检查项目一览", 12, false, true),
              F(u"正文", 12)},
             u"仓库安全检查记录"},
        Case{"BigInitialIsNoHeading",
             {F(u"关于甲地块", 12), Peak(F(u"乙地块概况", 12), 40), F(u"正文一段，说明情况。", 12)},
             u"关于甲地块"},
        Case{"TitleStyleBeatsBiggerLogoLine",
             {F(u"海州港务集团", 26, true), F(u"码头作业规程", 22, true, false, kStiTitle)},
             u"码头作业规程"},
        Case{"SubtitleLosesToTitle",
             {F(u"码头作业规程", 22, true, true, kStiTitle),
              F(u"2024年修订版说明", 14, true, false, kStiSubtitle)},
             u"码头作业规程"},
        Case{"StaleTitlePropertyIgnored",
             {T(u"仓库安全检查记录"), T(u"检查人：王强")},
             u"仓库安全检查记录",
             u"旧模板标题"},
        // "关于" (+5) first against centring (+8) one line later (-3): equally good.
        Case{"TieGoesToTheEarlier",
             {F(u"关于甲地块", 16), F(u"乙地块概况", 16, true)},
             u"关于甲地块"},
        Case{"PropertyBreaksATie",
             {F(u"关于甲地块", 16), F(u"乙地块概况", 16, true)},
             u"乙地块概况",
             u"乙地块概况"},
        Case{"FileNameBreaksATie",
             {F(u"关于甲地块", 16), F(u"乙地块概况", 16, true)},
             u"乙地块概况",
             u"",
             u"/x/乙地块概况.doc"}),
    CaseName);

TEST(FinderRules, ReportsWhichRuleDecidedAndWhatWasJoined) {
    const auto notice = ChooseTitle(Body({T(u"海州市人民政府文件"), T(u"关于做好2024年度安全生产"),
                                          T(u"工作的通知"), T(u"各部门：")}),
                                    u"");
    EXPECT_EQ(notice.rule, TitleRule::Scored);
    EXPECT_EQ(notice.first, 1);
    EXPECT_EQ(notice.count, 2);
    EXPECT_EQ(ChooseTitle(Body({T(u"题目：水")}), u"").rule, TitleRule::Label);
    EXPECT_EQ(ChooseTitle(Body({T(u"MEMO"), T(u"Subject: x y")}), u"").rule, TitleRule::Subject);
    EXPECT_EQ(ChooseTitle(Body({T(u"这是一句正文。")}), u"").rule, TitleRule::FirstParagraph);
    EXPECT_EQ(ChooseTitle(LeadingBody{}, u"").title, u"");
    // A bare "Title" cell heads a column; its value is no document title.
    const auto columns = ChooseTitle(Body({Cell(T(u"ID"), 1, 1), Cell(T(u"Title"), 1, 2),
                                           Cell(T(u"1"), 2, 1), Cell(T(u"Test"), 2, 2)}),
                                     u"");
    EXPECT_NE(columns.rule, TitleRule::Label);
    EXPECT_NE(columns.title, u"Test");
}

// The property costs a part of its own: it is read once, and only for a tie.
TEST(FinderRules, ReadsTheTitlePropertyOnlyForATie) {
    int reads = 0;
    auto property = [&] {
        ++reads;
        return std::u16string(u"乙地块概况");
    };
    const LeadingBody tie = Body({F(u"关于甲地块", 16), F(u"乙地块概况", 16, true), F(u"丙", 16)});
    EXPECT_EQ(FindTitle(tie, u"", property), u"乙地块概况");
    EXPECT_EQ(reads, 1);
    // The callback stands in for the body's own property.
    EXPECT_EQ(FindTitle(Body({F(u"关于甲地块", 16), F(u"乙地块概况", 16, true)}, u"关于甲地块"),
                        u"", property),
              u"乙地块概况");
    reads = 0;
    EXPECT_EQ(
        FindTitle(Body({T(u"海州市人民政府文件"), F(u"码头作业规程", 22, true, true, kStiTitle)}),
                  u"", property),
        u"码头作业规程");
    EXPECT_EQ(reads, 0);
}

TEST(FinderRules, FallbackIsParagraphOnesVisibleText) {
    // Mode 0's text without its marks; nothing when it shows nothing but a picture.
    EXPECT_EQ(FindTitle(Body({T(u"正文第一句，没有标题。")}), u""), u"正文第一句，没有标题。");
    EXPECT_EQ(FindTitle(Body({T(u"\x08\x08 \x08"), T(u"正文第一句，没有标题。")}), u""), u"");
}

TEST(FinderRules, NoLineBreakCellMarkOrControlSurvives) {
    const std::vector<LeadingBody> bodies{
        Body({Cell(T(u"员工\v请假\a申请表"), 1, 1)}),
        Body({T(u"\x01\x13 HYPERLINK \x14关于\v调整作息的通知\x15")}),
        Body({T(u"Annual\vReport")}),
    };
    for (const LeadingBody& b : bodies) {
        const std::u16string t = FindTitle(b, u"");
        EXPECT_EQ(t.find_first_of(u"\r\v\a\x01\x13\x14\x15"), std::u16string::npos) << Utf8(t);
    }
    EXPECT_EQ(FindTitle(Body({T(u"Annual\vReport")}), u""), u"Annual Report");
    EXPECT_EQ(FindTitle(Body({T(u"关于\v调整作息的通知")}), u""), u"关于调整作息的通知");
}

// Whatever a damaged document's paragraphs hold, the finder ends and gives
// text of bounded length.
TEST(FinderRules, ArbitraryParagraphsNeverBreakIt) {
    std::mt19937 rng(11);
    const std::u16string alphabet =
        u"关于的通知：:〔〕[]0123456789 \v\a\r\x01\x13\x14\x15附件题目号文件年月日aZ.。，_（）";
    for (int round = 0; round < 300; ++round) {
        LeadingBody body;
        const int count = int(rng() % 12);
        size_t total = 0;
        for (int i = 0; i < count; ++i) {
            ParagraphFacts p;
            const int len = int(rng() % 30);
            for (int j = 0; j < len; ++j) p.text += alphabet[rng() % alphabet.size()];
            p.formatted = rng() % 2;
            p.maxHalfPoints = int(rng() % 100) - 10;
            p.mainHalfPoints = int(rng() % 100) - 10;
            p.styleId = int(rng() % 80) - 1;
            p.outlineLevel = int(rng() % 12) - 1;
            p.tableRow = int(rng() % 3);
            p.color = rng();
            total += p.text.size();
            body.paragraphs.push_back(std::move(p));
        }
        const pelmora::TitleChoice c = ChooseTitle(body, u"x.doc");
        EXPECT_LE(c.title.size(), total + 2);
        EXPECT_GE(c.first, 0);
        EXPECT_LE(c.first + c.count, std::max(1, count));
    }
}

}  // namespace
