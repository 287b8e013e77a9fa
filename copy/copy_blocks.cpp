// The copy of healthy stretches in blocks. A block read always begins on a byte that has just been
// read whole, so it cannot use up a failure of a bad byte: a bad byte inside it only makes the
// read stop short before it, and the byte steps take over from that byte with its first attempt,
// exactly as they would have. Blocks come back after the first byte that reads at its first
// attempt. Writes, read-backs, the percentage and the counters of a block follow the byte steps
// byte for byte, so that everything the copy shows and leaves behind is what the byte steps give.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "copy/copy_job.h"
#include "copy/copy_knobs.h"
#include "copy/copy_one_file.h"
#include "settings/settings.h"

std::int64_t copyBlockBytes = kCopyBlockBytes;
std::int64_t firstCopyBlockBytes = kFirstCopyBlockBytes;
bool copyByteByByte = false;

namespace {

// The bytes read through the cache: a block being copied is the byte it begins on (read again) and
// the new bytes after it. Kept from file to file, so that memory stays at one block whatever the
// size of the files.
std::vector<std::uint8_t> cachedBlock;
// Whether each new byte of the block counts as verified.
std::vector<std::uint8_t> verifiedBytes;

// Returns the most bytes a block may hold, at least one.
std::int64_t largestBlock() { return std::max<std::int64_t>(1, copyBlockBytes); }

// Returns the size of the first block of a healthy stretch, at least one, at most largestBlock().
std::int64_t firstBlock() {
  return std::clamp<std::int64_t>(firstCopyBlockBytes, 1, largestBlock());
}

// Reads the source bytes from `anchor` up to `end` in one call and points `data` at them. Returns
// how many arrived: fewer when the read stopped short, none when it failed. Keeps
// fileCopy.sourcePosition.
std::int64_t readSourceBlock(std::int64_t anchor, std::int64_t end, const std::uint8_t*& data) {
  bool failed = false;
  std::int64_t arrived = readThroughCache(anchor, end, data, &failed);
  // The block's new bytes begin after the byte it begins on, which was read already.
  if (failed) sourceGoneAfterFailedRead(anchor + 1);
  return arrived;
}

// Adds the bytes first..end-1, read and written, to the counters, and those that `verifiedBytes`
// marks to fileBytesVerified; shows each rise of the percentage at the byte where the byte steps
// show it. `allVerified` spares looking at verifiedBytes.
void countBlock(std::int64_t first, std::int64_t end, bool allVerified) {
  std::int64_t at = first;
  while (at < end) {
    std::int64_t stop = end;
    std::int64_t rise = settings.printProgress ? nextRiseOfPercentage() : -1;
    if (rise > 0) stop = std::min(end, at + (rise - fileBytesRead));
    fileBytesRead += stop - at;
    fileBytesWritten += stop - at;
    if (settings.verifyData && allVerified) fileBytesVerified += stop - at;
    if (settings.verifyData && !allVerified) {
      fileBytesVerified += std::count(verifiedBytes.begin() + (at - first),
                                      verifiedBytes.begin() + (stop - first), 1);
    }
    at = stop;
    showProgress();
  }
}

// Where the blocks from a byte stopped: the first byte that did not arrive in a block, and the end
// of the stretch that the byte steps alone are to copy from there.
// When the search has come down to pieces of one sector, the sectors up to sectorStepsUntil are
// taken one by one instead: the byte steps' own first read of a sector's first byte tells whether
// it is bad, which spares the failed read of the sector as a piece.
// Where failed stretches are read past the cache, a read that fails leaves the stretch from `next`
// up to failedEnd to copyFailedStretch instead.
struct BlocksEnd {
  std::int64_t next;
  std::int64_t byteStepsUntil;
  std::int64_t sectorStepsUntil = 0;
  std::int64_t failedEnd = 0;
};

// Returns the end of the failed stretch that begins at `next` where a read up to `end` failed: at
// least the window of the largest block around `next`, since the cache refuses a whole cache unit
// (up to that size) around a bad sector, and each read of it through the cache fails again.
std::int64_t failedStretchEnd(std::int64_t next, std::int64_t end) {
  std::int64_t window = largestBlock();
  return std::min(currentSize, std::max(end, (next / window + 1) * window));
}

// How many pieces a stretch whose read failed whole is read again in, at most, to find the spot
// that failed it: each round costs one failed read (the piece holding the spot), so few rounds
// with many pieces keep failed reads few, and the pieces that arrive cost little.
constexpr std::int64_t kLocatePieces = 32;

// Returns the size of the pieces in which `length` new bytes whose read failed whole are read
// again: sectorBytes() times a power of two, the smallest that needs at most kLocatePieces pieces.
// Returns 0 when the bytes are no more than one sector: the byte steps take them.
std::int64_t locatePiece(std::int64_t length) {
  std::int64_t piece = sectorBytes();
  if (length <= piece) return 0;
  while (piece * kLocatePieces < length) piece *= 2;
  return piece;
}

// Copies blocks from `first`, a byte just read whole at its first attempt. Each block begins on the
// last byte of the one before (or on `first`), which reads again without using up any failure.
// A block that stops short leaves its first missing byte to the byte steps. A block that fails
// whole, although it began on a good byte (a driver may refuse a long read over a bad area), is
// read again in aligned pieces, and the piece that fails whole in smaller ones, down to one sector,
// whose bytes are left to the byte steps: a bad spot costs a few reads, not one per healthy byte.
// Pieces of one sector (sectorSize above 1) are left to sector steps instead. Blocks read nothing
// at or after `limit`.
BlocksEnd copyBlocksFrom(std::int64_t first, std::int64_t limit) {
  std::int64_t anchor = first;
  std::int64_t next = first;
  std::int64_t size = firstBlock();
  std::int64_t piece = 0;       // while a failed stretch is searched: the size of its pieces
  std::int64_t stretchEnd = 0;  // the end of that stretch
  // A source found gone gives up the rest of the file: the byte steps take it over.
  while (next < limit && !fileCopy.copyFailed && !isGivenUp(next)) {
    std::int64_t end = next + std::min(size, limit - next);
    if (piece > 0) end = std::min(stretchEnd, (next / piece + 1) * piece);
    if (next == anchor && end == next + 1) {
      // A block of the byte just read alone: copy it as read, and let the next block begin on it.
      finishByteAt(next, true);
      ++next;
      continue;
    }
    const std::uint8_t* block = nullptr;
    std::int64_t arrived = readSourceBlock(anchor, end, block);
    if (arrived == 0) {
      // The byte just read alone is copied as read; the search goes on after it.
      if (next == first) finishByteAt(next++, true);
      if (next < end && !fileCopy.copyFailed && readsFailedStretchesBySector()) {
        return BlocksEnd{next, next, 0, failedStretchEnd(next, end)};
      }
      piece = locatePiece(end - next);
      stretchEnd = end;
      if (piece == 0 || fileCopy.copyFailed) return BlocksEnd{next, end};
      if (piece == sectorBytes() && piece > 1) return BlocksEnd{next, next, end};
      continue;
    }
    std::int64_t fresh = std::max<std::int64_t>(0, arrived - (next - anchor));
    if (fresh > 0) copyArrivedBytes(next, next + fresh, block + (next - anchor));
    next += fresh;
    if (next < end && !fileCopy.copyFailed && readsFailedStretchesBySector()) {
      return BlocksEnd{next, next, 0, failedStretchEnd(next, end)};
    }
    if (next < end) return BlocksEnd{next, next};
    anchor = next - 1;
    size = std::min(size * 2, largestBlock());
    // A failed stretch that arrived whole in pieces: blocks start small again after it.
    if (piece > 0 && next >= stretchEnd) {
      piece = 0;
      size = firstBlock();
    }
  }
  return BlocksEnd{next, next};
}

}  // namespace

std::int64_t writeBlock(std::int64_t first, std::int64_t end, const std::uint8_t* data) {
  std::int64_t at = first;
  while (at < end) {
    DWORD count = 0;
    // The count decides, with or without an error reported: a byte the call did not write had
    // its first attempt in it.
    WriteFile(fileCopy.destination, data + (at - first), static_cast<DWORD>(end - at), &count,
              nullptr);
    at += std::min<std::int64_t>(count, end - at);
    if (at == end) break;
    fileCopy.dataByte = data[at - first];
    if (!retryDestinationByte()) return at;
    ++at;
  }
  return end;
}

std::int64_t readThroughCache(std::int64_t start, std::int64_t end, const std::uint8_t*& data,
                              bool* failed) {
  std::int64_t length = end - start;
  if (static_cast<std::int64_t>(cachedBlock.size()) < length) {
    cachedBlock.resize(static_cast<std::size_t>(length));
  }
  fileCopy.sourcePosition = -1;
  DWORD count = 0;
  bool read =
      setFilePosition(fileCopy.source, start) &&
      ReadFile(fileCopy.source, cachedBlock.data(), static_cast<DWORD>(length), &count, nullptr);
  if (failed != nullptr) *failed = !read;
  if (!read) return 0;
  data = cachedBlock.data();
  std::int64_t arrived = std::min<std::int64_t>(count, length);
  fileCopy.sourcePosition = start + arrived;
  return arrived;
}

void copyArrivedBytes(std::int64_t first, std::int64_t end, const std::uint8_t* data) {
  std::int64_t written = writeBlock(first, end, data);
  bool allVerified = true;
  if (settings.verifyData) allVerified = verifyWrittenBlock(first, written, data, verifiedBytes);
  countBlock(first, written, allVerified);
  if (written == end) return;
  // The byte that could not be written was read: counted, reported, shown; nothing is read back.
  ++fileBytesRead;
  fileCopy.dataByte = data[written - first];
  fileCopy.copyFailed = true;
  reportUnwritableByte();
  showProgress();
}

void copyAllBytesInBlocks() {
  std::int64_t offset = 0;
  std::int64_t byteStepsUntil = 0;
  std::int64_t sectorStepsUntil = 0;
  while (offset < currentSize && !fileCopy.copyFailed) {
    if (isGivenUp(offset)) {
      offset = copyGivenUpStretch(offset, currentSize);
      continue;
    }
    // The byte steps' first attempt at this byte; blocks begin where it succeeds, unless the byte
    // lies in the stretch of a block that failed whole.
    bool read = readSourceByteOnce(offset);
    if (!read && readsFailedStretchesBySector()) {
      noteFailedRead(offset, 1);
      offset = copyFailedStretch(offset, failedStretchEnd(offset, offset + 1));
      continue;
    }
    if (read && offset >= byteStepsUntil) {
      // Within sector steps, blocks end with the sector of their first byte.
      std::int64_t limit = currentSize;
      if (offset < sectorStepsUntil) {
        limit = std::min(sectorStepsUntil, (offset / sectorBytes() + 1) * sectorBytes());
      }
      BlocksEnd stopped = copyBlocksFrom(offset, limit);
      offset = stopped.next;
      if (stopped.failedEnd > offset) {
        offset = copyFailedStretch(offset, stopped.failedEnd);
      }
      byteStepsUntil = stopped.byteStepsUntil;
      if (stopped.sectorStepsUntil > 0) sectorStepsUntil = stopped.sectorStepsUntil;
      continue;
    }
    finishByteAt(offset, read || retrySourceByte(offset));
    ++offset;
  }
}
