// The grid's own cell store under many rows: deletions of every shape must
// move texts, colours and check boxes with their rows, and the program's
// writes must reach the view once, without losing what the user types.

#include "core/batchlist/gridmodel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <memory>
#include <random>
#include <vector>

#include "core/batchlist/gapvector.h"
#include "gui/didagrid.h"

namespace pelmora {
namespace {

const QString kGet = QStringLiteral("getcheck");
const QString kSet = QStringLiteral("setcheck");
constexpr int kCols = 6;

TEST(GapVector, ErasuresAnywhereMatchAPlainVector) {
    std::mt19937 random(7);
    GapVector<QString> gapped;
    gapped.assign(500, QString());
    std::vector<QString> plain(500);
    for (size_t i = 0; i < plain.size(); ++i) gapped[i] = plain[i] = QString::number(i);
    while (!plain.empty()) {
        // Mostly next to the last erasure, in both directions, sometimes far.
        const size_t pos = random() % plain.size();
        const size_t count = 1 + random() % std::min<size_t>(plain.size() - pos, 4);
        gapped.erase(pos, count);
        plain.erase(plain.begin() + ptrdiff_t(pos), plain.begin() + ptrdiff_t(pos + count));
        ASSERT_EQ(gapped.size(), plain.size());
        for (size_t i = 0; i < plain.size(); ++i) ASSERT_EQ(gapped[i], plain[i]) << i;
    }
    EXPECT_TRUE(gapped.empty());
}

// What one document row holds, to compare the grid against.
struct RowValues {
    QString name, title;
    uint32_t color;
    QString check;
};

class GridStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        grid = std::make_unique<DiDaGrid>();
        grid->resize(737, 321);
        grid->SetColCount(kCols);
        for (int c = 0; c < kCols; ++c) grid->SetColWidth(c, c == 0 ? -1 : 70 + c);
        for (int c = 1; c < kCols; ++c) grid->SetCellText(0, c, QStringLiteral("H%1").arg(c));
    }

    // Rows whose values all differ: every third coloured, every other checked.
    void Fill(int n) {
        grid->SetRowCount(n + 1);
        expected.clear();
        for (int r = 1; r <= n; ++r) {
            RowValues v{QStringLiteral("f%1").arg(r), QStringLiteral("标题%1").arg(r),
                        r % 3 == 0 ? uint32_t(r) : 0xFFFFFFu,
                        r % 2 == 0 ? QStringLiteral("1") : QStringLiteral("0")};
            grid->SetCellText(r, 1, v.name);
            if (r % 5 != 0) grid->SetCellText(r, 2, v.title);  // some titles stay empty
            if (r % 5 == 0) v.title.clear();
            if (r % 3 == 0) grid->SetCellColor(r, 2, v.color);
            grid->SetCellStyle(r, 3, DiDaGrid::kStyleCheckBox);
            grid->SetCellProperty(r, 3, kSet, v.check);
            expected.push_back(v);
        }
    }

    void ExpectRowsAsExpected() const {
        ASSERT_EQ(grid->RowCount(), int(expected.size()) + 1);
        for (int r = 1; r <= int(expected.size()); ++r) {
            const RowValues& v = expected[size_t(r - 1)];
            ASSERT_EQ(grid->GetCellText(r, 1), v.name) << r;
            ASSERT_EQ(grid->GetCellText(r, 2), v.title) << v.name.toStdString();
            ASSERT_EQ(grid->GetCellColor(r, 2), v.color) << v.name.toStdString();
            ASSERT_EQ(grid->GetCellColor(r, 1), 0xFFFFFFu) << v.name.toStdString();
            ASSERT_EQ(grid->GetCellProperty(r, 3, kGet), v.check) << v.name.toStdString();
        }
        for (int c = 1; c < kCols; ++c)
            EXPECT_EQ(grid->GetCellText(0, c), QStringLiteral("H%1").arg(c));
    }

    void Forget(int row, int count = 1) {
        expected.erase(expected.begin() + (row - 1), expected.begin() + (row - 1 + count));
    }

    std::unique_ptr<DiDaGrid> grid;
    std::vector<RowValues> expected;
};

TEST_F(GridStoreTest, DeletedRangesTakeTheirValuesAlongAndTheRestMoveUp) {
    Fill(60);
    grid->DeleteRow(20, 5);  // the middle
    Forget(20, 5);
    grid->DeleteRow(3, 2);  // above the last deletion
    Forget(3, 2);
    grid->DeleteRow(40, 1);  // below it again
    Forget(40);
    grid->DeleteRow(1, 1);  // the first row
    Forget(1);
    grid->DeleteRow(int(expected.size()) - 1, 10);  // past the end: only the last two
    Forget(int(expected.size()) - 1, 2);
    ExpectRowsAsExpected();

    // New values land on the rows now shown there.
    grid->SetCellText(7, 2, QStringLiteral("新"));
    expected[6].title = QStringLiteral("新");
    grid->SetRowColor(8, 0x00FF00);
    grid->SetCellColor(8, 1, 0xFFFFFF);
    expected[7].color = 0x00FF00;
    ExpectRowsAsExpected();
    EXPECT_EQ(grid->GetCellColor(8, 5), 0x00FF00u);
}

TEST_F(GridStoreTest, RowsDeletedAtOnceMatchDeletingThemOneByOne) {
    // Few stretches and many take different ways through the view.
    for (const int step : {17, 2}) {
        SCOPED_TRACE(step);
        Fill(400);
        std::vector<int> rows;
        for (int r = 1; r <= 400; r += step) rows.push_back(r);
        rows.push_back(5);                       // twice
        rows.push_back(0);                       // the header row
        rows.push_back(401);                     // no such row
        std::reverse(rows.begin(), rows.end());  // any order
        std::vector<RowValues> kept;
        for (int r = 1; r <= 400; ++r)
            if (r != 5 && (r - 1) % step != 0) kept.push_back(expected[size_t(r - 1)]);
        EXPECT_EQ(grid->DeleteRows(rows), 400 - int(kept.size()));
        expected = kept;
        ExpectRowsAsExpected();
        // The columns keep their widths and the hidden one stays hidden.
        EXPECT_TRUE(grid->isColumnHidden(0));
        for (int c = 1; c < kCols; ++c) EXPECT_EQ(grid->columnWidth(c), 70 + c);
    }
    EXPECT_EQ(grid->DeleteRows({}), 0);
}

TEST_F(GridStoreTest, CurrentCellStaysOnItsRowWhenManyRowsGo) {
    Fill(300);
    grid->setCurrentIndex(grid->model()->index(201, 2));  // grid row 202
    std::vector<int> odd;
    for (int r = 1; r <= 300; r += 2) odd.push_back(r);
    grid->DeleteRows(odd);
    ASSERT_TRUE(grid->currentIndex().isValid());
    EXPECT_EQ(grid->currentIndex().column(), 2);
    EXPECT_EQ(grid->GetCellText(grid->currentIndex().row() + 1, 1), QStringLiteral("f202"));
}

TEST_F(GridStoreTest, ColourSentinelIsNeverAColour) {
    Fill(3);
    const QAbstractItemModel& m = *grid->model();
    EXPECT_FALSE(m.index(0, 2).data(Qt::BackgroundRole).isValid()) << "no colour set: none shown";
    // A value with the top byte set is still only its colour: white, and set.
    grid->SetCellColor(1, 2, 0xFFFFFFFF);
    EXPECT_EQ(grid->GetCellColor(1, 2), 0xFFFFFFu);
    EXPECT_EQ(m.index(0, 2).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::white));
    grid->SetCellColor(2, 4, 0x01000080);
    EXPECT_EQ(grid->GetCellColor(2, 4), 0x80u);
    EXPECT_FALSE(m.index(0, 4).data(Qt::BackgroundRole).isValid()) << "other rows stay unset";
    // New rows start without colours.
    grid->SetRowCount(4);
    EXPECT_FALSE(m.index(0, 2).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(m.index(1, 4).data(Qt::BackgroundRole).isValid());
    // The header row's colours are its own.
    grid->SetCellColor(0, 2, 0xFF0000);
    EXPECT_EQ(grid->GetCellColor(0, 2), 0xFF0000u);
    EXPECT_EQ(m.headerData(2, Qt::Horizontal, Qt::BackgroundRole).value<QBrush>().color(),
              QColor(0, 0, 255));
    EXPECT_EQ(grid->GetCellColor(1, 2), 0xFFFFFFu);
}

TEST_F(GridStoreTest, ColumnsAddedAndRemovedKeepTheOthersCells) {
    Fill(5);
    grid->SetColCount(8);
    EXPECT_EQ(grid->GetCellText(3, 7), QString());
    grid->SetCellText(3, 7, QStringLiteral("x"));
    grid->SetCellColor(4, 6, 0xFF);
    EXPECT_EQ(grid->GetCellText(3, 7), QStringLiteral("x"));
    EXPECT_EQ(grid->GetCellColor(4, 6), 0xFFu);
    EXPECT_EQ(grid->model()->headerData(7, Qt::Horizontal).toInt(), 8)
        << "a header never written shows the column's number";
    grid->SetColCount(3);
    EXPECT_EQ(grid->GetCellText(3, 7), QString());
    EXPECT_EQ(grid->GetCellColor(4, 6), 0xFFFFFFu);
    EXPECT_EQ(grid->GetCellText(3, 1), QStringLiteral("f3"));
    grid->SetColCount(8);
    EXPECT_EQ(grid->GetCellText(3, 7), QString()) << "a column back is a new one";
    EXPECT_EQ(grid->GetCellText(0, 4), QString());
}

TEST_F(GridStoreTest, ProgramWritesReachTheViewOnceAndAtOnceForReading) {
    Fill(1000);
    QCoreApplication::processEvents();
    QSignalSpy changed(grid->model(), &QAbstractItemModel::dataChanged);
    for (int r = 10; r <= 900; ++r) {
        grid->SetCellText(r, 5, QStringLiteral("r%1").arg(r));
        grid->SetCellColor(r, 4, 0xFF);
        ASSERT_EQ(grid->GetCellText(r, 5), QStringLiteral("r%1").arg(r));
    }
    grid->SetRowColor(950, 0xFF00);
    EXPECT_EQ(changed.count(), 0);
    QCoreApplication::processEvents();
    ASSERT_EQ(changed.count(), 1);
    const auto topLeft = changed[0][0].value<QModelIndex>();
    const auto bottomRight = changed[0][1].value<QModelIndex>();
    EXPECT_EQ(topLeft.row(), 9);
    EXPECT_EQ(bottomRight.row(), 949);
    EXPECT_EQ(topLeft.column(), 0) << "the row colour covers every column";
    EXPECT_EQ(bottomRight.column(), kCols - 1);

    // RefreshGrid does not wait; nothing is announced twice.
    grid->SetCellText(2, 2, QStringLiteral("y"));
    grid->RefreshGrid();
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed[1][0].value<QModelIndex>(), grid->model()->index(1, 2));
    QCoreApplication::processEvents();
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(GridStoreTest, WritesElsewhereLeaveTheUsersTypingAlone) {
    Fill(20);
    grid->show();
    const QModelIndex cell = grid->model()->index(4, 2);
    grid->setCurrentIndex(cell);
    grid->edit(cell);
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(cell));
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("打字中"));
    for (int r = 1; r <= 20; ++r) grid->SetCellText(r, 5, QStringLiteral("结果"));
    grid->RefreshGrid();
    QCoreApplication::processEvents();
    EXPECT_EQ(editor->text(), QStringLiteral("打字中"));
    EXPECT_TRUE(grid->IsEditing());
}

}  // namespace
}  // namespace pelmora
