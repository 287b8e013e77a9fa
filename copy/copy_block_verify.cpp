// Verification of a written block: every byte is read back depthVerify times and the last read
// decides, as the byte steps do byte by byte. The block is read back in passes; a pass reads in
// one call as far as the bytes arrive. A byte that stops a read, or fails a read of its own,
// becomes a suspect: it is read alone in this pass and in every later one, and no longer read is
// let reach it. A longer read only ever begins on a byte that has already arrived whole, so it
// cannot use up a failure of a bad byte; every bad byte is read exactly depthVerify times, alone,
// as the byte steps read it.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "copy/copy_job.h"
#include "copy/copy_one_file.h"
#include "settings/settings.h"

namespace {

// The bytes read back in the current pass; in the last pass, the ones that decide.
std::vector<std::uint8_t> checkBlock;
// Destination offsets of the block that are read alone, in ascending order.
std::vector<std::int64_t> suspects;
// Offsets of the block whose read in the last pass delivered nothing.
std::vector<std::int64_t> missing;

// The state of one pass over the bytes first..end-1.
struct ReadBackPass {
  std::int64_t first;
  std::int64_t end;
  bool firstPass;
  bool lastPass;
};

// Reads the destination from `start` up to `limit` into checkBlock in one call. Returns how many
// bytes arrived (none when the read failed).
std::int64_t readBackRun(const ReadBackPass& pass, std::int64_t start, std::int64_t limit) {
  if (!setFilePosition(fileCopy.destination, start)) return 0;
  DWORD count = 0;
  std::uint8_t* into = checkBlock.data() + (start - pass.first);
  if (!ReadFile(fileCopy.destination, into, static_cast<DWORD>(limit - start), &count, nullptr)) {
    return 0;
  }
  return std::min<std::int64_t>(count, limit - start);
}

// Reads the destination byte at `offset` alone into checkBlock; notes it as missing when the last
// pass gets nothing. Returns true when the byte arrived.
bool readBackAlone(const ReadBackPass& pass, std::int64_t offset) {
  std::uint8_t byte = 0;
  bool arrived =
      setFilePosition(fileCopy.destination, offset) && readOneByte(fileCopy.destination, byte);
  if (arrived) checkBlock[static_cast<std::size_t>(offset - pass.first)] = byte;
  if (!arrived && pass.lastPass) missing.push_back(offset);
  return arrived;
}

// Marks `offset` as a suspect, keeping the list in order.
void addSuspect(std::int64_t offset) {
  auto place = std::lower_bound(suspects.begin(), suspects.end(), offset);
  if (place == suspects.end() || *place != offset) suspects.insert(place, offset);
}

// Returns the first suspect at or after `offset`, or `end` when there is none before it.
std::int64_t nextSuspect(std::int64_t offset, std::int64_t end) {
  auto place = std::lower_bound(suspects.begin(), suspects.end(), offset);
  return place == suspects.end() ? end : std::min(*place, end);
}

// Reads every byte of the pass once: suspects alone, the others in runs that begin on a byte that
// has arrived whole and end before the next suspect. The bytes of a run that fails whole,
// although it began on a good byte, are read alone in this pass.
void readBackOnce(const ReadBackPass& pass) {
  std::int64_t at = pass.first;
  std::int64_t aloneUntil = pass.first;
  bool previousArrived = false;  // the byte before `at` arrived in this pass
  while (at < pass.end) {
    std::int64_t limit = nextSuspect(at, pass.end);
    // Outside the first pass every byte that is no suspect has arrived whole before.
    bool knownWhole = limit != at && !pass.firstPass;
    if (limit == at || at < aloneUntil || (!previousArrived && !knownWhole)) {
      bool arrived = readBackAlone(pass, at);
      if (!arrived) addSuspect(at);
      previousArrived = arrived;
      ++at;
      continue;
    }
    std::int64_t start = previousArrived ? at - 1 : at;
    std::int64_t arrived = readBackRun(pass, start, limit);
    if (arrived == 0) {
      aloneUntil = limit;
      continue;
    }
    at += std::max<std::int64_t>(0, arrived - (at - start));
    previousArrived = true;
    // The byte that stopped the read is read alone from now on.
    if (at < limit) addSuspect(at);
  }
}

// Marks in `verified` the bytes whose last read delivered the written byte. Returns true when all
// of them did.
bool judgeLastPass(std::int64_t first, std::int64_t end, const std::uint8_t* written,
                   std::vector<std::uint8_t>& verified) {
  std::size_t length = static_cast<std::size_t>(end - first);
  if (missing.empty() && std::memcmp(checkBlock.data(), written, length) == 0) return true;
  if (verified.size() < length) verified.resize(length);
  for (std::size_t index = 0; index < length; ++index) {
    verified[index] = checkBlock[index] == written[index] ? 1 : 0;
  }
  for (std::int64_t offset : missing) verified[static_cast<std::size_t>(offset - first)] = 0;
  return false;
}

}  // namespace

bool verifyWrittenBlock(std::int64_t first, std::int64_t end, const std::uint8_t* written,
                        std::vector<std::uint8_t>& verified) {
  if (end <= first) return true;
  std::size_t length = static_cast<std::size_t>(end - first);
  if (checkBlock.size() < length) checkBlock.resize(length);
  suspects.clear();
  missing.clear();
  std::int32_t passes = std::max<std::int32_t>(0, settings.depthVerify);
  for (std::int32_t pass = 1; pass <= passes; ++pass) {
    readBackOnce(ReadBackPass{first, end, pass == 1, pass == passes});
  }
  bool allVerified = passes > 0 && judgeLastPass(first, end, written, verified);
  if (passes == 0) verified.assign(std::max(verified.size(), length), 0);
  // The next block is written at the end of the destination, right after this one.
  setFilePosition(fileCopy.destination, end);
  return allVerified;
}
