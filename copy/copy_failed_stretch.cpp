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

// Returns the key under which the failed reads aimed at the byte at `offset` are counted: past the
// cache, its sector, which every read of the byte reads.
std::int64_t attemptKey(std::int64_t offset) {
  if (!fileCopy.sourceMediumKnown || !readsFailedStretchesBySector()) return offset;
  return offset / fileCopy.sourceSector * fileCopy.sourceSector;
}

}  // namespace

void noteFailedRead(std::int64_t offset, std::int64_t length) {
  bool bySector = fileCopy.sourceMediumKnown && readsFailedStretchesBySector();
  FailedReads& reads = fileCopy.failedAttempts[attemptKey(offset)];
  ++reads.all;
  if (length <= (bySector ? fileCopy.sourceSector : 1)) ++reads.ownUnit;
}

bool readFailedAt(std::int64_t offset) {
  return fileCopy.failedAttempts.count(attemptKey(offset)) != 0;
}

std::int64_t readsLeft(std::int64_t offset) {
  std::int64_t attempts = std::max<std::int64_t>(0, readDepth) + 1;
  auto found = fileCopy.failedAttempts.find(attemptKey(offset));
  if (found == fileCopy.failedAttempts.end()) return attempts;
  // A longer read may have failed for another part of it, or been refused whole by a driver: a
  // byte that had only such reads keeps one read of its own.
  std::int64_t floor = found->second.ownUnit == 0 ? 1 : 0;
  return std::max(floor, attempts - found->second.all);
}

std::int64_t copyFailedStretch(std::int64_t first, std::int64_t end) {
  std::int64_t at = first;
  // Every byte before `at` is finished (copied as read, or substituted) in file order, as the
  // byte steps finish it. Each pass finishes at least one byte, or leaves when the unbuffered
  // reads were refused, so the loop ends.
  while (at < end && !fileCopy.copyFailed) {
    if (isGivenUp(at)) {
      // Filled in blocks, within this stretch: the rest of a source that has gone may be large.
      at = copyGivenUpStretch(at, end);
      continue;
    }
    const std::uint8_t* data = nullptr;
    std::int64_t arrived = readSectorWithRetries(at, readsLeft(at), data);
    if (fileCopy.unbufferedSource == INVALID_HANDLE_VALUE) return at;
    // A source that has gone: the caller fills the rest, in blocks.
    if (arrived == 0 && sourceGoneAfterFailedRead(at)) return at;
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
