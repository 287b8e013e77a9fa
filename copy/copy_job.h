// The copy engine: one whole run from the Copy click to its end, the checks and details of each
// file, and the copy of one file with retries, verification and substitution.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "common/short_text.h"
#include "platform/winapi.h"

// One entry of the directory search as the platform reports it.
struct DirectoryEntry {
  ShortText name;            // the entry's own name, without its folder
  std::uint32_t attributes;  // the platform's attribute bits exactly as reported
  std::int64_t size;         // the size in bytes
  FILETIME lastWriteTime;    // the last write time as the directory search reports it
};

// State of the run, shared by the job, the per-file steps and the single-file copy.
extern DirectoryEntry currentEntry;
extern ShortText sourceFolder;       // the source text cut after its last separator
extern ShortText destinationFolder;  // a copy of destinationPath taken when the enumeration starts
extern ShortText currentName;        // the name of the file handed to copyOneFile
extern std::int64_t currentSize;     // its size in bytes
extern std::int32_t readDepth;       // read retries of this run, at least 1
extern std::int32_t writeDepth;      // write retries of this run, at least 1

// The same folders in full, for file operations, which are never cut at 255 bytes.
extern std::string sourceFolderPath;       // ends with the separator, or is empty
extern std::string destinationFolderPath;  // no separator added

// Results of the last copyOneFile call.
extern std::int64_t fileBytesRead;
extern std::int64_t fileBytesWritten;
extern std::int64_t fileBytesVerified;

// Details text of the current file and whether its name ends like a text file.
extern ShortText currentDetails;
extern bool textLike;

// The generator of substitute bytes and of the progress bar's random redraws.
extern std::mt19937 copyRandom;

// Runs one whole copy job; called by the window procedure when Copy is clicked.
void runCopyJob();

// Copies sourceFolderPath + currentName to destinationFolderPath + separator + currentName;
// leaves its counters in fileBytesRead, fileBytesWritten and fileBytesVerified.
void copyOneFile();

// Set by copyOneFile when the retries of the file wait until every other file of the run is
// copied (retryDamagedLast); its counters are then not final.
extern bool copyWaitsForRetry;

// Keeps the copy of the current file, whose copy and trim phases are over, waiting for its
// retries: writes its map, closes its files and keeps its state. Returns false, changing nothing,
// when the map could not be written; the retries must then run at once.
bool retryAfterOtherFiles();

// The end of the copy of one file once its bytes are copied: summary, date, close, real name
// (or, after a byte that could not be written, the temporary name kept with its map), result line.
void finishCopy();

// Shows the name in stateLine, and in the title when updateTitle is set, when printProgress is.
void showFileName(const ShortText& name);

// Builds the details text of currentEntry into currentDetails and shows it in stateLine2.
void describeFile();

// The attribute texts of the details text and of the log entry, by exact attribute value.
ShortText attributeWord(std::uint32_t attributes);
ShortText attributeNote(std::uint32_t attributes);

// Returns true when the destination folder holds an entry (file or folder) of that name.
bool destinationExists(const ShortText& name);

// Reports a file that already exists at the destination (console and warning entry).
void reportExisting(const ShortText& name);

// Writes the file's "Copy of" entry with its attribute note and, when in force, its details.
void logCopyLine(const ShortText& name, std::uint32_t attributes);

// Sets textLike from the last three characters of the lower-cased name.
void classifyTextLike(const ShortText& name);

// Reports an empty source file (console and warning entry).
void reportEmpty(const ShortText& name);
