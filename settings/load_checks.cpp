// The start-up steps after the settings file is read: the saved source and destination, and the
// checks of the log name and the browser path against the disk.
#include "app/window_handles.h"
#include "platform/winapi.h"
#include "settings/settings.h"
#include "settings/settings_internal.h"

namespace {

// Returns whether a file named `name` can be written: opened for writing when it exists, created
// when it is missing. The disk is left as it was: an existing file is opened without being
// changed, and a file created for the check is removed again at once.
bool canWriteFile(const char* name) {
  HANDLE file = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return true;
  }
  if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
  // Created only where nothing is (CREATE_NEW), so nothing of the user's is ever replaced.
  file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return DeleteFileA(name) != 0;
}

}  // namespace

// Sets sourcePath to lastSourceFile and gives sourceEdit that text when saveSourceFile is set;
// likewise destinationPath, destinationEdit and lastDestinyFolder when saveDestinyFolder is set.
void restoreSavedPaths() {
  if (settings.saveSourceFile) {
    sourcePath = settings.lastSourceFile;
    SetWindowTextA(sourceEdit, zeroTerminated(sourcePath).bytes);
  }
  if (settings.saveDestinyFolder) {
    destinationPath = settings.lastDestinyFolder;
    SetWindowTextA(destinationEdit, zeroTerminated(destinationPath).bytes);
  }
}

// Sets logFileName back to "sorvel.log.htm" when it names another file that cannot be written.
void checkLogFileName() {
  if (settings.logFileName == kDefaultLogFileName) return;
  if (!canWriteFile(zeroTerminated(settings.logFileName).bytes)) {
    settings.logFileName = text(kDefaultLogFileName);
  }
}

// Empties browserPath when it is set and a directory search (any attributes) finds nothing.
void checkBrowserPath() {
  if (settings.browserPath.length == 0) return;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(zeroTerminated(settings.browserPath).bytes, &found);
  if (search == INVALID_HANDLE_VALUE) {
    settings.browserPath = ShortText{};
    return;
  }
  FindClose(search);
}
