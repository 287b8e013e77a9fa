// The device context of the screen: GetDC of the null window, released by ReleaseDC(NULL, dc).
#include <gtest/gtest.h>

#include <vector>

#include "platform/winapi.h"

namespace {

TEST(ScreenDeviceContext, IsGotAndReleasedForTheNullWindow) {
  HDC first = GetDC(nullptr);
  ASSERT_NE(nullptr, first);
  HDC second = GetDC(nullptr);
  ASSERT_NE(nullptr, second);
  // A point off the screen has no colour.
  EXPECT_EQ(CLR_INVALID, GetPixel(first, -1, -1));
  EXPECT_EQ(1, ReleaseDC(nullptr, second));
  EXPECT_EQ(1, ReleaseDC(nullptr, first));
}

TEST(ScreenDeviceContext, CanBeGotAgainAndAgain) {
  // A program that asks for the screen once per paint must never run out of contexts.
  for (int round = 0; round < 2000; ++round) {
    HDC dc = GetDC(nullptr);
    ASSERT_NE(nullptr, dc) << "round " << round;
    ASSERT_EQ(1, ReleaseDC(nullptr, dc)) << "round " << round;
  }
}

}  // namespace
