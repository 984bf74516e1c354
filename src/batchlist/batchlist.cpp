#include "batchlist/batchlist.h"

#include <algorithm>

#include "app/form1.h"
#include "grid/didagrid.h"
#include "platform/dialogs.h"
#include "platform/paths.h"

namespace pelmora {

namespace {

const QString kSetCheck = QStringLiteral("setcheck");
const QString kGetCheck = QStringLiteral("getcheck");
const QString kRefused = QStringLiteral("文件名为空或非法字符,请重输!");

// A count as the removal message shows it: a blank before a number of 0 and
// above, the minus sign before a negative one.
QString WithSignPosition(int n) {
    return (n >= 0 ? QStringLiteral(" ") : QString()) + QString::number(n);
}

}  // namespace

void ApplyEditRule(Form1& form, int row, int col) {
    DiDaGrid& grid = *form.DiDaGrid1;
    if (col == ColTitle && form.globalFilecount > 0) {
        const QString typed = grid.GetCellText(row, ColTitle);
        if (typed.isEmpty() || form.isGoodFilename(typed) != -1) {
            grid.SetCellText(row, ColResult, kRefused);
            grid.SetCellProperty(row, ColFlag, kSetCheck, QStringLiteral("0"));
        } else {
            // A negative maximum length gives no title at all; a text of only
            // blanks and line breaks gives an empty one. Neither may stay
            // checked, or the rename would name the file ".doc".
            const QString title = form.FormatTitle(typed).value_or(QString());
            grid.SetCellText(row, ColTitle, title);
            if (title.isEmpty()) {
                grid.SetCellText(row, ColResult, kRefused);
                grid.SetCellProperty(row, ColFlag, kSetCheck, QStringLiteral("0"));
            } else {
                grid.SetCellText(row, ColResult, QStringLiteral("修改成功"));
                grid.SetCellColor(row, ColTitle, kColorWhite);
                grid.SetCellProperty(row, ColFlag, kSetCheck, QStringLiteral("1"));
            }
        }
    }
    grid.RefreshGrid();
}

void RemoveRows(Form1& form, const QString& target) {
    DiDaGrid& grid = *form.DiDaGrid1;
    int16_t removed = 0;
    int r = 1;
    // A removed row's successor moves up into r and is examined next.
    while (r <= form.globalFilecount) {
        if (grid.GetCellProperty(r, ColFlag, kGetCheck) == target) {
            grid.DeleteRow(r, 1);
            ++removed;
            --form.globalFilecount;
        } else {
            ++r;
        }
    }
    MessageRequest report;
    report.text = QStringLiteral("一共从列表中") + WithSignPosition(removed) +
                  QStringLiteral("个文件!!");
    report.caption = kAppTitle;
    report.buttons = MsgButtons::Ok;
    form.dialogs().message(report);
}

void CheckAllRows(Form1& form) {
    DiDaGrid& grid = *form.DiDaGrid1;
    const int last = std::min(form.globalFilecount, grid.RowCount() - 1);
    for (int r = 1; r <= last; ++r) grid.SetCellProperty(r, ColFlag, kSetCheck, QStringLiteral("1"));
    grid.RefreshGrid();
}

void InvertChecks(Form1& form) {
    DiDaGrid& grid = *form.DiDaGrid1;
    const int last = std::min(form.globalFilecount, grid.RowCount() - 1);
    for (int r = 1; r <= last; ++r) {
        const bool checked = grid.GetCellProperty(r, ColFlag, kGetCheck) == QLatin1String("1");
        grid.SetCellProperty(r, ColFlag, kSetCheck, checked ? QStringLiteral("0") : QStringLiteral("1"));
    }
    grid.RefreshGrid();
}

void OpenRowDocument(Form1& form, int row) {
    if (form.globalFilecount <= 0 || row < 1 || row > form.globalFilecount) return;
    const DiDaGrid& grid = *form.DiDaGrid1;
    const QString path = JoinPath(grid.GetCellText(row, ColPath), grid.GetCellText(row, ColFileName));
    if (form.dialogs().openDocument(path)) return;
    MessageRequest failure;
    failure.text = QStringLiteral("无法打开文件:") + path;
    failure.caption = kAppTitle;
    failure.icon = MsgIcon::Warning;
    form.dialogs().message(failure);
}

}  // namespace pelmora
