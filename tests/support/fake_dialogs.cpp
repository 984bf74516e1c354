#include "support/fake_dialogs.h"

namespace pelmora::test {

int FakeDialogs::message(const MessageRequest& request) {
    messages.push_back(request);
    if (request.buttons != MsgButtons::YesNo) return AnswerOk;
    if (answers.empty()) return AnswerYes;
    const int a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<QString> FakeDialogs::browseForFolder(const QString& prompt) {
    folderPrompts.push_back(prompt);
    if (folders.empty()) return std::nullopt;
    auto f = folders.front();
    folders.pop_front();
    return f;
}

QString FakeDialogs::openFiles(const QString& title, const QString& filter) {
    openFilesCalls.push_back({title, filter});
    if (fileSelections.empty()) return QString();
    QString s = fileSelections.front();
    fileSelections.pop_front();
    return s;
}

std::optional<QString> FakeDialogs::saveFile(const QString&, const QString&, const QString&) {
    if (savePaths.empty()) return std::nullopt;
    auto p = savePaths.front();
    savePaths.pop_front();
    return p;
}

int FakeDialogs::exec(QDialog& dialog) {
    execCalls.push_back(dialog.objectName().isEmpty()
                            ? QString::fromLatin1(dialog.metaObject()->className())
                            : dialog.objectName());
    if (onExec) return onExec(dialog);
    return QDialog::Rejected;
}

bool FakeDialogs::openDocument(const QString& path) {
    openedDocuments.push_back(path);
    return openDocumentResult;
}

}  // namespace pelmora::test
