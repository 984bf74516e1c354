#pragma once
#include <QString>

namespace pelmora {

class Form1;

// The title edit rule, run when the user has finished editing a cell.
void ApplyEditRule(Form1& form, int row, int col);
// Removes the rows whose flag equals target ("1" or "0") and reports the count.
void RemoveRows(Form1& form, const QString& target);
// "全选": checks every document row.
void CheckAllRows(Form1& form);
// "反选": checks the unchecked document rows and unchecks the checked ones.
void InvertChecks(Form1& form);
// Opens a document row's file for viewing.
void OpenRowDocument(Form1& form, int row);

}  // namespace pelmora
