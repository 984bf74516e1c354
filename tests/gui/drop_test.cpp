// Files and folders dropped from the file manager onto the list or the
// window, through synthetic drag and drop events.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

#include "gui/didagrid.h"
#include "gui/form1.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "support/window_test.h"

namespace pelmora {
namespace {

using test::WriteFile;

class Drop : public test::WindowTest {
  protected:
    void make(const QString& folder, const QStringList& names) {
        for (const QString& n : names) WriteFile(folder + "/" + n, "x");
    }
    static std::unique_ptr<QMimeData> Mime(const QStringList& paths) {
        auto mime = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const QString& p : paths)
            urls << (p.startsWith("http") ? QUrl(p) : QUrl::fromLocalFile(p));
        mime->setUrls(urls);
        return mime;
    }
    // A drag that enters the list's viewport (or another widget) and is
    // dropped there; true when the drop was taken.
    bool drop(const QStringList& paths, QWidget* target = nullptr) {
        if (!target) target = grid().viewport();
        const auto mime = Mime(paths);
        QDragEnterEvent entering(QPoint(20, 20), Qt::CopyAction | Qt::MoveAction, mime.get(),
                                 Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &entering);
        if (!entering.isAccepted()) return false;
        QDropEvent event(QPointF(20, 20), Qt::CopyAction | Qt::MoveAction, mime.get(),
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
        return event.isAccepted();
    }
    bool enter(const QStringList& paths) {
        const auto mime = Mime(paths);
        QDragEnterEvent event(QPoint(20, 20), Qt::CopyAction | Qt::MoveAction, mime.get(),
                              Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(grid().viewport(), &event);
        return event.isAccepted();
    }
    QStringList column(int col) {
        QStringList out;
        for (int r = 1; r <= form->globalFilecount; ++r) out << grid().GetCellText(r, col);
        return out;
    }
};

TEST_F(Drop, FilesBecomeRowsAsPickedFilesEachWithItsFolder) {
    make(dir() + "/one", {"b.doc", "a.DOCX", "notes.txt"});
    make(dir() + "/two", {"c.docm"});
    EXPECT_TRUE(drop({dir() + "/one/b.doc", dir() + "/one/notes.txt", dir() + "/two/c.docm",
                      dir() + "/one/a.DOCX"}));
    EXPECT_EQ(form->globalFilecount, 3);
    EXPECT_EQ(column(ColFileName), (QStringList{"b.doc", "c.docm", "a.DOCX"}));
    EXPECT_EQ(column(ColPath), (QStringList{dir() + "/one", dir() + "/two", dir() + "/one"}));
    for (int r = 1; r <= 3; ++r) {
        EXPECT_EQ(grid().GetCellProperty(r, ColFlag, "getcheck"), "0");
        EXPECT_EQ(grid().GetCellText(r, ColTitle), "");
    }
    EXPECT_TRUE(fake.messages.empty());
    // A second drop replaces the rows.
    EXPECT_TRUE(drop({dir() + "/two/c.docm"}));
    EXPECT_EQ(column(ColFileName), (QStringList{"c.docm"}));
    EXPECT_EQ(grid().RowCount(), 2);
}

TEST_F(Drop, OneFolderAsTheFolderButtonWithItsFilters) {
    make(dir() + "/f", {"b.doc", "A.doc", "中文.doc", "x.txt", "y.docx"});
    make(dir() + "/f/sub", {"deep.doc"});
    form->globalOnlyenglish = true;
    EXPECT_TRUE(drop({dir() + "/f/"}));  // folder URLs may end in a slash
    EXPECT_EQ(column(ColFileName), (QStringList{"A.doc", "b.doc", "y.docx"}));
    EXPECT_EQ(column(ColPath), QStringList(3, dir() + "/f"));

    form->globalOnlyenglish = false;
    form->globalSubdir = true;
    EXPECT_TRUE(drop({dir() + "/f"}));
    EXPECT_EQ(column(ColFileName),
              (QStringList{"A.doc", "b.doc", "y.docx", "中文.doc", "deep.doc"}));
    EXPECT_EQ(column(ColPath).back(), dir() + "/f/sub");
    // Only the first drop left a file out, and said so.
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_TRUE(fake.messages[0].text.startsWith("已列出3个文件;另有1个"));
}

TEST_F(Drop, AFolderWithoutDocumentsShowsTheFolderMessage) {
    make(dir() + "/docs", {"a.doc"});
    make(dir() + "/none", {"a.txt"});
    drop({dir() + "/docs"});
    drop({dir() + "/none"});
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "该文件夹下没有发现Word文件,请重新选择文件夹");
    EXPECT_EQ(fake.messages[0].caption, "添加文件夹");
    EXPECT_EQ(form->globalFilecount, 1);
}

TEST_F(Drop, TwoFoldersAndFilesAllDocumentsEachWithItsFolder) {
    make(dir() + "/p", {"b.doc", "a.doc"});
    make(dir() + "/q", {"c.doc", "中文.doc"});
    make(dir(), {"loose.doc", "skip.txt"});
    form->globalOnlyenglish = true;
    EXPECT_TRUE(drop({dir() + "/q", dir() + "/p"}));
    EXPECT_EQ(column(ColFileName), (QStringList{"c.doc", "a.doc", "b.doc"}));
    EXPECT_EQ(column(ColPath), (QStringList{dir() + "/q", dir() + "/p", dir() + "/p"}));

    // A folder with files beside it; a file also found in the folder counts once.
    EXPECT_TRUE(
        drop({dir() + "/loose.doc", dir() + "/p", dir() + "/p/a.doc", dir() + "/skip.txt"}));
    EXPECT_EQ(column(ColFileName), (QStringList{"loose.doc", "a.doc", "b.doc"}));
    EXPECT_EQ(column(ColPath), (QStringList{dir(), dir() + "/p", dir() + "/p"}));
}

TEST_F(Drop, OnlyLocalWordFilesAndFoldersAreTaken) {
    make(dir(), {"a.txt", "b.doc"});
    EXPECT_TRUE(enter({dir() + "/b.doc"}));
    EXPECT_TRUE(enter({dir()}));
    EXPECT_FALSE(enter({dir() + "/a.txt"}));
    EXPECT_FALSE(enter({"https://example.invalid/c.doc"}));
    EXPECT_FALSE(enter({dir() + "/missing.doc"}));

    make(dir() + "/keep", {"k.doc"});
    drop({dir() + "/keep"});
    EXPECT_FALSE(drop({dir() + "/a.txt", "https://example.invalid/c.doc"}));
    EXPECT_EQ(column(ColFileName), (QStringList{"k.doc"}));  // rows unchanged
}

TEST_F(Drop, DroppedFilesAndFoldersFollowTheListedKinds) {
    make(dir() + "/f", {"a.odt", "b.doc", "c.dotx"});
    EXPECT_TRUE(drop({dir() + "/f/a.odt", dir() + "/f/c.dotx"}));
    EXPECT_EQ(column(ColFileName), (QStringList{"a.odt"}));
    form->globalKinds = {".dotx"};
    EXPECT_FALSE(enter({dir() + "/f/a.odt"}));
    EXPECT_TRUE(drop({dir() + "/f"}));
    EXPECT_EQ(column(ColFileName), (QStringList{"c.dotx"}));
}

TEST_F(Drop, OntoTheWindowOutsideTheList) {
    make(dir(), {"w.doc"});
    EXPECT_TRUE(drop({dir() + "/w.doc"}, form.get()));
    EXPECT_EQ(column(ColFileName), (QStringList{"w.doc"}));
    EXPECT_EQ(column(ColPath), (QStringList{dir()}));
}

}  // namespace
}  // namespace pelmora
