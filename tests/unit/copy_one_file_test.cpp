// copyOneFile on a healthy source: the copy itself, its counters and texts, the percentages shown,
// the progress bar, and the arithmetic of sizes beyond 32 bits.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/unit/copy_fixture.h"

namespace copytest {
namespace {

constexpr std::int64_t kGiB = std::int64_t{1} << 30;

// Every client pixel of the main window, row by row.
std::vector<COLORREF> surface() {
  SIZE size = headless::clientSize(mainWindow);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) pixels.push_back(headless::pixel(mainWindow, x, y));
  }
  return pixels;
}

bool insideBar(int x, int y) {
  return x >= kProgressBarLeft && x < kProgressBarRight && y >= kProgressBarTop &&
         y < kProgressBarBottom;
}

TEST_F(CopyOneFile, CopiesEveryByteAndCountsThemWhenSourceIsHealthy) {
  settings.verifyData = true;
  std::string bytes = patternBytes(1000);
  bytes[10] = '\0';
  bytes[11] = '\xff';
  copy("healthy.bin", bytes);
  EXPECT_EQ(bytes, destinationContent("healthy.bin"));
  EXPECT_EQ(1000, fileBytesRead);
  EXPECT_EQ(1000, fileBytesWritten);
  EXPECT_EQ(1000, fileBytesVerified);
  EXPECT_EQ(bytes, contentOf(sourcePathOf("healthy.bin")));
}

TEST_F(CopyOneFile, WritesSummaryAndResultLineWhenCopyIsClean) {
  settings.verifyData = true;
  settings.printDetail = true;
  copy("clean.txt", patternBytes(1000));
  std::vector<LogLine> expected = {
      {LogEntryKind::plain, "Read 1000bytes of 1000bytes, written 1000bytes, verified 1000bytes"}};
  EXPECT_EQ(expected, logEntries());
  EXPECT_EQ("Copied clean.txt: 1000bytes, written 1000bytes, verified 1000bytes\r\n", console());
}

TEST_F(CopyOneFile, WritesShortResultLineAndNoVerifiedPartWhenOptionsAreOff) {
  copy("short.txt", patternBytes(20));
  std::vector<LogLine> expected = {
      {LogEntryKind::plain, "Read 20bytes of 20bytes, written 20bytes"}};
  EXPECT_EQ(expected, logEntries());
  EXPECT_EQ("Copied short.txt\r\n", console());
}

TEST_F(CopyOneFile, ByteStepsMoveOneBytePerPlatformCall) {
  copyByteByByte = true;
  settings.verifyData = true;
  settings.depthVerify = 3;
  copy("unit.bin", patternBytes(300));
  for (std::int64_t offset = 0; offset < 300; ++offset) {
    ASSERT_EQ(1, faults::readsAt(sourcePathOf("unit.bin"), offset)) << offset;
    ASSERT_EQ(1, faults::singleByteReadsAt(sourcePathOf("unit.bin"), offset)) << offset;
    ASSERT_EQ(1, faults::writesAt(partPathOf("unit.bin"), offset)) << offset;
    // Verification reads each byte back exactly depthVerify times, whatever the first read gave,
    // each time by reading its whole sector from the medium: the file lies in one sector.
    ASSERT_EQ(0, faults::singleByteReadsAt(partPathOf("unit.bin"), offset)) << offset;
    ASSERT_EQ(3 * 300, faults::readsAt(partPathOf("unit.bin"), offset)) << offset;
  }
  EXPECT_EQ(300, fileBytesVerified);
}

TEST_F(CopyOneFile, ShowsEveryWholePercentageOnceUpTo100) {
  settings.printDetail = true;
  settings.updateTitle = true;
  copy("steps.bin", patternBytes(1000));
  ASSERT_EQ(100u, recorded.stateTexts.size());
  for (int percent = 1; percent <= 100; ++percent) {
    EXPECT_EQ(std::to_string(percent) + "% of 1000bytes", recorded.stateTexts[percent - 1]);
  }
  EXPECT_EQ("100% of 1000bytes", headless::text(stateLine3));
  EXPECT_EQ("sorvel (steps.bin 100% of 1000bytes)", headless::text(mainWindow));
}

TEST_F(CopyOneFile, LeavesTitleAloneWhenUpdateTitleIsOff) {
  copy("quiet.bin", patternBytes(50));
  EXPECT_EQ("sorvel", headless::text(mainWindow));
  EXPECT_EQ("100%", headless::text(stateLine3));
}

TEST_F(CopyOneFile, ShowsNoPercentageWhenPrintProgressIsOff) {
  settings.printProgress = false;
  copy("silent.bin", patternBytes(50));
  EXPECT_TRUE(recorded.stateTexts.empty());
  EXPECT_EQ(std::string(kProgressBarRight - kProgressBarLeft, 'B'), barRow());
}

TEST_F(CopyOneFile, PaintsWholeBarDarkBlueAndNothingElseWhenCopyEnds) {
  std::vector<COLORREF> before = surface();
  copy("bar.bin", patternBytes(500));
  std::vector<COLORREF> after = surface();
  SIZE size = headless::clientSize(mainWindow);
  ASSERT_EQ(before.size(), after.size());
  int paintedOutside = 0;
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) {
      COLORREF pixel = after[static_cast<std::size_t>(y) * size.cx + x];
      if (insideBar(x, y)) {
        ASSERT_EQ(kDarkBlue, pixel) << x << "," << y;
      } else if (pixel != before[static_cast<std::size_t>(y) * size.cx + x]) {
        ++paintedOutside;
      }
    }
  }
  EXPECT_EQ(0, paintedOutside);
}

TEST_F(CopyOneFile, DrawsSeparateStripsForLargeStepsAndClosesThemAtTheEnd) {
  copy("three.bin", "abc");
  std::vector<std::string> shown = {"33%", "66%", "100%"};
  ASSERT_EQ(shown, recorded.stateTexts);
  // stateLine3 changes before the bar: at "100%" the strips of 33 and 66 stand on a white bar.
  std::string white(kProgressBarRight - kProgressBarLeft, 'W');
  EXPECT_EQ(white, recorded.barRows[0]);
  std::string strips = withColumns(white, 10 + 3 * 32, 10 + 3 * 34, 'B');
  EXPECT_EQ(strips, recorded.barRows[1]);
  strips = withColumns(strips, 10 + 3 * 65, 10 + 3 * 67, 'B');
  EXPECT_EQ(strips, recorded.barRows[2]);
  EXPECT_EQ(std::string(white.size(), 'B'), barRow());
  EXPECT_EQ(std::string(white.size(), 'B'), barRow(kProgressBarBottom - 1));
}

TEST_F(CopyOneFile, RedrawsBarUpToPercentageOnDrawsOfZeroWhenLatencyIsTwoOrMore) {
  settings.progressBarLatency = 3;
  std::mt19937 replay(kSeed);
  copy("latency.bin", "abcd");
  std::vector<std::string> shown = {"25%", "50%", "75%", "100%"};
  ASSERT_EQ(shown, recorded.stateTexts);
  std::string expected(kProgressBarRight - kProgressBarLeft, 'W');
  int percents[] = {25, 50, 75};
  for (int step = 0; step < 3; ++step) {
    EXPECT_EQ(expected, recorded.barRows[step]) << step;
    std::uniform_int_distribution<std::int32_t> draw(0, 2);
    if (draw(replay) == 0) {
      expected = withColumns(expected, kProgressBarLeft, 10 + 3 * (percents[step] + 1), 'B');
    }
  }
  EXPECT_EQ(expected, recorded.barRows[3]);
  EXPECT_EQ(std::string(expected.size(), 'B'), barRow());
}

TEST_F(CopyOneFile, ShowsOnePercentageForOneByteFile) {
  copy("one.bin", "x");
  std::vector<std::string> shown = {"100%"};
  EXPECT_EQ(shown, recorded.stateTexts);
  std::vector<LogLine> expected = {{LogEntryKind::plain, "Read 1bytes of 1bytes, written 1bytes"}};
  EXPECT_EQ(expected, logEntries());
}

TEST_F(CopyOneFile, LeavesBarAloneWhenShowProgressBarIsOff) {
  settings.showProgressBar = false;
  std::string before = barRow();
  copy("nobar.bin", patternBytes(10));
  EXPECT_EQ(before, barRow());
  EXPECT_EQ("100%", headless::text(stateLine3));
}

TEST_F(CopyOneFile, WritesNothingToResultBoxWhenConsoleIsOff) {
  settings.enableConsole = false;
  settings.printDetail = true;
  pendingConsoleText = text("earlier");
  copy("mute.bin", patternBytes(10));
  EXPECT_EQ("", console());
  EXPECT_EQ(0, recorded.editChanges);
  EXPECT_EQ("earlier", view(pendingConsoleText));
  EXPECT_EQ(patternBytes(10), destinationContent("mute.bin"));
}

TEST_F(CopyOneFile, ReadsSourceAndWritesDestinationAtFullPathsBeyond255Bytes) {
  // A folder path of more than 255 bytes: a path cut at 255 bytes would name another file.
  std::string deep = root_;
  while (deep.size() < 300) deep += "/folder-of-a-long-path";
  std::filesystem::create_directories(deep + "/in");
  std::filesystem::create_directories(deep + "/out");
  std::ofstream(deep + "/in/long.bin", std::ios::binary) << "payload";
  sourceFolderPath = deep + "/in/";
  destinationFolderPath = deep + "/out";
  currentName = text("long.bin");
  currentSize = 7;
  copyOneFile();
  EXPECT_EQ("payload", contentOf(deep + "/out/long.bin"));
  EXPECT_EQ(7, fileBytesWritten);
}

// Sizes beyond 32 bits, through the progress and report steps (a real file that large is too slow
// to copy byte by byte in a unit test).

TEST(CopyProgress, PercentReadIsExactForEverySize) {
  const std::int64_t max = std::numeric_limits<std::int64_t>::max();
  const std::int64_t sizes[] = {1,       3,  7, 100, 1000, 4 * kGiB + 1, 5 * kGiB, max / 100 + 7,
                                max - 1, max};
  for (std::int64_t size : sizes) {
    // Up to 2^64 / 100 bytes read, read * 100 fits in 64 bits; beyond, it is divided by hand.
    const std::int64_t within = static_cast<std::int64_t>(UINT64_MAX / 100);
    const std::int64_t reads[] = {0,        1,    size / 3, size / 2,  size - size / 100,
                                  size - 1, size, within,   within + 1};
    for (std::int64_t read : reads) {
      unsigned __int128 exact =
          read >= size ? 100 : static_cast<unsigned __int128>(read) * 100 / size;
      ASSERT_EQ(static_cast<unsigned>(exact), percentRead(read, size)) << read << " of " << size;
    }
  }
}

TEST(CopyProgress, PercentReadIsZeroForEmptySizeAndFullBeyondIt) {
  EXPECT_EQ(0, percentRead(0, 0));
  EXPECT_EQ(0, percentRead(5, 0));
  EXPECT_EQ(100, percentRead(7 * kGiB, 6 * kGiB));
}

TEST_F(CopyOneFile, ShowsPercentageOfSizeBeyond4GiB) {
  settings.printDetail = true;
  currentName = text("huge.iso");
  currentSize = 6 * kGiB;
  fileBytesRead = 3 * kGiB;
  fileCopy.lastPercent = 49;
  showProgress();
  EXPECT_EQ("50% of 6442450944bytes", headless::text(stateLine3));
  EXPECT_EQ(50, fileCopy.lastPercent);
  fileBytesRead = 3 * kGiB + 1;
  showProgress();
  EXPECT_EQ(1u, recorded.stateTexts.size());
}

TEST_F(CopyOneFile, ReportsCountersBeyond4GiBWithoutWrapping) {
  settings.verifyData = true;
  settings.printDetail = true;
  currentName = text("huge.iso");
  currentSize = 5 * kGiB;
  fileBytesRead = 5 * kGiB - 3;
  fileBytesWritten = 5 * kGiB;
  fileBytesVerified = 4 * kGiB;
  fileCopy.unreadableBytes = 3;
  fileCopy.copyFailed = false;
  writeSummary();
  writeResultLine();
  std::vector<LogLine> expected = {
      {LogEntryKind::warning, "unable read 3bytes"},
      {LogEntryKind::warning, "unable verify 1073741824bytes"},
      {LogEntryKind::plain, "Read 5368709117bytes of 5368709120bytes, written 5368709120bytes"}};
  EXPECT_EQ(expected, logEntries());
  EXPECT_EQ(
      "Copied huge.iso: 5368709117bytes, written 5368709120bytes, verified 4294967296bytes\r\n",
      console());
}

}  // namespace
}  // namespace copytest
