#include "core/desktop/defaultprogram.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <optional>

namespace pelmora {

namespace {

// xdg-mime is a shell script that greps a few files; on a desktop that hands
// the question to its own tool it still answers in well under this.
constexpr int kAskTimeoutMs = 5000;

// One line of xdg-mime's answer; nothing when it cannot be run or fails.
std::optional<QString> AskXdgMime(const QStringList& arguments) {
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (exe.isEmpty()) return std::nullopt;
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(exe, arguments);
    if (!process.waitForFinished(kAskTimeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    return out.section(QLatin1Char('\n'), 0, 0).trimmed();
}

// The Exec value of the entry's [Desktop Entry] group.
QString ReadExec(const QString& entryFile) {
    QFile file(entryFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return QString();
    bool inEntry = false;
    // Desktop entries are small; a bound keeps a strange file from holding us.
    for (int lines = 0; lines < 10000 && !file.atEnd(); ++lines) {
        const QString line = QString::fromUtf8(file.readLine(64 * 1024)).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == QLatin1String("Exec"))
            return line.mid(eq + 1).trimmed();
    }
    return QString();
}

// The words of an Exec line: blanks split, double quotes group, a backslash
// in quotes escapes the next character.
QStringList ExecWords(const QString& exec) {
    QStringList words;
    QString word;
    bool quoted = false, any = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
                word += exec[++i];
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                word += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = any = true;
        } else if (c.isSpace()) {
            if (any || !word.isEmpty()) words << word;
            word.clear();
            any = false;
        } else {
            word += c;
        }
    }
    if (any || !word.isEmpty()) words << word;
    return words;
}

}  // namespace

QString ExecProgram(const QString& exec) {
    const QStringList words = ExecWords(exec);
    qsizetype i = 0;
    if (i < words.size() && QFileInfo(words[i]).fileName() == QLatin1String("env")) {
        ++i;
        while (i < words.size() &&
               (words[i].contains(QLatin1Char('=')) || words[i].startsWith(QLatin1Char('-')))) {
            // -u NAME and --unset NAME take the next word along.
            if (words[i] == QLatin1String("-u") || words[i] == QLatin1String("--unset")) ++i;
            ++i;
        }
    }
    return i < words.size() ? words[i] : QString();
}

DefaultProgram LookUpDefaultProgram(const QString& path) {
    DefaultProgram program;
    // xdg-open takes the type from xdg-mime too; its own guess needs a tool
    // (file, mimetype) that may be missing, where the database still knows.
    QString type = AskXdgMime({QStringLiteral("query"), QStringLiteral("filetype"), path})
                       .value_or(QString())
                       .section(QLatin1Char(';'), 0, 0)
                       .trimmed();
    if (type.isEmpty()) type = QMimeDatabase().mimeTypeForFile(path).name();
    const std::optional<QString> entry =
        AskXdgMime({QStringLiteral("query"), QStringLiteral("default"), type});
    if (!entry) return program;  // Unknown
    if (entry->isEmpty()) {
        program.kind = DefaultProgram::Kind::None;
        return program;
    }
    program.kind = DefaultProgram::Kind::Found;
    program.entryId = *entry;
    QString file = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, *entry);
    // An id "kde4-foo.desktop" may stand for kde4/foo.desktop.
    if (file.isEmpty() && entry->contains(QLatin1Char('-')))
        file = QStandardPaths::locate(QStandardPaths::ApplicationsLocation,
                                      QString(*entry).replace(QLatin1Char('-'), QLatin1Char('/')));
    if (!file.isEmpty()) program.command = ExecProgram(ReadExec(file));
    return program;
}

bool IsThisProgram(const DefaultProgram& program, const QString& thisProgramPath) {
    if (program.kind != DefaultProgram::Kind::Found) return false;
    if (program.entryId == kDesktopEntryId) return true;
    if (program.command.isEmpty()) return false;
    const QFileInfo command(program.command);
    const QFileInfo self(thisProgramPath);
    if (command.fileName() == QLatin1String("pelmora") || command.fileName() == self.fileName())
        return true;
    // The same file under another name (a link); a missing file is no match.
    const QString canonical = command.isAbsolute() ? command.canonicalFilePath() : QString();
    return !canonical.isEmpty() && canonical == self.canonicalFilePath();
}

}  // namespace pelmora
