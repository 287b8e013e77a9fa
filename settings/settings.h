// The options record, its defaults, its mirror in the eleven check boxes, and the settings file
// "sorvel.ini" in the current folder.
#pragma once

#include <cstdint>

#include "common/short_text.h"

// Every option of the program; each field is named exactly like its key in the settings file.
struct Settings {
  bool enableLog;
  bool rewriteLog;
  bool printProgress;
  bool verifyData;
  bool printDetail;
  bool enableConsole;
  bool enableFasterCopy;
  bool recognize;
  bool saveSettings;
  bool haltOnFirstError;
  bool updateTitle;
  bool saveSourceFile;
  bool saveDestinyFolder;
  bool logStats;
  bool forceAccess;
  bool showProgressBar;
  bool showLogWhenDone;
  bool watchProductVersion;
  bool waitEnterAfterEachCopy;
  bool proceedMinimized;
  bool logSettings;
  bool subDamagedBitByZero;
  bool logDamagedRanges;  // list the unreadable ranges of a copy as notice entries
  bool saveDamageMap;     // keep the map of a copy with unreadable bytes beside it
  bool copySubfolders;    // a pattern over a folder also copies every subfolder's matching files
  bool retryDamagedLast;  // bad areas are retried after every other file of the run is copied
  std::int32_t depthRead;
  std::int32_t depthWrite;
  std::int32_t depthAccess;
  std::int32_t depthClose;
  std::int32_t depthVerify;
  std::uint8_t fontSizeHtmlLog;
  std::int32_t progressBarLatency;
  // The unit in which the source fails, in bytes; 1 for single bytes, 0 (unless the user set it)
  // for the unit of the medium the source lies on.
  std::int32_t sectorSize;
  ShortText backgroundColorHtmlLog;
  ShortText fontColorHtmlLog;
  ShortText linkColorHtmlLog;
  ShortText errorColorHtmlLog;
  ShortText warningColorHtmlLog;
  ShortText noticeColorHtmlLog;
  ShortText htmlFont;
  ShortText lastSourceFile;
  ShortText lastDestinyFolder;
  ShortText logFileName;
  ShortText browserPath;
};

// The one options record of the program.
extern Settings settings;

// The source of the next or last run (a file or a wildcard pattern) and the destination folder,
// shared by the pickers, the copy job and the settings file. Empty at start.
extern ShortText sourcePath;
extern ShortText destinationPath;

// The name of the settings file and the default log name.
inline constexpr const char* kSettingsFileName = "sorvel.ini";
inline constexpr const char* kDefaultLogFileName = "sorvel.log.htm";

// Gives every field of `settings` its default; leaves sourcePath and destinationPath alone.
void setDefaultSettings();

// Copies the check states of the eleven check boxes into their flags of `settings`.
void readCheckBoxes();

// Reads "sorvel.ini" over the defaults, then checks the boxes of the flags that are set, and
// pushes the saved source and destination into their edit boxes when asked to.
void loadSettings();

// Writes every field into "sorvel.ini" (through a temporary file renamed over the old one).
void saveSettingsFile();

// Splits a settings line after its first blank: returns the value and sets `key` to what comes
// before it, the blank included.
ShortText splitSettingLine(const ShortText& line, ShortText& key);
