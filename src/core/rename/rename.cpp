#include "core/rename/rename.h"

#include <QFileInfo>
#include <QSet>
#include <functional>
#include <vector>

#include "core/batchlist/batchlist.h"
#include "core/dialogs.h"
#include "core/files/filenames.h"
#include "core/files/files.h"
#include "core/files/paths.h"
#include "core/progress.h"
#include "core/rename/batch.h"
#include "core/rename/conflicts.h"
#include "core/rename/journal.h"
#include "core/rename/journallock.h"
#include "core/settings/globalsettings.h"
#include "core/settings/number.h"

namespace pelmora {

namespace {

// How many colliding rows the question names one by one.
constexpr size_t kListedCollisions = 5;

// The question before a batch some of whose rows would take a name that is
// taken: example is the first numbered name (empty: none to show).
CollisionAnswer AskAboutCollisions(Dialogs& dialogs, size_t count, const QString& example,
                                   const std::function<QString(size_t k)>& title) {
    MessageRequest ask;
    ask.caption = QStringLiteral("改名确认");
    ask.buttons = MsgButtons::Choices;
    ask.choices = {QStringLiteral("编号改名"), QStringLiteral("其余照常改名"),
                   QStringLiteral("不改名")};
    ask.defaultChoice = kNumberThem;
    ask.escapeChoice = kRenameNothing;
    ask.icon = MsgIcon::Warning;
    ask.text = QStringLiteral("有") + FormatSettingNumber(int(count)) +
               QStringLiteral("个文件改名后会与已有的文件或本批前面的文件同名:");
    for (size_t k = 0; k < count && k < kListedCollisions; ++k)
        ask.text += QStringLiteral("\r\n    ") + title(k);
    if (count > kListedCollisions) ask.text += QStringLiteral("\r\n    ……");
    ask.text += QStringLiteral("\r\n编号改名:这些文件的名字后加上编号");
    if (!example.isEmpty()) ask.text += QStringLiteral(",如“") + example + QStringLiteral("”");
    ask.text += QStringLiteral(";\r\n其余照常改名:这些文件保留原名;\r\n不改名:不改动任何文件。");
    const int answer = dialogs.message(ask);
    return answer == kNumberThem || answer == kRenameTheRest ? CollisionAnswer(answer)
                                                             : kRenameNothing;
}

// Another window's batch or undo holds the journal.
void ShowJournalBusy(Dialogs& dialogs) {
    MessageRequest box;
    box.caption = kAppTitle;
    box.icon = MsgIcon::Warning;
    box.text = JournalBusyText() + QStringLiteral("\r\n") + QStringLiteral("没有改动任何文件。");
    dialogs.message(box);
}

}  // namespace

QString ErrorMessageText(int32_t errnumber) {
    switch (errnumber) {
        case 2:
            return QStringLiteral("未找到原文件!");
        case 5:
            return QStringLiteral("拒绝访问!");
        case 80:
            return QStringLiteral("命名重复!");
        case 112:
            return QStringLiteral("磁盘空间不足!");
        case 123:
            return QStringLiteral("文件名含非法字符!");
        case 183:
            return QStringLiteral("文件已存在!!");
        case 206:
            return QStringLiteral("文件名太长!");
        case 1392:
            return QStringLiteral("复制出的文件与原文件不一致,原文件未动!");
        default:
            return QStringLiteral("错误");
    }
}

QString FailureText(int32_t code) { return ErrorMessageText(code) + FormatSettingNumber(code); }

void RenameCommand(BatchList& list, const GlobalSettings& settings, Dialogs& dialogs,
                   const QString& journalPath, Progress* progress) {
    if (list.count() <= 0) {
        MessageRequest box;
        box.text = QStringLiteral("请先添加文件并提取标题!");
        box.caption = kAppTitle;
        dialogs.message(box);
        return;
    }

    // Told at once rather than after the questions; the batch itself takes
    // the lock for good.
    if (JournalLock(journalPath).busy()) {
        ShowJournalBusy(dialogs);
        return;
    }

    MessageRequest confirm;
    confirm.text = QStringLiteral("改名后文件要放在原文件相同的目录中吗?") +
                   QStringLiteral("\r\n") + QStringLiteral("yes:是;no:选择新文件夹");
    confirm.caption = QStringLiteral("改名确认");
    confirm.buttons = MsgButtons::YesNo;
    const bool inPlace = dialogs.message(confirm) != AnswerNo;

    QString target;
    if (!inPlace) {
        const std::optional<QString> folder = dialogs.browseForFolder(QStringLiteral("选择目录:"));
        // Cancelled: no folder to move into, so nothing is moved.
        if (!folder || folder->isEmpty()) return;
        target = *folder;
    }

    // Every checked row's move, planned before anything moves.
    struct RowMove {
        int32_t row;
        int32_t refused;  // a code the row fails with before any move; 0: it moves
        QString from, folder, newName, title;
        bool numbered = false;  // newName carries a number the title has not
    };
    std::vector<RowMove> rows;
    for (int32_t r = 1; r <= list.count(); ++r) {
        if (!list.checked(r)) continue;
        const QString folder = list.folder(r);
        if (inPlace) target = folder;
        const QString fileName = list.fileName(r);
        const QString title =
            settings.globalReplaceIllegal ? ReplaceIllegal(list.title(r)) : list.title(r);
        RowMove m{r,    0, JoinPath(folder, fileName), target, RenamedFileName(fileName, title),
                  title};
        if (title.isEmpty()) {
            // ".doc" alone would be a hidden file, and a second one would collide.
            m.refused = kErrorInvalidName;
        } else if (fileName.isEmpty()) {
            m.refused = kErrorFileNotFound;  // the path would name the folder itself
        } else if (IsRefusedNewName(m.newName)) {
            m.refused = kErrorInvalidName;
        } else if (m.folder == folder && m.newName == fileName) {
            m.refused = kErrorAlreadyExists;  // renamed before: nothing to move
        }
        rows.push_back(std::move(m));
    }

    std::vector<PlannedMove> planned;
    std::vector<size_t> plannedRow;  // index into rows of each planned move
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].refused != 0) continue;
        planned.push_back({rows[i].row, rows[i].from, JoinPath(rows[i].folder, rows[i].newName)});
        plannedRow.push_back(i);
    }

    std::vector<size_t> collisions = FindCollisions(planned);
    if (!collisions.empty()) {
        std::vector<PlannedMove> renumbered = planned;
        const std::vector<size_t> still = NumberCollisions(renumbered, collisions);
        CollisionAnswer answer = kNumberThem;
        if (!settings.globalNumberDuplicates) {
            QString example;
            for (const size_t k : collisions) {
                if (renumbered[k].to == renumbered[k].from) continue;
                example = QFileInfo(renumbered[k].to).fileName();
                break;
            }
            answer = AskAboutCollisions(dialogs, collisions.size(), example, [&](size_t k) {
                return rows[plannedRow[collisions[k]]].title;
            });
        }
        if (answer == kRenameNothing) return;
        if (answer == kNumberThem) {
            const QSet<size_t> left(still.begin(), still.end());
            for (const size_t k : collisions) {
                RowMove& m = rows[plannedRow[k]];
                if (left.contains(k)) continue;
                if (renumbered[k].to == renumbered[k].from) {
                    m.refused = kErrorAlreadyExists;  // numbered before: nothing to move
                    continue;
                }
                m.newName = QFileInfo(renumbered[k].to).fileName();
                m.numbered = true;
            }
            collisions = still;
        }
        // Kept out of the batch, not left to the file system to refuse:
        // one that compares names exactly would take them.
        for (const size_t k : collisions) rows[plannedRow[k]].refused = kErrorAlreadyExists;
    }

    // The plan is on disk before the first file moves, so the batch can be
    // taken back even after a crash.
    // A batch whose every move misses its file changes nothing: no journal
    // is begun for it.
    size_t missing = 0;
    std::vector<BatchMove> moves;
    moves.reserve(planned.size());
    for (const RowMove& m : rows) {
        if (m.refused != 0) continue;
        moves.push_back({m.from, m.folder, m.newName});
        missing += !QFileInfo(m.from).exists() && !QFileInfo(m.from).isSymLink();
    }
    if (progress) progress->start(int(moves.size()));
    const auto stopBefore = [&](size_t i) {
        if (!progress) return false;
        progress->step(int(i), int(moves.size()));
        return progress->stopRequested();
    };
    const BatchResult batch = RunRenameBatch(
        journalPath, moves, moves.size() > missing,
        [&](const QString& error) {
            MessageRequest ask;
            ask.caption = QStringLiteral("改名确认");
            ask.buttons = MsgButtons::YesNo;
            ask.icon = MsgIcon::Warning;
            ask.text = QStringLiteral("无法写入改名记录,这次改名将不能撤销:") +
                       QStringLiteral("\r\n") + error + QStringLiteral("\r\n还要继续改名吗?");
            return dialogs.message(ask) == AnswerYes;
        },
        stopBefore);
    if (batch.busy) {
        ShowJournalBusy(dialogs);
        return;
    }
    if (batch.cancelled) return;
    if (progress && !batch.stopped) progress->step(int(moves.size()), int(moves.size()));

    const int32_t journalCode = Win32ErrorFromErrno(batch.journalError);
    size_t next = 0;  // the next planned move
    // A stopped batch leaves the rows from its first move not tried as
    // they were: they were never reached.
    size_t reached = rows.size();
    if (batch.stopped) {
        size_t k = 0;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].refused != 0) continue;
            if (batch.codes[k++] == kMoveNotTried) {
                reached = i;
                break;
            }
        }
    }
    size_t failed = 0, numbered = 0;
    for (size_t i = 0; i < reached; ++i) {
        const RowMove& m = rows[i];
        int32_t code = m.refused;
        if (code == 0) code = batch.codes[next++];
        failed += code != 0;
        numbered += code == 0 && m.numbered;
        // The row follows its file, so that opening, undoing and renaming
        // it again act on the file where it is now.
        if (code == 0) list.setLocation(m.row, m.folder, m.newName);

        QString outcome;
        if (code == 0) {
            outcome = QStringLiteral("改名成功");
        } else if (code == kMoveNotTried) {
            outcome = QStringLiteral("未改名:无法写入改名记录,") + FailureText(journalCode);
        } else {
            outcome = FailureText(code);
        }
        list.setRowColor(m.row, code == 0 ? kColorYellow : kColorRed);
        list.setResult(m.row, outcome);
    }
    if (batch.journalError != 0) {
        MessageRequest box;
        box.caption = kAppTitle;
        box.icon = MsgIcon::Warning;
        box.text = QStringLiteral("无法写入改名记录(") + FailureText(journalCode) +
                   QStringLiteral("),改名已停止。") + QStringLiteral("\r\n") +
                   QStringLiteral("已改名的") + FormatSettingNumber(int(batch.moved)) +
                   QStringLiteral("个文件仍可用“撤销上次改名”撤销,其余文件未改动。");
        dialogs.message(box);
    } else if (batch.stopped) {
        MessageRequest box;
        box.caption = kAppTitle;
        box.icon = MsgIcon::Information;
        box.text = QStringLiteral("改名已停止:已改名") + QString::number(batch.moved) +
                   QStringLiteral("个文件,其余文件未改动。");
        if (batch.moved > 0 && batch.journaled)
            box.text +=
                QStringLiteral("\r\n") + QStringLiteral("已改名的文件可用“撤销上次改名”撤销。");
        dialogs.message(box);
    } else {
        MessageRequest box;
        box.caption = kAppTitle;
        box.icon = failed > 0 ? MsgIcon::Warning : MsgIcon::Information;
        if (rows.empty()) {
            box.text = QStringLiteral("没有勾选要改名的文件。");
        } else {
            box.text = QStringLiteral("批量改名完成:已改名") + QString::number(batch.moved) +
                       QStringLiteral("个文件");
            if (numbered > 0)
                box.text += QStringLiteral(",其中") + QString::number(numbered) +
                            QStringLiteral("个加了编号");
            box.text += QStringLiteral("。");
            if (failed > 0)
                box.text += QStringLiteral("\r\n") + QStringLiteral("有") +
                            QString::number(failed) +
                            QStringLiteral("个文件未改名,原因见“处理结果”一栏。");
        }
        dialogs.message(box);
    }
}

}  // namespace pelmora
