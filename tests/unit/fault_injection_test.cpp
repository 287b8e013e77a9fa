// The test fault layer of the POSIX kernel32: failing opens, reads, writes, closes and folder
// creation on a chosen path, the counts of the calls made, and the fixed local time.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/faults/faults.h"
#include "platform/winapi.h"
#include "tests/conformance/kernel32_scoped_temp_dir.h"

namespace {

class FaultInjection : public ScopedTempDir {
 protected:
  void SetUp() override {
    ScopedTempDir::SetUp();
    ASSERT_TRUE(writeFile("data", "0123456789"));
    faults::reset();
  }

  void TearDown() override {
    faults::disarm();
    ScopedTempDir::TearDown();
  }

  static HANDLE open(const char* name, DWORD access = GENERIC_READ) {
    return CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  // Reads `length` bytes at `offset`; returns what was delivered, or "<FALSE n>" with the last
  // error n when ReadFile failed.
  static std::string readAt(HANDLE file, LONG offset, DWORD length) {
    SetFilePointer(file, offset, nullptr, FILE_BEGIN);
    char buffer[64] = {};
    DWORD count = 99;
    if (!ReadFile(file, buffer, length, &count, nullptr)) {
      return "<FALSE " + std::to_string(GetLastError()) + ">";
    }
    return std::string(buffer, count);
  }
};

TEST_F(FaultInjection, FirstOpensFailWithTheChosenErrorAndAllAreCounted) {
  faults::failOpens("data", 2, ERROR_SHARING_VIOLATION);
  for (int attempt = 0; attempt < 2; ++attempt) {
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_HANDLE_VALUE, open("data"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
  }
  HANDLE file = open("data");
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  CloseHandle(file);
  EXPECT_EQ(3, faults::opens("data"));
}

TEST_F(FaultInjection, PathsMatchInAbsoluteAndLexicallyNormalForm) {
  ASSERT_TRUE(CreateDirectoryA("sub", nullptr));
  faults::failOpens(absolute("data"), 1);
  std::string roundabout = "./sub/..//data";
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_HANDLE_VALUE, open(roundabout.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  EXPECT_EQ(1, faults::opens("data"));
  EXPECT_EQ(1, faults::opens(absolute("sub") + "/../data/"));
  EXPECT_EQ(0, faults::opens("sub/data"));
}

TEST_F(FaultInjection, FailedOpenCreatesNothing) {
  faults::failOpens("new", 1);
  EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA("new", GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("new"));
}

TEST_F(FaultInjection, ReadOfFailingByteFailsWithCrcThenSucceeds) {
  faults::failReads("data", 7, 2);
  HANDLE file = open("data");
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ("<FALSE 23>", readAt(file, 7, 1));
  EXPECT_EQ(7u, SetFilePointer(file, 0, nullptr, FILE_CURRENT));  // the pointer stays
  EXPECT_EQ("<FALSE 23>", readAt(file, 7, 1));
  EXPECT_EQ("7", readAt(file, 7, 1));
  EXPECT_EQ("6", readAt(file, 6, 1));
  CloseHandle(file);
  EXPECT_EQ(3, faults::readsAt("data", 7));
  EXPECT_EQ(1, faults::readsAt("data", 6));
}

TEST_F(FaultInjection, NoByteFailureSucceedsWithNothingRead) {
  faults::failReads("data", 3, -1, faults::ReadFailure::noByte);
  HANDLE file = open("data");
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  for (int attempt = 0; attempt < 5; ++attempt) EXPECT_EQ("", readAt(file, 3, 1));
  EXPECT_EQ("4", readAt(file, 4, 1));
  CloseHandle(file);
  EXPECT_EQ(5, faults::singleByteReadsAt("data", 3));
}

TEST_F(FaultInjection, LongerReadStopsBeforeTheFailingByte) {
  faults::failReads("data", 4, 1);
  HANDLE file = open("data");
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ("0123", readAt(file, 0, 8));
  EXPECT_EQ(4u, SetFilePointer(file, 0, nullptr, FILE_CURRENT));
  char buffer[8] = {};
  DWORD count = 0;
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(ReadFile(file, buffer, 8, &count, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_CRC), GetLastError());
  EXPECT_EQ("456789", readAt(file, 4, 8));
  CloseHandle(file);
  // The first read covered byte 4 without reaching it; it used up no failure.
  EXPECT_EQ(3, faults::readsAt("data", 4));
  EXPECT_EQ(0, faults::singleByteReadsAt("data", 4));
}

TEST_F(FaultInjection, RangeFailsEachByteItsOwnNumberOfTimes) {
  faults::failReadRange("data", 2, 4, 1);
  HANDLE file = open("data");
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  std::string delivered;
  for (LONG offset = 0; offset < 6; ++offset) delivered += readAt(file, offset, 1) + "|";
  for (LONG offset = 0; offset < 6; ++offset) delivered += readAt(file, offset, 1) + "|";
  CloseHandle(file);
  EXPECT_EQ("0|1|<FALSE 23>|<FALSE 23>|<FALSE 23>|5|0|1|2|3|4|5|", delivered);
}

TEST_F(FaultInjection, FaultsHitEveryHandleOfThePath) {
  faults::failReads("data", 1, -1);
  HANDLE reader = open("data");
  HANDLE writer = open("data", GENERIC_READ | GENERIC_WRITE);
  ASSERT_NE(INVALID_HANDLE_VALUE, reader);
  ASSERT_NE(INVALID_HANDLE_VALUE, writer);
  EXPECT_EQ("<FALSE 23>", readAt(reader, 1, 1));
  EXPECT_EQ("<FALSE 23>", readAt(writer, 1, 1));
  CloseHandle(reader);
  CloseHandle(writer);
  EXPECT_EQ(2, faults::readsAt("data", 1));
  EXPECT_EQ(2, faults::closes("data"));
}

TEST_F(FaultInjection, WriteFailsAtTheChosenOffsetAfterWritingTheBytesBefore) {
  faults::failWrites("data", 5, 1, ERROR_DISK_FULL);
  HANDLE file = open("data", GENERIC_READ | GENERIC_WRITE);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  ASSERT_EQ(3u, SetFilePointer(file, 3, nullptr, FILE_BEGIN));
  DWORD written = 99;
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(WriteFile(file, "abcd", 4, &written, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), GetLastError());
  EXPECT_EQ(2u, written);
  EXPECT_EQ(5u, SetFilePointer(file, 0, nullptr, FILE_CURRENT));
  EXPECT_TRUE(WriteFile(file, "cd", 2, &written, nullptr));
  CloseHandle(file);
  EXPECT_EQ("012abcd789", readFile("data"));
  EXPECT_EQ(2, faults::writesAt("data", 5));
  EXPECT_EQ(1, faults::writesAt("data", 3));
}

TEST_F(FaultInjection, FailedCloseLeavesTheHandleOpenForARetry) {
  faults::failCloses("data", 2);
  HANDLE file = open("data");
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(static_cast<DWORD>(ERROR_WRITE_FAULT), GetLastError());
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ("0", readAt(file, 0, 1));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  EXPECT_EQ(3, faults::closes("data"));
}

TEST_F(FaultInjection, FolderCreationFailsTheFirstTimes) {
  faults::failCreateDirectory("made", 1, ERROR_WRITE_PROTECT);
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(CreateDirectoryA("made", nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_WRITE_PROTECT), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("made"));
  EXPECT_TRUE(CreateDirectoryA("made", nullptr));
}

TEST_F(FaultInjection, ResetRemovesFaultsAndZeroesCounts) {
  faults::failReads("data", 0, -1);
  HANDLE file = open("data");
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ("<FALSE 23>", readAt(file, 0, 1));
  faults::reset();
  EXPECT_EQ(0, faults::readsAt("data", 0));
  EXPECT_EQ("0", readAt(file, 0, 1));
  EXPECT_EQ(1, faults::readsAt("data", 0));
  CloseHandle(file);
}

TEST_F(FaultInjection, NothingIsCountedWhileDisarmed) {
  faults::disarm();
  HANDLE file = open("data");
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ("0", readAt(file, 0, 1));
  CloseHandle(file);
  EXPECT_EQ(0, faults::opens("data"));
  EXPECT_EQ(0, faults::readsAt("data", 0));
  EXPECT_EQ(0, faults::closes("data"));
}

TEST_F(FaultInjection, HandleOpenedByRelativePathWhileDisarmedStaysOutsideFaults) {
  faults::disarm();
  HANDLE relativeEarly = open("data");
  HANDLE absoluteEarly = open(absolute("data").c_str());
  faults::failReads("data", 0, -1);
  HANDLE relativeLate = open("data");
  ASSERT_NE(INVALID_HANDLE_VALUE, relativeEarly);
  ASSERT_NE(INVALID_HANDLE_VALUE, absoluteEarly);
  ASSERT_NE(INVALID_HANDLE_VALUE, relativeLate);
  EXPECT_EQ("0", readAt(relativeEarly, 0, 1));
  EXPECT_EQ("<FALSE 23>", readAt(absoluteEarly, 0, 1));
  EXPECT_EQ("<FALSE 23>", readAt(relativeLate, 0, 1));
  for (HANDLE file : {relativeEarly, absoluteEarly, relativeLate}) CloseHandle(file);
}

TEST_F(FaultInjection, LocalTimeStandsStillUntilTheRealClockIsBack) {
  SYSTEMTIME fixed{1999, 1, 5, 1, 7, 5, 9, 40};
  faults::setLocalTime(fixed);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  EXPECT_EQ(1999, now.wYear);
  EXPECT_EQ(7, now.wHour);
  EXPECT_EQ(40, now.wMilliseconds);
  faults::useRealClock();
  GetLocalTime(&now);
  EXPECT_NE(1999, now.wYear);
  faults::setLocalTime(fixed);
  faults::reset();
  GetLocalTime(&now);
  EXPECT_NE(1999, now.wYear);
}

}  // namespace
