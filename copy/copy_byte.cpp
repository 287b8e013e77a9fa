// The steps of copying one byte: read with retries, substitute what cannot be read, write with
// retries, read back for verification. Every platform call moves exactly one byte.
#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "copy/copy_job.h"
#include "copy/copy_one_file.h"
#include "settings/settings.h"

namespace {

// The ranges of substitute bytes: any byte but 255; for text-like files a letter-like byte from
// "A" to "c", or, on a second draw of 1, one from "a" onwards (35 values each).
constexpr int kAnyByteLow = 0;
constexpr int kAnyByteHigh = 254;
constexpr int kTextByteLow = 65;
constexpr int kTextByteHigh = 99;
constexpr int kLowerTextByteLow = 97;
constexpr int kLowerTextByteHigh = 131;
constexpr int kCoinLow = 0;
constexpr int kCoinHigh = 1;
constexpr int kCoinForLowerText = 1;

// Returns a value from `low` to `high` inclusive drawn from copyRandom.
int drawFromCopyRandom(int low, int high) {
  std::uniform_int_distribution<int> distribution(low, high);
  return distribution(copyRandom);
}

// Returns a substitute byte drawn from copyRandom in the ranges above.
std::uint8_t drawSubstituteByte() {
  if (!textLike) return static_cast<std::uint8_t>(drawFromCopyRandom(kAnyByteLow, kAnyByteHigh));
  int value = drawFromCopyRandom(kTextByteLow, kTextByteHigh);
  if (drawFromCopyRandom(kCoinLow, kCoinHigh) == kCoinForLowerText) {
    value = drawFromCopyRandom(kLowerTextByteLow, kLowerTextByteHigh);
  }
  return static_cast<std::uint8_t>(value);
}

// Returns one try and up to `depth` retries, as a count that cannot overflow.
std::int64_t attemptsWithRetries(std::int32_t depth) {
  return std::max<std::int64_t>(0, depth) + 1;
}

// Writes `byte` at the position of `file`; returns true when the byte was written.
bool writeOneByte(HANDLE file, std::uint8_t byte) {
  DWORD count = 0;
  return WriteFile(file, &byte, 1, &count, nullptr) && count == 1;
}

}  // namespace

bool setFilePosition(HANDLE file, std::int64_t offset) {
  LONG high = static_cast<LONG>(offset >> 32);
  LONG low = static_cast<LONG>(static_cast<std::uint32_t>(offset));
  SetLastError(ERROR_SUCCESS);
  DWORD result = SetFilePointer(file, low, &high, FILE_BEGIN);
  // INVALID_SET_FILE_POINTER is also a valid low half; only the error code tells them apart.
  return result != INVALID_SET_FILE_POINTER || GetLastError() == ERROR_SUCCESS;
}

bool readOneByte(HANDLE file, std::uint8_t& byte) {
  std::uint8_t delivered = 0;
  DWORD count = 0;
  // A read that succeeds with no byte (the end of the file) is a failed read.
  if (!ReadFile(file, &delivered, 1, &count, nullptr) || count != 1) return false;
  byte = delivered;
  return true;
}

bool readSourceByteOnce(std::int64_t offset) {
  // A source found gone or shrunk is not read again.
  if (isGivenUp(offset)) return false;
  // A failed read may leave the position anywhere, so the next one sets it first.
  if (fileCopy.sourcePosition != offset) {
    fileCopy.sourcePosition = -1;
    if (!setFilePosition(fileCopy.source, offset)) return false;
    fileCopy.sourcePosition = offset;
  }
  SetLastError(ERROR_SUCCESS);  // a read at the end of the file fails with no error of its own
  if (!readOneByte(fileCopy.source, fileCopy.dataByte)) {
    fileCopy.sourcePosition = -1;
    sourceGoneAfterFailedRead(offset);
    return false;
  }
  fileCopy.sourcePosition = offset + 1;
  return true;
}

bool retrySourceByte(std::int64_t offset) {
  std::int64_t retries = attemptsWithRetries(readDepth) - 1;
  for (std::int64_t attempt = 0; attempt < retries; ++attempt) {
    if (readSourceByteOnce(offset)) return true;
  }
  return false;
}

bool readSourceByte(std::int64_t offset) {
  // A byte is read at most readDepth + 1 times: once, then up to readDepth retries.
  return readSourceByteOnce(offset) || retrySourceByte(offset);
}

void substituteUnreadableByte() {
  std::uint8_t drawn = drawSubstituteByte();
  // Drawn in any case, so that the generator's sequence does not depend on the option.
  fileCopy.dataByte = settings.subDamagedBitByZero ? 0 : drawn;
  ++fileCopy.unreadableBytes;
  if (settings.haltOnFirstError) fileCopy.copyFailed = true;
}

bool retryDestinationByte() {
  std::int64_t retries = attemptsWithRetries(writeDepth) - 1;
  for (std::int64_t attempt = 0; attempt < retries; ++attempt) {
    if (writeOneByte(fileCopy.destination, fileCopy.dataByte)) return true;
  }
  return false;
}

bool writeDestinationByte() {
  // A byte is written at most writeDepth + 1 times, always at the same place (no repositioning).
  return writeOneByte(fileCopy.destination, fileCopy.dataByte) || retryDestinationByte();
}

void verifyWrittenByte(std::int64_t offset) {
  flushWrittenBytes();
  // Exactly depthVerify reads, each of the byte's sector on the medium; the last one decides.
  bool delivered = false;
  for (std::int32_t attempt = 0; attempt < settings.depthVerify; ++attempt) {
    delivered = readBackByte(offset, fileCopy.checkByte);
  }
  if (delivered && fileCopy.checkByte == fileCopy.dataByte) ++fileBytesVerified;
}

std::int64_t sectorBytes() {
  std::int64_t unit = settings.sectorSize > 0 ? settings.sectorSize : mediumSectorBytes();
  return std::clamp<std::int64_t>(unit, 1, kLargestSectorBytes);
}

bool isGivenUp(std::int64_t offset) {
  return offset < fileCopy.givenUpUntil || (fileCopy.goneFrom >= 0 && offset >= fileCopy.goneFrom);
}

void noteBadByte(std::int64_t offset) {
  std::vector<MapRange>& bad = fileCopy.badRanges;
  if (!bad.empty() && offset < bad.back().end) return;  // noted already
  if (!bad.empty() && bad.back().end == offset) {
    ++bad.back().end;
  } else {
    bad.push_back(MapRange{offset, offset + 1, RangeState::bad});
  }
}

void copyByteAt(std::int64_t offset) {
  finishByteAt(offset, !isGivenUp(offset) && readSourceByte(offset));
}

void finishByteAt(std::int64_t offset, bool read) {
  if (read) {
    ++fileBytesRead;
  } else {
    substituteUnreadableByte();
    noteBadByte(offset);
    // Sectors are aligned to offset 0; the last one ends with the file.
    std::int64_t sector = sectorBytes();
    std::int64_t sectorEnd = std::min(currentSize, (offset / sector + 1) * sector);
    fileCopy.givenUpUntil = std::max(fileCopy.givenUpUntil, sectorEnd);
  }
  if (writeDestinationByte()) {
    ++fileBytesWritten;
  } else {
    // A byte that cannot be written ends the copy, whatever haltOnFirstError says.
    fileCopy.copyFailed = true;
    reportUnwritableByte();
  }
  if (settings.verifyData && !fileCopy.copyFailed) verifyWrittenByte(offset);
  showProgress();
}
