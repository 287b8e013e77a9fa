// The checks and texts of each file of a copy job before it is copied: the details text, the
// existence check at the destination, the "Copy of" log entry, the text-like decision and the
// report of an empty file.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/status_output.h"
#include "app/window_handles.h"
#include "common/date_text.h"
#include "copy/copy_job.h"
#include "log/html_log.h"
#include "platform/winapi.h"
#include "settings/settings.h"

namespace {

// Exact attribute values that have a word in the details text or a note in the log entry.
constexpr std::uint32_t kReadOnlyFile = 0x01;
constexpr std::uint32_t kHiddenFile = 0x02;
constexpr std::uint32_t kSystemFile = 0x04;
constexpr std::uint32_t kHiddenReadOnlyArchivedFile = 0x23;

// The fields of the packed (FAT) date and time.
constexpr WORD kSecondsMask = 0x1F;  // in units of two seconds
constexpr int kMinuteShift = 5;
constexpr WORD kMinuteMask = 0x3F;
constexpr int kHourShift = 11;
constexpr WORD kDayMask = 0x1F;
constexpr int kMonthShift = 5;
constexpr WORD kMonthMask = 0x0F;
constexpr int kYearShift = 9;
constexpr int kPackedYearBase = 1980;

// The endings that make a file text-like, compared with the last three characters of its name.
constexpr std::array<std::string_view, 45> kTextExtensions = {
    "txt", "htm", "doc", "rtf", "ini", "log", "rpt", "fnd", "web", "dir", "raw", "pas",
    ".pp", "cpp", "bas", "cfg", "tml", "bmp", "pcx", "css", "csv", "cur", "dos", "dlg",
    "diz", "fpc", "ico", "inf", "lgc", "lnk", ".rc", ".cc", "cxx", ".cp", "hpp", ".hh",
    ".rh", "bpg", "dpr", "dpk", "dfm", "avi", "lst", "bat", "wri"};
constexpr std::size_t kEndingLength = 3;
constexpr char kLowerCaseOffset = 'a' - 'A';  // 0x20 in the ASCII table

// A last-write time unpacked from the packed date and time.
struct DateTime {
  std::uint16_t year;
  std::uint16_t month;
  std::uint16_t day;
  std::uint16_t hour;
  std::uint16_t minute;
  std::uint16_t second;
};

// Returns the packed local date and time of `writeTime` unpacked into `result`; false when the
// platform refuses the conversion (a time before 1980 or after 2107).
bool unpackLastWriteTime(const FILETIME& writeTime, DateTime& result) {
  FILETIME localTime;
  WORD packedDate = 0;
  WORD packedTime = 0;
  if (!FileTimeToLocalFileTime(&writeTime, &localTime)) return false;
  if (!FileTimeToDosDateTime(&localTime, &packedDate, &packedTime)) return false;
  result.second = static_cast<std::uint16_t>(2 * (packedTime & kSecondsMask));
  result.minute = static_cast<std::uint16_t>((packedTime >> kMinuteShift) & kMinuteMask);
  result.hour = static_cast<std::uint16_t>(packedTime >> kHourShift);
  result.day = static_cast<std::uint16_t>(packedDate & kDayMask);
  result.month = static_cast<std::uint16_t>((packedDate >> kMonthShift) & kMonthMask);
  result.year = static_cast<std::uint16_t>(kPackedYearBase + (packedDate >> kYearShift));
  return !englishMonthName(result.month).empty();
}

// Returns the date and time part of the details text, e.g. "21st March 2003 9:05:08".
ShortText dateTimeText(const DateTime& when) {
  ShortText result = decimalText(when.day) + daySuffix(when.day) + " ";
  result = result + englishMonthName(when.month) + " ";
  result = result + decimalText(when.year) + " ";
  result = result + decimalText(when.hour) + ":";
  result = result + twoDigits(when.minute) + ":";
  return result + twoDigits(when.second);
}

// Returns the beginning of the log entries about one file: Copy of "<B>name</B>", the name
// escaped so that a name from a damaged medium cannot add markup to the log.
ShortText quotedName(const ShortText& name) {
  return "Copy of \"<B>" + escapeHtml(view(name)) + "</B>\"";
}

}  // namespace

// Sets currentDetails to the size, attribute word and last-write time of currentEntry (taken
// from the directory entry, the source is not opened) and shows it in stateLine2.
void describeFile() {
  ShortText details = decimalText(currentEntry.size) + "bytes";
  details = details + attributeWord(currentEntry.attributes) + ", modified ";
  DateTime when{};
  if (unpackLastWriteTime(currentEntry.lastWriteTime, when)) {
    details = details + dateTimeText(when);
  } else {
    details = details + "unknown";
  }
  currentDetails = details;
  SetWindowTextA(stateLine2, zeroTerminated(currentDetails).bytes);
}

// Returns the word of the details text for an exact attribute value, or the empty text.
ShortText attributeWord(std::uint32_t attributes) {
  switch (attributes) {
    case kReadOnlyFile:
      return text(" read only file");
    case kHiddenFile:
      return text(" hidden file");
    case kSystemFile:
      return text(" system file");
    default:
      return ShortText{};
  }
}

// Returns the note of the "Copy of" entry for an exact attribute value, or the empty text.
ShortText attributeNote(std::uint32_t attributes) {
  switch (attributes) {
    case kReadOnlyFile:
      return text("(read only file)");
    case kHiddenFile:
      return text("(hidden file)");
    case kSystemFile:
      return text("(system file)");
    case kHiddenReadOnlyArchivedFile:
      return text("(hidden read only file)");
    default:
      return ShortText{};
  }
}

// Returns true when the directory search finds destinationFolderPath + separator + name, a
// folder as well as a file.
bool destinationExists(const ShortText& name) {
  std::string path = destinationFolderPath + kPathSeparator + toString(name);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

// Writes "File already exists" to the result box and the file's warning entry to the log.
void reportExisting(const ShortText& name) {
  consoleWriteLine(text("File already exists"));
  writeLogEntry(quotedName(name) + ", file already exists", warning);
}

// Writes the file's plain "Copy of" entry: quoted name, attribute note and, when printDetail is
// in force, currentDetails.
void logCopyLine(const ShortText& name, std::uint32_t attributes) {
  ShortText entry = quotedName(name) + " " + attributeNote(attributes) + " ";
  if (settings.printDetail) entry = entry + currentDetails;
  writeLogEntry(entry, plain);
}

// Sets textLike when the last three characters of the name, with A-Z lower-cased, are one of
// the text endings. The name is lower-cased in memory; no file is written.
void classifyTextLike(const ShortText& name) {
  textLike = false;
  std::string lowered = toString(name);
  for (char& character : lowered) {
    if (character >= 'A' && character <= 'Z')
      character = static_cast<char>(character + kLowerCaseOffset);
  }
  if (lowered.size() > kEndingLength) lowered.erase(0, lowered.size() - kEndingLength);
  for (std::string_view ending : kTextExtensions) {
    if (lowered == ending) textLike = true;
  }
}

// Writes "File is empty" to the result box and the file's warning entry to the log.
void reportEmpty(const ShortText& name) {
  consoleWriteLine(text("File is empty"));
  writeLogEntry(quotedName(name) + ", is empty", warning);
}
