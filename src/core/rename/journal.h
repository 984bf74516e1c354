#pragma once
// The journal of the last rename batch: the planned moves, written and
// synced before the first file moves, and a mark per move as it is done, so
// that the batch can be undone also after a crash or a restart.
//
// File format (UTF-8 text, one record a line; tab, newline, carriage return
// and backslash in paths are escaped as \t \n \r \\):
//   pelmora rename journal 3
//   pid<TAB>n<TAB>started<TAB>boot      the process that wrote the plan: pid,
//                                       start in clock ticks after boot, boot id
//   move<TAB>old path<TAB>new path      one per planned move, in order
//   begun<TAB>i<TAB>dev<TAB>ino<TAB>size<TAB>mtime<TAB>fingerprint   move i
//                                       (from 0) is about to happen to the file
//                                       of this identity (fingerprint in hex)
//   placed<TAB>i<TAB>dev<TAB>ino        a copy of this inode is about to get
//                                       the new name (moves by copy); 0 0: an
//                                       exclusive create of the name follows
//   placed<TAB>i<TAB>refused            that create failed: the name is not ours
//   back<TAB>i<TAB>...                  the same for the copy back of an undo
//   done<TAB>i                          move i has happened
//   undone<TAB>i                        move i has been taken back
// Version 2 journals (pid alone, no fingerprint) are read as well; version 1
// journals (no pid, begun, placed, back) too: their moves are taken back by
// path alone.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/files/files.h"
#include "core/files/processes.h"

namespace pelmora {

struct JournalEntry {
    QString from;
    QString to;
    bool done = false;
    bool undone = false;
    std::optional<FileIdentity> source = std::nullopt;  // from the begun mark
    std::vector<FileIdentity> placed = {};              // copies made for the move
    std::vector<FileIdentity> back = {};                // copies made to undo it
};

class RenameJournal {
  public:
    // The journal beside the settings file.
    static QString PathBesideSettings(const QString& settingsPath);

    explicit RenameJournal(QString path);
    ~RenameJournal();
    RenameJournal(const RenameJournal&) = delete;
    RenameJournal& operator=(const RenameJournal&) = delete;

    // Puts the planned moves in place of the previous journal, on disk before
    // it returns; the previous one is kept aside (".prev") until finish()
    // says whether the new batch moved anything. The file written stays open
    // for the marks, never reopened by name. False (and the previous journal
    // untouched) when it cannot, also when the name is a device, a pipe or a
    // link to one (never moved aside or replaced).
    bool begin(const std::vector<std::pair<QString, QString>>& moves, QString* error = nullptr);
    // Marks, each written at once; false (see lastError()) when the write failed.
    bool markBegun(size_t i, const FileIdentity& source);
    bool markPlaced(size_t i, const FileIdentity& copy);
    bool markBack(size_t i, const FileIdentity& copy);
    bool markDone(size_t i);
    bool markUndone(size_t i);
    // Syncs the marks and closes the file. After begin(): with keep, the
    // previous journal is dropped; without (no file moved), it comes back.
    void finish(bool keep = true);

    // The errno of the last failed write, 0 when none failed.
    int lastError() const { return lastError_; }

    // Opens an existing journal for adding marks.
    bool openForMarks();

    // The journal's entries; nothing when it is absent, unreadable, not a
    // regular file (a device or a pipe is never opened) or not a journal.
    // Marks naming unknown moves are ignored.
    // writer receives what marks the writing process (pid 0 when unknown).
    static std::optional<std::vector<JournalEntry>> Read(const QString& path,
                                                         ProcessMark* writer = nullptr);
    // Where begin() keeps the previous journal.
    static QString PreviousPath(const QString& path);

    const QString& path() const { return path_; }

  private:
    bool appendLine(const QByteArray& line);

    QString path_;
    int fd_ = -1;
    int lastError_ = 0;
    bool begun_ = false;
};

// The outcome of taking back one move.
struct UndoneMove {
    size_t index = 0;
    QString from;      // where the file was before the rename (and is again on success)
    QString to;        // where the rename put it
    int32_t code = 0;  // 0, or the Win32 code of the failed move back
};

struct UndoReport {
    bool busy = false;              // another batch or undo holds the journal: nothing ran
    bool hadJournal = false;        // false: there was nothing to undo
    bool unreadable = false;        // a journal is there but cannot be read
    bool notAFile = false;          // ... because it is a device, a pipe or a link to one
    bool stopped = false;           // stopped before every move was taken back
    size_t duplicatesRemoved = 0;   // copies left by an interrupted move
    std::vector<UndoneMove> moves;  // newest first
    size_t undone() const;
    size_t failed() const;
};

// Holding the journal's lock (JournalLock; busy when another holds it),
// moves every file the journal's batch moved and that has not been moved
// back to its old path, newest first, never replacing a file that has
// appeared there. Whether a move happened is judged by the file's identity
// at the old and new names, not by the marks alone, so a move whose mark a
// crash cut off is found, and a file that is no longer the one moved is left
// alone (code 2). Copies an interrupted move left under the new name are
// removed first. The journal is removed once nothing in it is left to undo.
// step(done, total) is told how far the undo has come, before each move and
// at the end; true before a move stops the undo there: the moves not taken
// back stay in the journal for the next undo.
UndoReport UndoLastBatch(const QString& journalPath,
                         const std::function<bool(size_t done, size_t total)>& step = {});

}  // namespace pelmora
