// FILE_FLAG_NO_BUFFERING on POSIX. A handle opened with it reads and writes past the page cache:
// its descriptor is opened with O_DIRECT. Where the file system refuses O_DIRECT (older tmpfs,
// some FUSE file systems), the handle is opened without it, and every read first drops the cached
// pages of the range it reads (posix_fadvise POSIX_FADV_DONTNEED): pages that were flushed
// (FlushFileBuffers) are then read again from the file system, while pages not yet flushed stay in
// the cache. Either way, as on Windows, offsets, lengths and buffer addresses must be multiples of
// the volume's sector size (GetDiskFreeSpaceA), or the call fails with ERROR_INVALID_PARAMETER.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>

#include "platform/posix/kernel32/handles.h"
#include "platform/winapi.h"

namespace kernel32 {

// The sector size of a volume whose block device tells none (a memory or FUSE file system).
inline constexpr std::uint32_t kDefaultSectorBytes = 512;

// Returns the number in the sysfs file `name` (a path below the device's folder) of the block
// device `device`, or of the disk its partition lies on; nothing for a device that has none (no
// block device at all).
std::optional<std::uint32_t> diskAttribute(dev_t device, const char* name);

// Returns the sector size of the volume on `device`: the logical block size of its block device
// (or of the disk its partition lies on), kDefaultSectorBytes where there is none.
std::uint32_t volumeSectorBytes(dev_t device);

// Checks a ReadFile (`reads`) or WriteFile of `length` bytes at `file`'s pointer from `buffer` on
// a handle opened with FILE_FLAG_NO_BUFFERING, and drops the cached pages of the range before a
// read where the file system refused O_DIRECT. Returns ERROR_SUCCESS or the error to fail with.
DWORD prepareUnbufferedTransfer(const FileObject& file, const void* buffer, std::uint32_t length,
                                bool reads);

// Returns false when the kernel tells (statx, STATX_DIOALIGN) that direct transfers of the open
// file `descriptor` need a stricter alignment than `sectorBytes`, or offers none; true when they
// fit or when the kernel does not tell.
bool directTransfersFit(int descriptor, std::uint32_t sectorBytes);

// Returns true when reads of `file` bypass the page cache (O_DIRECT).
bool readsPastCache(const FileObject& file);

// Takes O_DIRECT off `file`, whose file system refused an aligned read of `length` bytes at its
// pointer, and marks it to drop the cached pages before each read from then on (the first of them
// now). Returns false when the descriptor's flags cannot be changed.
bool stopReadingPastCache(FileObject& file, std::uint32_t length);

}  // namespace kernel32
