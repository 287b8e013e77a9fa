// An interrupted copy goes on where it stopped. A copy that is killed, loses its power or runs out
// of space leaves its temporary file and, once it has run a few seconds, its map beside it; the
// map names the source's size and last-write time. The next run over the same source takes the
// temporary file again: what the map calls done is not read again (a failing medium may not give
// it twice), what was never tried is read, and what was given up is retried under the settings of
// this run. A temporary file without such a map is never used or removed.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "copy/copy_job.h"
#include "copy/copy_knobs.h"
#include "copy/copy_one_file.h"
#include "log/html_log.h"
#include "platform/winapi.h"
#include "settings/settings.h"

namespace {

constexpr std::string_view kSizeComment = "source size: ";
// The largest map read: far beyond the map of any copy, and bounded against a stray huge file.
constexpr std::int64_t kLargestMapBytes = 256 << 20;
// On a full disk the copy gives back this many of its last bytes at a time, at most
// kGiveBackSteps times, until its map fits.
constexpr std::int64_t kGiveBackBytes = 16 << 10;
constexpr int kGiveBackSteps = 16;

// Reads the file at `path` whole into `text`; returns false when it cannot be read or is larger
// than kLargestMapBytes.
bool readWholeFile(const std::string& path, std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  // Only a file is read: a device or a pipe of that name may never end, or never answer.
  bool whole = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) &&
               size.QuadPart <= kLargestMapBytes;
  if (whole) text.assign(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t at = 0;
  // Every byte before `at` has been read; each pass reads more or leaves.
  while (whole && at < text.size()) {
    DWORD count = 0;
    whole =
        ReadFile(file, text.data() + at, static_cast<DWORD>(text.size() - at), &count, nullptr) &&
        count > 0;
    at += count;
  }
  CloseHandle(file);
  return whole;
}

// Returns true when `comments` name the source of this copy: its size and its last-write time
// `time`.
bool namesThisSource(const std::vector<std::string>& comments, const std::string& time) {
  bool size = false;
  bool written = false;
  for (const std::string& comment : comments) {
    size = size || comment == std::string(kSizeComment) + std::to_string(currentSize);
    written = written || comment == std::string(kSourceTimeComment) + time;
  }
  return size && written;
}

// Reads the map at `mapFile` into `map`; returns true when it is the map of an interrupted copy
// of this source, whose last-write time is `time`.
bool readInterruptedMap(const std::string& mapFile, const std::string& time, RescueMap& map) {
  std::string text;
  std::vector<std::string> comments;
  return readWholeFile(mapFile, text) && RescueMap::parse(text, currentSize, map, comments) &&
         namesThisSource(comments, time);
}

// Returns true when the file behind `copy` is long enough to hold every range `map` calls done
// (the copy was flushed before its map said so).
bool holdsDoneRanges(HANDLE copy, const RescueMap& map) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(copy, &size)) return false;
  for (const MapRange& range : map.ranges()) {
    if (range.state == RangeState::done && range.end > size.QuadPart) return false;
  }
  return true;
}

// Counts in fileBytesVerified the bytes of the done ranges that read back from the copy's
// medium. An earlier run wrote them: they cannot be compared with the source without reading it
// again, so a byte counts when the medium still delivers it.
void verifyResumedBytes() {
  flushWrittenBytes();
  std::int64_t sector = readBackSectorBytes();
  for (const MapRange& range : fileCopy.map.ranges()) {
    if (range.state != RangeState::done) continue;
    // Every byte of the range before `at` has been read back once.
    for (std::int64_t at = range.start; at < range.end;) {
      std::int64_t start = at / sector * sector;
      std::int64_t limit =
          std::min(start + kCopyBlockBytes, (range.end + sector - 1) / sector * sector);
      std::int64_t arrived = readBackSectors(readBackBuffer(limit - start), start, limit);
      fileBytesVerified += std::max<std::int64_t>(0, std::min(range.end, start + arrived) - at);
      at = std::min(range.end, limit);
    }
  }
}

// Takes the temporary file `part`, opened as `copy`, with its map: the copy goes on from them.
void takeInterruptedCopy(const std::string& part, HANDLE copy, const RescueMap& map) {
  fileCopy.destination = copy;
  fileCopy.temporaryFile = part;
  fileCopy.mapFile = mapFileOf(part);
  fileCopy.map = map;
  fileCopy.resumed = true;
  for (const MapRange& range : map.ranges()) {
    // Given up under the earlier settings: retried under these.
    if (range.state == RangeState::bad) markMap(range.start, range.end, RangeState::notRetried);
    if (range.state == RangeState::done) fileCopy.resumedBytes += range.end - range.start;
  }
  fileCopy.mapPosition = 0;
  fileBytesRead += fileCopy.resumedBytes;
  fileBytesWritten += fileCopy.resumedBytes;
  if (settings.verifyData) verifyResumedBytes();
  writeLogEntry("resumed at " + decimalText(fileCopy.resumedBytes) + "bytes", LogEntryKind::notice);
}

// Returns true when the last error says the disk is full.
bool diskFull() {
  DWORD error = GetLastError();
  return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

}  // namespace

std::string sourceTimeText() {
  FILETIME lastWrite{};
  if (!GetFileTime(fileCopy.source, nullptr, nullptr, &lastWrite)) return {};
  std::uint64_t value =
      (static_cast<std::uint64_t>(lastWrite.dwHighDateTime) << 32) | lastWrite.dwLowDateTime;
  return std::to_string(value);
}

bool resumeInterruptedCopy() {
  if (currentSize <= 0) return false;
  std::string time;  // asked for once a candidate is found
  // A copy takes the first number whose temporary name and map name are both free, so the
  // numbers of interrupted copies come before the first such number.
  for (int number = 0; number <= kPartNameCount; ++number) {
    std::string part = temporaryNameOf(number);
    std::string mapFile = mapFileOf(part);
    bool partFound = GetFileAttributesA(part.c_str()) != INVALID_FILE_ATTRIBUTES;
    bool mapFound = GetFileAttributesA(mapFile.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!partFound && !mapFound) {
      fileCopy.freeTemporaryName = number;
      return false;
    }
    if (!partFound || !mapFound) continue;
    if (time.empty()) time = sourceTimeText();
    RescueMap map;
    if (time.empty() || !readInterruptedMap(mapFile, time, map)) continue;
    HANDLE copy = openTemporaryFile(part);
    if (copy == INVALID_HANDLE_VALUE) continue;
    if (!holdsDoneRanges(copy, map)) {
      CloseHandle(copy);
      continue;
    }
    takeInterruptedCopy(part, copy, map);
    return true;
  }
  return false;
}

bool keepForResume() {
  if (fileCopy.map.size() != currentSize) {
    // Copied front to back: what was written is the start of the file, less what was given up.
    fileCopy.map = RescueMap(currentSize, RangeState::notTried);
    markMap(0, fileBytesWritten, RangeState::done);
    for (const MapRange& bad : fileCopy.badRanges) markMap(bad.start, bad.end, RangeState::bad);
  }
  fileCopy.phase = RescuePhase::copying;
  if (writeMapFile(true)) return true;
  LARGE_INTEGER size{};
  if (!diskFull() || !GetFileSizeEx(fileCopy.destination, &size)) return false;
  // No room for the map: the copy gives back its last bytes, a few pages at a time; they are
  // read again when it goes on. Each pass cuts the copy shorter, or leaves.
  std::int64_t end = size.QuadPart;
  for (int step = 0; step < kGiveBackSteps && end > 0 && diskFull(); ++step) {
    end = (end - 1) / kGiveBackBytes * kGiveBackBytes;
    if (!setFilePosition(fileCopy.destination, end) || !SetEndOfFile(fileCopy.destination)) break;
    markMap(end, currentSize, RangeState::notTried);
    if (end > 0 && writeMapFile(true)) return true;
  }
  if (end > 0) return false;
  // A copy that holds nothing is removed: the next run starts it afresh.
  CloseHandle(fileCopy.destination);
  fileCopy.destination = INVALID_HANDLE_VALUE;
  DeleteFileA(fileCopy.temporaryFile.c_str());
  if (!fileCopy.mapFile.empty()) DeleteFileA(fileCopy.mapFile.c_str());
  return true;
}
