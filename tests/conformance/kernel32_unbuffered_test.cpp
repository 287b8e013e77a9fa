// A handle opened with FILE_FLAG_NO_BUFFERING: what was written and flushed reads back through it
// in whole sectors of the volume (the sector size from GetDiskFreeSpaceA), and a transfer that
// does not start on a sector fails with ERROR_INVALID_PARAMETER.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/winapi.h"
#include "tests/conformance/kernel32_scoped_temp_dir.h"
#include "tests/wine/under_wine.h"

namespace {

// Returns the sector size of the volume that holds `path`, 0 when it cannot be told.
DWORD sectorBytesOf(const std::string& path) {
  char volume[MAX_PATH] = {};
  if (!GetVolumePathNameA(path.c_str(), volume, sizeof volume)) return 0;
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceA(volume, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
    return 0;
  }
  return bytesPerSector;
}

// Each test writes "data" (two sectors of `content`), opens it with FILE_FLAG_NO_BUFFERING and has
// a buffer of two sectors that starts on a sector.
class Unbuffered : public ScopedTempDir {
 protected:
  void SetUp() override {
    ScopedTempDir::SetUp();
    sector_ = sectorBytesOf(absolute("data"));
    ASSERT_GE(sector_, 512u);
    for (DWORD i = 0; i < 2 * sector_; ++i) content_ += static_cast<char>('a' + i % 26);
    ASSERT_TRUE(writeFile("data", content_));
    file_ = CreateFileA("data", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file_);
    room_.resize(3 * sector_);
    auto address = reinterpret_cast<std::uintptr_t>(room_.data());
    buffer_ = room_.data() + (sector_ - address % sector_) % sector_;
  }

  void TearDown() override {
    if (file_ != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(CloseHandle(file_));
    }
    ScopedTempDir::TearDown();
  }

  DWORD sector_ = 0;
  std::string content_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::vector<char> room_;
  char* buffer_ = nullptr;
};

TEST_F(Unbuffered, FlushedDataReadsBackInWholeSectors) {
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file_, buffer_, 2 * sector_, &read, nullptr));
  EXPECT_EQ(2 * sector_, read);
  EXPECT_EQ(content_, std::string(buffer_, read));
}

TEST_F(Unbuffered, TransferOffASectorFailsWithInvalidParameter) {
  SKIP_WHERE_WINE_DIFFERS("FILE_FLAG_NO_BUFFERING is taken without its alignment rules");
  DWORD read = 0xDEAD;
  ASSERT_EQ(1u, SetFilePointer(file_, 1, nullptr, FILE_BEGIN));
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(ReadFile(file_, buffer_, sector_, &read, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  EXPECT_EQ(0u, read);
}

}  // namespace

namespace {

// The kind of medium a volume lies on: the folder of a test's files is on a disk, a fixed or a
// removable one (or a RAM disk where the temporary folder is in memory); a path that is no folder
// has no root. The page size is a power of two.
TEST(DriveType, TellsWhatKindOfMediumAVolumeLiesOn) {
  char volume[MAX_PATH] = {};
  char temporary[MAX_PATH] = {};
  ASSERT_NE(0u, GetTempPathA(MAX_PATH, temporary));
  ASSERT_TRUE(GetVolumePathNameA(temporary, volume, sizeof volume));
  UINT kind = GetDriveTypeA(volume);
  EXPECT_TRUE(kind == DRIVE_FIXED || kind == DRIVE_REMOVABLE || kind == DRIVE_RAMDISK) << kind;
  EXPECT_EQ(static_cast<UINT>(DRIVE_NO_ROOT_DIR), GetDriveTypeA("no such folder\\"));
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  EXPECT_GE(system.dwPageSize, 4096u);
  EXPECT_EQ(0u, system.dwPageSize & (system.dwPageSize - 1));
}

}  // namespace
