// The log file: its binding to a name, creating or appending to it at the start of a run, and the
// file operations every log write goes through. The file is never held open between operations.
#include <string>
#include <string_view>

#include "app/status_output.h"
#include "log/html_log.h"
#include "log/log_internal.h"
#include "platform/winapi.h"
#include "settings/settings.h"

ShortText logFile;
bool logBroken = false;

namespace {

constexpr std::string_view kUnableWriteLog = "Unable write log";
constexpr std::string_view kWildcards = "*?";

// Returns the part of `path` after its last folder separator.
std::string_view lastComponent(std::string_view path) {
  std::size_t cut = path.find_last_of(std::string{'/', kPathSeparator});
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

// Returns true when the directory search finds an entry of exactly this name, whatever its
// attributes. A name without wildcards finds the entry itself; a name holding "*" or "?" (legal on
// some file systems) matches other names too, so only an entry of the same name counts then.
bool logEntryExists(const ShortText& name) {
  ZeroTerminatedText path = zeroTerminated(name);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.bytes, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool exists = view(name).find_first_of(kWildcards) == std::string_view::npos;
  std::string_view ownName = lastComponent(view(name));
  while (!exists) {
    exists = ownName == found.cFileName;
    if (!exists && !FindNextFileA(search, &found)) break;
  }
  FindClose(search);
  return exists;
}

// Creates the bound log, emptying it when it exists; returns the handle or INVALID_HANDLE_VALUE.
HANDLE createLogFile() {
  ZeroTerminatedText path = zeroTerminated(logFile);
  return CreateFileA(path.bytes, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool writeLogBytes(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written == 0 || written > bytes.size()) {
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

HANDLE openLogForAppending() {
  ZeroTerminatedText path = zeroTerminated(logFile);
  HANDLE file = CreateFileA(path.bytes, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return file;
  // With the high part given, a failure is INVALID_SET_FILE_POINTER together with an error code;
  // the same low part with no error is a valid position in a file of 4 GiB or more.
  LONG high = 0;
  SetLastError(ERROR_SUCCESS);
  if (SetFilePointer(file, 0, &high, FILE_END) == INVALID_SET_FILE_POINTER &&
      GetLastError() != ERROR_SUCCESS) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

bool closeLogHandle(HANDLE file) { return CloseHandle(file) != FALSE; }

void reportLogFailure() {
  if (logBroken) return;
  logBroken = true;
  consoleWriteLine(text(kUnableWriteLog));
}

// Binds the log to logFileName, creates it (rewriteLog on, or no entry of that name) or opens it
// for appending, writes this run's header and closes it. Starts a new run: clears logBroken.
// Nothing else happens when enableLog is off. A failure is reported once and leaves logBroken set.
void openLog() {
  logBroken = false;
  if (!settings.enableLog) return;
  logFile = settings.logFileName;
  SYSTEMTIME now;
  GetLocalTime(&now);
  bool newFile = settings.rewriteLog || !logEntryExists(logFile);
  HANDLE file = newFile ? createLogFile() : openLogForAppending();
  if (file == INVALID_HANDLE_VALUE) {
    reportLogFailure();
    return;
  }
  bool written = writeLogBytes(file, logHeader(newFile, now));
  bool closed = closeLogHandle(file);
  if (!written || !closed) reportLogFailure();
}
