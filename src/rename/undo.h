#pragma once

namespace pelmora {

class Form1;

// "撤销上次改名": moves the files of the last rename batch back, newest
// first, marks the rows that still list them, and reports the count.
void UndoLastRenameCommand(Form1& form);

}  // namespace pelmora
