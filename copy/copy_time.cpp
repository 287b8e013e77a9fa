// The copy's modification time. A photo library, a file manager sorted by date or a backup tool
// reads a file's date from its last-write time, so a finished copy carries its source's, as every
// other copy tool does. It is set through the open handle just before the copy is closed: the
// last write has happened, and nothing but the close and the rename to its real name follows.
#include "copy/copy_time.h"

#include "copy/copy_one_file.h"
#include "log/html_log.h"
#include "platform/winapi.h"

void keepSourceTime() {
  // A copy cut short (haltOnFirstError, a byte that could not be written) is not the source's
  // content: it keeps the time it was written, so that no tool comparing dates takes it for a
  // finished copy. Substituted bytes keep the size of the source and do not count as cut short.
  if (fileCopy.copyFailed) return;
  FILETIME lastWrite;
  if (GetFileTime(fileCopy.source, nullptr, nullptr, &lastWrite) &&
      SetFileTime(fileCopy.destination, nullptr, nullptr, &lastWrite)) {
    return;
  }
  // The data is saved whatever its date: a notice, not a failure.
  writeLogEntry(copyErrorText(", modification time not kept"), LogEntryKind::notice);
}
