// The hook table's slot: empty unless a test library installs its table.
#include "platform/posix/kernel32/fault_hooks.h"

namespace kernel32 {

std::atomic<const FaultHooks*> installedFaultHooks{nullptr};

}  // namespace kernel32
