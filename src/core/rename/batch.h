#pragma once
// Running the moves of one rename batch under its journal: each move is
// marked as about to happen (with the file's identity) before it happens and
// as done after, and the batch stops as soon as the journal cannot be
// written, so that every move made can be undone.

#include <QString>
#include <climits>
#include <cstdint>
#include <functional>
#include <vector>

namespace pelmora {

struct BatchMove {
    QString from;     // the file as listed
    QString folder;   // the folder it moves into
    QString newName;  // its new name there
};

// The code of a move the batch did not try, because the journal had failed.
constexpr int32_t kMoveNotTried = INT32_MIN;

struct BatchResult {
    bool busy = false;       // another batch or undo holds the journal: nothing ran
    bool cancelled = false;  // no journal, and the user chose to stop
    bool journaled = false;  // the moves ran under a journal
    int journalError = 0;    // errno of the journal write that stopped the batch
    bool stopped = false;    // the user stopped the batch between two moves
    size_t moved = 0;
    std::vector<int32_t> codes;  // per move: 0, a Win32 code, or kMoveNotTried
};

// Runs the moves in order, holding the journal's lock (JournalLock) for the
// whole batch; when another holds it, nothing runs (busy). With journal, the
// plan replaces the previous
// journal first (which comes back if no file moves); when that fails,
// goOnWithoutJournal(error) decides whether the moves run all the same.
// Before each move, stopBefore(i) may end the batch: move i and the ones
// after it stay kMoveNotTried.
BatchResult RunRenameBatch(const QString& journalPath, const std::vector<BatchMove>& moves,
                           bool journal,
                           const std::function<bool(const QString& error)>& goOnWithoutJournal,
                           const std::function<bool(size_t i)>& stopBefore = {});

}  // namespace pelmora
