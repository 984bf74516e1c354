#pragma once
// The toolbar images and the window icon, drawn in code so the program ships
// no image files.

#include <QIcon>
#include <QImage>
#include <QString>

namespace pelmora {

// The image of a toolbar button by its key; a blank icon for an unknown key.
QIcon ToolbarIcon(const QString& key);
// The main window's icon.
QIcon AppIcon();
// The same picture drawn at size x size pixels, for the desktop's icon theme.
QImage AppIconImage(int size);

}  // namespace pelmora
