#pragma once
// A scripted stand-in for every modal interaction: tests queue answers and
// read back what the program asked. Nothing here ever blocks.

#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "core/dialogs.h"

class QDialog;

namespace pelmora::test {

class FakeDialogs : public Dialogs {
  public:
    // Every message box shown, in order.
    std::vector<MessageRequest> messages;
    // Answers for YesNo boxes (and choice indices for boxes of choices),
    // taken in order; AnswerYes (the default choice) when the queue is empty.
    std::deque<int> answers;

    // Folder browser results in order; nothing (cancel) when the queue is empty.
    std::deque<std::optional<QString>> folders;
    std::vector<QString> folderPrompts;

    // Open-file dialog selection texts in order; "" (cancel) when empty.
    std::deque<QString> fileSelections;
    struct OpenFilesCall {
        QString title, filter;
    };
    std::vector<OpenFilesCall> openFilesCalls;

    std::deque<std::optional<QString>> savePaths;

    // Called with each modal dialog instead of running it; returns the result
    // code. Default: reject (as if closed by its frame).
    std::function<int(QDialog&)> onExec;
    std::vector<QString> execCalls;  // objectName or class name of each dialog

    // The desktop's program for every document; a viewer of its own by default.
    DefaultProgram defaultProgramResult{DefaultProgram::Kind::Found,
                                        QStringLiteral("org.example.Viewer.desktop"),
                                        QStringLiteral("viewer")};
    std::vector<QString> openedDocuments;
    bool openDocumentResult = true;

    int message(const MessageRequest& request) override;
    std::optional<QString> browseForFolder(const QString& prompt) override;
    QString openFiles(const QString& title, const QString& filter) override;
    std::optional<QString> saveFile(const QString& title, const QString& filter,
                                    const QString& suggestedName) override;
    int exec(QDialog& dialog) override;
    DefaultProgram defaultProgram(const QString& path) override;
    bool openDocument(const QString& path) override;
};

}  // namespace pelmora::test
