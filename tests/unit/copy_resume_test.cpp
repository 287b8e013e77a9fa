// An interrupted copy goes on from its temporary file and map: after the process was ended at a
// random write, after a write that failed; a temporary file whose map names another source is
// never used. Damaged files last: the run's order and the log blocks.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/window_handles.h"
#include "copy/copy_knobs.h"
#include "copy/copy_walk.h"
#include "copy/rescue_map.h"
#include "tests/unit/copy_fixture.h"

namespace copytest {
namespace {

class CopyResume : public CopyOneFile {
 protected:
  void SetUp() override {
    CopyOneFile::SetUp();
    mapIntervalMs = 0;  // the map follows every change, so that an end at any write finds one
    settings.subDamagedBitByZero = true;
  }
  void TearDown() override {
    mapIntervalMs = kMapIntervalMs;
    CopyOneFile::TearDown();
  }

  // Copies `name` in a child process that the fault layer ends at its write number `writes` (or
  // that finishes first); returns the child's exit code.
  int copyInChildEndedAt(const std::string& name, std::int64_t writes) {
    pid_t child = fork();
    if (child == 0) {
      settings.enableLog = false;  // the parent's log is not touched
      faults::endProcessAtWrite(writes);
      copy(name);
      _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Returns the map file of `name` parsed, empty when there is none.
  RescueMap mapOf(const std::string& name, std::int64_t size) const {
    RescueMap map;
    std::vector<std::string> comments;
    RescueMap::parse(contentOf(mapPathOf(name)), size, map, comments);
    return map;
  }
};

// The process is ended at a random write (of the copy, of the map, of its temporary file), then
// the copy runs again: it is the uninterrupted copy's, byte for byte, with its counters and log
// entries after the notice "resumed at N"; and no byte the map called done is read again.
TEST_F(CopyResume, GoesOnAfterAnEndAtAnyWriteToTheUninterruptedCopy) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 16; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    faults::reset();
    settings.verifyData = round % 3 == 0;
    settings.sectorSize = round % 2 == 0 ? 4 : 1;
    readDepth = 2;
    std::int64_t size = std::uniform_int_distribution<std::int64_t>(1000, 300000)(random);
    std::string bytes = patternBytes(static_cast<std::size_t>(size));
    const std::string whole = "whole" + std::to_string(round) + ".bin";
    const std::string ended = "ended" + std::to_string(round) + ".bin";
    writeSource(whole, bytes);
    writeSource(ended, bytes);
    std::vector<std::pair<std::int64_t, std::int64_t>> bad;
    for (int n = std::uniform_int_distribution<int>(0, 3)(random); n > 0; --n) {
      std::int64_t first = std::uniform_int_distribution<std::int64_t>(0, size - 1)(random);
      bad.emplace_back(first, std::min<std::int64_t>(size - 1, first + random() % 40));
    }
    for (const auto& [first, last] : bad) {
      faults::failReadRange(sourcePathOf(whole), first, last, -1);
      faults::failReadRange(sourcePathOf(ended), first, last, -1);
    }
    std::int64_t writesBefore = faults::writeCalls();
    logStart_ = std::filesystem::file_size(root_ + "/log.htm");
    copy(whole);
    std::int64_t writes = faults::writeCalls() - writesBefore;
    std::vector<std::int64_t> counters = {fileBytesRead, fileBytesWritten, fileBytesVerified};
    std::vector<LogLine> expected = logEntries();
    logStart_ = std::filesystem::file_size(root_ + "/log.htm");

    std::int64_t endAt = std::uniform_int_distribution<std::int64_t>(0, writes)(random);
    int code = copyInChildEndedAt(ended, endAt);
    ASSERT_TRUE(code == faults::kEndedByFaultLayer || code == 0) << code;
    if (std::filesystem::exists(destinationPathOf(ended))) continue;  // finished before its end
    RescueMap atEnd = mapOf(ended, size);
    copy(ended);
    EXPECT_EQ(contentOf(destinationPathOf(whole)), contentOf(destinationPathOf(ended)));
    EXPECT_EQ(counters,
              (std::vector<std::int64_t>{fileBytesRead, fileBytesWritten, fileBytesVerified}));
    std::vector<LogLine> log = logEntries();
    std::int64_t done = 0;
    for (const MapRange& range : atEnd.ranges()) {
      if (range.state != RangeState::done) continue;
      done += range.end - range.start;
      for (std::int64_t at : {range.start, (range.start + range.end) / 2, range.end - 1}) {
        EXPECT_EQ(0, faults::readsAt(sourcePathOf(ended), at)) << "done byte " << at;
      }
    }
    // Ended before its map was first written, the copy started afresh under another name; the
    // temporary file without a map stays.
    bool resumed = atEnd.size() == size;
    if (resumed) {
      ASSERT_FALSE(log.empty());
      EXPECT_EQ((LogLine{LogEntryKind::notice, "resumed at " + std::to_string(done) + "bytes"}),
                log.front());
      log.erase(log.begin());
    }
    EXPECT_EQ(expected, log);
    EXPECT_EQ(!resumed, std::filesystem::exists(partPathOf(ended)));
    EXPECT_FALSE(std::filesystem::exists(mapPathOf(ended)));
  }
}

// A copy stopped by a write that failed keeps its temporary name and its map; the next copy goes
// on from them. A temporary file whose map names another size or time, or is no map, is left
// alone: the copy starts afresh under the next free name.
TEST_F(CopyResume, GoesOnOnlyFromTheMapOfTheSameSource) {
  std::string bytes = patternBytes(50000);
  struct Case {
    const char* what;
    std::string (*change)(std::string map);
    bool resumes;
  };
  const Case kCases[] = {
      {"the map as written", [](std::string map) { return map; }, true},
      {"another size",
       [](std::string map) {
         return map.replace(map.find("source size: 50000"), 18, "source size: 50001");
       },
       false},
      {"another time",
       [](std::string map) {
         std::size_t at = map.find("source time: ") + 13;
         return map.replace(at, 1, map[at] == '1' ? "2" : "1");
       },
       false},
      {"no time", [](std::string map) { return map.replace(map.find("source time: "), 7, "#"); },
       false},
      {"garbage", [](std::string map) { return map.substr(0, map.size() / 2) + "\n0x1 zz\n"; },
       false},
      {"ranges past the copy",
       [](std::string map) {
         return map.substr(0, map.find("0x00000000  ")) + "0x00000000  0x0000C350  +\n";
       },
       false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(root_ + "/destination");
    std::filesystem::create_directory(root_ + "/destination");
    faults::reset();
    faults::failWrites(partPathOf("cut.bin"), 20000, -1, ERROR_DISK_FULL);
    copy("cut.bin", bytes);
    ASSERT_FALSE(std::filesystem::exists(destinationPathOf("cut.bin")));
    ASSERT_EQ(bytes.substr(0, 20000), contentOf(partPathOf("cut.bin")));
    std::int64_t saved = 0;
    RescueMap written = mapOf("cut.bin", 50000);
    for (const MapRange& range : written.ranges()) {
      if (range.state == RangeState::done) saved += range.end - range.start;
    }
    EXPECT_GT(saved, 0);
    std::string map = c.change(contentOf(mapPathOf("cut.bin")));
    std::ofstream(mapPathOf("cut.bin"), std::ios::binary | std::ios::trunc) << map;
    faults::reset();
    logStart_ = std::filesystem::file_size(root_ + "/log.htm");
    copy("cut.bin");
    EXPECT_EQ(bytes, destinationContent("cut.bin"));
    // Going on, the bytes saved are not read again.
    EXPECT_EQ(c.resumes, faults::readsAt(sourcePathOf("cut.bin"), 0) == 0);
    std::vector<LogLine> log = logEntries();
    ASSERT_FALSE(log.empty());
    LogLine resumed{LogEntryKind::notice, "resumed at " + std::to_string(saved) + "bytes"};
    EXPECT_EQ(c.resumes, log.front() == resumed);
    EXPECT_EQ((LogLine{LogEntryKind::plain, "Read 50000bytes of 50000bytes, written 50000bytes"}),
              log.back());
    // A temporary file that was not taken is never changed or removed.
    EXPECT_EQ(!c.resumes, std::filesystem::exists(partPathOf("cut.bin")));
    if (!c.resumes) {
      EXPECT_EQ(map, contentOf(mapPathOf("cut.bin")));
    }
  }
}

// On a full disk the map of a cut copy may find no room: the copy gives back its last bytes until
// it fits, and a copy that holds nothing is removed; either way the next copy completes it.
TEST_F(CopyResume, OnAFullDiskGivesBackItsLastBytesUntilTheMapFits) {
  mapIntervalMs = kMapIntervalMs;  // no map is written before the write fails
  std::string bytes = patternBytes(100000);
  struct Case {
    std::int64_t cutAt;  // the first byte the disk has no room for
    int mapFailures;     // the writes of the map that find no room
    std::int64_t kept;   // the bytes the cut copy keeps (-1: it is removed)
  };
  for (Case c : {Case{40000, 1, 32768}, Case{40000, 2, 16384}, Case{0, -1, -1}}) {
    SCOPED_TRACE(c.cutAt);
    faults::reset();
    faults::failWrites(partPathOf("full.bin"), c.cutAt, -1, ERROR_DISK_FULL);
    faults::failWrites(mapPathOf("full.bin") + ".tmp", 0, c.mapFailures, ERROR_DISK_FULL);
    copy("full.bin", bytes);
    EXPECT_FALSE(std::filesystem::exists(destinationPathOf("full.bin")));
    EXPECT_EQ(c.kept >= 0, std::filesystem::exists(mapPathOf("full.bin")));
    if (c.kept >= 0) {
      EXPECT_EQ(bytes.substr(0, static_cast<std::size_t>(c.kept)),
                contentOf(partPathOf("full.bin")));
      RescueMap map = mapOf("full.bin", 100000);
      EXPECT_EQ(RangeState::notTried, map.stateAt(c.kept));
    } else {
      EXPECT_FALSE(std::filesystem::exists(partPathOf("full.bin")));
    }
    faults::reset();
    copy("full.bin");
    EXPECT_EQ(bytes, contentOf(destinationPathOf("full.bin")));
    std::filesystem::remove(destinationPathOf("full.bin"));
  }
}

// The texts given to the second state line, in order.
std::vector<std::string> secondLineTexts;

LRESULT CALLBACK recordingSecondLine(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT) secondLineTexts.emplace_back(reinterpret_cast<const char*>(lParam));
  return DefWindowProcA(window, message, wParam, lParam);
}

// Returns the start of the "Copy of" entry of `name`.
std::string copyOf(const std::string& name) { return "Copy of \"<B>" + name + "</B>\""; }

// With retryDamagedLast, a damaged file's retries wait until the files after it are copied; its
// warnings and summary then follow its "Copy of" entry repeated, and the totals are the run's.
TEST_F(CopyResume, RetriesDamagedFilesAfterTheOthersInTheirOrder) {
  settings.retryDamagedLast = true;
  settings.logStats = true;
  settings.sectorSize = 4;
  readDepth = 1;
  const std::vector<std::string> names = {"a.bin", "b.bin", "c.bin", "d.bin"};
  for (const std::string& name : names) writeSource(name, patternBytes(30000));
  faults::failReadRange(sourcePathOf("b.bin"), 100, 103, -1);
  faults::failReadRange(sourcePathOf("d.bin"), 29000, 29001, -1);
  sourcePattern = "*.bin";
  settings.printProgress = true;
  WNDCLASSA lineClass = {};
  lineClass.lpfnWndProc = recordingSecondLine;
  lineClass.lpszClassName = "recording second line";
  ASSERT_NE(0, RegisterClassA(&lineClass));
  stateLine2 = CreateWindowExA(0, "recording second line", "", WS_CHILD | WS_VISIBLE, 10, 380, 300,
                               16, mainWindow, nullptr, nullptr, nullptr);
  secondLineTexts.clear();
  JobTotals totals;
  ASSERT_TRUE(handleMatchingEntries("", totals));
  // The search reports the names in its own order; the test follows it.
  std::vector<std::string> order;
  std::vector<std::string> waited;
  std::vector<LogLine> log = logEntries();
  for (const LogLine& line : log) {
    for (const std::string& name : names) {
      if (line.text.rfind(copyOf(name), 0) != 0) continue;
      (std::count(order.begin(), order.end(), name) ? waited : order).push_back(name);
    }
  }
  EXPECT_TRUE(waited.empty());  // nothing is retried before retryWaitingCopies
  retryWaitingCopies(totals);
  log = logEntries();
  order.clear();
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < log.size(); ++i) {
    for (const std::string& name : names) {
      if (log[i].text.rfind(copyOf(name), 0) == 0) {
        order.push_back(name);
        starts.push_back(i);
      }
    }
  }
  ASSERT_EQ(6u, order.size());
  // The two damaged files come again at the end, in the order they were first met.
  std::vector<std::string> first(order.begin(), order.begin() + 4);
  std::vector<std::string> again(order.begin() + 4, order.end());
  std::vector<std::string> damaged;
  for (const std::string& name : first) {
    if (name == "b.bin" || name == "d.bin") damaged.push_back(name);
  }
  EXPECT_EQ(damaged, again);
  for (std::size_t k = 0; k < 6; ++k) {
    std::size_t end = k + 1 < starts.size() ? starts[k + 1] : log.size();
    bool waits = k < 4 && (order[k] == "b.bin" || order[k] == "d.bin");
    // A waiting file's first block is its "Copy of" entry alone; its second holds its warning
    // and summary.
    EXPECT_EQ(waits ? 1u : (k >= 4 ? 3u : 2u), end - starts[k]) << order[k];
  }
  EXPECT_EQ((LogLine{LogEntryKind::warning, "unable read 4bytes"}), log[starts[4] + 1]);
  for (const std::string& name : names) {
    std::string expected = patternBytes(30000);
    if (name == "b.bin") expected.replace(100, 4, 4, '\0');
    if (name == "d.bin") expected.replace(29000, 4, 4, '\0');
    EXPECT_EQ(expected, destinationContent(name)) << name;
    EXPECT_FALSE(std::filesystem::exists(partPathOf(name))) << name;
    EXPECT_FALSE(std::filesystem::exists(mapPathOf(name))) << name;
  }
  // The retries show which file's bad areas they read; the line is then given back.
  std::vector<std::string> retrying;
  for (const std::string& line : secondLineTexts) {
    if (!line.empty()) retrying.push_back(line);
  }
  std::vector<std::string> expectedLines;
  for (const std::string& name : damaged) expectedLines.push_back("Retrying bad areas of " + name);
  EXPECT_EQ(expectedLines, retrying);
  EXPECT_EQ("", headless::text(stateLine2));
  stateLine2 = nullptr;
  EXPECT_EQ(4, totals.files);
  EXPECT_EQ(4 * 30000 - 8, totals.bytesRead);
  EXPECT_EQ(4 * 30000, totals.bytesWritten);
}

}  // namespace
}  // namespace copytest
