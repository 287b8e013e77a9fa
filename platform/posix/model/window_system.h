// The window system as a whole, for test drivers.
#pragma once

namespace model {

// Returns the window system to its state at process start: destroys every window (WM_DESTROY
// and WM_NCDESTROY are sent as by DestroyWindow), forgets the program's classes, deletes font
// objects, device contexts and the folder browser's item lists, and empties the calling
// thread's message queue, WM_QUIT included. The display driver stays installed.
void resetWindowSystem();

}  // namespace model
