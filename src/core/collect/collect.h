#pragma once
// Gathering the documents to list: a picked folder, picked files, or what
// the file manager drops. Each gathering replaces the rows.

#include <QString>
#include <QStringList>
#include <cstdint>

namespace pelmora {

class BatchList;
class Dialogs;
struct GlobalSettings;

// The documents are the files of the kinds the settings list (globalKinds).

// "btnDir": replaces the rows by the documents of one picked folder.
void AddFolderCommand(BatchList& list, const GlobalSettings& settings, Dialogs& dialogs);
// "btnFile": replaces the rows by the files picked in the open-file dialog,
// whose filter offers the listed kinds.
void AddFilesCommand(BatchList& list, const GlobalSettings& settings, Dialogs& dialogs);
// "btnDir" once its folder is known: the folder's documents by the
// settings' filters, and a message for the files the English-only setting
// left out; a folder without documents changes nothing and says so.
void AddFolder(BatchList& list, const GlobalSettings& settings, Dialogs& dialogs,
               const QString& folder);

// Whether a drop of these paths would list anything: a folder, or a file of
// one of the kinds listed.
bool IsDroppable(const QStringList& paths, const QStringList& kinds);
// Files or folders dropped from the file manager. Files only: those of the
// listed kinds, as picked ones, each with its own folder. One folder alone:
// as "btnDir" with that folder. Several folders, or folders and files: the
// folders' documents by the same filters and the dropped documents, in the
// order dropped, each with its own folder.
void AddDroppedCommand(BatchList& list, const GlobalSettings& settings, Dialogs& dialogs,
                       const QStringList& paths);
// -1 when the text holds a character that GBK encodes in two bytes, else 0.
int16_t IsChineseText(const QString& text);

}  // namespace pelmora
