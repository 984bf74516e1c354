#include "titles/linefeatures.h"

#include <unordered_map>
#include <vector>

#include "titles/lexicon.h"
#include "titles/text.h"

namespace pelmora {

namespace {

using namespace titletext;
namespace lx = lexicon;

bool HasKindEnding(std::u16string_view k);

bool AllHanText(std::u16string_view s) { return std::all_of(s.begin(), s.end(), IsHan); }

// "（公开）" without its brackets.
std::u16string_view WithoutBrackets(std::u16string_view k) {
    if (k.size() >= 3 && IsIn(k.front(), u"(（[【") && IsIn(k.back(), u")）]】"))
        return k.substr(1, k.size() - 2);
    return k;
}

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

// "海州市人民政府文件": an issuing body, then 文件; "招标文件" is a kind of
// document instead.
bool IsLetterheadText(std::u16string_view k) {
    if (k.size() < 4 || k.size() > 24) return false;
    if (k.ends_with(u"文件")) {
        const std::u16string_view body = k.substr(0, k.size() - 2);
        return EndsWithAny(body, lx::kOrgEndingsZh) || body.ends_with(u"委");
    }
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
    // "NB/T XXXXX—XXXX": a standard's number with placeholders; "A/B testing"
    // is words.
    if (caps >= 1 && caps <= 4 && caps < k.size() && k[caps] == u'/' &&
        std::none_of(k.begin(), k.end(), [](char16_t c) {
            return (IsHan(c) && c != 0x2014 && c != 0xFF0D) || (c >= u'a' && c <= u'z');
        }))
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
    if (t.size() > 40) return false;
    // "（2023年3月）" is a date too.
    if (t.size() >= 2 && (t.front() == u'(' || t.front() == 0xFF08) &&
        (t.back() == u')' || t.back() == 0xFF09))
        t = Trim(t.substr(1, t.size() - 2));
    const std::u16string k = Compact(t);
    if (k.empty() || k.size() > 24) return false;
    // Every date holds a number, but for a month's name alone.
    if (std::none_of(k.begin(), k.end(),
                     [](char16_t c) { return IsDigit(c) || IsChineseNumeral(c); }) &&
        WordCount(t) > 1)
        return false;
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

// "各区县人民政府：" addresses its readers; "某某制度修订说明：" is a title
// that ends in a colon.
bool IsSalutation(std::u16string_view t, std::u16string_view k) {
    if (!PrefixNoCase(t, lx::kSalutationStarts).empty()) return true;
    return !k.empty() && IsColon(k.back()) && !IsMostlyLatin(k) && k.size() <= 40 &&
           !HasKindEnding(k.substr(0, k.size() - 1));
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
    // "修订说明：" with nothing after it is a title that ends in a colon.
    if (chinese)
        return Compact(label).size() <= 8 &&
               !(Trim(t.substr(colon + 1)).empty() && HasKindEnding(Compact(label)));
    return EqualsAnyNoCase(label, lx::kFieldLabelsEn);
}

// The words of a list by their last character (lower case): a line's last
// character names the few words it can end in.
class ByLastChar {
  public:
    explicit ByLastChar(std::span<const std::u16string_view> words) {
        for (std::u16string_view w : words) {
            if (!w.empty()) index_[Lower(w.back())].push_back(w);
        }
    }
    bool EndsIn(std::u16string_view s) const {
        if (s.empty()) return false;
        const auto it = index_.find(Lower(s.back()));
        if (it == index_.end()) return false;
        return std::any_of(it->second.begin(), it->second.end(),
                           [&](std::u16string_view w) { return EndsWithNoCase(s, w); });
    }

  private:
    std::unordered_map<char16_t, std::vector<std::u16string_view>> index_;
};

bool HasKindEnding(std::u16string_view k) {
    static const ByLastChar kZh(lx::kKindEndingsZh), kEn(lx::kKindEndingsEn);
    const std::u16string_view core = WithoutTrailingRemark(k);
    return kZh.EndsIn(core) || kEn.EndsIn(core);
}

bool IsOrgLine(std::u16string_view t, std::u16string_view k) {
    if (k.empty() || (k.size() > 24 && !IsMostlyLatin(k))) return false;
    static const ByLastChar kZh(lx::kOrgEndingsZh);
    if (IsHan(k.back())) return kZh.EndsIn(k);
    if (t.size() > 60 || !IsMostlyLatin(k)) return false;
    if (std::any_of(std::begin(lx::kOrgEndingsEn), std::end(lx::kOrgEndingsEn),
                    [&](std::u16string_view w) { return EndsWithNoCase(t, w); }))
        return true;
    // "University of …", "… Institute of Technology": the kind comes first or
    // stands inside; a kind of document at the end makes it a title again.
    if (!PrefixNoCase(t, lx::kOrgStartsEn).empty()) return !HasKindEnding(k);
    if (WordCount(t) > 8 || HasKindEnding(k)) return false;
    for (size_t i = 0; i < t.size();) {
        while (i < t.size() && !IsAsciiLetter(t[i])) ++i;
        size_t e = i;
        while (e < t.size() && IsAsciiLetter(t[e])) ++e;
        if (EqualsAnyNoCase(t.substr(i, e - i), lx::kOrgWordsEn)) return true;
        i = e;
    }
    return false;
}

// A leading year ("2024 Annual Report") is no number.
bool IsNumberedHeading(std::u16string_view t) {
    if (t.empty()) return false;
    // "①", "⑴", "⒈", "❶": numbers in a circle or with their stop.
    if ((t[0] >= 0x2460 && t[0] <= 0x249B) || (t[0] >= 0x2776 && t[0] <= 0x2793)) return true;
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

bool IsPlaceholder(std::u16string_view k) {
    if (k.empty()) return false;
    const char16_t f = k.front(), b = k.back();
    // Wholly in angle, square or curly brackets: "<Project Name>", "[论文标题]", "{title}".
    if (k.size() >= 3 &&
        ((f == u'<' && b == u'>') || (f == u'[' && b == u']') || (f == u'{' && b == u'}') ||
         (f == 0x3010 && b == 0x3011) || (f == 0xFF1C && b == 0xFF1E)))
        return true;
    // Only characters that stand in for text: "XXXXXXXX", "××××", "ⅩⅩⅩ".
    if (k.size() >= 2 &&
        std::all_of(k.begin(), k.end(), [](char16_t c) { return IsIn(c, lx::kPlaceholderChars); }))
        return true;
    if (EqualsAnyNoCase(k, lx::kPlaceholderLines)) return true;
    return false;
}

// A bracketed instruction of several words that fills most of its line:
// "[Why is the project being undertaken? Describe …]".
bool IsBracketedInstruction(std::u16string_view t) {
    const size_t open = t.find(u'[');
    if (open == std::u16string_view::npos) return false;
    const size_t close = t.find(u']', open);
    return close != std::u16string_view::npos && (close - open) * 2 >= t.size() &&
           WordCount(t.substr(open, close - open)) >= 4;
}

// Wholly in round brackets: an instruction or remark, not a title.
bool IsNote(std::u16string_view k) {
    return k.size() >= 3 && (k.front() == u'(' || k.front() == 0xFF08) &&
           (k.back() == u')' || k.back() == 0xFF09) && k.find_first_of(u")）") == k.size() - 1;
}

std::u16string_view WithoutColon(std::u16string_view k) {
    if (!k.empty() && IsColon(k.back())) k.remove_suffix(1);
    return k;
}

bool IsSectionHeading(std::u16string_view k) {
    const std::u16string_view c = WithoutColon(k);
    return EqualsAnyNoCase(c, lx::kSectionHeadingsEn) ||
           EqualsAnyNoCase(c, lx::kSectionHeadingsZh) || EqualsAnyNoCase(c, lx::kCvSectionsEn) ||
           EqualsAnyNoCase(c, lx::kCvSectionsZh);
}

// "CS330 Software Engineering": two to four capitals, three or four digits,
// a few words.
bool IsCourseLine(std::u16string_view t) {
    size_t i = 0;
    while (i < t.size() && t[i] >= u'A' && t[i] <= u'Z') ++i;
    if (i < 2 || i > 4) return false;
    size_t j = i;
    while (j < t.size() && IsBlank(t[j])) ++j;
    size_t d = j;
    while (d < t.size() && t[d] >= u'0' && t[d] <= u'9') ++d;
    if (d - j < 3 || d - j > 4) return false;
    return d < t.size() && IsBlank(t[d]) && WordCount(t) <= 6;
}

bool IsCapitalWord(std::u16string_view w) {
    if (w.size() < 2 || w[0] < u'A' || w[0] > u'Z') return false;
    return std::all_of(w.begin() + 1, w.end(), [](char16_t c) {
        return (c >= u'a' && c <= u'z') || c == u'-' || c == u'\'' || c == 0x2019;
    });
}

// A person's name: a Chinese family name and one or two characters, or Latin
// given name, an initial and a family name ("Stryder R. Coleman").
bool IsPersonName(std::u16string_view t, std::u16string_view k) {
    if (k.size() >= 2 && k.size() <= 3 && AllHanText(k) && IsIn(k[0], lx::kFamilyNamesZh) &&
        !EndsWithAny(k, lx::kKindEndingsZh) && !EndsWithAny(k, lx::kOrgEndingsZh))
        return true;
    // Latin: two to four words, each capitalised or an initial, one initial at least.
    std::u16string_view rest = Trim(t);
    int words = 0, initials = 0;
    while (!rest.empty()) {
        size_t e = 0;
        while (e < rest.size() && !IsBlank(rest[e])) ++e;
        const std::u16string_view w = rest.substr(0, e);
        if (w.size() == 2 && w[0] >= u'A' && w[0] <= u'Z' && w[1] == u'.')
            ++initials;
        else if (!IsCapitalWord(w))
            return false;
        ++words;
        rest = Trim(rest.substr(e));
    }
    return words >= 2 && words <= 4 && initials >= 1 && initials < words;
}

// A letter's recipient or address lines: short, ending in a comma.
bool IsAddressLine(std::u16string_view t, std::u16string_view k, bool latin) {
    return latin && !k.empty() && k.back() == u',' && WordCount(t) <= 6;
}

bool IsContact(std::u16string_view t, std::u16string_view k) {
    if (k.find(u'@') != std::u16string_view::npos && k.find(u'.') != std::u16string_view::npos &&
        WordCount(t) <= 6)
        return true;
    if (StartsWithNoCase(k, u"http://") || StartsWithNoCase(k, u"https://") ||
        StartsWithNoCase(k, u"www."))
        return true;
    // A telephone number: seven digits or more, little else.
    size_t digits = 0, other = 0;
    for (char16_t c : k) {
        if (IsDigit(c))
            ++digits;
        else if (!IsIn(c, u"+-()（）/.—－"))
            ++other;
    }
    return digits >= 7 && other <= 4;
}

bool EndsInContinuation(std::u16string_view t, std::u16string_view k, bool latin) {
    if (k.empty()) return false;
    if (!latin) return IsIn(k.back(), lx::kContinuationEndsZh);
    t = Trim(t);
    if (!t.empty() && IsIn(t.back(), u"-–—:")) return true;
    const size_t blank = t.find_last_of(u" \u00A0\u3000");
    if (blank == std::u16string_view::npos) return false;
    return EqualsAnyNoCase(t.substr(blank + 1), lx::kContinuationWordsEn);
}

// "2021", "03/02 开学第一次例会", "2020/06/13-…", "2024年3月…".
bool IsDatedHeading(std::u16string_view k) {
    size_t i = 0;
    while (i < k.size() && IsDigit(k[i])) ++i;
    if (i == 4 && i == k.size()) return true;
    if (i < 1 || i > 4 || i + 1 >= k.size()) return false;
    return IsIn(k[i], u"/.-年") && IsDigit(k[i + 1]);
}

bool IsRed(uint32_t color) {
    if (color == word::kAutoColor) return false;
    const int r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
    return r >= 0xB0 && g <= 0x60 && b <= 0x60;
}

}  // namespace

TextFeatures BaseFeaturesOf(std::u16string text) {
    TextFeatures f;
    f.text = std::move(text);
    f.compact = Compact(f.text);
    const std::u16string& t = f.text;
    const std::u16string& k = f.compact;
    f.latin = IsMostlyLatin(k);
    if (k.empty()) return f;
    f.addressLine = IsAddressLine(t, k, f.latin);
    f.bodyLike = IsBodyLike(t, k) && !f.addressLine;
    f.kindEnding = HasKindEnding(k);
    f.datedHeading = IsDatedHeading(k);
    return f;
}

void CompleteFeatures(TextFeatures& f) {
    if (f.complete) return;
    f.complete = true;
    const std::u16string& t = f.text;
    const std::u16string& k = f.compact;
    if (k.empty()) return;
    f.about = k.starts_with(u"关于");
    f.numberedHeading = IsNumberedHeading(t);
    f.continues = EndsInContinuation(t, k, f.latin);
    f.label = LabelOf(t, k);
    f.field = IsField(t, k);
    f.rule = IsRule(k);
    f.attachment = IsAttachment(k);
    f.salutation = IsSalutation(t, k);
    // The rest describes short lines only; running text is none of them.
    if (k.size() > 80) {
        f.placeholder = IsBracketedInstruction(t);
        return;
    }
    f.mark = IsMark(k) || IsMark(WithoutBrackets(k));
    f.copyNumber = IsCopyNumber(k);
    f.docNumber = IsDocNumber(k);
    f.codeLine = IsCodeLine(t, k);
    f.capitalsOnly = k.size() <= 4 && std::all_of(k.begin(), k.end(), [](char16_t c) {
                         return c >= u'A' && c <= u'Z';
                     });
    f.replaces = k.starts_with(u"代替") && IsCodeLine(k.substr(2), k.substr(2));
    f.letterheadText = IsLetterheadText(k);
    f.date = k.size() <= 30 && IsDate(t);
    f.genre = k.size() <= 30 && IsGenre(k);
    f.courseLine = IsCourseLine(t);
    f.contact = k.size() <= 60 && IsContact(t, k);
    f.orgLine = IsOrgLine(t, k);
    f.placeholder = IsPlaceholder(k) || IsBracketedInstruction(t);
    f.note = IsNote(k);
    f.contents = k.size() <= 20 && EqualsAnyNoCase(WithoutColon(k), lx::kContentsHeadings);
    f.sectionHeading = k.size() <= 30 && IsSectionHeading(k);
    f.personName = k.size() <= 40 && IsPersonName(t, k);
}

TextFeatures TextFeaturesOf(std::u16string text) {
    TextFeatures f = BaseFeaturesOf(std::move(text));
    CompleteFeatures(f);
    return f;
}

TextFeatures JoinFactsOf(std::u16string text) {
    TextFeatures f;
    f.text = std::move(text);
    f.compact = Compact(f.text);
    f.latin = IsMostlyLatin(f.compact);
    if (f.compact.empty()) return f;
    f.bodyLike = IsBodyLike(f.text, f.compact);
    f.kindEnding = HasKindEnding(f.compact);
    f.continues = EndsInContinuation(f.text, f.compact, f.latin);
    return f;
}

LineFeatures LineFeaturesOf(const word::ParagraphFacts& p, bool complete) {
    LineFeatures f;
    std::u16string visible = Visible(p.text);
    // "附件1" and a line break, then the title: the label is not part of it.
    const size_t br = p.text.find_first_of(u"\v\n");
    if (br != std::u16string::npos) {
        const std::u16string lead = Visible(p.text.substr(0, br));
        const std::u16string rest = Visible(p.text.substr(br + 1));
        const std::u16string k = Compact(lead);
        if (!k.empty() && !Compact(rest).empty() &&
            (IsAttachment(k) || IsDocNumber(k) || IsMark(k) || IsDate(lead))) {
            f.droppedLead = lead;
            visible = rest;
        }
    }
    static_cast<TextFeatures&>(f) = BaseFeaturesOf(std::move(visible));
    if (complete) CompleteFeatures(f);
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
    f.contentsStyle = std::any_of(
        std::begin(lx::kContentsStyles), std::end(lx::kContentsStyles), [&](std::u16string_view w) {
            return StartsWithNoCase(p.styleName, w) && p.styleName.size() > w.size() &&
                   IsDigit(p.styleName[w.size()]);
        });
    f.listItem = std::any_of(std::begin(lx::kListStyles), std::end(lx::kListStyles),
                             [&](std::u16string_view w) { return EqualsNoCase(p.styleName, w); });
    f.pageBreakBefore = p.pageBreakBefore;
    return f;
}

bool SameFace(const LineFeatures& a, const LineFeatures& b) {
    return a.formatted && b.formatted && a.size == b.size && a.bold == b.bold &&
           a.tableRow == b.tableRow && a.tableCell == b.tableCell;
}

bool SameLook(const LineFeatures& a, const LineFeatures& b) {
    return SameFace(a, b) && a.centered == b.centered && a.titleStyle == b.titleStyle &&
           a.headingLevel == b.headingLevel;
}

}  // namespace pelmora
