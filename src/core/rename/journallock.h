#pragma once
// One rename batch or undo at a time per journal, also across processes:
// two windows over one settings folder share one journal, and marks of two
// batches in one file would undo neither.

#include <QByteArray>
#include <QString>

namespace pelmora {

class JournalLock {
  public:
    // Tries to take the lock of the journal at journalPath at once, never
    // waiting. The lock is an open-file-description lock on a file beside
    // the journal ("<journal>.lock", removed again when this object goes):
    // held until then, refused also to a second holder in the same process,
    // and dropped by the system when the holder dies.
    explicit JournalLock(const QString& journalPath);
    ~JournalLock();
    JournalLock(const JournalLock&) = delete;
    JournalLock& operator=(const JournalLock&) = delete;

    // Another holder has the lock: this batch or undo must not run.
    bool busy() const { return busy_; }
    // Held by this object. Neither held nor busy: the lock file could not be
    // made or locked here (a read-only folder, a file system without locks);
    // the journal's own writes then say what is wrong.
    bool held() const { return fd_ >= 0; }

    static QString PathFor(const QString& journalPath);

  private:
    QByteArray path_;
    int fd_ = -1;
    bool busy_ = false;
};

// What the second window is told when the lock is busy.
QString JournalBusyText();

}  // namespace pelmora
