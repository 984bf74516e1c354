#include "rename/rename.h"

namespace pelmora {

void RenameCommand(Form1&) {}
QString ErrorMessageText(int32_t) { return QStringLiteral("错误"); }

}  // namespace pelmora
