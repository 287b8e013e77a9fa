// A source that is gone or has shrunk during its copy. A medium pulled out, a network or FUSE
// file system whose server has ended, or a file cut short by another program fails every read
// of the rest of the file; read one byte at a time, each depthRead + 1 times, that rest would
// take hours. The copy gives it up at once instead: its bytes count and are filled as
// unreadable, as for any byte that cannot be read, and a notice says why.
#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "copy/copy_job.h"
#include "copy/copy_knobs.h"
#include "copy/copy_one_file.h"
#include "log/html_log.h"
#include "platform/winapi.h"
#include "settings/settings.h"

namespace {

// The errors that say the file or its device is gone, as opposed to a bad spot of the medium
// (ERROR_CRC, ERROR_IO_DEVICE, ...), which is retried.
constexpr DWORD kGoneErrors[] = {
    ERROR_NOT_READY,             // no medium in the drive any more
    ERROR_DEV_NOT_EXIST,         // the device or network resource is no longer available
    ERROR_NETNAME_DELETED,       // the network name is no longer available
    ERROR_FILE_INVALID,          // the volume was changed under the open file
    ERROR_NO_MEDIA_IN_DRIVE,     // the medium was taken out
    ERROR_DEVICE_NOT_CONNECTED,  // the device (or the daemon serving the file) is not connected
    ERROR_DEVICE_REMOVED,        // the device has been removed
};

// The substitutes of the stretch being filled, and whether each of them counts as verified; kept
// from file to file like the copy's other buffers.
std::vector<std::uint8_t> substitutes;
std::vector<std::uint8_t> verifiedSubstitutes;

// Returns true when `error` says that the file or its device is gone.
bool isGoneError(DWORD error) {
  for (DWORD gone : kGoneErrors) {
    if (error == gone) return true;
  }
  return false;
}

// Gives up every byte of the source that is still to be copied, and writes `why` as a notice.
// Changes fileCopy.goneFrom.
void giveUpRestOfFile(const ShortText& why, std::int64_t offset) {
  fileCopy.goneFrom = fileCopy.goneFrom < 0 ? offset : std::min(fileCopy.goneFrom, offset);
  writeLogEntry(why, LogEntryKind::notice);
}

// Draws the substitutes of the bytes first..end-1 into `substitutes` as the byte steps draw them,
// one after the other, stopping after the one that sets fileCopy.copyFailed (haltOnFirstError).
// Returns the end of the bytes drawn for.
std::int64_t drawSubstitutes(std::int64_t first, std::int64_t end) {
  substitutes.clear();
  for (std::int64_t at = first; at < end; ++at) {
    substituteUnreadableByte();
    noteBadByte(at);
    substitutes.push_back(fileCopy.dataByte);
    if (fileCopy.copyFailed) return at + 1;
  }
  return end;
}

// Takes back the draws of the bytes from `keep` on of a stretch drawn from `first` with the
// generator in state `before`: draws again up to `keep` only, so that the generator and
// fileCopy.unreadableBytes stand where the byte steps would leave them.
void drawOnlyUpTo(std::int64_t first, std::int64_t keep, const std::mt19937& before,
                  std::int64_t unreadableBefore) {
  copyRandom = before;
  fileCopy.unreadableBytes = unreadableBefore;
  fileCopy.copyFailed = false;
  drawSubstitutes(first, keep);
}

}  // namespace

std::int64_t copyGivenUpStretch(std::int64_t offset, std::int64_t limit) {
  bool gone = fileCopy.goneFrom >= 0 && offset >= fileCopy.goneFrom;
  std::int64_t end = std::min({gone ? currentSize : fileCopy.givenUpUntil, currentSize, limit});
  // Invariant: every byte before `offset` is copied as the byte steps copy a byte given up; the
  // loop ends at `end` or when the copy fails.
  while (offset < end && !fileCopy.copyFailed) {
    std::int64_t chunkEnd = std::min(end, offset + std::max<std::int64_t>(1, copyBlockBytes));
    const std::mt19937 before = copyRandom;
    const std::int64_t unreadableBefore = fileCopy.unreadableBytes;
    std::int64_t drawnEnd = drawSubstitutes(offset, chunkEnd);
    bool halted = fileCopy.copyFailed;  // the last byte drawn halts the copy after it is written
    std::int64_t written = writeBlock(offset, drawnEnd, substitutes.data());
    if (written < drawnEnd) drawOnlyUpTo(offset, written + 1, before, unreadableBefore);
    fileBytesWritten += written - offset;
    // The byte steps read a byte back only while the copy goes on: not the one that halted it.
    std::int64_t verifiedEnd = halted && written == drawnEnd ? written - 1 : written;
    if (settings.verifyData && verifiedEnd > offset) {
      // `verifiedSubstitutes` is filled only when some byte is not verified.
      bool all = verifyWrittenBlock(offset, verifiedEnd, substitutes.data(), verifiedSubstitutes);
      fileBytesVerified +=
          all ? verifiedEnd - offset
              : std::count(verifiedSubstitutes.begin(),
                           verifiedSubstitutes.begin() + (verifiedEnd - offset), 1);
    }
    if (written < drawnEnd) {
      fileCopy.dataByte = substitutes[written - offset];
      fileCopy.copyFailed = true;
      reportUnwritableByte();
      return written + 1;
    }
    offset = drawnEnd;
  }
  return offset;
}

bool sourceGoneAfterFailedRead(std::int64_t offset) {
  if (isGivenUp(offset)) return true;
  if (isGoneError(GetLastError())) {
    giveUpRestOfFile("source gone at " + decimalText(offset) + "bytes", offset);
    return true;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(fileCopy.source, &size)) {
    if (!isGoneError(GetLastError())) return false;
    giveUpRestOfFile("source gone at " + decimalText(offset) + "bytes", offset);
    return true;
  }
  if (size.QuadPart > offset) return false;
  giveUpRestOfFile("source shrank to " + decimalText(size.QuadPart) + "bytes", offset);
  return true;
}
