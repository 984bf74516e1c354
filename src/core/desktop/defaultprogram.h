#pragma once
// Which program the desktop opens a document with, asked as the desktop's
// own opener (xdg-open) asks, so that a row is never handed back to this
// program, and a document no program can show is said to be so.

#include <QString>

namespace pelmora {

// This program's desktop entry, as the package installs it.
inline const QString kDesktopEntryId = QStringLiteral("org.pelmora.Pelmora.desktop");

struct DefaultProgram {
    enum class Kind {
        Unknown,  // the desktop could not be asked (no xdg-mime): just try
        None,     // no program is set for the document's type
        Found,
    };
    Kind kind = Kind::Unknown;
    QString entryId;  // "org.example.Viewer.desktop"
    QString command;  // the program its Exec line runs, as written there
};

// The document's type by `xdg-mime query filetype` (the shared MIME database
// when that answers nothing), then `xdg-mime query default` for that type,
// and the Exec line of the entry found in the applications folders.
DefaultProgram LookUpDefaultProgram(const QString& path);

// True when the entry is this program's own: our entry id, or an Exec line
// that runs a program of this one's name (an entry a user made by "open
// with" a custom command).
bool IsThisProgram(const DefaultProgram& program, const QString& thisProgramPath);

// The program an Exec line runs: its first word, quotes taken off, past an
// "env" and its variable settings.
QString ExecProgram(const QString& exec);

}  // namespace pelmora
