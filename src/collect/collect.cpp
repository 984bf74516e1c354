#include "collect/collect.h"

#include <QStringList>
#include <vector>

#include "app/form1.h"
#include "grid/didagrid.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace pelmora {

namespace {

const QString kFolderPrompt = QStringLiteral("选择目录:");
const QString kOpenTitle = QStringLiteral("选择要改名的word文件,可多选");
// Both cases, since some desktop file dialogs match patterns case-sensitively.
const QString kOpenFilter = QStringLiteral("Word(*.DOC *.doc)");

// Replaces the document rows by the given files, in order.
void FillRows(Form1& form, const std::vector<platform::FoundFile>& files) {
    DiDaGrid& grid = *form.DiDaGrid1;
    form.globalFilecount = static_cast<int32_t>(files.size());
    grid.ClearRows();
    grid.SetRowCount(form.globalFilecount + 1);
    for (int i = 0; i < form.globalFilecount; ++i) {
        const int r = i + 1;
        grid.SetCellText(r, ColFileName, files[i].name);
        grid.SetCellText(r, ColPath, files[i].folder);
        grid.SetCellStyle(r, ColFlag, 2);
    }
}

}  // namespace

void AddFolderCommand(Form1& form) {
    const std::optional<QString> folder = form.dialogs().browseForFolder(kFolderPrompt);
    // Cancelled: nothing is listed and the rows stay as they are.
    if (!folder || folder->isEmpty()) return;

    form.globalFilecount = 0;
    const std::vector<platform::FoundFile> found = platform::FindDocFiles(*folder, form.globalSubdir);
    if (found.empty()) {
        // The rows already listed stay on screen, but count as none.
        MessageRequest box;
        box.text = QStringLiteral("该文件夹下没有发现Word文件,请重新选择文件夹");
        box.caption = QStringLiteral("添加文件夹");
        box.icon = MsgIcon::Information;
        form.dialogs().message(box);
        return;
    }

    std::vector<platform::FoundFile> accepted;
    accepted.reserve(found.size());
    for (const platform::FoundFile& f : found) {
        const bool chinese = form.isChinese(f.name) != 0;
        if (!chinese || !form.globalOnlyenglish) accepted.push_back(f);
    }
    FillRows(form, accepted);
}

void AddFilesCommand(Form1& form) {
    const QString selection = form.dialogs().openFiles(kOpenTitle, kOpenFilter);
    if (selection.isEmpty()) return;

    std::vector<platform::FoundFile> files;
    const QStringList parts = selection.split(QChar(0));
    if (parts.size() == 1) {
        const QString& path = parts.front();
        const qsizetype sep = path.lastIndexOf(kPathSep);
        QString folder = sep < 0 ? QString() : path.left(sep);
        if (sep == 0) folder = QString(kPathSep);  // a file in the root folder
        files.push_back({folder, path.mid(sep + 1)});
    } else {
        const QString& folder = parts.front();
        for (qsizetype i = 1; i < parts.size(); ++i) {
            // An empty name would make the row's path its folder.
            if (!parts[i].isEmpty()) files.push_back({folder, parts[i]});
        }
    }
    if (files.empty() || files.front().name.isEmpty()) return;
    FillRows(form, files);
}

int16_t IsChineseText(const QString& text) {
    return platform::HasDoubleByteInAnsiCodePage(text) ? -1 : 0;
}

}  // namespace pelmora
