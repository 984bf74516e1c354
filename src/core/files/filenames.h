#pragma once
// The naming rules in one place: which names are Word documents, the name a
// document gets from its title, and the names a file may not take. Qt Core
// only.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "titles/titlerules.h"

namespace pelmora {

// Every kind of document the program can list, as extensions with their
// dots, in the order the options dialog shows them: Word 97-2003 and Office
// Open XML documents and templates, WPS, OpenDocument text and templates,
// RTF.
const QStringList& DocumentExtensions();
// The kinds listed until the user chooses others.
const QStringList& DefaultListedExtensions();
// The file dialogs' filter for these kinds, in both letter cases, since some
// desktop dialogs match patterns case-sensitively.
QString DocumentFileFilter(const QStringList& kinds);

// True for a name that the program lists as one of these kinds: the
// extension in any letter case, after at least one other character.
bool IsListedFileName(const QString& name, const QStringList& kinds);

// The name a file gets from its title: the title followed by the file's own
// extension in lower case when that is a document kind the program knows
// (DocumentExtensions); any other file takes ".doc".
QString RenamedFileName(const QString& fileName, const QString& title);
// That extension alone, with its dot.
QString RenamedExtension(const QString& fileName);

// FormatTitleText, IsGoodFilenameText and ReplaceIllegalText over QString.
std::optional<QString> FormatTitle(const QString& title, int16_t maxword, TitleRules rules = {});
int16_t IsGoodFilename(const QString& file);
QString ReplaceIllegal(const QString& text);

// True when Windows refuses the name as a file name: empty, a control
// character U+0000 to U+001F, one of " * / : < > ? \ |, or a reserved device
// name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without extension); also
// a name holding an unpaired surrogate, which has no exact form on disk here.
bool IsRefusedFileName(const QString& name);

// What a renamed file may not be called: a name IsRefusedFileName refuses,
// or one that would be hidden (a leading dot).
bool IsRefusedNewName(const QString& name);

}  // namespace pelmora
