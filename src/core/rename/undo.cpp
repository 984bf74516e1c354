#include "core/rename/undo.h"

#include <QDir>

#include "core/batchlist/batchlist.h"
#include "core/dialogs.h"
#include "core/rename/journal.h"
#include "core/rename/rename.h"
#include "core/settings/number.h"

namespace pelmora {

namespace {

// How many failed moves the message names one by one.
constexpr size_t kListedFailures = 5;

}  // namespace

void UndoLastRenameCommand(BatchList& list, Dialogs& dialogs, const QString& journalPath) {
    const UndoReport report = UndoLastBatch(journalPath);
    MessageRequest box;
    box.caption = kAppTitle;
    if (report.unreadable) {
        box.icon = MsgIcon::Warning;
        box.text = QStringLiteral("改名记录无法读取,没有撤销任何文件:") + QStringLiteral("\n") +
                   journalPath;
        dialogs.message(box);
        return;
    }
    if (report.moves.empty()) {
        box.text = QStringLiteral("没有可以撤销的改名。");
        dialogs.message(box);
        return;
    }

    // The rows of this session still list the files under their old names.
    for (const UndoneMove& m : report.moves) {
        const QString from = QDir::cleanPath(m.from);
        for (int r = 1; r <= list.count(); ++r) {
            if (QDir::cleanPath(list.path(r)) != from) continue;
            if (m.code == 0) {
                list.setRowColor(r, kColorWhite);
                list.setResult(r, QStringLiteral("已撤销"));
            } else {
                list.setRowColor(r, kColorRed);
                list.setResult(r, QStringLiteral("撤销失败:") + FailureText(m.code));
            }
        }
    }

    box.text = QStringLiteral("一共撤销了") + FormatSettingNumber(int(report.undone())) +
               QStringLiteral("个文件的改名!!");
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
    }
    dialogs.message(box);
}

}  // namespace pelmora
