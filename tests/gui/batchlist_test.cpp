// The title edit rule, the removal of checked or unchecked rows, and opening
// a row's document, on the real main window with scripted fake.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "core/batchlist/export.h"
#include "core/batchlist/rowcommands.h"
#include "gui/didagrid.h"
#include "gui/form1.h"
#include "support/fake_dialogs.h"
#include "support/window_test.h"

namespace pelmora {
namespace {

const QString kGet = QStringLiteral("getcheck");
const QString kSet = QStringLiteral("setcheck");
const QString kRefused = QStringLiteral("文件名为空或非法字符,请重输!");
const QString kChanged = QStringLiteral("修改成功");

struct Row {
    QString name;
    QString flag;
};

class BatchListTest : public test::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        form->globalMaxword = 25;
    }

    // Fills the list as adding documents does, then sets each row's flag.
    void Fill(const std::vector<Row>& rows, const QString& folder = QStringLiteral("/docs")) {
        std::vector<test::GridRow> grid;
        for (const Row& r : rows) grid.push_back({r.name, QString(), r.flag, folder, QString()});
        fill(grid);
    }

    std::vector<QString> Names() {
        std::vector<QString> names;
        for (int r = 1; r <= form->globalFilecount; ++r) names.push_back(grid().GetCellText(r, 1));
        return names;
    }
};

// --- Edit rule ---------------------------------------------------------------

struct EditCase {
    const char* label;
    QString typed;
    int16_t maxword;
    QString title;   // the title cell afterwards
    QString result;  // column 5 afterwards
    QString flag;
    bool white;  // the title cell turned white
};

class EditRuleTest : public BatchListTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(EditRuleTest, JudgesTheTypedTitle) {
    const EditCase& c = GetParam();
    // Start from the opposite of the expected flag and a red title, so every
    // change the rule makes shows.
    Fill({{QStringLiteral("a.doc"),
           c.flag == QLatin1String("1") ? QStringLiteral("0") : QStringLiteral("1")}});
    form->globalMaxword = c.maxword;
    grid().SetCellColor(1, 2, kColorRed);
    grid().SetCellText(1, 2, c.typed);
    ApplyEditRule(form->batchList(), *form, 1, 2);
    EXPECT_EQ(grid().GetCellText(1, 2), c.title);
    EXPECT_EQ(grid().GetCellText(1, 5), c.result);
    EXPECT_EQ(grid().GetCellProperty(1, 3, kGet), c.flag);
    EXPECT_EQ(grid().GetCellColor(1, 2), c.white ? kColorWhite : kColorRed);
    EXPECT_TRUE(fake.messages.empty());
}

const QString k26 = QStringLiteral("abcdefghijklmnopqrstuvwxyz");

INSTANTIATE_TEST_SUITE_P(
    Cases, EditRuleTest,
    ::testing::Values(
        EditCase{"Empty", QString(), 25, QString(), kRefused, "0", false},
        EditCase{"Slash", QStringLiteral("Q3/Q4"), 25, QStringLiteral("Q3/Q4"), kRefused, "0",
                 false},
        EditCase{"Colon", QStringLiteral("C:"), 25, QStringLiteral("C:"), kRefused, "0", false},
        EditCase{"QuestionAfterBlanks", QStringLiteral(" 为什么? "), 25,
                 QStringLiteral(" 为什么? "), kRefused, "0", false},
        EditCase{"Plain", QStringLiteral("Q3-Q4"), 25, QStringLiteral("Q3-Q4"), kChanged, "1",
                 true},
        // Names the rename refuses are refused here already.
        EditCase{"Quotes", QStringLiteral("say \"hi\""), 25, QStringLiteral("say\"hi\""), kRefused,
                 "0", false},
        EditCase{"Device", QStringLiteral("con"), 25, QStringLiteral("con"), kRefused, "0", false},
        EditCase{"DeviceWithExtension", QStringLiteral("AUX.txt"), 25, QStringLiteral("AUX.txt"),
                 kRefused, "0", false},
        EditCase{"Hidden", QStringLiteral(".hidden"), 25, QStringLiteral(".hidden"), kRefused, "0",
                 false},
        EditCase{"DeviceNameInside", QStringLiteral("CONTRACT"), 25, QStringLiteral("CONTRACT"),
                 kChanged, "1", true},
        EditCase{"BlanksAndBreaksGo", QStringLiteral(" 第一章 总则\r\n"), 25,
                 QStringLiteral("第一章总则"), kChanged, "1", true},
        EditCase{"CutToMaxword", QStringLiteral("第一章 总则"), 4, QStringLiteral("第一章总"),
                 kChanged, "1", true},
        EditCase{"LongerThan25", k26, 25, k26.left(25), kChanged, "1", true},
        // A text of only blanks formats to nothing: no empty title stays checked.
        EditCase{"OnlyBlanks", QStringLiteral("   "), 25, QString(), kRefused, "0", false},
        // A negative maximum gives no title: written empty, and refused.
        EditCase{"NegativeMaxword", QStringLiteral("abc"), -1, QString(), kRefused, "0", false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(BatchListTest, EditsOfOtherColumnsAreTakenAsTyped) {
    Fill({{QStringLiteral("a.doc"), QStringLiteral("1")}});
    grid().SetCellColor(1, 2, kColorRed);
    for (int col : {4, 5}) {
        grid().SetCellText(1, col, QStringLiteral("x/y:*"));
        ApplyEditRule(form->batchList(), *form, 1, col);
        EXPECT_EQ(grid().GetCellText(1, col), QStringLiteral("x/y:*"));
    }
    EXPECT_EQ(grid().GetCellProperty(1, 3, kGet), QStringLiteral("1"));
    EXPECT_EQ(grid().GetCellColor(1, 2), kColorRed);
}

TEST_F(BatchListTest, EditRuleNeedsDocumentRows) {
    Fill({{QStringLiteral("a.doc"), QStringLiteral("1")}});
    form->globalFilecount = 0;  // rows still shown after an empty folder
    grid().SetCellText(1, 2, QString());
    ApplyEditRule(form->batchList(), *form, 1, 2);
    EXPECT_EQ(grid().GetCellText(1, 5), QString());
    EXPECT_EQ(grid().GetCellProperty(1, 3, kGet), QStringLiteral("1"));
}

// --- Removal -----------------------------------------------------------------

struct RemovalCase {
    const char* label;
    std::vector<QString> flags;
    QString target;
    std::vector<QString> remaining;
    QString message;
};

class RemovalTest : public BatchListTest, public ::testing::WithParamInterface<RemovalCase> {};

TEST_P(RemovalTest, RemovesMatchingRowsAndReportsTheCount) {
    const RemovalCase& c = GetParam();
    std::vector<Row> rows;
    for (size_t i = 0; i < c.flags.size(); ++i) {
        rows.push_back({QStringLiteral("%1.doc").arg(QChar(u'a' + int(i))), c.flags[i]});
    }
    Fill(rows);
    RemoveRows(form->batchList(), fake, c.target == QStringLiteral("1"));
    EXPECT_EQ(Names(), c.remaining);
    EXPECT_EQ(form->globalFilecount, int(c.remaining.size()));
    EXPECT_EQ(grid().RowCount(), int(c.remaining.size()) + 1);
    EXPECT_EQ(grid().GetCellText(0, 1), QStringLiteral("原文件名"));
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, c.message);
    EXPECT_EQ(fake.messages[0].caption, QStringLiteral("Pelmora"));
    EXPECT_EQ(fake.messages[0].buttons, MsgButtons::Ok);
}

const QString k1 = QStringLiteral("1");
const QString k0 = QStringLiteral("0");
const QString kA = QStringLiteral("a.doc"), kB = QStringLiteral("b.doc"),
              kC = QStringLiteral("c.doc"), kD = QStringLiteral("d.doc");

INSTANTIATE_TEST_SUITE_P(
    Cases, RemovalTest,
    ::testing::Values(
        RemovalCase{
            "CheckedOf110", {k1, k1, k0}, k1, {kC}, QStringLiteral("一共从列表中 2个文件!!")},
        RemovalCase{
            "UncheckedOf110", {k1, k1, k0}, k0, {kA, kB}, QStringLiteral("一共从列表中 1个文件!!")},
        RemovalCase{"EmptyChecked", {}, k1, {}, QStringLiteral("一共从列表中 0个文件!!")},
        RemovalCase{"EmptyUnchecked", {}, k0, {}, QStringLiteral("一共从列表中 0个文件!!")},
        RemovalCase{"NoneMatch", {k0, k0}, k1, {kA, kB}, QStringLiteral("一共从列表中 0个文件!!")},
        RemovalCase{"AllMatch", {k0, k0, k0, k0}, k0, {}, QStringLiteral("一共从列表中 4个文件!!")},
        RemovalCase{"Alternating",
                    {k0, k1, k0, k1},
                    k1,
                    {kA, kC},
                    QStringLiteral("一共从列表中 2个文件!!")},
        RemovalCase{
            "TailRun", {k1, k0, k0, k0}, k0, {kA}, QStringLiteral("一共从列表中 3个文件!!")}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(BatchListTest, RemovalKeepsTheOtherRowsCells) {
    Fill({{kA, k1}, {kB, k0}, {kC, k1}});
    grid().SetCellText(2, 2, QStringLiteral("标题"));
    grid().SetCellText(2, 5, QStringLiteral("提取成功"));
    grid().SetCellColor(2, 2, kColorRed);
    RemoveRows(form->batchList(), fake, true);
    ASSERT_EQ(form->globalFilecount, 1);
    EXPECT_EQ(grid().GetCellText(1, 1), kB);
    EXPECT_EQ(grid().GetCellText(1, 2), QStringLiteral("标题"));
    EXPECT_EQ(grid().GetCellText(1, 4), QStringLiteral("/docs"));
    EXPECT_EQ(grid().GetCellText(1, 5), QStringLiteral("提取成功"));
    EXPECT_EQ(grid().GetCellColor(1, 2), kColorRed);
    EXPECT_EQ(grid().GetCellProperty(1, 3, kGet), k0);
}

TEST_F(BatchListTest, RemovalOfManyScatteredRowsKeepsTheRestInOrder) {
    // Hundreds of separate stretches go in one step; the rows past the
    // count are no document rows and stay.
    std::vector<Row> rows;
    for (int i = 0; i < 600; ++i)
        rows.push_back({QStringLiteral("%1.doc").arg(i), i % 3 == 1 ? k1 : k0});
    Fill(rows);
    form->globalFilecount = 590;
    RemoveRows(form->batchList(), fake, true);
    std::vector<QString> expected;
    for (int i = 0; i < 590; ++i)
        if (i % 3 != 1) expected.push_back(QStringLiteral("%1.doc").arg(i));
    EXPECT_EQ(Names(), expected);
    EXPECT_EQ(form->globalFilecount, 590 - 197);
    EXPECT_EQ(grid().RowCount(), 1 + 590 - 197 + 10);
    EXPECT_EQ(grid().GetCellText(grid().RowCount() - 1, 1), QStringLiteral("599.doc"));
    EXPECT_EQ(grid().GetCellProperty(grid().RowCount() - 1, 3, kGet), k0);
    EXPECT_EQ(grid().GetCellProperty(3, 3, kGet), k0);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, QStringLiteral("一共从列表中 197个文件!!"));
}

// The list holds 100,000 rows: the count of removed ones must not wrap at
// 16 bits (40,000 once read -25536).
TEST_F(BatchListTest, RemovalOfFortyThousandRowsCountsThemAll) {
    std::vector<Row> rows(40001, Row{kA, k1});
    rows.back().flag = k0;
    Fill(rows);
    RemoveRows(form->batchList(), fake, true);
    EXPECT_EQ(form->globalFilecount, 1);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, QStringLiteral("一共从列表中 40000个文件!!"));
}

TEST_F(BatchListTest, RemovalWalksOnlyTheCountedRows) {
    // A count below the rows shown (a public field) limits the removal.
    Fill({{kA, k1}, {kB, k1}});
    form->globalFilecount = 0;
    RemoveRows(form->batchList(), fake, true);
    EXPECT_EQ(grid().RowCount(), 3);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, QStringLiteral("一共从列表中 0个文件!!"));
}

// --- Opening a row's document -----------------------------------------------

TEST_F(BatchListTest, OpensTheGivenRowsFile) {
    Fill({{kA, k0}, {QStringLiteral("第二.doc"), k0}, {kC, k0}});
    OpenRowDocument(form->batchList(), fake, 2);
    OpenRowDocument(form->batchList(), fake, 3);
    EXPECT_EQ(fake.openedDocuments, (std::vector<QString>{QStringLiteral("/docs/第二.doc"),
                                                          QStringLiteral("/docs/c.doc")}));
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(BatchListTest, OpensFromTheRootFolderWithOneSeparator) {
    Fill({{kA, k0}}, QStringLiteral("/"));
    OpenRowDocument(form->batchList(), fake, 1);
    EXPECT_EQ(fake.openedDocuments, (std::vector<QString>{QStringLiteral("/a.doc")}));
}

TEST_F(BatchListTest, OpensNothingOutsideTheDocumentRows) {
    Fill({{kA, k0}, {kB, k0}});
    for (int row : {0, -1, 3}) OpenRowDocument(form->batchList(), fake, row);
    form->globalFilecount = 0;
    OpenRowDocument(form->batchList(), fake, 1);
    EXPECT_TRUE(fake.openedDocuments.empty());
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(BatchListTest, ReportsADocumentThatCannotBeOpened) {
    Fill({{kA, k0}});
    fake.openDocumentResult = false;
    OpenRowDocument(form->batchList(), fake, 1);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_TRUE(fake.messages[0].text.contains(QStringLiteral("/docs/a.doc")));
    EXPECT_EQ(fake.messages[0].caption, QStringLiteral("Pelmora"));
}

// With no word processor the desktop's program for a Word file is this one,
// or none at all: neither may start, and the user is told why.
TEST_F(BatchListTest, NeverOpensADocumentWithThisProgramOrNone) {
    Fill({{kA, k0}});
    const DefaultProgram ours{DefaultProgram::Kind::Found, kDesktopEntryId,
                              QStringLiteral("pelmora")};
    const DefaultProgram userMade{DefaultProgram::Kind::Found,
                                  QStringLiteral("userapp-pelmora-X.desktop"),
                                  QStringLiteral("/usr/bin/pelmora")};
    const DefaultProgram none{DefaultProgram::Kind::None, {}, {}};
    for (const DefaultProgram& p : {ours, userMade, none}) {
        fake.messages.clear();
        fake.defaultProgramResult = p;
        OpenRowDocument(form->batchList(), fake, 1);
        EXPECT_TRUE(fake.openedDocuments.empty()) << p.entryId.toStdString();
        ASSERT_EQ(fake.messages.size(), 1u);
        EXPECT_TRUE(fake.messages[0].text.startsWith(QStringLiteral("没有可以显示此文档的程序:")));
        EXPECT_TRUE(fake.messages[0].text.contains(QStringLiteral("/docs/a.doc")));
    }
    // A desktop that cannot be asked: the opener is tried all the same.
    fake.messages.clear();
    fake.defaultProgramResult = {};
    OpenRowDocument(form->batchList(), fake, 1);
    EXPECT_EQ(fake.openedDocuments.size(), 1u);
    EXPECT_TRUE(fake.messages.empty());
}

// --- A count that disagrees with the grid ------------------------------------

// globalFilecount is a public field: a count past the grid's rows must not
// send any command past the last row, and a negative one counts as none.
TEST_F(BatchListTest, CountNeverPassesTheGridsLastRow) {
    Fill({{kA, k1}, {kB, k0}});
    form->globalFilecount = 5;
    BatchList& list = form->batchList();
    EXPECT_EQ(list.count(), 2);
    CheckAllRows(list);
    EXPECT_TRUE(list.checked(1) && list.checked(2));
    InvertChecks(list);
    EXPECT_FALSE(list.checked(1) || list.checked(2));
    EXPECT_EQ(ResultRecords(list).size(), 3u);  // the header and two rows
    OpenRowDocument(list, fake, 3);
    EXPECT_TRUE(fake.openedDocuments.empty());
    RemoveRows(list, fake, false);
    EXPECT_EQ(grid().RowCount(), 1);
    EXPECT_EQ(list.count(), 0);
    form->globalFilecount = -3;
    EXPECT_EQ(list.count(), 0);
}

TEST_F(BatchListTest, TitleAndRenameStopAtTheGridsLastRow) {
    Fill({{kA, k1}});
    form->globalFilecount = 4;
    form->Toolbar1_ButtonClick(QStringLiteral("btnGetTitle"));
    EXPECT_EQ(grid().RowCount(), 2);
    EXPECT_EQ(grid().GetCellText(1, 5), QStringLiteral("无法读取:找不到文件"));  // no file there
    fake.messages.clear();
    grid().SetCellText(1, 2, QStringLiteral("T"));
    grid().SetCellProperty(1, 3, kSet, k1);
    fake.answers.push_back(AnswerYes);
    form->Toolbar1_ButtonClick(QStringLiteral("btnRename"));
    EXPECT_EQ(grid().GetCellText(1, 5), QStringLiteral("未找到原文件! 2"));
    EXPECT_EQ(grid().RowCount(), 2);
}

TEST_F(BatchListTest, ReplaceListsUncheckedRowsAndCountsThem) {
    Fill({{kA, k1}, {kB, k1}, {kC, k1}});
    BatchList& list = form->batchList();
    list.replace({{QStringLiteral("/x"), QStringLiteral("n.docx")}});
    EXPECT_EQ(form->globalFilecount, 1);
    EXPECT_EQ(grid().RowCount(), 2);
    EXPECT_EQ(list.path(1), QStringLiteral("/x/n.docx"));
    EXPECT_FALSE(list.checked(1));
    EXPECT_EQ(list.flag(1), k0);
    list.replace({});
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(grid().GetCellText(0, 1), QStringLiteral("原文件名"));
}

}  // namespace
}  // namespace pelmora
