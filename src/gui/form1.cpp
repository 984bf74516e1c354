#include "gui/form1.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <exception>
#include <vector>

#include "core/batchlist/export.h"
#include "core/batchlist/rowcommands.h"
#include "core/collect/collect.h"
#include "core/dialogs.h"
#include "core/extraction/extraction.h"
#include "core/files/filenames.h"
#include "core/files/paths.h"
#include "core/rename/journal.h"
#include "core/rename/recovery.h"
#include "core/rename/rename.h"
#include "core/rename/undo.h"
#include "core/settings/fileio.h"
#include "core/settings/settingsfolder.h"
#include "core/settings/settingsstore.h"
#include "gui/didagrid.h"
#include "gui/frmabout.h"
#include "gui/frmoptions.h"
#include "gui/icons.h"

namespace pelmora {

namespace {

struct ToolbarButton {
    const char* key;
    const char* caption;
    const char* tooltip;
    const char* shortcut;
};

// Left to right; the dispatch compares keys in this same order.
const ToolbarButton kButtons[] = {
    {"btnDir", "添加文件夹", "选择你要批处理改名的文件夹.", "Ctrl+D"},
    {"btnFile", "添加文件", "选择要处理的word文件(可多选)", "Ctrl+O"},
    {"btnGetTitle", "提取标题", "提取选定文件的标题", "F5"},
    {"btnSetting", "选项", "设置相关选项", "Ctrl+,"},
    {"btnRename", "批量改名", "跟选定的文件改名", "Ctrl+R"},
    {"btnAbout", "关于", "软件帮助", "F1"},
    {"btnQuit", "退出", "退出程序", "Ctrl+Q"},
};
enum Command { CmdDir, CmdFile, CmdGetTitle, CmdSetting, CmdRename, CmdAbout, CmdQuit };

// The window's client area as designed; at this size every control lies
// where the layout table puts it.
constexpr QSize kDesignedSize(776, 442);

// While a command runs: how often the window takes its events, and how often
// the progress display is painted.
constexpr qint64 kEventsEveryMs = 30;
constexpr qint64 kPaintEveryMs = 50;

}  // namespace

std::array<int, 6> ColumnWidths(int listWidth) {
    // Single precision and the default ties-to-even rounding: 741 gives 124.
    const float unit = std::nearbyint(float(listWidth) / 6.0f);
    const int w = int(std::clamp(unit, -32768.0f, 32767.0f));
    return {w - 800, w, w + 200, w - 80, w, w};
}

struct Form1::Private {
    QtDialogs qtDialogs;
    Dialogs* dialogs = nullptr;
    QString settingsDir;
    bool perUserSettings = false;  // settingsDir is the per-user folder
    bool newSettingsDir = false;   // ... and this start made it
    std::function<void()> quit;
    std::function<QAction*(QMenu&, const QPoint&)> popup;
    std::vector<std::pair<QString, QToolButton*>> buttons;
    std::optional<BatchList> list;
    bool busy = false;
    bool stopAsked = false;
    bool quitAfterRun = false;
    QElapsedTimer sinceEvents;  // invalid: take events at the next ask
    QElapsedTimer sincePaint;   // invalid: paint at the next step
};

QString MainCaption(const QString& settingsFolder, const QString& programFolder) {
    // The portable edition keeps its settings beside the program; an
    // installed one keeps them per user and is no portable copy.
    const auto clean = [](const QString& f) { return QDir::cleanPath(QDir(f).absolutePath()); };
    const bool portable =
        !settingsFolder.isEmpty() && clean(settingsFolder) == clean(programFolder);
    return portable ? QStringLiteral("Pelmora2.0(绿色版)") : QStringLiteral("Pelmora2.0");
}

Form1::Form1(Form1Options options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      d(new Private) {
    d->qtDialogs.setOwner(this);
    d->dialogs = options.dialogs ? options.dialogs : &d->qtDialogs;
    d->settingsDir = options.settingsDir.isEmpty()
                         ? SettingsFolder(programFolder(), &d->newSettingsDir)
                         : options.settingsDir;
    d->perUserSettings = options.settingsDir.isEmpty() && d->settingsDir != programFolder();
    d->quit = std::move(options.quit);
    d->popup = std::move(options.popup);

    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(MainCaption(d->settingsDir, programFolder()));
    setWindowIcon(AppIcon());
    // The designed size is the smallest; larger, the list takes the room.
    setMinimumSize(kDesignedSize);
    resize(kDesignedSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    buildControls();
    startUp();
}

Form1::~Form1() = default;

void Form1::buildControls() {
    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setGeometry(0, 0, 776, 73);
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(32, 32));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (const ToolbarButton& b : kButtons) {
        const QString key = QString::fromLatin1(b.key);
        auto* button = new QToolButton(Toolbar1);
        button->setObjectName(key);
        button->setText(QString::fromUtf8(b.caption));
        button->setToolTip(QString::fromUtf8(b.tooltip));
        button->setIcon(ToolbarIcon(key));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setMinimumWidth(72);
        button->setShortcut(QKeySequence(QString::fromLatin1(b.shortcut)));
        Toolbar1->addWidget(button);
        connect(button, &QToolButton::clicked, this,
                [this, button] { Toolbar1_ButtonClick(button->objectName()); });
        d->buttons.emplace_back(key, button);
    }

    DiDaGrid1 = new DiDaGrid(this);
    DiDaGrid1->setObjectName(QStringLiteral("DiDaGrid1"));
    DiDaGrid1->setGeometry(8, 80, 737, 321);
    d->list.emplace(*DiDaGrid1, globalFilecount);

    Label3 = new QLabel(QStringLiteral("处理进度:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(16, 416, 65, 17);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(88, 408, 553, 25);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    Label4 = new QLabel(QStringLiteral("0%"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(656, 408, 41, 17);

    cmdStop = new QPushButton(QStringLiteral("停止"), this);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    cmdStop->setGeometry(704, 408, 64, 25);
    cmdStop->setToolTip(QStringLiteral("处理完当前文件后停止(Esc)"));
    cmdStop->hide();
    connect(cmdStop, &QPushButton::clicked, this, [this] { d->stopAsked = true; });
    // Not the button's own shortcut, which clicks only after its animation:
    // a short run would end before the stop came.
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] {
        if (d->busy) d->stopAsked = true;
    });

    MyPopmenu = new QMenu(QStringLiteral("选中操作"), this);
    MyPopmenu->setObjectName(QStringLiteral("MyPopmenu"));
    mDel = MyPopmenu->addAction(QStringLiteral("移除选中文件"));
    mDel->setObjectName(QStringLiteral("mDel"));
    mDelNo = MyPopmenu->addAction(QStringLiteral("移除未选中文件"));
    mDelNo->setObjectName(QStringLiteral("mDelNo"));
    MyPopmenu->addSeparator();
    mCheckAll = MyPopmenu->addAction(QStringLiteral("全选"));
    mCheckAll->setObjectName(QStringLiteral("mCheckAll"));
    mInvert = MyPopmenu->addAction(QStringLiteral("反选"));
    mInvert->setObjectName(QStringLiteral("mInvert"));
    MyPopmenu->addSeparator();
    mUndo = MyPopmenu->addAction(QStringLiteral("撤销上次改名"));
    mUndo->setObjectName(QStringLiteral("mUndo"));
    mExport = MyPopmenu->addAction(QStringLiteral("导出结果"));
    mExport->setObjectName(QStringLiteral("mExport"));
    connect(mCheckAll, &QAction::triggered, this,
            [this] { guarded([this] { CheckAllRows(batchList()); }); });
    connect(mInvert, &QAction::triggered, this,
            [this] { guarded([this] { InvertChecks(batchList()); }); });
    // Runs as a rename does: the window repaints, 停止 and Esc end it.
    connect(mUndo, &QAction::triggered, this, [this] {
        if (d->busy) return;
        setBusy(true);
        guarded([this] { UndoLastRenameCommand(batchList(), dialogs(), journalPath(), this); });
        setBusy(false);
        if (d->quitAfterRun) endProgram();
    });
    connect(mExport, &QAction::triggered, this,
            [this] { guarded([this] { ExportResultsCommand(batchList(), dialogs()); }); });
    connect(mDel, &QAction::triggered, this,
            [this] { guarded([this] { RemoveRows(batchList(), dialogs(), true); }); });
    connect(mDelNo, &QAction::triggered, this,
            [this] { guarded([this] { RemoveRows(batchList(), dialogs(), false); }); });

    // Files and folders from the file manager replace the rows.
    setAcceptDrops(true);
    DiDaGrid1->setDropFilter(
        [this](const QStringList& paths) { return IsDroppable(paths, globalKinds); });
    connect(DiDaGrid1, &DiDaGrid::FilesDropped, this,
            [this](const QStringList& paths) { dropPaths(paths); });

    // The file name and the check box are never typed over.
    connect(DiDaGrid1, &DiDaGrid::CellEditBegin, this, [](int, int col, int, int16_t& allow) {
        if (col == ColFileName || col == ColFlag) allow = 0;
    });
    connect(DiDaGrid1, &DiDaGrid::CellEditEnd, this, [this](int row, int col, int) {
        guarded([&] { ApplyEditRule(batchList(), *this, row, col); });
    });
    connect(DiDaGrid1, &DiDaGrid::MenuRequest, this,
            [this](int x, int y, int, int, int) { guarded([&] { showPopup(QPoint(x, y)); }); });
    // A double-click on a check box is two toggles, not a wish to read the file.
    connect(DiDaGrid1, &DiDaGrid::OpenRequest, this, [this](int, int, int, int col, int docRow) {
        if (col == ColFlag) return;
        guarded([&] { OpenRowDocument(batchList(), dialogs(), docRow); });
    });
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

void Form1::layoutControls() {
    if (!Toolbar1) return;  // a resize before the controls exist
    // Offsets from the designed 776 x 442: the list grows both ways, the
    // progress row stays at the bottom with the bar taking the width.
    const int dw = std::max(0, width() - kDesignedSize.width());
    const int dh = std::max(0, height() - kDesignedSize.height());
    Toolbar1->setGeometry(0, 0, 776 + dw, 73);
    DiDaGrid1->setGeometry(8, 80, 737 + dw, 321 + dh);
    Label3->setGeometry(16, 416 + dh, 65, 17);
    ProgressBar1->setGeometry(88, 408 + dh, 553 + dw, 25);
    Label4->setGeometry(656 + dw, 408 + dh, 41, 17);
    cmdStop->setGeometry(704 + dw, 408 + dh, 64, 25);
    if (DiDaGrid1->columnCount() == 6) setColumnWidths();
}

void Form1::setColumnWidths() {
    const std::array<int, 6> widths = ColumnWidths(DiDaGrid1->ControlWidth());
    for (int c = 0; c < 6; ++c) DiDaGrid1->SetColWidth(c, widths[size_t(c)]);
}

void Form1::dropPaths(const QStringList& paths) {
    if (d->busy) return;
    guarded([&] { AddDroppedCommand(batchList(), *this, dialogs(), paths); });
}

void Form1::listArguments(const QStringList& arguments) {
    QStringList paths;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (i == 0 && arguments[i] == QLatin1String("--")) continue;
        paths << QDir::cleanPath(QFileInfo(arguments[i]).absoluteFilePath());
    }
    if (!paths.isEmpty()) dropPaths(paths);
}

// Through the grid, which emits FilesDropped for an accepted drop.
void Form1::dragEnterEvent(QDragEnterEvent* event) { DiDaGrid1->takeDragEnter(event); }
void Form1::dragMoveEvent(QDragMoveEvent* event) { DiDaGrid1->takeDragMove(event); }
void Form1::dropEvent(QDropEvent* event) { DiDaGrid1->takeDrop(event); }

void Form1::closeEvent(QCloseEvent* event) {
    if (!d->busy) {
        QWidget::closeEvent(event);
        return;
    }
    event->ignore();
    if (d->quitAfterRun) return;
    MessageRequest ask;
    ask.text = QStringLiteral("正在处理文件,确定要退出吗?") + QStringLiteral("\r\n") +
               QStringLiteral("当前文件处理完后停止,其余文件不再处理。");
    ask.caption = kAppTitle;
    ask.buttons = MsgButtons::YesNo;
    ask.icon = MsgIcon::Question;
    bool yes = false;
    guarded([&] { yes = dialogs().message(ask) == AnswerYes; });
    if (yes && d->busy) {
        d->stopAsked = true;
        d->quitAfterRun = true;
    } else if (yes) {
        endProgram();  // the run ended while the question was open
    }
}

void Form1::setBusy(bool busy) {
    d->busy = busy;
    d->stopAsked = false;
    d->sinceEvents.invalidate();
    d->sincePaint.invalidate();
    for (const auto& entry : d->buttons) entry.second->setEnabled(!busy);
    DiDaGrid1->setEnabled(!busy);
    cmdStop->setVisible(busy);
    cmdStop->setEnabled(busy);
    // The widget that had the keys is disabled now; Space or Esc stops.
    if (busy) cmdStop->setFocus(Qt::OtherFocusReason);
}

bool Form1::isBusy() const { return d->busy; }

bool Form1::stopRequested() {
    if (!d->sinceEvents.isValid() || d->sinceEvents.elapsed() >= kEventsEveryMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        d->sinceEvents.start();
    }
    return d->stopAsked;
}

void Form1::endProgram() {
    if (d->quit)
        d->quit();
    else
        QCoreApplication::exit(0);
}

void Form1::startUp() {
    // Two steps guarded apart: a failure with the settings still leaves a
    // usable list.
    guarded([this] {
        // A per-user folder made just now has nothing to read: an installed
        // program's first start writes the defaults without a complaint.
        if (d->newSettingsDir || !ReadSetting()) {
            // An installed program's folder is no place to look for documents.
            SetDefaultSettings(*this, d->perUserSettings ? QDir::homePath() : programFolder());
            // A device or a pipe in the file's place was reported by the
            // read and stays untouched.
            if (NotAFileError(settingsPath()) != EINVAL) WriteSetting();
        }
    });
    guarded([this] { RecoverAfterCrash(QFileInfo(settingsPath()).absolutePath()); });
    guarded([this] {
        DiDaGrid1->SetColCount(6);
        setColumnWidths();
        for (int c = 1; c <= 5; ++c) DiDaGrid1->SetCellText(0, c, ColumnHeaders()[c - 1]);
    });
}

void Form1::showPopup(const QPoint& globalPos) {
    if (d->popup) {
        if (QAction* chosen = d->popup(*MyPopmenu, globalPos)) chosen->trigger();
        return;
    }
    MyPopmenu->exec(globalPos);  // the chosen item runs through its trigger
}

template <typename F>
void Form1::guarded(F&& work) {
    try {
        work();
    } catch (const std::exception& e) {
        reportFailure(QString::fromUtf8(e.what()));
    } catch (...) {
        reportFailure(QString());
    }
}

void Form1::reportFailure(const QString& what) {
    MessageRequest request;
    request.text = QStringLiteral("程序出现意外错误,当前操作已中止。");
    if (!what.isEmpty()) request.text += QLatin1Char('\n') + what;
    request.caption = kAppTitle;
    request.icon = MsgIcon::Critical;
    try {
        dialogs().message(request);
    } catch (...) {
        // Nothing is left to report with; the program keeps running.
    }
}

void Form1::Toolbar1_ButtonClick(const QString& key) {
    int command = -1;
    for (int i = 0; i < int(std::size(kButtons)); ++i) {
        if (key == QLatin1String(kButtons[i].key)) {
            command = i;
            break;
        }
    }
    // A click that arrives while a command runs (the window takes events
    // meanwhile) waits for nothing: it is dropped.
    if (command < 0 || d->busy) return;
    if (command == CmdQuit) {
        // At once: nothing is saved and no window is asked.
        endProgram();
        return;
    }
    const bool blocking = command == CmdGetTitle || command == CmdRename;
    QPointer<QToolButton> button = toolButton(key);
    if (button) button->setEnabled(false);
    if (blocking) setBusy(true);
    guarded([&] { runCommand(command); });
    if (blocking) setBusy(false);
    if (button) button->setEnabled(true);
    if (d->quitAfterRun) endProgram();
}

void Form1::runCommand(int command) {
    switch (command) {
        case CmdDir:
            AddFolderCommand(batchList(), *this, dialogs());
            break;
        case CmdFile:
            AddFilesCommand(batchList(), *this, dialogs());
            break;
        case CmdGetTitle:
            GetTitleCommand(batchList(), *this, dialogs(), *this);
            break;
        case CmdSetting: {
            frmOptions dialog(*this, SettingsStore(settingsPath(), dialogs()), programFolder(),
                              this);
            dialogs().exec(dialog);
            break;
        }
        case CmdRename:
            RenameCommand(batchList(), *this, dialogs(), journalPath(), this);
            break;
        case CmdAbout: {
            frmAbout dialog(this, d->settingsDir);
            dialogs().exec(dialog);
            break;
        }
        default:
            break;
    }
}

QToolButton* Form1::toolButton(const QString& key) const {
    for (const auto& [k, button] : d->buttons) {
        if (k == key) return button;
    }
    return nullptr;
}

Dialogs& Form1::dialogs() const { return *d->dialogs; }

BatchList& Form1::batchList() { return *d->list; }

QString Form1::journalPath() const { return RenameJournal::PathBesideSettings(settingsPath()); }

void Form1::start(int total) {
    if (ProgressBar1) ProgressBar1->setRange(0, total);
}

void Form1::step(int done, int total) {
    // Division first, in double: 29 of 100 reads 28%.
    const double percent =
        std::floor(static_cast<double>(done) / static_cast<double>(total) * 100.0);
    if (ProgressBar1) ProgressBar1->setValue(done);
    if (Label4)
        Label4->setText(QString::number(static_cast<long long>(percent)) + QLatin1Char('%'));
    // Painted here rather than left to the event loop, which a command
    // without a stop button never gives a turn.
    if (done == total || !d->sincePaint.isValid() || d->sincePaint.elapsed() >= kPaintEveryMs) {
        if (ProgressBar1) ProgressBar1->repaint();
        if (Label4) Label4->repaint();
        d->sincePaint.start();
    }
}

QString Form1::programFolder() const { return QCoreApplication::applicationDirPath(); }

QString Form1::settingsPath() const {
    const QString dir = d->settingsDir.isEmpty() ? programFolder() : d->settingsDir;
    return JoinPath(dir, QStringLiteral("userdata.ini"));
}

bool Form1::ReadSetting() { return SettingsStore(settingsPath(), dialogs()).read(*this); }

bool Form1::WriteSetting() { return SettingsStore(settingsPath(), dialogs()).write(*this); }

std::optional<QString> Form1::FormatTitle(const QString& title) const {
    return pelmora::FormatTitle(title, globalMaxword);
}

int16_t Form1::isGoodFilename(const QString& file) const { return IsGoodFilename(file); }

int16_t Form1::isChinese(const QString& text) const { return IsChineseText(text); }

QString Form1::ErrorMessage(int32_t errnumber) const { return ErrorMessageText(errnumber); }

}  // namespace pelmora
