// One batch or undo at a time per journal, across processes, and a journal
// name that points at no regular file left as it is.

#include "core/rename/journallock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/files/files.h"
#include "core/rename/batch.h"
#include "core/rename/journal.h"
#include "core/rename/recovery.h"
#include "support/testutil.h"

namespace pelmora {
namespace {

using test::Entries;
using test::ReadFile;
using test::WriteFile;

// A second process holding a journal's lock until it is killed.
class LockHolder {
  public:
    explicit LockHolder(const QString& journalPath) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            const JournalLock lock(journalPath);
            const char held = lock.held() ? '1' : '0';
            if (::write(ready[1], &held, 1) != 1) ::_exit(1);
            for (;;) ::pause();
        }
        ::close(ready[1]);
        char held = '0';
        held_ = pid_ > 0 && ::read(ready[0], &held, 1) == 1 && held == '1';
        ::close(ready[0]);
    }
    ~LockHolder() { kill(); }
    bool held() const { return held_; }
    // Dies as a crashed window does, without letting go of anything itself.
    void kill() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    bool held_ = false;
};

class Lock : public ::testing::Test {
  protected:
    QString d() const { return docs.path(); }
    QString journal() const { return settings.path() + "/lastrename.journal"; }
    BatchResult run(const std::vector<BatchMove>& moves) {
        return RunRenameBatch(journal(), moves, true, [](const QString&) { return false; });
    }
    QTemporaryDir docs, settings;
};

TEST_F(Lock, OneHolderAtATimeAlsoWithinOneProcess) {
    {
        const JournalLock first(journal());
        EXPECT_TRUE(first.held());
        const JournalLock second(journal());
        EXPECT_TRUE(second.busy());
        EXPECT_FALSE(second.held());
        // Another journal is another lock.
        const JournalLock other(journal() + ".other");
        EXPECT_TRUE(other.held());
    }
    const JournalLock again(journal());
    EXPECT_TRUE(again.held());
}

// The second window's batch and undo are refused while the first one's
// runs, and nothing of theirs touches a file or the journal; once the first
// window dies, its lock goes with it.
TEST_F(Lock, ASecondProcessIsRefusedUntilTheFirstEndsOrDies) {
    WriteFile(d() + "/a.doc", "a");
    WriteFile(d() + "/b.doc", "b");
    ASSERT_EQ(run({{d() + "/a.doc", d(), "A.doc"}}).moved, 1u);
    const QByteArray before = ReadFile(journal());

    LockHolder other(journal());
    ASSERT_TRUE(other.held());
    const BatchResult refused = run({{d() + "/b.doc", d(), "B.doc"}});
    EXPECT_TRUE(refused.busy);
    EXPECT_EQ(refused.moved, 0u);
    EXPECT_EQ(refused.codes, std::vector<int32_t>{kMoveNotTried});
    const UndoReport undo = UndoLastBatch(journal());
    EXPECT_TRUE(undo.busy);
    EXPECT_TRUE(undo.moves.empty());
    // Nor does a window starting up meanwhile put the running batch "right".
    RecoverAfterCrash(settings.path());
    EXPECT_EQ(Entries(d()), (QStringList{"A.doc", "b.doc"}));
    EXPECT_EQ(ReadFile(journal()), before);

    other.kill();
    EXPECT_FALSE(run({{d() + "/b.doc", d(), "B.doc"}}).busy);
    EXPECT_EQ(UndoLastBatch(journal()).undone(), 1u);
    EXPECT_EQ(Entries(d()), (QStringList{"A.doc", "b.doc"}));
}

// A folder where the lock file cannot be made is no reason to refuse: the
// journal's own writes say what is wrong there.
TEST_F(Lock, NoLockFileMeansNoLockNotBusy) {
    const JournalLock lock(d() + "/no/such/folder/lastrename.journal");
    EXPECT_FALSE(lock.held());
    EXPECT_FALSE(lock.busy());
    // Nor through a link someone put in the lock file's place.
    ASSERT_EQ(
        ::symlink("/dev/null", QFile::encodeName(JournalLock::PathFor(journal())).constData()), 0);
    const JournalLock linked(journal());
    EXPECT_FALSE(linked.held());
    EXPECT_FALSE(linked.busy());
}

// The journal's name pointing at a device or a pipe: start-up and undo do not
// wait on it, a batch asks before running without a journal, and the node
// and the link stay as they were.
TEST_F(Lock, AJournalThatIsADeviceOrAPipeIsNeitherReadNorReplaced) {
    const QString fifo = settings.path() + "/pipe";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // A pipe nobody writes to would block a plain open for ever: fail loudly instead.
    ::alarm(60);
    for (const QString& target : {QStringLiteral("/dev/null"), fifo}) {
        const QByteArray link = QFile::encodeName(journal());
        ::unlink(link.constData());
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), link.constData()), 0);
        WriteFile(RenameJournal::PreviousPath(journal()), "pelmora rename journal 2\n");
        WriteFile(d() + "/a.doc", "a");

        RecoverAfterCrash(settings.path());
        const UndoReport undo = UndoLastBatch(journal());
        EXPECT_TRUE(undo.unreadable);
        EXPECT_TRUE(undo.notAFile);
        QString asked;
        const BatchResult batch = RunRenameBatch(journal(), {{d() + "/a.doc", d(), "A.doc"}}, true,
                                                 [&](const QString& error) {
                                                     asked = error;
                                                     return false;
                                                 });
        EXPECT_TRUE(batch.cancelled);
        EXPECT_TRUE(asked.contains(QStringLiteral("不是普通文件"))) << asked.toStdString();
        EXPECT_EQ(Entries(d()), QStringList{"a.doc"});

        EXPECT_EQ(QFileInfo(journal()).symLinkTarget(), target);
        struct stat st;
        ASSERT_EQ(::stat(link.constData(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) << target.toStdString();
        QFile::remove(d() + "/a.doc");
    }
    ::alarm(0);
}

}  // namespace
}  // namespace pelmora
