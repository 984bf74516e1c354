#pragma once
#include <QString>
#include <cstdint>

namespace pelmora {

class BatchList;
class Dialogs;
class Progress;
struct GlobalSettings;

// "btnRename": moves the checked rows' files to their titles, recording the
// batch in the journal at journalPath first. With progress, each move is a
// step, and a stop asked through it ends the batch before the next move: the
// rows not reached keep their state. With 替换非法字符 on, a title's
// characters that a name may not hold are replaced in the new name.
void RenameCommand(BatchList& list, const GlobalSettings& settings, Dialogs& dialogs,
                   const QString& journalPath, Progress* progress = nullptr);
// The answers to the question before a batch some of whose rows would take
// a name already taken, in the order of its buttons: number those rows
// ("会议纪要(2).doc"), rename the others only, or rename nothing. With
// 重名时自动编号 on, they are numbered without asking.
enum CollisionAnswer { kNumberThem = 0, kRenameTheRest = 1, kRenameNothing = 2 };

// The text for a system error number of a failed rename.
QString ErrorMessageText(int32_t errnumber);
// That text, a blank and the number ("文件已存在!! 183"); the minus sign
// takes the blank's place before a negative number.
QString FailureText(int32_t errnumber);

}  // namespace pelmora
