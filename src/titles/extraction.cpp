#include "titles/extraction.h"

namespace pelmora {

void GetTitleCommand(Form1&) {}

}  // namespace pelmora
