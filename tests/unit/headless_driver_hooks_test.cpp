// The display driver seam: which hooks the window system calls, in what order, and what the
// null driver does. A recording driver stands in for a real one.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/posix/driver/driver.h"
#include "platform/posix/model/user_input.h"
#include "platform/posix/model/window_state.h"
#include "platform/posix/model/window_system.h"
#include "platform/winapi.h"

namespace {

struct Call {
  std::string hook;
  HWND window;
  bool operator==(const Call&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Call& call) {
  return out << "{" << call.hook << ", " << static_cast<const void*>(call.window) << "}";
}

std::vector<Call> calls;
RECT lastPixels{};

void recordCall(const char* hook, HWND window) { calls.push_back(Call{hook, window}); }

driver::Hooks recordingHooks() {
  driver::Hooks hooks;
  hooks.windowCreated = [](HWND window) { recordCall("created", window); };
  hooks.windowDestroyed = [](HWND window) { recordCall("destroyed", window); };
  hooks.textChanged = [](HWND window) { recordCall("text", window); };
  hooks.checkChanged = [](HWND window) { recordCall("check", window); };
  hooks.enabledChanged = [](HWND window) { recordCall("enabled", window); };
  hooks.visibilityChanged = [](HWND window) { recordCall("visibility", window); };
  hooks.minimizedChanged = [](HWND window) { recordCall("minimized", window); };
  hooks.fontChanged = [](HWND window) { recordCall("font", window); };
  hooks.pixelsChanged = [](HWND window, const RECT& rect) {
    recordCall("pixels", window);
    lastPixels = rect;
  };
  hooks.flush = [](HWND window) { recordCall("flush", window); };
  return hooks;
}

// A window procedure that creates a child window while handling WM_CREATE.
LRESULT CALLBACK parentMakingChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    CreateWindowExA(0, "STATIC", "child", WS_CHILD, 0, 0, 5, 5, window, nullptr, nullptr, nullptr);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class DriverHooks : public ::testing::Test {
 protected:
  void SetUp() override {
    driver::install(recordingHooks());
    model::resetWindowSystem();
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = parentMakingChildProc;
    windowClass.lpszClassName = "parent making child";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, "parent making child", "title", WS_OVERLAPPED, 0, 0, 200, 100,
                             nullptr, nullptr, nullptr, nullptr);
    child = model::childrenOf(window).at(0);
    calls.clear();
  }
  void TearDown() override {
    model::resetWindowSystem();
    driver::install(driver::Hooks{});
  }
  HWND window = nullptr;
  HWND child = nullptr;
};

TEST_F(DriverHooks, ParentIsReportedBeforeChildItCreatesInCreate) {
  HWND made = CreateWindowExA(0, "parent making child", "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                              nullptr, nullptr, nullptr);
  EXPECT_EQ((std::vector<Call>{{"created", made}, {"created", model::childrenOf(made).at(0)}}),
            calls);
}

TEST_F(DriverHooks, DestroyedChildrenAreReportedBeforeParent) {
  ASSERT_NE(nullptr, child);
  DestroyWindow(window);
  EXPECT_EQ((std::vector<Call>{{"destroyed", child}, {"destroyed", window}}), calls);
}

TEST_F(DriverHooks, SetWindowTextChangesTitleThenFlushes) {
  SetWindowTextA(window, "47%");
  EXPECT_EQ((std::vector<Call>{{"text", window}, {"flush", window}}), calls);
}

TEST_F(DriverHooks, CharactersSentToEditChangeTextWithoutFlush) {
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_MULTILINE, 0, 0, 50, 50, window, nullptr,
                              nullptr, nullptr);
  calls.clear();
  SendMessageA(edit, WM_CHAR, 'a', 0);
  SendMessageA(edit, WM_CHAR, 'b', 0);
  EXPECT_EQ((std::vector<Call>{{"text", edit}, {"text", edit}}), calls);
  calls.clear();
  UpdateWindow(edit);
  EXPECT_EQ((std::vector<Call>{{"flush", edit}}), calls);
}

TEST_F(DriverHooks, ShowingWindowReportsVisibilityAndFlushes) {
  ShowWindow(window, SW_SHOW);
  EXPECT_EQ((std::vector<Call>{{"visibility", window}, {"flush", window}}), calls);
}

TEST_F(DriverHooks, MinimisingReportsMinimisedState) {
  ShowWindow(window, SW_SHOW);
  calls.clear();
  ShowWindow(window, SW_MINIMIZE);
  EXPECT_EQ((std::vector<Call>{{"minimized", window}, {"flush", window}}), calls);
}

TEST_F(DriverHooks, StateChangesOfControlsAreReported) {
  HWND box = CreateWindowExA(0, "BUTTON", "box", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 50, 20, window,
                             nullptr, nullptr, nullptr);
  LOGFONTA description = {};
  HFONT font = CreateFontIndirectA(&description);
  calls.clear();
  SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
  EnableWindow(box, FALSE);
  SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  EXPECT_EQ((std::vector<Call>{{"check", box}, {"enabled", box}, {"font", box}}), calls);
  DeleteObject(font);
}

TEST_F(DriverHooks, PaintedRowsAreReportedAsOneAreaBeforeTheReleaseFlushes) {
  HDC dc = GetDC(window);
  SetPixel(dc, 3, 4, RGB(1, 2, 3));
  SetPixel(dc, 7, 2, RGB(1, 2, 3));
  SetPixel(dc, 5, 9, RGB(1, 2, 3));
  ReleaseDC(window, dc);
  EXPECT_EQ((std::vector<Call>{{"pixels", window}, {"flush", window}}), calls);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(0, lastPixels.left);
  EXPECT_EQ(2, lastPixels.top);
  EXPECT_EQ(client.right, lastPixels.right);
  EXPECT_EQ(10, lastPixels.bottom);
}

TEST_F(DriverHooks, ChildContextReportsItsRowsOnItsParentsSurface) {
  HDC dc = GetDC(child);
  SetPixel(dc, 1, 2, RGB(1, 2, 3));
  ReleaseDC(child, dc);
  ASSERT_EQ((std::vector<Call>{{"pixels", window}, {"flush", child}}), calls);
  EXPECT_EQ(0, lastPixels.left);
  EXPECT_EQ(2, lastPixels.top);
  EXPECT_EQ(5, lastPixels.right);
  EXPECT_EQ(3, lastPixels.bottom);
}

TEST_F(DriverHooks, PixelsOfAHeldContextAreReportedBeforeAnyFlush) {
  HDC dc = GetDC(window);
  SetPixel(dc, 1, 1, RGB(1, 2, 3));
  UpdateWindow(window);
  EXPECT_EQ((std::vector<Call>{{"pixels", window}, {"flush", window}}), calls);
  calls.clear();
  SetPixel(dc, 500, 500, RGB(1, 2, 3));  // outside the window: nothing painted
  ReleaseDC(window, dc);
  EXPECT_EQ((std::vector<Call>{{"flush", window}}), calls);
}

TEST_F(DriverHooks, UserTextTheControlDoesNotKeepIsReportedBack) {
  ShowWindow(window, SW_SHOW);
  HWND edit = CreateWindowExA(0, "EDIT", "same", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, window,
                              nullptr, nullptr, nullptr);
  calls.clear();
  ASSERT_TRUE(model::userReplaceText(edit, "same\nsecond line"));
  model::dispatchAvailableMessages();
  EXPECT_EQ("same", model::textOf(edit));
  EXPECT_EQ(1, std::count(calls.begin(), calls.end(), Call{"text", edit}));
}

TEST(NullDriver, MessageBoxCannotBeShown) {
  driver::install(driver::Hooks{});
  model::resetWindowSystem();
  EXPECT_EQ(0, MessageBoxA(nullptr, "text", "caption", MB_OK));
}

TEST(NullDriver, PickersAreCancelled) {
  driver::install(driver::Hooks{});
  model::resetWindowSystem();
  char buffer[MAX_PATH] = "";
  OPENFILENAMEA record = {};
  record.lStructSize = sizeof record;
  record.lpstrFile = buffer;
  record.nMaxFile = sizeof buffer;
  EXPECT_FALSE(GetOpenFileNameA(&record));
  BROWSEINFOA browse = {};
  EXPECT_EQ(nullptr, SHBrowseForFolderA(&browse));
}

TEST(NullDriverDeathTest, LoopWaitingForInputEndsProgramWithMessage) {
  driver::install(driver::Hooks{});
  model::resetWindowSystem();
  MSG message = {};
  EXPECT_DEATH(GetMessageA(&message, nullptr, 0, 0), "no more input");
}

}  // namespace
