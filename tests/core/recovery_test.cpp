// Crashes and odd states around a batch: what the journal's identity marks
// let undo and the start-up recovery find.

#include "core/rename/recovery.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/files/files.h"
#include "core/rename/batch.h"
#include "core/rename/journal.h"
#include "support/testutil.h"

namespace pelmora {
namespace {

using test::ReadFile;
using test::WriteFile;

QStringList Names(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                               QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

class Recovery : public ::testing::Test {
  protected:
    void TearDown() override { moveFileSeams() = {}; }
    QString d() const { return docs.path(); }
    QString journal() const { return settings.path() + "/lastrename.journal"; }
    // The journal as a crash leaves it: plan and marks up to some point.
    RenameJournal& plan(const std::vector<std::pair<QString, QString>>& moves) {
        j = std::make_unique<RenameJournal>(journal());
        EXPECT_TRUE(j->begin(moves));
        return *j;
    }
    BatchResult run(const std::vector<BatchMove>& moves) {
        return RunRenameBatch(journal(), moves, true, [](const QString&) { return false; });
    }

    QTemporaryDir docs, settings;
    std::unique_ptr<RenameJournal> j;
};

TEST_F(Recovery, UndoFindsAMoveWhoseDoneMarkACrashCutOff) {
    WriteFile(d() + "/a.doc", "a");
    WriteFile(d() + "/b.doc", "b");
    RenameJournal& log = plan({{d() + "/a.doc", d() + "/A.doc"}, {d() + "/b.doc", d() + "/B.doc"}});
    ASSERT_TRUE(log.markBegun(0, *IdentityOf(d() + "/a.doc")));
    ASSERT_EQ(MoveFile(d() + "/a.doc", d() + "/A.doc"), 0);
    ASSERT_TRUE(log.markBegun(1, *IdentityOf(d() + "/b.doc")));  // killed before its move
    log.finish();

    const UndoReport report = UndoLastBatch(journal());
    EXPECT_EQ(report.undone(), 1u);
    EXPECT_EQ(report.failed(), 0u);
    EXPECT_EQ(Names(d()), (QStringList{"a.doc", "b.doc"}));
    EXPECT_FALSE(QFile::exists(journal()));
}

TEST_F(Recovery, UndoLeavesAloneAFileThatIsNoLongerTheOneMoved) {
    // The batch moved a and b; since then A.doc was replaced by another file
    // (a later batch without a journal, or the user).
    WriteFile(d() + "/a.doc", "a");
    WriteFile(d() + "/b.doc", "b");
    ASSERT_EQ(run({{d() + "/a.doc", d(), "A.doc"}, {d() + "/b.doc", d(), "B.doc"}}).moved, 2u);
    ASSERT_EQ(MoveFile(d() + "/A.doc", d() + "/elsewhere.doc"), 0);
    WriteFile(d() + "/A.doc", "someone else's");

    const UndoReport report = UndoLastBatch(journal());
    ASSERT_EQ(report.moves.size(), 2u);
    EXPECT_EQ(report.moves[0].code, 0);  // b, newest first
    EXPECT_EQ(report.moves[1].code, kErrorFileNotFound);
    EXPECT_EQ(ReadFile(d() + "/A.doc"), "someone else's");
    EXPECT_EQ(Names(d()), (QStringList{"A.doc", "b.doc", "elsewhere.doc"}));
    EXPECT_TRUE(QFile::exists(journal())) << "a move not undone keeps the journal";
}

TEST_F(Recovery, StartUpRemovesTheCopyOfACutOffMoveAcrossFileSystems) {
    // The copy has its new name, the original was not yet removed.
    WriteFile(d() + "/a.doc", "alpha");
    QDir(d()).mkdir("out");
    WriteFile(d() + "/out/.pelmora-tmp-999999999-Ab12Cd", "half");  // no such pid
    WriteFile(d() + "/out/kept.doc", "kept");
    RenameJournal& log = plan({{d() + "/a.doc", d() + "/out/A.doc"}});
    ASSERT_TRUE(log.markBegun(0, *IdentityOf(d() + "/a.doc")));
    ASSERT_TRUE(QFile::copy(d() + "/a.doc", d() + "/out/A.doc"));
    ASSERT_TRUE(log.markPlaced(0, *IdentityOf(d() + "/out/A.doc")));
    log.finish();

    const RecoveryReport r = RecoverAfterCrash(settings.path());
    EXPECT_EQ(r.duplicatesRemoved, 1u);
    EXPECT_EQ(r.temporariesRemoved, 1);
    EXPECT_EQ(Names(d() + "/out"), (QStringList{"kept.doc"}));
    EXPECT_EQ(ReadFile(d() + "/a.doc"), "alpha");
    // Nothing moved, so the undo has nothing to take back.
    EXPECT_TRUE(UndoLastBatch(journal()).moves.empty());
}

TEST_F(Recovery, AnUndoCutOffRightAfterReservingTheOldNameIsTakenUpAgain) {
    // Found by the fault loop: killed between the exclusive create of the old
    // name and the record of its inode, the undo left an empty file there.
    WriteFile(d() + "/a.doc", "alpha");
    ASSERT_EQ(run({{d() + "/a.doc", d(), "A.doc"}}).moved, 1u);
    {
        RenameJournal log(journal());
        ASSERT_TRUE(log.openForMarks());
        ASSERT_TRUE(log.markBack(0, kReservationPending));
    }
    WriteFile(d() + "/a.doc", "");
    const UndoReport report = UndoLastBatch(journal());
    EXPECT_EQ(report.undone(), 1u);
    EXPECT_EQ(report.failed(), 0u);
    EXPECT_EQ(Names(d()), (QStringList{"a.doc"}));
    EXPECT_EQ(ReadFile(d() + "/a.doc"), "alpha");
}

TEST_F(Recovery, AJournalOfARunningProcessIsLeftAlone) {
    WriteFile(d() + "/a.doc", "alpha");
    QDir(d()).mkdir("out");
    const pid_t child = ::fork();
    if (child == 0) {
        ::pause();
        ::_exit(0);
    }
    // As the other process wrote it: its pid, a copy under way.
    WriteFile(journal(), "pelmora rename journal 2\npid\t" + QByteArray::number(child) +
                             "\nmove\t" + QFile::encodeName(d() + "/a.doc") + "\t" +
                             QFile::encodeName(d() + "/out/A.doc") + "\n");
    {
        RenameJournal log(journal());
        ASSERT_TRUE(log.openForMarks());
        log.markBegun(0, *IdentityOf(d() + "/a.doc"));
        WriteFile(d() + "/out/A.doc", "alpha");
        log.markPlaced(0, *IdentityOf(d() + "/out/A.doc"));
    }
    EXPECT_EQ(RecoverAfterCrash(settings.path()).duplicatesRemoved, 0u);
    EXPECT_TRUE(QFile::exists(d() + "/out/A.doc"));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(RecoverAfterCrash(settings.path()).duplicatesRemoved, 1u);
}

TEST_F(Recovery, ABatchThatMovesNothingKeepsTheEarlierBatchUndoable) {
    WriteFile(d() + "/a.doc", "a");
    WriteFile(d() + "/b.doc", "b");
    WriteFile(d() + "/taken.doc", "taken");
    ASSERT_EQ(run({{d() + "/a.doc", d(), "A.doc"}}).moved, 1u);
    const BatchResult second =
        run({{d() + "/b.doc", d(), "taken.doc"}, {d() + "/gone.doc", d(), "x.doc"}});
    EXPECT_EQ(second.moved, 0u);
    EXPECT_EQ(second.codes, (std::vector<int32_t>{183, 2}));

    const UndoReport report = UndoLastBatch(journal());
    EXPECT_EQ(report.undone(), 1u);
    EXPECT_EQ(Names(d()), (QStringList{"a.doc", "b.doc", "taken.doc"}));
}

TEST_F(Recovery, ABatchCutOffBeforeItsFirstMoveGivesBackTheEarlierJournalAtStart) {
    WriteFile(d() + "/a.doc", "a");
    WriteFile(d() + "/b.doc", "b");
    ASSERT_EQ(run({{d() + "/a.doc", d(), "A.doc"}}).moved, 1u);
    // The next batch wrote its plan and was killed before moving anything.
    RenameJournal& log = plan({{d() + "/b.doc", d() + "/B.doc"}});
    log.markBegun(0, *IdentityOf(d() + "/b.doc"));
    const QString previous = RenameJournal::PreviousPath(journal());
    const QByteArray kept = ReadFile(previous);
    log.finish();
    WriteFile(previous, kept);  // as a crash leaves it: the earlier journal still aside

    EXPECT_TRUE(RecoverAfterCrash(settings.path()).previousRestored);
    EXPECT_EQ(UndoLastBatch(journal()).undone(), 1u);
    EXPECT_EQ(Names(d()), (QStringList{"a.doc", "b.doc"}));
}

// A small tmpfs for the journal, where root may mount one.
class SmallTmpfs {
  public:
    explicit SmallTmpfs(const char* size) {
        if (dir_.isValid() && ::geteuid() == 0)
            mounted_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                               QByteArray("size=").append(size).constData()) == 0;
    }
    ~SmallTmpfs() {
        if (mounted_) ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    QString path() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

TEST_F(Recovery, AJournalThatFillsUpStopsTheBatchAndWhatMovedStaysUndoable) {
    SmallTmpfs fs("64k");
    if (!fs.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    const QString jpath = fs.path() + "/lastrename.journal";
    std::vector<BatchMove> moves;
    const QString longName = QStringLiteral("n");
    for (int i = 0; i < 200; ++i) {
        WriteFile(d() + QStringLiteral("/%1.doc").arg(i), QByteArray::number(i));
        moves.push_back(
            {d() + QStringLiteral("/%1.doc").arg(i), d(), longName + QString::number(i) + ".doc"});
    }
    // Once the plan is written, the rest of the file system is taken: the
    // marks fill what is left of the journal's last page, then fail.
    bool filled = false;
    moveFileSeams().beforeTakingName = [&](const char* step) {
        if (filled || std::string(step) != "rename") return;
        filled = true;
        QFile filler(fs.path() + "/filler");
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(512, 'f')) == 512 && filler.flush()) {
        }
    };
    const BatchResult r = RunRenameBatch(jpath, moves, true, [](const QString&) { return false; });
    moveFileSeams() = {};
    ASSERT_TRUE(r.journaled);
    EXPECT_EQ(r.journalError, ENOSPC);
    EXPECT_LT(r.moved, moves.size());
    EXPECT_EQ(r.codes.back(), kMoveNotTried);
    QFile::remove(fs.path() + "/filler");

    const UndoReport undo = UndoLastBatch(jpath);
    EXPECT_EQ(undo.undone(), r.moved);
    EXPECT_EQ(undo.failed(), 0u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(ReadFile(d() + QStringLiteral("/%1.doc").arg(i)), QByteArray::number(i));
}

TEST_F(Recovery, AnUnreadableJournalIsSaidSoAndNotTakenForNothingToUndo) {
    WriteFile(journal(), "not a journal\n");
    const UndoReport report = UndoLastBatch(journal());
    EXPECT_FALSE(report.hadJournal);
    EXPECT_TRUE(report.unreadable);
    EXPECT_FALSE(UndoLastBatch(settings.path() + "/none").unreadable);
}

}  // namespace
}  // namespace pelmora
