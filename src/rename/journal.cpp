#include "rename/journal.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/paths.h"

namespace pelmora {

namespace {

const QByteArray kHeader = QByteArrayLiteral("pelmora rename journal 1");
constexpr qint64 kMaxJournalBytes = 256ll * 1024 * 1024;

QByteArray Escape(const QString& path) {
    const QByteArray utf8 = path.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

std::optional<QString> Unescape(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        if (++i >= field.size()) return std::nullopt;
        switch (field[i]) {
            case '\\': out += '\\'; break;
            case 't': out += '\t'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            default: return std::nullopt;
        }
    }
    return QString::fromUtf8(out);
}

bool WriteAll(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= size_t(n);
    }
    return true;
}

void SyncFolderOf(const QByteArray& path) {
    const int slash = path.lastIndexOf('/');
    const QByteArray folder = slash <= 0 ? QByteArray(slash == 0 ? "/" : ".") : path.left(slash);
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

std::optional<size_t> ParseIndex(const QByteArray& text, size_t count) {
    bool ok = false;
    const qulonglong i = text.toULongLong(&ok);
    if (!ok || i >= count) return std::nullopt;
    return size_t(i);
}

}  // namespace

QString RenameJournal::PathBesideSettings(const QString& settingsPath) {
    return JoinPath(QFileInfo(settingsPath).absolutePath(), QStringLiteral("lastrename.journal"));
}

RenameJournal::RenameJournal(QString path) : path_(std::move(path)) {}

RenameJournal::~RenameJournal() { finish(); }

bool RenameJournal::begin(const std::vector<std::pair<QString, QString>>& moves, QString* error) {
    finish();
    QByteArray text = kHeader + '\n';
    for (const auto& [from, to] : moves) text += "move\t" + Escape(from) + '\t' + Escape(to) + '\n';

    const QByteArray target = QFile::encodeName(path_);
    QByteArray temp = target + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    auto fail = [&](int err) {
        if (error) *error = QString::fromLocal8Bit(strerror(err));
        return false;
    };
    if (fd < 0) return fail(errno);
    if (!WriteAll(fd, text) || ::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        ::unlink(temp.constData());
        return fail(err);
    }
    ::close(fd);
    // The new plan replaces the old one whole or not at all.
    if (::rename(temp.constData(), target.constData()) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        return fail(err);
    }
    SyncFolderOf(target);
    if (!openForMarks()) return fail(errno);
    return true;
}

bool RenameJournal::openForMarks() {
    if (fd_ >= 0) return true;
    fd_ = ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    return fd_ >= 0;
}

bool RenameJournal::appendLine(const QByteArray& line) {
    // Written straight to the file, not buffered: a crash of the program
    // after this call leaves the mark in place.
    return fd_ >= 0 && WriteAll(fd_, line + '\n');
}

bool RenameJournal::markDone(size_t i) { return appendLine("done\t" + QByteArray::number(qulonglong(i))); }

bool RenameJournal::markUndone(size_t i) {
    return appendLine("undone\t" + QByteArray::number(qulonglong(i)));
}

void RenameJournal::finish() {
    if (fd_ < 0) return;
    ::fdatasync(fd_);
    ::close(fd_);
    fd_ = -1;
}

std::optional<std::vector<JournalEntry>> RenameJournal::Read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxJournalBytes) return std::nullopt;
    const QByteArray all = file.readAll();
    const QList<QByteArray> lines = all.split('\n');
    if (lines.isEmpty() || lines.front() != kHeader) return std::nullopt;

    std::vector<JournalEntry> entries;
    for (qsizetype n = 1; n < lines.size(); ++n) {
        const QByteArray& line = lines[n];
        if (line.isEmpty()) continue;
        const QList<QByteArray> f = line.split('\t');
        if (f.size() == 3 && f[0] == "move") {
            const std::optional<QString> from = Unescape(f[1]);
            const std::optional<QString> to = Unescape(f[2]);
            if (!from || !to || from->isEmpty() || to->isEmpty()) return std::nullopt;
            entries.push_back({*from, *to, false, false});
        } else if (f.size() == 2 && (f[0] == "done" || f[0] == "undone")) {
            // A line cut short by a crash mid-write names no move, or a wrong
            // one only if digits were lost: those past the plan are ignored.
            if (n == lines.size() - 1 && !all.endsWith('\n')) continue;
            const std::optional<size_t> i = ParseIndex(f[1], entries.size());
            if (!i) continue;
            if (f[0] == "done") entries[*i].done = true;
            else entries[*i].undone = true;
        }
    }
    return entries;
}

size_t UndoReport::undone() const {
    size_t n = 0;
    for (const UndoneMove& m : moves) n += m.code == 0;
    return n;
}

size_t UndoReport::failed() const { return moves.size() - undone(); }

UndoReport UndoLastBatch(const QString& journalPath) {
    UndoReport report;
    const std::optional<std::vector<JournalEntry>> entries = RenameJournal::Read(journalPath);
    if (!entries) return report;
    report.hadJournal = true;

    RenameJournal journal(journalPath);
    const bool canMark = journal.openForMarks();
    size_t left = 0;
    for (size_t k = entries->size(); k-- > 0;) {
        const JournalEntry& e = (*entries)[k];
        if (!e.done || e.undone) continue;
        // MoveFile never replaces: a file that has appeared at the old path stays.
        const int32_t code = platform::MoveFile(e.to, e.from);
        if (code == 0 && canMark) journal.markUndone(k);
        if (code != 0) ++left;
        report.moves.push_back({k, e.from, e.to, code});
    }
    journal.finish();
    if (left == 0) QFile::remove(journalPath);
    return report;
}

}  // namespace pelmora
