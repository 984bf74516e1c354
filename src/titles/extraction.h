#pragma once

namespace pelmora {

class Form1;

// "btnGetTitle": reads a title out of every listed document.
void GetTitleCommand(Form1& form);

}  // namespace pelmora
