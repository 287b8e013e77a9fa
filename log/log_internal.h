// The log's own pieces shared by its files: the binding of the log to its name, the state of the
// current run, and the text builders that openLog, writeLogEntry and closeLog put together.
#pragma once

#include <string>
#include <string_view>

#include "common/short_text.h"
#include "log/html_log.h"
#include "platform/winapi.h"

// The name the log is bound to by openLog; every later operation of the run opens this name.
extern ShortText logFile;

// Set when an operation on the log failed in this run: the console has been told once, and no
// further log operation is tried until the next openLog.
extern bool logBroken;

// Returns "<FONT FACE=" + htmlFont + " SIZE=" + size + " COLOR=#" + colour + ">".
std::string fontTag(std::string_view size, const ShortText& colour);

// Returns true when the version counts as outdated in `month` (1 to 12): |month - 4| > 2.
bool versionOutdated(int month);

// Returns the day of the month with its English ordinal suffix: "1st", "2nd", "11th", "23rd".
std::string dayWithSuffix(int day);

// Returns the name of `month` (1 to 12) as the log writes it; empty for any other number.
std::string_view monthName(int month);

// Returns the time stamp of a run: day with suffix, month name, year, then hour (no leading zero)
// and two-digit minute, second and hundredths, e.g. "6th December 2026 7:25:52:34".
std::string logTimeStamp(const SYSTEMTIME& now);

// Returns the whole header of one run as it is written to the file, CR LF line ends included.
// `newFile` chooses the HTML head line over the "<BR>" of an appended run.
std::string logHeader(bool newFile, const SYSTEMTIME& now);

// Returns the physical line of one entry, CR LF included.
std::string logEntryLine(std::string_view entryText, LogEntryKind kind);

// Writes all of `bytes` to `file`; false when a write fails or writes less.
bool writeLogBytes(HANDLE file, std::string_view bytes);

// Opens the bound log for appending at its end (creating it when missing); returns the handle,
// or INVALID_HANDLE_VALUE when it cannot be opened.
HANDLE openLogForAppending();

// Closes `file`; false when the close fails.
bool closeLogHandle(HANDLE file);

// Marks the log broken for the rest of the run and tells the console "Unable write log" the first
// time. Changes logBroken.
void reportLogFailure();

// Returns the command line that shows the log: browser + " " + directory + "/" + log name,
// never cut.
std::string browserCommandLine(std::string_view browser, std::string_view currentDirectory,
                               std::string_view logName);

// Returns the process's current directory as the system reports it; empty when it cannot be read.
std::string currentDirectoryText();
