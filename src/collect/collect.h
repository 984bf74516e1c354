#pragma once
#include <QString>
#include <cstdint>

namespace pelmora {

class Form1;

// "btnDir": replaces the rows by the .doc files of one picked folder.
void AddFolderCommand(Form1& form);
// "btnFile": replaces the rows by the files picked in the open-file dialog.
void AddFilesCommand(Form1& form);
// -1 when the text holds a character that GBK encodes in two bytes, else 0.
int16_t IsChineseText(const QString& text);

}  // namespace pelmora
