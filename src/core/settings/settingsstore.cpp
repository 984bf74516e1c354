#include "core/settings/settingsstore.h"

#include <cerrno>

#include "core/dialogs.h"
#include "core/settings/codec.h"
#include "core/settings/fileio.h"
#include "core/settings/moresettings.h"
#include "core/settings/number.h"
#include "titles/rawtitle.h"

namespace pelmora {

namespace {

// Nine lines of a few hundred bytes at most; anything far larger is no
// settings file and is not read into memory.
constexpr qint64 kMaxSettingsFileBytes = 1 << 20;
constexpr int kMaxLines = 10;

void Report(Dialogs& dialogs, const QString& text) {
    MessageRequest request;
    request.text = text;
    request.buttons = MsgButtons::Ok;
    dialogs.message(request);
}

void ReportRead(Dialogs& dialogs, const QString& path, const QString& reason) {
    Report(dialogs, QStringLiteral("读取设置文件时出错：%1\n%2").arg(reason, path));
}

// Splits at CR LF, a lone LF or a lone CR (files edited by hand on any
// system). A line end at the very end of the text starts no further line.
QStringList SplitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) ++i;
            start = ++i;
            // Eleven lines are already an error; no need to split the rest.
            if (lines.size() > kMaxLines) return lines;
        } else {
            ++i;
        }
    }
    if (start < n) lines.append(text.mid(start));
    return lines;
}

}  // namespace

bool ReadSettingFile(const QString& path, GlobalSettings& settings, Dialogs& dialogs) {
    QByteArray bytes;
    if (const int error = ReadWholeFile(path, kMaxSettingsFileBytes, bytes); error != 0) {
        if (error == EINVAL && NotAFileError(path) == EINVAL) {
            ReportRead(dialogs, path,
                       QStringLiteral("它不是普通文件(可能是设备、管道或指向它们的链接),"
                                      "程序不读取也不改写它;这次使用默认设置,"
                                      "设置只在程序运行期间有效。"));
            return false;
        }
        ReportRead(dialogs, path, FileErrorText(error));
        return false;
    }
    const QStringList lines = SplitLines(DecodeGb18030(bytes));

    // The value of each line: the text between its first and second "=".
    QString values[kMaxLines];
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i >= kMaxLines) {
            ReportRead(dialogs, path, QStringLiteral("文件超过%1行。").arg(kMaxLines));
            return false;
        }
        const QString& line = lines.at(i);
        const qsizetype first = line.indexOf(QLatin1Char('='));
        if (first < 0) {
            ReportRead(dialogs, path,
                       QStringLiteral("第%1行没有“=”%2。")
                           .arg(i + 1)
                           .arg(line.isEmpty() ? QStringLiteral("(空行)") : QString()));
            return false;
        }
        const qsizetype second = line.indexOf(QLatin1Char('='), first + 1);
        values[i] = line.mid(first + 1, second < 0 ? -1 : second - first - 1);
    }

    // Fields in file order; a number out of range stops here, with the
    // fields before it already assigned.
    const auto boolean = [](const QString& v) { return v == QLatin1String("true"); };
    const auto number = [&](int index, int16_t& field) {
        const SettingNumber n = ParseSettingNumber(values[index]);
        if (!n.inRange) {
            ReportRead(dialogs, path,
                       QStringLiteral("第%1行的数值超出范围(-32768～32767)。").arg(index + 1));
            return false;
        }
        field = n.value;
        return true;
    };
    settings.globalFirst = boolean(values[0]);
    settings.globalSubdir = boolean(values[1]);
    settings.globalOnlyenglish = boolean(values[2]);
    if (!number(3, settings.globalMaxword)) return false;
    settings.globalDefaultDir = values[4];
    if (!number(5, settings.globalGetTitleMode)) return false;
    if (!number(6, settings.globalStartpragraph)) return false;
    if (!number(7, settings.globalStartpos)) return false;
    if (!number(8, settings.globalWordcount)) return false;
    return true;
}

QString SettingFileText(const GlobalSettings& s) {
    const QString crlf = QStringLiteral("\r\n");
    QString text;
    text += (s.globalFirst ? QStringLiteral("First=true") : QStringLiteral("First=False ")) + crlf;
    text +=
        (s.globalSubdir ? QStringLiteral("Subdir=true") : QStringLiteral("Subdir=false")) + crlf;
    text += (s.globalOnlyenglish ? QStringLiteral("Onlyenglish=true")
                                 : QStringLiteral("Onlyenglish=false")) +
            crlf;
    text += QStringLiteral("Maxword=") + FormatSettingNumber(s.globalMaxword) + crlf;
    text += QStringLiteral("DefaultDir=") + s.globalDefaultDir + crlf;
    text += QStringLiteral("GetTitleMode=") + FormatSettingNumber(s.globalGetTitleMode) + crlf;
    text += QStringLiteral("Startpragraph=") + FormatSettingNumber(s.globalStartpragraph) + crlf;
    text += QStringLiteral("Startpos=") + FormatSettingNumber(s.globalStartpos) + crlf;
    text += QStringLiteral("Wordcount=") + FormatSettingNumber(s.globalWordcount) + crlf;
    return text;
}

bool WriteSettingFile(const QString& path, const GlobalSettings& settings, Dialogs& dialogs) {
    const QString reportText = QStringLiteral("保存设置文件时出错：%1\n%2");
    const std::optional<QByteArray> bytes = EncodeGb18030(SettingFileText(settings));
    if (!bytes) {
        Report(dialogs, reportText.arg(QStringLiteral("设置中有无法保存的字符。"), path));
        return true;
    }
    // A file we may not read may hold settings the user wants: it stays as it
    // is, and the settings live on in memory only.
    if (const int error = ReadableOrAbsent(path); error != 0) {
        Report(dialogs,
               reportText.arg(FileErrorText(error) +
                                  QStringLiteral("设置文件无法读取，为免丢失其内容，没有覆盖它；"
                                                 "这次的设置只在程序运行期间有效。"),
                              path));
        return true;
    }
    if (const int error = ReplaceFileAtomically(path, *bytes); error != 0)
        Report(dialogs, reportText.arg(WriteErrorText(error), path));
    return true;
}

void SetDefaultSettings(GlobalSettings& settings, const QString& programDir) {
    settings.globalFirst = false;
    settings.globalSubdir = false;
    settings.globalOnlyenglish = true;
    settings.globalMaxword = 25;
    settings.globalDefaultDir = programDir;
    settings.globalGetTitleMode = int16_t(TitleMode::TitleModeFirstParagraph);
    settings.globalStartpragraph = 5;
    settings.globalStartpos = 1;
    settings.globalWordcount = 25;
}

bool SettingsStore::read(GlobalSettings& settings) const {
    const bool ok = ReadSettingFile(path_, settings, *dialogs_);
    ReadMoreSettings(MoreSettingsPath(path_), settings);
    return ok;
}

bool SettingsStore::write(const GlobalSettings& settings) const {
    WriteSettingFile(path_, settings, *dialogs_);
    WriteMoreSettings(MoreSettingsPath(path_), settings, *dialogs_);
    return true;
}

}  // namespace pelmora
