#include "platform/storage.h"

#if defined(__linux__)
#include <sys/vfs.h>
#endif

namespace pelmora {

bool IsSlowStorage(const std::string& path) {
#if defined(__linux__)
    struct statfs fs {};
    if (::statfs(path.c_str(), &fs) != 0) return false;
    // Magic numbers of linux/magic.h and the file systems' own headers.
    switch (static_cast<unsigned long>(fs.f_type)) {
        case 0x6969UL:      // NFS
        case 0x517BUL:      // SMB
        case 0xFF534D42UL:  // CIFS
        case 0xFE534D42UL:  // SMB2
        case 0x01021997UL:  // 9p
        case 0x00C36400UL:  // Ceph
        case 0x5346414FUL:  // AFS
        case 0x6B414653UL:  // kAFS
        case 0x73757245UL:  // Coda
        case 0x65735546UL:  // FUSE
        case 0x47504653UL:  // GPFS
        case 0x0BD00BD0UL:  // Lustre
            return true;
        default:
            return false;
    }
#else
    (void)path;
    return false;
#endif
}

}  // namespace pelmora
