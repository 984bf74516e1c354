#pragma once
// Placing a control of a fixed-layout window: its objectName, by which tests
// and the window's fields know it, and its geometry in pixels.

#include <QString>
#include <QWidget>

namespace pelmora {

template <typename W>
W* Named(W* widget, const char* name, int x, int y, int w, int h) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

}  // namespace pelmora
