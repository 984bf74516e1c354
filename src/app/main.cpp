#include <QApplication>

#include "gui/form1.h"
#include "gui/icons.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelmora"));
    QApplication::setWindowIcon(pelmora::AppIcon());
    pelmora::Form1 window;
    window.show();
    window.listArguments(QCoreApplication::arguments().mid(1));  // "pelmora FILE|FOLDER..."
    return app.exec();
}
