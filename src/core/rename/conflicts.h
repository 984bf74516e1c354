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
    // Whether a path names an existing entry (default: lstat, or where names
    // fold, the folder's listing compared without case).
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

// Gives the colliding moves (FindCollisions' answer) numbered names instead:
// "stem(2).ext", "stem(3).ext" ... in the order of the moves, each the first
// number whose name is free when the move runs and that no other move of
// the batch wants; names compare as the target folder compares them. A move
// whose file already bears such a numbered name keeps it (its `to` becomes
// its `from`). Returns the moves that still collide (none, unless a name
// has no extension to number before).
std::vector<size_t> NumberCollisions(std::vector<PlannedMove>& moves,
                                     const std::vector<size_t>& collisions,
                                     const CollisionCheck& check = {});

}  // namespace pelmora
