// The frame pacer and the keeper thread. The display is a mutex: the program's thread holds it
// except inside a blocking call; the keeper thread takes it only with try_lock while the program's
// thread is inside one, so the program's thread never waits for the keeper longer than one frame
// shown or one round of the display's events. The keeper's state lives until the process ends:
// the thread is never joined, and nothing it uses is ever destroyed.
#include "platform/posix/driver/display_keeper.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/posix/kernel32/blocking_call.h"

namespace display_keeper {

bool FramePacer::request(Clock::time_point now) {
  if (!shownOnce_ || now - lastShown_ >= interval_) return true;
  pending_ = true;
  return false;
}

void FramePacer::shown(Clock::time_point now) {
  shownOnce_ = true;
  lastShown_ = now;
  pending_ = false;
}

bool FramePacer::pendingDue(Clock::time_point now) const {
  return pending_ && now - lastShown_ >= interval_;
}

namespace {

struct Keeper {
  Screen screen{};
  Clock::duration frame = kFrame;
  // Held by the thread that may touch the display and the model.
  std::mutex display;
  // Only with `display` held:
  FramePacer pacer;
  long framesShown = 0;
  long callsServed = 0;
  // The program's thread is inside a blocking call; `call` numbers the calls, so that the keeper
  // tells one call that lasts from two calls in a row. Written by the program's thread only.
  std::atomic<bool> inCall{false};
  std::atomic<std::uint64_t> call{0};
  // The keeper serves the display's events and must be woken when the call is over.
  std::atomic<bool> serving{false};
  // The time as the keeper read it at its last look, once a frame: the program's thread paces
  // its frames by it without reading the clock, thousands of times a second, itself.
  std::atomic<Clock::rep> lastLook{0};
};

Keeper* keeper = nullptr;

// The time of the keeper's last look.
Clock::time_point lookTime() {
  return Clock::time_point(Clock::duration(keeper->lastLook.load(std::memory_order_relaxed)));
}

// Notes the time of a look.
void look() {
  keeper->lastLook.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
}

// Shows a frame; the caller holds the display.
void show() {
  keeper->screen.showFrame();
  keeper->pacer.shown(lookTime());
  ++keeper->framesShown;
}

// The program's thread goes into a blocking call: it lets the display go.
void enterCall() {
  keeper->call.store(keeper->call.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  keeper->inCall.store(true, std::memory_order_release);
  keeper->display.unlock();
}

// The call is over: the program's thread takes the display back, waking the keeper first if it
// serves. inCall is cleared before serving is read, and the keeper sets serving before it reads
// inCall (both sequentially consistent), so at least one of the two sees the other.
void leaveCall() {
  keeper->inCall.store(false);
  if (keeper->serving.load()) keeper->screen.wake();
  keeper->display.lock();
}

const kernel32::BlockingCallObserver observer{enterCall, leaveCall};

// True while the program's thread is still inside the call numbered `call`.
bool stillInCall(std::uint64_t call) {
  return keeper->inCall.load() && keeper->call.load(std::memory_order_relaxed) == call;
}

// Serves the display's events until the call numbered `call` is over; the keeper holds the
// display.
void serve(std::uint64_t call) {
  ++keeper->callsServed;
  keeper->serving.store(true);
  const double seconds = std::chrono::duration<double>(keeper->frame).count();
  while (stillInCall(call)) keeper->screen.serveEvents(seconds);
  keeper->serving.store(false);
}

// The keeper thread: once a frame, looks at the program's thread.
void keep() {
  bool watching = false;
  std::uint64_t watched = 0;
  for (;;) {
    std::this_thread::sleep_for(keeper->frame);
    look();
    if (!keeper->inCall.load(std::memory_order_acquire)) {
      watching = false;
      continue;
    }
    const std::uint64_t call = keeper->call.load(std::memory_order_relaxed);
    const bool lasting = watching && watched == call;
    watching = true;
    watched = call;
    if (!keeper->display.try_lock()) continue;
    // The call may have ended, and another begun, before the display was taken.
    if (stillInCall(call)) {
      if (keeper->pacer.pendingDue(lookTime())) show();
      if (lasting) serve(call);
    }
    keeper->display.unlock();
  }
}

}  // namespace

void start(const Screen& screen, Clock::duration frame) {
  keeper = new Keeper;
  keeper->screen = screen;
  keeper->frame = frame;
  keeper->pacer = FramePacer(frame);
  look();
  keeper->display.lock();
  std::thread(keep).detach();
  kernel32::observeBlockingCalls(&observer);
}

void requestFrame() {
  if (keeper->pacer.request(lookTime())) show();
}

void showFrameNow() { show(); }

Counts counts() { return {keeper->framesShown, keeper->callsServed}; }

}  // namespace display_keeper
