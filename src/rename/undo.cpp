#include "rename/undo.h"

#include <QDir>
#include <algorithm>

#include "app/form1.h"
#include "grid/didagrid.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "rename/journal.h"

namespace pelmora {

namespace {

QString WithSignPosition(long long n) {
    return (n >= 0 ? QStringLiteral(" ") : QString()) + QString::number(n);
}

// How many failed moves the message names one by one.
constexpr size_t kListedFailures = 5;

}  // namespace

void UndoLastRenameCommand(Form1& form) {
    const UndoReport report = UndoLastBatch(RenameJournal::PathBesideSettings(form.settingsPath()));
    Dialogs& dialogs = form.dialogs();
    MessageRequest box;
    box.caption = kAppTitle;
    if (report.unreadable) {
        box.icon = MsgIcon::Warning;
        box.text = QStringLiteral("改名记录无法读取,没有撤销任何文件:") + QStringLiteral("\n") +
                   RenameJournal::PathBesideSettings(form.settingsPath());
        dialogs.message(box);
        return;
    }
    if (report.moves.empty()) {
        box.text = QStringLiteral("没有可以撤销的改名。");
        dialogs.message(box);
        return;
    }

    // The rows of this session still list the files under their old names.
    DiDaGrid& grid = *form.DiDaGrid1;
    const int last = std::min(form.globalFilecount, grid.RowCount() - 1);
    for (const UndoneMove& m : report.moves) {
        const QString from = QDir::cleanPath(m.from);
        for (int r = 1; r <= last; ++r) {
            const QString path =
                JoinPath(grid.GetCellText(r, ColPath), grid.GetCellText(r, ColFileName));
            if (QDir::cleanPath(path) != from) continue;
            if (m.code == 0) {
                grid.SetRowColor(r, kColorWhite);
                grid.SetCellText(r, ColResult, QStringLiteral("已撤销"));
            } else {
                grid.SetRowColor(r, kColorRed);
                grid.SetCellText(r, ColResult,
                                 QStringLiteral("撤销失败:") + form.ErrorMessage(m.code) +
                                     WithSignPosition(m.code));
            }
        }
    }

    box.text = QStringLiteral("一共撤销了") +
               WithSignPosition(static_cast<long long>(report.undone())) +
               QStringLiteral("个文件的改名!!");
    if (const size_t failed = report.failed()) {
        box.icon = MsgIcon::Warning;
        box.text += QStringLiteral("\n有") + WithSignPosition(static_cast<long long>(failed)) +
                    QStringLiteral("个文件无法撤销,未做任何替换:");
        size_t listed = 0;
        for (const UndoneMove& m : report.moves) {
            if (m.code == 0) continue;
            if (listed++ == kListedFailures) {
                box.text += QStringLiteral("\n……");
                break;
            }
            box.text += QStringLiteral("\n") + m.to + QStringLiteral(" → ") + m.from +
                        QStringLiteral(" (") + form.ErrorMessage(m.code) +
                        WithSignPosition(m.code) + QStringLiteral(")");
        }
        box.text += QStringLiteral("\n再次选择“撤销上次改名”可重试。");
    }
    dialogs.message(box);
}

}  // namespace pelmora
