#include "core/batchlist/export.h"

#include <QFileInfo>
#include <QSaveFile>

#include "core/batchlist/batchlist.h"
#include "core/batchlist/csv.h"
#include "core/dialogs.h"

namespace pelmora {

std::vector<QStringList> ResultRecords(const BatchList& list) {
    std::vector<QStringList> records;
    records.push_back(ColumnHeaders());
    for (int r = 1; r <= list.count(); ++r) {
        records.push_back(
            {list.fileName(r), list.title(r), list.flag(r), list.folder(r), list.result(r)});
    }
    return records;
}

void ExportResultsCommand(const BatchList& list, Dialogs& dialogs) {
    const std::optional<QString> path = dialogs.saveFile(
        QStringLiteral("导出结果"), QStringLiteral("CSV(*.csv)"), QStringLiteral("改名结果.csv"));
    if (!path || path->isEmpty()) return;
    // A name typed without an extension still opens as a spreadsheet.
    const QString target =
        QFileInfo(*path).suffix().isEmpty() ? *path + QStringLiteral(".csv") : *path;

    // Written whole or not at all: an existing file is replaced only once
    // the new one is complete.
    QSaveFile file(target);
    const QByteArray bytes = CsvDocument(ResultRecords(list));
    QString error;
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
    } else {
        // A failed write leaves the file in error, and commit then refuses.
        if (file.write(bytes) != bytes.size()) file.cancelWriting();
        if (!file.commit()) error = file.errorString();
    }
    MessageRequest box;
    box.caption = QStringLiteral("导出结果");
    if (error.isEmpty()) {
        box.text = QStringLiteral("结果已导出到:") + target;
        box.icon = MsgIcon::Information;
    } else {
        box.text = QStringLiteral("无法写入文件:") + target + QLatin1Char('\n') + error;
        box.icon = MsgIcon::Warning;
    }
    dialogs.message(box);
}

}  // namespace pelmora
