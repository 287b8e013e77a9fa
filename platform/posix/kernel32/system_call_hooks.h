// A second table of test hooks, for failures that only the system calls under a Win32 call can
// raise: a read refused with an errno (a device that has gone, O_DIRECT refused at the read), a
// stat that fails (a damaged inode), a rename that offers no RENAME_NOREPLACE, a file system that
// refuses hard links, a flush that fails. The layer answers such an errno exactly as it answers the
// real one, so these hooks test its own handling of them. As with fault_hooks.h, the program
// installs no table, and each hooked call costs one atomic load of a null pointer.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace kernel32 {

// What the system calls of one read may do: read at most `length` bytes, or, when `error` is not
// 0, fail at once with that errno.
struct SystemReadPlan {
  std::uint32_t length;
  int error;
};

// Paths are absolute and lexically normal (see paths.h). A hook that returns an errno other than
// 0 makes the system call fail with it before it is made.
struct SystemCallHooks {
  // Every read of `path` at `offset` of `length` bytes; `direct` when the descriptor bypasses the
  // page cache (O_DIRECT).
  SystemReadPlan (*onRead)(const std::string& path, std::int64_t offset, std::uint32_t length,
                           bool direct);
  int (*onRenameNoReplace)(const std::string& to);  // renameat2 with RENAME_NOREPLACE
  int (*onLink)(const std::string& to);             // link, the no-replace rename's fallback
  int (*onFlush)(const std::string& path);          // the fsync of FlushFileBuffers
  int (*onStat)(const std::string& path);           // the stat of an entry by name
};

extern std::atomic<const SystemCallHooks*> installedSystemCallHooks;

// Installs `hooks` (nullptr: none) for every later call, on every thread.
inline void installSystemCallHooks(const SystemCallHooks* hooks) {
  installedSystemCallHooks.store(hooks, std::memory_order_release);
}

// The installed hooks, or nullptr: the state of the program.
inline const SystemCallHooks* systemCallHooks() {
  return installedSystemCallHooks.load(std::memory_order_acquire);
}

}  // namespace kernel32
