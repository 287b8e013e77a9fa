// The display driver seam: which hooks the window system calls, in what order, and what the
// null driver does. A recording driver stands in for a real one.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
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
std::vector<RECT> allPixels;  // every area reported painted, in order

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
    allPixels.push_back(rect);
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
    allPixels.clear();
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

// Pixels painted at random through three contexts in turn (the window, a child and a child that
// the surface's edge cuts), inside and outside their clip rectangles, with contexts released and
// got again: each call answers and paints as a plain model of the surface says, and every pixel
// painted lies in an area reported before the next flush, whose first and last rows were painted.
TEST_F(DriverHooks, PixelsPaintedInAnyOrderLandAndAreReportedAsAPlainModelSays) {
  HWND cut = CreateWindowExA(0, "STATIC", "", WS_CHILD, 150, 60, 80, 30, window, nullptr, nullptr,
                             nullptr);
  const SIZE surface = model::clientSizeOf(window);
  struct Target {
    HWND window;
    POINT origin;
    HDC dc;
  };
  std::vector<Target> targets = {
      {window, {0, 0}, nullptr}, {child, {0, 0}, nullptr}, {cut, {150, 60}, nullptr}};
  std::vector<COLORREF> expected(static_cast<std::size_t>(surface.cx * surface.cy));
  for (int y = 0; y < surface.cy; ++y) {
    for (int x = 0; x < surface.cx; ++x)
      expected[y * surface.cx + x] = model::pixelOf(window, x, y);
  }
  std::set<std::pair<int, int>> paintedSinceReport;  // surface x, y
  auto checkReport = [&] {
    UpdateWindow(window);
    for (const RECT& area : allPixels) {
      bool firstRowPainted = false;
      bool lastRowPainted = false;
      for (const auto& [x, y] : paintedSinceReport) {
        firstRowPainted |= y == area.top;
        lastRowPainted |= y == area.bottom - 1;
      }
      EXPECT_TRUE(firstRowPainted && lastRowPainted) << area.top << ".." << area.bottom;
    }
    for (const auto& [x, y] : paintedSinceReport) {
      bool covered = std::any_of(allPixels.begin(), allPixels.end(), [&](const RECT& area) {
        return x >= area.left && x < area.right && y >= area.top && y < area.bottom;
      });
      EXPECT_TRUE(covered) << x << "," << y;
    }
    paintedSinceReport.clear();
    allPixels.clear();
  };
  std::mt19937 random(7);
  std::size_t at = 0;
  int y = 0;
  for (int step = 0; step < 20000; ++step) {
    if (random() % 40 == 0) at = random() % targets.size();
    Target& target = targets[at];
    if (target.dc == nullptr) target.dc = GetDC(target.window);
    const SIZE client = model::clientSizeOf(target.window);
    if (random() % 8 == 0) y = static_cast<int>(random() % (client.cy + 6)) - 3;
    const int x = static_cast<int>(random() % (client.cx + 6)) - 3;
    const COLORREF colour = random() & 0xFFFFFF;
    const int surfaceX = target.origin.x + x;
    const int surfaceY = target.origin.y + y;
    const bool inside = x >= 0 && y >= 0 && x < client.cx && y < client.cy &&
                        surfaceX < surface.cx && surfaceY < surface.cy;
    ASSERT_EQ(inside ? colour : CLR_INVALID, SetPixel(target.dc, x, y, colour)) << step;
    if (inside) {
      expected[surfaceY * surface.cx + surfaceX] = colour;
      paintedSinceReport.emplace(surfaceX, surfaceY);
    }
    if (random() % 300 == 0) {
      ReleaseDC(target.window, target.dc);
      target.dc = nullptr;
    }
    if (random() % 500 == 0) checkReport();
  }
  checkReport();
  for (int row = 0; row < surface.cy; ++row) {
    for (int column = 0; column < surface.cx; ++column) {
      ASSERT_EQ(expected[row * surface.cx + column], model::pixelOf(window, column, row))
          << column << "," << row;
    }
  }
  for (Target& target : targets) {
    if (target.dc != nullptr) ReleaseDC(target.window, target.dc);
  }
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
