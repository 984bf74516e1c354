// The grid operations over the Qt table, driven as the program and the user
// drive them.

#include "gui/didagrid.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <vector>

namespace pelmora {
namespace {

const QString kGet = QStringLiteral("getcheck");
const QString kSet = QStringLiteral("setcheck");

class DiDaGridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        grid = std::make_unique<DiDaGrid>();
        grid->resize(737, 321);
        grid->SetColCount(6);
        for (int c = 0; c < 6; ++c) grid->SetColWidth(c, c == 0 ? -677 : 110);
        for (int c = 1; c <= 5; ++c) grid->SetCellText(0, c, QStringLiteral("H%1").arg(c));
    }

    // Document rows 1..n with file names f1..fn and check boxes.
    void AddRows(int n) {
        grid->ClearRows();
        grid->SetRowCount(n + 1);
        for (int r = 1; r <= n; ++r) {
            grid->SetCellText(r, 1, QStringLiteral("f%1").arg(r));
            grid->SetCellStyle(r, 3, DiDaGrid::kStyleCheckBox);
        }
    }

    QModelIndex Index(int row, int col) const { return grid->model()->index(row - 1, col); }
    // The background the view paints for a cell of grid row r.
    QColor Background(int row, int col) const {
        return Index(row, col).data(Qt::BackgroundRole).value<QBrush>().color();
    }

    // Types text into a cell through the in-place editor, as a user does.
    QLineEdit* OpenEditor(int row, int col) {
        grid->setCurrentIndex(Index(row, col));
        grid->edit(Index(row, col));
        return qobject_cast<QLineEdit*>(grid->indexWidget(Index(row, col)));
    }

    std::unique_ptr<DiDaGrid> grid;
};

TEST_F(DiDaGridTest, HeaderRowSurvivesClearAndRowCount) {
    AddRows(3);
    EXPECT_EQ(grid->RowCount(), 4);
    for (int c = 1; c <= 5; ++c) EXPECT_EQ(grid->GetCellText(0, c), QStringLiteral("H%1").arg(c));
    grid->SetRowCount(3);
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->GetCellText(1, 1), QString()) << "new rows start empty";
    grid->ClearRows();
    EXPECT_EQ(grid->RowCount(), 1);
    EXPECT_EQ(grid->GetCellText(0, 2), QStringLiteral("H2"));
    grid->SetRowCount(0);  // below one row means no document rows
    EXPECT_EQ(grid->RowCount(), 1);
}

TEST_F(DiDaGridTest, CellsHoldTextsAndRowsMoveUpOnDelete) {
    AddRows(4);
    grid->SetCellText(2, 5, QStringLiteral("提取成功"));
    EXPECT_EQ(grid->GetCellText(2, 5), QStringLiteral("提取成功"));
    grid->DeleteRow(2, 1);
    EXPECT_EQ(grid->RowCount(), 4);
    EXPECT_EQ(grid->GetCellText(1, 1), QStringLiteral("f1"));
    EXPECT_EQ(grid->GetCellText(2, 1), QStringLiteral("f3"));
    EXPECT_EQ(grid->GetCellText(3, 1), QStringLiteral("f4"));
    grid->DeleteRow(0, 1);  // the header row is not a document row
    EXPECT_EQ(grid->RowCount(), 4);
    EXPECT_EQ(grid->GetCellText(0, 1), QStringLiteral("H1"));
    grid->DeleteRow(3, 5);  // more than there are: only what exists goes
    EXPECT_EQ(grid->RowCount(), 3);
}

TEST_F(DiDaGridTest, OutOfRangeCellsAreIgnored) {
    AddRows(1);
    grid->SetCellText(5, 1, QStringLiteral("x"));
    grid->SetCellText(1, 9, QStringLiteral("x"));
    grid->SetCellText(-1, 1, QStringLiteral("x"));
    grid->SetCellColor(7, 2, 0xFF);
    grid->SetCellProperty(4, 3, kSet, QStringLiteral("1"));
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->GetCellText(5, 1), QString());
    EXPECT_EQ(grid->GetCellText(1, -1), QString());
    EXPECT_EQ(grid->GetCellProperty(4, 3, kGet), QStringLiteral("0"));
    EXPECT_EQ(grid->GetCellColor(7, 2), 0xFFFFFFu);
}

TEST_F(DiDaGridTest, CheckFlagReadsAndWritesOneAndZero) {
    AddRows(2);
    EXPECT_EQ(grid->GetCellProperty(1, 3, kGet), QStringLiteral("0")) << "new rows are unchecked";
    grid->SetCellProperty(1, 3, kSet, QStringLiteral("1"));
    EXPECT_EQ(grid->GetCellProperty(1, 3, kGet), QStringLiteral("1"));
    EXPECT_EQ(grid->GetCellProperty(2, 3, kGet), QStringLiteral("0"));
    grid->SetCellProperty(1, 3, kSet, QStringLiteral("0"));
    EXPECT_EQ(grid->GetCellProperty(1, 3, kGet), QStringLiteral("0"));

    // The user's click toggles the same state the program reads.
    grid->model()->setData(Index(2, 3), Qt::Checked, Qt::CheckStateRole);
    EXPECT_EQ(grid->GetCellProperty(2, 3, kGet), QStringLiteral("1"));

    // Other names neither read nor write the check box.
    EXPECT_EQ(grid->GetCellProperty(2, 3, QStringLiteral("GetCheck")), QString());
    grid->SetCellProperty(2, 3, QStringLiteral("check"), QStringLiteral("0"));
    EXPECT_EQ(grid->GetCellProperty(2, 3, kGet), QStringLiteral("1"));
    EXPECT_EQ(grid->GetCellProperty(1, 2, kGet), QStringLiteral("0")) << "not a check box";
}

TEST_F(DiDaGridTest, ColoursAreBgrValues) {
    AddRows(2);
    EXPECT_EQ(grid->GetCellColor(1, 2), 0xFFFFFFu) << "white before any colour";
    grid->SetCellColor(1, 2, 0x0000FF);
    EXPECT_EQ(grid->GetCellColor(1, 2), 0x0000FFu);
    EXPECT_EQ(Background(1, 2), QColor(255, 0, 0)) << "0x0000FF is red";
    grid->SetRowColor(2, 0x00FFFF);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(grid->GetCellColor(2, c), 0x00FFFFu) << c;
        EXPECT_EQ(Background(2, c), QColor(255, 255, 0)) << "yellow";
    }
    grid->SetCellColor(2, 4, 0x123456);
    EXPECT_EQ(Background(2, 4), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(grid->GetCellColor(2, 4), 0x123456u);
}

TEST_F(DiDaGridTest, NegativeWidthHidesColumn) {
    EXPECT_TRUE(grid->isColumnHidden(0));
    EXPECT_EQ(grid->ColWidth(0), -677);
    grid->SetColWidth(0, 40);
    EXPECT_FALSE(grid->isColumnHidden(0));
    EXPECT_EQ(grid->columnWidth(0), 40);
    EXPECT_EQ(grid->columnWidth(2), 110);
}

TEST_F(DiDaGridTest, EditBeginAsksAndCanRefuse) {
    AddRows(2);
    grid->show();
    std::vector<std::pair<int, int>> asked;
    QObject::connect(grid.get(), &DiDaGrid::CellEditBegin,
                     [&](int row, int col, int, int16_t& allow) {
                         asked.emplace_back(row, col);
                         if (col == 1) allow = 0;
                     });
    EXPECT_EQ(OpenEditor(2, 1), nullptr);
    EXPECT_FALSE(grid->IsEditing());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], std::make_pair(2, 1)) << "grid row numbers count the header row";

    QLineEdit* editor = OpenEditor(2, 2);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(asked.back(), std::make_pair(2, 2));
}

TEST_F(DiDaGridTest, EditEndOnlyForTheUsersCommittedEdits) {
    AddRows(3);
    grid->show();
    std::vector<std::pair<int, int>> ended;
    QObject::connect(grid.get(), &DiDaGrid::CellEditEnd,
                     [&](int row, int col, int) { ended.emplace_back(row, col); });

    // The program's own writes raise nothing.
    grid->SetCellText(2, 2, QStringLiteral("标题"));
    grid->SetCellProperty(2, 3, kSet, QStringLiteral("1"));
    grid->SetCellColor(2, 2, 0xFF);
    grid->SetRowColor(3, 0xFFFF);
    grid->SetCellText(0, 2, QStringLiteral("header"));
    EXPECT_TRUE(ended.empty());

    QLineEdit* editor = OpenEditor(3, 2);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("新标题"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::sendPostedEvents();  // Return commits through a queued call
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0], std::make_pair(3, 2));
    EXPECT_EQ(grid->GetCellText(3, 2), QStringLiteral("新标题"));

    // Escape leaves the cell as it was and is no finished edit.
    editor = OpenEditor(1, 5);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("typed"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(ended.size(), 1u);
    EXPECT_EQ(grid->GetCellText(1, 5), QString());
}

TEST_F(DiDaGridTest, RightClickRequestsTheMenuAlsoOnAnEmptyList) {
    grid->show();
    struct Request {
        int row, col;
    };
    std::vector<Request> requests;
    QObject::connect(grid.get(), &DiDaGrid::MenuRequest, [&](int, int, int row, int col, int) {
        requests.push_back({row, col});
    });

    const QPoint empty(100, 200);
    QContextMenuEvent onEmpty(QContextMenuEvent::Mouse, empty,
                              grid->viewport()->mapToGlobal(empty));
    QApplication::sendEvent(grid->viewport(), &onEmpty);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].row, -1);

    AddRows(2);
    const QPoint onCell = grid->visualRect(Index(2, 4)).center();
    QContextMenuEvent onRow(QContextMenuEvent::Mouse, onCell,
                            grid->viewport()->mapToGlobal(onCell));
    QApplication::sendEvent(grid->viewport(), &onRow);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].row, 2);
    EXPECT_EQ(requests[1].col, 4);

    // On the header row too.
    emit grid->horizontalHeader()->customContextMenuRequested(QPoint(5, 5));
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[2].row, 0);
}

TEST_F(DiDaGridTest, DoubleClickRequestsTheClickedRow) {
    AddRows(3);
    grid->show();
    std::vector<int> opened;
    QObject::connect(grid.get(), &DiDaGrid::OpenRequest, [&](int, int, int row, int, int docRow) {
        EXPECT_EQ(row, docRow);
        opened.push_back(docRow);
    });
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                       grid->visualRect(Index(3, 1)).center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                       grid->visualRect(Index(2, 5)).center());
    EXPECT_EQ(opened, (std::vector<int>{3, 2}));
    EXPECT_FALSE(grid->IsEditing()) << "double-click does not edit";

    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(300, 300));  // below the rows
    EXPECT_EQ(opened.size(), 2u);
}

}  // namespace
}  // namespace pelmora
