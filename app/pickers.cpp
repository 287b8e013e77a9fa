// The two pickers behind the Browse buttons: the platform's open-file dialog for the source and
// its folder browser for the destination.
#include <cstring>

#include "app/main_window.h"
#include "settings/settings.h"

namespace {

// One filter entry, "Files" showing every file; the literal's own zero ends the list.
constexpr char kSourceFilter[] = "Files\0*.*\0";
constexpr const char* kDefaultExtension = "*";
constexpr DWORD kSourceDialogFlags =
    OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

// The last path each picker returned, in full. sourcePath and destinationPath keep at most 255
// bytes of it; the edit box is given all of it, because the copy job takes its path from the
// edit box and a path cut short names another file.
char pickedSource[MAX_PATH];
char pickedDestination[MAX_PATH];

// Sets the text of `edit` to the full picked path, or to `path` when the pick left none.
void showPickedPath(HWND edit, const char* picked, const ShortText& path) {
  if (picked[0] != '\0') {
    SetWindowTextA(edit, picked);
    return;
  }
  ZeroTerminatedText shown = zeroTerminated(path);
  SetWindowTextA(edit, shown.bytes);
}

}  // namespace

// Shows the open-file dialog owned by the main window; when it returns a path, replaces
// sourcePath (cut at 255 bytes) and pickedSource. Returns the dialog's own result.
bool pickSourceFiles() {
  char buffer[MAX_PATH];
  buffer[0] = '\0';
  pickedSource[0] = '\0';
  OPENFILENAMEA dialog;
  std::memset(&dialog, 0, sizeof dialog);
  // The record handed over is the Windows NT 4 form, without the fields added later.
  dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  dialog.hwndOwner = mainWindow;
  dialog.lpstrFile = buffer;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrFilter = kSourceFilter;
  dialog.lpstrDefExt = kDefaultExtension;
  dialog.Flags = kSourceDialogFlags;
  bool confirmed = GetOpenFileNameA(&dialog) != FALSE;
  if (buffer[0] != '\0') {
    buffer[MAX_PATH - 1] = '\0';
    sourcePath = zeroTerminatedToText(buffer);
    std::memcpy(pickedSource, buffer, MAX_PATH);
  }
  return confirmed;
}

// Shows the folder browser owned by the main window; when a folder is chosen, replaces
// destinationPath (cut at 255 bytes) and pickedDestination and returns true. A chosen item that is
// not a file-system folder gives the empty path. Returns false when the browser was cancelled.
bool pickDestinationFolder() {
  BROWSEINFOA browser;
  std::memset(&browser, 0, sizeof browser);
  browser.hwndOwner = mainWindow;
  browser.lpszTitle = "";
  // The item list is not released: the program keeps no shell allocator of its own.
  LPITEMIDLIST chosen = SHBrowseForFolderA(&browser);
  if (chosen == nullptr) return false;
  char buffer[MAX_PATH];
  std::memset(buffer, 0, sizeof buffer);
  if (!SHGetPathFromIDListA(chosen, buffer)) buffer[0] = '\0';
  buffer[MAX_PATH - 1] = '\0';
  destinationPath = zeroTerminatedToText(buffer);
  std::memcpy(pickedDestination, buffer, MAX_PATH);
  return true;
}

// Click on the source Browse button: on a confirmed pick, shows the picked path in sourceEdit.
void onBrowseSource() {
  if (pickSourceFiles()) showPickedPath(sourceEdit, pickedSource, sourcePath);
}

// Click on the destination Browse button: on a pick, shows the folder in destinationEdit.
void onBrowseDestination() {
  if (pickDestinationFolder()) showPickedPath(destinationEdit, pickedDestination, destinationPath);
}
