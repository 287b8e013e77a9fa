// The status output: lines typed into the result box character by character, and the progress bar
// painted pixel by pixel onto the main window.
#include <gtest/gtest.h>

#include <string>

#include "app/main_window.h"
#include "platform/posix/driver/headless/headless.h"
#include "platform/winapi.h"
#include "settings/settings.h"

namespace {

int editChanges = 0;

LRESULT CALLBACK countingMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE &&
      reinterpret_cast<HWND>(lParam) == resultBox) {
    ++editChanges;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A main window with a grey background and a disabled multi-line result box, as the program has.
class StatusOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::install();
    editChanges = 0;
    WNDCLASSA mainClass = {};
    mainClass.lpfnWndProc = countingMainProc;
    mainClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    mainClass.lpszClassName = "sorvel";
    ASSERT_NE(0, RegisterClassA(&mainClass));
    mainWindow = CreateWindowExA(0, "sorvel", "sorvel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640,
                                 560, nullptr, nullptr, nullptr, nullptr);
    // Disabled, not read-only: a read-only edit control refuses WM_CHAR.
    resultBox = CreateWindowExA(0, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_DISABLED | ES_MULTILINE | ES_AUTOVSCROLL,
                                10, 10, 300, 200, mainWindow, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, mainWindow);
    ASSERT_NE(nullptr, resultBox);
    settings.enableConsole = true;
    pendingConsoleText = ShortText{};
  }

  void TearDown() override {
    headless::reset();
    mainWindow = resultBox = nullptr;
  }
};

class ConsoleWriteLine : public StatusOutput {};
class DrawProgressBar : public StatusOutput {};

TEST_F(ConsoleWriteLine, AppendsTextAndCarriageReturnAsOneLine) {
  consoleWriteLine(text("Unable create file"));
  consoleWriteLine(text("Copied a.txt"));
  EXPECT_EQ("Unable create file\r\nCopied a.txt\r\n", headless::text(resultBox));
  EXPECT_EQ("Copied a.txt\r", view(pendingConsoleText));
}

TEST_F(ConsoleWriteLine, TypesEachCharacterSoTheBoxReportsEachChange) {
  consoleWriteLine(text("abc"));
  EXPECT_EQ(4, editChanges);
}

TEST_F(ConsoleWriteLine, TypesBytesAbove127AsTheSameCharacters) {
  consoleWriteLine(text("caf\xe9 \xff"));
  EXPECT_EQ("caf\xe9 \xff\r\n", headless::text(resultBox));
}

TEST_F(ConsoleWriteLine, WritesNothingWhenConsoleIsOff) {
  settings.enableConsole = false;
  pendingConsoleText = text("kept");
  consoleWriteLine(text("lost"));
  EXPECT_EQ("", headless::text(resultBox));
  EXPECT_EQ(0, editChanges);
  EXPECT_EQ("kept", view(pendingConsoleText));
}

TEST_F(ConsoleWriteLine, KeepsCarriageReturnOf254ByteText) {
  std::string line(254, 'x');
  consoleWriteLine(text(line));
  EXPECT_EQ(255, pendingConsoleText.length);
  EXPECT_EQ(line + "\r\n", headless::text(resultBox));
}

TEST_F(ConsoleWriteLine, DropsCarriageReturnOf255ByteTextSoNextLineContinuesIt) {
  std::string line(255, 'y');
  consoleWriteLine(text(line));
  EXPECT_EQ(line, view(pendingConsoleText));
  consoleWriteLine(text("next"));
  EXPECT_EQ(line + "next\r\n", headless::text(resultBox));
}

TEST_F(ConsoleWriteLine, TypesNothingWhenPendingTextIsTypedWithConsoleOff) {
  pendingConsoleText = text("pending\r");
  settings.enableConsole = false;
  typePendingText();
  EXPECT_EQ("", headless::text(resultBox));
}

TEST_F(DrawProgressBar, PaintsExactlyOnePixelForAOneByOneRectangle) {
  COLORREF background = headless::pixel(mainWindow, 50, 50);
  drawProgressBar(50, 60, 51, 61, 1, 2, 3);
  EXPECT_EQ(RGB(1, 2, 3), headless::pixel(mainWindow, 50, 60));
  EXPECT_EQ(background, headless::pixel(mainWindow, 49, 60));
  EXPECT_EQ(background, headless::pixel(mainWindow, 51, 60));
  EXPECT_EQ(background, headless::pixel(mainWindow, 50, 59));
  EXPECT_EQ(background, headless::pixel(mainWindow, 50, 61));
}

TEST_F(DrawProgressBar, FillsRectangleUpToButNotIncludingItsFarEdges) {
  COLORREF background = headless::pixel(mainWindow, 5, 5);
  ASSERT_NE(RGB(0, 0, 98), background);
  drawProgressBar(kProgressBarLeft, kProgressBarTop, kProgressBarRight, kProgressBarBottom, 0, 0,
                  98);
  for (int y = kProgressBarTop - 1; y <= kProgressBarBottom; ++y) {
    for (int x = kProgressBarLeft - 1; x <= kProgressBarRight; ++x) {
      bool inside = x >= kProgressBarLeft && x < kProgressBarRight && y >= kProgressBarTop &&
                    y < kProgressBarBottom;
      ASSERT_EQ(inside ? RGB(0, 0, 98) : background, headless::pixel(mainWindow, x, y))
          << x << "," << y;
    }
  }
}

TEST_F(DrawProgressBar, ComposesColourFromRedGreenAndBlue) {
  drawProgressBar(20, 20, 22, 21, 0x12, 0x34, 0x56);
  EXPECT_EQ(static_cast<COLORREF>(0x12 + 256 * 0x34 + 65536 * 0x56),
            headless::pixel(mainWindow, 21, 20));
}

}  // namespace
