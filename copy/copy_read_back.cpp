// The read-back of verification reaches the destination medium, not the system's cache: what was
// written is flushed first (FlushFileBuffers), and read back through a second handle opened with
// FILE_FLAG_NO_BUFFERING. Such a handle reads whole sectors of the destination's volume from
// sector-aligned offsets into a sector-aligned buffer.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "copy/copy_one_file.h"
#include "platform/winapi.h"

namespace {

// The sector size assumed when the volume does not tell its own: a multiple of every common one.
constexpr std::int64_t kAssumedSectorBytes = 4096;
// The buffer is aligned to the sector and at least to a memory page.
constexpr std::int64_t kPageBytes = 4096;
// The longest volume path asked for.
constexpr DWORD kVolumePathBytes = 1024;

// The bytes read back, at an aligned address; kept from file to file like the copy's other
// buffers.
std::vector<std::uint8_t> storage;

// Returns the sector size of the volume holding `path`, or kAssumedSectorBytes when the volume
// cannot be asked.
std::int64_t sectorOfVolume(const std::string& path) {
  char volume[kVolumePathBytes] = {};
  DWORD sectorsPerCluster = 0;
  DWORD bytesPerSector = 0;
  DWORD freeClusters = 0;
  DWORD clusters = 0;
  if (!GetVolumePathNameA(path.c_str(), volume, kVolumePathBytes) ||
      !GetDiskFreeSpaceA(volume, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters) ||
      !plausibleSector(bytesPerSector)) {
    return kAssumedSectorBytes;
  }
  return bytesPerSector;
}

// Opens the read-back handle on the copy, once per copy: reading only, sharing everything with
// the copy's own handle, past the cache. Returns true when it is open.
bool openReadBackFile() {
  if (fileCopy.readBackOpened) return fileCopy.readBack != INVALID_HANDLE_VALUE;
  fileCopy.readBackOpened = true;
  fileCopy.readBackSector = sectorOfVolume(fileCopy.temporaryFile);
  fileCopy.readBack = CreateFileA(fileCopy.temporaryFile.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
  return fileCopy.readBack != INVALID_HANDLE_VALUE;
}

}  // namespace

void flushWrittenBytes() {
  // A flush that fails leaves the bytes where they were; their read-back then tells.
  FlushFileBuffers(fileCopy.destination);
  openReadBackFile();
}

std::int64_t readBackSectorBytes() {
  openReadBackFile();
  return fileCopy.readBackSector;
}

bool plausibleSector(std::int64_t bytes) {
  return bytes > 0 && bytes <= kLargestSectorBytes && (bytes & (bytes - 1)) == 0;
}

std::uint8_t* alignedBuffer(std::vector<std::uint8_t>& storage, std::int64_t bytes,
                            std::int64_t sector) {
  std::int64_t alignment = std::max(sector, kPageBytes);
  std::size_t needed = static_cast<std::size_t>(bytes + alignment);
  if (storage.size() < needed) storage.resize(needed);
  auto address = reinterpret_cast<std::uintptr_t>(storage.data());
  std::uintptr_t aligned = (address + alignment - 1) / alignment * alignment;
  return storage.data() + (aligned - address);
}

std::uint8_t* readBackBuffer(std::int64_t bytes) {
  return alignedBuffer(storage, bytes, readBackSectorBytes());
}

std::int64_t readBackSectors(std::uint8_t* into, std::int64_t start, std::int64_t limit) {
  if (!openReadBackFile() || !setFilePosition(fileCopy.readBack, start)) return 0;
  DWORD count = 0;
  if (!ReadFile(fileCopy.readBack, into, static_cast<DWORD>(limit - start), &count, nullptr)) {
    return 0;
  }
  return std::min<std::int64_t>(count, limit - start);
}

bool readBackByte(std::int64_t offset, std::uint8_t& byte) {
  std::int64_t sector = readBackSectorBytes();
  std::int64_t start = offset / sector * sector;
  std::uint8_t* data = readBackBuffer(sector);
  if (readBackSectors(data, start, start + sector) <= offset - start) return false;
  byte = data[offset - start];
  return true;
}

void closeReadBackFile() {
  if (fileCopy.readBack != INVALID_HANDLE_VALUE) CloseHandle(fileCopy.readBack);
  fileCopy.readBack = INVALID_HANDLE_VALUE;
}
