// The places where the kernel32 calls consult the test fault layer (faults.h). Each call first
// tests active(), one relaxed atomic load, and only then calls a hook.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/posix/kernel32/faults.h"
#include "platform/winapi.h"

namespace faults::hooks {

extern std::atomic<bool> armed;

// Returns true when a test has armed a fault, counting or a fixed clock.
inline bool active() { return armed.load(std::memory_order_relaxed); }

// Counts a CreateFileA on `path` and returns the error it must fail with, if any.
std::optional<DWORD> onOpen(const std::string& path);

// Counts a CloseHandle on a handle of `path` and returns the error it must fail with, if any.
std::optional<DWORD> onClose(const std::string& path);

// Returns the error a CreateDirectoryA on `path` must fail with, if any.
std::optional<DWORD> onCreateDirectory(const std::string& path);

// What a ReadFile of `length` bytes at `offset` may do: read `length` bytes (at most the asked
// length), or fail at once as `how` says.
struct ReadPlan {
  std::uint32_t length;
  bool fails;
  ReadFailure how;
};
ReadPlan onRead(const std::string& path, std::int64_t offset, std::uint32_t length);

// Inverts the bits of the bytes of `buffer` (`count` bytes read at `offset` of `path`) that a
// test made read back wrong.
void corruptDelivered(const std::string& path, std::int64_t offset, void* buffer,
                      std::uint32_t count);

// What a WriteFile of `length` bytes at `offset` may do: write `length` bytes, then fail with
// `error` when `fails` is set.
struct WritePlan {
  std::uint32_t length;
  bool fails;
  DWORD error;
};
WritePlan onWrite(const std::string& path, std::int64_t offset, std::uint32_t length);

// Returns the time a test fixed for GetLocalTime, if any.
std::optional<SYSTEMTIME> fixedLocalTime();

}  // namespace faults::hooks
