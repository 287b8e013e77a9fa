// Directory search: FindFirstFileA / FindNextFileA / FindClose, wildcard rules, the "." and ".."
// entries, attributes and sizes in the find data, and the errors of a failed search.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/winapi.h"
#include "tests/conformance/kernel32_scoped_temp_dir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

struct Found {
  std::string name;
  DWORD attributes;
};

// Returns every entry a search for `pattern` reports, in order; empty when the search fails.
std::vector<Found> search(const std::string& pattern) {
  std::vector<Found> found;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return found;
  do {
    found.push_back(Found{data.cFileName, data.dwFileAttributes});
  } while (FindNextFileA(find, &data));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());
  EXPECT_TRUE(FindClose(find));
  return found;
}

std::vector<std::string> namesOf(const std::vector<Found>& found) {
  std::vector<std::string> names;
  for (const Found& entry : found) names.push_back(entry.name);
  return names;
}

// Returns the names a search for `pattern` reports, "." and ".." left out, sorted.
std::vector<std::string> sortedFileNames(const std::string& pattern) {
  std::vector<std::string> names;
  for (const std::string& name : namesOf(search(pattern))) {
    if (name != "." && name != "..") names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class FindFiles : public ScopedTempDir {
 protected:
  void SetUp() override {
    ScopedTempDir::SetUp();
    for (const char* name : {"a.txt", "b.txt", "readme", "ab", "abc.log", "x.tar.gz"}) {
      ASSERT_TRUE(writeFile(name, "data"));
    }
  }
};

TEST_F(FindFiles, StarDotStarMatchesNamesWithAndWithoutDot) {
  std::vector<std::string> expected = {"a.txt", "ab", "abc.log", "b.txt", "readme", "x.tar.gz"};
  EXPECT_EQ(expected, sortedFileNames("*.*"));
  EXPECT_EQ(expected, sortedFileNames("*"));
}

TEST_F(FindFiles, QuestionMarkMatchesExactlyOneCharacter) {
  EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), sortedFileNames("?.txt"));
  EXPECT_EQ((std::vector<std::string>{"ab"}), sortedFileNames("a?"));
  EXPECT_EQ((std::vector<std::string>{"abc.log"}), sortedFileNames("a??.log"));
}

TEST_F(FindFiles, StarMatchesAnyRunInsideAName) {
  EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), sortedFileNames("*.txt"));
  EXPECT_EQ((std::vector<std::string>{"a.txt", "ab", "abc.log"}), sortedFileNames("a*"));
  EXPECT_EQ((std::vector<std::string>{"x.tar.gz"}), sortedFileNames("*.gz"));
  EXPECT_EQ((std::vector<std::string>{"readme"}), sortedFileNames("r*e"));
}

TEST_F(FindFiles, TrailingDotStarAlsoMatchesNameWithoutDot) {
  EXPECT_EQ((std::vector<std::string>{"readme"}), sortedFileNames("readme.*"));
}

TEST_F(FindFiles, DotAndDotDotComeFirstAsFolders) {
  ASSERT_TRUE(CreateDirectoryA("sub", nullptr));
  ASSERT_TRUE(writeFile("sub/zeta", "z"));
  std::vector<Found> found = search(std::string("sub") + kPathSeparator + "*.*");
  ASSERT_EQ(3u, found.size());
  EXPECT_EQ(".", found[0].name);
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), found[0].attributes);
  EXPECT_EQ("..", found[1].name);
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), found[1].attributes);
  EXPECT_EQ("zeta", found[2].name);
}

TEST_F(FindFiles, PatternWithoutWildcardFindsThatEntryItself) {
  ASSERT_TRUE(CreateDirectoryA("folder", nullptr));
  std::vector<Found> found = search("folder");
  ASSERT_EQ(1u, found.size());
  EXPECT_EQ("folder", found[0].name);
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), found[0].attributes);
  found = search(absolute("a.txt"));
  ASSERT_EQ(1u, found.size());
  EXPECT_EQ("a.txt", found[0].name);
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL), comparedAttributes(found[0].attributes));
}

TEST_F(FindFiles, PatternMatchingNothingFailsWithFileNotFound) {
  WIN32_FIND_DATAA data;
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("*.none", &data));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("missing", &data));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST_F(FindFiles, MissingFolderFailsWithPathNotFound) {
  WIN32_FIND_DATAA data;
  std::string inMissing = std::string("nowhere") + kPathSeparator;
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA((inMissing + "*.*").c_str(), &data));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA((inMissing + "a.txt").c_str(), &data));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(FindFiles, NextAfterLastEntryFailsWithNoMoreFiles) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA("readme", &data);
  ASSERT_NE(INVALID_HANDLE_VALUE, find);
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(FindNextFileA(find, &data));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());
  EXPECT_TRUE(FindClose(find));
}

TEST_F(FindFiles, FindDataCarriesSizeAndLastWriteTime) {
  ASSERT_TRUE(writeFile("sized", std::string(1234, 'q')));
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA("sized", &data);
  ASSERT_NE(INVALID_HANDLE_VALUE, find);
  FindClose(find);
  EXPECT_EQ(0u, data.nFileSizeHigh);
  EXPECT_EQ(1234u, data.nFileSizeLow);
  HANDLE file = CreateFileA("sized", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  FILETIME written;
  ASSERT_TRUE(GetFileTime(file, nullptr, nullptr, &written));
  CloseHandle(file);
  EXPECT_EQ(written.dwLowDateTime, data.ftLastWriteTime.dwLowDateTime);
  EXPECT_EQ(written.dwHighDateTime, data.ftLastWriteTime.dwHighDateTime);
}

TEST_F(FindFiles, SizeAbove4GiBFillsTheHighPart) {
  HANDLE file =
      CreateFileA("big", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  // 5 GiB + 7 bytes: the file is sparse, nothing but its last byte is stored.
  LONG high = 1;
  ASSERT_EQ(0x40000006u, SetFilePointer(file, 0x40000006, &high, FILE_BEGIN));
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, "z", 1, &written, nullptr));
  ASSERT_TRUE(CloseHandle(file));
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA("big", &data);
  ASSERT_NE(INVALID_HANDLE_VALUE, find);
  FindClose(find);
  EXPECT_EQ(1u, data.nFileSizeHigh);
  EXPECT_EQ(0x40000007u, data.nFileSizeLow);
}

#ifndef _WIN32
// Names are matched case-sensitively as the POSIX file system compares them; Windows matches
// without regard to case.
TEST_F(FindFiles, NamesMatchCaseSensitively) {
  ASSERT_TRUE(writeFile("Upper.TXT", "u"));
  EXPECT_EQ((std::vector<std::string>{"Upper.TXT"}), sortedFileNames("*.TXT"));
  EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), sortedFileNames("*.txt"));
}

// Hidden state and special files are POSIX notions here: a leading dot, FIFOs and sockets.
TEST_F(FindFiles, SpecialAndHiddenEntriesReportTheirAttributes) {
  ASSERT_EQ(0, mkfifo("pipe", 0644));
  int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string socketPath = absolute("sock");
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(0, bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address));
  ASSERT_TRUE(writeFile(".hidden", "h"));
  ASSERT_TRUE(CreateDirectoryA(".hiddenfolder", nullptr));
  std::vector<Found> found = search("*");
  close(listener);
  std::map<std::string, DWORD> attributes;
  for (const Found& entry : found) attributes[entry.name] = entry.attributes;
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_SYSTEM), attributes["pipe"]);
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_SYSTEM), attributes["sock"]);
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN), attributes[".hidden"]);
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN),
            attributes[".hiddenfolder"]);
}
#endif

TEST_F(FindFiles, ReadOnlyFileReportsReadOnlyAlone) {
  ASSERT_TRUE(SetFileAttributesA("readme", FILE_ATTRIBUTE_READONLY));
  std::vector<Found> found = search("readme");
  ASSERT_EQ(1u, found.size());
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY), comparedAttributes(found[0].attributes));
}

}  // namespace
