// The copy in blocks against the copy byte by byte. For many random sources, fault patterns and
// options, drawn from fixed seeds, both ways must leave and show exactly the same: the destination
// bytes, the three counters (also at every percentage shown), the result box, the log entries, the
// percentage texts, titles and bar at each rise, the generator's state, and the single-byte reads
// of every failing byte of the source and of the destination.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/unit/copy_fixture.h"

namespace copytest {
namespace {

using Random = std::mt19937;

int draw(Random& random, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random);
}

bool chance(Random& random, int percent) { return draw(random, 1, 100) <= percent; }

// A fault of reads on the source or the destination: failing bytes, wrong bytes, or long reads
// that fail whole.
struct ReadFault {
  enum Kind { failing, wrong, longReads } kind;
  bool onDestination;
  std::int64_t first;
  std::int64_t last;
  int times;
  faults::ReadFailure how;
};

// A byte of the destination whose writes fail `times` times (-1: always).
struct WriteFault {
  std::int64_t offset;
  int times;
};

// The check boxes that the window procedure reads back on every character typed into the result
// box.
struct CheckBoxes {
  bool printProgress;
  bool printDetail;
  bool verifyData;
  bool haltOnFirstError;
};

// One random case: a source, what currentSize says of it, the options, the faults, block sizes.
struct FaultCase {
  std::string bytes;
  std::int64_t size = 0;
  Settings options;
  std::int32_t readDepthOfRun = 1;
  std::int32_t writeDepthOfRun = 1;
  bool textLikeFile = false;
  std::int64_t blockBytes = 1;
  std::int64_t firstBlockBytes = 1;
  std::vector<ReadFault> readFaults;
  std::vector<WriteFault> writeFaults;
  bool boxesDiffer = false;
  CheckBoxes boxes{};
  std::uint32_t seed = 0;
  // The source lies on a disk and fails in whole sectors of its volume: only the reads differ.
  bool sectorShaped = false;
  bool refusesUnbufferedReads = false;
};

// What a copy left behind and showed.
struct Outcome {
  std::string destination;
  std::vector<std::int64_t> counters;    // read, written, verified at the end
  std::vector<std::int64_t> countersAt;  // read, written, verified at each percentage shown
  std::string console;
  std::vector<LogLine> log;
  std::vector<std::string> stateTexts;
  std::vector<std::string> barRows;
  std::vector<std::string> titles;  // the title when each percentage text was given
  std::string finalState;
  std::string finalTitle;
  std::string finalBar;
  int editChanges = 0;
  Random generator;
  std::vector<std::int64_t> singleReadsOfFailingBytes;
};

// Describes a case, to be printed when the two ways differ.
std::string describe(const FaultCase& c) {
  std::ostringstream out;
  out << "seed " << c.seed << ", " << c.bytes.size() << " bytes, size " << c.size << ", blocks "
      << c.firstBlockBytes << "/" << c.blockBytes << ", readDepth " << c.readDepthOfRun
      << ", writeDepth " << c.writeDepthOfRun << ", depthVerify " << c.options.depthVerify
      << ", verifyData " << c.options.verifyData << ", halt " << c.options.haltOnFirstError
      << ", zero " << c.options.subDamagedBitByZero << ", textLike " << c.textLikeFile
      << ", sectorSize " << c.options.sectorSize << ", printProgress " << c.options.printProgress
      << ", printDetail " << c.options.printDetail << ", updateTitle " << c.options.updateTitle
      << ", bar " << c.options.showProgressBar << ", latency " << c.options.progressBarLatency
      << ", by sector " << c.sectorShaped << ", unbuffered refused " << c.refusesUnbufferedReads;
  for (const ReadFault& f : c.readFaults) {
    out << "\n  " << (f.onDestination ? "destination" : "source") << " "
        << (f.kind == ReadFault::failing ? "failing"
            : f.kind == ReadFault::wrong ? "wrong"
                                         : "long")
        << " " << f.first << ".." << f.last << " times " << f.times
        << (f.how == faults::ReadFailure::noByte ? " noByte" : "");
  }
  for (const WriteFault& f : c.writeFaults) {
    out << "\n  write " << f.offset << " times " << f.times;
  }
  if (c.boxesDiffer) {
    out << "\n  boxes: progress " << c.boxes.printProgress << " detail " << c.boxes.printDetail
        << " verify " << c.boxes.verifyData << " halt " << c.boxes.haltOnFirstError;
  }
  return out.str();
}

// The kinds of cases each test draws.
struct CaseShape {
  int maxBlockBytes;
  int maxSize;
  int sourceFaults;       // at most this many read faults on the source
  int destinationFaults;  // at most this many read faults on the destination
  int writeFaults;        // at most this many failing destination bytes
  int boxesDifferPercent;
};

// Returns a failing or wrong range of reads somewhere in the first `span` bytes.
ReadFault randomReadFault(Random& random, bool onDestination, std::int64_t span) {
  ReadFault fault{};
  fault.onDestination = onDestination;
  int kind = draw(random, 1, 100);
  fault.kind = kind <= 75   ? ReadFault::failing
               : kind <= 90 ? ReadFault::wrong
                            : ReadFault::longReads;
  fault.first = draw(random, 0, static_cast<int>(span));
  fault.last = fault.first + (chance(random, 60) ? 0 : draw(random, 1, 5));
  const int kTimes[] = {-1, -1, 1, 2, 3, 4, 6};
  fault.times = kTimes[draw(random, 0, 6)];
  if (fault.kind == ReadFault::longReads)
    fault.times = chance(random, 30) ? -1 : draw(random, 1, 3);
  fault.how = chance(random, 30) ? faults::ReadFailure::noByte : faults::ReadFailure::error;
  return fault;
}

// Sets the options of a case from `base`: depths, verification, substitution, halting and the
// display.
void randomOptions(Random& random, const Settings& base, FaultCase& c) {
  c.options = base;
  c.readDepthOfRun = draw(random, 1, 4);
  c.writeDepthOfRun = draw(random, 1, 3);
  c.options.depthVerify = draw(random, 1, 4);
  c.options.verifyData = chance(random, 60);
  c.options.haltOnFirstError = chance(random, 20);
  c.options.subDamagedBitByZero = chance(random, 30);
  c.textLikeFile = chance(random, 30);
  c.options.printProgress = chance(random, 85);
  c.options.printDetail = chance(random, 50);
  c.options.updateTitle = chance(random, 50);
  c.options.showProgressBar = chance(random, 85);
  const int kLatencies[] = {0, 1, 1, 2, 3, 7};
  c.options.progressBarLatency = kLatencies[draw(random, 0, 5)];
  c.options.enableConsole = chance(random, 90);
  const int kSectors[] = {1, 1, 2, 3, 4, 8, 16};
  c.options.sectorSize = kSectors[draw(random, 0, 6)];
}

FaultCase randomCase(std::uint32_t seed, const CaseShape& shape, const Settings& base) {
  Random random(seed);
  FaultCase c;
  c.seed = seed;
  c.blockBytes = draw(random, 1, shape.maxBlockBytes);
  c.firstBlockBytes = draw(random, 1, static_cast<int>(c.blockBytes));
  int length = draw(random, 1, shape.maxSize);
  for (int index = 0; index < length; ++index) c.bytes += static_cast<char>(draw(random, 0, 255));
  // currentSize usually says the truth; sometimes the file has shrunk or grown since the search.
  int sizeShift = chance(random, 15) ? draw(random, -2, 3) : 0;
  c.size = std::max<std::int64_t>(1, length + sizeShift);
  randomOptions(random, base, c);
  std::int64_t span = c.size + 1;
  for (int n = draw(random, 0, shape.sourceFaults); n > 0; --n) {
    c.readFaults.push_back(randomReadFault(random, false, span));
  }
  // The read-back reads whole sectors: the byte steps read a byte's sector depthVerify times for
  // each of its bytes, the blocks depthVerify times for all of them. A destination fault that is
  // used up by reads would meet a different number of reads each way, so the destination's
  // faults last for ever.
  for (int n = draw(random, 0, shape.destinationFaults); n > 0; --n) {
    c.readFaults.push_back(randomReadFault(random, true, span));
    c.readFaults.back().times = -1;
  }
  for (int n = draw(random, 0, shape.writeFaults); n > 0; --n) {
    const int kTimes[] = {-1, 1, 2, 3, 5};
    c.writeFaults.push_back(
        {draw(random, 0, static_cast<int>(c.size)), kTimes[draw(random, 0, 4)]});
  }
  c.boxesDiffer = chance(random, shape.boxesDifferPercent);
  c.boxes = {chance(random, 50), chance(random, 50), chance(random, 50), chance(random, 50)};
  return c;
}

// In phases, a read longer than a retry's that fails at a byte is not counted among its
// readDepth + 1 reads (it may have failed for another part of it), yet it uses up one of the
// failures of a flaky byte on the test layer: a byte that fails more reads than it is given would
// be recovered where the byte steps give it up. Such bytes fail every read here; bytes that fail
// fewer reads than they are given stay flaky. Past the cache a read of several sectors uses up a
// failure of each, where a read through the cache used one of the first byte only: there a
// sector must fail fewer reads than it is given by `margin` more.
void settleFlakyBytes(FaultCase& c, int margin = 0) {
  // The failures of a byte on the source: the sum over the faults on it (-1: every read).
  auto failuresAt = [&c](std::int64_t byte) {
    int sum = 0;
    for (const ReadFault& f : c.readFaults) {
      if (f.kind != ReadFault::failing || f.onDestination || byte < f.first || byte > f.last) {
        continue;
      }
      if (f.times < 0) return -1;
      sum += f.times;
    }
    return sum;
  };
  for (ReadFault& f : c.readFaults) {
    if (f.kind != ReadFault::failing || f.onDestination) continue;
    for (std::int64_t byte = f.first; byte <= f.last; ++byte) {
      if (failuresAt(byte) > c.readDepthOfRun - margin) f.times = -1;
    }
  }
}

class CopyFastPath : public CopyOneFile {
 protected:
  static constexpr const char* kName = "case.bin";

  void SetUp() override {
    CopyOneFile::SetUp();
    base_ = settings;  // the defaults, with the log in the test's folder
  }

  // Arms the faults of `c` on the source and destination of the copy.
  void armFaults(const FaultCase& c) {
    faults::reset();
    for (const ReadFault& f : c.readFaults) {
      std::string path = f.onDestination ? partPathOf(kName) : sourcePathOf(kName);
      if (f.kind == ReadFault::failing)
        faults::failReadRange(path, f.first, f.last, f.times, f.how);
      if (f.kind == ReadFault::wrong) faults::corruptReadRange(path, f.first, f.last);
      if (f.kind == ReadFault::longReads) faults::failLongReads(path, f.times);
    }
    for (const WriteFault& f : c.writeFaults) {
      faults::failWrites(partPathOf(kName), f.offset, f.times);
    }
    if (c.refusesUnbufferedReads) faults::refuseUnbufferedReads(sourcePathOf(kName));
  }

  // Puts the windows, the log, the options and the globals back as they were before any copy.
  void prepare(const FaultCase& c, bool byteByByte) {
    // No copy of an earlier case is left to go on from.
    for (const std::string& path :
         {destinationPathOf(kName), partPathOf(kName), mapPathOf(kName)}) {
      std::filesystem::remove(path);
    }
    SetWindowTextA(resultBox, "");
    SetWindowTextA(stateLine3, "");
    SetWindowTextA(mainWindow, "sorvel");
    // Paint the bar a colour of its own, so that a bar left alone by a copy shows it.
    drawProgressBar(kProgressBarLeft, kProgressBarTop, kProgressBarRight, kProgressBarBottom, 1, 2,
                    3);
    recorded = Recorded{};
    settings = c.options;
    readDepth = c.readDepthOfRun;
    writeDepth = c.writeDepthOfRun;
    textLike = c.textLikeFile;
    copyByteByByte = byteByByte;
    copyBlockBytes = c.blockBytes;
    firstCopyBlockBytes = c.firstBlockBytes;
    copyRandom.seed(c.seed);
    logStart_ = std::filesystem::file_size(root_ + "/log.htm");
    armFaults(c);
  }

  // Copies the case one way and returns what it left and showed.
  Outcome run(const FaultCase& c, bool byteByByte) {
    prepare(c, byteByByte);
    Outcome outcome;
    onStateText = [&outcome] {
      outcome.titles.push_back(headless::text(mainWindow));
      outcome.countersAt.insert(outcome.countersAt.end(),
                                {fileBytesRead, fileBytesWritten, fileBytesVerified});
    };
    onEditChange = [&c] {
      if (!c.boxesDiffer) return;
      settings.printProgress = c.boxes.printProgress;
      settings.printDetail = c.boxes.printDetail;
      settings.verifyData = c.boxes.verifyData;
      settings.haltOnFirstError = c.boxes.haltOnFirstError;
    };
    currentName = text(kName);
    currentSize = c.size;
    copyOneFile();
    onStateText = nullptr;
    onEditChange = nullptr;
    outcome.destination = destinationContent(kName);
    outcome.counters = {fileBytesRead, fileBytesWritten, fileBytesVerified};
    outcome.console = console();
    outcome.log = logEntries();
    outcome.stateTexts = recorded.stateTexts;
    outcome.barRows = recorded.barRows;
    outcome.finalState = headless::text(stateLine3);
    outcome.finalTitle = headless::text(mainWindow);
    outcome.finalBar = barRow();
    outcome.editChanges = recorded.editChanges;
    outcome.generator = copyRandom;
    // Past the cache a bad sector is read whole, never byte by byte.
    if (!c.sectorShaped) outcome.singleReadsOfFailingBytes = singleReadsOfFailingBytes(c);
    return outcome;
  }

  // The single-byte reads of every byte of the failing ranges, source and destination.
  std::vector<std::int64_t> singleReadsOfFailingBytes(const FaultCase& c) const {
    std::vector<std::int64_t> reads;
    for (const ReadFault& f : c.readFaults) {
      if (f.kind != ReadFault::failing) continue;
      std::string path = f.onDestination ? partPathOf(kName) : sourcePathOf(kName);
      for (std::int64_t offset = f.first; offset <= f.last; ++offset) {
        reads.push_back(faults::singleByteReadsAt(path, offset));
      }
    }
    return reads;
  }

  // Compares the two ways; returns true when they agree in everything. In phased order (`phased`)
  // the counters while the copy runs and the single-byte reads differ by design: good bytes are
  // read before bad ones are retried, and a byte's first reads may be longer ones.
  static bool expectSame(const Outcome& byteWise, const Outcome& blocks, bool phased = false) {
    EXPECT_EQ(byteWise.destination, blocks.destination);
    EXPECT_EQ(byteWise.counters, blocks.counters);
    if (!phased) {
      EXPECT_EQ(byteWise.countersAt, blocks.countersAt);
    }
    EXPECT_EQ(byteWise.console, blocks.console);
    EXPECT_EQ(byteWise.log, blocks.log);
    EXPECT_EQ(byteWise.stateTexts, blocks.stateTexts);
    EXPECT_EQ(byteWise.barRows, blocks.barRows);
    EXPECT_EQ(byteWise.titles, blocks.titles);
    EXPECT_EQ(byteWise.finalState, blocks.finalState);
    EXPECT_EQ(byteWise.finalTitle, blocks.finalTitle);
    EXPECT_EQ(byteWise.finalBar, blocks.finalBar);
    EXPECT_EQ(byteWise.editChanges, blocks.editChanges);
    EXPECT_TRUE(byteWise.generator == blocks.generator) << "draws from copyRandom differ";
    if (!phased) {
      EXPECT_EQ(byteWise.singleReadsOfFailingBytes, blocks.singleReadsOfFailingBytes);
    }
    return !::testing::Test::HasFailure();
  }

  // Runs `count` cases of `shape` from `firstSeed` both ways and compares them, stopping at the
  // first case that differs. Returns how many source bytes were read by reads of more than one
  // byte, over all cases, so that a test can see that blocks were used at all.
  std::int64_t compareCases(std::uint32_t firstSeed, int count, const CaseShape& shape) {
    std::int64_t bytesInBlocks = 0;
    for (std::uint32_t seed = firstSeed; seed < firstSeed + count; ++seed) {
      FaultCase c = randomCase(seed, shape, base_);
      // Unless it must stop at its first unreadable byte, the copy reads in phases, which keeps
      // the byte steps' results on a medium whose reads give the same answer every time. A write
      // that fails ends it elsewhere than the byte steps, and a driver that refuses a number of
      // long reads refuses other reads: such cases stay with the copy front to back. A progress
      // bar redrawn by chance draws from the generator that draws the substitutes, whose draws
      // then interleave otherwise: phased cases redraw it at every rise.
      bool phased = !c.options.haltOnFirstError;
      if (phased) {
        c.options.progressBarLatency = std::min(c.options.progressBarLatency, 1);
        settleFlakyBytes(c);
        c.writeFaults.clear();
        std::erase_if(c.readFaults,
                      [](const ReadFault& f) { return f.kind == ReadFault::longReads; });
      }
      writeSource(kName, c.bytes);
      Outcome byteWise = run(c, true);
      Outcome blocks = run(c, false);
      for (std::int64_t offset = 0; offset < c.size; ++offset) {
        bytesInBlocks += faults::readsAt(sourcePathOf(kName), offset) -
                         faults::singleByteReadsAt(sourcePathOf(kName), offset);
      }
      if (!expectSame(byteWise, blocks, phased)) {
        ADD_FAILURE() << "the two ways differ for " << describe(c);
        break;
      }
    }
    return bytesInBlocks;
  }

  Settings base_;
};

// The copy of a source whose bad bytes fail every read, by the rule itself: a byte that fails
// every read gives up the rest of its aligned sector; the bytes before it are kept.
std::string expectedWithZeros(const std::string& bytes, const std::vector<bool>& bad,
                              std::int64_t sector) {
  std::string copy = bytes;
  std::int64_t givenUpUntil = 0;
  for (std::int64_t at = 0; at < static_cast<std::int64_t>(bytes.size()); ++at) {
    if (at < givenUpUntil || bad[at]) copy[at] = 0;
    if (at >= givenUpUntil && bad[at]) givenUpUntil = (at / sector + 1) * sector;
  }
  return copy;
}

TEST_F(CopyFastPath, GivesUpTheRestOfEachBadSectorWhenLongReadsFailWhole) {
  Random random(5000);
  for (int round = 0; round < 150; ++round) {
    std::int64_t sector = draw(random, 1, 40);
    std::string bytes = patternBytes(draw(random, 1, 600));
    std::int64_t size = static_cast<std::int64_t>(bytes.size());
    writeSource(kName, bytes);
    faults::reset();
    std::vector<bool> bad(bytes.size(), false);
    for (int n = draw(random, 0, 4); n > 0; --n) {
      std::int64_t first = draw(random, 0, static_cast<int>(size - 1));
      std::int64_t last = std::min<std::int64_t>(size - 1, first + draw(random, 0, 50));
      faults::failReadRange(sourcePathOf(kName), first, last, -1);
      for (std::int64_t at = first; at <= last; ++at) bad[at] = true;
    }
    if (chance(random, 50)) faults::failLongReads(sourcePathOf(kName), draw(random, 1, 3));
    std::filesystem::remove(destinationPathOf(kName));
    settings = base_;
    settings.subDamagedBitByZero = true;
    settings.sectorSize = static_cast<std::int32_t>(sector);
    readDepth = draw(random, 1, 4);
    copyBlockBytes = draw(random, 2, 64);
    firstCopyBlockBytes = draw(random, 1, static_cast<int>(copyBlockBytes));
    currentName = text(kName);
    currentSize = size;
    copyOneFile();
    std::string expected = expectedWithZeros(bytes, bad, sector);
    ASSERT_EQ(expected, destinationContent(kName)) << "round " << round << ", sector " << sector;
    // Each bad byte that was read at all was read at most readDepth + 1 times alone; every byte
    // kept was read.
    std::int64_t kept = 0;
    for (std::int64_t at = 0; at < size; ++at) {
      std::int64_t singles = faults::singleByteReadsAt(sourcePathOf(kName), at);
      // At most: in phases a byte's first failed reads may be longer ones.
      if (bad[at] && singles > 0) {
        ASSERT_LE(singles, readDepth + 1) << "round " << round;
      }
      if (expected[at] != 0) ++kept;
    }
    ASSERT_EQ(kept, fileBytesRead) << "round " << round;
  }
}

// A case on a source of whole sectors of `sector` bytes on a disk, some of them bad: always, or
// for their first few reads.
FaultCase randomSectorCase(std::uint32_t seed, std::int64_t sector, const Settings& base) {
  Random random(seed);
  FaultCase c;
  c.seed = seed;
  c.sectorShaped = true;
  c.blockBytes = draw(random, 1, static_cast<int>(4 * sector));
  c.firstBlockBytes = draw(random, 1, static_cast<int>(c.blockBytes));
  std::int64_t sectors = draw(random, 1, 8);
  std::int64_t length = sectors * sector - (chance(random, 40) ? draw(random, 1, 100) : 0);
  for (std::int64_t index = 0; index < length; ++index) {
    c.bytes += static_cast<char>(draw(random, 0, 255));
  }
  c.size = length;
  randomOptions(random, base, c);
  // Unset (the medium's own sector), or a multiple of it.
  const std::int64_t kSectors[] = {0, 1, 2};
  c.options.sectorSize = static_cast<std::int32_t>(sector * kSectors[draw(random, 0, 2)]);
  if (!c.options.haltOnFirstError) {
    c.options.progressBarLatency = std::min(c.options.progressBarLatency, 1);
  }
  c.readDepthOfRun = std::max(c.readDepthOfRun, 1);
  for (std::int64_t n = draw(random, 1, 3); n > 0; --n) {
    ReadFault fault{};
    fault.kind = ReadFault::failing;
    fault.first = draw(random, 0, static_cast<int>(sectors - 1)) * sector;
    fault.last = fault.first + sector - 1;
    // One fault a sector: faults on the same bytes would add up their failures.
    bool taken = std::any_of(c.readFaults.begin(), c.readFaults.end(),
                             [&fault](const ReadFault& f) { return f.first == fault.first; });
    if (taken) continue;
    const int kTimes[] = {-1, -1, 1, 2, 3, 5};
    fault.times = kTimes[draw(random, 0, 5)];
    fault.how = faults::ReadFailure::error;
    c.readFaults.push_back(fault);
  }
  if (!c.options.haltOnFirstError) settleFlakyBytes(c, 1);
  // Refused reads make the medium's own unit the page size, which the byte steps never learn of:
  // those cases name their sector.
  c.refusesUnbufferedReads = chance(random, 20);
  if (c.refusesUnbufferedReads && c.options.sectorSize == 0) {
    c.options.sectorSize = static_cast<std::int32_t>(sector);
  }
  return c;
}

// Failed stretches of a source on a disk are read past the cache in whole sectors of its volume;
// where the file system refuses such reads after the open, through the cache. On damage of the
// sectors' shape both ways leave and show the same.
TEST_F(CopyFastPath, GivesByteStepResultsWhenFailedStretchesAreReadBySector) {
  if (!useSourceOnDisk()) GTEST_SKIP() << "no folder on a disk: /var/tmp lies on another kind";
  DWORD perCluster = 0, sector = 0, free = 0, total = 0;
  ASSERT_TRUE(GetDiskFreeSpaceA((diskRoot_ + "/").c_str(), &perCluster, &sector, &free, &total));
  std::int64_t unbuffered = 0;
  for (std::uint32_t seed = 6000; seed < 6030; ++seed) {
    FaultCase c = randomSectorCase(seed, sector, base_);
    writeSource(kName, c.bytes);
    Outcome byteWise = run(c, true);
    Outcome blocks = run(c, false);
    if (!c.refusesUnbufferedReads) unbuffered += faults::unbufferedReads(sourcePathOf(kName));
    if (!expectSame(byteWise, blocks, !c.options.haltOnFirstError)) {
      ADD_FAILURE() << "the two ways differ for " << describe(c);
      break;
    }
  }
  EXPECT_GT(unbuffered, 0);
}

TEST_F(CopyFastPath, GivesByteStepResultsWhenSourceIsHealthy) {
  CaseShape shape{64, 700, 0, 0, 0, 0};
  EXPECT_GT(compareCases(1000, 60, shape), 0);
}

TEST_F(CopyFastPath, GivesByteStepResultsWhenSourceReadsBadly) {
  CaseShape shape{12, 80, 4, 0, 0, 0};
  EXPECT_GT(compareCases(2000, 400, shape), 0);
}

TEST_F(CopyFastPath, GivesByteStepResultsWhenDestinationWritesOrReadsBackBadly) {
  CaseShape shape{12, 80, 0, 4, 3, 0};
  EXPECT_GT(compareCases(3000, 400, shape), 0);
}

TEST_F(CopyFastPath, GivesByteStepResultsWhenEverythingFailsAndCheckBoxesChange) {
  CaseShape shape{12, 120, 4, 4, 2, 50};
  EXPECT_GT(compareCases(4000, 500, shape), 0);
}

}  // namespace
}  // namespace copytest
