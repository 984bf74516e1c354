#include <QApplication>
#include <QLocale>
#include <cstdio>

#include "gui/form1.h"
#include "gui/icons.h"
#include "gui/program.h"

namespace {

QStringList Arguments(int argc, char** argv) {
    QStringList list;
    for (int i = 1; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
    return list;
}

int Print(std::FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    return std::fflush(to) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    using pelmora::ProgramArguments;
    // Help and version before Qt: they need no display.
    const ProgramArguments early = pelmora::ParseProgramArguments(Arguments(argc, argv));
    if (early.kind == ProgramArguments::Kind::Help) return Print(stdout, pelmora::UsageText());
    if (early.kind == ProgramArguments::Kind::Version) return Print(stdout, pelmora::VersionText());

    QApplication app(argc, argv);
    // Qt has taken its own options (-platform, -style ...) off by now.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const ProgramArguments late = pelmora::ParseProgramArguments(arguments);
    if (late.kind == ProgramArguments::Kind::Error) {
        Print(stderr, QStringLiteral("pelmora: ") + late.error +
                          QStringLiteral(" (pelmora --help lists the options)\n"));
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("Pelmora"));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));
    QApplication::setWindowIcon(pelmora::AppIcon());
    pelmora::InstallQtTranslations(QLocale::system());
    pelmora::Form1 window;
    window.show();
    window.listArguments(arguments);  // "pelmora FILE|FOLDER..."
    return app.exec();
}
