// ReadFile, WriteFile, SetFilePointer, GetFileSize, GetFileSizeEx, GetFileType, FlushFileBuffers
// and GetFileTime on handles of CreateFileA. The Win32 file pointer is kept per handle; data moves
// with pread and pwrite at that pointer (read and write for FIFOs and sockets, which have no
// position).
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/posix/kernel32/blocking_call.h"
#include "platform/posix/kernel32/device_presence.h"
#include "platform/posix/kernel32/errors.h"
#include "platform/posix/kernel32/fault_hooks.h"
#include "platform/posix/kernel32/file_info.h"
#include "platform/posix/kernel32/handles.h"
#include "platform/posix/kernel32/no_buffering.h"
#include "platform/posix/kernel32/system_call_hooks.h"
#include "platform/winapi.h"

namespace {

using namespace kernel32;

constexpr int kDwordBits = 32;
constexpr std::int64_t kLargestLowPosition = 0xFFFFFFFFLL;
// The most one read call of Linux moves; a longer request comes back short without any fault.
constexpr std::uint32_t kLargestSingleRead = 0x7FFFF000;

// Reads up to `length` bytes at the handle's pointer into `buffer`. Returns the count read (less
// at the end of the file, before a byte that cannot be read, or for a FIFO or socket), or -1 with
// errno when nothing could be read. A short read of a file is not followed by another: it ends at
// the end of the file or at a bad byte, and asking again would only try that byte once more.
ssize_t readAtPointer(FileObject& file, char* buffer, std::uint32_t length) {
  std::uint32_t done = 0;
  while (done < length) {
    ssize_t count = file.seekable
                        ? pread(file.descriptor, buffer + done, length - done, file.position + done)
                        : read(file.descriptor, buffer + done, length - done);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && errno == ESPIPE && file.seekable) {
      file.seekable = false;  // a character device without a position
      continue;
    }
    if (count < 0) return done > 0 ? static_cast<ssize_t>(done) : -1;
    std::uint32_t asked = std::min(length - done, kLargestSingleRead);
    done += static_cast<std::uint32_t>(count);
    if (static_cast<std::uint32_t>(count) < asked || !file.seekable) break;
  }
  return done;
}

// Reads as readAtPointer does, after the system call hooks of a test have had their say. Returns
// the count read, or -1 with errno.
ssize_t readThroughHooks(FileObject& file, char* buffer, std::uint32_t length) {
  if (const SystemCallHooks* hooks = systemCallHooks()) {
    SystemReadPlan plan = hooks->onRead(file.path, file.position, length, readsPastCache(file));
    if (plan.error != 0) {
      errno = plan.error;
      return -1;
    }
    length = std::min(length, plan.length);
  }
  return readAtPointer(file, buffer, length);
}

// Reads up to `length` bytes at the handle's pointer. A handle past the cache whose read the
// file system refuses (EINVAL) although the transfer is aligned to the volume's sectors reads
// through the cache from then on, dropping the cached pages first, as where O_DIRECT is refused
// at the open. Returns the count read, or -1 with errno.
ssize_t readFromFile(FileObject& file, char* buffer, std::uint32_t length) {
  ssize_t count = readThroughHooks(file, buffer, length);
  if (count >= 0 || errno != EINVAL || !readsPastCache(file)) return count;
  if (!stopReadingPastCache(file, length)) {
    errno = EINVAL;
    return -1;
  }
  return readThroughHooks(file, buffer, length);
}

// Writes `length` bytes of `buffer` at the handle's pointer. Returns the count written; when it
// is less than `length`, errno tells why the rest could not be written.
std::uint32_t writeAtPointer(FileObject& file, const char* buffer, std::uint32_t length) {
  std::uint32_t done = 0;
  while (done < length) {
    ssize_t count =
        file.seekable ? pwrite(file.descriptor, buffer + done, length - done, file.position + done)
                      : write(file.descriptor, buffer + done, length - done);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && errno == ESPIPE && file.seekable) {
      file.seekable = false;
      continue;
    }
    if (count < 0) break;
    if (count == 0) {
      errno = ENOSPC;
      break;
    }
    done += static_cast<std::uint32_t>(count);
  }
  return done;
}

// Returns the handle's file if it was opened with `access`; otherwise null with the last error
// set (ERROR_INVALID_HANDLE or ERROR_ACCESS_DENIED).
std::shared_ptr<FileObject> fileWithAccess(HANDLE handle, DWORD access) {
  std::shared_ptr<FileObject> file = fileFromHandle(handle);
  if (file && !(file->access & access)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return file;
}

// Returns the new file pointer for a move of `distance` from `moveMethod`'s origin, or -1 with
// the last error set.
std::int64_t movedPosition(const FileObject& file, std::int64_t distance, DWORD moveMethod) {
  std::int64_t origin = 0;
  DWORD error = ERROR_SUCCESS;
  struct stat status {};
  if (moveMethod == FILE_CURRENT) {
    origin = file.position;
  } else if (moveMethod == FILE_END && file.size) {
    origin = *file.size;
  } else if (moveMethod == FILE_END) {
    error = fstat(file.descriptor, &status) == 0 ? ERROR_SUCCESS : win32ErrorFromErrno(errno);
    origin = status.st_size;
  } else if (moveMethod != FILE_BEGIN) {
    error = ERROR_INVALID_PARAMETER;
  }
  std::int64_t moved = 0;
  if (error == ERROR_SUCCESS && __builtin_add_overflow(origin, distance, &moved)) {
    error = ERROR_INVALID_PARAMETER;
  }
  if (error == ERROR_SUCCESS && moved < 0) error = ERROR_NEGATIVE_SEEK;
  if (error == ERROR_SUCCESS) return moved;
  SetLastError(error);
  return -1;
}

}  // namespace

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
                     LPOVERLAPPED overlapped) {
  kernel32::BlockingCall blocking;
  if (bytesRead != nullptr) *bytesRead = 0;
  std::shared_ptr<FileObject> object = fileWithAccess(file, GENERIC_READ);
  if (!object) return FALSE;
  // Overlapped reads are not offered; a synchronous read must report its count.
  if (overlapped != nullptr || bytesRead == nullptr || (buffer == nullptr && bytesToRead > 0)) {
    return failWith(ERROR_INVALID_PARAMETER);
  }
  if (object->unbufferedSectorBytes != 0) {
    DWORD refused = prepareUnbufferedTransfer(*object, buffer, bytesToRead, true);
    if (refused != ERROR_SUCCESS) return failWith(refused);
  }
  std::uint32_t length = bytesToRead;
  const FaultHooks* hooks = faultHooks();
  if (hooks != nullptr) {
    ReadPlan plan =
        hooks->onRead(object->path, object->position, length, object->unbufferedSectorBytes);
    if (plan.fails && plan.how == ReadFailure::noByte) return TRUE;
    if (plan.fails) {
      return failWith(plan.how == ReadFailure::invalid ? ERROR_INVALID_PARAMETER : ERROR_CRC);
    }
    length = plan.length;
  }
  ssize_t count = readFromFile(*object, static_cast<char*>(buffer), length);
  if (count < 0) return failWith(readFailureError(errno, object->descriptor));
  if (count > 0 && hooks != nullptr) {
    hooks->corruptDelivered(object->path, object->position, buffer,
                            static_cast<std::uint32_t>(count));
  }
  object->position += count;
  *bytesRead = static_cast<DWORD>(count);
  return TRUE;  // at the end of the file: TRUE with 0 bytes read
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
                      LPOVERLAPPED overlapped) {
  kernel32::BlockingCall blocking;
  if (bytesWritten != nullptr) *bytesWritten = 0;
  std::shared_ptr<FileObject> object = fileWithAccess(file, GENERIC_WRITE);
  if (!object) return FALSE;
  if (overlapped != nullptr || bytesWritten == nullptr || (buffer == nullptr && bytesToWrite > 0)) {
    return failWith(ERROR_INVALID_PARAMETER);
  }
  if (object->unbufferedSectorBytes != 0) {
    DWORD refused = prepareUnbufferedTransfer(*object, buffer, bytesToWrite, false);
    if (refused != ERROR_SUCCESS) return failWith(refused);
  }
  std::uint32_t length = bytesToWrite;
  WritePlan plan{length, false, ERROR_SUCCESS};
  if (const FaultHooks* hooks = faultHooks())
    plan = hooks->onWrite(object->path, object->position, length);
  std::uint32_t written = writeAtPointer(*object, static_cast<const char*>(buffer), plan.length);
  int writeError = errno;
  object->position += written;
  if (object->size && written > 0) object->size = std::max(*object->size, object->position);
  *bytesWritten = written;
  if (written < plan.length) return failWithErrno(writeError);
  if (plan.fails) return failWith(plan.error);
  return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE file, LONG distanceToMove, PLONG distanceToMoveHigh,
                            DWORD moveMethod) {
  std::shared_ptr<FileObject> object = fileFromHandle(file);
  if (!object) return INVALID_SET_FILE_POINTER;
  std::int64_t distance = distanceToMove;
  if (distanceToMoveHigh != nullptr) {
    distance = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(*distanceToMoveHigh))
         << kDwordBits) |
        static_cast<std::uint32_t>(distanceToMove));
  }
  std::int64_t moved = movedPosition(*object, distance, moveMethod);
  if (moved < 0) return INVALID_SET_FILE_POINTER;
  // Without the high part the new pointer must fit in 32 bits.
  if (distanceToMoveHigh == nullptr && moved > kLargestLowPosition) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  object->position = moved;
  if (distanceToMoveHigh != nullptr) *distanceToMoveHigh = static_cast<LONG>(moved >> kDwordBits);
  // A low part of 0xFFFFFFFF is a valid pointer: last error 0 tells it from a failure.
  DWORD low = static_cast<DWORD>(moved);
  if (low == INVALID_SET_FILE_POINTER) SetLastError(ERROR_SUCCESS);
  return low;
}

BOOL WINAPI SetEndOfFile(HANDLE file) {
  kernel32::BlockingCall blocking;
  std::shared_ptr<FileObject> object = fileWithAccess(file, GENERIC_WRITE);
  if (!object) return FALSE;
  int result = 0;
  do {
    result = ftruncate(object->descriptor, object->position);
  } while (result != 0 && errno == EINTR);
  if (result != 0) return failWithErrno(errno);
  if (object->size) object->size = object->position;
  return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
  kernel32::BlockingCall blocking;
  std::shared_ptr<FileObject> object = fileFromHandle(file);
  if (!object) return INVALID_FILE_SIZE;
  struct stat status {};
  if (fstat(object->descriptor, &status) != 0) {
    failWithErrno(errno);
    return INVALID_FILE_SIZE;
  }
  std::uint64_t size = static_cast<std::uint64_t>(status.st_size);
  if (fileSizeHigh != nullptr) *fileSizeHigh = static_cast<DWORD>(size >> kDwordBits);
  DWORD low = static_cast<DWORD>(size);
  if (low == INVALID_FILE_SIZE) SetLastError(ERROR_SUCCESS);
  return low;
}

BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER fileSize) {
  kernel32::BlockingCall blocking;
  std::shared_ptr<FileObject> object = fileFromHandle(file);
  if (!object) return FALSE;
  if (fileSize == nullptr) return failWith(ERROR_INVALID_PARAMETER);
  struct stat status {};
  // Always asked of the file system: another program, or a medium that went, may have changed it.
  if (fstat(object->descriptor, &status) != 0) {
    return failWith(readFailureError(errno, object->descriptor));
  }
  fileSize->QuadPart = status.st_size;
  return TRUE;
}

DWORD WINAPI GetFileType(HANDLE file) {
  kernel32::BlockingCall blocking;
  std::shared_ptr<FileObject> object = fileFromHandle(file);
  if (!object) return FILE_TYPE_UNKNOWN;
  struct stat status {};
  if (fstat(object->descriptor, &status) != 0) {
    failWithErrno(errno);
    return FILE_TYPE_UNKNOWN;
  }
  // As Windows reports them: files and disks, character devices (a console, NUL), pipes.
  if (S_ISREG(status.st_mode) || S_ISBLK(status.st_mode)) return FILE_TYPE_DISK;
  if (S_ISCHR(status.st_mode)) return FILE_TYPE_CHAR;
  if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode)) return FILE_TYPE_PIPE;
  // Windows clears the last error when the type is known to be unknown.
  SetLastError(ERROR_SUCCESS);
  return FILE_TYPE_UNKNOWN;
}

// The path of the file itself, with every symbolic link of the name it was opened by resolved, as
// the system holds it for the open descriptor. Only the DOS form of the name is known here (flags
// FILE_NAME_NORMALIZED or FILE_NAME_OPENED, both with VOLUME_NAME_DOS); it is an absolute POSIX
// path. As on Windows: the length without the terminating zero on success, the size needed with
// it when `filePathLength` is too small, 0 on failure.
DWORD WINAPI GetFinalPathNameByHandleA(HANDLE file, LPSTR filePath, DWORD filePathLength,
                                       DWORD flags) {
  kernel32::BlockingCall blocking;
  std::shared_ptr<FileObject> object = fileFromHandle(file);
  if (!object) return 0;
  if ((flags & ~static_cast<DWORD>(FILE_NAME_OPENED)) != 0 ||
      (filePath == nullptr && filePathLength != 0)) {
    failWith(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string link = "/proc/self/fd/" + std::to_string(object->descriptor);
  std::string path(PATH_MAX, '\0');
  ssize_t length = readlink(link.c_str(), path.data(), path.size());
  if (length < 0) {
    failWithErrno(errno);
    return 0;
  }
  // A file whose name is gone (unlinked), or that is no file of a folder (a pipe, a socket), has
  // no path.
  path.resize(static_cast<std::size_t>(length));
  struct stat status {};
  bool unlinked = fstat(object->descriptor, &status) == 0 && status.st_nlink == 0;
  if (path.empty() || path[0] != '/' || unlinked) {
    failWith(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  if (path.size() >= filePathLength) return static_cast<DWORD>(path.size() + 1);
  std::memcpy(filePath, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

BOOL WINAPI FlushFileBuffers(HANDLE file) {
  kernel32::BlockingCall blocking;
  std::shared_ptr<FileObject> object = fileWithAccess(file, GENERIC_WRITE);
  if (!object) return FALSE;
  int error = 0;
  if (const SystemCallHooks* hooks = systemCallHooks()) error = hooks->onFlush(object->path);
  if (error == 0 && fsync(object->descriptor) != 0) error = errno;
  // A FIFO, socket or terminal keeps no data to flush (EINVAL): nothing is lost.
  if (error != 0 && error != EINVAL) return failWithErrno(error);
  return TRUE;
}

BOOL WINAPI GetFileTime(HANDLE file, LPFILETIME creationTime, LPFILETIME lastAccessTime,
                        LPFILETIME lastWriteTime) {
  kernel32::BlockingCall blocking;
  std::shared_ptr<FileObject> object = fileFromHandle(file);
  if (!object) return FALSE;
  struct stat status {};
  if (fstat(object->descriptor, &status) != 0) return failWithErrno(errno);
  if (creationTime != nullptr) *creationTime = creationTimeOf(status);
  if (lastAccessTime != nullptr) *lastAccessTime = lastAccessTimeOf(status);
  if (lastWriteTime != nullptr) *lastWriteTime = lastWriteTimeOf(status);
  return TRUE;
}
