#include "core/collect/collect.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <vector>

#include "core/batchlist/batchlist.h"
#include "core/dialogs.h"
#include "core/files/ansicodepage.h"
#include "core/files/filenames.h"
#include "core/files/files.h"
#include "core/files/paths.h"
#include "core/settings/globalsettings.h"

namespace pelmora {

namespace {

const QString kFolderPrompt = QStringLiteral("选择目录:");
const QString kOpenTitle = QStringLiteral("选择要改名的word文件,可多选");

void ShowNoDocumentMessage(Dialogs& dialogs) {
    MessageRequest box;
    box.text = QStringLiteral("该文件夹下没有发现Word文件,请重新选择文件夹");
    box.caption = QStringLiteral("添加文件夹");
    box.icon = MsgIcon::Information;
    dialogs.message(box);
}

// Documents found, and those of them left out by 只搜索英文文件名.
struct Gathered {
    std::vector<FoundFile> files;
    size_t leftOut = 0;
};

// The found documents that the English-only setting lets through.
Gathered Accepted(const GlobalSettings& settings, const std::vector<FoundFile>& found) {
    Gathered accepted;
    accepted.files.reserve(found.size());
    for (const FoundFile& f : found) {
        const bool chinese = IsChineseText(f.name) != 0;
        if (!chinese || !settings.globalOnlyenglish)
            accepted.files.push_back(f);
        else
            ++accepted.leftOut;
    }
    return accepted;
}

// Files left out without a word would look like files that are not there.
void ShowLeftOutMessage(Dialogs& dialogs, size_t leftOut, size_t listed) {
    MessageRequest box;
    box.text = listed == 0 ? QStringLiteral("该文件夹下的")
                           : QStringLiteral("已列出") + QString::number(listed) +
                                 QStringLiteral("个文件;另有");
    box.text +=
        QString::number(leftOut) +
        QStringLiteral("个Word文件的文件名含有中文,因为设置了“只搜索英文文件名”,没有列出。") +
        QStringLiteral("\r\n") +
        QStringLiteral("要列出这些文件,请在“选项”中取消“只搜索英文文件名”。");
    box.caption = QStringLiteral("添加文件夹");
    box.icon = MsgIcon::Information;
    dialogs.message(box);
}

// Lists what was gathered and says what was left out. Nothing to list
// changes nothing: the rows and their count stay, as after a cancel.
void ListGathered(BatchList& list, Dialogs& dialogs, const Gathered& gathered) {
    if (!gathered.files.empty()) list.replace(gathered.files);
    if (gathered.leftOut > 0)
        ShowLeftOutMessage(dialogs, gathered.leftOut, gathered.files.size());
    else if (gathered.files.empty())
        ShowNoDocumentMessage(dialogs);
}

FoundFile SplitPath(const QString& path) {
    const qsizetype sep = path.lastIndexOf(kPathSep);
    QString folder = sep < 0 ? QString() : path.left(sep);
    if (sep == 0) folder = QString(kPathSep);  // a file in the root folder
    return {folder, path.mid(sep + 1)};
}

}  // namespace

void AddFolder(BatchList& list, const GlobalSettings& settings, Dialogs& dialogs,
               const QString& folder) {
    ListGathered(
        list, dialogs,
        Accepted(settings, FindDocFiles(folder, settings.globalSubdir, settings.globalKinds)));
}

void AddFolderCommand(BatchList& list, const GlobalSettings& settings, Dialogs& dialogs) {
    const std::optional<QString> folder = dialogs.browseForFolder(kFolderPrompt);
    // Cancelled: nothing is listed and the rows stay as they are.
    if (!folder || folder->isEmpty()) return;
    AddFolder(list, settings, dialogs, *folder);
}

void AddFilesCommand(BatchList& list, const GlobalSettings& settings, Dialogs& dialogs) {
    const QString selection =
        dialogs.openFiles(kOpenTitle, DocumentFileFilter(settings.globalKinds));
    if (selection.isEmpty()) return;

    std::vector<FoundFile> files;
    const QStringList parts = selection.split(QChar(0));
    if (parts.size() == 1) {
        files.push_back(SplitPath(parts.front()));
    } else {
        const QString& folder = parts.front();
        for (qsizetype i = 1; i < parts.size(); ++i) {
            // An empty name would make the row's path its folder.
            if (!parts[i].isEmpty()) files.push_back({folder, parts[i]});
        }
    }
    if (files.empty() || files.front().name.isEmpty()) return;
    list.replace(files);
}

bool IsDroppable(const QStringList& paths, const QStringList& kinds) {
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir() || (info.isFile() && IsListedFileName(info.fileName(), kinds)))
            return true;
    }
    return false;
}

void AddDroppedCommand(BatchList& list, const GlobalSettings& settings, Dialogs& dialogs,
                       const QStringList& paths) {
    QStringList folders;
    std::vector<FoundFile> files;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir())
            folders.push_back(path);
        else if (info.isFile() && IsListedFileName(info.fileName(), settings.globalKinds))
            files.push_back(SplitPath(path));
    }
    if (folders.isEmpty()) {
        // As picked files: nothing usable changes nothing.
        if (!files.empty()) list.replace(files);
        return;
    }
    if (folders.size() == 1 && files.empty()) {
        AddFolder(list, settings, dialogs, folders.front());
        return;
    }

    // In the order dropped; a file met twice (dropped and inside a dropped
    // folder) is listed once.
    Gathered all;
    QSet<QString> seen;
    auto add = [&](const FoundFile& f) {
        const QString key = QDir::cleanPath(JoinPath(f.folder, f.name));
        if (!seen.contains(key)) {
            seen.insert(key);
            all.files.push_back(f);
        }
    };
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            const Gathered found =
                Accepted(settings, FindDocFiles(path, settings.globalSubdir, settings.globalKinds));
            for (const FoundFile& f : found.files) add(f);
            all.leftOut += found.leftOut;
        } else if (info.isFile() && IsListedFileName(info.fileName(), settings.globalKinds)) {
            add(SplitPath(path));
        }
    }
    ListGathered(list, dialogs, all);
}

int16_t IsChineseText(const QString& text) { return HasDoubleByteInAnsiCodePage(text) ? -1 : 0; }

}  // namespace pelmora
