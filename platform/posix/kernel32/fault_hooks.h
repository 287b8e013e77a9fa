// The points where the kernel32 calls let a test library change their outcome: a table of hooks
// that a test installs and the program never does. With no table installed each point costs one
// atomic load of a null pointer, and the program contains no fault of its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/winapi.h"

namespace kernel32 {

// How a read that a hook makes fail ends.
enum class ReadFailure {
  error,    // ReadFile returns FALSE, GetLastError gives ERROR_CRC, 0 bytes read
  noByte,   // ReadFile returns TRUE with 0 bytes read
  invalid,  // ReadFile returns FALSE, GetLastError gives ERROR_INVALID_PARAMETER, 0 bytes read: a
            // file system that accepted an unbuffered open refuses its reads
};

// What a ReadFile of a length at an offset may do: read `length` bytes (at most the asked
// length), or fail at once as `how` says.
struct ReadPlan {
  std::uint32_t length;
  bool fails;
  ReadFailure how;
};

// What a WriteFile of a length at an offset may do: write `length` bytes, then fail with `error`
// when `fails` is set.
struct WritePlan {
  std::uint32_t length;
  bool fails;
  DWORD error;
};

// Paths are absolute and lexically normal (see paths.h). A hook that returns an error makes the
// call fail with it before anything is done.
struct FaultHooks {
  std::optional<DWORD> (*onOpen)(const std::string& path);   // every CreateFileA
  std::optional<DWORD> (*onClose)(const std::string& path);  // every CloseHandle of a file
  std::optional<DWORD> (*onCreateDirectory)(const std::string& path);
  // `unbufferedSector` is the sector size of a handle opened with FILE_FLAG_NO_BUFFERING, 0 for
  // a read through the cache.
  ReadPlan (*onRead)(const std::string& path, std::int64_t offset, std::uint32_t length,
                     std::uint32_t unbufferedSector);
  // Changes the `count` bytes read at `offset` of `path` into what the medium delivers.
  void (*corruptDelivered)(const std::string& path, std::int64_t offset, void* buffer,
                           std::uint32_t count);
  WritePlan (*onWrite)(const std::string& path, std::int64_t offset, std::uint32_t length);
  std::optional<SYSTEMTIME> (*fixedLocalTime)();  // the time GetLocalTime gives, if fixed
  // The attributes the directory search and GetFileAttributesA report for `path`, if fixed.
  std::optional<DWORD> (*reportedAttributes)(const std::string& path);
  // Every listing of the folder `path` by a directory search with a wildcard.
  std::optional<DWORD> (*onListFolder)(const std::string& path);
};

extern std::atomic<const FaultHooks*> installedFaultHooks;

// Installs `hooks` (nullptr: none) for every later call, on every thread.
inline void installFaultHooks(const FaultHooks* hooks) {
  installedFaultHooks.store(hooks, std::memory_order_release);
}

// The installed hooks, or nullptr: the state of the program.
inline const FaultHooks* faultHooks() {
  return installedFaultHooks.load(std::memory_order_acquire);
}

}  // namespace kernel32
