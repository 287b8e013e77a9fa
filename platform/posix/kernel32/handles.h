// The handle table of the POSIX kernel32 layer: every HANDLE the layer gives out names one typed
// entry (an open file, a directory search, or a file whose real close failed). Handle values are
// never reused, so a stale handle can never reach another object.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/winapi.h"

namespace kernel32 {

// One CreateFileA handle.
struct FileObject {
  int descriptor = -1;
  DWORD access = 0;     // GENERIC_READ and GENERIC_WRITE as the opener asked for them
  DWORD shareMode = 0;  // FILE_SHARE_* as the opener granted them
  dev_t device = 0;
  ino_t inode = 0;
  bool seekable = true;       // pread/pwrite work; false for FIFOs, sockets and terminals
  std::string path;           // absolute and lexically normal, for fault matching
  std::int64_t position = 0;  // the Win32 file pointer
  // The size of a regular file opened without FILE_SHARE_WRITE, kept up to date by this handle's
  // writes: on Windows no other handle may write the file meanwhile, so a seek to its end needs
  // no system call. Unknown for every other file.
  std::optional<std::int64_t> size;
  // Opened with FILE_FLAG_NO_BUFFERING: the sector size its transfers must be aligned to (0 for
  // a cached handle), and whether its reads drop the cached pages first, as the file system
  // refused O_DIRECT (platform/posix/kernel32/no_buffering.h).
  std::uint32_t unbufferedSectorBytes = 0;
  bool dropsCachedPages = false;
};

// One FindFirstFileA handle: the matching names of one folder, in the order they are reported.
struct FindObject {
  std::string folder;  // the folder part of the pattern, "." for none
  // The folder listed, held open while the search lasts: its entries are examined in it, also
  // when its file system has been unmounted or its medium has gone meanwhile. -1 for none.
  int folderDescriptor = -1;
  std::vector<std::string> names;
  std::set<std::string> listedAsFolders;  // the names the listing itself calls folders
  std::size_t next = 0;

  FindObject() = default;
  FindObject(const FindObject&) = delete;
  FindObject& operator=(const FindObject&) = delete;
  ~FindObject() {
    if (folderDescriptor >= 0) ::close(folderDescriptor);
  }
};

// Registers `file` unless its share mode or access conflicts with a handle already open on the
// same file (Windows share-mode rules, applied within this process). `truncates` tells that the
// open replaces the file's content, which needs the others to share writing. Returns the new
// handle, or nullopt after SetLastError(ERROR_SHARING_VIOLATION).
std::optional<HANDLE> addFileHandle(std::shared_ptr<FileObject> file, bool truncates);

// Registers a directory search and returns its handle.
HANDLE addFindHandle(std::shared_ptr<FindObject> find);

// Returns the file behind `handle`, or null after SetLastError(ERROR_INVALID_HANDLE).
std::shared_ptr<FileObject> fileFromHandle(HANDLE handle);

// Returns the directory search behind `handle`, or null after SetLastError(ERROR_INVALID_HANDLE).
std::shared_ptr<FindObject> findFromHandle(HANDLE handle);

// Removes `handle` from the table; returns whether it was there.
bool removeHandle(HANDLE handle);

// Turns `handle` into a file whose real close failed with `error`: every later use fails, and
// every later CloseHandle reports the same error again.
void markCloseFailed(HANDLE handle, DWORD error);

// Returns the error of a failed close when `handle` is such an entry.
std::optional<DWORD> closeFailure(HANDLE handle);

// Returns true when a handle open on the file (device, inode) does not share deletion, so the
// file may not be deleted or renamed (ERROR_SHARING_VIOLATION on Windows).
bool openWithoutDeleteSharing(dev_t device, ino_t inode);

}  // namespace kernel32
