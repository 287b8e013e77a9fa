// What the copy of one file tells the user: console lines and log entries for its failures, the
// summary entry and the result line.
#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

#include "app/status_output.h"
#include "copy/copy_job.h"
#include "copy/copy_one_file.h"
#include "log/html_log.h"
#include "settings/settings.h"

ShortText copyErrorText(std::string_view tail) {
  // The name comes from the medium: escaped, so it cannot add markup to the log page.
  return "Copy \"" + escapeHtml(view(currentName)) + "\"" + tail;
}

namespace {

// Writes `consoleText` to the result box and `tail` as an error entry about the current file.
// Changes only what consoleWriteLine and writeLogEntry change.
void reportFailure(std::string_view consoleText, std::string_view tail) {
  consoleWriteLine(text(consoleText));
  writeLogEntry(copyErrorText(tail), LogEntryKind::error);
}

// The most unreadable ranges listed in the log, one entry each.
constexpr std::size_t kListedRanges = 32;

// Writes a notice entry for each range given up as unreadable, at most kListedRanges, then one
// for the number of ranges not listed.
void writeDamagedRanges() {
  const std::vector<MapRange>& bad = fileCopy.badRanges;
  std::size_t listed = std::min(bad.size(), kListedRanges);
  for (std::size_t i = 0; i < listed; ++i) {
    writeLogEntry("unreadable " + decimalText(bad[i].end - bad[i].start) + "bytes at " +
                      decimalText(bad[i].start),
                  LogEntryKind::notice);
  }
  if (bad.size() > listed) {
    writeLogEntry(
        "and " + decimalText(static_cast<std::int64_t>(bad.size() - listed)) + " more ranges",
        LogEntryKind::notice);
  }
}

}  // namespace

void reportUnopenableSource() { reportFailure("Unable open file", ", unable open file"); }

void reportUncreatableDestination() { reportFailure("Unable create file", ", unable create file"); }

void reportUnwritableByte() {
  fileCopy.writeFailed = true;
  reportFailure("Unable write to file", ", unable write file");
}

void reportUnclosableDestination() { reportFailure("Unable close file", ", unable close file"); }

void writeSummary() {
  ShortText summary =
      "Read " + decimalText(fileBytesRead) + "bytes of " + decimalText(currentSize) + "bytes";
  if (fileCopy.unreadableBytes > 0) {
    writeLogEntry("unable read " + decimalText(fileCopy.unreadableBytes) + "bytes",
                  LogEntryKind::warning);
    if (settings.logDamagedRanges) writeDamagedRanges();
  }
  summary = summary + ", written " + decimalText(fileBytesWritten) + "bytes";
  if (fileCopy.copyFailed) writeLogEntry(copyErrorText(", unable copy"), LogEntryKind::error);
  if (settings.verifyData) {
    if (fileBytesVerified == fileBytesWritten) {
      summary = summary + ", verified " + decimalText(fileBytesVerified) + "bytes";
    } else {
      writeLogEntry("unable verify " + decimalText(fileBytesWritten - fileBytesVerified) + "bytes",
                    LogEntryKind::warning);
    }
  }
  writeLogEntry(summary, LogEntryKind::plain);
}

void writeResultLine() {
  ShortText line = "Copied " + currentName;
  // printDetail is tested once here, even if typing the line re-reads the check boxes.
  if (settings.printDetail) {
    line = line + ": " + decimalText(fileBytesRead) + "bytes, written " +
           decimalText(fileBytesWritten) + "bytes";
    if (settings.verifyData) line = line + ", verified " + decimalText(fileBytesVerified) + "bytes";
  }
  consoleWriteLine(line);
}
