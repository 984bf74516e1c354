#include "support/fake_dialogs.h"

namespace pelmora::test {

namespace {

// The front answer, taken off the queue; nothing when the queue is empty.
// Moved out as a QString, since a copied optional<QString> makes g++ 12 warn
// of an uninitialised member.
std::optional<QString> TakeFront(std::deque<std::optional<QString>>& queue) {
    if (queue.empty() || !queue.front()) {
        if (!queue.empty()) queue.pop_front();
        return std::nullopt;
    }
    QString front = std::move(*queue.front());
    queue.pop_front();
    return front;
}

}  // namespace

int FakeDialogs::message(const MessageRequest& request) {
    messages.push_back(request);
    if (request.buttons == MsgButtons::Choices) {
        if (answers.empty()) return request.defaultChoice;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    if (request.buttons != MsgButtons::YesNo) return AnswerOk;
    if (answers.empty()) return AnswerYes;
    const int a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<QString> FakeDialogs::browseForFolder(const QString& prompt) {
    folderPrompts.push_back(prompt);
    return TakeFront(folders);
}

QString FakeDialogs::openFiles(const QString& title, const QString& filter) {
    openFilesCalls.push_back({title, filter});
    if (fileSelections.empty()) return QString();
    QString s = fileSelections.front();
    fileSelections.pop_front();
    return s;
}

std::optional<QString> FakeDialogs::saveFile(const QString&, const QString&, const QString&) {
    return TakeFront(savePaths);
}

DefaultProgram FakeDialogs::defaultProgram(const QString&) { return defaultProgramResult; }

bool FakeDialogs::openDocument(const QString& path) {
    openedDocuments.push_back(path);
    return openDocumentResult;
}

}  // namespace pelmora::test
