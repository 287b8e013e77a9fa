// The calling thread's last-error code, as GetLastError and SetLastError keep it on Windows.
#include "platform/winapi.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

DWORD WINAPI GetLastError(void) { return lastError; }

void WINAPI SetLastError(DWORD error) { lastError = error; }
