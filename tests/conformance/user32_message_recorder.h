// Message tables for user32 tests: a window class whose procedure records the messages a test
// cares about as {message, notification, sender} rows, and a fixture that gives each test a
// fresh top-level window of that class. Only the public Win32 surface is used, so the tests
// build against the real API as well.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/winapi.h"

namespace user32_test {

// One recorded message. For WM_COMMAND: the notification code and the control that sent it;
// for every other message: code 0 and the window that received it.
struct Row {
  UINT message = 0;
  WORD code = 0;
  HWND window = nullptr;
  bool operator==(const Row&) const = default;
};

inline const char* messageName(UINT message) {
  switch (message) {
    case WM_COMMAND:
      return "WM_COMMAND";
    case WM_DESTROY:
      return "WM_DESTROY";
    case WM_NCDESTROY:
      return "WM_NCDESTROY";
    case WM_CLOSE:
      return "WM_CLOSE";
    case WM_CREATE:
      return "WM_CREATE";
    case WM_ENABLE:
      return "WM_ENABLE";
    case WM_USER:
      return "WM_USER";
    default:
      return "message";
  }
}

inline std::ostream& operator<<(std::ostream& out, const Row& row) {
  return out << "{" << messageName(row.message) << " 0x" << std::hex << row.message << ", code 0x"
             << row.code << ", window " << static_cast<const void*>(row.window) << std::dec << "}";
}

// The rows recorded so far and what a test wants done while a message is handled.
struct Recorder {
  std::vector<Row> rows;
  // Called for every recorded message, before the default handling.
  std::function<void(HWND, UINT, WPARAM, LPARAM)> onMessage;
  // Messages a test records besides the usual ones.
  std::vector<UINT> alsoRecorded;

  // Returns the rows recorded since the last take and forgets them.
  std::vector<Row> take() {
    std::vector<Row> taken;
    taken.swap(rows);
    return taken;
  }
};

inline Recorder& recorder() {
  static Recorder instance;
  return instance;
}

// The messages worth a row: those whose order and contents Win32 documents.
inline bool isRecorded(UINT message) {
  for (UINT extra : recorder().alsoRecorded) {
    if (extra == message) return true;
  }
  return message == WM_COMMAND || message == WM_DESTROY || message == WM_NCDESTROY ||
         message == WM_CLOSE || message == WM_CREATE || message == WM_ENABLE ||
         (message >= WM_USER && message < WM_USER + 0x100);
}

// The recording window procedure; everything goes on to DefWindowProcA.
inline LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (isRecorded(message)) {
    if (message == WM_COMMAND) {
      // Scrolling reports depend on the control's size and font, not on what a test checks.
      if (HIWORD(wParam) == EN_HSCROLL || HIWORD(wParam) == EN_VSCROLL) {
        return DefWindowProcA(window, message, wParam, lParam);
      }
      recorder().rows.push_back(Row{message, HIWORD(wParam), reinterpret_cast<HWND>(lParam)});
    } else {
      recorder().rows.push_back(Row{message, 0, window});
    }
    if (recorder().onMessage) recorder().onMessage(window, message, wParam, lParam);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

inline constexpr const char* kRecordingClass = "sorvel recording window";

// Rows of the notifications a control sends to its parent.
inline Row command(WORD code, HWND control) { return Row{WM_COMMAND, code, control}; }
inline Row received(UINT message, HWND window) { return Row{message, 0, window}; }

// Each test gets a visible top-level window of the recording class; every window is destroyed
// and the queue emptied afterwards, WM_QUIT included.
class RecordingWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = recordingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kRecordingClass;
    // Registered once per test program; a second registration fails harmlessly.
    RegisterClassA(&windowClass);
    parent = createTopLevel("recording parent");
    ASSERT_NE(nullptr, parent);
    recorder() = Recorder{};
  }

  void TearDown() override {
    recorder().onMessage = nullptr;
    for (HWND window : created) {
      if (IsWindow(window)) DestroyWindow(window);
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    recorder() = Recorder{};
  }

  HWND createTopLevel(const char* title, DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE) {
    HWND window = CreateWindowExA(0, kRecordingClass, title, style, 10, 10, 300, 200, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    created.push_back(window);
    return window;
  }

  // A visible control of a system class, child of `owner` (the test's window by default).
  HWND createControl(const char* className, DWORD style, const char* text = "",
                     HWND owner = nullptr, int id = 0) {
    return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, 5, 5, 120, 24,
                           owner != nullptr ? owner : parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  }

  // The text of a window, read as a program reads it.
  static std::string textOf(HWND window) {
    std::vector<char> buffer(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1);
    GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data());
  }

  HWND parent = nullptr;
  std::vector<HWND> created;
};

}  // namespace user32_test
