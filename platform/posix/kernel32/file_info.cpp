// Win32 attributes and file times from POSIX stat data.
#include "platform/posix/kernel32/file_info.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/posix/kernel32/fault_hooks.h"
#include "platform/posix/kernel32/paths.h"
#include "platform/posix/kernel32/system_call_hooks.h"

namespace kernel32 {

namespace {
constexpr std::int64_t kNanosecondsPerUnit = 100;
constexpr int kDwordBits = 32;
}  // namespace

bool modeIsReadOnly(const struct stat& status) {
  return !S_ISDIR(status.st_mode) && (status.st_mode & S_IWUSR) == 0;
}

int statEntry(const std::string& path, struct stat& status) {
  return statEntryIn(AT_FDCWD, path, path, status);
}

int statEntryIn(int folder, const std::string& name, const std::string& path, struct stat& status) {
  if (const SystemCallHooks* hooks = systemCallHooks()) {
    if (int error = hooks->onStat(absoluteNormalPath(path)); error != 0) return error;
  }
  // Without following a link first: what is no link needs no second call, and a path that cannot
  // be found so cannot be found by following it either.
  if (fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  if (!S_ISLNK(status.st_mode)) return 0;
  struct stat target {};
  if (fstatat(folder, name.c_str(), &target, 0) == 0) status = target;
  return 0;
}

DWORD attributesOf(const struct stat& status, const std::string& name, const std::string& path) {
  if (const FaultHooks* hooks = faultHooks()) {
    if (auto reported = hooks->reportedAttributes(absoluteNormalPath(path))) return *reported;
  }
  DWORD attributes = 0;
  if (S_ISDIR(status.st_mode)) {
    attributes |= FILE_ATTRIBUTE_DIRECTORY;
  } else {
    if (!S_ISREG(status.st_mode)) attributes |= FILE_ATTRIBUTE_SYSTEM;
    bool mayNotWrite = access(path.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS);
    if (modeIsReadOnly(status) || mayNotWrite) attributes |= FILE_ATTRIBUTE_READONLY;
  }
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") {
    attributes |= FILE_ATTRIBUTE_HIDDEN;
  }
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

std::uint64_t fileTimeValue(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << kDwordBits) | time.dwLowDateTime;
}

FILETIME fileTimeOf(std::uint64_t value) {
  return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> kDwordBits)};
}

FILETIME fileTimeFrom(const struct timespec& time) {
  std::int64_t seconds = time.tv_sec;
  // Before 1601 a FILETIME cannot hold the time; past the year 30828 its count no longer fits.
  constexpr std::int64_t kLastSecond = (INT64_MAX - kUnixEpochInFileTime) / kFileTimeUnitsPerSecond;
  constexpr std::int64_t kFirstSecond = -kUnixEpochInFileTime / kFileTimeUnitsPerSecond;
  if (seconds < kFirstSecond) return fileTimeOf(0);
  if (seconds >= kLastSecond) return fileTimeOf(INT64_MAX);
  std::int64_t units =
      kUnixEpochInFileTime + seconds * kFileTimeUnitsPerSecond + time.tv_nsec / kNanosecondsPerUnit;
  return fileTimeOf(static_cast<std::uint64_t>(units < 0 ? 0 : units));
}

FILETIME creationTimeOf(const struct stat& status) {
  const struct timespec& change = status.st_ctim;
  const struct timespec& write = status.st_mtim;
  bool changeFirst = change.tv_sec < write.tv_sec ||
                     (change.tv_sec == write.tv_sec && change.tv_nsec < write.tv_nsec);
  return fileTimeFrom(changeFirst ? change : write);
}

FILETIME lastAccessTimeOf(const struct stat& status) { return fileTimeFrom(status.st_atim); }

FILETIME lastWriteTimeOf(const struct stat& status) { return fileTimeFrom(status.st_mtim); }

}  // namespace kernel32
