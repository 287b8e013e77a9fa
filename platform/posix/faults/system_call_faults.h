// Failures of the system calls under kernel32 calls, for tests of how the layer answers them:
// reads refused with an errno (a device that has gone, O_DIRECT refused at the read), a file
// system without RENAME_NOREPLACE or without hard links, a flush that fails. The layer sees the
// errno as if the system call had returned it, so its own handling is what is tested.
//
// Paths are matched as faults.h describes. These faults are kept apart from those of faults.h:
// clearSystemCallFaults() removes them all, and faults::reset() leaves them alone.
#pragma once

#include <cstdint>
#include <string>

namespace faults {

// Every read of `path` from the byte at `offset` on fails with errno `error`: a read that starts
// at or after it fails at once, one that starts before it delivers the bytes before it.
void failReadsFrom(const std::string& path, std::int64_t offset, int error);

// Every read of `path` through a descriptor that bypasses the page cache (O_DIRECT) fails with
// EINVAL, as on a file system that accepts O_DIRECT at the open and refuses its reads.
void refuseDirectReads(const std::string& path);

// Every stat of the entry `path` by name (the directory search, GetFileAttributesA) fails with
// errno `error`, as for an entry whose inode is damaged (EBADMSG) or whose medium has gone.
void failStats(const std::string& path, int error);

// Every rename with RENAME_NOREPLACE fails with `error` (EINVAL: the flag is not offered).
void refuseRenameNoReplace(int error);

// Every hard link fails with `error` (EPERM: a FAT file system).
void refuseLinks(int error);

// The first `count` fsync calls of FlushFileBuffers on handles of `path` fail with errno `error`.
void failFlushes(const std::string& path, int count, int error);

// fsync calls of FlushFileBuffers made on handles of `path` since the faults were last cleared,
// the failed ones included.
std::int64_t flushes(const std::string& path);

// Removes every fault of this file and its table of hooks.
void clearSystemCallFaults();

}  // namespace faults
