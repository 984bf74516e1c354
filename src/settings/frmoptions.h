#pragma once
#include <QDialog>
#include <QString>
#include <QStringList>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeView;

namespace pelmora {

class Form1;
class UpDown;

// The options dialog: reloads the settings on opening, saves them on Command1.
class frmOptions : public QDialog {
    Q_OBJECT
  public:
    explicit frmOptions(Form1& form, QWidget* parent = nullptr);

    // Controls, named as their objectName.
    QGroupBox* fraSample1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QLineEdit* txtMaxword = nullptr;
    UpDown* UpDown1 = nullptr;
    QRadioButton* Option1[5] = {};
    QLineEdit* pragraph = nullptr;
    UpDown* UpDown3 = nullptr;
    QLineEdit* startpos = nullptr;
    UpDown* UpDown4 = nullptr;
    QComboBox* Drive1 = nullptr;
    QTreeView* Dir1 = nullptr;

    // The folder the folder list shows.
    QString dirPath() const;
    // Shows a folder in the folder list (and its file system in the drive
    // list); raises the change of Dir1 when the shown folder changes.
    void setDirPath(const QString& path);

    // Mount points a user can open, the root first; pseudo file systems
    // (proc, sysfs, cgroup, ...) and the system's own mounts are left out.
    static QStringList ReadableMountPoints();

  private:
    void buildControls();
    void opening();
    void save();
    void driveChosen(int index);
    void selectDriveFor(const QString& path);
    void selectOption(int index);

    Form1& form_;
    QButtonGroup* options_ = nullptr;
    QFileSystemModel* dirModel_ = nullptr;
    QString shownDir_;
    bool notifyDirChange_ = false;
};

}  // namespace pelmora
