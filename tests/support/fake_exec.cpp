// The fake's own dialogs, for the widget tests: records which dialog ran.
#include <QDialog>

#include "support/fake_dialogs.h"

namespace pelmora::test {

int FakeDialogs::exec(QDialog& dialog) {
    execCalls.push_back(dialog.objectName().isEmpty()
                            ? QString::fromLatin1(dialog.metaObject()->className())
                            : dialog.objectName());
    if (onExec) return onExec(dialog);
    return QDialog::Rejected;
}

}  // namespace pelmora::test
