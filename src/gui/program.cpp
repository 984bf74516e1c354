#include "gui/program.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace pelmora {

ProgramArguments ParseProgramArguments(const QStringList& arguments) {
    ProgramArguments result;
    for (const QString& a : arguments) {
        if (a == QLatin1String("--")) break;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            result.kind = ProgramArguments::Kind::Help;
            return result;
        }
        if (a == QLatin1String("--version") || a == QLatin1String("-V")) {
            result.kind = ProgramArguments::Kind::Version;
            return result;
        }
        // "-" alone is a name like any other.
        if (a.size() > 1 && a.startsWith(QLatin1Char('-')) &&
            result.kind == ProgramArguments::Kind::Run) {
            result.kind = ProgramArguments::Kind::Error;
            result.error = QStringLiteral("unknown option ") + a;
        }
    }
    return result;
}

QString UsageText() {
    return QStringLiteral(
        "Usage: pelmora [--] [FILE|FOLDER]...\n"
        "Renames Word documents after the titles read out of them: the first\n"
        "paragraph, the page header or footer, a chosen paragraph, or the title\n"
        "found automatically (自动识别). The interface is in Chinese.\n"
        "\n"
        "  FILE|FOLDER  list these Word files and the documents of these folders\n"
        "               at start, as a drop on the list does\n"
        "  --           end of options: every argument after it is a file or folder\n"
        "  -h, --help   print this help and exit\n"
        "  -V, --version  print the version and exit\n"
        "\n"
        "Settings: userdata.ini in the program's own folder (a portable copy), else\n"
        "in $XDG_CONFIG_HOME/pelmora/ (~/.config/pelmora/).\n"
        "See man pelmora; titles on the command line: pelmora-titles.\n");
}

QString VersionText() { return QStringLiteral("pelmora 2.0\n"); }

QTranslator* InstallQtTranslations(const QLocale& system) {
    const QLocale chinese =
        system.language() == QLocale::Chinese ? system : QLocale(QLocale::Chinese, QLocale::China);
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString folders[] = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"))};
    for (const QString& folder : folders) {
        if (translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(translator))
            return translator;
    }
    delete translator;
    return nullptr;
}

}  // namespace pelmora
