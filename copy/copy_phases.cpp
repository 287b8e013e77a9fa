// The copy of one file in the order that saves every readable byte before a bad area is retried,
// as a failing disk gets worse with every failed read: copy (blocks front to back, skipping past a
// read that fails, so that a long bad area costs a few failed reads), trim (the edges of each area
// left, a unit at a time, until a read fails at each), retry (what is left, in file order, with
// the byte steps' retries and substitutes). Only the order of the reads differs from the byte
// steps: substitutes are drawn in file order, each byte is read at most readDepth + 1 times, and
// the bytes, counters and log entries are theirs.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/window_handles.h"
#include "copy/copy_job.h"
#include "copy/copy_knobs.h"
#include "copy/copy_one_file.h"
#include "settings/settings.h"

namespace {

// The largest unit in which the system's cache refuses reads around a bad sector (a large
// folio); blocks never cross its boundaries.
constexpr std::int64_t kWindowBytes = 1 << 20;
// The first skip after a failed read, and the alignment of the reads after a skip.
constexpr std::int64_t kFirstSkipBytes = 64 << 10;
constexpr std::int64_t kSkipAlignment = 4096;
// The skip grows up to this part of the file.
constexpr std::int64_t kSkipsPerFile = 100;

// Once a read through the cache failed, the medium is known to fail: the rest of the copy phase
// reads past the cache, since each failed read through it costs the drive a second failed read
// (the read-ahead's and the read's own) and refuses a whole cache unit.
bool copyPastCache = false;

// Returns `value` rounded up to a multiple of `unit`.
std::int64_t roundUp(std::int64_t value, std::int64_t unit) {
  return (value + unit - 1) / unit * unit;
}

// Reads the source bytes start..end-1 for the copy phase: through the cache until a read failed,
// past it afterwards.
std::int64_t readForCopy(std::int64_t start, std::int64_t end, const std::uint8_t*& data) {
  if (copyPastCache && readsFailedStretchesBySector() && start % fileCopy.sourceSector == 0) {
    std::int64_t arrived = readSourcePastCache(start, end, data);
    // Refused by the file system: the cache serves instead.
    if (arrived > 0 || fileCopy.unbufferedSource != INVALID_HANDLE_VALUE) return arrived;
  }
  return readThroughCache(start, end, data);
}

// Reads the source bytes start..end-1 (within one unit) for trimming: past the cache, the volume
// sector holding them, where the copy reads by sector; through the cache elsewhere.
std::int64_t readForTrim(std::int64_t start, std::int64_t end, const std::uint8_t*& data) {
  if (!readsFailedStretchesBySector()) return readThroughCache(start, end, data);
  std::int64_t sectorStart = start / fileCopy.sourceSector * fileCopy.sourceSector;
  std::int64_t arrived = readSourcePastCache(sectorStart, end, data);
  // Refused by the file system: the cache serves instead.
  if (arrived == 0 && fileCopy.unbufferedSource == INVALID_HANDLE_VALUE) {
    return readThroughCache(start, end, data);
  }
  if (arrived <= start - sectorStart) return 0;
  data += start - sectorStart;
  return arrived - (start - sectorStart);
}

// Returns the unit of a trimming read: the sector of the user's settings (past the cache a
// multiple of the volume's), so that no byte of a sector that holds a bad one is saved.
std::int64_t trimUnit() { return sectorBytes(); }

// Writes, verifies, counts and shows the bytes start..end-1 that arrived in `data`, at their
// own offset in the copy, and marks them done.
void copyArrivedAt(std::int64_t start, std::int64_t end, const std::uint8_t* data) {
  if (!setFilePosition(fileCopy.destination, start)) {
    fileCopy.copyFailed = true;
    reportUnwritableByte();
    return;
  }
  copyArrivedBytes(start, end, data);
  if (!fileCopy.copyFailed) markMap(start, end, RangeState::done);
}

// Returns where reading goes on after a read that failed at or before `end`, `skip` bytes on: a
// multiple of the sector of the user's settings, so that a sector is never cut by a skip.
std::int64_t landingAfter(std::int64_t end, std::int64_t skip) {
  return std::min(currentSize, roundUp(roundUp(end + skip, kSkipAlignment), sectorBytes()));
}

// The copy phase: blocks front to back; a read that fails marks its block not trimmed and skips
// ahead, farther while reads keep failing.
void copyPhase() {
  std::int64_t at = 0;
  std::int64_t size = std::clamp<std::int64_t>(firstCopyBlockBytes, 1, copyBlockBytes);
  std::int64_t largest = std::max<std::int64_t>(1, copyBlockBytes);
  std::int64_t skip = 0;
  std::int64_t largestSkip = std::max(kFirstSkipBytes, currentSize / kSkipsPerFile);
  // Every byte before `at` is done, or lies in a range marked not trimmed, not tried, or (in a
  // copy that goes on from an earlier one) in any state but not tried. Each pass moves `at` on by
  // at least one byte, so the loop ends.
  while (!fileCopy.copyFailed) {
    // Only bytes never tried are read: those an earlier copy saved are not read again.
    MapRange untried = fileCopy.map.next(at, RangeState::notTried);
    if (untried.start >= currentSize) break;
    if (untried.start > at) {
      at = untried.start;
      size = std::clamp<std::int64_t>(firstCopyBlockBytes, 1, largest);
    }
    std::int64_t end = std::min({untried.end, at + size, (at / kWindowBytes + 1) * kWindowBytes});
    const std::uint8_t* data = nullptr;
    std::int64_t arrived = readForCopy(at, end, data);
    if (arrived > 0) {
      copyArrivedAt(at, at + arrived, data);
      at += arrived;
      skip = 0;
      size = std::min(size * 2, largest);
    }
    if (at < end && !fileCopy.copyFailed) {
      // A source that is gone or has shrunk is read no more: the retry phase fills the rest.
      if (sourceGoneAfterFailedRead(at)) return;
      if (arrived == 0) noteFailedRead(at, end - at);
      if (!copyPastCache && readsFailedStretchesBySector()) copyPastCache = true;
      markMap(at, end, RangeState::notTrimmed);
      skip = skip == 0 ? std::max(kFirstSkipBytes, sectorBytes()) : std::min(skip * 2, largestSkip);
      at = landingAfter(end, skip);
      size = std::clamp<std::int64_t>(firstCopyBlockBytes, 1, largest);
    }
    writeMapFile(false);
  }
}

// The largest read of a backward trim through the cache: a skipped stretch of good bytes is read
// back in such blocks, not a unit at a time, where the unit is small; over the bytes a failed read
// covered, in smaller ones, since each that fails costs a failed read.
constexpr std::int64_t kTrimChunkBytes = 64 << 10;
constexpr std::int64_t kTrimStepBytes = 512;

// Reads forward from `at` a unit at a time until a read fails or `until` is reached; returns
// where it stopped. A byte whose reads are used up is left to the retry phase.
std::int64_t trimForward(std::int64_t at, std::int64_t until, std::int64_t unit) {
  const std::uint8_t* data = nullptr;
  // Every byte from the start to `at` is done; each pass moves `at` on or leaves.
  while (at < until && !fileCopy.copyFailed && readsLeft(at) > 0) {
    std::int64_t end = std::min(until, (at / unit + 1) * unit);
    std::int64_t arrived = readForTrim(at, end, data);
    if (arrived > 0) copyArrivedAt(at, at + arrived, data);
    at += arrived;
    if (at < end && sourceGoneAfterFailedRead(at)) break;
    if (arrived == 0) noteFailedRead(at, end - at);
    if (at < end) break;
  }
  return at;
}

// Reads backward from `until` down to `lower` until a read fails; returns where it stopped. Past
// the cache a unit at a time; through it in blocks of whole units: large over bytes never tried
// (from `untried` on), halved after one that fails; small below, then a unit at a time after one
// that fails. A unit is taken whole
// or not at all, so that no byte after a bad one in its sector is read.
std::int64_t trimBackward(std::int64_t lower, std::int64_t until, std::int64_t unit,
                          std::int64_t untried) {
  bool bySector = readsFailedStretchesBySector();
  std::int64_t chunk = bySector ? unit : std::max(unit, kTrimChunkBytes / unit * unit);
  const std::uint8_t* data = nullptr;
  // Every byte from `until` to the end is done; each pass moves `until` back, halves the chunk or
  // leaves.
  while (until > lower && !fileCopy.copyFailed && chunk >= unit) {
    if (until <= untried) chunk = std::min(chunk, kTrimStepBytes / unit * unit + unit);
    std::int64_t floor = until > untried ? untried : lower;
    std::int64_t start = std::max(floor, (until - chunk + unit - 1) / unit * unit);
    if (chunk == unit || start >= until) start = std::max(lower, (until - 1) / unit * unit);
    if (readsLeft(start) == 0) break;
    std::int64_t arrived =
        bySector ? readForTrim(start, until, data) : readThroughCache(start, until, data);
    bySector = bySector && readsFailedStretchesBySector();
    if (arrived < until - start) {
      if (sourceGoneAfterFailedRead(start + arrived)) break;
      if (arrived == 0) noteFailedRead(start, until - start);
      if (chunk == unit) break;
      // Over bytes never tried a failed block is halved; over those a failed read covered, the
      // units are read one by one, so that only the unit of the bad spot fails.
      chunk = start >= untried ? std::max(unit, (until - start) / 2 / unit * unit) : unit;
      continue;
    }
    copyArrivedAt(start, until, data);
    until = start;
  }
  return until;
}

// Trims the area: reads forward from its start and backward from its end until a read fails at
// each edge; what is left between is marked for the retry phase.
void trimArea(MapRange area) {
  // Nothing more is read from a source that has gone (every byte left is given up).
  if (fileCopy.goneFrom >= 0) return;
  // An area an earlier copy trimmed already (all of it to be retried) is left to the retry phase.
  if (fileCopy.map.next(area.start, RangeState::notTrimmed).start >= area.end &&
      fileCopy.map.next(area.start, RangeState::notTried).start >= area.end) {
    return;
  }
  std::int64_t unit = trimUnit();
  std::int64_t at = trimForward(area.start, area.end, unit);
  if (fileCopy.goneFrom >= 0) return;
  // The unit where the forward reads stopped failed already: the backward reads stop before it.
  std::int64_t lower = std::min(area.end, std::max(at, (at / unit + 1) * unit));
  if (at >= area.end) lower = area.end;
  // Where the bytes never tried begin (on a unit): a read that failed covered only those before.
  std::int64_t untried = fileCopy.map.next(area.start, RangeState::notTried).start;
  untried = std::clamp(roundUp(untried, unit), lower, area.end);
  std::int64_t until = at < area.end ? trimBackward(lower, area.end, unit, untried) : at;
  if (at < until) markMap(at, until, RangeState::notRetried);
  writeMapFile(false);
}

// Scrapes the area left after trimming: reads each unit of it once, in file order, whether or not
// the one before failed, so that the good sectors between two bad ones are saved before any bad
// one is retried. A unit a failed read was aimed at already (where a trim stopped) is left to the
// retry phase.
void scrapeArea(MapRange area) {
  if (fileCopy.goneFrom >= 0) return;
  // On a disk read through the cache in units smaller than its pages, every unit of a bad page
  // fails, each costing the drive failed reads: such units wait for the retry phase.
  if (fileCopy.sourceOnDisk && !readsFailedStretchesBySector()) return;
  std::int64_t unit = trimUnit();
  const std::uint8_t* data = nullptr;
  // Every unit of the area before `at` has been read once (or had no reads left); each pass moves
  // `at` on to the next unit, or leaves.
  for (std::int64_t at = area.start; at < area.end && !fileCopy.copyFailed;) {
    std::int64_t end = std::min(area.end, (at / unit + 1) * unit);
    std::int64_t arrived = readFailedAt(at) ? 0 : readForTrim(at, end, data);
    if (arrived > 0) copyArrivedAt(at, at + arrived, data);
    if (at + arrived < end && !readFailedAt(at)) {
      if (sourceGoneAfterFailedRead(at + arrived)) return;
      if (arrived == 0) noteFailedRead(at, end - at);
    }
    at = end;
  }
  writeMapFile(false);
}

// Retries the area start..end-1 with the byte steps, in file order: past the cache by sector
// where the copy reads so, else byte by byte through the cache; marks what was read done and
// what was given up bad.
void retryArea(std::int64_t start, std::int64_t end) {
  if (!setFilePosition(fileCopy.destination, start)) {
    fileCopy.copyFailed = true;
    reportUnwritableByte();
    return;
  }
  std::size_t badBefore = fileCopy.badRanges.size();
  std::int64_t at = start;
  if (readsFailedStretchesBySector()) at = copyFailedStretch(start, end);
  // Every byte from `start` to `at` is finished as the byte steps finish it; each pass finishes
  // one byte.
  while (at < end && !fileCopy.copyFailed) {
    if (isGivenUp(at)) {
      // Filled in blocks, within this area: the rest of a source that has gone may be large.
      at = copyGivenUpStretch(at, end);
      continue;
    }
    bool read = false;
    for (std::int64_t left = readsLeft(at); left > 0 && !read && !isGivenUp(at); --left) {
      read = readSourceByteOnce(at);
    }
    finishByteAt(at++, read);
  }
  markMap(start, at, RangeState::done);
  for (std::size_t i = badBefore; i < fileCopy.badRanges.size(); ++i) {
    markMap(fileCopy.badRanges[i].start, fileCopy.badRanges[i].end, RangeState::bad);
  }
  writeMapFile(false);
}

// Shows in stateLine2 that the bad areas of the file are retried (`retrying`), or gives the line
// back to the file's details, when printProgress is set.
void showRetrying(bool retrying) {
  if (!settings.printProgress) return;
  ShortText line = retrying               ? "Retrying bad areas of " + currentName
                   : settings.printDetail ? currentDetails
                                          : ShortText{};
  SetWindowTextA(stateLine2, zeroTerminated(line).bytes);
}

// Runs `step` on each area left (not done and not bad), in file order, until the copy fails.
template <typename Step>
void forEachArea(Step step) {
  std::int64_t from = 0;
  while (!fileCopy.copyFailed) {
    MapRange area = fileCopy.map.nextArea(from);
    if (area.start >= currentSize) return;
    step(area);
    from = area.end;
  }
}

}  // namespace

void copyAllBytesInPhases() {
  if (!fileCopy.resumed) fileCopy.map = RescueMap(currentSize, RangeState::notTried);
  fileCopy.mapWrittenAt = GetTickCount();
  // A copy that goes on from an interrupted one reads past the cache from the start where the
  // medium allows: the system's read-ahead would read again what the map calls done.
  copyPastCache = fileCopy.resumed;
  fileCopy.phase = RescuePhase::copying;
  copyPhase();
  if (fileCopy.map.nextArea(0).start < currentSize && !fileCopy.copyFailed) {
    fileCopy.phase = RescuePhase::trimming;
    writeMapFile(true);
    // Nothing is read from a source that has gone (every byte left is given up).
    if (fileCopy.goneFrom < 0) forEachArea(trimArea);
    if (fileCopy.goneFrom < 0) forEachArea(scrapeArea);
    // With retryDamagedLast, what is left waits until the other files of the run are copied.
    bool left = fileCopy.map.nextArea(0).start < currentSize && !fileCopy.copyFailed;
    if (left && settings.retryDamagedLast && fileCopy.goneFrom < 0) {
      fileCopy.phase = RescuePhase::retrying;
      fileCopy.retryLater = true;
      return;
    }
    retryPhase();
    return;
  }
  fileCopy.phase = RescuePhase::finished;
  // A copy that never wrote its map (a healthy file copied within a few seconds) writes none.
  if (!fileCopy.mapFile.empty()) writeMapFile(true);
}

void retryPhase() {
  fileCopy.retryLater = false;
  fileCopy.phase = RescuePhase::retrying;
  writeMapFile(true);
  showRetrying(true);
  forEachArea([](MapRange area) { retryArea(area.start, area.end); });
  showRetrying(false);
  fileCopy.phase = RescuePhase::finished;
  writeMapFile(true);
}
