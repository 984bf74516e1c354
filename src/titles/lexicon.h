#pragma once
// Every word list the title finder uses, named by the part the words play.
// Chinese words are matched in the compact text (no blanks); Latin words
// without regard to letter case, compact too unless the list says words.

#include <string_view>

namespace pelmora::lexicon {

using W = std::u16string_view;

// ---- What a title ends in: the kind of document ----

// Chinese document kinds: the 公文 kinds first (决定 命令 公报 公告 通告 意见
// 通知 通报 报告 请示 批复 议案 函 纪要), then rules, plans and the other
// papers an office writes; 书 covers 说明书, 任务书, 申请书, 承诺书.
inline constexpr W kKindEndingsZh[] = {
    u"决定", u"命令", u"公报", u"公告", u"通告", u"意见", u"通知", u"通报", u"报告", u"请示",
    u"批复", u"议案", u"函",   u"纪要", u"决议", u"办法", u"规定", u"细则", u"规则", u"规程",
    u"规范", u"规章", u"准则", u"章程", u"制度", u"守则", u"条例", u"方案", u"计划", u"规划",
    u"预案", u"总结", u"要点", u"纲要", u"大纲", u"合同", u"协议", u"书",   u"须知", u"指南",
    u"指引", u"手册", u"说明", u"表",   u"清单", u"名单", u"简报", u"讲话", u"研究", u"分析",
    u"探讨", u"综述", u"标准", u"公示", u"汇报", u"记录", u"简历", u"文件", u"文档", u"流程",
    u"倡议", u"声明", u"启事", u"公约", u"简介", u"概要"};
inline constexpr W kKindEndingsEn[] = {
    u"report",          u"plan",          u"proposal",       u"agreement",
    u"contract",        u"minutes",       u"policy",         u"policies",
    u"guidelines",      u"guide",         u"notice",         u"summary",
    u"review",          u"handbook",      u"manual",         u"requirements",
    u"procedure",       u"procedures",    u"strategy",       u"analysis",
    u"study",           u"survey",        u"announcement",   u"document",
    u"documentation",   u"specification", u"specifications", u"template",
    u"charter",         u"constitution",  u"bylaws",         u"agenda",
    u"schedule",        u"statement",     u"memorandum",     u"resume",
    u"curriculumvitae", u"regulations",   u"rules",          u"design",
    u"overview",        u"outline"};

// ---- Lines that are never the title ----

// Secrecy, urgency and distribution marks, with their periods: "机密★1年",
// "特急", "（公开）".
inline constexpr W kSecrecyMarks[] = {u"绝密", u"机密", u"秘密",     u"特急",    u"加急", u"平急",
                                      u"特提", u"急件", u"密级",     u"紧急",    u"公开", u"内部",
                                      u"非密", u"受控", u"内部资料", u"注意保存"};
// What may follow a mark in the same line: periods and stars.
inline constexpr W kMarkPeriodChars = u"★☆*·、年月日个天长期久";
// Marks written as a whole line.
inline constexpr W kWholeLineMarks[] = {u"draft",
                                        u"confidential",
                                        u"strictlyconfidential",
                                        u"privateandconfidential",
                                        u"urgent",
                                        u"internal",
                                        u"internaluseonly",
                                        u"forinternaluseonly",
                                        u"public",
                                        u"草稿",
                                        u"送审稿",
                                        u"征求意见稿",
                                        u"讨论稿",
                                        u"初稿",
                                        u"定稿"};
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
inline constexpr W kGenreLinesEn[] = {u"memorandum",
                                      u"memo",
                                      u"internalmemo",
                                      u"internalmemorandum",
                                      u"fax",
                                      u"facsimile",
                                      u"letter",
                                      u"bachelorthesis",
                                      u"bachelor'sthesis",
                                      u"bachelor’sthesis",
                                      u"masterthesis",
                                      u"master'sthesis",
                                      u"master’sthesis",
                                      u"doctoralthesis",
                                      u"phdthesis",
                                      u"dissertation",
                                      u"doctoraldissertation",
                                      u"finalyearproject",
                                      u"graduationproject",
                                      u"graduationthesis",
                                      u"seniorproject",
                                      u"capstoneproject",
                                      u"thesis",
                                      u"undergraduatethesis"};
inline constexpr W kGenreLinesZh[] = {u"备忘录", u"传真"};
// A thesis's or course paper's genre: "本科毕业论文", "课程设计".
inline constexpr W kAcademicGenreEndings[] = {u"论文", u"设计", u"论文开题报告"};
inline constexpr W kAcademicGenreWords[] = {u"毕业", u"学位", u"课程"};
// Salutations that open a letter.
inline constexpr W kSalutationStarts[] = {u"dear ", u"尊敬的"};
// Labels of field lines in Latin script ("To: …", "Prepared by: …").
inline constexpr W kFieldLabelsEn[] = {u"to",
                                       u"from",
                                       u"date",
                                       u"cc",
                                       u"bcc",
                                       u"attn",
                                       u"attention",
                                       u"ref",
                                       u"ref.",
                                       u"our ref",
                                       u"your ref",
                                       u"tel",
                                       u"phone",
                                       u"fax",
                                       u"email",
                                       u"e-mail",
                                       u"address",
                                       u"author",
                                       u"authors",
                                       u"prepared by",
                                       u"prepared for",
                                       u"version",
                                       u"status",
                                       u"contract no.",
                                       u"time",
                                       u"location",
                                       u"venue",
                                       u"place",
                                       u"attendees",
                                       u"present",
                                       u"absent",
                                       u"apologies",
                                       u"chair",
                                       u"chairperson",
                                       u"recorder",
                                       u"minutes taken by",
                                       u"meeting date",
                                       u"meeting time",
                                       u"project",
                                       u"project name",
                                       u"project manager",
                                       u"client",
                                       u"customer",
                                       u"owner",
                                       u"revision",
                                       u"document number",
                                       u"doc no.",
                                       u"website",
                                       u"mobile",
                                       u"tel.",
                                       u"name",
                                       u"course",
                                       u"instructor",
                                       u"supervisor",
                                       u"student",
                                       u"student id",
                                       u"submitted by",
                                       u"submitted to",
                                       u"team",
                                       u"team members",
                                       u"group",
                                       u"members",
                                       u"company"};
// "No. 12", "No: 12".
inline constexpr W kNumberLabelsEn[] = {u"no.", u"no:"};
// A document's own number: "合同编号：…".
inline constexpr W kNumberWordZh = u"编号";

// ---- Labels that name the title ----

// Chinese labels: one of these ends ("题目：X", "【论文题目】X"), alone or after
// one of the heads below ("中文题目：X", "毕业设计题目 X").
inline constexpr W kTitleLabelEndsZh[] = {u"题目", u"标题"};
inline constexpr W kTitleLabelHeadsZh[] = {
    u"中文", u"英文", u"外文", u"论文",     u"设计",     u"课题",     u"报告",     u"作品",
    u"文章", u"文档", u"文件", u"毕业论文", u"毕业设计", u"学位论文", u"讲座",     u"会议",
    u"演讲", u"课程", u"实验", u"研究",     u"项目",     u"选题",     u"论文中文", u"论文英文"};
// "X名称" names the title for these X; 项目 and 课题 name the project a
// form is about, not the document.
inline constexpr W kNameLabelHeadsZh[] = {u"论文", u"合同", u"报告", u"会议", u"文档",
                                          u"文件", u"作品", u"活动", u"方案", u"成果",
                                          u"课程", u"讲座", u"项目", u"课题"};
inline constexpr W kProjectLabelHeadsZh[] = {u"项目", u"课题"};
// Labels that are whole words of their own.
inline constexpr W kTitleLabelWordsZh[] = {u"会议主题", u"课题"};
// Latin labels, compact: "Title: X", "Meeting Title: X".
inline constexpr W kTitleLabelsEn[] = {u"thesistitle",   u"projecttitle",  u"papertitle",
                                       u"documenttitle", u"meetingtitle",  u"reporttitle",
                                       u"title",         u"nameofdocument"};
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
    u"ltd",         u"ltd.",       u"limited",   u"inc",         u"inc.",
    u"corporation", u"company",    u"co.",       u"llc",         u"plc",
    u"department",  u"university", u"college",   u"institute",   u"office",
    u"group",       u"school",     u"committee", u"council",     u"authority",
    u"agency",      u"commission", u"bureau",    u"association", u"foundation"};
// Latin organisation lines that name their kind first ("University of …").
inline constexpr W kOrgStartsEn[] = {u"university of", u"the university of", u"college of",
                                     u"school of",     u"faculty of",        u"department of",
                                     u"institute of",  u"ministry of",       u"office of",
                                     u"academy of",    u"bureau of",         u"the department of"};
// Latin words that make a short line an organisation wherever they stand.
inline constexpr W kOrgWordsEn[] = {u"university", u"institute", u"college", u"polytechnic",
                                    u"academy",    u"faculty",   u"ministry"};
// Abbreviations that end in a full stop without ending a sentence.
inline constexpr W kAbbreviationEndings[] = {u"inc.", u"ltd.", u"co."};

// ---- Section headings: never the title of the whole document ----

// Compact, without a trailing colon.
inline constexpr W kSectionHeadingsEn[] = {
    u"contents",        u"tableofcontents", u"abstract",   u"executivesummary",
    u"summary",         u"introduction",    u"conclusion", u"conclusions",
    u"references",      u"bibliography",    u"appendix",   u"acknowledgements",
    u"acknowledgments", u"preface",         u"foreword",   u"glossary",

    u"approvals",       u"keywords"};
inline constexpr W kSectionHeadingsZh[] = {u"目录",     u"目次", u"摘要", u"中文摘要", u"英文摘要",
                                           u"内容摘要", u"前言", u"引言", u"序言",     u"结论",
                                           u"参考文献", u"致谢", u"附录", u"关键词",   u"目錄"};
// A table of contents' own heading.
inline constexpr W kContentsHeadings[] = {u"contents", u"tableofcontents", u"目录", u"目次",
                                          u"目錄"};
// Style names of table-of-contents lines, before their level: Word's "toc 1",
// "目录 1", LibreOffice's "Contents 1".
inline constexpr W kContentsStyles[] = {u"toc ", u"目录 ", u"contents "};
// A résumé's sections.
inline constexpr W kCvSectionsEn[] = {u"workexperience",
                                      u"experience",
                                      u"professionalexperience",
                                      u"employmenthistory",
                                      u"workhistory",
                                      u"education",
                                      u"educationalbackground",
                                      u"skills",
                                      u"technicalskills",
                                      u"objective",
                                      u"careerobjective",
                                      u"profile",
                                      u"personalprofile",
                                      u"professionalsummary",
                                      u"certifications",
                                      u"projects",
                                      u"awards",
                                      u"languages",
                                      u"interests",
                                      u"hobbies",
                                      u"personalinformation",
                                      u"personaldetails",
                                      u"publications",
                                      u"achievements",
                                      u"contact",
                                      u"contactinformation",
                                      u"qualifications",
                                      u"activities"};
inline constexpr W kCvSectionsZh[] = {
    u"工作经历", u"工作经验", u"教育背景", u"教育经历", u"个人技能", u"专业技能",
    u"求职意向", u"自我评价", u"个人信息", u"基本信息", u"项目经验", u"项目经历",
    u"获奖情况", u"荣誉奖项", u"兴趣爱好", u"联系方式", u"实习经历", u"校园经历",
    u"技能特长", u"个人评价", u"工作技能", u"证书",     u"语言能力"};
// List items: Word's styles for them.
inline constexpr W kListStyles[] = {u"List Paragraph", u"列出段落", u"List Number", u"List Bullet",
                                    u"列表段落"};

// ---- Placeholders: a template's stand-ins for the title ----

// Compact, no case: the whole line.
inline constexpr W kPlaceholderLines[] = {
    u"title",      u"documenttitle", u"yourtitle",    u"yourpaper'stitle", u"yourpaper’stitle",
    u"papertitle", u"projectname",   u"insertitle",   u"inserttitlehere",  u"titlehere",
    u"标题",       u"请输入标题",    u"在此输入标题", u"论文题目",         u"论文标题",
    u"题目",       u"文档标题",      u"项目名称",     u"单击此处输入标题", u"此处输入标题"};
// Characters that only stand in for text: "XXXX", "××××", "ⅩⅩⅩ", "____".
inline constexpr W kPlaceholderChars = u"Xx×ⅩＸｘ*＊_＿?？○〇□";

// ---- Function words: a line ending in one goes on in the next ----

inline constexpr W kContinuationWordsEn[] = {
    u"of", u"the", u"for", u"and", u"from", u"to",    u"in",   u"on",  u"with",   u"a",
    u"an", u"by",  u"at",  u"or",  u"its",  u"their", u"into", u"via", u"versus", u"vs."};
inline constexpr W kContinuationEndsZh = u"的和与及暨、—-－·";

// ---- People ----

// Chinese family names, the common ones: a line of a family name and one
// or two more characters is a person's name.
inline constexpr W kFamilyNamesZh =
    u"王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程"
    u"苏魏吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺顾毛郝"
    u"龚邵万钱严覃武戴莫孔向汤";

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
