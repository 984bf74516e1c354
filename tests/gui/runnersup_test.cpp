// The automatic mode's runners-up in the title cell's editor, on the real
// window: listed under the cell as the editor opens, one click or key away,
// and committed as a typed title is; the other modes edit as ever.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <vector>

#include "gui/didagrid.h"
#include "gui/form1.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "support/window_test.h"
#include "titles/rawtitle.h"

namespace pelmora {
namespace {

using test::TestData;

const QString kOk = QStringLiteral("提取成功");
const QString kChanged = QStringLiteral("修改成功");
const QString kBody = QStringLiteral("海州大学学生摄影协会章程");
const QStringList kBodyOthers = {"章程", "海州大学", "学生摄影协会", "第一章总则"};

class RunnersUp : public test::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        form->globalMaxword = 25;
        form->globalStartpragraph = 5;
        form->globalStartpos = 1;
        form->globalWordcount = 25;
        form->resize(900, 500);
        form->show();
        // Keys go to the active window's focus, or to its open list.
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    // Lists these fixtures in this order and reads their titles in `mode`.
    bool extract(const QStringList& fixtures, TitleMode mode = TitleMode::TitleModeAuto) {
        const QChar nul(0);
        QString selection = dir();
        for (const QString& f : fixtures) {
            const QString name = QFileInfo(f).fileName();
            if (!QFile::exists(dir() + "/" + name) && !QFile::copy(TestData(f), dir() + "/" + name))
                return false;
            selection += nul + name;
        }
        fake.fileSelections.push_back(selection);
        form->Toolbar1_ButtonClick(QStringLiteral("btnFile"));
        if (form->globalFilecount != int(fixtures.size())) return false;
        return reread(mode);
    }
    bool reread(TitleMode mode) {
        form->globalGetTitleMode = int16_t(mode);
        form->Toolbar1_ButtonClick(QStringLiteral("btnGetTitle"));
        fake.messages.clear();
        return true;
    }

    QModelIndex cell(int row) const { return form->DiDaGrid1->model()->index(row - 1, ColTitle); }

    // Opens the title cell's editor as a click on the selected cell does.
    QLineEdit* edit(int row) {
        grid().setCurrentIndex(cell(row));
        grid().edit(cell(row));
        QCoreApplication::processEvents();
        return qobject_cast<QLineEdit*>(grid().indexWidget(cell(row)));
    }
    // The list shown under the editor, or nothing.
    static QAbstractItemView* shownList(QLineEdit* editor) {
        if (!editor || !editor->completer()) return nullptr;
        QAbstractItemView* popup = editor->completer()->popup();
        return popup->isVisible() ? popup : nullptr;
    }
    static QStringList items(QAbstractItemView* list) {
        QStringList texts;
        for (int i = 0; i < list->model()->rowCount(); ++i)
            texts.push_back(list->model()->index(i, 0).data().toString());
        return texts;
    }
    // A key as the window system delivers it: to the open list, if any.
    void press(Qt::Key key, char text = 0) {
        QWindow* window = QApplication::activePopupWidget()
                              ? QApplication::activePopupWidget()->windowHandle()
                              : form->windowHandle();
        if (text)
            QTest::keyClick(window, text);
        else
            QTest::keyClick(window, key);
        QCoreApplication::processEvents();
    }
    void click(QAbstractItemView* list, int item) {
        const QRect rect = list->visualRect(list->model()->index(item, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QCoreApplication::processEvents();
    }

    struct Row {
        QString title, result, flag;
        uint32_t color;
        bool operator==(const Row&) const = default;
        friend void PrintTo(const Row& r, std::ostream* os) {
            *os << "{" << r.title.toStdString() << ", " << r.result.toStdString() << ", "
                << r.flag.toStdString() << ", " << std::hex << r.color << "}";
        }
    };
    Row row(int r) {
        return {grid().GetCellText(r, ColTitle), grid().GetCellText(r, ColResult),
                grid().GetCellProperty(r, ColFlag, "getcheck"), grid().GetCellColor(r, ColTitle)};
    }
};

#define REQUIRE(...) \
    if (!extract(__VA_ARGS__)) GTEST_SKIP() << "test documents not available"

TEST_F(RunnersUp, ListedUnderTheCellAsTheEditorOpens) {
    REQUIRE({"titles/issuing_body.doc", "titles/column_headers.doc", "en_first.doc"});
    QLineEdit* editor = edit(1);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), kBody) << "the editor holds the title as ever";
    QAbstractItemView* list = shownList(editor);
    ASSERT_NE(list, nullptr) << "shown without another click";
    EXPECT_EQ(items(list), kBodyOthers);
    const QRect cellRect(grid().viewport()->mapToGlobal(grid().visualRect(cell(1)).topLeft()),
                         grid().visualRect(cell(1)).size());
    EXPECT_GE(list->window()->geometry().top(), cellRect.bottom() - 2);
    EXPECT_LE(std::abs(list->window()->geometry().left() - cellRect.left()), 2);
    EXPECT_GE(list->window()->width(), editor->width());
    press(Qt::Key_Escape);
    EXPECT_FALSE(grid().IsEditing());

    // A row whose title failed offers its usable runners-up.
    list = shownList(edit(2));
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(items(list).contains("人类的群星闪耀时"));
    press(Qt::Key_Escape);
    // A title with no runner-up edits as ever.
    editor = edit(3);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->completer(), nullptr);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(RunnersUp, AClickCommitsTheRunnerUpAsATypedTitle) {
    REQUIRE({"titles/issuing_body.doc", "titles/column_headers.doc"});
    std::vector<int> ended;
    QObject::connect(&grid(), &DiDaGrid::CellEditEnd,
                     [&](int r, int col, int) { ended.push_back(r * 10 + col); });
    QAbstractItemView* list = shownList(edit(2));
    ASSERT_NE(list, nullptr);
    const int item = int(items(list).indexOf("看不见的城市"));
    ASSERT_GE(item, 1);
    click(list, item);
    EXPECT_FALSE(grid().IsEditing());
    EXPECT_EQ(ended, std::vector<int>({22}));
    // The red, unchecked row is now as a typed title leaves it.
    EXPECT_EQ(row(2), (Row{"看不见的城市", kChanged, "1", kColorWhite}));

    // Taken back in one click too: the first pick is offered again.
    list = shownList(edit(1));
    click(list, 1);
    EXPECT_EQ(row(1), (Row{"海州大学", kChanged, "1", kColorWhite}));
    list = shownList(edit(1));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(items(list), QStringList({kBody, "章程", "学生摄影协会", "第一章总则"}));
    click(list, 0);
    EXPECT_EQ(row(1), (Row{kBody, kChanged, "1", kColorWhite}));
}

TEST_F(RunnersUp, KeysEditAsWithoutTheList) {
    REQUIRE({"titles/issuing_body.doc"});
    // Arrows walk the list, Return takes the one shown.
    ASSERT_NE(shownList(edit(1)), nullptr);
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_FALSE(grid().IsEditing());
    EXPECT_EQ(row(1), (Row{"海州大学", kChanged, "1", kColorWhite}));

    // Typing goes to the editor while the list shows; Return takes the typed
    // text, even where it begins a runner-up.
    QLineEdit* editor = edit(1);
    ASSERT_NE(shownList(editor), nullptr);
    editor->setText(QString());
    for (char c : std::string("Plan")) press(Qt::Key_unknown, c);
    EXPECT_EQ(editor->text(), "Plan");
    press(Qt::Key_Return);
    EXPECT_EQ(row(1), (Row{"Plan", kChanged, "1", kColorWhite}));

    // Typing on the selected cell opens the editor with that key, as ever.
    grid().setCurrentIndex(cell(1));
    grid().setFocus();
    QTest::keyClick(&grid(), 'z');
    QCoreApplication::processEvents();
    ASSERT_TRUE(grid().IsEditing());
    ASSERT_NE(QApplication::activePopupWidget(), nullptr) << "the list shows then too";
    press(Qt::Key_unknown, 'y');
    press(Qt::Key_Return);
    EXPECT_EQ(row(1), (Row{"zy", kChanged, "1", kColorWhite}));

    // Escape leaves the cell as it was, with the list open.
    ASSERT_NE(shownList(edit(1)), nullptr);
    press(Qt::Key_Down);
    press(Qt::Key_Escape);
    EXPECT_FALSE(grid().IsEditing());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(row(1), (Row{"zy", kChanged, "1", kColorWhite}));
}

TEST_F(RunnersUp, TheSpecifiedModesOfferNone) {
    REQUIRE({"titles/issuing_body.doc"});
    for (TitleMode mode : {TitleMode::TitleModeFirstParagraph, TitleMode::TitleModeHeader,
                           TitleMode::TitleModeFooter, TitleMode::TitleModeCustom}) {
        // Read first in the automatic mode: a later run in another mode
        // clears its runners-up.
        reread(TitleMode::TitleModeAuto);
        ASSERT_NE(shownList(edit(1)), nullptr);
        press(Qt::Key_Escape);
        reread(mode);
        QLineEdit* editor = edit(1);
        ASSERT_NE(editor, nullptr) << int(mode);
        EXPECT_EQ(editor->completer(), nullptr) << int(mode);
        press(Qt::Key_Escape);
    }
}

TEST_F(RunnersUp, RemovedRowsTakeTheirListsAlong) {
    // Checked, unchecked, checked: removing the unchecked row moves the last up.
    REQUIRE({"en_first.doc", "titles/column_headers.doc", "titles/issuing_body.doc"});
    form->mDelNo->trigger();
    ASSERT_EQ(form->globalFilecount, 2);
    EXPECT_EQ(shownList(edit(1)), nullptr);
    press(Qt::Key_Escape);
    QAbstractItemView* list = shownList(edit(2));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(items(list), kBodyOthers);
}

}  // namespace
}  // namespace pelmora
