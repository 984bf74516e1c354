#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "platform/files.h"

namespace pelmora {

class Form1;

// "btnDir": replaces the rows by the .doc files of one picked folder.
void AddFolderCommand(Form1& form);
// "btnFile": replaces the rows by the files picked in the open-file dialog.
void AddFilesCommand(Form1& form);
// "btnDir" once its folder is known: the folder's documents by the
// settings' filters, or the no-document message.
void AddFolder(Form1& form, const QString& folder);
// Replaces the document rows by the given files, in order, and sets
// globalFilecount.
void FillRows(Form1& form, const std::vector<platform::FoundFile>& files);

// True for a name that the program lists as a Word document: .doc, .docx or
// .docm in any letter case.
bool IsWordFileName(const QString& name);
// Whether a drop of these paths would list anything: a folder, or a Word file.
bool IsDroppable(const QStringList& paths);
// Files or folders dropped from the file manager. Files only: their Word
// files, as picked ones, each with its own folder. One folder alone: as
// "btnDir" with that folder. Several folders, or folders and files: the
// folders' documents by the same filters and the dropped Word files, in the
// order dropped, each with its own folder.
void AddDroppedCommand(Form1& form, const QStringList& paths);
// -1 when the text holds a character that GBK encodes in two bytes, else 0.
int16_t IsChineseText(const QString& text);

}  // namespace pelmora
