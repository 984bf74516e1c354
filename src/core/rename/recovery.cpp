#include "core/rename/recovery.h"

#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "core/files/files.h"
#include "core/files/mounts.h"
#include "core/files/paths.h"
#include "core/files/processes.h"
#include "core/rename/journallock.h"
#include "core/settings/fileio.h"

namespace pelmora {

namespace {

// What the records of the copies made for one direction of a move say.
struct Copies {
    std::vector<FileIdentity> inodes;  // temporaries and reservations placed
    bool reserved = false;             // an exclusive create of the name was made
    bool pending = false;              // one was announced, and its outcome cut off
};

Copies ReadCopies(const std::vector<FileIdentity>& records) {
    Copies c;
    bool announced = false;
    for (const FileIdentity& r : records) {
        if (IsReservationMark(r)) {
            // Refused: the create failed, whatever holds the name is not ours.
            announced = !IsRefusedMark(r);
            continue;
        }
        c.inodes.push_back(r);
        c.reserved = c.reserved || announced;
        announced = false;
    }
    c.pending = announced;
    return c;
}

bool TimesMatch(const FileIdentity& a, const FileIdentity& b, const IdentityTraits& fs) {
    if (fs.timeToleranceNs < 0) return true;
    const int64_t d = a.mtimeNs - b.mtimeNs;
    return (d < 0 ? -d : d) <= fs.timeToleranceNs;
}

// A copy written to the end has the original's size and content; without a
// fingerprint (earlier journals) its time as far as the file system keeps it.
bool WholeCopyOf(const FileIdentity& copy, const FileIdentity& source, const IdentityTraits& fs) {
    if (copy.size != source.size) return false;
    if (copy.fingerprint != 0 && source.fingerprint != 0)
        return copy.fingerprint == source.fingerprint;
    return TimesMatch(copy, source, fs);
}

// Whether now is the file recorded as source: moved by a rename, or (with
// untouched) as it was before the move. Where inode numbers do not last,
// the content is all that tells.
bool IsTheFile(const FileIdentity& now, const FileIdentity& source, const IdentityTraits& fs,
               bool untouched) {
    if (!fs.stableInodes) return WholeCopyOf(now, source, fs);
    if (!now.sameInode(source)) return false;
    if (!untouched) return true;
    return now.size == source.size && now.mtimeNs == source.mtimeNs &&
           (now.fingerprint == 0 || source.fingerprint == 0 ||
            now.fingerprint == source.fingerprint);
}

// Whether the file now at path is a copy of ours, whole or part, of source,
// whose whole content other holds (the original, or the moved file).
bool IsOurCopy(const Copies& c, const FileIdentity& now, const FileIdentity& source,
               const IdentityTraits& fs, const QString& path, const QString& other) {
    // The create done and its record cut off: the reservation is still empty.
    if (c.pending && now.size == 0) return true;
    if (fs.stableInodes) {
        for (const FileIdentity& i : c.inodes)
            if (i.sameInode(now)) return true;
        return false;
    }
    if (c.inodes.empty()) return false;
    if (WholeCopyOf(now, source, fs)) return true;
    // A reservation the copy into it was cut off in.
    return c.reserved && now.size < source.size && IsPrefixOf(path, other, now.size);
}

// Removes the name extra of a file that also has the name kept, checked
// again just before.
bool RemoveExtraName(const QString& extra, const QString& kept) {
    const std::optional<FileIdentity> a = IdentityOf(extra), b = IdentityOf(kept);
    if (!a || !b || !a->sameInode(*b) || a->links < 2) return false;
    return ::unlink(QFile::encodeName(extra).constData()) == 0;
}

bool WriterRuns(const ProcessMark& writer) {
    return writer.pid > 0 && !IsOwnProcess(writer) && ProcessRuns(writer);
}

}  // namespace

MoveState LocateMove(const JournalEntry& e) {
    if (!e.source) return e.done ? MoveState::ByPath : MoveState::NotMoved;
    const FileIdentity& source = *e.source;
    const bool content = source.fingerprint != 0;
    const std::optional<FileIdentity> atOld = IdentityOf(e.from, content);
    const std::optional<FileIdentity> atNew = IdentityOf(e.to, content);
    const IdentityTraits oldFs = IdentityTraitsOf(e.from), newFs = IdentityTraitsOf(e.to);
    // Both names on one file at once: a move or an undo by link() and
    // unlink() cut off in between.
    if (atOld && atNew && atOld->sameInode(*atNew) && atNew->links >= 2 &&
        IsTheFile(*atNew, source, newFs, false))
        return MoveState::Linked;
    const Copies placed = ReadCopies(e.placed), back = ReadCopies(e.back);
    const bool newIsCopy = atNew && IsOurCopy(placed, *atNew, source, newFs, e.to, e.from);
    const bool newHolds = atNew && (IsTheFile(*atNew, source, newFs, false) ||
                                    (newIsCopy && WholeCopyOf(*atNew, source, newFs)));
    // Copies made by an undo come first: one may reuse the inode number the
    // original had before the move removed it.
    if (atOld && IsOurCopy(back, *atOld, source, oldFs, e.from, e.to)) {
        if (newHolds) return MoveState::Moved;  // the undo was cut off before it ended
        // The undo ended but its mark was cut off.
        return !atNew && WholeCopyOf(*atOld, source, oldFs) ? MoveState::NotMoved : MoveState::Lost;
    }
    // The original untouched.
    if (atOld && IsTheFile(*atOld, source, oldFs, true))
        return newIsCopy ? MoveState::Copied : MoveState::NotMoved;
    if (newHolds) return MoveState::Moved;
    return MoveState::Lost;
}

RecoveryReport RecoverJournal(const QString& journalPath) {
    RecoveryReport report;
    ProcessMark writer;
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
            } else if (state == MoveState::Linked) {
                // The move not yet marked done, or an undo cut off: either way
                // the file is whole at its old name once the new one goes.
                if (RemoveExtraName(e.to, e.from)) ++report.duplicatesRemoved;
            } else if (state == MoveState::Moved) {
                anyMoved = true;
                // An undo by copy cut off: the file is still at the new name.
                const std::optional<FileIdentity> atOld =
                    IdentityOf(e.from, e.source->fingerprint != 0);
                if (atOld &&
                    IsOurCopy(ReadCopies(e.back), *atOld, *e.source, IdentityTraitsOf(e.from),
                              e.from, e.to) &&
                    QFile::remove(e.from))
                    ++report.duplicatesRemoved;
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
        } else if (state == MoveState::Linked) {
            // Under both names still (the recovery could not remove one).
            code = RemoveExtraName(e.to, e.from) ? 0 : kErrorAccessDenied;
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
