// File times and local time: GetFileTime, SetFileTime, FileTimeToLocalFileTime,
// FileTimeToDosDateTime (the packed date and time, and the years it cannot hold) and GetLocalTime.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/winapi.h"
#include "tests/conformance/kernel32_scoped_temp_dir.h"

namespace {

constexpr std::uint64_t kUnitsPerSecond = 10000000;
constexpr std::uint64_t kUnixEpochSeconds = 11644473600;  // from 1601-01-01 to 1970-01-01

FILETIME fileTime(std::uint64_t value) {
  return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

std::uint64_t valueOf(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// 2004-02-29 13:45:58, a leap day with an even second.
const FILETIME kLeapDayAfternoon = fileTime(0x01C3FECA5C2FEF00ULL);
constexpr WORD kLeapDayDate = ((2004 - 1980) << 9) | (2 << 5) | 29;
constexpr WORD kLeapDayTime = (13 << 11) | (45 << 5) | (58 / 2);

TEST(DosDateTime, PacksAKnownTime) {
  WORD date = 0;
  WORD time = 0;
  ASSERT_TRUE(FileTimeToDosDateTime(&kLeapDayAfternoon, &date, &time));
  EXPECT_EQ(kLeapDayDate, date);
  EXPECT_EQ(kLeapDayTime, time);
}

TEST(DosDateTime, KeepsSecondsInTwoSecondSteps) {
  FILETIME oddSecond = fileTime(valueOf(kLeapDayAfternoon) + kUnitsPerSecond + 9999999);
  WORD date = 0;
  WORD time = 0;
  ASSERT_TRUE(FileTimeToDosDateTime(&oddSecond, &date, &time));
  EXPECT_EQ(kLeapDayDate, date);
  EXPECT_EQ(kLeapDayTime, time);
}

TEST(DosDateTime, RefusesATimeBefore1980) {
  const FILETIME lastSecondOf1979 = fileTime(0x01A8E79FE13CE980ULL);
  WORD date = 0x1234;
  WORD time = 0x5678;
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(FileTimeToDosDateTime(&lastSecondOf1979, &date, &time));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  EXPECT_EQ(0x1234, date);
  EXPECT_EQ(0x5678, time);
  const FILETIME firstSecondOf1980 = fileTime(0x01A8E79FE1D58000ULL);
  ASSERT_TRUE(FileTimeToDosDateTime(&firstSecondOf1980, &date, &time));
  EXPECT_EQ((1 << 5) | 1, date);
  EXPECT_EQ(0, time);
}

TEST(DosDateTime, PacksTheLastSecondOf2107) {
  const FILETIME lastSecondOf2107 = fileTime(0x023868B8676B2980ULL);
  WORD date = 0;
  WORD time = 0;
  ASSERT_TRUE(FileTimeToDosDateTime(&lastSecondOf2107, &date, &time));
  EXPECT_EQ((127 << 9) | (12 << 5) | 31, date);
  EXPECT_EQ((23 << 11) | (59 << 5) | 29, time);
}

#ifndef _WIN32
// Windows documents the refusal of years past 2107, but Wine packs them into a wrapped year
// field, so the check is made of the POSIX layer only.
TEST(DosDateTime, RefusesATimeAfter2107) {
  const FILETIME firstSecondOf2108 = fileTime(0x023868B86803C000ULL);
  WORD date = 0x1234;
  WORD time = 0x5678;
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(FileTimeToDosDateTime(&firstSecondOf2108, &date, &time));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  EXPECT_EQ(0x1234, date);
  EXPECT_EQ(0x5678, time);
}
#endif

TEST(LocalFileTime, DiffersFromUtcByAWholeZoneOffset) {
  FILETIME local;
  ASSERT_TRUE(FileTimeToLocalFileTime(&kLeapDayAfternoon, &local));
  std::int64_t difference = static_cast<std::int64_t>(valueOf(local)) -
                            static_cast<std::int64_t>(valueOf(kLeapDayAfternoon));
  constexpr std::int64_t kQuarterHour = 15 * 60 * kUnitsPerSecond;
  constexpr std::int64_t kFourteenHours = 14 * 3600 * kUnitsPerSecond;
  EXPECT_EQ(0, difference % kQuarterHour);
  EXPECT_LE(std::abs(difference), kFourteenHours);
}

#ifndef _WIN32
// The zone is chosen through TZ, which only the POSIX layer reads.
TEST(LocalFileTime, AddsTheZoneOffset) {
  const char* previous = std::getenv("TZ");
  std::string saved = previous != nullptr ? previous : "";
  setenv("TZ", "XYZ-3", 1);  // three hours east of UTC, no daylight saving
  tzset();
  FILETIME local;
  BOOL converted = FileTimeToLocalFileTime(&kLeapDayAfternoon, &local);
  if (previous != nullptr) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
  ASSERT_TRUE(converted);
  EXPECT_EQ(valueOf(kLeapDayAfternoon) + 3 * 3600 * kUnitsPerSecond, valueOf(local));
}
#endif

TEST(LocalTime, MatchesTheCalendarClock) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::time_t before = std::time(nullptr);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    std::time_t after = std::time(nullptr);
    if (before != after) continue;  // a second boundary passed: look again
    std::tm expected = *std::localtime(&before);
    EXPECT_EQ(expected.tm_year + 1900, now.wYear);
    EXPECT_EQ(expected.tm_mon + 1, now.wMonth);
    EXPECT_EQ(expected.tm_mday, now.wDay);
    EXPECT_EQ(expected.tm_wday, now.wDayOfWeek);
    EXPECT_EQ(expected.tm_hour, now.wHour);
    EXPECT_EQ(expected.tm_min, now.wMinute);
    EXPECT_EQ(expected.tm_sec, now.wSecond);
    EXPECT_LT(now.wMilliseconds, 1000);
    return;
  }
  FAIL() << "the clock kept crossing second boundaries";
}

using FileTimes = ScopedTempDir;

TEST_F(FileTimes, LastWriteTimeOfANewFileIsNow) {
  std::uint64_t before = (std::time(nullptr) + kUnixEpochSeconds) * kUnitsPerSecond;
  ASSERT_TRUE(writeFile("new", "n"));
  std::uint64_t after = (std::time(nullptr) + 1 + kUnixEpochSeconds) * kUnitsPerSecond;
  HANDLE file = CreateFileA("new", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  FILETIME created;
  FILETIME accessed;
  FILETIME written;
  ASSERT_TRUE(GetFileTime(file, &created, &accessed, &written));
  CloseHandle(file);
  // File systems may round times down to whole seconds (or two, on FAT).
  EXPECT_GE(valueOf(written) + 2 * kUnitsPerSecond, before);
  EXPECT_LE(valueOf(written), after);
  EXPECT_LE(valueOf(created), valueOf(written));
}

// Opens `name` with `access`, sharing everything.
HANDLE openExisting(const char* name, DWORD access) {
  return CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Returns the last-write time of `name`, read through a handle of its own.
std::uint64_t lastWriteOf(const char* name) {
  HANDLE file = openExisting(name, GENERIC_READ);
  FILETIME written{};
  EXPECT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_TRUE(GetFileTime(file, nullptr, nullptr, &written));
  CloseHandle(file);
  return valueOf(written);
}

// A copy tool sets the time just before it closes the copy: the time must be kept exactly, to the
// 100 nanoseconds of a FILETIME, through the close, before 1970 as after it.
TEST_F(FileTimes, SetLastWriteTimeIsKeptToTheHundredNanosecondsThroughTheClose) {
  const std::uint64_t kTimes[] = {valueOf(kLeapDayAfternoon) + 1234567,
                                  (kUnixEpochSeconds - 86400 * 365 * 5) * kUnitsPerSecond + 9};
  for (std::uint64_t value : kTimes) {
    SCOPED_TRACE(value);
    ASSERT_TRUE(writeFile("copy", "data"));
    HANDLE file = openExisting("copy", GENERIC_READ | GENERIC_WRITE);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    const FILETIME wanted = fileTime(value);
    SetLastError(0xDEADBEEF);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &wanted));
    FILETIME written{};
    ASSERT_TRUE(GetFileTime(file, nullptr, nullptr, &written));
    EXPECT_EQ(value, valueOf(written));
    ASSERT_TRUE(CloseHandle(file));
    EXPECT_EQ(value, lastWriteOf("copy"));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("copy", &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    EXPECT_EQ(value, valueOf(found.ftLastWriteTime));
    FindClose(search);
  }
}

// A null pointer, and a time of zero, leave that time as it is.
TEST_F(FileTimes, NullOrZeroTimeLeavesTheLastWriteTime) {
  ASSERT_TRUE(writeFile("kept", "k"));
  HANDLE file = openExisting("kept", GENERIC_READ | GENERIC_WRITE);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  const FILETIME set = fileTime(valueOf(kLeapDayAfternoon) + 77);
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &set));
  const FILETIME zero = fileTime(0);
  EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, nullptr));
  EXPECT_TRUE(SetFileTime(file, nullptr, &set, &zero));
  CloseHandle(file);
  EXPECT_EQ(valueOf(set), lastWriteOf("kept"));
}

#ifndef _WIN32
// Windows asks for the right to write attributes, which a handle opened for reading lacks; Wine
// does not check every handle's access the same way, so this is checked of the POSIX layer only.
TEST_F(FileTimes, SetFileTimeNeedsAHandleOpenedForWriting) {
  ASSERT_TRUE(writeFile("read", "r"));
  const std::uint64_t before = lastWriteOf("read");
  HANDLE file = openExisting("read", GENERIC_READ);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(SetFileTime(file, nullptr, nullptr, &kLeapDayAfternoon));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  CloseHandle(file);
  EXPECT_EQ(before, lastWriteOf("read"));
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(SetFileTime(file, nullptr, nullptr, &kLeapDayAfternoon));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}
#endif

}  // namespace
