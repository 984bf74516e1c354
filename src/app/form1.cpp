#include "app/form1.h"

#include "platform/dialogs.h"

namespace pelmora {

struct Form1::Private {
    QtDialogs qtDialogs;
    Dialogs* dialogs = nullptr;
    QString settingsDir;
};

Form1::Form1(Form1Options options, QWidget* parent) : QWidget(parent), d(new Private) {
    d->qtDialogs.setOwner(this);
    d->dialogs = options.dialogs ? options.dialogs : &d->qtDialogs;
    d->settingsDir = options.settingsDir;
    setWindowTitle(QStringLiteral("Pelmora2.0(绿色版)"));
}
Form1::~Form1() = default;
Dialogs& Form1::dialogs() const { return *d->dialogs; }

}  // namespace pelmora
