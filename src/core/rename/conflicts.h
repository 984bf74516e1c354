#pragma once
// Planning a batch rename before any file moves: which rows would land on a
// name that is already taken, on disk or by an earlier row of the same batch.

#include <QString>
#include <functional>
#include <vector>

namespace pelmora {

// One move of the batch, in row order.
struct PlannedMove {
    int row = 0;
    QString from;  // the file as listed
    QString to;    // folder + "/" + new name
};

struct CollisionCheck {
    // Whether a path names an existing entry (default: lstat).
    std::function<bool(const QString&)> exists;
    // Whether names in the folder of a path compare without case (default: IgnoresCase).
    std::function<bool(const QString&)> ignoresCase;
};

// The indices into moves whose target would be taken when the moves run in
// order: by a file on disk that no earlier move takes away, or by an earlier
// move's target. A move whose source is missing claims nothing (it fails on
// its own) and frees nothing.
std::vector<size_t> FindCollisions(const std::vector<PlannedMove>& moves,
                                   const CollisionCheck& check = {});

}  // namespace pelmora
