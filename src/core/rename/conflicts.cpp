#include "core/rename/conflicts.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

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

}  // namespace

std::vector<size_t> FindCollisions(const std::vector<PlannedMove>& moves,
                                   const CollisionCheck& check) {
    const auto exists = check.exists ? check.exists : LstatExists;
    const auto ignoresCase = check.ignoresCase ? check.ignoresCase : IgnoresCase;

    // One answer per folder: the mount table is read once per folder, not per row.
    QHash<QString, bool> folderFolds;
    auto folds = [&](const QString& path) {
        const QString folder = QFileInfo(path).absolutePath();
        auto it = folderFolds.find(folder);
        if (it == folderFolds.end()) it = folderFolds.insert(folder, ignoresCase(path));
        return *it;
    };

    // What the earlier moves change: key -> taken after them.
    QHash<QString, bool> changed;
    auto taken = [&](const QString& path, const QString& key) {
        const auto it = changed.constFind(key);
        return it != changed.constEnd() ? *it : exists(path);
    };

    std::vector<size_t> collisions;
    for (size_t i = 0; i < moves.size(); ++i) {
        const PlannedMove& m = moves[i];
        const QString fromKey = PathKey(m.from, folds(m.from));
        const QString toKey = PathKey(m.to, folds(m.to));
        if (!taken(m.from, fromKey)) continue;  // fails with "not found" on its own
        if (taken(m.to, toKey)) {
            collisions.push_back(i);
            continue;
        }
        changed[fromKey] = false;
        changed[toKey] = true;
    }
    return collisions;
}

}  // namespace pelmora
