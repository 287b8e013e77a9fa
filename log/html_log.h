// The HTML log: the file and the header of each run, coloured entries, the settings section and
// showing the log in a browser when a run is done. The log file is never held open: every
// operation opens it, writes and closes it again.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/short_text.h"

// The kind of one log entry; it chooses the colour and whether a report link follows the text.
enum LogEntryKind : std::uint8_t { plain = 0, error = 1, warning = 2, notice = 3 };

// The maker's addresses shown in the header and used by the report links.
inline constexpr const char* kMakerWebPage = "http://www.sorvel.example/";
inline constexpr const char* kMakerMailAddress = "support@sorvel.example";
inline constexpr const char* kMakerUpdateArchive = "http://www.sorvel.example/download/sorvel.zip";

// Binds the log to logFileName, creates it or opens it for appending, and writes the header of
// this run. Does nothing when enableLog is off.
void openLog();

// Appends one entry line (text as HTML, unchanged) of the given kind. Does nothing when
// enableLog is off or the log failed earlier in this run.
void writeLogEntry(ShortText entryText, LogEntryKind kind);

// Writes the options of the run as plain entries.
void writeSettingsSection();

// Ends the run's part of the log; starts the browser on the log when asked to.
void closeLog();

// Returns `source` with &, <, >, " and line breaks replaced by HTML character references, cut at
// 255 bytes. Used for names and paths that callers put into entries.
ShortText escapeHtml(std::string_view source);
