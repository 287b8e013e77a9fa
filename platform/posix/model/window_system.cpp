// Resetting the whole window system.
#include "platform/posix/model/window_system.h"

#include "platform/posix/model/window_model.h"

namespace model {

// Destroys, forgets and empties everything; see window_system.h.
void resetWindowSystem() {
  destroyAllWindows();
  unregisterAllClasses();
  resetGdi();
  resetPickers();
  resetQueue();
}

}  // namespace model
