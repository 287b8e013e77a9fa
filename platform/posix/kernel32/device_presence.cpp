// Telling a bad spot of a medium from a device that has gone, after a read failed with EIO.
#include "platform/posix/kernel32/device_presence.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "platform/posix/kernel32/errors.h"

namespace kernel32 {

namespace {

constexpr const char* kSysDevBlock = "/sys/dev/block";
constexpr const char* kMountInfo = "/proc/self/mountinfo";

}  // namespace

bool blockDeviceListed(std::uint32_t major, std::uint32_t minor, const std::string& sysDevBlock) {
  if (major == 0) return true;
  struct stat folder {};
  if (stat(sysDevBlock.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) return true;
  std::string entry = sysDevBlock + "/" + std::to_string(major) + ":" + std::to_string(minor);
  // A symbolic link into /sys/devices: present while the device is. Only its absence tells.
  struct stat link {};
  return lstat(entry.c_str(), &link) == 0 || errno != ENOENT;
}

bool mountListed(std::uint64_t mountId, const std::string& mountInfo) {
  std::ifstream in(mountInfo);
  if (!in) return true;
  std::string line;
  bool readAny = false;
  while (std::getline(in, line)) {
    readAny = true;
    std::istringstream fields(line);
    std::uint64_t id = 0;
    if (fields >> id && id == mountId) return true;
  }
  return !readAny;
}

bool deviceHasLeft(int descriptor) {
  struct statx status {};
  // Device and mount are known without asking a network or FUSE server, which may not answer.
  if (statx(descriptor, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_MNT_ID, &status) != 0)
    return false;
  if (!blockDeviceListed(status.stx_dev_major, status.stx_dev_minor, kSysDevBlock)) return true;
  return (status.stx_mask & STATX_MNT_ID) != 0 && !mountListed(status.stx_mnt_id, kMountInfo);
}

DWORD readFailureError(int error, int descriptor) {
  if (error == EIO && deviceHasLeft(descriptor)) return ERROR_DEVICE_REMOVED;
  return win32ErrorFromErrno(error);
}

}  // namespace kernel32
