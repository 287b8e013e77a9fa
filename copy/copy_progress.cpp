// The progress of one file's copy: the whole percentage read, shown in stateLine3, in the title
// and on the progress bar each time it rises.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>

#include "app/status_output.h"
#include "app/window_handles.h"
#include "copy/copy_job.h"
#include "copy/copy_one_file.h"
#include "settings/settings.h"

namespace {

constexpr std::uint8_t kFullPercent = 100;
constexpr int kDecimalBase = 10;
constexpr int kPercentDigits = 2;

// The bar has three pixels per percent; a strip reaches this far to either side of its point.
constexpr std::int32_t kPixelsPerPercent = 3;

// The bar's colours: white when cleared, dark blue when filled.
struct BarColour {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};
constexpr BarColour kClearedColour = {255, 255, 255};
constexpr BarColour kFilledColour = {0, 0, 98};

// Paints the bar's full height from column x0 to x1 - 1 in `colour`.
void paintBar(std::int32_t x0, std::int32_t x1, BarColour colour) {
  drawProgressBar(x0, kProgressBarTop, x1, kProgressBarBottom, colour.red, colour.green,
                  colour.blue);
}

// Returns the column of the bar that stands for `percent`.
std::int32_t barColumn(std::int32_t percent) {
  return kProgressBarLeft + kPixelsPerPercent * percent;
}

// Returns the next decimal digit of remainder / whole and leaves the rest in `remainder`:
// remainder * 10 is formed by adding, so that it never leaves the range below `whole`.
unsigned nextDecimalDigit(std::uint64_t& remainder, std::uint64_t whole) {
  unsigned digit = 0;
  std::uint64_t product = 0;
  for (int term = 0; term < kDecimalBase; ++term) {
    std::uint64_t room = whole - product;  // above 0, since product stays below whole
    if (remainder >= room) {
      product = remainder - room;
      ++digit;
    } else {
      product += remainder;
    }
  }
  remainder = product;
  return digit;
}

// Draws the bar for a new percentage: a six-pixel strip around its point when progressBarLatency
// is below 2, otherwise, on a draw of 0 from copyRandom, the whole bar up to the percentage.
void drawProgressStep(std::uint8_t percent) {
  if (settings.progressBarLatency < 2) {
    paintBar(barColumn(percent - 1), barColumn(percent + 1), kFilledColour);
    return;
  }
  std::uniform_int_distribution<std::int32_t> draw(0, settings.progressBarLatency - 1);
  if (draw(copyRandom) == 0) paintBar(kProgressBarLeft, barColumn(percent + 1), kFilledColour);
}

// Shows `percent` in stateLine3 and, when updateTitle is set, in the title.
void showPercentageText(std::uint8_t percent) {
  ShortText shown = percentText(percent);
  SetWindowTextA(stateLine3, zeroTerminated(shown).bytes);
  if (settings.updateTitle) {
    ShortText title = "sorvel (" + currentName + " " + shown + ")";
    SetWindowTextA(mainWindow, zeroTerminated(title).bytes);
  }
}

// Shows `percent` in stateLine3 and, as the options say, in the title and on the bar.
void showPercentage(std::uint8_t percent) {
  showPercentageText(percent);
  if (settings.showProgressBar) drawProgressStep(percent);
}

}  // namespace

std::uint8_t percentRead(std::int64_t bytesRead, std::int64_t size) {
  if (size <= 0 || bytesRead <= 0) return 0;
  if (bytesRead >= size) return kFullPercent;
  std::uint64_t remainder = static_cast<std::uint64_t>(bytesRead);
  if (remainder <= std::numeric_limits<std::uint64_t>::max() / kFullPercent) {
    return static_cast<std::uint8_t>(remainder * kFullPercent / static_cast<std::uint64_t>(size));
  }
  // bytesRead * 100 does not fit in 64 bits: divide digit by digit, as by hand.
  unsigned percent = 0;
  for (int digit = 0; digit < kPercentDigits; ++digit) {
    percent =
        percent * kDecimalBase + nextDecimalDigit(remainder, static_cast<std::uint64_t>(size));
  }
  return static_cast<std::uint8_t>(percent);
}

ShortText percentText(std::uint8_t percent) {
  ShortText shown = decimalText(percent) + "%";
  if (settings.printDetail) shown = shown + " of " + decimalText(currentSize) + "bytes";
  return shown;
}

void showProgress() {
  if (!settings.printProgress) return;
  std::uint8_t percent = percentRead(fileBytesRead, currentSize);
  if (percent <= fileCopy.lastPercent) return;
  fileCopy.lastPercent = percent;
  showPercentage(percent);
}

std::int64_t nextRiseOfPercentage() {
  if (currentSize <= 0 || fileCopy.lastPercent >= kFullPercent) return -1;
  // The percentage is bytesRead * 100 / size rounded down, so it first reaches `target` at the
  // smallest count k with k * 100 >= target * size: k = ceil(target * size / 100). With
  // size = 100q + r that is target * q + ceil(target * r / 100), and no product leaves 64 bits.
  std::int64_t target = fileCopy.lastPercent + 1;
  std::int64_t wholes = currentSize / kFullPercent;
  std::int64_t rest = currentSize % kFullPercent;
  std::int64_t count = target * wholes + (target * rest + kFullPercent - 1) / kFullPercent;
  // A percentage that stayed behind (while it was not shown) rises at the very next byte.
  return std::max(count, fileBytesRead + 1);
}

void showProgressSoFar() {
  if (settings.showProgressBar) clearProgressBar();
  fileCopy.lastPercent = 0;
  if (!settings.printProgress) return;
  std::uint8_t percent = percentRead(fileBytesRead, currentSize);
  if (percent == 0) return;
  fileCopy.lastPercent = percent;
  showPercentageText(percent);
  if (settings.showProgressBar) paintBar(kProgressBarLeft, barColumn(percent + 1), kFilledColour);
}

void clearProgressBar() { paintBar(kProgressBarLeft, kProgressBarRight, kClearedColour); }

void fillProgressBar() { paintBar(kProgressBarLeft, kProgressBarRight, kFilledColour); }
