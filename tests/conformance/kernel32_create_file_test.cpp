// CreateFileA: the creation dispositions, the last error left after success, refusals of
// folders, read-only files and conflicting share modes, and opens that must never block.
#include <gtest/gtest.h>

#include <string>

#include "platform/winapi.h"
#include "tests/conformance/kernel32_scoped_temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using FileCreation = ScopedTempDir;

HANDLE openWith(const char* name, DWORD access, DWORD share, DWORD disposition) {
  return CreateFileA(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

TEST_F(FileCreation, CreateNewRefusesAnExistingFile) {
  ASSERT_TRUE(writeFile("there", "keep"));
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_HANDLE_VALUE, openWith("there", kReadWrite, 0, CREATE_NEW));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_EXISTS), GetLastError());
  EXPECT_EQ("keep", readFile("there"));
}

TEST_F(FileCreation, CreateNewMakesAnEmptyFile) {
  SetLastError(0xDEADBEEF);
  HANDLE file = openWith("fresh", kReadWrite, 0, CREATE_NEW);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
  DWORD high = 7;
  EXPECT_EQ(0u, GetFileSize(file, &high));
  EXPECT_EQ(0u, high);
  EXPECT_TRUE(CloseHandle(file));
}

TEST_F(FileCreation, CreateAlwaysEmptiesAnExistingFileAndSaysSo) {
  ASSERT_TRUE(writeFile("there", "old content"));
  SetLastError(0xDEADBEEF);
  HANDLE file = openWith("there", kReadWrite, 0, CREATE_ALWAYS);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_EQ(0u, GetFileSize(file, nullptr));
  CloseHandle(file);
  SetLastError(0xDEADBEEF);
  file = openWith("new", kReadWrite, 0, CREATE_ALWAYS);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
  CloseHandle(file);
}

TEST_F(FileCreation, OpenAlwaysKeepsAnExistingFileAndSaysSo) {
  ASSERT_TRUE(writeFile("there", "old content"));
  SetLastError(0xDEADBEEF);
  HANDLE file = openWith("there", GENERIC_WRITE, 0, OPEN_ALWAYS);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_EQ(11u, GetFileSize(file, nullptr));
  CloseHandle(file);
  SetLastError(0xDEADBEEF);
  file = openWith("new", GENERIC_WRITE, 0, OPEN_ALWAYS);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
  CloseHandle(file);
}

TEST_F(FileCreation, TruncateExistingEmptiesOnlyAnExistingFile) {
  ASSERT_TRUE(writeFile("there", "old content"));
  HANDLE file = openWith("there", GENERIC_WRITE, 0, TRUNCATE_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(0u, GetFileSize(file, nullptr));
  CloseHandle(file);
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_HANDLE_VALUE, openWith("missing", GENERIC_WRITE, 0, TRUNCATE_EXISTING));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST_F(FileCreation, OpenExistingTellsMissingFileFromMissingFolder) {
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_HANDLE_VALUE, openWith("missing", GENERIC_READ, 0, OPEN_EXISTING));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  std::string inMissing = std::string("nowhere") + kPathSeparator + "file";
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_HANDLE_VALUE, openWith(inMissing.c_str(), GENERIC_READ, 0, OPEN_EXISTING));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_HANDLE_VALUE, openWith(inMissing.c_str(), kReadWrite, 0, CREATE_NEW));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(FileCreation, FolderCannotBeOpenedAsAFile) {
  ASSERT_TRUE(CreateDirectoryA("folder", nullptr));
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_HANDLE_VALUE, openWith("folder", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_HANDLE_VALUE, openWith("folder", kReadWrite, 0, OPEN_EXISTING));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
}

TEST_F(FileCreation, ReadOnlyFileOpensForReadingButNotForWriting) {
  ASSERT_TRUE(writeFile("locked", "data"));
  ASSERT_TRUE(SetFileAttributesA("locked", FILE_ATTRIBUTE_READONLY));
  for (DWORD disposition : {OPEN_EXISTING, OPEN_ALWAYS, CREATE_ALWAYS, TRUNCATE_EXISTING}) {
    SetLastError(0xDEADBEEF);
    HANDLE refused = openWith("locked", kReadWrite, 0, disposition);
    EXPECT_EQ(INVALID_HANDLE_VALUE, refused) << "disposition " << disposition;
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    if (refused != INVALID_HANDLE_VALUE) CloseHandle(refused);
  }
  EXPECT_EQ("data", readFile("locked"));
  ASSERT_TRUE(SetFileAttributesA("locked", FILE_ATTRIBUTE_ARCHIVE));
  HANDLE file = openWith("locked", kReadWrite, 0, OPEN_EXISTING);
  EXPECT_NE(INVALID_HANDLE_VALUE, file);
  CloseHandle(file);
}

TEST_F(FileCreation, ConflictingShareModeFailsWithSharingViolation) {
  ASSERT_TRUE(writeFile("shared", "data"));
  HANDLE exclusive = openWith("shared", kReadWrite, 0, OPEN_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, exclusive);
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_HANDLE_VALUE,
            openWith("shared", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
  ASSERT_TRUE(CloseHandle(exclusive));
  HANDLE reader = openWith("shared", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, reader);
  HANDLE secondReader = openWith("shared", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_NE(INVALID_HANDLE_VALUE, secondReader);
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_HANDLE_VALUE,
            openWith("shared", GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
  CloseHandle(secondReader);
  CloseHandle(reader);
}

TEST_F(FileCreation, FileOpenWithoutDeleteSharingCannotBeDeleted) {
  ASSERT_TRUE(writeFile("busy", "data"));
  HANDLE file = openWith("busy", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(DeleteFileA("busy"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
  CloseHandle(file);
  EXPECT_TRUE(DeleteFileA("busy"));
}

TEST_F(FileCreation, ClosedHandleCannotBeClosedAgain) {
  HANDLE file = openWith("once", kReadWrite, 0, CREATE_NEW);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  ASSERT_TRUE(CloseHandle(file));
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

#ifndef _WIN32
// FIFOs and device nodes exist only on POSIX; on Windows nothing comparable lies in a folder.
TEST_F(FileCreation, FifoWithoutPeerOpensForReadingWithoutBlocking) {
  ASSERT_EQ(0, mkfifo("pipe", 0644));
  HANDLE pipe = openWith("pipe", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, pipe);
  char byte = 0;
  DWORD count = 7;
  EXPECT_TRUE(ReadFile(pipe, &byte, 1, &count, nullptr));
  EXPECT_EQ(0u, count);
  EXPECT_TRUE(CloseHandle(pipe));
}

TEST_F(FileCreation, FifoWithoutReaderRefusesWritingWithoutBlocking) {
  ASSERT_EQ(0, mkfifo("pipe", 0644));
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_HANDLE_VALUE, openWith("pipe", GENERIC_WRITE, 0, OPEN_EXISTING));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_READY), GetLastError());
}

TEST_F(FileCreation, DeviceOpensWithoutBlocking) {
  HANDLE device =
      openWith("/dev/null", kReadWrite, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, device);
  DWORD count = 7;
  EXPECT_TRUE(WriteFile(device, "abc", 3, &count, nullptr));
  EXPECT_EQ(3u, count);
  EXPECT_TRUE(CloseHandle(device));
}
#endif

}  // namespace
