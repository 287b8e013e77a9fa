// The message loop as a program runs it: posted messages, WM_QUIT and its exit code, dispatching.
#include <gtest/gtest.h>

#include <vector>

#include "platform/winapi.h"
#include "tests/conformance/user32_message_recorder.h"

namespace {

using user32_test::received;
using user32_test::recorder;
using user32_test::Row;

class MessageLoop : public user32_test::RecordingWindowTest {
 protected:
  // Runs a program's loop until GetMessageA returns 0 or fails; returns the last message.
  static MSG runLoop() {
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    return message;
  }
};

TEST_F(MessageLoop, CloseThenQuitPostedAtDestroyEndsLoopWithExitCodeZero) {
  recorder().onMessage = [](HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_DESTROY) PostQuitMessage(0);
  };
  recorder().take();
  PostMessageA(parent, WM_CLOSE, 0, 0);
  MSG last = runLoop();
  EXPECT_EQ(static_cast<UINT>(WM_QUIT), last.message);
  EXPECT_EQ(0u, last.wParam);
  EXPECT_EQ((std::vector<Row>{received(WM_CLOSE, parent), received(WM_DESTROY, parent),
                              received(WM_NCDESTROY, parent)}),
            recorder().take());
}

TEST_F(MessageLoop, QuitCarriesExitCodeInFirstParameter) {
  PostQuitMessage(42);
  MSG message = {};
  EXPECT_EQ(0, GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(static_cast<UINT>(WM_QUIT), message.message);
  EXPECT_EQ(42u, message.wParam);
}

TEST_F(MessageLoop, PostedMessagesComeBeforeQuit) {
  PostQuitMessage(0);
  PostMessageA(parent, WM_USER, 1, 0);
  PostMessageA(parent, WM_USER + 1, 2, 0);
  recorder().take();
  runLoop();
  EXPECT_EQ((std::vector<Row>{received(WM_USER, parent), received(WM_USER + 1, parent)}),
            recorder().take());
}

TEST_F(MessageLoop, DispatchCallsWindowProcedureWithPostedParameters) {
  WPARAM seenWParam = 0;
  LPARAM seenLParam = 0;
  recorder().onMessage = [&](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 5) {
      seenWParam = wParam;
      seenLParam = lParam;
    }
  };
  PostMessageA(parent, WM_USER + 5, 11, 22);
  MSG message = {};
  while (PeekMessageA(&message, nullptr, WM_USER + 5, WM_USER + 5, PM_REMOVE)) {
    DispatchMessageA(&message);
  }
  EXPECT_EQ(11u, seenWParam);
  EXPECT_EQ(22, seenLParam);
}

TEST_F(MessageLoop, PostedMessagesArriveInOrderOfPosting) {
  PostMessageA(parent, WM_USER + 2, 0, 0);
  PostMessageA(parent, WM_USER + 1, 0, 0);
  PostMessageA(nullptr, WM_USER + 3, 0, 0);
  std::vector<UINT> order;
  MSG message = {};
  while (PeekMessageA(&message, nullptr, WM_USER, WM_USER + 0xFF, PM_REMOVE)) {
    order.push_back(message.message);
  }
  EXPECT_EQ((std::vector<UINT>{WM_USER + 2, WM_USER + 1, WM_USER + 3}), order);
}

TEST_F(MessageLoop, SendCallsWindowProcedureBeforeReturning) {
  recorder().take();
  SendMessageA(parent, WM_USER + 7, 0, 0);
  EXPECT_EQ(std::vector<Row>{received(WM_USER + 7, parent)}, recorder().take());
}

TEST_F(MessageLoop, PostToInvalidWindowFails) {
  HWND gone = createTopLevel("gone");
  DestroyWindow(gone);
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(PostMessageA(gone, WM_USER, 0, 0));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
}

}  // namespace
