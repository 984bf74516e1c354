#pragma once

#include <QString>

namespace pelmora {

class BatchList;
class Dialogs;
class Progress;

// "撤销上次改名": moves the files of the last rename batch back, newest
// first, puts the rows that list them back at their old names, and reports
// the counts. With progress, each move is a step, and a stop asked through
// it ends the undo before the next move; the rest stays undoable.
void UndoLastRenameCommand(BatchList& list, Dialogs& dialogs, const QString& journalPath,
                           Progress* progress = nullptr);

}  // namespace pelmora
