#include "core/rename/recovery.h"

#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "core/files/files.h"
#include "core/files/paths.h"
#include "core/rename/journallock.h"
#include "core/settings/fileio.h"

namespace pelmora {

namespace {

// Whether id is one of the copies, or the empty file of a reservation that a
// crash cut off before its inode was recorded.
bool AnySameInode(const std::vector<FileIdentity>& copies, const FileIdentity& id) {
    for (const FileIdentity& c : copies) {
        if (c.sameInode(id)) return true;
        if (c == kReservationPending && id.size == 0) return true;
    }
    return false;
}

// A copy that was written to the end carries the original's size and time.
bool WholeCopyOf(const FileIdentity& copy, const FileIdentity& source) {
    return copy.size == source.size && copy.mtimeNs == source.mtimeNs;
}

// Whether the file at path is a copy an undo of e made (whole or part) while
// the moved file still holds the new name.
bool IsBackCopy(const JournalEntry& e, const std::optional<FileIdentity>& atOld) {
    return atOld && AnySameInode(e.back, *atOld);
}

bool WriterRuns(long pid) { return pid > 0 && pid != long(::getpid()) && ProcessRuns(pid); }

}  // namespace

MoveState LocateMove(const JournalEntry& e) {
    if (!e.source) return e.done ? MoveState::ByPath : MoveState::NotMoved;
    const FileIdentity& source = *e.source;
    const std::optional<FileIdentity> atOld = IdentityOf(e.from);
    const std::optional<FileIdentity> atNew = IdentityOf(e.to);
    const bool newIsCopy = atNew && AnySameInode(e.placed, *atNew);
    const bool newHolds =
        atNew && (atNew->sameInode(source) || (newIsCopy && WholeCopyOf(*atNew, source)));
    // Copies made by an undo come first: one may reuse the inode number the
    // original had before the move removed it.
    if (IsBackCopy(e, atOld)) {
        if (newHolds) return MoveState::Moved;  // the undo was cut off before it ended
        // The undo ended but its mark was cut off.
        return !atNew && WholeCopyOf(*atOld, source) ? MoveState::NotMoved : MoveState::Lost;
    }
    // The original untouched: same inode, size and time.
    if (atOld && *atOld == source) return newIsCopy ? MoveState::Copied : MoveState::NotMoved;
    if (newHolds) return MoveState::Moved;
    return MoveState::Lost;
}

RecoveryReport RecoverJournal(const QString& journalPath) {
    RecoveryReport report;
    long writer = 0;
    const QString previousPath = RenameJournal::PreviousPath(journalPath);
    const std::optional<std::vector<JournalEntry>> entries =
        RenameJournal::Read(journalPath, &writer);
    if (WriterRuns(writer)) return report;  // a batch of another window, still running

    bool anyMoved = false;
    if (entries) {
        QSet<QString> folders;
        for (const JournalEntry& e : *entries) {
            if (e.undone || !e.source) {
                anyMoved = anyMoved || (e.done && !e.undone);
                continue;
            }
            folders.insert(QFileInfo(e.from).absolutePath());
            folders.insert(QFileInfo(e.to).absolutePath());
            const MoveState state = LocateMove(e);
            if (state == MoveState::Copied && !e.done) {
                // The original is whole at its old name; what bears the new
                // name is our own copy, made for this move.
                if (QFile::remove(e.to)) ++report.duplicatesRemoved;
            } else if (state == MoveState::Moved) {
                anyMoved = true;
                // An undo by copy cut off: the file is still at the new name.
                const std::optional<FileIdentity> atOld = IdentityOf(e.from);
                if (IsBackCopy(e, atOld) && QFile::remove(e.from)) ++report.duplicatesRemoved;
            } else if (state == MoveState::Lost || state == MoveState::ByPath) {
                anyMoved = anyMoved || e.done;
            }
        }
        for (const QString& folder : folders)
            report.temporariesRemoved += RemoveStaleTemporaries(folder);
    }

    // A device or a pipe in the journal's place is not replaced.
    if (QFileInfo::exists(previousPath) && NotAFileError(journalPath) == 0) {
        // begin() kept the batch before; the last batch cut off before it
        // moved anything gives it back.
        const QByteArray prev = QFile::encodeName(previousPath);
        const QByteArray cur = QFile::encodeName(journalPath);
        if (!entries || !anyMoved) {
            report.previousRestored = ::rename(prev.constData(), cur.constData()) == 0;
        } else {
            ::unlink(prev.constData());
        }
    }
    return report;
}

RecoveryReport RecoverAfterCrash(const QString& settingsFolder) {
    const int own = RemoveStaleTemporaries(
        settingsFolder, {QStringLiteral("userdata.ini"), QStringLiteral("lastrename.journal")});
    const QString journalPath = JoinPath(settingsFolder, QStringLiteral("lastrename.journal"));
    // A batch or undo of another window still runs: its journal is not ours to put right.
    const JournalLock lock(journalPath);
    RecoveryReport report = lock.busy() ? RecoveryReport{} : RecoverJournal(journalPath);
    report.temporariesRemoved += own;
    return report;
}

size_t UndoReport::undone() const {
    size_t n = 0;
    for (const UndoneMove& m : moves) n += m.code == 0;
    return n;
}

size_t UndoReport::failed() const { return moves.size() - undone(); }

UndoReport UndoLastBatch(const QString& journalPath,
                         const std::function<bool(size_t done, size_t total)>& step) {
    UndoReport report;
    const JournalLock lock(journalPath);
    if (lock.busy()) {
        report.busy = true;
        return report;
    }
    report.duplicatesRemoved = RecoverJournal(journalPath).duplicatesRemoved;
    const std::optional<std::vector<JournalEntry>> entries = RenameJournal::Read(journalPath);
    if (!entries) {
        report.notAFile = NotAFileError(journalPath) != 0;
        report.unreadable = report.notAFile || QFileInfo::exists(journalPath);
        return report;
    }
    report.hadJournal = true;

    size_t total = 0;
    for (const JournalEntry& e : *entries) total += !e.undone;
    RenameJournal journal(journalPath);
    const bool canMark = journal.openForMarks();
    size_t left = 0;
    size_t done = 0;
    for (size_t k = entries->size(); k-- > 0;) {
        const JournalEntry& e = (*entries)[k];
        if (e.undone) continue;
        if (step && step(done, total)) {
            report.stopped = true;
            left += total - done;
            break;
        }
        ++done;
        const MoveState state = LocateMove(e);
        int32_t code = 0;
        if (state == MoveState::Moved || state == MoveState::ByPath) {
            // MoveFile never replaces: a file that has appeared at the old path stays.
            code = MoveFile(e.to, e.from, [&](const FileIdentity& copy) {
                return !canMark || journal.markBack(k, copy) ? 0 : journal.lastError();
            });
        } else if (state == MoveState::Lost && e.done) {
            code = kErrorFileNotFound;  // the file moved is no longer there
        } else {
            continue;  // never moved, or its copy already removed
        }
        if (code == 0 && canMark) journal.markUndone(k);
        if (code != 0) ++left;
        report.moves.push_back({k, e.from, e.to, code});
    }
    if (step && !report.stopped) step(total, total);
    journal.finish();
    if (left == 0) {
        QFile::remove(journalPath);
    }
    return report;
}

}  // namespace pelmora
