#pragma once
// The settings userdata.ini has no line for. That file is nine lines read by
// position, and other copies of the program read it too: a tenth setting
// there would break them. These live in a small file of their own beside it,
// "pelmora-options.ini": UTF-8 lines "Key=value", read by key, so a file
// written by a newer copy still reads and keeps the keys it does not know.

#include <QByteArray>
#include <QString>

#include "core/settings/globalsettings.h"

namespace pelmora {

class Dialogs;

// The file beside the settings file at settingsFile.
QString MoreSettingsPath(const QString& settingsFile);

// Loads the file into the settings. Never fails and reports nothing: a
// missing or unreadable file gives every default, a key missing or with a
// value that makes no sense gives that setting's default.
void ReadMoreSettings(const QString& path, GlobalSettings& settings);

// Writes the file atomically, keeping the lines of keys it does not know. A
// file that may not be read (permissions) is left as it is. Errors are
// reported in a message box.
void WriteMoreSettings(const QString& path, const GlobalSettings& settings, Dialogs& dialogs);

// The file's text for these settings, after the unknown keys' lines of
// `old` (the file as it was).
QString MoreSettingsText(const GlobalSettings& settings, const QByteArray& old = {});

// Only these from the file's text, without touching the disk.
void ParseMoreSettings(const QByteArray& bytes, GlobalSettings& settings);

}  // namespace pelmora
