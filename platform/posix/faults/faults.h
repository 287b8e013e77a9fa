// Fault injection and call counting for tests of the POSIX kernel32 layer.
//
// A test makes chosen kernel32 calls on a chosen path fail, and counts the calls that were made,
// without any change to the code under test. This library is linked into tests and benchmarks
// only: while it is armed it installs its table of kernel32 hooks (fault_hooks.h), and the
// program, which never links it, has none.
//
// Paths. A path given here and the path a program passes to CreateFileA / CreateDirectoryA are
// both made absolute (a relative path against the current folder at the time of the call) and
// lexically normal ("//" and "/./" collapsed, "name/.." removed, no trailing "/"); symbolic links
// are not resolved. Two paths match when these forms are equal byte for byte. A fault or count
// belongs to the path, so it applies to every handle opened on that path, except a handle opened
// by a relative path while nothing was armed: that one never knew its absolute path.
//
// Cost. Nothing is looked up or recorded while the layer is disarmed: each hooked call first reads
// the installed hook table, a null pointer. Any fail...() call, setLocalTime(), reset() and
// startCounting() arm the layer; disarm() returns it to the state of a program that never used it.
// Counts are only recorded while the layer is armed, so a test that wants counts calls reset() (or
// startCounting()) before the calls it counts.
//
// Ranges. A ReadFile or WriteFile call covers the bytes from the handle's position up to the
// position plus the requested length (the requested range, also past the end of the file).
//   - Reads: a read stops at the first failing byte it covers. A read that starts on a failing
//     byte fails as the fault says (ReadFailure::error: FALSE with ERROR_CRC and 0 bytes;
//     ReadFailure::noByte: TRUE with 0 bytes), leaves the position where it was, and uses up one
//     of that byte's failures. A read that reaches a failing byte later delivers the bytes before
//     it (TRUE, a short count), moves the position to the failing byte, and uses up nothing.
//   - Writes: a write that covers a failing byte writes the bytes before it, then fails with the
//     fault's error (FALSE, the number of bytes written reported), and uses up one failure.
//   - `times` counts per byte: with failReadRange(p, 10, 19, 2) each of the ten bytes fails its
//     first two reads. -1 means always. Several faults on one byte are used up in arming order.
//   - Unbuffered reads (a handle opened with FILE_FLAG_NO_BUFFERING) reach the medium in whole
//     sectors, and a disk fails such a request whole: a read that covers a byte that still fails
//     delivers nothing, fails as the first such byte's fault says, leaves the position where it
//     was, and uses up one failure of every failing byte it covers.
//   - Long reads (failLongReads): a ReadFile that asks for more than one byte fails as a whole
//     (FALSE with ERROR_CRC, 0 bytes, the position unchanged) whatever bytes it covers, as a driver
//     may give up a long read over a bad area; it uses up no failure of any byte.
//   - Wrong bytes (corruptReadRange): every read that delivers a byte of the range delivers it
//     with its bits inverted. Such a read is neither shortened nor failed, and nothing is used up,
//     so the byte reads back wrong however it is read: alone, inside a longer read, or again.
#pragma once

#include <cstdint>
#include <string>

#include "platform/posix/kernel32/fault_hooks.h"
#include "platform/winapi.h"

namespace faults {

// Removes every fault, zeroes every count, returns GetLocalTime to the real clock, and arms
// counting for the test that follows.
void reset();

// Removes every fault and count and stops recording: hooked calls cost one pointer load again.
void disarm();

// Arms counting without changing any fault.
void startCounting();

// The exit code of a process ended by endProcessAtWrite.
inline constexpr int kEndedByFaultLayer = 86;

// The process ends (_exit(kEndedByFaultLayer)) at the WriteFile call that follows `count` others,
// on any file, before it writes: nothing is flushed or closed, as when the program is killed.
void endProcessAtWrite(std::int64_t count);

// The WriteFile calls since the last reset, on every file.
std::int64_t writeCalls();

// How a failing read ends: ReadFailure::error or ReadFailure::noByte.
using ReadFailure = kernel32::ReadFailure;

// The first `count` CreateFileA calls on `path` fail with `error`; nothing is opened or created.
void failOpens(const std::string& path, int count, DWORD error = ERROR_ACCESS_DENIED);

// Reads of the byte at `offset` of `path` fail their first `times` attempts (-1: always).
void failReads(const std::string& path, std::int64_t offset, int times,
               ReadFailure how = ReadFailure::error);

// Reads of each byte from `first` to `last` (both included) fail their first `times` attempts.
void failReadRange(const std::string& path, std::int64_t first, std::int64_t last, int times,
                   ReadFailure how = ReadFailure::error);

// The first `count` ReadFile calls on `path` that ask for more than one byte fail with ERROR_CRC
// and read nothing (-1: every such call), before any byte fault is looked at.
void failLongReads(const std::string& path, int count);

// Reads of `path` through a handle opened with FILE_FLAG_NO_BUFFERING fail with
// ERROR_INVALID_PARAMETER, although the open succeeded (a file system that takes O_DIRECT at the
// open and refuses the reads).
void refuseUnbufferedReads(const std::string& path);

// Every read of `path` that delivers a byte from `first` to `last` (both included) delivers it
// with its bits inverted (a medium that does not hold what was written there).
void corruptReadRange(const std::string& path, std::int64_t first, std::int64_t last);

// Writes covering the byte at `offset` of `path` fail their first `times` attempts (-1: always).
void failWrites(const std::string& path, std::int64_t offset, int times,
                DWORD error = ERROR_WRITE_FAULT);

// The first `count` CloseHandle calls on handles of `path` fail with `error`. The handle stays
// open and valid, so a later CloseHandle can succeed.
void failCloses(const std::string& path, int count, DWORD error = ERROR_WRITE_FAULT);

// The first `count` CreateDirectoryA calls on `path` fail with `error`; nothing is created.
void failCreateDirectory(const std::string& path, int count, DWORD error = ERROR_ACCESS_DENIED);

// The first `count` directory searches with a wildcard in the folder `path` fail with `error`, as
// a folder that cannot be listed does; a search for one named entry still finds it.
void failListing(const std::string& path, int count, DWORD error = ERROR_ACCESS_DENIED);

// The directory search and GetFileAttributesA report `attributes` for `path`, as a medium whose
// attributes the POSIX file system cannot hold would (a folder marked read-only, hidden and
// system). Nothing else about the entry changes.
void reportAttributes(const std::string& path, DWORD attributes);

// CreateFileA calls on `path`, failed ones included.
std::int64_t opens(const std::string& path);

// CloseHandle calls on handles of `path`, failed ones included.
std::int64_t closes(const std::string& path);

// ReadFile calls on handles of `path` opened with FILE_FLAG_NO_BUFFERING.
std::int64_t unbufferedReads(const std::string& path);

// ReadFile calls on handles of `path` whose requested range covered the byte at `offset`.
std::int64_t readsAt(const std::string& path, std::int64_t offset);

// Of readsAt(path, offset), the calls that asked for exactly one byte.
std::int64_t singleByteReadsAt(const std::string& path, std::int64_t offset);

// WriteFile calls on handles of `path` whose requested range covered the byte at `offset`.
std::int64_t writesAt(const std::string& path, std::int64_t offset);

// GetLocalTime returns `fixed` (unchanged, the clock stands still) until reset() or
// useRealClock().
void setLocalTime(const SYSTEMTIME& fixed);

// GetLocalTime reads the real clock again.
void useRealClock();

}  // namespace faults
