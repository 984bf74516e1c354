#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <memory>

#include "gui/didagrid.h"
#include "gui/form1.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "support/window_test.h"

namespace pelmora {
namespace {

using test::WriteFile;

class AddCommands : public test::WindowTest {
  protected:
    void addFolder(const std::optional<QString>& folder) {
        fake.folders.push_back(folder);
        form->Toolbar1_ButtonClick(QStringLiteral("btnDir"));
    }
    void addFiles(const QString& selection) {
        fake.fileSelections.push_back(selection);
        form->Toolbar1_ButtonClick(QStringLiteral("btnFile"));
    }
    // The texts of one column over the document rows.
    QStringList column(int col) {
        QStringList out;
        for (int r = 1; r <= form->globalFilecount; ++r) out << grid().GetCellText(r, col);
        return out;
    }
    // Rows are fresh: no title, no outcome, an unchecked check box.
    void expectFreshRows() {
        for (int r = 1; r <= form->globalFilecount; ++r) {
            EXPECT_EQ(grid().GetCellText(r, ColTitle), "") << r;
            EXPECT_EQ(grid().GetCellText(r, ColResult), "") << r;
            EXPECT_EQ(grid().GetCellProperty(r, ColFlag, "getcheck"), "0") << r;
        }
    }
    void makeFiles(const QString& folder, const QStringList& names) {
        for (const QString& n : names) WriteFile(folder + "/" + n, "x");
    }
};

TEST_F(AddCommands, FolderWithThreeDocsAndATextFile) {
    makeFiles(dir(), {"c.doc", "a.doc", "B.DOC", "notes.txt"});
    addFolder(dir());
    EXPECT_EQ(fake.folderPrompts, (std::vector<QString>{"选择目录:"}));
    EXPECT_EQ(form->globalFilecount, 3);
    EXPECT_EQ(grid().RowCount(), 4);
    EXPECT_EQ(column(ColFileName), (QStringList{"a.doc", "B.DOC", "c.doc"}));
    EXPECT_EQ(column(ColPath), (QStringList{dir(), dir(), dir()}));
    expectFreshRows();
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(AddCommands, WordOpenXmlFilesAreListedBesideDocFiles) {
    makeFiles(dir(), {"b.docx", "a.doc", "C.DOCM", "d.dotx", "e.docx.tmp", "f.xlsx"});
    addFolder(dir());
    EXPECT_EQ(column(ColFileName), (QStringList{"a.doc", "b.docx", "C.DOCM"}));
    addFiles(dir() + QChar(0) + "b.docx" + QChar(0) + "a.doc");
    EXPECT_EQ(column(ColFileName), (QStringList{"b.docx", "a.doc"}));
    expectFreshRows();
}

TEST_F(AddCommands, TheListedKindsFollowTheSetting) {
    makeFiles(dir(), {"a.doc", "b.docx", "c.docm", "d.dot", "e.dotx", "f.dotm", "g.WPS", "h.wpt",
                      "i.odt", "j.ott", "k.rtf", "l.txt", "m.odt.bak", "中文.odt"});
    makeFiles(dir() + "/sub", {"deep.odt", "deep.doc"});
    addFolder(dir());
    EXPECT_EQ(column(ColFileName),
              (QStringList{"a.doc", "b.docx", "c.docm", "g.WPS", "i.odt", "k.rtf", "中文.odt"}));

    form->globalKinds = DocumentExtensions();
    addFolder(dir());
    EXPECT_EQ(column(ColFileName).size(), 12);

    // English-only and subfolders work for every kind as for .doc.
    form->globalKinds = {".odt"};
    form->globalOnlyenglish = true;
    form->globalSubdir = true;
    addFolder(dir());
    EXPECT_EQ(column(ColFileName), (QStringList{"i.odt", "deep.odt"}));
    EXPECT_EQ(column(ColPath), (QStringList{dir(), dir() + "/sub"}));

    // The open-file dialog offers the listed kinds alone.
    form->globalKinds = {".dot", ".ott"};
    addFiles(QString());
    ASSERT_EQ(fake.openFilesCalls.size(), 1u);
    EXPECT_EQ(fake.openFilesCalls[0].filter, "文档(*.DOT *.dot *.OTT *.ott)");
}

TEST_F(AddCommands, EnglishOnlyFilter) {
    makeFiles(dir(), {"report.doc", "报告.doc", "a，b.doc", "plan中.doc"});
    struct Case {
        bool onlyEnglish;
        QStringList rows;
    };
    for (const Case& c : {Case{true, {"report.doc"}},
                          Case{false, {"a，b.doc", "plan中.doc", "report.doc", "报告.doc"}}}) {
        form->globalOnlyenglish = c.onlyEnglish;
        addFolder(dir());
        EXPECT_EQ(column(ColFileName), c.rows) << c.onlyEnglish;
        EXPECT_EQ(grid().RowCount(), c.rows.size() + 1);
    }
    // The three left out are counted, with the reason and where to change it.
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text,
              "已列出1个文件;另有3个Word文件的文件名含有中文,因为设置了“只搜索英文文件名”,"
              "没有列出。\r\n要列出这些文件,请在“选项”中取消“只搜索英文文件名”。");
    EXPECT_EQ(fake.messages[0].caption, "添加文件夹");
}

// Nothing listed changes nothing, as for a folder without documents; the
// message says why the folder seemed empty.
TEST_F(AddCommands, EnglishOnlyWithOnlyChineseNamesKeepsTheRowsAndSaysWhy) {
    makeFiles(dir() + "/en", {"x.doc", "y.doc"});
    makeFiles(dir() + "/zh", {"报告.doc", "总则.doc", "a.txt"});
    addFolder(dir() + "/en");
    form->globalOnlyenglish = true;
    addFolder(dir() + "/zh");
    EXPECT_EQ(form->globalFilecount, 2);
    EXPECT_EQ(column(ColFileName), (QStringList{"x.doc", "y.doc"}));
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_TRUE(fake.messages[0].text.startsWith("该文件夹下的2个Word文件的文件名含有中文"));
    EXPECT_TRUE(fake.messages[0].text.contains("取消“只搜索英文文件名”"));
}

TEST_F(AddCommands, FolderWithoutDocsShowsTheMessageAndChangesNothing) {
    makeFiles(dir() + "/docs", {"a.doc", "b.doc"});
    makeFiles(dir() + "/none", {"a.txt", "b.ods", "c.docx.bak"});
    QDir(dir() + "/none").mkdir("sub.doc");
    addFolder(dir() + "/docs");
    addFolder(dir() + "/none");

    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "该文件夹下没有发现Word文件,请重新选择文件夹");
    EXPECT_EQ(fake.messages[0].caption, "添加文件夹");
    EXPECT_EQ(fake.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(fake.messages[0].buttons, MsgButtons::Ok);
    // The rows and their count stay: 提取标题 still works on them.
    EXPECT_EQ(form->globalFilecount, 2);
    EXPECT_EQ(grid().RowCount(), 3);
    EXPECT_EQ(grid().GetCellText(2, ColFileName), "b.doc");

    // A folder that cannot be listed says the same.
    addFolder(dir() + "/vanished");
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[1].text, fake.messages[0].text);
}

TEST_F(AddCommands, SubfoldersDepthFirstEachRowWithItsOwnFolder) {
    makeFiles(dir(), {"top.doc"});
    makeFiles(dir() + "/a", {"a2.doc", "a1.doc"});
    makeFiles(dir() + "/a/inner", {"i.doc"});
    makeFiles(dir() + "/b", {"b.doc", "b.txt"});
    makeFiles(dir() + "/.hidden", {"h.doc"});
    form->globalSubdir = true;
    addFolder(dir());
    EXPECT_EQ(column(ColFileName), (QStringList{"top.doc", "a1.doc", "a2.doc", "i.doc", "b.doc"}));
    EXPECT_EQ(column(ColPath),
              (QStringList{dir(), dir() + "/a", dir() + "/a", dir() + "/a/inner", dir() + "/b"}));
    expectFreshRows();

    // Off: the picked folder only.
    form->globalSubdir = false;
    addFolder(dir());
    EXPECT_EQ(column(ColFileName), (QStringList{"top.doc"}));
}

TEST_F(AddCommands, SubfoldersOnFindDocsBelowAnEmptyTopFolder) {
    makeFiles(dir() + "/only/below", {"x.doc"});
    form->globalSubdir = true;
    addFolder(dir());
    EXPECT_EQ(column(ColPath), (QStringList{dir() + "/only/below"}));
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(AddCommands, CancelledBrowserOrDialogChangesNothing) {
    makeFiles(dir(), {"a.doc", "b.doc"});
    addFolder(dir());
    grid().SetCellText(1, ColTitle, "kept");
    addFolder(std::nullopt);
    addFiles(QString());
    EXPECT_EQ(form->globalFilecount, 2);
    EXPECT_EQ(column(ColFileName), (QStringList{"a.doc", "b.doc"}));
    EXPECT_EQ(grid().GetCellText(1, ColTitle), "kept");
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(AddCommands, AddingAgainReplacesTheRows) {
    makeFiles(dir() + "/one", {"a.doc", "b.doc", "c.doc"});
    makeFiles(dir() + "/two", {"z.doc"});
    addFolder(dir() + "/one");
    addFolder(dir() + "/two");
    EXPECT_EQ(column(ColFileName), (QStringList{"z.doc"}));
    EXPECT_EQ(grid().RowCount(), 2);
    addFiles(dir() + "/one/b.doc");
    EXPECT_EQ(column(ColFileName), (QStringList{"b.doc"}));
    EXPECT_EQ(grid().RowCount(), 2);
}

TEST_F(AddCommands, OnePickedFile) {
    makeFiles(dir(), {"报告 final.doc"});
    addFiles(dir() + "/报告 final.doc");
    ASSERT_EQ(fake.openFilesCalls.size(), 1u);
    EXPECT_EQ(fake.openFilesCalls[0].title, "选择要改名的word文件,可多选");
    EXPECT_EQ(fake.openFilesCalls[0].filter,
              "文档(*.DOC *.doc *.DOCX *.docx *.DOCM *.docm *.WPS *.wps *.ODT *.odt *.RTF *.rtf)");
    EXPECT_EQ(form->globalFilecount, 1);
    EXPECT_EQ(column(ColFileName), (QStringList{"报告 final.doc"}));
    EXPECT_EQ(column(ColPath), (QStringList{dir()}));
    expectFreshRows();

    addFiles("/top.doc");  // a file in the root folder
    EXPECT_EQ(column(ColFileName), (QStringList{"top.doc"}));
    EXPECT_EQ(column(ColPath), (QStringList{"/"}));
}

TEST_F(AddCommands, SeveralPickedFilesKeepTheDialogOrder) {
    const QChar nul(0);
    addFiles(dir() + nul + "c.doc" + nul + "a.doc" + nul + "中文.doc");
    EXPECT_EQ(form->globalFilecount, 3);
    EXPECT_EQ(column(ColFileName), (QStringList{"c.doc", "a.doc", "中文.doc"}));
    EXPECT_EQ(column(ColPath), (QStringList{dir(), dir(), dir()}));
    expectFreshRows();

    // An empty name (a trailing separator) makes no row naming the folder.
    addFiles(dir() + nul + "x.doc" + nul);
    EXPECT_EQ(column(ColFileName), (QStringList{"x.doc"}));
}

TEST(IsChinese, TrueMinusOneOnlyForDoubleByteCharacters) {
    QTemporaryDir settings;
    test::FakeDialogs fake;
    Form1 form(
        Form1Options{.settingsDir = settings.path(), .dialogs = &fake, .quit = {}, .popup = {}});
    EXPECT_EQ(form.isChinese(QString()), 0);
    EXPECT_EQ(form.isChinese("Report_2023 (final).doc"), 0);
    EXPECT_EQ(form.isChinese("report.do中"), -1);
    EXPECT_EQ(form.isChinese("全角，"), -1);
    EXPECT_EQ(form.isChinese(QString(QChar(0xD800)) + "a"), 0);
}

}  // namespace
}  // namespace pelmora
