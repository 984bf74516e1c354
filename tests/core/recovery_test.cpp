// Crashes and odd states around a batch: what the journal's identity marks
// let undo and the start-up recovery find.

#include "core/rename/recovery.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <functional>
#include <memory>
#include <string>

#include "core/files/files.h"
#include "core/files/processes.h"
#include "core/rename/batch.h"
#include "core/rename/journal.h"
#include "support/fusemount.h"
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

// Runs body in a child process that ends abruptly (as if killed) when the
// move reaches step for the nth time; waits for it.
void RunUntil(const char* step, int nth, const std::function<void()>& body) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int seen = 0;
        moveFileSeams().beforeTakingName = [&](const char* s) {
            if (std::string(s) == step && ++seen == nth) ::_exit(9);
        };
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 9) << "never reached " << step;
}

TEST_F(Recovery, AFileLeftUnderBothNamesByACutOffLinkKeepsOnlyOne) {
    // Where the no-replace rename is missing and hard links work (ntfs-3g):
    // killed between link() and unlink(), in the batch and in its undo.
    moveFileSeams().noRenameNoReplace = true;
    WriteFile(d() + "/a.doc", "alpha");
    WriteFile(d() + "/b.doc", "beta");
    const std::vector<BatchMove> moves = {{d() + "/a.doc", d(), "A.doc"},
                                          {d() + "/b.doc", d(), "B.doc"}};
    RunUntil("linked", 2, [&] { run(moves); });
    ASSERT_EQ(Names(d()), (QStringList{"A.doc", "B.doc", "b.doc"}));
    EXPECT_EQ(RecoverAfterCrash(settings.path()).duplicatesRemoved, 1u);
    EXPECT_EQ(Names(d()), (QStringList{"A.doc", "b.doc"}));

    ASSERT_EQ(run({{d() + "/b.doc", d(), "B.doc"}}).moved, 1u);
    RunUntil("linked", 1, [&] { UndoLastBatch(journal()); });
    ASSERT_EQ(Names(d()), (QStringList{"A.doc", "B.doc", "b.doc"}));
    EXPECT_EQ(RecoverAfterCrash(settings.path()).duplicatesRemoved, 1u);
    EXPECT_EQ(Names(d()), (QStringList{"A.doc", "b.doc"}));
    EXPECT_EQ(ReadFile(d() + "/b.doc"), "beta");
    UndoLastBatch(journal());
    EXPECT_FALSE(QFile::exists(journal()));
}

TEST_F(Recovery, AnEmptyFileThatTookTheNewNameFirstIsNotTakenForOurReservation) {
    // Where neither a no-replace rename nor hard links exist, the name is
    // reserved by an exclusive create; someone else's empty file got there
    // just before it.
    moveFileSeams().noRenameNoReplace = moveFileSeams().noHardLinks = true;
    WriteFile(d() + "/a.doc", "alpha");
    WriteFile(d() + "/b.doc", "beta");
    int reserving = 0;
    moveFileSeams().beforeTakingName = [&](const char* step) {
        if (std::string(step) == "reserve" && ++reserving == 2) WriteFile(d() + "/B.doc", "");
    };
    const BatchResult r = run({{d() + "/a.doc", d(), "A.doc"}, {d() + "/b.doc", d(), "B.doc"}});
    moveFileSeams().beforeTakingName = nullptr;
    EXPECT_EQ(r.codes, (std::vector<int32_t>{0, 183}));
    RecoverAfterCrash(settings.path());
    EXPECT_EQ(Names(d()), (QStringList{"A.doc", "B.doc", "b.doc"}));
    EXPECT_EQ(UndoLastBatch(journal()).undone(), 1u);
    EXPECT_EQ(Names(d()), (QStringList{"B.doc", "a.doc", "b.doc"}));

    // Cut off between our own create and its record, the empty file is ours.
    RenameJournal& log = plan({{d() + "/a.doc", d() + "/A.doc"}});
    log.markBegun(0, *IdentityOf(d() + "/a.doc", true));
    log.markPlaced(0, kReservationPending);
    WriteFile(d() + "/A.doc", "");
    log.finish();
    EXPECT_EQ(RecoverAfterCrash(settings.path()).duplicatesRemoved, 1u);
    EXPECT_EQ(Names(d()), (QStringList{"B.doc", "a.doc", "b.doc"}));
}

// A process of another program, as after a restart one may have the pid
// that wrote a journal.
class OtherProgram {
  public:
    OtherProgram() {
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execlp("sleep", "sleep", "60", nullptr);
            ::_exit(127);
        }
        ::usleep(50000);  // until it runs the other program
    }
    ~OtherProgram() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    pid_t pid() const { return pid_; }

  private:
    pid_t pid_;
};

TEST_F(Recovery, APidThatAnotherProcessHasSinceARestartIsNoWriter) {
    OtherProgram other;
    WriteFile(d() + "/a.doc", "alpha");
    QDir(d()).mkdir("out");
    const QByteArray pid = QByteArray::number(other.pid());
    auto crashed = [&](const QByteArray& pidLine) {
        // A copy cut off under way, by a writer of that pid.
        WriteFile(journal(), "pelmora rename journal 2\npid\t" + pidLine + "\nmove\t" +
                                 QFile::encodeName(d() + "/a.doc") + "\t" +
                                 QFile::encodeName(d() + "/out/A.doc") + "\n");
        RenameJournal log(journal());
        ASSERT_TRUE(log.openForMarks());
        log.markBegun(0, *IdentityOf(d() + "/a.doc", true));
        WriteFile(d() + "/out/A.doc", "alpha");
        log.markPlaced(0, *IdentityOf(d() + "/out/A.doc"));
    };
    // An earlier version's journal: the pid alone, now another program's.
    crashed(pid);
    WriteFile(d() + "/out/.pelmora-tmp-" + pid + "-Ab12Cd", "half");
    RecoveryReport r = RecoverAfterCrash(settings.path());
    EXPECT_EQ(r.duplicatesRemoved, 1u);
    EXPECT_EQ(r.temporariesRemoved, 1);
    // This version's: the pid with a start and a boot that are not that process's.
    const ProcessMark own = OwnProcessMark();
    for (const QByteArray& mark : {pid + "\t1\t" + own.boot, pid + "\t1\tdeadbeef-1234"}) {
        crashed(mark);
        WriteFile(d() + "/out/.pelmora-tmp-" + mark.left(mark.indexOf('\t')) + "-1-" +
                      mark.mid(mark.lastIndexOf('\t') + 1).left(8) + "-Ab12Cd",
                  "half");
        r = RecoverAfterCrash(settings.path());
        EXPECT_EQ(r.duplicatesRemoved, 1u) << mark.constData();
        EXPECT_EQ(r.temporariesRemoved, 1) << mark.constData();
    }
    EXPECT_EQ(Names(d() + "/out"), QStringList());
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

TEST_F(Recovery, AJournalOfTheVersionBeforeIsStillUndone) {
    // Written before fingerprints and process starts: pid alone, begun marks
    // of six fields.
    WriteFile(d() + "/a.doc", "alpha");
    WriteFile(d() + "/b.doc", "beta");
    const FileIdentity a = *IdentityOf(d() + "/a.doc"), b = *IdentityOf(d() + "/b.doc");
    ASSERT_EQ(MoveFile(d() + "/a.doc", d() + "/A.doc"), 0);
    ASSERT_EQ(MoveFile(d() + "/b.doc", d() + "/B.doc"), 0);
    auto begun = [](int i, const FileIdentity& id) {
        return "begun\t" + QByteArray::number(i) + "\t" + QByteArray::number(id.device) + "\t" +
               QByteArray::number(id.inode) + "\t" + QByteArray::number(id.size) + "\t" +
               QByteArray::number(id.mtimeNs) + "\n";
    };
    WriteFile(journal(), "pelmora rename journal 2\npid\t999999999\nmove\t" +
                             QFile::encodeName(d() + "/a.doc") + "\t" +
                             QFile::encodeName(d() + "/A.doc") + "\nmove\t" +
                             QFile::encodeName(d() + "/b.doc") + "\t" +
                             QFile::encodeName(d() + "/B.doc") + "\n" + begun(0, a) + "done\t0\n" +
                             begun(1, b) + "done\t1\n");
    const UndoReport report = UndoLastBatch(journal());
    EXPECT_EQ(report.undone(), 2u);
    EXPECT_EQ(Names(d()), (QStringList{"a.doc", "b.doc"}));
    EXPECT_FALSE(QFile::exists(journal()));
}

// On FAT, exFAT and NTFS through FUSE: file numbers that change when the
// kernel drops its caches or the volume is mounted again, times kept to
// 2 s or 1 s, link() without the no-replace rename.
class RecoveryOnFuse : public Recovery, public ::testing::WithParamInterface<test::FuseKind> {
  protected:
    void SetUp() override {
        mount = std::make_unique<test::FuseMount>(GetParam());
        if (!mount->mounted())
            GTEST_SKIP() << test::FuseKindName(GetParam()) << ": " << mount->why().constData();
    }
    void TearDown() override {
        Recovery::TearDown();
        mount.reset();
    }
    // The volume as after a pulled stick or a restart.
    void shake() {
        test::FuseMount::DropCaches();
        ASSERT_TRUE(mount->remount());
        test::FuseMount::DropCaches();
    }
    QString m() const { return mount->path(); }
    std::unique_ptr<test::FuseMount> mount;
};

QByteArray Content(int i) {
    // Sizes over several copy buffers; first and last blocks of their own.
    return QByteArray::number(i) + QByteArray(20000 * i, char('a' + i)) + QByteArray::number(i);
}

TEST_P(RecoveryOnFuse, RenamedInPlaceThenRemountedIsUndone) {
    std::vector<BatchMove> moves;
    for (int i = 0; i < 10; ++i) {
        WriteFile(m() + QStringLiteral("/f%1.doc").arg(i), Content(i));
        moves.push_back(
            {m() + QStringLiteral("/f%1.doc").arg(i), m(), QStringLiteral("T%1.doc").arg(i)});
    }
    ASSERT_EQ(run(moves).moved, 10u);
    // The caches dropped alone: the files are numbered anew from where the
    // numbers had come.
    test::FuseMount::DropCaches();
    UndoReport report = UndoLastBatch(journal());
    EXPECT_EQ(report.undone(), 10u);
    EXPECT_EQ(report.failed(), 0u);
    ASSERT_EQ(run(moves).moved, 10u);
    ASSERT_NO_FATAL_FAILURE(shake());
    report = UndoLastBatch(journal());
    EXPECT_EQ(report.undone(), 10u);
    EXPECT_EQ(report.failed(), 0u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(ReadFile(m() + QStringLiteral("/f%1.doc").arg(i)), Content(i)) << i;
    EXPECT_EQ(Names(m()).size(), 10);
    EXPECT_FALSE(QFile::exists(journal()));
}

TEST_P(RecoveryOnFuse, MovedOntoTheVolumeAndBackDespiteItsRoundedTimes) {
    std::vector<BatchMove> moves;
    for (int i = 0; i < 4; ++i) {
        WriteFile(d() + QStringLiteral("/f%1.doc").arg(i), Content(i));
        // Times of odd seconds and nanoseconds, which FAT and exFAT round.
        const struct timespec t[2] = {{1700000001, 123456789}, {1700000001 + 2 * i, 987654321}};
        const QByteArray path = QFile::encodeName(d() + QStringLiteral("/f%1.doc").arg(i));
        ASSERT_EQ(::utimensat(AT_FDCWD, path.constData(), t, 0), 0);
        moves.push_back(
            {d() + QStringLiteral("/f%1.doc").arg(i), m(), QStringLiteral("T%1.doc").arg(i)});
    }
    ASSERT_EQ(run(moves).moved, 4u);
    const UndoReport report = UndoLastBatch(journal());
    EXPECT_EQ(report.undone(), 4u);
    EXPECT_EQ(report.failed(), 0u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ReadFile(d() + QStringLiteral("/f%1.doc").arg(i)), Content(i)) << i;
    EXPECT_TRUE(Names(m()).isEmpty()) << Names(m()).join(' ').toStdString();
}

TEST_P(RecoveryOnFuse, KilledMidBatchAndRemountedLeavesNoSecondCopy) {
    std::vector<BatchMove> moves;
    for (int i = 0; i < 5; ++i) {
        WriteFile(m() + QStringLiteral("/f%1.doc").arg(i), Content(i));
        moves.push_back(
            {m() + QStringLiteral("/f%1.doc").arg(i), m(), QStringLiteral("T%1.doc").arg(i)});
    }
    // The third move cut off with the file at both names: a whole copy beside
    // its original (FAT, exFAT), or one file under two names (NTFS).
    RunUntil(GetParam() == test::FuseKind::Ntfs ? "linked" : "copied", 3, [&] { run(moves); });
    ASSERT_NO_FATAL_FAILURE(shake());
    EXPECT_EQ(RecoverAfterCrash(settings.path()).duplicatesRemoved, 1u);
    EXPECT_EQ(Names(m()), (QStringList{"T0.doc", "T1.doc", "f2.doc", "f3.doc", "f4.doc"}));
    ASSERT_NO_FATAL_FAILURE(shake());
    EXPECT_EQ(UndoLastBatch(journal()).undone(), 2u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ReadFile(m() + QStringLiteral("/f%1.doc").arg(i)), Content(i)) << i;
    EXPECT_EQ(Names(m()).size(), 5);
    EXPECT_FALSE(QFile::exists(journal()));
}

TEST_P(RecoveryOnFuse, AnUndoKilledMidwayAndRemountedIsTakenUpAgain) {
    std::vector<BatchMove> moves;
    for (int i = 0; i < 4; ++i) {
        WriteFile(m() + QStringLiteral("/f%1.doc").arg(i), Content(i));
        moves.push_back(
            {m() + QStringLiteral("/f%1.doc").arg(i), m(), QStringLiteral("T%1.doc").arg(i)});
    }
    ASSERT_EQ(run(moves).moved, 4u);
    RunUntil(GetParam() == test::FuseKind::Ntfs ? "linked" : "copied", 2,
             [&] { UndoLastBatch(journal()); });
    ASSERT_NO_FATAL_FAILURE(shake());
    RecoverAfterCrash(settings.path());
    ASSERT_NO_FATAL_FAILURE(shake());
    const UndoReport report = UndoLastBatch(journal());
    EXPECT_EQ(report.failed(), 0u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ReadFile(m() + QStringLiteral("/f%1.doc").arg(i)), Content(i)) << i;
    EXPECT_EQ(Names(m()).size(), 4) << Names(m()).join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(journal()));
}

// fusefat erases a long name that runs on into a folder's next cluster
// only up to the end of the first (tests/support/fatimage.h): what stays shows
// as a file named by the first 26 characters. With a six-digit pid that looked
// like an earlier temporary of a process gone, and removing it would have
// freed clusters that may be another file's. A whole temporary beside it goes.
TEST(RecoveryOnFuseFat, LeavesANameTheDriverToreAndRemovesAWholeTemporary) {
    test::FuseMount mount(test::FuseKind::Fat, 32);
    if (!mount.mounted()) GTEST_SKIP() << "fusefat: " << mount.why().constData();
    long pid = 999999;
    while (pid > 100000 && (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)) --pid;
    const QString d = mount.path() + "/d", dead = QString::number(pid);
    ASSERT_TRUE(QDir().mkpath(d));
    const int perCluster = test::FatImage(mount.image()).entriesPerCluster();
    ASSERT_GT(perCluster, 8);
    // ".", ".." and two entries a file: the next name starts two entries
    // before the end of the folder's first cluster and takes five.
    for (int i = 0; i < (perCluster - 4) / 2; ++i)
        WriteFile(d + QStringLiteral("/T%1.doc").arg(i), QByteArray::number(i));
    const QString cut = ".pelmora-tmp-" + dead + "-1234567-abcdef12-Q1wErT";
    WriteFile(d + "/" + cut, "copy");
    WriteFile(d + "/after.doc", "after");
    ASSERT_TRUE(QFile::remove(d + "/" + cut));
    const QString torn = cut.left(26);
    if (!Names(d).contains(torn)) GTEST_SKIP() << "this fusefat erases the whole name";
    const QString whole = ".pelmora-tmp-" + dead + "-1234567-abcdef12-Y2xWvU";
    WriteFile(d + "/" + whole, "left");

    EXPECT_EQ(RemoveStaleTemporaries(d), 1);
    EXPECT_TRUE(Names(d).contains(torn));
    EXPECT_FALSE(Names(d).contains(whole));
    // What the fault loop counts apart from what we leave behind.
    EXPECT_EQ(mount.tornEntries({d + "/" + torn, d + "/after.doc", d + "/T1.doc"}).join(' '),
              d + "/" + torn);
}

INSTANTIATE_TEST_SUITE_P(FileSystems, RecoveryOnFuse,
                         ::testing::Values(test::FuseKind::Fat, test::FuseKind::Fat32,
                                           test::FuseKind::Exfat, test::FuseKind::Ntfs),
                         [](const auto& info) {
                             std::string s = test::FuseKindName(info.param);
                             s.erase(std::remove(s.begin(), s.end(), '-'), s.end());
                             return s;
                         });

}  // namespace
}  // namespace pelmora
