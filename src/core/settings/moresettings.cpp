#include "core/settings/moresettings.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <cerrno>

#include "core/dialogs.h"
#include "core/files/paths.h"
#include "core/settings/fileio.h"

namespace pelmora {

namespace {

// A handful of short lines; anything far larger is not this file.
constexpr qint64 kMaxBytes = 64 * 1024;

const QString kReplaceIllegal = QStringLiteral("ReplaceIllegal");
const QString kKeepBlanks = QStringLiteral("KeepBlanks");
const QString kKinds = QStringLiteral("Kinds");
const QString kNumberDuplicates = QStringLiteral("NumberDuplicates");

bool IsKnownKey(const QString& key) {
    return key == kReplaceIllegal || key == kKeepBlanks || key == kKinds ||
           key == kNumberDuplicates;
}

// "Key=value" with blanks around either ignored; comments and lines without
// "=" give no key.
bool SplitLine(const QString& line, QString& key, QString& value) {
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1Char('#')) || trimmed.startsWith(QLatin1Char(';'))) return false;
    const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
    if (eq <= 0) return false;
    key = trimmed.left(eq).trimmed();
    value = trimmed.mid(eq + 1).trimmed();
    return true;
}

QStringList Lines(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (utf8.hasError()) return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    return lines;
}

void SetDefaults(GlobalSettings& s) {
    const GlobalSettings defaults;
    s.globalReplaceIllegal = defaults.globalReplaceIllegal;
    s.globalKeepBlanks = defaults.globalKeepBlanks;
    s.globalKinds = defaults.globalKinds;
    s.globalNumberDuplicates = defaults.globalNumberDuplicates;
}

void ReadBoolean(const QString& value, bool& field) {
    if (value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        field = true;
    else if (value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        field = false;
}

// Known extensions in the dialog's order; none known keeps the default, so
// the program always lists something.
void ReadKinds(const QString& value, QStringList& field) {
    const QStringList given =
        value.toLower().split(QRegularExpression(QStringLiteral("[\\s,;]+")), Qt::SkipEmptyParts);
    QStringList kinds;
    for (const QString& ext : DocumentExtensions())
        if (given.contains(ext) || given.contains(ext.mid(1))) kinds << ext;
    if (!kinds.isEmpty()) field = kinds;
}

}  // namespace

QString MoreSettingsPath(const QString& settingsFile) {
    return JoinPath(QFileInfo(settingsFile).path(), QStringLiteral("pelmora-options.ini"));
}

void ParseMoreSettings(const QByteArray& bytes, GlobalSettings& settings) {
    SetDefaults(settings);
    for (const QString& line : Lines(bytes)) {
        QString key, value;
        if (!SplitLine(line, key, value)) continue;
        if (key == kReplaceIllegal)
            ReadBoolean(value, settings.globalReplaceIllegal);
        else if (key == kKeepBlanks)
            ReadBoolean(value, settings.globalKeepBlanks);
        else if (key == kKinds)
            ReadKinds(value, settings.globalKinds);
        else if (key == kNumberDuplicates)
            ReadBoolean(value, settings.globalNumberDuplicates);
    }
}

void ReadMoreSettings(const QString& path, GlobalSettings& settings) {
    QByteArray bytes;
    if (ReadWholeFile(path, kMaxBytes, bytes) != 0) bytes.clear();
    ParseMoreSettings(bytes, settings);
}

QString MoreSettingsText(const GlobalSettings& s, const QByteArray& old) {
    const QString crlf = QStringLiteral("\r\n");
    const auto boolean = [](bool b) {
        return b ? QStringLiteral("true") : QStringLiteral("false");
    };
    QString text = QStringLiteral("# Pelmora: the settings userdata.ini has no line for.") + crlf;
    for (const QString& line : Lines(old)) {
        QString key, value;
        if (SplitLine(line, key, value) && !IsKnownKey(key)) text += line + crlf;
    }
    text += kReplaceIllegal + QLatin1Char('=') + boolean(s.globalReplaceIllegal) + crlf;
    text += kKeepBlanks + QLatin1Char('=') + boolean(s.globalKeepBlanks) + crlf;
    text += kKinds + QLatin1Char('=') + s.globalKinds.join(QLatin1Char(' ')) + crlf;
    text += kNumberDuplicates + QLatin1Char('=') + boolean(s.globalNumberDuplicates) + crlf;
    return text;
}

void WriteMoreSettings(const QString& path, const GlobalSettings& settings, Dialogs& dialogs) {
    int error = ReadableOrAbsent(path);
    if (error == 0) {
        QByteArray old;
        if (ReadWholeFile(path, kMaxBytes, old) != 0) old.clear();
        error = ReplaceFileAtomically(path, MoreSettingsText(settings, old).toUtf8());
    }
    if (error == 0) return;
    MessageRequest request;
    request.text = QStringLiteral("保存设置文件时出错：%1\n%2").arg(WriteErrorText(error), path);
    request.buttons = MsgButtons::Ok;
    dialogs.message(request);
}

}  // namespace pelmora
