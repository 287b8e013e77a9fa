// The error of an entry that is not there: ERROR_FILE_NOT_FOUND in an existing folder,
// ERROR_PATH_NOT_FOUND when the folder is missing, as it was when the call failed, even when the
// folder is created or removed before the error is asked for.
#include <gtest/gtest.h>

#include <string>

#include "platform/winapi.h"
#include "tests/conformance/kernel32_scoped_temp_dir.h"

namespace {

class MissingEntryError : public ScopedTempDir {
 protected:
  WIN32_FIND_DATAA found{};
};

TEST_F(MissingEntryError, EveryQueryTellsAMissingFileFromAMissingFolder) {
  const std::string file = absolute("absent");
  const std::string inFolder = absolute("no-folder/absent");
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(inFolder.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(file.c_str(), &found));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(inFolder.c_str(), &found));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_FALSE(SetFileAttributesA(inFolder.c_str(), FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_FALSE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST_F(MissingEntryError, FolderCreatedAfterTheFailureDoesNotChangeTheError) {
  const std::string inFolder = absolute("later/absent");
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(inFolder.c_str()));
  ASSERT_TRUE(CreateDirectoryA(absolute("later").c_str(), nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(MissingEntryError, FolderRemovedAfterTheFailureDoesNotChangeTheError) {
  ASSERT_TRUE(CreateDirectoryA("gone", nullptr));
  const std::string inFolder = absolute("gone/absent");
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(inFolder.c_str(), &found));
  ASSERT_TRUE(RemoveDirectoryA("gone"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST_F(MissingEntryError, LaterErrorReplacesIt) {
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(absolute("absent").c_str()));
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
}

}  // namespace
