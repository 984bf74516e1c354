#pragma once
// Putting things right after a crash: what an interrupted batch left behind
// is found from the journal and the files' identities.

#include <QString>
#include <cstddef>

#include "core/rename/journal.h"

namespace pelmora {

// Where the file of one journal entry is now.
enum class MoveState {
    NotMoved,  // the file is still at its old name (or the move never began)
    Moved,     // the file is at its new name
    Copied,    // the file is at its old name, and a copy of ours (whole or
               // part) at the new one: a move by copy was cut off
    Lost,      // the moved file is at neither name any more
    ByPath,    // an old journal without identities: marked done, trust the path
    Linked,    // the file under both names: a link() whose unlink() a crash cut off
};
MoveState LocateMove(const JournalEntry& e);

struct RecoveryReport {
    int temporariesRemoved = 0;
    size_t duplicatesRemoved = 0;
    bool previousRestored = false;  // the batch before an empty one is undoable again
};

// Run once at start: removes the temporary files of ours that no running
// process writes (beside the settings and in the folders of the last batch),
// the copies an interrupted move left under a new name while the original
// kept its old one, and brings back the previous batch's journal when the
// last batch moved nothing. A journal that a running process still writes is
// left alone.
RecoveryReport RecoverAfterCrash(const QString& settingsFolder);

// The same for one journal (the undo runs it first).
RecoveryReport RecoverJournal(const QString& journalPath);

}  // namespace pelmora
