// Operations on files and folders by name: attributes, deletion, renaming, replacing, folder
// creation and removal.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/posix/kernel32/blocking_call.h"
#include "platform/posix/kernel32/errors.h"
#include "platform/posix/kernel32/fault_hooks.h"
#include "platform/posix/kernel32/file_info.h"
#include "platform/posix/kernel32/handles.h"
#include "platform/posix/kernel32/paths.h"
#include "platform/posix/kernel32/system_call_hooks.h"
#include "platform/winapi.h"

namespace {

using namespace kernel32;

constexpr mode_t kNewFolderMode = 0777;
constexpr mode_t kWritePermissions = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr mode_t kOwnerReadWrite = S_IRUSR | S_IWUSR;

// Returns the mode `status` gets for `attributes`: FILE_ATTRIBUTE_READONLY takes every write
// permission away; any other value gives the owner read and write permission back. The other
// attribute bits have no POSIX counterpart (hidden comes from the name) and change nothing.
mode_t modeForAttributes(const struct stat& status, DWORD attributes) {
  mode_t mode = status.st_mode & 07777;
  if (attributes & FILE_ATTRIBUTE_READONLY) return mode & ~kWritePermissions;
  return mode | kOwnerReadWrite;
}

// Returns ERROR_SUCCESS when the existing destination `status` may be replaced by a rename, or
// the error Windows gives: a folder, a read-only file or a file in use cannot be replaced.
DWORD replaceableError(const struct stat& status) {
  if (S_ISDIR(status.st_mode) || modeIsReadOnly(status)) return ERROR_ACCESS_DENIED;
  if (openWithoutDeleteSharing(status.st_dev, status.st_ino)) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

// Returns true when `error` says that the file system offers no such call or flag.
bool refusesCall(int error) {
  return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

// renameat2 with RENAME_NOREPLACE, or the errno a test's hook gives. Returns 0 or errno.
int renameNoReplace(const char* from, const char* to) {
  if (const SystemCallHooks* hooks = systemCallHooks()) {
    if (int error = hooks->onRenameNoReplace(absoluteNormalPath(to)); error != 0) return error;
  }
  return renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0 ? 0 : errno;
}

// link, or the errno a test's hook gives. Returns 0 or errno.
int linkNoReplace(const char* from, const char* to) {
  if (const SystemCallHooks* hooks = systemCallHooks()) {
    if (int error = hooks->onLink(absoluteNormalPath(to)); error != 0) return error;
  }
  return link(from, to) == 0 ? 0 : errno;
}

// Renames `from` to `to` without ever replacing an existing `to`. Returns 0 or errno. Where the
// file system has no RENAME_NOREPLACE (some FUSE, NFS and 9p file systems), a hard link gives the
// new name, failing as the rename would when it exists, and the old name is removed; only where
// hard links are refused too (FAT, exFAT) is `to` checked before a plain rename, which leaves a
// moment in which a file appearing under that name would be replaced.
int renameWithoutReplacing(const char* from, const char* to) {
  int error = renameNoReplace(from, to);
  if (!refusesCall(error)) return error;
  error = linkNoReplace(from, to);
  if (error == 0) {
    if (unlink(from) == 0) return 0;
    error = errno;
    unlink(to);  // the old name stays the only one, as after a failed rename
    return error;
  }
  if (!refusesCall(error) && error != EPERM) return error;
  struct stat existing {};
  if (lstat(to, &existing) == 0) return EEXIST;
  return rename(from, to) == 0 ? 0 : errno;
}

// Makes the rename into the folder of `path` durable, as MOVEFILE_WRITE_THROUGH asks.
// Returns 0, or the errno of the open or fsync that failed. A folder that cannot be synchronised
// at all (EINVAL: its file system offers no fsync of folders) has nothing to flush.
int flushFolderOf(const std::string& path) {
  int folder = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return errno;
  int error = fsync(folder) == 0 || errno == EINVAL ? 0 : errno;
  close(folder);
  return error;
}

}  // namespace

DWORD WINAPI GetFileAttributesA(LPCSTR fileName) {
  kernel32::BlockingCall blocking;
  if (fileName == nullptr || *fileName == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  struct stat status {};
  if (int error = statEntry(fileName, status); error != 0) {
    failWithErrnoForPath(error, fileName);
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = attributesOf(status, lastComponent(fileName), fileName);
  // Windows reports a symbolic link's own attributes: FILE_ATTRIBUTE_REPARSE_POINT beside the
  // kind of its target, so that a walk through folders can pass over links.
  struct stat link {};
  if (lstat(fileName, &link) == 0 && S_ISLNK(link.st_mode)) {
    if (attributes == FILE_ATTRIBUTE_NORMAL) attributes = 0;
    attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  }
  return attributes;
}

BOOL WINAPI SetFileAttributesA(LPCSTR fileName, DWORD fileAttributes) {
  kernel32::BlockingCall blocking;
  if (fileName == nullptr || *fileName == '\0') return failWith(ERROR_PATH_NOT_FOUND);
  struct stat status {};
  if (stat(fileName, &status) != 0) return failWithErrnoForPath(errno, fileName);
  // Folders never carry the read-only state.
  if (S_ISDIR(status.st_mode)) return TRUE;
  mode_t mode = modeForAttributes(status, fileAttributes);
  if (mode != (status.st_mode & 07777) && chmod(fileName, mode) != 0) return failWithErrno(errno);
  return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR fileName) {
  kernel32::BlockingCall blocking;
  settleMissingEntryError();  // folders may change from here on
  if (fileName == nullptr || *fileName == '\0') return failWith(ERROR_PATH_NOT_FOUND);
  struct stat status {};
  if (lstat(fileName, &status) != 0) return failWithErrnoForPath(errno, fileName);
  // Windows deletes neither folders nor read-only files, nor a file open without delete sharing.
  if (S_ISDIR(status.st_mode) || modeIsReadOnly(status)) return failWith(ERROR_ACCESS_DENIED);
  if (openWithoutDeleteSharing(status.st_dev, status.st_ino)) {
    return failWith(ERROR_SHARING_VIOLATION);
  }
  if (unlink(fileName) != 0) return failWithErrnoForPath(errno, fileName);
  return TRUE;
}

BOOL WINAPI MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  kernel32::BlockingCall blocking;
  settleMissingEntryError();  // folders may change from here on
  if (existingFileName == nullptr || newFileName == nullptr || *newFileName == '\0') {
    return failWith(ERROR_INVALID_PARAMETER);
  }
  struct stat source {};
  if (lstat(existingFileName, &source) != 0) {
    return failWithErrnoForPath(errno, existingFileName);
  }
  if (openWithoutDeleteSharing(source.st_dev, source.st_ino)) {
    return failWith(ERROR_SHARING_VIOLATION);
  }
  int error = 0;
  if (flags & MOVEFILE_REPLACE_EXISTING) {
    struct stat target {};
    bool replaces = lstat(newFileName, &target) == 0 &&
                    (target.st_dev != source.st_dev || target.st_ino != source.st_ino);
    if (DWORD refused = replaces ? replaceableError(target) : ERROR_SUCCESS; refused != 0) {
      return failWith(refused);
    }
    error = rename(existingFileName, newFileName) == 0 ? 0 : errno;
  } else {
    error = renameWithoutReplacing(existingFileName, newFileName);
  }
  if (error != 0) return failWithErrnoForPath(error, newFileName);
  // The rename has been made; a failed flush is reported, as the move is not known to be on disk.
  if (flags & MOVEFILE_WRITE_THROUGH) {
    if (int flushError = flushFolderOf(newFileName); flushError != 0) {
      return failWithErrno(flushError);
    }
  }
  return TRUE;
}

// Puts `replacement` in the place of `replaced`, which must exist; as on Windows, the file keeps
// what belongs to the replaced one: here its owner and its permission bits (a settings file of
// mode 0600 stays private). No backup is offered. The rename is made durable (the folder is
// synchronised); a failure of that last step is not reported, since the file has been replaced.
BOOL WINAPI ReplaceFileA(LPCSTR replacedFileName, LPCSTR replacementFileName, LPCSTR backupFileName,
                         DWORD, LPVOID, LPVOID) {
  kernel32::BlockingCall blocking;
  settleMissingEntryError();  // folders may change from here on
  if (replacedFileName == nullptr || replacementFileName == nullptr || *replacedFileName == '\0' ||
      *replacementFileName == '\0' || backupFileName != nullptr) {
    return failWith(ERROR_INVALID_PARAMETER);
  }
  struct stat replaced {};
  if (stat(replacedFileName, &replaced) != 0) return failWithErrnoForPath(errno, replacedFileName);
  if (S_ISDIR(replaced.st_mode)) return failWith(ERROR_UNABLE_TO_REMOVE_REPLACED);
  struct stat replacement {};
  if (lstat(replacementFileName, &replacement) != 0) {
    return failWithErrnoForPath(errno, replacementFileName);
  }
  // The owner first: a change of owner may clear the set-id bits that the mode then gives back.
  // Only the superuser may give a file away; anyone else keeps their own file.
  if (replacement.st_uid != replaced.st_uid || replacement.st_gid != replaced.st_gid) {
    (void)!chown(replacementFileName, replaced.st_uid, replaced.st_gid);
  }
  if (chmod(replacementFileName, replaced.st_mode & 07777) != 0) {
    return failWith(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
  }
  if (rename(replacementFileName, replacedFileName) != 0) {
    return failWith(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
  }
  flushFolderOf(replacedFileName);
  return TRUE;
}

BOOL WINAPI CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES) {
  kernel32::BlockingCall blocking;
  settleMissingEntryError();  // folders may change from here on
  if (pathName == nullptr || *pathName == '\0') return failWith(ERROR_PATH_NOT_FOUND);
  if (const FaultHooks* hooks = faultHooks()) {
    if (auto error = hooks->onCreateDirectory(absoluteNormalPath(pathName))) {
      return failWith(*error);
    }
  }
  // EEXIST gives ERROR_ALREADY_EXISTS; a missing parent gives ERROR_PATH_NOT_FOUND.
  if (mkdir(pathName, kNewFolderMode) != 0) return failWithErrnoForPath(errno, pathName);
  return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR pathName) {
  kernel32::BlockingCall blocking;
  settleMissingEntryError();  // folders may change from here on
  if (pathName == nullptr || *pathName == '\0') return failWith(ERROR_PATH_NOT_FOUND);
  struct stat status {};
  if (lstat(pathName, &status) != 0) return failWithErrnoForPath(errno, pathName);
  if (!S_ISDIR(status.st_mode)) return failWith(ERROR_DIRECTORY);
  if (rmdir(pathName) != 0) return failWithErrnoForPath(errno, pathName);
  return TRUE;
}
