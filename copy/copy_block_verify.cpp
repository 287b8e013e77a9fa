// Verification of a written block: the block is flushed to the medium, then every byte is read
// back depthVerify times and the last read decides, with the results the byte steps give byte by
// byte. The read-back reads whole sectors (copy/copy_read_back.cpp), so a read of a byte's sector
// delivers that byte when nothing before it in the sector stops the read. The block's sectors are
// read back in passes; a pass reads in one call as far as the bytes arrive. A read that stops short
// leaves the rest of its sector undelivered in this pass, as the byte steps' read of that sector
// would; a sector whose read fails whole is read alone from then on, and the sectors of a longer
// read that fails whole are read alone in this pass.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "copy/copy_job.h"
#include "copy/copy_one_file.h"
#include "settings/settings.h"

namespace {

// The state of one pass over the sectors that hold the bytes first..end-1.
struct ReadBackPass {
  std::int64_t low;   // the first sector's start
  std::int64_t high;  // the end of the last sector
  std::int64_t sector;
  std::uint8_t* data;  // the bytes from `low` on, as this pass read them
  bool lastPass;
};

// Sector starts of the block that are read alone, in ascending order.
std::vector<std::int64_t> suspects;
// Stretches of the block that the last pass did not deliver, [first, end).
std::vector<std::pair<std::int64_t, std::int64_t>> missing;

// Marks the sector at `start` as read alone, keeping the list in order.
void addSuspect(std::int64_t start) {
  auto place = std::lower_bound(suspects.begin(), suspects.end(), start);
  if (place == suspects.end() || *place != start) suspects.insert(place, start);
}

// Returns the first suspect at or after `start`, or `end` when there is none before it.
std::int64_t nextSuspect(std::int64_t start, std::int64_t end) {
  auto place = std::lower_bound(suspects.begin(), suspects.end(), start);
  return place == suspects.end() ? end : std::min(*place, end);
}

// Notes the bytes first..end-1 as not delivered when this is the last pass.
void noteMissing(const ReadBackPass& pass, std::int64_t first, std::int64_t end) {
  if (pass.lastPass) missing.emplace_back(first, end);
}

// Reads every sector of the pass once: suspects alone, the others in runs up to the next suspect;
// the sectors of a run that fails whole alone in this pass.
void readBackOnce(const ReadBackPass& pass) {
  std::int64_t at = pass.low;
  std::int64_t aloneUntil = pass.low;
  while (at < pass.high) {
    std::int64_t limit = nextSuspect(at, pass.high);
    if (limit == at || at < aloneUntil) limit = at + pass.sector;
    std::int64_t arrived = readBackSectors(pass.data + (at - pass.low), at, limit);
    if (arrived == 0 && limit - at > pass.sector) {
      aloneUntil = limit;
      continue;
    }
    if (arrived == 0) addSuspect(at);
    std::int64_t reached = at + arrived;
    if (reached >= limit || (arrived > 0 && reached % pass.sector == 0)) {
      // Whole, or stopped at the start of a sector, which the next read begins with.
      at = std::min(reached, limit);
      continue;
    }
    // The read stopped inside a sector: the rest of that sector is not delivered.
    std::int64_t sectorEnd = (reached / pass.sector + 1) * pass.sector;
    noteMissing(pass, reached, sectorEnd);
    at = sectorEnd;
  }
}

// Marks in `verified` the bytes first..end-1 whose last read delivered the written byte. Returns
// true when all of them did.
bool judgeLastPass(const ReadBackPass& pass, std::int64_t first, std::int64_t end,
                   const std::uint8_t* written, std::vector<std::uint8_t>& verified) {
  std::size_t length = static_cast<std::size_t>(end - first);
  const std::uint8_t* readBack = pass.data + (first - pass.low);
  bool delivered = std::none_of(missing.begin(), missing.end(), [&](const auto& gap) {
    return gap.first < end && gap.second > first;
  });
  if (delivered && std::memcmp(readBack, written, length) == 0) return true;
  if (verified.size() < length) verified.resize(length);
  for (std::size_t index = 0; index < length; ++index) {
    verified[index] = readBack[index] == written[index] ? 1 : 0;
  }
  for (const auto& [gapFirst, gapEnd] : missing) {
    for (std::int64_t offset = std::max(gapFirst, first); offset < std::min(gapEnd, end);
         ++offset) {
      verified[static_cast<std::size_t>(offset - first)] = 0;
    }
  }
  return false;
}

}  // namespace

bool verifyWrittenBlock(std::int64_t first, std::int64_t end, const std::uint8_t* written,
                        std::vector<std::uint8_t>& verified) {
  if (end <= first) return true;
  flushWrittenBytes();
  std::int64_t sector = readBackSectorBytes();
  std::int64_t low = first / sector * sector;
  std::int64_t high = (end + sector - 1) / sector * sector;
  ReadBackPass pass{low, high, sector, readBackBuffer(high - low), false};
  suspects.clear();
  missing.clear();
  std::int32_t passes = std::max<std::int32_t>(0, settings.depthVerify);
  for (std::int32_t number = 1; number <= passes; ++number) {
    pass.lastPass = number == passes;
    readBackOnce(pass);
  }
  std::size_t length = static_cast<std::size_t>(end - first);
  if (passes > 0) return judgeLastPass(pass, first, end, written, verified);
  verified.assign(std::max(verified.size(), length), 0);
  return false;
}
