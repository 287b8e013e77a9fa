// The client-area pixel surface of a top-level window: its size from the frame, GetDC, SetPixel
// and GetPixel, and the background that a repaint brings back.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/posix/driver/headless/headless.h"
#include "platform/winapi.h"
#include "tests/unit/headless_fixture.h"

namespace {

constexpr DWORD kMainWindowStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr COLORREF kButtonFace = RGB(192, 192, 192);
constexpr COLORREF kDarkBlue = RGB(0, 0, 98);

class Surface : public headless_test::HeadlessWindowTest {
 protected:
  void SetUp() override {
    HeadlessWindowTest::SetUp();
    window = CreateWindowExA(0, user32_test::kRecordingClass, "sorvel", kMainWindowStyle,
                             CW_USEDEFAULT, CW_USEDEFAULT, 530, 472, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    created.push_back(window);
    UpdateWindow(window);
  }
  void paint(int x, int y, COLORREF colour) {
    HDC dc = GetDC(window);
    SetPixel(dc, x, y, colour);
    ReleaseDC(window, dc);
  }
  HWND window = nullptr;
};

TEST_F(Surface, ClientAreaOfCaptionedWindowLosesFrameAndCaption) {
  SIZE size = headless::clientSize(window);
  EXPECT_EQ(524, size.cx);
  EXPECT_EQ(447, size.cy);
  RECT client = {};
  GetClientRect(window, &client);
  EXPECT_EQ(524, client.right);
  EXPECT_EQ(447, client.bottom);
}

TEST_F(Surface, UnpaintedPixelsHaveClassBackgroundColour) {
  EXPECT_EQ(kButtonFace, headless::pixel(window, 0, 0));
  EXPECT_EQ(kButtonFace, headless::pixel(window, 523, 446));
  HDC dc = GetDC(window);
  EXPECT_EQ(kButtonFace, GetPixel(dc, 100, 100));
  ReleaseDC(window, dc);
}

TEST_F(Surface, SetPixelPaintsExactlyOnePixel) {
  HDC dc = GetDC(window);
  EXPECT_EQ(kDarkBlue, SetPixel(dc, 10, 420, kDarkBlue));
  EXPECT_EQ(kDarkBlue, GetPixel(dc, 10, 420));
  EXPECT_EQ(1, ReleaseDC(window, dc));
  EXPECT_EQ(kDarkBlue, headless::pixel(window, 10, 420));
  EXPECT_EQ(kButtonFace, headless::pixel(window, 11, 420));
  EXPECT_EQ(kButtonFace, headless::pixel(window, 10, 421));
  EXPECT_EQ(kButtonFace, headless::pixel(window, 9, 420));
}

TEST_F(Surface, PixelOutsideClientAreaIsRefused) {
  HDC dc = GetDC(window);
  EXPECT_EQ(CLR_INVALID, SetPixel(dc, 524, 0, kDarkBlue));
  EXPECT_EQ(CLR_INVALID, SetPixel(dc, -1, 5, kDarkBlue));
  EXPECT_EQ(CLR_INVALID, GetPixel(dc, 0, 447));
  ReleaseDC(window, dc);
  EXPECT_EQ(CLR_INVALID, headless::pixel(window, 524, 0));
}

TEST_F(Surface, ReleasedContextPaintsNoMore) {
  HDC dc = GetDC(window);
  ReleaseDC(window, dc);
  EXPECT_EQ(CLR_INVALID, SetPixel(dc, 1, 1, kDarkBlue));
  EXPECT_EQ(0, ReleaseDC(window, dc));
  EXPECT_EQ(kButtonFace, headless::pixel(window, 1, 1));
}

TEST_F(Surface, RepaintAfterRestoreErasesPaintedPixels) {
  paint(10, 420, kDarkBlue);
  headless::dispatchPending();
  EXPECT_EQ(kDarkBlue, headless::pixel(window, 10, 420));
  headless::minimize(window);
  headless::restore(window);
  EXPECT_EQ(kDarkBlue, headless::pixel(window, 10, 420));
  headless::dispatchPending();
  EXPECT_EQ(kButtonFace, headless::pixel(window, 10, 420));
}

TEST_F(Surface, PaintingStaysWhileNoLoopRuns) {
  paint(50, 50, kDarkBlue);
  InvalidateRect(window, nullptr, TRUE);
  EXPECT_EQ(kDarkBlue, headless::pixel(window, 50, 50));
}

TEST_F(Surface, ChildContextPaintsParentSurfaceClippedToChild) {
  HWND child = CreateWindowExA(0, user32_test::kRecordingClass, "", WS_CHILD | WS_VISIBLE, 100, 200,
                               10, 10, window, nullptr, GetModuleHandleA(nullptr), nullptr);
  HDC dc = GetDC(child);
  EXPECT_EQ(kDarkBlue, SetPixel(dc, 2, 3, kDarkBlue));
  EXPECT_EQ(CLR_INVALID, SetPixel(dc, 10, 0, kDarkBlue));
  ReleaseDC(child, dc);
  EXPECT_EQ(kDarkBlue, headless::pixel(window, 102, 203));
  EXPECT_EQ(kButtonFace, headless::pixel(window, 110, 200));
}

TEST_F(Surface, TwoContextsPaintedInTurnEachPaintTheirOwnArea) {
  HWND child = CreateWindowExA(0, user32_test::kRecordingClass, "", WS_CHILD | WS_VISIBLE, 100, 200,
                               10, 10, window, nullptr, GetModuleHandleA(nullptr), nullptr);
  HDC whole = GetDC(window);
  HDC clipped = GetDC(child);
  for (int step = 0; step < 3; ++step) {
    EXPECT_EQ(kDarkBlue, SetPixel(whole, step, 0, kDarkBlue));
    EXPECT_EQ(RGB(9, 9, 9), SetPixel(clipped, step, 0, RGB(9, 9, 9)));
    EXPECT_EQ(CLR_INVALID, SetPixel(clipped, 10 + step, 0, RGB(9, 9, 9)));
  }
  ReleaseDC(child, clipped);
  EXPECT_EQ(CLR_INVALID, SetPixel(clipped, 0, 1, RGB(9, 9, 9)));
  EXPECT_EQ(kDarkBlue, SetPixel(whole, 3, 0, kDarkBlue));
  ReleaseDC(window, whole);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(kDarkBlue, headless::pixel(window, x, 0));
  for (int x = 100; x < 103; ++x) EXPECT_EQ(RGB(9, 9, 9), headless::pixel(window, x, 200));
  EXPECT_EQ(kButtonFace, headless::pixel(window, 110, 200));
  EXPECT_EQ(kButtonFace, headless::pixel(window, 100, 201));
}

TEST_F(Surface, ContextOfDestroyedWindowPaintsNothing) {
  HWND other = CreateWindowExA(0, user32_test::kRecordingClass, "other", kMainWindowStyle, 0, 0,
                               200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  HDC dc = GetDC(other);
  EXPECT_EQ(kDarkBlue, SetPixel(dc, 1, 1, kDarkBlue));
  DestroyWindow(other);
  EXPECT_EQ(CLR_INVALID, SetPixel(dc, 1, 1, kDarkBlue));
  EXPECT_EQ(CLR_INVALID, GetPixel(dc, 1, 1));
  ReleaseDC(other, dc);
}

TEST_F(Surface, FarAwayPointsAreRefusedWithoutWrapping) {
  HDC dc = GetDC(window);
  for (int x : {INT32_MIN, INT32_MAX, 524 - 0x10000, 0x7FFFFF00}) {
    EXPECT_EQ(CLR_INVALID, SetPixel(dc, x, 0, kDarkBlue)) << x;
    EXPECT_EQ(CLR_INVALID, SetPixel(dc, 0, x, kDarkBlue)) << x;
  }
  ReleaseDC(window, dc);
  EXPECT_EQ(kButtonFace, headless::pixel(window, 0, 0));
}

TEST_F(Surface, ColourKeepsOnlyRedGreenAndBlue) {
  HDC dc = GetDC(window);
  EXPECT_EQ(RGB(1, 2, 3), SetPixel(dc, 0, 0, RGB(1, 2, 3) | 0x01000000));
  ReleaseDC(window, dc);
  EXPECT_EQ(RGB(1, 2, 3), headless::pixel(window, 0, 0));
}

}  // namespace
