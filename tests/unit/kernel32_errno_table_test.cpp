// The errno to Win32 error table: every errno a file, folder or process call can raise gives the
// code Windows gives for the same condition, and a write to a full disk fails as one.
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/posix/kernel32/errors.h"
#include "platform/winapi.h"

namespace {

struct ErrnoCase {
  int posix;
  DWORD win32;
};

// Each row on its own: a row missing from the layer's table falls to ERROR_GEN_FAILURE and fails
// here.
constexpr ErrnoCase kCases[] = {
    {0, ERROR_SUCCESS},
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {ELOOP, ERROR_PATH_NOT_FOUND},
    {EACCES, ERROR_ACCESS_DENIED},
    {EPERM, ERROR_ACCESS_DENIED},
    {EISDIR, ERROR_ACCESS_DENIED},
    {EEXIST, ERROR_ALREADY_EXISTS},
    {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
    {EBADF, ERROR_INVALID_HANDLE},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {ENOSPC, ERROR_DISK_FULL},
    {EDQUOT, ERROR_DISK_FULL},
    {EFBIG, ERROR_DISK_FULL},
    {EROFS, ERROR_WRITE_PROTECT},
    {EIO, ERROR_IO_DEVICE},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {EINVAL, ERROR_INVALID_PARAMETER},
    {ESPIPE, ERROR_SEEK},
    {EBUSY, ERROR_BUSY},
    {ETXTBSY, ERROR_SHARING_VIOLATION},
    {EAGAIN, ERROR_NOT_READY},
    {ENXIO, ERROR_NOT_READY},
    {ENOMEDIUM, ERROR_NOT_READY},
    {ENODEV, ERROR_DEV_NOT_EXIST},
    {ENOTCONN, ERROR_DEVICE_NOT_CONNECTED},
    {ECONNABORTED, ERROR_DEVICE_NOT_CONNECTED},
    {ESTALE, ERROR_FILE_INVALID},
    {EBADMSG, ERROR_FILE_CORRUPT},
    {EUCLEAN, ERROR_FILE_CORRUPT},
    {EPIPE, ERROR_BROKEN_PIPE},
    {EXDEV, ERROR_NOT_SAME_DEVICE},
    {ENOTSUP, ERROR_NOT_SUPPORTED},
    {ENOSYS, ERROR_NOT_SUPPORTED},
    {ENOEXEC, ERROR_BAD_FORMAT},
    {E2BIG, ERROR_INVALID_PARAMETER},
    {ECHILD, ERROR_GEN_FAILURE},  // no row: the general failure
};

TEST(ErrnoTable, EveryErrnoGivesTheCodeOfItsCondition) {
  for (const ErrnoCase& c : kCases) {
    EXPECT_EQ(c.win32, kernel32::win32ErrorFromErrno(c.posix)) << "errno " << c.posix;
  }
}

TEST(ErrnoTable, WriteToAFullDiskFailsWithDiskFull) {
  HANDLE full = CreateFileA("/dev/full", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (full == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no /dev/full here";
  const char bytes[4096] = {};
  DWORD written = 1;
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(WriteFile(full, bytes, sizeof bytes, &written, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), GetLastError());
  EXPECT_EQ(0u, written);
  CloseHandle(full);
}

}  // namespace
