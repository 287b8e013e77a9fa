// Reading "sorvel.ini" at start-up over the defaults, then pushing the options into the window.
#include "platform/winapi.h"
#include "settings/settings.h"
#include "settings/settings_internal.h"

bool settingsFileUnread = false;

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
// The file is fetched in blocks; lines are then taken from the block byte by byte.
constexpr DWORD kReadBlockSize = 16384;
// No settings file comes near this size: a file that goes on past it (a link to an endless
// device) is not read further, as a file that could not be read.
constexpr DWORD kSettingsFileLimit = 1 << 20;

// The settings file being read: its handle and the block fetched last.
struct SettingsReader {
  HANDLE file;
  DWORD filled;
  DWORD next;
  DWORD total;  // bytes fetched so far
  bool failed;
  char block[kReadBlockSize];
};

// Returns whether another byte is waiting, fetching the next block when the last one is used up;
// at the end of the file, or after a failed read or at kSettingsFileLimit (either sets `failed`),
// returns false.
bool hasByte(SettingsReader& reader) {
  if (reader.next < reader.filled) return true;
  if (reader.failed) return false;
  DWORD count = 0;
  if (reader.total >= kSettingsFileLimit ||
      !ReadFile(reader.file, reader.block, kReadBlockSize, &count, nullptr)) {
    reader.failed = true;
    return false;
  }
  reader.filled = count;
  reader.total += count;
  reader.next = 0;
  return count > 0;
}

// Reads one line into `line`: its first 255 bytes are kept and the rest is skipped (`cut` tells
// whether any was); CR LF, a lone LF and a lone CR each end it and are not kept. Returns false
// when a failed read cut it short.
bool readSettingLine(SettingsReader& reader, ShortText& line, bool& cut) {
  line = ShortText{};
  cut = false;
  while (hasByte(reader)) {
    char character = reader.block[reader.next++];
    if (character == kLineFeed) return true;
    if (character == kCarriageReturn) {
      if (hasByte(reader) && reader.block[reader.next] == kLineFeed) ++reader.next;
      return true;
    }
    if (line.length < kShortTextCapacity) {
      line.bytes[line.length++] = character;
    } else {
      cut = true;
    }
  }
  return !reader.failed;
}

// Applies every line of the open settings file to `settings`. The first line is read before the
// end is tested, so an empty file is one empty line. Returns false when a read failed; the lines
// read before the failure stay applied and a line cut short by it is dropped.
bool readSettingsFile(HANDLE file) {
  SettingsReader reader;
  reader.file = file;
  reader.filled = 0;
  reader.next = 0;
  reader.total = 0;
  reader.failed = false;
  do {
    ShortText line;
    bool cut = false;
    if (!readSettingLine(reader, line, cut)) break;
    applySettingLine(line, cut);
  } while (hasByte(reader));
  return !reader.failed;
}

// Returns whether a directory search, accepting any attributes, finds the settings file.
bool settingsFileFound() {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(kSettingsFileName, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

}  // namespace

// Overrides the defaults in `settings` with the lines of "sorvel.ini" when it is found, then
// checks the boxes of the set flags, restores the saved source and destination (sourcePath,
// destinationPath and their edit boxes) and checks logFileName and browserPath. A file that cannot
// be opened or read, is no file (a device, a pipe) or goes on past kSettingsFileLimit keeps the
// defaults for what was not read and sets settingsFileUnread.
void loadSettings() {
  settingsFileUnread = false;
  if (settingsFileFound()) {
    HANDLE file = CreateFileA(kSettingsFileName, GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      settingsFileUnread = true;
    } else if (GetFileType(file) != FILE_TYPE_DISK) {
      // Only a file is read: a device or a pipe may never end, or never answer.
      settingsFileUnread = true;
      CloseHandle(file);
    } else {
      settingsFileUnread = !readSettingsFile(file);
      CloseHandle(file);
    }
  }
  // The boxes come before the edit boxes: a text given to an edit box makes it report EN_CHANGE,
  // on which the window procedure reads every box back into its flag.
  showFlagsInCheckBoxes();
  restoreSavedPaths();
  checkLogFileName();
  checkBrowserPath();
}
