#include "settings/settingsstore.h"

namespace pelmora {

bool ReadSettingFile(const QString&, GlobalSettings&, Dialogs&) { return false; }
bool WriteSettingFile(const QString&, const GlobalSettings&, Dialogs&) { return true; }
void SetDefaultSettings(GlobalSettings&, const QString&) {}

}  // namespace pelmora
