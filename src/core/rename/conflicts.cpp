#include "core/rename/conflicts.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include "core/files/mounts.h"

namespace pelmora {

namespace {

bool LstatExists(const QString& path) {
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// The key under which two paths name the same entry.
QString PathKey(const QString& path, bool foldCase) {
    const QString clean = QDir::cleanPath(path);
    return foldCase ? clean.toCaseFolded() : clean;
}

// Which names are taken as the moves of a batch run in order: the disk as
// it is, changed by each move simulated so far.
class Occupancy {
  public:
    explicit Occupancy(const CollisionCheck& check)
        : exists_(check.exists),
          ignoresCase_(check.ignoresCase ? check.ignoresCase : IgnoresCase) {}

    QString key(const QString& path) { return PathKey(path, folds(path)); }

    bool taken(const QString& path) { return taken(path, key(path)); }
    bool taken(const QString& path, const QString& key) {
        const auto it = changed_.constFind(key);
        if (it != changed_.constEnd()) return *it;
        if (exists_) return exists_(path);
        const QString folder = QFileInfo(path).absolutePath();
        // Where names fold, a lookup may still be exact (ntfs-3g): compare
        // against the folder's names folded, read once.
        if (folds(path)) return listing(folder).contains(QFileInfo(path).fileName().toCaseFolded());
        return LstatExists(path);
    }

    void move(const QString& fromKey, const QString& toKey) {
        changed_[fromKey] = false;
        changed_[toKey] = true;
    }

    // One answer per folder: the mount table is read once per folder, not per row.
    bool folds(const QString& path) {
        const QString folder = QFileInfo(path).absolutePath();
        auto it = folderFolds_.find(folder);
        if (it == folderFolds_.end()) it = folderFolds_.insert(folder, ignoresCase_(path));
        return *it;
    }

  private:
    const QSet<QString>& listing(const QString& folder) {
        auto it = listings_.find(folder);
        if (it != listings_.end()) return *it;
        QSet<QString> names;
        const QDir dir(folder);
        for (const QString& n :
             dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            names.insert(n.toCaseFolded());
        return *listings_.insert(folder, std::move(names));
    }

    std::function<bool(const QString&)> exists_;
    std::function<bool(const QString&)> ignoresCase_;
    QHash<QString, bool> folderFolds_;
    QHash<QString, QSet<QString>> listings_;
    QHash<QString, bool> changed_;  // key -> taken after the moves so far
};

// "stem(k).ext" of a name "stem.ext" (the extension is all after the last dot).
QString Numbered(const QString& name, qsizetype dot, long k) {
    return name.left(dot) + QLatin1Char('(') + QString::number(k) + QLatin1Char(')') +
           name.mid(dot);
}

// Whether file is "stem(k).ext" with k from 2 for the stem and extension of name.
bool IsNumberedFormOf(const QString& file, const QString& name, qsizetype dot, bool foldCase) {
    const Qt::CaseSensitivity cs = foldCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const QString stem = name.left(dot) + QLatin1Char('(');
    const QString tail = QLatin1Char(')') + name.mid(dot);
    if (file.size() <= stem.size() + tail.size() || !file.startsWith(stem, cs) ||
        !file.endsWith(tail, cs))
        return false;
    const QString digits = file.mid(stem.size(), file.size() - stem.size() - tail.size());
    for (const QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return digits.front() != QLatin1Char('0') && (digits.size() > 1 || digits.front() >= '2');
}

}  // namespace

std::vector<size_t> FindCollisions(const std::vector<PlannedMove>& moves,
                                   const CollisionCheck& check) {
    Occupancy disk(check);
    std::vector<size_t> collisions;
    for (size_t i = 0; i < moves.size(); ++i) {
        const PlannedMove& m = moves[i];
        const QString fromKey = disk.key(m.from);
        const QString toKey = disk.key(m.to);
        if (!disk.taken(m.from, fromKey)) continue;  // fails with "not found" on its own
        if (disk.taken(m.to, toKey)) {
            collisions.push_back(i);
            continue;
        }
        disk.move(fromKey, toKey);
    }
    return collisions;
}

std::vector<size_t> NumberCollisions(std::vector<PlannedMove>& moves,
                                     const std::vector<size_t>& collisions,
                                     const CollisionCheck& check) {
    Occupancy disk(check);
    const QSet<size_t> colliding(collisions.begin(), collisions.end());
    // A numbered name never takes the name another move of the batch wants.
    QSet<QString> wanted;
    for (size_t i = 0; i < moves.size(); ++i)
        if (!colliding.contains(i)) wanted.insert(disk.key(moves[i].to));
    QHash<QString, long> next;  // per wanted name: the number to try first

    std::vector<size_t> still;
    for (size_t i = 0; i < moves.size(); ++i) {
        PlannedMove& m = moves[i];
        const QString fromKey = disk.key(m.from);
        if (!disk.taken(m.from, fromKey)) continue;
        if (colliding.contains(i)) {
            const QFileInfo to(m.to);
            const QString folder = to.path();
            const QString name = to.fileName();
            const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
            const QFileInfo from(m.from);
            const bool foldCase = disk.folds(m.to);
            if (dot <= 0) {
                still.push_back(i);
                continue;
            }
            // Numbered in an earlier batch: the file keeps its number.
            if (disk.key(from.path()) == disk.key(folder) &&
                IsNumberedFormOf(from.fileName(), name, dot, foldCase)) {
                m.to = m.from;
                continue;
            }
            const QString base = disk.key(m.to);
            long k = next.value(base, 2);
            // Each try passes a name taken on disk or by the batch: bounded
            // by those, and by the folder's size.
            QString candidate, key;
            for (;; ++k) {
                candidate = folder + QLatin1Char('/') + Numbered(name, dot, k);
                key = disk.key(candidate);
                if (!wanted.contains(key) && !disk.taken(candidate, key)) break;
            }
            next[base] = k + 1;
            m.to = candidate;
        }
        const QString toKey = disk.key(m.to);
        if (disk.taken(m.to, toKey)) {
            still.push_back(i);
            continue;
        }
        disk.move(fromKey, toKey);
    }
    return still;
}

}  // namespace pelmora
