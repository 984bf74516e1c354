#include "core/rename/rename.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/batchlist/rowcommands.h"
#include "core/files/files.h"
#include "core/rename/journal.h"
#include "gui/didagrid.h"
#include "gui/form1.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "support/window_test.h"

namespace pelmora {
namespace {

using test::Doc;
using test::Entries;
using test::ReadFile;
using test::WriteFile;

class Rename : public test::WindowTest {
  protected:
    void SetUp() override {
        moveFileSeams() = {};
        WindowTest::SetUp();
    }
    void TearDown() override { moveFileSeams() = {}; }

    // Answer Yes (in place) or No with a folder (nothing: cancelled browser).
    void renameInPlace() {
        fake.answers.push_back(AnswerYes);
        form->Toolbar1_ButtonClick(QStringLiteral("btnRename"));
    }
    void renameInto(const std::optional<QString>& folder) {
        fake.answers.push_back(AnswerNo);
        fake.folders.push_back(folder);
        form->Toolbar1_ButtonClick(QStringLiteral("btnRename"));
    }

    // The colour of every cell of a row, or 1 when the cells differ.
    uint32_t rowColor(int r) {
        const uint32_t c = grid().GetCellColor(r, 1);
        for (int col = 2; col <= 5; ++col)
            if (grid().GetCellColor(r, col) != c) return 1;
        return c;
    }
    void expectUntouched(int r) {
        EXPECT_EQ(outcome(r), "") << r;
        EXPECT_EQ(rowColor(r), kColorWhite) << r;
    }
};

TEST_F(Rename, EmptyListOnlyShowsTheMessage) {
    fake.answers.push_back(AnswerNo);
    form->Toolbar1_ButtonClick(QStringLiteral("btnRename"));
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "请先添加文件并提取标题!");
    EXPECT_EQ(fake.messages[0].caption, "Pelmora");
    EXPECT_EQ(fake.messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(fake.messages[0].icon, MsgIcon::None);
    EXPECT_TRUE(fake.folderPrompts.empty());
}

TEST_F(Rename, InPlaceRenamesCheckedRowsOnly) {
    list({{"a.doc", "第一章总则", true}, {"b.doc", "Beta", false}, {"c.doc", "say \"hi\"", true}});
    renameInPlace();

    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[0].text,
              "改名后文件要放在原文件相同的目录中吗?\r\nyes:是;no:选择新文件夹");
    EXPECT_EQ(fake.messages[0].caption, "改名确认");
    EXPECT_EQ(fake.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(fake.messages[0].icon, MsgIcon::None);
    EXPECT_TRUE(fake.folderPrompts.size() == 1u);  // only the one of adding the folder

    EXPECT_EQ(Entries(dir()), (QStringList{"b.doc", "c.doc", "第一章总则.doc"}));
    EXPECT_EQ(ReadFile(dir() + "/第一章总则.doc"), "a.doc");
    EXPECT_EQ(outcome(1), "改名成功");
    EXPECT_EQ(rowColor(1), kColorYellow);
    expectUntouched(2);
    // A name Windows refuses (the double quote) is not made.
    EXPECT_EQ(outcome(3), "文件名含非法字符! 123");
    EXPECT_EQ(rowColor(3), kColorRed);
    EXPECT_EQ(fake.messages[1].text,
              "批量改名完成:已改名1个文件。\r\n有1个文件未改名,原因见“处理结果”一栏。");
    // The renamed row shows its file's new name; titles and flags stay.
    EXPECT_EQ(grid().GetCellText(1, ColFileName), "第一章总则.doc");
    EXPECT_EQ(grid().GetCellText(3, ColFileName), "c.doc");
    EXPECT_EQ(grid().GetCellText(1, ColTitle), "第一章总则");
    EXPECT_EQ(grid().GetCellProperty(1, ColFlag, "getcheck"), "1");
    EXPECT_EQ(form->globalFilecount, 3);
}

TEST_F(Rename, StopEndsTheBatchBeforeTheNextMoveAndLeavesTheRestAlone) {
    list({{"a.doc", "A", true},
          {"b.doc", "B", true},
          {"c.doc", "C", false},
          {"d.doc", "D", true},
          {"e.doc", "", true}});
    int moves = 0;
    bool stopShown = false;
    moveFileSeams().beforeTakingName = [&](const char* step) {
        if (std::string(step) != "rename" || ++moves != 2) return;
        stopShown = form->cmdStop->isVisibleTo(form.get());
        form->cmdStop->click();
    };
    renameInPlace();

    EXPECT_TRUE(stopShown);
    EXPECT_EQ(Entries(dir()), (QStringList{"A.doc", "B.doc", "c.doc", "d.doc", "e.doc"}));
    EXPECT_EQ(outcome(1), "改名成功");
    EXPECT_EQ(outcome(2), "改名成功");
    expectUntouched(3);
    expectUntouched(4);
    expectUntouched(5);  // refused, but after the stop: not reached either
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[1].text,
              "改名已停止:已改名2个文件,其余文件未改动。\r\n已改名的文件可用“撤销上次改名”撤销。");
    EXPECT_EQ(form->ProgressBar1->value(), 2);
    EXPECT_FALSE(form->isBusy());

    // The two moves done are one batch that can be taken back.
    fake.messages.clear();
    fake.answers.push_back(AnswerYes);
    form->mUndo->trigger();
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc", "c.doc", "d.doc", "e.doc"}));
}

TEST_F(Rename, IntoAPickedFolder) {
    QTemporaryDir target;
    list({{"a.doc", "Alpha", true}, {"b.doc", "Beta", false}, {"c.doc", "Gamma", true}});
    renameInto(target.path());
    EXPECT_EQ(fake.folderPrompts.back(), "选择目录:");
    EXPECT_EQ(Entries(target.path()), (QStringList{"Alpha.doc", "Gamma.doc"}));
    EXPECT_EQ(Entries(dir()), (QStringList{"b.doc"}));
    EXPECT_EQ(ReadFile(target.path() + "/Gamma.doc"), "c.doc");
    EXPECT_EQ(outcome(1), "改名成功");
    EXPECT_EQ(outcome(3), "改名成功");
    expectUntouched(2);
}

TEST_F(Rename, CancelledFolderBrowserTouchesNothing) {
    list({{"a.doc", "Alpha", true}});
    renameInto(std::nullopt);
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc"}));
    expectUntouched(1);
    EXPECT_EQ(fake.messages.size(), 1u);  // the confirmation only
}

TEST_F(Rename, NoCheckedRowChangesNothing) {
    list({{"a.doc", "Alpha", false}, {"b.doc", "Beta", false}});
    renameInPlace();
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc"}));
    expectUntouched(1);
    expectUntouched(2);
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[1].text, "没有勾选要改名的文件。");
}

TEST_F(Rename, FailuresAreReportedPerRowAndThePassGoesOn) {
    list({{"a.doc", "taken", true},  // the new name exists
          {"b.doc", "Beta", true},   // deleted since it was listed
          {"c.doc", "", true},       // checked by hand with no title
          {"d.doc", "Q3/Q4", true},  // a refused title checked by hand
          {"e.doc", "Epsilon", true},
          {"taken.doc", "whatever", false}});
    QFile::remove(dir() + "/b.doc");
    fake.answers.push_back(AnswerYes);
    fake.answers.push_back(kRenameTheRest);
    form->Toolbar1_ButtonClick(QStringLiteral("btnRename"));

    EXPECT_EQ(outcome(1), "文件已存在!! 183");
    EXPECT_EQ(outcome(2), "未找到原文件! 2");
    EXPECT_EQ(outcome(3), "文件名含非法字符! 123");
    EXPECT_EQ(outcome(4), "文件名含非法字符! 123");
    EXPECT_EQ(outcome(5), "改名成功");
    for (int r = 1; r <= 4; ++r) EXPECT_EQ(rowColor(r), kColorRed) << r;
    EXPECT_EQ(rowColor(5), kColorYellow);
    expectUntouched(6);
    EXPECT_EQ(Entries(dir()), (QStringList{"Epsilon.doc", "a.doc", "c.doc", "d.doc", "taken.doc"}));
    EXPECT_EQ(ReadFile(dir() + "/taken.doc"), "taken.doc");
}

TEST_F(Rename, TitlesThatWouldHideTheFileAreRefused) {
    list({{"a.doc", ".", true},
          {"b.doc", "..", true},
          {"c.doc", ".x", true},
          {"d.doc", "x.", true}});
    renameInPlace();
    for (int r = 1; r <= 3; ++r) EXPECT_EQ(outcome(r), "文件名含非法字符! 123") << r;
    EXPECT_EQ(outcome(4), "改名成功");
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc", "c.doc", "x..doc"}));
}

TEST_F(Rename, DeniedAndFullAndTooLongSayWhatWentWrong) {
    list({{"a.doc", QString(300, QChar('t')), true}, {"b.doc", "Beta", true}});
    moveFileSeams().forceCrossDevice = true;
    moveFileSeams().failCopyWriteWith = ENOSPC;
    renameInPlace();
    EXPECT_EQ(outcome(1), "文件名太长! 206");
    EXPECT_EQ(outcome(2), "磁盘空间不足! 112");
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc"}));
}

TEST_F(Rename, AFailedBatchLeavesTheEarlierOneUndoable) {
    list({{"a.doc", "Alpha", true}, {"b.doc", "Beta", false}});
    renameInPlace();
    ASSERT_EQ(outcome(1), "改名成功");
    // Every move of the second batch fails: it must not take the undo away.
    list({{"Alpha.doc", "", false}, {"b.doc", "Beta", true}});
    moveFileSeams().forceCrossDevice = true;
    moveFileSeams().failUnlinkSourceWith = EACCES;
    renameInPlace();
    moveFileSeams() = {};
    ASSERT_EQ(outcome(2), "拒绝访问! 5");
    UndoLastBatch(RenameJournal::PathBesideSettings(form->settingsPath()));
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc"}));
}

TEST_F(Rename, AFullDiskUnderTheJournalStopsTheBatchAndSaysSo) {
    const QByteArray sp = QFile::encodeName(settings.path());
    if (::geteuid() != 0 || ::mount("tmpfs", sp.constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    struct Unmount {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{sp};
    std::vector<Doc> docs;
    for (int i = 0; i < 200; ++i)
        docs.push_back({QStringLiteral("f%1.doc").arg(i, 3, 10, QChar('0')),
                        QStringLiteral("t%1").arg(i), true});
    list(docs);
    // Once the plan is written, the settings' file system fills up: the
    // marks use what is left of the journal's last page, then fail.
    bool filled = false;
    moveFileSeams().beforeTakingName = [&](const char*) {
        if (filled) return;
        filled = true;
        QFile filler(settings.path() + "/filler");
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(512, 'f')) == 512 && filler.flush()) {
        }
    };
    renameInPlace();
    moveFileSeams() = {};
    ASSERT_EQ(fake.messages.size(), 2u);  // the question, then the warning
    EXPECT_TRUE(fake.messages[1].text.contains(QStringLiteral("改名已停止")))
        << fake.messages[1].text.toStdString();
    EXPECT_EQ(outcome(1), "改名成功");
    EXPECT_EQ(outcome(200), "未改名:无法写入改名记录,磁盘空间不足! 112");
    EXPECT_EQ(rowColor(200), kColorRed);

    QFile::remove(settings.path() + "/filler");
    const UndoReport undo = UndoLastBatch(RenameJournal::PathBesideSettings(form->settingsPath()));
    EXPECT_GT(undo.undone(), 0u);
    EXPECT_EQ(undo.failed(), 0u);
    EXPECT_EQ(Entries(dir()).size(), 200);
    EXPECT_TRUE(Entries(dir()).contains("f199.doc"));
    EXPECT_TRUE(Entries(dir()).contains("f000.doc"));
}

TEST_F(Rename, TwiceOverTheSameRows) {
    list({{"a.doc", "Alpha", true}, {"b.doc", "Beta", true}});
    renameInPlace();
    EXPECT_EQ(outcome(1), "改名成功");
    // The rows list the files under their new names, which they already bear.
    renameInPlace();
    EXPECT_EQ(outcome(1), "文件已存在!! 183");
    EXPECT_EQ(outcome(2), "文件已存在!! 183");
    EXPECT_EQ(rowColor(1), kColorRed);
    EXPECT_EQ(Entries(dir()), (QStringList{"Alpha.doc", "Beta.doc"}));
}

TEST_F(Rename, OtherSystemErrorsShowTheirNumber) {
    // Copying across file systems, the original cannot be removed: access denied.
    moveFileSeams().forceCrossDevice = true;
    moveFileSeams().failUnlinkSourceWith = EACCES;
    list({{"a.doc", "Alpha", true}});
    renameInPlace();
    EXPECT_EQ(outcome(1), "拒绝访问! 5");
    EXPECT_EQ(rowColor(1), kColorRed);
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc"}));
}

TEST_F(Rename, AcrossFileSystemsThroughTheCopyPath) {
    moveFileSeams().forceCrossDevice = true;
    QTemporaryDir target;
    WriteFile(target.path() + "/Beta.doc", "old");
    list({{"a.doc", "Alpha", true}, {"b.doc", "Beta", true}});
    fake.answers.push_back(AnswerNo);
    fake.answers.push_back(kRenameTheRest);
    fake.folders.push_back(target.path());
    form->Toolbar1_ButtonClick(QStringLiteral("btnRename"));
    EXPECT_EQ(outcome(1), "改名成功");
    EXPECT_EQ(outcome(2), "文件已存在!! 183");
    EXPECT_EQ(Entries(target.path()), (QStringList{"Alpha.doc", "Beta.doc"}));
    EXPECT_EQ(ReadFile(target.path() + "/Beta.doc"), "old");
    EXPECT_EQ(Entries(dir()), (QStringList{"b.doc"}));
}

TEST_F(Rename, AcrossARealSecondFileSystem) {
    QTemporaryDir mountPoint;
    const QByteArray mp = QFile::encodeName(mountPoint.path());
    if (::geteuid() != 0 || ::mount("tmpfs", mp.constData(), "tmpfs", 0, "size=8m") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    struct Unmount {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{mp};

    list({{"a.doc", "标题甲", true}, {"b.doc", "标题乙", false}});
    renameInto(mountPoint.path());
    EXPECT_EQ(outcome(1), "改名成功");
    EXPECT_EQ(Entries(mountPoint.path()), (QStringList{"标题甲.doc"}));
    EXPECT_EQ(ReadFile(mountPoint.path() + "/标题甲.doc"), "a.doc");
    EXPECT_EQ(Entries(dir()), (QStringList{"b.doc"}));
}

TEST_F(Rename, RowsFollowTheirFilesSoOpenUndoAndRenameAgainActOnThem) {
    QTemporaryDir target;
    list({{"a.doc", "Alpha", true}, {"b.doc", "Beta", false}});
    renameInto(target.path());
    ASSERT_EQ(outcome(1), "改名成功");
    EXPECT_EQ(grid().GetCellText(1, ColFileName), "Alpha.doc");
    EXPECT_EQ(grid().GetCellText(1, ColPath), target.path());
    EXPECT_EQ(grid().GetCellText(2, ColPath), dir());  // not checked, not moved
    OpenRowDocument(form->batchList(), fake, 1);
    EXPECT_EQ(fake.openedDocuments, (std::vector<QString>{target.path() + "/Alpha.doc"}));

    fake.messages.clear();
    form->mUndo->trigger();
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc"}));
    EXPECT_EQ(grid().GetCellText(1, ColFileName), "a.doc");
    EXPECT_EQ(grid().GetCellText(1, ColPath), dir());
    EXPECT_EQ(outcome(1), "已撤销");

    // Renamed in place, then again with a new title: the file moves twice.
    renameInPlace();
    grid().SetCellText(1, ColTitle, QStringLiteral("Alpha2"));
    renameInPlace();
    EXPECT_EQ(outcome(1), "改名成功");
    EXPECT_EQ(Entries(dir()), (QStringList{"Alpha2.doc", "b.doc"}));
}

TEST_F(Rename, TheLastMessageCountsRenamedAndFailed) {
    list({{"a.doc", "Alpha", true}, {"b.doc", "Beta", true}, {"c.doc", "x/y", true}});
    QFile::remove(dir() + "/b.doc");
    renameInPlace();
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[1].text,
              "批量改名完成:已改名1个文件。\r\n有2个文件未改名,原因见“处理结果”一栏。");
    EXPECT_EQ(fake.messages[1].icon, MsgIcon::Warning);

    list({{"Alpha.doc", "Gamma", true}, {"c.doc", "Delta", true}});
    renameInPlace();
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[1].text, "批量改名完成:已改名2个文件。");
    EXPECT_EQ(fake.messages[1].icon, MsgIcon::Information);
}

TEST_F(Rename, UndoShowsProgressAndStopsLikeARename) {
    list({{"a.doc", "A", true},
          {"b.doc", "B", true},
          {"c.doc", "C", true},
          {"d.doc", "D", true},
          {"e.doc", "E", true}});
    renameInPlace();
    ASSERT_EQ(Entries(dir()), (QStringList{"A.doc", "B.doc", "C.doc", "D.doc", "E.doc"}));
    fake.messages.clear();
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    // Undo goes newest first: E and D are back when Esc comes.
    int moves = 0;
    bool busy = false;
    moveFileSeams().beforeTakingName = [&](const char* step) {
        if (std::string(step) != "rename" || ++moves != 2) return;
        busy = form->isBusy() && form->cmdStop->isVisibleTo(form.get());
        QTest::keySequence(form.get(), QKeySequence(Qt::Key_Escape));
    };
    form->mUndo->trigger();
    moveFileSeams() = {};
    EXPECT_TRUE(busy);
    EXPECT_FALSE(form->isBusy());
    EXPECT_EQ(Entries(dir()), (QStringList{"A.doc", "B.doc", "C.doc", "d.doc", "e.doc"}));
    EXPECT_EQ(form->ProgressBar1->value(), 2);
    EXPECT_EQ(form->ProgressBar1->maximum(), 5);
    EXPECT_EQ(outcome(5), "已撤销");
    EXPECT_EQ(outcome(3), "改名成功");
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text,
              "撤销已停止:已撤销2个文件的改名,其余文件未改动。\n"
              "再次选择“撤销上次改名”可撤销其余文件。");

    // The rest is still one undo away.
    form->mUndo->trigger();
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc", "c.doc", "d.doc", "e.doc"}));
    EXPECT_EQ(fake.messages.back().text, "一共撤销了 3个文件的改名!!");
    for (int r = 1; r <= 5; ++r) EXPECT_EQ(outcome(r), "已撤销") << r;
}

// Two windows over one settings folder: while the first one's batch runs,
// the second one's rename and undo are refused with a message and move
// nothing, and the first batch stays whole for its undo.
TEST_F(Rename, ASecondWindowWaitsForTheBatchOfTheFirst) {
    QTemporaryDir otherFiles;
    WriteFile(otherFiles.path() + "/x.doc", "x");
    test::FakeDialogs otherFake;
    std::unique_ptr<Form1> other = test::OpenWindow(settings.path(), otherFake);
    other->globalOnlyenglish = other->globalSubdir = false;
    otherFake.folders.push_back(otherFiles.path());
    other->Toolbar1_ButtonClick(QStringLiteral("btnDir"));
    ASSERT_EQ(other->globalFilecount, 1);
    other->DiDaGrid1->SetCellText(1, ColTitle, QStringLiteral("X"));
    other->DiDaGrid1->SetCellProperty(1, ColFlag, "setcheck", "1");
    otherFake.messages.clear();

    list({{"a.doc", "A", true}, {"b.doc", "B", true}});
    bool tried = false;
    moveFileSeams().beforeTakingName = [&](const char* step) {
        if (tried || std::string(step) != "rename") return;
        tried = true;
        other->Toolbar1_ButtonClick(QStringLiteral("btnRename"));
        other->mUndo->trigger();
    };
    renameInPlace();
    moveFileSeams() = {};
    ASSERT_TRUE(tried);
    EXPECT_EQ(Entries(dir()), (QStringList{"A.doc", "B.doc"}));
    EXPECT_EQ(Entries(otherFiles.path()), QStringList{"x.doc"});
    // Told before any question is asked.
    ASSERT_EQ(otherFake.messages.size(), 2u);
    EXPECT_EQ(otherFake.messages[0].text,
              "另一个窗口正在改名或撤销,请等它完成后再试。\r\n没有改动任何文件。");
    EXPECT_EQ(otherFake.messages[1].text,
              "另一个窗口正在改名或撤销,请等它完成后再试。\n没有撤销任何文件。");
    EXPECT_EQ(other->DiDaGrid1->GetCellText(1, ColResult), "");

    form->mUndo->trigger();
    EXPECT_EQ(fake.messages.back().text, "一共撤销了 2个文件的改名!!");
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc"}));
}

// A copy across file systems that reads back unlike its original (a driver
// that drops the end of a write) is taken back: the row says so and the
// original stays.
TEST_F(Rename, ACopyThatComesOutShortKeepsTheOriginal) {
    QTemporaryDir target;
    list({{"a.doc", "Alpha", true}, {"b.doc", "Beta", true}});
    moveFileSeams().forceCrossDevice = true;
    int copies = 0;
    moveFileSeams().damageCopy = [&](int fd) {
        if (copies++ == 0) {
            ASSERT_EQ(::ftruncate(fd, 2), 0);
        }
    };
    renameInto(target.path());
    EXPECT_EQ(outcome(1), "复制出的文件与原文件不一致,原文件未动! 1392");
    EXPECT_EQ(outcome(2), "改名成功");
    EXPECT_EQ(ReadFile(dir() + "/a.doc"), "a.doc");
    EXPECT_EQ(Entries(target.path()), QStringList{"Beta.doc"});
    EXPECT_EQ(ReadFile(target.path() + "/Beta.doc"), "b.doc");
}

// NTFS through ntfs-3g on a loop device, where the machine allows it.
class NtfsMount {
  public:
    NtfsMount() {
        if (!dir_.isValid() || ::geteuid() != 0 || !QFileInfo::exists("/dev/fuse")) return;
        const QString image = dir_.path() + "/ntfs.img";
        point_ = dir_.path() + "/m";
        QDir().mkpath(point_);
        const QString cmd = QStringLiteral(
                                "command -v mkntfs >/dev/null && command -v ntfs-3g >/dev/null && "
                                "truncate -s 8M '%1' && mkntfs -F -Q -q '%1' >/dev/null 2>&1 && "
                                "losetup -f --show '%1' 2>/dev/null")
                                .arg(image);
        FILE* out = ::popen(cmd.toLocal8Bit().constData(), "r");
        if (!out) return;
        char line[256] = {};
        const bool got = std::fgets(line, sizeof line, out) != nullptr;
        if (::pclose(out) != 0 || !got) return;
        device_ = QString::fromLocal8Bit(line).trimmed();
        const QString mount =
            QStringLiteral("ntfs-3g '%1' '%2' >/dev/null 2>&1").arg(device_, point_);
        mounted_ = std::system(mount.toLocal8Bit().constData()) == 0;
    }
    ~NtfsMount() {
        if (mounted_)
            std::system(("umount '" + point_ + "' 2>/dev/null").toLocal8Bit().constData());
        if (!device_.isEmpty())
            std::system(("losetup -d '" + device_ + "' 2>/dev/null").toLocal8Bit().constData());
    }
    bool mounted() const { return mounted_; }
    QString path() const { return point_; }

  private:
    QTemporaryDir dir_;
    QString point_, device_;
    bool mounted_ = false;
};

// NTFS compares names without case, yet ntfs-3g's lookups are exact: the
// rows the collision question keeps must stay out of the batch, or
// REPORT1.doc lands beside Report1.doc.
TEST_F(Rename, RowsTheQuestionKeepsStayOutOnADiskThatIgnoresCase) {
    NtfsMount ntfs;
    if (!ntfs.mounted())
        GTEST_SKIP() << "no NTFS through ntfs-3g here (needs root, /dev/fuse, a loop device, "
                        "ntfs-3g)";
    const QString m = ntfs.path();
    WriteFile(m + "/Report1.doc", "old");
    list({{"a.doc", "REPORT1", true}, {"b.doc", "Other", true}});
    fake.answers.push_back(AnswerNo);
    fake.answers.push_back(kRenameTheRest);
    fake.folders.push_back(m);
    form->Toolbar1_ButtonClick(QStringLiteral("btnRename"));
    EXPECT_EQ(outcome(1), "文件已存在!! 183");
    EXPECT_EQ(outcome(2), "改名成功");
    const QStringList docs = {"*.doc"};
    EXPECT_EQ(QDir(m).entryList(docs, QDir::Files, QDir::Name),
              (QStringList{"Other.doc", "Report1.doc"}));
    EXPECT_EQ(ReadFile(m + "/Report1.doc"), "old");
    EXPECT_EQ(Entries(dir()), QStringList{"a.doc"});

    // Numbered instead, it takes a name the disk sees as free.
    fake.answers.push_back(AnswerNo);
    fake.answers.push_back(kNumberThem);
    fake.folders.push_back(m);
    form->Toolbar1_ButtonClick(QStringLiteral("btnRename"));
    EXPECT_EQ(outcome(1), "改名成功");
    EXPECT_EQ(QDir(m).entryList(docs, QDir::Files, QDir::Name),
              (QStringList{"Other.doc", "REPORT1(2).doc", "Report1.doc"}));
}

TEST(ErrorMessage, Table) {
    QTemporaryDir settings;
    test::FakeDialogs fake;
    const std::unique_ptr<Form1> form = test::OpenWindow(settings.path(), fake);
    const std::pair<int32_t, const char*> cases[] = {
        {2, "未找到原文件!"},
        {80, "命名重复!"},
        {123, "文件名含非法字符!"},
        {183, "文件已存在!!"},
        {5, "拒绝访问!"},
        {112, "磁盘空间不足!"},
        {206, "文件名太长!"},
        {0, "错误"},
        {1, "错误"},
        {81, "错误"},
        {-1, "错误"},
        {-183, "错误"},
        {1392, "复制出的文件与原文件不一致,原文件未动!"},
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(form->ErrorMessage(code), QString::fromUtf8(text)) << code;
}

}  // namespace
}  // namespace pelmora
