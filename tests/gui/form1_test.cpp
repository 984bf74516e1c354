// The main window as a user meets it: controls found by name, start-up with
// and without userdata.ini, the list's columns, toolbar dispatch, and the
// list's notifications wired to the batch list.

#include "gui/form1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <memory>
#include <stdexcept>
#include <vector>

#include "gui/didagrid.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "support/window_test.h"

namespace pelmora {
namespace {

const QString kSet = QStringLiteral("setcheck");
const QString kGet = QStringLiteral("getcheck");

class Form1Test : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString IniPath() const { return dir.path() + QStringLiteral("/userdata.ini"); }

    Form1& Open() {
        Form1Options options;
        options.quit = [this] { ++quits; };
        options.popup = [this](QMenu& menu, const QPoint&) -> QAction* {
            popups.push_back(&menu);
            return popupChoice;
        };
        form = test::OpenWindow(dir.path(), dialogs, std::move(options));
        return *form;
    }

    template <typename T>
    T* Find(const char* name) {
        return form->findChild<T*>(QString::fromLatin1(name));
    }

    void Fill(const std::vector<QString>& flags) {
        DiDaGrid& grid = *form->DiDaGrid1;
        grid.ClearRows();
        grid.SetRowCount(int(flags.size()) + 1);
        for (size_t i = 0; i < flags.size(); ++i) {
            const int r = int(i) + 1;
            grid.SetCellText(r, 1, QStringLiteral("%1.doc").arg(r));
            grid.SetCellText(r, 4, QStringLiteral("/docs"));
            grid.SetCellStyle(r, 3, 2);
            grid.SetCellProperty(r, 3, kSet, flags[i]);
        }
        form->globalFilecount = int(flags.size());
    }

    QTemporaryDir dir;
    test::FakeDialogs dialogs;
    std::unique_ptr<Form1> form;
    int quits = 0;
    std::vector<QMenu*> popups;
    QAction* popupChoice = nullptr;
};

// A settings file that reads without error, with a maximum length of 10.
void WriteSettings(const QString& path) {
    test::WriteFile(path,
                    "First=False \r\nSubdir=false\r\nOnlyenglish=false\r\nMaxword= 10\r\n"
                    "DefaultDir=/srv/docs\r\nGetTitleMode= 2\r\nStartpragraph= 5\r\n"
                    "Startpos= 1\r\nWordcount= 25\r\n");
}

// --- The window and its controls ---------------------------------------------

TEST_F(Form1Test, WindowOpensAtItsDesignedSizeAndMayGrow) {
    Form1& f = Open();
    EXPECT_EQ(f.size(), QSize(776, 442));
    EXPECT_EQ(f.minimumSize(), QSize(776, 442));
    EXPECT_GT(f.maximumSize().width(), 776);
    EXPECT_TRUE(f.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(f.windowIcon().isNull());
    // Settings outside the program's folder: no portable copy.
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Pelmora2.0"));
}

// "(绿色版)" is the portable edition: settings beside the program.
TEST(MainCaption, PortableOnlyWithTheSettingsInTheProgramsFolder) {
    EXPECT_EQ(MainCaption("/opt/pelmora", "/opt/pelmora"), QStringLiteral("Pelmora2.0(绿色版)"));
    EXPECT_EQ(MainCaption("/opt/pelmora/", "/opt/pelmora"), QStringLiteral("Pelmora2.0(绿色版)"));
    EXPECT_EQ(MainCaption("/home/u/.config/pelmora", "/usr/bin"), QStringLiteral("Pelmora2.0"));
    EXPECT_EQ(MainCaption(QString(), "/usr/bin"), QStringLiteral("Pelmora2.0"));
}

struct Place {
    const char* name;
    QRect rect;
};

// Larger, the list and the progress row take the room; the columns follow
// the same rule from the list's new width; back at the designed size every
// control is where it was.
TEST_F(Form1Test, ResizedTheListAndProgressRowTakeTheRoom) {
    Form1& f = Open();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    f.resize(1200, 800);
    QCoreApplication::processEvents();
    const Place big[] = {
        {"Toolbar1", QRect(0, 0, 1200, 73)},  {"DiDaGrid1", QRect(8, 80, 1161, 679)},
        {"Label3", QRect(16, 774, 65, 17)},   {"ProgressBar1", QRect(88, 766, 977, 25)},
        {"Label4", QRect(1080, 766, 41, 17)}, {"cmdStop", QRect(1128, 766, 64, 25)},
    };
    for (const Place& p : big) EXPECT_EQ(Find<QWidget>(p.name)->geometry(), p.rect) << p.name;
    // 1161 / 6 = 193.5, rounded to the even 194.
    const std::array<int, 6> widths = {194 - 800, 194, 394, 114, 194, 194};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(f.DiDaGrid1->ColWidth(c), widths[size_t(c)]) << c;

    f.resize(776, 442);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.DiDaGrid1->geometry(), QRect(8, 80, 737, 321));
    EXPECT_EQ(f.ProgressBar1->geometry(), QRect(88, 408, 553, 25));
    EXPECT_EQ(f.cmdStop->geometry(), QRect(704, 408, 64, 25));
    EXPECT_EQ(f.DiDaGrid1->ColWidth(2), 323);

    f.showMaximized();
    QCoreApplication::processEvents();
    EXPECT_GE(f.DiDaGrid1->width(), 737);
    EXPECT_EQ(f.DiDaGrid1->ColWidth(1), ColumnWidths(f.DiDaGrid1->width())[1]);
}

TEST_F(Form1Test, ControlsCarryTheirNamesAndPlaces) {
    Open();
    const Place places[] = {
        {"Toolbar1", QRect(0, 0, 776, 73)},  {"DiDaGrid1", QRect(8, 80, 737, 321)},
        {"Label3", QRect(16, 416, 65, 17)},  {"ProgressBar1", QRect(88, 408, 553, 25)},
        {"Label4", QRect(656, 408, 41, 17)},
    };
    for (const Place& p : places) {
        QWidget* w = Find<QWidget>(p.name);
        ASSERT_NE(w, nullptr) << p.name;
        EXPECT_EQ(w->geometry(), p.rect) << p.name;
    }
    EXPECT_EQ(Find<QToolBar>("Toolbar1"), form->Toolbar1);
    EXPECT_EQ(Find<DiDaGrid>("DiDaGrid1"), form->DiDaGrid1);
    EXPECT_EQ(Find<QLabel>("Label3")->text(), QStringLiteral("处理进度:"));
    EXPECT_EQ(Find<QLabel>("Label4")->text(), QStringLiteral("0%"));
    QProgressBar* bar = Find<QProgressBar>("ProgressBar1");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), 0);

    QMenu* menu = Find<QMenu>("MyPopmenu");
    ASSERT_EQ(menu, form->MyPopmenu);
    EXPECT_EQ(menu->title(), QStringLiteral("选中操作"));
    QAction* del = Find<QAction>("mDel");
    QAction* delNo = Find<QAction>("mDelNo");
    ASSERT_TRUE(del && delNo);
    EXPECT_EQ(del->text(), QStringLiteral("移除选中文件"));
    EXPECT_EQ(delNo->text(), QStringLiteral("移除未选中文件"));
    // The removal items first, then the additions, apart by separators.
    QList<QAction*> items = menu->actions();
    items.removeIf([](QAction* a) { return a->isSeparator(); });
    EXPECT_EQ(items, (QList<QAction*>{del, delNo, form->mCheckAll, form->mInvert, form->mUndo,
                                      form->mExport}));
}

TEST_F(Form1Test, ToolbarButtonsInOrder) {
    Open();
    struct Button {
        const char* key;
        const char* caption;
        const char* tip;
        const char* keys;
    };
    const Button buttons[] = {
        {"btnDir", "添加文件夹", "选择你要批处理改名的文件夹.", "Ctrl+D"},
        {"btnFile", "添加文件", "选择要处理的word文件(可多选)", "Ctrl+O"},
        {"btnGetTitle", "提取标题", "提取选定文件的标题", "F5"},
        {"btnSetting", "选项", "设置相关选项", "Ctrl+,"},
        {"btnRename", "批量改名", "跟选定的文件改名", "Ctrl+R"},
        {"btnAbout", "关于", "软件帮助", "F1"},
        {"btnQuit", "退出", "退出程序", "Ctrl+Q"},
    };
    QStringList order;
    for (QAction* a : form->Toolbar1->actions()) {
        order << form->Toolbar1->widgetForAction(a)->objectName();
    }
    EXPECT_EQ(order, (QStringList{"btnDir", "btnFile", "btnGetTitle", "btnSetting", "btnRename",
                                  "btnAbout", "btnQuit"}));
    for (const Button& b : buttons) {
        QToolButton* button = Find<QToolButton>(b.key);
        ASSERT_NE(button, nullptr) << b.key;
        EXPECT_EQ(form->toolButton(QString::fromLatin1(b.key)), button);
        EXPECT_EQ(button->text(), QString::fromUtf8(b.caption)) << b.key;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(b.tip)) << b.key;
        EXPECT_EQ(button->shortcut().toString(), QString::fromLatin1(b.keys)) << b.key;
        EXPECT_FALSE(button->icon().isNull()) << b.key;
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        EXPECT_TRUE(button->isEnabled());
    }
    EXPECT_EQ(form->toolButton(QStringLiteral("btnNope")), nullptr);
}

// --- Start-up ---------------------------------------------------------------

TEST_F(Form1Test, ColumnsAndHeaderRowAtStart) {
    Form1& f = Open();
    DiDaGrid& grid = *f.DiDaGrid1;
    EXPECT_EQ(grid.ControlWidth(), 737);
    ASSERT_EQ(grid.columnCount(), 6);
    const int expected[] = {-677, 123, 323, 43, 123, 123};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(grid.ColWidth(c), expected[c]) << c;
    EXPECT_TRUE(grid.isColumnHidden(0));
    const char* headers[] = {"", "原文件名", "提取的标题", "标志", "原文件路径", "处理结果"};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(grid.GetCellText(0, c), QString::fromUtf8(headers[c]));
    EXPECT_EQ(grid.RowCount(), 1) << "no document rows";
    EXPECT_EQ(f.globalFilecount, 0);
}

TEST(ColumnWidths, UnitIsAWidthOverSixRoundedHalfToEven) {
    struct Case {
        int width;
        std::array<int, 6> widths;
    };
    const Case cases[] = {
        {737, {-677, 123, 323, 43, 123, 123}},
        {741, {-676, 124, 324, 44, 124, 124}},  // 123.5 rounds up to the even 124
        {747, {-676, 124, 324, 44, 124, 124}},  // 124.5 rounds down to the even 124
        {753, {-674, 126, 326, 46, 126, 126}},  // 125.5 rounds up to 126
        {0, {-800, 0, 200, -80, 0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(ColumnWidths(c.width), c.widths) << c.width;
}

TEST_F(Form1Test, FirstStartReportsOnceAndWritesTheDefaults) {
    ASSERT_FALSE(QFile::exists(IniPath()));
    Form1& f = Open();
    EXPECT_EQ(dialogs.messages.size(), 1u) << "one report of the missing file";
    EXPECT_TRUE(f.globalOnlyenglish);
    EXPECT_FALSE(f.globalFirst);
    EXPECT_FALSE(f.globalSubdir);
    EXPECT_EQ(f.globalMaxword, 25);
    EXPECT_EQ(f.globalDefaultDir, f.programFolder());
    EXPECT_EQ(f.globalGetTitleMode, 0);
    EXPECT_EQ(f.globalStartpragraph, 5);
    EXPECT_EQ(f.globalStartpos, 1);
    EXPECT_EQ(f.globalWordcount, 25);
    const QByteArray ini = test::ReadFile(IniPath());
    EXPECT_EQ(ini.count("\r\n"), 9);
    EXPECT_TRUE(
        ini.startsWith("First=False \r\nSubdir=false\r\nOnlyenglish=true\r\nMaxword= 25\r\n"));
    EXPECT_EQ(f.settingsPath(), IniPath());
    EXPECT_EQ(f.DiDaGrid1->RowCount(), 1);
}

TEST_F(Form1Test, StartWithASettingsFileLoadsItQuietly) {
    WriteSettings(IniPath());
    const QByteArray before = test::ReadFile(IniPath());
    Form1& f = Open();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(f.globalMaxword, 10);
    EXPECT_FALSE(f.globalOnlyenglish);
    EXPECT_EQ(f.globalDefaultDir, QStringLiteral("/srv/docs"));
    EXPECT_EQ(f.globalGetTitleMode, 2);
    EXPECT_EQ(test::ReadFile(IniPath()), before) << "a good file is not rewritten";
}

TEST_F(Form1Test, FormatTitleFollowsTheCurrentMaximum) {
    Form1& f = Open();
    f.globalMaxword = 4;
    EXPECT_EQ(f.FormatTitle(QStringLiteral(" 第一章 总则\r")), QStringLiteral("第一章总"));
    f.globalMaxword = 25;
    EXPECT_EQ(f.FormatTitle(QStringLiteral(" 第一章 总则\r")), QStringLiteral("第一章总则"));
    f.globalMaxword = -1;
    EXPECT_EQ(f.FormatTitle(QStringLiteral("abc")), std::nullopt);
    EXPECT_EQ(f.isGoodFilename(QStringLiteral("Q3/Q4")), 0);
    EXPECT_EQ(f.isGoodFilename(QStringLiteral("Q3-Q4")), -1);
}

// --- Toolbar dispatch ---------------------------------------------------------

TEST_F(Form1Test, UnknownKeysDoNothing) {
    Open();
    dialogs.messages.clear();
    for (const char* key : {"", "btndir", "BTNQUIT", "btnAbout ", "btnNope"}) {
        form->Toolbar1_ButtonClick(QString::fromLatin1(key));
    }
    EXPECT_TRUE(dialogs.execCalls.empty());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.folderPrompts.empty());
    EXPECT_TRUE(dialogs.openFilesCalls.empty());
    EXPECT_EQ(quits, 0);
    for (QToolButton* b : form->Toolbar1->findChildren<QToolButton*>()) {
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    }
}

TEST_F(Form1Test, DialogButtonIsDisabledWhileItsDialogRuns) {
    Open();
    struct Case {
        const char* key;
        const char* dialog;
    };
    for (const Case& c : {Case{"btnSetting", "frmOptions"}, Case{"btnAbout", "frmAbout"}}) {
        const QString key = QString::fromLatin1(c.key);
        std::vector<std::pair<QString, bool>> seen;
        QWidget* parent = nullptr;
        dialogs.onExec = [&](QDialog& dialog) {
            parent = dialog.parentWidget();
            for (QToolButton* b : form->Toolbar1->findChildren<QToolButton*>()) {
                if (!b->objectName().startsWith(QLatin1String("btn"))) continue;
                seen.emplace_back(b->objectName(), b->isEnabled());
            }
            return int(QDialog::Accepted);
        };
        dialogs.execCalls.clear();
        form->toolButton(key)->click();  // a real click dispatches by the button's key
        ASSERT_EQ(dialogs.execCalls, std::vector<QString>{QString::fromLatin1(c.dialog)});
        EXPECT_EQ(parent, form.get()) << c.key;
        ASSERT_EQ(seen.size(), 7u);
        for (const auto& [name, enabled] : seen) {
            EXPECT_EQ(enabled, name != key) << c.key << ": " << name.toStdString();
        }
        EXPECT_TRUE(form->toolButton(key)->isEnabled()) << "enabled again afterwards";
    }
}

TEST_F(Form1Test, FailingCommandIsReportedAndItsButtonEnabledAgain) {
    Open();
    dialogs.messages.clear();
    dialogs.onExec = [](QDialog&) -> int { throw std::runtime_error("dialog failed"); };
    form->Toolbar1_ButtonClick(QStringLiteral("btnAbout"));
    EXPECT_TRUE(form->toolButton(QStringLiteral("btnAbout"))->isEnabled());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("dialog failed")));
}

TEST_F(Form1Test, QuitEndsAtOnceWithoutSaving) {
    WriteSettings(IniPath());
    Open();
    form->globalMaxword = 3;
    const QByteArray before = test::ReadFile(IniPath());
    form->toolButton(QStringLiteral("btnQuit"))->click();
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.execCalls.empty());
    EXPECT_EQ(test::ReadFile(IniPath()), before);
}

// --- The list's notifications -------------------------------------------------

TEST_F(Form1Test, FileNameAndFlagColumnsRefuseEditing) {
    Open();
    for (int col = 0; col < 6; ++col) {
        int16_t allow = -1;
        emit form->DiDaGrid1->CellEditBegin(1, col, 0, allow);
        EXPECT_EQ(allow, (col == 1 || col == 3) ? 0 : -1) << col;
    }
    // And through the editor itself.
    Fill({QStringLiteral("0")});
    form->show();
    DiDaGrid& grid = *form->DiDaGrid1;
    for (int col : {1, 3}) {
        grid.edit(grid.model()->index(0, col));
        EXPECT_FALSE(grid.IsEditing()) << col;
    }
    grid.edit(grid.model()->index(0, 2));
    EXPECT_TRUE(grid.IsEditing());
}

TEST_F(Form1Test, TypedTitleRunsTheEditRule) {
    Open();
    form->globalMaxword = 25;
    Fill({QStringLiteral("0"), QStringLiteral("0")});
    form->show();
    DiDaGrid& grid = *form->DiDaGrid1;
    const QModelIndex cell = grid.model()->index(1, 2);  // row 2's title
    grid.setCurrentIndex(cell);
    grid.edit(cell);
    auto* editor = qobject_cast<QLineEdit*>(grid.indexWidget(cell));
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral(" 会议 纪要 "));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::sendPostedEvents();  // Return commits through a queued call
    EXPECT_EQ(grid.GetCellText(2, 2), QStringLiteral("会议纪要"));
    EXPECT_EQ(grid.GetCellText(2, 5), QStringLiteral("修改成功"));
    EXPECT_EQ(grid.GetCellProperty(2, 3, kGet), QStringLiteral("1"));
    EXPECT_EQ(grid.GetCellProperty(1, 3, kGet), QStringLiteral("0"));
}

TEST_F(Form1Test, RightClickOnAnEmptyListShowsThePopupMenu) {
    Open();
    form->show();
    QWidget* viewport = form->DiDaGrid1->viewport();
    const QPoint at(50, 150);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0], form->MyPopmenu);
}

TEST_F(Form1Test, PopupItemsRemoveRows) {
    Open();
    dialogs.messages.clear();
    Fill({QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("0")});
    popupChoice = form->mDelNo;
    emit form->DiDaGrid1->MenuRequest(0, 0, 1, 1, 0);
    EXPECT_EQ(form->globalFilecount, 2);
    form->mDel->trigger();
    EXPECT_EQ(form->globalFilecount, 0);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("一共从列表中 1个文件!!"));
    EXPECT_EQ(dialogs.messages[1].text, QStringLiteral("一共从列表中 2个文件!!"));
}

TEST_F(Form1Test, DoubleClickOpensTheClickedRow) {
    Open();
    Fill({QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")});
    form->show();
    DiDaGrid& grid = *form->DiDaGrid1;
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {},
                       grid.visualRect(grid.model()->index(2, 2)).center());
    EXPECT_EQ(dialogs.openedDocuments, std::vector<QString>{QStringLiteral("/docs/3.doc")});

    // Not on the check box, where a double-click is two toggles.
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {},
                       grid.visualRect(grid.model()->index(1, 3)).center());
    EXPECT_EQ(dialogs.openedDocuments.size(), 1u);
}

// A dialog layer whose document opening breaks unexpectedly.
class ThrowingDialogs : public test::FakeDialogs {
  public:
    bool openDocument(const QString&) override { throw std::runtime_error("viewer crashed"); }
};

TEST_F(Form1Test, FailureInANotificationIsReportedAndTheWindowGoesOn) {
    ThrowingDialogs throwing;
    Form1Options options;
    options.settingsDir = dir.path();
    options.dialogs = &throwing;
    Form1 f(options);
    throwing.messages.clear();
    f.globalFilecount = 1;
    f.DiDaGrid1->SetRowCount(2);
    emit f.DiDaGrid1->OpenRequest(0, 0, 1, 1, 1);
    ASSERT_EQ(throwing.messages.size(), 1u);
    EXPECT_TRUE(throwing.messages[0].text.contains(QStringLiteral("viewer crashed")));
    EXPECT_EQ(throwing.messages[0].icon, MsgIcon::Critical);
    f.mDel->trigger();  // still answers
    EXPECT_EQ(throwing.messages.size(), 2u);
}

// A dialog layer whose first message box breaks.
class FirstMessageThrows : public test::FakeDialogs {
  public:
    int message(const MessageRequest& request) override {
        if (!thrown) {
            thrown = true;
            throw std::runtime_error("message box broke");
        }
        return FakeDialogs::message(request);
    }
    bool thrown = false;
};

TEST_F(Form1Test, FailureDuringStartUpIsReportedAndTheListStillLaidOut) {
    FirstMessageThrows broken;  // the missing file's report fails
    Form1Options options;
    options.settingsDir = dir.path();
    options.dialogs = &broken;
    Form1 f(options);
    ASSERT_EQ(broken.messages.size(), 1u);
    EXPECT_TRUE(broken.messages[0].text.contains(QStringLiteral("message box broke")));
    EXPECT_EQ(f.DiDaGrid1->columnCount(), 6);
    EXPECT_EQ(f.DiDaGrid1->GetCellText(0, 2), QStringLiteral("提取的标题"));
}

}  // namespace
}  // namespace pelmora
