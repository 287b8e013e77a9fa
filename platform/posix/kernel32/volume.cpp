// GetVolumePathNameA and GetDiskFreeSpaceA: the volume a path lies on, its sectors and clusters.
// A volume is a mounted file system; its path is its mount point, ending with "/" as a volume
// path of Windows ends with "\".
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/posix/kernel32/blocking_call.h"
#include "platform/posix/kernel32/errors.h"
#include "platform/posix/kernel32/no_buffering.h"
#include "platform/posix/kernel32/paths.h"
#include "platform/winapi.h"

namespace {

using namespace kernel32;

constexpr std::uint64_t kLargestDword = 0xFFFFFFFFull;

// Returns the mount point of the file system holding `path` (absolute and normal), or of its
// nearest existing folder when it does not exist, without a trailing "/". Empty when not even
// the root can be examined.
std::string mountPointOf(std::string path) {
  struct stat status {};
  while (stat(path.c_str(), &status) != 0) {
    if (path == "/") return {};
    path = folderOf(path);
  }
  while (path != "/") {
    std::string parent = folderOf(path);
    struct stat above {};
    if (stat(parent.c_str(), &above) != 0 || above.st_dev != status.st_dev) break;
    path = parent;
  }
  return path;
}

// Returns `value` as a DWORD, the largest one when it does not fit (as Windows reports the
// clusters of a volume too large for the call).
DWORD cappedDword(std::uint64_t value) {
  return static_cast<DWORD>(std::min(value, kLargestDword));
}

}  // namespace

BOOL WINAPI GetVolumePathNameA(LPCSTR fileName, LPSTR volumePathName, DWORD bufferLength) {
  kernel32::BlockingCall blocking;
  if (fileName == nullptr || *fileName == '\0' || volumePathName == nullptr) {
    return failWith(ERROR_INVALID_PARAMETER);
  }
  std::string mount = mountPointOf(absoluteNormalPath(fileName));
  if (mount.empty()) return failWithErrno(errno);
  if (mount != "/") mount += '/';
  if (mount.size() + 1 > bufferLength) return failWith(ERROR_FILENAME_EXCED_RANGE);
  std::memcpy(volumePathName, mount.c_str(), mount.size() + 1);
  return TRUE;
}

BOOL WINAPI GetDiskFreeSpaceA(LPCSTR rootPathName, LPDWORD sectorsPerCluster,
                              LPDWORD bytesPerSector, LPDWORD numberOfFreeClusters,
                              LPDWORD totalNumberOfClusters) {
  kernel32::BlockingCall blocking;
  // No root: the volume of the current folder.
  const char* root = rootPathName == nullptr ? "." : rootPathName;
  struct statvfs volume {};
  struct stat status {};
  if (statvfs(root, &volume) != 0 || stat(root, &status) != 0) {
    return failWithErrnoForPath(errno, absoluteNormalPath(root));
  }
  if (!S_ISDIR(status.st_mode)) return failWith(ERROR_DIRECTORY);
  std::uint64_t sector = volumeSectorBytes(status.st_dev);
  std::uint64_t unit = volume.f_frsize != 0 ? volume.f_frsize : volume.f_bsize;
  std::uint64_t cluster = std::max(sector, unit / sector * sector);
  if (sectorsPerCluster != nullptr) *sectorsPerCluster = cappedDword(cluster / sector);
  if (bytesPerSector != nullptr) *bytesPerSector = cappedDword(sector);
  if (numberOfFreeClusters != nullptr) {
    *numberOfFreeClusters = cappedDword(volume.f_bavail * unit / cluster);
  }
  if (totalNumberOfClusters != nullptr) {
    *totalNumberOfClusters = cappedDword(volume.f_blocks * unit / cluster);
  }
  return TRUE;
}
