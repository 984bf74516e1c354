#include "core/rename/journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "core/files/files.h"
#include "core/files/paths.h"
#include "core/settings/fileio.h"

namespace pelmora {

namespace {

const QByteArray kHeader = QByteArrayLiteral("pelmora rename journal 2");
const QByteArray kHeaderV1 = QByteArrayLiteral("pelmora rename journal 1");
constexpr qint64 kMaxJournalBytes = 256ll * 1024 * 1024;

QByteArray Escape(const QString& path) {
    const QByteArray utf8 = path.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
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
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                return std::nullopt;
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

std::optional<size_t> ParseIndex(const QByteArray& text, size_t count) {
    bool ok = false;
    const qulonglong i = text.toULongLong(&ok);
    if (!ok || i >= count) return std::nullopt;
    return size_t(i);
}

QByteArray IdentityFields(const FileIdentity& id, bool full) {
    QByteArray out = '\t' + QByteArray::number(qulonglong(id.device)) + '\t' +
                     QByteArray::number(qulonglong(id.inode));
    if (full)
        out += '\t' + QByteArray::number(qlonglong(id.size)) + '\t' +
               QByteArray::number(qlonglong(id.mtimeNs));
    return out;
}

std::optional<FileIdentity> ParseIdentity(const QList<QByteArray>& f, bool full) {
    if (f.size() != (full ? 6 : 4)) return std::nullopt;
    bool ok[4] = {true, true, true, true};
    FileIdentity id;
    id.device = f[2].toULongLong(&ok[0]);
    id.inode = f[3].toULongLong(&ok[1]);
    if (full) {
        id.size = f[4].toLongLong(&ok[2]);
        id.mtimeNs = f[5].toLongLong(&ok[3]);
    }
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3]) return std::nullopt;
    return id;
}

// Writes the plan to a new file beside target, synced, and gives it the
// name; fd stays open on it for the marks. Reopening the journal by its name
// could append to a file another process put there since.
int WritePlan(const QByteArray& target, const QByteArray& text, int& fd) {
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0    ? QByteArray(".")
                              : slash == 0 ? QByteArray("/")
                                           : target.left(slash);
    QByteArray temp =
        folder + '/' + kTempPrefix + QByteArray::number(qint64(::getpid())) + "-XXXXXX";
    const int out = ::mkostemp(temp.data(), O_CLOEXEC | O_APPEND);
    if (out < 0) return errno;
    int err = 0;
    if (!WriteAll(out, text) || (::fsync(out) != 0 && errno != EINVAL))
        err = errno;
    else if (::rename(temp.constData(), target.constData()) != 0)
        err = errno;
    if (err != 0) {
        ::close(out);
        ::unlink(temp.constData());
        return err;
    }
    // The name must be on disk before the first file moves.
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    fd = out;
    return 0;
}

}  // namespace

QString RenameJournal::PreviousPath(const QString& path) { return path + QStringLiteral(".prev"); }

QString RenameJournal::PathBesideSettings(const QString& settingsPath) {
    return JoinPath(QFileInfo(settingsPath).absolutePath(), QStringLiteral("lastrename.journal"));
}

RenameJournal::RenameJournal(QString path) : path_(std::move(path)) {}

RenameJournal::~RenameJournal() { finish(); }

bool RenameJournal::begin(const std::vector<std::pair<QString, QString>>& moves, QString* error) {
    finish();
    QByteArray text = kHeader + '\n' + "pid\t" + QByteArray::number(qint64(::getpid())) + '\n';
    for (const auto& [from, to] : moves) text += "move\t" + Escape(from) + '\t' + Escape(to) + '\n';

    auto fail = [&](int err, const QString& why = {}) {
        lastError_ = err;
        if (error) *error = why.isEmpty() ? QString::fromLocal8Bit(strerror(err)) : why;
        return false;
    };
    const QByteArray target = QFile::encodeName(path_);
    const QByteArray previous = QFile::encodeName(PreviousPath(path_));
    // A device, a pipe or a link to one in the journal's place is not ours
    // to move aside or replace.
    if (const int err = NotAFileError(path_))
        return fail(err, err == EISDIR
                             ? QStringLiteral("改名记录的位置是一个文件夹,没有改动它。")
                             : QStringLiteral("改名记录不是普通文件(可能是设备、管道或指向它们的"
                                              "链接),没有改动它。"));
    // The previous batch stays undoable until this one has moved a file.
    // A stale ".prev" of a batch that did move something is replaced.
    const bool hadPrevious = ::rename(target.constData(), previous.constData()) == 0;
    const int err = WritePlan(target, text, fd_);
    if (err != 0) {
        if (hadPrevious) ::rename(previous.constData(), target.constData());
        return fail(err);
    }
    if (!hadPrevious) ::unlink(previous.constData());
    begun_ = true;
    return true;
}

bool RenameJournal::openForMarks() {
    if (fd_ >= 0) return true;
    const QByteArray native = QFile::encodeName(path_);
    if (const int err = NotAFileError(path_)) {
        lastError_ = err;
        return false;
    }
    fd_ = ::open(native.constData(), O_RDWR | O_APPEND | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        lastError_ = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        lastError_ = EINVAL;  // swapped for a device or a pipe since the check
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    // A mark cut short (a crash, a full disk) must not run into the next one.
    char last = '\n';
    const off_t size = ::lseek(fd_, 0, SEEK_END);
    if (size > 0 && ::pread(fd_, &last, 1, size - 1) == 1 && last != '\n') WriteAll(fd_, "\n");
    return true;
}

bool RenameJournal::appendLine(const QByteArray& line) {
    // Written straight to the file, not buffered: a crash of the program
    // after this call leaves the mark in place.
    if (fd_ < 0) {
        if (lastError_ == 0) lastError_ = EBADF;
        return false;
    }
    if (!WriteAll(fd_, line + '\n')) {
        lastError_ = errno;
        return false;
    }
    return true;
}

bool RenameJournal::markBegun(size_t i, const FileIdentity& source) {
    return appendLine("begun\t" + QByteArray::number(qulonglong(i)) + IdentityFields(source, true));
}

bool RenameJournal::markPlaced(size_t i, const FileIdentity& copy) {
    return appendLine("placed\t" + QByteArray::number(qulonglong(i)) + IdentityFields(copy, false));
}

bool RenameJournal::markBack(size_t i, const FileIdentity& copy) {
    return appendLine("back\t" + QByteArray::number(qulonglong(i)) + IdentityFields(copy, false));
}

bool RenameJournal::markDone(size_t i) {
    return appendLine("done\t" + QByteArray::number(qulonglong(i)));
}

bool RenameJournal::markUndone(size_t i) {
    return appendLine("undone\t" + QByteArray::number(qulonglong(i)));
}

void RenameJournal::finish(bool keep) {
    if (fd_ >= 0) {
        ::fdatasync(fd_);
        ::close(fd_);
        fd_ = -1;
    }
    if (!begun_) return;
    begun_ = false;
    const QByteArray target = QFile::encodeName(path_);
    const QByteArray previous = QFile::encodeName(PreviousPath(path_));
    if (keep) {
        ::unlink(previous.constData());
    } else if (::rename(previous.constData(), target.constData()) != 0 && errno == ENOENT) {
        ::unlink(target.constData());  // there was no earlier batch
    }
}

std::optional<std::vector<JournalEntry>> RenameJournal::Read(const QString& path, long* writerPid) {
    if (writerPid) *writerPid = 0;
    // Never opened when it is a device or a pipe: a pipe would wait for ever.
    QByteArray all;
    if (ReadWholeFile(path, kMaxJournalBytes, all) != 0) return std::nullopt;
    const QList<QByteArray> lines = all.split('\n');
    if (lines.isEmpty() || (lines.front() != kHeader && lines.front() != kHeaderV1))
        return std::nullopt;

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
            if (f[0] == "done")
                entries[*i].done = true;
            else
                entries[*i].undone = true;
        } else if (f.size() == 2 && f[0] == "pid") {
            if (writerPid) *writerPid = f[1].toLong();
        } else if (f.size() >= 4 && (f[0] == "begun" || f[0] == "placed" || f[0] == "back")) {
            if (n == lines.size() - 1 && !all.endsWith('\n')) continue;
            const std::optional<size_t> i = ParseIndex(f[1], entries.size());
            const std::optional<FileIdentity> id = ParseIdentity(f, f[0] == "begun");
            if (!i || !id) continue;
            JournalEntry& e = entries[*i];
            if (f[0] == "begun")
                e.source = *id;
            else if (f[0] == "placed")
                e.placed.push_back(*id);
            else
                e.back.push_back(*id);
        }
    }
    return entries;
}

}  // namespace pelmora
