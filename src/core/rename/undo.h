#pragma once

#include <QString>

namespace pelmora {

class BatchList;
class Dialogs;

// "撤销上次改名": moves the files of the last rename batch back, newest
// first, marks the rows that still list them, and reports the count.
void UndoLastRenameCommand(BatchList& list, Dialogs& dialogs, const QString& journalPath);

}  // namespace pelmora
