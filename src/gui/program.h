#pragma once
// What main() does before and around the window: the command line's own
// options, and Qt's Chinese translations for the dialogs Qt draws itself.

#include <QString>
#include <QStringList>

class QLocale;
class QTranslator;

namespace pelmora {

struct ProgramArguments {
    enum class Kind { Run, Help, Version, Error };
    Kind kind = Kind::Run;
    QString error;  // for Error: what was wrong
};

// Judges the arguments after the program's name: "--help"/"-h" and
// "--version"/"-V" before a "--" win; any other word starting with "-"
// before "--" is an error (Qt's own options are taken off beforehand);
// everything else is a file or folder to list.
ProgramArguments ParseProgramArguments(const QStringList& arguments);

QString UsageText();
QString VersionText();

// Installs Qt's own translations (qtbase: the file dialogs' and message
// boxes' buttons and labels) in the system locale's Chinese, zh_CN unless
// the system speaks another Chinese: the interface is Chinese whatever the
// locale. Looks in Qt's translations folder, then in "translations" beside
// the program (a portable copy). Returns the installed translator, owned by
// the application, or null when no file was found.
QTranslator* InstallQtTranslations(const QLocale& system);

}  // namespace pelmora
