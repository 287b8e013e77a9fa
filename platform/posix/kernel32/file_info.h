// What Windows reports about a file, derived from POSIX stat data: attribute bits and FILETIMEs.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "platform/winapi.h"

namespace kernel32 {

// 100-nanosecond intervals between 1601-01-01 (the FILETIME epoch) and 1970-01-01.
constexpr std::int64_t kUnixEpochInFileTime = 116444736000000000LL;
constexpr std::int64_t kFileTimeUnitsPerSecond = 10000000LL;

// Returns true when `status` carries Windows' read-only state: a file (not a folder) whose owner
// has no write permission. Decided from the mode bits alone, so it holds for root as well.
bool modeIsReadOnly(const struct stat& status);

// Stats `path`, following a symbolic link; a dangling link is stat'ed itself. Returns 0 or errno.
int statEntry(const std::string& path, struct stat& status);

// Stats the entry `name` of the open folder `folder` (whose path is `path`), following a symbolic
// link as statEntry does. Returns 0 or errno.
int statEntryIn(int folder, const std::string& name, const std::string& path, struct stat& status);

// Returns the Win32 attributes of the entry `name` (its last path component) at `path`:
// folder 0x10; a FIFO, socket or device 0x04; a file that may not be written (no owner write
// permission, or the user may not write it) 0x01, never for folders; a name beginning with "."
// (but not "." or "..") 0x02; a file with none of these 0x80 (FILE_ATTRIBUTE_NORMAL).
DWORD attributesOf(const struct stat& status, const std::string& name, const std::string& path);

// Returns the FILETIME of a POSIX time; times before 1601 become 0.
FILETIME fileTimeFrom(const struct timespec& time);

// Returns the FILETIME as one 64-bit count of 100-nanosecond intervals, and back.
std::uint64_t fileTimeValue(const FILETIME& time);
FILETIME fileTimeOf(std::uint64_t value);

// The three times Windows keeps for a file. POSIX keeps no creation time in stat data; the
// earlier of the last change and the last write stands for it.
FILETIME creationTimeOf(const struct stat& status);
FILETIME lastAccessTimeOf(const struct stat& status);
FILETIME lastWriteTimeOf(const struct stat& status);

}  // namespace kernel32
