// The current display driver: the null driver until a driver installs its hooks.
#include "platform/posix/driver/driver.h"

namespace driver {
namespace {
Hooks currentHooks;
}

// Returns the hooks in force.
const Hooks& current() { return currentHooks; }

// Copies `hooks` into the driver table.
void install(const Hooks& hooks) { currentHooks = hooks; }

}  // namespace driver
