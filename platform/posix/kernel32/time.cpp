// Local time and the conversions of file times: FileTimeToLocalFileTime, FileTimeToDosDateTime
// and GetLocalTime.
#include <time.h>

#include <cstdint>
#include <optional>

#include "platform/posix/kernel32/errors.h"
#include "platform/posix/kernel32/fault_hooks.h"
#include "platform/posix/kernel32/file_info.h"
#include "platform/winapi.h"

namespace {

using namespace kernel32;

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kSecondsPerHour = 3600;
constexpr std::int64_t kSecondsPerMinute = 60;
constexpr std::int64_t kNanosecondsPerMillisecond = 1000000;
// Days from 1601-01-01 (the FILETIME epoch) to 1970-01-01.
constexpr std::int64_t kFileTimeEpochToUnixDays = 134774;
// The packed date holds the years 1980 to 2107 (seven bits above 1980).
constexpr int kFirstPackedYear = 1980;
constexpr int kLastPackedYear = 2107;
constexpr int kPackedYearShift = 9;
constexpr int kPackedMonthShift = 5;
constexpr int kPackedHourShift = 11;
constexpr int kPackedMinuteShift = 5;
constexpr int kBaseYear = 1900;

struct CivilDate {
  int year;
  int month;  // 1 to 12
  int day;    // 1 to 31
};

// Returns the Gregorian date `days` days after 1970-01-01 (Howard Hinnant's civil_from_days).
CivilDate civilFromDays(std::int64_t days) {
  days += 719468;
  std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  std::int64_t dayOfEra = days - era * 146097;
  std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
  return CivilDate{year, month, day};
}

// Returns the offset of local time from UTC, in seconds, as it is now.
std::int64_t currentUtcOffset() {
  time_t now = time(nullptr);
  struct tm local {};
  if (localtime_r(&now, &local) == nullptr) return 0;
  return local.tm_gmtoff;
}

}  // namespace

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime) {
  if (fileTime == nullptr || localFileTime == nullptr) return failWith(ERROR_INVALID_PARAMETER);
  // Windows applies the bias in force now (daylight saving included), whatever the date of the
  // converted time.
  std::int64_t bias = currentUtcOffset() * kFileTimeUnitsPerSecond;
  std::uint64_t value = fileTimeValue(*fileTime);
  if (value > static_cast<std::uint64_t>(INT64_MAX)) return failWith(ERROR_INVALID_PARAMETER);
  std::int64_t local = 0;
  if (__builtin_add_overflow(static_cast<std::int64_t>(value), bias, &local) || local < 0) {
    return failWith(ERROR_INVALID_PARAMETER);
  }
  *localFileTime = fileTimeOf(static_cast<std::uint64_t>(local));
  return TRUE;
}

BOOL WINAPI FileTimeToDosDateTime(const FILETIME* fileTime, LPWORD fatDate, LPWORD fatTime) {
  if (fileTime == nullptr || fatDate == nullptr || fatTime == nullptr) {
    return failWith(ERROR_INVALID_PARAMETER);
  }
  std::int64_t seconds =
      static_cast<std::int64_t>(fileTimeValue(*fileTime) / kFileTimeUnitsPerSecond);
  std::int64_t secondOfDay = seconds % kSecondsPerDay;
  CivilDate date = civilFromDays(seconds / kSecondsPerDay - kFileTimeEpochToUnixDays);
  // The packed form cannot hold a time before 1980 or after 2107: no made-up date.
  if (date.year < kFirstPackedYear || date.year > kLastPackedYear) {
    return failWith(ERROR_INVALID_PARAMETER);
  }
  *fatDate = static_cast<WORD>(((date.year - kFirstPackedYear) << kPackedYearShift) |
                               (date.month << kPackedMonthShift) | date.day);
  // Seconds are kept in two-second steps.
  *fatTime = static_cast<WORD>(
      ((secondOfDay / kSecondsPerHour) << kPackedHourShift) |
      ((secondOfDay % kSecondsPerHour / kSecondsPerMinute) << kPackedMinuteShift) |
      (secondOfDay % kSecondsPerMinute / 2));
  return TRUE;
}

void WINAPI GetLocalTime(LPSYSTEMTIME systemTime) {
  if (systemTime == nullptr) return;
  if (const FaultHooks* hooks = faultHooks()) {
    if (std::optional<SYSTEMTIME> fixed = hooks->fixedLocalTime()) {
      *systemTime = *fixed;
      return;
    }
  }
  struct timespec now {};
  clock_gettime(CLOCK_REALTIME, &now);
  struct tm local {};
  localtime_r(&now.tv_sec, &local);
  systemTime->wYear = static_cast<WORD>(local.tm_year + kBaseYear);
  systemTime->wMonth = static_cast<WORD>(local.tm_mon + 1);
  systemTime->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  systemTime->wDay = static_cast<WORD>(local.tm_mday);
  systemTime->wHour = static_cast<WORD>(local.tm_hour);
  systemTime->wMinute = static_cast<WORD>(local.tm_min);
  systemTime->wSecond = static_cast<WORD>(local.tm_sec);
  systemTime->wMilliseconds = static_cast<WORD>(now.tv_nsec / kNanosecondsPerMillisecond);
}
