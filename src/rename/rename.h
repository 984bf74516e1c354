#pragma once
#include <QString>
#include <cstdint>

namespace pelmora {

class Form1;

// "btnRename": moves the checked rows' files to their titles.
void RenameCommand(Form1& form);
// The text for a system error number of a failed rename.
QString ErrorMessageText(int32_t errnumber);

}  // namespace pelmora
