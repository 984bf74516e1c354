// The fake's dialogs for the widget-free tests: code without widgets never
// runs a dialog of its own, so a call is a fault.
#include <gtest/gtest.h>

#include "support/fake_dialogs.h"

namespace pelmora::test {

int FakeDialogs::exec(QDialog&) {
    ADD_FAILURE() << "a widget-free test ran a dialog";
    return 0;
}

}  // namespace pelmora::test
