#include "titles/linefeatures.h"

#include "titles/lexicon.h"
#include "titles/text.h"

namespace pelmora {

namespace {

using namespace titletext;
namespace lx = lexicon;

bool IsRule(std::u16string_view k) {
    return std::all_of(k.begin(), k.end(), [](char16_t c) { return IsIn(c, lx::kRuleChars); });
}

bool IsMark(std::u16string_view k) {
    // Only marks and their periods: "机密★1年", "密级：秘密", "特急". A title
    // such as "紧急通知" holds other words.
    if (k.size() <= 16 && StartsWithAny(k, lx::kSecrecyMarks)) {
        std::u16string_view rest = k;
        while (!rest.empty()) {
            const auto mark =
                std::find_if(std::begin(lx::kSecrecyMarks), std::end(lx::kSecrecyMarks),
                             [&](std::u16string_view m) { return rest.starts_with(m); });
            if (mark != std::end(lx::kSecrecyMarks)) {
                rest.remove_prefix(mark->size());
            } else if (IsDigit(rest[0]) || IsChineseNumeral(rest[0]) || IsColon(rest[0]) ||
                       IsIn(rest[0], lx::kMarkPeriodChars)) {
                rest.remove_prefix(1);
            } else {
                return false;
            }
        }
        return true;
    }
    return EqualsAnyNoCase(k, lx::kWholeLineMarks);
}

bool IsCopyNumber(std::u16string_view k) {
    if (k.starts_with(u"份号")) return true;
    return k.size() >= 3 && k.size() <= 12 && std::all_of(k.begin(), k.end(), IsDigit);
}

bool HasBracketedYear(std::u16string_view k) {
    for (size_t i = 0; i + 5 < k.size(); ++i) {
        if (!IsIn(k[i], lx::kYearOpen)) continue;
        if (!std::all_of(k.begin() + i + 1, k.begin() + i + 5, IsDigit)) continue;
        if (IsIn(k[i + 5], lx::kYearClose)) return true;
    }
    return false;
}

bool IsDocNumber(std::u16string_view k) {
    if (k.size() <= 40 && HasBracketedYear(k) && (k.ends_with(u"号") || k.size() <= 20))
        return true;
    return k.size() <= 14 && k.starts_with(u"第") && k.ends_with(u"号");
}

bool IsAttachment(std::u16string_view k) {
    if (!StartsWithAny(k, lx::kAttachmentWords)) return false;
    const std::u16string_view rest = k.substr(2);
    if (!rest.empty() && IsColon(rest.front())) return true;  // also "附件：1.XX" lists
    return rest.size() <= 4 && std::all_of(rest.begin(), rest.end(), [](char16_t c) {
               return IsAsciiAlnum(c) || IsDigit(c) || IsChineseNumeral(c) || IsColon(c) ||
                      IsIn(c, u"-.、．");
           });
}

bool IsLetterheadText(std::u16string_view k) {
    if (k.size() < 4 || k.size() > 24) return false;
    if (k.ends_with(u"文件")) return true;
    return k.ends_with(u"标准") &&
           (k.starts_with(u"中华人民共和国") || EndsWithAny(k, lx::kStandardKinds));
}

// Classification and standard numbers: upper-case letters in words of at
// most three, digits and punctuation.
bool IsCodeLine(std::u16string_view t, std::u16string_view k) {
    if (k.empty() || k.size() > 30) return false;
    size_t caps = 0;
    while (caps < k.size() && k[caps] >= u'A' && k[caps] <= u'Z') ++caps;
    // "NB", "GB" alone: the big letters of a standard's cover.
    if (caps >= 1 && caps <= 4 && caps == k.size()) return true;
    // "NB/T XXXXX—XXXX": a standard's number with placeholders.
    if (caps >= 1 && caps <= 4 && caps < k.size() && k[caps] == u'/' &&
        std::none_of(k.begin(), k.end(),
                     [](char16_t c) { return IsHan(c) && c != 0x2014 && c != 0xFF0D; }))
        return true;
    if (!std::any_of(k.begin(), k.end(), IsDigit)) return false;
    size_t run = 0;
    for (char16_t c : t) {
        if (IsHan(c) || (c >= u'a' && c <= u'z')) return false;
        run = (c >= u'A' && c <= u'Z') ? run + 1 : 0;
        if (run > 3) return false;
    }
    return true;
}

bool IsMonthName(std::u16string_view word) {
    return word.size() >= 3 && !PrefixNoCase(word, lx::kMonthNames).empty();
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
        } else if (!IsIn(c, lx::kDateChars)) {
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
                     (word.ends_with(u"st") || word.ends_with(u"nd") || word.ends_with(u"rd") ||
                      word.ends_with(u"th")))) {
            return false;
        }
        i = j;
    }
    return month;
}

bool IsGenre(std::u16string_view k) {
    if (EqualsAnyNoCase(k, lx::kGenreLinesEn) || EqualsAnyNoCase(k, lx::kGenreLinesZh)) return true;
    const std::u16string_view core = WithoutTrailingRemark(k);
    const bool paper = EndsWithAny(core, lx::kAcademicGenreEndings);
    const bool academic =
        std::any_of(std::begin(lx::kAcademicGenreWords), std::end(lx::kAcademicGenreWords),
                    [&](std::u16string_view w) { return core.find(w) != core.npos; });
    return paper && academic && core.size() <= 14;
}

bool IsSalutation(std::u16string_view t, std::u16string_view k) {
    if (!PrefixNoCase(t, lx::kSalutationStarts).empty()) return true;
    return !k.empty() && IsColon(k.back()) && !IsMostlyLatin(k) && k.size() <= 40;
}

bool IsField(std::u16string_view t, std::u16string_view k) {
    if (!PrefixNoCase(k, lx::kNumberLabelsEn).empty() && k.size() > 3 && IsDigit(k[3])) return true;
    // "合同编号：…", "项目编号HT-01"; not "关于统一产品编号规则的通知".
    const size_t number = k.find(lx::kNumberWordZh);
    if (number != std::u16string_view::npos && number <= 6 && number + 2 < k.size() &&
        (IsColon(k[number + 2]) || IsAsciiAlnum(k[number + 2])))
        return true;
    const size_t colon = t.find_first_of(u":：");
    if (colon == std::u16string_view::npos || colon == 0) return false;
    const std::u16string_view label = Trim(t.substr(0, colon));
    if (label.empty()) return false;
    const bool chinese =
        std::all_of(label.begin(), label.end(), [](char16_t c) { return IsHan(c) || IsBlank(c); });
    if (chinese) return Compact(label).size() <= 8;
    return EqualsAnyNoCase(label, lx::kFieldLabelsEn);
}

bool HasKindEnding(std::u16string_view k) {
    const std::u16string_view core = WithoutTrailingRemark(k);
    if (EndsWithAny(core, lx::kKindEndingsZh)) return true;
    return std::any_of(std::begin(lx::kKindEndingsEn), std::end(lx::kKindEndingsEn),
                       [&](std::u16string_view w) { return EndsWithNoCase(core, w); });
}

bool IsOrgLine(std::u16string_view t, std::u16string_view k) {
    if (k.size() > 24) return false;
    if (EndsWithAny(k, lx::kOrgEndingsZh)) return true;
    return t.size() <= 48 &&
           std::any_of(std::begin(lx::kOrgEndingsEn), std::end(lx::kOrgEndingsEn),
                       [&](std::u16string_view w) { return EndsWithNoCase(t, w); });
}

// A leading year ("2024 Annual Report") is no number.
bool IsNumberedHeading(std::u16string_view t) {
    if (t.empty()) return false;
    if (t.starts_with(u"第")) {
        size_t i = 1;
        while (i < t.size() && (IsDigit(t[i]) || IsChineseNumeral(t[i]))) ++i;
        return i > 1 && i < t.size() && IsIn(t[i], lx::kSectionUnits);
    }
    if (t[0] == u'(' || t[0] == 0xFF08) {
        return t.size() >= 3 && (IsDigit(t[1]) || IsChineseNumeral(t[1])) &&
               (t[2] == u')' || t[2] == 0xFF09);
    }
    size_t i = 0;
    while (i < t.size() && (IsDigit(t[i]) || IsChineseNumeral(t[i]))) ++i;
    if (i == 0 || i > 2 || i >= t.size()) return false;
    return IsIn(t[i], lx::kNumberSeparators);
}

// Latin titles run longer than Chinese ones, so they are measured in words.
bool IsBodyLike(std::u16string_view t, std::u16string_view k) {
    if (k.empty()) return false;
    const bool latin = IsMostlyLatin(k);
    if (latin ? (WordCount(t) > 20 || t.size() > 160) : k.size() > 60) return true;
    const char16_t last = k.back();
    if (IsIn(last, lx::kSentenceEnds)) return true;
    if (last == u'.' && t.size() > 30 &&
        !std::any_of(std::begin(lx::kAbbreviationEndings), std::end(lx::kAbbreviationEndings),
                     [&](std::u16string_view w) { return EndsWithNoCase(t, w); }))
        return true;
    // "These are a few of my favourite things:" leads into a list.
    if (latin && IsColon(last) && WordCount(t) > 3) return true;
    return !latin && k.size() > 40 && k.find(0xFF0C) != std::u16string_view::npos;
}

size_t LabelLength(std::u16string_view k) {
    for (std::u16string_view label : lx::kTitleLabels) {
        if (!StartsWithNoCase(k, label)) continue;
        // A bare Chinese label (a table cell): the value follows in the next
        // paragraph. A bare "Title" is more often a column heading.
        if (k.size() == label.size()) {
            if (IsHan(label[0])) return label.size();
            continue;
        }
        if (IsColon(k[label.size()])) return label.size() + 1;
    }
    return 0;
}

size_t SubjectLength(std::u16string_view k) {
    for (std::u16string_view label : lx::kSubjectLabels) {
        if (StartsWithNoCase(k, label) && k.size() > label.size() && IsColon(k[label.size()]))
            return label.size() + 1;
    }
    return 0;
}

bool IsRed(uint32_t color) {
    if (color == word::kAutoColor) return false;
    const int r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
    return r >= 0xB0 && g <= 0x60 && b <= 0x60;
}

}  // namespace

TextFeatures TextFeaturesOf(std::u16string text) {
    TextFeatures f;
    f.text = std::move(text);
    f.compact = Compact(f.text);
    const std::u16string& t = f.text;
    const std::u16string& k = f.compact;
    f.latin = IsMostlyLatin(k);
    if (k.empty()) return f;
    f.rule = IsRule(k);
    f.mark = IsMark(k);
    f.copyNumber = IsCopyNumber(k);
    f.docNumber = IsDocNumber(k);
    f.codeLine = IsCodeLine(t, k);
    f.replaces = k.starts_with(u"代替") && IsCodeLine(k.substr(2), k.substr(2));
    f.attachment = IsAttachment(k);
    f.letterheadText = IsLetterheadText(k);
    f.date = IsDate(t);
    f.genre = IsGenre(k);
    f.salutation = IsSalutation(t, k);
    f.bodyLike = IsBodyLike(t, k);
    f.field = IsField(t, k);
    f.kindEnding = HasKindEnding(k);
    f.about = k.starts_with(u"关于");
    f.numberedHeading = IsNumberedHeading(t);
    f.orgLine = IsOrgLine(t, k);
    f.labelLength = LabelLength(k);
    f.subjectLength = SubjectLength(k);
    return f;
}

LineFeatures LineFeaturesOf(const word::ParagraphFacts& p) {
    LineFeatures f;
    static_cast<TextFeatures&>(f) = TextFeaturesOf(Visible(p.text));
    f.tableRow = p.tableRow;
    f.tableCell = p.tableCell;
    if (!p.formatted) return f;
    f.formatted = true;
    // The size most characters have: one big initial or symbol makes no heading.
    f.size = p.mainHalfPoints > 0 ? p.mainHalfPoints : p.maxHalfPoints;
    f.centered = p.centered;
    f.bold = p.bold;
    f.red = IsRed(p.color);
    f.titleStyle =
        p.styleId == word::kStiTitle ||
        std::any_of(std::begin(lexicon::kTitleStyleNames), std::end(lexicon::kTitleStyleNames),
                    [&](std::u16string_view n) { return p.styleName == n; });
    f.subtitleStyle = p.styleId == word::kStiSubtitle;
    // The higher of the style's level and the outline level.
    int level = 10;
    if (p.styleId >= word::kStiHeading1 && p.styleId <= word::kStiHeading9)
        level = p.styleId - word::kStiHeading1 + 1;
    if (p.outlineLevel >= 0 && p.outlineLevel < 9) level = std::min(level, p.outlineLevel + 1);
    f.headingLevel = level < 10 ? level : 0;
    f.pageBreakBefore = p.pageBreakBefore;
    return f;
}

bool SameLook(const word::ParagraphFacts& a, const word::ParagraphFacts& b) {
    return a.formatted && b.formatted && a.styleId == b.styleId &&
           a.mainHalfPoints == b.mainHalfPoints && a.centered == b.centered && a.bold == b.bold &&
           a.tableRow == b.tableRow && a.tableCell == b.tableCell;
}

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

}  // namespace pelmora
