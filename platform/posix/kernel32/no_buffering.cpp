// FILE_FLAG_NO_BUFFERING on POSIX: the volume's sector size and the checks of each transfer.
#include "platform/posix/kernel32/no_buffering.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>

namespace kernel32 {

std::optional<std::uint32_t> diskAttribute(dev_t device, const char* name) {
  std::string folder =
      "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
  // A partition has no such file of its own: the disk it lies on, its parent folder, has.
  for (const std::string& path : {folder + "/" + name, folder + "/../" + name}) {
    std::ifstream in(path);
    std::uint32_t value = 0;
    if (in >> value) return value;
  }
  return std::nullopt;
}

std::uint32_t volumeSectorBytes(dev_t device) {
  std::uint32_t bytes = diskAttribute(device, "queue/logical_block_size").value_or(0);
  if (bytes > 0 && (bytes & (bytes - 1)) == 0) return bytes;
  return kDefaultSectorBytes;
}

DWORD prepareUnbufferedTransfer(const FileObject& file, const void* buffer, std::uint32_t length,
                                bool reads) {
  std::uint64_t sector = file.unbufferedSectorBytes;
  if (static_cast<std::uint64_t>(file.position) % sector != 0 || length % sector != 0 ||
      reinterpret_cast<std::uintptr_t>(buffer) % sector != 0) {
    return ERROR_INVALID_PARAMETER;
  }
  // Clean pages are dropped at once; the read that follows fetches them from the file system.
  if (reads && file.dropsCachedPages && length > 0) {
    posix_fadvise(file.descriptor, file.position, length, POSIX_FADV_DONTNEED);
  }
  return ERROR_SUCCESS;
}

bool directTransfersFit(int descriptor, std::uint32_t sectorBytes) {
  struct statx status {};
  if (statx(descriptor, "", AT_EMPTY_PATH, STATX_DIOALIGN, &status) != 0) return true;
  if ((status.stx_mask & STATX_DIOALIGN) == 0) return true;
  // Alignments are powers of two: one no larger than the sector divides it.
  return status.stx_dio_offset_align != 0 && status.stx_dio_offset_align <= sectorBytes &&
         status.stx_dio_mem_align <= sectorBytes;
}

bool readsPastCache(const FileObject& file) {
  return file.unbufferedSectorBytes != 0 && !file.dropsCachedPages;
}

bool stopReadingPastCache(FileObject& file, std::uint32_t length) {
  int flags = fcntl(file.descriptor, F_GETFL);
  if (flags < 0 || fcntl(file.descriptor, F_SETFL, flags & ~O_DIRECT) != 0) return false;
  file.dropsCachedPages = true;
  if (length > 0) posix_fadvise(file.descriptor, file.position, length, POSIX_FADV_DONTNEED);
  return true;
}

}  // namespace kernel32
