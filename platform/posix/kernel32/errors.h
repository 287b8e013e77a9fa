// How the POSIX kernel32 layer reports failures: every failing call turns its errno into the
// Win32 error code through one table and stores it with SetLastError.
#pragma once

#include <string>

#include "platform/winapi.h"

// Win32 error codes the layer reports that the program never names.
#ifndef ERROR_BAD_FORMAT
#define ERROR_BAD_FORMAT 11L
#endif
#ifndef ERROR_NOT_SAME_DEVICE
#define ERROR_NOT_SAME_DEVICE 17L
#endif
#ifndef ERROR_MOD_NOT_FOUND
#define ERROR_MOD_NOT_FOUND 126L
#endif

namespace kernel32 {

// Returns the Win32 error code that stands for `error` (an errno value).
DWORD win32ErrorFromErrno(int error);

// Sets the last error to `error` and returns FALSE, for one-line failure returns.
BOOL failWith(DWORD error);

// Sets the last error to `error` and returns INVALID_HANDLE_VALUE, for calls that return handles.
HANDLE failHandle(DWORD error);

// Sets the last error from errno value `error` through the table and returns FALSE.
BOOL failWithErrno(int error);

// Returns the Win32 error for errno value `error` raised by an operation on `path`. Windows tells
// a missing entry in an existing folder (ERROR_FILE_NOT_FOUND) from a path whose folder is
// missing (ERROR_PATH_NOT_FOUND); POSIX reports both as ENOENT, so the folder part is examined.
DWORD win32ErrorForPath(int error, const std::string& path);

// Sets the last error as win32ErrorForPath does and returns FALSE. For a missing entry of an
// absolute path the folder is examined only when the error is asked for (GetLastError) or before
// a call that may create or remove a folder (settleMissingEntryError): a program that checks for
// a file that is not there, as a copy does for each destination, spares a system call.
BOOL failWithErrnoForPath(int error, const std::string& path);

// As failWithErrnoForPath, returning INVALID_HANDLE_VALUE.
HANDLE failHandleForPath(int error, const std::string& path);

// Sets the last error to that of the missing entry `path`, to be told apart as win32ErrorForPath
// does when it is asked for. Any later SetLastError replaces it.
void setMissingEntryError(std::string path);

// Examines the folder of a missing entry whose error is still to be told apart, now. Called by
// GetLastError and before any call that may create or remove a folder.
void settleMissingEntryError();

}  // namespace kernel32
