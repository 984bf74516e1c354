#pragma once
#include <QString>

namespace pelmora {

// One found document: its folder as the listing joined it, and its name.
struct FoundFile {
    QString folder;
    QString name;
};

}  // namespace pelmora
