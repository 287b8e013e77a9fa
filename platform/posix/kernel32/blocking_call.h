// The calls of the file system that may keep the program's thread waiting: on a failing medium a
// read, an open or a close can take seconds, and thousands of them come in a row. While one is in
// progress the thread does nothing else, so a display driver may serve the screen from another
// thread meanwhile: it observes the calls, and learns when the thread goes in and comes out.
//
// Every kernel32 function that reaches the file system opens a BlockingCall on its first line;
// calls made inside it (nested) are not reported again. Without an observer a BlockingCall costs
// the test of a pointer.
#pragma once

namespace kernel32 {

struct BlockingCallObserver {
  // The program's thread is about to wait in the file system. From here until `left`, it touches
  // nothing outside kernel32.
  void (*entered)();
  // The call is over; the observer may keep the thread here until it is ready to go on.
  void (*left)();
};

// Makes `observer` (which must outlive its use; null for none) the observer of every blocking
// call from now on. Called on the program's thread, outside any blocking call.
void observeBlockingCalls(const BlockingCallObserver* observer);

// While it lives, the program's thread is inside a blocking call.
class BlockingCall {
 public:
  BlockingCall();
  ~BlockingCall();
  BlockingCall(const BlockingCall&) = delete;
  BlockingCall& operator=(const BlockingCall&) = delete;

 private:
  bool counted_;
};

}  // namespace kernel32
