// Operations by name: GetFileAttributesA / SetFileAttributesA, DeleteFileA, MoveFileExA,
// CreateDirectoryA and RemoveDirectoryA, with the exact attribute values and error codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/winapi.h"
#include "tests/conformance/kernel32_scoped_temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using FileSystem = ScopedTempDir;

std::string inFolder(const std::string& folder, const std::string& name) {
  return folder + kPathSeparator + name;
}

TEST_F(FileSystem, AttributesOfFolderAndPlainFileAreExact) {
  ASSERT_TRUE(CreateDirectoryA("folder", nullptr));
  ASSERT_TRUE(writeFile("plain", "p"));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), GetFileAttributesA("folder"));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL),
            comparedAttributes(GetFileAttributesA("plain")));
}

TEST_F(FileSystem, ReadOnlyIsSetAndClearedBySetFileAttributes) {
  ASSERT_TRUE(writeFile("file", "f"));
  ASSERT_TRUE(SetFileAttributesA("file", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY),
            comparedAttributes(GetFileAttributesA("file")));
  ASSERT_TRUE(SetFileAttributesA("file", FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(0u, GetFileAttributesA("file") & FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(SetFileAttributesA("file", FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(SetFileAttributesA("file", FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL),
            comparedAttributes(GetFileAttributesA("file")));
}

TEST_F(FileSystem, AttributesOfMissingEntryTellFileFromPath) {
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("missing"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(inFolder("nowhere", "x").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(SetFileAttributesA("missing", FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

#ifndef _WIN32
// On POSIX the hidden state comes from the name and the read-only state from the mode bits;
// Windows keeps both as stored attributes.
TEST_F(FileSystem, LeadingDotAddsHiddenAndModeWithoutOwnerWriteIsReadOnly) {
  ASSERT_TRUE(writeFile(".dot", "d"));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN), GetFileAttributesA(".dot"));
  ASSERT_EQ(0, chmod(".dot", 0444));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
            GetFileAttributesA(".dot"));
  ASSERT_TRUE(CreateDirectoryA("folder", nullptr));
  ASSERT_EQ(0, chmod("folder", 0555));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), GetFileAttributesA("folder"));
}

TEST_F(FileSystem, ArchiveAttributeGivesTheOwnerReadAndWrite) {
  ASSERT_TRUE(writeFile("file", "f"));
  ASSERT_EQ(0, chmod("file", 0044));
  ASSERT_TRUE(SetFileAttributesA("file", FILE_ATTRIBUTE_ARCHIVE));
  struct stat status {};
  ASSERT_EQ(0, stat("file", &status));
  EXPECT_EQ(static_cast<mode_t>(0644), status.st_mode & 07777);
}

TEST_F(FileSystem, FifoIsASystemEntry) {
  ASSERT_EQ(0, mkfifo("pipe", 0644));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_SYSTEM), GetFileAttributesA("pipe"));
}
#endif

TEST_F(FileSystem, DeleteRefusesReadOnlyFilesAndFolders) {
  ASSERT_TRUE(writeFile("locked", "l"));
  ASSERT_TRUE(SetFileAttributesA("locked", FILE_ATTRIBUTE_READONLY));
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(DeleteFileA("locked"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  ASSERT_TRUE(CreateDirectoryA("folder", nullptr));
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(DeleteFileA("folder"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  ASSERT_TRUE(SetFileAttributesA("locked", FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_TRUE(DeleteFileA("locked"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("locked"));
}

TEST_F(FileSystem, DeleteOfMissingFileFailsWithFileNotFound) {
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(DeleteFileA("missing"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST_F(FileSystem, CreateDirectoryRefusesExistingAndMissingParent) {
  ASSERT_TRUE(CreateDirectoryA("folder", nullptr));
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(CreateDirectoryA("folder", nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  ASSERT_TRUE(writeFile("file", "f"));
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(CreateDirectoryA("file", nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(CreateDirectoryA(inFolder("nowhere", "sub").c_str(), nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(FileSystem, RemoveDirectoryTakesOnlyEmptyFolders) {
  ASSERT_TRUE(CreateDirectoryA("folder", nullptr));
  ASSERT_TRUE(writeFile(inFolder("folder", "inside"), "i"));
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(RemoveDirectoryA("folder"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_DIR_NOT_EMPTY), GetLastError());
  ASSERT_TRUE(DeleteFileA(inFolder("folder", "inside").c_str()));
  EXPECT_TRUE(RemoveDirectoryA("folder"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("folder"));
}

TEST_F(FileSystem, MoveWithoutReplaceRefusesAnExistingTarget) {
  ASSERT_TRUE(writeFile("from", "new"));
  ASSERT_TRUE(writeFile("to", "old"));
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(MoveFileExA("from", "to", 0));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_EQ("old", readFile("to"));
  EXPECT_TRUE(MoveFileExA("from", "moved", 0));
  EXPECT_EQ("new", readFile("moved"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("from"));
}

TEST_F(FileSystem, MoveWithReplaceExistingReplacesTheTarget) {
  ASSERT_TRUE(writeFile("from", "new"));
  ASSERT_TRUE(writeFile("to", "old"));
  EXPECT_TRUE(MoveFileExA("from", "to", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ("new", readFile("to"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("from"));
}

#ifndef _WIN32
// Windows refuses to replace a read-only file, and so does the POSIX layer; Wine replaces it, so
// this is checked of the POSIX layer only.
TEST_F(FileSystem, MoveDoesNotReplaceReadOnlyTarget) {
  ASSERT_TRUE(writeFile("from", "new"));
  ASSERT_TRUE(writeFile("to", "old"));
  ASSERT_TRUE(SetFileAttributesA("to", FILE_ATTRIBUTE_READONLY));
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(MoveFileExA("from", "to", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  EXPECT_EQ("old", readFile("to"));
}
#endif

TEST_F(FileSystem, MoveOfMissingFileFailsWithFileNotFound) {
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(MoveFileExA("missing", "to", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

// The final path of an open file names it whole: given room, the call gives its length without the
// terminating zero; asked with too small a buffer, the size it needs (with the zero as documented;
// Windows' ANSI call and Wine give it without).
TEST_F(FileSystem, FinalPathOfAnOpenFileEndsWithItsFolderAndName) {
  ASSERT_TRUE(writeFile("file", "f"));
  HANDLE file = CreateFileA("file", 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  std::string path(4096, 'x');
  DWORD length = GetFinalPathNameByHandleA(file, path.data(), static_cast<DWORD>(path.size()),
                                           FILE_NAME_NORMALIZED);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, path.size());
  EXPECT_EQ('\0', path[length]);
  path.resize(length);
  std::string cut(length, 'x');
  DWORD needed = GetFinalPathNameByHandleA(file, cut.data(), length / 2, FILE_NAME_NORMALIZED);
  EXPECT_GE(needed, length);
  EXPECT_LE(needed, length + 1);
  std::string folderName = folder_.filename().string();
  std::string tail = kPathSeparator + folderName + kPathSeparator + "file";
  EXPECT_TRUE(path.ends_with(tail)) << path;
  EXPECT_TRUE(CloseHandle(file));
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(0u, GetFinalPathNameByHandleA(INVALID_HANDLE_VALUE, cut.data(), length,
                                          FILE_NAME_NORMALIZED));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

#ifndef _WIN32
// A name that is a chain of symbolic links gives the path of the file at its end.
TEST_F(FileSystem, FinalPathResolvesEverySymbolicLink) {
  ASSERT_TRUE(CreateDirectoryA("real", nullptr));
  ASSERT_TRUE(writeFile(inFolder("real", "target"), "t"));
  ASSERT_EQ(0, symlink("real/target", "middle"));
  ASSERT_EQ(0, symlink("middle", "link"));
  HANDLE file =
      CreateFileA("link", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  char path[4096] = {};
  DWORD length = GetFinalPathNameByHandleA(file, path, sizeof path, FILE_NAME_NORMALIZED);
  EXPECT_EQ(std::filesystem::canonical("real/target").string(), std::string(path, length));
  EXPECT_TRUE(CloseHandle(file));
}
#endif

}  // namespace
