#include "core/rename/batch.h"

#include <cerrno>

#include "core/files/files.h"
#include "core/files/paths.h"
#include "core/rename/journal.h"
#include "core/rename/journallock.h"

namespace pelmora {

BatchResult RunRenameBatch(const QString& journalPath, const std::vector<BatchMove>& moves,
                           bool journal,
                           const std::function<bool(const QString& error)>& goOnWithoutJournal,
                           const std::function<bool(size_t i)>& stopBefore) {
    BatchResult result;
    result.codes.assign(moves.size(), kMoveNotTried);
    if (moves.empty()) return result;
    const JournalLock lock(journalPath);
    if (lock.busy()) {
        result.busy = true;
        return result;
    }
    RenameJournal log(journalPath);
    if (journal) {
        std::vector<std::pair<QString, QString>> plan;
        plan.reserve(moves.size());
        for (const BatchMove& m : moves) plan.emplace_back(m.from, JoinPath(m.folder, m.newName));
        QString error;
        result.journaled = log.begin(plan, &error);
        if (!result.journaled && !(goOnWithoutJournal && goOnWithoutJournal(error))) {
            result.cancelled = true;
            return result;
        }
    }

    for (size_t i = 0; i < moves.size(); ++i) {
        if (stopBefore && stopBefore(i)) {
            result.stopped = true;
            break;
        }
        const BatchMove& m = moves[i];
        if (!result.journaled) {
            result.codes[i] = MoveFileInto(m.from, m.folder, m.newName);
            result.moved += result.codes[i] == 0;
            continue;
        }
        const std::optional<FileIdentity> source = IdentityOf(m.from);
        if (!source) {
            // Nothing to move; the move itself tells why (2, 123, ...).
            result.codes[i] = MoveFileInto(m.from, m.folder, m.newName,
                                           [](const FileIdentity&) { return ENOENT; });
            if (result.codes[i] == 0) result.codes[i] = kErrorFileNotFound;
            continue;
        }
        if (!log.markBegun(i, *source)) {
            result.journalError = log.lastError();
            break;
        }
        const int32_t code = MoveFileInto(m.from, m.folder, m.newName, [&](const FileIdentity& c) {
            return log.markPlaced(i, c) ? 0 : log.lastError();
        });
        result.codes[i] = code;
        if (code == 0) ++result.moved;
        // A copy not recorded was refused, so the file stayed; stop either way.
        if (log.lastError() != 0 || (code == 0 && !log.markDone(i))) {
            result.journalError = log.lastError();
            break;
        }
    }
    log.finish(result.moved > 0);
    return result;
}

}  // namespace pelmora
