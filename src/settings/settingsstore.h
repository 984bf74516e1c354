#pragma once
// userdata.ini: nine lines read by position, written with CR LF.

#include <QString>

#include "settings/globalsettings.h"

namespace pelmora {

class Dialogs;

// Loads the file into the settings; reports an error in a message box and
// returns false at the first error (settings assigned so far keep their values).
bool ReadSettingFile(const QString& path, GlobalSettings& settings, Dialogs& dialogs);

// Writes the nine lines; an error is reported in a message box. Always true.
bool WriteSettingFile(const QString& path, const GlobalSettings& settings, Dialogs& dialogs);

// The defaults, in table order; globalDefaultDir becomes programDir.
void SetDefaultSettings(GlobalSettings& settings, const QString& programDir);

}  // namespace pelmora

namespace pelmora {

// The file's text for these settings: nine lines, each ended by CR LF.
QString SettingFileText(const GlobalSettings& settings);

}  // namespace pelmora
