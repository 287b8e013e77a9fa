// Reads of the source past the system's cache, in whole sectors of its volume, and the unit in
// which the source fails when the user did not set sectorSize. Through the cache a read fails in
// whole cache units (a page or more), whatever the program asks for; only a read past the cache,
// aligned to the sector of the volume, saves the readable sectors next to a bad one. The medium
// is examined at the first failed read of a file, so a healthy copy never pays for it.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "copy/copy_job.h"
#include "copy/copy_one_file.h"
#include "platform/winapi.h"
#include "settings/settings.h"

namespace {

// The sector assumed when the volume tells none: a multiple of every common one.
constexpr std::int64_t kAssumedSectorBytes = 4096;
// The cache unit assumed when the system tells no page size.
constexpr std::int64_t kAssumedPageBytes = 4096;
// The longest volume path asked for.
constexpr DWORD kVolumePathBytes = 1024;

// The sectors read, at an aligned address; kept from file to file.
std::vector<std::uint8_t> storage;

// Returns the system's page size, the unit in which a read through the cache fails.
std::int64_t pageBytes() {
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  return plausibleSector(system.dwPageSize) ? system.dwPageSize : kAssumedPageBytes;
}

// Asks the volume of the source for its kind and sector size (fileCopy.sourceOnDisk,
// fileCopy.sourceSector).
void examineSourceVolume() {
  char volume[kVolumePathBytes] = {};
  fileCopy.sourceSector = kAssumedSectorBytes;
  if (!GetVolumePathNameA(fileCopy.sourceFile.c_str(), volume, kVolumePathBytes)) return;
  UINT type = GetDriveTypeA(volume);
  DWORD sectorsPerCluster = 0;
  DWORD bytesPerSector = 0;
  DWORD freeClusters = 0;
  DWORD clusters = 0;
  bool told =
      GetDiskFreeSpaceA(volume, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters) &&
      plausibleSector(bytesPerSector);
  if (told) fileCopy.sourceSector = bytesPerSector;
  // Only a disk fails in sectors; a network or FUSE file system may fail in any unit.
  fileCopy.sourceOnDisk =
      told && (type == DRIVE_FIXED || type == DRIVE_REMOVABLE || type == DRIVE_CDROM);
}

// Returns a sector-aligned buffer of at least `bytes` bytes, valid until the next call.
std::uint8_t* sectorBuffer(std::int64_t bytes) {
  return alignedBuffer(storage, bytes, fileCopy.sourceSector);
}

// Closes the unbuffered handle: its reads are refused, and the cache serves instead.
void refuseUnbufferedReads() {
  if (fileCopy.unbufferedSource != INVALID_HANDLE_VALUE) CloseHandle(fileCopy.unbufferedSource);
  fileCopy.unbufferedSource = INVALID_HANDLE_VALUE;
}

}  // namespace

void examineSourceMedium() {
  if (fileCopy.sourceMediumKnown) return;
  fileCopy.sourceMediumKnown = true;
  examineSourceVolume();
  // A second handle, past the cache; sharing reads with the copy's own handle.
  fileCopy.unbufferedSource =
      CreateFileA(fileCopy.sourceFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                  OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
}

std::int64_t mediumSectorBytes() {
  examineSourceMedium();
  if (!fileCopy.sourceOnDisk) return 1;
  if (fileCopy.unbufferedSource != INVALID_HANDLE_VALUE) return fileCopy.sourceSector;
  // Reads go through the cache, which never fails in less than a page.
  return pageBytes();
}

bool readsFailedStretchesBySector() {
  examineSourceMedium();
  // Only a disk has sectors to read past the cache; a network or FUSE file system is read as it
  // fails, through the cache, in the units the user's settings give.
  if (!fileCopy.sourceOnDisk || fileCopy.unbufferedSource == INVALID_HANDLE_VALUE) return false;
  // Sectors smaller than the volume's cannot be told apart by reads of whole volume sectors: such
  // a unit is read through the cache, byte by byte, as the user asked.
  return sectorBytes() % fileCopy.sourceSector == 0;
}

std::int64_t readSourceSectorOnce(std::int64_t offset, const std::uint8_t*& data) {
  std::int64_t sector = fileCopy.sourceSector;
  std::int64_t start = offset / sector * sector;
  std::uint8_t* buffer = sectorBuffer(sector);
  DWORD count = 0;
  if (!setFilePosition(fileCopy.unbufferedSource, start)) return 0;
  if (!ReadFile(fileCopy.unbufferedSource, buffer, static_cast<DWORD>(sector), &count, nullptr)) {
    // Accepted at the open and refused at the read (some FUSE and overlay file systems): from
    // here on the cache serves, in the units the user's settings give.
    if (GetLastError() == ERROR_INVALID_PARAMETER) refuseUnbufferedReads();
    return 0;
  }
  std::int64_t into = offset - start;
  if (static_cast<std::int64_t>(count) <= into) return 0;
  data = buffer + into;
  return static_cast<std::int64_t>(count) - into;
}

std::int64_t readSourcePastCache(std::int64_t start, std::int64_t end, const std::uint8_t*& data) {
  std::int64_t sector = fileCopy.sourceSector;
  std::int64_t length = (end - start + sector - 1) / sector * sector;
  std::uint8_t* buffer = sectorBuffer(length);
  DWORD count = 0;
  if (!setFilePosition(fileCopy.unbufferedSource, start)) return 0;
  if (!ReadFile(fileCopy.unbufferedSource, buffer, static_cast<DWORD>(length), &count, nullptr)) {
    if (GetLastError() == ERROR_INVALID_PARAMETER) refuseUnbufferedReads();
    return 0;
  }
  data = buffer;
  return std::min<std::int64_t>(count, end - start);
}

void closeUnbufferedSource() { refuseUnbufferedReads(); }
