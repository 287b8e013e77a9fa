// The entries of a run: one coloured line of HTML each, appended to the log by opening it, writing
// the line and closing it again, so the log on disk is complete after every entry.
#include <string>
#include <string_view>

#include "log/html_log.h"
#include "log/log_internal.h"
#include "settings/settings.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Returns the option holding the text colour of `kind`.
const ShortText& entryColour(LogEntryKind kind) {
  switch (kind) {
    case error:
      return settings.errorColorHtmlLog;
    case warning:
      return settings.warningColorHtmlLog;
    case notice:
      return settings.noticeColorHtmlLog;
    case plain:
      break;
  }
  return settings.fontColorHtmlLog;
}

// Returns the character reference that stands for `c` in HTML text, or empty when `c` needs none.
std::string_view htmlReference(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    // A line break in a name would split its entry over two lines of the log.
    case '\n':
      return "&#10;";
    case '\r':
      return "&#13;";
    default:
      return {};
  }
}

}  // namespace

std::string logEntryLine(std::string_view entryText, LogEntryKind kind) {
  std::string size = toString(decimalText(settings.fontSizeHtmlLog));
  std::string line = fontTag(size, entryColour(kind));
  line += entryText;
  if (kind == error || kind == warning || kind == notice) {
    line += std::string(" </FONT><A HREF=mailto:") + kMakerMailAddress +
            " TITLE=\"Click to report this\">" + fontTag(size, settings.linkColorHtmlLog) +
            "Is it bug?</FONT></A><BR>";
  } else {
    line += "</FONT><BR>";
  }
  line += kLineEnd;
  return line;
}

// Appends one entry of `kind` with `entryText` written unchanged, as HTML, to the bound log (to
// logFileName when no run has bound it yet). Nothing happens when enableLog is off or the log
// failed earlier in this run; a failure now is reported once and sets logBroken.
void writeLogEntry(ShortText entryText, LogEntryKind kind) {
  if (!settings.enableLog || logBroken) return;
  if (logFile.length == 0) logFile = settings.logFileName;
  HANDLE file = openLogForAppending();
  if (file == INVALID_HANDLE_VALUE) {
    reportLogFailure();
    return;
  }
  bool written = writeLogBytes(file, logEntryLine(view(entryText), kind));
  bool closed = closeLogHandle(file);
  if (!written || !closed) reportLogFailure();
}

// Returns `source` with &, <, >, " and line breaks replaced by their character references, at most
// 255 bytes. A reference that would not fit whole is left out with everything after it, so the cut
// never leaves half a reference behind.
ShortText escapeHtml(std::string_view source) {
  ShortText result;
  for (char c : source) {
    std::string_view reference = htmlReference(c);
    std::string_view piece = reference.empty() ? std::string_view(&c, 1) : reference;
    if (result.length + piece.size() > static_cast<std::size_t>(kShortTextCapacity)) break;
    append(result, piece);
  }
  return result;
}
