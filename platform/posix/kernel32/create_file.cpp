// CreateFileA and CloseHandle over POSIX descriptors.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/posix/kernel32/blocking_call.h"
#include "platform/posix/kernel32/errors.h"
#include "platform/posix/kernel32/fault_hooks.h"
#include "platform/posix/kernel32/file_info.h"
#include "platform/posix/kernel32/handles.h"
#include "platform/posix/kernel32/no_buffering.h"
#include "platform/posix/kernel32/paths.h"
#include "platform/posix/kernel32/system_call_hooks.h"
#include "platform/winapi.h"

namespace {

using namespace kernel32;

// Between the exclusive create and the plain open of OPEN_ALWAYS / CREATE_ALWAYS another process
// may delete or create the file; the pair is tried again this many times.
constexpr int kCreateAttempts = 3;
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kNewReadOnlyFileMode = 0444;

struct Opened {
  int descriptor;
  bool created;
  int flags;  // the open(2) flags, O_CREAT and O_EXCL aside
  // FILE_FLAG_NO_BUFFERING was asked for and the file system refused O_DIRECT.
  bool dropsCachedPages = false;
};

bool truncatesExisting(DWORD disposition) {
  return disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
}

// Returns the open(2) flags for `access`. Opening never blocks: a FIFO without a writer, a
// device without a medium and a terminal all return at once (O_NONBLOCK).
int openFlags(DWORD access, bool mayTruncate) {
  bool reads = (access & GENERIC_READ) != 0;
  bool writes = (access & GENERIC_WRITE) != 0 || mayTruncate;
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  if (reads && writes) return flags | O_RDWR;
  return flags | (writes ? O_WRONLY : O_RDONLY);
}

// Opens `name` as `disposition` asks; `created` tells whether the file is new. On failure the
// descriptor is -1 and errno tells why. OPEN_ALWAYS and CREATE_ALWAYS try the existing file
// first, as that is the common case of a file opened again and again (a log).
Opened openForDisposition(const char* name, int flags, mode_t mode, DWORD disposition) {
  if (disposition == CREATE_NEW) return {open(name, flags | O_CREAT | O_EXCL, mode), true, flags};
  if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) {
    return {open(name, flags), false, flags};
  }
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    int descriptor = open(name, flags);
    if (descriptor >= 0 || errno != ENOENT) return {descriptor, false, flags};
    descriptor = open(name, flags | O_CREAT | O_EXCL, mode);
    if (descriptor >= 0 || errno != EEXIST) return {descriptor, true, flags};
  }
  // The name can be neither opened nor created, as with a dangling symbolic link: not found.
  errno = ENOENT;
  return {-1, false, flags};
}

// Opens `name` as openForDisposition does; with `unbuffered` (FILE_FLAG_NO_BUFFERING) past the
// page cache (O_DIRECT), or, where the file system refuses O_DIRECT, cached and marked to drop
// the cached pages before each read. An existing file is opened with O_DIRECT at once, so that a
// file system that refuses it says so; a file that may be created is opened first and given
// O_DIRECT afterwards, since a refused O_DIRECT fails the open only after the file was created.
Opened openBypassingCache(const char* name, int flags, mode_t mode, DWORD disposition,
                          bool unbuffered) {
  if (!unbuffered) return openForDisposition(name, flags, mode, disposition);
  if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) {
    Opened opened = openForDisposition(name, flags | O_DIRECT, mode, disposition);
    if (opened.descriptor >= 0 || errno != EINVAL) return opened;
    opened = openForDisposition(name, flags, mode, disposition);
    opened.dropsCachedPages = true;
    return opened;
  }
  Opened opened = openForDisposition(name, flags, mode, disposition);
  if (opened.descriptor < 0) return opened;
  if (fcntl(opened.descriptor, F_SETFL, flags | O_DIRECT) == 0) {
    opened.flags |= O_DIRECT;
  } else {
    opened.dropsCachedPages = true;
  }
  return opened;
}

// Closes `descriptor` and fails with `error`; returns INVALID_HANDLE_VALUE.
HANDLE closeAndFail(int descriptor, DWORD error) {
  close(descriptor);
  return failHandle(error);
}

// Returns the error Windows gives for an open of `name` that failed with errno `error`.
DWORD openError(int error, DWORD disposition, const std::string& name) {
  if (error == EEXIST && disposition == CREATE_NEW) return ERROR_FILE_EXISTS;
  return win32ErrorForPath(error, name);
}

// Checks a freshly opened descriptor as Windows would: no folder, no writing to a read-only file.
// Returns ERROR_SUCCESS or the error to fail with.
DWORD checkOpened(const struct stat& status, bool created, bool writes) {
  if (S_ISDIR(status.st_mode)) return ERROR_ACCESS_DENIED;
  if (!created && writes && modeIsReadOnly(status)) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

// What a CreateFileA call asks for.
struct OpenRequest {
  DWORD access;
  DWORD share;
  DWORD disposition;
  DWORD flags;
};

std::shared_ptr<FileObject> fileObject(int descriptor, const struct stat& status,
                                       const OpenRequest& request, std::string path) {
  auto file = std::make_shared<FileObject>();
  file->descriptor = descriptor;
  file->access = request.access & (GENERIC_READ | GENERIC_WRITE);
  file->shareMode = request.share;
  file->device = status.st_dev;
  file->inode = status.st_ino;
  file->seekable = !S_ISFIFO(status.st_mode) && !S_ISSOCK(status.st_mode);
  if (S_ISREG(status.st_mode) && (request.share & FILE_SHARE_WRITE) == 0) {
    file->size = status.st_size;
  }
  file->path = std::move(path);
  return file;
}

// Turns an opened descriptor into a handle: refuses folders and writing to read-only files,
// applies the share modes of the handles already open, empties the file when the disposition
// says so, and sets the last error Windows leaves after a successful open. Returns the handle or
// INVALID_HANDLE_VALUE (descriptor closed, last error set).
HANDLE finishOpen(Opened opened, const OpenRequest& request, std::string path) {
  struct stat status {};
  if (fstat(opened.descriptor, &status) != 0) {
    return closeAndFail(opened.descriptor, win32ErrorFromErrno(errno));
  }
  bool truncates =
      truncatesExisting(request.disposition) && !opened.created && S_ISREG(status.st_mode);
  bool writes = (request.access & GENERIC_WRITE) != 0 || truncates;
  if (DWORD refused = checkOpened(status, opened.created, writes); refused != ERROR_SUCCESS) {
    return closeAndFail(opened.descriptor, refused);
  }
  std::shared_ptr<FileObject> file =
      fileObject(opened.descriptor, status, request, std::move(path));
  if (truncates && file->size) file->size = 0;
  if (request.flags & FILE_FLAG_NO_BUFFERING) {
    file->unbufferedSectorBytes = volumeSectorBytes(status.st_dev);
    file->dropsCachedPages = opened.dropsCachedPages;
    // Transfers aligned to the volume's sectors that the file system would refuse past the cache
    // go through it instead, the cached pages dropped first.
    if (readsPastCache(*file) &&
        !directTransfersFit(file->descriptor, file->unbufferedSectorBytes)) {
      stopReadingPastCache(*file, 0);
    }
  }
  std::optional<HANDLE> handle = addFileHandle(std::move(file), truncates);
  if (!handle) return closeAndFail(opened.descriptor, ERROR_SHARING_VIOLATION);
  if (truncates && ftruncate(opened.descriptor, 0) != 0) {
    DWORD error = win32ErrorFromErrno(errno);
    removeHandle(*handle);
    return closeAndFail(opened.descriptor, error);
  }
  // Opening did not block; reading and writing a disk may (a FIFO, socket or terminal stays
  // non-blocking, so that no read of it ever hangs). Linux ignores O_NONBLOCK when reading and
  // writing a regular file, so a file keeps it and spares a system call.
  if (S_ISBLK(status.st_mode)) {
    fcntl(opened.descriptor, F_SETFL, opened.flags & ~O_NONBLOCK);
  }
  if (request.flags & FILE_FLAG_SEQUENTIAL_SCAN) {
    posix_fadvise(opened.descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
  // CREATE_ALWAYS and OPEN_ALWAYS tell an existing file by ERROR_ALREADY_EXISTS; every other
  // success leaves 0.
  bool reportsExisting = !opened.created && (request.disposition == CREATE_ALWAYS ||
                                             request.disposition == OPEN_ALWAYS);
  SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return *handle;
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                          LPSECURITY_ATTRIBUTES, DWORD creationDisposition,
                          DWORD flagsAndAttributes, HANDLE) {
  kernel32::BlockingCall blocking;
  if (fileName == nullptr || *fileName == '\0') return failHandle(ERROR_PATH_NOT_FOUND);
  // The handle's path serves only the test layer's faults and counts. Making a relative path
  // absolute reads the current folder, one more system call per open (the log is opened for
  // each entry), so that is done only while the test layer is armed.
  const FaultHooks* hooks = faultHooks();
  bool anyHooks = hooks != nullptr || systemCallHooks() != nullptr;
  std::string path = fileName[0] == '/' || anyHooks ? absoluteNormalPath(fileName) : std::string();
  if (hooks != nullptr) {
    if (auto error = hooks->onOpen(path)) return failHandle(*error);
  }
  OpenRequest request{desiredAccess, shareMode, creationDisposition, flagsAndAttributes};
  // TRUNCATE_EXISTING needs GENERIC_WRITE.
  if (creationDisposition < CREATE_NEW || creationDisposition > TRUNCATE_EXISTING ||
      (creationDisposition == TRUNCATE_EXISTING && !(desiredAccess & GENERIC_WRITE))) {
    return failHandle(ERROR_INVALID_PARAMETER);
  }
  // A new file with FILE_ATTRIBUTE_READONLY is read-only on disk, yet this handle may write it.
  mode_t mode =
      (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? kNewReadOnlyFileMode : kNewFileMode;
  int flags = openFlags(desiredAccess, truncatesExisting(creationDisposition));
  Opened opened = openBypassingCache(fileName, flags, mode, creationDisposition,
                                     (flagsAndAttributes & FILE_FLAG_NO_BUFFERING) != 0);
  if (opened.descriptor < 0) return failHandle(openError(errno, creationDisposition, fileName));
  return finishOpen(opened, request, std::move(path));
}

BOOL WINAPI CloseHandle(HANDLE object) {
  kernel32::BlockingCall blocking;
  // INVALID_HANDLE_VALUE is also the current process's pseudo handle: closing it does nothing.
  if (object == INVALID_HANDLE_VALUE) return TRUE;
  if (std::optional<DWORD> failed = closeFailure(object)) return failWith(*failed);
  std::shared_ptr<FileObject> file = fileFromHandle(object);
  if (!file) return FALSE;
  if (const FaultHooks* hooks = faultHooks()) {
    if (auto error = hooks->onClose(file->path)) return failWith(*error);
  }
  if (!removeHandle(object)) return failWith(ERROR_INVALID_HANDLE);
  // Linux releases the descriptor even when close fails, so the handle cannot be closed again;
  // it keeps reporting the failure instead of pretending a later close succeeded. EINTR is no
  // failure: the descriptor is released and no write was lost.
  if (close(file->descriptor) != 0 && errno != EINTR) {
    DWORD error = win32ErrorFromErrno(errno);
    markCloseFailed(object, error);
    return failWith(error);
  }
  return TRUE;
}
