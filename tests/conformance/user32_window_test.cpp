// Windows and classes as a program sees them: registration, creation, destruction order,
// DefWindowProcA, text buffers, enabled and shown states.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/winapi.h"
#include "tests/conformance/user32_message_recorder.h"

namespace {

using user32_test::received;
using user32_test::recorder;
using user32_test::Row;

class Window : public user32_test::RecordingWindowTest {
 protected:
  HWND createChild(HWND of) {
    return CreateWindowExA(0, user32_test::kRecordingClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                           of, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
};

TEST_F(Window, SecondRegistrationOfClassFails) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = user32_test::recordingProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = user32_test::kRecordingClass;
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(0, RegisterClassA(&windowClass));
  EXPECT_EQ(static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS), GetLastError());
}

TEST_F(Window, CreationOfUnknownClassFails) {
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(nullptr, CreateWindowExA(0, "no such class here", "", WS_OVERLAPPED, 0, 0, 10, 10,
                                     nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
  // Windows reports ERROR_CANNOT_FIND_WND_CLASS; Wine ERROR_CLASS_DOES_NOT_EXIST.
  const DWORD error = GetLastError();
  EXPECT_TRUE(error == ERROR_CANNOT_FIND_WND_CLASS || error == ERROR_CLASS_DOES_NOT_EXIST) << error;
}

TEST_F(Window, CreationSendsCreateAndKeepsTitle) {
  HWND window = createTopLevel("sorvel");
  EXPECT_EQ(std::vector<Row>{received(WM_CREATE, window)}, recorder().take());
  EXPECT_EQ("sorvel", textOf(window));
}

TEST_F(Window, DestroySendsDestroyToParentBeforeChildren) {
  HWND first = createChild(parent);
  HWND second = createChild(parent);
  HWND grandchild = createChild(first);
  recorder().take();
  EXPECT_TRUE(DestroyWindow(parent));
  std::vector<Row> expected = {received(WM_DESTROY, parent),       received(WM_DESTROY, first),
                               received(WM_DESTROY, grandchild),   received(WM_DESTROY, second),
                               received(WM_NCDESTROY, grandchild), received(WM_NCDESTROY, first),
                               received(WM_NCDESTROY, second),     received(WM_NCDESTROY, parent)};
  EXPECT_EQ(expected, recorder().take());
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(grandchild));
}

TEST_F(Window, DestroyOfInvalidWindowFails) {
  HWND child = createChild(parent);
  DestroyWindow(child);
  recorder().take();
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(DestroyWindow(child));
  // Windows reports ERROR_INVALID_WINDOW_HANDLE; Wine ERROR_ACCESS_DENIED.
  EXPECT_NE(0xDEADBEEFu, GetLastError());
  EXPECT_EQ(std::vector<Row>{}, recorder().take());
}

TEST_F(Window, DefaultHandlingOfCloseDestroysWindow) {
  recorder().take();
  SendMessageA(parent, WM_CLOSE, 0, 0);
  EXPECT_EQ((std::vector<Row>{received(WM_CLOSE, parent), received(WM_DESTROY, parent),
                              received(WM_NCDESTROY, parent)}),
            recorder().take());
  EXPECT_FALSE(IsWindow(parent));
}

TEST_F(Window, GetTextCopiesAtMostOneLessThanBufferAndZero) {
  SetWindowTextA(parent, "abcdef");
  char buffer[8];
  std::memset(buffer, 'z', sizeof buffer);
  EXPECT_EQ(3, GetWindowTextA(parent, buffer, 4));
  EXPECT_STREQ("abc", buffer);
  EXPECT_EQ('z', buffer[4]);
  EXPECT_EQ(0, GetWindowTextA(parent, buffer, 1));
  EXPECT_STREQ("", buffer);
  EXPECT_EQ(6, GetWindowTextA(parent, buffer, sizeof buffer));
  EXPECT_STREQ("abcdef", buffer);
}

TEST_F(Window, GetTextWithZeroBufferSizeLeavesBufferAlone) {
  char buffer[4] = {'q', 'q', 'q', 0};
  EXPECT_EQ(0, GetWindowTextA(parent, buffer, 0));
  EXPECT_STREQ("qqq", buffer);
}

TEST_F(Window, GetTextOfInvalidWindowGivesEmptyText) {
  HWND child = createChild(parent);
  DestroyWindow(child);
  char buffer[4] = {'q', 'q', 'q', 0};
  EXPECT_EQ(0, GetWindowTextA(child, buffer, sizeof buffer));
  EXPECT_STREQ("", buffer);
}

TEST_F(Window, EnableReturnsPreviousStateAndSendsEnableOnChange) {
  recorder().take();
  EXPECT_FALSE(EnableWindow(parent, FALSE));
  EXPECT_EQ(std::vector<Row>{received(WM_ENABLE, parent)}, recorder().take());
  EXPECT_FALSE(IsWindowEnabled(parent));
  EXPECT_TRUE(EnableWindow(parent, FALSE));
  EXPECT_EQ(std::vector<Row>{}, recorder().take());
  EXPECT_TRUE(EnableWindow(parent, TRUE));
  EXPECT_TRUE(IsWindowEnabled(parent));
}

TEST_F(Window, DisabledParentLeavesChildsOwnStateEnabled) {
  HWND child = createChild(parent);
  EnableWindow(parent, FALSE);
  EXPECT_TRUE(IsWindowEnabled(child));
}

TEST_F(Window, MinimiseAndRestoreChangeIconicState) {
  EXPECT_TRUE(ShowWindow(parent, SW_MINIMIZE));
  EXPECT_TRUE(IsIconic(parent));
  EXPECT_TRUE(IsWindowVisible(parent));
  ShowWindow(parent, SW_RESTORE);
  EXPECT_FALSE(IsIconic(parent));
}

TEST_F(Window, ShowReturnsWhetherWindowWasVisible) {
  HWND hidden = createTopLevel("hidden", WS_OVERLAPPED | WS_CAPTION);
  EXPECT_FALSE(IsWindowVisible(hidden));
  EXPECT_FALSE(ShowWindow(hidden, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(hidden));
  EXPECT_TRUE(ShowWindow(hidden, SW_SHOW));
}

TEST_F(Window, ChildOfHiddenWindowIsNotVisible) {
  HWND child = createChild(parent);
  ShowWindow(parent, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(child));
  ShowWindow(parent, SW_SHOW);
  EXPECT_TRUE(IsWindowVisible(child));
}

TEST_F(Window, ParentOfChildIsItsParent) {
  HWND child = createChild(parent);
  EXPECT_EQ(parent, GetParent(child));
  EXPECT_EQ(nullptr, GetParent(parent));
}

TEST_F(Window, StandardIconAndCursorAreFound) {
  HICON application = LoadIconA(nullptr, IDI_APPLICATION);
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  EXPECT_NE(nullptr, application);
  EXPECT_NE(nullptr, arrow);
  EXPECT_EQ(application, LoadIconA(nullptr, IDI_APPLICATION));
  // The two share the identifier 32512, yet are different objects.
  EXPECT_NE(static_cast<void*>(application), static_cast<void*>(arrow));
}

TEST_F(Window, SendToInvalidWindowFails) {
  HWND child = createChild(parent);
  DestroyWindow(child);
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(0, SendMessageA(child, WM_USER, 0, 0));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
}

TEST_F(Window, CloseCommandOfWindowMenuSendsClose) {
  recorder().take();
  SendMessageA(parent, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ((std::vector<Row>{received(WM_CLOSE, parent), received(WM_DESTROY, parent),
                              received(WM_NCDESTROY, parent)}),
            recorder().take());
}

TEST_F(Window, OwnedWindowIsDestroyedWithItsOwner) {
  HWND owned = CreateWindowExA(0, user32_test::kRecordingClass, "owned", WS_POPUP, 0, 0, 10, 10,
                               parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, owned);
  EXPECT_EQ(parent, GetParent(owned));
  DestroyWindow(parent);
  EXPECT_FALSE(IsWindow(owned));
}

TEST_F(Window, TextLengthIsThatOfTitle) {
  SetWindowTextA(parent, "Copying 12%");
  EXPECT_EQ(11, GetWindowTextLengthA(parent));
  SetWindowTextA(parent, nullptr);
  EXPECT_EQ(0, GetWindowTextLengthA(parent));
}

}  // namespace
