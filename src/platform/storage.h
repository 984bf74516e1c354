#pragma once
// What kind of storage a file lives on, as far as reading speed goes.

#include <string>

namespace pelmora {

// True when `path` (a file or folder) is on a network file system (NFS,
// SMB/CIFS, 9p, Ceph, AFS...) or a FUSE mount, where a read waits on a
// server or a user-space process. False for local disks and when unknown.
bool IsSlowStorage(const std::string& path);

}  // namespace pelmora
