#pragma once
// The file-name side of the title rules: which names are Word documents, and
// the name a document gets from its title. Qt Core only.

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

}  // namespace pelmora
