// The display keeper: frames at most 60 a second with the last one always shown, and the screen
// served by the keeper thread while the program's thread waits in a blocking call, never both
// threads at once.
#include "platform/posix/driver/display_keeper.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/posix/kernel32/blocking_call.h"

namespace {

using display_keeper::Clock;
using display_keeper::FramePacer;
using display_keeper::kFrame;
using namespace std::chrono_literals;

TEST(FramePacer, ManyRequestsInASecondShowAtMostSixtyFramesAndTheLastOne) {
  FramePacer pacer;
  const Clock::time_point start{};
  int frames = 0;
  Clock::time_point now = start;
  // 10,000 requests spread evenly over one second.
  for (int request = 0; request < 10000; ++request) {
    now = start + request * 100us;
    if (pacer.request(now)) {
      pacer.shown(now);
      ++frames;
    }
  }
  EXPECT_LE(frames, 61);
  EXPECT_GE(frames, 59);
  // The last request fell inside a frame: it is pending, due once the frame is over.
  ASSERT_TRUE(pacer.pending());
  EXPECT_FALSE(pacer.pendingDue(now));
  EXPECT_TRUE(pacer.pendingDue(now + kFrame));
}

TEST(FramePacer, FirstRequestAndRequestAfterAPauseShowAtOnce) {
  FramePacer pacer;
  const Clock::time_point start{};
  EXPECT_TRUE(pacer.request(start));
  pacer.shown(start);
  EXPECT_FALSE(pacer.request(start + 1ms));
  pacer.shown(start + 1ms);  // shown unpaced, as before the loop waits
  EXPECT_FALSE(pacer.pending());
  EXPECT_FALSE(pacer.pendingDue(start + 1s));
  EXPECT_TRUE(pacer.request(start + 1ms + kFrame));
}

// The keeper runs over a screen of counters. `model` stands for the model: the program's thread
// changes it outside blocking calls; each frame records the value it showed.
std::atomic<bool> programInCall{false};
std::atomic<int> model{0};
std::atomic<int> shownValue{-1};
std::atomic<int> overlaps{0};
std::atomic<long> eventRounds{0};
std::thread::id programThread;

// Counts a use of the display by the keeper while the program's thread is not inside a call.
void checkExclusive() {
  if (std::this_thread::get_id() != programThread && !programInCall.load()) ++overlaps;
}

void showFrame() {
  checkExclusive();
  shownValue.store(model.load());
}

void serveEvents(double seconds) {
  checkExclusive();
  ++eventRounds;
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds / 4));
}

void wake() {}

class DisplayKeeper : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    programThread = std::this_thread::get_id();
    display_keeper::start(display_keeper::Screen{showFrame, serveEvents, wake});
  }

  // A blocking call of the program's thread that lasts `length`.
  static void blockingCall(Clock::duration length) {
    programInCall = true;
    {
      kernel32::BlockingCall call;
      std::this_thread::sleep_for(length);
    }
    programInCall = false;
  }

  // A blocking call that lasts until `done` holds or `limit` passed.
  template <typename Condition>
  static void blockingCallUntil(Condition done, Clock::duration limit) {
    programInCall = true;
    {
      kernel32::BlockingCall call;
      const Clock::time_point end = Clock::now() + limit;
      while (!done() && Clock::now() < end) std::this_thread::sleep_for(1ms);
    }
    programInCall = false;
  }
};

TEST_F(DisplayKeeper, ASecondOfRequestsBetweenCallsShowsAtMostSixtyFramesAndTheLastOne) {
  const display_keeper::Counts before = display_keeper::counts();
  const Clock::time_point start = Clock::now();
  int requests = 0;
  while (Clock::now() - start < 1s) {
    model.store(++requests);
    display_keeper::requestFrame();
    blockingCall(50us);
  }
  const long frames = display_keeper::counts().framesShown - before.framesShown;
  EXPECT_GT(requests, 1000);
  EXPECT_LE(frames, 62) << requests << " requests";
  // The program's thread goes on waiting in the file system: the keeper shows the last state.
  blockingCallUntil([&] { return shownValue.load() == requests; }, 5s);
  EXPECT_EQ(requests, shownValue.load());
  EXPECT_EQ(0, overlaps.load());
}

TEST_F(DisplayKeeper, ACallThatLastsIsServedUntilItIsOver) {
  const display_keeper::Counts before = display_keeper::counts();
  const long roundsBefore = eventRounds.load();
  blockingCall(300ms);
  const display_keeper::Counts after = display_keeper::counts();
  EXPECT_EQ(1, after.callsServed - before.callsServed);
  EXPECT_GT(eventRounds.load(), roundsBefore);
  // Once the call is over, the keeper lets the display be.
  const long roundsAfter = eventRounds.load();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(roundsAfter, eventRounds.load());
  EXPECT_EQ(0, overlaps.load());
}

TEST_F(DisplayKeeper, NestedCallsAreOneCall) {
  const display_keeper::Counts before = display_keeper::counts();
  programInCall = true;
  {
    kernel32::BlockingCall outer;
    std::this_thread::sleep_for(100ms);
    {
      kernel32::BlockingCall inner;
      std::this_thread::sleep_for(100ms);
    }
    std::this_thread::sleep_for(100ms);
  }
  programInCall = false;
  EXPECT_EQ(1, display_keeper::counts().callsServed - before.callsServed);
  EXPECT_EQ(0, overlaps.load());
}

}  // namespace
