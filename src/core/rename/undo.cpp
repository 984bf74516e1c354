#include "core/rename/undo.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <vector>

#include "core/batchlist/batchlist.h"
#include "core/dialogs.h"
#include "core/progress.h"
#include "core/rename/journal.h"
#include "core/rename/journallock.h"
#include "core/rename/rename.h"
#include "core/settings/number.h"

namespace pelmora {

namespace {

// How many failed moves the message names one by one.
constexpr size_t kListedFailures = 5;

// The rows by the path they list, so that each move finds its rows at once.
QHash<QString, std::vector<int>> RowsByPath(const BatchList& list) {
    QHash<QString, std::vector<int>> rows;
    rows.reserve(list.count());
    for (int r = 1; r <= list.count(); ++r) rows[QDir::cleanPath(list.path(r))].push_back(r);
    return rows;
}

void MarkRows(BatchList& list, const QHash<QString, std::vector<int>>& rows, const UndoneMove& m) {
    const QString from = QDir::cleanPath(m.from);
    const QString to = QDir::cleanPath(m.to);
    auto mark = [&](int r) {
        if (m.code == 0) {
            list.setRowColor(r, kColorWhite);
            list.setResult(r, QStringLiteral("已撤销"));
        } else {
            list.setRowColor(r, kColorRed);
            list.setResult(r, QStringLiteral("撤销失败:") + FailureText(m.code));
        }
    };
    // Rows of this session show the file where the rename put it; those
    // listed since may show it under its old name.
    if (const auto it = rows.constFind(to); it != rows.constEnd()) {
        const QFileInfo old(from);
        for (const int r : *it) {
            if (m.code == 0) list.setLocation(r, old.path(), old.fileName());
            mark(r);
        }
    }
    if (from == to) return;
    if (const auto it = rows.constFind(from); it != rows.constEnd())
        for (const int r : *it) mark(r);
}

}  // namespace

void UndoLastRenameCommand(BatchList& list, Dialogs& dialogs, const QString& journalPath,
                           Progress* progress) {
    bool started = false;
    const UndoReport report = UndoLastBatch(journalPath, [&](size_t done, size_t total) {
        if (!progress || total == 0) return false;
        if (!started) progress->start(int(total));
        started = true;
        progress->step(int(done), int(total));
        return progress->stopRequested();
    });
    MessageRequest box;
    box.caption = kAppTitle;
    if (report.busy) {
        box.icon = MsgIcon::Warning;
        box.text = JournalBusyText() + QStringLiteral("\n") + QStringLiteral("没有撤销任何文件。");
        dialogs.message(box);
        return;
    }
    if (report.unreadable) {
        box.icon = MsgIcon::Warning;
        box.text =
            (report.notAFile ? QStringLiteral("改名记录不是普通文件(可能是设备、管道或指向它们的"
                                              "链接),没有读取也没有改动它,没有撤销任何文件:")
                             : QStringLiteral("改名记录无法读取,没有撤销任何文件:")) +
            QStringLiteral("\n") + journalPath;
        dialogs.message(box);
        return;
    }
    if (report.moves.empty() && !report.stopped) {
        box.text = QStringLiteral("没有可以撤销的改名。");
        dialogs.message(box);
        return;
    }

    const QHash<QString, std::vector<int>> rows = RowsByPath(list);
    for (const UndoneMove& m : report.moves) MarkRows(list, rows, m);

    if (report.stopped) {
        box.icon = MsgIcon::Information;
        box.text = QStringLiteral("撤销已停止:已撤销") + QString::number(report.undone()) +
                   QStringLiteral("个文件的改名,其余文件未改动。");
    } else {
        box.text = QStringLiteral("一共撤销了") + FormatSettingNumber(int(report.undone())) +
                   QStringLiteral("个文件的改名!!");
    }
    if (const size_t failed = report.failed()) {
        box.icon = MsgIcon::Warning;
        box.text += QStringLiteral("\n有") + FormatSettingNumber(int(failed)) +
                    QStringLiteral("个文件无法撤销,未做任何替换:");
        size_t listed = 0;
        for (const UndoneMove& m : report.moves) {
            if (m.code == 0) continue;
            if (listed++ == kListedFailures) {
                box.text += QStringLiteral("\n……");
                break;
            }
            box.text += QStringLiteral("\n") + m.to + QStringLiteral(" → ") + m.from +
                        QStringLiteral(" (") + FailureText(m.code) + QStringLiteral(")");
        }
        box.text += QStringLiteral("\n再次选择“撤销上次改名”可重试。");
    } else if (report.stopped) {
        box.text += QStringLiteral("\n再次选择“撤销上次改名”可撤销其余文件。");
    }
    dialogs.message(box);
}

}  // namespace pelmora
