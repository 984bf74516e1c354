#include "core/files/ansicodepage.h"

#include <gtest/gtest.h>

#include <QString>

namespace pelmora {
namespace {

struct Case {
    const char* what;
    QString text;
    bool doubleByte;
};

TEST(AnsiCodePage, JudgesEachCharacterByItsCp936Length) {
    const Case cases[] = {
        {"empty", QString(), false},
        {"ascii name", QStringLiteral("Report 2023_v2.doc"), false},
        {"chinese name", QStringLiteral("报告.doc"), true},
        {"only the last character", QStringLiteral("report.do中"), true},
        {"full-width comma", QStringLiteral("a，b"), true},
        {"ideographic space", QStringLiteral("a\u3000b"), true},
        {"middle dot", QStringLiteral("a\u00B7b"), true},
        {"latin e acute (double-byte in GBK)", QStringLiteral("caf\u00E9"), true},
        {"euro sign (one byte, 0x80)", QStringLiteral("\u20AC5"), false},
        {"no-break space (not in GBK)", QStringLiteral("a\u00A0b"), false},
        {"hangul (not in GBK)", QStringLiteral("\uAC00"), false},
        {"lone high surrogate", QString(QChar(0xD83D)), false},
        {"lone low surrogate", QString(QChar(0xDE00)), false},
        {"emoji pair: each half alone is not GBK", QString::fromUcs4(U"\U0001F600"), false},
        {"control characters", QStringLiteral("\t\r\n\a"), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HasDoubleByteInAnsiCodePage(c.text), c.doubleByte) << c.what;
}

TEST(AnsiCodePage, SingleUnitsAtTheRangeEdges) {
    EXPECT_FALSE(IsDoubleByteInAnsiCodePage(u'\0'));
    EXPECT_FALSE(IsDoubleByteInAnsiCodePage(u'\x7F'));
    EXPECT_TRUE(IsDoubleByteInAnsiCodePage(u'\x4E00'));  // first CJK ideograph
    EXPECT_TRUE(IsDoubleByteInAnsiCodePage(u'\xFF01'));  // full-width exclamation
    EXPECT_FALSE(IsDoubleByteInAnsiCodePage(u'\xFFFF'));
}

}  // namespace
}  // namespace pelmora
