#pragma once
// The naming rules in one place: which names are Word documents, the name a
// document gets from its title, and the names a file may not take. Qt Core
// only.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace pelmora {

// The extensions the program lists and keeps, with their dots; the first is
// the one any other file takes.
const QStringList& WordExtensions();
// The file dialogs' filter for them, in both letter cases, since some desktop
// dialogs match patterns case-sensitively.
QString WordFileFilter();

// True for a name that the program lists as a Word document: .doc, .docx or
// .docm in any letter case, after at least one other character.
bool IsWordFileName(const QString& name);

// The name a file gets from its title: the title followed by the file's own
// extension in lower case when that is a Word extension (.doc, .docx,
// .docm); any other file takes ".doc".
QString RenamedFileName(const QString& fileName, const QString& title);
// That extension alone, with its dot: ".doc", ".docx" or ".docm".
QString RenamedExtension(const QString& fileName);

// FormatTitleText and IsGoodFilenameText over QString.
std::optional<QString> FormatTitle(const QString& title, int16_t maxword);
int16_t IsGoodFilename(const QString& file);

// True when Windows refuses the name as a file name: empty, a control
// character U+0000 to U+001F, one of " * / : < > ? \ |, or a reserved device
// name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without extension); also
// a name holding an unpaired surrogate, which has no exact form on disk here.
bool IsRefusedFileName(const QString& name);

// What a renamed file may not be called: a name IsRefusedFileName refuses,
// or one that would be hidden (a leading dot).
bool IsRefusedNewName(const QString& name);

}  // namespace pelmora
