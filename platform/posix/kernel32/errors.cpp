// The one errno to Win32 error table of the POSIX kernel32 layer.
#include "platform/posix/kernel32/errors.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/posix/kernel32/paths.h"

namespace kernel32 {

namespace {

struct ErrnoMapping {
  int posix;
  DWORD win32;
};

// Each errno a file, folder or process call can raise, with the Win32 code Windows gives for the
// same condition. Anything else is reported as ERROR_GEN_FAILURE.
constexpr ErrnoMapping kErrnoTable[] = {
    {0, ERROR_SUCCESS},
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {ELOOP, ERROR_PATH_NOT_FOUND},
    {EACCES, ERROR_ACCESS_DENIED},
    {EPERM, ERROR_ACCESS_DENIED},
    {EISDIR, ERROR_ACCESS_DENIED},
    {EEXIST, ERROR_ALREADY_EXISTS},
    {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
    {EBADF, ERROR_INVALID_HANDLE},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {ENOSPC, ERROR_DISK_FULL},
    {EDQUOT, ERROR_DISK_FULL},
    {EFBIG, ERROR_DISK_FULL},
    {EROFS, ERROR_WRITE_PROTECT},
    {EIO, ERROR_IO_DEVICE},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {EINVAL, ERROR_INVALID_PARAMETER},
    {ESPIPE, ERROR_SEEK},
    {EBUSY, ERROR_BUSY},
    {ETXTBSY, ERROR_SHARING_VIOLATION},
    {EAGAIN, ERROR_NOT_READY},
    {ENXIO, ERROR_NOT_READY},
    {ENOMEDIUM, ERROR_NOT_READY},
    // A device or file system that has gone: removed, its daemon ended, its server's file gone.
    {ENODEV, ERROR_DEV_NOT_EXIST},
    {ENOTCONN, ERROR_DEVICE_NOT_CONNECTED},
    {ECONNABORTED, ERROR_DEVICE_NOT_CONNECTED},
    {ESTALE, ERROR_FILE_INVALID},
    // A damaged inode or folder: the file system's checksum or structure check failed.
    {EBADMSG, ERROR_FILE_CORRUPT},
    {EUCLEAN, ERROR_FILE_CORRUPT},
    {EPIPE, ERROR_BROKEN_PIPE},
    {EXDEV, ERROR_NOT_SAME_DEVICE},
    {ENOTSUP, ERROR_NOT_SUPPORTED},
    {ENOSYS, ERROR_NOT_SUPPORTED},
    {ENOEXEC, ERROR_BAD_FORMAT},
    {E2BIG, ERROR_INVALID_PARAMETER},
};

}  // namespace

DWORD win32ErrorFromErrno(int error) {
  for (const ErrnoMapping& mapping : kErrnoTable) {
    if (mapping.posix == error) return mapping.win32;
  }
  return ERROR_GEN_FAILURE;
}

BOOL failWith(DWORD error) {
  SetLastError(error);
  return FALSE;
}

HANDLE failHandle(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

BOOL failWithErrno(int error) { return failWith(win32ErrorFromErrno(error)); }

DWORD win32ErrorForPath(int error, const std::string& path) {
  DWORD code = win32ErrorFromErrno(error);
  if (code != ERROR_FILE_NOT_FOUND) return code;
  struct stat folder {};
  if (stat(folderOf(path).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
    return ERROR_PATH_NOT_FOUND;
  }
  return ERROR_FILE_NOT_FOUND;
}

BOOL failWithErrnoForPath(int error, const std::string& path) {
  // A relative path is told apart at once: the current folder may change before it is asked for.
  if (error == ENOENT && !path.empty() && path.front() == '/') {
    setMissingEntryError(path);
    return FALSE;
  }
  return failWith(win32ErrorForPath(error, path));
}

HANDLE failHandleForPath(int error, const std::string& path) {
  failWithErrnoForPath(error, path);
  return INVALID_HANDLE_VALUE;
}

}  // namespace kernel32
