// The observer of the blocking calls, and the depth of the calls in progress.
#include "platform/posix/kernel32/blocking_call.h"

namespace kernel32 {
namespace {

const BlockingCallObserver* observer = nullptr;
// How many BlockingCalls live on the program's thread: only the outermost is reported.
int depth = 0;

}  // namespace

void observeBlockingCalls(const BlockingCallObserver* newObserver) { observer = newObserver; }

BlockingCall::BlockingCall() : counted_(observer != nullptr) {
  if (counted_ && depth++ == 0) observer->entered();
}

BlockingCall::~BlockingCall() {
  if (counted_ && --depth == 0) observer->left();
}

}  // namespace kernel32
