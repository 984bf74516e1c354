#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QVariant>
#include <algorithm>
#include <vector>

#include "core/dialogs.h"
#include "gui/messagebox.h"

namespace pelmora {

namespace {

// Which of MessageRequest::choices a button is.
constexpr char kChoiceProperty[] = "pelmoraChoice";

}  // namespace

void PrepareMessageBox(QMessageBox& box, const MessageRequest& request) {
    box.setWindowTitle(request.caption.isEmpty() ? kAppTitle : request.caption);
    box.setText(request.text);
    switch (request.icon) {
        case MsgIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
    }
    if (request.buttons == MsgButtons::Choices && !request.choices.isEmpty()) {
        std::vector<QPushButton*> buttons;
        for (const QString& text : request.choices) {
            buttons.push_back(box.addButton(text, QMessageBox::ActionRole));
            buttons.back()->setProperty(kChoiceProperty, int(buttons.size()) - 1);
        }
        const auto at = [&](int i) {
            return buttons[size_t(std::clamp(i, 0, int(buttons.size()) - 1))];
        };
        box.setDefaultButton(at(request.defaultChoice));
        box.setEscapeButton(at(request.escapeChoice));
    } else if (request.buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        // No Cancel button: closing the box by its frame answers No.
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    // QMessageBox sizes itself from its layout alone; a spacer across the
    // bottom is the one minimum width it keeps.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(
            new QSpacerItem(CaptionWidth(box), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
            grid->rowCount(), 0, 1, grid->columnCount());
    }
}

int CaptionWidth(const QMessageBox& box) {
    // Title bars mostly use a bold face of the interface font; room is left
    // for the window menu and the close button.
    QFont font = box.font();
    font.setBold(true);
    constexpr int kTitleBarButtons = 120;
    return QFontMetrics(font).horizontalAdvance(box.windowTitle()) + kTitleBarButtons;
}

int QtDialogs::message(const MessageRequest& request) {
    QMessageBox box(owner_);
    PrepareMessageBox(box, request);
    const int answer = box.exec();
    if (request.buttons == MsgButtons::Choices && !request.choices.isEmpty()) {
        const QVariant choice =
            box.clickedButton() ? box.clickedButton()->property(kChoiceProperty) : QVariant();
        return choice.isValid() ? choice.toInt() : request.escapeChoice;
    }
    if (request.buttons == MsgButtons::YesNo)
        return answer == QMessageBox::Yes ? AnswerYes : AnswerNo;
    return AnswerOk;
}

std::optional<QString> QtDialogs::browseForFolder(const QString& prompt) {
    const QString dir = QFileDialog::getExistingDirectory(owner_, prompt, QDir::homePath());
    if (dir.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dir);
}

QString QtDialogs::openFiles(const QString& title, const QString& filter) {
    const QStringList files = QFileDialog::getOpenFileNames(owner_, title, QString(), filter);
    if (files.isEmpty()) return QString();
    if (files.size() == 1) return files.front();
    // Several files: the folder, then each name, NUL-separated.
    QString text = QFileInfo(files.front()).absolutePath();
    for (const QString& f : files) {
        text += QChar(0);
        text += QFileInfo(f).fileName();
    }
    return text;
}

std::optional<QString> QtDialogs::saveFile(const QString& title, const QString& filter,
                                           const QString& suggestedName) {
    const QString file = QFileDialog::getSaveFileName(owner_, title, suggestedName, filter);
    if (file.isEmpty()) return std::nullopt;
    return file;
}

int QtDialogs::exec(QDialog& dialog) { return dialog.exec(); }

DefaultProgram QtDialogs::defaultProgram(const QString& path) { return LookUpDefaultProgram(path); }

bool QtDialogs::openDocument(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace pelmora
