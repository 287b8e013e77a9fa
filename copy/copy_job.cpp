// The copy job: one whole run from the Copy click to its end. It reads the two edit boxes, checks
// the source and the destination, freezes the window, fixes the run's retry depths, starts the
// log, hands every file that the source names to the per-file steps and to copyOneFile, writes
// the totals and gives the window back to the user.
#include "copy/copy_job.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/status_output.h"
#include "app/window_handles.h"
#include "copy/copy_one_file.h"
#include "copy/copy_walk.h"
#include "log/html_log.h"
#include "platform/winapi.h"
#include "settings/settings.h"

namespace {

// The main window's title outside a run, and the start of it during a run.
constexpr std::string_view kProgramTitle = "sorvel";
constexpr std::string_view kAllEntries = "*.*";

// Exact attribute values of the folder entries that the job passes over: folder; folder and
// hidden; folder, system and read-only. Any other value goes on as a file.
constexpr std::uint32_t kFolder = 0x10;
constexpr std::uint32_t kHiddenFolder = 0x12;
constexpr std::uint32_t kSystemReadOnlyFolder = 0x15;

constexpr std::int32_t kMinimumDepth = 1;
constexpr std::int32_t kFasterCopyDepth = 1;
constexpr std::int32_t kFloppyReadDepth = 1;
constexpr LPARAM kRedraw = 1;

// The edit boxes, the eleven check boxes, the three buttons and the main window.
constexpr std::size_t kRunControlCount = 17;

// The full texts of the two edit boxes: file operations use these, never the 255-byte cut.
std::string sourceText;
std::string destinationText;

// Returns the whole text of a window, however long.
std::string readFullText(HWND window) {
  int length = GetWindowTextLengthA(window);
  if (length <= 0) return std::string();
  std::string buffer(static_cast<std::size_t>(length) + 1, '\0');
  int copied = GetWindowTextA(window, buffer.data(), length + 1);
  buffer.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return buffer;
}

// Reads sourceEdit and destinationEdit into sourceText and destinationText in full, and into
// sourcePath and destinationPath cut at 255 bytes.
void readEditBoxes() {
  sourcePath = ShortText{};
  destinationPath = ShortText{};
  sourceText = readFullText(sourceEdit);
  destinationText = readFullText(destinationEdit);
  sourcePath = zeroTerminatedToText(sourceText.c_str());
  destinationPath = zeroTerminatedToText(destinationText.c_str());
}

// Returns true when the directory search for `pattern` finds at least one entry.
bool searchFinds(const std::string& pattern) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

// Returns the length of the folder part of a source text: up to and including its last
// separator; without one, a leading drive "X:" on Windows, otherwise nothing (the current folder).
std::size_t folderPartLength(std::string_view source) {
  std::size_t last = source.rfind(kPathSeparator);
  if (last != std::string_view::npos) return last + 1;
  constexpr std::size_t kDriveLength = 2;
  bool windowsPaths = kPathSeparator == '\\';
  if (windowsPaths && source.size() >= kDriveLength && source[1] == ':') return kDriveLength;
  return 0;
}

// Returns true when the source names something: an entry, or, when the run walks subfolders, a
// folder that can be listed, as the files may all lie in its subfolders.
bool sourceFound() {
  if (searchFinds(sourceText)) return true;
  std::size_t folderLength = folderPartLength(sourceText);
  if (!walksSubfolders(std::string_view(sourceText).substr(folderLength))) return false;
  return searchFinds(sourceText.substr(0, folderLength) + std::string(kAllEntries));
}

// Checks the source and the destination folder, creating the folder (one level) when it is
// missing; every check runs. Writes the failures to the result box. Returns the go-ahead.
bool checkSourceAndDestination() {
  bool goAhead = true;
  if (!sourceFound()) {
    goAhead = false;
    consoleWriteLine(text("Unable find source file"));
  }
  if (destinationText.empty()) {
    // An empty destination would mean the root folder: refused like a folder that is missing
    // and cannot be created.
    consoleWriteLine(text("Unable find destiny folder"));
    consoleWriteLine(text("Unable create folder"));
    return false;
  }
  std::string probe = destinationText + kPathSeparator + std::string(kAllEntries);
  if (!searchFinds(probe)) consoleWriteLine(text("Unable find destiny folder"));
  if (!searchFinds(probe) && !CreateDirectoryA(destinationText.c_str(), nullptr)) {
    consoleWriteLine(text("Unable create folder"));
    goAhead = false;
  }
  return goAhead;
}

// Returns the windows that a run disables, in their order, the main window last.
std::array<HWND, kRunControlCount> runControls() {
  return {sourceEdit,       destinationEdit,     enableLogBox,       rewriteLogBox,
          printProgressBox, printDetailBox,      verifyDataBox,      recognizeBox,
          enableConsoleBox, enableFasterCopyBox, saveSettingsBox,    haltOnFirstErrorBox,
          forceAccessBox,   copyButton,          browseSourceButton, browseDestinationButton,
          mainWindow};
}

// Enables or disables every window of runControls, in order.
void enableRunControls(bool enable) {
  for (HWND window : runControls()) EnableWindow(window, enable ? TRUE : FALSE);
}

// Freezes the window for the run: stateLine in bylineFont and empty, every input disabled, the
// check boxes read again into settings, the window minimized when asked.
void freezeWindow() {
  SendMessageA(stateLine, WM_SETFONT, reinterpret_cast<WPARAM>(bylineFont), kRedraw);
  SetWindowTextA(stateLine, "");
  enableRunControls(false);
  readCheckBoxes();
  if (settings.proceedMinimized) ShowWindow(mainWindow, SW_MINIMIZE);
}

// Returns true when sourcePath begins with a floppy drive: "a:", "A:", "b:" or "B:".
bool isFloppySource() {
  std::string_view start = view(sourcePath).substr(0, 2);
  return start == "a:" || start == "A:" || start == "b:" || start == "B:";
}

// Fixes the options of the run: printDetail off when printProgress is off (until the next
// readCheckBoxes), and readDepth and writeDepth from the depths, faster copy and the floppy rule.
void fixRunOptions() {
  if (!settings.printProgress) settings.printDetail = false;
  readDepth = settings.depthRead;
  writeDepth = settings.depthWrite;
  if (settings.enableFasterCopy) {
    readDepth = kFasterCopyDepth;
    writeDepth = kFasterCopyDepth;
  } else if (isFloppySource()) {
    readDepth = kFloppyReadDepth;
  }
  if (readDepth < kMinimumDepth) readDepth = kMinimumDepth;
  if (writeDepth < kMinimumDepth) writeDepth = kMinimumDepth;
}

// Writes the run's header, the settings section when asked, and the "Copying files " entry.
void startLog() {
  openLog();
  if (settings.logSettings) writeSettingsSection();
  ShortText entry = "Copying files " + escapeHtml(view(sourcePath));
  writeLogEntry(entry + " to " + escapeHtml(view(destinationPath)), plain);
}

// Sets sourceFolder and sourceFolderPath to the folder part of the source, destinationFolder and
// destinationFolderPath to the destination.
void setFolders() {
  std::string_view shortSource = view(sourcePath);
  sourceFolder = text(shortSource.substr(0, folderPartLength(shortSource)));
  sourceFolderPath = sourceText.substr(0, folderPartLength(sourceText));
  sourcePattern = sourceText.substr(sourceFolderPath.size());
  destinationFolder = destinationPath;
  destinationFolderPath = destinationText;
}

// Copies what the directory search reports for one entry into currentEntry.
void fillCurrentEntry(const WIN32_FIND_DATAA& found) {
  currentEntry.name = zeroTerminatedToText(found.cFileName);
  currentEntry.attributes = found.dwFileAttributes;
  currentEntry.size = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
  currentEntry.lastWriteTime = found.ftLastWriteTime;
}

// Returns true for the entries that are passed over: ".", ".." and the three folder values.
bool isSkipped() {
  std::uint32_t attributes = currentEntry.attributes;
  if (attributes == kFolder || attributes == kHiddenFolder || attributes == kSystemReadOnlyFolder) {
    return true;
  }
  return currentEntry.name == "." || currentEntry.name == "..";
}

}  // namespace

void showFileName(const ShortText& name) {
  if (!settings.printProgress) return;
  SetWindowTextA(stateLine, zeroTerminated(name).bytes);
  if (settings.updateTitle) {
    ShortText title = text(kProgramTitle) + " (" + name + ")";
    SetWindowTextA(mainWindow, zeroTerminated(title).bytes);
  }
}

namespace {

// Returns true when the platform can tell the attributes of the source file `path` (relative to
// the source folder). An entry that the directory search lists but cannot examine (a damaged
// inode, a medium that has gone) is reported with size 0; asking again tells it from an empty file.
bool sourceExaminable(const ShortText& path) {
  std::string full = sourceFolderPath + toString(path);
  return GetFileAttributesA(full.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Returns true when `error`, from a directory search that failed, means only that nothing matched.
bool isNothingFound(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES;
}

// Passes currentEntry, which lies in `relativeFolder` of the source folder, through the per-file
// steps and, when it has data, to copyOneFile; sets currentName (the file's path relative to the
// source folder) and currentSize and adds the file to `totals` when logStats is set.
void handleFile(const std::string& relativeFolder, JobTotals& totals) {
  const std::string path = relativeFolder + toString(currentEntry.name);
  // A name cut at 255 bytes would name another file: such a file is refused, not copied.
  if (path.size() > static_cast<std::size_t>(kShortTextCapacity)) {
    reportPathTooLong(path);
    return;
  }
  const ShortText name = text(path);
  showFileName(name);
  if (settings.printDetail) describeFile();
  if (destinationExists(name)) {
    reportExisting(name);
    return;
  }
  logCopyLine(name, currentEntry.attributes);
  classifyTextLike(name);
  currentName = name;
  currentSize = currentEntry.size;
  bool copied = false;
  if (currentSize == 0 && !sourceExaminable(name)) {
    // Reported like a source that cannot be opened: never passed over, never called empty.
    reportUnopenableSource();
  } else if (currentSize == 0) {
    reportEmpty(name);
  }
  if (currentSize > 0) {
    // A folder that cannot be created is reported; the copy then fails as uncreatable.
    makeDestinationFolders();
    copyOneFile();
    copied = true;
  }
  if (!settings.logStats) return;
  totals.files += 1;
  // A file whose retries wait is added when they end.
  if (!copied || copyWaitsForRetry) return;
  totals.bytesRead += fileBytesRead;
  totals.bytesWritten += fileBytesWritten;
  totals.bytesVerified += fileBytesVerified;
}

// Waits for the user to confirm a message box when waitEnterAfterEachCopy is set.
void waitForUser() {
  if (!settings.waitEnterAfterEachCopy) return;
  MessageBoxA(mainWindow, "Press enter to continue", std::string(kProgramTitle).c_str(), MB_OK);
}

// Handles every entry that the source names and, when the run walks subfolders, the matching
// entries of every folder below; sets the folders of the run first.
void handleEntries(JobTotals& totals) {
  setFolders();
  // The source was found by the check; if it has gone since, there is nothing to handle.
  handleMatchingEntries(std::string(), totals);
  if (walksSubfolders(sourcePattern)) handleSubfolders(totals);
  retryWaitingCopies(totals);
}

// Writes the totals into the log when logStats is set and any counter is above 0.
void writeTotals(const JobTotals& totals) {
  if (!settings.logStats) return;
  if (totals.files <= 0 && totals.bytesRead <= 0 && totals.bytesWritten <= 0 &&
      totals.bytesVerified <= 0) {
    return;
  }
  writeLogEntry(text("<U>Totally</U>"), plain);
  writeLogEntry("Processed " + decimalText(totals.files) + " files", plain);
  writeLogEntry("Read " + decimalText(totals.bytesRead) + "bytes", plain);
  writeLogEntry("Written " + decimalText(totals.bytesWritten) + "bytes", plain);
  if (settings.verifyData) {
    writeLogEntry("Verified " + decimalText(totals.bytesVerified) + "bytes", plain);
  }
}

// Closes the log and gives the window back: restored, title reset, "Done" in plainFont, the
// other state lines emptied, every control enabled again, the main window last.
void finishRun() {
  closeLog();
  if (settings.proceedMinimized) ShowWindow(mainWindow, SW_RESTORE);
  if (settings.updateTitle) SetWindowTextA(mainWindow, std::string(kProgramTitle).c_str());
  SendMessageA(stateLine, WM_SETFONT, reinterpret_cast<WPARAM>(plainFont), kRedraw);
  SetWindowTextA(stateLine, "Done");
  SetWindowTextA(stateLine2, "");
  SetWindowTextA(stateLine3, "");
  enableRunControls(true);
}

}  // namespace

std::string sourcePattern;

bool handleMatchingEntries(const std::string& relativeFolder, JobTotals& totals) {
  WIN32_FIND_DATAA found;
  std::string pattern = sourceFolderPath + relativeFolder + sourcePattern;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return isNothingFound(GetLastError());
  do {
    fillCurrentEntry(found);
    if (!isSkipped()) handleFile(relativeFolder, totals);
    waitForUser();
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return true;
}

// Runs one whole copy job (see the file comment). A failed check ends it before anything is
// frozen or logged. Changes sourcePath, destinationPath, the run state of copy_job.h and, for
// the run, settings.printDetail.
void runCopyJob() {
  readEditBoxes();
  if (!checkSourceAndDestination()) return;
  freezeWindow();
  fixRunOptions();
  startLog();
  JobTotals totals;
  handleEntries(totals);
  writeTotals(totals);
  finishRun();
}
