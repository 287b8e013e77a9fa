// The steps of copyOneFile. Each works on the state of the call in `fileCopy` and on the shared
// state of copy/copy_job.h, so that a byte can be copied, verified and shown on its own: a faster
// path over healthy areas falls back to these steps byte by byte wherever a block fails.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/short_text.h"
#include "copy/rescue_map.h"
#include "platform/winapi.h"

// The failed reads aimed at one byte or sector: all of them, and those no longer than a retry's.
struct FailedReads {
  std::int64_t all = 0;
  std::int64_t ownUnit = 0;
};

// The state of one copyOneFile call; every call sets it afresh.
struct SingleFileCopy {
  std::string sourceFile;       // full path of the source, never cut
  std::string destinationFile;  // full path of the destination, never cut
  std::string temporaryFile;    // full path the copy is written to until it is done
  HANDLE source = INVALID_HANDLE_VALUE;
  HANDLE destination = INVALID_HANDLE_VALUE;
  // The destination opened again to read it back past the cache, when verification needs it.
  HANDLE readBack = INVALID_HANDLE_VALUE;
  bool readBackOpened = false;       // the read-back handle was asked for (once per copy)
  std::int64_t readBackSector = 0;   // the sector size of the destination's volume
  std::uint8_t dataByte = 0;         // the byte being copied
  std::uint8_t checkByte = 0;        // the byte read back for verification
  std::int64_t unreadableBytes = 0;  // bytes given up as unreadable and replaced
  bool copyFailed = false;           // the byte loop is to stop
  std::uint8_t lastPercent = 0;      // the last whole percentage shown
  std::int64_t sourcePosition = -1;  // where the next read of the source lands; -1 when unknown
  // The bytes before this offset that lie in the sector of a byte that failed every read are
  // given up without being read.
  std::int64_t givenUpUntil = 0;
  // The source has gone, or shrunk, from this offset on: every byte from it is given up unread
  // (-1 while it has not).
  std::int64_t goneFrom = -1;
  // The source's medium, examined at the first failed read (copy/copy_source_sectors.cpp).
  bool sourceMediumKnown = false;
  bool sourceOnDisk = false;      // the volume lies on a disk, which fails in sectors
  std::int64_t sourceSector = 0;  // the sector size of the source's volume
  // The source opened again to read failed stretches past the cache; INVALID_HANDLE_VALUE when
  // it could not be opened or its reads were refused.
  HANDLE unbufferedSource = INVALID_HANDLE_VALUE;
  // The copy in phases (copy/copy_phases.cpp) and its map (copy/copy_map_file.cpp).
  RescueMap map;
  RescuePhase phase = RescuePhase::copying;
  std::int64_t mapPosition = 0;  // where the copy last worked, for the map's status line
  std::string mapFile;           // the map's path; empty until it was first written
  bool mapChanged = false;       // the map in memory differs from the one on disk
  DWORD mapWrittenAt = 0;        // GetTickCount of the last write of the map
  // The failed reads aimed at a byte (or, past the cache, at its sector) before its retries:
  // each byte is read at most readDepth + 1 times in all.
  std::map<std::int64_t, FailedReads> failedAttempts;
  // The ranges given up as unreadable, in file order, adjacent ones merged.
  std::vector<MapRange> badRanges;
  // The copy goes on from the temporary file and map of an earlier, interrupted copy, which held
  // resumedBytes bytes of the source.
  bool resumed = false;
  std::int64_t resumedBytes = 0;
  bool writeFailed = false;  // a byte could not be written: the copy stopped there
  // The first number whose temporary name and map name were both found free while looking for
  // an interrupted copy (-1 when not known): the temporary name is looked for from there.
  int freeTemporaryName = -1;
  // The copy and trim phases are over and areas are left to retry: with retryDamagedLast, the
  // retries wait until every other file of the run is copied.
  bool retryLater = false;
};

extern SingleFileCopy fileCopy;

// Copy steps (copy/copy_one_file.cpp) ------------------------------------------------------------

// Opens fileCopy.sourceFile for reading: once, then (after clearing its attributes when
// forceAccess is set) up to depthAccess + 1 more times. Returns true and sets fileCopy.source on
// success.
bool openSourceFile();

// Closes fileCopy.destination: once, then up to depthClose + 1 more times. Returns true when a
// close succeeded.
bool closeDestinationFile();

// Destination names (copy/copy_destination.cpp) -------------------------------------------------

// The suffix of the name a copy is written under until it is done: a file left with it is a copy
// that was interrupted before the program could report it.
inline constexpr std::string_view kPartSuffix = ".sorvel-part";
// How many numbered temporary names are tried after the plain one, when they are taken.
inline constexpr int kPartNameCount = 100;
// The suffix of a copy's map, in the place of kPartSuffix (with the same number), and after the
// real name of a copy whose map is kept.
inline constexpr std::string_view kMapSuffix = ".sorvel-map";
// The map's comment line that gives the source's last-write time (a FILETIME, in decimal).
inline constexpr std::string_view kSourceTimeComment = "source time: ";

// Returns the temporary name numbered `number` (0 for the plain one) of currentName, in full.
std::string temporaryNameOf(int number);

// Opens the temporary file of an earlier copy at `path` again, for reading and writing, shared as
// the copy's own destination is. Returns the handle or INVALID_HANDLE_VALUE.
HANDLE openTemporaryFile(const std::string& path);

// Creates the copy under a temporary name in the destination folder: currentName + kPartSuffix,
// or the first free one with a number after the suffix (free: neither it nor its map name is
// taken), the name shortened to keep within the file system's name limit; never opens an existing
// file. Returns true and sets
// fileCopy.destination and fileCopy.temporaryFile on success.
bool createDestinationFile();

// Renames fileCopy.temporaryFile to fileCopy.destinationFile, never replacing an existing file.
// Returns true when the copy has its real name.
bool giveRealName();

// Byte steps (copy/copy_byte.cpp) ----------------------------------------------------------------

// Moves the position of `file` to `offset` bytes from its start; returns true when the platform
// accepted it. The high half travels separately, so offsets beyond 4 GiB work.
bool setFilePosition(HANDLE file, std::int64_t offset);

// Reads one byte at the position of `file` into `byte`; returns true when a byte was delivered (a
// read that succeeds with no byte, at the end of the file, is a failed read).
bool readOneByte(HANDLE file, std::uint8_t& byte);

// One read of the source byte at `offset` into fileCopy.dataByte (the first of its attempts).
// Returns true when it delivered; keeps fileCopy.sourcePosition up to date.
bool readSourceByteOnce(std::int64_t offset);

// The retries of the source byte at `offset` after a failed first read: up to readDepth more
// reads into fileCopy.dataByte. Returns true when one delivered.
bool retrySourceByte(std::int64_t offset);

// Reads the source byte at `offset` into fileCopy.dataByte, retrying up to readDepth times.
// Returns true when a byte was read; keeps fileCopy.sourcePosition up to date.
bool readSourceByte(std::int64_t offset);

// The largest sector the copy works with; a larger sectorSize is taken as this.
inline constexpr std::int64_t kLargestSectorBytes = 1 << 20;

// Returns sectorSize as the copy uses it: from 1 to kLargestSectorBytes; when the user did not
// set it, the unit of the source's medium (mediumSectorBytes()).
std::int64_t sectorBytes();

// Returns true when the byte at `offset` is given up unread: it lies after a byte of its sector
// that failed every read.
bool isGivenUp(std::int64_t offset);

// Adds the byte at `offset` to fileCopy.badRanges (it is given up as unreadable).
void noteBadByte(std::int64_t offset);

// Draws a substitute for an unreadable byte from copyRandom into fileCopy.dataByte, counts it in
// fileCopy.unreadableBytes and sets fileCopy.copyFailed when haltOnFirstError is set.
void substituteUnreadableByte();

// The retries of fileCopy.dataByte after a failed first write: up to writeDepth more writes at the
// same place. Returns true when one wrote the byte.
bool retryDestinationByte();

// Writes fileCopy.dataByte at the destination's position, retrying up to writeDepth times at the
// same place. Returns true when the byte was written.
bool writeDestinationByte();

// Flushes the destination, then reads the byte at `offset` back from the medium depthVerify times
// into fileCopy.checkByte (each time its whole sector); counts it in fileBytesVerified when the
// last read delivered fileCopy.dataByte.
void verifyWrittenByte(std::int64_t offset);

// Copies the byte at `offset`: read (or substitute, unread when it is given up), write, verify,
// show progress. Updates the
// three counters and sets fileCopy.copyFailed when the copy is to stop after this byte.
void copyByteAt(std::int64_t offset);

// The rest of copyByteAt once the byte at `offset` has been read into fileCopy.dataByte (`read`)
// or given up: counts or substitutes it, writes, verifies and shows progress. A byte given up
// gives up the rest of its sector too (fileCopy.givenUpUntil).
void finishByteAt(std::int64_t offset, bool read);

// A source that is gone or has shrunk (copy/copy_source_gone.cpp) ------------------------------

// Called after a read of the source at `offset` (the first byte it was to deliver) failed or
// delivered nothing, with the read's last error still in place. Decides whether the source is
// gone (the last error, or that of GetFileSizeEx on fileCopy.source, says the file or its device
// is gone) or has shrunk to `offset` bytes or fewer. If so, gives up every byte from `offset` to
// currentSize (fileCopy.goneFrom := `offset`, so that the copy counts, substitutes and
// writes each of them as unreadable without reading it), writes the notice "source gone at
// NNNbytes" or "source shrank to NNNbytes" (the new size) and returns true; any read that
// follows is to stop at once. Returns false for a read that failed on a bad spot, which is
// retried as usual. Returns true without a second notice when `offset` is given up already.
bool sourceGoneAfterFailedRead(std::int64_t offset);

// Copies the bytes given up unread from `offset` (a byte given up) to fileCopy.givenUpUntil (from
// fileCopy.goneFrom on, to the end of the file), at most to `limit`, or until the copy fails, with
// every result the byte steps give for each of them (a substitute drawn from copyRandom, counted in
// fileCopy.unreadableBytes, written with retries, read back when verifyData is set,
// haltOnFirstError and write failures as there), but written and read back in blocks: the rest of a
// source that has gone may be many megabytes. Returns the offset after the last byte copied.
std::int64_t copyGivenUpStretch(std::int64_t offset, std::int64_t limit);

// Blocks over healthy stretches (copy/copy_blocks.cpp, copy/copy_block_verify.cpp) --------------

// The block sizes and the way of copying are set in copy/copy_knobs.h, which only the copy's own
// files, tests and benchmarks include.

// Reads the source bytes start..end-1 through the cache in one call, into a buffer kept from file
// to file (valid until the next call), and points `data` at them. Returns how many arrived: fewer
// at the end of the file or before a spot that cannot be read, none when the read failed (then
// *`failed`, when given, is set). Keeps fileCopy.sourcePosition.
std::int64_t readThroughCache(std::int64_t start, std::int64_t end, const std::uint8_t*& data,
                              bool* failed = nullptr);

// Writes `data` (the bytes first..end-1) at the destination's position in as few calls as the
// destination takes. A call that stops at a byte was that byte's first attempt; the byte is then
// retried alone up to writeDepth times, as the byte steps would. Returns `end`, or the offset of
// a byte that could not be written (bytes before it are written, none after it).
std::int64_t writeBlock(std::int64_t first, std::int64_t end, const std::uint8_t* data);

// Copies the source from offset 0 to currentSize - 1 (or until the copy fails): blocks where the
// source reads whole, the byte steps from the first byte of a stretch that does not. Every result
// (counters, destination bytes, texts, log entries, draws from copyRandom, the single-byte reads
// of each failing byte) is the one the byte steps alone give.
void copyAllBytesInBlocks();

// Flushes the destination, then reads the bytes first..end-1 back from the medium depthVerify
// times, with the results the byte steps give, and sets `verified`[i] to whether byte first + i
// counts as verified. Returns true when every byte counts as verified.
bool verifyWrittenBlock(std::int64_t first, std::int64_t end, const std::uint8_t* written,
                        std::vector<std::uint8_t>& verified);

// Copies the new bytes first..end-1 that arrived whole in `data`: writes them, reads them back
// when verifyData is set, counts and shows them, as the byte steps would one by one. A byte that
// cannot be written ends the copy there with the byte steps' report.
void copyArrivedBytes(std::int64_t first, std::int64_t end, const std::uint8_t* data);

// Failed stretches past the cache (copy/copy_source_sectors.cpp, copy/copy_failed_stretch.cpp) ----

// Examines the source's medium once per copy: the kind and sector size of its volume, and a
// second handle on the source opened with FILE_FLAG_NO_BUFFERING (fileCopy.unbufferedSource).
void examineSourceMedium();

// Returns the unit in which the source's medium fails: 1 where no disk lies under its file system
// (a network or FUSE file system may fail in any unit), the volume's sector where reads past the
// cache work, else the system's page size (reads through the cache fail in whole pages).
std::int64_t mediumSectorBytes();

// Returns true when failed stretches are read past the cache, in whole sectors of the source's
// volume: it lies on a disk, the unbuffered handle is open and sectorBytes() is a multiple of the
// volume's sector.
bool readsFailedStretchesBySector();

// Reads the volume sector holding the source byte at `offset` once, past the cache. Returns how
// many bytes from `offset` arrived (0 when the read failed) and points `data` at the first. A read
// refused by the file system (ERROR_INVALID_PARAMETER) closes the unbuffered handle.
std::int64_t readSourceSectorOnce(std::int64_t offset, const std::uint8_t*& data);

// Copies the bytes first..end-1 of a stretch whose read through the cache failed, with the results
// the byte steps give: each byte's first read and its retries are reads of its volume sector past
// the cache (readsLeft() of them), and every byte such a read delivers is copied as read. Returns
// the offset reached: `end`, or less when the copy failed or the unbuffered reads were refused
// (the rest is then read through the cache).
std::int64_t copyFailedStretch(std::int64_t first, std::int64_t end);

// Counts a failed read of `length` bytes aimed at the byte at `offset` (a read that began there
// and delivered nothing), so that its retries make at most readDepth + 1 reads in all.
void noteFailedRead(std::int64_t offset, std::int64_t length);

// Returns true when a read aimed at the byte at `offset` (past the cache, at its sector) failed.
bool readFailedAt(std::int64_t offset);

// Returns how many reads the byte at `offset` has left: readDepth + 1 less its failed reads, but
// one when none of them was of its own unit (a volume sector past the cache, else one byte).
std::int64_t readsLeft(std::int64_t offset);

// Closes the unbuffered handle on the source, if the copy has one.
void closeUnbufferedSource();

// Reads the source bytes start..end-1 past the cache in one call (`start` a multiple of the
// volume's sector). Returns how many arrived from `start` (0 when the read failed or was refused)
// and points `data` at the first.
std::int64_t readSourcePastCache(std::int64_t start, std::int64_t end, const std::uint8_t*& data);

// The copy in phases (copy/copy_phases.cpp, copy/copy_map_file.cpp) ------------------------------

// Copies the source in the order that saves every readable byte before a bad area is retried:
// blocks front to back, skipping past reads that fail; then the edges of each area left, sector by
// sector; then what is left, in file order, with the byte steps' retries and substitutes. Every
// result on a medium whose reads always give the same answer is the byte steps'.
void copyAllBytesInPhases();

// Gives the bytes start..end-1 the state `state` in fileCopy.map.
void markMap(std::int64_t start, std::int64_t end, RangeState state);

// Returns the map's name for the temporary file `temporary`: kPartSuffix becomes kMapSuffix.
std::string mapFileOf(const std::string& temporary);

// Writes the map beside the temporary file, when `now` or when it changed and a few seconds have
// passed since it was last written; flushes the copy first. Returns true when the map on disk is
// the one in memory.
bool writeMapFile(bool now);

// Ends the map of a copy: removed when the copy got its real name (`renamed`), or kept under the
// real name + ".sorvel-map" when saveDamageMap is set and bytes were unreadable.
void finishMapFile(bool renamed);

// Returns, in decimal, the source's last-write time as its open handle tells it; empty when it
// cannot be told.
std::string sourceTimeText();

// An interrupted copy (copy/copy_resume.cpp) ----------------------------------------------------

// Looks for the temporary file of an earlier, interrupted copy of this source (the same size and
// last-write time) with its map. When one is found, opens it (fileCopy.destination), takes its map
// (ranges done stay done; ranges given up are to be retried), counts the bytes it holds in the
// three counters, writes the notice "resumed at NNNbytes" and returns true. A temporary file whose
// map is missing, unreadable or names another source is left alone. Otherwise returns false, with
// the first free temporary name's number in fileCopy.freeTemporaryName when it met one.
bool resumeInterruptedCopy();

// Keeps the copy under its temporary name after a byte could not be written, with a map of what
// it holds, so that a later run goes on from it; on a full disk it gives back its last bytes until
// the map fits, and removes a copy that holds nothing. Returns false when no map could be
// written: the copy then takes its real name as it is.
bool keepForResume();

// Copies the ranges of the map that are left to retry, in file order (the retry phase of
// copyAllBytesInPhases), showing "Retrying bad areas of NAME" in stateLine2 meanwhile.
void retryPhase();

// Read-back past the system's cache (copy/copy_read_back.cpp) ------------------------------------

// Flushes what was written to the destination to the medium, before it is read back; opens the
// read-back handle (fileCopy.readBack, FILE_FLAG_NO_BUFFERING) when the copy has none yet.
void flushWrittenBytes();

// Returns true when `bytes` is a power of two from 1 to kLargestSectorBytes: a sector size a
// volume may tell.
bool plausibleSector(std::int64_t bytes);

// Returns an address in `storage` aligned to `sector` and at least to a memory page, with `bytes`
// bytes after it; valid until `storage` is used again.
std::uint8_t* alignedBuffer(std::vector<std::uint8_t>& storage, std::int64_t bytes,
                            std::int64_t sector);

// Returns the sector size of the destination's volume, in which the read-back reads.
std::int64_t readBackSectorBytes();

// Returns a sector-aligned buffer of at least `bytes` bytes, valid until the next call.
std::uint8_t* readBackBuffer(std::int64_t bytes);

// Reads the destination from `start` up to `limit` (both multiples of readBackSectorBytes(), as
// is the address `into`) in one call through the read-back handle. Returns how many bytes arrived
// (fewer at the end of the file or before a spot that cannot be read, none when the read failed).
std::int64_t readBackSectors(std::uint8_t* into, std::int64_t start, std::int64_t limit);

// Reads the sector holding the destination byte at `offset` once; returns true and sets `byte`
// when the read delivered that byte.
bool readBackByte(std::int64_t offset, std::uint8_t& byte);

// Closes the read-back handle, if the copy has one.
void closeReadBackFile();

// Progress (copy/copy_progress.cpp) --------------------------------------------------------------

// Returns bytesRead * 100 / size rounded down, exact for every 64-bit size (100 when bytesRead is
// size or more, 0 when size is not above 0).
std::uint8_t percentRead(std::int64_t bytesRead, std::int64_t size);

// Returns the percentage text: "45%", or with printDetail "45% of 12345bytes" (N = currentSize).
ShortText percentText(std::uint8_t percent);

// When printProgress is set and the whole percentage of fileBytesRead has risen above
// fileCopy.lastPercent: records it and shows it in stateLine3, the title and the progress bar.
void showProgress();

// Returns the value of fileBytesRead at which the whole percentage next rises above
// fileCopy.lastPercent (above fileBytesRead, at most currentSize), or -1 when it cannot rise.
std::int64_t nextRiseOfPercentage();

// Shows the percentage of the bytes counted so far (of a copy that goes on from an earlier one) at
// once: in stateLine3 and the title, and on a bar filled up to it; clears the bar first.
void showProgressSoFar();

// Clears the progress bar to white.
void clearProgressBar();

// Paints the whole progress bar dark blue.
void fillProgressBar();

// Reports (copy/copy_report.cpp) -----------------------------------------------------------------

// Returns "Copy " + the quoted, HTML-escaped currentName + `tail`, the text of an error entry.
ShortText copyErrorText(std::string_view tail);

// Reports a source that could not be opened after every attempt (console and error entry).
void reportUnopenableSource();

// Reports a destination that could not be created (console and error entry).
void reportUncreatableDestination();

// Reports a byte that could not be written after every retry (console and error entry).
void reportUnwritableByte();

// Reports a destination that could not be closed after every retry (console and error entry).
void reportUnclosableDestination();

// Writes the summary entries of the copy into the log, from the counters and fileCopy.
void writeSummary();

// Writes the result line of the copy into the result box.
void writeResultLine();
