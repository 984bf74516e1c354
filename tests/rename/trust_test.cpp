// Renaming with real files: the collision question before anything moves,
// the journal and undo of the last batch (also in a new window), and files
// that keep their own Word extension.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <memory>
#include <set>

#include "app/form1.h"
#include "grid/didagrid.h"
#include "rename/conflicts.h"
#include "rename/journal.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "support/window_test.h"

namespace pelmora {
namespace {

using test::ReadFile;
using test::WriteFile;

QStringList Entries(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

struct Doc {
    QString name, title;
    bool checked;
};

class Trust : public test::WindowTest {
protected:
    QString journalPath() const { return settings.path() + "/lastrename.journal"; }

    // Files whose content is their own name, listed through "btnDir".
    void list(const std::vector<Doc>& docs) {
        for (const Doc& d : docs) WriteFile(dir() + "/" + d.name, d.name.toUtf8());
        fake.folders.push_back(dir());
        form->Toolbar1_ButtonClick(QStringLiteral("btnDir"));
        ASSERT_EQ(form->globalFilecount, int(docs.size()));
        for (int r = 1; r <= form->globalFilecount; ++r) {
            const Doc& d = docs[size_t(r - 1)];
            ASSERT_EQ(grid().GetCellText(r, ColFileName), d.name);
            grid().SetCellText(r, ColTitle, d.title);
            grid().SetCellProperty(r, ColFlag, "setcheck", d.checked ? "1" : "0");
        }
        fake.messages.clear();
    }
    // "btnRename" in place, then the answer to the collision question if asked.
    void rename(int collisionAnswer = AnswerYes) {
        fake.answers.push_back(AnswerYes);
        fake.answers.push_back(collisionAnswer);
        form->Toolbar1_ButtonClick(QStringLiteral("btnRename"));
        fake.answers.clear();
    }
    void undo() { form->mUndo->trigger(); }

    QString outcome(int r) { return grid().GetCellText(r, ColResult); }
    uint32_t color(int r) { return grid().GetCellColor(r, ColFileName); }

};

// Two rows want the same name; two want a name that a file already holds.
const std::vector<Doc> kCollidingBatch = {
    {"a.doc", "Same", true},   {"b.doc", "Same", true},    {"c.doc", "Taken", true},
    {"d.doc", "Taken", true},  {"e.doc", "Free", true},    {"Taken.doc", "x", false},
};

TEST_F(Trust, CollisionQuestionCountsThreeAndNoTouchesNothing) {
    list(kCollidingBatch);
    const QStringList before = Entries(dir());
    rename(AnswerNo);

    ASSERT_EQ(fake.messages.size(), 2u);
    const MessageRequest& ask = fake.messages[1];
    EXPECT_EQ(ask.buttons, MsgButtons::YesNo);
    EXPECT_TRUE(ask.text.startsWith("有 3个文件")) << ask.text.toStdString();
    // The colliding rows by title: b, c and d (a takes "Same" first).
    EXPECT_EQ(ask.text.count("\r\n    Same"), 1);
    EXPECT_EQ(ask.text.count("\r\n    Taken"), 2);
    EXPECT_FALSE(ask.text.contains("Free"));

    EXPECT_EQ(Entries(dir()), before);
    for (int r = 1; r <= 6; ++r) EXPECT_EQ(outcome(r), "") << r;
    EXPECT_FALSE(QFile::exists(journalPath()));
}

TEST_F(Trust, YesRenamesTheRestAndMarksTheCollisionsWith183) {
    list(kCollidingBatch);
    rename(AnswerYes);

    EXPECT_EQ(Entries(dir()), (QStringList{"Free.doc", "Same.doc", "Taken.doc", "b.doc", "c.doc", "d.doc"}));
    EXPECT_EQ(ReadFile(dir() + "/Same.doc"), "a.doc");
    EXPECT_EQ(ReadFile(dir() + "/Taken.doc"), "Taken.doc");
    const QString kRefused = QStringLiteral("文件已存在!! 183");
    EXPECT_EQ(outcome(1), "改名成功");
    EXPECT_EQ(outcome(2), kRefused);
    EXPECT_EQ(outcome(3), kRefused);
    EXPECT_EQ(outcome(4), kRefused);
    EXPECT_EQ(outcome(5), "改名成功");
    EXPECT_EQ(outcome(6), "");
    EXPECT_EQ(color(2), kColorRed);
    EXPECT_EQ(color(5), kColorYellow);
}

TEST_F(Trust, NoCollisionNoExtraQuestion) {
    list({{"a.doc", "Alpha", true}, {"b.doc", "Alpha", false}, {"c.doc", "", true}});
    rename(AnswerNo);  // would refuse, were it asked
    ASSERT_EQ(fake.messages.size(), 1u);  // the confirmation only
    EXPECT_EQ(outcome(1), "改名成功");
    EXPECT_EQ(outcome(3), "文件名含非法字符! 123");
}

TEST_F(Trust, UndoRestoresEveryFileAndMarksTheRows) {
    list({{"a.doc", "第一章", true}, {"b.doc", "Beta", false}, {"c.doc", "Gamma", true}});
    rename();
    ASSERT_EQ(Entries(dir()), (QStringList{"Gamma.doc", "b.doc", "第一章.doc"}));
    fake.messages.clear();

    undo();
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc", "c.doc"}));
    EXPECT_EQ(ReadFile(dir() + "/a.doc"), "a.doc");
    EXPECT_EQ(outcome(1), "已撤销");
    EXPECT_EQ(outcome(2), "");
    EXPECT_EQ(outcome(3), "已撤销");
    EXPECT_EQ(color(1), kColorWhite);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "一共撤销了 2个文件的改名!!");
    EXPECT_FALSE(QFile::exists(journalPath()));

    // Nothing is left to undo.
    undo();
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[1].text, "没有可以撤销的改名。");
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc", "c.doc"}));
}

TEST_F(Trust, UndoWorksInANewWindow) {
    list({{"a.doc", "Alpha", true}, {"b.doc", "Beta", true}});
    rename();
    ASSERT_EQ(Entries(dir()), (QStringList{"Alpha.doc", "Beta.doc"}));
    openWindow();  // the rows are gone with the old window
    EXPECT_EQ(form->globalFilecount, 0);

    undo();
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc"}));
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "一共撤销了 2个文件的改名!!");
}

TEST_F(Trust, UndoIntoAnotherFolderBatchAndOnlyTheLastBatch) {
    QTemporaryDir target;
    list({{"a.doc", "Alpha", true}});
    rename();
    // A second batch replaces the first one's journal.
    list({{"Alpha.doc", "Omega", true}});
    fake.answers = {AnswerNo};
    fake.folders.push_back(target.path());
    form->Toolbar1_ButtonClick(QStringLiteral("btnRename"));
    ASSERT_EQ(Entries(target.path()), (QStringList{"Omega.doc"}));

    undo();
    EXPECT_EQ(Entries(target.path()), QStringList{});
    EXPECT_EQ(Entries(dir()), (QStringList{"Alpha.doc"}));
    EXPECT_EQ(outcome(1), "已撤销");
}

TEST_F(Trust, ABatchThatOnlyCollidesKeepsThePreviousUndo) {
    list({{"a.doc", "Alpha", true}, {"b.doc", "Beta", false}});
    rename();
    // Now every checked row wants a name that is taken.
    grid().SetCellProperty(1, ColFlag, "setcheck", "0");
    grid().SetCellProperty(2, ColFlag, "setcheck", "1");
    grid().SetCellText(2, ColTitle, "Alpha");
    rename(AnswerYes);
    EXPECT_EQ(outcome(2), "文件已存在!! 183");

    // Nor does one whose files are gone: a second run over the same rows.
    grid().SetCellProperty(1, ColFlag, "setcheck", "1");
    grid().SetCellProperty(2, ColFlag, "setcheck", "0");
    rename();
    EXPECT_EQ(outcome(1), "未找到原文件! 2");

    undo();
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc"}));
    EXPECT_EQ(outcome(1), "已撤销");
}

TEST_F(Trust, UndoNeverReplacesAFileThatAppearedAtAnOldName) {
    list({{"a.doc", "Alpha", true}, {"b.doc", "Beta", true}});
    rename();
    WriteFile(dir() + "/a.doc", "someone else's");
    fake.messages.clear();

    undo();
    EXPECT_EQ(ReadFile(dir() + "/a.doc"), "someone else's");
    EXPECT_EQ(ReadFile(dir() + "/Alpha.doc"), "a.doc");
    EXPECT_EQ(ReadFile(dir() + "/b.doc"), "b.doc");
    EXPECT_EQ(outcome(1), "撤销失败:文件已存在!! 183");
    EXPECT_EQ(color(1), kColorRed);
    EXPECT_EQ(outcome(2), "已撤销");
    ASSERT_EQ(fake.messages.size(), 1u);
    const QString text = fake.messages[0].text;
    EXPECT_TRUE(text.startsWith("一共撤销了 1个文件的改名!!\n有 1个文件无法撤销")) << text.toStdString();
    EXPECT_TRUE(text.contains(dir() + "/Alpha.doc → " + dir() + "/a.doc")) << text.toStdString();

    // The journal keeps the move that is left; once the way is free it goes back.
    ASSERT_TRUE(QFile::exists(journalPath()));
    QFile::remove(dir() + "/a.doc");
    undo();
    EXPECT_EQ(ReadFile(dir() + "/a.doc"), "a.doc");
    EXPECT_EQ(fake.messages.back().text, "一共撤销了 1个文件的改名!!");
    EXPECT_FALSE(QFile::exists(journalPath()));
}

TEST_F(Trust, UndoTakesMovesBackNewestFirst) {
    // c moves on to d, then b takes c's old name. Taken back oldest first,
    // d could not return to c while b still held it.
    for (const char* n : {"b.doc", "c.doc"}) WriteFile(dir() + "/" + n, n);
    fake.fileSelections.push_back(dir() + QChar(0) + "c.doc" + QChar(0) + "b.doc");
    form->Toolbar1_ButtonClick(QStringLiteral("btnFile"));
    ASSERT_EQ(form->globalFilecount, 2);
    grid().SetCellText(1, ColTitle, "d");
    grid().SetCellText(2, ColTitle, "c");
    for (int r = 1; r <= 2; ++r) grid().SetCellProperty(r, ColFlag, "setcheck", "1");
    fake.messages.clear();
    rename(AnswerNo);  // no collision: the answer is never asked for
    ASSERT_EQ(fake.messages.size(), 1u);
    ASSERT_EQ(ReadFile(dir() + "/c.doc"), "b.doc");
    ASSERT_EQ(ReadFile(dir() + "/d.doc"), "c.doc");

    undo();
    EXPECT_EQ(Entries(dir()), (QStringList{"b.doc", "c.doc"}));
    EXPECT_EQ(ReadFile(dir() + "/b.doc"), "b.doc");
    EXPECT_EQ(ReadFile(dir() + "/c.doc"), "c.doc");
    EXPECT_EQ(outcome(1), "已撤销");
    EXPECT_EQ(outcome(2), "已撤销");
}

TEST_F(Trust, UnwritableJournalAsksBeforeMoving) {
    // A settings folder below a plain file cannot be made, not even by root.
    WriteFile(dir() + "/plain", "x");
    Form1Options options;
    options.settingsDir = dir() + "/plain/settings";
    options.dialogs = &fake;
    form = std::make_unique<Form1>(options);
    QTemporaryDir docs;
    WriteFile(docs.path() + "/a.doc", "a");
    fake.folders.push_back(docs.path());
    form->Toolbar1_ButtonClick(QStringLiteral("btnDir"));
    grid().SetCellText(1, ColTitle, "Alpha");
    grid().SetCellProperty(1, ColFlag, "setcheck", "1");
    fake.messages.clear();

    rename(AnswerNo);
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_TRUE(fake.messages[1].text.startsWith("无法写入改名记录")) << fake.messages[1].text.toStdString();
    EXPECT_EQ(fake.messages[1].buttons, MsgButtons::YesNo);
    EXPECT_EQ(Entries(docs.path()), (QStringList{"a.doc"}));
    EXPECT_EQ(outcome(1), "");

    rename(AnswerYes);  // going on without undo still renames
    EXPECT_EQ(Entries(docs.path()), (QStringList{"Alpha.doc"}));
}

TEST_F(Trust, WordFilesKeepTheirOwnExtension) {
    list({{"a.DOC", "Alpha", true}, {"b.docx", "Beta", true}, {"c.DOCM", "Gamma", true},
          {"d.docx", "Alpha", true}});
    rename();
    EXPECT_EQ(Entries(dir()), (QStringList{"Alpha.doc", "Alpha.docx", "Beta.docx", "Gamma.docm"}));
    EXPECT_EQ(ReadFile(dir() + "/Beta.docx"), "b.docx");
    EXPECT_EQ(ReadFile(dir() + "/Alpha.docx"), "d.docx");
    EXPECT_EQ(fake.messages.size(), 1u);  // different names: no collision
}

// ---- Planning without a disk ----

TEST(RenamedFileName, KeepsAWordExtensionLowerCased) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.doc", "T.doc"},   {"A.DOC", "T.doc"},  {"a.Docx", "T.docx"}, {"a.DOCM", "T.docm"},
        {"a.txt", "T.doc"},   {"docx", "T.doc"},   {".docx", "T.doc"},   {"a.docx.bak", "T.doc"},
        {"报告.docx", "T.docx"}, {"", "T.doc"},
    };
    for (const auto& [name, want] : cases)
        EXPECT_EQ(RenamedFileName(QString::fromUtf8(name), "T"), QString::fromUtf8(want)) << name;
}

TEST(FindCollisions, DiskAndEarlierRowsCaseByFileSystem) {
    struct Case {
        const char* what;
        std::set<QString> disk;
        bool foldCase;
        std::vector<std::pair<QString, QString>> moves;
        std::vector<size_t> want;
    };
    const Case cases[] = {
        {"free names", {"/d/a.doc", "/d/b.doc"}, false, {{"/d/a.doc", "/d/A1.doc"}, {"/d/b.doc", "/d/B1.doc"}}, {}},
        {"taken on disk", {"/d/a.doc", "/d/X.doc"}, false, {{"/d/a.doc", "/d/X.doc"}}, {0}},
        {"same name twice", {"/d/a.doc", "/d/b.doc"}, false, {{"/d/a.doc", "/d/X.doc"}, {"/d/b.doc", "/d/X.doc"}}, {1}},
        {"case differs, exact fs", {"/d/a.doc", "/d/b.doc"}, false, {{"/d/a.doc", "/d/X.doc"}, {"/d/b.doc", "/d/x.doc"}}, {}},
        {"case differs, folding fs", {"/d/a.doc", "/d/b.doc"}, true, {{"/d/a.doc", "/d/X.doc"}, {"/d/b.doc", "/d/x.doc"}}, {1}},
        {"freed by an earlier move", {"/d/b.doc", "/d/c.doc"}, false, {{"/d/c.doc", "/d/d.doc"}, {"/d/b.doc", "/d/c.doc"}}, {}},
        {"held until a later move", {"/d/b.doc", "/d/c.doc"}, false, {{"/d/b.doc", "/d/c.doc"}, {"/d/c.doc", "/d/d.doc"}}, {0}},
        {"missing source claims nothing", {"/d/b.doc"}, false, {{"/d/a.doc", "/d/X.doc"}, {"/d/b.doc", "/d/X.doc"}}, {}},
        {"other folder", {"/d/a.doc", "/e/X.doc"}, false, {{"/d/a.doc", "/d/X.doc"}}, {}},
    };
    for (const Case& c : cases) {
        std::vector<PlannedMove> moves;
        for (const auto& [from, to] : c.moves) moves.push_back({0, from, to});
        CollisionCheck check;
        check.exists = [&](const QString& p) {
            for (const QString& d : c.disk)
                if (c.foldCase ? d.compare(p, Qt::CaseInsensitive) == 0 : d == p) return true;
            return false;
        };
        check.ignoresCase = [&](const QString&) { return c.foldCase; };
        EXPECT_EQ(FindCollisions(moves, check), c.want) << c.what;
    }
}

TEST(IgnoresCase, MountTypes) {
    for (const char* t : {"vfat", "msdos", "exfat", "ntfs", "ntfs3", "fuseblk", "cifs", "smb3",
                          "fuse.fusefat", "fuse.exfat", "fuse.ntfs-3g", "fuse.lowntfs-3g"})
        EXPECT_TRUE(IsCaseInsensitiveFsType(QString::fromLatin1(t))) << t;
    for (const char* t : {"ext4", "xfs", "btrfs", "tmpfs", "overlay", "nfs", ""})
        EXPECT_FALSE(IsCaseInsensitiveFsType(QString::fromLatin1(t))) << t;
    QTemporaryDir tmp;
    EXPECT_FALSE(IgnoresCase(tmp.path() + "/new/name.doc"));  // /tmp here is a Linux file system
}

TEST(IgnoresCase, DeepestMountFromTheMountTable) {
    const QByteArray table =
        "/dev/sda1 / ext4 rw 0 0\n"
        "/dev/sdb1 /media/usb vfat rw 0 0\n"
        "/dev/sdc1 /media/usb\\040stick exfat rw 0 0\n"
        "//srv/share /mnt/share cifs rw 0 0\n"
        "tmpfs /mnt/share/local tmpfs rw 0 0\n"
        "/dev/sdd1 /media/usb ntfs3 rw 0 0\n"
        "broken-line\n";
    const std::pair<const char*, const char*> cases[] = {
        {"/home/a.doc", "ext4"},
        {"/media/usb/a.doc", "ntfs3"},  // mounted over the earlier vfat
        {"/media/usbx/a.doc", "ext4"},  // a longer name is no folder below
        {"/media/usb stick/a.doc", "exfat"},
        {"/mnt/share/x/a.doc", "cifs"},
        {"/mnt/share/local/a.doc", "tmpfs"},
    };
    for (const auto& [path, type] : cases)
        EXPECT_EQ(MountTypeIn(table, QString::fromUtf8(path)), QString::fromLatin1(type)) << path;
    EXPECT_EQ(MountTypeIn("", "/a"), "");
}

// ---- The journal file ----

TEST(Journal, DamagedOrForeignFilesAreNoJournal) {
    QTemporaryDir tmp;
    const QString p = tmp.path() + "/j";
    EXPECT_FALSE(RenameJournal::Read(p).has_value());
    const QByteArray bad[] = {"", "something else\n", "pelmora rename journal 1\nmove\t\\q\t/b\n",
                              "pelmora rename journal 1\nmove\t\t/b\n"};
    for (const QByteArray& text : bad) {
        WriteFile(p, text);
        EXPECT_FALSE(RenameJournal::Read(p).has_value()) << text.toStdString();
    }
}

TEST(Journal, PathsWithControlCharactersAndCutMarks) {
    QTemporaryDir tmp;
    const QString p = tmp.path() + "/j";
    {
        RenameJournal j(p);
        ASSERT_TRUE(j.begin({{"/a\tb\\c.doc", "/x\ny.doc"}, {"/2.doc", "/3.doc"}, {"/4.doc", "/5.doc"}}));
        j.markDone(0);
        j.markDone(2);
        j.markUndone(2);
    }
    // A mark cut short by a crash, and marks naming moves that do not exist.
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("done\t99\ndone\t1");
    f.close();
    const auto entries = RenameJournal::Read(p);
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 3u);
    EXPECT_EQ((*entries)[0].from, "/a\tb\\c.doc");
    EXPECT_EQ((*entries)[0].to, "/x\ny.doc");
    EXPECT_TRUE((*entries)[0].done);
    EXPECT_FALSE((*entries)[1].done);
    EXPECT_TRUE((*entries)[2].done);
    EXPECT_TRUE((*entries)[2].undone);
}

TEST(Journal, CrashAfterSomeMovesUndoesJustThose) {
    // The journal as a crash after the first move leaves it: the plan and one mark.
    QTemporaryDir tmp;
    const QString d = tmp.path();
    WriteFile(d + "/A.doc", "a");  // move 0 done
    WriteFile(d + "/b.doc", "b");  // move 1 never happened
    {
        RenameJournal j(d + "/j");
        ASSERT_TRUE(j.begin({{d + "/a.doc", d + "/A.doc"}, {d + "/b.doc", d + "/B.doc"}}));
        j.markDone(0);
    }
    const UndoReport report = UndoLastBatch(d + "/j");
    EXPECT_TRUE(report.hadJournal);
    ASSERT_EQ(report.moves.size(), 1u);
    EXPECT_EQ(report.undone(), 1u);
    EXPECT_EQ(Entries(d), (QStringList{"a.doc", "b.doc"}));
}

}  // namespace
}  // namespace pelmora
