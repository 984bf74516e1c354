#include "batchlist/export.h"

#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

#include "app/form1.h"
#include "grid/didagrid.h"
#include "platform/dialogs.h"

namespace pelmora {

QByteArray CsvField(const QString& text) {
    QString t = text;
    static const QString kFormulaStarts = QStringLiteral("=+-@");
    if (!t.isEmpty() && kFormulaStarts.contains(t.front())) t.prepend(QLatin1Char('\''));
    const bool quote = t.contains(QLatin1Char(',')) || t.contains(QLatin1Char('"')) ||
                       t.contains(QLatin1Char('\n')) || t.contains(QLatin1Char('\r')) ||
                       t.startsWith(QLatin1Char(' ')) || t.endsWith(QLatin1Char(' ')) ||
                       t.startsWith(QLatin1Char('\t'));
    if (!quote) return t.toUtf8();
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return '"' + t.toUtf8() + '"';
}

QByteArray CsvDocument(const std::vector<QStringList>& records) {
    QByteArray out = QByteArrayLiteral("\xEF\xBB\xBF");
    for (const QStringList& record : records) {
        for (qsizetype i = 0; i < record.size(); ++i) {
            if (i > 0) out += ',';
            out += CsvField(record[i]);
        }
        out += "\r\n";
    }
    return out;
}

std::vector<QStringList> ResultRecords(const Form1& form) {
    const DiDaGrid& grid = *form.DiDaGrid1;
    std::vector<QStringList> records;
    records.push_back({QStringLiteral("原文件名"), QStringLiteral("提取的标题"), QStringLiteral("标志"),
                       QStringLiteral("原文件路径"), QStringLiteral("处理结果")});
    const int last = std::min(form.globalFilecount, grid.RowCount() - 1);
    for (int r = 1; r <= last; ++r) {
        records.push_back({grid.GetCellText(r, ColFileName), grid.GetCellText(r, ColTitle),
                           grid.GetCellProperty(r, ColFlag, QStringLiteral("getcheck")),
                           grid.GetCellText(r, ColPath), grid.GetCellText(r, ColResult)});
    }
    return records;
}

void ExportResultsCommand(Form1& form) {
    Dialogs& dialogs = form.dialogs();
    const std::optional<QString> path = dialogs.saveFile(
        QStringLiteral("导出结果"), QStringLiteral("CSV(*.csv)"), QStringLiteral("改名结果.csv"));
    if (!path || path->isEmpty()) return;
    // A name typed without an extension still opens as a spreadsheet.
    const QString target = QFileInfo(*path).suffix().isEmpty() ? *path + QStringLiteral(".csv") : *path;

    // Written whole or not at all: an existing file is replaced only once
    // the new one is complete.
    QSaveFile file(target);
    const QByteArray bytes = CsvDocument(ResultRecords(form));
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
