// The calling thread's last-error code, as GetLastError and SetLastError keep it on Windows. The
// error of a missing entry may still wait to be told apart (errors.h), until it is asked for.
#include <cerrno>
#include <string>
#include <utility>

#include "platform/posix/kernel32/errors.h"
#include "platform/winapi.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
// The path of the missing entry whose error is still to be told apart; empty when none.
thread_local std::string missingEntry;
}  // namespace

namespace kernel32 {

void setMissingEntryError(std::string path) {
  lastError = ERROR_FILE_NOT_FOUND;
  missingEntry = std::move(path);
}

void settleMissingEntryError() {
  if (missingEntry.empty()) return;
  std::string path = std::move(missingEntry);
  missingEntry.clear();
  lastError = win32ErrorForPath(ENOENT, path);
}

}  // namespace kernel32

DWORD WINAPI GetLastError(void) {
  kernel32::settleMissingEntryError();
  return lastError;
}

void WINAPI SetLastError(DWORD error) {
  missingEntry.clear();
  lastError = error;
}
