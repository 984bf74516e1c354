#pragma once
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace pelmora {

// The about dialog: name, version, description and credit line, and the
// folder that holds the settings when one is given; cmdOK closes it.
class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget* parent = nullptr, const QString& settingsFolder = QString());

    // Controls, named as their objectName.
    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QLabel* lblSettings = nullptr;  // "设置文件夹:" and the folder; hidden without one
    QFrame* Line1[2] = {};
    QPushButton* cmdOK = nullptr;

    // The program's icon at 48 x 48: the window icon the application set, or
    // one drawn here when there is none.
    static QPixmap IconPixmap(const QWidget* parent);
};

}  // namespace pelmora
