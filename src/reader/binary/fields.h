#pragma once
// Fields in Word 97-2003 and 6/95 text ([MS-DOC] 2.8.25 PlcFld): Word's text
// shows a field's result, not its code.

#include <string>

#include "reader/limits.h"

namespace pelmora::word {

// Turns field codes into their shown results: drops everything from a field
// begin (0x13) to its separator (0x14), and the field end (0x15), nested.
// MACROBUTTON and GOTOBUTTON, which have no result, show the text their code
// gives after the macro or bookmark name.
class FieldFilter {
  public:
    void Reset();
    // Appends what of `c` is shown to `out` (nothing is kept when out is null),
    // at most kMaxText characters.
    void Feed(char16_t c, std::u16string* out);
    bool Hidden() const { return hidden_ > 0; }

  private:
    int depth_ = 0;
    int hidden_ = 0;  // open fields still in their code part
    bool inResult_[kMaxFieldDepth] = {};
    int codeDepth_ = 0;  // field whose code is kept (for MACROBUTTON)
    std::u16string code_;
};

}  // namespace pelmora::word
