#include "rename/rename.h"

#include "app/form1.h"
#include "grid/didagrid.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace pelmora {

QString ErrorMessageText(int32_t errnumber) {
    switch (errnumber) {
        case 2: return QStringLiteral("未找到原文件!");
        case 80: return QStringLiteral("命名重复!");
        case 123: return QStringLiteral("文件名含非法字符!");
        case 183: return QStringLiteral("文件已存在!!");
        default: return QStringLiteral("错误");
    }
}

void RenameCommand(Form1& form) {
    Dialogs& dialogs = form.dialogs();
    if (form.globalFilecount <= 0) {
        MessageRequest box;
        box.text = QStringLiteral("请先添加文件并提取标题!");
        box.caption = kAppTitle;
        dialogs.message(box);
        return;
    }

    MessageRequest confirm;
    confirm.text = QStringLiteral("改名后文件要放在原文件相同的目录中吗?") + QStringLiteral("\r\n") +
                   QStringLiteral("yes:是;no:选择新文件夹");
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

    DiDaGrid& grid = *form.DiDaGrid1;
    for (int32_t r = 1; r <= form.globalFilecount; ++r) {
        if (grid.GetCellProperty(r, ColFlag, QStringLiteral("getcheck")) != QLatin1String("1")) continue;
        const QString folder = grid.GetCellText(r, ColPath);
        if (inPlace) target = folder;
        const QString fileName = grid.GetCellText(r, ColFileName);
        const QString title = grid.GetCellText(r, ColTitle);

        int32_t code;
        if (title.isEmpty()) {
            // ".doc" alone would be a hidden file, and a second one would collide.
            code = platform::kErrorInvalidName;
        } else if (fileName.isEmpty()) {
            code = platform::kErrorFileNotFound;  // the path would name the folder itself
        } else {
            code = platform::MoveFileInto(JoinPath(folder, fileName), target,
                                          title + QStringLiteral(".doc"));
        }

        QString outcome;
        if (code == 0) {
            outcome = QStringLiteral("改名成功");
        } else {
            outcome = form.ErrorMessage(code) + (code >= 0 ? QStringLiteral(" ") : QString()) +
                      QString::number(code);
        }
        grid.SetRowColor(r, code == 0 ? kColorYellow : kColorRed);
        grid.SetCellText(r, ColResult, outcome);
    }
}

}  // namespace pelmora
