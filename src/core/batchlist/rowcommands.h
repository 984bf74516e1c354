#pragma once
// The commands on rows already listed: the title edit rule and the popup
// menu's items.

#include <QString>

namespace pelmora {

class BatchList;
class Dialogs;
struct GlobalSettings;

// The title edit rule, run when the user has finished editing a cell.
void ApplyEditRule(BatchList& list, const GlobalSettings& settings, int row, int col);
// Removes the checked (or the unchecked) rows and reports the count.
void RemoveRows(BatchList& list, Dialogs& dialogs, bool checked);
// "全选": checks every document row.
void CheckAllRows(BatchList& list);
// "反选": checks the unchecked document rows and unchecks the checked ones.
void InvertChecks(BatchList& list);
// Opens a document row's file for viewing.
void OpenRowDocument(const BatchList& list, Dialogs& dialogs, int row);

}  // namespace pelmora
