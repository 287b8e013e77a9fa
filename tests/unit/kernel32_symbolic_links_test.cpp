// Symbolic links seen through the POSIX kernel32: an entry is what its link points to, a link that
// points nowhere is still an entry of its folder, and opening or creating through it finds
// nothing.
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/winapi.h"
#include "tests/conformance/kernel32_scoped_temp_dir.h"

namespace {

class SymbolicLinks : public ScopedTempDir {
 protected:
  void SetUp() override {
    ScopedTempDir::SetUp();
    ASSERT_TRUE(writeFile("file", "content"));
    ASSERT_TRUE(CreateDirectoryA("folder", nullptr));
    ASSERT_EQ(0, symlink("file", "to-file"));
    ASSERT_EQ(0, symlink("folder", "to-folder"));
    ASSERT_EQ(0, symlink("missing", "dangling"));
    ASSERT_EQ(0, symlink("loop", "loop"));
  }
};

// As on Windows, the attributes of a link's path mark it as a link (a reparse point) beside its
// target's kind. This layer's directory search still reports the target's attributes alone, which
// the copy job's exact folder values expect.
TEST_F(SymbolicLinks, AttributesAreThoseOfTheTargetMarkedAsLink) {
  constexpr DWORD kLink = FILE_ATTRIBUTE_REPARSE_POINT;
  EXPECT_EQ(kLink, GetFileAttributesA("to-file"));
  EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY | kLink, GetFileAttributesA("to-folder"));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), GetFileAttributesA("folder"));
  ASSERT_TRUE(SetFileAttributesA("file", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(FILE_ATTRIBUTE_READONLY | kLink, GetFileAttributesA("to-file"));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY), GetFileAttributesA("file"));
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("to-folder", &found);
  ASSERT_NE(INVALID_HANDLE_VALUE, search);
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), found.dwFileAttributes);
  FindClose(search);
}

TEST_F(SymbolicLinks, LinkPointingNowhereIsStillAnEntry) {
  for (const char* name : {"dangling", "loop"}) {
    DWORD attributes = GetFileAttributesA(name);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, attributes) << name;
    EXPECT_EQ(0u, attributes & FILE_ATTRIBUTE_DIRECTORY) << name;
  }
}

TEST_F(SymbolicLinks, MissingEntriesAreNotFound) {
  SetLastError(0);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("missing"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("missing/file"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("dangling/file"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(SymbolicLinks, OpenAlwaysThroughLinkPointingNowhereFindsNothingAndCreatesNothing) {
  SetLastError(0);
  HANDLE file = CreateFileA("dangling", GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("missing"));
}

TEST_F(SymbolicLinks, OpenAlwaysThroughLinkOpensTheTargetAndReportsItExists) {
  HANDLE file = CreateFileA("to-file", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_EQ(7u, GetFileSize(file, nullptr));
  CloseHandle(file);
}

}  // namespace
