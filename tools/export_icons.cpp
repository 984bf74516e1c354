// Writes the program icon as PNG files for the hicolor theme:
// OUT/NxN/apps/pelmora.png for every size the desktop asks for.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "gui/icons.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: export-icons OUT\n", stderr);
        return 2;
    }
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!QDir().mkpath(dir) ||
            !pelmora::AppIconImage(size).save(dir + QStringLiteral("/pelmora.png"))) {
            std::fprintf(stderr, "export-icons: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
