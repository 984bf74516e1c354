#include "core/batchlist/batchlist.h"

#include <algorithm>

#include "core/batchlist/gridcells.h"
#include "core/files/paths.h"

namespace pelmora {

namespace {

const QString kSetCheck = QStringLiteral("setcheck");
const QString kGetCheck = QStringLiteral("getcheck");
const QString kChecked = QStringLiteral("1");
const QString kUnchecked = QStringLiteral("0");

}  // namespace

const QStringList& ColumnHeaders() {
    static const QStringList kHeaders = {QStringLiteral("原文件名"), QStringLiteral("提取的标题"),
                                         QStringLiteral("标志"), QStringLiteral("原文件路径"),
                                         QStringLiteral("处理结果")};
    return kHeaders;
}

int BatchList::count() const {
    return std::max(0, std::min<int>(filecount_, grid_.RowCount() - 1));
}

void BatchList::replace(const std::vector<FoundFile>& files) {
    filecount_ = static_cast<int32_t>(files.size());
    grid_.ClearRows();
    grid_.SetRowCount(filecount_ + 1);
    for (int i = 0; i < filecount_; ++i) {
        const int r = i + 1;
        grid_.SetCellText(r, ColFileName, files[size_t(i)].name);
        grid_.SetCellText(r, ColPath, files[size_t(i)].folder);
        grid_.SetCellStyle(r, ColFlag, GridCells::kStyleCheckBox);
    }
}

void BatchList::removeRow(int row) {
    grid_.DeleteRow(row, 1);
    --filecount_;
}

int BatchList::removeRows(const std::vector<int>& rows) {
    std::vector<int> documentRows;
    documentRows.reserve(rows.size());
    for (int r : rows)
        if (r >= 1 && r <= count()) documentRows.push_back(r);
    const int removed = grid_.DeleteRows(documentRows);
    filecount_ -= removed;
    return removed;
}

QString BatchList::fileName(int row) const { return grid_.GetCellText(row, ColFileName); }
QString BatchList::folder(int row) const { return grid_.GetCellText(row, ColPath); }
QString BatchList::path(int row) const { return JoinPath(folder(row), fileName(row)); }
QString BatchList::title(int row) const { return grid_.GetCellText(row, ColTitle); }
QString BatchList::result(int row) const { return grid_.GetCellText(row, ColResult); }
QString BatchList::flag(int row) const { return grid_.GetCellProperty(row, ColFlag, kGetCheck); }
bool BatchList::checked(int row) const { return flag(row) == kChecked; }

void BatchList::setTitle(int row, const QString& title) { grid_.SetCellText(row, ColTitle, title); }
void BatchList::setResult(int row, const QString& result) {
    grid_.SetCellText(row, ColResult, result);
}
void BatchList::setChecked(int row, bool checked) {
    grid_.SetCellProperty(row, ColFlag, kSetCheck, checked ? kChecked : kUnchecked);
}
void BatchList::setTitleColor(int row, uint32_t color) { grid_.SetCellColor(row, ColTitle, color); }
void BatchList::setRowColor(int row, uint32_t color) { grid_.SetRowColor(row, color); }
void BatchList::setLocation(int row, const QString& folder, const QString& fileName) {
    if (grid_.GetCellText(row, ColPath) != folder) grid_.SetCellText(row, ColPath, folder);
    grid_.SetCellText(row, ColFileName, fileName);
}
void BatchList::refresh() { grid_.RefreshGrid(); }

}  // namespace pelmora
