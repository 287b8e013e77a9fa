// GetDriveTypeA and GetSystemInfo: what kind of medium a volume lies on, and the memory page size.
// A volume is a mounted file system (see volume.cpp); its kind follows from the device under it:
// a block device is a disk (removable when its disk says so, a CD-ROM on the SCSI CD-ROM major),
// a memory file system is a RAM disk, and a file system with no block device under it (network,
// FUSE, overlay) is remote: it has no sectors of its own and may fail in any unit.
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "platform/posix/kernel32/blocking_call.h"
#include "platform/posix/kernel32/no_buffering.h"
#include "platform/winapi.h"

namespace {

// statfs(2) magic numbers of the memory file systems.
constexpr long kTmpfsMagic = 0x01021994;
constexpr long kRamfsMagic = 0x858458f6;
// The major number of SCSI CD-ROM drives (/dev/sr*).
constexpr unsigned kCdromMajor = 11;

}  // namespace

UINT WINAPI GetDriveTypeA(LPCSTR rootPathName) {
  kernel32::BlockingCall blocking;
  const char* root = rootPathName == nullptr ? "." : rootPathName;
  struct stat status {};
  struct statfs volume {};
  if (stat(root, &status) != 0 || !S_ISDIR(status.st_mode) || statfs(root, &volume) != 0) {
    return DRIVE_NO_ROOT_DIR;
  }
  // Only a block device has a sysfs folder, and every disk tells whether it is removable.
  if (std::optional<std::uint32_t> removable =
          kernel32::diskAttribute(status.st_dev, "removable")) {
    if (major(status.st_dev) == kCdromMajor) return DRIVE_CDROM;
    return *removable == 1 ? DRIVE_REMOVABLE : DRIVE_FIXED;
  }
  long type = static_cast<long>(volume.f_type);
  if (type == kTmpfsMagic || type == kRamfsMagic) return DRIVE_RAMDISK;
  return DRIVE_REMOTE;
}

void WINAPI GetSystemInfo(LPSYSTEM_INFO systemInfo) {
  if (systemInfo == nullptr) return;
  std::memset(systemInfo, 0, sizeof(*systemInfo));
  long page = sysconf(_SC_PAGESIZE);
  systemInfo->dwPageSize = page > 0 ? static_cast<DWORD>(page) : 4096;
}
