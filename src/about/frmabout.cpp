#include "about/frmabout.h"

namespace pelmora {

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) { setObjectName(QStringLiteral("frmAbout")); }

}  // namespace pelmora
