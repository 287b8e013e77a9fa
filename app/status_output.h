// The status output: lines typed into the result box, which serves as the program's console, and
// the progress bar painted onto the main window's client area.
#pragma once

#include <cstdint>

#include "common/short_text.h"

// The progress bar's rectangle in the main window's client area and its colours.
inline constexpr int kProgressBarLeft = 10;
inline constexpr int kProgressBarTop = 420;
inline constexpr int kProgressBarRight = 313;   // one past the last column
inline constexpr int kProgressBarBottom = 428;  // one past the last row

// Appends `line` as one line to the result box (nothing when enableConsole is off).
void consoleWriteLine(const ShortText& line);

// Types pendingConsoleText into the result box one character at a time.
void typePendingText();

// Fills x0..x1-1, y0..y1-1 of the main window's client area with one colour, pixel by pixel.
void drawProgressBar(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                     std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// The line being typed into the result box, carriage return included.
extern ShortText pendingConsoleText;
