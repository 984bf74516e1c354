#pragma once
// userdata.ini: nine lines read by position, written with CR LF.

#include <QString>
#include <utility>

#include "core/settings/globalsettings.h"

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

// The settings file at one path and the file of further settings beside it
// (moresettings.h), with their errors reported through the dialogs: what
// the window and the options dialog read and write. read() is
// ReadSettingFile's result; the further settings always load.
class SettingsStore {
  public:
    SettingsStore(QString path, Dialogs& dialogs) : path_(std::move(path)), dialogs_(&dialogs) {}
    bool read(GlobalSettings& settings) const;
    bool write(const GlobalSettings& settings) const;
    const QString& path() const { return path_; }

  private:
    QString path_;
    Dialogs* dialogs_;
};

// The file's text for these settings: nine lines, each ended by CR LF.
QString SettingFileText(const GlobalSettings& settings);

}  // namespace pelmora
