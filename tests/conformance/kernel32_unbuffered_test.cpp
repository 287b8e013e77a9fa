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

using Unbuffered = ScopedTempDir;

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

// Returns the first address in `room` (three sectors long) that starts a sector.
char* sectorAligned(std::vector<char>& room, DWORD sector) {
  auto address = reinterpret_cast<std::uintptr_t>(room.data());
  return room.data() + (sector - address % sector) % sector;
}

TEST_F(Unbuffered, FlushedDataReadsBackInWholeSectors) {
  const DWORD sector = sectorBytesOf(absolute("data"));
  ASSERT_GE(sector, 512u);
  std::string content;
  for (DWORD i = 0; i < 2 * sector; ++i) content += static_cast<char>('a' + i % 26);
  ASSERT_TRUE(writeFile("data", content));
  HANDLE file = CreateFileA("data", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  std::vector<char> room(3 * sector);
  char* buffer = sectorAligned(room, sector);
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file, buffer, 2 * sector, &read, nullptr));
  EXPECT_EQ(2 * sector, read);
  EXPECT_EQ(content, std::string(buffer, read));
  EXPECT_TRUE(CloseHandle(file));
}

TEST_F(Unbuffered, TransferOffASectorFailsWithInvalidParameter) {
  SKIP_WHERE_WINE_DIFFERS("FILE_FLAG_NO_BUFFERING is taken without its alignment rules");
  const DWORD sector = sectorBytesOf(absolute("data"));
  ASSERT_GE(sector, 512u);
  ASSERT_TRUE(writeFile("data", std::string(2 * sector, 'd')));
  HANDLE file = CreateFileA("data", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  std::vector<char> room(3 * sector);
  char* buffer = sectorAligned(room, sector);
  DWORD read = 0xDEAD;
  ASSERT_EQ(1u, SetFilePointer(file, 1, nullptr, FILE_BEGIN));
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(ReadFile(file, buffer, sector, &read, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  EXPECT_EQ(0u, read);
  EXPECT_TRUE(CloseHandle(file));
}

}  // namespace
