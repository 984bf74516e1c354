#pragma once
#include <QDialog>
#include <QString>
#include <QStringList>

#include "core/settings/settingsstore.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QShowEvent;
class QTreeView;

namespace pelmora {

class UpDown;

// The options dialog: reloads the settings from the store on opening, and
// saves them there on Command1.
class frmOptions : public QDialog {
    Q_OBJECT
  public:
    // Edits `settings`, read from and written to `store`; a saved folder
    // that no longer exists shows programFolder instead.
    frmOptions(GlobalSettings& settings, SettingsStore store, QString programFolder,
               QWidget* parent = nullptr);

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
    // Below the designed controls: the title rules and the kinds listed.
    QGroupBox* fraNames = nullptr;
    QCheckBox* chkReplace = nullptr;     // 替换非法字符
    QCheckBox* chkKeepBlanks = nullptr;  // 保留英文单词间的空格
    QCheckBox* chkNumber = nullptr;      // 重名时自动编号
    QGroupBox* fraKinds = nullptr;
    // One per DocumentExtensions() entry, in that order; the last one
    // checked cannot be unchecked, so something is always listed.
    QList<QCheckBox*> chkKinds;

    // The folder the folder list shows.
    QString dirPath() const;
    // Shows a folder in the folder list (and its file system in the drive
    // list); raises the change of Dir1 when the shown folder changes.
    void setDirPath(const QString& path);

    // Room right of the designed 658 pixels, so that the right-hand groups'
    // frames show whole.
    static constexpr int kRightMargin = 8;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void scrollToShown();
    void buildControls();
    void buildMoreControls();
    void showMoreSettings();
    void opening();
    void save();
    void driveChosen(int index);
    void selectDriveFor(const QString& path);
    void selectOption(int index);

    GlobalSettings& settings_;
    SettingsStore store_;
    QString programFolder_;
    QButtonGroup* options_ = nullptr;
    QFileSystemModel* dirModel_ = nullptr;
    QString shownDir_;
    bool notifyDirChange_ = false;
    bool keepShownInView_ = false;  // until the user scrolls the folder list
};

}  // namespace pelmora
