// GetTickCount: milliseconds of the monotonic clock, wrapping at 2^32 as on Windows.
#include <time.h>

#include <cstdint>

#include "platform/winapi.h"

DWORD WINAPI GetTickCount(void) {
  struct timespec now {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::uint64_t milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                               static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<DWORD>(milliseconds);
}
