#include "settings/frmoptions.h"

#include "app/form1.h"

namespace pelmora {

frmOptions::frmOptions(Form1& form, QWidget* parent) : QDialog(parent), form_(form) {
    setObjectName(QStringLiteral("frmOptions"));
}

}  // namespace pelmora
