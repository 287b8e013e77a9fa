// The slot of the system call hook table: empty unless a test library installs its table.
#include "platform/posix/kernel32/system_call_hooks.h"

namespace kernel32 {

std::atomic<const SystemCallHooks*> installedSystemCallHooks{nullptr};

}  // namespace kernel32
