// Keeps a display driver's screen in step with the model at the pace of the eye, and alive while
// the program's thread waits in the file system.
//
// Frames. During a copy the program asks to see the screen thousands of times a second (every
// file's name, state lines, bar and result line). No eye sees a frame that lasts less than a
// sixtieth of a second, so a request shows a frame only when the last one is at least a frame old;
// otherwise the frame is left pending, with every change of the model kept, and shown by the next
// request that is due, by the keeper once it is due (see below), or when the driver shows the
// screen unpaced (before its loop waits, before a dialog).
//
// Blocking calls. The program's thread holds the display. When it goes into a call that may block
// (kernel32::BlockingCall) it lets go, and takes the display again when the call is over. A
// keeper thread looks once a frame: while the program's thread is inside a call, it takes the
// display to show a pending frame that is due; when the same call has lasted a whole frame (a
// read of a bad sector takes from a tenth of a second to half a minute), it keeps the display and
// serves the display's events (exposes are repainted, the user's input is refused by the driver)
// until the call is over. So one thread at a time touches the display and the model, and the
// program's thread finds both as it left them. The cost of a call that does not block is two
// atomic operations and an uncontended lock.
#pragma once

#include <chrono>

namespace display_keeper {

using Clock = std::chrono::steady_clock;

// No more than this many frames a second reach the screen.
constexpr int kFramesPerSecond = 60;
constexpr Clock::duration kFrame = std::chrono::microseconds(1000000 / kFramesPerSecond);

// When frames are due: at most one per `interval`. Pure bookkeeping, given the time. The keeper
// gives it the time of its last look, which moves on once a frame, so that a request costs no
// reading of the clock.
class FramePacer {
 public:
  explicit FramePacer(Clock::duration interval = kFrame) : interval_(interval) {}

  // The screen should follow the model at `now`. True when a frame is due and should be shown
  // now (then call shown); false when it is left pending.
  bool request(Clock::time_point now);

  // A frame was shown at `now`: nothing is pending any more.
  void shown(Clock::time_point now);

  // True when a frame is pending and due at `now`.
  bool pendingDue(Clock::time_point now) const;

  bool pending() const { return pending_; }

 private:
  Clock::duration interval_;
  bool shownOnce_ = false;
  Clock::time_point lastShown_{};
  bool pending_ = false;
};

// What the keeper does with the screen; every function is called by the thread that holds the
// display.
struct Screen {
  // Brings the screen up to date with the model.
  void (*showFrame)();
  // The program's thread is inside a call that has lasted a frame: serve the display's events
  // for at most `seconds`, returning early when wake is called.
  void (*serveEvents)(double seconds);
  // Called by the program's thread, without the display, when its call is over while the keeper
  // serves: ends serveEvents early. Must be safe to call from any thread.
  void (*wake)();
};

// Starts keeping `screen`, with frames of `frame`: the calling thread (the program's) holds the
// display from now on, the keeper thread starts, and the blocking calls of kernel32 are observed.
// Call once.
void start(const Screen& screen, Clock::duration frame = kFrame);

// The program's thread asks to see the screen now: shows a frame when one is due, otherwise
// leaves it pending.
void requestFrame();

// The program's thread shows a frame now, whatever the pace (the loop is about to wait, a dialog
// comes up).
void showFrameNow();

// What the keeper thread did so far, for tests.
struct Counts {
  long framesShown;  // by either thread
  long callsServed;  // calls during which the keeper served the display's events
};
Counts counts();

}  // namespace display_keeper
