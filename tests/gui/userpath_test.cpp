// The user's whole path on real documents: add a folder, extract titles,
// correct one title by hand in the list, rename, and look at the disk.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "gui/didagrid.h"
#include "gui/form1.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "support/window_test.h"
#include "titles/rawtitle.h"

namespace pelmora {
namespace {

using test::ReadFile;
using test::TestData;

TEST(UserPath, AddExtractEditRename) {
    const QStringList sources = {"empty_first.doc", "en_first.doc", "short.doc", "zh_first.doc"};
    QTemporaryDir settings, folder;
    for (const QString& s : sources) {
        if (!QFile::exists(TestData(s))) GTEST_SKIP() << "test documents not available";
        ASSERT_TRUE(QFile::copy(TestData(s), folder.path() + "/" + s));
    }
    test::WriteFile(folder.path() + "/readme.txt", "not a document");

    test::FakeDialogs fake;
    const std::unique_ptr<Form1> window = test::OpenWindow(settings.path(), fake);
    Form1& form = *window;
    fake.messages.clear();  // whatever the first start said about its settings file
    form.globalGetTitleMode = int16_t(TitleMode::TitleModeFirstParagraph);
    form.globalMaxword = 25;
    form.globalOnlyenglish = true;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    DiDaGrid& grid = *form.DiDaGrid1;
    auto click = [&](const char* key) { form.toolButton(QString::fromLatin1(key))->click(); };

    fake.folders.push_back(folder.path());
    click("btnDir");
    ASSERT_EQ(form.globalFilecount, 4);
    for (int r = 1; r <= 4; ++r) EXPECT_EQ(grid.GetCellText(r, ColFileName), sources[r - 1]);

    click("btnGetTitle");
    const QStringList extracted = {"", "AnnualReport2026", "One", "第一章总则"};
    for (int r = 1; r <= 4; ++r) EXPECT_EQ(grid.GetCellText(r, ColTitle), extracted[r - 1]) << r;
    EXPECT_EQ(grid.GetCellProperty(1, ColFlag, "getcheck"), "0");
    EXPECT_EQ(grid.GetCellColor(1, ColTitle), kColorRed);
    EXPECT_EQ(form.Label4->text(), "100%");

    // The empty title is typed in the list's editor and committed with Enter.
    const QModelIndex index = grid.model()->index(0, ColTitle);
    grid.setCurrentIndex(index);
    grid.edit(index);
    auto* editor = qobject_cast<QLineEdit*>(grid.indexWidget(index));
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral(" 空白 首段 "));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::sendPostedEvents();  // the editor commits through a queued call
    EXPECT_EQ(grid.GetCellText(1, ColTitle), "空白首段");
    EXPECT_EQ(grid.GetCellText(1, ColResult), "修改成功");
    EXPECT_EQ(grid.GetCellProperty(1, ColFlag, "getcheck"), "1");
    EXPECT_EQ(grid.GetCellColor(1, ColTitle), kColorWhite);

    fake.answers.push_back(AnswerYes);
    click("btnRename");
    const QStringList renamed = {"空白首段.doc", "AnnualReport2026.doc", "One.doc",
                                 "第一章总则.doc"};
    for (int r = 1; r <= 4; ++r) {
        EXPECT_EQ(grid.GetCellText(r, ColResult), "改名成功") << r;
        for (int c = 1; c <= 5; ++c)
            EXPECT_EQ(grid.GetCellColor(r, c), kColorYellow) << r << "," << c;
        EXPECT_EQ(ReadFile(folder.path() + "/" + renamed[r - 1]),
                  ReadFile(TestData(sources[r - 1])))
            << r;
    }
    QStringList onDisk = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    onDisk.sort();
    QStringList want = renamed;
    want << "readme.txt";
    want.sort();
    EXPECT_EQ(onDisk, want);

    const std::vector<QString> captions = {"提取标题", "改名确认", "Pelmora"};
    ASSERT_EQ(fake.messages.size(), captions.size());
    for (size_t i = 0; i < captions.size(); ++i) EXPECT_EQ(fake.messages[i].caption, captions[i]);
}

}  // namespace
}  // namespace pelmora
