// A stretch of the source whose read through the cache failed is read past the cache, one sector
// of the volume at a time, as a disk fails: the readable sectors next to a bad one are saved, and
// a bad sector costs its readDepth + 1 reads, not that many for each of its bytes.
#include <algorithm>
#include <cstdint>

#include "copy/copy_job.h"
#include "copy/copy_one_file.h"

namespace {

// Reads the sector holding the source byte at `offset` up to `attempts` times, stopping at the
// first read that delivers it. Returns how many bytes from `offset` arrived (0 when every read
// failed, or when the reads were refused: fileCopy.unbufferedSource is then closed).
std::int64_t readSectorWithRetries(std::int64_t offset, std::int64_t attempts,
                                   const std::uint8_t*& data) {
  for (std::int64_t attempt = 0; attempt < attempts; ++attempt) {
    std::int64_t arrived = readSourceSectorOnce(offset, data);
    if (arrived > 0 || fileCopy.unbufferedSource == INVALID_HANDLE_VALUE) return arrived;
  }
  return 0;
}

}  // namespace

std::int64_t copyFailedStretch(std::int64_t first, std::int64_t end, bool firstTried) {
  std::int64_t at = first;
  // A byte is read at most readDepth + 1 times: a first byte whose own read through the cache
  // failed has readDepth left.
  std::int64_t attempts = std::max<std::int64_t>(0, readDepth) + 1;
  // Every byte before `at` is finished (copied as read, or substituted) in file order, as the
  // byte steps finish it. Each pass finishes at least one byte, or leaves when the unbuffered
  // reads were refused, so the loop ends.
  while (at < end && !fileCopy.copyFailed) {
    if (isGivenUp(at)) {
      finishByteAt(at++, false);
      continue;
    }
    const std::uint8_t* data = nullptr;
    std::int64_t arrived = readSectorWithRetries(at, attempts - (at == first && firstTried), data);
    if (fileCopy.unbufferedSource == INVALID_HANDLE_VALUE) return at;
    if (arrived == 0) {
      // Unreadable: substituted, and the rest of its sector given up.
      finishByteAt(at++, false);
      continue;
    }
    std::int64_t stop = std::min(end, at + arrived);
    copyArrivedBytes(at, stop, data);
    at = stop;
  }
  return at;
}
