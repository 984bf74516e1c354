#include "collect/collect.h"

namespace pelmora {

void AddFolderCommand(Form1&) {}
void AddFilesCommand(Form1&) {}
int16_t IsChineseText(const QString&) { return 0; }

}  // namespace pelmora
