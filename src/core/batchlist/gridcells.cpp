#include "core/batchlist/gridcells.h"

#include <algorithm>

#include "core/batchlist/gridmodel.h"

namespace pelmora {

namespace {

const QString kSetCheck = QStringLiteral("setcheck");
const QString kGetCheck = QStringLiteral("getcheck");
constexpr uint32_t kWhite = 0xFFFFFF;

}  // namespace

bool GridCells::inRange(int row, int col) const {
    return row >= 0 && col >= 0 && col < cells_->columnCount() && row <= cells_->rowCount();
}

int GridCells::RowCount() const { return cells_->rowCount() + 1; }

int GridCells::columnCount() const { return cells_->columnCount(); }

void GridCells::ClearRows() { cells_->resetRows(0); }

void GridCells::SetRowCount(int n) { cells_->resetRows(std::max(0, n - 1)); }

void GridCells::SetCellText(int row, int col, const QString& text) {
    if (!inRange(row, col)) return;
    if (row == 0)
        cells_->setHeaderText(col, text);
    else
        cells_->setText(row - 1, col, text);
}

QString GridCells::GetCellText(int row, int col) const {
    if (!inRange(row, col)) return QString();
    return row == 0 ? cells_->headerText(col) : cells_->text(row - 1, col);
}

void GridCells::SetCellColor(int row, int col, uint32_t color) {
    if (!inRange(row, col)) return;
    if (row == 0)
        cells_->setHeaderColor(col, color);
    else
        cells_->setColor(row - 1, col, color);
}

void GridCells::SetRowColor(int row, uint32_t color) {
    if (row == 0) {
        for (int c = 0; c < columnCount(); ++c) cells_->setHeaderColor(c, color);
    } else if (inRange(row, 0)) {
        cells_->setRowColor(row - 1, color);
    }
}

uint32_t GridCells::GetCellColor(int row, int col) const {
    if (!inRange(row, col)) return kWhite;
    const uint32_t c = row == 0 ? cells_->headerColor(col) : cells_->color(row - 1, col);
    return c == GridModel::kNoColor ? kWhite : c;
}

void GridCells::SetCellStyle(int row, int col, int style) {
    if (!inRange(row, col)) return;
    if (row == 0) {
        cells_->touchHeader(col);  // the header row has no check boxes
        return;
    }
    cells_->setCheck(row - 1, col,
                     style == kStyleCheckBox ? GridModel::Unchecked : GridModel::NoCheck);
}

void GridCells::SetCellProperty(int row, int col, const QString& name, const QString& value) {
    if (name != kSetCheck || row == 0 || !inRange(row, col)) return;
    cells_->setCheck(row - 1, col,
                     value == QLatin1String("1") ? GridModel::Checked : GridModel::Unchecked);
}

QString GridCells::GetCellProperty(int row, int col, const QString& name) const {
    if (name != kGetCheck) return QString();
    const bool checked =
        row != 0 && inRange(row, col) && cells_->check(row - 1, col) == GridModel::Checked;
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

void GridCells::SetCellChoices(int row, int col, const QStringList& choices) {
    if (row == 0 || !inRange(row, col)) return;
    cells_->setChoices(row - 1, col, choices);
}

QStringList GridCells::GetCellChoices(int row, int col) const {
    if (row == 0 || !inRange(row, col)) return QStringList();
    return cells_->choices(row - 1, col);
}

void GridCells::DeleteRow(int row, int count) {
    if (row < 1 || count <= 0 || row - 1 >= cells_->rowCount()) return;
    cells_->removeRows(row - 1, std::min(count, cells_->rowCount() - (row - 1)));
}

int GridCells::DeleteRows(const std::vector<int>& rows) {
    std::vector<int> modelRows;
    modelRows.reserve(rows.size());
    for (int r : rows)
        if (r >= 1) modelRows.push_back(r - 1);
    return cells_->removeRowSet(std::move(modelRows));
}

void GridCells::RefreshGrid() { cells_->flush(); }

}  // namespace pelmora
