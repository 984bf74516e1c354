#pragma once
// The file system as the commands use it: listing a folder's documents and
// moving a file with the results of the Win32 move call (never replacing,
// Win32 error codes).

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace pelmora::platform {

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
    kErrorFileTooLarge = 223,
    kErrorIoDevice = 1117,
    kErrorTooManyLinks = 1142,
    kErrorCantResolveFilename = 1921,
};

// The nearest Win32 code for an errno value.
int32_t Win32ErrorFromErrno(int err);

// The names of the ordinary files in a folder (no folders, no hidden
// dot-files, no broken links) whose extension is ".doc", ".docx" or ".docm"
// in any letter case,
// sorted by name without regard to case (ties: by code unit). A folder that
// cannot be listed gives nothing.
QStringList ListDocFiles(const QString& folder);

// One found document: its folder as the listing joined it, and its name.
struct FoundFile {
    QString folder;
    QString name;
};

// The documents of a folder, and with subfolders on also those of every
// subfolder below it, depth first: a folder's own files, then each
// subfolder (sorted as above; hidden and linked folders are not entered).
std::vector<FoundFile> FindDocFiles(const QString& folder, bool subfolders);

// True when Windows refuses the name as a file name: empty, a control
// character U+0000 to U+001F, one of " * / : < > ? \ |, or a reserved device
// name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without extension); also
// a name holding an unpaired surrogate, which has no exact form on disk here.
bool IsRefusedFileName(const QString& name);

// Moves a file, or renames it within its folder. Never replaces an existing
// file, also not one that appears while the move runs. Across file systems
// the file is copied to a hidden temporary name in the target folder,
// synced, given its new name without replacing, and only then is the
// original removed; a failure at any step leaves the original in place and
// nothing new behind. Returns 0 on success, else a Win32 error code
// (2 no such file, 183 the new name exists, 123 a refused name, 5 access
// denied, others their nearest code).
int32_t MoveFile(const QString& from, const QString& to);

// MoveFile to folder + "/" + newName, refusing (123) a new name that
// IsRefusedFileName refuses before anything is touched.
int32_t MoveFileInto(const QString& from, const QString& folder, const QString& newName);

// Test seam: forces the copy path and failures at its steps.
struct MoveFileSeams {
    bool forceCrossDevice = false;   // the first rename fails with EXDEV
    bool noRenameNoReplace = false;  // the no-replace rename is missing (EINVAL)
    bool noHardLinks = false;        // link() fails with EPERM
    int failCopyWriteWith = 0;       // errno of the copy's first write
    int failSyncWith = 0;            // errno of the copy's fsync
    int failUnlinkSourceWith = 0;    // errno of removing the original
};
MoveFileSeams& moveFileSeams();

}  // namespace pelmora::platform
