// 替换非法字符 and 保留英文单词间的空格 in the window: extraction, the edit
// rule and rename give the same name for the same title, and with both off
// everything is as it always was.

#include <gtest/gtest.h>

#include "core/batchlist/rowcommands.h"
#include "gui/didagrid.h"
#include "gui/form1.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "support/window_test.h"

namespace pelmora {
namespace {

using test::Entries;
using test::WriteFile;

// A one-paragraph RTF document, which the reader takes by content.
QByteArray Rtf(const char* paragraph) {
    return QByteArray("{\\rtf1\\ansi ") + paragraph + "\\par}";
}

class NameRules : public test::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        form->globalMaxword = 40;
        form->globalGetTitleMode = 0;
    }
    void listDocs(const std::vector<std::pair<QString, const char*>>& docs) {
        for (const auto& [name, text] : docs) WriteFile(dir() + "/" + name, Rtf(text));
        fake.folders.push_back(dir());
        form->Toolbar1_ButtonClick(QStringLiteral("btnDir"));
        ASSERT_EQ(form->globalFilecount, int(docs.size()));
    }
    void extract() { form->Toolbar1_ButtonClick(QStringLiteral("btnGetTitle")); }
    void renameInPlace() {
        fake.messages.clear();
        fake.answers.push_back(AnswerYes);
        form->Toolbar1_ButtonClick(QStringLiteral("btnRename"));
    }
    QString title(int r) { return grid().GetCellText(r, ColTitle); }
    QString flag(int r) { return grid().GetCellProperty(r, ColFlag, "getcheck"); }
};

TEST_F(NameRules, AColonIsRenamedFullWidthWhenOnAndRefusedWhenOff) {
    listDocs({{"a.doc", "Annual report: water quality"}, {"b.rtf", "Input/output design"}});

    // Off: the row is refused as it always was, and a hand-checked row too.
    extract();
    EXPECT_EQ(title(1), "Annualreport:waterquality");
    EXPECT_EQ(flag(1), "0");
    EXPECT_EQ(grid().GetCellColor(1, ColTitle), kColorRed);
    grid().SetCellProperty(1, ColFlag, "setcheck", "1");
    renameInPlace();
    EXPECT_EQ(outcome(1), "文件名含非法字符! 123");
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.rtf"}));

    // On: extraction gives the full-width title, checked, and rename uses it,
    // each file keeping its own extension.
    form->globalReplaceIllegal = true;
    form->globalKeepBlanks = true;
    extract();
    EXPECT_EQ(title(1), "Annual report： water quality");
    EXPECT_EQ(title(2), "Input／output design");
    EXPECT_EQ(flag(1), "1");
    EXPECT_EQ(flag(2), "1");
    renameInPlace();
    EXPECT_EQ(outcome(1), "改名成功");
    EXPECT_EQ(outcome(2), "改名成功");
    EXPECT_EQ(Entries(dir()),
              (QStringList{"Annual report： water quality.doc", "Input／output design.rtf"}));
}

TEST_F(NameRules, RenameReplacesWhatAnEarlierRunLeftInTheTitle) {
    listDocs({{"a.doc", "x"}});
    grid().SetCellText(1, ColTitle, "Q3/Q4 \"final\"");
    grid().SetCellProperty(1, ColFlag, "setcheck", "1");
    form->globalReplaceIllegal = true;
    renameInPlace();
    EXPECT_EQ(outcome(1), "改名成功");
    EXPECT_EQ(Entries(dir()), QStringList{"Q3／Q4 ＂final＂.doc"});
    // The reserved names stay refused: replacing makes no name of CON.
    grid().SetCellText(1, ColFileName, "Q3／Q4 ＂final＂.doc");
    grid().SetCellText(1, ColTitle, "CON");
    renameInPlace();
    EXPECT_EQ(outcome(1), "文件名含非法字符! 123");
}

TEST_F(NameRules, TheEditRuleReplacesBeforeItJudges) {
    listDocs({{"a.doc", "x"}});
    const auto edit = [&](const QString& typed) {
        grid().SetCellText(1, ColTitle, typed);
        ApplyEditRule(form->batchList(), *form, 1, ColTitle);
    };
    edit("某某办法（试行）: 解读");
    EXPECT_EQ(outcome(1), "文件名为空或非法字符,请重输!");
    EXPECT_EQ(flag(1), "0");

    form->globalReplaceIllegal = true;
    edit("某某办法（试行）: 解读");
    EXPECT_EQ(title(1), "某某办法（试行）：解读");
    EXPECT_EQ(outcome(1), "修改成功");
    EXPECT_EQ(flag(1), "1");

    form->globalKeepBlanks = true;
    edit(" Just  a Test ");
    EXPECT_EQ(title(1), "Just a Test");
}

}  // namespace
}  // namespace pelmora
