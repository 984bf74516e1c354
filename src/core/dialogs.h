#pragma once
// Every modal interaction of the program goes through this interface, so
// tests can replace it with a scripted fake and never block on a real dialog.

#include <QString>
#include <QStringList>
#include <optional>

#include "core/desktop/defaultprogram.h"

class QDialog;
class QWidget;

namespace pelmora {

// Values as the message-box API of the original platform numbers them:
// callers compare answers with 6 (Yes) and 7 (No).
// Choices: the buttons named in MessageRequest::choices.
enum class MsgButtons { Ok = 0, YesNo = 4, Choices = 100 };
enum class MsgIcon { None, Information, Warning, Critical, Question };
enum MsgAnswer { AnswerOk = 1, AnswerYes = 6, AnswerNo = 7 };

inline const QString kAppTitle = QStringLiteral("Pelmora");

struct MessageRequest {
    QString text;
    QString caption;  // empty: the application title
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    // With MsgButtons::Choices: the buttons' texts, left to right. message()
    // then returns the index of the one pressed; Enter presses
    // defaultChoice, closing the box (Esc, the frame) answers escapeChoice.
    QStringList choices = {};
    int defaultChoice = 0;
    int escapeChoice = 0;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // A message box; returns AnswerOk, AnswerYes or AnswerNo, or with
    // MsgButtons::Choices the index of the choice.
    virtual int message(const MessageRequest& request) = 0;

    // The folder browser: the picked folder's path, or nothing when cancelled.
    virtual std::optional<QString> browseForFolder(const QString& prompt) = 0;

    // The open-file dialog with multiple selection. Returns the selection text:
    // empty when cancelled; the full path for one file; for several files the
    // folder followed by each name, separated by NUL characters.
    virtual QString openFiles(const QString& title, const QString& filter) = 0;

    // A save dialog: the chosen path, or nothing when cancelled.
    virtual std::optional<QString> saveFile(const QString& title, const QString& filter,
                                            const QString& suggestedName) = 0;

    // Runs a modal dialog of our own (options, about); returns its result code.
    virtual int exec(QDialog& dialog) = 0;

    // The program the desktop would open a document with; asked before
    // openDocument, which would otherwise start that program blindly.
    virtual DefaultProgram defaultProgram(const QString& path) = 0;

    // Opens a document for viewing with the desktop's default application;
    // never blocks. False when it could not be started.
    virtual bool openDocument(const QString& path) = 0;
};

// The real dialogs, owned by the given window.
class QtDialogs : public Dialogs {
  public:
    explicit QtDialogs(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }

    int message(const MessageRequest& request) override;
    std::optional<QString> browseForFolder(const QString& prompt) override;
    QString openFiles(const QString& title, const QString& filter) override;
    std::optional<QString> saveFile(const QString& title, const QString& filter,
                                    const QString& suggestedName) override;
    int exec(QDialog& dialog) override;
    DefaultProgram defaultProgram(const QString& path) override;
    bool openDocument(const QString& path) override;

  private:
    QWidget* owner_;
};

}  // namespace pelmora
