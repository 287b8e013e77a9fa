// How the layer answers what only its system calls can tell: a read refused because the device or
// the file has gone (and EIO, which alone stays a bad spot), a size that changed under an open
// handle, an unbuffered read refused although aligned, a file system without RENAME_NOREPLACE or
// hard links, a flush that fails, and a folder entry that cannot be examined.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/posix/faults/system_call_faults.h"
#include "platform/posix/kernel32/device_presence.h"
#include "platform/posix/kernel32/handles.h"
#include "platform/winapi.h"
#include "tests/conformance/kernel32_scoped_temp_dir.h"

namespace {

class SystemCallFaults : public ScopedTempDir {
 protected:
  void TearDown() override {
    faults::clearSystemCallFaults();
    ScopedTempDir::TearDown();
  }

  static HANDLE openForReading(const char* name, DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    return CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr);
  }
};

// Each errno that says the file or its device has gone gives a code the program can tell from a
// bad spot; EIO on a device that is still there stays ERROR_IO_DEVICE, a bad spot.
TEST_F(SystemCallFaults, ReadOfAFileWhoseDeviceHasGoneFailsWithItsCode) {
  ASSERT_TRUE(writeFile("data", std::string(100, 'd')));
  const struct {
    int posix;
    DWORD win32;
  } cases[] = {
      {ENOTCONN, ERROR_DEVICE_NOT_CONNECTED}, {ECONNABORTED, ERROR_DEVICE_NOT_CONNECTED},
      {ENODEV, ERROR_DEV_NOT_EXIST},          {ESTALE, ERROR_FILE_INVALID},
      {ENOMEDIUM, ERROR_NOT_READY},           {EIO, ERROR_IO_DEVICE},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE("errno " + std::to_string(entry.posix));
    faults::failReadsFrom(absolute("data"), 40, entry.posix);
    HANDLE file = openForReading("data");
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    char buffer[100];
    DWORD count = 7;
    // A read that starts before the spot delivers what lies before it.
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(40u, count);
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(ReadFile(file, buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(entry.win32, GetLastError());
    EXPECT_EQ(0u, count);
    CloseHandle(file);
  }
}

// The file under an open handle is asked afresh: the size of a file cut short by another program
// (or by a medium that went) is the new one, also where the handle keeps its own idea of the size.
TEST_F(SystemCallFaults, FileSizeOfAnOpenFileFollowsTheFile) {
  ASSERT_TRUE(writeFile("shrinking", std::string(5000, 's')));
  HANDLE file = openForReading("shrinking");
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  LARGE_INTEGER size{};
  ASSERT_TRUE(GetFileSizeEx(file, &size));
  EXPECT_EQ(5000, size.QuadPart);
  ASSERT_EQ(0, truncate("shrinking", 1200));
  ASSERT_TRUE(GetFileSizeEx(file, &size));
  EXPECT_EQ(1200, size.QuadPart);
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(GetFileSizeEx(file, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  CloseHandle(file);
}

// Only the absence of a device's entry, or of a mount's line, tells that it has gone; where the
// tables cannot be read nothing is concluded.
TEST(DevicePresence, OnlyAMissingEntryOfAReadableTableTellsThatTheDeviceHasGone) {
  std::string root = (std::filesystem::temp_directory_path() / "presence-XXXXXX").string();
  ASSERT_NE(nullptr, mkdtemp(root.data()));
  std::filesystem::create_directory(root + "/block");
  std::filesystem::create_directory_symlink("../devices/sda1", root + "/block/8:1");
  std::ofstream(root + "/mountinfo") << "21 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                     << "35 21 0:44 / /media/stick rw - vfat /dev/sdb1 rw\n";
  EXPECT_TRUE(kernel32::blockDeviceListed(8, 1, root + "/block"));
  EXPECT_FALSE(kernel32::blockDeviceListed(8, 17, root + "/block"));
  EXPECT_TRUE(kernel32::blockDeviceListed(0, 44, root + "/block"));  // no block device at all
  EXPECT_TRUE(kernel32::blockDeviceListed(8, 17, root + "/no-sysfs"));
  EXPECT_TRUE(kernel32::mountListed(35, root + "/mountinfo"));
  EXPECT_FALSE(kernel32::mountListed(36, root + "/mountinfo"));
  EXPECT_TRUE(kernel32::mountListed(36, root + "/no-proc"));
  std::filesystem::remove_all(root);
}

TEST_F(SystemCallFaults, DeviceOfAnOrdinaryFileHasNotLeft) {
  ASSERT_TRUE(writeFile("here", "x"));
  int descriptor = ::open("here", O_RDONLY);
  ASSERT_GE(descriptor, 0);
  EXPECT_FALSE(kernel32::deviceHasLeft(descriptor));
  EXPECT_EQ(static_cast<DWORD>(ERROR_IO_DEVICE), kernel32::readFailureError(EIO, descriptor));
  close(descriptor);
}

// A file system that accepts O_DIRECT at the open and refuses the reads (EINVAL) although they are
// aligned to the volume's sectors: the handle goes on through the cache, dropping the cached pages
// first, and delivers the file's bytes. A transfer that is not aligned is still refused by the
// layer's own check, before any read.
TEST_F(SystemCallFaults, UnbufferedReadRefusedByTheFileSystemGoesThroughTheCache) {
  std::string content;
  for (int index = 0; index < 8192; ++index) content += static_cast<char>('a' + index % 26);
  ASSERT_TRUE(writeFile("verified", content));
  faults::refuseDirectReads(absolute("verified"));
  HANDLE file = openForReading("verified", FILE_FLAG_NO_BUFFERING);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  std::shared_ptr<kernel32::FileObject> object = kernel32::fileFromHandle(file);
  std::uint32_t sector = object->unbufferedSectorBytes;
  ASSERT_GE(sector, 512u);
  void* buffer = std::aligned_alloc(4096, 8192);
  DWORD count = 7;
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(ReadFile(file, buffer, sector + 1, &count, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  EXPECT_EQ(0u, count);
  ASSERT_TRUE(ReadFile(file, buffer, 8192 / sector * sector, &count, nullptr));
  EXPECT_EQ(8192 / sector * sector, count);
  EXPECT_EQ(content.substr(0, count), std::string(static_cast<char*>(buffer), count));
  EXPECT_TRUE(object->dropsCachedPages);
  EXPECT_EQ(0, fcntl(object->descriptor, F_GETFL) & O_DIRECT);
  // The handle keeps the alignment rule of an unbuffered handle.
  EXPECT_FALSE(ReadFile(file, buffer, 100, &count, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  std::free(buffer);
  CloseHandle(file);
}

// A rename that may not replace, on a file system without RENAME_NOREPLACE: with hard links (the
// link fails when the name exists), and without them either (FAT: checked, then renamed).
TEST_F(SystemCallFaults, RenameWithoutReplacingNeverReplacesWhereTheFlagIsRefused) {
  for (bool linksRefused : {false, true}) {
    SCOPED_TRACE(linksRefused ? "no hard links" : "hard links");
    faults::clearSystemCallFaults();
    faults::refuseRenameNoReplace(EINVAL);
    if (linksRefused) faults::refuseLinks(EPERM);
    ASSERT_TRUE(writeFile("part", "new"));
    ASSERT_TRUE(writeFile("taken", "user's"));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(MoveFileExA("part", "taken", 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_EQ("user's", readFile("taken"));
    EXPECT_EQ("new", readFile("part"));
    EXPECT_TRUE(MoveFileExA("part", "free", MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ("new", readFile("free"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("part"));
    struct stat status {};
    ASSERT_EQ(0, stat("free", &status));
    EXPECT_EQ(1u, status.st_nlink);
    ASSERT_TRUE(DeleteFileA("free"));
    ASSERT_TRUE(DeleteFileA("taken"));
  }
}

TEST_F(SystemCallFaults, FailedFlushIsReported) {
  faults::failFlushes(absolute("flushed"), 1, EIO);
  HANDLE file =
      CreateFileA("flushed", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(FlushFileBuffers(file));
  EXPECT_EQ(static_cast<DWORD>(ERROR_IO_DEVICE), GetLastError());
  EXPECT_TRUE(FlushFileBuffers(file));
  EXPECT_EQ(2, faults::flushes(absolute("flushed")));
  CloseHandle(file);
}

// Every name the folder lists is reported: one whose details cannot be read (a damaged inode) as a
// file of size 0 with no times, or as a folder where the listing says it is one; only an entry
// removed since the search began is passed over.
TEST_F(SystemCallFaults, DirectorySearchReportsEntriesThatCannotBeExamined) {
  ASSERT_TRUE(writeFile("a.bin", "aaa"));
  ASSERT_TRUE(writeFile("damaged.bin", "bbbb"));
  ASSERT_TRUE(writeFile("removed.bin", "c"));
  ASSERT_TRUE(CreateDirectoryA("sub", nullptr));
  faults::failStats(absolute("damaged.bin"), EBADMSG);
  faults::failStats(absolute("sub"), EIO);
  faults::failStats(absolute("removed.bin"), ENOENT);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("*", &found);
  ASSERT_NE(INVALID_HANDLE_VALUE, search);
  struct Reported {
    std::string name;
    DWORD attributes;
    DWORD size;
    DWORD writeTime;
  };
  std::vector<Reported> reported;
  do {
    reported.push_back({found.cFileName, found.dwFileAttributes, found.nFileSizeLow,
                        found.ftLastWriteTime.dwHighDateTime});
  } while (FindNextFileA(search, &found));
  FindClose(search);
  ASSERT_EQ(5u, reported.size());
  EXPECT_EQ(".", reported[0].name);
  EXPECT_EQ("..", reported[1].name);
  EXPECT_EQ("a.bin", reported[2].name);
  EXPECT_EQ(3u, reported[2].size);
  EXPECT_EQ("damaged.bin", reported[3].name);
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL), reported[3].attributes);
  EXPECT_EQ(0u, reported[3].size);
  EXPECT_EQ(0u, reported[3].writeTime);
  EXPECT_EQ("sub", reported[4].name);
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), reported[4].attributes);
  // Asked by name, the damaged entry fails as its stat does.
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("damaged.bin"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_CORRUPT), GetLastError());
}

}  // namespace
