#include "core/batchlist/rowcommands.h"

#include <QCoreApplication>

#include "core/batchlist/batchlist.h"
#include "core/desktop/defaultprogram.h"
#include "core/dialogs.h"
#include "core/files/filenames.h"
#include "core/settings/globalsettings.h"
#include "core/settings/number.h"

namespace pelmora {

namespace {

const QString kRefused = QStringLiteral("文件名为空或非法字符,请重输!");

}  // namespace

void ApplyEditRule(BatchList& list, const GlobalSettings& settings, int row, int col) {
    if (col == ColTitle && list.count() > 0) {
        // With 替换非法字符 on, the characters a name may not hold are
        // replaced before the test, as extraction and rename replace them.
        const QString typed =
            settings.globalReplaceIllegal ? ReplaceIllegal(list.title(row)) : list.title(row);
        if (typed.isEmpty() || IsGoodFilename(typed) != -1) {
            list.setResult(row, kRefused);
            list.setChecked(row, false);
        } else {
            // A negative maximum length gives no title at all; a text of only
            // blanks and line breaks gives an empty one. Neither may stay
            // checked, or the rename would name the file ".doc".
            const QString title = FormatTitle(typed, settings.globalMaxword, TitleRulesOf(settings))
                                      .value_or(QString());
            list.setTitle(row, title);
            // What the rename would refuse (CON, ".x", control characters)
            // may not read as accepted either.
            if (title.isEmpty() || IsRefusedNewName(RenamedFileName(list.fileName(row), title))) {
                list.setResult(row, kRefused);
                list.setChecked(row, false);
            } else {
                list.setResult(row, QStringLiteral("修改成功"));
                list.setTitleColor(row, kColorWhite);
                list.setChecked(row, true);
            }
        }
    }
    list.refresh();
}

void RemoveRows(BatchList& list, Dialogs& dialogs, bool checked) {
    // All at once: one row at a time would move every row below each time.
    std::vector<int> rows;
    for (int r = 1; r <= list.count(); ++r)
        if (list.checked(r) == checked) rows.push_back(r);
    // As wide as the list: 40,000 rows removed read 40000, not -25536.
    const int removed = list.removeRows(rows);
    MessageRequest report;
    report.text =
        QStringLiteral("一共从列表中") + FormatSettingNumber(removed) + QStringLiteral("个文件!!");
    report.caption = kAppTitle;
    report.buttons = MsgButtons::Ok;
    dialogs.message(report);
}

void CheckAllRows(BatchList& list) {
    for (int r = 1; r <= list.count(); ++r) list.setChecked(r, true);
    list.refresh();
}

void InvertChecks(BatchList& list) {
    for (int r = 1; r <= list.count(); ++r) list.setChecked(r, !list.checked(r));
    list.refresh();
}

void OpenRowDocument(const BatchList& list, Dialogs& dialogs, int row) {
    if (row < 1 || row > list.count()) return;
    const QString path = list.path(row);
    // The desktop's program for it may be this one (no word processor
    // installed, and our entry takes Word files): a second window on top of
    // the first would show nothing of the document.
    const DefaultProgram program = dialogs.defaultProgram(path);
    if (program.kind == DefaultProgram::Kind::None ||
        IsThisProgram(program, QCoreApplication::applicationFilePath())) {
        MessageRequest none;
        none.text = QStringLiteral("没有可以显示此文档的程序:") + path + QStringLiteral("\r\n") +
                    QStringLiteral("请先安装能打开Word文档的程序。");
        none.caption = kAppTitle;
        none.icon = MsgIcon::Information;
        dialogs.message(none);
        return;
    }
    if (dialogs.openDocument(path)) return;
    MessageRequest failure;
    failure.text = QStringLiteral("无法打开文件:") + path;
    failure.caption = kAppTitle;
    failure.icon = MsgIcon::Warning;
    dialogs.message(failure);
}

}  // namespace pelmora
