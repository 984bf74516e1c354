#include "batchlist/batchlist.h"

namespace pelmora {

void ApplyEditRule(Form1&, int, int) {}
void RemoveRows(Form1&, const QString&) {}
void OpenRowDocument(Form1&, int) {}

}  // namespace pelmora
