// FILE_FLAG_NO_BUFFERING on POSIX: how the flag maps onto the descriptor (O_DIRECT, or cached
// pages dropped before each read where the file system refuses O_DIRECT), and the sector alignment
// that every transfer of such a handle needs.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/posix/kernel32/handles.h"
#include "platform/winapi.h"
#include "tests/conformance/kernel32_scoped_temp_dir.h"

namespace {

using NoBuffering = ScopedTempDir;

struct Opened {
  HANDLE handle;
  std::shared_ptr<kernel32::FileObject> file;
  int flags;  // the descriptor's status flags
};

Opened open(const char* name, DWORD access, DWORD disposition, DWORD flags) {
  HANDLE handle = CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              disposition, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {handle, nullptr, 0};
  std::shared_ptr<kernel32::FileObject> file = kernel32::fileFromHandle(handle);
  return {handle, file, fcntl(file->descriptor, F_GETFL)};
}

// Every way of opening a file of a disk: the flag gives O_DIRECT or, where the file system
// refuses it, cached pages dropped before reads, never both and never neither; without the flag
// the handle is an ordinary cached one.
TEST_F(NoBuffering, FlagGivesDirectTransfersOrDroppedPages) {
  ASSERT_TRUE(writeFile("existing", std::string(4096, 'e')));
  const struct {
    const char* name;
    DWORD access;
    DWORD disposition;
    DWORD flags;
  } cases[] = {
      {"existing", GENERIC_READ, OPEN_EXISTING, FILE_FLAG_NO_BUFFERING},
      {"existing", GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, FILE_FLAG_NO_BUFFERING},
      {"new", GENERIC_WRITE, CREATE_NEW, FILE_FLAG_NO_BUFFERING},
      {"existing", GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL},
      {"other", GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(std::string(entry.name) + " " + std::to_string(entry.disposition));
    Opened opened = open(entry.name, entry.access, entry.disposition, entry.flags);
    ASSERT_NE(INVALID_HANDLE_VALUE, opened.handle);
    bool direct = (opened.flags & O_DIRECT) != 0;
    if (entry.flags & FILE_FLAG_NO_BUFFERING) {
      EXPECT_NE(direct, opened.file->dropsCachedPages);
      EXPECT_GE(opened.file->unbufferedSectorBytes, 512u);
    } else {
      EXPECT_FALSE(direct);
      EXPECT_FALSE(opened.file->dropsCachedPages);
      EXPECT_EQ(0u, opened.file->unbufferedSectorBytes);
    }
    EXPECT_TRUE(CloseHandle(opened.handle));
  }
}

// procfs refuses O_DIRECT: the handle is cached, drops its pages before reads, and still reads.
TEST_F(NoBuffering, FileSystemThatRefusesDirectTransfersStillReads) {
  Opened opened = open("/proc/self/status", GENERIC_READ, OPEN_EXISTING, FILE_FLAG_NO_BUFFERING);
  ASSERT_NE(INVALID_HANDLE_VALUE, opened.handle);
  EXPECT_EQ(0, opened.flags & O_DIRECT);
  EXPECT_TRUE(opened.file->dropsCachedPages);
  std::uint32_t sector = opened.file->unbufferedSectorBytes;
  char* buffer = static_cast<char*>(std::aligned_alloc(sector, sector));
  DWORD read = 0;
  EXPECT_TRUE(ReadFile(opened.handle, buffer, sector, &read, nullptr));
  EXPECT_GT(read, 0u);
  EXPECT_EQ("Name:", std::string(buffer, 5));
  std::free(buffer);
  EXPECT_TRUE(CloseHandle(opened.handle));
}

// As on Windows, the offset, the length and the buffer's address of every transfer must be
// multiples of the sector size; a transfer that is not fails with ERROR_INVALID_PARAMETER and
// moves nothing.
TEST_F(NoBuffering, TransfersMustBeSectorAligned) {
  ASSERT_TRUE(writeFile("file", std::string(8192, 'f')));
  Opened opened = open("file", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, FILE_FLAG_NO_BUFFERING);
  ASSERT_NE(INVALID_HANDLE_VALUE, opened.handle);
  const std::uint32_t sector = opened.file->unbufferedSectorBytes;
  char* buffer = static_cast<char*>(std::aligned_alloc(sector, 2 * sector));
  const struct {
    LONG offset;
    std::uint32_t bufferShift;
    std::uint32_t length;
    bool accepted;
  } cases[] = {
      {0, 0, sector, true},      {static_cast<LONG>(sector), 0, sector, true},
      {1, 0, sector, false},     {0, 1, sector, false},
      {0, 0, sector - 1, false}, {0, 0, sector + 1, false},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(std::to_string(entry.offset) + " " + std::to_string(entry.bufferShift) + " " +
                 std::to_string(entry.length));
    for (bool reads : {true, false}) {
      ASSERT_EQ(static_cast<DWORD>(entry.offset),
                SetFilePointer(opened.handle, entry.offset, nullptr, FILE_BEGIN));
      DWORD moved = 0xDEAD;
      SetLastError(0xDEADBEEF);
      char* at = buffer + entry.bufferShift;
      BOOL done = reads ? ReadFile(opened.handle, at, entry.length, &moved, nullptr)
                        : WriteFile(opened.handle, at, entry.length, &moved, nullptr);
      EXPECT_EQ(entry.accepted, done != FALSE) << (reads ? "read" : "write");
      EXPECT_EQ(entry.accepted ? entry.length : 0u, moved) << (reads ? "read" : "write");
      DWORD error = GetLastError();
      if (!entry.accepted) {
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), error);
      }
    }
  }
  std::free(buffer);
  EXPECT_TRUE(CloseHandle(opened.handle));
}

}  // namespace
