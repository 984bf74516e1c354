#include "titles/titlefinder.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace pelmora {

namespace {

using word::ParagraphFacts;

// ---------------------------------------------------------------------------
// Characters

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == 0x00A0 || c == 0x3000 || (c >= 0x2000 && c <= 0x200B) ||
           c == 0xFEFF;
}

bool IsAsciiAlnum(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsDigit(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= 0xFF10 && c <= 0xFF19); }

bool IsChineseNumeral(char16_t c) {
    return std::u16string_view(u"〇零一二三四五六七八九十百两").find(c) !=
           std::u16string_view::npos;
}

bool IsColon(char16_t c) { return c == u':' || c == 0xFF1A; }

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

bool StartsWith(std::u16string_view s, std::u16string_view prefix) {
    return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::u16string_view s, std::u16string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool StartsWithNoCase(std::u16string_view s, std::u16string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(s[i]) != Lower(prefix[i])) return false;
    }
    return true;
}

bool EndsWithNoCase(std::u16string_view s, std::u16string_view suffix) {
    return s.size() >= suffix.size() &&
           StartsWithNoCase(s.substr(s.size() - suffix.size()), suffix);
}

template <size_t N>
bool EndsWithAny(std::u16string_view s, const std::array<std::u16string_view, N>& list) {
    return std::any_of(list.begin(), list.end(),
                       [&](std::u16string_view w) { return EndsWith(s, w); });
}

template <size_t N>
bool StartsWithAny(std::u16string_view s, const std::array<std::u16string_view, N>& list) {
    return std::any_of(list.begin(), list.end(),
                       [&](std::u16string_view w) { return StartsWith(s, w); });
}

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

size_t WordCount(std::u16string_view t) {
    size_t words = 0;
    bool in = false;
    for (char16_t c : t) {
        const bool blank = IsBlank(c);
        if (!blank && !in) ++words;
        in = !blank;
    }
    return words;
}

bool IsMostlyLatin(std::u16string_view k) {
    const size_t latin =
        size_t(std::count_if(k.begin(), k.end(), [](char16_t c) { return c < 0x2E80; }));
    return latin * 2 > k.size();
}

// The visible text of a paragraph: paragraph and cell marks, field marks,
// picture anchors and other control characters go; a manual line break
// joins its two lines (with a blank between Latin words only).
std::u16string Visible(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\v' || c == u'\n') {
            const char16_t before = out.empty() ? 0 : out.back();
            const char16_t after = i + 1 < text.size() ? text[i + 1] : 0;
            if (IsAsciiAlnum(before) && IsAsciiAlnum(after)) out += u' ';
        } else if (c == u'\t') {
            out += u' ';
        } else if (c == 0x1E) {
            out += u'-';  // non-breaking hyphen
        } else if (c < 0x20 || c == 0xFFFC || c == 0xFFFD) {
            // 0x01 picture, 0x08 drawn object, 0x13-0x15 field marks, CR, cell mark
        } else {
            out += c;
        }
    }
    return std::u16string(Trim(out));
}

// The text without any blank: what FormatTitleText keeps, and what the
// patterns below look at.
std::u16string Compact(std::u16string_view text) {
    std::u16string out;
    for (char16_t c : text) {
        if (!IsBlank(c)) out += c;
    }
    return out;
}

// A trailing bracketed remark ("（试行）", "(Draft)") does not change what a
// line is.
std::u16string_view WithoutTrailingRemark(std::u16string_view k) {
    if (k.empty() || (k.back() != u')' && k.back() != 0xFF09)) return k;
    const size_t open = k.find_last_of(u"(（");
    if (open == std::u16string_view::npos || open == 0) return k;
    return k.substr(0, open);
}

// ---------------------------------------------------------------------------
// Lines that are never the title. Each test takes the compact text k (no
// blanks) or the visible text t.

enum class Kind {
    Candidate,
    Empty,       // nothing visible: blank line, picture, logo, object
    Rule,        // a drawn rule typed as characters ("────", "＿＿＿")
    Letterhead,  // "XX市人民政府文件", or red and big
    DocNumber,   // "X政发〔2024〕12号", "第3号"
    Attachment,  // "附件1", "附件：", "附表2"
    Mark,        // secrecy and urgency: "机密★1年", "特急"
    CopyNumber,  // "000123", "份号：000123"
    Date,        // "2024年3月5日", "二〇二四年三月", "5 March 2024"
    Genre,       // "MEMORANDUM", "本科毕业论文": says what the document is, not its title
    Salutation,  // "各区县人民政府：", "Dear Ms Chen,"
    Field,       // "合同编号：…", "编制单位：…", "To: …", "No. 12"
};

bool IsRule(std::u16string_view k) {
    return std::all_of(k.begin(), k.end(), [](char16_t c) {
        return std::u16string_view(u"-_=~*.·•…—–─━＿～＝－★☆").find(c) != std::u16string_view::npos;
    });
}

bool IsMark(std::u16string_view k) {
    static constexpr std::array<std::u16string_view, 10> kMarks{
        u"绝密", u"机密", u"秘密", u"特急", u"加急", u"平急", u"特提", u"急件", u"密级", u"紧急"};
    // Only marks and their periods: "机密★1年", "密级：秘密", "特急". A title
    // such as "紧急通知" holds other words.
    if (k.size() <= 16 && StartsWithAny(k, kMarks)) {
        std::u16string_view rest = k;
        while (!rest.empty()) {
            const auto mark =
                std::find_if(kMarks.begin(), kMarks.end(),
                             [&](std::u16string_view m) { return StartsWith(rest, m); });
            if (mark != kMarks.end()) {
                rest.remove_prefix(mark->size());
            } else if (IsDigit(rest[0]) || IsChineseNumeral(rest[0]) || IsColon(rest[0]) ||
                       std::u16string_view(u"★☆*·、年月日个天长期久").find(rest[0]) !=
                           std::u16string_view::npos) {
                rest.remove_prefix(1);
            } else {
                return false;
            }
        }
        return true;
    }
    static constexpr std::array<std::u16string_view, 7> kLatin{
        u"draft", u"confidential", u"strictlyconfidential", u"privateandconfidential", u"urgent",
        u"草稿",  u"送审稿"};
    return std::any_of(kLatin.begin(), kLatin.end(), [&](std::u16string_view w) {
        return k.size() == w.size() && StartsWithNoCase(k, w);
    });
}

bool IsCopyNumber(std::u16string_view k) {
    if (StartsWith(k, u"份号")) return true;
    return k.size() >= 3 && k.size() <= 12 && std::all_of(k.begin(), k.end(), IsDigit);
}

// A year in brackets, as document numbers write it: 〔2024〕 [2024] （2024）.
bool HasBracketedYear(std::u16string_view k) {
    for (size_t i = 0; i + 5 < k.size(); ++i) {
        if (std::u16string_view(u"〔[［(（【").find(k[i]) == std::u16string_view::npos) continue;
        if (!std::all_of(k.begin() + i + 1, k.begin() + i + 5, IsDigit)) continue;
        if (std::u16string_view(u"〕]］)）】").find(k[i + 5]) != std::u16string_view::npos)
            return true;
    }
    return false;
}

bool IsDocNumber(std::u16string_view k) {
    if (k.size() <= 40 && HasBracketedYear(k) && (EndsWith(k, u"号") || k.size() <= 20))
        return true;
    return k.size() <= 14 && StartsWith(k, u"第") && EndsWith(k, u"号");
}

bool IsAttachment(std::u16string_view k) {
    static constexpr std::array<std::u16string_view, 4> kWords{u"附件", u"附表", u"附录", u"附图"};
    if (!StartsWithAny(k, kWords)) return false;
    const std::u16string_view rest = k.substr(2);
    if (!rest.empty() && IsColon(rest.front())) return true;  // also "附件：1.XX" lists
    return rest.size() <= 4 && std::all_of(rest.begin(), rest.end(), [](char16_t c) {
               return IsAsciiAlnum(c) || IsDigit(c) || IsChineseNumeral(c) || IsColon(c) ||
                      std::u16string_view(u"-.、．").find(c) != std::u16string_view::npos;
           });
}

// "XX市人民政府文件"; a standard's "中华人民共和国国家标准" plays the same part.
bool IsLetterheadText(std::u16string_view k) {
    if (k.size() < 4 || k.size() > 24) return false;
    if (EndsWith(k, u"文件")) return true;
    return EndsWith(k, u"标准") && (StartsWith(k, u"中华人民共和国") || EndsWith(k, u"行业标准") ||
                                    EndsWith(k, u"国家标准") || EndsWith(k, u"地方标准") ||
                                    EndsWith(k, u"团体标准") || EndsWith(k, u"企业标准"));
}

// Classification and standard numbers: "ICS 27.120.99", "F69", "GB/T 1.1—2020".
// Upper-case letters in words of at most three, digits and punctuation.
bool IsCodeLine(std::u16string_view t, std::u16string_view k) {
    if (k.empty() || k.size() > 30) return false;
    // "NB/T XXXXX—XXXX": a standard's number with placeholders.
    size_t caps = 0;
    while (caps < k.size() && k[caps] >= u'A' && k[caps] <= u'Z') ++caps;
    // "NB", "GB" alone: the big letters of a standard's cover.
    if (caps >= 1 && caps <= 4 && caps == k.size()) return true;
    if (caps >= 1 && caps <= 4 && caps < k.size() && k[caps] == u'/' &&
        std::none_of(k.begin(), k.end(),
                     [](char16_t c) { return c >= 0x2E80 && c != 0x2014 && c != 0xFF0D; }))
        return true;
    if (!std::any_of(k.begin(), k.end(), IsDigit)) return false;
    size_t run = 0;
    for (char16_t c : t) {
        if (c >= 0x2E80 || (c >= u'a' && c <= u'z')) return false;
        run = (c >= u'A' && c <= u'Z') ? run + 1 : 0;
        if (run > 3) return false;
    }
    return true;
}

bool IsMonthName(std::u16string_view word) {
    static constexpr std::array<std::u16string_view, 12> kMonths{u"jan", u"feb", u"mar", u"apr",
                                                                 u"may", u"jun", u"jul", u"aug",
                                                                 u"sep", u"oct", u"nov", u"dec"};
    return word.size() >= 3 &&
           std::any_of(kMonths.begin(), kMonths.end(),
                       [&](std::u16string_view m) { return StartsWithNoCase(word, m); });
}

bool IsDate(std::u16string_view t) {
    // "（2023年3月）" is a date too.
    if (t.size() >= 2 && (t.front() == u'(' || t.front() == 0xFF08) &&
        (t.back() == u')' || t.back() == 0xFF09))
        t = Trim(t.substr(1, t.size() - 2));
    const std::u16string k = Compact(t);
    if (k.empty() || k.size() > 24) return false;
    // Chinese and numeric dates: only digits, numerals, 年月日号 and separators.
    bool chinese = true;
    int digits = 0;
    for (char16_t c : k) {
        if (IsDigit(c) || IsChineseNumeral(c)) {
            ++digits;
        } else if (std::u16string_view(u"年月日号-./／．").find(c) == std::u16string_view::npos) {
            chinese = false;
            break;
        }
    }
    if (chinese && digits >= 3 && (k.find_first_of(u"年月-./／．") != std::u16string::npos))
        return true;
    // "5 March 2024", "March 5, 2024": a month name, digits, commas.
    bool month = false;
    size_t i = 0;
    while (i < t.size()) {
        if (IsBlank(t[i]) || t[i] == u',' || t[i] == u'.') {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < t.size() && !IsBlank(t[j]) && t[j] != u',' && t[j] != u'.') ++j;
        const std::u16string_view word = t.substr(i, j - i);
        if (IsMonthName(word) && !month) {
            month = true;
        } else if (!std::all_of(word.begin(), word.end(), IsDigit) &&
                   !(word.size() == 4 && IsDigit(word[0]) && IsDigit(word[1]) &&
                     (EndsWith(word, u"st") || EndsWith(word, u"nd") || EndsWith(word, u"rd") ||
                      EndsWith(word, u"th")))) {
            return false;
        }
        i = j;
    }
    return month;
}

bool IsGenre(std::u16string_view k) {
    static constexpr std::array<std::u16string_view, 7> kLatin{
        u"memorandum", u"memo",      u"internalmemo", u"internalmemorandum",
        u"fax",        u"facsimile", u"letter"};
    for (std::u16string_view w : kLatin) {
        if (k.size() == w.size() && StartsWithNoCase(k, w)) return true;
    }
    if (k == u"备忘录" || k == u"传真") return true;
    const std::u16string_view core = WithoutTrailingRemark(k);
    const bool paper =
        EndsWith(core, u"论文") || EndsWith(core, u"设计") || EndsWith(core, u"论文开题报告");
    const bool academic = core.find(u"毕业") != std::u16string_view::npos ||
                          core.find(u"学位") != std::u16string_view::npos ||
                          core.find(u"课程") != std::u16string_view::npos;
    return paper && academic && core.size() <= 14;
}

bool IsSalutation(std::u16string_view t, std::u16string_view k) {
    if (StartsWithNoCase(t, u"dear ") || StartsWith(t, u"尊敬的")) return true;
    return !k.empty() && IsColon(k.back()) && !IsMostlyLatin(k) && k.size() <= 40;
}

bool IsField(std::u16string_view t, std::u16string_view k) {
    if ((StartsWithNoCase(k, u"no.") || StartsWithNoCase(k, u"no:")) && k.size() > 3 &&
        IsDigit(k[3]))
        return true;
    // "合同编号：…", "项目编号HT-01"; not "关于统一产品编号规则的通知".
    const size_t number = k.find(u"编号");
    if (number != std::u16string_view::npos && number <= 6 && number + 2 < k.size() &&
        (IsColon(k[number + 2]) || IsAsciiAlnum(k[number + 2])))
        return true;
    const size_t colon = t.find_first_of(u":：");
    if (colon == std::u16string_view::npos || colon == 0) return false;
    const std::u16string_view label = Trim(t.substr(0, colon));
    if (label.empty()) return false;
    const bool chinese = std::all_of(label.begin(), label.end(),
                                     [](char16_t c) { return c >= 0x2E80 || IsBlank(c); });
    if (chinese) return Compact(label).size() <= 8;
    static constexpr std::array<std::u16string_view, 24> kLatin{
        u"to",        u"from",        u"date",         u"cc",      u"bcc",      u"attn",
        u"attention", u"ref",         u"ref.",         u"our ref", u"your ref", u"tel",
        u"phone",     u"fax",         u"email",        u"e-mail",  u"address",  u"author",
        u"authors",   u"prepared by", u"prepared for", u"version", u"status",   u"contract no."};
    return std::any_of(kLatin.begin(), kLatin.end(), [&](std::u16string_view w) {
        return label.size() == w.size() && StartsWithNoCase(label, w);
    });
}

bool IsRed(uint32_t color) {
    if (color == word::kAutoColor) return false;
    const int r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
    return r >= 0xB0 && g <= 0x60 && b <= 0x60;
}

// ---------------------------------------------------------------------------
// Text signals of candidates

// What titles end in: the kind of document ("通知", "合同", "Report").
bool HasTitleEnding(std::u16string_view k) {
    static constexpr std::array<std::u16string_view, 43> kChinese{
        u"通知", u"通报", u"决定", u"决议", u"意见", u"办法", u"规定", u"细则", u"方案",
        u"计划", u"规划", u"报告", u"总结", u"请示", u"批复", u"函",   u"纪要", u"公告",
        u"通告", u"合同", u"协议", u"书",   u"章程", u"制度", u"守则", u"须知", u"指南",
        u"说明", u"表",   u"简报", u"讲话", u"研究", u"分析", u"探讨", u"综述", u"标准",
        u"条例", u"要点", u"清单", u"公示", u"汇报", u"大纲", u"手册"};
    static constexpr std::array<std::u16string_view, 22> kLatin{
        u"report",   u"plan",       u"proposal",     u"agreement",   u"contract",   u"minutes",
        u"policy",   u"guidelines", u"guide",        u"notice",      u"summary",    u"review",
        u"handbook", u"manual",     u"requirements", u"procedure",   u"procedures", u"strategy",
        u"analysis", u"study",      u"survey",       u"announcement"};
    const std::u16string_view core = WithoutTrailingRemark(k);
    if (EndsWithAny(core, kChinese)) return true;
    return std::any_of(kLatin.begin(), kLatin.end(),
                       [&](std::u16string_view w) { return EndsWithNoCase(core, w); });
}

// Organisation and department lines: on covers, above letters, beside dates.
bool IsOrgLine(std::u16string_view t, std::u16string_view k) {
    static constexpr std::array<std::u16string_view, 30> kChinese{
        u"公司",   u"集团",   u"大学",   u"学院",   u"学校", u"中学", u"小学", u"政府",
        u"委员会", u"办公室", u"办公厅", u"局",     u"厅",   u"处",   u"科",   u"部",
        u"中心",   u"研究院", u"研究所", u"医院",   u"银行", u"协会", u"学会", u"党委",
        u"工会",   u"法院",   u"检察院", u"事务所", u"支部", u"分院"};
    static constexpr std::array<std::u16string_view, 19> kLatin{
        u"ltd",    u"ltd.",  u"limited", u"inc",        u"inc.",       u"corporation", u"company",
        u"co.",    u"llc",   u"plc",     u"department", u"university", u"college",     u"institute",
        u"office", u"group", u"school",  u"committee",  u"council"};
    if (k.size() > 24) return false;
    if (EndsWithAny(k, kChinese)) return true;
    return t.size() <= 48 && std::any_of(kLatin.begin(), kLatin.end(), [&](std::u16string_view w) {
               return EndsWithNoCase(t, w);
           });
}

// "第一章 总则", "一、", "（一）", "1 项目概述", "1.1": a section of the
// document, not its title. A leading year ("2024 Annual Report") is no number.
bool IsNumberedHeading(std::u16string_view t) {
    if (t.empty()) return false;
    if (StartsWith(t, u"第")) {
        size_t i = 1;
        while (i < t.size() && (IsDigit(t[i]) || IsChineseNumeral(t[i]))) ++i;
        return i > 1 && i < t.size() &&
               std::u16string_view(u"章节条部篇").find(t[i]) != std::u16string_view::npos;
    }
    if (t[0] == u'(' || t[0] == 0xFF08) {
        return t.size() >= 3 && (IsDigit(t[1]) || IsChineseNumeral(t[1])) &&
               (t[2] == u')' || t[2] == 0xFF09);
    }
    size_t i = 0;
    while (i < t.size() && (IsDigit(t[i]) || IsChineseNumeral(t[i]))) ++i;
    if (i == 0 || i > 2 || i >= t.size()) return false;
    return std::u16string_view(u".、．) \t\u3000").find(t[i]) != std::u16string_view::npos;
}

// Running text rather than a heading. Latin titles run longer than Chinese
// ones, so they are measured in words.
bool IsBodyLike(std::u16string_view t, std::u16string_view k) {
    if (k.empty()) return false;
    const bool latin = IsMostlyLatin(k);
    if (latin ? (WordCount(t) > 20 || t.size() > 160) : k.size() > 60) return true;
    const char16_t last = k.back();
    if (std::u16string_view(u"。！？；!?;，,").find(last) != std::u16string_view::npos) return true;
    if (last == u'.' && t.size() > 30 && !EndsWithNoCase(t, u"inc.") &&
        !EndsWithNoCase(t, u"ltd.") && !EndsWithNoCase(t, u"co."))
        return true;
    // "These are a few of my favourite things:" leads into a list.
    if (latin && IsColon(last) && WordCount(t) > 3) return true;
    return !latin && k.size() > 40 && k.find(0xFF0C) != std::u16string_view::npos;
}

// The size most of a paragraph's characters have: one big initial or symbol
// does not make a heading.
int SizeOf(const ParagraphFacts& p) {
    return p.mainHalfPoints > 0 ? p.mainHalfPoints : p.maxHalfPoints;
}

bool IsTitleStyle(const ParagraphFacts& p) {
    return p.styleId == word::kStiTitle || p.styleName == u"Title" || p.styleName == u"title" ||
           p.styleName == u"标题";
}

bool IsHeadingStyle(const ParagraphFacts& p, int maxLevel) {
    if (p.styleId >= word::kStiHeading1 && p.styleId <= word::kStiHeading1 + maxLevel - 1)
        return true;
    return p.outlineLevel >= 0 && p.outlineLevel < maxLevel;
}

// ---------------------------------------------------------------------------

struct Line {
    std::u16string text;     // visible text
    std::u16string compact;  // without blanks
    Kind kind = Kind::Candidate;
};

Kind Classify(const ParagraphFacts& p, const std::u16string& t, const std::u16string& k,
              int bodySize) {
    if (k.empty()) return Kind::Empty;
    if (IsRule(k)) return Kind::Rule;
    if (IsMark(k)) return Kind::Mark;
    if (IsCopyNumber(k)) return Kind::CopyNumber;
    if (IsDocNumber(k) || IsCodeLine(t, k)) return Kind::DocNumber;
    // "代替 GB/T 1.1—2009": the standard this one replaces.
    if (StartsWith(k, u"代替") && IsCodeLine(k.substr(2), k.substr(2))) return Kind::DocNumber;
    if (IsAttachment(k)) return Kind::Attachment;
    if (IsLetterheadText(k)) return Kind::Letterhead;
    if (p.formatted && IsRed(p.color) && SizeOf(p) >= std::max(36, bodySize + 8))
        return Kind::Letterhead;
    if (IsDate(t)) return Kind::Date;
    if (IsGenre(k)) return Kind::Genre;
    if (IsSalutation(t, k)) return Kind::Salutation;
    // "摘要：本文……。" is running text behind a label, not a field line.
    if (IsField(t, k) && !IsBodyLike(t, k)) return Kind::Field;
    return Kind::Candidate;
}

// The font size most of the formatted text has: what "bigger" is measured by.
int BodySize(const std::vector<ParagraphFacts>& paragraphs, const std::vector<Line>& lines) {
    std::map<int, size_t> weight;
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        const ParagraphFacts& p = paragraphs[i];
        if (p.formatted && p.mainHalfPoints > 0)
            weight[p.mainHalfPoints] += lines[i].compact.size();
    }
    int best = 0;
    size_t bestWeight = 0;
    for (const auto& [size, w] : weight) {
        if (w > bestWeight) {
            best = size;
            bestWeight = w;
        }
    }
    return best;
}

// "题目：X", "论文题目：X", "项目名称：X", "Title: X". Returns the label's length
// in the compact text (colon included) or 0.
size_t LabelLength(std::u16string_view k) {
    static constexpr std::array<std::u16string_view, 16> kLabels{
        u"毕业论文题目", u"毕业设计题目", u"论文题目", u"设计题目", u"课题名称", u"课题题目",
        u"项目名称",     u"论文名称",     u"合同名称", u"报告名称", u"题目",     u"标题",
        u"thesistitle",  u"projecttitle", u"title",    u"课题"};
    for (std::u16string_view label : kLabels) {
        if (!StartsWithNoCase(k, label)) continue;
        // A bare Chinese label (a table cell): the value follows in the next
        // paragraph. A bare "Title" is more often a column heading.
        if (k.size() == label.size()) {
            if (label[0] >= 0x2E80) return label.size();
            continue;
        }
        if (IsColon(k[label.size()])) return label.size() + 1;
    }
    return 0;
}

// The visible text after the label, without the underscores covers draw
// the field with.
std::u16string ValueAfterLabel(const std::u16string& t, size_t labelLength) {
    size_t seen = 0, i = 0;
    while (i < t.size() && seen < labelLength) {
        if (!IsBlank(t[i])) ++seen;
        ++i;
    }
    std::u16string value;
    for (; i < t.size(); ++i) {
        if (t[i] != u'_' && t[i] != 0xFF3F) value += t[i];
    }
    return std::u16string(Trim(value));
}

bool IsSubjectLine(std::u16string_view k, size_t& labelLength) {
    static constexpr std::array<std::u16string_view, 6> kLabels{u"subject", u"subj", u"re",
                                                                u"主题",    u"事由", u"主旨"};
    for (std::u16string_view label : kLabels) {
        if (StartsWithNoCase(k, label) && k.size() > label.size() && IsColon(k[label.size()])) {
            labelLength = label.size() + 1;
            return true;
        }
    }
    return false;
}

bool SameLook(const ParagraphFacts& a, const ParagraphFacts& b) {
    return a.formatted && b.formatted && a.styleId == b.styleId &&
           a.mainHalfPoints == b.mainHalfPoints && a.centered == b.centered && a.bold == b.bold &&
           a.tableRow == b.tableRow && a.tableCell == b.tableCell;
}

bool Matches(std::u16string_view candidate, std::u16string_view other) {
    // Titles are short; long texts are no match and would cost a quadratic search.
    if (candidate.size() < 2 || other.size() < 2 || candidate.size() > 200 || other.size() > 200)
        return false;
    return candidate.find(other) != std::u16string_view::npos ||
           other.find(candidate) != std::u16string_view::npos;
}

std::u16string Join(std::u16string a, std::u16string_view b) {
    if (!a.empty() && !b.empty() && IsAsciiAlnum(a.back()) && IsAsciiAlnum(b.front())) a += u' ';
    a += b;
    return a;
}

std::u16string FileStem(std::u16string_view fileName) {
    const size_t slash = fileName.find_last_of(u"/\\");
    if (slash != std::u16string_view::npos) fileName.remove_prefix(slash + 1);
    const size_t dot = fileName.rfind(u'.');
    if (dot != std::u16string_view::npos && dot > 0) fileName = fileName.substr(0, dot);
    return Compact(fileName);
}

// How many lines from `first` make one title, with their joined text in
// `text`: the following lines that look the same (formatted), or that finish
// a "关于…" title with its kind (text only).
int JoinedLines(const std::vector<ParagraphFacts>& ps, const std::vector<Line>& lines, size_t first,
                int bodySize, std::u16string& text) {
    int count = 1;
    for (size_t j = first + 1; j < ps.size() && j <= first + 2; ++j) {
        const Line& next = lines[j];
        const ParagraphFacts& cur = ps[j - 1];
        if (next.kind != Kind::Candidate || IsBodyLike(next.text, next.compact) ||
            IsNumberedHeading(next.text) || IsOrgLine(next.text, next.compact) ||
            next.compact.size() > 40)
            break;
        const std::u16string sofar = Compact(text);
        if (IsBodyLike(text, sofar) || sofar.size() + next.compact.size() > 60) break;
        // A Chinese title and its English translation are two titles.
        if (IsMostlyLatin(sofar) != IsMostlyLatin(next.compact)) break;
        const bool ended = HasTitleEnding(sofar) && !StartsWith(next.compact, u"（") &&
                           !StartsWith(next.compact, u"(");
        bool join = false;
        if (cur.formatted && ps[j].formatted) {
            const bool looksTitle = IsTitleStyle(cur) || IsHeadingStyle(cur, 9) || cur.centered ||
                                    cur.bold || (bodySize > 0 && SizeOf(cur) > bodySize);
            join = looksTitle && SameLook(cur, ps[j]) && !ended;
        } else {
            join = !ended && HasTitleEnding(next.compact) && next.compact.size() <= 30 &&
                   (StartsWith(sofar, u"关于") || EndsWith(sofar, u"的") ||
                    EndsWith(sofar, u"和") || EndsWith(sofar, u"与") || EndsWith(sofar, u"及"));
        }
        if (!join) break;
        text = Join(std::move(text), next.text);
        ++count;
    }
    return count;
}

}  // namespace

TitleChoice ChooseTitle(const word::LeadingBody& whole, std::u16string_view fileName,
                        const std::function<std::u16string()>& titleProperty) {
    // A page break before a paragraph ends the first page just as a break in
    // the text does: it is how cover pages usually end in .docx and RTF.
    word::LeadingBody firstPage;
    const word::LeadingBody* chosen = &whole;
    for (size_t i = 1; i < whole.paragraphs.size(); ++i) {
        if (!whole.paragraphs[i].pageBreakBefore) continue;
        bool shown = false;
        for (size_t j = 0; j < i && !shown; ++j) shown = !Visible(whole.paragraphs[j].text).empty();
        if (shown) {
            firstPage.paragraphs.assign(whole.paragraphs.begin(), whole.paragraphs.begin() + i);
            firstPage.titleProperty = whole.titleProperty;
            chosen = &firstPage;
        }
        break;
    }
    const word::LeadingBody& body = *chosen;
    const std::vector<ParagraphFacts>& ps = body.paragraphs;
    TitleChoice choice;
    if (!ps.empty()) choice.title = ps.front().text;  // mode 0's title, the fallback
    if (ps.empty()) return choice;

    std::vector<Line> lines(ps.size());
    for (size_t i = 0; i < ps.size(); ++i) {
        lines[i].text = Visible(ps[i].text);
        lines[i].compact = Compact(lines[i].text);
    }
    const int bodySize = BodySize(ps, lines);
    for (size_t i = 0; i < ps.size(); ++i)
        lines[i].kind = Classify(ps[i], lines[i].text, lines[i].compact, bodySize);

    // 1 and 2: an explicit label or subject line names the title, unless a
    // paragraph before it carries the Title style. Labels inside the running
    // text ("项目名称：" in a notice's body) do not count.
    for (size_t i = 0; i < ps.size(); ++i) {
        if (lines[i].kind == Kind::Candidate && ((ps[i].formatted && IsTitleStyle(ps[i])) ||
                                                 IsBodyLike(lines[i].text, lines[i].compact)))
            break;
        const size_t label = LabelLength(lines[i].compact);
        size_t subject = 0;
        if (label == 0 && !IsSubjectLine(lines[i].compact, subject)) continue;
        const std::u16string value = ValueAfterLabel(lines[i].text, label ? label : subject);
        choice.rule = label ? TitleRule::Label : TitleRule::Subject;
        if (!value.empty()) {
            // A long thesis title wraps onto a second line without a label.
            choice.title = value;
            choice.first = int(i);
            choice.count = JoinedLines(ps, lines, i, bodySize, choice.title);
            return choice;
        }
        if (!label) continue;
        // "题目：" alone (or a label cell): the next line holding text.
        for (size_t j = i + 1; j < ps.size(); ++j) {
            if (lines[j].kind == Kind::Empty || lines[j].kind == Kind::Rule) continue;
            if (lines[j].kind != Kind::Candidate) break;
            choice.title = lines[j].text;
            choice.first = int(j);
            return choice;
        }
    }

    // 3: score what is left. Position counts, formatting counts more where
    // the reader resolved it, text patterns count always. A title set over
    // two or three lines is scored as one, by its first line's look.
    int largest = 0;
    for (size_t i = 0; i < ps.size(); ++i) {
        if (lines[i].kind == Kind::Candidate && ps[i].formatted)
            largest = std::max(largest, SizeOf(ps[i]));
    }
    // Ties only: the stored Title property, then the file name; then the
    // earlier line. The property is read only once two lines tie.
    std::optional<std::u16string> property;
    const std::u16string stem = FileStem(fileName);
    auto tieOf = [&](const std::u16string& k) {
        if (!property)
            property = Compact(Visible(titleProperty ? titleProperty() : body.titleProperty));
        return (Matches(k, *property) ? 2 : 0) + (Matches(k, stem) ? 1 : 0);
    };
    int best = -1, bestCount = 1, bestScore = 0, rank = 0;
    std::optional<int> bestTie;
    bool bestBody = false;
    std::u16string bestText, bestKey;
    for (size_t i = 0; i < ps.size(); ++i) {
        if (lines[i].kind != Kind::Candidate) continue;
        const ParagraphFacts& p = ps[i];
        std::u16string text = lines[i].text;
        const int count = JoinedLines(ps, lines, i, bodySize, text);
        const std::u16string k = Compact(text);
        const bool bodyLike = IsBodyLike(text, k);
        int score = -std::min(30, 3 * rank++);
        if (bodyLike) score -= 50;
        if (HasTitleEnding(k)) score += 10;
        if (StartsWith(k, u"关于")) score += 5;
        if (IsNumberedHeading(text)) score -= 20;
        if (IsOrgLine(text, k)) score -= 15;
        if (k.size() <= 2) score -= 10;
        if (p.tableRow > 1)
            score -= 20;
        else if (p.tableRow == 1 && p.tableCell > 1)
            score -= 10;
        if (p.formatted) {
            if (IsTitleStyle(p))
                score += 40;
            else if (p.styleId == word::kStiSubtitle)
                score -= 10;
            else if (IsHeadingStyle(p, 1))
                score += 15;
            else if (IsHeadingStyle(p, 9))
                score += 5;
            const int size = SizeOf(p);
            if (bodySize > 0 && size > bodySize) {
                score += std::min(40, 2 * (size - bodySize));
                if (size == largest) score += 10;
            } else if (bodySize > 0 && size > 0 && size < bodySize) {
                score -= 5;
            }
            if (p.centered) score += 8;
            if (p.bold) score += 6;
        }
        std::optional<int> tie;
        bool better = best < 0 || score > bestScore;
        if (!better && score == bestScore) {
            if (!bestTie) bestTie = tieOf(bestKey);
            tie = tieOf(k);
            better = *tie > *bestTie;
        }
        if (better) {
            best = int(i);
            bestCount = count;
            bestScore = score;
            bestTie = tie;
            bestBody = bodyLike;
            bestText = std::move(text);
            bestKey = k;
        }
        i += size_t(count - 1);  // the joined lines are not candidates of their own
        if (bodyLike) break;     // the title comes before the running text
    }
    // 4: nothing but running text: no title, paragraph 1 as mode 0 takes it.
    if (best < 0 || bestBody) return choice;

    choice.rule = TitleRule::Scored;
    choice.first = best;
    choice.count = bestCount;
    choice.title = std::move(bestText);
    return choice;
}

std::u16string FindTitle(const word::LeadingBody& body, std::u16string_view fileName,
                         const std::function<std::u16string()>& titleProperty) {
    return ChooseTitle(body, fileName, titleProperty).title;
}

}  // namespace pelmora
