// SetFileTime on handles of CreateFileA: the times Windows keeps for a file, set with futimens to
// the full resolution of a FILETIME (100 nanoseconds).
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>

#include "platform/posix/kernel32/blocking_call.h"
#include "platform/posix/kernel32/errors.h"
#include "platform/posix/kernel32/file_info.h"
#include "platform/posix/kernel32/handles.h"
#include "platform/winapi.h"

namespace {

using namespace kernel32;

constexpr std::int64_t kNanosecondsPerUnit = 100;
constexpr std::int64_t kUnitsPerSecond = kFileTimeUnitsPerSecond;
// A FILETIME of all ones asks Windows to stop updating that time for the handle; POSIX keeps no
// such state, so it leaves the time as it is, as a null pointer does.
constexpr std::uint64_t kStopUpdating = 0xFFFFFFFFFFFFFFFFULL;

// Returns the POSIX time of a FILETIME, or UTIME_OMIT for none (a null pointer, zero, which
// Windows also takes as "leave it", or all ones).
struct timespec timespecOf(const FILETIME* time) {
  struct timespec result {
    0, UTIME_OMIT
  };
  if (time == nullptr) return result;
  std::uint64_t value = fileTimeValue(*time);
  if (value == 0 || value == kStopUpdating) return result;
  // A FILETIME counts from 1601; times before 1970 give negative seconds, as POSIX keeps them.
  std::int64_t units = static_cast<std::int64_t>(value) - kUnixEpochInFileTime;
  std::int64_t seconds = units / kUnitsPerSecond;
  std::int64_t rest = units % kUnitsPerSecond;
  if (rest < 0) {
    rest += kUnitsPerSecond;
    seconds -= 1;
  }
  result.tv_sec = static_cast<time_t>(seconds);
  result.tv_nsec = static_cast<long>(rest * kNanosecondsPerUnit);
  return result;
}

// Returns false for a time beyond what a FILETIME counts (its top bit set), other than all ones.
bool isValidTime(const FILETIME* time) {
  if (time == nullptr) return true;
  std::uint64_t value = fileTimeValue(*time);
  return value == kStopUpdating || value <= static_cast<std::uint64_t>(INT64_MAX);
}

}  // namespace

BOOL WINAPI SetFileTime(HANDLE file, const FILETIME* creationTime, const FILETIME* lastAccessTime,
                        const FILETIME* lastWriteTime) {
  kernel32::BlockingCall blocking;
  std::shared_ptr<FileObject> object = fileFromHandle(file);
  if (!object) return FALSE;
  // Windows asks for FILE_WRITE_ATTRIBUTES, which GENERIC_WRITE holds.
  if (!(object->access & GENERIC_WRITE)) return failWith(ERROR_ACCESS_DENIED);
  for (const FILETIME* time : {creationTime, lastAccessTime, lastWriteTime}) {
    if (!isValidTime(time)) return failWith(ERROR_INVALID_PARAMETER);
  }
  // POSIX keeps no creation time that could be set: it stays as the system has it.
  const struct timespec times[2] = {timespecOf(lastAccessTime), timespecOf(lastWriteTime)};
  if (futimens(object->descriptor, times) != 0) return failWithErrno(errno);
  return TRUE;
}
