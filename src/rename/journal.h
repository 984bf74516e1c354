#pragma once
// The journal of the last rename batch: the planned moves, written and
// synced before the first file moves, and a mark per move as it is done, so
// that the batch can be undone also after a crash or a restart.
//
// File format (UTF-8 text, one record a line; tab, newline, carriage return
// and backslash in paths are escaped as \t \n \r \\):
//   pelmora rename journal 1
//   move<TAB>old path<TAB>new path      one per planned move, in order
//   done<TAB>i                          move i (from 0) has happened
//   undone<TAB>i                        move i has been taken back

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace pelmora {

struct JournalEntry {
    QString from;
    QString to;
    bool done = false;
    bool undone = false;
};

class RenameJournal {
public:
    // The journal beside the settings file.
    static QString PathBesideSettings(const QString& settingsPath);

    explicit RenameJournal(QString path);
    ~RenameJournal();
    RenameJournal(const RenameJournal&) = delete;
    RenameJournal& operator=(const RenameJournal&) = delete;

    // Replaces the previous journal by the planned moves, on disk before it
    // returns. False (and the previous journal untouched) when it cannot.
    bool begin(const std::vector<std::pair<QString, QString>>& moves, QString* error = nullptr);
    // Records that move i has happened; written at once.
    bool markDone(size_t i);
    // Records that move i has been taken back.
    bool markUndone(size_t i);
    // Syncs the marks and closes the file.
    void finish();

    // Opens an existing journal for adding marks.
    bool openForMarks();

    // The journal's entries; nothing when it is absent, unreadable or not a
    // journal. Marks naming unknown moves are ignored.
    static std::optional<std::vector<JournalEntry>> Read(const QString& path);

    const QString& path() const { return path_; }

private:
    bool appendLine(const QByteArray& line);

    QString path_;
    int fd_ = -1;
};

// The outcome of taking back one move.
struct UndoneMove {
    size_t index = 0;
    QString from;  // where the file was before the rename (and is again on success)
    QString to;    // where the rename put it
    int32_t code = 0;  // 0, or the Win32 code of the failed move back
};

struct UndoReport {
    bool hadJournal = false;            // false: there was nothing to undo
    std::vector<UndoneMove> moves;      // newest first
    size_t undone() const;
    size_t failed() const;
};

// Moves every done and not yet undone file of the journal back to its old
// path, newest first, never replacing a file that has appeared there. The
// journal is removed once nothing in it is left to undo.
UndoReport UndoLastBatch(const QString& journalPath);

}  // namespace pelmora
