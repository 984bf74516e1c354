#pragma once
// The file system as the commands use it: listing a folder's documents and
// moving a file with the results of the Win32 move call (never replacing,
// Win32 error codes).

#include <sys/types.h>

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/files/foundfile.h"

namespace pelmora {

// Win32 error codes that a move can end with.
enum Win32Error : int32_t {
    kErrorSuccess = 0,
    kErrorFileNotFound = 2,
    kErrorPathNotFound = 3,
    kErrorTooManyOpenFiles = 4,
    kErrorAccessDenied = 5,
    kErrorNotEnoughMemory = 8,
    kErrorNotSameDevice = 17,
    kErrorWriteProtect = 19,
    kErrorGenFailure = 31,
    kErrorSharingViolation = 32,
    kErrorFileExists = 80,
    kErrorDiskFull = 112,
    kErrorInvalidName = 123,
    kErrorAlreadyExists = 183,
    kErrorFilenameExcedRange = 206,
    kErrorFileTooLarge = 223,
    kErrorIoDevice = 1117,
    kErrorFileCorrupt = 1392,  // a copy that came out unlike its original
    kErrorTooManyLinks = 1142,
    kErrorCantResolveFilename = 1921,
};

// The nearest Win32 code for an errno value.
int32_t Win32ErrorFromErrno(int err);

// The names of the ordinary files in a folder (no folders, no hidden
// dot-files, no broken links) whose extension is one of `kinds` (".doc",
// ".odt" ...) in any letter case, sorted by name without regard to case
// (ties: by code unit). A folder that cannot be listed gives nothing.
QStringList ListDocFiles(const QString& folder, const QStringList& kinds);

// The documents of a folder, and with subfolders on also those of every
// subfolder below it, depth first: a folder's own files, then each
// subfolder (sorted as above; hidden and linked folders are not entered).
std::vector<FoundFile> FindDocFiles(const QString& folder, bool subfolders,
                                    const QStringList& kinds);

// What tells one file from another. Where the file system keeps inode
// numbers (see IdentityTraitsOf), a file keeps device and inode through a
// rename and a copy gets new ones; on FAT and exFAT through FUSE the numbers
// change when the kernel drops its caches, so there the size and the
// fingerprint of the content tell.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t mtimeNs = 0;       // modification time in nanoseconds since 1970
    uint64_t fingerprint = 0;  // of the first and last blocks; 0: not taken
    uint32_t links = 0;        // names of the file (at the moment it was taken)

    bool sameInode(const FileIdentity& o) const { return device == o.device && inode == o.inode; }
    // The recorded part: device, inode, size, time and fingerprint.
    bool sameRecord(const FileIdentity& o) const {
        return sameInode(o) && size == o.size && mtimeNs == o.mtimeNs &&
               fingerprint == o.fingerprint;
    }
};
// The identity of the entry at path (not following a link), or nothing.
// With content, also the fingerprint of a regular file's content.
std::optional<FileIdentity> IdentityOf(const QString& path, bool content = false);
std::optional<FileIdentity> IdentityOfNative(const char* path, bool content = false);
// How many bytes from each end of a file the fingerprint covers.
inline constexpr int64_t kFingerprintBlock = 64 * 1024;

// Whether the first size bytes of the file at part equal those of whole
// (false when either cannot be read or is shorter).
bool IsPrefixOf(const QString& part, const QString& whole, int64_t size);

// The prefix of every temporary file this program makes beside a file it
// writes: ".pelmora-tmp-<pid>-<started>-<boot>-XXXXXX" (boot: the first 8
// characters of the boot id), hidden so that listings skip it.
extern const char kTempPrefix[];
// The mkstemp template of a temporary file of this process in folder.
QByteArray TemporaryTemplateIn(const QByteArray& folder);

// Called with the identity of the file that will appear under the target
// name, before any of its content is written; returning an errno value stops
// the write (nothing appears under the name).
// Where the name is reserved by an exclusive create, the observer first sees
// kReservationPending (device and inode 0): a crash before the next report
// leaves an empty file of ours under the name. When the exclusive create
// fails (a file took the name first) it sees kReservationRefused: whatever
// holds the name then is not ours.
using PlacedObserver = std::function<int(const FileIdentity&)>;
inline constexpr FileIdentity kReservationPending{};
inline constexpr FileIdentity kReservationRefused{0, 0, -1, 0, 0, 0};
inline bool IsReservationMark(const FileIdentity& id) {
    return id.device == 0 && id.inode == 0 && id.size <= 0;
}
inline bool IsRefusedMark(const FileIdentity& id) { return IsReservationMark(id) && id.size < 0; }

// Writes a file whole or not at all: fill() writes the content into a new
// hidden temporary file beside target, which is synced and then given the
// name target. With replace, an existing target is replaced atomically;
// without, an existing target is never touched and the write fails with
// EEXIST, also when it appears while the write runs. Where the file system
// can neither rename without replacing nor make hard links (FAT, exFAT
// through FUSE, some network mounts), the name is reserved by an exclusive
// create and the content copied into it. Returns 0 or an errno value; on
// failure nothing new is left behind.
int WriteFileAtomically(const QByteArray& target, const std::function<int(int fd)>& fill,
                        bool replace, const PlacedObserver& placed = {});

// Moves a file, or renames it within its folder. Never replaces an existing
// file, also not one that appears while the move runs. Across file systems
// (and where no rename can refuse to replace) the file is copied by
// WriteFileAtomically and only then is the original removed, once the copy
// is synced with its folder and read back equal to it in size and every
// byte (else 1392); a failure at any step leaves the original in place and
// nothing new behind. Returns 0
// on success, else a Win32 error code (2 no such file, 183 the new name
// exists, 123 a refused name, 206 a name too long, 5 access denied, 112
// disk full, others their nearest code). placed sees each copy's identity
// before the copy gets the new name.
int32_t MoveFile(const QString& from, const QString& to, const PlacedObserver& placed = {});

// MoveFile to folder + "/" + newName, refusing (123) a new name that
// IsRefusedNewName refuses before anything is touched.
int32_t MoveFileInto(const QString& from, const QString& folder, const QString& newName,
                     const PlacedObserver& placed = {});

// Test seam: forces the copy path and failures at its steps.
struct MoveFileSeams {
    bool forceCrossDevice = false;   // the first rename fails with EXDEV
    bool noRenameNoReplace = false;  // the no-replace rename is missing (EINVAL)
    bool noHardLinks = false;        // link() fails with EPERM
    int failCopyWriteWith = 0;       // errno of the copy's first write
    int failSyncWith = 0;            // errno of the copy's fsync
    int failUnlinkSourceWith = 0;    // errno of removing the original
    // Runs on a move's copy once its content is written, so a test can
    // spoil it (cut it short, zero a part) as a faulty disk or driver would.
    std::function<void(int fd)> damageCopy = nullptr;
    // Runs at the moments a crash or a race matters, so a test can race or
    // end the process there: "rename" before the direct rename of a move,
    // "place" before a synced temporary file gets its name, "reserve" before
    // the exclusive create of a reservation, "linked" between link() and
    // unlink() (the file under both names), "copied" when a copy has its
    // name and the original is about to be removed.
    std::function<void(const char* step)> beforeTakingName = nullptr;
};
MoveFileSeams& moveFileSeams();

// Removes this program's temporary files in folder that no running process
// writes: ".pelmora-tmp-<pid>-..." of a process that no longer runs, and the
// names earlier versions used: "<own>.tmp<pid>_N" of such a pid, and
// ".pelmora-move-XXXXXX" and "<own>.XXXXXX" (no pid) once a minute old, where
// own are the given file names. Returns how many were removed.
int RemoveStaleTemporaries(const QString& folder, const QStringList& ownNames = {});

}  // namespace pelmora
