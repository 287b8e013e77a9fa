// The copy in phases and its map: the map's ranges as the copy changes them, the map kept beside
// a copy with unreadable bytes (saveDamageMap), and the unreadable ranges listed in the log
// (logDamagedRanges).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "copy/copy_walk.h"
#include "copy/rescue_map.h"
#include "tests/unit/copy_fixture.h"

namespace copytest {
namespace {

// Returns the map as "start-end:state" words.
std::string describe(const RescueMap& map) {
  std::string out;
  for (const MapRange& r : map.ranges()) {
    out += std::to_string(r.start) + "-" + std::to_string(r.end) + ":" +
           static_cast<char>(r.state) + " ";
  }
  return out;
}

TEST(RescueMap, KeepsAdjacentRangesMergedAndFindsTheAreasLeft) {
  RescueMap map(100, RangeState::notTried);
  struct Step {
    std::int64_t start, end;
    RangeState state;
    const char* expected;
  };
  const Step kSteps[] = {
      {0, 10, RangeState::done, "0-10:+ 10-100:? "},
      {10, 20, RangeState::done, "0-20:+ 20-100:? "},
      {20, 30, RangeState::notTrimmed, "0-20:+ 20-30:* 30-100:? "},
      {50, 100, RangeState::done, "0-20:+ 20-30:* 30-50:? 50-100:+ "},
      {25, 40, RangeState::bad, "0-20:+ 20-25:* 25-40:- 40-50:? 50-100:+ "},
      {-5, 200, RangeState::done, "0-100:+ "},
  };
  for (const Step& step : kSteps) {
    map.set(step.start, step.end, step.state);
    EXPECT_EQ(step.expected, describe(map));
  }
  map.set(20, 30, RangeState::notTrimmed);
  map.set(30, 40, RangeState::notTried);
  map.set(40, 45, RangeState::bad);
  MapRange area = map.nextArea(0);
  EXPECT_EQ(20, area.start);
  EXPECT_EQ(40, area.end);
  EXPECT_EQ(100, map.nextArea(40).start);
  EXPECT_EQ(RangeState::bad, map.stateAt(44));
  EXPECT_EQ(
      "# c\n# current_pos  current_status  current_pass\n0x00000028     *               1\n"
      "#      pos        size  status\n0x00000000  0x00000014  +\n0x00000014  0x0000000A  *\n"
      "0x0000001E  0x0000000A  ?\n0x00000028  0x00000005  -\n0x0000002D  0x00000037  +\n",
      map.text({"c"}, 40, RescuePhase::trimming));
}

// A copy with two bad areas, asked for the damage: the notices name each range given up, the map
// kept beside the copy marks them bad and everything else saved, and no map stays under the
// working name.
TEST_F(CopyOneFile, ListsAndMapsTheUnreadableRangesWhenAsked) {
  settings.subDamagedBitByZero = true;
  settings.logDamagedRanges = true;
  settings.saveDamageMap = true;
  settings.sectorSize = 4;
  readDepth = 1;
  std::string bytes = patternBytes(200000);
  writeSource("bad.bin", bytes);
  faults::failReadRange(sourcePathOf("bad.bin"), 1000, 1009, -1);
  faults::failReads(sourcePathOf("bad.bin"), 150001, -1);
  copy("bad.bin");
  std::vector<LogLine> expected = {
      {LogEntryKind::warning, "unable read 15bytes"},
      {LogEntryKind::notice, "unreadable 12bytes at 1000"},
      {LogEntryKind::notice, "unreadable 3bytes at 150001"},
      {LogEntryKind::plain, "Read 199985bytes of 200000bytes, written 200000bytes"}};
  EXPECT_EQ(expected, logEntries());
  std::ifstream kept(destinationPathOf("bad.bin") + ".sorvel-map");
  std::stringstream text;
  text << kept.rdbuf();
  EXPECT_NE(std::string::npos, text.str().find("\n0x000003E8  0x0000000C  -\n"));
  EXPECT_NE(std::string::npos, text.str().find("\n0x000249F1  0x00000003  -\n"));
  EXPECT_NE(std::string::npos, text.str().find("     +               1\n"));  // finished
  EXPECT_FALSE(std::filesystem::exists(destinationPathOf("bad.bin") + ".sorvel-map.tmp"));
  EXPECT_FALSE(std::filesystem::exists(root_ + "/destination/bad.bin.sorvel-map.sorvel-part"));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(root_ + "/destination")) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"bad.bin", "bad.bin.sorvel-map"}), names);
}

// The good sectors between two bad ones of an area are read before either bad one is retried:
// with retryDamagedLast the copy stops before its retries, and its map shows them saved.
TEST_F(CopyOneFile, ReadsTheSectorsBetweenBadOnesBeforeAnyRetry) {
  settings.subDamagedBitByZero = true;
  settings.retryDamagedLast = true;
  settings.sectorSize = 4;
  readDepth = 3;
  std::string bytes = patternBytes(100000);
  writeSource("gap.bin", bytes);
  faults::failReadRange(sourcePathOf("gap.bin"), 50000, 50003, -1);
  faults::failReadRange(sourcePathOf("gap.bin"), 50012, 50015, -1);
  copy("gap.bin");
  ASSERT_TRUE(copyWaitsForRetry);
  RescueMap map;
  std::vector<std::string> comments;
  ASSERT_TRUE(RescueMap::parse(contentOf(mapPathOf("gap.bin")), 100000, map, comments));
  EXPECT_EQ("0-50000:+ 50000-50004:/ 50004-50012:+ 50012-50016:/ 50016-100000:+ ", describe(map));
  JobTotals totals;
  retryWaitingCopies(totals);
  bytes.replace(50000, 4, 4, '\0');
  bytes.replace(50012, 4, 4, '\0');
  EXPECT_EQ(bytes, destinationContent("gap.bin"));
  // The bad unit was read once while trimming, then retried alone: readDepth + 1 reads in all.
  EXPECT_EQ(readDepth, faults::singleByteReadsAt(sourcePathOf("gap.bin"), 50012));
}

// Without the keys, a healthy or damaged copy leaves only itself: the map goes with the
// temporary name, and the log has no notices.
TEST_F(CopyOneFile, LeavesNoMapAndNoNoticesByDefault) {
  settings.subDamagedBitByZero = true;
  std::string bytes = patternBytes(5000);
  writeSource("bad.bin", bytes);
  faults::failReads(sourcePathOf("bad.bin"), 10, -1);
  copy("bad.bin");
  for (const LogLine& line : logEntries()) EXPECT_NE(LogEntryKind::notice, line.kind);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(root_ + "/destination")) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(std::vector<std::string>{"bad.bin"}, names);
}

}  // namespace
}  // namespace copytest
