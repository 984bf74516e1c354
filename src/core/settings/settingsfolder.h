#pragma once
// Where userdata.ini and the rename journal beside it live.

#include <QString>

namespace pelmora {

// The program's own folder when it holds userdata.ini or the user may write
// there (portable use); otherwise the per-user folder "pelmora" under
// xdgConfigHome, or under home + "/.config" when xdgConfigHome is empty or
// relative. Nothing is created.
QString ChooseSettingsFolder(const QString& programFolder, const QString& xdgConfigHome,
                             const QString& home);

// The same choice for this process, from $XDG_CONFIG_HOME and $HOME; the
// per-user folder is created (mode 0700) when it is missing, and *created
// (when given) tells whether that happened now.
QString SettingsFolder(const QString& programFolder, bool* created = nullptr);

}  // namespace pelmora
