// ReadFile, WriteFile, SetFilePointer and GetFileSize: the file pointer, the end of the file,
// 64-bit positions with the high part, and the access a handle was opened with.
#include <gtest/gtest.h>

#include <string>

#include "platform/winapi.h"
#include "tests/conformance/kernel32_scoped_temp_dir.h"

namespace {

class ReadWrite : public ScopedTempDir {
 protected:
  void SetUp() override {
    ScopedTempDir::SetUp();
    ASSERT_TRUE(writeFile("data", "0123456789"));
  }

  void TearDown() override {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    ScopedTempDir::TearDown();
  }

  void open(const char* name, DWORD access, DWORD disposition = OPEN_EXISTING) {
    file_ = CreateFileA(name, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file_);
  }

  // Reads one byte at the file pointer; returns it, or -1 when none was delivered.
  int readByte() {
    unsigned char byte = 0;
    DWORD count = 0;
    if (!ReadFile(file_, &byte, 1, &count, nullptr) || count != 1) return -1;
    return byte;
  }

  HANDLE file_ = INVALID_HANDLE_VALUE;
};

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

TEST_F(ReadWrite, ReadAtEndOfFileSucceedsWithNoByte) {
  open("data", GENERIC_READ);
  ASSERT_EQ(10u, SetFilePointer(file_, 0, nullptr, FILE_END));
  char buffer[4] = {};
  DWORD count = 99;
  SetLastError(0xDEADBEEF);
  EXPECT_TRUE(ReadFile(file_, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(0u, count);
  ASSERT_EQ(25u, SetFilePointer(file_, 25, nullptr, FILE_BEGIN));
  count = 99;
  EXPECT_TRUE(ReadFile(file_, buffer, 1, &count, nullptr));
  EXPECT_EQ(0u, count);
}

TEST_F(ReadWrite, ReadAcrossEndDeliversTheBytesThatAreThere) {
  open("data", GENERIC_READ);
  ASSERT_EQ(7u, SetFilePointer(file_, 7, nullptr, FILE_BEGIN));
  char buffer[8] = {};
  DWORD count = 0;
  EXPECT_TRUE(ReadFile(file_, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(3u, count);
  EXPECT_EQ("789", std::string(buffer, count));
}

TEST_F(ReadWrite, ReadsAndWritesMoveTheFilePointer) {
  open("data", kReadWrite);
  EXPECT_EQ('0', readByte());
  EXPECT_EQ('1', readByte());
  EXPECT_EQ(2u, SetFilePointer(file_, 0, nullptr, FILE_CURRENT));
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file_, "ab", 2, &written, nullptr));
  EXPECT_EQ(2u, written);
  EXPECT_EQ('4', readByte());
  ASSERT_EQ(1u, SetFilePointer(file_, -4, nullptr, FILE_CURRENT));
  EXPECT_EQ('1', readByte());
  EXPECT_EQ('a', readByte());
  ASSERT_EQ(10u, SetFilePointer(file_, 0, nullptr, FILE_END));
  ASSERT_TRUE(WriteFile(file_, "Z", 1, &written, nullptr));
  CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
  EXPECT_EQ("01ab456789Z", readFile("data"));
}

TEST_F(ReadWrite, HandleReadsAndWritesOnlyAsOpened) {
  open("data", GENERIC_WRITE);
  char byte = 0;
  DWORD count = 0;
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(ReadFile(file_, &byte, 1, &count, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  CloseHandle(file_);
  open("data", GENERIC_READ);
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(WriteFile(file_, "x", 1, &count, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  EXPECT_EQ(0u, count);
}

TEST_F(ReadWrite, PointerBeyond4GiBTakesTheHighPart) {
  open("sparse", kReadWrite, CREATE_NEW);
  LONG high = 1;
  ASSERT_EQ(0x10u, SetFilePointer(file_, 0x10, &high, FILE_BEGIN));
  EXPECT_EQ(1, high);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file_, "Q", 1, &written, nullptr));
  DWORD sizeHigh = 0;
  EXPECT_EQ(0x11u, GetFileSize(file_, &sizeHigh));
  EXPECT_EQ(1u, sizeHigh);
  high = 0;
  EXPECT_EQ(0x11u, SetFilePointer(file_, 0, &high, FILE_CURRENT));
  EXPECT_EQ(1, high);
  high = -2;  // back by 2^32 + 1 bytes (high -2, low -1): to 0x10, below the sparse gap
  ASSERT_EQ(0x10u, SetFilePointer(file_, -1, &high, FILE_CURRENT));
  EXPECT_EQ(0, high);
  EXPECT_EQ(0, readByte());
  high = 1;
  ASSERT_EQ(0x10u, SetFilePointer(file_, 0x10, &high, FILE_BEGIN));
  EXPECT_EQ('Q', readByte());
}

TEST_F(ReadWrite, PointerBeforeStartFailsWithNegativeSeek) {
  open("data", GENERIC_READ);
  ASSERT_EQ(4u, SetFilePointer(file_, 4, nullptr, FILE_BEGIN));
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file_, -5, nullptr, FILE_CURRENT));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NEGATIVE_SEEK), GetLastError());
  EXPECT_EQ(4u, SetFilePointer(file_, 0, nullptr, FILE_CURRENT));
}

TEST_F(ReadWrite, LowPartOfAllOnesIsToldFromFailureByLastError) {
  open("data", GENERIC_READ);
  LONG high = 0;
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file_, -1, &high, FILE_BEGIN));
  EXPECT_EQ(0, high);
  EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
  high = 0;
  EXPECT_EQ(0xFFFFFFFFu, SetFilePointer(file_, 0, &high, FILE_CURRENT));
}

TEST_F(ReadWrite, InvalidHandleFailsEveryCall) {
  char byte = 0;
  DWORD count = 0;
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, &byte, 1, &count, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(WriteFile(INVALID_HANDLE_VALUE, &byte, 1, &count, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(INVALID_HANDLE_VALUE, 0, nullptr, FILE_BEGIN));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(ReadWrite, TypeTellsAFileFromACharacterDevice) {
  open("data", GENERIC_READ);
  EXPECT_EQ(static_cast<DWORD>(FILE_TYPE_DISK), GetFileType(file_));
#ifdef _WIN32
  const char* device = "NUL";
#else
  const char* device = "/dev/null";
#endif
  HANDLE null = CreateFileA(device, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, null);
  EXPECT_EQ(static_cast<DWORD>(FILE_TYPE_CHAR), GetFileType(null));
  CloseHandle(null);
}

TEST_F(ReadWrite, ClosingTheCurrentProcessPseudoHandleHasNoEffect) {
  // INVALID_HANDLE_VALUE is also the value of the current process's pseudo handle, whose
  // closing succeeds and does nothing.
  EXPECT_TRUE(CloseHandle(INVALID_HANDLE_VALUE));
}

TEST_F(ReadWrite, FlushedDataIsInTheFile) {
  open("data", kReadWrite);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file_, "XY", 2, &written, nullptr));
  EXPECT_TRUE(FlushFileBuffers(file_));
  CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
  EXPECT_EQ("XY23456789", readFile("data"));
}

// The end of the file as SetFilePointer(FILE_END) finds it: 0 bytes from the end.
DWORD endOf(HANDLE file) { return SetFilePointer(file, 0, nullptr, FILE_END); }

TEST_F(ReadWrite, EndOfFileFollowsTheHandlesOwnWrites) {
  open("data", kReadWrite, OPEN_ALWAYS);
  EXPECT_EQ(10u, endOf(file_));
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file_, "abc", 3, &written, nullptr));
  EXPECT_EQ(13u, endOf(file_));
  // Writing inside the file leaves its end; writing past it, after a gap, moves it.
  ASSERT_NE(INVALID_SET_FILE_POINTER, SetFilePointer(file_, 2, nullptr, FILE_BEGIN));
  ASSERT_TRUE(WriteFile(file_, "zz", 2, &written, nullptr));
  EXPECT_EQ(13u, endOf(file_));
  ASSERT_NE(INVALID_SET_FILE_POINTER, SetFilePointer(file_, 20, nullptr, FILE_BEGIN));
  ASSERT_TRUE(WriteFile(file_, "!", 1, &written, nullptr));
  EXPECT_EQ(21u, endOf(file_));
  EXPECT_EQ(21u, GetFileSize(file_, nullptr));
}

TEST_F(ReadWrite, EndOfFileOfAnEmptiedFileIsItsStart) {
  open("data", kReadWrite, CREATE_ALWAYS);
  EXPECT_EQ(0u, endOf(file_));
}

TEST_F(ReadWrite, EndOfFileSharedForWritingFollowsTheOtherHandlesWrites) {
  const DWORD shared = FILE_SHARE_READ | FILE_SHARE_WRITE;
  file_ = CreateFileA("data", kReadWrite, shared, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                      nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file_);
  HANDLE other = CreateFileA("data", GENERIC_WRITE, shared, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, other);
  EXPECT_EQ(10u, endOf(file_));
  EXPECT_EQ(10u, endOf(other));
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(other, "more", 4, &written, nullptr));
  EXPECT_EQ(14u, endOf(file_));
  CloseHandle(other);
}

}  // namespace
