// The title rules beyond the fixed ones: blanks kept between Latin words and
// the characters a file name may not hold replaced; both off, the rules are
// exactly the fixed ones.

#include "titles/titlerules.h"

#include <gtest/gtest.h>

namespace pelmora {
namespace {

std::u16string Format(std::u16string_view text, int16_t maxword, TitleRules rules) {
    return FormatTitleText(text, maxword, rules).value_or(u"<none>");
}

constexpr TitleRules kKeep{true, false};
constexpr TitleRules kReplace{false, true};

TEST(TitleRules, OffTheyChangeNothing) {
    for (std::u16string_view text :
         {u" Just a  Test\r", u"a:b", u"第一章 总则\r", u"a\tb", u"", u"   \r\n"})
        EXPECT_EQ(Format(text, 25, {}), *FormatTitleText(text, 25)) << std::u16string(text).size();
    EXPECT_EQ(Format(u" Just a  Test\r", 25, {}), u"JustaTest");
    EXPECT_EQ(FormatTitleText(u"abc", -1, kKeep), std::nullopt);
}

TEST(TitleRules, OneBlankStaysBetweenLatinWordsOnly) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u" Just a  Test\r", u"Just a Test"},
        {u"Annual report: water quality in 2023", u"Annual report: water quality in 2023"},
        // A line break between two words parts them as a blank does.
        {u"Office move\ron 1 May\r", u"Office move on 1 May"},
        {u"Café  Müller", u"Café Müller"},
        {u"第一章 总则", u"第一章总则"},
        {u"关于 Word 文档", u"关于Word文档"},
        {u"（试行） Rules", u"（试行）Rules"},
        {u"“Quoted” — dash", u"“Quoted” — dash"},
        {u"a\tb", u"a\tb"},
        {u" \r\n ", u""},
    };
    for (const auto& [text, want] : cases) EXPECT_EQ(Format(text, 100, kKeep), want);
}

TEST(TitleRules, TheCutNeverLeavesABlankAtTheEnd) {
    EXPECT_EQ(Format(u"Annual report", 7, kKeep), u"Annual");
    EXPECT_EQ(Format(u"Annual report", 8, kKeep), u"Annual r");
    // Blanks count towards the maximum as characters do.
    EXPECT_EQ(Format(u"a b c d e f", 5, kKeep), u"a b c");
}

TEST(TitleRules, ForbiddenCharactersBecomeFullWidth) {
    EXPECT_EQ(ReplaceIllegalText(u"/\\:*?\"<>|"), u"／＼：＊？＂＜＞｜");
    EXPECT_EQ(ReplaceIllegalText(u"某某办法（试行）：解读"), u"某某办法（试行）：解读");
    EXPECT_EQ(ReplaceIllegalText(u"Input/output design"), u"Input／output design");
    EXPECT_EQ(ReplaceIllegalText(u"a.b-c_d'e\a"), u"a.b-c_d'e\a");

    EXPECT_EQ(Format(u"Annual report: water", 25, kReplace), u"Annualreport：water");
    EXPECT_EQ(Format(u"Q3/Q4 \"final\"", 25, TitleRules{true, true}), u"Q3／Q4 ＂final＂");
    // Replaced titles pass the file-name test; one form is as long as the other.
    EXPECT_EQ(IsGoodFilenameText(Format(u"C:\\a<b>|c?*", 25, kReplace)), -1);
    EXPECT_EQ(Format(u"a:b:c:d", 3, kReplace), u"a：b");
}

}  // namespace
}  // namespace pelmora
