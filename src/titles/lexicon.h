#pragma once
// Every word list the title finder uses, named by the part the words play.
// Chinese words are matched in the compact text (no blanks); Latin words
// without regard to letter case, compact too unless the list says words.

#include <string_view>

namespace pelmora::lexicon {

using W = std::u16string_view;

// ---- What a title ends in: the kind of document ----

// Chinese document kinds: the 公文 kinds and the other papers offices write.
inline constexpr W kKindEndingsZh[] = {
    u"通知", u"通报", u"决定", u"决议", u"意见", u"办法", u"规定", u"细则", u"方案",
    u"计划", u"规划", u"报告", u"总结", u"请示", u"批复", u"函",   u"纪要", u"公告",
    u"通告", u"合同", u"协议", u"书",   u"章程", u"制度", u"守则", u"须知", u"指南",
    u"说明", u"表",   u"简报", u"讲话", u"研究", u"分析", u"探讨", u"综述", u"标准",
    u"条例", u"要点", u"清单", u"公示", u"汇报", u"大纲", u"手册"};
inline constexpr W kKindEndingsEn[] = {
    u"report",   u"plan",       u"proposal",     u"agreement",   u"contract",   u"minutes",
    u"policy",   u"guidelines", u"guide",        u"notice",      u"summary",    u"review",
    u"handbook", u"manual",     u"requirements", u"procedure",   u"procedures", u"strategy",
    u"analysis", u"study",      u"survey",       u"announcement"};

// ---- Lines that are never the title ----

// Secrecy and urgency marks, with their periods: "机密★1年", "特急".
inline constexpr W kSecrecyMarks[] = {u"绝密", u"机密", u"秘密", u"特急", u"加急",
                                      u"平急", u"特提", u"急件", u"密级", u"紧急"};
// What may follow a mark in the same line: periods and stars.
inline constexpr W kMarkPeriodChars = u"★☆*·、年月日个天长期久";
// Marks written as a whole line.
inline constexpr W kWholeLineMarks[] = {
    u"draft", u"confidential", u"strictlyconfidential", u"privateandconfidential", u"urgent",
    u"草稿",  u"送审稿"};
// Characters a typed rule is drawn with.
inline constexpr W kRuleChars = u"-_=~*.·•…—–─━＿～＝－★☆";
// Attachment labels: "附件1", "附表：".
inline constexpr W kAttachmentWords[] = {u"附件", u"附表", u"附录", u"附图"};
// Letterheads end in 文件; a standard's cover names its kind of standard.
inline constexpr W kStandardKinds[] = {u"行业标准", u"国家标准", u"地方标准", u"团体标准",
                                       u"企业标准"};
inline constexpr W kMonthNames[] = {u"jan", u"feb", u"mar", u"apr", u"may", u"jun",
                                    u"jul", u"aug", u"sep", u"oct", u"nov", u"dec"};
// Lines that say what the document is, not what it is called.
inline constexpr W kGenreLinesEn[] = {
    u"memorandum", u"memo",      u"internalmemo", u"internalmemorandum",
    u"fax",        u"facsimile", u"letter"};
inline constexpr W kGenreLinesZh[] = {u"备忘录", u"传真"};
// A thesis's or course paper's genre: "本科毕业论文", "课程设计".
inline constexpr W kAcademicGenreEndings[] = {u"论文", u"设计", u"论文开题报告"};
inline constexpr W kAcademicGenreWords[] = {u"毕业", u"学位", u"课程"};
// Salutations that open a letter.
inline constexpr W kSalutationStarts[] = {u"dear ", u"尊敬的"};
// Labels of field lines in Latin script ("To: …", "Prepared by: …").
inline constexpr W kFieldLabelsEn[] = {
    u"to",        u"from",        u"date",         u"cc",      u"bcc",      u"attn",
    u"attention", u"ref",         u"ref.",         u"our ref", u"your ref", u"tel",
    u"phone",     u"fax",         u"email",        u"e-mail",  u"address",  u"author",
    u"authors",   u"prepared by", u"prepared for", u"version", u"status",   u"contract no."};
// "No. 12", "No: 12".
inline constexpr W kNumberLabelsEn[] = {u"no.", u"no:"};
// A document's own number: "合同编号：…".
inline constexpr W kNumberWordZh = u"编号";

// ---- Labels that name the title ----

// "题目：X", "项目名称：X", "Title: X". Longer labels first.
inline constexpr W kTitleLabels[] = {u"毕业论文题目", u"毕业设计题目", u"论文题目", u"设计题目",
                                     u"课题名称",     u"课题题目",     u"项目名称", u"论文名称",
                                     u"合同名称",     u"报告名称",     u"题目",     u"标题",
                                     u"thesistitle",  u"projecttitle", u"title",    u"课题"};
// A memo's or letter's subject line.
inline constexpr W kSubjectLabels[] = {u"subject", u"subj", u"re", u"主题", u"事由", u"主旨"};

// ---- Lines that are seldom the title ----

// Organisation and department lines: on covers, above letters, beside dates.
inline constexpr W kOrgEndingsZh[] = {
    u"公司",   u"集团",   u"大学",   u"学院",   u"学校", u"中学", u"小学", u"政府",
    u"委员会", u"办公室", u"办公厅", u"局",     u"厅",   u"处",   u"科",   u"部",
    u"中心",   u"研究院", u"研究所", u"医院",   u"银行", u"协会", u"学会", u"党委",
    u"工会",   u"法院",   u"检察院", u"事务所", u"支部", u"分院"};
inline constexpr W kOrgEndingsEn[] = {
    u"ltd",    u"ltd.",  u"limited", u"inc",        u"inc.",       u"corporation", u"company",
    u"co.",    u"llc",   u"plc",     u"department", u"university", u"college",     u"institute",
    u"office", u"group", u"school",  u"committee",  u"council"};
// Abbreviations that end in a full stop without ending a sentence.
inline constexpr W kAbbreviationEndings[] = {u"inc.", u"ltd.", u"co."};

// ---- Title styles ----

inline constexpr W kTitleStyleNames[] = {u"Title", u"title", u"标题"};

// ---- Characters ----

// Sentence ends: a line ending in one is running text.
inline constexpr W kSentenceEnds = u"。！？；!?;，,";
// Chinese section numbers: "第一章", "第3节".
inline constexpr W kSectionUnits = u"章节条部篇";
// What follows a heading's number: "1.", "一、", "1)".
inline constexpr W kNumberSeparators = u".、．) \t\u3000";
// Brackets of a year in a document number: 〔2024〕 [2024] （2024）.
inline constexpr W kYearOpen = u"〔[［(（【";
inline constexpr W kYearClose = u"〕]］)）】";
// What a date may hold besides digits and numerals.
inline constexpr W kDateChars = u"年月日号-./／．";

}  // namespace pelmora::lexicon
