// The status output: lines typed into the result box, which serves as the program's console, and
// the progress bar painted pixel by pixel onto the main window's client area. Both run inside the
// copy job while the message loop is blocked, so each makes its effect visible at once.
#include "app/status_output.h"

#include <string_view>

#include "app/window_handles.h"
#include "settings/settings.h"

ShortText pendingConsoleText;

namespace {

// The character that ends each console line; the edit control starts a new line on it.
constexpr char kCarriageReturn = '\r';

}  // namespace

// Types `line` and a carriage return into the result box as one line; sets pendingConsoleText.
// Changes nothing at all when enableConsole is off.
void consoleWriteLine(const ShortText& line) {
  if (!settings.enableConsole) return;
  // Joining cuts at 255 bytes: a line of 255 bytes keeps its characters and loses the return.
  pendingConsoleText = line + std::string_view(&kCarriageReturn, 1);
  typePendingText();
}

// Sends each character of pendingConsoleText to the result box as WM_CHAR, then repaints the box.
// Each character the box inserts makes it report EN_CHANGE to the main window before the call
// returns. Does nothing when enableConsole is off.
void typePendingText() {
  if (!settings.enableConsole) return;
  for (std::uint8_t index = 0; index < pendingConsoleText.length; ++index) {
    unsigned char code = static_cast<unsigned char>(pendingConsoleText.bytes[index]);
    SendMessageA(resultBox, WM_CHAR, static_cast<WPARAM>(code), 0);
  }
  // The loop is blocked while a copy runs: repaint the box now rather than on a WM_PAINT.
  UpdateWindow(resultBox);
  ShowWindow(resultBox, SW_SHOW);
}

// Paints x0..x1-1 by y0..y1-1 of the main window's client area in one colour, row by row, one
// SetPixel per pixel, through the window's device context. Changes no globals.
void drawProgressBar(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                     std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  HDC dc = GetDC(mainWindow);
  COLORREF colour = RGB(red, green, blue);
  for (std::int32_t y = y0; y < y1; ++y) {
    for (std::int32_t x = x0; x < x1; ++x) SetPixel(dc, x, y, colour);
  }
  ReleaseDC(mainWindow, dc);
}
