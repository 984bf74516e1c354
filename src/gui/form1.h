#pragma once
// The main window: toolbar, batch list, progress display and popup menu. It
// holds the global settings and globalFilecount as public fields and runs
// each command on the pieces it needs: the batch list over DiDaGrid1, the
// settings, the dialogs and this window's progress display.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "core/batchlist/batchlist.h"
#include "core/progress.h"
#include "core/settings/globalsettings.h"

class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QCloseEvent;
class QResizeEvent;
class QToolBar;
class QToolButton;
class QAction;
class QPoint;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;

namespace pelmora {

class DiDaGrid;
class Dialogs;

struct Form1Options {
    // Where userdata.ini lives; empty: the program's own folder or the
    // per-user one, as SettingsFolder chooses.
    QString settingsDir;
    // The dialog layer; null: the real Qt dialogs owned by the window.
    Dialogs* dialogs = nullptr;
    // Ends the program for "btnQuit"; empty: leave the event loop at once.
    std::function<void()> quit;
    // Shows the popup menu at a screen position and returns the chosen item
    // (null: none); empty: QMenu::exec. The chosen item is then triggered.
    std::function<QAction*(QMenu&, const QPoint&)> popup;
};

// Column widths 0 to 5 for a list W pixels wide: w = W / 6 in single
// precision, rounded half to even; then w - 800, w, w + 200, w - 80, w, w.
std::array<int, 6> ColumnWidths(int listWidth);

// The main window's caption: "(绿色版)", the portable edition, only while
// the settings lie in the program's own folder.
QString MainCaption(const QString& settingsFolder, const QString& programFolder);

class Form1 : public QWidget, public GlobalSettings, public Progress {
    Q_OBJECT
  public:
    explicit Form1(Form1Options options = {}, QWidget* parent = nullptr);
    ~Form1() override;

    int32_t globalFilecount = 0;

    // Controls, named as their objectName.
    DiDaGrid* DiDaGrid1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    // Shown while extraction or rename runs; it, or Esc, ends the run after
    // the current document.
    QPushButton* cmdStop = nullptr;
    QToolBar* Toolbar1 = nullptr;
    QMenu* MyPopmenu = nullptr;
    QAction* mDel = nullptr;
    QAction* mDelNo = nullptr;
    QAction* mCheckAll = nullptr;
    QAction* mInvert = nullptr;
    QAction* mUndo = nullptr;
    QAction* mExport = nullptr;

    // Settings store.
    bool ReadSetting();
    bool WriteSetting();
    QString settingsPath() const;   // the folder + "/userdata.ini"
    QString programFolder() const;  // the folder that holds the program

    // Title and file-name rules, and the other public helpers.
    // FormatTitle returns nothing when globalMaxword is negative.
    std::optional<QString> FormatTitle(const QString& title) const;
    int16_t isGoodFilename(const QString& file) const;
    int16_t isChinese(const QString& text) const;
    QString ErrorMessage(int32_t errnumber) const;

    // The toolbar: the button with this key (its objectName), or null.
    QToolButton* toolButton(const QString& key) const;
    // Dispatch by key, as a click on the button with that key does.
    void Toolbar1_ButtonClick(const QString& key);

    Dialogs& dialogs() const;
    // The document rows of DiDaGrid1, counted by globalFilecount.
    BatchList& batchList();
    // The rename journal, beside the settings file.
    QString journalPath() const;

    // The command line after the program's name: files and folders, listed
    // as a drop on the list lists them; relative paths are taken from the
    // current folder, and a first "--" is dropped. Nothing given, nothing done.
    void listArguments(const QStringList& arguments);

    // The progress bar ProgressBar1 and its percentage in Label4. Steps
    // come faster than anyone reads: the two are painted at a bounded rate,
    // and always at the last step.
    void start(int total) override;
    void step(int done, int total) override;
    // Lets the window repaint and take input while a command runs; true once
    // the user has asked to stop.
    bool stopRequested() override;
    // A command that reads or moves documents is running: the toolbar and
    // the list take no input, the stop button shows.
    bool isBusy() const;

  protected:
    // Files and folders dropped anywhere on the window list as on the grid.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Closing while a command runs asks first; yes stops the run and ends
    // the program after it.
    void closeEvent(QCloseEvent* event) override;
    // Larger than designed, the list and the progress row take the room.
    void resizeEvent(QResizeEvent* event) override;

  private:
    void layoutControls();
    void setColumnWidths();
    void setBusy(bool busy);
    void endProgram();
    void dropPaths(const QStringList& paths);
    void buildControls();
    void startUp();
    void showPopup(const QPoint& globalPos);
    void runCommand(int command);
    template <typename F>
    void guarded(F&& work);
    void reportFailure(const QString& what);

    struct Private;
    std::unique_ptr<Private> d;
};

}  // namespace pelmora
