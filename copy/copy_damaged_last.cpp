// Damaged files last (retryDamagedLast): a file whose copy and trim phases leave areas to retry
// waits, under its temporary name and with its map written, until every other file of the run has
// been copied; then the waiting files are retried in the order they were met. On a failing drive
// the retries of one file's bad areas, at many seconds a failed read, then never keep the healthy
// files after it unread. A waiting file's log entries (warnings, summary) are written when its
// retries end, after its "Copy of" entry repeated.
#include <string>
#include <utility>
#include <vector>

#include "app/window_handles.h"
#include "copy/copy_job.h"
#include "copy/copy_one_file.h"
#include "copy/copy_walk.h"
#include "settings/settings.h"

bool copyWaitsForRetry = false;

namespace {

// A file whose retries wait: the state of its copy, its handles closed, and the run's state of
// the file.
struct WaitingCopy {
  SingleFileCopy copy;
  DirectoryEntry entry;
  ShortText name;
  std::int64_t size = 0;
  std::int64_t bytesRead = 0;
  std::int64_t bytesWritten = 0;
  std::int64_t bytesVerified = 0;
  bool textLike = false;
};

std::vector<WaitingCopy> waitingCopies;

// Adds the counters of the file just finished to `totals`, when logStats is set.
void addToTotals(JobTotals& totals) {
  if (!settings.logStats) return;
  totals.bytesRead += fileBytesRead;
  totals.bytesWritten += fileBytesWritten;
  totals.bytesVerified += fileBytesVerified;
}

// Opens the waiting copy's source and temporary file again; reports the one that cannot be
// opened and returns false (the temporary file and its map stay, for a later run).
bool reopenWaitingCopy() {
  if (!openSourceFile()) {
    reportUnopenableSource();
    return false;
  }
  fileCopy.destination = openTemporaryFile(fileCopy.temporaryFile);
  if (fileCopy.destination != INVALID_HANDLE_VALUE) return true;
  reportUncreatableDestination();
  CloseHandle(fileCopy.source);
  return false;
}

}  // namespace

bool retryAfterOtherFiles() {
  // The map must say what is left: without it, the retries run now.
  if (!writeMapFile(true)) return false;
  closeReadBackFile();
  closeUnbufferedSource();
  if (!closeDestinationFile()) reportUnclosableDestination();
  CloseHandle(fileCopy.source);
  fileCopy.source = INVALID_HANDLE_VALUE;
  fileCopy.destination = INVALID_HANDLE_VALUE;
  // The handles past the cache are opened again, and the medium examined again, when needed.
  fileCopy.readBackOpened = false;
  fileCopy.sourceMediumKnown = false;
  fileCopy.sourcePosition = -1;
  waitingCopies.push_back(WaitingCopy{std::move(fileCopy), currentEntry, currentName, currentSize,
                                      fileBytesRead, fileBytesWritten, fileBytesVerified,
                                      textLike});
  copyWaitsForRetry = true;
  return true;
}

void retryWaitingCopies(JobTotals& totals) {
  // Every file before `waiting` has been retried and finished.
  for (WaitingCopy& waiting : waitingCopies) {
    currentEntry = waiting.entry;
    currentName = waiting.name;
    currentSize = waiting.size;
    fileBytesRead = waiting.bytesRead;
    fileBytesWritten = waiting.bytesWritten;
    fileBytesVerified = waiting.bytesVerified;
    textLike = waiting.textLike;
    fileCopy = std::move(waiting.copy);
    showFileName(currentName);
    if (settings.printDetail) describeFile();
    logCopyLine(currentName, currentEntry.attributes);
    if (reopenWaitingCopy()) {
      showProgressSoFar();
      retryPhase();
      finishCopy();
    }
    addToTotals(totals);
  }
  waitingCopies.clear();
}
