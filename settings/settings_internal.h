// The parts of the settings subsystem that its own files share: the settings file's keys and their
// fields of `settings` in the order the file is written, the pairing of the eleven check boxes with
// their flags, the reading of one line, and the start-up steps that follow the reading of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/winapi.h"
#include "settings/settings.h"

// What a field holds, which decides the form of its line.
enum class FieldKind : std::uint8_t { flag, number, byteNumber, text };

// When the writer puts a field's line into the file.
enum class LineRule : std::uint8_t {
  always,
  whenNotEmpty,              // browserPath: only a named browser is kept
  sourcePathWhenSaved,       // lastSourceFile: the value of sourcePath, when saveSourceFile is set
  destinationPathWhenSaved,  // lastDestinyFolder: destinationPath, when saveDestinyFolder is set
  whenSet,  // sectorSize (0 until set), the flags off by default that came later: a file with
            // every default keeps its 37 lines
};

// One key of the settings file; exactly one of the four field pointers is set, by `kind`.
struct SettingField {
  std::string_view key;
  FieldKind kind;
  LineRule rule;
  bool Settings::*flag;
  std::int32_t Settings::*number;
  std::uint8_t Settings::*byteNumber;
  ShortText Settings::*text;
};

inline constexpr std::size_t kSettingFieldCount = 45;

// Every field of `settings`, in the order saveSettingsFile writes their lines.
extern const SettingField kSettingFields[kSettingFieldCount];

// One check box of the main window and the flag it mirrors.
struct CheckBoxFlag {
  HWND* box;
  bool Settings::*flag;
};

inline constexpr std::size_t kCheckBoxCount = 11;

// The eleven check boxes in the order they are read and set.
extern const CheckBoxFlag kCheckBoxFlags[kCheckBoxCount];

// The separator written between a key and its value: a colon and one blank.
inline constexpr std::string_view kKeySeparator = ": ";
inline constexpr std::string_view kYes = "yes";
inline constexpr std::string_view kNo = "no";

// Converts a number value: blanks and tabs first, an optional sign, then digits up to the end,
// decimal or after "$" hexadecimal, "%" binary, "&" octal. Returns false, leaving `number` as it
// was, on any other character, on no digits and on a number outside the signed 32-bit range.
bool convertSettingNumber(std::string_view value, std::int32_t& number);

// Applies one line of the settings file to `settings`: a whole flag line sets its flag; a number
// line stores a converted number above 0; a text line stores its value unchanged. A line that was
// `cut` when read (longer than 255 bytes) does not set a path (logFileName, browserPath,
// lastSourceFile, lastDestinyFolder): a path read in part names another file or folder.
void applySettingLine(const ShortText& line, bool cut = false);

// True when the settings file that start-up found could not be read to its end (a folder of that
// name, a file that cannot be opened, a failed read): its content was never seen, so it is not
// replaced at exit. Set by loadSettings.
extern bool settingsFileUnread;

// Checks the boxes of the mirrored flags that are set, in the fixed order, with BM_SETCHECK; a box
// whose flag is not set receives nothing.
void showFlagsInCheckBoxes();

// Gives sourcePath and sourceEdit the saved source when saveSourceFile is set, and likewise
// destinationPath and destinationEdit the saved destination when saveDestinyFolder is set.
void restoreSavedPaths();

// Sets a non-default logFileName back to the default when no file of that name can be written.
void checkLogFileName();

// Empties browserPath when a directory search for it finds nothing.
void checkBrowserPath();
