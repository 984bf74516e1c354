#pragma once
// The toolbar images and the window icon, drawn in code so the program ships
// no image files.

#include <QIcon>
#include <QString>

namespace pelmora {

// The image of a toolbar button by its key; a blank icon for an unknown key.
QIcon ToolbarIcon(const QString& key);
// The main window's icon.
QIcon AppIcon();

}  // namespace pelmora
