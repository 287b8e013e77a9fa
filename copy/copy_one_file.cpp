// The copy of one file: open the source, create the destination, copy the bytes, then report,
// close and give the copy its real name. The destination's names live in copy_destination.cpp, the
// byte steps in copy_byte.cpp, the blocks over healthy stretches in copy_blocks.cpp and
// copy_block_verify.cpp, the progress display in copy_progress.cpp and the texts in
// copy_report.cpp.
#include "copy/copy_one_file.h"

#include <algorithm>
#include <cstdint>

#include "copy/copy_job.h"
#include "copy/copy_knobs.h"
#include "copy/copy_time.h"
#include "settings/settings.h"

SingleFileCopy fileCopy;

namespace {

// Opens the source once for reading, sharing reads with other programs: a read-only file, a CD or
// a medium mounted read-only can be copied. Returns the handle or INVALID_HANDLE_VALUE.
HANDLE openSourceOnce() {
  return CreateFileA(fileCopy.sourceFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Returns `depth` + 1 further attempts, no fewer than none, without overflowing 32 bits.
std::int64_t furtherAttempts(std::int32_t depth) {
  return std::max<std::int64_t>(0, static_cast<std::int64_t>(depth) + 1);
}

// Copies every byte of the source in order until the last one or until the copy fails, in blocks
// over healthy stretches unless copyByteByByte is set; sets fileCopy.copyFailed,
// fileCopy.unreadableBytes and the counters.
void copyAllBytes() {
  fileCopy.copyFailed = false;
  fileCopy.unreadableBytes = 0;
  fileCopy.sourcePosition = 0;  // a freshly opened file is read from its start
  if (settings.showProgressBar) clearProgressBar();
  // Stopped at its first unreadable byte, a copy must read front to back; one that goes on from an
  // interrupted copy reads only what its map leaves, in phases.
  if (!copyByteByByte && settings.haltOnFirstError && !fileCopy.resumed) {
    copyAllBytesInBlocks();
    return;
  }
  if (!copyByteByByte || fileCopy.resumed) {
    copyAllBytesInPhases();
    return;
  }
  for (std::int64_t offset = 0; offset < currentSize; ++offset) {
    copyByteAt(offset);
    if (fileCopy.copyFailed) break;
  }
}

}  // namespace

bool openSourceFile() {
  fileCopy.source = openSourceOnce();
  if (fileCopy.source != INVALID_HANDLE_VALUE) return true;
  // Archive alone clears read-only, hidden and system for good; the outcome is not examined.
  if (settings.forceAccess) {
    SetFileAttributesA(fileCopy.sourceFile.c_str(), FILE_ATTRIBUTE_ARCHIVE);
  }
  std::int64_t attempts = furtherAttempts(settings.depthAccess);
  for (std::int64_t attempt = 0; attempt < attempts; ++attempt) {
    fileCopy.source = openSourceOnce();
    if (fileCopy.source != INVALID_HANDLE_VALUE) return true;
  }
  return false;
}

bool closeDestinationFile() {
  if (CloseHandle(fileCopy.destination)) return true;
  std::int64_t attempts = furtherAttempts(settings.depthClose);
  for (std::int64_t attempt = 0; attempt < attempts; ++attempt) {
    if (CloseHandle(fileCopy.destination)) return true;
  }
  return false;
}

// Copies sourceFolderPath + currentName to destinationFolderPath + separator + currentName, with
// the results of a copy byte by byte; the copy is written under a temporary name until it is done,
// and goes on from the temporary file of an interrupted copy of the same source. Sets
// fileBytesRead, fileBytesWritten, fileBytesVerified and fileCopy; writes stateLine3, the title,
// the progress bar, the result box and the log as the options say. With retryDamagedLast, a file
// left with areas to retry waits (copyWaitsForRetry) and is finished by retryWaitingCopies.
void copyOneFile() {
  fileCopy = SingleFileCopy{};
  copyWaitsForRetry = false;
  // Full paths: a path cut at 255 bytes would name another file.
  fileCopy.sourceFile = sourceFolderPath + toString(currentName);
  fileCopy.destinationFile = destinationFolderPath + kPathSeparator + toString(currentName);
  // Archive alone, outcome not examined: as a rule there is no such file yet.
  SetFileAttributesA(fileCopy.destinationFile.c_str(), FILE_ATTRIBUTE_ARCHIVE);
  fileBytesRead = 0;
  fileBytesWritten = 0;
  fileBytesVerified = 0;
  fileCopy.lastPercent = 0;
  if (!openSourceFile()) {
    reportUnopenableSource();
    return;
  }
  if (!resumeInterruptedCopy() && !createDestinationFile()) {
    reportUncreatableDestination();
    CloseHandle(fileCopy.source);
    return;
  }
  copyAllBytes();
  if (fileCopy.retryLater && retryAfterOtherFiles()) return;
  if (fileCopy.retryLater) retryPhase();
  finishCopy();
}

void finishCopy() {
  closeReadBackFile();
  closeUnbufferedSource();
  writeSummary();
  keepSourceTime();
  // A copy that stopped at a byte it could not write (a full disk) keeps its temporary name and
  // its map, so that the next run goes on from it once there is room.
  bool kept = fileCopy.writeFailed && keepForResume();
  bool open = fileCopy.destination != INVALID_HANDLE_VALUE;
  if (open && !closeDestinationFile()) reportUnclosableDestination();
  // Otherwise, whatever the copy's outcome, it now takes its real name. Only when that name has
  // appeared in the meantime (or the rename fails) does it keep its temporary name, reported as
  // uncreatable.
  bool renamed = false;
  if (!kept) {
    renamed = giveRealName();
    if (!renamed) reportUncreatableDestination();
  }
  finishMapFile(renamed);
  CloseHandle(fileCopy.source);
  if (settings.showProgressBar) fillProgressBar();
  writeResultLine();
}
